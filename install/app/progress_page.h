// The progress page: opening it starts the installation at once. It shows each stage the
// installation thread posts, turns Cancel into a pause-and-ask while the work runs, shows the
// USB prompt during the plug-and-play wait, and ends with success or failure and a Close button.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "install/app/page.h"
#include "install/engine/installation.h"
#include "install/engine/wizard_settings.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/system_paths.h"

namespace tq {

class UsbPrompt;

// QueueReadyMessage (WM_USER + 3): the queue watcher tells the USB prompt that the queue is ready.
inline constexpr unsigned kQueueReadyMessage = 1027;

struct ProgressServices {
    const WizardSettings& settings;
    Ui& ui;
    InstallSignals& signals;
    std::atomic<int>& pnpSucceeded;
    ChildDialogs& dialogs;
    Registry& registry;
    SystemPaths& paths;
    Processes& processes;
    // Starts the installation thread for this page (it posts to the page's window); false when
    // the thread or the events it meets the page through could not be made.
    std::function<bool(Page& page)> startInstallation;
    // The USB prompt that shows now (null: none), where the queue watcher's report goes.
    std::function<void(Page* prompt)> promptShown;
    // currentFileName: the file the engine copied last.
    std::function<std::string()> currentFileName;
};

class ProgressPage : public Page {
  public:
    explicit ProgressPage(ProgressServices& services);
    ~ProgressPage() override;

    int DialogId() const override;
    void Open(PageControls& controls) override;
    PageResult OnCommand(int control, PageControls& controls) override;
    PageResult OnClose(PageControls& controls) override;
    bool TakesMessage(unsigned message) const override;
    PageResult OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                         PageControls& controls) override;

    bool finished() const { return finished_; }

  private:
    PageResult CancelOrClose(PageControls& controls);
    PageResult Close(PageControls& controls);
    void ShowCompleted(PageControls& controls);
    void ShowFailed(PageControls& controls);
    void StartPlugAndPlayWait();

    ProgressServices& s_;
    bool finished_ = false;
    // The installation thread has posted its last stage (done or failed). For a USB
    // installation the page shows the completed state before that, while the thread still
    // makes the shortcuts and the uninstall entry: a close then waits for the thread.
    bool threadEnded_ = false;
    bool closePending_ = false;
    // The cancel question is open; the USB prompt the wait asked for meanwhile opens once it
    // is answered, never over it.
    bool asking_ = false;
    bool promptWaiting_ = false;
    // Made when the first progress message arrives; shown at most once per run.
    std::unique_ptr<UsbPrompt> prompt_;
};

// The USB prompt: asks the user to connect and switch on the printer while the installation
// waits for plug-and-play and its queue watcher polls.
class UsbPrompt : public Page {
  public:
    explicit UsbPrompt(ProgressServices& services) : s_(services) {}

    int DialogId() const override;
    void Open(PageControls& controls) override;
    PageResult OnCommand(int control, PageControls& controls) override;
    PageResult OnClose(PageControls& controls) override;
    bool TakesMessage(unsigned message) const override { return message == kQueueReadyMessage; }
    PageResult OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                         PageControls& controls) override;

    // Ends the wait as failed: pnpSucceeded 0, the event signalled.
    void GiveUp();

  private:
    ProgressServices& s_;
};

}  // namespace tq

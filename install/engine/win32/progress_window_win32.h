// The progress protocol on Windows: stages posted to the progress page's window, the
// program-wide currentFileName, and the three auto-reset events the page and the installation
// thread meet through.
#pragma once

#include <windows.h>

#include "install/engine/installation.h"
#include "install/engine/progress.h"

namespace tq {

// An unnamed auto-reset event, created not signalled; closed when the owner goes.
class AutoResetEvent {
  public:
    AutoResetEvent() : handle_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~AutoResetEvent() {
        if (handle_ != nullptr) CloseHandle(handle_);
    }
    AutoResetEvent(const AutoResetEvent&) = delete;
    AutoResetEvent& operator=(const AutoResetEvent&) = delete;
    HANDLE get() const { return handle_; }
    void Signal() const { SetEvent(handle_); }

  private:
    HANDLE handle_;
};

// Shared by the page, the installation thread and the engine for the whole run.
struct ProgressEvents {
    AutoResetEvent pauseRequest;  // the user pressed Cancel while the installation runs
    AutoResetEvent resume;        // the user answered No to the cancel question
    AutoResetEvent pnp;           // the plug-and-play wait has an outcome

    // All three were made.
    bool Made() const {
        return pauseRequest.get() != nullptr && resume.get() != nullptr && pnp.get() != nullptr;
    }
};

// The three events of a run as the logic signals and waits on them.
class Win32InstallSignals : public InstallSignals {
  public:
    explicit Win32InstallSignals(ProgressEvents& events) : events_(events) {}
    void RequestPause() override { events_.pauseRequest.Signal(); }
    void Resume() override { events_.resume.Signal(); }
    void SignalPnp() override { events_.pnp.Signal(); }
    bool WaitForPnp(unsigned milliseconds) override {
        return WaitForSingleObject(events_.pnp.get(), milliseconds) == WAIT_OBJECT_0;
    }

  private:
    ProgressEvents& events_;
};

// currentFileName: the target of the file copied last. Written by the engine just before it
// posts (StageCopy, 1); read by the page when that post arrives.
extern char currentFileName[kCurrentFileNameSize];

class Win32ProgressWindow : public ProgressWindow {
  public:
    Win32ProgressWindow(HWND window, ProgressEvents& events, HINSTANCE resources)
        : window_(window), events_(events), resources_(resources) {}

    void Post(int stage, long argument) override;
    void WaitIfPaused() override;
    void SetCurrentFileName(const std::string& path) override;
    void ShowOwnedMessage(const std::string& text) override;
    std::string LoadText(int stringId) override;

  private:
    HWND window_;
    ProgressEvents& events_;
    HINSTANCE resources_;
};

}  // namespace tq

// The installation thread and the queue watcher: the work behind the progress page, apart
// from the threads that run it. They meet the page only through posted messages, the three
// auto-reset events and pnpSucceeded.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "install/engine/wizard_settings.h"
#include "install/engine/progress.h"
#include "install/spooler/printer_settings.h"
#include "platform/spooler.h"
#include "platform/system_info.h"

namespace tq {

// QueueReadyMessage (WM_USER + 3): the watcher tells the USB prompt that the queue is ready.
inline constexpr unsigned kQueueReadyMessage = 1027;

// The three auto-reset events of a run.
class InstallSignals {
  public:
    virtual ~InstallSignals() = default;
    virtual void RequestPause() = 0;  // pauseRequestEvent
    virtual void Resume() = 0;        // resumeEvent
    virtual void SignalPnp() = 0;     // pnpEvent
    virtual void WaitForPnp() = 0;    // waits on pnpEvent without time limit
};

// The engine steps in the order the installation thread calls them; each 1 on success.
class InstallationSteps {
  public:
    virtual ~InstallationSteps() = default;
    virtual int StageDriverFiles(InstallJob& job) = 0;
    virtual int PlaceDriverFiles(InstallJob& job) = 0;
    virtual int RegisterDriverAndPrinter(InstallJob& job) = 0;
    virtual int InstallPlugAndPlayDriver(InstallJob& job) = 0;
    virtual int CreateProgramShortcuts(InstallJob& job) = 0;
    virtual int RegisterUninstallEntry(InstallJob& job) = 0;
};

// The installation thread's work: copy, register (or the plug-and-play path and its wait for
// a USB printer), shortcuts, uninstall entry; every stage posted to the page. 1 on success.
int RunInstallation(InstallJob& job, int connectionType, InstallationSteps& steps,
                    InstallSignals& signals, std::atomic<int>& pnpSucceeded);

// The queue watcher of a USB installation: waits until plug-and-play has made a new queue of the
// model, gives it the chosen name, default flag and share, and publishes the outcome.
struct QueueWatcher {
    Spooler& spooler;
    PrinterSettings& printers;
    SystemInfo& system;
    const WizardSettings& settings;
    std::atomic<int>& pnpSucceeded;
    InstallSignals& signals;
    std::function<void()> postQueueReady;  // QueueReadyMessage to the USB prompt
    std::function<void()> sleep10ms;

    // Returns true when the queue was configured.
    bool Run();
};

}  // namespace tq

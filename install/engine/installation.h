// One run of the installation, whoever shows it: the wizard's progress page (posted stages, the
// USB prompt) or the unattended run (log lines, an exit code). The run copies the driver files,
// replaces a queue of the same name, registers the driver and the queue (or, for a USB printer,
// offers the driver to plug-and-play and waits for the queue Windows makes), then makes the
// shortcuts and the uninstall entry. It meets its front end only through the job's progress
// window, the three auto-reset events and pnpSucceeded.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "install/engine/progress.h"
#include "install/engine/wizard_settings.h"
#include "install/spooler/printer_settings.h"
#include "platform/spooler.h"
#include "platform/system_info.h"
#include "platform/threads.h"

namespace tq {

// A wait without a limit.
inline constexpr unsigned kWaitForever = 0xFFFFFFFFu;

// The three auto-reset events of a run.
class InstallSignals {
  public:
    virtual ~InstallSignals() = default;
    virtual void RequestPause() = 0;  // pauseRequestEvent
    virtual void Resume() = 0;        // resumeEvent
    virtual void SignalPnp() = 0;     // pnpEvent
    // Waits on pnpEvent at most `milliseconds` (kWaitForever: without a limit); true when it
    // was signalled (and so reset).
    virtual bool WaitForPnp(unsigned milliseconds) = 0;
};

// The engine steps in the order the run calls them; each 1 on success.
class InstallationSteps {
  public:
    virtual ~InstallationSteps() = default;
    virtual int StageDriverFiles(InstallJob& job) = 0;
    virtual int PlaceDriverFiles(InstallJob& job) = 0;
    // A queue of the model under the chosen name is deleted, so that the new one takes the name;
    // 0 when it could not be, or is still listed (jobs waiting in it). 1 when there was none.
    virtual int ReplaceSameNameQueue(InstallJob& job) = 0;
    virtual int RegisterDriverAndPrinter(InstallJob& job) = 0;
    virtual int InstallPlugAndPlayDriver(InstallJob& job) = 0;
    // Windows 9x, around the USB wait: the hardware wizard must see the printer as new and find
    // its files in the system folder; afterwards the setup source is written back.
    virtual void PrepareHardwareWizard(InstallJob& job) = 0;
    virtual void RestoreSetupSource(InstallJob& job) = 0;
    virtual int CreateProgramShortcuts(InstallJob& job) = 0;
    virtual int RegisterUninstallEntry(InstallJob& job) = 0;
};

// The queue watcher's thread for one USB wait: it polls until `stop` is set or a queue came,
// and reports a queue it set up (or failed to) through pnpSucceeded and pnpEvent.
using StartQueueWatcher = std::function<std::unique_ptr<WorkThread>(const std::atomic<bool>& stop)>;

struct InstallationRun {
    int connectionType = Usb;
    // How long a USB installation waits for the printer: the wizard until the user gives up,
    // an unattended run as its /wait says. A limit that runs out is no failure: the driver is
    // ready and Windows makes the queue when the printer comes (job.queueLater).
    unsigned usbWaitMs = kWaitForever;
    InstallationSteps& steps;
    InstallSignals& signals;
    std::atomic<int>& pnpSucceeded;
    StartQueueWatcher startWatcher;
};

// The run: every stage posted to the job's progress window, every step logged. 1 on success.
int RunInstallation(InstallJob& job, InstallationRun& run);

// The queue watcher of a USB installation: waits until plug-and-play has made a new queue of the
// model, gives it the chosen name, default flag and share, and publishes the outcome. A stop
// asked for while no queue has come ends it without a report; a queue it found is always set up
// to the end and reported.
struct QueueWatcher {
    Spooler& spooler;
    PrinterSettings& printers;
    SystemInfo& system;
    const WizardSettings& settings;
    std::atomic<int>& pnpSucceeded;
    InstallSignals& signals;
    std::function<void()> postQueueReady;  // QueueReadyMessage to the USB prompt, if one shows
    std::function<void()> sleep10ms;
    const std::atomic<bool>& stop;

    // Returns true when the queue was configured.
    bool Run();
};

}  // namespace tq

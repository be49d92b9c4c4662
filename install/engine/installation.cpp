#include "install/engine/installation.h"

#include <algorithm>

#include "install/model.h"
#include "install/spooler/queue_watch.h"
#include "install/system/platform_class.h"
#include "platform/text.h"

namespace tq {

namespace {

void Post(InstallJob& job, int stage, long argument) {
    if (job.progress) job.progress->Post(stage, argument);
}

// Ends the run with the failure stage.
int Fail(InstallJob& job, long argument) {
    LogLine(job, "installation failed");
    Post(job, StageFailed, argument);
    return 0;
}

enum class UsbWait { Ready, NotSetUp, NotConnected };

// The wait for the queue plug-and-play makes. The first report decides (the watcher's, or the
// prompt's Next or Cancel in the wizard); when the limit runs out with none, the watcher is
// stopped and a queue it was setting up meanwhile still counts. The watcher has ended when this
// returns, so nothing changes the queue behind the run's back.
UsbWait WaitForUsbQueue(InstallJob& job, InstallationRun& run) {
    std::atomic<bool> stop{false};
    const std::unique_ptr<WorkThread> watcher = run.startWatcher(stop);
    if (!watcher) {
        LogStep(job, "USB queue watcher", false);
        return UsbWait::NotSetUp;
    }
    if (run.usbWaitMs != kWaitForever && run.usbWaitMs > 0 && run.pnpSucceeded.load() == 0) {
        LogLine(job, "waiting for the USB printer, at most " +
                         std::to_string(run.usbWaitMs / 1000) + " s");
    }
    bool reported = run.signals.WaitForPnp(run.usbWaitMs);
    bool ready = reported && run.pnpSucceeded.load() != 0;
    stop.store(true);
    watcher->Join();
    // A report that came while the watcher stopped: the outcome when the limit had run out, to
    // be consumed and dropped after an earlier one.
    if (run.signals.WaitForPnp(0) && !reported) {
        reported = true;
        ready = run.pnpSucceeded.load() != 0;
    }
    if (!reported) return UsbWait::NotConnected;
    return ready ? UsbWait::Ready : UsbWait::NotSetUp;
}

}  // namespace

int RunInstallation(InstallJob& job, InstallationRun& run) {
    InstallationSteps& steps = run.steps;
    Post(job, StageStart, StepCount(job.platformClass));
    Post(job, StageCopy, 0);
    if (!steps.StageDriverFiles(job)) return Fail(job, 0);
    if (!steps.PlaceDriverFiles(job)) return Fail(job, 0);
    // Only once the new files are in place: a run that cannot stage them leaves the old queue.
    if (!steps.ReplaceSameNameQueue(job)) return Fail(job, 0);
    Post(job, StageInstall, 0);
    if (run.connectionType != Usb) {
        if (!steps.RegisterDriverAndPrinter(job)) return Fail(job, 0);
    } else {
        // Windows 9x: the system's own hardware wizard installs the printer when it is plugged in.
        const bool windows9x = job.platformClass == Platform9x;
        if (!windows9x && !steps.InstallPlugAndPlayDriver(job)) return Fail(job, 0);
        if (windows9x) steps.PrepareHardwareWizard(job);
        Post(job, StagePnpWait, 0);
        const UsbWait outcome = WaitForUsbQueue(job, run);
        if (windows9x) steps.RestoreSetupSource(job);
        switch (outcome) {
            case UsbWait::Ready:
                LogLine(job, "USB queue: ready");
                Post(job, StagePnpWait, 1);
                break;
            case UsbWait::NotSetUp:
                LogLine(job, "USB queue: none (the wait was given up, or the queue not set up)");
                return Fail(job, 1);
            case UsbWait::NotConnected:
                job.queueLater = true;
                LogLine(job, "USB printer not connected: the driver is ready, and Windows creates "
                             "the queue when the printer is plugged in (under the model's name, "
                             "without the name, default and share chosen)");
                break;
        }
    }
    Post(job, StageShortcuts, 0);
    if (!steps.CreateProgramShortcuts(job)) return Fail(job, 0);
    if (!steps.RegisterUninstallEntry(job)) return Fail(job, 0);
    LogLine(job, "installation done");
    Post(job, StageDone, 0);
    return 1;
}

bool QueueWatcher::Run() {
    // The model's queues are read whole at the start and for a driver update reported as done;
    // in between, only in the polls where the names of the local queues changed (and about
    // once a second).
    DriverQueueWatch queues(spooler, kModelDriverName);
    const std::vector<std::string> before = queues.Poll(true);
    std::vector<std::string> now;
    for (;;) {
        const bool succeeded = pnpSucceeded.load() != 0;
        now = queues.Poll(succeeded);
        if ((!now.empty() && now.size() > before.size()) || succeeded) break;
        if (stop.load()) return false;  // no queue came: nothing to report
        sleep10ms();
    }

    // The queue plug-and-play just made is the first of the model's queues that was not there
    // before; when a queue of the model's name already existed, the new one bears another name,
    // and it is the one the user is installing.
    std::string created(kModelDriverName);
    for (const auto& name : now) {
        const bool old = std::any_of(before.begin(), before.end(),
                                     [&](const std::string& b) { return MbsEqualNoCase(b, name); });
        if (!old) {
            created = name;
            break;
        }
    }

    const std::string printerName(FieldText(settings.printerName));
    bool ok = true;
    if (settings.renameRequired) ok = printers.RenamePrinter(created, printerName);
    if (ok && settings.setAsDefault) {
        ok = printers.MakeDefaultPrinter(printerName, GetPlatformClass(system));
    }
    if (ok && settings.shareEnabled) {
        ok = printers.SetPrinterShare(printerName, std::string(FieldText(settings.shareName)));
    }
    if (ok) {
        postQueueReady();
        pnpSucceeded.store(1);
    } else {
        pnpSucceeded.store(0);
    }
    signals.SignalPnp();
    return ok;
}

}  // namespace tq

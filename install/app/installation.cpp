#include "install/app/installation.h"

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

// Ends the thread's work with the failure stage.
int Fail(InstallJob& job, long argument) {
    LogLine(job, "installation failed");
    Post(job, StageFailed, argument);
    return 0;
}

}  // namespace

int RunInstallation(InstallJob& job, int connectionType, InstallationSteps& steps,
                    InstallSignals& signals, std::atomic<int>& pnpSucceeded) {
    Post(job, StageStart, StepCount(job.platformClass));
    Post(job, StageCopy, 0);
    if (!steps.StageDriverFiles(job)) return Fail(job, 0);
    if (!steps.PlaceDriverFiles(job)) return Fail(job, 0);
    Post(job, StageInstall, 0);
    if (connectionType != Usb) {
        if (!steps.RegisterDriverAndPrinter(job)) return Fail(job, 0);
    } else {
        // Windows 9x: the system's own hardware wizard installs the printer when it is plugged in.
        if (job.platformClass != Platform9x && !steps.InstallPlugAndPlayDriver(job)) {
            return Fail(job, 0);
        }
        Post(job, StagePnpWait, 0);
        signals.WaitForPnp();
        if (pnpSucceeded.load() == 0) {
            LogLine(job, "USB queue: none (the wait was given up, or the queue not set up)");
            return Fail(job, 1);
        }
        LogLine(job, "USB queue: ready");
        Post(job, StagePnpWait, 1);
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

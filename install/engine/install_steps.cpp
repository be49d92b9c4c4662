#include "install/engine/install_steps.h"

#include "install/engine/shortcuts.h"
#include "install/model.h"
#include "install/spooler/spooler_queries.h"
#include "platform/text.h"

namespace tq {

namespace {

// A step's result, also written to the installation log (registration logs its parts itself).
int Logged(InstallJob& job, std::string_view step, int result) {
    return LogStep(job, step, result == 1) ? 1 : 0;
}

}  // namespace

int EngineSteps::StageDriverFiles(InstallJob& job) {
    return Logged(job, "copy to the program folder", tq::StageDriverFiles(job, settings, copy));
}

int EngineSteps::PlaceDriverFiles(InstallJob& job) {
    return Logged(job, "copy to the system", tq::PlaceDriverFiles(job, settings, copy));
}

int EngineSteps::ReplaceSameNameQueue(InstallJob& job) {
    Spooler& spooler = registration.spooler;
    const std::string printerName(FieldText(settings.printerName));
    if (!FindDriverPrinter(spooler, kModelDriverName, printerName)) return 1;
    // A queue with jobs waiting is only marked for deletion and stays listed: the new queue
    // could not take its name.
    const bool deleted = registration.printers.DeletePrinterQueue(printerName) &&
                         !FindDriverPrinter(spooler, kModelDriverName, printerName);
    return Logged(job, "delete the queue " + printerName + " to make it anew",
                  deleted ? 1 : 0);
}

int EngineSteps::RegisterDriverAndPrinter(InstallJob& job) {
    return tq::RegisterDriverAndPrinter(job, settings, registration);
}

int EngineSteps::InstallPlugAndPlayDriver(InstallJob& job) {
    return Logged(job, "plug-and-play driver", plugAndPlay ? plugAndPlay(job) : 0);
}

void EngineSteps::PrepareHardwareWizard(InstallJob&) {
    RedirectSetupSource(registry, paths, savedSetupSource, 1);
    DeleteUsbEnumKeys(registry);
    DeleteInfDatabase(paths, deleteFile);
}

void EngineSteps::RestoreSetupSource(InstallJob&) {
    RedirectSetupSource(registry, paths, savedSetupSource, 0);
}

int EngineSteps::CreateProgramShortcuts(InstallJob& job) {
    return Logged(job, "shortcuts",
                  tq::CreateProgramShortcuts(job, settings, registry, paths, links));
}

int EngineSteps::RegisterUninstallEntry(InstallJob& job) {
    return Logged(job, "uninstall entry",
                  tq::RegisterUninstallEntry(registry, paths, FieldText(settings.printerName),
                                             InstalledKilobytes(job, copy)));
}

}  // namespace tq

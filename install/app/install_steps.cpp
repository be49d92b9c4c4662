#include "install/app/install_steps.h"

#include "install/engine/shortcuts.h"
#include "install/system/registry_records.h"
#include "platform/text.h"

namespace tq {

namespace {

// A step's result, also written to the installation log (registration logs its parts itself).
int Logged(InstallJob& job, const char* step, int result) {
    return LogStep(job, step, result == 1) ? 1 : 0;
}

}  // namespace

int EngineSteps::StageDriverFiles(InstallJob& job) {
    return Logged(job, "copy to the program folder", tq::StageDriverFiles(job, settings, copy));
}

int EngineSteps::PlaceDriverFiles(InstallJob& job) {
    return Logged(job, "copy to the system", tq::PlaceDriverFiles(job, settings, copy));
}

int EngineSteps::RegisterDriverAndPrinter(InstallJob& job) {
    return tq::RegisterDriverAndPrinter(job, settings, registration);
}

int EngineSteps::InstallPlugAndPlayDriver(InstallJob& job) {
    return Logged(job, "plug-and-play driver", plugAndPlay ? plugAndPlay(job) : 0);
}

int EngineSteps::CreateProgramShortcuts(InstallJob& job) {
    return Logged(job, "shortcuts",
                  tq::CreateProgramShortcuts(job, settings, registry, paths, links));
}

int EngineSteps::RegisterUninstallEntry(InstallJob& job) {
    return Logged(job, "uninstall entry",
                  tq::RegisterUninstallEntry(registry, paths, FieldText(settings.printerName)));
}

}  // namespace tq

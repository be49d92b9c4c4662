#include "install/app/install_steps.h"

#include "install/engine/shortcuts.h"
#include "install/system/registry_records.h"
#include "platform/text.h"

namespace tq {

int EngineSteps::StageDriverFiles(InstallJob& job) {
    return tq::StageDriverFiles(job, settings, copy);
}

int EngineSteps::PlaceDriverFiles(InstallJob& job) {
    return tq::PlaceDriverFiles(job, settings, copy);
}

int EngineSteps::RegisterDriverAndPrinter(InstallJob& job) {
    return tq::RegisterDriverAndPrinter(job, settings, registration);
}

int EngineSteps::InstallPlugAndPlayDriver(InstallJob& job) {
    return plugAndPlay ? plugAndPlay(job) : 0;
}

int EngineSteps::CreateProgramShortcuts(InstallJob& job) {
    return tq::CreateProgramShortcuts(job, settings, registry, paths, links);
}

int EngineSteps::RegisterUninstallEntry() {
    return tq::RegisterUninstallEntry(registry, paths, FieldText(settings.printerName));
}

}  // namespace tq

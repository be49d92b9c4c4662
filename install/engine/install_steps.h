// The engine steps of an installation wired to their services: what the run calls through
// InstallationSteps.
#pragma once

#include <functional>

#include "install/engine/copying.h"
#include "install/engine/installation.h"
#include "install/engine/registration.h"
#include "install/system/registry_records.h"
#include "platform/registry.h"
#include "platform/shell_links.h"

namespace tq {

struct EngineSteps : InstallationSteps {
    EngineSteps(const WizardSettings& settings, CopyServices copy,
                RegistrationServices registration, Registry& registry, SystemPaths& paths,
                ShellLinks& links, std::function<int(InstallJob&)> plugAndPlay,
                DeleteFileFunction deleteFile)
        : settings(settings),
          copy(copy),
          registration(registration),
          registry(registry),
          paths(paths),
          links(links),
          plugAndPlay(std::move(plugAndPlay)),
          deleteFile(std::move(deleteFile)) {}

    int StageDriverFiles(InstallJob& job) override;
    int PlaceDriverFiles(InstallJob& job) override;
    int ReplaceSameNameQueue(InstallJob& job) override;
    int RegisterDriverAndPrinter(InstallJob& job) override;
    int InstallPlugAndPlayDriver(InstallJob& job) override;
    void PrepareHardwareWizard(InstallJob& job) override;
    void RestoreSetupSource(InstallJob& job) override;
    int CreateProgramShortcuts(InstallJob& job) override;
    int RegisterUninstallEntry(InstallJob& job) override;

    const WizardSettings& settings;
    CopyServices copy;
    RegistrationServices registration;
    Registry& registry;
    SystemPaths& paths;
    ShellLinks& links;
    // The plug-and-play path; none: the step fails.
    std::function<int(InstallJob&)> plugAndPlay;
    DeleteFileFunction deleteFile;  // the Windows 9x driver database
    SetupSourceSaved savedSetupSource{};
};

}  // namespace tq

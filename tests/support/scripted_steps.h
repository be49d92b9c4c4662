// Engine steps for host tests: each answers from a script and logs its call.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "install/app/installation.h"

namespace tq::test {

struct ScriptedSteps : InstallationSteps {
    std::vector<std::string> calls;
    std::string failing;         // the step that returns 0
    std::function<void()> onPnp;  // what the plug-and-play step does besides (the update's outcome)
    int Step(const char* name) {
        calls.push_back(name);
        return failing == name ? 0 : 1;
    }
    int StageDriverFiles(InstallJob&) override { return Step("stage"); }
    int PlaceDriverFiles(InstallJob&) override { return Step("place"); }
    int RegisterDriverAndPrinter(InstallJob&) override { return Step("register"); }
    int InstallPlugAndPlayDriver(InstallJob&) override {
        if (onPnp) onPnp();
        return Step("pnp");
    }
    int CreateProgramShortcuts(InstallJob&) override { return Step("shortcuts"); }
    int RegisterUninstallEntry(InstallJob&) override { return Step("uninstall"); }
};

}  // namespace tq::test

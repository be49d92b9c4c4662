// The installation run for host tests: engine steps that answer from a script and log their
// calls, and the USB wait's events and watcher as a test scripts them.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "install/engine/installation.h"

namespace tq::test {

struct ScriptedSteps : InstallationSteps {
    std::vector<std::string> calls;
    std::string failing;         // the step that returns 0
    std::function<void()> onPnp;  // what the plug-and-play step does besides (the update's outcome)
    std::function<void(InstallJob&)> onPlace;  // what the placement leaves (files at restart)
    int Step(const char* name) {
        calls.push_back(name);
        return failing == name ? 0 : 1;
    }
    int StageDriverFiles(InstallJob&) override { return Step("stage"); }
    int PlaceDriverFiles(InstallJob& job) override {
        if (onPlace) onPlace(job);
        return Step("place");
    }
    int ReplaceSameNameQueue(InstallJob&) override { return Step("replace"); }
    int RegisterDriverAndPrinter(InstallJob&) override { return Step("register"); }
    int InstallPlugAndPlayDriver(InstallJob&) override {
        if (onPnp) onPnp();
        return Step("pnp");
    }
    void PrepareHardwareWizard(InstallJob&) override { calls.push_back("prepare 9x"); }
    void RestoreSetupSource(InstallJob&) override { calls.push_back("restore 9x"); }
    int CreateProgramShortcuts(InstallJob&) override { return Step("shortcuts"); }
    int RegisterUninstallEntry(InstallJob&) override { return Step("uninstall"); }
};

// The USB wait without threads: the first report comes as `report` says (-1: none within any
// limit; 0 or 1: pnpSucceeded then), and a watcher asked to stop may still report once
// (`reportWhileStopping`, same values) before its thread ends.
struct ScriptedUsbWait : InstallSignals {
    std::atomic<int>& pnpSucceeded;
    int report = -1;
    int reportWhileStopping = -1;
    bool watcherStarts = true;
    std::vector<unsigned> waits;  // the limit of every wait, in ms
    int watchersStarted = 0, watchersJoined = 0, pnpSignals = 0, pauses = 0, resumes = 0;
    bool stoppedBeforeJoin = false;
    bool pending = false;  // a report not yet taken by a wait

    explicit ScriptedUsbWait(std::atomic<int>& pnp) : pnpSucceeded(pnp) {}

    void RequestPause() override { ++pauses; }
    void Resume() override { ++resumes; }
    void SignalPnp() override {
        ++pnpSignals;
        pending = true;
    }
    bool WaitForPnp(unsigned milliseconds) override {
        waits.push_back(milliseconds);
        if (waits.size() == 1 && report >= 0) {
            pnpSucceeded = report;
            SignalPnp();
        }
        const bool taken = pending;
        pending = false;
        return taken;
    }

    struct Thread : WorkThread {
        ScriptedUsbWait& wait;
        const std::atomic<bool>& stop;
        Thread(ScriptedUsbWait& w, const std::atomic<bool>& s) : wait(w), stop(s) {}
        void Join() override {
            ++wait.watchersJoined;
            wait.stoppedBeforeJoin = stop.load();
            if (wait.reportWhileStopping >= 0) {
                wait.pnpSucceeded = wait.reportWhileStopping;
                wait.SignalPnp();
            }
        }
    };
    StartQueueWatcher Starter() {
        return [this](const std::atomic<bool>& stop) -> std::unique_ptr<WorkThread> {
            if (!watcherStarts) return nullptr;
            ++watchersStarted;
            return std::make_unique<Thread>(*this, stop);
        };
    }
};

}  // namespace tq::test

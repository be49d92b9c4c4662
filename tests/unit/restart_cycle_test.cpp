#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/engine/restart_cycle.h"
#include "install/system/platform_class.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/fake_power.h"
#include "tests/support/fake_process_list.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fake_services.h"
#include "tests/support/fake_system_paths.h"

namespace tq {
namespace {

using test::FakeFileSystem;
using test::FakePower;
using test::FakeProcessList;
using test::FakeRegistry;
using test::FakeServices;

constexpr RegistryRoot kLm = RegistryRoot::LocalMachine;
constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kMarker[] = "Kestra TQ8240 SeriesInstall";
constexpr char kMonitors[] = "System\\CurrentControlSet\\Control\\Print\\Monitors";
constexpr char kMonitor[] =
    "System\\CurrentControlSet\\Control\\Print\\Monitors\\Kestra TQ8240 Language Monitor";
constexpr char kX64Folder[] = "C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\";
// Where the resumed installer starts from, and its marker.
constexpr char kResumeFolder[] = "C:\\Program Files\\Kestra\\Kestra TQ8240 Series\\Restart\\";
const std::string kResumed = std::string(kResumeFolder) + "TQ82Ins.exe";
const std::string kResumedMarker = "\"" + kResumed + "\"";

struct Paths : test::FakeSystemPaths {
    Paths() { driver = "C:\\WINDOWS\\SYSTEM\\spool\\drivers"; }
};

struct RestartCycleTest : ::testing::Test {
    FakeRegistry registry;
    Paths paths;
    FakeFileSystem files;
    FakeServices services;
    FakeProcessList processes;
    FakePower power;

    // What had happened by the time of each copy.
    struct AtCopy {
        std::size_t serviceRequests;
        bool monitorKey;
    };
    std::vector<AtCopy> atCopies;

    void SetUp() override {
        registry.AddKey(kLm, kRun).AddKey(kLm, kMonitors).AddKey(kLm, kMonitor);
        for (const char* dir : {"Driver\\2KXP\\", "Driver\\Vista\\"}) {
            for (const char* n : {"T8242dr.dll", "T8242ui.dll", "T8242pi.dll", "T8242rc.dll"}) {
                files.AddFile(std::string("E:\\") + dir + n, std::string("medium ") + n);
            }
        }
        for (const char* n : {"T8249LM.dll", "T824916.dll", "T824932.dll", "T8249DR.drv",
                              "T8249rc.dll", "T8249ui.dll"}) {
            files.AddFile(std::string("E:\\") + n);
        }
        files.AddFile("E:\\TQ82Ins.exe", "installer");
        files.AddFolder("C:\\Program Files");
        files.AddFolder("C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3");
        files.AddFolder("C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3");
        files.AddFolder("C:\\WINDOWS\\SYSTEM\\spool\\drivers");
        files.onCopy = [this](const std::string& to) {
            if (to.rfind(kResumeFolder, 0) == 0) return;
            atCopies.push_back({services.requests.size(), registry.FindKey(kLm, kMonitor) != nullptr});
        };
    }
    RestartCycleServices Cycle(int platformClass, int processorClass = Processor32) {
        return {registry,      paths,          files,
                services,      processes,      power,
                platformClass, processorClass, [this](unsigned ms) { OnSleep(ms); }};
    }
    // The spooler takes `stopSleeps` sleeps to stop after a stop request.
    int stopSleeps = 0;
    std::vector<unsigned> sleeps;
    void OnSleep(unsigned ms) {
        sleeps.push_back(ms);
        if (static_cast<int>(sleeps.size()) >= stopSleeps &&
            services.spooler().state == ServiceState::StopPending) {
            services.spooler().state = ServiceState::Stopped;
        }
    }
    void PlantMarker(const std::string& data) { registry.AddValue(kLm, kRun, kMarker, data); }
    std::optional<std::string> MarkerValue() { return registry.ValueOf(kLm, kRun, kMarker); }
    // The copies into the spooler's folders, without those of the resumed run's own copy.
    std::vector<std::string> Placed() const {
        std::vector<std::string> placed;
        for (const auto& to : files.copied) {
            if (to.rfind(kResumeFolder, 0) != 0) placed.push_back(to);
        }
        return placed;
    }
};

TEST_F(RestartCycleTest, FreshRunsDoNothing) {
    EXPECT_FALSE(ResumeAfterRestart(Cycle(PlatformXp)));
    // A marker left by a copy of the installer elsewhere stays, and this run is a fresh one.
    PlantMarker("\"D:\\Old Medium\\TQ82Ins.exe\"");
    EXPECT_FALSE(ResumeAfterRestart(Cycle(PlatformXp)));
    EXPECT_EQ(MarkerValue(), "\"D:\\Old Medium\\TQ82Ins.exe\"");
    EXPECT_TRUE(files.copied.empty());
    EXPECT_TRUE(services.requests.empty());
}

TEST_F(RestartCycleTest, ResumeOnTheNtFamilyPlacesFilesThenMonitorKeyThenSpooler) {
    registry.DeleteKey(kLm, kMonitor);  // deleted before the restart
    services.spooler().state = ServiceState::Stopped;
    services.spooler().config.startType = ServiceStartType::OnDemand;
    PlantMarker("e:\\tq82ins.exe");  // bare and in other letters: still this program
    EXPECT_TRUE(ResumeAfterRestart(Cycle(PlatformVista, Processor64)));
    EXPECT_EQ(MarkerValue(), std::nullopt) << "the marker must go";
    std::vector<std::string> expected;
    for (const char* n : {"T8242dr.dll", "T8242ui.dll", "T8242pi.dll", "T8242rc.dll"}) {
        expected.push_back(std::string(kX64Folder) + n);
    }
    EXPECT_EQ(files.copied, expected);
    for (const auto& at : atCopies) {
        EXPECT_EQ(at.serviceRequests, 0u) << "a file was placed after the spooler was touched";
        EXPECT_FALSE(at.monitorKey) << "a file was placed after the monitor key came back";
    }
    EXPECT_EQ(registry.ValueOf(kLm, kMonitor, "Driver"), "T8242LM.dll");
    EXPECT_EQ(services.requests, (std::vector<std::string>{"start", "change"}));
    EXPECT_EQ(services.spooler().config.startType, ServiceStartType::Automatic);
    EXPECT_TRUE(power.calls.empty());
}

TEST_F(RestartCycleTest, ResumeOnWindows9xAndUnknownOnlyDeletesTheMarker) {
    for (int platformClass : {Platform9x, PlatformOther}) {
        PlantMarker("\"E:\\TQ82Ins.exe\"");
        EXPECT_TRUE(ResumeAfterRestart(Cycle(platformClass)));
        EXPECT_EQ(MarkerValue(), std::nullopt);
    }
    EXPECT_TRUE(files.copied.empty());
    EXPECT_TRUE(services.requests.empty());
}

TEST_F(RestartCycleTest, RestartOnTheNtFamilyParksTheSpoolerThenRestartsFromTheCopy) {
    services.spooler().state = ServiceState::Running;
    services.spooler().config.startType = ServiceStartType::Automatic;
    RestartForUpdate(Cycle(PlatformXp));
    EXPECT_EQ(services.requests, (std::vector<std::string>{"change", "stop"}));
    EXPECT_EQ(services.spooler().config.startType, ServiceStartType::OnDemand);
    EXPECT_EQ(registry.FindKey(kLm, kMonitor), nullptr) << "the monitor key must go";
    EXPECT_EQ(MarkerValue(), kResumedMarker);
    EXPECT_EQ(power.calls, (std::vector<std::string>{"privilege", "reboot"}));
    EXPECT_TRUE(Placed().empty()) << "the files wait for the restart";

    // A user swaps the medium during the restart; Windows starts the copy. The next start
    // closes the cycle with the files as they were when 重启 was pressed.
    files.AddFile("E:\\TQ82Ins.exe", "planted").AddFile("E:\\Driver\\2KXP\\T8242dr.dll", "planted");
    paths.module = kResumed;
    services.spooler().state = ServiceState::Stopped;
    EXPECT_TRUE(ResumeAfterRestart(Cycle(PlatformXp)));
    EXPECT_EQ(MarkerValue(), std::nullopt);
    EXPECT_EQ(Placed().size(), 4u);
    for (const auto& to : Placed()) {
        EXPECT_EQ(files.FindFile(to)->contents.rfind("medium ", 0), 0u) << to;
    }
    EXPECT_EQ(services.spooler().config.startType, ServiceStartType::Automatic);
    EXPECT_EQ(services.spooler().state, ServiceState::StartPending);
    EXPECT_NE(registry.FindKey(kLm, kMonitor), nullptr);
}

// Vista and later start the elevated installer from RunOnce after the restart. Windows keeps a
// "!" value until the program has run; Wine's start-up deletes it first: either way the
// resumed run finds a marker and leaves none behind.
TEST_F(RestartCycleTest, OnVistaTheResumedRunFindsTheMarkerWhetherOrNotRunOnceKeptIt) {
    constexpr char kRunOnce[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    const std::string once = std::string("!") + kMarker;
    for (const bool runOnceDeletedBeforeTheStart : {false, true}) {
        SCOPED_TRACE(runOnceDeletedBeforeTheStart ? "Wine" : "Windows");
        power.calls.clear();
        std::size_t markersAtRestart = 0;
        power.onReboot = [&] {
            markersAtRestart = (MarkerValue() ? 1 : 0) +
                               (registry.ValueOf(kLm, kRunOnce, once) ? 1 : 0);
        };
        RestartForUpdate(Cycle(PlatformVista, Processor64));
        EXPECT_EQ(markersAtRestart, 2u);
        EXPECT_EQ(registry.ValueOf(kLm, kRunOnce, once), kResumedMarker);

        paths.module = kResumed;
        if (runOnceDeletedBeforeTheStart) registry.FindKey(kLm, kRunOnce)->values.clear();
        EXPECT_TRUE(ResumeAfterRestart(Cycle(PlatformVista, Processor64)));
        EXPECT_EQ(MarkerValue(), std::nullopt);
        EXPECT_EQ(registry.ValueOf(kLm, kRunOnce, once), std::nullopt);
        EXPECT_FALSE(ResumeAfterRestart(Cycle(PlatformVista, Processor64))) << "only once";
        paths.module = "E:\\TQ82Ins.exe";
    }
}

TEST_F(RestartCycleTest, RestartOnWindows9xEndsSpool32AndPlacesAtOnce) {
    processes.processes = {{7, "C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL"},
                           {12, "C:\\WINDOWS\\system32\\SPOOL32.EXE"}};
    RestartForUpdate(Cycle(Platform9x, Processor9x));
    EXPECT_EQ(processes.terminated, std::vector<std::uint32_t>{12});
    EXPECT_EQ(Placed().size(), 7u);
    EXPECT_TRUE(services.requests.empty());
    EXPECT_NE(registry.FindKey(kLm, kMonitor), nullptr);
    EXPECT_EQ(MarkerValue(), kResumedMarker);
    EXPECT_EQ(power.calls, std::vector<std::string>{"reboot"});
}

// A restart Windows refuses leaves the printer system as it was: no marker, the monitor key
// back before the spooler starts again, the start type restored; only what the preparation
// changed is put back.
TEST_F(RestartCycleTest, ARefusedRestartUndoesThePreparation) {
    constexpr char kRunOnce[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    struct Case {
        const char* what;
        int platformClass;
        ServiceState state;
        ServiceStartType startType;
        bool monitorKey;
        int stopSleeps;
        std::vector<std::string> requests;  // preparation, then rollback
        ServiceState stateAfter;
        std::size_t polls;  // quarter-second sleeps while the spooler stops, 30 s at most
    };
    const Case cases[] = {
        {"XP, running, automatic", PlatformXp, ServiceState::Running, ServiceStartType::Automatic,
         true, 3, {"change", "stop", "change", "start"}, ServiceState::StartPending, 3},
        {"Vista, stopped, on demand, no monitor", PlatformVista, ServiceState::Stopped,
         ServiceStartType::OnDemand, false, 0, {"change", "change"}, ServiceState::Stopped, 0},
        {"2000, disabled: left alone", Platform2000, ServiceState::Running,
         ServiceStartType::Disabled, true, 0, {"stop", "start"}, ServiceState::StartPending, 1},
        {"a spooler that never stops is not started", PlatformXp, ServiceState::Running,
         ServiceStartType::Automatic, true, 1000, {"change", "stop", "change"},
         ServiceState::StopPending, 120},
        {"Windows 98", Platform9x, ServiceState::Stopped, ServiceStartType::OnDemand, true, 0, {},
         ServiceState::Stopped, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        registry.AddKey(kLm, kMonitor);
        registry.AddValue(kLm, kMonitor, "Driver", "T8242LM.dll");
        if (!c.monitorKey) registry.DeleteKey(kLm, kMonitor);
        services.requests.clear();
        services.spooler().state = c.state;
        services.spooler().config.startType = c.startType;
        sleeps.clear();
        stopSleeps = c.stopSleeps;
        power.rebootAccepted = false;
        power.onReboot = [] {};
        files.onCopy = nullptr;

        EXPECT_EQ(RestartForUpdate(Cycle(c.platformClass)), RestartRequest::Failed);
        EXPECT_EQ(services.requests, c.requests);
        EXPECT_EQ(services.spooler().config.startType, c.startType);
        EXPECT_EQ(services.spooler().state, c.stateAfter);
        EXPECT_EQ(registry.FindKey(kLm, kMonitor) != nullptr, c.monitorKey);
        EXPECT_EQ(MarkerValue(), std::nullopt);
        EXPECT_EQ(registry.ValueOf(kLm, kRunOnce, std::string("!") + kMarker), std::nullopt);
        EXPECT_EQ(sleeps, std::vector<unsigned>(c.polls, 250u));
    }
}

// Without the copy nothing is parked; without the marker what was parked is undone. Neither
// restarts.
TEST_F(RestartCycleTest, ACopyOrMarkerThatFailsRefusesTheRestart) {
    for (const bool copyFails : {true, false}) {
        SCOPED_TRACE(copyFails ? "copy" : "marker");
        services.requests.clear();
        services.spooler().state = ServiceState::Running;
        services.spooler().config.startType = ServiceStartType::Automatic;
        if (copyFails) {
            files.failingFolders.insert("C:\\Program Files\\Kestra\\Kestra TQ8240 Series\\Restart");
        } else {
            files.failingFolders.clear();
            registry.DeleteKey(kLm, kRun);
        }
        EXPECT_EQ(RestartForUpdate(Cycle(PlatformXp)), RestartRequest::Failed);
        const std::vector<std::string> parkedAndUndone{"change", "stop", "change", "start"};
        EXPECT_EQ(services.requests, copyFails ? std::vector<std::string>() : parkedAndUndone);
        EXPECT_EQ(services.spooler().config.startType, ServiceStartType::Automatic);
        EXPECT_NE(registry.FindKey(kLm, kMonitor), nullptr);
        EXPECT_TRUE(power.calls.empty());
    }
}

TEST_F(RestartCycleTest, RestartOnAnUnknownPlatformSetsTheMarkerButDoesNotRestart) {
    EXPECT_EQ(RestartForUpdate(Cycle(PlatformOther)), RestartRequest::NotHere);
    EXPECT_EQ(MarkerValue(), kResumedMarker);
    EXPECT_TRUE(power.calls.empty());
    EXPECT_TRUE(services.requests.empty());
    EXPECT_TRUE(processes.terminated.empty());
}

}  // namespace
}  // namespace tq

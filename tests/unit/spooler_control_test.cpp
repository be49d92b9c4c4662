#include "install/system/spooler_control.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/system/platform_class.h"
#include "tests/support/fake_power.h"
#include "tests/support/fake_process_list.h"
#include "tests/support/fake_services.h"
#include "tests/support/fake_system_paths.h"

namespace tq {
namespace {

using test::FakePower;
using test::FakeProcessList;
using test::FakeServices;

using Requests = std::vector<std::string>;

TEST(SpoolerService, StopOnlyWhenRunningAndStartOnlyWhenStopped) {
    const ServiceState states[] = {ServiceState::Stopped,         ServiceState::StartPending,
                                   ServiceState::StopPending,     ServiceState::Running,
                                   ServiceState::ContinuePending, ServiceState::PausePending,
                                   ServiceState::Paused};
    for (ServiceState state : states) {
        SCOPED_TRACE(static_cast<int>(state));
        const bool running = state == ServiceState::Running;
        const bool stopped = state == ServiceState::Stopped;

        FakeServices stop;
        stop.spooler().state = state;
        EXPECT_EQ(StopSpoolerService(stop), running ? 1 : 0);
        EXPECT_EQ(stop.requests, running ? Requests{"stop"} : Requests{});
        EXPECT_EQ(stop.opened, Requests{"Spooler"});
        EXPECT_EQ(stop.closed, 1);

        FakeServices start;
        start.spooler().state = state;
        EXPECT_EQ(StartSpoolerService(start), stopped ? 1 : 0);
        EXPECT_EQ(start.requests, stopped ? Requests{"start"} : Requests{});
        EXPECT_EQ(start.closed, 1);
    }
}

TEST(SpoolerService, ARefusedRequestIsZero) {
    FakeServices services;
    services.spooler().requestsRefused = true;
    services.spooler().state = ServiceState::Running;
    EXPECT_EQ(StopSpoolerService(services), 0);
    services.spooler().state = ServiceState::Stopped;
    EXPECT_EQ(StartSpoolerService(services), 0);  // a disabled spooler refuses to start
    services.spooler().config.startType = ServiceStartType::Automatic;
    EXPECT_EQ(ToggleSpoolerStartType(services), 0);
    EXPECT_EQ(services.requests, (Requests{"stop", "start", "change"}));
}

TEST(SpoolerService, NothingOpenedOrReadMeansZeroAndNoRequest) {
    FakeServices noManager;  // no rights to the service control manager
    noManager.managerFails = true;
    noManager.spooler().state = ServiceState::Running;
    noManager.spooler().config.startType = ServiceStartType::Automatic;
    EXPECT_EQ(StopSpoolerService(noManager), 0);
    EXPECT_EQ(StartSpoolerService(noManager), 0);
    EXPECT_EQ(ToggleSpoolerStartType(noManager), 0);
    EXPECT_TRUE(noManager.requests.empty());

    FakeServices noSpooler;
    noSpooler.services.clear();
    EXPECT_EQ(StopSpoolerService(noSpooler), 0);
    EXPECT_EQ(StartSpoolerService(noSpooler), 0);
    EXPECT_EQ(ToggleSpoolerStartType(noSpooler), 0);
    EXPECT_TRUE(noSpooler.requests.empty());

    FakeServices unreadable;
    unreadable.spooler().statusFails = true;
    unreadable.spooler().configFails = true;
    unreadable.spooler().state = ServiceState::Running;
    EXPECT_EQ(StopSpoolerService(unreadable), 0);
    unreadable.spooler().state = ServiceState::Stopped;
    EXPECT_EQ(StartSpoolerService(unreadable), 0);
    EXPECT_EQ(ToggleSpoolerStartType(unreadable), 0);
    EXPECT_TRUE(unreadable.requests.empty());
    EXPECT_EQ(unreadable.closed, 3);
}

TEST(SpoolerStartType, TwoTogglesRestoreAutomaticAndOnDemandWithTheCurrentDisplayName) {
    for (ServiceStartType first : {ServiceStartType::Automatic, ServiceStartType::OnDemand}) {
        const ServiceStartType other = first == ServiceStartType::Automatic
                                           ? ServiceStartType::OnDemand
                                           : ServiceStartType::Automatic;
        FakeServices services;
        services.spooler().config = {first, "Druckwarteschlange"};
        EXPECT_EQ(ToggleSpoolerStartType(services), 1);
        EXPECT_EQ(services.spooler().config.startType, other);
        services.spooler().config.displayName = "Print Spooler (renamed between)";
        EXPECT_EQ(ToggleSpoolerStartType(services), 1);
        EXPECT_EQ(services.spooler().config.startType, first);

        ASSERT_EQ(services.changes.size(), 2u);
        EXPECT_EQ(services.changes[0].startType, other);
        EXPECT_EQ(services.changes[0].displayName, "Druckwarteschlange");
        EXPECT_EQ(services.changes[1].startType, first);
        EXPECT_EQ(services.changes[1].displayName, "Print Spooler (renamed between)");
        EXPECT_EQ(services.closed, 2);
    }
}

TEST(SpoolerStartType, DisabledBootAndSystemAreLeftAlone) {
    for (ServiceStartType type : {ServiceStartType::Disabled, ServiceStartType::Boot,
                                  ServiceStartType::System, static_cast<ServiceStartType>(99)}) {
        SCOPED_TRACE(static_cast<int>(type));
        FakeServices services;
        services.spooler().config.startType = type;
        EXPECT_EQ(ToggleSpoolerStartType(services), 0);
        EXPECT_TRUE(services.requests.empty());
        EXPECT_EQ(services.spooler().config.startType, type);
    }
}

TEST(SpoolerStartType, BeforeAndAfterTheRestart) {
    // Automatic and running: on-demand and stopping before the restart ...
    FakeServices services;
    services.spooler().state = ServiceState::Running;
    services.spooler().config.startType = ServiceStartType::Automatic;
    EXPECT_EQ(ToggleSpoolerStartType(services), 1);
    EXPECT_EQ(StopSpoolerService(services), 1);
    EXPECT_EQ(services.spooler().config.startType, ServiceStartType::OnDemand);
    EXPECT_EQ(services.spooler().state, ServiceState::StopPending);
    // ... which left it stopped after the restart; started and automatic again.
    services.spooler().state = ServiceState::Stopped;
    EXPECT_EQ(StartSpoolerService(services), 1);
    EXPECT_EQ(ToggleSpoolerStartType(services), 1);
    EXPECT_EQ(services.spooler().config.startType, ServiceStartType::Automatic);
    EXPECT_EQ(services.requests, (Requests{"change", "stop", "start", "change"}));
}

struct Paths : test::FakeSystemPaths {
    Paths() {
        module.clear();
        system = "C:\\WINDOWS\\SYSTEM";
        driver.clear();
    }
};

TEST(Spool32, TheFirstProcessWithTheFullPathIsEndedWhateverTheLetterCase) {
    FakeProcessList list;
    Paths paths;
    list.processes = {
        {0x10, "C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL"},
        {0x20, "Spool32.exe"},                           // the bare name is not the target
        {0x30, "C:\\TEMP\\SPOOL32.EXE"},                 // nor is a copy elsewhere
        {0x40, "C:\\WINDOWS\\SYSTEM\\Spool32.exe.bak"},  // nor a longer name
        {0x50, "c:\\windows\\system\\spool32.EXE"},
        {0x60, "C:\\WINDOWS\\SYSTEM\\SPOOL32.EXE"},
    };
    EXPECT_EQ(TerminateSpool32(list, paths), 1);
    EXPECT_EQ(list.terminated, std::vector<std::uint32_t>{0x50});

    FakeProcessList refused;
    refused.processes = {{0x70, "C:\\WINDOWS\\SYSTEM\\SPOOL32.EXE"}};
    refused.terminateFails = true;
    EXPECT_EQ(TerminateSpool32(refused, paths), 0);
    EXPECT_EQ(refused.terminated, std::vector<std::uint32_t>{0x70});
}

TEST(Spool32, TheComparisonKnowsDoubleByteCharacters) {
    // A system folder under a GBK name whose second byte looks like 'A' ("\x81\x41"): the
    // character "\x81\x61" is another one, although a byte-wise fold would call them equal.
    FakeProcessList list;
    Paths paths;
    paths.system = "C:\\\x81\x41\\SYSTEM";
    list.processes = {{0x10, "c:\\\x81\x61\\system\\spool32.exe"},
                      {0x20, "c:\\\x81\x41\\system\\spool32.exe"}};
    EXPECT_EQ(TerminateSpool32(list, paths), 1);
    EXPECT_EQ(list.terminated, std::vector<std::uint32_t>{0x20});
}

TEST(Spool32, NoMatchNoSnapshotOrNoSystemFolderEndsNothing) {
    Paths paths;
    FakeProcessList none;
    none.processes = {{0x10, "C:\\WINDOWS\\EXPLORER.EXE"}, {0x20, "SPOOL32.EXE"}};
    EXPECT_EQ(TerminateSpool32(none, paths), 0);
    EXPECT_TRUE(none.terminated.empty());

    FakeProcessList noSnapshot;
    noSnapshot.snapshotFails = true;
    EXPECT_EQ(TerminateSpool32(noSnapshot, paths), 0);
    EXPECT_TRUE(noSnapshot.terminated.empty());

    // Without the system folder the target would be "\Spool32.exe", which nothing should match.
    Paths unknown;
    unknown.system.clear();
    FakeProcessList rootless;
    rootless.processes = {{0x30, "\\SPOOL32.EXE"}};
    EXPECT_EQ(TerminateSpool32(rootless, unknown), 0);
    EXPECT_TRUE(rootless.terminated.empty());
    EXPECT_EQ(rootless.snapshots, 0);
}

TEST(ComputerRestart, ThePrivilegeOnTheNtFamilyThenTheForcedReboot) {
    struct Case {
        int platformClass;
        std::vector<std::string> calls;
        int result;
    };
    const Case cases[] = {
        {Platform9x, {"reboot"}, 1},
        {PlatformNt4, {"privilege", "reboot"}, 1},
        {Platform2000, {"privilege", "reboot"}, 1},
        {PlatformXp, {"privilege", "reboot"}, 1},
        {PlatformVista, {"privilege", "reboot"}, 1},
        {PlatformOther, {}, 0},
        {0, {}, 0},
        {6, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.platformClass);
        FakePower power;
        EXPECT_EQ(RestartComputer(power, c.platformClass), c.result);
        EXPECT_EQ(power.calls, c.calls);
    }

    FakePower refused;
    refused.rebootAccepted = false;
    EXPECT_EQ(RestartComputer(refused, PlatformXp), 0);
    EXPECT_EQ(refused.calls, (std::vector<std::string>{"privilege", "reboot"}));
}

}  // namespace
}  // namespace tq

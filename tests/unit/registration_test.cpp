#include "install/engine/registration.h"

#include <gtest/gtest.h>

#include "install/system/platform_class.h"
#include "tests/support/fake_progress.h"
#include "tests/support/fake_setup_libraries.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/fake_system_paths.h"

namespace tq {
namespace {

using test::FakeSetupLibraries;
using test::FakeSpooler;
using test::RecordingProgress;

constexpr const char* kModel = "Kestra TQ8240 Series";
constexpr const char* kDriverDir = "C:\\windows\\system32\\spool\\drivers\\w32x86";

struct Paths : test::FakeSystemPaths {
    Paths() {
        module = "C:\\medium\\TQ82Ins.exe";
        windows = "C:\\windows";
        system = "C:\\windows\\system32";
        driver = kDriverDir;
    }
};

class System : public SystemInfo {
  public:
    OsVersion Version() override { return version; }
    bool NativeArchitecture(std::uint16_t& arch) override {
        arch = 0;
        return true;
    }
    OsVersion version{2, 6, 1};
};

struct RegistrationFixture : ::testing::Test {
    FakeSpooler spooler;
    FakeSetupLibraries libraries;
    Paths paths;
    System system;
    PrinterSettings printers{spooler, libraries, system};
    RegistrationServices services{spooler, printers, libraries, paths, system};
    RecordingProgress progress;
    InstallJob job;
    WizardSettings settings;

    void SetUp() override {
        job.progress = &progress;
        job.platformClass = PlatformVista;
        job.processorClass = Processor32;
        settings.SetPrinterName("Office Laser");
        settings.connectionType = Parallel;
        settings.SetPortName("LPT1:");
    }
    int Run() { return RegisterDriverAndPrinter(job, settings, services); }
};

TEST_F(RegistrationFixture, FreshVistaParallelRegistersEverythingInOrder) {
    ASSERT_EQ(Run(), 1);

    ASSERT_EQ(spooler.addedMonitors.size(), 1u);
    const MonitorSpec& m = spooler.addedMonitors[0];
    EXPECT_EQ(m.name, "Kestra TQ8240 Language Monitor");
    EXPECT_EQ(m.environment, "Windows NT X86");
    EXPECT_EQ(m.dllName, "T8242LM.dll");

    ASSERT_EQ(spooler.addedDrivers.size(), 1u);
    const DriverSpec& d = spooler.addedDrivers[0];
    const std::string base = std::string(kDriverDir) + "\\3\\";
    EXPECT_EQ(d.version, 3u);
    EXPECT_EQ(d.name, kModel);
    EXPECT_EQ(d.environment, "Windows NT x86");
    EXPECT_EQ(d.driverPath, base + "T8242dr.dll");
    EXPECT_EQ(d.dataFile, base + "T8242.dat");
    EXPECT_EQ(d.configFile, base + "T8242pi.dll");
    EXPECT_EQ(d.helpFile, base + "T8242ui.chm");
    EXPECT_EQ(d.dependentFiles, (std::vector<std::string>{"T8242ui.dll", "T8242rc.dll",
                                                          "T824xWM.dat", "T8242lm.dll"}));
    EXPECT_EQ(d.monitorName, "Kestra TQ8240 Language Monitor");
    EXPECT_EQ(d.defaultDataType, std::nullopt);

    ASSERT_EQ(spooler.addedQueues.size(), 1u);
    const QueueSpec& q = spooler.addedQueues[0];
    EXPECT_EQ(q.printerName, "Office Laser");
    EXPECT_EQ(q.portName, "LPT1:");
    EXPECT_EQ(q.driverName, kModel);
    EXPECT_EQ(q.printProcessor, "WinPrint");
    EXPECT_EQ(q.dataType, "RAW");
    EXPECT_EQ(q.shareName, std::nullopt);
    EXPECT_EQ(q.attributes, 0u);

    // Default through SetupNT.dll after the queue; not shared; no port preparation.
    EXPECT_EQ(libraries.calls, std::vector<std::string>{"SetDefault(Office Laser)"});
    EXPECT_EQ(progress.Posts(StageInstall, 1), 4);
    EXPECT_EQ(progress.Pauses(), 4);
}

// On 64-bit Windows the driver's files are named in the x64 driver folder, whatever the
// installer's own environment (a 32-bit one's is w32x86, kDriverDir here).
TEST_F(RegistrationFixture, ClassesPickTheirEnvironmentsFilesAndDataType) {
    job.platformClass = PlatformXp;
    job.processorClass = Processor64;
    paths.otherDriverDirectories["Windows x64"] = "C:\\windows\\system32\\spool\\drivers\\x64";
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(spooler.addedMonitors[0].environment, "Windows x64");
    EXPECT_EQ(spooler.addedDrivers[0].environment, "Windows x64");
    EXPECT_EQ(spooler.addedDrivers[0].helpFile,
              "C:\\windows\\system32\\spool\\drivers\\x64\\3\\T8242UI.chm");

    FakeSpooler nine;
    RegistrationServices s9{nine, printers, libraries, paths, system};
    job.platformClass = Platform9x;
    job.processorClass = Processor9x;
    ASSERT_EQ(RegisterDriverAndPrinter(job, settings, s9), 1);
    const MonitorSpec& m = nine.addedMonitors[0];
    EXPECT_EQ(m.name, "Kestra TQ8240 PJL Language Monitor");
    EXPECT_EQ(m.environment, "Windows 4.0");
    EXPECT_EQ(m.dllName, "T8249LM.dll");
    const DriverSpec& d = nine.addedDrivers[0];
    EXPECT_EQ(d.version, 1024u);
    EXPECT_EQ(d.environment, "Windows 4.0");
    EXPECT_EQ(d.driverPath, std::string(kDriverDir) + "\\T8249dr.drv");
    EXPECT_EQ(d.dataFile, d.driverPath);
    EXPECT_EQ(d.configFile, d.driverPath);
    EXPECT_EQ(d.helpFile, std::string(kDriverDir) + "\\T8249ui.hlp");
    EXPECT_EQ(d.dependentFiles.size(), 10u);
    EXPECT_EQ(d.monitorName, "Kestra TQ8240 PJL Language Monitor");
    EXPECT_EQ(d.defaultDataType, SpoolerText("EMF"));
    EXPECT_EQ(nine.addedQueues[0].dataType, "EMF");
}

TEST_F(RegistrationFixture, ASecondInstallationUnderTheSameNameChangesNothing) {
    ASSERT_EQ(Run(), 1);
    spooler.queues[0].port = "KEPT:";
    libraries.calls.clear();
    RecordingProgress second;
    job.progress = &second;
    settings.SetPortName("LPT2:");
    settings.shareEnabled = 1;
    settings.SetShareName("NEWSHARE");
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(spooler.addedMonitors.size(), 1u);
    EXPECT_EQ(spooler.addedDrivers.size(), 1u);
    EXPECT_EQ(spooler.addedQueues.size(), 1u);
    EXPECT_EQ(spooler.queues[0].port, SpoolerText("KEPT:"));
    EXPECT_EQ(spooler.queues[0].shareName, std::nullopt);
    EXPECT_TRUE(libraries.calls.empty());
    EXPECT_EQ(second.Posts(StageInstall, 1), 4);
}

TEST_F(RegistrationFixture, ASecondInstallationUnderANewNameAddsOnlyTheQueue) {
    ASSERT_EQ(Run(), 1);
    settings.SetPrinterName("Second Kestra");
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(spooler.addedMonitors.size(), 1u);
    EXPECT_EQ(spooler.addedDrivers.size(), 1u);
    ASSERT_EQ(spooler.addedQueues.size(), 2u);
    EXPECT_EQ(spooler.addedQueues[1].printerName, "Second Kestra");
}

TEST_F(RegistrationFixture, AlreadyThereErrorsCountAsSuccessOthersStopWithEarlierStepsKept) {
    for (std::uint32_t error : {3006u, 183u}) {
        FakeSpooler s;
        s.addMonitorError = error;
        RegistrationServices svc{s, printers, libraries, paths, system};
        EXPECT_EQ(RegisterDriverAndPrinter(job, settings, svc), 1) << error;
        EXPECT_EQ(s.addedDrivers.size(), 1u);
    }
    {
        FakeSpooler s;
        s.addMonitorError = 5;
        RegistrationServices svc{s, printers, libraries, paths, system};
        EXPECT_EQ(RegisterDriverAndPrinter(job, settings, svc), 0);
        EXPECT_TRUE(s.addedDrivers.empty());
        EXPECT_TRUE(s.addedQueues.empty());
    }
    {
        FakeSpooler s;
        s.addDriverError = 1795;
        RegistrationServices svc{s, printers, libraries, paths, system};
        EXPECT_EQ(RegisterDriverAndPrinter(job, settings, svc), 1);
    }
    {
        FakeSpooler s;
        s.addDriverError = 2;
        RegistrationServices svc{s, printers, libraries, paths, system};
        EXPECT_EQ(RegisterDriverAndPrinter(job, settings, svc), 0);
        EXPECT_EQ(s.addedMonitors.size(), 1u) << "the monitor stays registered";
        EXPECT_TRUE(s.addedQueues.empty());
    }
}

// Whether the driver is there is asked of the environment it registers with; a driver folder
// the spooler does not report fails the step before anything is registered.
TEST_F(RegistrationFixture, TheDriverIsLookedForAndNamedInItsOwnEnvironment) {
    struct Case {
        const char* installedFor;  // the model's driver already there, for this environment
        const char* x64Folder;     // what the spooler reports for "Windows x64"
        int result;
        std::size_t driversAdded;
    };
    for (const Case& c : {Case{"Windows x64", "C:\\x64", 1, 0},
                          Case{"Windows NT x86", "C:\\x64", 1, 1}, Case{nullptr, "", 0, 0}}) {
        SCOPED_TRACE(c.installedFor ? c.installedFor : "none");
        FakeSpooler s;  // asked by a 32-bit program: its own environment is "Windows NT x86"
        if (c.installedFor != nullptr) s.AddDriver(kModel, c.installedFor);
        paths.otherDriverDirectories["Windows x64"] = c.x64Folder;
        RegistrationServices svc{s, printers, libraries, paths, system};
        job.platformClass = PlatformVista;
        job.processorClass = Processor64;
        EXPECT_EQ(RegisterDriverAndPrinter(job, settings, svc), c.result);
        EXPECT_EQ(s.addedDrivers.size(), c.driversAdded);
        EXPECT_EQ(s.addedQueues.size(), c.result == 1 ? 1u : 0u);
        EXPECT_EQ(s.addedMonitors.size(), c.result == 1 ? 1u : 0u);
    }
}

TEST_F(RegistrationFixture, AQueueOfThatNameWithAnotherDriverMakesTheAddFail) {
    spooler.AddQueue("Office Laser", "LPT1:", "Other Driver");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(spooler.addedDrivers.size(), 1u);
}

TEST_F(RegistrationFixture, DefaultAndShareFailuresFailTheStepButKeepTheQueue) {
    libraries.setDefaultResult = 0;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(spooler.queues.size(), 1u);

    FakeSpooler s;
    PrinterSettings sharing{s, libraries, system};
    RegistrationServices svc{s, sharing, libraries, paths, system};
    settings.setAsDefault = 0;
    settings.shareEnabled = 1;
    settings.SetShareName("KestraTQ");
    s.failWrite.insert("Office Laser");
    EXPECT_EQ(RegisterDriverAndPrinter(job, settings, svc), 0);
    EXPECT_EQ(s.queues.size(), 1u);
}

TEST_F(RegistrationFixture, ASharedQueueIsAddedSharedAndThenShared) {
    settings.setAsDefault = 0;
    settings.shareEnabled = 1;
    settings.SetShareName("KestraTQ");
    ASSERT_EQ(Run(), 1);
    const QueueSpec& q = spooler.addedQueues[0];
    EXPECT_EQ(q.shareName, SpoolerText("KestraTQ"));
    EXPECT_EQ(q.attributes, kPrinterAttributeShared);
    EXPECT_EQ(spooler.queues[0].shareName, SpoolerText("KestraTQ"));
    EXPECT_EQ(spooler.announcements.size(), 1u) << "shared through the level-2 update";
}

TEST_F(RegistrationFixture, ASharedNetworkPrinterGetsItsPortFromTheHelperLibrary) {
    settings.connectionType = SharedNetwork;
    settings.SetPortName("\\\\server\\kestra");
    libraries.installPortWrites = "\\\\server\\kestra-port";
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(libraries.calls.front(), "InstallPort(\\\\server\\kestra,3,\\\\server\\kestra)");
    EXPECT_EQ(spooler.addedQueues[0].portName, "\\\\server\\kestra-port");

    // On Windows 98 the network path itself is the port.
    FakeSpooler nine;
    FakeSetupLibraries noLibraries;
    RegistrationServices s9{nine, printers, noLibraries, paths, system};
    job.platformClass = Platform9x;
    ASSERT_EQ(RegisterDriverAndPrinter(job, settings, s9), 1);
    EXPECT_TRUE(noLibraries.calls.empty());
    EXPECT_EQ(nine.addedQueues[0].portName, "\\\\server\\kestra");
}

TEST_F(RegistrationFixture, SystemsWithoutADriverSetRegisterNothing) {
    for (int platformClass : {PlatformNt4, PlatformOther}) {
        job.platformClass = platformClass;
        EXPECT_EQ(Run(), 0);
    }
    EXPECT_TRUE(spooler.addedMonitors.empty());
    EXPECT_TRUE(spooler.addedDrivers.empty());
    EXPECT_TRUE(progress.events.empty());
}

}  // namespace
}  // namespace tq

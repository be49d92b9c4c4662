#include "install/engine/plug_and_play.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "helpers/pnp_drv_refresh/state_file.h"
#include "install/system/platform_class.h"
#include "tests/support/fake_device_install.h"
#include "tests/support/fake_progress.h"
#include "tests/support/fake_setup_libraries.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/fake_ui.h"
#include "tests/support/fake_system_paths.h"

namespace tq {
namespace {

using test::FakeDeviceInstaller;
using test::FakeProfiles;
using test::FakeProgramRunner;
using test::FakeSetupLibraries;
using test::FakeSpooler;
using test::FakeUi;
using test::RecordingProgress;

constexpr const char* kDriverDir = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";
constexpr const char* kInf = "C:\\Program Files\\Kestra\\Office Laser\\Driver\\T8242if.inf";
constexpr const char* kHardwareId = "USBPRINT\\Kestra_TQ8240_Series80C1";
constexpr const char* kStateFile = "C:\\Program Files\\Kestra\\SetupState.ini";
constexpr const char* kUpdateFails = "UpdateDriverForPlugAndPlayDevices fails";
constexpr int kUntouched = 5;  // pnpSucceeded before the call, to see whether it was written

// Everything the operation does to the outside, in one log: pauses, posts, registrations
// (tried, whether or not the spooler accepts them), the refresh, the update, the helper run.
using Log = std::vector<std::string>;

class LoggingSpooler : public FakeSpooler {
  public:
    explicit LoggingSpooler(Log& log) : log_(log) {}
    SpoolerResult RegisterMonitor(const MonitorSpec& monitor) override {
        log_.push_back("monitor " + monitor.name);
        return FakeSpooler::RegisterMonitor(monitor);
    }
    SpoolerResult RegisterDriver(const DriverSpec& driver) override {
        log_.push_back("driver " + driver.name);
        return FakeSpooler::RegisterDriver(driver);
    }

  private:
    Log& log_;
};

class LoggingLibraries : public FakeSetupLibraries {
  public:
    explicit LoggingLibraries(Log& log) : log_(log) {}
    int RefreshLocalDevNode() override {
        log_.push_back("refresh");
        return FakeSetupLibraries::RefreshLocalDevNode();
    }

  private:
    Log& log_;
};

class LoggingProgress : public RecordingProgress {
  public:
    explicit LoggingProgress(Log& log) : log_(log) {}
    void Post(int stage, long argument) override {
        log_.push_back("post " + std::to_string(stage) + "," + std::to_string(argument));
        RecordingProgress::Post(stage, argument);
    }
    void WaitIfPaused() override {
        log_.push_back("pause");
        RecordingProgress::WaitIfPaused();
    }

  private:
    Log& log_;
};

struct Paths : test::FakeSystemPaths {
    Paths() {
        module = "E:\\Kestra CD\\TQ82Ins.exe";
        driver = kDriverDir;
    }
    std::string SystemDirectory() override { return windows + "\\system32"; }
};

struct PlugAndPlayFixture : ::testing::Test {
    Log log;
    LoggingSpooler spooler{log};
    LoggingLibraries libraries{log};
    Paths paths;
    FakeDeviceInstaller devices;
    FakeProgramRunner programs;
    FakeProfiles profiles;
    FakeUi ui;
    MessageBoxWarnings warnings{ui};
    PlugAndPlayServices services{spooler, libraries, paths, devices, programs, profiles, warnings};
    LoggingProgress progress{log};
    InstallJob job;
    WizardSettings settings;
    std::atomic<int> pnpSucceeded{kUntouched};

    void SetUp() override {
        job.progress = &progress;
        job.platformClass = PlatformXp;
        job.processorClass = Processor32;
        settings.SetPrinterName("Office Laser");
        settings.connectionType = Usb;
        devices.onUpdate = [this] { log.push_back("update"); };
        programs.whileRunning = [this] { log.push_back("run"); };
    }
    int Run() { return InstallPlugAndPlayDriver(job, settings, services, pnpSucceeded); }
    void FailUpdate(std::uint32_t error) { devices.result = {false, error}; }
    void HelperWrites(int results) {
        programs.whileRunning = [this, results] {
            log.push_back("run");
            profiles.values[{kStateFile, "UpdateDriverForPlugAndPlayDevices", "Results"}] = results;
        };
    }
};

const Log kFreshSequence = {
    "pause",    "pause",  "monitor Kestra TQ8240 Language Monitor",
    "post 2,1", "pause",  "monitor USB Monitor",
    "post 2,1", "pause",  "driver Kestra TQ8240 Series",
    "refresh",  "update", "post 2,1",
};

TEST_F(PlugAndPlayFixture, FreshXpRegistersTheMonitorsAndTheUsbDriverThenUpdatesTheDevice) {
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(log, kFreshSequence);
    EXPECT_EQ(pnpSucceeded, 1);

    ASSERT_EQ(spooler.addedMonitors.size(), 2u);
    const MonitorSpec& language = spooler.addedMonitors[0];
    EXPECT_EQ(language.environment, "Windows NT X86");
    EXPECT_EQ(language.dllName, "T8242LM.dll");
    const MonitorSpec& usb = spooler.addedMonitors[1];
    EXPECT_EQ(usb.environment, "Windows NT X86");
    EXPECT_EQ(usb.dllName, "usbmon.dll");

    ASSERT_EQ(spooler.addedDrivers.size(), 1u);
    const DriverSpec& d = spooler.addedDrivers[0];
    const std::string base = std::string(kDriverDir) + "\\3\\";
    EXPECT_EQ(d.version, 3u);
    EXPECT_EQ(d.environment, "Windows NT x86");
    EXPECT_EQ(d.driverPath, base + "T8242dr.dll");
    EXPECT_EQ(d.dataFile, base + "T8242.dat");
    EXPECT_EQ(d.configFile, base + "T8242pi.dll");
    EXPECT_EQ(d.helpFile, base + "T8242UI.chm");
    EXPECT_EQ(d.dependentFiles,
              (std::vector<std::string>{"T8242ui.dll", "T8242rc.dll", "T824xWM.dat", "usbmon.dll",
                                        "T8242lm.dll"}));
    EXPECT_EQ(d.monitorName, "Kestra TQ8240 Language Monitor");

    ASSERT_EQ(devices.calls.size(), 1u);
    EXPECT_EQ(devices.calls[0].hardwareId, kHardwareId);
    EXPECT_EQ(devices.calls[0].infPath, kInf);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(profiles.reads, 0);
}

// A 32-bit installer on 64-bit Windows names the files in the x64 driver folder, not its own.
TEST_F(PlugAndPlayFixture, SixtyFourBitAndVistaPickTheirEnvironmentsAndHelpFile) {
    job.platformClass = PlatformVista;
    job.processorClass = Processor64;
    paths.otherDriverDirectories["Windows x64"] = "C:\\WINDOWS\\system32\\spool\\drivers\\x64";
    ASSERT_EQ(Run(), 1);
    ASSERT_EQ(spooler.addedMonitors.size(), 2u);
    EXPECT_EQ(spooler.addedMonitors[0].environment, "Windows x64");
    EXPECT_EQ(spooler.addedMonitors[1].environment, "Windows x64");
    EXPECT_EQ(spooler.addedDrivers[0].environment, "Windows x64");
    EXPECT_EQ(spooler.addedDrivers[0].helpFile,
              "C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\T8242ui.chm");
}

TEST_F(PlugAndPlayFixture, ASecondRunSkipsOnlyTheLanguageMonitorAndStillUpdates) {
    // As after a parallel installation: both monitors and the driver are there already.
    spooler.AddMonitor("kestra tq8240 language monitor");
    spooler.AddMonitor("USB Monitor");
    spooler.AddDriver("Kestra TQ8240 Series");
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(log, (Log{"pause", "pause", "post 2,1", "pause", "monitor USB Monitor", "post 2,1",
                        "pause", "driver Kestra TQ8240 Series", "refresh", "update", "post 2,1"}));
    EXPECT_EQ(pnpSucceeded, 1);
}

TEST_F(PlugAndPlayFixture, RegistrationErrorsOtherThanAlreadyThereStopBeforeTheUpdate) {
    struct Case {
        std::uint32_t monitorError;
        std::uint32_t driverError;
        int result;
        std::size_t posts;
    };
    const Case cases[] = {
        {3006, 0, 1, 3}, {183, 0, 1, 3}, {0, 1795, 1, 3},
        {5, 0, 0, 0},    {0, 5, 0, 2},   {0, 183, 0, 2},  // 183 is no excuse for a driver
    };
    for (const Case& c : cases) {
        Log caseLog;
        LoggingSpooler s{caseLog};
        s.addMonitorError = c.monitorError;
        s.addDriverError = c.driverError;
        LoggingProgress p{caseLog};
        FakeDeviceInstaller d;
        PlugAndPlayServices svc{s, libraries, paths, d, programs, profiles, warnings};
        job.progress = &p;
        std::atomic<int> flag{0};
        EXPECT_EQ(InstallPlugAndPlayDriver(job, settings, svc, flag), c.result)
            << c.monitorError << "/" << c.driverError;
        EXPECT_EQ(static_cast<std::size_t>(p.Posts(StageInstall, 1)), c.posts)
            << c.monitorError << "/" << c.driverError;
        EXPECT_EQ(d.calls.size(), c.result == 1 ? 1u : 0u);
    }
    // With the language monitor present, a refused USB monitor stops after one post.
    Log caseLog;
    LoggingSpooler s{caseLog};
    s.AddMonitor("Kestra TQ8240 Language Monitor");
    s.addMonitorError = 5;
    LoggingProgress p{caseLog};
    PlugAndPlayServices svc{s, libraries, paths, devices, programs, profiles, warnings};
    job.progress = &p;
    EXPECT_EQ(InstallPlugAndPlayDriver(job, settings, svc, pnpSucceeded), 0);
    EXPECT_EQ(caseLog, (Log{"pause", "pause", "post 2,1", "pause", "monitor USB Monitor"}));
    EXPECT_EQ(pnpSucceeded, kUntouched);
}

TEST_F(PlugAndPlayFixture, TheThreeKnownUpdateErrorsWarnWithoutOwnerAndFail) {
    const std::pair<std::uint32_t, const char*> rows[] = {
        {0, "NO_ERROR"}, {2, "FILE_NOT_FOUND"}, {1004, "INVALID_FLAGS"}};
    for (const auto& [error, caption] : rows) {
        log.clear();
        ui.boxes.clear();
        ui.answers.push_back(kIdOk);
        FailUpdate(error);
        EXPECT_EQ(Run(), 0) << caption;
        ASSERT_EQ(ui.boxes.size(), 1u) << caption;
        EXPECT_EQ(ui.boxes[0].text, kUpdateFails);
        EXPECT_EQ(ui.boxes[0].caption, caption);
        EXPECT_EQ(ui.boxes[0].style, 0x30u) << "MB_ICONWARNING and an OK button";
        EXPECT_EQ(log.back(), "update") << caption << ": no post after the refusal";
        EXPECT_EQ(pnpSucceeded, kUntouched);
        EXPECT_TRUE(programs.runs.empty());
    }
}

TEST_F(PlugAndPlayFixture, OtherUpdateErrorsLeaveTheOutcomeToTheWait) {
    // No such device (the printer is not plugged in), access denied, a missing newdev export,
    // and the neighbour of ERROR_IN_WOW64.
    for (std::uint32_t error : {0xE000020Bu, 5u, 127u, 0xE0000234u}) {
        log.clear();
        FailUpdate(error);
        EXPECT_EQ(Run(), 1) << error;
        EXPECT_EQ(log.back(), "post 2,1");
        EXPECT_EQ(pnpSucceeded, kUntouched) << error;
    }
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(programs.runs.empty());
    EXPECT_EQ(profiles.reads, 0);
}

TEST_F(PlugAndPlayFixture, InWow64TheHelperRunsWithTheExactCommandLineAndTheStateFileDecides) {
    FailUpdate(0xE0000235);
    HelperWrites(1);
    ASSERT_EQ(Run(), 1);
    ASSERT_EQ(programs.runs.size(), 1u);
    EXPECT_EQ(programs.runs[0].applicationName, "E:\\Kestra CD\\PnpDrvRefresh.exe");
    // No program name in front and nothing quoted: the program is named apart.
    EXPECT_EQ(programs.runs[0].commandLine,
              "C:\\Program Files\\Kestra\\Office Laser\\Driver\\T8242if.inf;"
              "USBPRINT\\Kestra_TQ8240_Series80C1");
    EXPECT_EQ(log, (Log{"pause", "pause", "monitor Kestra TQ8240 Language Monitor", "post 2,1",
                        "pause", "monitor USB Monitor", "post 2,1", "pause",
                        "driver Kestra TQ8240 Series", "refresh", "update", "run", "post 2,1"}));
    EXPECT_EQ(pnpSucceeded, 1);
    EXPECT_TRUE(ui.boxes.empty());

    // Results other than 1, or none at all, are failure; the operation still returns 1.
    for (int results : {0, 2, -1}) {
        pnpSucceeded = kUntouched;
        HelperWrites(results);
        EXPECT_EQ(Run(), 1) << results;
        EXPECT_EQ(pnpSucceeded, 0) << results;
    }
    // An earlier run's verdict of success does not decide for a helper that writes none, nor
    // when it could not be removed before the helper ran.
    for (bool removeFails : {false, true}) {
        profiles.values[{kStateFile, "UpdateDriverForPlugAndPlayDevices", "Results"}] = 1;
        profiles.removeFails = removeFails;
        programs.whileRunning = nullptr;
        pnpSucceeded = kUntouched;
        EXPECT_EQ(Run(), 1);
        EXPECT_EQ(pnpSucceeded, 0) << removeFails;
        EXPECT_EQ(profiles.removed.back(), kStateFile);
    }
}

TEST_F(PlugAndPlayFixture, AHelperThatCannotStartFailsWithoutAMessage) {
    FailUpdate(0xE0000235);
    programs.startFails = true;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(programs.runs.size(), 1u);
    EXPECT_EQ(log.back(), "update");
    EXPECT_EQ(profiles.reads, 0);
    EXPECT_EQ(pnpSucceeded, kUntouched);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PlugAndPlayFixture, PathsFollowTheWindowsDriveAndTheInstallersFolder) {
    paths.windows = "D:\\WINNT";
    paths.module = "F:\\setup\\renamed (1).exe";
    settings.SetPrinterName("Front Desk");
    FailUpdate(0xE0000235);
    HelperWrites(1);  // on drive C: -- not where this installer looks
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(devices.calls[0].infPath,
              "D:\\Program Files\\Kestra\\Front Desk\\Driver\\T8242if.inf");
    EXPECT_EQ(programs.runs[0].applicationName, "F:\\setup\\PnpDrvRefresh.exe");
    EXPECT_EQ(pnpSucceeded, 0);
    programs.whileRunning = [this] {
        profiles.values[{"D:\\Program Files\\Kestra\\SetupState.ini",
                         "UpdateDriverForPlugAndPlayDevices", "Results"}] = 1;
    };
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(pnpSucceeded, 1);
}

TEST_F(PlugAndPlayFixture, UnreadablePathsFailBeforeAnyRegistration) {
    paths.windows = "";
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(log.empty());

    paths.windows = "C:\\WINDOWS";
    paths.module = "TQ82Ins.exe";  // no folder
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(log, Log{"pause"});

    // A folder so deep that the helper's path would not fit 260 bytes.
    log.clear();
    paths.module = "E:\\" + std::string(240, 'd') + "\\TQ82Ins.exe";
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(log, Log{"pause"});
    EXPECT_TRUE(spooler.addedMonitors.empty());
}

TEST_F(PlugAndPlayFixture, ClassesWithoutAnNtUsbDriverSetDoNothing) {
    for (int platformClass : {int{PlatformOther}, int{Platform9x}, int{PlatformNt4}, 6}) {
        job.platformClass = platformClass;
        EXPECT_EQ(Run(), 0) << platformClass;
    }
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(spooler.monitorListings, 0);
    EXPECT_EQ(pnpSucceeded, kUntouched);

    job.platformClass = Platform2000;
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(log, kFreshSequence);
}

TEST(PnpDrvRefreshContract, TheHelperWritesWhereAndWhatTheInstallerReads) {
    namespace helper = pnp_drv_refresh;
    EXPECT_STREQ(helper::kSection, kStateSection);
    EXPECT_STREQ(helper::kResultsKey, kStateResultsKey);
    EXPECT_EQ(StateFilePathOf("C:\\WINDOWS"), std::string("C:\\") + helper::kStateFile);
    EXPECT_EQ(StateFilePathOf("C:"), "");
    EXPECT_EQ(std::string(helper::kStateFile).rfind(helper::kMakerFolder, 0), 0u);
    EXPECT_EQ(std::string(helper::kMakerFolder).rfind(helper::kProgramFilesFolder, 0), 0u);
}

TEST(PnpDrvRefreshContract, TheCommandLineSplitsBackIntoPathAndHardwareId) {
    namespace helper = pnp_drv_refresh;
    // A semicolon in a folder name, and a double-byte printer name ("打印" in code page 936).
    const std::string infs[] = {
        kInf,
        "C:\\Program Files\\Kestra\\A;B\\Driver\\T8242if.inf",
        "C:\\Program Files\\Kestra\\\xB4\xF2\xD3\xA1\\Driver\\T8242if.inf",
    };
    for (const std::string& inf : infs) {
        const std::string line = PnpDrvRefreshCommandLine(inf, kHardwareId);
        helper::Request request;  // views into `line`
        ASSERT_TRUE(helper::SplitCommandLine(line, request));
        EXPECT_EQ(request.infPath, inf);
        EXPECT_EQ(request.hardwareId, kHardwareId);
    }
    helper::Request request;
    EXPECT_TRUE(helper::SplitCommandLine("  a.inf;ID \t", request));
    EXPECT_EQ(request.infPath, "a.inf");
    EXPECT_EQ(request.hardwareId, "ID");
    for (const char* bad : {"", "   ", "a.inf", ";ID", "a.inf;", " ; "}) {
        EXPECT_FALSE(helper::SplitCommandLine(bad, request)) << '"' << bad << '"';
    }
}

}  // namespace
}  // namespace tq

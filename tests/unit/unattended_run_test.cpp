#include "install/unattended/unattended_run.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "tests/support/fake_log_file.h"
#include "tests/support/fake_port_monitor.h"
#include "tests/support/fake_setup_libraries.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/scripted_steps.h"

namespace tq {
namespace {

constexpr const char* kModel = "Kestra TQ8240 Series";

using test::ScriptedSteps;

struct Vista : SystemInfo {
    OsVersion Version() override { return {2, 6, 1}; }
    bool NativeArchitecture(std::uint16_t&) override { return false; }
};

// One run's services, with the log, the watcher and the wait as a test scripts them.
struct Rig {
    test::FakeSpooler spooler;
    test::FakeSetupLibraries libraries;
    Vista system;
    PrinterSettings printers{spooler, libraries, system};
    test::FakePortMonitor monitor;
    ScriptedSteps steps;
    test::FakeLogFile file;
    test::FakeSystemErrors errors;
    InstallLog log{file, errors};
    std::atomic<int> pnpSucceeded{0};
    bool secondInstance = false;
    int watchers = 0;
    std::vector<unsigned> waits;
    int watcherOutcome = -1;  // -1: the printer never comes; 0/1: the watcher's pnpSucceeded
    UnattendedServices services{spooler,
                                printers,
                                monitor,
                                steps,
                                log,
                                pnpSucceeded,
                                nullptr,
                                [this] { return secondInstance; },
                                [this] {
                                    ++watchers;
                                    return true;
                                },
                                [this](unsigned ms) {
                                    waits.push_back(ms);
                                    if (watcherOutcome < 0) return false;
                                    pnpSucceeded = watcherOutcome;
                                    return true;
                                }};
    InstallJob job;
    WizardSettings settings;

    Rig() {
        job.platformClass = 5;
        job.processorClass = 1;
        log.Open("C:\\tq.log");
    }
    int RunWith(const std::string& commandLine) {
        const CommandLine line = ParseCommandLine(
            SplitCommandLine(commandLine, [](unsigned char c) { return IsLeadByte936(c); }));
        EXPECT_TRUE(line.ok()) << line.why;
        return RunUnattended(line, job, settings, services);
    }
    bool Logged(const std::string& text) const {
        for (const std::string& w : file.writes) {
            if (w.find(text) != std::string::npos) return true;
        }
        return false;
    }
};

struct UnattendedFixture : ::testing::Test, Rig {};

TEST_F(UnattendedFixture, AParallelRunFillsTheChoicesRunsTheStepsAndLogsThem) {
    EXPECT_EQ(RunWith("x /quiet /port:lpt1 /name:\"Front Desk\" /default:no /share:FRONT"), 0);
    EXPECT_EQ(steps.calls,
              (std::vector<std::string>{"stage", "place", "register", "shortcuts", "uninstall"}));
    EXPECT_STREQ(settings.printerName, "Front Desk");
    EXPECT_EQ(settings.renameRequired, 1);
    EXPECT_EQ(settings.setAsDefault, 0);
    EXPECT_EQ(settings.shareEnabled, 1);
    EXPECT_STREQ(settings.shareName, "FRONT");
    EXPECT_EQ(settings.connectionType, Parallel);
    EXPECT_STREQ(settings.portName, "LPT1:");
    EXPECT_EQ(settings.alreadyInstalled, 0);
    EXPECT_TRUE(monitor.openedNames.empty());
    EXPECT_EQ(file.writes.back(), "2026-12-07 09:05:03.042 installation done\r\n");
}

// Each outcome and what it leaves undone.
TEST(Unattended, Outcomes) {
    struct Case {
        const char* what;
        std::function<void(Rig&)> arrange;
        const char* commandLine;
        int exitCode;
        std::vector<std::string> steps;
        const char* logged;
    };
    const std::vector<std::string> all = {"stage", "place", "register", "shortcuts", "uninstall"};
    const std::vector<std::string> usb = {"stage", "place", "pnp", "shortcuts", "uninstall"};
    const Case cases[] = {
        {"another instance", [](Rig& f) { f.secondInstance = true; },
         "x /quiet /port:lpt1", 1618, {}, "another instance"},
        {"share name in use",
         [](Rig& f) { f.spooler.AddQueue("Other", "LPT2:", "X", "FRONT"); },
         "x /quiet /port:lpt1 /share:front", 87, {}, "option /share:front: the share name is in use"},
        {"shared printer of another model",
         [](Rig& f) {
             f.spooler.printersForUse["\\\\srv\\q"] = {{true, 0, true, std::string("Other")}};
         },
         "x /quiet /port:\\\\srv\\q", 87, {}, "another model"},
        {"shared printer that wants a logon",
         [](Rig& f) {
             f.spooler.printersForUse["\\\\srv\\q"] = {{false, 5, false, std::nullopt}};
         },
         "x /quiet /port:\\\\srv\\q", 87, {}, "cannot be reached (answer 5"},
        {"installed before: the queue made anew, restart recommended",
         [](Rig& f) { f.spooler.AddDriver(kModel).AddQueue(kModel, "LPT1:", kModel); },
         "x /quiet /port:lpt1", 3010, all, "delete the queue Kestra TQ8240 Series"},
        {"installed before with its share: free for the queue made anew",
         [](Rig& f) {
             f.spooler.AddDriver(kModel).AddQueue(kModel, "LPT1:", kModel, "FRONT");
         },
         "x /quiet /port:lpt1 /share:FRONT", 3010, all, "delete the queue Kestra TQ8240 Series"},
        {"a failing step", [](Rig& f) { f.steps.failing = "register"; },
         "x /quiet /port:lpt1", 1603, {"stage", "place", "register"}, "installation failed"},
        {"TCP/IP", [](Rig&) {}, "x /quiet /port:10.0.0.5 /protocol:lpr", 0, all,
         "port 10.0.0.5 (LPR)"},
        {"USB without the printer and no wait", [](Rig&) {}, "x /quiet", 0, usb,
         "USB printer not connected"},
        {"USB, the printer plugged in during the wait",
         [](Rig& f) { f.watcherOutcome = 1; }, "x /quiet /wait:60", 0, usb,
         "USB queue: ready"},
        {"USB, the queue not set up", [](Rig& f) { f.watcherOutcome = 0; },
         "x /quiet /wait:60", 1603, {"stage", "place", "pnp"}, "could not be set up"},
        {"USB, the driver update found the printer",
         [](Rig& f) {
             f.watcherOutcome = 1;
             f.steps.onPnp = [&f] { f.pnpSucceeded = 1; };
         },
         "x /quiet", 0, usb, "USB queue: ready"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig f;
        c.arrange(f);
        EXPECT_EQ(f.RunWith(c.commandLine), c.exitCode);
        EXPECT_EQ(f.steps.calls, c.steps);
        EXPECT_TRUE(f.Logged(c.logged));
    }
}

}  // namespace
}  // namespace tq

#include "install/unattended/unattended_run.h"

#include <gtest/gtest.h>

#include "install/engine/shortcuts.h"
#include "install/entry/program.h"
#include "install/res/resource.h"
#include "install/system/platform_class.h"
#include "platform/text.h"
#include "tests/support/fake_log_file.h"
#include "tests/support/fake_port_monitor.h"
#include "tests/support/fake_progress.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fake_setup_libraries.h"
#include "tests/support/fake_shell_links.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/fake_system_names.h"
#include "tests/support/fake_system_paths.h"
#include "tests/support/fake_ui.h"
#include "tests/support/scripted_steps.h"

namespace tq {
namespace {

constexpr const char* kModel = "Kestra TQ8240 Series";

// The program as the process entry wires it, over fakes: the command line through RunProgram
// to the wizard (a stub) or the unattended run, which drives the installation run with scripted
// steps and a scripted USB wait.
struct Rig {
    test::FakeUi ui;
    test::FakeLogFile file;
    test::FakeSystemErrors errors;
    InstallLog log{file, errors};
    test::FakeSpooler spooler;
    test::FakeSystemNames names;
    test::FakePortMonitor monitor;
    test::ScriptedSteps steps;
    std::atomic<int> pnpSucceeded{0};
    test::ScriptedUsbWait usb{pnpSucceeded};
    bool secondInstance = false;
    bool localSystem = false;
    std::string ran;
    CommandLine line;
    InstallJob job;
    WizardSettings settings;
    UnattendedServices unattended{spooler, names, monitor, steps,
                                  usb,     log,   pnpSucceeded, nullptr,
                                  [this] { return secondInstance; }, usb.Starter(),
                                  [this] { return localSystem; }};
    ProgramServices program{ui, log, 5, 1,
                            [this] {
                                ran = "wizard";
                                return 0;
                            },
                            [this] {
                                ran = "unattended";
                                return RunUnattended(line, job, settings, unattended);
                            }};

    Rig() {
        job.platformClass = 5;
        job.processorClass = 1;
        ui.answers = {kIdOk};
    }
    int Run(const std::string& commandLine) {
        line = ParseCommandLine(
            SplitCommandLine(commandLine, [](unsigned char c) { return IsLeadByte936(c); }));
        return RunProgram(line, program);
    }
    bool Logged(const std::string& text) const {
        for (const std::string& w : file.writes) {
            if (w.find(text) != std::string::npos) return true;
        }
        return false;
    }
};

TEST(Unattended, AParallelRunFillsTheChoicesAsThePagesStoreThem) {
    Rig r;
    EXPECT_EQ(r.Run("x /quiet /port:lpt1 /name:\"Front Desk\" /default:no /share:FRONT"), 0);
    EXPECT_STREQ(r.settings.printerName, "Front Desk");
    EXPECT_EQ(r.settings.renameRequired, 1);
    EXPECT_EQ(r.settings.setAsDefault, 0);
    EXPECT_EQ(r.settings.shareEnabled, 1);
    EXPECT_STREQ(r.settings.shareName, "FRONT");
    EXPECT_EQ(r.settings.connectionType, Parallel);
    EXPECT_STREQ(r.settings.portName, "LPT1:");
    EXPECT_EQ(r.settings.alreadyInstalled, 0);
    EXPECT_TRUE(r.monitor.openedNames.empty());
    EXPECT_EQ(r.file.writes.back(), "2026-12-07 09:05:03.042 exit code 0\r\n");
}

// Every command line: its exit code, whether anything was shown, where the log went, what the
// log says, which steps ran (none: nothing changed) and how long a USB run waited.
TEST(Unattended, CommandLinesThroughTheProgram) {
    const std::vector<std::string> all = {"stage", "place", "replace", "register", "shortcuts",
                                          "uninstall"};
    const std::vector<std::string> usb = {"stage", "place", "replace", "pnp", "shortcuts",
                                          "uninstall"};
    const std::vector<std::string> none;
    const auto nothing = [](Rig&) {};
    const auto logRefused = [](Rig& r) { r.file.failPaths.insert("Q:\\none\\tq.log"); };
    const auto modelInstalledAs = [](const char* name, const char* share) {
        return [name, share](Rig& r) {
            r.spooler.AddDriver(kModel).AddQueue(name, "LPT1:", kModel,
                                                 share ? SpoolerText(share) : std::nullopt);
        };
    };
    const auto arm64 = [](Rig& r) { r.program.processorClass = ProcessorArm64; };
    const auto filesInUse = [](Rig& r) { r.steps.onPlace = [](InstallJob& j) { j.filesAtRestart = 2; }; };
    struct Case {
        const char* line;
        std::function<void(Rig&)> arrange;
        int exitCode;
        std::size_t boxes;     // message boxes shown (the usage)
        const char* logFile;   // where the log went (null: none was written)
        const char* logged;
        std::vector<std::string> steps;
        int waitMs = -1;  // the USB wait's limit (-1: no wait)
        int box = IDS_USAGE;
    };
    const char* temp = "C:\\Users\\me\\AppData\\Local\\Temp\\TQ82Ins.log";
    const Case cases[] = {
        // What the command line chooses, and where the log goes.
        {"x /?", nothing, 0, 1, nullptr, "", none},
        {"x", nothing, 0, 0, temp, "exit code 0", none},
        {"x /log:D:\\l\\tq.log", nothing, 0, 0, "D:\\l\\tq.log", "wizard, platform class 5", none},
        {"x /name:Front", nothing, 87, 1, temp, "option /name:Front: only with /quiet", none},
        {"x /log:Q:\\none\\tq.log", logRefused, 87, 1, temp, "the log cannot be written there",
         none},
        {"x /quiet /log:Q:\\none\\tq.log", logRefused, 87, 0, temp, "exit code 87", none},
        // With /quiet anywhere nothing is shown, and /log holds wherever it stands.
        {"x /norestart /log:D:\\l\\tq.log /colour:red /quiet", nothing, 87, 0, "D:\\l\\tq.log",
         "option /colour:red: unknown option", none},
        {"x /quiet /quiet", nothing, 87, 0, temp, "given twice", none},
        {"x /quiet /name: /log:D:\\l\\tq.log", nothing, 87, 0, "D:\\l\\tq.log", "needs a value",
         none},
        {"x /quiet /?", nothing, 87, 0, temp, "only without /quiet", none},
        {"x /quiet /norestart /port:lpt1", nothing, 0, 0, temp, "installation done", all},
        // 87: what the system would refuse later is refused before anything changes.
        // No driver of this package runs on ARM64 Windows.
        {"x /quiet /port:lpt1", arm64, 1603, 0, temp, "ARM64 Windows", none},
        {"x", arm64, 1603, 1, temp, "nothing was changed", none, -1, IDS_UNSUPPORTED_ARM64},
        {"x /quiet /colour:red", arm64, 87, 0, temp, "unknown option", none},
        {"x /quiet /port:lpt1", [](Rig& r) { r.secondInstance = true; }, 1618, 0, temp,
         "another instance", none},
        {"x /quiet /port:lpt1 /share:front",
         [](Rig& r) { r.spooler.AddQueue("Other", "LPT2:", "X", std::string("FRONT")); }, 87, 0,
         temp, "option /share:front: the share name is in use", none},
        {"x /quiet /port:lpt1 /share:docs",
         [](Rig& r) { r.names.shares["DOCS"] = ShareKind::Other; }, 87, 0, temp,
         "the share name is in use", none},
        // ｆｒｏｎｔ and ＦＲＯＮＴ are one name for Windows; FRONT is another.
        {"x /quiet /port:lpt1 /share:\xA3\xE6\xA3\xF2\xA3\xEF\xA3\xEE\xA3\xF4",
         [](Rig& r) {
             r.spooler.AddQueue("Other", "LPT2:", "X", std::string("\xA3\xC6\xA3\xD2\xA3\xCF\xA3\xCE\xA3\xD4"));
         },
         87, 0, temp, "the share name is in use", none},
        {"x /quiet /port:lpt1 /share:FRONT",
         [](Rig& r) {
             r.spooler.AddQueue("Other", "LPT2:", "X", std::string("\xA3\xC6\xA3\xD2\xA3\xCF\xA3\xCE\xA3\xD4"));
         },
         0, 0, temp, "installation done", all},
        {"x /quiet /port:lpt1 \"/name:front desk\"",
         [](Rig& r) { r.spooler.AddQueue("Front Desk", "LPT2:", "Contoso Laser"); }, 87, 0, temp,
         "a printer of another driver has the name front desk", none},
        {"x /quiet /port:\\\\srv\\q",
         [](Rig& r) {
             r.spooler.printersForUse["\\\\srv\\q"] = {{true, 0, true, std::string("Other")}};
         },
         87, 0, temp, "another model", none},
        {"x /quiet /port:\\\\srv\\q",
         [](Rig& r) {
             r.spooler.printersForUse["\\\\srv\\q"] = {{false, 5, false, std::nullopt}};
         },
         87, 0, temp, "cannot be reached (answer 5", none},
        {"x /quiet /port:224.0.0.1", nothing, 87, 0, temp, "not a printer's address", none},
        // The queue of the model under the chosen name is made anew, its share free for it.
        {"x /quiet /port:lpt1 /share:FRONT", modelInstalledAs(kModel, "FRONT"), 0, 0, temp,
         "installation done", all},
        {"x /quiet /port:lpt1 /share:FRONT",
         [modelInstalledAs](Rig& r) {
             modelInstalledAs(kModel, "FRONT")(r);
             r.names.shares["FRONT"] = ShareKind::PrintQueue;
         },
         0, 0, temp, "installation done", all},
        // 3010 only when files in use wait for the restart, whatever queues were there.
        {"x /quiet /port:lpt1", modelInstalledAs("Kestra Old", nullptr), 0, 0, temp,
         "exit code 0", all},
        {"x /quiet /port:lpt1", [=](Rig& r) {
             modelInstalledAs("Kestra Old", nullptr)(r);
             filesInUse(r);
         },
         3010, 0, temp, "2 driver file(s) in use are replaced when Windows restarts", all},
        {"x /quiet /port:lpt1", filesInUse, 3010, 0, temp, "exit code 3010", all},
        {"x /quiet /port:lpt1", [](Rig& r) { r.steps.failing = "register"; }, 1603, 0, temp,
         "installation failed", {"stage", "place", "replace", "register"}},
        {"x /quiet /port:lpt1", [](Rig& r) { r.steps.failing = "replace"; }, 1603, 0, temp,
         "installation failed", {"stage", "place", "replace"}},
        // The port is named by its address in plain decimal.
        {"x /quiet /port:010.000.000.005 /protocol:lpr", nothing, 0, 0, temp,
         "port 10.0.0.5 (LPR)", all},
        // USB: the wait is as long as /wait says; a printer that does not come is no failure.
        {"x /quiet", nothing, 0, 0, temp, "USB printer not connected", usb, 0},
        {"x /quiet /wait:86400", nothing, 0, 0, temp, "at most 86400 s", usb, 86400000},
        {"x /quiet /wait:60", [](Rig& r) { r.usb.report = 1; }, 0, 0, temp, "USB queue: ready",
         usb, 60000},
        {"x /quiet /wait:60", [](Rig& r) { r.usb.report = 0; }, 1603, 0, temp,
         "installation failed", {"stage", "place", "replace", "pnp"}, 60000},
        {"x /quiet",
         [](Rig& r) {
             r.steps.onPnp = [&r] { r.pnpSucceeded = 1; };  // the printer was there
             r.usb.reportWhileStopping = 1;
         },
         0, 0, temp, "USB queue: ready", usb, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Rig r;
        c.arrange(r);
        EXPECT_EQ(r.Run(c.line), c.exitCode);
        EXPECT_EQ(r.ui.boxes.size(), c.boxes);
        if (c.boxes > 0) {
            EXPECT_EQ(r.ui.boxes[0].text, test::TextOf(c.box));
        }
        if (r.program.processorClass == ProcessorArm64) {
            EXPECT_EQ(r.ran, "");
        }
        if (c.logFile == nullptr) {
            EXPECT_TRUE(r.file.writes.empty());
        } else {
            ASSERT_FALSE(r.file.opened.empty());
            EXPECT_EQ(r.file.opened.back(), c.logFile);
            EXPECT_TRUE(r.Logged(c.logged)) << c.logged;
            EXPECT_TRUE(r.Logged("exit code " + std::to_string(c.exitCode)));
        }
        EXPECT_EQ(r.steps.calls, c.steps);
        if (c.steps.empty()) {
            EXPECT_TRUE(r.monitor.openedNames.empty()) << "no port either";
        }
        if (c.waitMs >= 0) {
            ASSERT_FALSE(r.usb.waits.empty());
            EXPECT_EQ(r.usb.waits.front(), static_cast<unsigned>(c.waitMs));
        }
    }
}

// Whose Start menu gets the group: a deployment tool's run as LocalSystem would fill the system
// profile's own, which nobody sees. The wizard never asks (its job is made as the Rig's).
TEST(Unattended, TheProgramGroupGoesToAStartMenuSomebodySees) {
    constexpr char kShellFolders[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const struct {
        const char* run;  // null: the wizard
        bool localSystem;
        const char* group;
    } cases[] = {
        {nullptr, true, "C:\\Users\\me\\Programs\\Front"},
        {"x /quiet /port:lpt1 /name:Front", false, "C:\\Users\\me\\Programs\\Front"},
        {"x /quiet /port:lpt1 /name:Front", true, "C:\\ProgramData\\Programs\\Front"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.run ? c.run : "wizard");
        Rig r;
        r.localSystem = c.localSystem;
        r.settings.SetPrinterName("Front");
        if (c.run) {
            ASSERT_EQ(r.Run(c.run), 0);
        }
        test::FakeRegistry registry;
        registry.AddValue(RegistryRoot::CurrentUser, kShellFolders, "Programs",
                          "C:\\Users\\me\\Programs");
        registry.AddValue(RegistryRoot::LocalMachine, kShellFolders, "Common Programs",
                          "C:\\ProgramData\\Programs");
        test::RecordingProgress progress;
        r.job.progress = &progress;
        test::FakeSystemPaths paths;
        test::FakeShellLinks links;
        ASSERT_EQ(CreateProgramShortcuts(r.job, r.settings, registry, paths, links), 1);
        EXPECT_EQ(links.folders, std::vector<std::string>{c.group});
    }
}

}  // namespace
}  // namespace tq

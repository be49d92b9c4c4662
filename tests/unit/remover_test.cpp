#include "install/remover/remover.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/engine/file_sets.h"
#include "install/model.h"
#include "install/remover/res/remover_ids.h"
#include "install/res/resource.h"
#include "install/system/folders.h"
#include "install/system/platform_class.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/fake_log_file.h"
#include "tests/support/fake_port_monitor.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/fake_system_paths.h"
#include "tests/support/fake_ui.h"

namespace tq {
namespace {

constexpr RegistryRoot kLm = RegistryRoot::LocalMachine;
constexpr char kEntries[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\UnInstall\\";
constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kPrograms[] = "C:\\Users\\u\\Start Menu\\Programs";
const std::string kModel(kModelDriverName);

// A 64-bit Windows with the x64 remover: what the installer leaves, in fakes.
struct Machine {
    test::FakeSpooler spooler;
    test::FakeRegistry registry;
    test::FakeFileSystem files;
    test::FakeSystemPaths paths;
    test::FakePortMonitor ports;
    test::FakeLogFile logFile;
    test::FakeSystemErrors errors;
    test::FakeUi ui;
    bool secondInstance = false;

    Machine() {
        spooler.callerEnvironment = paths.callerEnvironment = "Windows x64";
        paths.driver = "C:\\WINDOWS\\system32\\spool\\drivers\\x64";
        registry.AddValue(RegistryRoot::CurrentUser, kShellFolders, "Programs", kPrograms);
        registry.AddKey(kLm, kRun);
    }

    static std::string Folder(const std::string& name) {
        return ProgramFolderOf("C:\\WINDOWS", name);
    }

    // An installation as the installer leaves it; the model's driver, monitor and placed files
    // once for all of them.
    void Install(const std::string& name, const std::string& port) {
        spooler.AddQueue(name, port, kModel);
        if (spooler.drivers.empty()) {
            spooler.AddDriver(kModel, "Windows x64").AddMonitor("Kestra TQ8240 Language Monitor");
            for (const FileStep& step : DriverFileSetFor(PlatformVista, Processor64).placement) {
                for (const char* file : step.files) {
                    files.AddFile(paths.system + "\\" + file);
                    files.AddFile(paths.driver + "\\3\\" + file);
                }
            }
        }
        const std::string program = Folder(name) + "\\T824UIS.exe";
        files.AddFile(program).AddFile(Folder(name) + "\\Driver\\T8242dr.dll");
        registry.AddValue(kLm, kEntries + name, "UnInstallString", "\"" + program + "\"");
        registry.AddValue(kLm, kRun, name + "UnInstall", "\"" + program + "\"");
        for (int id : {IDS_LINK_STATUS_MONITOR, IDS_LINK_HELP, IDS_LINK_UNINSTALL}) {
            files.AddFile(std::string(kPrograms) + "\\" + name + "\\" + test::TextOf(id) + ".lnk");
        }
    }

    int Run(const std::string& program, std::vector<std::string> options = {"/quiet"}) {
        paths.module = program;
        options.insert(options.begin(), program);
        RunLog log(logFile, errors);
        RemoverServices services{spooler, registry,      files,       paths,
                                 ports,   PlatformVista, Processor64, test::TextOf};
        RemoverFrontEnd frontEnd{services, ui, log, [this] { return secondInstance; }};
        return RunRemover(ParseRemoverCommandLine(options), frontEnd);
    }
    int RunIn(const std::string& name, std::vector<std::string> options = {"/quiet"}) {
        return Run(Folder(name) + "\\T824UIS.exe", std::move(options));
    }

    bool Logged(const std::string& text) const {
        for (const std::string& line : logFile.writes) {
            if (line.find(text) != std::string::npos) return true;
        }
        return false;
    }
    bool HasQueue(const std::string& name) { return spooler.FindQueue(name) != nullptr; }
    bool HasEntry(const std::string& name) { return registry.FindKey(kLm, kEntries + name); }
    bool NothingChanged() {
        return registry.changes.empty() && spooler.deletions.empty() &&
               files.deleteAtRestart.empty() && ports.commands.empty();
    }
};

// What goes, given what else is installed: another installation keeps the model's driver, a
// port another queue uses stays, the queue of another driver and ports of the system stay.
TEST(Remover, RemovesOnlyWhatNothingElseUses) {
    struct Case {
        const char* what;
        const char* otherInstallation;  // "": none
        const char* otherQueuePort;     // a queue of another driver on this port ("": none)
        const char* port;
        bool portGoes, driverGoes;
    } const cases[] = {
        {"alone on TCP/IP", "", "", "10.1.2.3", true, true},
        {"alone on LPT1:", "", "", "LPT1:", false, true},
        {"beside another installation", "Kestra Home", "", "10.1.2.3", true, false},
        {"port shared with another driver's queue", "", "10.1.2.3", "10.1.2.3", false, true},
        {"another driver's queue elsewhere", "", "10.9.9.9", "10.1.2.3", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine m;
        m.Install("Kestra Office", c.port);
        if (*c.otherInstallation) m.Install(c.otherInstallation, "10.7.7.7");
        if (*c.otherQueuePort) m.spooler.AddQueue("Other", c.otherQueuePort, "Other Driver");

        EXPECT_EQ(m.RunIn("Kestra Office"), 0);
        EXPECT_FALSE(m.HasQueue("Kestra Office"));
        EXPECT_FALSE(m.HasEntry("Kestra Office"));
        EXPECT_FALSE(m.registry.ValueOf(kLm, kRun, "Kestra OfficeUnInstall"));
        EXPECT_EQ(m.ports.commands.size(), c.portGoes ? 1u : 0u);
        EXPECT_EQ(m.spooler.drivers.empty(), c.driverGoes);
        EXPECT_EQ(m.spooler.monitors.empty(), c.driverGoes);
        EXPECT_EQ(m.files.FindFile(m.paths.driver + "\\3\\T8242dr.dll") == nullptr, c.driverGoes);
        EXPECT_FALSE(m.files.FindFile(Machine::Folder("Kestra Office") + "\\Driver\\T8242dr.dll"));
        EXPECT_FALSE(m.files.HasFolder(std::string(kPrograms) + "\\Kestra Office"));
        // The running program and its folder go when Windows next starts, not counted as 3010;
        // Program Files\Kestra with them when no other installation is in it.
        std::vector<std::string> atRestart = {Machine::Folder("Kestra Office") + "\\t824uis.exe",
                                              Machine::Folder("Kestra Office")};
        if (!*c.otherInstallation) atRestart.push_back("C:\\Program Files\\Kestra");
        EXPECT_EQ(m.files.deleteAtRestart, atRestart);
        if (*c.otherInstallation) {
            EXPECT_TRUE(m.HasQueue(c.otherInstallation) && m.HasEntry(c.otherInstallation));
            EXPECT_TRUE(m.files.FindFile(Machine::Folder(c.otherInstallation) + "\\T824UIS.exe"));
            EXPECT_TRUE(m.files.HasFolder(std::string(kPrograms) + "\\" + c.otherInstallation));
        }
        EXPECT_TRUE(!*c.otherQueuePort || m.HasQueue("Other"));
    }
}

// Faults and odd starts, each judged by its exit code, its log and what changed.
TEST(Remover, FaultsEndWithTheirExitCodes) {
    struct Case {
        const char* what;
        std::function<void(Machine&)> arrange;
        std::vector<std::string> options;
        int code;
        const char* logged;
        bool changes;
    } const cases[] = {
        {"started elsewhere",
         [](Machine& t) { t.paths.module = "D:\\Tools\\T824UIS.exe"; },
         {"/quiet"},
         0,
         "nothing installed here",
         false},
        {"a folder of that form, nothing of the model in it",
         [](Machine& t) { t.paths.module = Machine::Folder("Stranger") + "\\T824UIS.exe"; },
         {"/quiet"},
         0,
         "nothing installed here",
         false},
        {"jobs waiting",
         [](Machine& t) { t.spooler.FindQueue("Kestra Office")->jobs = 2; },
         {"/quiet"},
         1603,
         "2 print jobs waiting: nothing removed",
         false},
        {"the installer runs",
         [](Machine& t) { t.secondInstance = true; },
         {"/quiet"},
         1618,
         "another remover is running",
         false},
        {"a bad option", nullptr, {"/quiet", "/force"}, 87, "option /force: refused", false},
        {"the spooler refuses the queue's deletion",
         [](Machine& t) { t.spooler.failDelete.insert("Kestra Office"); },
         {"/quiet"},
         1603,
         "delete queue Kestra Office: failed",
         true},
        {"the spooler refuses the driver's deletion",
         [](Machine& t) { t.spooler.deleteDriverError = 5; },
         {"/quiet"},
         1603,
         "(Windows x64): failed, error 5",
         true},
        {"a spooler that takes no delete flags (Wine)",
         [](Machine& t) { t.spooler.deleteDriverExError = 87; },
         {"/quiet"},
         0,
         "delete driver Kestra TQ8240 Series (Windows x64): ok",
         true},
        {"a driver file in use",
         [](Machine& t) { t.files.inUse.insert(t.paths.driver + "\\3\\T8242dr.dll"); },
         {"/quiet"},
         3010,
         "T8242dr.dll: in use, deleted at the next restart",
         true},
        {"Windows 9x: its own file at the restart, its folder left empty",
         [](Machine& t) { t.files.folderAtRestartError = 120; },
         {"/quiet"},
         0,
         "stays, empty after the restart",
         true},
        {"half removed: the queue is gone, the entry left",
         [](Machine& t) { t.spooler.queues.clear(); },
         {"/quiet"},
         0,
         "delete uninstall entry Kestra Office: ok",
         true},
        {"half removed: the entry is gone, the queue left",
         [](Machine& t) { t.registry.DeleteKey(kLm, kEntries + std::string("Kestra Office")); },
         {"/quiet"},
         0,
         "delete queue Kestra Office: ok",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine m;
        m.Install("Kestra Office", "10.1.2.3");
        m.paths.module = Machine::Folder("Kestra Office") + "\\T824UIS.exe";
        if (c.arrange) c.arrange(m);
        m.registry.changes.clear();
        EXPECT_EQ(m.Run(m.paths.module, c.options), c.code);
        EXPECT_TRUE(m.Logged(c.logged)) << m.logFile.writes.back();
        EXPECT_TRUE(m.Logged("exit code " + std::to_string(c.code)));
        EXPECT_EQ(!m.NothingChanged(), c.changes);
        EXPECT_TRUE(m.ui.boxes.empty()) << "a window opened in a quiet run";
        EXPECT_FALSE(c.code == 1603 && c.changes && m.HasEntry("Kestra Office")) << "stopped early";
    }
}

// A junction in the program folder goes as a link: what it leads to is not the package's.
TEST(Remover, AJunctionInTheProgramFolderIsUnlinkedNotFollowed) {
    Machine m;
    m.Install("Kestra Office", "10.1.2.3");
    m.paths.module = Machine::Folder("Kestra Office") + "\\T824UIS.exe";
    const std::string link = Machine::Folder("Kestra Office") + "\\Driver\\Linked";
    m.files.AddFile(link + "\\System.dat");
    m.files.linkFolders.insert(link);
    EXPECT_EQ(m.Run(m.paths.module, {"/quiet"}), 0);
    EXPECT_FALSE(m.files.HasFolder(link));
    EXPECT_NE(m.files.FindFile(link + "\\System.dat"), nullptr);
}

TEST(Remover, SecondRunFindsNothingAndSucceeds) {
    Machine m;
    m.Install("Kestra Office", "10.1.2.3");
    ASSERT_EQ(m.RunIn("Kestra Office"), 0);
    // The running program's file stays until the restart; the second run is started from it.
    m.files.AddFile(Machine::Folder("Kestra Office") + "\\T824UIS.exe");
    m.registry.changes.clear();
    EXPECT_EQ(m.RunIn("Kestra Office"), 0);
    EXPECT_TRUE(m.Logged("nothing installed here"));
    EXPECT_TRUE(m.registry.changes.empty());
}

TEST(Remover, DialogAsksNamingThePrinterAndReportsTheResult) {
    Machine m;
    m.Install("Kestra Office", "10.1.2.3");
    m.ui.answers = {kIdNo};
    EXPECT_EQ(m.RunIn("Kestra Office", {}), 1602);
    EXPECT_TRUE(m.NothingChanged());
    ASSERT_EQ(m.ui.boxes.size(), 1u);
    EXPECT_EQ(m.ui.boxes[0].style, kMbYesNo | kMbIconExclamation | kMbDefButton2);

    m.spooler.FindQueue("Kestra Office")->jobs = 1;
    m.ui.boxes.clear();
    m.ui.answers = {kIdYes, kIdYes, kIdOk};
    EXPECT_EQ(m.RunIn("Kestra Office", {}), 0);
    ASSERT_EQ(m.ui.boxes.size(), 3u);
    EXPECT_EQ(m.ui.boxes[1].text, test::TextOf(IDS_REMOVER_JOBS));
    EXPECT_EQ(m.ui.boxes[2].text, test::TextOf(IDS_REMOVER_DONE));
    EXPECT_FALSE(m.HasQueue("Kestra Office"));
}

TEST(RemoverText, FillsPlaceholdersInTurn) {
    EXPECT_EQ(FillText("打印机“%s”中还有 %u 个作业；100%", {"A", "3"}),
              "打印机“A”中还有 3 个作业；100%");
    EXPECT_EQ(FillText("%s %s", {"x"}), "x %s");
}

}  // namespace
}  // namespace tq

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_log_file.h"
#include "tests/support/fake_uninstall_system.h"
#include "uninstall/procedure.h"

namespace tq::uninstall {
namespace {

using test::FakeUninstallSystem;
using Strings = std::vector<std::string>;

constexpr char kFolder[] = "C:\\Program Files\\Orvello";
constexpr char kInstalled[] = "C:\\Program Files\\Orvello\\customize.ini";
constexpr char kLocal[] = "E:\\customize.ini";
constexpr char kProgram[] = "E:\\VNTAdminUninstall.exe";
constexpr char kProgramBytes[] = "MZ the uninstaller";
constexpr char kPrograms[] = "C:\\Documents and Settings\\All Users\\Start Menu\\Programs";
constexpr char kGroup[] =
    "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Admin Tools";
constexpr char kSystem[] = "C:\\WINDOWS\\system32";

std::string In(const char* folder, const std::string& name) {
    return std::string(folder) + "\\" + name;
}

// The package as the installer leaves it with every name at its default.
struct UninstallProcedureTest : ::testing::Test {
    FakeUninstallSystem system;
    CustomizePaths paths{kLocal, kFolder, kInstalled, kProgram};

    void SetUp() override {
        for (const char* name :
             {"DeviceKeeper.exe", "TRXHELP.chm", "TRXHELP.GID", "VNTTrap.ini", "AlertWatcher.exe",
              "NetPortSetupApp.exe", "VNTTrap.txt", "VNTTrapIP.ini", "logo.bmp", "customize.ini"}) {
            system.AddFile(In(kFolder, name));
        }
        for (const char* link :
             {"Device Keeper.lnk", "Alert watcher.lnk", "Admin Tools.lnk", "Net Port Setup.lnk"}) {
            system.AddFile(In(kGroup, link));
        }
        // The system folder's copy is this program: the same bytes.
        system.SetContents(kProgram, kProgramBytes);
        system.SetContents(In(kSystem, "VNTUninstall.exe"), kProgramBytes);
        system.AddFile(In(kSystem, "customize.ini"));
        system.AddFolder(In(kSystem, "spool"));
    }

    // Deletions and removals, failed ones marked, in order.
    Strings Removals() const {
        Strings found;
        for (const std::string& call : system.calls) {
            if (call.rfind("RemoveFile ", 0) == 0 || call.rfind("SetNormal ", 0) == 0 ||
                call.rfind("RemoveFolder ", 0) == 0) {
                found.push_back(call);
            }
        }
        return found;
    }
};

TEST_F(UninstallProcedureTest, RemovesEverythingInOrderAndReportsSuccess) {
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);

    const Strings expected = {
        "RemoveFile C:\\Program Files\\Orvello\\DeviceKeeper.exe",
        "RemoveFile C:\\Program Files\\Orvello\\TRXHELP.chm",
        "RemoveFile C:\\Program Files\\Orvello\\TRXHELP.GID",
        "RemoveFile C:\\Program Files\\Orvello\\VNTTrap.ini",
        "RemoveFile C:\\Program Files\\Orvello\\AlertWatcher.exe",
        "RemoveFile C:\\Program Files\\Orvello\\NetPortSetupApp.exe",
        "RemoveFile C:\\Program Files\\Orvello\\VNTTrap.txt",
        "RemoveFile C:\\Program Files\\Orvello\\VNTTrapIP.ini",
        "RemoveFile C:\\Program Files\\Orvello\\logo.bmp",
        "RemoveFile " + In(kGroup, "Device Keeper.lnk"),
        "RemoveFile " + In(kGroup, "Alert watcher.lnk"),
        "RemoveFile " + In(kGroup, "Admin Tools.lnk"),
        "RemoveFile " + In(kGroup, "Net Port Setup.lnk"),
        std::string("RemoveFolder ") + kGroup,
        "RemoveFile C:\\Program Files\\Orvello\\customize.ini",
        "RemoveFolder C:\\Program Files\\Orvello",
        "RemoveFile C:\\WINDOWS\\system32\\VNTUninstall.exe",
        "RemoveFile C:\\WINDOWS\\system32\\customize.ini",
    };
    EXPECT_EQ(Removals(), expected);
    EXPECT_FALSE(system.HasFolder(kFolder));
    EXPECT_FALSE(system.HasFolder(kGroup));
    EXPECT_TRUE(system.HasFolder(kPrograms));
    EXPECT_TRUE(system.HasFolder(kSystem));

    // The presence test first, then both window titles, and the firewall between the
    // Start-menu group and the customisation file; the message comes last.
    const Strings start(system.calls.begin(), system.calls.begin() + 7);
    EXPECT_EQ(start, (Strings{std::string("ReadProfile ") + kInstalled + " [MORNITOR] APPName",
                              "FindMatch C:\\Program Files\\Orvello\\AlertWatcher.exe",
                              std::string("ReadProfile ") + kInstalled + " [MORNITOR] Main_Title",
                              "WindowTitled Alert Watcher",
                              std::string("ReadProfile ") + kInstalled + " [ADMIN] Main_Title",
                              "WindowTitled Device Keeper",
                              std::string("ReadProfile ") + kInstalled + " [MORNITOR] APPName"}));
    const auto at = [&](const std::string& call) {
        for (std::size_t i = 0; i < system.calls.size(); ++i) {
            if (system.calls[i] == call) return i;
        }
        return system.calls.size();
    };
    EXPECT_LT(at("RunningPrograms"), at("RemoveFile C:\\Program Files\\Orvello\\DeviceKeeper.exe"));
    EXPECT_LT(at(std::string("RemoveFolder ") + kGroup), at("InitializeCom"));
    EXPECT_LT(at("UninitializeCom"), at(std::string("RemoveFile ") + kInstalled));
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_EQ(system.messages[0].text, "恭喜，软件卸载成功完成！");
    EXPECT_EQ(system.messages[0].caption, "");
    EXPECT_EQ(system.calls.back(), "Message 恭喜，软件卸载成功完成！ | ");
}

TEST_F(UninstallProcedureTest, EveryNameIsReadFromTheInstalledFile) {
    // The local file says otherwise for every key: the procedure must not listen to it.
    for (const char* section : {"INSTALL", "UNINSTALL", "MORNITOR", "ADMIN", "STARTMENU"}) {
        for (const char* key :
             {"Uninstall_File", "Help_File", "NetPortSetup_File", "APPName", "Main_Title",
              "Main_LOGO", "DIR_Name", "Admin_Link_Name", "Monitor_Link_Name",
              "Uninstall_Link_Name", "NetPortSetup_Link_Name"}) {
            system.SetValue(kLocal, section, key, "local.x");
        }
    }
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);
    for (const std::string& read : system.CallsOf("ReadProfile")) {
        EXPECT_EQ(read.rfind(std::string(kInstalled) + " [", 0), 0u) << read;
    }
    for (const std::string& removal : Removals()) {
        EXPECT_EQ(removal.find("local.x"), std::string::npos) << removal;
    }
}

TEST_F(UninstallProcedureTest, ConfiguredNamesAreUsedEverywhere) {
    const std::string folder = "D:\\Tools\\Net";
    const std::string installed = folder + "\\customize.ini";
    paths = CustomizePaths{kLocal, folder, installed, kProgram};
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } values[] = {
        {"ADMIN", "APPName", "Admin.exe"},           {"INSTALL", "Help_File", "Help.chm"},
        {"MORNITOR", "APPName", "Mon.exe"},          {"INSTALL", "NetPortSetup_File", "Port.exe"},
        {"ADMIN", "Main_LOGO", "pic.bmp"},           {"STARTMENU", "DIR_Name", "Net Group"},
        {"STARTMENU", "Admin_Link_Name", "A"},       {"STARTMENU", "Monitor_Link_Name", "M"},
        {"STARTMENU", "Uninstall_Link_Name", "U"},   {"STARTMENU", "NetPortSetup_Link_Name", "P"},
        {"MORNITOR", "Main_Title", "Mon Window"},    {"ADMIN", "Main_Title", "Admin Window"},
        {"INSTALL", "Uninstall_File", "Remove.exe"},
    };
    for (const auto& v : values) system.SetValue(installed, v.section, v.key, v.value);
    system.AddFile(folder + "\\Mon.exe");
    system.SetContents(In(kSystem, "Remove.exe"), kProgramBytes);

    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);

    EXPECT_EQ(system.CallsOf("WindowTitled"), (Strings{"Mon Window", "Admin Window"}));
    const std::string group = std::string(kPrograms) + "\\Net Group";
    const Strings expected = {
        "RemoveFile D:\\Tools\\Net\\Admin.exe failed",
        "SetNormal D:\\Tools\\Net\\Admin.exe failed",
        "RemoveFile D:\\Tools\\Net\\Admin.exe failed",
        "RemoveFile D:\\Tools\\Net\\Help.chm failed",
        "SetNormal D:\\Tools\\Net\\Help.chm failed",
        "RemoveFile D:\\Tools\\Net\\Help.chm failed",
        "RemoveFile D:\\Tools\\Net\\TRXHELP.GID failed",
        "SetNormal D:\\Tools\\Net\\TRXHELP.GID failed",
        "RemoveFile D:\\Tools\\Net\\TRXHELP.GID failed",
        "RemoveFile D:\\Tools\\Net\\VNTTrap.ini failed",
        "SetNormal D:\\Tools\\Net\\VNTTrap.ini failed",
        "RemoveFile D:\\Tools\\Net\\VNTTrap.ini failed",
        "RemoveFile D:\\Tools\\Net\\Mon.exe",
        "RemoveFile D:\\Tools\\Net\\Port.exe failed",
        "SetNormal D:\\Tools\\Net\\Port.exe failed",
        "RemoveFile D:\\Tools\\Net\\Port.exe failed",
        "RemoveFile D:\\Tools\\Net\\VNTTrap.txt failed",
        "SetNormal D:\\Tools\\Net\\VNTTrap.txt failed",
        "RemoveFile D:\\Tools\\Net\\VNTTrap.txt failed",
        "RemoveFile D:\\Tools\\Net\\VNTTrapIP.ini failed",
        "SetNormal D:\\Tools\\Net\\VNTTrapIP.ini failed",
        "RemoveFile D:\\Tools\\Net\\VNTTrapIP.ini failed",
        "RemoveFile D:\\Tools\\Net\\pic.bmp failed",
        "SetNormal D:\\Tools\\Net\\pic.bmp failed",
        "RemoveFile D:\\Tools\\Net\\pic.bmp failed",
        // Shortcuts get one plain delete each, and no attribute retry.
        "RemoveFile " + group + "\\A.lnk failed",
        "RemoveFile " + group + "\\M.lnk failed",
        "RemoveFile " + group + "\\U.lnk failed",
        "RemoveFile " + group + "\\P.lnk failed",
        "RemoveFolder " + group + " failed",
        "RemoveFile D:\\Tools\\Net\\customize.ini",
        "RemoveFolder D:\\Tools\\Net",
        // Read before the installed file went: the default would be VNTUninstall.exe.
        "RemoveFile C:\\WINDOWS\\system32\\Remove.exe",
        "RemoveFile C:\\WINDOWS\\system32\\customize.ini",
    };
    EXPECT_EQ(Removals(), expected);
    EXPECT_FALSE(system.HasFile(In(kSystem, "Remove.exe")));
    EXPECT_TRUE(system.HasFile(In(kSystem, "VNTUninstall.exe")));
}

TEST_F(UninstallProcedureTest, MissingMonitorEndsWithItsFullPathAndDeletesNothing) {
    const std::string folder = "C:\\Pro%sgram 100%d";
    const std::string installed = folder + "\\customize.ini";
    paths = CustomizePaths{kLocal, folder, installed, kProgram};
    system.SetValue(installed, "MORNITOR", "APPName", "Watch%s%n.exe");

    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::NothingInstalled);

    ASSERT_EQ(system.messages.size(), 1u);
    // The path is put in as it stands: its '%' characters are no format.
    EXPECT_EQ(system.messages[0].text, "没有需要卸载的程序[C:\\Pro%sgram 100%d\\Watch%s%n.exe]");
    EXPECT_EQ(system.messages[0].caption, "Watch%s%n.exe");
    EXPECT_TRUE(Removals().empty());
    EXPECT_TRUE(system.CallsOf("WindowTitled").empty());
    EXPECT_TRUE(system.CallsOf("InitializeCom").empty());
}

TEST_F(UninstallProcedureTest, OpenToolWindowStopsBeforeAnything) {
    // The monitor's window: its title is in the message, the caption is empty, and the
    // administration tool's title is not even asked.
    system.windows = {"Alert Watcher", "Device Keeper"};
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::ToolRunning);
    EXPECT_EQ(system.CallsOf("WindowTitled"), Strings{"Alert Watcher"});
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_EQ(system.messages[0].text, "[Alert Watcher]正在运行,请先关闭.");
    EXPECT_EQ(system.messages[0].caption, "");
    EXPECT_TRUE(Removals().empty());

    // Only the administration tool's window, with a '%' in its configured title.
    system.calls.clear();
    system.messages.clear();
    system.SetValue(kInstalled, "ADMIN", "Main_Title", "Keeper %s 100%");
    system.windows = {"Keeper %s 100%"};
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::ToolRunning);
    EXPECT_EQ(system.CallsOf("WindowTitled"), (Strings{"Alert Watcher", "Keeper %s 100%"}));
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_EQ(system.messages[0].text, "[Keeper %s 100%]正在运行,请先关闭.");
    EXPECT_TRUE(Removals().empty());
    EXPECT_TRUE(system.CallsOf("Firewall").empty());

    // The user closes the tool and presses OK again: the run starts over and finishes.
    system.windows.clear();
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);
    EXPECT_FALSE(system.HasFolder(kFolder));
}

TEST_F(UninstallProcedureTest, EmptyWindowTitleIsNotLookedUp) {
    // FindWindowA would take an empty title for any untitled window and block for ever.
    system.SetValue(kInstalled, "MORNITOR", "Main_Title", "");
    system.windows = {""};
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);
    EXPECT_EQ(system.CallsOf("WindowTitled"), Strings{"Device Keeper"});
}

TEST_F(UninstallProcedureTest, ReadOnlyFileGoesOnTheSecondTryUnknownFileKeepsTheFolder) {
    system.AddFile(In(kFolder, "TRXHELP.chm"), true);
    system.AddFile(In(kFolder, "notes.txt"));
    // A read-only shortcut is left alone: no attribute retry for shortcuts.
    system.AddFile(In(kGroup, "Alert watcher.lnk"), true);

    // The shortcut that stayed makes the run incomplete, and the user is told so, not "done".
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::FilesLeft);

    const Strings removals = Removals();
    const Strings help(removals.begin() + 1, removals.begin() + 4);
    EXPECT_EQ(help, (Strings{"RemoveFile C:\\Program Files\\Orvello\\TRXHELP.chm failed",
                             "SetNormal C:\\Program Files\\Orvello\\TRXHELP.chm",
                             "RemoveFile C:\\Program Files\\Orvello\\TRXHELP.chm"}));
    EXPECT_FALSE(system.HasFile(In(kFolder, "TRXHELP.chm")));
    EXPECT_TRUE(system.HasFile(In(kGroup, "Alert watcher.lnk")));
    EXPECT_TRUE(system.CallsOf("SetNormal " + In(kGroup, "Alert watcher.lnk")).empty());

    // Everything the package knows is gone; the unknown file keeps its folder, silently.
    EXPECT_TRUE(system.HasFile(In(kFolder, "notes.txt")));
    EXPECT_TRUE(system.HasFolder(kFolder));
    EXPECT_FALSE(system.HasFile(kInstalled));
    EXPECT_FALSE(system.HasFile(In(kFolder, "AlertWatcher.exe")));
    EXPECT_EQ(system.CallsOf("RemoveFolder").at(1), std::string(kFolder) + " failed");
    EXPECT_TRUE(system.HasFolder(kGroup));
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_EQ(system.messages[0].text, "files left");
}

TEST_F(UninstallProcedureTest, ExtraShortcutKeepsTheStartMenuGroup) {
    system.AddFile(In(kGroup, "Readme.lnk"));
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);
    EXPECT_FALSE(system.HasFile(In(kGroup, "Device Keeper.lnk")));
    EXPECT_FALSE(system.HasFile(In(kGroup, "Net Port Setup.lnk")));
    EXPECT_TRUE(system.HasFile(In(kGroup, "Readme.lnk")));
    EXPECT_TRUE(system.HasFolder(kGroup));
    EXPECT_FALSE(system.HasFolder(kFolder));
}

TEST_F(UninstallProcedureTest, UnreadableCommonProgramsDeletesNothingInTheStartMenu) {
    // Unreadable, and read as an empty text (which would make the group "\Admin Tools" on the
    // current drive): the rest goes on as usual.
    for (const std::optional<std::string>& value :
         {std::optional<std::string>(), std::optional<std::string>("")}) {
        SetUp();
        system.calls.clear();
        system.commonPrograms = value;
        EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);
        for (const std::string& removal : Removals()) {
            EXPECT_EQ(removal.find(".lnk"), std::string::npos) << removal;
            EXPECT_EQ(removal.find("Admin Tools"), std::string::npos) << removal;
        }
        for (const std::string& read : system.CallsOf("ReadProfile")) {
            EXPECT_EQ(read.find("[STARTMENU]"), std::string::npos) << read;
        }
        EXPECT_TRUE(system.HasFile(In(kGroup, "Device Keeper.lnk")));
        EXPECT_FALSE(system.HasFolder(kFolder));
        EXPECT_FALSE(system.HasFile(In(kSystem, "VNTUninstall.exe")));
    }
}

TEST_F(UninstallProcedureTest, FirewallExceptionsAreWithdrawnInOrder) {
    const std::string folder = "C:\\网络 工具";
    paths = CustomizePaths{kLocal, folder, folder + "\\customize.ini", kProgram};
    system.AddFile(folder + "\\AlertWatcher.exe");
    system.SetValue(paths.installedFile, "ADMIN", "APPName", "管理.exe");

    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);

    Strings com;
    for (const std::string& call : system.calls) {
        if (call == "InitializeCom" || call == "UninitializeCom" ||
            call.rfind("Firewall", 0) == 0 || call.rfind("ToUtf16", 0) == 0) {
            com.push_back(call);
        }
    }
    EXPECT_EQ(com, (Strings{"InitializeCom", "Firewall created", "Firewall OpenProfile",
                            "ToUtf16 C:\\网络 工具\\管理.exe",
                            "Firewall RemoveApplication C:\\网络 工具\\管理.exe",
                            "Firewall RemovePort 162 17", "Firewall RemovePort 19771 17",
                            "Firewall CloseProfile", "Firewall destroyed", "UninitializeCom"}));
    // Converted, not widened byte by byte: 网 is one UTF-16 unit.
    ASSERT_EQ(system.firewallApplications.size(), 1u);
    EXPECT_EQ(system.firewallApplications[0], u"C:\\\u7F51\u7EDC \u5DE5\u5177\\\u7BA1\u7406.exe");
}

TEST_F(UninstallProcedureTest, ComIsUninitialisedOnlyWhenItWasInitialised) {
    system.comInitializes = false;
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);
    EXPECT_TRUE(system.CallsOf("UninitializeCom").empty());
    // The firewall is still asked: COM may well be usable in the thread's other mode.
    EXPECT_EQ(system.CallsOf("Firewall RemovePort"), (Strings{"162 17", "19771 17"}));
}

TEST_F(UninstallProcedureTest, EmptyNamesAndUnknownSystemFolderTouchNoFolder) {
    // An empty file name would make the path the folder itself (its attributes reset); an
    // unknown system folder would make the paths relative to the current drive.
    system.SetValue(kInstalled, "INSTALL", "Help_File", "");
    system.SetValue(kInstalled, "INSTALL", "Uninstall_File", "");
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);
    for (const std::string& removal : Removals()) {
        EXPECT_NE(removal.back(), '\\') << removal;
    }
    EXPECT_EQ(system.CallsOf("RemoveFile").back(), "C:\\WINDOWS\\system32\\customize.ini");

    SetUp();
    system.calls.clear();
    system.systemFolder.clear();
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);
    for (const std::string& removal : Removals()) {
        EXPECT_NE(removal.rfind("RemoveFile \\", 0), 0u) << removal;
    }
    EXPECT_TRUE(system.HasFile(In(kSystem, "customize.ini")));
    EXPECT_EQ(system.messages.back().text, "恭喜，软件卸载成功完成！");
}

// customize.ini names what an administrator's program deletes: a name that is not one path
// component, or an empty group name, deletes nothing for it; the package's other names still
// go. No removal ever leaves the install folder, the program group or the system folder.
TEST_F(UninstallProcedureTest, HostileNamesDeleteNothingOutsideThePackage) {
    const struct {
        const char* section;
        const char* key;
        const char* value;
        std::string spared;  // what the name would have deleted, kept
    } cases[] = {
        {"ADMIN", "APPName", "..\\..\\WINDOWS\\system32\\x.dll", "C:\\WINDOWS\\system32\\x.dll"},
        {"INSTALL", "Help_File", "C:\\boot.ini", "C:\\boot.ini"},
        {"INSTALL", "NetPortSetup_File", "..", "C:\\Program Files"},
        {"ADMIN", "Main_LOGO", "sub/..\\..\\x.dll", "C:\\Program Files\\x.dll"},
        {"INSTALL", "Uninstall_File", "..\\notepad.exe", "C:\\WINDOWS\\notepad.exe"},
        {"INSTALL", "Uninstall_File", "drivers\\etc\\hosts", "C:\\WINDOWS\\system32\\drivers\\etc\\hosts"},
        {"STARTMENU", "DIR_Name", "", In(kPrograms, "Other.lnk")},
        {"STARTMENU", "DIR_Name", "..", "C:\\Documents and Settings\\All Users\\Start Menu\\x.lnk"},
        {"STARTMENU", "Admin_Link_Name", "..\\..\\Other", In(kPrograms, "Other.lnk")},
        {"INSTALL", "Help_File", "TRX\x01HELP.chm", "C:\\Program Files\\Orvello\\TRX\x01HELP.chm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + " " + c.key + " = " + c.value);
        system = FakeUninstallSystem();
        SetUp();
        system.AddFile(c.spared).AddFile(In(kPrograms, "Other.lnk"));
        system.SetValue(kInstalled, c.section, c.key, c.value);
        EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);
        EXPECT_TRUE(system.HasFile(c.spared));
        EXPECT_TRUE(system.HasFile(In(kPrograms, "Other.lnk")));
        EXPECT_TRUE(system.HasFolder(kPrograms));
        for (std::string path : Removals()) {
            path = path.substr(path.find(' ') + 1);
            if (path.size() > 7 && path.compare(path.size() - 7, 7, " failed") == 0) {
                path.resize(path.size() - 7);
            }
            EXPECT_EQ(path.find(".."), std::string::npos) << path;
            if (*c.value != '\0') {
                EXPECT_EQ(path.find(c.value), std::string::npos) << path;
            }
            const auto within = [&](const std::string& folder) {
                return path == folder || path.rfind(folder + "\\", 0) == 0;
            };
            EXPECT_TRUE(within(kFolder) || within(kGroup) || within(kSystem)) << path;
        }
        // The package's own files of the names that are fine are gone all the same.
        EXPECT_FALSE(system.HasFile(In(kFolder, "AlertWatcher.exe")));
        EXPECT_FALSE(system.HasFile(In(kFolder, "VNTTrap.ini")));
    }
}

// Without an install folder (it could not be formed) the package cannot be found: nothing is
// deleted anywhere, and the message names the monitor that was looked for.
TEST_F(UninstallProcedureTest, NoInstallFolderOrAnUnusableMonitorNameDeletesNothing) {
    for (const char* monitor : {"AlertWatcher.exe", "..\\..\\WINDOWS\\explorer.exe", ""}) {
        SCOPED_TRACE(monitor);
        system = FakeUninstallSystem();
        SetUp();
        system.AddFile("C:\\WINDOWS\\explorer.exe");
        CustomizePaths unusable = paths;
        if (std::string(monitor) == "AlertWatcher.exe") {
            unusable = CustomizePaths{kLocal, "", "", kProgram};
        } else {
            system.SetValue(kInstalled, "MORNITOR", "APPName", monitor);
        }
        EXPECT_EQ(RunUninstall(unusable, system), UninstallOutcome::NothingInstalled);
        EXPECT_EQ(Removals(), Strings{});
        EXPECT_TRUE(system.CallsOf("FindMatch").empty());
        ASSERT_EQ(system.messages.size(), 1u);
        const std::string lookedFor = unusable.installFolder.empty()
                                          ? std::string(monitor)
                                          : In(kFolder, monitor);
        EXPECT_EQ(system.messages[0].text, "没有需要卸载的程序[" + lookedFor + "]");
    }
}

// The install folder is checked before anything is looked at, under either code page's lead
// bytes: a system folder, a drive's root, Program Files itself (by any name that reaches it) or
// a folder reached through a link deletes nothing, and the user is told which folder it was.
TEST_F(UninstallProcedureTest, RefusedInstallFolderDeletesNothing) {
    const struct {
        const char* folder;
        const char* link;   // a reparse point to mark, or nullptr
        const char* alias;  // a short name of Program Files, or nullptr
        bool identities;
        bool refused;
    } cases[] = {
        {"C:\\WINDOWS\\system32", nullptr, nullptr, true, true},
        {"C:\\windows\\System32\\drivers\\", nullptr, nullptr, false, true},
        {"C:\\", nullptr, nullptr, true, true},
        {"C:\\Program Files", nullptr, nullptr, true, true},
        {"C:\\PROGRA~1", nullptr, "C:\\PROGRA~1", true, true},
        {"C:\\Program Files\\Orvello", nullptr, nullptr, true, false},
        {"C:\\Program Files\\Orvello", "C:\\Program Files\\Orvello", nullptr, true, true},
        {"C:\\Tools\\Net", "C:\\Tools", nullptr, true, true},
    };
    for (const bool chinese : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.folder) + (chinese ? " (936)" : " (1252)"));
            system = FakeUninstallSystem();
            SetUp();
            system.leadBytes936 = chinese;
            system.identities = c.identities;
            system.AddFolder("C:\\WINDOWS\\system32\\drivers");
            const std::string folder = c.folder;
            const std::string base = folder.back() == '\\' ? folder : folder + "\\";
            system.AddFile(base + "AlertWatcher.exe");
            if (c.alias != nullptr) system.AddAlias(c.alias, "C:\\Program Files");
            if (c.link != nullptr) system.MarkLink(c.link);
            paths = CustomizePaths{kLocal, folder, base + "customize.ini", kProgram};

            const UninstallOutcome outcome = RunUninstall(paths, system);
            if (!c.refused) {
                EXPECT_EQ(outcome, UninstallOutcome::Finished);
                EXPECT_FALSE(system.HasFile(base + "AlertWatcher.exe"));
                continue;
            }
            EXPECT_EQ(outcome, UninstallOutcome::FolderRefused);
            EXPECT_EQ(Removals(), Strings{});
            EXPECT_TRUE(system.CallsOf("FindMatch").empty());
            ASSERT_EQ(system.messages.size(), 1u);
            EXPECT_EQ(system.messages[0].text, "refused [" + folder + "]");
        }
    }
}

// Configured names may lead into folders of their own, and those go when emptied; a link on
// the way is not followed.
TEST_F(UninstallProcedureTest, RelativeNamesStayInsideTheirFolder) {
    system.SetValue(kInstalled, "MORNITOR", "APPName", "bin\\AlertWatcher.exe");
    system.SetValue(kInstalled, "ADMIN", "APPName", "bin\\tools\\DeviceKeeper.exe");
    system.SetValue(kInstalled, "ADMIN", "Main_LOGO", "res\\logo.bmp");
    system.SetValue(kInstalled, "STARTMENU", "DIR_Name", "Vendor\\Admin Tools");
    system.SetValue(kInstalled, "STARTMENU", "Monitor_Link_Name", "Tools\\Alert watcher");
    system.AddFile(In(kFolder, "bin\\AlertWatcher.exe"));
    system.AddFile(In(kFolder, "bin\\tools\\DeviceKeeper.exe"));
    system.AddFile(In(kFolder, "res\\logo.bmp"));
    // res is a junction to the system folder: its logo.bmp is not the package's.
    system.MarkLink(In(kFolder, "res"));
    const std::string group = std::string(kPrograms) + "\\Vendor\\Admin Tools";
    for (const char* link : {"Device Keeper.lnk", "Tools\\Alert watcher.lnk", "Admin Tools.lnk",
                             "Net Port Setup.lnk"}) {
        system.AddFile(group + "\\" + link);
    }

    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);

    EXPECT_FALSE(system.HasFolder(In(kFolder, "bin")));
    EXPECT_FALSE(system.HasFolder(group));
    EXPECT_TRUE(system.HasFolder(std::string(kPrograms) + "\\Vendor"));  // not the package's
    EXPECT_TRUE(system.HasFile(In(kFolder, "res\\logo.bmp")));
    EXPECT_TRUE(system.HasFolder(kFolder));  // the junction keeps it
    const Strings folders = system.CallsOf("RemoveFolder");
    EXPECT_EQ(folders, (Strings{group + "\\Tools", group,
                                "C:\\Program Files\\Orvello\\bin\\tools",
                                "C:\\Program Files\\Orvello\\bin",
                                "C:\\Program Files\\Orvello failed"}));
}

// Of the system folder's files only customize.ini and a file that is this program go:
// whatever else Uninstall_File names stays.
TEST_F(UninstallProcedureTest, OnlyThisProgramsCopyGoesFromTheSystemFolder) {
    const struct {
        const char* name;
        const char* bytes;  // the named file's contents; nullptr: none there
        bool deleted;
    } cases[] = {
        {"Remove.exe", kProgramBytes, true},
        {"sub\\Remove.exe", kProgramBytes, true},
        {"kernel32.dll", "MZ kernel32", false},
        {"Remove.exe", "MZ the uninstaller, longer", false},
        {"Remove.exe", "MZ the", false},
        {"drivers\\etc\\hosts", "127.0.0.1 localhost", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        system = FakeUninstallSystem();
        SetUp();
        system.SetValue(kInstalled, "INSTALL", "Uninstall_File", c.name);
        const std::string path = In(kSystem, c.name);
        system.SetContents(path, c.bytes);
        EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);
        EXPECT_EQ(system.HasFile(path), !c.deleted);
        EXPECT_FALSE(system.HasFile(In(kSystem, "customize.ini")));
        EXPECT_TRUE(system.HasFile(In(kSystem, "VNTUninstall.exe")));
    }

}

// A tool whose window is out of sight (another session) is found by its program among the
// running processes: by file name, whatever folder the system reports it in.
TEST_F(UninstallProcedureTest, RunningToolProgramStopsBeforeAnything) {
    const struct {
        std::vector<std::string> programs;
        const char* found;  // nullptr: none of the package's
    } cases[] = {
        {{"explorer.exe", "KEEPER.EXE"}, "Keeper.exe"},
        {{"C:\\PROGRAM FILES\\ORVELLO\\ALERTWATCHER.EXE"}, "AlertWatcher.exe"},  // Windows 9x
        {{"netportsetupapp.exe"}, "NetPortSetupApp.exe"},
        {{"Keeper.exe.bak", "bin", "AlertWatcher"}, nullptr},
        {{}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.found != nullptr ? c.found : "none");
        system = FakeUninstallSystem();
        SetUp();
        system.SetValue(kInstalled, "ADMIN", "APPName", "bin\\Keeper.exe");
        system.AddFile(In(kFolder, "bin\\Keeper.exe"));
        system.programs = c.programs;
        const UninstallOutcome outcome = RunUninstall(paths, system);
        if (c.found == nullptr) {
            EXPECT_EQ(outcome, UninstallOutcome::Finished);
            continue;
        }
        EXPECT_EQ(outcome, UninstallOutcome::ToolRunning);
        EXPECT_EQ(Removals(), Strings{});
        ASSERT_EQ(system.messages.size(), 1u);
        EXPECT_EQ(system.messages[0].text, std::string("[") + c.found + "]正在运行,请先关闭.");
    }
}

// A file that stays makes the run incomplete; one that was never there does not. A read-only
// symbolic link keeps its attributes (resetting them would reset its target's) and stays.
TEST_F(UninstallProcedureTest, AFileThatStaysMakesTheRunIncomplete) {
    system = FakeUninstallSystem();
    system.AddFile(In(kFolder, "AlertWatcher.exe"));
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);

    system = FakeUninstallSystem();
    SetUp();
    system.AddFile(In(kFolder, "VNTTrap.ini"), true);
    system.MarkLink(In(kFolder, "VNTTrap.ini"));
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::FilesLeft);
    EXPECT_TRUE(system.CallsOf("SetNormal " + In(kFolder, "VNTTrap.ini")).empty());
    EXPECT_FALSE(system.HasFile(In(kFolder, "AlertWatcher.exe")));
}

// A quiet run removes the same and shows no box: each step and each message is a log line.
TEST_F(UninstallProcedureTest, AQuietRunLogsEveryStepAndShowsNoBox) {
    test::FakeLogFile file;
    test::FakeSystemErrors errors;
    RunLog log(file, errors);
    ASSERT_TRUE(log.Open("C:\\u.log", "x"));
    const Strings before = system.calls;
    EXPECT_EQ(RunUninstall(paths, system, UninstallReport{&log, true}),
              UninstallOutcome::Finished);
    EXPECT_TRUE(system.messages.empty());
    std::size_t deletions = 0;
    for (const std::string& w : file.writes) deletions += w.find(" delete ") != std::string::npos;
    EXPECT_EQ(deletions, 16u);  // every RemoveFile of the full run, one line each
    EXPECT_NE(file.writes[0].find("install folder C:\\Program Files\\Orvello"), std::string::npos);
    EXPECT_NE(file.writes.back().find("message: 恭喜，软件卸载成功完成！"), std::string::npos);

    // Nothing installed: the message is a line too.
    FakeUninstallSystem empty;
    file.writes.clear();
    EXPECT_EQ(RunUninstall(paths, empty, UninstallReport{&log, true}),
              UninstallOutcome::NothingInstalled);
    EXPECT_TRUE(empty.messages.empty());
    ASSERT_EQ(file.writes.size(), 2u);
    EXPECT_NE(file.writes[0].find("nothing installed: no C:\\Program Files\\Orvello\\AlertWatcher.exe"),
              std::string::npos);
}

}  // namespace
}  // namespace tq::uninstall

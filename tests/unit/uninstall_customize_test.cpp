#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/support/fake_profile_strings.h"
#include "tests/support/fake_system_paths.h"
#include "tests/support/fake_uninstall_system.h"
#include "uninstall/customize.h"
#include "uninstall/texts.h"

namespace tq::uninstall {
namespace {

using test::FakeProfileStrings;
using test::FakeSystemPaths;
using test::FakeUninstallSystem;

constexpr char kProgram[] = "E:\\Tools Disk\\VNTAdminUninstall.exe";
constexpr char kLocal[] = "E:\\Tools Disk\\customize.ini";

const LeadByteRule kChinese = [](unsigned char c) { return IsLeadByte936(c); };
const LeadByteRule kWestern = [](unsigned char) { return false; };

CustomizePaths Compute(const std::string& program, const std::string& windows,
                       FakeProfileStrings& profile, bool chinese = true) {
    FakeSystemPaths system;
    system.module = program;
    system.windows = windows;
    system.leadBytes936 = chinese;
    return ComputeCustomizePaths(system, profile);
}

TEST(UninstallCustomize, InstallFolderIsTheWindowsDriveRootAndInstallPath) {
    FakeProfileStrings profile;
    CustomizePaths paths = Compute(kProgram, "C:\\WINDOWS", profile);
    EXPECT_EQ(paths.localFile, kLocal);
    EXPECT_EQ(paths.installFolder, "C:\\Program Files\\Orvello");
    EXPECT_EQ(paths.installedFile, "C:\\Program Files\\Orvello\\customize.ini");
    EXPECT_EQ(profile.calls,
              std::vector<std::string>{"ReadProfile E:\\Tools Disk\\customize.ini [INSTALL] "
                                       "Install_Path"});

    // Windows on D: gives D:, whatever the system's Program Files folder is.
    paths = Compute(kProgram, "D:\\WINDOWS", profile);
    EXPECT_EQ(paths.installFolder, "D:\\Program Files\\Orvello");

    // Install_Path comes from the local file; the installed one is not asked.
    profile.Set(kLocal, "install", "install_path", "Tools\\Net");
    profile.Set("C:\\Tools\\Net\\customize.ini", "INSTALL", "Install_Path", "Elsewhere");
    paths = Compute(kProgram, "C:\\WINDOWS", profile);
    EXPECT_EQ(paths.installFolder, "C:\\Tools\\Net");
    EXPECT_EQ(paths.installedFile, "C:\\Tools\\Net\\customize.ini");

    // No trailing backslash is added or taken away.
    profile.Set(kLocal, "INSTALL", "Install_Path", "Net\\");
    EXPECT_EQ(Compute(kProgram, "C:\\WINDOWS", profile).installedFile, "C:\\Net\\\\customize.ini");
}

// What a configured name may be, under the Chinese and under a Western code page's lead bytes:
// relative names that stay inside their folder, Install_Path such a name with a trailing
// backslash allowed. A byte that is a lead byte under one rule is a plain character under the
// other: "\xE9\\" is "é\" under 1252 and one character under 936.
TEST(UninstallCustomize, TheConfinementTable) {
    const struct {
        const char* text;
        bool name936, folder936, name1252, folder1252;
    } cases[] = {
        {"AlertWatcher.exe", true, true, true, true},
        {"网络 工具.exe", true, true, true, true},
        {"bin\\AlertWatcher.exe", true, true, true, true},
        {"Vendor\\Admin Tools", true, true, true, true},
        {"Program Files\\Orvello", true, true, true, true},
        {"Tools\\网络工具\\", false, true, false, true},
        {"\x95\\x.exe", true, true, true, true},  // 936: one character, 1252: "\x95" then "\"
        {"Caf\xE9\\..\\WINDOWS", false, false, false, false},  // climbs, or ends in dots
        {"Caf\xE9\\\\x", true, true, false, false},            // 936: "\xE9\\" is one character
        {"x\xE9", false, false, true, true},  // 936: a lead byte without its trail byte
        {"", false, false, false, false},
        {".", false, false, false, false},
        {"..", false, false, false, false},
        {"..\\..\\WINDOWS", false, false, false, false},
        {"Tools\\..\\..", false, false, false, false},
        {"Tools\\. .\\x", false, false, false, false},  // Windows strips the blank and the dot
        {"Tools\\\\Net", false, false, false, false},
        {"\\Tools", false, false, false, false},
        {"\\\\server\\share", false, false, false, false},
        {"C:\\Tools", false, false, false, false},
        {"C:Tools", false, false, false, false},
        {"help.chm:secret", false, false, false, false},  // an alternate data stream
        {"Tools/Net", false, false, false, false},
        {"Tab\tName", false, false, false, false},
        {"*.exe", false, false, false, false},
        {"bin\\con.txt", false, false, false, false},
        {"lpt9 .log", false, false, false, false},
        {"COM\xB9", false, false, false, false},
        {"COM10", true, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsRelativeName(c.text, kChinese), c.name936);
        EXPECT_EQ(IsRelativeFolder(c.text, kChinese), c.folder936);
        EXPECT_EQ(IsRelativeName(c.text, kWestern), c.name1252);
        EXPECT_EQ(IsRelativeFolder(c.text, kWestern), c.folder1252);
    }

    // The program's own path is cut by the same rule: under 1252 "Caf\xE9\\" is a folder and
    // the local file lies in it, under 936 the backslash belongs to a character.
    FakeProfileStrings local;
    EXPECT_EQ(Compute("C:\\Caf\xE9\\VNTAdminUninstall.exe", "C:\\WINDOWS", local, false).localFile,
              "C:\\Caf\xE9\\customize.ini");
    EXPECT_EQ(Compute("C:\\Caf\xE9\\VNTAdminUninstall.exe", "C:\\WINDOWS", local, true).localFile,
              "C:\\customize.ini");
    local.Set("C:\\Caf\xE9\\customize.ini", "INSTALL", "Install_Path", "Caf\xE9\\..\\WINDOWS");
    EXPECT_EQ(
        Compute("C:\\Caf\xE9\\VNTAdminUninstall.exe", "C:\\WINDOWS", local, false).installFolder,
        "");

    // A path that cannot be formed stays empty: no local file without a folder in the program's
    // path (its keys then read as their defaults, never from a file in the Windows folder), no
    // install folder without a folder in the Windows directory or with an unusable Install_Path.
    FakeProfileStrings profile;
    CustomizePaths paths = Compute("VNTAdminUninstall.exe", "C:\\WINDOWS", profile);
    EXPECT_EQ(paths.localFile, "");
    EXPECT_EQ(paths.installFolder, "C:\\Program Files\\Orvello");
    EXPECT_EQ(profile.calls, std::vector<std::string>{});
    paths = Compute(kProgram, "", profile);
    EXPECT_EQ(paths.installFolder, "");
    EXPECT_EQ(paths.installedFile, "");
    profile.Set(kLocal, "INSTALL", "Install_Path", "..\\WINDOWS");
    paths = Compute(kProgram, "C:\\WINDOWS", profile);
    EXPECT_EQ(paths.installFolder, "");
    EXPECT_EQ(paths.installedFile, "");
}

TEST(UninstallCustomize, ValuesAreCutTo254Characters) {
    FakeProfileStrings profile;
    profile.Set(kLocal, "UNINSTALL", "Version", std::string(300, 'v'));
    EXPECT_EQ(ReadCustomize(profile, kLocal, keys::kVersion), std::string(254, 'v'));
}

TEST(UninstallTexts, NameGoesIntoTheTextAsItStands) {
    EXPECT_EQ(InsertText("About %s(&A)...", "Remove.exe"), "About Remove.exe(&A)...");
    EXPECT_EQ(InsertText("[%s] x", "C:\\100%s\\%d%n"), "[C:\\100%s\\%d%n] x");
    EXPECT_EQ(InsertText("no slot", "x"), "no slot");
    EXPECT_EQ(InsertText("%s and %s", "a"), "a and %s");
}

TEST(UninstallTexts, AboutCommandIgnoresTheSystemsLowBits) {
    EXPECT_TRUE(IsAboutCommand(16));
    EXPECT_TRUE(IsAboutCommand(31));
    EXPECT_FALSE(IsAboutCommand(32));
    EXPECT_FALSE(IsAboutCommand(15));
    EXPECT_FALSE(IsAboutCommand(0xF060));  // SC_CLOSE
}

struct UninstallDialogTextsTest : ::testing::Test {
    FakeUninstallSystem files;
    CustomizePaths paths{kLocal, "C:\\Program Files\\Orvello",
                         "C:\\Program Files\\Orvello\\customize.ini", kProgram};

    std::vector<std::string> ReadFiles() const {
        std::vector<std::string> found;
        for (const std::string& read : files.CallsOf("ReadProfile")) {
            found.push_back(read.substr(0, read.find(" [")));  // the file's path
        }
        return found;
    }
};

TEST_F(UninstallDialogTextsTest, DefaultsWhenNeitherFileExists) {
    const DialogTexts dialog = ReadDialogTexts(files, paths);
    EXPECT_EQ(dialog.title, "Uninstall");
    EXPECT_EQ(dialog.info, "");
    EXPECT_EQ(dialog.aboutMenuEntry, "About VNTUninstall.exe(&A)...");

    const AboutTexts about = ReadAboutTexts(files, paths);
    EXPECT_EQ(about.title, "About");
    EXPECT_EQ(about.nameAndVersion, "VNTUninstall.exe 1.0.0.0");
    EXPECT_EQ(about.copyright, "Copyright (C) Orvello. All rights reserved.");
}

TEST_F(UninstallDialogTextsTest, DialogReadsTheInstalledFileAboutBoxTheLocalFile) {
    const std::string installed = paths.installedFile;
    for (const std::string& file : {installed, std::string(kLocal)}) {
        const std::string tag = file == installed ? "installed" : "local";
        files.SetValue(file, "UNINSTALL", "Main_Title", tag + " title");
        files.SetValue(file, "UNINSTALL", "Info", tag + " info");
        files.SetValue(file, "INSTALL", "Uninstall_File", tag + "%s.exe");
        files.SetValue(file, "UNINSTALL", "Help_About_Title", tag + " about");
        files.SetValue(file, "UNINSTALL", "Version", tag + " 2.0");
        files.SetValue(file, "UNINSTALL", "Help_About_Copyright", tag + " (C)");
    }

    const DialogTexts dialog = ReadDialogTexts(files, paths);
    EXPECT_EQ(dialog.title, "installed title");
    EXPECT_EQ(dialog.info, "installed info");
    EXPECT_EQ(dialog.aboutMenuEntry, "About installed%s.exe(&A)...");
    EXPECT_EQ(ReadFiles(), std::vector<std::string>(3, installed));

    files.calls.clear();
    const AboutTexts about = ReadAboutTexts(files, paths);
    EXPECT_EQ(about.title, "local about");
    EXPECT_EQ(about.nameAndVersion, "local%s.exe local 2.0");
    EXPECT_EQ(about.copyright, "local (C)");
    EXPECT_EQ(ReadFiles(), std::vector<std::string>(4, kLocal));
}

TEST_F(UninstallDialogTextsTest, OnlyTheInstalledFileLeavesTheAboutBoxAtItsDefaults) {
    files.SetValue(paths.installedFile, "INSTALL", "Uninstall_File", "Remove.exe");
    files.SetValue(paths.installedFile, "UNINSTALL", "Version", "3.1");
    EXPECT_EQ(ReadDialogTexts(files, paths).aboutMenuEntry, "About Remove.exe(&A)...");
    const AboutTexts about = ReadAboutTexts(files, paths);
    EXPECT_EQ(about.title, "About");
    EXPECT_EQ(about.nameAndVersion, "VNTUninstall.exe 1.0.0.0");
}

}  // namespace
}  // namespace tq::uninstall

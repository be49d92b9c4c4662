#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_profile_strings.h"
#include "tests/support/fake_uninstall_system.h"
#include "uninstall/customize.h"
#include "uninstall/texts.h"

namespace tq::uninstall {
namespace {

using test::FakeProfileStrings;
using test::FakeUninstallSystem;

constexpr char kProgram[] = "E:\\Tools Disk\\VNTAdminUninstall.exe";
constexpr char kLocal[] = "E:\\Tools Disk\\customize.ini";

TEST(UninstallCustomize, InstallFolderIsTheWindowsDriveRootAndInstallPath) {
    FakeProfileStrings profile;
    CustomizePaths paths = ComputeCustomizePaths(kProgram, "C:\\WINDOWS", profile);
    EXPECT_EQ(paths.localFile, kLocal);
    EXPECT_EQ(paths.installFolder, "C:\\Program Files\\Orvello");
    EXPECT_EQ(paths.installedFile, "C:\\Program Files\\Orvello\\customize.ini");
    EXPECT_EQ(profile.calls,
              std::vector<std::string>{"ReadProfile E:\\Tools Disk\\customize.ini [INSTALL] "
                                       "Install_Path"});

    // Windows on D: gives D:, whatever the system's Program Files folder is.
    paths = ComputeCustomizePaths(kProgram, "D:\\WINDOWS", profile);
    EXPECT_EQ(paths.installFolder, "D:\\Program Files\\Orvello");

    // Install_Path comes from the local file; the installed one is not asked.
    profile.Set(kLocal, "install", "install_path", "Tools\\Net");
    profile.Set("C:\\Tools\\Net\\customize.ini", "INSTALL", "Install_Path", "Elsewhere");
    paths = ComputeCustomizePaths(kProgram, "C:\\WINDOWS", profile);
    EXPECT_EQ(paths.installFolder, "C:\\Tools\\Net");
    EXPECT_EQ(paths.installedFile, "C:\\Tools\\Net\\customize.ini");

    // No trailing backslash is added or taken away.
    profile.Set(kLocal, "INSTALL", "Install_Path", "Net\\");
    EXPECT_EQ(ComputeCustomizePaths(kProgram, "C:\\WINDOWS", profile).installedFile,
              "C:\\Net\\\\customize.ini");
}

// Names the uninstaller deletes by: one path component each; Install_Path: a relative folder.
TEST(UninstallCustomize, NamesAreOneComponentAndTheInstallPathARelativeFolder) {
    const struct {
        const char* text;
        bool name, folder;
    } cases[] = {
        {"AlertWatcher.exe", true, true},
        {"网络 工具.exe", true, true},
        {"\x95\\x.exe", true, true},  // a double-byte character whose trail byte is "\"
        {"Program Files\\Orvello", false, true},
        {"Tools\\网络工具\\", false, true},
        {"", false, false},
        {".", false, false},
        {"..", false, false},
        {"..\\..\\WINDOWS", false, false},
        {"Tools\\..\\..", false, false},
        {"Tools\\\\Net", false, false},
        {"\\Tools", false, false},
        {"\\\\server\\share", false, false},
        {"C:\\Tools", false, false},
        {"C:Tools", false, false},
        {"Tools/Net", false, false},
        {"Tab\tName", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsSingleComponentName(c.text), c.name);
        EXPECT_EQ(IsRelativeFolder(c.text), c.folder);
    }

    // A path that cannot be formed stays empty: no local file without a folder in the program's
    // path (its keys then read as their defaults, never from a file in the Windows folder), no
    // install folder without a folder in the Windows directory or with an unusable Install_Path.
    FakeProfileStrings profile;
    CustomizePaths paths = ComputeCustomizePaths("VNTAdminUninstall.exe", "C:\\WINDOWS", profile);
    EXPECT_EQ(paths.localFile, "");
    EXPECT_EQ(paths.installFolder, "C:\\Program Files\\Orvello");
    EXPECT_EQ(profile.calls, std::vector<std::string>{});
    paths = ComputeCustomizePaths(kProgram, "", profile);
    EXPECT_EQ(paths.installFolder, "");
    EXPECT_EQ(paths.installedFile, "");
    profile.Set(kLocal, "INSTALL", "Install_Path", "..\\WINDOWS");
    paths = ComputeCustomizePaths(kProgram, "C:\\WINDOWS", profile);
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
                         "C:\\Program Files\\Orvello\\customize.ini"};

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

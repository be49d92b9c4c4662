// The uninstaller's Windows side against Wine: the calls the procedure's rules rest on (a
// read-only file, a folder that is not empty, a window found by its title, the all-users
// Programs folder from the registry, the code-page conversion of a Chinese path), then whole
// runs of the procedure on real files of this program's own prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/system_paths_win32.h"
#include "uninstall/customize.h"
#include "uninstall/procedure.h"
#include "uninstall/win32/uninstall_system_win32.h"

namespace tq::uninstall {
namespace {

constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kScratch[] = "C:\\tq-uninstall-test";

// UTF-8 (as written here) to the system code page 936.
std::string To936(const char* utf8) {
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, w.data(), wide);
    const int narrow = WideCharToMultiByte(936, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(narrow), '\0');
    WideCharToMultiByte(936, 0, w.c_str(), -1, s.data(), narrow, nullptr, nullptr);
    s.resize(s.size() - 1);
    return s;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path << " error " << GetLastError();
    DWORD written = 0;
    WriteFile(file, "x", 1, &written, nullptr);
    CloseHandle(file);
}

void MakeFolder(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        << path;
}

// The "Common Programs" value written as raw bytes (no NUL added), or deleted.
void SetCommonPrograms(const std::string* bytes, DWORD type = REG_SZ) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kShellFolders, 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    if (bytes != nullptr) {
        EXPECT_EQ(RegSetValueExA(key, "Common Programs", 0, type,
                                 reinterpret_cast<const BYTE*>(bytes->data()),
                                 static_cast<DWORD>(bytes->size())),
                  ERROR_SUCCESS);
    } else {
        EXPECT_EQ(RegDeleteValueA(key, "Common Programs"), ERROR_SUCCESS);
    }
    RegCloseKey(key);
}

TEST(Win32UninstallSystem, ReadOnlyFileGoesOnlyAfterItsAttributesAreReset) {
    MakeFolder(kScratch);
    const std::string file = std::string(kScratch) + "\\TRXHELP.chm";
    MakeFile(file, FILE_ATTRIBUTE_READONLY);
    Win32UninstallSystem system(nullptr);
    EXPECT_TRUE(system.FindMatch(file));
    EXPECT_FALSE(system.RemoveFile(file));
    EXPECT_TRUE(Exists(file));
    EXPECT_TRUE(system.SetNormalAttributes(file));
    EXPECT_TRUE(system.RemoveFile(file));
    EXPECT_FALSE(Exists(file));
    EXPECT_FALSE(system.FindMatch(file));
    EXPECT_FALSE(system.RemoveFile(file));
}

TEST(Win32UninstallSystem, FolderGoesOnlyWhenEmpty) {
    const std::string folder = std::string(kScratch) + "\\full";
    MakeFolder(kScratch);
    MakeFolder(folder);
    MakeFile(folder + "\\notes.txt");
    Win32UninstallSystem system(nullptr);
    EXPECT_FALSE(system.RemoveFolder(folder));
    EXPECT_TRUE(Exists(folder));
    ASSERT_TRUE(system.RemoveFile(folder + "\\notes.txt"));
    EXPECT_TRUE(system.RemoveFolder(folder));
    EXPECT_FALSE(Exists(folder));
}

TEST(Win32UninstallSystem, TopLevelWindowIsFoundByItsExactTitle) {
    Win32UninstallSystem system(nullptr);
    const std::string chinese = To936(u8"告警监视器");
    EXPECT_FALSE(system.WindowTitled("Alert Watcher"));
    const HWND window = CreateWindowExA(0, "STATIC", "Alert Watcher", WS_OVERLAPPED, 0, 0, 100, 50,
                                        nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    const HWND chineseWindow = CreateWindowExA(0, "STATIC", chinese.c_str(), WS_OVERLAPPED, 0, 0,
                                               100, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(chineseWindow, nullptr);
    EXPECT_TRUE(system.WindowTitled("Alert Watcher"));
    EXPECT_TRUE(system.WindowTitled(chinese));
    EXPECT_FALSE(system.WindowTitled("Alert Watcher 2"));
    DestroyWindow(window);
    DestroyWindow(chineseWindow);
    EXPECT_FALSE(system.WindowTitled("Alert Watcher"));
}

TEST(Win32UninstallSystem, CommonProgramsIsReadBoundedFromTheRegistry) {
    Win32UninstallSystem system(nullptr);
    const std::optional<std::string> programs = system.CommonProgramsFolder();
    ASSERT_TRUE(programs.has_value());
    EXPECT_EQ(*programs, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
    const DWORD attributes = GetFileAttributesA(programs->c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

    // 511 characters and the NUL fill the 512 bytes; 512 with their NUL are more than 512
    // bytes and are not read.
    const std::string longest = "C:\\" + std::string(508, 'p');
    std::string value = longest + '\0';
    SetCommonPrograms(&value);
    EXPECT_EQ(system.CommonProgramsFolder(), longest);
    // 512 characters stored without a NUL: Windows hands over the 512 bytes as they are, Wine
    // wants room for a NUL (more data). Either way nothing past them is read.
    value = longest + "q";
    SetCommonPrograms(&value);
    const std::optional<std::string> unterminated = system.CommonProgramsFolder();
    EXPECT_TRUE(!unterminated || *unterminated == longest + "q") << *unterminated;
    value = longest + "q" + '\0';
    SetCommonPrograms(&value);
    EXPECT_EQ(system.CommonProgramsFolder(), std::nullopt);

    // A value of another type, and no value at all, are not a folder.
    value = std::string("%ProgramData%\\Programs") + '\0';
    SetCommonPrograms(&value, REG_EXPAND_SZ);
    EXPECT_EQ(system.CommonProgramsFolder(), std::nullopt);
    SetCommonPrograms(nullptr);
    EXPECT_EQ(system.CommonProgramsFolder(), std::nullopt);

    value = *programs + '\0';
    SetCommonPrograms(&value);
    EXPECT_EQ(system.CommonProgramsFolder(), programs);
}

TEST(Win32UninstallSystem, ChinesePathIsConvertedThroughCodePage936) {
    ASSERT_EQ(GetACP(), 936u);
    Win32UninstallSystem system(nullptr);
    const std::string path = To936(u8"C:\\网络工具\\管理.exe");
    ASSERT_EQ(path.size(), 3u + 8u + 1u + 8u);  // two bytes per character in code page 936
    EXPECT_EQ(system.SystemTextToUtf16(path), u"C:\\\u7F51\u7EDC\u5DE5\u5177\\\u7BA1\u7406.exe");
    EXPECT_EQ(system.SystemTextToUtf16(""), u"");
}

std::string OwnPath() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : 0);
}

// What the confinement rests on: identities that see through another spelling of a folder and
// tell two folders apart, bounded reads, the running programs.
TEST(Win32UninstallSystem, IdentitiesBoundedReadsAndRunningPrograms) {
    Win32UninstallSystem system(nullptr);
    MakeFolder(kScratch);
    const std::string folder = std::string(kScratch) + "\\Orvello";
    MakeFolder(folder);
    const std::optional<std::string> identity = system.Identity(folder);
    ASSERT_TRUE(identity.has_value());
    EXPECT_EQ(system.Identity(std::string(kScratch) + "\\.\\ORVELLO\\"), identity);
    EXPECT_NE(system.Identity(kScratch), identity);
    EXPECT_EQ(system.Identity(folder + "\\missing"), std::nullopt);
    EXPECT_EQ(system.Attributes(folder + "\\missing"), std::nullopt);

    const std::string own = OwnPath();
    const std::optional<std::string> bytes = system.ReadFileBytes(own, 64u << 20);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->substr(0, 2), "MZ");
    EXPECT_EQ(system.ReadFileBytes(own, bytes->size() - 1), std::nullopt);

    const std::string name = own.substr(own.find_last_of('\\') + 1);
    bool seen = false;
    for (const std::string& running : system.RunningPrograms()) {
        seen = seen || _stricmp(running.c_str(), name.c_str()) == 0;
    }
    EXPECT_TRUE(seen) << name << " is not among the running programs";
    EXPECT_FALSE(system.WindowsFolders().empty());
}

TEST(Win32UninstallSystem, ComInitialisedTwiceIsBalancedTwice) {
    Win32UninstallSystem system(nullptr);
    ASSERT_TRUE(system.InitializeCom());
    EXPECT_TRUE(system.InitializeCom());  // S_FALSE: counted as well
    system.UninitializeCom();
    system.UninitializeCom();
}

// The procedure with the real calls, its message boxes recorded instead of shown.
class RecordingSystem : public Win32UninstallSystem {
  public:
    RecordingSystem() : Win32UninstallSystem(nullptr) {}
    std::string LoadText(UninstallText text) override {
        switch (text) {
            case UninstallText::NothingToUninstall:
                return "missing [%s]";
            case UninstallText::ToolRunning:
                return "running [%s]";
            case UninstallText::Finished:
                return "done";
            case UninstallText::FolderRefused:
                return "refused [%s]";
            case UninstallText::FilesLeft:
                return "files left";
        }
        return {};
    }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        messages.push_back(text + " | " + caption);
    }
    std::vector<std::string> messages;
};

struct Win32UninstallRun : ::testing::Test {
    std::string folder = "C:\\" + To936(u8"网络工具");
    std::string group;
    std::string system32;
    CustomizePaths paths;

    void SetUp() override {
        ASSERT_EQ(GetACP(), 936u);
        // The local file beside a pretend program names the install folder.
        MakeFolder(kScratch);
        Win32ProfileStrings profile;
        ASSERT_TRUE(profile.WriteString(std::string(kScratch) + "\\customize.ini", "INSTALL",
                                        "Install_Path", folder.substr(3)));
        // This test program plays the uninstaller: its copy in the system folder is Remove.exe.
        struct PretendProgram : Win32SystemPaths {
            std::string ModuleFileName() override {
                return std::string(kScratch) + "\\VNTAdminUninstall.exe";
            }
        } system;
        ASSERT_TRUE(CopyFileA(OwnPath().c_str(), system.ModuleFileName().c_str(), FALSE));
        paths = ComputeCustomizePaths(system, profile);
        ASSERT_EQ(paths.installFolder, folder);

        MakeFolder(folder);
        for (const char* name :
             {"DeviceKeeper.exe", "TRXHELP.chm", "TRXHELP.GID", "VNTTrap.ini", "AlertWatcher.exe",
              "NetPortSetupApp.exe", "VNTTrap.txt", "VNTTrapIP.ini", "logo.bmp"}) {
            MakeFile(folder + "\\" + name);
        }
        SetFileAttributesA((folder + "\\TRXHELP.chm").c_str(), FILE_ATTRIBUTE_READONLY);
        ASSERT_TRUE(
            profile.WriteString(paths.installedFile, "INSTALL", "Uninstall_File", "Remove.exe"));

        RecordingSystem probe;
        const std::optional<std::string> programs = probe.CommonProgramsFolder();
        ASSERT_TRUE(programs.has_value());
        group = *programs + "\\Admin Tools";
        MakeFolder(group);
        for (const char* link :
             {"Device Keeper.lnk", "Alert watcher.lnk", "Admin Tools.lnk", "Net Port Setup.lnk"}) {
            MakeFile(group + "\\" + link);
        }
        system32 = probe.SystemFolder();
        ASSERT_FALSE(system32.empty());
        ASSERT_TRUE(CopyFileA(OwnPath().c_str(), (system32 + "\\Remove.exe").c_str(), FALSE));
        MakeFile(system32 + "\\customize.ini");
    }
};

TEST_F(Win32UninstallRun, OpenMonitorWindowLeavesEverythingThenARunRemovesIt) {
    RecordingSystem system;
    const HWND window = CreateWindowExA(0, "STATIC", "Alert Watcher", WS_OVERLAPPED, 0, 0, 100, 50,
                                        nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::ToolRunning);
    DestroyWindow(window);
    EXPECT_EQ(system.messages, std::vector<std::string>{"running [Alert Watcher] | "});
    EXPECT_TRUE(Exists(folder + "\\DeviceKeeper.exe"));
    EXPECT_TRUE(Exists(group + "\\Device Keeper.lnk"));

    // Wine's own firewall objects answer the firewall step; it goes on to the end.
    system.messages.clear();
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::Finished);
    EXPECT_EQ(system.messages, std::vector<std::string>{"done | "});
    EXPECT_FALSE(Exists(folder)) << "the read-only help file must go on the second try";
    EXPECT_FALSE(Exists(group));
    EXPECT_FALSE(Exists(system32 + "\\Remove.exe"));
    EXPECT_FALSE(Exists(system32 + "\\customize.ini"));
    EXPECT_TRUE(Exists(system32 + "\\kernel32.dll"));

    // Nothing left to uninstall: the full monitor path, in code page 936, as it stands.
    system.messages.clear();
    EXPECT_EQ(RunUninstall(paths, system), UninstallOutcome::NothingInstalled);
    EXPECT_EQ(system.messages, std::vector<std::string>{"missing [" + folder +
                                                        "\\AlertWatcher.exe] | AlertWatcher.exe"});
}

}  // namespace
}  // namespace tq::uninstall

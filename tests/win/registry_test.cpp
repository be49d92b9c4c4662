// The registry adapter and the installer's registry records against Wine's real registry. The
// prefix is fresh for this program; values are read back with the plain registry functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "install/system/platform_class.h"
#include "install/system/registry_records.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/system_paths_win32.h"

namespace tq {
namespace {

constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kMarker[] = "Kestra TQ8240 SeriesInstall";
constexpr char kRunOnce[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kRunOnceMarker[] = "!Kestra TQ8240 SeriesInstall";
constexpr int kPlatform = PlatformVista;  // Wine reports Windows 10
constexpr char kMonitor[] =
    "System\\CurrentControlSet\\Control\\Print\\Monitors\\Kestra TQ8240 Language Monitor";
constexpr char kScratch[] = "Software\\TQ Registry Test";

// A REG_SZ read straight from the registry, or "<missing N>" with the error of the read.
std::string Read(HKEY root, const std::string& path, const char* name) {
    char buffer[1024] = {};
    DWORD size = sizeof(buffer) - 1;
    DWORD type = 0;
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (result == ERROR_SUCCESS) {
        result =
            RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
    }
    if (result != ERROR_SUCCESS) return "<missing " + std::to_string(result) + ">";
    if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
    return buffer;
}

void WriteRaw(HKEY root, const char* path, const char* name, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, REG_SZ, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

std::string ProgramPath() {
    char buffer[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return buffer;
}

std::string WindowsFolder() {
    char buffer[MAX_PATH] = {};
    GetWindowsDirectoryA(buffer, MAX_PATH);
    return buffer;
}

struct Win32RegistryTest : ::testing::Test {
    Win32Registry registry;
    Win32SystemPaths paths;
};

TEST_F(Win32RegistryTest, KeysAreCreatedOnceAndDeletedLeafFirst) {
    KeyOpening first = registry.CreateKey(RegistryRoot::CurrentUser, kScratch, KEY_ALL_ACCESS);
    ASSERT_TRUE(first.key) << first.error;
    EXPECT_TRUE(first.created);
    KeyOpening again = registry.CreateKey(RegistryRoot::CurrentUser, kScratch, KEY_ALL_ACCESS);
    ASSERT_TRUE(again.key);
    EXPECT_FALSE(again.created);

    KeyOpening sub = first.key->CreateSubKey("Leaf", KEY_ALL_ACCESS);
    ASSERT_TRUE(sub.key) << sub.error;
    EXPECT_TRUE(sub.created);
    sub.key.reset();
    first.key.reset();
    again.key.reset();

    const std::string leaf = std::string(kScratch) + "\\Leaf";
    EXPECT_EQ(registry.DeleteKey(RegistryRoot::CurrentUser, kScratch), ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry.DeleteKey(RegistryRoot::CurrentUser, leaf), ERROR_SUCCESS);
    EXPECT_EQ(registry.DeleteKey(RegistryRoot::CurrentUser, leaf), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.DeleteKey(RegistryRoot::CurrentUser, kScratch), ERROR_SUCCESS);

    KeyOpening missing = registry.OpenKey(RegistryRoot::CurrentUser, kScratch, KEY_READ);
    EXPECT_FALSE(missing.key);
    EXPECT_EQ(missing.error, ERROR_FILE_NOT_FOUND);
}

TEST_F(Win32RegistryTest, ValuesAreBoundedTerminatedAndAllEnumerated) {
    KeyOpening opening = registry.CreateKey(RegistryRoot::CurrentUser, kScratch, KEY_ALL_ACCESS);
    ASSERT_TRUE(opening.key);
    RegistryKey& key = *opening.key;
    const std::string longName(128, 'n');  // 128 characters need a 129-byte buffer
    const std::string fullData(259, 'd');  // with its NUL exactly 260 bytes
    ASSERT_EQ(key.SetString("First", "one"), ERROR_SUCCESS);
    ASSERT_EQ(key.SetString(longName, "x"), ERROR_SUCCESS);
    ASSERT_EQ(key.SetString("Full", fullData), ERROR_SUCCESS);
    ASSERT_EQ(key.SetString("Over", fullData + "d"), ERROR_SUCCESS);
    // Stored without a NUL: 3 bytes, and 260 bytes that fill the buffer completely.
    WriteRaw(HKEY_CURRENT_USER, kScratch, "Bare", "abc", 3);
    const std::string noNul(260, 'd');
    WriteRaw(HKEY_CURRENT_USER, kScratch, "BareFull", noNul.data(), 260);
    ASSERT_EQ(key.Flush(), ERROR_SUCCESS);

    // Wine hands the values out sorted by name, Windows in the order they were written: the
    // enumeration is checked as a set. The three that do not fit the 128/260-byte buffers are
    // reported as such, each at its own index, and the enumeration goes on past them.
    std::map<std::string, std::string> texts;
    int tooBig = 0;
    RegistryValueEntry entry;
    std::uint32_t index = 0;
    for (long result; (result = key.EnumValue(index, entry)) != ERROR_NO_MORE_ITEMS; ++index) {
        ASSERT_LT(index, 10u);
        if (result == ERROR_MORE_DATA) {
            ++tooBig;
            EXPECT_STREQ(entry.name, "");
            continue;
        }
        ASSERT_EQ(result, ERROR_SUCCESS);
        texts[entry.name] = entry.data;
    }
    EXPECT_EQ(texts, (std::map<std::string, std::string>{
                         {"First", "one"}, {"Full", fullData}, {"Bare", "abc"}}));
    EXPECT_EQ(tooBig, 3);
    EXPECT_EQ(index, 6u);

    char small[4];
    EXPECT_EQ(key.QueryString("First", small, sizeof(small)), ERROR_SUCCESS);
    EXPECT_STREQ(small, "one");
    EXPECT_EQ(key.QueryString("Full", small, sizeof(small)), ERROR_MORE_DATA);
    EXPECT_STREQ(small, "");
    EXPECT_EQ(key.QueryString("Bare", small, sizeof(small)), ERROR_SUCCESS);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(key.QueryString("Nothing", small, sizeof(small)), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(key.DeleteValue("first"), ERROR_SUCCESS);  // names ignore case
    EXPECT_EQ(key.DeleteValue("First"), ERROR_FILE_NOT_FOUND);
    opening.key.reset();
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratch);
}

TEST_F(Win32RegistryTest, ResumeMarkerInTheRunAndRunOnceKeys) {
    const std::string program = ProgramPath();
    EXPECT_EQ(UpdateResumeMarker(registry, paths, ResumeMarkerQuery, kPlatform), 0);
    ASSERT_EQ(UpdateResumeMarker(registry, paths, ResumeMarkerSet, kPlatform), 1);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kRun, kMarker), "\"" + program + "\"");
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kRunOnce, kRunOnceMarker), "\"" + program + "\"");
    EXPECT_EQ(UpdateResumeMarker(registry, paths, ResumeMarkerQuery, kPlatform), 1);
    EXPECT_EQ(UpdateResumeMarker(registry, paths, ResumeMarkerDelete, kPlatform), 1);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kRun, kMarker), "<missing 2>");
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kRunOnce, kRunOnceMarker), "<missing 2>");

    // A marker written bare, under a lower-case name, still names this program.
    WriteRaw(HKEY_LOCAL_MACHINE, kRun, "kestra tq8240 seriesinstall", program.c_str(),
             static_cast<DWORD>(program.size() + 1));
    EXPECT_EQ(UpdateResumeMarker(registry, paths, ResumeMarkerQuery, kPlatform), 1);
    EXPECT_EQ(UpdateResumeMarker(registry, paths, ResumeMarkerDelete, kPlatform), 1);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kRun, kMarker), "<missing 2>");

    // Another program's marker stays until a set replaces it.
    WriteRaw(HKEY_LOCAL_MACHINE, kRun, kMarker, "C:\\Moved\\TQ82Ins.exe", 21);
    EXPECT_EQ(UpdateResumeMarker(registry, paths, ResumeMarkerDelete, kPlatform), 1);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kRun, kMarker), "C:\\Moved\\TQ82Ins.exe");
    EXPECT_EQ(UpdateResumeMarker(registry, paths, ResumeMarkerSet, kPlatform), 1);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kRun, kMarker), "\"" + program + "\"");
    EXPECT_EQ(UpdateResumeMarker(registry, paths, ResumeMarkerDelete, kPlatform), 1);
}

TEST_F(Win32RegistryTest, UninstallerRunValueIsDeleted) {
    WriteRaw(HKEY_LOCAL_MACHINE, kRun, "Kestra OfficeUnInstall", "x", 2);
    EXPECT_EQ(DeleteUninstallerRunValue(registry, "KESTRA OFFICE"), 1);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kRun, "Kestra OfficeUnInstall"), "<missing 2>");
    EXPECT_EQ(DeleteUninstallerRunValue(registry, "KESTRA OFFICE"), 1);
}

TEST_F(Win32RegistryTest, UninstallEntryReadsBack) {
    ASSERT_EQ(RegisterUninstallEntry(registry, paths, "Kestra Office", 70000), 1);
    ASSERT_EQ(RegisterUninstallEntry(registry, paths, "Kestra Office", 70000), 1);  // over itself
    const std::string entry = std::string(kUninstall) + "\\Kestra Office";
    const std::string uninstaller =
        WindowsFolder().substr(0, 3) + "Program Files\\Kestra\\Kestra Office\\T824UIS.exe";
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, entry, "DisplayIcon"), uninstaller);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, entry, "DisplayName"), "Kestra Office UnInstall");
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, entry, "UnInstallString"), "\"" + uninstaller + "\"");
    // The size is a DWORD, as Programs and Features reads it.
    DWORD type = 0, kilobytes = 0, length = sizeof(kilobytes);
    EXPECT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, entry.c_str(), "EstimatedSize", RRF_RT_ANY, &type,
                           &kilobytes, &length),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(kilobytes, 70000u);
}

TEST_F(Win32RegistryTest, MonitorKeyIsCreatedOnlyWhenMissing) {
    ASSERT_EQ(CreateMonitorKey(registry), 1);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kMonitor, "Driver"), "T8242LM.dll");
    WriteRaw(HKEY_LOCAL_MACHINE, kMonitor, "Driver", "kept.dll", 9);
    EXPECT_EQ(CreateMonitorKey(registry), 0);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kMonitor, "Driver"), "kept.dll");
    DeleteMonitorKey(registry);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kMonitor, "Driver"), "<missing 2>");
    EXPECT_EQ(CreateMonitorKey(registry), 1);
    DeleteMonitorKey(registry);
}

TEST_F(Win32RegistryTest, SetupSourceIsRedirectedAndWrittenBack) {
    const char* setup = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup";
    WriteRaw(HKEY_LOCAL_MACHINE, setup, "SourcePath", "D:\\WIN98\\", 10);
    WriteRaw(HKEY_CURRENT_USER, "InstallLocationMRU", "MRUList", "ba", 3);
    WriteRaw(HKEY_CURRENT_USER, "InstallLocationMRU", "a", "A:\\", 4);
    WriteRaw(HKEY_CURRENT_USER, "InstallLocationMRU", "b", "E:\\DRIVERS\\", 12);
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string target = std::string(system) + "\\";

    SetupSourceSaved saved;
    RedirectSetupSource(registry, paths, saved, 1);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, setup, "SourcePath"), target);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "InstallLocationMRU", "b"), target);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "InstallLocationMRU", "a"), "A:\\");
    RedirectSetupSource(registry, paths, saved, 0);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, setup, "SourcePath"), "D:\\WIN98\\");
    EXPECT_EQ(Read(HKEY_CURRENT_USER, "InstallLocationMRU", "b"), "E:\\DRIVERS\\");
}

}  // namespace
}  // namespace tq

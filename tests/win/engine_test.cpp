// The engine steps of a parallel installation, in the installation thread's order, on the test
// medium with the real Windows implementations; the result read back through the public API.
// The whole installation runs twice: the second under the same name must go through and
// change nothing.
#include <windows.h>
#include <winspool.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "install/engine/copying.h"
#include "install/system/folders.h"
#include "install/engine/registration.h"
#include "install/engine/shortcuts.h"
#include "install/system/platform_class.h"
#include "install/system/registry_records.h"
#include "platform/text.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/processes_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/setup_libraries_win32.h"
#include "platform/win32/shell_links_win32.h"
#include "platform/win32/spooler_win32.h"
#include "platform/win32/system_paths_win32.h"

namespace tq {
namespace {

const char kPrinter[] = "Kestra TQ8240 Series";

// The engine takes SourceFolder from the running program: here, the installer on the medium.
class MediumPaths : public Win32SystemPaths {
  public:
    std::string ModuleFileName() override { return TQ_MEDIUM_DIR "\\TQ82Ins.exe"; }
};

// Counts the posts per stage and loads texts from the installer's own string table.
class CountingProgress : public ProgressWindow {
  public:
    CountingProgress()
        : installer_(
              LoadLibraryExA(TQ_MEDIUM_DIR "\\TQ82Ins.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~CountingProgress() override {
        if (installer_) FreeLibrary(installer_);
    }
    void Post(int stage, long argument) override { ++posts[{stage, argument}]; }
    void WaitIfPaused() override {}
    void SetCurrentFileName(const std::string&) override {}
    void ShowOwnedMessage(const std::string& text) override { messages.push_back(text); }
    std::string LoadText(int stringId) override {
        char buffer[512];
        const int n = LoadStringA(installer_, static_cast<UINT>(stringId), buffer, sizeof(buffer));
        return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    }
    std::map<std::pair<int, long>, int> posts;
    std::vector<std::string> messages;

  private:
    HMODULE installer_;
};

struct Installation {
    MediumPaths paths;
    Win32FileSystem files;
    Win32Processes processes;
    Win32SetupLibraries libraries;  // SetupNT.dll beside this program
    Win32Spooler spooler;
    Win32Registry registry;
    Win32ShellLinks links;
    PrinterSettings printers{spooler, libraries, RealSystemInfo()};
    CopyServices copy{paths, files, processes, libraries};
    RegistrationServices registration{spooler, printers, libraries, paths, RealSystemInfo()};
    CountingProgress progress;
    InstallJob job;

    // The engine steps of the installation thread for a parallel printer; the failing step's
    // name, or "" when all succeeded.
    std::string Run(const WizardSettings& settings) {
        job.progress = &progress;
        job.platformClass = GetPlatformClass(RealSystemInfo());
        job.processorClass = GetProcessorClass(RealSystemInfo());
        if (!StageDriverFiles(job, settings, copy)) return "staging";
        if (!PlaceDriverFiles(job, settings, copy)) return "placement";
        if (!RegisterDriverAndPrinter(job, settings, registration)) return "registration";
        if (!CreateProgramShortcuts(job, settings, registry, paths, links)) return "shortcuts";
        if (!RegisterUninstallEntry(registry, paths, FieldText(settings.printerName),
                                    InstalledKilobytes(job, copy))) {
            return "uninstall entry";
        }
        return "";
    }
};

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<PRINTER_INFO_2A> Queues(std::vector<BYTE>& block) {
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    block.assign(needed, 0);
    if (needed == 0 ||
        !EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, block.data(), needed, &needed, &count)) {
        return {};
    }
    const auto* records = reinterpret_cast<const PRINTER_INFO_2A*>(block.data());
    return std::vector<PRINTER_INFO_2A>(records, records + count);
}

bool MonitorInstalled(const char* name) {
    DWORD needed = 0, count = 0;
    EnumMonitorsA(nullptr, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed);
    if (needed == 0 || !EnumMonitorsA(nullptr, 1, block.data(), needed, &needed, &count)) {
        return false;
    }
    const auto* records = reinterpret_cast<const MONITOR_INFO_1A*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
        if (records[i].pName && lstrcmpiA(records[i].pName, name) == 0) return true;
    }
    return false;
}

std::string DriverFile(const char* environment, const char* name, std::string* monitor) {
    DWORD needed = 0, count = 0;
    std::string env = environment;
    EnumPrinterDriversA(nullptr, env.data(), 3, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed);
    if (needed == 0 ||
        !EnumPrinterDriversA(nullptr, env.data(), 3, block.data(), needed, &needed, &count)) {
        return "";
    }
    const auto* records = reinterpret_cast<const DRIVER_INFO_3A*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
        if (records[i].pName && lstrcmpiA(records[i].pName, name) == 0) {
            if (monitor) *monitor = records[i].pMonitorName ? records[i].pMonitorName : "";
            return records[i].pDriverPath ? records[i].pDriverPath : "";
        }
    }
    return "";
}

std::string RegistryText(const std::string& key, const char* value) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != 0) {
        return "<no key>";
    }
    char data[512] = "";
    DWORD size = sizeof(data) - 1;
    const LONG rc =
        RegQueryValueExA(handle, value, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(handle);
    return rc == 0 ? std::string(data) : "<no value>";
}

void ExpectInstalled(const std::string& windows, const std::string& system) {
    const std::string program = ProgramFolderOf(windows, kPrinter);
    for (const char* f : {"\\Driver\\T8242dr.dll", "\\Driver\\T8242ui.chm", "\\Driver\\T8242if.inf",
                          "\\Driver\\FWTQ8240.bin", "\\T824uis.exe"}) {
        EXPECT_TRUE(Exists(program + f)) << program + f;
    }
    EXPECT_TRUE(Exists(program + "\\Reg"));
    const std::string spool = system + "\\spool\\drivers\\x64";
    for (const char* f : {"\\T8242dr.dll", "\\3\\T8242dr.dll", "\\3\\T8242if.inf"}) {
        EXPECT_TRUE(Exists(spool + f)) << spool + f;
    }
    for (const char* f : {"\\T8242lm.dll", "\\T824XWM.dat", "\\FWTQ8240.bin", "\\T824XSM.exe"}) {
        EXPECT_TRUE(Exists(system + f)) << system + f;
    }

    EXPECT_TRUE(MonitorInstalled("Kestra TQ8240 Language Monitor"));
    std::string monitor;
    EXPECT_NE(DriverFile("Windows x64", kPrinter, &monitor).find("T8242dr.dll"), std::string::npos);
    EXPECT_EQ(monitor, "Kestra TQ8240 Language Monitor");

    std::vector<BYTE> block;
    int found = 0;
    for (const PRINTER_INFO_2A& q : Queues(block)) {
        if (!q.pPrinterName || lstrcmpiA(q.pPrinterName, kPrinter) != 0) continue;
        ++found;
        EXPECT_STREQ(q.pPortName, "LPT1:");
        EXPECT_STREQ(q.pDriverName, kPrinter);
        EXPECT_STREQ(q.pPrintProcessor, "WinPrint");
        EXPECT_STREQ(q.pDatatype, "RAW");
        EXPECT_STREQ(q.pShareName, "KestraTQ");
        EXPECT_TRUE(q.Attributes & PRINTER_ATTRIBUTE_SHARED);
    }
    EXPECT_EQ(found, 1);
    char defaultPrinter[256] = "";
    DWORD size = sizeof(defaultPrinter);
    EXPECT_TRUE(GetDefaultPrinterA(defaultPrinter, &size));
    EXPECT_STREQ(defaultPrinter, kPrinter);

    const std::string entry =
        std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\UnInstall\\") + kPrinter;
    const std::string uninstaller =
        windows.substr(0, 3) + "Program Files\\Kestra\\" + kPrinter + "\\T824UIS.exe";
    EXPECT_EQ(RegistryText(entry, "DisplayIcon"), uninstaller);
    EXPECT_EQ(RegistryText(entry, "DisplayName"), std::string(kPrinter) + " UnInstall");
    EXPECT_EQ(RegistryText(entry, "UnInstallString"), "\"" + uninstaller + "\"");
}

TEST(EngineOnWine, AParallelInstallationTwiceUnderTheSameName) {
    WizardSettings settings;
    settings.SetPrinterName(kPrinter);
    settings.setAsDefault = 1;
    settings.shareEnabled = 1;
    settings.SetShareName("KestraTQ");
    settings.connectionType = Parallel;
    settings.SetPortName("LPT1:");

    char windows[MAX_PATH], system[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);

    Installation first;
    ASSERT_EQ(first.Run(settings), "");
    EXPECT_TRUE(first.progress.messages.empty());
    // 16 staged + 22 placed (three left to SysFileCopier on a 64-bit system), 4 registration
    // steps, 4 shortcut steps.
    EXPECT_EQ((first.progress.posts[{StageCopy, 1}]), 16 + 22);
    EXPECT_EQ((first.progress.posts[{StageInstall, 1}]), 4);
    EXPECT_EQ((first.progress.posts[{StageShortcuts, 1}]), 4);
    ExpectInstalled(windows, system);

    // The program group: three links under the current user's Programs folder.
    char programs[MAX_PATH] = "";
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, FALSE));
    for (int link : {32, 40, 33}) {
        const std::string path =
            std::string(programs) + "\\" + kPrinter + "\\" + first.progress.LoadText(link) + ".lnk";
        EXPECT_TRUE(Exists(path)) << path;
    }

    Installation second;
    ASSERT_EQ(second.Run(settings), "");
    ExpectInstalled(windows, system);
}

}  // namespace
}  // namespace tq

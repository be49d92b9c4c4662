// The plug-and-play path under Wine: what newdev.dll answers for the printer, PnpDrvRefresh.exe
// and the state file it leaves, the newdev.dll double loaded into a child process by
// WINEDLLOVERRIDES, the whole operation with the real adapters, and KestraReg.exe's window.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "helpers/kestra_reg/kestra_reg_ids.h"
#include "helpers/pnp_drv_refresh/state_file.h"
#include "install/app/ui.h"
#include "install/engine/plug_and_play.h"
#include "install/model.h"
#include "install/system/platform_class.h"
#include "platform/win32/device_install_win32.h"
#include "platform/win32/setup_libraries_win32.h"
#include "platform/win32/spooler_win32.h"
#include "platform/win32/system_paths_win32.h"
#include "tests/win/file_contents.h"

namespace tq {
namespace {

const std::string kMedium = TQ_MEDIUM_DIR "\\";
const std::string kMediumInf = kMedium + "Driver\\Vista\\T8242if.inf";
const char kStateFile[] = "C:\\Program Files\\Kestra\\SetupState.ini";
const char kMakerFolder[] = "C:\\Program Files\\Kestra";
// Where the installer would have staged the INF for a printer named "Office Laser".
const char kProgramInf[] = "C:\\Program Files\\Kestra\\Office Laser\\Driver\\T8242if.inf";
constexpr DWORD kNoSuchDevInst = 0xE000020B;

using test::ReadAll;

bool WriteAll(const std::string& path, const std::string& contents) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == contents.size();
}

// A fresh folder holding copies of the named files of the test medium.
std::string FolderWith(const std::string& folder, std::initializer_list<const char*> names) {
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : names) {
        EXPECT_TRUE(CopyFileA((kMedium + name).c_str(), (folder + "\\" + name).c_str(), FALSE))
            << name;
    }
    return folder + "\\";
}

// No state file and no maker's folder: PnpDrvRefresh.exe must create both.
void RemoveStateFile() {
    DeleteFileA(kStateFile);
    RemoveDirectoryA(kMakerFolder);
    ASSERT_EQ(GetFileAttributesA(kMakerFolder), INVALID_FILE_ATTRIBUTES);
}

std::string StateValue(const char* key) {
    char value[64] = "";
    GetPrivateProfileStringA(pnp_drv_refresh::kSection, key, "<none>", value, sizeof(value),
                             kStateFile);
    return value;
}

// Runs `application` with `commandLine` as its whole command line; its exit code, or -1.
long RunForExitCode(const std::string& application, const std::string& commandLine) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return -1;
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    } else {
        TerminateProcess(process.hProcess, 99);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(code);
}

// Has Wine load the native newdev.dll (the double beside the program) for PnpDrvRefresh.exe
// while this lives: the per-program override in the registry, read when a program starts.
// (A WINEDLLOVERRIDES set with SetEnvironmentVariableA does not reach a child: it gets the
// value its Wine tree was started with.)
class NativeNewdevFor {
  public:
    explicit NativeNewdevFor(const char* program)
        : key_(std::string("Software\\Wine\\AppDefaults\\") + program + "\\DllOverrides") {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr) == ERROR_SUCCESS) {
            const char value[] = "native,builtin";
            RegSetValueExA(key, "newdev", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           sizeof(value));
            RegCloseKey(key);
        }
    }
    ~NativeNewdevFor() { RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str()); }
    NativeNewdevFor(const NativeNewdevFor&) = delete;
    NativeNewdevFor& operator=(const NativeNewdevFor&) = delete;

  private:
    std::string key_;
};

bool QueueOnPort(const char* name, const char* port, const char* driver) {
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed);
    if (needed == 0 ||
        !EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, block.data(), needed, &needed, &count)) {
        return false;
    }
    const auto* queues = reinterpret_cast<const PRINTER_INFO_2A*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
        const PRINTER_INFO_2A& q = queues[i];
        if (q.pPrinterName && lstrcmpiA(q.pPrinterName, name) == 0) {
            return q.pPortName && lstrcmpiA(q.pPortName, port) == 0 && q.pDriverName &&
                   lstrcmpiA(q.pDriverName, driver) == 0;
        }
    }
    return false;
}

// The dependent files of the model's driver as EnumPrinterDriversA level 3 lists them.
std::vector<std::string> DriverDependentFiles() {
    DWORD needed = 0, count = 0;
    EnumPrinterDriversA(nullptr, nullptr, 3, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed);
    if (needed == 0 ||
        !EnumPrinterDriversA(nullptr, nullptr, 3, block.data(), needed, &needed, &count)) {
        return {};
    }
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_3A*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
        if (drivers[i].pName && kModelDriverName == drivers[i].pName) {
            std::vector<std::string> files;
            for (const char* f = drivers[i].pDependentFiles; f && *f; f += lstrlenA(f) + 1) {
                files.push_back(f);
            }
            return files;
        }
    }
    return {};
}

TEST(Pnp, NewdevAnswersTheUpdateAndMissingEntriesAreFailedCalls) {
    // Wine's own newdev.dll: TRUE for the printer's id, whether or not the INF exists.
    Win32DeviceInstaller wine;
    const DeviceInstallResult medium = wine.UpdateDeviceDriver(kPrinterHardwareId, kMediumInf);
    std::printf("Wine newdev, medium INF: ok=%d lastError=0x%08lX\n", medium.ok,
                static_cast<unsigned long>(medium.lastError));
    EXPECT_TRUE(medium.ok);
    const DeviceInstallResult missing =
        wine.UpdateDeviceDriver(kPrinterHardwareId, "C:\\no such folder\\T8242if.inf");
    std::printf("Wine newdev, missing INF: ok=%d lastError=0x%08lX\n", missing.ok,
                static_cast<unsigned long>(missing.lastError));
    EXPECT_TRUE(missing.ok);

    const DeviceInstallResult noExport =
        Win32DeviceInstaller("kernel32.dll").UpdateDeviceDriver(kPrinterHardwareId, kMediumInf);
    EXPECT_FALSE(noExport.ok);
    EXPECT_EQ(noExport.lastError, static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    const DeviceInstallResult noLibrary =
        Win32DeviceInstaller("tqnosuch.dll").UpdateDeviceDriver(kPrinterHardwareId, kMediumInf);
    EXPECT_FALSE(noLibrary.ok);
    EXPECT_EQ(noLibrary.lastError, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(Pnp, PnpDrvRefreshLeavesWinesVerdictInTheStateFileItCreates) {
    const std::string folder = FolderWith("C:\\pnp plain", {"PnpDrvRefresh.exe"});
    const std::string helper = folder + "PnpDrvRefresh.exe";
    RemoveStateFile();
    Win32ProgramRunner runner;
    ASSERT_TRUE(
        runner.RunAndWait(helper, PnpDrvRefreshCommandLine(kMediumInf, kPrinterHardwareId)));
    Win32ProfileReader profiles;
    EXPECT_EQ(profiles.ReadInt(kStateFile, kStateSection, kStateResultsKey, -1), 1);
    EXPECT_EQ(StateValue(pnp_drv_refresh::kLastErrorKey), "0x00000000");
    std::printf("SetupState.ini after a run against Wine's newdev:\n%s\n",
                ReadAll(kStateFile).c_str());

    // A line it cannot split turns an earlier 1 into 0.
    for (const char* bad : {"", "no semicolon", ";USBPRINT\\Kestra_TQ8240_Series80C1"}) {
        EXPECT_EQ(RunForExitCode(helper, bad), pnp_drv_refresh::kBadCommandLine) << bad;
        EXPECT_EQ(profiles.ReadInt(kStateFile, kStateSection, kStateResultsKey, -1), 0) << bad;
        EXPECT_EQ(StateValue(pnp_drv_refresh::kLastErrorKey), "0x00000057");
        WritePrivateProfileStringA(kStateSection, kStateResultsKey, "1", kStateFile);
    }
    EXPECT_FALSE(runner.RunAndWait(folder + "NoSuchProgram.exe", "a;b"));
}

TEST(Pnp, TheNewdevDoubleInAChildGetsTheCommandLineWholeAndPlaysItsScenario) {
    // A folder with a space, as every folder under Program Files has.
    const std::string folder = FolderWith("C:\\pnp double", {"PnpDrvRefresh.exe", "newdev.dll"});
    const std::string helper = folder + "PnpDrvRefresh.exe";
    const std::string calls = folder + "newdev-calls.txt";
    const std::string line = PnpDrvRefreshCommandLine(kProgramInf, kPrinterHardwareId);
    Win32ProgramRunner runner;
    Win32ProfileReader profiles;
    NativeNewdevFor helperLoadsTheDouble("PnpDrvRefresh.exe");

    RemoveStateFile();
    ASSERT_TRUE(WriteAll(folder + "newdev-scenario.txt", "wow64-no-device\r\n"));
    ASSERT_TRUE(runner.RunAndWait(helper, line));
    EXPECT_EQ(ReadAll(calls), "PnpDrvRefresh.exe|USBPRINT\\Kestra_TQ8240_Series80C1|" +
                                  std::string(kProgramInf) + "|0|FALSE 0xE000020B\r\n");
    EXPECT_EQ(profiles.ReadInt(kStateFile, kStateSection, kStateResultsKey, -1), 0);
    EXPECT_EQ(StateValue(pnp_drv_refresh::kLastErrorKey), "0xE000020B");
    EXPECT_EQ(RunForExitCode(helper, line), pnp_drv_refresh::kNotUpdated);

    // Success makes the model's queue on USB001, as plug-and-play does: the driver must be there.
    DeleteFileA(calls.c_str());
    Win32Spooler spooler;
    DriverSpec driver;
    driver.version = 3;
    driver.name = std::string(kModelDriverName);
    driver.environment = "Windows x64";
    driver.driverPath = "T8242dr.dll";
    driver.dataFile = "T8242.dat";
    driver.configFile = "T8242pi.dll";
    ASSERT_TRUE(spooler.RegisterDriver(driver).ok);
    ASSERT_TRUE(WriteAll(folder + "newdev-scenario.txt", "wow64\r\n"));
    EXPECT_EQ(RunForExitCode(helper, line), pnp_drv_refresh::kUpdated);
    EXPECT_EQ(profiles.ReadInt(kStateFile, kStateSection, kStateResultsKey, -1), 1);
    EXPECT_TRUE(QueueOnPort("Kestra TQ8240 Series", "USB001", "Kestra TQ8240 Series"));
    EXPECT_EQ(ReadAll(calls).rfind("PnpDrvRefresh.exe|", 0), 0u) << ReadAll(calls);
}

// The engine under Wine: SourceFolder is the test medium, the warning box is counted.
class MediumPaths : public Win32SystemPaths {
  public:
    std::string ModuleFileName() override { return kMedium + "TQ82Ins.exe"; }
};

class CountingUi : public Ui {
  public:
    std::string LoadText(int) override { return ""; }
    int ShowMessageBox(const std::string& text, const std::string& caption, unsigned) override {
        boxes.push_back(caption + ": " + text);
        return kIdOk;
    }
    std::vector<std::string> boxes;
};

// A 32-bit installer on 64-bit Windows, which Wine cannot be.
class RefusedInWow64 : public DeviceInstaller {
  public:
    DeviceInstallResult UpdateDeviceDriver(const std::string&, const std::string&) override {
        return {false, 0xE0000235};
    }
};

struct PnpOperation {
    Win32Spooler spooler;
    Win32SetupLibraries libraries;  // SetupNT.dll beside this program
    MediumPaths paths;
    Win32DeviceInstaller newdev;
    Win32ProgramRunner programs;
    Win32ProfileReader profiles;
    CountingUi ui;
    MessageBoxWarnings warnings{ui};
    InstallJob job;
    WizardSettings settings;
    std::atomic<int> pnpSucceeded{0};

    int Run(DeviceInstaller& devices) {
        PlugAndPlayServices services{spooler,  libraries, paths,   devices,
                                     programs, profiles,  warnings};
        job.platformClass = GetPlatformClass(RealSystemInfo());
        job.processorClass = GetProcessorClass(RealSystemInfo());
        settings.SetPrinterName("Office Laser");
        pnpSucceeded = 0;
        return InstallPlugAndPlayDriver(job, settings, services, pnpSucceeded);
    }
};

std::string SystemFolder() {
    char buffer[MAX_PATH] = "";
    GetSystemDirectoryA(buffer, MAX_PATH);
    return std::string(buffer) + "\\";
}

// Run by TheWholeOperationWithTheRealAdapters as a copy of this program in a folder beside
// usbmon.dll, as the installer lies beside it on the test medium.
TEST(Pnp, DISABLED_UsbMonitorBesideTheCallingProgram) {
    Win32Spooler spooler;
    const SpoolerResult usb = spooler.RegisterMonitor({"USB Monitor", "Windows x64", "usbmon.dll"});
    EXPECT_TRUE(usb.ok) << usb.error;
}

TEST(Pnp, TheWholeOperationWithTheRealAdapters) {
    PnpOperation op;
    // The language monitor where the placement puts it.
    ASSERT_TRUE(CopyFileA((kMedium + "Driver\\Vista\\T8242LM.dll").c_str(),
                          (SystemFolder() + "T8242LM.dll").c_str(), FALSE));

    // Wine has no usbmon.dll: the USB port monitor cannot be registered, and the path fails.
    EXPECT_EQ(op.Run(op.newdev), 0);
    const SpoolerResult usb =
        op.spooler.RegisterMonitor({"USB Monitor", "Windows x64", "usbmon.dll"});
    EXPECT_FALSE(usb.ok);
    EXPECT_EQ(usb.error, static_cast<std::uint32_t>(ERROR_MOD_NOT_FOUND));
    std::printf("AddMonitorA \"USB Monitor\" without usbmon.dll: ok=%d error=%u\n", usb.ok,
                static_cast<unsigned>(usb.error));

    // The test medium's stand-in is found beside the calling program.
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string caller = FolderWith("C:\\pnp caller", {"usbmon.dll"}) + "caller.exe";
    ASSERT_TRUE(CopyFileA(self, caller.c_str(), FALSE));
    EXPECT_EQ(RunForExitCode(caller,
                             "caller.exe --gtest_also_run_disabled_tests "
                             "--gtest_filter=Pnp.DISABLED_UsbMonitorBesideTheCallingProgram"),
              0);

    // And where Windows keeps its own.
    ASSERT_TRUE(CopyFileA((kMedium + "usbmon.dll").c_str(), (SystemFolder() + "usbmon.dll").c_str(),
                          FALSE));
    EXPECT_EQ(op.Run(op.newdev), 1);
    EXPECT_EQ(op.pnpSucceeded, 1) << "Wine's newdev says TRUE";
    EXPECT_TRUE(op.ui.boxes.empty());
    const std::vector<std::string> files = DriverDependentFiles();
    bool usbmonListed = false;
    for (const std::string& f : files) {
        usbmonListed |= f.size() >= 10 && lstrcmpiA(f.c_str() + f.size() - 10, "usbmon.dll") == 0;
    }
    EXPECT_TRUE(usbmonListed) << files.size() << " dependent files";

    // Again, with everything registered: the already-there answers count as success.
    EXPECT_EQ(op.Run(op.newdev), 1);
    EXPECT_EQ(op.pnpSucceeded, 1);

    // Refused as in WOW64: PnpDrvRefresh.exe from the medium does the update (Wine's newdev,
    // as this process starts it without the override) and the state file says so.
    RemoveStateFile();
    RefusedInWow64 refused;
    EXPECT_EQ(op.Run(refused), 1);
    EXPECT_EQ(op.pnpSucceeded, 1);
    EXPECT_EQ(StateValue(pnp_drv_refresh::kResultsKey), "1");
}

// The registration program's message box, found by the caption in its own string table.
struct WindowSearch {
    DWORD processId;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char text[256] = "";
    GetWindowTextA(window, text, sizeof(text));
    if (owner == search->processId && lstrcmpA(text, search->caption) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

TEST(Pnp, KestraRegShowsItsCaptionedBoxAndEndsWhenAnswered) {
    const std::string program = kMedium + "KestraReg.exe";
    HMODULE texts = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(texts, nullptr);
    char caption[128] = "";
    LoadStringA(texts, IDS_REG_CAPTION, caption, sizeof(caption));
    FreeLibrary(texts);
    ASSERT_EQ(std::string(caption).rfind("Kestra ", 0), 0u) << caption;

    std::string line = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    WindowSearch search{process.dwProcessId, caption, nullptr};
    for (int i = 0; i < 200 && search.found == nullptr; ++i) {
        if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) break;
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    }
    EXPECT_NE(search.found, nullptr) << "no window captioned as the string table says";
    if (search.found) PostMessageA(GetDlgItem(search.found, IDOK), BM_CLICK, 0, 0);
    DWORD code = 99;
    if (WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    } else {
        TerminateProcess(process.hProcess, 98);
    }
    EXPECT_EQ(code, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace
}  // namespace tq

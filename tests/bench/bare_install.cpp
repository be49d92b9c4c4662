// tq_bench_bare.exe: the Win32 calls of one parallel installation on 64-bit Windows (Vista
// class, the model's name, default printer, not shared), made one after the other with nothing
// around them: no pages, no posts, no log, no checks. scripts/bench.sh runs it in a fresh prefix
// beside the installer, as the floor the installer's progress page is compared with.
//
//   tq_bench_bare.exe --medium=FOLDER --record=FILE
//
// FOLDER is the test medium (a Unix path). One line with the milliseconds from the first call to
// the last is appended to FILE; the exit code is 0 when every call that must succeed did.
// The file lists come from the installer's own tables (install/engine/file_sets.h); what each
// step calls is what the installer's platform/win32 adapters call for it.
#include <windows.h>
#include <objbase.h>
#include <setupapi.h>
#include <shlobj.h>
#include <winspool.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "install/engine/file_sets.h"
#include "install/model.h"
#include "install/system/platform_class.h"
#include "tests/bench/bench_arguments.h"
#include "tests/e2e/robot.h"

namespace {

using tq::e2e::ToAnsi;
using tq::e2e::Utf8;
using tq::e2e::WindowsPathOf;

constexpr char kMonitorName[] = "Kestra TQ8240 Language Monitor";
constexpr char kLinkNames[][32] = {"status monitor", "help", "uninstall"};

using tq::bench::Argument;

// Records the first failure of a call that must succeed.
struct Outcome {
    std::string failed;
    void Check(bool ok, const std::string& what) {
        if (!ok && failed.empty())
            failed = what + " (error " + std::to_string(GetLastError()) + ")";
    }
};

// EnumXxxA's two calls (size, then records), as the installer's queries make them.
template <typename Call>
void Enumerate(Call call) {
    DWORD needed = 0, returned = 0;
    call(nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed ? needed : 1);
    call(buffer.data(), needed, &needed, &returned);
}

void EnumerateQueues() {
    Enumerate([](BYTE* b, DWORD s, DWORD* n, DWORD* r) {
        return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, b, s, n, r);
    });
}

std::string Folder(UINT (*get)(LPSTR, UINT)) {
    char buffer[MAX_PATH] = "";
    const UINT n = get(buffer, MAX_PATH);
    return std::string(buffer, n);
}

// The milliseconds from the first call to the last; -1 when a call that must succeed failed.
double Run(const std::string& medium) {
    const int platformClass = tq::PlatformVista;
    const int processorClass = tq::Processor64;
    const tq::DriverFileSet set = tq::DriverFileSetFor(platformClass, processorClass);
    const char* environment = tq::SpoolerEnvironmentFor(platformClass, processorClass);
    const std::string printerName(tq::kModelDriverName);
    Outcome outcome;

    LARGE_INTEGER frequency{}, start{}, end{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    // The times at which each part ended, for the breakdown printed.
    std::vector<std::pair<const char*, LARGE_INTEGER>> parts;
    const auto partDone = [&parts](const char* name) {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        parts.emplace_back(name, now);
    };

    // Staging: the program folders and the staging set.
    const std::string windows = Folder(GetWindowsDirectoryA);
    const std::string system = Folder(GetSystemDirectoryA);
    const std::string base = windows.substr(0, 3) + "Program Files\\Kestra";
    const std::string program = base + "\\" + printerName;
    for (const std::string& folder : {base, program, program + "\\Driver", program + "\\Reg"}) {
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    for (const tq::FileStep& step : set.staging) {
        const std::string to =
            step.destination == tq::Destination::ProgramFolder ? program : program + "\\Driver";
        for (const char* name : step.files) {
            const std::string from = medium + step.sourceFolder + name;
            const bool copied = CopyFileA(from.c_str(), (to + "\\" + name).c_str(), FALSE);
            if (step.mustExist) outcome.Check(copied, "copy " + from);
        }
    }

    partDone("staging");

    // Placement: the spooler's folders, SysFileCopier.exe waited for, the INF, the system folder.
    char driverDirectory[MAX_PATH] = "";
    DWORD needed = 0;
    outcome.Check(GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(environment), 1,
                                             reinterpret_cast<BYTE*>(driverDirectory),
                                             sizeof(driverDirectory), &needed),
                  "GetPrinterDriverDirectoryA");
    const std::string spooler = driverDirectory;
    for (const tq::FileStep& step : set.placement) {
        switch (step.action) {
            case tq::StepAction::Copy: {
                const std::string to =
                    step.destination == tq::Destination::DriverDirectory    ? spooler
                    : step.destination == tq::Destination::DriverDirectory3 ? spooler + "\\3"
                                                                            : system;
                for (const char* name : step.files) {
                    const std::string from = medium + step.sourceFolder + name;
                    outcome.Check(CopyFileA(from.c_str(), (to + "\\" + name).c_str(), FALSE),
                                  "copy " + from);
                }
                break;
            }
            case tq::StepAction::StartSysFileCopier: {
                std::string line = "\"" + medium + tq::kSysFileCopier + "\"";
                STARTUPINFOA startup{};
                startup.cb = sizeof(startup);
                PROCESS_INFORMATION process{};
                const bool started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE,
                                                    0, nullptr, nullptr, &startup, &process);
                outcome.Check(started, "start SysFileCopier.exe");
                if (started) {
                    outcome.Check(WaitForSingleObject(process.hProcess, 4000) == WAIT_OBJECT_0,
                                  "SysFileCopier.exe ended");
                    CloseHandle(process.hThread);
                    CloseHandle(process.hProcess);
                }
                for (const char* name : step.files) {
                    outcome.Check(GetFileAttributesA((system + "\\" + name).c_str()) !=
                                      INVALID_FILE_ATTRIBUTES,
                                  std::string(name) + " in the system folder");
                }
                break;
            }
            case tq::StepAction::InstallInf: {
                for (const char* name : step.files) {
                    const std::string source = program + "\\Driver";
                    const std::string inf = source + "\\" + name;
                    SetupCopyOEMInfA(inf.c_str(), source.c_str(), SPOST_PATH, 0, nullptr, 0,
                                     nullptr, nullptr);
                }
                break;
            }
        }
    }

    partDone("placement");

    // Registration: the queries the installer makes before each call, then the calls.
    EnumerateQueues();
    Enumerate(
        [](BYTE* b, DWORD s, DWORD* n, DWORD* r) { return EnumMonitorsA(nullptr, 1, b, s, n, r); });
    const tq::RegistrationNames& names = set.registration;
    std::string monitorName = kMonitorName;
    std::string monitorEnvironment = names.monitorEnvironment;
    std::string monitorDll = names.languageMonitorLibrary;
    MONITOR_INFO_2A monitor{};
    monitor.pName = monitorName.data();
    monitor.pEnvironment = monitorEnvironment.data();
    monitor.pDLLName = monitorDll.data();
    outcome.Check(AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&monitor)), "AddMonitorA");

    Enumerate([environment](BYTE* b, DWORD s, DWORD* n, DWORD* r) {
        return EnumPrinterDriversA(nullptr, const_cast<char*>(environment), 1, b, s, n, r);
    });
    const std::string files = spooler + names.driverSubFolder;
    std::string driverName = printerName;
    std::string driverEnvironment = names.driverEnvironment;
    std::string driverPath = files + names.driverPath;
    std::string dataFile = files + names.dataFile;
    std::string configFile = files + names.configFile;
    std::string helpFile = files + names.helpFile;
    std::string dependents;
    for (const char* name : names.printerDependentFiles) dependents.append(name).push_back('\0');
    dependents.push_back('\0');
    DRIVER_INFO_3A driver{};
    driver.cVersion = 3;
    driver.pName = driverName.data();
    driver.pEnvironment = driverEnvironment.data();
    driver.pDriverPath = driverPath.data();
    driver.pDataFile = dataFile.data();
    driver.pConfigFile = configFile.data();
    driver.pHelpFile = helpFile.data();
    driver.pDependentFiles = dependents.data();
    driver.pMonitorName = monitorName.data();
    outcome.Check(AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver)),
                  "AddPrinterDriverA");

    EnumerateQueues();
    std::string queueName = printerName;
    std::string port = "LPT1:";
    std::string processor = "WinPrint";
    std::string dataType = "RAW";
    PRINTER_INFO_2A queue{};
    queue.pPrinterName = queueName.data();
    queue.pPortName = port.data();
    queue.pDriverName = driverName.data();
    queue.pPrintProcessor = processor.data();
    queue.pDatatype = dataType.data();
    HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&queue));
    outcome.Check(printer != nullptr, "AddPrinterA");
    if (printer != nullptr) ClosePrinter(printer);
    outcome.Check(SetDefaultPrinterA(queueName.c_str()), "SetDefaultPrinterA");

    partDone("registration");

    // Shortcuts: the Programs folder from the registry, the group, three links.
    char programs[MAX_PATH] = "";
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        DWORD size = sizeof(programs);
        RegQueryValueExA(key, "Programs", nullptr, nullptr, reinterpret_cast<BYTE*>(programs),
                         &size);
        RegCloseKey(key);
    }
    const std::string group = std::string(programs) + "\\" + printerName;
    CreateDirectoryA(group.c_str(), nullptr);
    CoInitialize(nullptr);
    const std::string targets[] = {system + "\\T824XSM.exe", program + "\\Driver\\T8242UI.chm",
                                   program + "\\T824UIS.exe"};
    for (int i = 0; i < 3; ++i) {
        IShellLinkA* link = nullptr;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void**>(&link)))) {
            outcome.Check(false, "CoCreateInstance");
            continue;
        }
        link->SetPath(targets[i].c_str());
        link->SetDescription(kLinkNames[i]);
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t path[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, (group + "\\" + kLinkNames[i] + ".lnk").c_str(), -1,
                                path, MAX_PATH);
            outcome.Check(SUCCEEDED(file->Save(path, TRUE)), "IPersistFile::Save");
            file->Release();
        }
        link->Release();
    }
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, (printerName + "UnInstall").c_str());
        RegCloseKey(key);
    }

    // The uninstall entry.
    HKEY entry = nullptr;
    const std::string entryKey =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\UnInstall\\" + printerName;
    outcome.Check(RegCreateKeyExA(HKEY_LOCAL_MACHINE, entryKey.c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &entry, nullptr) == ERROR_SUCCESS,
                  "the uninstall entry");
    if (entry != nullptr) {
        const std::string uninstaller = program + "\\T824UIS.exe";
        const std::string values[][2] = {{"DisplayIcon", uninstaller},
                                         {"DisplayName", printerName + " UnInstall"},
                                         {"UnInstallString", "\"" + uninstaller + "\""}};
        for (const auto& v : values) {
            RegSetValueExA(entry, v[0].c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(v[1].c_str()),
                           static_cast<DWORD>(v[1].size() + 1));
        }
        RegCloseKey(entry);
    }

    partDone("shortcuts and uninstall entry");
    end = parts.back().second;
    const auto ms = [&frequency](LARGE_INTEGER from, LARGE_INTEGER to) {
        return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 /
               static_cast<double>(frequency.QuadPart);
    };
    if (!outcome.failed.empty()) {
        std::fprintf(stderr, "bare installation: %s failed\n", outcome.failed.c_str());
        return -1;
    }
    std::printf("bare installation: %.1f ms (", ms(start, end));
    LARGE_INTEGER from = start;
    for (const auto& [name, at] : parts) {
        std::printf("%s%s %.1f ms", from.QuadPart == start.QuadPart ? "" : ", ", name,
                    ms(from, at));
        from = at;
    }
    std::printf(")\n");
    return ms(start, end);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mediumArgument = Argument(argc, argv, "medium");
    const std::string record = Argument(argc, argv, "record");
    if (mediumArgument.empty() || record.empty()) {
        std::fprintf(stderr, "usage: tq_bench_bare.exe --medium=FOLDER --record=FILE\n");
        return 2;
    }
    // The A calls take paths in the system code page.
    const std::string medium = ToAnsi(Utf8(WindowsPathOf(mediumArgument))) + "\\";
    const double ms = Run(medium);
    if (ms < 0) return 1;
    std::ofstream out(Utf8(WindowsPathOf(record)), std::ios::app);
    out << ms << '\n';
    return out ? 0 : 1;
}

// A stand-in for Windows' newdev.dll in end-to-end runs: Wine has no USB printer to match, so
// this library plays the device installation that a scenario asks for. It reads the scenario
// from "newdev-scenario.txt" beside the program that loaded it and appends each call to
// "newdev-calls.txt" there. Test code only: never on the release medium.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kNoSuchDevInst = 0xE000020B;  // ERROR_NO_SUCH_DEVINST: no device of that id
constexpr DWORD kInWow64 = 0xE0000235;        // ERROR_IN_WOW64
constexpr char kModel[] = "Kestra TQ8240 Series";
constexpr char kUsbPort[] = "USB001";

// The folder of the program that loaded this library, with its backslash; false if too long.
bool HostFolder(char (&folder)[MAX_PATH], char (&hostName)[MAX_PATH]) {
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    char* slash = std::strrchr(path, '\\');
    if (slash == nullptr) return false;
    std::snprintf(hostName, MAX_PATH, "%s", slash + 1);
    slash[1] = '\0';
    std::snprintf(folder, MAX_PATH, "%s", path);
    return true;
}

bool IsHelperProgram(const char* hostName) {
    return lstrcmpiA(hostName, "PnpDrvRefresh.exe") == 0;
}

// The first line of the scenario file; empty when there is none.
void ReadScenario(const char* folder, char (&line)[128]) {
    line[0] = '\0';
    char path[MAX_PATH] = "";
    if (std::snprintf(path, MAX_PATH, "%snewdev-scenario.txt", folder) >= MAX_PATH) return;
    FILE* file = std::fopen(path, "r");
    if (file == nullptr) return;
    if (std::fgets(line, sizeof(line), file) == nullptr) line[0] = '\0';
    std::fclose(file);
    line[std::strcspn(line, "\r\n")] = '\0';
}

void RecordCall(const char* folder, const char* hostName, const char* hardwareId,
                const char* infPath, DWORD flags, const char* answer) {
    char path[MAX_PATH] = "";
    if (std::snprintf(path, MAX_PATH, "%snewdev-calls.txt", folder) >= MAX_PATH) return;
    FILE* file = std::fopen(path, "a");
    if (file == nullptr) return;
    std::fprintf(file, "%s|%s|%s|%lu|%s\n", hostName, hardwareId ? hardwareId : "(null)",
                 infPath ? infPath : "(null)", static_cast<unsigned long>(flags), answer);
    std::fclose(file);
}

// What plug-and-play does when it matches the printer: a queue of the model on the USB port.
bool CreateModelQueue() {
    PRINTER_INFO_2A info{};
    info.pPrinterName = const_cast<char*>(kModel);
    info.pPortName = const_cast<char*>(kUsbPort);
    info.pDriverName = const_cast<char*>(kModel);
    info.pPrintProcessor = const_cast<char*>("WinPrint");
    info.pDatatype = const_cast<char*>("RAW");
    HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (printer == nullptr) return false;
    ClosePrinter(printer);
    return true;
}

BOOL Answer(const char* hardwareId, const char* infPath, DWORD flags) {
    char folder[MAX_PATH] = "";
    char hostName[MAX_PATH] = "";
    if (!HostFolder(folder, hostName)) {
        SetLastError(kNoSuchDevInst);
        return FALSE;
    }
    char scenario[128];
    ReadScenario(folder, scenario);

    DWORD error = kNoSuchDevInst;  // no scenario: no printer plugged in
    bool succeed = false;
    if (std::strcmp(scenario, "success") == 0) {
        succeed = true;
    } else if (std::strncmp(scenario, "error ", 6) == 0) {
        error = static_cast<DWORD>(std::strtoul(scenario + 6, nullptr, 0));
    } else if (std::strcmp(scenario, "wow64") == 0) {
        // The 32-bit installer is refused; the 64-bit helper gets the device.
        succeed = IsHelperProgram(hostName);
        error = kInWow64;
    } else if (std::strcmp(scenario, "wow64-no-device") == 0) {
        error = IsHelperProgram(hostName) ? kNoSuchDevInst : kInWow64;
    }
    if (succeed && !CreateModelQueue()) {
        succeed = false;
        error = GetLastError();
    }
    char answer[32] = "TRUE";
    if (!succeed) {
        std::snprintf(answer, sizeof(answer), "FALSE 0x%08lX", static_cast<unsigned long>(error));
    }
    RecordCall(folder, hostName, hardwareId, infPath, flags, answer);
    if (succeed) return TRUE;
    SetLastError(error);
    return FALSE;
}

// A wide text in the system code page; empty when it does not fit.
void Narrow(const wchar_t* text, char (&out)[MAX_PATH]) {
    out[0] = '\0';
    if (text == nullptr) return;
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, out, MAX_PATH, nullptr, nullptr) == 0) {
        out[0] = '\0';
    }
}

}  // namespace

extern "C" BOOL WINAPI UpdateDriverForPlugAndPlayDevicesA(HWND, LPCSTR hardwareId, LPCSTR infPath,
                                                          DWORD flags, PBOOL reboot) {
    if (reboot != nullptr) *reboot = FALSE;
    return Answer(hardwareId, infPath, flags);
}

extern "C" BOOL WINAPI UpdateDriverForPlugAndPlayDevicesW(HWND, LPCWSTR hardwareId, LPCWSTR infPath,
                                                          DWORD flags, PBOOL reboot) {
    if (reboot != nullptr) *reboot = FALSE;
    char hardwareIdA[MAX_PATH];
    char infPathA[MAX_PATH];
    Narrow(hardwareId, hardwareIdA);
    Narrow(infPath, infPathA);
    return Answer(hardwareIdA, infPathA, flags);
}

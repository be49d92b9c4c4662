// tq_bench_watcher.exe: the USB queue watcher of the installer (QueueWatcher over the real
// spooler, as the installer runs it) polling for a queue that never comes, in this process
// alone. Prints the CPU time of its thread as a share of one core and per poll, and the
// wineserver's over the same seconds: Wine's spooler keeps its queues in the registry, which
// the wineserver serves, so much of every listing is spent there. Not a test; scripts/bench.sh
// runs it in a fresh prefix of its own.
//   tq_bench_watcher.exe [--seconds=N] [--queues=K]   (K queues of another driver first)
#include <windows.h>
#include <winspool.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "install/engine/installation.h"
#include "install/spooler/printer_settings.h"
#include "platform/win32/setup_libraries_win32.h"
#include "platform/win32/spooler_win32.h"

namespace {

// The watcher's outcome goes nowhere: nobody waits for it here.
class NoSignals : public tq::InstallSignals {
  public:
    void RequestPause() override {}
    void Resume() override {}
    void SignalPnp() override {}
    bool WaitForPnp(unsigned) override { return false; }
};

double ThreadCpuMs(HANDLE thread) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return -1;
    const auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

// The Linux side, through drive Z: (Wine maps it to /). Each prefix of the bench has a
// wineserver of its own; inside the sandbox's PID namespace it is the only one.
std::string ReadLinuxFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string text;
    char chunk[512];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
    CloseHandle(file);
    return text;
}

std::string WineserverStatPath() {
    WIN32_FIND_DATAA entry{};
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::string found;
    do {
        const std::string name = entry.cFileName;
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string folder = "Z:\\proc\\" + name;
        // "wineserver" or "wineserver64", as Debian names it.
        if (ReadLinuxFile(folder + "\\comm").rfind("wineserver", 0) == 0) {
            found = folder + "\\stat";
            break;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

// utime + stime of a Linux process in ms (clock ticks of 10 ms); -1 when unreadable.
double LinuxProcessCpuMs(const std::string& statPath) {
    if (statPath.empty()) return -1;
    const std::string stat = ReadLinuxFile(statPath);
    const auto end = stat.rfind(')');  // the command name may hold spaces
    if (end == std::string::npos) return -1;
    std::vector<std::string> fields;  // from field 3 (state) on
    for (std::size_t at = end + 2; at < stat.size();) {
        const auto next = stat.find(' ', at);
        fields.push_back(stat.substr(at, next == std::string::npos ? next : next - at));
        if (next == std::string::npos) break;
        at = next + 1;
    }
    // Fields 14 (utime) and 15 (stime).
    if (fields.size() < 13) return -1;
    return (std::atof(fields[11].c_str()) + std::atof(fields[12].c_str())) * 10.0;
}

bool AddOtherQueues(int count) {
    char driverName[] = "Contoso Laser 500";
    char file[] = "CONTOSO.DLL";
    DRIVER_INFO_3A driver{};
    driver.cVersion = 3;
    driver.pName = driverName;
    driver.pDriverPath = file;
    driver.pDataFile = file;
    driver.pConfigFile = file;
    char dataType[] = "RAW";
    driver.pDefaultDataType = dataType;
    if (count > 0 && !AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) {
        std::fprintf(stderr, "AddPrinterDriverA failed, error %lu\n", GetLastError());
        return false;
    }
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "Contoso %d", i + 1);
        char port[] = "LPT2:";
        char processor[] = "WinPrint";
        PRINTER_INFO_2A info{};
        info.pPrinterName = name;
        info.pPortName = port;
        info.pDriverName = driverName;
        info.pPrintProcessor = processor;
        info.pDatatype = dataType;
        HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
        if (printer == nullptr) {
            std::fprintf(stderr, "AddPrinterA(%s) failed, error %lu\n", name, GetLastError());
            return false;
        }
        ClosePrinter(printer);
    }
    return true;
}

struct Run {
    tq::Win32Spooler spooler;
    tq::Win32SetupLibraries libraries;
    tq::PrinterSettings printers{spooler, libraries, tq::RealSystemInfo()};
    tq::WizardSettings settings;
    std::atomic<int> pnpSucceeded{0};
    NoSignals signals;
    std::atomic<bool> stop{false};  // never set: the bench ends the process
    std::atomic<long> polls{0};
};

DWORD WINAPI Watch(void* parameter) {
    auto* run = static_cast<Run*>(parameter);
    // No rename, default or share: the watcher only waits.
    run->settings.renameRequired = 0;
    run->settings.setAsDefault = 0;
    run->settings.shareEnabled = 0;
    tq::QueueWatcher watcher{run->spooler,
                             run->printers,
                             tq::RealSystemInfo(),
                             run->settings,
                             run->pnpSucceeded,
                             run->signals,
                             [] {},
                             [run] {
                                 ++run->polls;
                                 Sleep(10);
                             },
                             run->stop};
    watcher.Run();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 10;
    int queues = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--seconds=", 10) == 0) seconds = std::atoi(argv[i] + 10);
        if (std::strncmp(argv[i], "--queues=", 9) == 0) queues = std::atoi(argv[i] + 9);
    }
    if (seconds <= 0 || queues < 0 || !AddOtherQueues(queues)) {
        std::fprintf(stderr, "usage: tq_bench_watcher.exe [--seconds=N] [--queues=K]\n");
        return 2;
    }
    static Run run;
    HANDLE thread = CreateThread(nullptr, 0, Watch, &run, 0, nullptr);
    if (thread == nullptr) return 1;
    // The first enumerations load the spooler's parts: not the steady wait.
    Sleep(500);
    const std::string server = WineserverStatPath();
    LARGE_INTEGER start{}, end{}, frequency{};
    const double serverBefore = LinuxProcessCpuMs(server);
    const double before = ThreadCpuMs(thread);
    const long pollsBefore = run.polls.load();
    QueryPerformanceCounter(&start);
    Sleep(static_cast<DWORD>(seconds) * 1000);  // the wait being measured
    const double after = ThreadCpuMs(thread);
    const long pollsAfter = run.polls.load();
    const double serverAfter = LinuxProcessCpuMs(server);
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    run.pnpSucceeded.store(1);  // ends the watcher's loop
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);

    const double wall = static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart);
    const long polls = pollsAfter - pollsBefore;
    const double cpu = after - before;
    // A share of one core: ms of CPU per second of waiting, over ten.
    std::printf(
        "Queue watcher alone, %d other queue(s): %.1f %% of a core, %.2f ms CPU per poll "
        "(%.0f ms CPU over %.1f s, %ld polls); ",
        queues, cpu / wall / 10.0, polls > 0 ? cpu / static_cast<double>(polls) : 0.0, cpu, wall,
        polls);
    if (serverBefore >= 0 && serverAfter >= 0) {
        std::printf("wineserver %.1f %% of a core\n", (serverAfter - serverBefore) / wall / 10.0);
    } else {
        std::printf("wineserver n/a %% of a core\n");
    }
    return 0;
}

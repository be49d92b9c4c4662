// tq_bench_watcher.exe: the USB queue watcher of the installer (QueueWatcher over the real
// spooler, as the installer runs it) polling for a queue that never comes, in this process
// alone. Prints the CPU time of its thread per second of waiting and the polls it made.
// Not a test; scripts/bench.sh runs it in a fresh prefix.
//   tq_bench_watcher.exe [--seconds=N] [--queues=K]   (K queues of another driver first)
#include <windows.h>
#include <winspool.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "install/app/installation.h"
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
    void WaitForPnp() override {}
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
                             }};
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
    LARGE_INTEGER start{}, end{}, frequency{};
    const double before = ThreadCpuMs(thread);
    const long pollsBefore = run.polls.load();
    QueryPerformanceCounter(&start);
    Sleep(static_cast<DWORD>(seconds) * 1000);  // the wait being measured
    const double after = ThreadCpuMs(thread);
    const long pollsAfter = run.polls.load();
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    run.pnpSucceeded.store(1);  // ends the watcher's loop
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);

    const double wall = static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart);
    const long polls = pollsAfter - pollsBefore;
    std::printf(
        "Queue watcher alone, %d other queue(s): %.0f ms CPU over %.1f s = %.1f ms CPU per "
        "second of waiting; %ld polls (%.1f per second, %.2f ms CPU each)\n",
        queues, after - before, wall, (after - before) / wall, polls, polls / wall,
        polls > 0 ? (after - before) / static_cast<double>(polls) : 0.0);
    return 0;
}

// tq_bench.exe: figures of the installer under Wine, measured by driving it as the robot does.
// Not a test: it prints numbers and judges nothing. scripts/bench.sh runs it.
//
//   --install --record=FILE       one parallel installation from a fresh start (the prefix must
//                                 be fresh); appends one line of timings to FILE
//   --unattended --record=FILE    one unattended parallel installation (/quiet /port:lpt1) from
//                                 a fresh start; appends its wall time, start to exit, to FILE
//   --usb-wait --seconds=N        a USB installation whose printer never comes: the installer's
//                                 CPU time while its USB prompt waits N seconds
//   --report=FILE [--unattended-record=FILE] [--bare-record=FILE] [--release-medium=FOLDER]
//                                 medians of the recorded installations, the unattended ones
//                                 and the bare-API runs (tq_bench_bare.exe) beside them, with
//                                 their targets; sizes of the release medium's programs and
//                                 libraries
// Every mode also takes --installer=PATH and --shots=FOLDER (the robot's common arguments).
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/bench/bench_arguments.h"
#include "tests/e2e/installer.h"
#include "tests/e2e/robot.h"
#include "tests/e2e/system_state.h"

namespace tq::e2e {
namespace {

constexpr char kStatusInstall[] = "正在安装...";
constexpr char kStatusShortcuts[] = "正在创建快捷方式...";
constexpr char kClose[] = "关闭";
// Targets: the unattended installation from process start to exit, and the progress page's
// time over the bare-API run of the same calls.
constexpr double kUnattendedTargetMs = 1000;
constexpr double kPageOverBareTarget = 1.25;

using tq::bench::Argument;

bool Flag(int argc, char** argv, const std::string& name) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == "--" + name) return true;
    }
    return false;
}

class Clock {
  public:
    Clock() { QueryPerformanceCounter(&start_); }
    double Ms() const {
        LARGE_INTEGER now{};
        LARGE_INTEGER frequency{};
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
               static_cast<double>(frequency.QuadPart);
    }

  private:
    LARGE_INTEGER start_{};
};

// The text of a control of another process as the window system keeps it. GetWindowTextW does
// not send WM_GETTEXT to a window of another process (Wine asks its server), so watching the
// page every millisecond asks nothing of the installer's own threads; the robot's ControlText
// (two messages to the page per read) would slow the page it measures.
std::string KeptText(HWND control) {
    wchar_t buffer[512];
    const int n = GetWindowTextW(control, buffer, 512);
    return Utf8(std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0));
}

// Times in ms from `clock`'s start at which the progress page first showed the registration and
// shortcut lines and 关闭; -1: not seen. Read every millisecond.
struct PageTimes {
    double install = -1;
    double shortcuts = -1;
    double done = -1;
};

// One installation. Times in ms from CreateProcess: the welcome page, the progress page, the
// status lines of registration and shortcuts, the completion display. -1: not seen.
struct InstallRecord {
    double welcome = -1;
    double progress = -1;
    double install = -1;
    double shortcuts = -1;
    double done = -1;
};

struct PageSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindProgressPage(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<PageSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && GetDlgItem(window, IDC_PROGRESS_BAR) != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The progress page of process `pid`, shown or not yet, or nullptr.
HWND NewProgressPage(DWORD pid) {
    PageSearch search{pid, nullptr};
    EnumWindows(FindProgressPage, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

PageTimes WatchPage(const Process& installer, HWND page, const Clock& clock) {
    PageTimes times;
    // Looked up until the dialog has made them: the page may be seen while it makes its controls.
    HWND statusLine = nullptr;
    HWND button = nullptr;
    const Deadline deadline(120000);
    while (!deadline.Passed()) {
        if (statusLine == nullptr) statusLine = GetDlgItem(page, IDC_PROGRESS_STATUS);
        if (button == nullptr) button = GetDlgItem(page, IDCANCEL);
        const std::string status = KeptText(statusLine);
        const double now = clock.Ms();
        if (times.install < 0 && status == kStatusInstall) times.install = now;
        if (times.shortcuts < 0 && status == kStatusShortcuts) times.shortcuts = now;
        if (KeptText(button) == kClose) {
            times.done = now;
            break;
        }
        if (WaitForSingleObject(installer.Handle(), 1) == WAIT_OBJECT_0) break;
    }
    return times;
}

int RunInstall(const RunPaths& paths, const std::string& recordFile) {
    std::string error;
    const Clock clock;
    auto installer = StartInstaller(paths, &error);
    if (!installer) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    InstallRecord record;
    if (WaitForWelcomePage(*installer) == nullptr) {
        std::fprintf(stderr, "no welcome page\n");
        return 1;
    }
    record.welcome = clock.Ms();
    HWND connection = WalkToConnectionChoice(*installer, InstallChoices{}, &error);
    if (connection == nullptr || !Click(connection, IDOK)) {
        std::fprintf(stderr, "no connection type page to leave: %s\n", error.c_str());
        return 1;
    }
    // The page's window as soon as it exists (its thread starts as it opens), looked for every
    // millisecond without a message to the installer.
    HWND page = nullptr;
    const Deadline deadline(kReactionTimeoutMs);
    while ((page = NewProgressPage(installer->Id())) == nullptr && !deadline.Passed()) {
        if (WaitForSingleObject(installer->Handle(), 1) == WAIT_OBJECT_0) break;
    }
    if (page == nullptr) {
        std::fprintf(stderr, "no progress page after the connection type page\n");
        return 1;
    }
    record.progress = clock.Ms();
    const PageTimes times = WatchPage(*installer, page, clock);
    if (times.done < 0) {
        std::fprintf(stderr, "the installation did not finish\n");
        return 1;
    }
    record.install = times.install;
    record.shortcuts = times.shortcuts;
    record.done = times.done;

    Click(page, IDCANCEL);  // 关闭
    installer->WaitForExit(kReactionTimeoutMs);

    std::ofstream out(recordFile, std::ios::app);
    out << record.welcome << ' ' << record.progress << ' ' << record.install << ' '
        << record.shortcuts << ' ' << record.done << '\n';
    std::printf("installation: welcome %.0f ms, progress page %.0f ms, done %.0f ms\n",
                record.welcome, record.progress, record.done);
    return out ? 0 : 1;
}

// The same installation with no one at the screen: from CreateProcess to the program's end.
int RunUnattendedInstall(const RunPaths& paths, const std::string& recordFile) {
    const Clock clock;
    const QuietRun run = RunQuiet(paths, "/quiet /port:lpt1", 120000);
    const double ms = clock.Ms();
    if (run.exitCode != std::optional<DWORD>(0)) {
        std::fprintf(stderr, "the unattended installation did not succeed %s\n", run.error.c_str());
        return 1;
    }
    std::ofstream out(recordFile, std::ios::app);
    out << ms << '\n';
    std::printf("unattended installation: %.0f ms\n", ms);
    return out ? 0 : 1;
}

double Median(std::vector<double> values) {
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return v < 0; }),
                 values.end());
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void PrintFigure(const char* what, const std::vector<double>& values, const char* note = "") {
    const double median = Median(values);
    std::string all;
    for (double v : values) {
        char one[32];
        std::snprintf(one, sizeof(one), v < 0 ? " -" : " %.0f", v);
        all += one;
    }
    if (median < 0) {
        std::printf("  %-44s not seen (runs:%s)%s\n", what, all.c_str(), note);
    } else {
        std::printf("  %-44s %7.0f ms (runs:%s)%s\n", what, median, all.c_str(), note);
    }
}

void ReportInstallations(const std::string& recordFile) {
    std::ifstream in(recordFile);
    std::vector<InstallRecord> runs;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        InstallRecord r;
        if (fields >> r.welcome >> r.progress >> r.install >> r.shortcuts >> r.done) {
            runs.push_back(r);
        }
    }
    std::printf("Parallel installation under Wine, %zu runs (fresh prefix each), medians:\n",
                runs.size());
    if (runs.empty()) return;
    const auto span = [](double from, double to) { return from < 0 || to < 0 ? -1 : to - from; };
    std::vector<double> startup, walk, copy, registration, shortcuts, page, total;
    for (const auto& r : runs) {
        startup.push_back(r.welcome);
        walk.push_back(span(r.welcome, r.progress));
        copy.push_back(span(r.progress, r.install));
        registration.push_back(span(r.install, r.shortcuts));
        // Without the shortcuts line, registration and shortcuts run together.
        shortcuts.push_back(span(r.shortcuts, r.done));
        page.push_back(span(r.progress, r.done));
        total.push_back(r.done);
    }
    PrintFigure("start to the welcome page", startup);
    PrintFigure("wizard pages (robot clicking through)", walk);
    PrintFigure("copy stage (page opens to 'installing' line)", copy);
    PrintFigure("registration (to the 'shortcuts' line)", registration);
    PrintFigure("shortcuts and uninstall entry (to Close)", shortcuts);
    PrintFigure("progress page to the completion display", page);
    PrintFigure("process start to the completion display", total);
}

std::vector<double> ReadFigures(const std::string& recordFile) {
    std::ifstream in(recordFile);
    std::vector<double> runs;
    for (double ms = 0; in >> ms;) runs.push_back(ms);
    return runs;
}

// "(target: ...: met)" or "... MISSED"
std::string Verdict(double value, double target, const char* unit) {
    char text[96];
    std::snprintf(text, sizeof(text), "  (target at most %.2f%s: %s)", target, unit,
                  value >= 0 && value <= target ? "met" : "MISSED");
    return text;
}

void ReportUnattended(const std::string& recordFile) {
    const std::vector<double> runs = ReadFigures(recordFile);
    std::printf("Unattended parallel installation (/quiet /port:lpt1), %zu runs, median:\n",
                runs.size());
    PrintFigure("process start to its end (exit code 0)", runs,
                Verdict(Median(runs), kUnattendedTargetMs, " ms").c_str());
}

// The progress page's time beside the bare-API run of the same calls.
void ReportBare(const std::string& installFile, const std::string& bareFile) {
    std::ifstream in(installFile);
    std::vector<double> page;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        InstallRecord r;
        if (fields >> r.welcome >> r.progress >> r.install >> r.shortcuts >> r.done) {
            page.push_back(r.done < 0 || r.progress < 0 ? -1 : r.done - r.progress);
        }
    }
    const std::vector<double> bare = ReadFigures(bareFile);
    std::printf("The same calls with nothing around them (tq_bench_bare.exe), %zu runs, median:\n",
                bare.size());
    PrintFigure("first call to last", bare);
    const double pageMs = Median(page);
    const double bareMs = Median(bare);
    if (pageMs < 0 || bareMs <= 0) {
        std::printf("  progress page over the bare run: not measured\n");
        return;
    }
    const double ratio = pageMs / bareMs;
    std::printf("  progress page over the bare run: %.2f%s\n", ratio,
                Verdict(ratio, kPageOverBareTarget, "").c_str());
}

void ReportSizes(const std::string& folder) {
    std::printf("Release medium (%s):\n", folder.c_str());
    const std::wstring root = WindowsPathOf(folder);
    for (const wchar_t* pattern : {L"*.exe", L"*.dll"}) {
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW(JoinPath(root, pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            const unsigned long long size =
                (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            // Placeholders of the driver package are a few bytes: say so.
            std::printf("  %-20s %9llu bytes%s\n", Utf8(found.cFileName).c_str(), size,
                        size < 1024 ? "  (placeholder)" : "");
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
}

double Ms(const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                               t.dwLowDateTime) /
           10000.0;
}

// CPU time (user + kernel) of the threads process `pid` runs now. Under Wine, GetProcessTimes
// of another process does not count its running threads (it stays at its start-up figure, and
// reads 0 once the process has ended); GetThreadTimes of each thread does.
double RunningThreadsCpuMs(DWORD pid) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) return -1;
    double sum = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot.get(), &entry); more;
         more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID != pid) continue;
        UniqueHandle thread(
            OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID));
        FILETIME created{}, exited{}, kernel{}, user{};
        if (!thread || !GetThreadTimes(thread.get(), &created, &exited, &kernel, &user)) return -1;
        sum += Ms(kernel) + Ms(user);
    }
    return sum;
}

// A USB installation from a copy of the medium whose newdev double finds no device: the
// installer's CPU time while the prompt waits.
int RunUsbWait(const RunPaths& paths, int seconds) {
    std::string error;
    const std::string folder = WindowsFolder().substr(0, 3) + "bench-medium";
    const auto medium = CopyMediumTo(paths, folder, {}, &error);
    if (!medium || !UseNewdevDouble(*medium, "no-device", &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    auto installer = StartInstaller(*medium, &error);
    if (!installer) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    InstallChoices usb;
    usb.connection = IDC_CONN_USB;
    HWND page = OpenProgressPage(*installer, usb, &error);
    if (page == nullptr) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    HWND prompt = WaitForUsbPrompt(*installer, 30000);
    if (prompt == nullptr) {
        std::printf(
            "USB wait: no USB prompt (the page shows \"%s\"); not measured in the "
            "installer\n",
            ControlText(page, IDC_PROGRESS_HEADING).c_str());
        return 0;
    }
    // The watcher's first enumerations and the prompt's painting are not the wait.
    WaitForSingleObject(installer->Handle(), 500);
    const Clock clock;
    const double before = RunningThreadsCpuMs(installer->Id());
    WaitForSingleObject(installer->Handle(), static_cast<DWORD>(seconds) * 1000);
    const double after = RunningThreadsCpuMs(installer->Id());
    const double wall = clock.Ms();
    if (before < 0 || after < 0 || !installer->Running()) {
        std::printf("USB wait: the installer's CPU times cannot be read\n");
        return 1;
    }
    std::printf(
        "USB wait in the installer: %.0f ms CPU over %.1f s, %.1f ms CPU per second of "
        "waiting (whole process: page, prompt, waiting thread and queue watcher)\n",
        after - before, wall / 1000.0, (after - before) * 1000.0 / wall);
    return 0;
}

}  // namespace
}  // namespace tq::e2e

int main(int argc, char** argv) {
    using namespace tq::e2e;
    // Files are named by Unix paths; the program opens them through drive Z:.
    if (const std::string report = Argument(argc, argv, "report"); !report.empty()) {
        ReportInstallations(Utf8(WindowsPathOf(report)));
        if (const std::string unattended = Argument(argc, argv, "unattended-record");
            !unattended.empty()) {
            ReportUnattended(Utf8(WindowsPathOf(unattended)));
        }
        if (const std::string bare = Argument(argc, argv, "bare-record"); !bare.empty()) {
            ReportBare(Utf8(WindowsPathOf(report)), Utf8(WindowsPathOf(bare)));
        }
        if (const std::string release = Argument(argc, argv, "release-medium"); !release.empty()) {
            ReportSizes(release);
        }
        return 0;
    }
    std::string error;
    const auto paths = ParseRunPaths(argc, argv, &error);
    if (!paths) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (Flag(argc, argv, "install")) {
        return RunInstall(*paths, Utf8(WindowsPathOf(Argument(argc, argv, "record"))));
    }
    if (Flag(argc, argv, "unattended")) {
        return RunUnattendedInstall(*paths, Utf8(WindowsPathOf(Argument(argc, argv, "record"))));
    }
    if (Flag(argc, argv, "usb-wait")) {
        const int seconds = std::atoi(Argument(argc, argv, "seconds").c_str());
        return RunUsbWait(*paths, seconds > 0 ? seconds : 10);
    }
    std::fprintf(stderr,
                 "usage: tq_bench.exe --install --record=FILE | --unattended --record=FILE | "
                 "--usb-wait [--seconds=N] | --report=FILE [--unattended-record=FILE] "
                 "[--bare-record=FILE] [--release-medium=FOLDER]\n");
    return 2;
}

// The spooler service, the process list and the shutdown privilege against Wine's real API.
// ExitWindowsEx is never called here: with EWX_FORCE it ends every process of the prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "install/system/spooler_control.h"
#include "platform/win32/power_win32.h"
#include "platform/win32/process_list_win32.h"
#include "platform/win32/services_win32.h"
#include "platform/win32/system_paths_win32.h"

namespace tq {
namespace {

double Milliseconds(const LARGE_INTEGER& from) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// Polls the spooler's state until it is `wanted` (10 s at most), printing each state seen.
bool WaitForState(Services& services, ServiceState wanted, const char* what) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    std::string seen;
    ServiceState last = static_cast<ServiceState>(0);
    for (int i = 0; i < 1000; ++i) {
        const auto spooler = services.Open("Spooler");
        const std::optional<ServiceState> state = spooler ? spooler->State() : std::nullopt;
        if (state && *state != last) {
            last = *state;
            seen += " " + std::to_string(static_cast<unsigned>(*state));
        }
        if (state == wanted) {
            std::printf("%s: states%s, %.1f ms\n", what, seen.c_str(), Milliseconds(start));
            return true;
        }
        Sleep(10);
    }
    std::printf("%s: states%s, no change in 10 s\n", what, seen.c_str());
    return false;
}

std::optional<ServiceConfig> SpoolerConfig(Services& services) {
    const auto spooler = services.Open("Spooler");
    if (!spooler) return std::nullopt;
    return spooler->ReadConfig();
}

TEST(Win32Services, OnlyAnExistingServiceOpens) {
    Win32Services services;
    EXPECT_NE(services.Open("Spooler"), nullptr);
    EXPECT_EQ(services.Open("TqNoSuchService"), nullptr);
}

TEST(Win32Services, TheSpoolerStartsAndStopsOnlyFromTheOtherState) {
    Win32Services services;
    auto spooler = services.Open("Spooler");
    ASSERT_NE(spooler, nullptr);
    ASSERT_EQ(spooler->State(), ServiceState::Stopped) << "a fresh prefix has it stopped";
    spooler.reset();

    EXPECT_EQ(StopSpoolerService(services), 0);
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    EXPECT_EQ(StartSpoolerService(services), 1);
    std::printf("start request: %.1f ms\n", Milliseconds(start));
    ASSERT_TRUE(WaitForState(services, ServiceState::Running, "after the start request"));
    EXPECT_EQ(StartSpoolerService(services), 0);

    QueryPerformanceCounter(&start);
    EXPECT_EQ(StopSpoolerService(services), 1);
    std::printf("stop request: %.1f ms\n", Milliseconds(start));
    ASSERT_TRUE(WaitForState(services, ServiceState::Stopped, "after the stop request"));
    EXPECT_EQ(StopSpoolerService(services), 0);

    // The raw requests from the wrong state are refused by the service control manager.
    spooler = services.Open("Spooler");
    ASSERT_NE(spooler, nullptr);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(spooler->Stop());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
}

TEST(Win32Services, TheStartTypeTogglesAndComesBackWithItsDisplayName) {
    Win32Services services;
    const std::optional<ServiceConfig> before = SpoolerConfig(services);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->startType, ServiceStartType::OnDemand);
    EXPECT_FALSE(before->displayName.empty());
    std::printf("start type %u, display name \"%s\"\n", static_cast<unsigned>(before->startType),
                before->displayName.c_str());

    EXPECT_EQ(ToggleSpoolerStartType(services), 1);
    const std::optional<ServiceConfig> toggled = SpoolerConfig(services);
    ASSERT_TRUE(toggled);
    EXPECT_EQ(toggled->startType, ServiceStartType::Automatic);
    EXPECT_EQ(toggled->displayName, before->displayName);

    EXPECT_EQ(ToggleSpoolerStartType(services), 1);
    const std::optional<ServiceConfig> back = SpoolerConfig(services);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->startType, ServiceStartType::OnDemand);
    EXPECT_EQ(back->displayName, before->displayName);
}

TEST(Win32Services, ADisabledSpoolerIsLeftDisabledAndDoesNotStart) {
    Win32Services services;
    auto spooler = services.Open("Spooler");
    ASSERT_NE(spooler, nullptr);
    const std::optional<ServiceConfig> before = spooler->ReadConfig();
    ASSERT_TRUE(before);
    ASSERT_TRUE(spooler->ChangeStartType(ServiceStartType::Disabled, before->displayName));
    spooler.reset();

    EXPECT_EQ(ToggleSpoolerStartType(services), 0);
    EXPECT_EQ(SpoolerConfig(services)->startType, ServiceStartType::Disabled);
    EXPECT_EQ(StartSpoolerService(services), 0);
    EXPECT_EQ(services.Open("Spooler")->State(), ServiceState::Stopped);

    // An empty display name leaves the name as it is.
    spooler = services.Open("Spooler");
    ASSERT_NE(spooler, nullptr);
    EXPECT_TRUE(spooler->ChangeStartType(before->startType, ""));
    EXPECT_EQ(spooler->ReadConfig()->startType, before->startType);
    EXPECT_EQ(spooler->ReadConfig()->displayName, before->displayName);
}

std::string SelfPath() {
    char self[MAX_PATH] = "";
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    return std::string(self, n);
}

// A child that sleeps: this program again, running only the disabled test below.
struct Sleeper {
    explicit Sleeper(const std::string& program) {
        std::string line = "\"" + program +
                           "\" --gtest_also_run_disabled_tests "
                           "--gtest_filter=ChildProcess.DISABLED_SleepsHalfAMinute";
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        started = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &info) != FALSE;
    }
    ~Sleeper() {
        if (!started) return;
        if (WaitForSingleObject(info.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(info.hProcess, 1);
        }
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    bool started = false;
    PROCESS_INFORMATION info{};
};

TEST(ChildProcess, DISABLED_SleepsHalfAMinute) {
    Sleep(30000);
}

const ProcessEntry* Find(const std::vector<ProcessEntry>& processes, DWORD id) {
    for (const ProcessEntry& p : processes) {
        if (p.processId == id) return &p;
    }
    return nullptr;
}

TEST(Win32ProcessList, TheSnapshotListsThisProgramByItsFileName) {
    Win32ProcessList list;
    const std::optional<std::vector<ProcessEntry>> processes = list.Snapshot();
    ASSERT_TRUE(processes);
    std::printf("%zu processes:", processes->size());
    for (const ProcessEntry& p : *processes)
        std::printf(" %u %s;", p.processId, p.executable.c_str());
    std::printf("\n");
    const ProcessEntry* self = Find(*processes, GetCurrentProcessId());
    ASSERT_NE(self, nullptr);
    // Wine, like the NT family, reports the bare file name; Windows 9x the full path.
    const std::string path = SelfPath();
    const std::string name = path.substr(path.rfind('\\') + 1);
    EXPECT_EQ(lstrcmpiA(self->executable.c_str(), name.c_str()), 0) << self->executable;
}

TEST(Win32ProcessList, AChildEndsWithItsOwnStillActiveCode) {
    Sleeper child(SelfPath());
    ASSERT_TRUE(child.started);
    Win32ProcessList list;
    const std::optional<std::vector<ProcessEntry>> processes = list.Snapshot();
    ASSERT_TRUE(processes);
    EXPECT_NE(Find(*processes, child.info.dwProcessId), nullptr);

    // The exit code cannot be read through a handle with the terminate right alone.
    HANDLE terminateOnly = OpenProcess(PROCESS_TERMINATE, FALSE, child.info.dwProcessId);
    ASSERT_NE(terminateOnly, nullptr);
    DWORD unread = 0;
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(GetExitCodeProcess(terminateOnly, &unread));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(terminateOnly);

    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    EXPECT_TRUE(list.TerminateWithOwnExitCode(child.info.dwProcessId));
    ASSERT_EQ(WaitForSingleObject(child.info.hProcess, 10000), WAIT_OBJECT_0);
    std::printf("child ended %.1f ms after the request\n", Milliseconds(start));
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(child.info.hProcess, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));

    EXPECT_FALSE(list.TerminateWithOwnExitCode(999999));  // no such process
}

TEST(Win32ProcessList, Spool32InTheSystemFolderIsNotFoundByFullPathUnderWine) {
    // The snapshot names processes by file name here, so the full-path match of Windows 9x finds
    // nothing, and nothing is ended.
    Win32SystemPaths paths;
    const std::string spool32 = paths.SystemDirectory() + "\\Spool32.exe";
    ASSERT_TRUE(CopyFileA(SelfPath().c_str(), spool32.c_str(), FALSE));
    Sleeper child(spool32);
    ASSERT_TRUE(child.started);
    Win32ProcessList list;
    const std::optional<std::vector<ProcessEntry>> processes = list.Snapshot();
    ASSERT_TRUE(processes);
    const ProcessEntry* listed = Find(*processes, child.info.dwProcessId);
    ASSERT_NE(listed, nullptr);
    std::printf("Spool32 listed as \"%s\"\n", listed->executable.c_str());

    EXPECT_EQ(TerminateSpool32(list, paths), 0);
    EXPECT_EQ(WaitForSingleObject(child.info.hProcess, 200), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(Win32Power, TheShutdownPrivilegeIsEnabled) {
    Win32Power power;
    EXPECT_TRUE(power.EnableShutdownPrivilege());

    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    LUID shutdown{};
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown));
    std::vector<char> buffer(4096);
    DWORD size = 0;
    const BOOL read = GetTokenInformation(token, TokenPrivileges, buffer.data(),
                                          static_cast<DWORD>(buffer.size()), &size);
    CloseHandle(token);
    ASSERT_TRUE(read);
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    bool enabled = false;
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
        if (p.Luid.LowPart == shutdown.LowPart && p.Luid.HighPart == shutdown.HighPart) {
            enabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
        }
    }
    EXPECT_TRUE(enabled);
}

}  // namespace
}  // namespace tq

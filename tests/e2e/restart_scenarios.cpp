// End-to-end scenarios of the restart cycle: a start from the resume marker, a stale marker, and
// the whole cycle from 重启 on the welcome page through Wine's simulated restart, with the test
// medium's installer and with the release medium's (32-bit, under WOW64). Under Wine,
// ExitWindowsEx(EWX_REBOOT | EWX_FORCE) ends every process of the prefix (this robot included),
// restarts the services and runs the machine's RunOnce and Run keys (both registry views), which
// start the installer again from the marker; the cycle therefore runs as two robot processes
// (e2e-scenario.sh runs both). The cycle starts from a medium every user may write, and such a
// user swaps its installer and driver files while the computer restarts: the resumed run must
// come from the installer's own copy under Program Files and place the files as they were.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/installer.h"
#include "tests/e2e/probe.h"
#include "tests/e2e/robot.h"
#include "tests/e2e/scenario_steps.h"
#include "tests/e2e/spooler_setup.h"
#include "tests/e2e/system_state.h"

namespace tq::e2e {
namespace {

constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunOnceKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kRunServicesOnceKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce";
constexpr char kMarker[] = "Kestra TQ8240 SeriesInstall";
constexpr char kRunOnceMarker[] = "!Kestra TQ8240 SeriesInstall";
constexpr char kBootEventBridge[] = "tq_e2e_boot_event.exe";
constexpr char kMonitorKey[] =
    "System\\CurrentControlSet\\Control\\Print\\Monitors\\Kestra TQ8240 Language Monitor";
const char* const kRestartFiles[] = {"T8242dr.dll", "T8242ui.dll", "T8242pi.dll", "T8242rc.dll"};
// The medium of the cycle, where every user may write, and what such a user puts in place of its
// driver files and installer during the restart: tq_e2e_swap.exe, which Wine's start-up runs from
// RunOnce before the resumed installer (the 64-bit view before the 32-bit one, and in each view
// the last name first: "TQ ..." before "!Kestra ...").
constexpr char kUserMedium[] = "C:\\users\\Public\\Printer Setup";
constexpr char kPlanted[] = "C:\\users\\Public\\planted.dll";
constexpr char kPlantedBytes[] = "planted during the restart";
constexpr char kSwapProgram[] = "tq_e2e_swap.exe";
constexpr char kSwapValue[] = "TQ e2e medium swap";
// Where the installer copies itself for the resumed run.
constexpr char kResumedInstaller[] =
    "C:\\Program Files\\Kestra\\Kestra TQ8240 Series\\Restart\\TQ82Ins.exe";
// What the first half of the cycle leaves for the second, in the prefix's drive C:.
constexpr char kCycleNote[] = "C:\\restart-cycle.txt";
constexpr DWORD kRestartTimeoutMs = 30000;
// Wine's start-up after the restart usually brings the installer back within a few seconds;
// once in a CI run it had not started it after 30.
constexpr DWORD kComeBackTimeoutMs = 90000;

// A value in the Run key as the installer under test sees it.
bool SetRunValue(const std::string& name, const std::string& data) {
    return SetRegistryText(HKEY_LOCAL_MACHINE, kRunKey, name, data, InstallerView().registryView);
}

std::optional<std::string> RunValue(const char* key, const char* name) {
    return RegistryText(HKEY_LOCAL_MACHINE, key, name, InstallerView().registryView);
}

std::string InstallerPath() {
    return Utf8(g_paths.installer);
}

struct SpoolerService {
    DWORD state = 0;      // SERVICE_RUNNING, ...; 0 when unreadable
    DWORD startType = 0;  // SERVICE_AUTO_START, ...; 0 when unreadable
};

SpoolerService ReadSpooler() {
    SpoolerService s;
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) return s;
    SC_HANDLE service = OpenServiceA(manager, "Spooler", SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG);
    if (service != nullptr) {
        SERVICE_STATUS status{};
        if (QueryServiceStatus(service, &status)) s.state = status.dwCurrentState;
        DWORD needed = 0;
        QueryServiceConfigA(service, nullptr, 0, &needed);
        std::vector<BYTE> block(needed);
        if (needed != 0 &&
            QueryServiceConfigA(service, reinterpret_cast<QUERY_SERVICE_CONFIGA*>(block.data()),
                                needed, &needed)) {
            s.startType = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(block.data())->dwStartType;
        }
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return s;
}

bool SetSpoolerStartType(DWORD startType) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr) return false;
    SC_HANDLE service = OpenServiceA(manager, "Spooler", SERVICE_CHANGE_CONFIG);
    const bool ok = service != nullptr &&
                    ChangeServiceConfigA(service, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE,
                                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr);
    if (service != nullptr) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return ok;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The state a resumed run leaves: the marker gone, the four driver files from the medium in the
// spooler's version-3 folder, the monitor key again, the spooler running with automatic start.
void ExpectResumeWorkDone() {
    EXPECT_EQ(RunValue(kRunKey, kMarker), std::nullopt) << "the resume marker is still there";
    EXPECT_EQ(RunValue(kRunOnceKey, kRunOnceMarker), std::nullopt)
        << "the RunOnce marker is still there";
    const std::string medium = InstallerPath().substr(0, InstallerPath().find_last_of('\\') + 1);
    const std::string target = SystemFolder() + "\\spool\\drivers\\x64\\3\\";
    for (const char* name : kRestartFiles) {
        const std::string placed = target + name;
        EXPECT_TRUE(PathExists(placed)) << placed << " was not placed";
        EXPECT_EQ(FileBytes(placed), FileBytes(medium + "Driver\\Vista\\" + name)) << name;
    }
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kMonitorKey, "Driver"),
              std::optional<std::string>("T8242LM.dll"));
    // The start request does not wait; the service gets there soon after.
    SpoolerService spooler;
    EXPECT_TRUE(WaitUntil(
        [&] {
            spooler = ReadSpooler();
            return spooler.state == SERVICE_RUNNING;
        },
        kReactionTimeoutMs))
        << "spooler state " << spooler.state;
    EXPECT_EQ(spooler.startType, static_cast<DWORD>(SERVICE_AUTO_START));
}

TEST(E2e, ResumeFromMarker) {
    // As the first half of the cycle of an older installer leaves it on Windows: the marker
    // naming the installer on the medium (quoted), the spooler stopped and set to start on
    // demand (it was automatic). Still a resume.
    ASSERT_TRUE(SetRunValue(kMarker, "\"" + InstallerPath() + "\""));
    ASSERT_TRUE(SetSpoolerStartType(SERVICE_DEMAND_START));
    std::string error;
    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = WaitForPage(*installer, kInstallerCaption, IDC_NAME_EDIT, kStartTimeoutMs);
    ASSERT_NE(page, nullptr) << "a resumed run must open on the printer name page";
    EXPECT_EQ(TopLevelWindows(installer->Id()), std::vector<HWND>{page}) << "no welcome page";
    ExpectResumeWorkDone();
    // The wizard goes on from here as usual: 上一步 leads to the welcome page.
    ASSERT_TRUE(Click(page, IDC_BACK));
    HWND welcome = WaitForPage(*installer, kInstallerCaption, IDC_WELCOME_GREETING,
                               kReactionTimeoutMs);
    ASSERT_NE(welcome, nullptr) << "上一步 on the resumed printer name page";
    CancelWithYes(*installer, welcome);
}

TEST(E2e, StaleResumeMarker) {
    // The installer was started from elsewhere before: a marker with another path is not ours.
    const std::string stale = "\"D:\\Old Medium\\TQ82Ins.exe\"";
    ASSERT_TRUE(SetRunValue(kMarker, stale));
    std::string error;
    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND welcome = WaitForWelcomePage(*installer);
    ASSERT_NE(welcome, nullptr) << "a marker of another path must give a fresh run";
    EXPECT_EQ(RunValue(kRunKey, kMarker), std::optional<std::string>(stale))
        << "the stale marker must stay";
    const std::string target = SystemFolder() + "\\spool\\drivers\\x64\\3\\T8242dr.dll";
    EXPECT_FALSE(PathExists(target)) << "a fresh run placed driver files";
    CancelWithYes(*installer, welcome);
}

DWORD ServicesProcessId() {
    for (const auto& p : ListProcesses()) {
        if (_stricmp(p.exeName.c_str(), "services.exe") == 0) return p.id;
    }
    return 0;
}

// The first half of the cycle: two queues of the model, the spooler on automatic start, the
// medium in the Public folder with the user's swap waiting in RunOnce, 重启. This process does not
// survive the click.
void RequestRestart() {
    std::string error;
    const auto medium = CopyMediumTo(g_paths, kUserMedium, {}, &error);
    ASSERT_TRUE(medium) << error;
    {
        std::ofstream planted(kPlanted, std::ios::binary);
        planted << kPlantedBytes;
    }
    const auto pair = [](const std::string& from, const std::string& to) {
        return " \"" + from + "\" \"" + to + "\"";
    };
    std::string swap =
        "\"" + OwnFolder() + "\\" + kSwapProgram + "\"" +
        pair(OwnFolder() + "\\" + kProbeFileName, std::string(kUserMedium) + "\\TQ82Ins.exe");
    for (const char* name : kRestartFiles) {
        swap += pair(kPlanted, std::string(kUserMedium) + "\\Driver\\Vista\\" + name);
    }
    ASSERT_TRUE(SetRegistryText(HKEY_LOCAL_MACHINE, kRunOnceKey, kSwapValue, swap));
    ASSERT_TRUE(AddDriver(kModelDriver, &error)) << error;
    ASSERT_TRUE(AddQueue("Front Desk", "LPT1:", kModelDriver, &error)) << error;
    ASSERT_TRUE(AddQueue("Back Office", "LPT2:", kModelDriver, &error)) << error;
    ASSERT_TRUE(SetSpoolerStartType(SERVICE_AUTO_START));
    // Bridge (docs/e2e.md): Wine's start-up waits for the resumed installer, a RunOnce program,
    // and holds every program started from outside meanwhile, the second robot included.
    ASSERT_TRUE(SetRegistryText(HKEY_LOCAL_MACHINE, kRunServicesOnceKey, "TQ e2e boot event",
                                "\"" + OwnFolder() + "\\" + kBootEventBridge + "\""));
    auto installer = StartInstaller(*medium, &error);
    ASSERT_TRUE(installer) << error;
    HWND welcome = WaitForWelcomePage(*installer);
    ASSERT_NE(welcome, nullptr);
    ASSERT_EQ(ControlText(welcome, IDOK), "重启") << "the installed queues' view was expected";
    {
        std::ofstream note(kCycleNote);
        note << ServicesProcessId() << "\n";
    }
    ASSERT_TRUE(Click(welcome, IDOK));
    // The restart ends this process; if it does not come, the welcome page stays.
    Sleep(kRestartTimeoutMs);
    ADD_FAILURE() << "重启 did not restart (the robot is still running)";
}

// The second half, in a new process after Wine's restart: the installer came back by itself from
// the marker, started by Wine's start-up (not by the bridge, which starts nothing), resumed and
// opened on the printer name page.
void CheckResumedRun() {
    std::ifstream note(kCycleNote);
    DWORD servicesBefore = 0;
    ASSERT_TRUE(note >> servicesBefore) << "the first half did not reach 重启";
    HWND page = nullptr;
    WaitUntil(
        [&] {
            HWND w = FindTopLevel(kInstallerCaption);
            if (w != nullptr && GetDlgItem(w, IDC_NAME_EDIT) != nullptr) page = w;
            return page != nullptr;
        },
        kComeBackTimeoutMs);
    if (page == nullptr) {
        // What was running instead, for a look at where the start-up stood.
        std::string running;
        for (const auto& p : ListProcesses()) {
            running += " " + p.exeName + "(" + std::to_string(p.id) + "<" +
                       std::to_string(p.parent) + ")";
        }
        FAIL() << "no installer came back on the printer name page; running:" << running;
    }
    EXPECT_NE(ServicesProcessId(), servicesBefore) << "the services did not restart";
    DWORD id = 0;
    GetWindowThreadProcessId(page, &id);
    // From one snapshot: the installer's parent by the parent id it records.
    const auto processes = ListProcesses();
    std::string parent = "(none)";
    for (const auto& p : processes) {
        if (p.id != id) continue;
        for (const auto& q : processes) {
            if (q.id == p.parent) parent = q.exeName;
        }
    }
    EXPECT_EQ(_stricmp(parent.c_str(), "wineboot.exe"), 0)
        << "the installer came back from " << parent << ", not from the restart";
    // The user's swap came first, and changed nothing of the resumed run: it is the installer's
    // copy, and the placed files are the test medium's (ExpectResumeWorkDone), not the planted.
    EXPECT_EQ(FileBytes(std::string(kUserMedium) + "\\Driver\\Vista\\T8242dr.dll"), kPlantedBytes)
        << "the medium was not swapped before the resumed run";
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kRunOnceKey, kSwapValue), std::nullopt);
    EXPECT_EQ(FindTopLevel(kProbeCaption), nullptr) << "the swapped installer was started";
    ExpectResumeWorkDone();
    // Both queues are still installed.
    int queues = 0;
    for (const auto& q : ListQueues()) queues += q.driver == kModelDriver ? 1 : 0;
    EXPECT_EQ(queues, 2);

    // Finish with the resumed installer: 取消, 是.
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    ASSERT_NE(process, nullptr);
    char image[MAX_PATH] = "";
    DWORD size = MAX_PATH;
    EXPECT_TRUE(QueryFullProcessImageNameA(process, 0, image, &size));
    EXPECT_EQ(_stricmp(image, kResumedInstaller), 0) << "the resumed installer is " << image;
    ASSERT_TRUE(Click(page, IDCANCEL));
    HWND box = nullptr;
    WaitUntil(
        [&] {
            box = FindTopLevel("退出安装");
            return box != nullptr;
        },
        kReactionTimeoutMs);
    ASSERT_NE(box, nullptr) << "取消 asked nothing";
    ASSERT_TRUE(Click(box, IDYES));
    EXPECT_EQ(WaitForSingleObject(process, kReactionTimeoutMs), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    EXPECT_EQ(code, 1u);
    CloseHandle(process);
}

TEST(E2e, RestartCycleRequest) {
    RequestRestart();
}

TEST(E2e, RestartCycleResumed) {
    CheckResumedRun();
}

// The same cycle with the release medium's 32-bit installer: its markers lie in the 32-bit
// registry view (Wow6432Node), which Windows' start-up reads too, and it places the driver
// files into the real spooler folder (system32\spool is not redirected).
TEST(E2e, Wow64RestartCycleRequest) {
    ASSERT_TRUE(IsReleaseInstaller()) << kNotReleaseInstaller;
    RequestRestart();
}

TEST(E2e, Wow64RestartCycleResumed) {
    CheckResumedRun();
}

}  // namespace
}  // namespace tq::e2e

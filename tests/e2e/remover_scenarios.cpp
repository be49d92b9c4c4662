// The printer's remover, T824UIS.exe, as the installer placed it: installations made unattended,
// then each removed by its own remover with /quiet, judged by the whole machine.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/installer.h"
#include "tests/e2e/robot.h"
#include "tests/e2e/scenario_steps.h"
#include "tests/e2e/spooler_setup.h"
#include "tests/e2e/system_state.h"
#include "tests/e2e/tcpmon_setup.h"

namespace tq::e2e {
namespace {

constexpr DWORD kRunTimeoutMs = 60000;
constexpr char kInstallLog[] = "C:\\tq-install.log";
constexpr char kRemoveLog[] = "C:\\tq-remove.log";
constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";

// The setup information file the system copied into its own store (and Wine's precompiled
// form of it): Windows keeps the store's copies when a driver goes, and so does the remover.
// The port monitor double's own record of the calls it took.
std::vector<std::string> LeftOut() {
    const std::string inf = WindowsFolder() + "\\inf\\T8242if";
    return {kInstallLog, kRemoveLog, inf + ".inf", inf + ".pnf",
            SystemFolder() + "\\tcpmon-calls.txt"};
}

// PendingFileRenameOperations as pairs (path, new path; empty: delete), "\??\" taken off.
std::vector<std::pair<std::wstring, std::wstring>> PendingRenames() {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key)) return pairs;
    DWORD size = 0;
    std::wstring data;
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        data.resize(size / sizeof(wchar_t) + 1);
        RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(data.data()), &size);
        data.resize(size / sizeof(wchar_t));
    }
    RegCloseKey(key);
    std::vector<std::wstring> strings;
    for (std::size_t at = 0; at < data.size();) {
        const std::size_t end = std::min(data.find(L'\0', at), data.size());
        strings.push_back(data.substr(at, end - at));
        at = end + 1;
    }
    const auto bare = [](std::wstring s) { return s.rfind(L"\\??\\", 0) == 0 ? s.substr(4) : s; };
    for (std::size_t i = 0; i + 1 < strings.size() && !strings[i].empty(); i += 2) {
        pairs.emplace_back(bare(strings[i]), bare(strings[i + 1]));
    }
    return pairs;
}

// What Windows does with the deletions at its next start (Wine does it only in wineboot, which
// would restart the whole prefix under the robot): in order, then the list is gone.
void RestartDeletions() {
    for (const auto& [path, to] : PendingRenames()) {
        ASSERT_TRUE(to.empty()) << "a rename, not a deletion: " << Utf8(path);
        if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
        EXPECT_FALSE(PathExists(Utf8(path))) << Utf8(path) << " not deleted at the restart";
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) == 0) {
        RegDeleteValueW(key, L"PendingFileRenameOperations");
        RegCloseKey(key);
    }
}

void ExpectSame(const std::vector<std::string>& expected, const std::vector<std::string>& seen,
                const char* what) {
    std::vector<std::string> gone, added;
    std::set_difference(expected.begin(), expected.end(), seen.begin(), seen.end(),
                        std::back_inserter(gone));
    std::set_difference(seen.begin(), seen.end(), expected.begin(), expected.end(),
                        std::back_inserter(added));
    std::string text;
    for (const auto& l : gone) text += "  - " + l + "\n";
    for (const auto& l : added) text += "  + " + l + "\n";
    EXPECT_TRUE(text.empty()) << what << ":\n" << text;
}

std::vector<std::string> Snapshot() {
    std::vector<std::string> lines = MachineSnapshot(LeftOut());
    std::sort(lines.begin(), lines.end());
    return lines;
}

void Install(const std::string& options) {
    const QuietRun run = RunQuiet(g_paths, options + " /log:" + kInstallLog, kRunTimeoutMs);
    ASSERT_EQ(run.exitCode, std::optional<DWORD>(0)) << options << run.error;
}

// The installation's own remover, started as a deployment tool starts the uninstall command.
std::vector<std::string> Remove(const std::string& printerName, DWORD expectedCode) {
    DeleteFileW(Wide(kRemoveLog).c_str());
    const std::string folder = ProgramFolderOf(printerName);
    const QuietRun run = RunQuiet(Wide(folder + "\\T824UIS.exe"), Wide(folder),
                                  std::string("/quiet /log:") + kRemoveLog, kRunTimeoutMs);
    const std::vector<std::string> lines = LogLines(kRemoveLog);
    if (run.exitCode != std::optional<DWORD>(expectedCode)) {
        for (const std::string& line : lines) std::printf("log: %s\n", line.c_str());
    }
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(expectedCode)) << run.error;
    EXPECT_FALSE(run.windowShown) << "a quiet removal showed a window";
    return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Two installations (parallel, and TCP/IP beside it) and a queue of another driver: the TCP/IP
// one's removal leaves the machine as it was with the parallel one alone, and the parallel
// one's removal, the last of the model, as it was before either.
TEST(E2e, RemoveUnattended) {
    std::string error;
    ASSERT_TRUE(InstallTcpMonitorDouble(&error)) << error;
    // Windows' monitor always has its Ports key; the double makes it with its first port.
    HKEY ports = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                              L"System\\CurrentControlSet\\Control\\Print\\Monitors\\"
                              L"Standard TCP/IP Port\\Ports",
                              0, nullptr, 0, KEY_READ, nullptr, &ports, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(ports);
    ASSERT_TRUE(AddDriver("Contoso Laser", &error)) << error;
    ASSERT_TRUE(AddQueue("Front Desk", "LPT2:", "Contoso Laser", &error)) << error;
    ASSERT_TRUE(PendingRenames().empty());
    const std::vector<std::string> before = Snapshot();

    const std::string parallel = "前台 打印机";
    // Neither becomes the default printer: Wine makes another queue the default when the
    // default one is deleted, which would be the system's change, not the remover's.
    Install("/quiet /port:lpt1 /default:no \"/name:" + parallel + "\"");
    if (HasFatalFailure()) return;
    const std::vector<std::string> parallelOnly = Snapshot();

    Install("/quiet /port:192.168.0.20 /default:no \"/name:Kestra Office\"");
    if (HasFatalFailure()) return;
    std::vector<std::string> lines = Remove("Kestra Office", 0);
    EXPECT_TRUE(Has(lines, "delete queue Kestra Office: ok"));
    EXPECT_TRUE(Has(lines, "delete port 192.168.0.20: ok"));
    EXPECT_TRUE(Has(lines, "driver Kestra TQ8240 Series kept: another queue uses it"));
    RestartDeletions();
    ExpectSame(parallelOnly, Snapshot(), "after the TCP/IP installation's removal");

    lines = Remove(parallel, 0);
    EXPECT_TRUE(Has(lines, "delete driver Kestra TQ8240 Series (Windows x64): ok"));
    EXPECT_TRUE(Has(lines, "delete monitor Kestra TQ8240 Language Monitor: ok"));
    RestartDeletions();
    ExpectSame(before, Snapshot(), "after the last installation's removal");
}

// The wizard's parallel installation under `name`, not the default printer, closed at its end.
void InstallWithWizard(const std::string& name) {
    std::string error;
    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    InstallChoices choices;
    choices.printerName = name;
    choices.setAsDefault = false;
    HWND page = OpenProgressPage(*installer, choices, &error);
    ASSERT_NE(page, nullptr) << error;
    ASSERT_TRUE(WatchProgress(*installer, page, kRunTimeoutMs).finished);
    ASSERT_TRUE(Click(page, IDCANCEL));  // 关闭
    EXPECT_TRUE(installer->WaitForExit(kReactionTimeoutMs).has_value());
}

// A wizard's installation, removed as the 驱动卸载 shortcut starts the remover: the question
// names the printer with 否 as the default; 否 changes nothing (1602), 是 removes, one message
// says so (0), and the machine is as it was before the installation.
TEST(E2e, RemoveWithQuestions) {
    const std::string name = "前台 打印机";
    const std::vector<std::string> before = Snapshot();
    InstallWithWizard(name);
    if (HasFatalFailure()) return;
    const std::string folder = ProgramFolderOf(name);
    std::string error;
    for (const int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDNO ? "否" : "是");
        auto remover = Process::Start(Wide(folder + "\\T824UIS.exe"), Wide(folder), &error);
        ASSERT_TRUE(remover) << error;
        HWND box = WaitForMessageBox(*remover, kStartTimeoutMs);
        ASSERT_NE(box, nullptr) << "no question";
        const MessageBoxView question = ReadMessageBox(box);
        EXPECT_EQ(question.caption, "Kestra 打印机驱动卸载");
        EXPECT_NE(question.text.find("“" + name + "”"), std::string::npos) << question.text;
        EXPECT_EQ(question.focusId, IDNO) << "the question's default is not 否";
        ASSERT_TRUE(Click(box, answer));
        if (answer == IDYES) {
            HWND result = WaitForMessageBox(*remover, kReactionTimeoutMs, box);
            ASSERT_NE(result, nullptr) << "no result message";
            EXPECT_EQ(ReadMessageBox(result).text, "打印机“" + name + "”已删除。");
            ASSERT_TRUE(Click(result, IDOK));
        }
        EXPECT_EQ(remover->WaitForExit(kReactionTimeoutMs),
                  std::optional<DWORD>(answer == IDNO ? 1602 : 0));
        const auto queues = ListQueues();
        EXPECT_EQ(queues.size(), answer == IDNO ? 1u : 0u);
    }
    RestartDeletions();
    ExpectSame(before, Snapshot(), "after the removal");
}

// The release medium under WOW64: the 32-bit installer's entry, read where a deployment tool
// reads it (the 32-bit registry view), names the remover; its command with /quiet (the quiet
// command where the entry has one) removes the installation, and the machine is as before.
// The spooler bridges of Wow64ParallelInstall stand; the x86 driver of the model's name that
// one of them registers is the model's driver too, so the remover takes it and it is put back
// before the comparison.
TEST(E2e, Wow64RemoveUnattended) {
    ASSERT_TRUE(IsReleaseInstaller()) << kNotReleaseInstaller;
    const ProgramView view = InstallerView();
    std::string error;
    ASSERT_TRUE(AddDriver(kModelDriver, &error, "Windows NT x86")) << error;
    ASSERT_TRUE(CopyOneFile(Utf8(g_paths.medium) + "\\Driver\\Vista\\T8242LM.dll",
                            view.systemFolder + "\\T8242LM.dll", &error))
        << error;
    const std::vector<std::string> before = Snapshot();

    const std::string name = "前台 打印机";
    Install("/quiet /port:lpt1 /default:no \"/name:" + name + "\"");
    if (HasFatalFailure()) return;
    const std::string entry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\UnInstall\\" + name;
    std::string command =
        RegistryText(HKEY_LOCAL_MACHINE, entry, "QuietUninstallString", KEY_WOW64_32KEY)
            .value_or("");
    if (command.empty()) {
        command = RegistryText(HKEY_LOCAL_MACHINE, entry, "UnInstallString", KEY_WOW64_32KEY)
                      .value_or("") +
                  " /quiet";
    }
    ASSERT_EQ(command.rfind("\"" + ProgramFolderOf(name) + "\\T824UIS.exe\" /quiet", 0), 0u)
        << command;
    const std::size_t close = command.find('"', 1);
    DeleteFileW(Wide(kRemoveLog).c_str());
    const QuietRun run = RunQuiet(Wide(command.substr(1, close - 1)), Wide(WindowsFolder()),
                                  command.substr(close + 2) + " /log:" + kRemoveLog, kRunTimeoutMs);
    const std::vector<std::string> lines = LogLines(kRemoveLog);
    if (run.exitCode != std::optional<DWORD>(0)) {
        for (const std::string& line : lines) std::printf("log: %s\n", line.c_str());
    }
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(0)) << run.error;
    EXPECT_FALSE(run.windowShown);
    EXPECT_TRUE(Has(lines, "delete driver Kestra TQ8240 Series (Windows x64): ok"));
    EXPECT_TRUE(Has(lines, "delete driver Kestra TQ8240 Series (Windows NT x86): ok"));
    RestartDeletions();
    ASSERT_TRUE(AddDriver(kModelDriver, &error, "Windows NT x86")) << error;
    ExpectSame(before, Snapshot(), "after the removal");
}

}  // namespace
}  // namespace tq::e2e

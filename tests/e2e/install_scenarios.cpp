// End-to-end scenarios of the installation itself: the progress page from the connection type
// page's 下一步 to 关闭, and what the installation leaves behind, read back through the public
// API (spooler, registry, files, shell links, processes).
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <tuple>
#include <utility>
#include <string>
#include <vector>

#include "platform/version.h"
#include "tests/e2e/installer.h"
#include "tests/e2e/probe.h"
#include "tests/e2e/robot.h"
#include "tests/e2e/scenario_steps.h"
#include "tests/e2e/spooler_setup.h"
#include "tests/e2e/system_state.h"

namespace tq::e2e {
namespace {

constexpr char kHeadingRunning[] = "安装程序正在执行所请求的操作。";
constexpr char kHeadingDone[] = "安装程序已在您的计算机上安装了";
constexpr char kHeadingFailed[] = "安装失败！请重启您的计算机，然后重新安装本打印机驱动程序。";
constexpr char kStatusStart[] = "开始安装...";
constexpr char kStatusCopy[] = "正在复制...";
constexpr char kStatusInstall[] = "正在安装...";
constexpr char kStatusShortcuts[] = "正在创建快捷方式...";
constexpr char kStatusFinished[] = "执行完毕。";
constexpr char kStatusDone[] = "驱动程序安装完成!";
constexpr char kMissingSuffix[] = "不存在";
constexpr char kLanguageMonitor[] = "Kestra TQ8240 Language Monitor";
constexpr char kProposedShare[] = "KestraTQ";
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kUsbText[] = "此操作将允许系统硬件向导完成打印机的安装。";
constexpr char kUsbStep1[] = "1、用USB电缆连接您的计算机和打印机";
constexpr char kUsbStep2[] = "2、确认打印机电源已打开";
constexpr char kUsbStep3[] = "如果您已用USB电缆与打印机连接，请关闭电源后再次打开。";
constexpr char kHardwareId[] = "USBPRINT\\Kestra_TQ8240_Series80C1";
constexpr char kUpdateFails[] = "UpdateDriverForPlugAndPlayDevices fails";
constexpr char kUsbPort[] = "USB001";
// A whole parallel installation takes well under 1 s under Wine; generous for a busy machine.
constexpr DWORD kInstallTimeoutMs = 60000;

bool SamePath(const std::string& a, const std::string& b) {
    return CompareStringOrdinal(Wide(a).c_str(), -1, Wide(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The status lines seen, in order, are the page's stages in their order (the robot may miss
// the short ones, never reorder them).
void ExpectStagesInOrder(const std::vector<std::string>& seen) {
    const std::vector<std::string> order = {kStatusStart,     kStatusCopy,     kStatusInstall,
                                            kStatusShortcuts, kStatusFinished, kStatusDone};
    size_t next = 0;
    for (const auto& text : seen) {
        const auto at = std::find(order.begin() + static_cast<long>(next), order.end(), text);
        EXPECT_NE(at, order.end()) << "status \"" << text << "\" out of order or unknown";
        if (at != order.end()) next = static_cast<size_t>(at - order.begin());
    }
}

void PrintWatch(const char* what, const ProgressWatch& watch) {
    std::printf("%s: %.0f ms, status lines:", what, watch.elapsedMs);
    for (const auto& s : watch.statuses) std::printf(" [%.0f ms] %s", s.atMs, s.text.c_str());
    std::printf("; %zu file lines\n", watch.files.size());
}

// The completion display: heading with the printer's name, the final status line, the file
// line, bar and check box hidden, the check box ticked (it decides what 关闭 does), 关闭.
void ExpectCompletedPage(HWND page, const std::string& printerName) {
    EXPECT_EQ(ControlText(page, IDC_PROGRESS_HEADING), kHeadingDone + printerName);
    EXPECT_EQ(ControlText(page, IDC_PROGRESS_STATUS), kStatusDone);
    EXPECT_TRUE(ControlVisible(page, IDC_PROGRESS_STATUS));
    EXPECT_FALSE(ControlVisible(page, IDC_PROGRESS_FILE));
    EXPECT_FALSE(ControlVisible(page, IDC_PROGRESS_BAR));
    EXPECT_FALSE(ControlVisible(page, IDC_PROGRESS_REGISTER));
    EXPECT_TRUE(ControlChecked(page, IDC_PROGRESS_REGISTER));
    EXPECT_EQ(ControlText(page, IDC_PROGRESS_REGISTER), "注册" + printerName);
    EXPECT_EQ(ControlText(page, IDCANCEL), "关闭");
}

void ExpectFailedPage(HWND page) {
    EXPECT_EQ(ControlText(page, IDC_PROGRESS_HEADING), kHeadingFailed);
    EXPECT_FALSE(ControlVisible(page, IDC_PROGRESS_STATUS));
    EXPECT_FALSE(ControlVisible(page, IDC_PROGRESS_FILE));
    EXPECT_FALSE(ControlVisible(page, IDC_PROGRESS_BAR));
    EXPECT_FALSE(ControlVisible(page, IDC_PROGRESS_REGISTER));
    EXPECT_FALSE(ControlChecked(page, IDC_PROGRESS_REGISTER));
    EXPECT_EQ(ControlText(page, IDCANCEL), "关闭");
}

// The page as it opens, before the first stage is seen: the heading and 取消.
void ExpectRunningPage(HWND page) {
    EXPECT_EQ(ControlText(page, IDC_PROGRESS_HEADING), kHeadingRunning);
    EXPECT_EQ(ControlText(page, IDCANCEL), "取消");
    EXPECT_FALSE(ControlVisible(page, IDOK));
    EXPECT_FALSE(ControlVisible(page, IDC_BACK));
}

bool ModelDriverRegistered() {
    const auto drivers = ListDrivers("Windows x64");
    return std::any_of(drivers.begin(), drivers.end(),
                       [](const DriverRecord& d) { return d.name == kModelDriver; });
}

// Nothing after the copy stages was done: no driver, no queue, no uninstall entry, no program
// group.
void ExpectNothingRegistered(const std::string& printerName) {
    EXPECT_FALSE(ModelDriverRegistered()) << "the driver was registered";
    EXPECT_TRUE(ListQueues().empty()) << "a queue was made";
    EXPECT_FALSE(RegistryText(HKEY_LOCAL_MACHINE, kUninstallKey + printerName, "DisplayName",
                              InstallerView().registryView)
                     .has_value())
        << "the uninstall entry was written";
    EXPECT_FALSE(PathExists(ProgramsFolder() + "\\" + printerName)) << "a program group was made";
}

// The spooler's view after a parallel installation in a fresh prefix: one queue under the
// chosen name on LPT1:, the model's driver with its language monitor, default and share as
// chosen.
void ExpectParallelQueue(const std::string& printerName, bool isDefault,
                         const std::string& shareName) {
    const auto queues = ListQueues();
    ASSERT_EQ(queues.size(), 1u) << "expected exactly the installed queue";
    const QueueInfo& q = queues.front();
    EXPECT_EQ(q.name, printerName);
    EXPECT_EQ(q.port, "LPT1:");
    EXPECT_EQ(q.driver, kModelDriver);
    EXPECT_EQ(q.printProcessor, "WinPrint");
    EXPECT_EQ(q.datatype, "RAW");
    if (shareName.empty()) {
        EXPECT_EQ(q.attributes & PRINTER_ATTRIBUTE_SHARED, 0u) << "shared without being asked";
    } else {
        EXPECT_EQ(q.shareName, shareName);
        EXPECT_NE(q.attributes & PRINTER_ATTRIBUTE_SHARED, 0u) << "not shared";
    }
    if (isDefault) {
        EXPECT_EQ(DefaultPrinter(), std::optional<std::string>(printerName));
    } else {
        // A fresh prefix has no default printer, and Wine makes none by itself.
        EXPECT_EQ(DefaultPrinter(), std::nullopt);
    }

    bool driverFound = false;
    for (const auto& d : ListDrivers("Windows x64")) {
        if (d.name != kModelDriver) continue;
        driverFound = true;
        EXPECT_NE(d.driverPath.find("T8242dr.dll"), std::string::npos) << d.driverPath;
        EXPECT_EQ(d.monitor, kLanguageMonitor);
    }
    EXPECT_TRUE(driverFound) << "no driver " << kModelDriver << " for Windows x64";
    const auto monitors = ListMonitors();
    EXPECT_NE(std::find(monitors.begin(), monitors.end(), kLanguageMonitor), monitors.end());
}

// Files, uninstall entry and program group of a successful installation under `printerName`,
// each where the installer under test puts it and where Windows looks for it.
void ExpectInstalledFiles(const std::string& printerName) {
    const ProgramView view = InstallerView();
    const std::string program = ProgramFolderOf(printerName);
    for (const char* file :
         {"\\Driver\\T8242dr.dll", "\\Driver\\T8242ui.dll", "\\Driver\\T8242.dat",
          "\\Driver\\T8242pi.dll", "\\Driver\\T8242ui.chm", "\\Driver\\T8242if.inf",
          "\\Driver\\T824XSM.exe", "\\T824uis.exe"}) {
        EXPECT_TRUE(PathExists(program + file)) << program + file;
    }
    EXPECT_TRUE(IsFolder(program + "\\Reg")) << "no Reg folder for the registration program";
    // The language monitor and its two files in the real system folder, where the 64-bit
    // spooler loads it (SysFileCopier.exe); the status monitor in the installer's own system
    // folder (syswow64 for a 32-bit one).
    const std::string system = SystemFolder();
    for (const std::string& file :
         {system + "\\T8242lm.dll", system + "\\FWTQ8240.bin", system + "\\T824XWM.dat",
          view.systemFolder + "\\T824XSM.exe"}) {
        EXPECT_TRUE(PathExists(file)) << file;
    }
    // The driver's files in the x64 driver folder and its version-3 folder, none in w32x86 (a
    // 32-bit installer's own driver folder).
    const std::string spooler = system + "\\spool\\drivers\\";
    for (const char* file : {"T8242dr.dll", "T8242ui.dll", "T8242pi.dll", "T8242.dat"}) {
        EXPECT_TRUE(PathExists(spooler + "x64\\" + file)) << "x64\\" << file;
        EXPECT_TRUE(PathExists(spooler + "x64\\3\\" + file)) << "x64\\3\\" << file;
        EXPECT_FALSE(PathExists(spooler + "w32x86\\" + file)) << "w32x86\\" << file;
        EXPECT_FALSE(PathExists(spooler + "w32x86\\3\\" + file)) << "w32x86\\3\\" << file;
    }

    const std::string uninstaller = program + "\\T824UIS.exe";
    const std::string entry = kUninstallKey + printerName;
    auto entryValue = [&](const char* name) {
        return RegistryText(HKEY_LOCAL_MACHINE, entry, name, view.registryView);
    };
    EXPECT_EQ(entryValue("DisplayIcon"), std::optional<std::string>(uninstaller));
    EXPECT_EQ(entryValue("DisplayName"), std::optional<std::string>(printerName + " UnInstall"));
    EXPECT_EQ(entryValue("UnInstallString"), std::optional<std::string>("\"" + uninstaller + "\""));
    // What a deployment tool detects (in the view of the installer's bitness) and runs.
    EXPECT_EQ(entryValue("DisplayVersion"), std::optional<std::string>(TQ_VERSION_TEXT));
    EXPECT_EQ(entryValue("QuietUninstallString"),
              std::optional<std::string>("\"" + uninstaller + "\" /quiet"));
    EXPECT_EQ(entryValue("InstallLocation"), std::optional<std::string>(program));
    EXPECT_GT(RegistryDword(HKEY_LOCAL_MACHINE, entry, "EstimatedSize", view.registryView)
                  .value_or(0),
              0u);

    // The program group: three links, each named and described by its text, each to its file,
    // which is there for whoever follows the link (Explorer is 64-bit).
    const std::string group = ProgramsFolder() + "\\" + printerName + "\\";
    const std::pair<const char*, std::string> links[] = {
        {"状态监视器", view.systemFolder + "\\T824XSM.exe"},
        {"驱动帮助文件", program + "\\Driver\\T8242UI.chm"},
        {"驱动卸载", uninstaller},
    };
    for (const auto& [name, target] : links) {
        std::string error;
        const auto link = LoadShortcut(group + name + ".lnk", &error);
        EXPECT_TRUE(link.has_value()) << error;
        if (!link) continue;
        EXPECT_TRUE(SamePath(link->target, target)) << name << ": " << link->target;
        EXPECT_TRUE(PathExists(link->target)) << name << ": " << link->target;
        EXPECT_EQ(link->description, name);
    }
}

// Plants the probe program where a careless start could find it: C:\Program.exe is what an
// unquoted "C:\Program Files\..." command line starts first.
void PlantProgramExe() {
    std::string error;
    ASSERT_TRUE(CopyOneFile(OwnFolder() + "\\" + kProbeFileName,
                            WindowsFolder().substr(0, 3) + "Program.exe", &error))
        << error;
}

std::string RegistrationProgramOf(const std::string& printerName) {
    return ProgramFolderOf(printerName) + "\\Reg\\KestraReg.exe";
}

// A value of the Run key as the installer under test sees it.
void SetRunValue(const std::string& name, const std::string& data) {
    EXPECT_TRUE(
        SetRegistryText(HKEY_LOCAL_MACHINE, kRunKey, name, data, InstallerView().registryView));
}

bool RunValueExists(const std::string& name) {
    return RegistryText(HKEY_LOCAL_MACHINE, kRunKey, name, InstallerView().registryView)
        .has_value();
}

// After the installer ended: it left no program running behind it (a program it started with
// WinExec would still be up, showing its window).
void ExpectNothingStarted(DWORD installerId) {
    for (const auto& child : ChildrenOf(installerId)) {
        ADD_FAILURE() << "the installer started " << child.exeName;
    }
    EXPECT_EQ(FindTopLevel(kProbeCaption), nullptr) << "a planted program was started";
}

// From a fresh start to the end of a parallel installation with `choices`: the page as it
// opens, the stages in order, the completion display. Returns the page (nullptr on failure).
HWND InstallParallel(const Process& installer, const InstallChoices& choices,
                     const std::string& printerName, const char* shot) {
    std::string error;
    HWND page = OpenProgressPage(installer, choices, &error);
    EXPECT_NE(page, nullptr) << error;
    if (page == nullptr) return nullptr;
    ExpectRunningPage(page);
    const ProgressWatch watch = WatchProgress(installer, page, kInstallTimeoutMs);
    PrintWatch("installation", watch);
    EXPECT_TRUE(watch.finished) << "the page did not finish; it shows \""
                                << (watch.raised ? ReadMessageBox(watch.raised).text : "") << "\"";
    if (!watch.finished) return nullptr;
    const auto statuses = TextsOf(watch.statuses);
    ExpectStagesInOrder(statuses);
    // Copying (about 40 files, SysFileCopier.exe waited for, CopyInf) is the longest stage.
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), kStatusCopy), statuses.end());
    EXPECT_EQ(statuses.back(), kStatusDone);
    // While copying, the file line names each target with its full path.
    EXPECT_FALSE(watch.files.empty()) << "no file was shown while copying";
    for (const auto& f : watch.files) {
        if (f.text.empty()) continue;  // emptied as registration begins
        EXPECT_EQ(f.text.substr(1, 2), ":\\") << f.text;
    }
    ExpectCompletedPage(page, printerName);
    ExpectShot(page, shot);
    return page;
}

// A parallel installation under the proposed name, judged by what it leaves, then 关闭.
void InstallParallelAndClose() {
    std::string error;
    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = InstallParallel(*installer, InstallChoices{}, kModelDriver, "progress-done");
    ASSERT_NE(page, nullptr);
    // Still on the page: nothing more happens until 关闭.
    EXPECT_EQ(TopLevelWindows(installer->Id()), std::vector<HWND>{page});

    ExpectParallelQueue(kModelDriver, true, "");
    ExpectInstalledFiles(kModelDriver);

    // 关闭 after success: the uninstaller's Run value for this printer goes; no registration
    // program in the Reg folder, so nothing starts (not C:\Program.exe either); exit code 1.
    const std::string runValue = std::string(kModelDriver) + "UnInstall";
    SetRunValue(runValue, "\"" + ProgramFolderOf(kModelDriver) + "\\T824UIS.exe\"");
    PlantProgramExe();
    ASSERT_TRUE(Click(page, IDCANCEL));
    EXPECT_EQ(installer->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(1));
    ExpectNothingStarted(installer->Id());
    EXPECT_FALSE(RunValueExists(runValue)) << "关闭 left the uninstaller's Run value";
    // The installation stays as it was.
    ExpectParallelQueue(kModelDriver, true, "");
}

TEST(E2e, ParallelInstall) {
    InstallParallelAndClose();
}

// The release medium's 32-bit installer under WOW64. Wine's spooler runs inside the calling
// process, where Windows' is a 64-bit service; two bridges (docs/e2e.md) make it behave as the
// service does, and neither stands in for anything the installation is judged by:
// - AddPrinterA looks the queue's driver up in the caller's environment ("Windows NT x86"),
//   where the service looks in its own ("Windows x64"): a driver of the model's name is
//   registered for "Windows NT x86" beforehand;
// - AddMonitorA loads the monitor through the caller's 32-bit loader (syswow64), where the
//   service loads the 64-bit system folder's: the medium's monitor is placed in syswow64 too.
void BridgeWow64Spooler() {
    ASSERT_TRUE(IsReleaseInstaller()) << kNotReleaseInstaller;
    const ProgramView view = InstallerView();
    std::string error;
    ASSERT_TRUE(AddDriver(kModelDriver, &error, "Windows NT x86")) << error;
    const std::string medium = Utf8(g_paths.medium);
    ASSERT_TRUE(CopyOneFile(medium + "\\Driver\\Vista\\T8242LM.dll",
                            view.systemFolder + "\\T8242LM.dll", &error))
        << error;
    // The bridges alone give none of what the installation is judged by.
    EXPECT_FALSE(ModelDriverRegistered()) << "a driver for Windows x64 before the installation";
    const auto monitors = ListMonitors();
    EXPECT_EQ(std::find(monitors.begin(), monitors.end(), kLanguageMonitor), monitors.end());
    EXPECT_FALSE(PathExists(SystemFolder() + "\\T8242lm.dll"));
    EXPECT_TRUE(ListQueues().empty());
}

TEST(E2e, Wow64ParallelInstall) {
    BridgeWow64Spooler();
    if (HasFatalFailure()) return;
    InstallParallelAndClose();
}

TEST(E2e, SharedUnderAnotherName) {
    const std::string name = "财务部 激光打印机";
    InstallChoices choices;
    choices.printerName = name;
    choices.setAsDefault = false;
    choices.shareName = kProposedShare;

    std::string error;
    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = InstallParallel(*installer, choices, name, "progress-done");
    ASSERT_NE(page, nullptr);
    ExpectParallelQueue(name, false, kProposedShare);
    ExpectInstalledFiles(name);
    EXPECT_FALSE(PathExists(ProgramFolderOf(kModelDriver))) << "files went to the model's folder";

    ASSERT_TRUE(Click(page, IDCANCEL));
    EXPECT_EQ(installer->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(1));
}

TEST(E2e, RegistrationProgram) {
    // A name with a space and double-byte characters: the program's path goes to WinExec in
    // the code page, quoted.
    const std::string name = "前台 TQ8240";
    InstallChoices choices;
    choices.printerName = name;

    std::string error;
    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = InstallParallel(*installer, choices, name, "progress-done");
    ASSERT_NE(page, nullptr);

    // The registration program is not the installer's to place: put the probe there, and at
    // C:\Program.exe, which an unquoted command line would start instead.
    const std::string program = RegistrationProgramOf(name);
    ASSERT_TRUE(CopyOneFile(OwnFolder() + "\\" + kProbeFileName, program, &error)) << error;
    PlantProgramExe();

    ASSERT_TRUE(Click(page, IDCANCEL));
    EXPECT_EQ(installer->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(1));
    HWND probe = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (probe = FindTopLevel(kProbeCaption)) != nullptr; },
                          kStartTimeoutMs))
        << "关闭 started no registration program";
    const std::string text = ControlText(probe, 0xFFFF);
    ExpectShot(probe, "registration-program");
    // The probe says which file it is and how it was started: from the Reg folder, quoted.
    EXPECT_EQ(text, program + "\n\"" + program + "\"");

    const DWORD probeId = ProcessOf(probe);
    const auto processes = ListProcesses();
    const auto started = std::find_if(processes.begin(), processes.end(),
                                      [&](const ProcessEntry& p) { return p.id == probeId; });
    ASSERT_NE(started, processes.end());
    EXPECT_EQ(started->parent, installer->Id()) << "not started by the installer";
    EXPECT_EQ(ChildrenOf(installer->Id()).size(), 1u) << "more than one program started";

    UniqueHandle probeProcess(OpenProcess(SYNCHRONIZE, FALSE, probeId));
    ASSERT_TRUE(Click(probe, IDOK));
    EXPECT_EQ(WaitForSingleObject(probeProcess.get(), kReactionTimeoutMs), WAIT_OBJECT_0);
}

TEST(E2e, CancelWhileCopying) {
    std::string error;
    // 取消 as soon as the page opens, answered 是: the program ends at once, with exit code 1,
    // while the copy stage runs.
    {
        auto installer = StartInstaller(g_paths, &error);
        ASSERT_TRUE(installer) << error;
        HWND page = OpenProgressPage(*installer, InstallChoices{}, &error);
        ASSERT_NE(page, nullptr) << error;
        ASSERT_TRUE(Click(page, IDCANCEL));
        HWND box = WaitForBoxOver(*installer, page);
        ASSERT_NE(box, nullptr) << "取消 while copying raised no question";
        ExpectCancelQuestion(box);
        const std::string status = ControlText(page, IDC_PROGRESS_STATUS);
        EXPECT_TRUE(status == kStatusStart || status == kStatusCopy) << status;
        ExpectShot(box, "cancel-question");
        const ULONGLONG answered = GetTickCount64();
        ASSERT_TRUE(Click(box, IDYES));
        EXPECT_EQ(installer->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(1));
        const ULONGLONG took = GetTickCount64() - answered;
        std::printf("是 to the end of the process: %llu ms\n", took);
        EXPECT_LT(took, 2000u) << "是 did not end the program at once";
        ExpectNothingRegistered(kModelDriver);
    }

    // Again in the same prefix, answered 否 after a while: the engine holds at its next pause
    // point as long as the question is open, then goes on to the end.
    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = OpenProgressPage(*installer, InstallChoices{}, &error);
    ASSERT_NE(page, nullptr) << error;
    const ULONGLONG opened = GetTickCount64();
    ASSERT_TRUE(Click(page, IDCANCEL));
    HWND box = WaitForBoxOver(*installer, page);
    ASSERT_NE(box, nullptr) << "取消 while copying raised no question";
    ExpectCancelQuestion(box);
    // Without the hold the installation is done within 1 s of the page's opening; hold the
    // question open until 6 s.
    const auto advanced = [&] {
        const std::string status = ControlText(page, IDC_PROGRESS_STATUS);
        return (status != kStatusStart && status != kStatusCopy) || !ListQueues().empty();
    };
    const DWORD hold =
        6000 - static_cast<DWORD>(std::min<ULONGLONG>(GetTickCount64() - opened, 6000));
    EXPECT_FALSE(WaitUntil(advanced, hold, installer->Handle()))
        << "the installation went on while the question was open: "
        << ControlText(page, IDC_PROGRESS_STATUS);
    ASSERT_TRUE(Click(box, IDNO));
    ASSERT_TRUE(WaitGone(box));
    const ProgressWatch watch = WatchProgress(*installer, page, kInstallTimeoutMs);
    PrintWatch("after 否", watch);
    ASSERT_TRUE(watch.finished) << "否 did not let the installation finish";
    ExpectStagesInOrder(TextsOf(watch.statuses));
    ExpectCompletedPage(page, kModelDriver);
    ExpectParallelQueue(kModelDriver, true, "");
    ASSERT_TRUE(Click(page, IDCANCEL));
    EXPECT_EQ(installer->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(1));
}

// The medium copied into the prefix, to C:\`folderName` (a space and double-byte characters),
// without `missing` (a path relative to the medium), which every installation here needs: the
// message naming it, the failure display, nothing registered, nothing started by 关闭.
void FailForMissingMediumFile(const std::string& folderName, const std::string& missing) {
    SCOPED_TRACE(missing);
    const std::string folder = WindowsFolder().substr(0, 3) + folderName;
    std::string error;
    const auto medium = CopyMediumTo(g_paths, folder, {missing}, &error);
    ASSERT_TRUE(medium) << error;
    ASSERT_FALSE(PathExists(folder + "\\" + missing));

    auto installer = StartInstaller(*medium, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = OpenProgressPage(*installer, InstallChoices{}, &error);
    ASSERT_NE(page, nullptr) << error;
    const ProgressWatch watch = WatchProgress(*installer, page, kInstallTimeoutMs);
    HWND box = watch.raised;
    ASSERT_TRUE(box != nullptr && IsMessageBox(box)) << "no message about the missing file";

    // The message names the file with its full path; it is the page's (owned by it), with the
    // system's caption and one OK button.
    const MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ(view.text, folder + "\\" + missing + kMissingSuffix);
    EXPECT_EQ(view.caption, "错误");
    EXPECT_EQ(ButtonIds(view), std::vector<int>{IDOK});
    EXPECT_EQ(GetWindow(box, GW_OWNER), page);
    ExpectShot(box, "missing-file");
    ASSERT_TRUE(Click(box, IDOK));

    ASSERT_TRUE(WaitUntil([&] { return ControlText(page, IDCANCEL) == "关闭"; }, kReactionTimeoutMs,
                          installer->Handle()))
        << "no failure display after the message";
    ExpectFailedPage(page);
    ExpectShot(page, "progress-failed");
    ExpectNothingRegistered(kModelDriver);

    // 关闭 after a failure starts nothing, even with a registration program in place.
    ASSERT_TRUE(IsFolder(ProgramFolderOf(kModelDriver) + "\\Reg"));
    ASSERT_TRUE(CopyOneFile(OwnFolder() + "\\" + kProbeFileName,
                            RegistrationProgramOf(kModelDriver), &error))
        << error;
    PlantProgramExe();
    ASSERT_TRUE(Click(page, IDCANCEL));
    EXPECT_EQ(installer->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(0));
    ExpectNothingStarted(installer->Id());
}

TEST(E2e, MissingMediumFile) {
    FailForMissingMediumFile("驱动光盘 TQ", "Driver\\Vista\\T8242ui.dll");
}

// The release medium's helpers on 64-bit Windows: the 64-bit program that places the monitor in
// the real system folder, and the 32-bit library that installs the INF.
TEST(E2e, Wow64MissingHelper) {
    ASSERT_TRUE(IsReleaseInstaller()) << kNotReleaseInstaller;
    FailForMissingMediumFile("驱动光盘 TQ", "SysFileCopier.exe");
    FailForMissingMediumFile("驱动光盘 TQ2", "SetupNT.dll");
}

// ---- USB: the plug-and-play path with the newdev.dll double ----------------------------------

// A USB run starts from a copy of the medium inside the prefix: the double reads its scenario
// beside the installer and logs its calls there.
std::optional<RunPaths> UsbMedium(std::string_view scenario, std::string* error) {
    auto medium = CopyMediumTo(g_paths, WindowsFolder().substr(0, 3) + "usb-medium", {}, error);
    if (medium && !UseNewdevDouble(*medium, scenario, error)) return std::nullopt;
    return medium;
}

std::string SetupInfOf(const std::string& printerName) {
    return ProgramFolderOf(printerName) + "\\Driver\\T8242if.inf";
}

// What the double logged for one call of `program` with the printer's hardware id and the INF
// the staging put in the program folder.
std::string NewdevCall(const char* program, const std::string& printerName, const char* answer) {
    return std::string(program) + "|" + kHardwareId + "|" + SetupInfOf(printerName) + "|0|" +
           answer;
}

// The verdict PnpDrvRefresh.exe left for the installer; -1 without the file.
int SetupStateResults() {
    const std::string path = WindowsFolder().substr(0, 3) + "Program Files\\Kestra\\SetupState.ini";
    if (!PathExists(path)) return -1;
    return static_cast<int>(GetPrivateProfileIntA("UpdateDriverForPlugAndPlayDevices", "Results",
                                                  -1, ToAnsi(path).c_str()));
}

bool IsUsbPrompt(HWND window) {
    return window != nullptr && Text(window) == "USB" && GetDlgItem(window, IDC_USB_STEP1);
}

// The prompt while it waits: its texts, 下一步 disabled (the default button), 取消; owned by
// the progress page, over which it runs modally.
void ExpectWaitingPrompt(HWND prompt, HWND page) {
    EXPECT_EQ(ControlText(prompt, IDC_USB_TEXT), kUsbText);
    EXPECT_EQ(ControlText(prompt, IDC_USB_STEP1), kUsbStep1);
    EXPECT_EQ(ControlText(prompt, IDC_USB_STEP2), kUsbStep2);
    EXPECT_EQ(ControlText(prompt, IDC_USB_STEP3), kUsbStep3);
    EXPECT_EQ(ControlText(prompt, IDOK), "下一步(&N)");
    EXPECT_FALSE(ControlEnabled(prompt, IDOK)) << "下一步 usable before the queue is there";
    EXPECT_EQ(ControlText(prompt, IDCANCEL), "取消");
    EXPECT_TRUE(ControlEnabled(prompt, IDCANCEL));
    EXPECT_EQ(GetWindow(prompt, GW_OWNER), page);
}

// From a fresh start to the USB prompt: the copy and the plug-and-play preparation, then the
// prompt. Returns the prompt (nullptr on failure) and the page through `page`.
HWND InstallUntilPrompt(const Process& installer, InstallChoices choices, HWND* page) {
    std::string error;
    choices.connection = IDC_CONN_USB;
    *page = OpenProgressPage(installer, choices, &error);
    EXPECT_NE(*page, nullptr) << error;
    if (*page == nullptr) return nullptr;
    const ProgressWatch watch = WatchProgress(installer, *page, kInstallTimeoutMs);
    PrintWatch("until the USB prompt", watch);
    EXPECT_TRUE(IsUsbPrompt(watch.raised))
        << "no USB prompt; the page shows \"" << ControlText(*page, IDC_PROGRESS_HEADING) << "\""
        << (watch.raised ? ", and a window \"" + Text(watch.raised) + "\"" : "");
    if (!IsUsbPrompt(watch.raised)) return nullptr;
    const auto statuses = TextsOf(watch.statuses);
    ExpectStagesInOrder(statuses);
    EXPECT_EQ(statuses.back(), kStatusInstall) << "the wait begins after registration";
    return watch.raised;
}

// The end of a USB installation: the page shows the completion display when the queue is
// ready, then makes the shortcuts and the uninstall entry and shows it again. False as soon as
// the failure display shows instead.
bool WaitForUsbCompletion(const Process& installer, HWND page, const std::string& printerName) {
    bool completed = false;
    WaitUntil(
        [&] {
            if (ControlText(page, IDC_PROGRESS_HEADING) == kHeadingFailed) return true;
            completed =
                RegistryText(HKEY_LOCAL_MACHINE, kUninstallKey + printerName, "DisplayName") &&
                ControlText(page, IDC_PROGRESS_STATUS) == kStatusDone &&
                ControlText(page, IDCANCEL) == "关闭";
            return completed;
        },
        kInstallTimeoutMs, installer.Handle());
    return completed;
}

// The single queue of a USB installation, as the queue watcher left it.
void ExpectUsbQueue(const std::string& printerName, bool isDefault, const std::string& shareName) {
    const auto queues = ListQueues();
    ASSERT_EQ(queues.size(), 1u) << "expected exactly the plug-and-play queue";
    const QueueInfo& q = queues.front();
    EXPECT_EQ(q.name, printerName);
    EXPECT_EQ(q.port, kUsbPort);
    EXPECT_EQ(q.driver, kModelDriver);
    if (shareName.empty()) {
        EXPECT_EQ(q.attributes & PRINTER_ATTRIBUTE_SHARED, 0u) << "shared without being asked";
    } else {
        EXPECT_EQ(q.shareName, shareName);
        EXPECT_NE(q.attributes & PRINTER_ATTRIBUTE_SHARED, 0u) << "not shared";
    }
    EXPECT_EQ(DefaultPrinter(),
              isDefault ? std::optional<std::string>(printerName) : std::optional<std::string>());
}

// The spooler is ready for plug-and-play: both monitors and the model's driver, no queue yet.
void ExpectPreparedForPlugAndPlay() {
    const auto monitors = ListMonitors();
    for (const char* monitor : {kLanguageMonitor, "USB Monitor"}) {
        EXPECT_NE(std::find(monitors.begin(), monitors.end(), monitor), monitors.end())
            << monitor << " is not registered";
    }
    EXPECT_TRUE(ModelDriverRegistered());
    EXPECT_TRUE(ListQueues().empty()) << "a queue before the printer was plugged in";
}

TEST(E2e, UsbPlugIn) {
    std::string error;
    const auto medium = UsbMedium("no-device", &error);  // the printer is not plugged in yet
    ASSERT_TRUE(medium) << error;
    InstallChoices choices;
    choices.shareName = kProposedShare;  // the model's name kept, default printer on, shared

    auto installer = StartInstaller(*medium, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = nullptr;
    HWND prompt = InstallUntilPrompt(*installer, choices, &page);
    ASSERT_NE(prompt, nullptr);
    ExpectWaitingPrompt(prompt, page);
    ExpectShot(prompt, "usb-prompt");
    EXPECT_EQ(NewdevCalls(*medium), std::vector<std::string>{NewdevCall("TQ82Ins.exe", kModelDriver,
                                                                        "FALSE 0xE000020B")});
    ExpectPreparedForPlugAndPlay();

    // Plug-and-play finds the printer: a queue of the model under the model's name.
    ASSERT_TRUE(AddQueue(kModelDriver, kUsbPort, kModelDriver, &error)) << error;
    ASSERT_TRUE(WaitGone(prompt)) << "the prompt stayed after the queue appeared";
    ASSERT_TRUE(WaitForUsbCompletion(*installer, page, kModelDriver))
        << "no completion after the queue appeared; the page shows \""
        << ControlText(page, IDC_PROGRESS_HEADING) << "\"";
    ExpectCompletedPage(page, kModelDriver);
    ExpectShot(page, "progress-done");
    ExpectUsbQueue(kModelDriver, true, kProposedShare);
    ExpectInstalledFiles(kModelDriver);

    ASSERT_TRUE(Click(page, IDCANCEL));
    EXPECT_EQ(installer->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(1));
}

// 关闭 shows as soon as the queue is ready, while the installation thread still makes the
// shortcuts and the uninstall entry: a click at that moment ends the program only once they are
// made (the whole installation is there afterwards).
TEST(E2e, UsbCloseEarly) {
    std::string error;
    const auto medium = UsbMedium("no-device", &error);
    ASSERT_TRUE(medium) << error;
    auto installer = StartInstaller(*medium, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = nullptr;
    HWND prompt = InstallUntilPrompt(*installer, InstallChoices{}, &page);
    ASSERT_NE(prompt, nullptr);

    ASSERT_TRUE(AddQueue(kModelDriver, kUsbPort, kModelDriver, &error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return ControlText(page, IDCANCEL) == "关闭"; }, kInstallTimeoutMs,
                          installer->Handle()))
        << "关闭 never showed; the page shows \"" << ControlText(page, IDC_PROGRESS_HEADING) << "\"";
    ASSERT_TRUE(Click(page, IDCANCEL));
    EXPECT_EQ(installer->WaitForExit(kInstallTimeoutMs), std::optional<DWORD>(1));
    ExpectUsbQueue(kModelDriver, true, "");
    ExpectInstalledFiles(kModelDriver);
}

// Another name, no default, no share: the queue plug-and-play made under the model's name ends
// up renamed. (Default or share after a rename cannot be seen under Wine: it does not open a
// renamed queue by its new name; the host tests cover that order.)
TEST(E2e, UsbPlugInRenamed) {
    std::string error;
    const auto medium = UsbMedium("no-device", &error);
    ASSERT_TRUE(medium) << error;
    InstallChoices choices;
    choices.printerName = "前台 USB 打印机";
    choices.setAsDefault = false;

    auto installer = StartInstaller(*medium, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = nullptr;
    HWND prompt = InstallUntilPrompt(*installer, choices, &page);
    ASSERT_NE(prompt, nullptr);
    ExpectWaitingPrompt(prompt, page);

    ASSERT_TRUE(AddQueue(kModelDriver, kUsbPort, kModelDriver, &error)) << error;
    ASSERT_TRUE(WaitGone(prompt)) << "the prompt stayed after the queue appeared";
    ASSERT_TRUE(WaitForUsbCompletion(*installer, page, choices.printerName))
        << "no completion after the queue appeared; the page shows \""
        << ControlText(page, IDC_PROGRESS_HEADING) << "\"";
    ExpectCompletedPage(page, choices.printerName);
    ExpectUsbQueue(choices.printerName, false, "");

    ASSERT_TRUE(Click(page, IDCANCEL));
    EXPECT_EQ(installer->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(1));
}

TEST(E2e, UsbCancel) {
    std::string error;
    // WOW64 without a device: the installer is refused the update, PnpDrvRefresh.exe finds no
    // printer and says so in SetupState.ini; the prompt then waits for the user.
    const auto medium = UsbMedium("wow64-no-device", &error);
    ASSERT_TRUE(medium) << error;
    auto installer = StartInstaller(*medium, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = nullptr;
    HWND prompt = InstallUntilPrompt(*installer, InstallChoices{}, &page);
    ASSERT_NE(prompt, nullptr);
    ExpectWaitingPrompt(prompt, page);
    // The helper program got the same INF and hardware id, its command line whole.
    EXPECT_EQ(NewdevCalls(*medium),
              (std::vector<std::string>{
                  NewdevCall("TQ82Ins.exe", kModelDriver, "FALSE 0xE0000235"),
                  NewdevCall("PnpDrvRefresh.exe", kModelDriver, "FALSE 0xE000020B")}));
    EXPECT_EQ(SetupStateResults(), 0);
    const auto before = ReadControls(prompt);

    // 取消 asks; 否 leaves the prompt waiting as it was.
    ASSERT_TRUE(Click(prompt, IDCANCEL));
    HWND box = WaitForBoxOver(*installer, prompt);
    ASSERT_NE(box, nullptr) << "取消 on the prompt raised no question";
    ExpectCancelQuestion(box);
    ASSERT_TRUE(Click(box, IDNO));
    ASSERT_TRUE(WaitGone(box));
    EXPECT_TRUE(IsWindow(prompt) && IsWindowVisible(prompt)) << "否 closed the prompt";
    EXPECT_EQ(ReadControls(prompt), before);
    EXPECT_FALSE(ControlEnabled(prompt, IDOK));

    // Esc asks the same; 是 gives up the wait: the prompt closes and the page shows the
    // failure. The program goes on until 关闭.
    PressKey(prompt, VK_ESCAPE);
    box = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (HWND w : TopLevelWindows(installer->Id())) {
                if (w != page && w != prompt && IsMessageBox(w)) box = w;
            }
            return box != nullptr;
        },
        kReactionTimeoutMs, installer->Handle()))
        << "Esc on the prompt raised no question";
    ExpectCancelQuestion(box);
    ASSERT_TRUE(Click(box, IDYES));
    ASSERT_TRUE(WaitGone(prompt)) << "是 left the prompt open";
    ASSERT_TRUE(WaitUntil([&] { return ControlText(page, IDCANCEL) == "关闭"; }, kReactionTimeoutMs,
                          installer->Handle()));
    ExpectFailedPage(page);
    ExpectShot(page, "progress-failed");
    EXPECT_TRUE(installer->Running()) << "是 on the prompt ended the program";
    EXPECT_TRUE(ListQueues().empty());

    ASSERT_TRUE(Click(page, IDCANCEL));
    EXPECT_EQ(installer->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(0));
    ExpectNothingStarted(installer->Id());
}

TEST(E2e, UsbWow64) {
    std::string error;
    // A 32-bit installer on 64-bit Windows with the printer plugged in: refused the update, it
    // hands it to PnpDrvRefresh.exe, which gets the printer (the double makes the queue) and
    // leaves Results = 1. The wait then ends at once, without the user.
    const auto medium = UsbMedium("wow64", &error);
    ASSERT_TRUE(medium) << error;
    auto installer = StartInstaller(*medium, &error);
    ASSERT_TRUE(installer) << error;
    InstallChoices choices;
    choices.connection = IDC_CONN_USB;
    HWND page = OpenProgressPage(*installer, choices, &error);
    ASSERT_NE(page, nullptr) << error;
    ASSERT_TRUE(WaitForUsbCompletion(*installer, page, kModelDriver))
        << "no completion; the page shows \"" << ControlText(page, IDC_PROGRESS_HEADING) << "\"";
    // The prompt came and went by itself.
    EXPECT_EQ(TopLevelWindows(installer->Id()), std::vector<HWND>{page});
    ExpectCompletedPage(page, kModelDriver);
    EXPECT_EQ(NewdevCalls(*medium),
              (std::vector<std::string>{NewdevCall("TQ82Ins.exe", kModelDriver, "FALSE 0xE0000235"),
                                        NewdevCall("PnpDrvRefresh.exe", kModelDriver, "TRUE")}));
    EXPECT_EQ(SetupStateResults(), 1);
    ExpectUsbQueue(kModelDriver, true, "");
    ExpectInstalledFiles(kModelDriver);

    ASSERT_TRUE(Click(page, IDCANCEL));
    EXPECT_EQ(installer->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(1));
}

TEST(E2e, UsbUpdateErrors) {
    // The three errors the installer knows: a warning box of its own (no owner) naming the
    // error, then the failure display, and no prompt. One run each, in the same prefix.
    const std::pair<const char*, const char*> errors[] = {
        {"error 0", "NO_ERROR"}, {"error 2", "FILE_NOT_FOUND"}, {"error 1004", "INVALID_FLAGS"}};
    std::string error;
    auto medium = UsbMedium("", &error);
    ASSERT_TRUE(medium) << error;
    for (const auto& [scenario, caption] : errors) {
        SCOPED_TRACE(scenario);
        ASSERT_TRUE(UseNewdevDouble(*medium, scenario, &error)) << error;
        auto installer = StartInstaller(*medium, &error);
        ASSERT_TRUE(installer) << error;
        InstallChoices choices;
        choices.connection = IDC_CONN_USB;
        HWND page = OpenProgressPage(*installer, choices, &error);
        ASSERT_NE(page, nullptr) << error;
        const ProgressWatch watch = WatchProgress(*installer, page, kInstallTimeoutMs);
        HWND box = watch.raised;
        ASSERT_TRUE(box != nullptr && IsMessageBox(box))
            << "no warning; the page shows \"" << ControlText(page, IDC_PROGRESS_HEADING) << "\"";
        const MessageBoxView view = ReadMessageBox(box);
        EXPECT_EQ(view.text, kUpdateFails);
        EXPECT_EQ(view.caption, caption);
        EXPECT_EQ(ButtonIds(view), std::vector<int>{IDOK});
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr) << "the warning has an owner";
        if (std::string(caption) == "FILE_NOT_FOUND") ExpectShot(box, "update-error");
        ASSERT_TRUE(Click(box, IDOK));
        ASSERT_TRUE(WaitUntil([&] { return ControlText(page, IDCANCEL) == "关闭"; },
                              kReactionTimeoutMs, installer->Handle()))
            << "no failure display after the warning";
        ExpectFailedPage(page);
        EXPECT_EQ(TopLevelWindows(installer->Id()), std::vector<HWND>{page}) << "a USB prompt";
        EXPECT_TRUE(ListQueues().empty());
        ASSERT_TRUE(Click(page, IDCANCEL));
        EXPECT_EQ(installer->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(0));
    }
}

// ---- Unattended: /quiet ---------------------------------------------------------------------

constexpr char kQuietLog[] = "C:\\tq-e2e.log";

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

// A parallel installation with no one at the screen, judged by the whole state it leaves; run
// again over it, it makes the queue anew, and with no driver file in use it needs no restart.
void InstallUnattended() {
    const std::string name = "前台 打印机";
    const std::string arguments =
        "/quiet /port:lpt1 \"/name:" + name + "\" /share:FRONT /log:" + kQuietLog;
    const QuietRun run = RunQuiet(g_paths, arguments, kInstallTimeoutMs);
    if (run.exitCode != std::optional<DWORD>(0)) {
        for (const std::string& line : LogLines(kQuietLog)) std::printf("log: %s\n", line.c_str());
    }
    ASSERT_EQ(run.exitCode, std::optional<DWORD>(0)) << run.error;
    EXPECT_FALSE(run.windowShown) << "an unattended run showed a window";
    ExpectParallelQueue(name, true, "FRONT");
    ExpectInstalledFiles(name);

    const std::vector<std::string> lines = LogLines(kQuietLog);
    ASSERT_FALSE(lines.empty()) << "no log at " << kQuietLog;
    EXPECT_EQ(lines.front().rfind("TQ82Ins.exe 1.0.0, unattended, platform class ", 0), 0u)
        << lines.front();
    EXPECT_NE(lines.front().find("options: /quiet /port:lpt1 \"/name:" + name + "\""),
              std::string::npos)
        << lines.front();
    for (const std::string& step :
         {std::string("copy to the program folder: ok"), std::string("copy to the system: ok"),
          std::string("driver: ok"), "queue " + name + " on LPT1:: ok",
          std::string("default printer: ok"), std::string("share FRONT: ok"),
          std::string("shortcuts: ok"), std::string("uninstall entry: ok")}) {
        EXPECT_TRUE(HasLine(lines, step)) << step;
    }
    EXPECT_EQ(lines.back(), "exit code 0");

    // Again over it: the queue is made anew once the files are in place, and with every file
    // replaced no restart is needed.
    const QuietRun again = RunQuiet(g_paths, arguments, kInstallTimeoutMs);
    EXPECT_EQ(again.exitCode, std::optional<DWORD>(0));
    ExpectParallelQueue(name, true, "FRONT");
    const std::vector<std::string> second = LogLines(kQuietLog);
    EXPECT_TRUE(HasLine(second, "delete the queue " + name + " to make it anew: ok"));
    EXPECT_EQ(second.back(), "exit code 0");
}

TEST(E2e, UnattendedParallel) {
    InstallUnattended();
}

// What ships, 32-bit under WOW64, the same way (with the bridges of Wow64ParallelInstall).
TEST(E2e, Wow64UnattendedParallel) {
    BridgeWow64Spooler();
    if (HasFatalFailure()) return;
    InstallUnattended();
}

// A driver file in use when the placement writes it (on Windows the spooler holds the driver it
// loaded; here the robot holds the file open without sharing): the unattended installation
// completes, the new file waits beside the old one, recorded in PendingFileRenameOperations to
// replace it when Windows restarts, the log names it, and the exit code asks for the restart.
// Without the hold, the same run replaces the file and ends with 0.
TEST(E2e, UnattendedFileInUse) {
    const std::string driverFolder = SystemFolder() + "\\spool\\drivers\\x64\\3";
    const std::string held = driverFolder + "\\T8242dr.dll";
    const std::string staged = held + ".new";
    const std::string medium = Utf8(g_paths.medium) + "\\Driver\\Vista\\T8242dr.dll";
    const auto pending = [] {
        return RegistryStrings(HKEY_LOCAL_MACHINE,
                               "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                               "PendingFileRenameOperations")
            .value_or(std::vector<std::string>{});
    };
    ASSERT_TRUE(pending().empty()) << "a fresh prefix with renames waiting for the restart";
    // An earlier installation's file, held open with no sharing at all.
    SHCreateDirectoryExW(nullptr, Wide(driverFolder).c_str(), nullptr);
    UniqueHandle hold(CreateFileW(Wide(held).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(hold.get(), INVALID_HANDLE_VALUE);
    const char oldDriver[] = "old driver\n";
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(hold.get(), oldDriver, sizeof(oldDriver) - 1, &written, nullptr));

    const std::string arguments = std::string("/quiet /port:lpt1 /log:") + kQuietLog;
    QuietRun run = RunQuiet(g_paths, arguments, kInstallTimeoutMs);
    std::vector<std::string> lines = LogLines(kQuietLog);
    if (run.exitCode != std::optional<DWORD>(3010)) {
        for (const std::string& line : lines) std::printf("log: %s\n", line.c_str());
    }
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(3010)) << run.error;
    EXPECT_FALSE(run.windowShown);
    hold.reset();
    // Everything else is installed as without the held file.
    ExpectParallelQueue(kModelDriver, true, "");
    ExpectInstalledFiles(kModelDriver);
    // The held file is untouched; the medium's copy waits beside it, to replace it at the restart.
    EXPECT_EQ(FileLines(Wide(held)), std::vector<std::string>{"old driver"});
    EXPECT_EQ(FileLines(Wide(staged)), FileLines(Wide(medium)));
    const std::vector<std::string> renames = pending();
    ASSERT_EQ(renames.size(), 2u) << ::testing::PrintToString(renames);
    EXPECT_TRUE(SamePath(renames[0], "\\??\\" + staged)) << renames[0];
    EXPECT_TRUE(SamePath(renames[1], "!\\??\\" + held)) << renames[1];
    // Both name the folder as Wine's GetSystemDirectory spells it.
    EXPECT_TRUE(HasLine(lines, held + " in use: replaced when Windows restarts"));
    EXPECT_TRUE(HasLine(lines, "copy to the system: ok"));
    EXPECT_TRUE(HasLine(
        lines, "1 driver file(s) in use are replaced when Windows restarts: restart to finish"));
    EXPECT_EQ(lines.back(), "exit code 3010");

    // The same run with nothing held replaces the file at once.
    run = RunQuiet(g_paths, arguments, kInstallTimeoutMs);
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(0)) << run.error;
    EXPECT_EQ(FileLines(Wide(held)), FileLines(Wide(medium)));
    EXPECT_EQ(pending().size(), 2u) << "a second record for the restart";
    EXPECT_EQ(LogLines(kQuietLog).back(), "exit code 0");
}

// USB with no printer plugged in and no wait: the driver is made ready for plug-and-play, the
// program group and the uninstall entry are made, and the log says Windows makes the queue later.
TEST(E2e, UnattendedUsbNotConnected) {
    std::string error;
    const auto medium = UsbMedium("no-device", &error);
    ASSERT_TRUE(medium) << error;
    const QuietRun run =
        RunQuiet(*medium, std::string("/quiet /port:usb /log:") + kQuietLog, kInstallTimeoutMs);
    ASSERT_EQ(run.exitCode, std::optional<DWORD>(0)) << run.error;
    EXPECT_FALSE(run.windowShown);
    ExpectPreparedForPlugAndPlay();
    const auto lines = LogLines(kQuietLog);
    EXPECT_TRUE(HasLine(lines, "plug-and-play driver: ok"));
    EXPECT_TRUE(HasLineStarting(lines, "USB printer not connected: the driver is ready"));
    EXPECT_TRUE(HasLine(lines, "shortcuts: ok"));
    EXPECT_TRUE(HasLine(lines, "uninstall entry: ok"));
    EXPECT_EQ(lines.back(), "exit code 0");
}

// What is in `after` and not in `before` (+), and the reverse (-).
std::string SnapshotDifference(const std::vector<std::string>& before,
                               const std::vector<std::string>& after) {
    std::string text;
    for (const auto& [from, to, sign] :
         {std::tuple(&before, &after, "+ "), std::tuple(&after, &before, "- ")}) {
        for (const std::string& line : *to) {
            if (std::find(from->begin(), from->end(), line) == from->end()) {
                text += sign + line + "\n";
            }
        }
    }
    return text;
}

// Runs that change nothing: every refusal (87, no window, one log line naming the option and
// why, the machine's files, registry and spooler as they were), another instance (1618); and a
// run that fails on a missing medium file (1603), each with the log's lines saying why.
TEST(E2e, UnattendedRefusals) {
    std::string error;
    // ＦＲＯＮＴ, shared by a printer of another driver; ｆｒｏｎｔ is the same name for Windows.
    const std::string fullWidthUpper = "\xEF\xBC\xA6\xEF\xBC\xB2\xEF\xBC\xAF\xEF\xBC\xAE\xEF\xBC\xB4";
    const std::string fullWidthLower = "\xEF\xBD\x86\xEF\xBD\x92\xEF\xBD\x8F\xEF\xBD\x8E\xEF\xBD\x94";
    ASSERT_TRUE(AddDriver("Contoso Laser", &error)) << error;
    ASSERT_TRUE(AddQueueWithShareName("Front Desk", "LPT2:", "Contoso Laser", fullWidthUpper, true,
                                      &error))
        << error;
    const std::string log = std::string(" /log:") + kQuietLog;
    const std::vector<std::string> before = MachineSnapshot({kQuietLog});
    const std::pair<std::string, std::string> refusals[] = {
        {"/quiet /port:com1", "option /port:com1: usb, lpt1, an IPv4 address or \\\\server\\queue"},
        {"/norestart /colour:red /quiet", "option /colour:red: unknown option"},
        {"/quiet /?", "option /?: the usage is shown only without /quiet"},
        {"/quiet /port:224.0.0.1", "option /port:224.0.0.1: not a printer's address"},
        {"/quiet /port:lpt1 /share:a/b", "option /share:a/b: a share name Windows cannot use"},
        {"/quiet /port:lpt1 \"/name:front desk\"",
         "option /name:front desk: a printer of another driver has the name front desk"},
        {"/quiet /port:lpt1 /share:" + fullWidthLower,
         "option /share:" + fullWidthLower + ": the share name is in use"},
    };
    for (const auto& [arguments, refusal] : refusals) {
        SCOPED_TRACE(arguments);
        const QuietRun run = RunQuiet(g_paths, arguments + log, kInstallTimeoutMs);
        EXPECT_EQ(run.exitCode, std::optional<DWORD>(87)) << run.error;
        EXPECT_FALSE(run.windowShown);
        const auto lines = LogLines(kQuietLog);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], refusal);
        EXPECT_EQ(lines.back(), "exit code 87");
    }
    const std::vector<std::string> after = MachineSnapshot({kQuietLog});
    EXPECT_TRUE(before == after) << "the refusals changed the machine:\n"
                                 << SnapshotDifference(before, after);

    auto wizard = StartInstaller(g_paths, &error);
    ASSERT_TRUE(wizard) << error;
    HWND welcome = WaitForWelcomePage(*wizard);
    ASSERT_NE(welcome, nullptr);
    QuietRun run = RunQuiet(g_paths, "/quiet /port:lpt1" + log, kInstallTimeoutMs);
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(1618));
    EXPECT_TRUE(HasLine(LogLines(kQuietLog), "another instance of the installer is running"));
    EXPECT_TRUE(MachineSnapshot({kQuietLog}) == after) << "the second instance changed something";
    CancelWithYes(*wizard, welcome);
    EXPECT_EQ(wizard->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(1));

    const std::string folder = WindowsFolder().substr(0, 3) + "quiet-medium";
    const auto medium = CopyMediumTo(g_paths, folder, {"SysFileCopier.exe"}, &error);
    ASSERT_TRUE(medium) << error;
    run = RunQuiet(*medium, "/quiet /port:lpt1" + log, kInstallTimeoutMs);
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(1603));
    EXPECT_FALSE(run.windowShown) << "the missing-file message showed";
    const auto lines = LogLines(kQuietLog);
    EXPECT_TRUE(HasLine(lines, "message: " + folder + "\\SysFileCopier.exe" + kMissingSuffix));
    EXPECT_TRUE(HasLineStarting(lines, "copy to the system: failed"));
    EXPECT_EQ(lines.back(), "exit code 1603");
}

}  // namespace
}  // namespace tq::e2e

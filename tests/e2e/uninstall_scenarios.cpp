// End-to-end scenarios of VNTAdminUninstall.exe (tq_e2e_uninstall.exe): a network-tools package
// laid out in a fresh prefix, the uninstaller started from a folder of its own with its local
// customize.ini, and the robot at its window: what the dialog shows, how its drawn buttons answer
// the mouse, the about box, the messages, and what is left on disk afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/probe.h"
#include "tests/e2e/robot.h"
#include "tests/e2e/system_state.h"
#include "tests/e2e/uninstall_package.h"
#include "uninstall/res/resource.h"

namespace tq::e2e {
namespace {

constexpr DWORD kStartMs = 20000;  // a cold Wine start of a GUI program takes about a second
constexpr DWORD kReactionMs = 5000;

constexpr char kDefaultQuestion[] = "您正在删除网络管理软件，确定进行该操作吗?";
constexpr char kFinished[] = "恭喜，软件卸载成功完成！";
constexpr char kTitle[] = "网络管理工具卸载";
constexpr char kProgramFolder[] = "C:\\Uninstaller";

constexpr COLORREF kBackground = RGB(213, 224, 254);
constexpr COLORREF kWarmLeft = RGB(250, 196, 88);

std::wstring g_uninstaller;  // the build's VNTAdminUninstall.exe
std::wstring g_shots;        // screenshot folder (BMP; PNG outside Wine)

// ---- The package of these scenarios -----------------------------------------------------------

PackageNames Names() {
    PackageNames names;
    names.installPath = "Tools\\网络工具";
    names.uninstallFile = "Remove.exe";
    names.folderFiles = {"Keeper.exe",  "帮助.chm",      "TRXHELP.GID",
                         "VNTTrap.ini", "Watcher.exe",   "PortSetup.exe",
                         "VNTTrap.txt", "VNTTrapIP.ini", "标志.bmp"};
    names.startMenuFolder = "网络管理工具";
    names.links = {"设备管家", "Alert watcher", "卸载网络管理工具", "Net Port Setup"};
    return names;
}

// The install folder's customize.ini: every name the uninstaller deletes, the dialog's texts.
// The about box's keys are decoys: the box must read the local file.
std::string InstalledIni(const std::string& info) {
    return "[INSTALL]\r\n"
           "Install_Path=Decoy\\Elsewhere\r\n"
           "Uninstall_File=Remove.exe\r\n"
           "Help_File=帮助.chm\r\n"
           "NetPortSetup_File=PortSetup.exe\r\n"
           "[UNINSTALL]\r\n"
           "Main_Title=网络管理工具卸载\r\n"
           "Info=" +
           info +
           "\r\n"
           "Help_About_Title=Decoy about\r\n"
           "Version=9.9.9.9\r\n"
           "[MORNITOR]\r\n"
           "APPName=Watcher.exe\r\n"
           "Main_Title=Alert Watcher\r\n"
           "[ADMIN]\r\n"
           "Main_Title=Device Keeper\r\n"
           "APPName=Keeper.exe\r\n"
           "Main_LOGO=标志.bmp\r\n"
           "[STARTMENU]\r\n"
           "DIR_Name=网络管理工具\r\n"
           "Admin_Link_Name=设备管家\r\n"
           "Monitor_Link_Name=Alert watcher\r\n"
           "Uninstall_Link_Name=卸载网络管理工具\r\n"
           "NetPortSetup_Link_Name=Net Port Setup\r\n";
}

// Beside the uninstaller: where the package is, and the about box. Its dialog keys are decoys.
constexpr char kLocalIni[] =
    "[INSTALL]\r\n"
    "Install_Path=Tools\\网络工具\r\n"
    "Uninstall_File=LocalRemove.exe\r\n"
    "[UNINSTALL]\r\n"
    "Main_Title=Decoy title\r\n"
    "Info=Decoy question\r\n"
    "Help_About_Title=关于网络工具\r\n"
    "Version=2.5.0.1\r\n"
    "Help_About_Copyright=版权所有 (C) 2026 Orvello 网络工具\r\n";

struct Arranged {
    PackagePaths paths;
    std::string program;
    // Not the package's: must survive every run.
    std::vector<std::string> bystanders;
};

std::optional<Arranged> Arrange(Placement placement, std::string* error) {
    placement.systemIni = placement.installedIni;
    // The package's installer put a copy of this uninstaller there, the only file of the
    // system folder besides customize.ini that it deletes.
    if (placement.systemCopyFrom.empty()) placement.systemCopyFrom = g_uninstaller;
    // The package's installer put its system-folder files where the uninstaller looks for them:
    // a 32-bit one's system folder is syswow64 under WOW64.
    const std::string system = ViewOfProgram(g_uninstaller).systemFolder;
    if (!PlacePackage(Names(), placement, system, error)) return std::nullopt;
    Arranged arranged;
    arranged.paths = PathsOf(Names(), system);
    const auto program =
        PlaceUninstaller(g_uninstaller, kProgramFolder, kUninstallerName, kLocalIni, error);
    if (!program) return std::nullopt;
    arranged.program = *program;
    // The local file's Uninstall_File in the system folder: the installed file's name is the
    // one to delete.
    const std::string decoy = system + "\\LocalRemove.exe";
    if (!WriteAnsiFile(decoy, "decoy\r\n", error)) return std::nullopt;
    arranged.bystanders = {decoy, std::string(kProgramFolder) + "\\customize.ini",
                           arranged.program};
    return arranged;
}

// Everything the package placed.
std::vector<std::string> PackagePieces(const PackagePaths& paths) {
    std::vector<std::string> all = paths.folderFiles;
    all.push_back(paths.installedIni);
    all.insert(all.end(), paths.links.begin(), paths.links.end());
    all.push_back(paths.startMenuFolder);
    all.push_back(paths.systemCopy);
    all.push_back(paths.systemIni);
    return all;
}

// ---- The uninstaller's windows -------------------------------------------------------------

std::optional<Process> StartUninstaller(const std::string& program, std::string* error) {
    const size_t slash = program.find_last_of('\\');
    return Process::Start(Wide(program), Wide(program.substr(0, slash)), error);
}

HWND WaitForConfirmDialog(const Process& uninstaller, const char* title) {
    return WaitForPage(uninstaller, title, IDC_QUESTION, kStartMs);
}

HWND WaitForAboutBox(const Process& uninstaller, const char* title) {
    return WaitForPage(uninstaller, title, IDC_ABOUT_NAME, kReactionMs);
}

void ExpectShot(HWND window, const char* name) {
    std::string error;
    EXPECT_TRUE(SaveScreenshot(window, JoinPath(g_shots, Wide(std::string(name) + ".bmp")), &error))
        << error;
}

bool OwnerDrawn(HWND dialog, int id) {
    return (Style(GetDlgItem(dialog, id)) & BS_TYPEMASK) == BS_OWNERDRAW;
}

// The colour at the left edge of a drawn button, half-way down: where the warm or cool edge
// runs (the focus rectangle, one pixel further left, is not there).
std::optional<COLORREF> LeftEdge(HWND button) {
    RECT client{};
    GetClientRect(button, &client);
    return ScreenPixel(button, GetSystemMetrics(SM_CXEDGE) + 1, client.bottom / 2);
}

std::string Hex(std::optional<COLORREF> c) {
    if (!c) return "none";
    char text[16];
    std::snprintf(text, sizeof(text), "%02X%02X%02X", GetRValue(*c), GetGValue(*c), GetBValue(*c));
    return text;
}

// The box raised over `dialog`: its text, caption and one 确定 button.
void ExpectMessage(HWND box, const std::string& text, const std::string& caption) {
    const MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ(view.text, text);
    EXPECT_EQ(view.caption, caption);
    ASSERT_EQ(view.buttons.size(), 1u);
    EXPECT_EQ(view.buttons[0].id, IDOK);
    // No icon: the box's picture static (id 1088) holds none.
    HWND icon = GetDlgItem(box, 1088);
    EXPECT_TRUE(icon == nullptr || SendMessageW(icon, STM_GETICON, 0, 0) == 0)
        << "the message has an icon";
}

// 确定 on the dialog, then the box it raises.
HWND PressOk(const Process& uninstaller, HWND dialog) {
    EXPECT_EQ(ControlText(dialog, IDOK), "确定");
    if (!Click(dialog, IDOK)) return nullptr;
    return WaitForMessageBox(uninstaller, kReactionMs, dialog);
}

bool Gone(HWND window) {
    return WaitUntil([&] { return !IsWindow(window); }, kReactionMs);
}

// ---- Scenarios -----------------------------------------------------------------------------

// The package with a file it does not know, and a read-only file: the dialog, the drawn buttons,
// 确定, and what is left.
void UninstallAndCheck() {
    Placement placement;
    placement.installedIni = InstalledIni("");
    placement.unknownFiles = {"用户笔记.txt"};
    placement.readOnly = {"帮助.chm"};  // goes on the second attempt
    std::string error;
    const auto arranged = Arrange(placement, &error);
    ASSERT_TRUE(arranged) << error;
    const PackagePaths& paths = arranged->paths;
    ASSERT_TRUE(MoveMouseTo(nullptr));

    auto uninstaller = StartUninstaller(arranged->program, &error);
    ASSERT_TRUE(uninstaller) << error;
    HWND dialog = WaitForConfirmDialog(*uninstaller, kTitle);
    ASSERT_NE(dialog, nullptr) << "no dialog titled " << kTitle;

    EXPECT_EQ(ControlText(dialog, IDC_QUESTION), kDefaultQuestion);
    EXPECT_EQ(ControlText(dialog, IDCANCEL), "取消");
    EXPECT_TRUE(OwnerDrawn(dialog, IDOK));
    EXPECT_TRUE(OwnerDrawn(dialog, IDCANCEL));
    EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_TRUE(Style(dialog) & WS_SYSMENU);
    HWND ok = GetDlgItem(dialog, IDOK);
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    // The dialog's colour, around and behind the question.
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(dialog, 3, 3) == kBackground; }, kReactionMs))
        << Hex(ScreenPixel(dialog, 3, 3));
    EXPECT_EQ(ScreenPixel(GetDlgItem(dialog, IDC_QUESTION), 1, 1), kBackground);
    ExpectShot(dialog, "dialog");
    EXPECT_NE(LeftEdge(cancel), kWarmLeft);

    // The mouse resting on 取消 gives it the warm edges; leaving takes them away again.
    const ULONGLONG moved = GetTickCount64();
    ASSERT_TRUE(MoveMouseTo(cancel));
    EXPECT_TRUE(WaitUntil([&] { return LeftEdge(cancel) == kWarmLeft; }, kReactionMs))
        << "no warm edge under the mouse: " << Hex(LeftEdge(cancel));
    std::printf("warm edge seen %llu ms after the mouse moved\n",
                static_cast<unsigned long long>(GetTickCount64() - moved));
    EXPECT_NE(LeftEdge(ok), kWarmLeft);
    ExpectShot(dialog, "dialog-hover");
    ASSERT_TRUE(MoveMouseTo(nullptr));
    EXPECT_TRUE(WaitUntil([&] { return LeftEdge(cancel) != kWarmLeft; }, kReactionMs))
        << "the warm edge stayed after the mouse left";

    HWND box = PressOk(*uninstaller, dialog);
    ASSERT_NE(box, nullptr) << "确定 raised no message";
    ExpectMessage(box, kFinished, "");
    ExpectShot(box, "finished");
    // Everything was done before the message: the package's files, the shortcuts and their
    // folder, the customisation files and the system folder's copy are gone; the file the
    // package does not know keeps the install folder.
    EXPECT_EQ(Existing(PackagePieces(paths)), std::vector<std::string>{});
    EXPECT_TRUE(IsFolder(paths.installFolder));
    EXPECT_TRUE(PathExists(paths.installFolder + "\\用户笔记.txt"));
    EXPECT_EQ(Existing(arranged->bystanders), arranged->bystanders);

    ASSERT_TRUE(Click(box, IDOK));
    EXPECT_EQ(uninstaller->WaitForExit(kReactionMs), std::optional<DWORD>(0));
}

TEST(E2e, UninstallFinished) {
    UninstallAndCheck();
}

// The release build's 32-bit uninstaller (--uninstaller=) under WOW64, with the package laid out
// as a 32-bit installer of it lays it out (its system-folder files in syswow64).
TEST(E2e, Wow64UninstallFinished) {
    ASSERT_EQ(ViewOfProgram(g_uninstaller).registryView, static_cast<REGSAM>(KEY_WOW64_32KEY))
        << "the release build's uninstaller must be 32-bit";
    UninstallAndCheck();
}

TEST(E2e, UninstallExtraShortcut) {
    Placement placement;
    placement.installedIni = InstalledIni("");
    placement.unknownLinks = {"网络工具帮助"};
    std::string error;
    const auto arranged = Arrange(placement, &error);
    ASSERT_TRUE(arranged) << error;
    const PackagePaths& paths = arranged->paths;

    auto uninstaller = StartUninstaller(arranged->program, &error);
    ASSERT_TRUE(uninstaller) << error;
    HWND dialog = WaitForConfirmDialog(*uninstaller, kTitle);
    ASSERT_NE(dialog, nullptr);
    HWND box = PressOk(*uninstaller, dialog);
    ASSERT_NE(box, nullptr);
    ExpectMessage(box, kFinished, "");

    // The four shortcuts go; the one the package does not name keeps the program group. With
    // no unknown file, the install folder itself goes.
    EXPECT_EQ(Existing(paths.links), std::vector<std::string>{});
    EXPECT_TRUE(PathExists(paths.startMenuFolder + "\\网络工具帮助.lnk"));
    EXPECT_FALSE(PathExists(paths.installFolder));
    EXPECT_FALSE(PathExists(paths.systemCopy));
    EXPECT_EQ(Existing(arranged->bystanders), arranged->bystanders);
    ASSERT_TRUE(Click(box, IDOK));
    EXPECT_EQ(uninstaller->WaitForExit(kReactionMs), std::optional<DWORD>(0));
}

TEST(E2e, UninstallToolRunning) {
    constexpr char kInfo[] = "请先备份设备管家的设置，再卸载网络管理工具。";
    Placement placement;
    placement.installedIni = InstalledIni(kInfo);
    std::string error;
    const auto arranged = Arrange(placement, &error);
    ASSERT_TRUE(arranged) << error;
    const std::vector<std::string> pieces = PackagePieces(arranged->paths);

    // Both tools run: the pop-up monitor is named, being looked for first.
    TitledWindow monitor("Alert Watcher");
    TitledWindow admin("Device Keeper");
    ASSERT_NE(monitor.Window(), nullptr);
    ASSERT_NE(admin.Window(), nullptr);

    auto uninstaller = StartUninstaller(arranged->program, &error);
    ASSERT_TRUE(uninstaller) << error;
    HWND dialog = WaitForConfirmDialog(*uninstaller, kTitle);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, IDC_QUESTION), kInfo);

    HWND box = PressOk(*uninstaller, dialog);
    ASSERT_NE(box, nullptr);
    ExpectMessage(box, "[Alert Watcher]正在运行,请先关闭.", "");
    ExpectShot(box, "tool-running");
    EXPECT_EQ(Existing(pieces), pieces) << "something was deleted while a tool ran";
    ASSERT_TRUE(Click(box, IDOK));
    ASSERT_TRUE(Gone(box));
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog did not stay for another try";

    // The monitor closed, the administration tool still open.
    monitor.Close();
    box = PressOk(*uninstaller, dialog);
    ASSERT_NE(box, nullptr);
    ExpectMessage(box, "[Device Keeper]正在运行,请先关闭.", "");
    EXPECT_EQ(Existing(pieces), pieces);
    ASSERT_TRUE(Click(box, IDOK));
    ASSERT_TRUE(Gone(box));

    // Both closed: this time it runs to its end.
    admin.Close();
    box = PressOk(*uninstaller, dialog);
    ASSERT_NE(box, nullptr);
    ExpectMessage(box, kFinished, "");
    EXPECT_EQ(Existing(pieces), std::vector<std::string>{});
    ASSERT_TRUE(Click(box, IDOK));
    EXPECT_EQ(uninstaller->WaitForExit(kReactionMs), std::optional<DWORD>(0));
}

// /quiet: no dialog and no box. A running tool stops it (1603, nothing removed); then it removes
// the package (0) with a log line per step; run again, there is nothing to remove (0).
TEST(E2e, UninstallQuiet) {
    Placement placement;
    placement.installedIni = InstalledIni("");
    placement.unknownFiles = {"用户笔记.txt"};
    std::string error;
    const auto arranged = Arrange(placement, &error);
    ASSERT_TRUE(arranged) << error;
    const std::vector<std::string> pieces = PackagePieces(arranged->paths);
    const std::wstring program = Wide(arranged->program);
    const std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
    constexpr char kLog[] = "C:\\vnt-e2e.log";
    const std::string arguments = std::string("/quiet /log:") + kLog;

    auto tool = std::make_unique<TitledWindow>("Device Keeper");
    ASSERT_NE(tool->Window(), nullptr);
    QuietRun run = RunQuiet(program, folder, arguments, kStartMs);
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(1603)) << run.error;
    EXPECT_FALSE(run.windowShown);
    EXPECT_EQ(Existing(pieces), pieces) << "something was deleted while a tool ran";
    auto lines = LogLines(kLog);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 2], "message: [Device Keeper]正在运行,请先关闭.");
    EXPECT_EQ(lines.back(), "exit code 1603");

    tool.reset();
    run = RunQuiet(program, folder, arguments, kStartMs);
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(0)) << run.error;
    EXPECT_FALSE(run.windowShown);
    EXPECT_EQ(Existing(pieces), std::vector<std::string>{});
    EXPECT_TRUE(PathExists(arranged->paths.installFolder + "\\用户笔记.txt"));
    EXPECT_EQ(Existing(arranged->bystanders), arranged->bystanders);
    lines = LogLines(kLog);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "delete " + arranged->paths.installedIni + ": ok"),
              lines.end());
    EXPECT_EQ(lines[lines.size() - 2], std::string("message: ") + kFinished);
    EXPECT_EQ(lines.back(), "exit code 0");

    run = RunQuiet(program, folder, arguments, kStartMs);
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(0));
    EXPECT_EQ(LogLines(kLog).back(), "exit code 0");
}

// /quiet as a deployment tool runs it: the administration tool runs with no window the
// uninstaller could find (as in a user's session when the removal runs as SYSTEM), so only its
// process tells: 1603, nothing removed. Then a package file another program holds open cannot
// go: the rest is removed and the run still ends with 1603, naming the file in the log.
TEST(E2e, UninstallQuietToolProcess) {
    Placement placement;
    placement.installedIni = InstalledIni("");
    std::string error;
    const auto arranged = Arrange(placement, &error);
    ASSERT_TRUE(arranged) << error;
    const PackagePaths& paths = arranged->paths;
    const std::vector<std::string> pieces = PackagePieces(paths);
    const std::wstring program = Wide(arranged->program);
    const std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
    constexpr char kLog[] = "C:\\vnt-e2e-process.log";
    const std::string arguments = std::string("/quiet /log:") + kLog;

    // The administration tool (Keeper.exe) started from the install folder: a program whose only
    // window is titled otherwise.
    const std::string keeper = paths.folderFiles[0];
    ASSERT_TRUE(CopyOneFile(OwnFolder() + "\\" + kProbeFileName, keeper, &error)) << error;
    auto tool = Process::Start(Wide(keeper), Wide(paths.installFolder), &error);
    ASSERT_TRUE(tool) << error;
    ASSERT_TRUE(WaitUntil([] { return FindTopLevel(kProbeCaption) != nullptr; }, kStartMs));
    QuietRun run = RunQuiet(program, folder, arguments, kStartMs);
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(1603)) << run.error;
    EXPECT_FALSE(run.windowShown);
    EXPECT_EQ(Existing(pieces), pieces) << "something was deleted while a tool ran";
    auto lines = LogLines(kLog);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 2], "message: [Keeper.exe]正在运行,请先关闭.");
    EXPECT_EQ(lines.back(), "exit code 1603");
    tool.reset();

    // The tool ended; another program holds the pop-up monitor's file open without sharing.
    const std::string held = paths.folderFiles[4];
    HANDLE holder = CreateFileW(Wide(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE) << held;
    run = RunQuiet(program, folder, arguments, kStartMs);
    CloseHandle(holder);
    EXPECT_EQ(run.exitCode, std::optional<DWORD>(1603)) << run.error;
    EXPECT_FALSE(run.windowShown);
    EXPECT_EQ(Existing(pieces), std::vector<std::string>{held});
    EXPECT_TRUE(IsFolder(paths.installFolder));
    EXPECT_EQ(Existing(arranged->bystanders), arranged->bystanders);
    lines = LogLines(kLog);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "still there: " + held), lines.end());
    EXPECT_EQ(lines.back(), "exit code 1603");
}

TEST(E2e, UninstallAboutBox) {
    Placement placement;
    placement.installedIni = InstalledIni("");
    std::string error;
    const auto arranged = Arrange(placement, &error);
    ASSERT_TRUE(arranged) << error;
    const std::vector<std::string> pieces = PackagePieces(arranged->paths);

    auto uninstaller = StartUninstaller(arranged->program, &error);
    ASSERT_TRUE(uninstaller) << error;
    HWND dialog = WaitForConfirmDialog(*uninstaller, kTitle);
    ASSERT_NE(dialog, nullptr);

    // The system menu's about entry (command 16): the texts of the local file.
    ASSERT_TRUE(PostMessageW(dialog, WM_SYSCOMMAND, 16, 0));
    HWND about = WaitForAboutBox(*uninstaller, "关于网络工具");
    ASSERT_NE(about, nullptr) << "command 16 opened no about box titled 关于网络工具";
    EXPECT_EQ(ControlText(about, IDC_ABOUT_NAME), "LocalRemove.exe 2.5.0.1");
    EXPECT_EQ(ControlText(about, IDC_ABOUT_COPYRIGHT), "版权所有 (C) 2026 Orvello 网络工具");
    EXPECT_TRUE(Style(GetDlgItem(about, IDC_ABOUT_NAME)) & SS_NOPREFIX);
    EXPECT_EQ(ControlText(about, IDOK), "确定");
    EXPECT_EQ(ScreenPixel(about, 3, 3), kBackground);
    ExpectShot(about, "about");
    ASSERT_TRUE(Click(about, IDOK));
    ASSERT_TRUE(Gone(about));

    // The system keeps the low four bits of a command id for itself: 16 with them set is the
    // same entry. Esc closes the box too.
    ASSERT_TRUE(PostMessageW(dialog, WM_SYSCOMMAND, 16 | 0x3, 0));
    about = WaitForAboutBox(*uninstaller, "关于网络工具");
    ASSERT_NE(about, nullptr) << "command 19 opened no about box";
    PressKey(about, VK_ESCAPE);
    ASSERT_TRUE(Gone(about));

    // 取消 ends the program without a change.
    ASSERT_TRUE(Click(dialog, IDCANCEL));
    EXPECT_EQ(uninstaller->WaitForExit(kReactionMs), std::optional<DWORD>(0));
    EXPECT_EQ(Existing(pieces), pieces);
    EXPECT_EQ(Existing(arranged->bystanders), arranged->bystanders);
}

TEST(E2e, UninstallNothingInstalled) {
    // No customize.ini anywhere and no package: every text and name is the default one.
    std::string error;
    const auto program =
        PlaceUninstaller(g_uninstaller, kProgramFolder, kUninstallerName, "", &error);
    ASSERT_TRUE(program) << error;
    auto uninstaller = StartUninstaller(*program, &error);
    ASSERT_TRUE(uninstaller) << error;
    HWND dialog = WaitForConfirmDialog(*uninstaller, "Uninstall");
    ASSERT_NE(dialog, nullptr) << "no dialog titled Uninstall";
    EXPECT_EQ(ControlText(dialog, IDC_QUESTION), kDefaultQuestion);

    ASSERT_TRUE(PostMessageW(dialog, WM_SYSCOMMAND, 16, 0));
    HWND about = WaitForAboutBox(*uninstaller, "About");
    ASSERT_NE(about, nullptr) << "no about box titled About";
    EXPECT_EQ(ControlText(about, IDC_ABOUT_NAME), "VNTUninstall.exe 1.0.0.0");
    ExpectShot(about, "about-defaults");
    ASSERT_TRUE(Click(about, IDOK));
    ASSERT_TRUE(Gone(about));

    HWND box = PressOk(*uninstaller, dialog);
    ASSERT_NE(box, nullptr);
    const std::string looked =
        WindowsFolder().substr(0, 3) + "Program Files\\Orvello\\AlertWatcher.exe";
    ExpectMessage(box, "没有需要卸载的程序[" + looked + "]", "AlertWatcher.exe");
    ExpectShot(box, "nothing-installed");
    ASSERT_TRUE(Click(box, IDOK));
    EXPECT_EQ(uninstaller->WaitForExit(kReactionMs), std::optional<DWORD>(0));
    EXPECT_TRUE(PathExists(*program));
}

// `text` with the line `from` replaced by `to` (both whole lines, without CRLF).
std::string WithLine(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from + "\r\n");
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// Runs the uninstaller at `program` from its dialog titled `title` to its message, which must be
// `text` with `caption`; OK.
void RunToMessage(const std::string& program, const char* title, const std::string& text,
                  const std::string& caption) {
    std::string error;
    auto uninstaller = StartUninstaller(program, &error);
    ASSERT_TRUE(uninstaller) << error;
    HWND dialog = WaitForConfirmDialog(*uninstaller, title);
    ASSERT_NE(dialog, nullptr) << "no dialog titled " << title;
    HWND box = PressOk(*uninstaller, dialog);
    ASSERT_NE(box, nullptr);
    ExpectMessage(box, text, caption);
    ASSERT_TRUE(Click(box, IDOK));
    EXPECT_EQ(uninstaller->WaitForExit(kReactionMs), std::optional<DWORD>(0));
}

// customize.ini names what an administrator's program deletes. Canaries where hostile names
// point (the system folder, the Windows folder, the drive's root, the all-users Programs
// folder) survive three runs: names reaching out of the package, an Install_Path that leaves
// the drive's root, an empty program group name. The package's other files go.
TEST(E2e, UninstallHostileNames) {
    const std::string system = ViewOfProgram(g_uninstaller).systemFolder;
    const std::string root = WindowsFolder().substr(0, 3);
    const std::string programs = CommonProgramsFolder();
    ASSERT_FALSE(programs.empty());
    const std::vector<std::string> canaries = {
        root + "canary-root.txt", system + "\\canary-system.txt",
        WindowsFolder() + "\\canary-windows.txt", programs + "\\canary-programs.lnk",
        programs + "\\设备管家.lnk"};
    std::string error;
    for (const std::string& canary : canaries) {
        ASSERT_TRUE(WriteAnsiFile(canary, "canary\r\n", &error)) << error;
    }

    // 1. Names that climb out of the install folder, the program group and the system folder.
    Placement placement;
    std::string ini = InstalledIni("");
    ini = WithLine(ini, "APPName=Keeper.exe", "APPName=..\\..\\canary-root.txt");
    ini = WithLine(ini, "Help_File=帮助.chm",
                   "Help_File=..\\..\\WINDOWS\\system32\\canary-system.txt");
    ini = WithLine(ini, "Uninstall_File=Remove.exe", "Uninstall_File=..\\canary-windows.txt");
    ini = WithLine(ini, "Admin_Link_Name=设备管家", "Admin_Link_Name=..\\canary-programs");
    placement.installedIni = ini;
    auto arranged = Arrange(placement, &error);
    ASSERT_TRUE(arranged) << error;
    const PackagePaths& paths = arranged->paths;
    RunToMessage(arranged->program, kTitle, kFinished, "");
    EXPECT_EQ(Existing(canaries), canaries);
    // What the hostile keys named in the package stays; the rest of it went.
    const std::vector<std::string> kept = {paths.folderFiles[0], paths.folderFiles[1],
                                           paths.links[0], paths.systemCopy};
    EXPECT_EQ(Existing(kept), kept);
    std::vector<std::string> gone(paths.folderFiles.begin() + 2, paths.folderFiles.end());
    gone.insert(gone.end(), paths.links.begin() + 1, paths.links.end());
    gone.push_back(paths.installedIni);
    gone.push_back(paths.systemIni);
    EXPECT_EQ(Existing(gone), std::vector<std::string>{});

    // 2. An Install_Path that climbs to another folder laid out like the package: no install
    // folder, so neither its customize.ini (the dialog's title is the default) nor its files.
    const std::string victim = root + "Victim";
    ASSERT_TRUE(CreateDirectoryW(Wide(victim).c_str(), nullptr));
    ASSERT_TRUE(WriteAnsiFile(victim + "\\customize.ini", InstalledIni(""), &error)) << error;
    for (const char* name : {"Watcher.exe", "Keeper.exe", "VNTTrap.ini"}) {
        ASSERT_TRUE(WriteAnsiFile(victim + "\\" + name, "victim\r\n", &error)) << error;
    }
    const auto program = PlaceUninstaller(
        g_uninstaller, kProgramFolder, kUninstallerName,
        WithLine(kLocalIni, "Install_Path=Tools\\网络工具", "Install_Path=Tools\\..\\Victim"),
        &error);
    ASSERT_TRUE(program) << error;
    RunToMessage(*program, "Uninstall", "没有需要卸载的程序[AlertWatcher.exe]", "AlertWatcher.exe");
    for (const char* name : {"Watcher.exe", "Keeper.exe", "VNTTrap.ini", "customize.ini"}) {
        EXPECT_TRUE(PathExists(victim + "\\" + name)) << name;
    }

    // 3. An empty program group name: nothing in the Start menu, the install folder still goes.
    placement.installedIni = WithLine(InstalledIni(""), "DIR_Name=网络管理工具", "DIR_Name=");
    arranged = Arrange(placement, &error);
    ASSERT_TRUE(arranged) << error;
    RunToMessage(arranged->program, kTitle, kFinished, "");
    EXPECT_EQ(Existing(canaries), canaries);
    EXPECT_EQ(Existing(arranged->paths.links), arranged->paths.links);
    EXPECT_EQ(Existing(arranged->paths.folderFiles), std::vector<std::string>{});
}

}  // namespace
}  // namespace tq::e2e

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    tq::e2e::g_uninstaller = tq::e2e::WindowsPathOf(TQ_UNINSTALLER);
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.rfind("--uninstaller=", 0) == 0) {
            tq::e2e::g_uninstaller = tq::e2e::WindowsPathOf(arg.substr(14));
        } else if (arg.rfind("--shots=", 0) == 0) {
            tq::e2e::g_shots = tq::e2e::WindowsPathOf(arg.substr(8));
        }
    }
    if (tq::e2e::g_shots.empty() ||
        GetFileAttributesW(tq::e2e::g_uninstaller.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "usage: --shots=FOLDER [--uninstaller=PATH] (no uninstaller at %s)\n",
                     tq::e2e::Utf8(tq::e2e::g_uninstaller).c_str());
        return 2;
    }
    const int status = RUN_ALL_TESTS();
    // A filter that names no scenario must not pass as an empty run.
    if (testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        std::fprintf(stderr, "no scenario matched the filter\n");
        return 2;
    }
    return status;
}

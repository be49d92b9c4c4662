// The program under test as the robot sees it: where it is, how it is started, how its first
// page is recognised, and where pictures of its windows go.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "install/res/resource.h"
#include "tests/e2e/robot.h"

namespace tq::e2e {

// Title of the installer: every page's caption and the caption of its own message boxes.
inline constexpr char kInstallerCaption[] = "Kestra 打印机驱动程序安装";
inline constexpr char kModelDriver[] = "Kestra TQ8240 Series";

// Generous: a cold Wine start of a GUI program takes about a second on a quiet machine, and
// CTest may share the machine with a build.
inline constexpr DWORD kStartTimeoutMs = 20000;
inline constexpr DWORD kReactionTimeoutMs = 5000;

struct RunPaths {
    std::wstring installer;  // the installer on the test medium
    std::wstring medium;     // its folder, the installer's current directory
    std::wstring shots;      // folder for BMP screenshots (converted to PNG outside Wine)
};

// Takes --installer=PATH and --shots=FOLDER out of the command line (Unix or Windows paths).
std::optional<RunPaths> ParseRunPaths(int argc, char** argv, std::string* error);

std::optional<Process> StartInstaller(const RunPaths& paths, std::string* error);

// The pages, each recognised by the caption and a control only it has. Every page is a new
// top-level window: after a move, wait for the next one rather than keeping the old handle.
HWND WaitForWelcomePage(const Process& installer);  // with the start-up time-out
HWND WaitForPrinterNamePage(const Process& installer);
HWND WaitForSharingPage(const Process& installer);
HWND WaitForConnectionTypePage(const Process& installer);
// The progress page opens as the connection type page's 下一步 is handled.
HWND WaitForProgressPage(const Process& installer);
// The USB prompt (caption "USB") the progress page shows during the plug-and-play wait.
HWND WaitForUsbPrompt(const Process& installer, DWORD timeoutMs);

// What the wizard is told on its way to the progress page. The defaults are the pages' own
// first-visit values: the model's name, the default printer box ticked, not shared.
struct InstallChoices {
    std::string printerName;  // empty: leave the proposed name
    bool setAsDefault = true;
    std::string shareName;  // empty: 不共享; otherwise 共享为 with this name
    int connection = IDC_CONN_PARALLEL;
};
// From a fresh start on the plain welcome page to the connection type page with the connection
// of `choices` chosen (下一步 not pressed yet), answering every page before with `choices` and
// 下一步. nullptr (and `error`) when a page does not come or refuses a choice.
HWND WalkToConnectionChoice(const Process& installer, const InstallChoices& choices,
                            std::string* error);
// The same walk on to the progress page.
HWND OpenProgressPage(const Process& installer, const InstallChoices& choices, std::string* error);
// The network pages: the TCP/IP port page (any step), the search dialog, the adapter dialog.
HWND WaitForTcpIpPortPage(const Process& installer);
HWND WaitForSearchDialog(const Process& installer);
HWND WaitForAdapterDialog(const Process& installer);

// What the progress page showed while the robot watched it.
struct SeenText {
    std::string text;
    double atMs;  // since the watch began
};
struct ProgressWatch {
    std::vector<SeenText> statuses;  // every change of the status line, in order
    std::vector<SeenText> files;     // every change of the file line, in order
    HWND raised = nullptr;           // a window the installer raised meanwhile: a message box
                                     // or the USB prompt
    bool finished = false;           // 取消 became 关闭
    bool ended = false;              // the process ended
    double elapsedMs = 0;
};
// Reads the progress page every `pollMs` until its button reads 关闭, another window of the
// installer appears, the process ends, or `timeoutMs` passes.
ProgressWatch WatchProgress(const Process& installer, HWND page, DWORD timeoutMs, DWORD pollMs = 5);
std::vector<std::string> TextsOf(const std::vector<SeenText>& seen);

// USB runs: the newdev.dll double on the test medium (tests/e2e/newdev_double) stands in for
// Windows' device installer. Makes Wine load it for TQ82Ins.exe and PnpDrvRefresh.exe started
// from now on in this prefix, and writes `scenario` (a line of its README; empty: none, which
// means no device) beside the installer of `medium`.
bool UseNewdevDouble(const RunPaths& medium, std::string_view scenario, std::string* error);
// The calls the double answered, one "program|hardware id|inf path|flags|answer" line each.
std::vector<std::string> NewdevCalls(const RunPaths& medium);

// The installer run from another folder: the test medium copied to `folder` (a Windows path
// inside the prefix), without the files named in `leaveOut` (paths relative to the medium).
std::optional<RunPaths> CopyMediumTo(const RunPaths& paths, std::string_view folder,
                                     const std::vector<std::string>& leaveOut, std::string* error);
// The installer of `medium` run unattended (RunQuiet of robot.h).
QuietRun RunQuiet(const RunPaths& medium, const std::string& arguments, DWORD timeoutMs);

// "<drive>\Program Files\Kestra\<printer name>": where the installation puts its files.
std::string ProgramFolderOf(std::string_view printerName);
// Saves `window` as SHOTS\name.bmp.
bool Shoot(const RunPaths& paths, HWND window, std::string_view name, std::string* error);

}  // namespace tq::e2e

// The program under test as the robot sees it: where it is, how it is started, how its first
// page is recognised, and where pictures of its windows go.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

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
// Saves `window` as SHOTS\name.bmp.
bool Shoot(const RunPaths& paths, HWND window, std::string_view name, std::string* error);

}  // namespace tq::e2e

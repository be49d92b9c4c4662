// Steps and checks that scenarios of both files share (scenarios.cpp: the pages before the
// installation; install_scenarios.cpp: the installation itself).
#pragma once

#include <windows.h>

#include <vector>

#include "tests/e2e/installer.h"
#include "tests/e2e/robot.h"
#include "tests/e2e/system_state.h"

namespace tq::e2e {

// The installer and the screenshot folder of this run (set by main).
extern RunPaths g_paths;

// The registry view and system folder of the installer under test: a 32-bit one (the release
// medium's, under WOW64) keeps HKLM\Software records in the 32-bit view, and its system folder
// is syswow64.
ProgramView InstallerView();
// The scenarios of the release medium check first that they were given its 32-bit installer.
inline constexpr char kNotReleaseInstaller[] = "the release medium's installer must be 32-bit";
bool IsReleaseInstaller();

inline constexpr char kCancelQuestion[] = "确实要取消安装吗?";
inline constexpr char kCancelCaption[] = "退出安装";

std::vector<int> ButtonIds(const MessageBoxView& box);
// Photographs `window` as SHOTS\name.png (a failure is a test failure, not a stop).
void ExpectShot(HWND window, const char* name);
// The cancel question: exact text and caption, Yes/No, and No as the default button, styled so
// and holding the focus, so that Enter keeps the installation going.
void ExpectCancelQuestion(HWND box);
// Waits for the page's process to raise a message box over `page`.
HWND WaitForBoxOver(const Process& installer, HWND page);
bool WaitGone(HWND window);
// Ends the installer through a page's 取消 answered 是 (the plain welcome or a page after it):
// the cancel question as it must read, then exit code 1.
void CancelWithYes(const Process& installer, HWND page);

}  // namespace tq::e2e

#include "tests/e2e/scenario_steps.h"

#include <gtest/gtest.h>

namespace tq::e2e {

ProgramView InstallerView() {
    return ViewOfProgram(g_paths.installer);
}

bool IsReleaseInstaller() {
    return InstallerView().registryView == KEY_WOW64_32KEY;
}

RunPaths g_paths;

std::vector<int> ButtonIds(const MessageBoxView& box) {
    std::vector<int> ids;
    for (const auto& b : box.buttons) ids.push_back(b.id);
    return ids;
}

void ExpectShot(HWND window, const char* name) {
    std::string error;
    EXPECT_TRUE(Shoot(g_paths, window, name, &error)) << error;
}

void ExpectCancelQuestion(HWND box) {
    const MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ(view.text, kCancelQuestion);
    EXPECT_EQ(view.caption, kCancelCaption);
    EXPECT_EQ(ButtonIds(view), (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(view.focusId, IDNO);
    for (const auto& b : view.buttons) {
        EXPECT_EQ(b.defaultStyle, b.id == IDNO) << "button " << b.id << " " << b.text;
    }
}

HWND WaitForBoxOver(const Process& installer, HWND page) {
    return WaitForMessageBox(installer, kReactionTimeoutMs, page);
}

bool WaitGone(HWND window) {
    return WaitUntil([&] { return !IsWindow(window); }, kReactionTimeoutMs);
}

void CancelWithYes(const Process& installer, HWND page) {
    ASSERT_TRUE(Click(page, IDCANCEL));
    HWND box = WaitForBoxOver(installer, page);
    ASSERT_NE(box, nullptr) << "取消 asked nothing";
    ExpectCancelQuestion(box);
    ASSERT_TRUE(Click(box, IDYES));
    EXPECT_EQ(installer.WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(1));
}

}  // namespace tq::e2e

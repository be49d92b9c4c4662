// End-to-end scenario of the shared network printer page. Wine opens "\\<this computer>\<queue>"
// as the local queue of that name but cannot read it, so what a shared printer of the model or of
// another model leads to is covered by the host tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/installer.h"
#include "tests/e2e/robot.h"
#include "tests/e2e/scenario_steps.h"
#include "tests/e2e/spooler_setup.h"
#include "tests/e2e/system_state.h"

namespace tq::e2e {
namespace {

constexpr char kInvalidPath[] =
    "无法连接到网络路径。\n网络路径包括一个服务器名称和一个打印机共享名,形式如下：\\\\服务器名\\共享名";
constexpr char kInvalidPathCaption[] = "无效的网络路径";

HWND WaitForSharedPrinterPage(const Process& installer) {
    return WaitForPage(installer, kInstallerCaption, IDC_SHARED_PATH, kReactionTimeoutMs);
}

std::string ComputerName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

// 下一步 with `path` in the field: the box it raises (nullptr: none came).
HWND NextWithPath(const Process& installer, HWND page, const std::string& path) {
    EXPECT_TRUE(SetControlText(page, IDC_SHARED_PATH, path));
    EXPECT_TRUE(Click(page, IDOK));
    return WaitForBoxOver(installer, page);
}

// The invalid-path message for `path`: exact text, OK only; after OK the page stays.
void ExpectInvalidPath(const Process& installer, HWND page, const std::string& path) {
    HWND box = NextWithPath(installer, page, path);
    ASSERT_NE(box, nullptr) << path << " raised no message";
    const MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ(view.text, kInvalidPath) << path;
    EXPECT_EQ(view.caption, kInvalidPathCaption);
    EXPECT_EQ(ButtonIds(view), std::vector<int>{IDOK});
    ASSERT_TRUE(Click(box, IDOK));
    ASSERT_TRUE(WaitGone(box));
    EXPECT_TRUE(IsWindow(page) && IsWindowVisible(page)) << path << ": the page was left";
    EXPECT_EQ(TopLevelWindows(installer.Id()), std::vector<HWND>{page});
}

HWND OpenSharedPrinterPage(const Process& installer) {
    InstallChoices choices;
    choices.connection = IDC_CONN_SHARED;
    std::string error;
    HWND connection = WalkToConnectionChoice(installer, choices, &error);
    EXPECT_NE(connection, nullptr) << error;
    if (connection == nullptr || !Click(connection, IDOK)) return nullptr;
    HWND page = WaitForSharedPrinterPage(installer);
    EXPECT_NE(page, nullptr) << "网络共享打印机 and 下一步 did not open the shared printer page";
    return page;
}

TEST(E2e, SharedPrinterPage) {
    std::string error;
    // A queue of another model, which Wine opens under "\\\\<this computer>\\Contoso".
    ASSERT_TRUE(AddDriver("Contoso PCL", &error)) << error;
    ASSERT_TRUE(AddQueue("Contoso", "LPT2:", "Contoso PCL", &error)) << error;
    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = OpenSharedPrinterPage(*installer);
    ASSERT_NE(page, nullptr);

    EXPECT_EQ(ControlText(page, IDC_SHARED_EXPLAIN), "键入要安装的共享打印机的网络路径或队列名称");
    EXPECT_EQ(ControlText(page, IDC_SHARED_LABEL), "网络路径或队列名称(&P)：");
    EXPECT_EQ(ControlText(page, IDC_SHARED_BROWSE), "浏览(&R)...");
    EXPECT_EQ(ControlText(page, IDC_SHARED_EXAMPLE), "例如：\\\\服务器名\\打印机共享名");
    EXPECT_EQ(ControlText(page, IDC_SHARED_HINT),
              "注：如果不知道打印机的网络路径或队列名称，请单击“浏览”查看可用的打印机。");
    EXPECT_EQ(ControlText(page, IDC_SHARED_PATH), "");
    EXPECT_EQ(GetDlgItem(page, IDC_BANNER), nullptr) << "this page has no banner";
    EXPECT_EQ(ControlText(page, IDOK), "下一步(&N)");
    ExpectShot(page, "shared-printer");

    ExpectInvalidPath(*installer, page, "");
    ExpectInvalidPath(*installer, page, "\\\\server");
    ExpectInvalidPath(*installer, page, "\\\\server\\share\\sub");
    // The field has no limit of its own; a path longer than the installation can keep is
    // refused, not cut.
    ExpectInvalidPath(*installer, page, "\\\\server\\" + std::string(100, 'p'));
    const std::string host = ComputerName();
    ASSERT_FALSE(host.empty());
    // A printer the spooler does not know.
    ExpectInvalidPath(*installer, page, "\\\\" + host + "\\NoSuchPrinter");

    // A printer Wine opens by that name but cannot read: GetPrinterA on the handle fails
    // (measured: size 0, error 1801), so the page cannot tell the driver and refuses the path.
    // The model's and another model's printer are covered by the host tests.
    ExpectInvalidPath(*installer, page, "\\\\" + host + "\\Contoso");

    // 浏览: the shell's printer browser under its caption; cancelled, the field shows the text
    // read at the last 下一步, not what was typed since.
    ASSERT_TRUE(SetControlText(page, IDC_SHARED_PATH, "\\\\typed\\since"));
    ASSERT_TRUE(Click(page, IDC_SHARED_BROWSE));
    HWND browser = WaitForDialog(
        *installer, [](HWND w) { return Text(w) == "浏览打印机"; }, kReactionTimeoutMs);
    ASSERT_NE(browser, nullptr) << "浏览 showed no browser captioned 浏览打印机";
    ExpectShot(browser, "printer-browser");
    ASSERT_TRUE(Click(browser, IDCANCEL));
    ASSERT_TRUE(WaitGone(browser));
    EXPECT_TRUE(WaitUntil(
        [&] { return ControlText(page, IDC_SHARED_PATH) == "\\\\" + host + "\\Contoso"; },
        kReactionTimeoutMs))
        << "the field shows " << ControlText(page, IDC_SHARED_PATH);

    // 上一步: the connection type page with 网络共享打印机 still chosen; back here, the field
    // starts empty again.
    ASSERT_TRUE(Click(page, IDC_BACK));
    HWND connection = WaitForConnectionTypePage(*installer);
    ASSERT_NE(connection, nullptr) << "上一步 did not lead to the connection type page";
    EXPECT_TRUE(ControlChecked(connection, IDC_CONN_SHARED));
    ASSERT_TRUE(Click(connection, IDOK));
    page = WaitForSharedPrinterPage(*installer);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ControlText(page, IDC_SHARED_PATH), "");
    CancelWithYes(*installer, page);
}

}  // namespace
}  // namespace tq::e2e

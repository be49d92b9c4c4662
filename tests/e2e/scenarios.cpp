// End-to-end scenarios of TQ82Ins.exe: the installer from the test medium, driven through its
// windows. Each scenario is one TEST; scripts/e2e-scenario.sh runs one of them per fresh Wine
// prefix (--gtest_filter=E2e.NAME) with --installer and --shots.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "tests/e2e/installer.h"
#include "tests/e2e/robot.h"
#include "tests/e2e/spooler_setup.h"

namespace tq::e2e {
namespace {

RunPaths g_paths;

constexpr char kGreeting[] = "欢迎使用Kestra TQ8240 Series打印机系统安装向导。";
constexpr char kTip[] = "温馨提示：如果您的安全软件有安装提示，请选择信任并继续安装。";
constexpr char kLinePlain[] = "建议您先关闭其它所有应用程序，再继续本安装向导。";
constexpr char kLineInstalled[] =
    "在您的计算机上已经安装了  Kestra TQ8240 Series 型号打印机，如下表：";
constexpr char kBlockInstalled[] =
    "如果您要继续安装，为了保证文件更新，建议您重新启动计算机，重启前请关闭其他所有应用程序，"
    "重启后本安装程序自动运行，重启，请点击重启按钮；\n如果您想直接安装不重启，请点击继续按钮;\n"
    "如果您不想继续安装，请点击关闭按钮，结束安装程序。";
constexpr char kCancelQuestion[] = "确实要取消安装吗?";
constexpr char kCancelCaption[] = "退出安装";
constexpr char kSecondInstance[] =
    "此安装程序已有一个实例在运行。\n请完成它，或取消它再运行此安装程序。";
constexpr char kOtherDriver[] = "Contoso Laser 500";

std::vector<int> ButtonIds(const MessageBoxView& box) {
    std::vector<int> ids;
    for (const auto& b : box.buttons) ids.push_back(b.id);
    return ids;
}

void ExpectShot(HWND window, const char* name) {
    std::string error;
    EXPECT_TRUE(Shoot(g_paths, window, name, &error)) << error;
}

// The cancel question: exact text and caption, Yes/No, and No as the default button, styled so
// and holding the focus, so that Enter keeps the installation going.
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

// Waits for the page's process to raise a message box over `page`.
HWND WaitForBoxOver(const Process& installer, HWND page) {
    return WaitForMessageBox(installer, kReactionTimeoutMs, page);
}

bool WaitGone(HWND window) {
    return WaitUntil([&] { return !IsWindow(window); }, kReactionTimeoutMs);
}

// After a question answered No the page must be exactly as it was.
void ExpectPageUnchanged(const Process& installer, HWND page,
                         const std::vector<ControlView>& before) {
    EXPECT_TRUE(installer.Running());
    EXPECT_TRUE(IsWindowVisible(page));
    EXPECT_EQ(TopLevelWindows(installer.Id()), std::vector<HWND>{page});
    EXPECT_EQ(ReadControls(page), before);
}

// Ends the installer through the plain page's 取消 answered 是: exit code 1.
void CancelWithYes(const Process& installer, HWND page) {
    ASSERT_TRUE(Click(page, IDCANCEL));
    HWND box = WaitForBoxOver(installer, page);
    ASSERT_NE(box, nullptr) << "no cancel question";
    ASSERT_TRUE(Click(box, IDYES));
    EXPECT_EQ(installer.WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(1));
}

TEST(E2e, SecondInstance) {
    std::string error;
    auto first = StartInstaller(g_paths, &error);
    ASSERT_TRUE(first) << error;
    HWND page = WaitForWelcomePage(*first);
    ASSERT_NE(page, nullptr) << "the first instance shows no welcome page";
    ExpectShot(page, "welcome-first");
    const auto before = ReadControls(page);

    auto second = StartInstaller(g_paths, &error);
    ASSERT_TRUE(second) << error;
    HWND box = WaitForDialog(
        *second, [](HWND) { return true; }, kStartTimeoutMs);
    ASSERT_NE(box, nullptr) << "the second instance shows no window";
    ASSERT_TRUE(IsMessageBox(box))
        << "the second instance shows \"" << Text(box) << "\" instead of its message box";
    const MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ(view.text, kSecondInstance);
    EXPECT_EQ(view.caption, kInstallerCaption);
    EXPECT_EQ(ButtonIds(view), std::vector<int>{IDOK});
    // The refusal comes before any page: the box is the second instance's only window.
    EXPECT_EQ(TopLevelWindows(second->Id()), std::vector<HWND>{box});
    ExpectShot(box, "second-instance");

    ASSERT_TRUE(Click(box, IDOK));
    EXPECT_TRUE(second->WaitForExit(kReactionTimeoutMs).has_value())
        << "the second instance went on after its message box";

    // The first instance noticed nothing.
    ExpectPageUnchanged(*first, page, before);
    CancelWithYes(*first, page);
}

TEST(E2e, PlainWelcome) {
    std::string error;
    // The model's driver alone, with no queue using it, and a queue of another driver: the
    // page lists queues of the model only, so this is still the plain welcome.
    ASSERT_TRUE(AddDriver(kModelDriver, &error)) << error;
    ASSERT_TRUE(AddDriver(kOtherDriver, &error)) << error;
    ASSERT_TRUE(AddQueue("Contoso Laser", "FILE:", kOtherDriver, &error)) << error;

    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = WaitForWelcomePage(*installer);
    ASSERT_NE(page, nullptr);
    ExpectShot(page, "welcome");

    EXPECT_EQ(ControlText(page, IDC_WELCOME_GREETING), kGreeting);
    EXPECT_EQ(ControlText(page, IDC_WELCOME_LINE), kLinePlain);
    EXPECT_EQ(ControlText(page, IDC_WELCOME_BLOCK), "");
    EXPECT_EQ(ControlText(page, IDC_WELCOME_TIP), kTip);
    EXPECT_FALSE(ControlVisible(page, IDC_WELCOME_LIST));
    EXPECT_FALSE(ControlVisible(page, IDC_WELCOME_CONTINUE));
    EXPECT_TRUE(ControlVisible(page, IDOK));
    EXPECT_TRUE(ControlVisible(page, IDCANCEL));
    EXPECT_EQ(ControlText(page, IDOK), "下一步(&N)");
    EXPECT_EQ(ControlText(page, IDCANCEL), "取消");
    const auto before = ReadControls(page);

    // Esc is the page's 取消: the question, answered 否, leaves the page as it was.
    PressKey(page, VK_ESCAPE);
    HWND box = WaitForBoxOver(*installer, page);
    ASSERT_NE(box, nullptr) << "Esc raised no cancel question";
    ExpectCancelQuestion(box);
    ExpectShot(box, "cancel-question");
    ASSERT_TRUE(Click(box, IDNO));
    ASSERT_TRUE(WaitGone(box));
    ExpectPageUnchanged(*installer, page, before);

    // Enter in the question presses its default button, 否.
    ASSERT_TRUE(Click(page, IDCANCEL));
    box = WaitForBoxOver(*installer, page);
    ASSERT_NE(box, nullptr) << "取消 raised no cancel question";
    ExpectCancelQuestion(box);
    PressKey(box, VK_RETURN);
    ASSERT_TRUE(WaitGone(box)) << "Enter did not answer the question";
    ExpectPageUnchanged(*installer, page, before);

    CancelWithYes(*installer, page);

    // The close button asks the same question, but 是 there ends the program normally.
    auto again = StartInstaller(g_paths, &error);
    ASSERT_TRUE(again) << error;
    page = WaitForWelcomePage(*again);
    ASSERT_NE(page, nullptr) << "no welcome page after the first run ended";
    Close(page);
    box = WaitForBoxOver(*again, page);
    ASSERT_NE(box, nullptr) << "the close button raised no question";
    ExpectCancelQuestion(box);
    ASSERT_TRUE(Click(box, IDYES));
    EXPECT_EQ(again->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(0));
}

TEST(E2e, InstalledQueues) {
    std::string error;
    ASSERT_TRUE(AddDriver(kModelDriver, &error)) << error;
    ASSERT_TRUE(AddDriver(kOtherDriver, &error)) << error;
    // Created in an order that differs from the name order, with a name in the code page and a
    // port named like a TCP/IP port (only a name: Wine accepts any port name).
    ASSERT_TRUE(AddQueue("财务部 TQ8240", "192.168.0.20", kModelDriver, &error)) << error;
    ASSERT_TRUE(AddQueue("Contoso Laser", "FILE:", kOtherDriver, &error)) << error;
    ASSERT_TRUE(AddQueue("Kestra TQ8240 Series", "LPT1:", kModelDriver, &error)) << error;

    std::vector<std::vector<std::string>> expectedRows;  // the model's queues, spooler order
    for (const auto& q : ListQueues()) {
        if (q.driver == kModelDriver) expectedRows.push_back({q.name, q.port});
    }
    ASSERT_EQ(expectedRows.size(), 2u) << "the spooler did not keep both queues of the model";
    const auto queuesBefore = ListQueues().size();

    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = WaitForWelcomePage(*installer);
    ASSERT_NE(page, nullptr);
    ExpectShot(page, "welcome-installed");

    EXPECT_EQ(ControlText(page, IDC_WELCOME_GREETING), kGreeting);
    EXPECT_EQ(ControlText(page, IDC_WELCOME_LINE), kLineInstalled);
    EXPECT_EQ(ControlText(page, IDC_WELCOME_BLOCK), kBlockInstalled);
    EXPECT_TRUE(ControlVisible(page, IDC_WELCOME_CONTINUE));
    EXPECT_EQ(ControlText(page, IDC_WELCOME_CONTINUE), "继续(&G)");
    EXPECT_EQ(ControlText(page, IDOK), "重启");
    EXPECT_EQ(ControlText(page, IDCANCEL), "关闭");

    EXPECT_TRUE(ControlVisible(page, IDC_WELCOME_LIST));
    const auto list = ReadListView(GetDlgItem(page, IDC_WELCOME_LIST));
    ASSERT_TRUE(list) << "cannot read the list view";
    EXPECT_EQ(list->columns, (std::vector<std::string>{"打印机名称", "端口"}));
    EXPECT_EQ(list->columnWidths, (std::vector<int>{220, 220}));
    EXPECT_EQ(list->rows, expectedRows);

    // 关闭 ends the installer at once, without the cancel question.
    ASSERT_TRUE(Click(page, IDCANCEL));
    HWND box = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : TopLevelWindows(installer->Id())) {
                if (w != page && IsMessageBox(w)) box = w;
            }
            return box != nullptr || !installer->Running();
        },
        kReactionTimeoutMs, installer->Handle());
    EXPECT_EQ(box, nullptr) << "关闭 asked: " << ReadMessageBox(box).text;
    EXPECT_EQ(installer->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(0));
    EXPECT_EQ(ListQueues().size(), queuesBefore) << "closing the page changed the queues";
}

}  // namespace
}  // namespace tq::e2e

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    std::string error;
    auto paths = tq::e2e::ParseRunPaths(argc, argv, &error);
    if (!paths) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    tq::e2e::g_paths = *paths;
    const int status = RUN_ALL_TESTS();
    // A filter that names no scenario must not pass as an empty run.
    if (testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        std::fprintf(stderr, "no scenario matched the filter\n");
        return 2;
    }
    return status;
}

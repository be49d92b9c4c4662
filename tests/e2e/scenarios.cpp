// End-to-end scenarios of TQ82Ins.exe: the installer from the test medium, driven through its
// windows. Each scenario is one TEST; scripts/e2e-scenario.sh runs one of them per fresh Wine
// prefix (--gtest_filter=E2e.NAME) with --installer and --shots.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "tests/e2e/installer.h"
#include "tests/e2e/robot.h"
#include "tests/e2e/scenario_steps.h"
#include "tests/e2e/spooler_setup.h"
#include "tests/e2e/system_state.h"

namespace tq::e2e {
namespace {

constexpr char kGreeting[] = "欢迎使用Kestra TQ8240 Series打印机系统安装向导。";
constexpr char kTip[] = "温馨提示：如果您的安全软件有安装提示，请选择信任并继续安装。";
constexpr char kLinePlain[] = "建议您先关闭其它所有应用程序，再继续本安装向导。";
constexpr char kLineInstalled[] =
    "在您的计算机上已经安装了  Kestra TQ8240 Series 型号打印机，如下表：";
constexpr char kBlockInstalled[] =
    "如果您要继续安装，为了保证文件更新，建议您重新启动计算机，重启前请关闭其他所有应用程序，"
    "重启后本安装程序自动运行，重启，请点击重启按钮；\n如果您想直接安装不重启，请点击继续按钮;\n"
    "如果您不想继续安装，请点击关闭按钮，结束安装程序。";
constexpr char kSecondInstance[] =
    "此安装程序已有一个实例在运行。\n请完成它，或取消它再运行此安装程序。";
constexpr char kOtherDriver[] = "Contoso Laser 500";

constexpr char kNameExplain[] =
    "您可以使用以下提供的名称或键入一个新名称。该名称将用于标识“打印机”文件夹中的打印机。";
constexpr char kNameCaption[] = "打印机名称错误";
constexpr char kNameEmpty[] = "打印机名称不能为空。";
constexpr char kNameTooLong[] = "打印机名称太长，请输入较短的名称。";
constexpr char kNameInvalid[] =
    "打印机名称不能包含下列字符：\\ / : * ? \" < > | ,\n也不能只由句点组成，或以句点或空格结尾，"
    "或是设备名称（如 CON、PRN、NUL、COM1、LPT1）。";
constexpr char kNameOverwrite[] =
    "已存在该名称的打印机，是否覆盖？\n覆盖，请选择是；重新输入名称，请选择否。";
constexpr char kShareExplain[] = "指示您的计算机是否将此打印机作为共享资源供其他网络用户使用。";
constexpr char kShareCaption[] = "共享名错误";
constexpr char kShareEmpty[] = "共享名不能为空。";
constexpr char kShareExists[] = "共享名已存在。";
constexpr char kProposedShare[] = "KestraTQ";

// A warning with one OK button: exact text and caption.
void ExpectWarning(const MessageBoxView& view, const char* text, const char* caption) {
    EXPECT_EQ(view.text, text);
    EXPECT_EQ(view.caption, caption);
    EXPECT_EQ(ButtonIds(view), std::vector<int>{IDOK});
}

// The Back, Next and Cancel buttons of the pages after the welcome page.
void ExpectFrameButtons(HWND page) {
    EXPECT_EQ(ControlText(page, IDC_BACK), "上一步(&B)");
    EXPECT_EQ(ControlText(page, IDOK), "下一步(&N)");
    EXPECT_EQ(ControlText(page, IDCANCEL), "取消");
    EXPECT_EQ(Style(GetDlgItem(page, IDOK)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

// The page is still up and alone after a box it raised: no other page was opened behind it.
void ExpectStaysOn(const Process& installer, HWND page) {
    EXPECT_TRUE(installer.Running());
    EXPECT_TRUE(IsWindow(page) && IsWindowVisible(page)) << "the page was left";
    EXPECT_EQ(TopLevelWindows(installer.Id()), std::vector<HWND>{page});
}

// After a question answered No the page must be exactly as it was.
void ExpectPageUnchanged(const Process& installer, HWND page,
                         const std::vector<ControlView>& before) {
    ExpectStaysOn(installer, page);
    EXPECT_EQ(ReadControls(page), before);
}

// After refusing what was typed the page puts the focus into the field, the last step of its
// handler. The box closes before that step (and before the field is emptied where it is), so
// wait for the focus first; then the page can be read.
void ExpectRefusalHandled(const Process& installer, HWND page, int fieldId) {
    EXPECT_TRUE(
        WaitUntil([&] { return FocusIn(page) == GetDlgItem(page, fieldId); }, kReactionTimeoutMs))
        << "the focus is not back in the field";
    ExpectStaysOn(installer, page);
}

// A click on a check box or option button is posted: wait until it has been handled.
bool WaitChecked(HWND page, int id, bool checked = true) {
    return WaitUntil([&] { return ControlChecked(page, id) == checked; }, kReactionTimeoutMs);
}

// Presses Next on `page` and answers the message box it must raise with `answer`; returns
// what the box showed (empty when there was none).
std::optional<MessageBoxView> NextAnswering(const Process& installer, HWND page, int answer,
                                            const char* shot = nullptr) {
    if (!Click(page, IDOK)) return std::nullopt;
    HWND box = WaitForBoxOver(installer, page);
    if (box == nullptr) return std::nullopt;
    const MessageBoxView view = ReadMessageBox(box);
    if (shot != nullptr) ExpectShot(box, shot);
    if (!Click(box, answer) || !WaitGone(box)) return std::nullopt;
    return view;
}

// From the start to the printer name page through the plain welcome's 下一步.
HWND OpenPrinterNamePage(const Process& installer) {
    HWND welcome = WaitForWelcomePage(installer);
    if (welcome == nullptr || !Click(welcome, IDOK)) return nullptr;
    return WaitForPrinterNamePage(installer);
}

// Next on the printer name page (with whatever it holds) to the sharing page.
HWND OpenSharingPage(const Process& installer) {
    HWND page = OpenPrinterNamePage(installer);
    if (page == nullptr || !Click(page, IDOK)) return nullptr;
    return WaitForSharingPage(installer);
}

HWND OpenConnectionTypePage(const Process& installer) {
    HWND page = OpenSharingPage(installer);
    if (page == nullptr || !Click(page, IDOK)) return nullptr;
    return WaitForConnectionTypePage(installer);
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

// Two queues of the model and one of another driver: the installed-queues view, then 关闭.
void ShowInstalledQueuesAndClose() {
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

TEST(E2e, InstalledQueues) {
    ShowInstalledQueuesAndClose();
}

TEST(E2e, PrinterNameKept) {
    std::string error;
    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = OpenPrinterNamePage(*installer);
    ASSERT_NE(page, nullptr) << "下一步 on the welcome page opened no printer name page";
    ExpectShot(page, "printer-name");

    EXPECT_EQ(ControlText(page, IDC_NAME_EXPLAIN), kNameExplain);
    EXPECT_EQ(ControlText(page, IDC_NAME_LABEL), "打印机名称(&P)：");
    EXPECT_EQ(ControlText(page, IDC_NAME_GROUP), "默认打印机：");
    EXPECT_EQ(ControlText(page, IDC_NAME_DEFAULT), "请将此打印机用作默认打印机(&U)。");
    ExpectFrameButtons(page);
    // First visit: the model's name, to become the default printer.
    EXPECT_EQ(ControlText(page, IDC_NAME_EDIT), kModelDriver);
    EXPECT_TRUE(ControlChecked(page, IDC_NAME_DEFAULT));

    // Next stores a changed name (in the code page) and a cleared box; Back shows them again.
    const std::string name = "财务部 激光打印机";
    ASSERT_TRUE(SetControlText(page, IDC_NAME_EDIT, name));
    ASSERT_TRUE(Click(page, IDC_NAME_DEFAULT));
    ASSERT_TRUE(WaitChecked(page, IDC_NAME_DEFAULT, false));
    ASSERT_TRUE(Click(page, IDOK));
    HWND sharing = WaitForSharingPage(*installer);
    ASSERT_NE(sharing, nullptr) << "下一步 with a good name did not reach the sharing page";
    ASSERT_TRUE(Click(sharing, IDC_BACK));
    page = WaitForPrinterNamePage(*installer);
    ASSERT_NE(page, nullptr) << "上一步 on the sharing page did not come back";
    EXPECT_EQ(ControlText(page, IDC_NAME_EDIT), name);
    EXPECT_FALSE(ControlChecked(page, IDC_NAME_DEFAULT));

    // Back stores nothing: what is typed before going back to the welcome page is forgotten.
    ASSERT_TRUE(SetControlText(page, IDC_NAME_EDIT, "Forgotten"));
    ASSERT_TRUE(Click(page, IDC_NAME_DEFAULT));
    ASSERT_TRUE(WaitChecked(page, IDC_NAME_DEFAULT));
    ASSERT_TRUE(Click(page, IDC_BACK));
    page = OpenPrinterNamePage(*installer);
    ASSERT_NE(page, nullptr) << "no way back to the printer name page through the welcome page";
    EXPECT_EQ(ControlText(page, IDC_NAME_EDIT), name);
    EXPECT_FALSE(ControlChecked(page, IDC_NAME_DEFAULT));

    // A stored name that is the model's in other letters shows as the model's own name.
    ASSERT_TRUE(SetControlText(page, IDC_NAME_EDIT, "KESTRA tq8240 series"));
    ASSERT_TRUE(Click(page, IDOK));
    sharing = WaitForSharingPage(*installer);
    ASSERT_NE(sharing, nullptr);
    ASSERT_TRUE(Click(sharing, IDC_BACK));
    page = WaitForPrinterNamePage(*installer);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ControlText(page, IDC_NAME_EDIT), kModelDriver);

    // Typing stops at 32 characters (WM_SETTEXT would bypass the limit; keys do not).
    HWND edit = GetDlgItem(page, IDC_NAME_EDIT);
    const std::string ascii33 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456";
    ASSERT_TRUE(SetControlText(page, IDC_NAME_EDIT, ""));
    ASSERT_TRUE(TypeText(edit, ascii33, kReactionTimeoutMs));
    EXPECT_EQ(ControlText(page, IDC_NAME_EDIT), ascii33.substr(0, 32));

    // Double-byte characters: the edit of this ANSI dialog may count bytes (Windows) or
    // characters (Wine); either way the 33rd character is refused. A name that does not fit the
    // 36-byte record is refused on Next rather than cut.
    std::string typed;
    for (int i = 0; i < 33; ++i) typed += "印";
    ASSERT_TRUE(SetControlText(page, IDC_NAME_EDIT, ""));
    ASSERT_TRUE(TypeText(edit, typed, kReactionTimeoutMs));
    const std::string shown = ControlText(page, IDC_NAME_EDIT);
    const size_t shownCharacters = Wide(shown).size();
    std::printf("name field: 33 double-byte characters typed, %zu kept (%zu bytes)\n",
                shownCharacters, ToAnsi(shown).size());
    RecordProperty("name_field_double_byte_characters_kept", static_cast<int>(shownCharacters));
    EXPECT_TRUE(shownCharacters == 32 || shownCharacters == 16) << shown;
    EXPECT_EQ(typed.rfind(shown, 0), 0u) << shown;
    ExpectShot(page, "printer-name-long");
    if (ToAnsi(shown).size() > 35) {
        auto tooLong = NextAnswering(*installer, page, IDOK, "name-too-long");
        ASSERT_TRUE(tooLong) << "a name too long for the record was not refused";
        ExpectWarning(*tooLong, kNameTooLong, kNameCaption);
        ExpectRefusalHandled(*installer, page, IDC_NAME_EDIT);
        EXPECT_EQ(ControlText(page, IDC_NAME_EDIT), shown);
    } else {
        ASSERT_TRUE(Click(page, IDOK));
        sharing = WaitForSharingPage(*installer);
        ASSERT_NE(sharing, nullptr);
        ASSERT_TRUE(Click(sharing, IDC_BACK));
        page = WaitForPrinterNamePage(*installer);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(ControlText(page, IDC_NAME_EDIT), shown);
    }

    // The close button of a page after the welcome page asks the cancel question, and 是
    // cancels: exit code 1.
    Close(page);
    HWND box = WaitForBoxOver(*installer, page);
    ASSERT_NE(box, nullptr) << "the close button raised no question";
    ExpectCancelQuestion(box);
    ASSERT_TRUE(Click(box, IDYES));
    EXPECT_EQ(installer->WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(1));
}

TEST(E2e, PrinterNameRefused) {
    std::string error;
    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = OpenPrinterNamePage(*installer);
    ASSERT_NE(page, nullptr);

    // An empty name: the message, and the page stays with the focus in the field. The box's
    // state is stored before the check.
    ASSERT_TRUE(Click(page, IDC_NAME_DEFAULT));
    ASSERT_TRUE(WaitChecked(page, IDC_NAME_DEFAULT, false));
    ASSERT_TRUE(SetControlText(page, IDC_NAME_EDIT, ""));
    auto box = NextAnswering(*installer, page, IDOK, "name-empty");
    ASSERT_TRUE(box) << "an empty name raised no message";
    ExpectWarning(*box, kNameEmpty, kNameCaption);
    ExpectRefusalHandled(*installer, page, IDC_NAME_EDIT);

    // Names that cannot name a queue or a folder are refused before anything is stored; the
    // field keeps what was typed. Ticked again: a refused name must not store the box.
    ASSERT_TRUE(Click(page, IDC_NAME_DEFAULT));
    ASSERT_TRUE(WaitChecked(page, IDC_NAME_DEFAULT));
    const char* const invalid[] = {
        "..\\..\\Windows", "Kestra/TQ", "TQ:8240", "TQ*",     "TQ8240?", "\"TQ\"",   "<TQ>",
        "TQ|8240",         "TQ,8240",   "...",     "TQ8240.", "TQ8240 ", "TQ\t8240",
        "con",             "Lpt1.txt",
    };
    for (const char* name : invalid) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(SetControlText(page, IDC_NAME_EDIT, name));
        box = NextAnswering(*installer, page, IDOK, name == invalid[0] ? "name-invalid" : nullptr);
        ASSERT_TRUE(box) << "the name was not refused";
        ExpectWarning(*box, kNameInvalid, kNameCaption);
        ExpectRefusalHandled(*installer, page, IDC_NAME_EDIT);
        EXPECT_EQ(ControlText(page, IDC_NAME_EDIT), name);
    }

    // What was stored: the cleared box of the empty name, not the ticked one of the refused
    // names; the empty name itself shows as the model's name.
    ASSERT_TRUE(Click(page, IDC_BACK));
    page = OpenPrinterNamePage(*installer);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(ControlChecked(page, IDC_NAME_DEFAULT));
    EXPECT_EQ(ControlText(page, IDC_NAME_EDIT), kModelDriver);

    // Double-byte characters whose second byte is the byte of \ or | are no such characters.
    const std::string dbcs = "億東乗 打印机";
    ASSERT_TRUE(ToAnsi(dbcs).find_first_of("\\|") != std::string::npos);
    ASSERT_TRUE(SetControlText(page, IDC_NAME_EDIT, dbcs));
    ASSERT_TRUE(Click(page, IDOK));
    HWND sharing = WaitForSharingPage(*installer);
    ASSERT_NE(sharing, nullptr) << "\"" << dbcs << "\" was refused";
    CancelWithYes(*installer, sharing);
}

// The overwrite question for a queue of the model, answered 否 then 是.
void AnswerOverwriteQuestion() {
    std::string error;
    ASSERT_TRUE(AddDriver(kModelDriver, &error)) << error;
    ASSERT_TRUE(AddDriver(kOtherDriver, &error)) << error;
    ASSERT_TRUE(AddQueue("Office", "LPT1:", kModelDriver, &error)) << error;
    ASSERT_TRUE(AddQueue("Contoso Laser", "FILE:", kOtherDriver, &error)) << error;
    auto queueNamed = [](const std::string& name) {
        for (const auto& q : ListQueues()) {
            if (q.name == name) return true;
        }
        return false;
    };

    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND welcome = WaitForWelcomePage(*installer);
    ASSERT_NE(welcome, nullptr);
    ASSERT_TRUE(ControlVisible(welcome, IDC_WELCOME_CONTINUE)) << "not the installed-queues view";
    ASSERT_TRUE(Click(welcome, IDC_WELCOME_CONTINUE));
    HWND page = WaitForPrinterNamePage(*installer);
    ASSERT_NE(page, nullptr) << "继续 opened no printer name page";

    // The name of another driver's queue is no reason to ask.
    ASSERT_TRUE(SetControlText(page, IDC_NAME_EDIT, "contoso laser"));
    ASSERT_TRUE(Click(page, IDOK));
    HWND sharing = WaitForSharingPage(*installer);
    ASSERT_NE(sharing, nullptr) << "the name of another driver's queue kept the page";
    EXPECT_EQ(TopLevelWindows(installer->Id()), std::vector<HWND>{sharing});
    ASSERT_TRUE(Click(sharing, IDC_BACK));
    page = WaitForPrinterNamePage(*installer);
    ASSERT_NE(page, nullptr);

    // The model's queue under other letters: the question; 否 empties the field and stays.
    ASSERT_TRUE(SetControlText(page, IDC_NAME_EDIT, "OFFICE"));
    ASSERT_TRUE(Click(page, IDOK));
    HWND box = WaitForBoxOver(*installer, page);
    ASSERT_NE(box, nullptr) << "no overwrite question";
    const MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ(view.text, kNameOverwrite);
    EXPECT_EQ(view.caption, kNameCaption);
    EXPECT_EQ(ButtonIds(view), (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(view.focusId, IDNO) << "否 is not the default answer";
    ExpectShot(box, "overwrite-question");
    ASSERT_TRUE(Click(box, IDNO));
    ASSERT_TRUE(WaitGone(box));
    ExpectRefusalHandled(*installer, page, IDC_NAME_EDIT);
    EXPECT_EQ(ControlText(page, IDC_NAME_EDIT), "");
    EXPECT_TRUE(queueNamed("Office")) << "否 deleted the queue";

    // A double click on 下一步 asks once, and 取消 clicked under the question asks nothing (the
    // box has no owner: the page takes clicks meanwhile). 是 deletes the model's queue and moves
    // on; the other driver's queue stays.
    ASSERT_TRUE(SetControlText(page, IDC_NAME_EDIT, "OFFICE"));
    ASSERT_TRUE(Click(page, IDOK));
    ASSERT_TRUE(Click(page, IDOK));
    box = WaitForBoxOver(*installer, page);
    ASSERT_NE(box, nullptr) << "no overwrite question the second time";
    EXPECT_EQ(ReadMessageBox(box).text, kNameOverwrite);
    ASSERT_TRUE(Click(page, IDCANCEL));
    const auto boxes = [&] {
        const auto windows = TopLevelWindows(installer->Id());
        return std::count_if(windows.begin(), windows.end(), IsMessageBox);
    };
    EXPECT_FALSE(WaitUntil([&] { return boxes() > 1; }, 1000, installer->Handle()))
        << "a second question opened over the first";
    ASSERT_TRUE(Click(box, IDYES));
    sharing = WaitForSharingPage(*installer);
    ASSERT_NE(sharing, nullptr) << "是 did not move on to the sharing page";
    EXPECT_FALSE(queueNamed("Office")) << "是 left the queue in the spooler";
    EXPECT_TRUE(queueNamed("Contoso Laser"));
    CancelWithYes(*installer, sharing);
}

TEST(E2e, OverwriteQuestion) {
    AnswerOverwriteQuestion();
}

// The release medium's 32-bit installer under WOW64 finds the queues of the model installed for
// "Windows x64" (a 32-bit program that names no environment would look at "Windows NT x86"):
// the installed view, and the overwrite question for such a queue.
TEST(E2e, Wow64InstalledQueues) {
    ASSERT_TRUE(IsReleaseInstaller()) << kNotReleaseInstaller;
    ShowInstalledQueuesAndClose();
}

TEST(E2e, Wow64OverwriteQuestion) {
    ASSERT_TRUE(IsReleaseInstaller()) << kNotReleaseInstaller;
    AnswerOverwriteQuestion();
}

TEST(E2e, ShareName) {
    std::string error;
    // One queue that records the proposed name without being shared, one shared queue.
    ASSERT_TRUE(AddDriver(kOtherDriver, &error)) << error;
    ASSERT_TRUE(AddQueueWithShareName("Contoso Laser", "FILE:", kOtherDriver, kProposedShare, false,
                                      &error))
        << error;
    ASSERT_TRUE(
        AddQueueWithShareName("Contoso Front", "LPT2:", kOtherDriver, "FrontDesk", true, &error))
        << error;
    std::vector<std::pair<std::string, bool>> shares;
    for (const auto& q : ListQueues()) {
        shares.emplace_back(q.shareName, (q.attributes & PRINTER_ATTRIBUTE_SHARED) != 0);
    }
    std::sort(shares.begin(), shares.end());
    ASSERT_EQ(shares, (std::vector<std::pair<std::string, bool>>{{"FrontDesk", true},
                                                                 {kProposedShare, false}}))
        << "the spooler did not keep the share names as given";

    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = OpenSharingPage(*installer);
    ASSERT_NE(page, nullptr) << "no sharing page after the printer name page";
    ExpectShot(page, "sharing");

    EXPECT_EQ(ControlText(page, IDC_SHARE_EXPLAIN), kShareExplain);
    EXPECT_EQ(ControlText(page, IDC_SHARE_NONE), "不共享(&O)");
    EXPECT_EQ(ControlText(page, IDC_SHARE_AS), "共享为(&S)：");
    ExpectFrameButtons(page);
    // First visit: not shared, the name field empty and disabled.
    EXPECT_TRUE(ControlChecked(page, IDC_SHARE_NONE));
    EXPECT_FALSE(ControlChecked(page, IDC_SHARE_AS));
    EXPECT_EQ(ControlText(page, IDC_SHARE_NAME), "");
    EXPECT_FALSE(ControlEnabled(page, IDC_SHARE_NAME));

    // 共享为 enables the field and proposes the fixed name, again after every edit.
    ASSERT_TRUE(Click(page, IDC_SHARE_AS));
    ASSERT_TRUE(WaitUntil([&] { return ControlText(page, IDC_SHARE_NAME) == kProposedShare; },
                          kReactionTimeoutMs))
        << "共享为 did not propose " << kProposedShare;
    EXPECT_TRUE(ControlEnabled(page, IDC_SHARE_NAME));
    EXPECT_FALSE(ControlChecked(page, IDC_SHARE_NONE));
    ExpectShot(page, "sharing-as");
    // Typing stops at 12 characters.
    HWND field = GetDlgItem(page, IDC_SHARE_NAME);
    ASSERT_TRUE(SetControlText(page, IDC_SHARE_NAME, ""));
    ASSERT_TRUE(TypeText(field, "ABCDEFGHIJKLM", kReactionTimeoutMs));
    EXPECT_EQ(ControlText(page, IDC_SHARE_NAME), "ABCDEFGHIJKL");
    ASSERT_TRUE(Click(page, IDC_SHARE_AS));
    ASSERT_TRUE(WaitUntil([&] { return ControlText(page, IDC_SHARE_NAME) == kProposedShare; },
                          kReactionTimeoutMs))
        << "choosing 共享为 again did not put " << kProposedShare << " back";

    // The proposed name is recorded by a queue that is not shared: refused all the same; the
    // field is emptied and keeps the focus.
    auto box = NextAnswering(*installer, page, IDOK, "share-exists");
    ASSERT_TRUE(box) << "a recorded share name was not refused";
    ExpectWarning(*box, kShareExists, kShareCaption);
    ExpectRefusalHandled(*installer, page, IDC_SHARE_NAME);
    EXPECT_EQ(ControlText(page, IDC_SHARE_NAME), "");

    // The choice and the refused name were stored before the check: Back and Next show them.
    ASSERT_TRUE(Click(page, IDC_BACK));
    HWND namePage = WaitForPrinterNamePage(*installer);
    ASSERT_NE(namePage, nullptr);
    ASSERT_TRUE(Click(namePage, IDOK));
    page = WaitForSharingPage(*installer);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(ControlChecked(page, IDC_SHARE_AS));
    EXPECT_FALSE(ControlChecked(page, IDC_SHARE_NONE));
    EXPECT_EQ(ControlText(page, IDC_SHARE_NAME), kProposedShare);
    EXPECT_TRUE(ControlEnabled(page, IDC_SHARE_NAME));

    // A shared queue's name under other letters; then the emptied field.
    ASSERT_TRUE(SetControlText(page, IDC_SHARE_NAME, "frontdesk"));
    box = NextAnswering(*installer, page, IDOK);
    ASSERT_TRUE(box) << "a shared queue's name was not refused";
    EXPECT_EQ(box->text, kShareExists);
    ExpectRefusalHandled(*installer, page, IDC_SHARE_NAME);
    EXPECT_EQ(ControlText(page, IDC_SHARE_NAME), "");
    box = NextAnswering(*installer, page, IDOK, "share-empty");
    ASSERT_TRUE(box) << "an empty share name was not refused";
    ExpectWarning(*box, kShareEmpty, kShareCaption);
    ExpectRefusalHandled(*installer, page, IDC_SHARE_NAME);

    // A free name moves on and comes back with the page.
    ASSERT_TRUE(SetControlText(page, IDC_SHARE_NAME, "Finance"));
    ASSERT_TRUE(Click(page, IDOK));
    HWND connection = WaitForConnectionTypePage(*installer);
    ASSERT_NE(connection, nullptr) << "a free share name did not move on";
    ASSERT_TRUE(Click(connection, IDC_BACK));
    page = WaitForSharingPage(*installer);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(ControlChecked(page, IDC_SHARE_AS));
    EXPECT_EQ(ControlText(page, IDC_SHARE_NAME), "Finance");

    // 不共享 disables the field but keeps its text; Next does not check a name that is not
    // used, even a taken one, and the page comes back not shared with an empty field.
    ASSERT_TRUE(SetControlText(page, IDC_SHARE_NAME, kProposedShare));
    ASSERT_TRUE(Click(page, IDC_SHARE_NONE));
    ASSERT_TRUE(
        WaitUntil([&] { return !ControlEnabled(page, IDC_SHARE_NAME); }, kReactionTimeoutMs));
    EXPECT_EQ(ControlText(page, IDC_SHARE_NAME), kProposedShare);
    ASSERT_TRUE(Click(page, IDOK));
    connection = WaitForConnectionTypePage(*installer);
    ASSERT_NE(connection, nullptr) << "不共享 with a taken name in the field kept the page";
    ASSERT_TRUE(Click(connection, IDC_BACK));
    page = WaitForSharingPage(*installer);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(ControlChecked(page, IDC_SHARE_NONE));
    EXPECT_EQ(ControlText(page, IDC_SHARE_NAME), "");
    EXPECT_FALSE(ControlEnabled(page, IDC_SHARE_NAME));
    CancelWithYes(*installer, page);
}

TEST(E2e, ConnectionType) {
    const int options[] = {IDC_CONN_USB, IDC_CONN_PARALLEL, IDC_CONN_NETWORK, IDC_CONN_SHARED};
    auto chosen = [&](HWND page) {
        std::vector<int> on;
        for (int id : options) {
            if (ControlChecked(page, id)) on.push_back(id);
        }
        return on;
    };

    std::string error;
    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = OpenConnectionTypePage(*installer);
    ASSERT_NE(page, nullptr) << "no connection type page after the sharing page";
    ExpectShot(page, "connection-type");

    EXPECT_EQ(ControlText(page, IDC_CONN_PROMPT), "选择正确的连接方法。");
    EXPECT_EQ(ControlText(page, IDC_CONN_USB), "带USB电缆的本地打印机(&U)");
    EXPECT_EQ(ControlText(page, IDC_CONN_USB_TEXT), "用USB电缆将打印机和计算机直接相连");
    EXPECT_EQ(ControlText(page, IDC_CONN_PARALLEL), "带并行电缆的本地打印机(&L)");
    EXPECT_EQ(ControlText(page, IDC_CONN_PARALLEL_TEXT), "用并行电缆将打印机和计算机相连");
    EXPECT_EQ(ControlText(page, IDC_CONN_NETWORK), "网络打印机(&I)");
    EXPECT_EQ(ControlText(page, IDC_CONN_NETWORK_TEXT), "直接接入网络的打印机");
    EXPECT_EQ(ControlText(page, IDC_CONN_SHARED), "网络共享打印机(&S)");
    EXPECT_EQ(ControlText(page, IDC_CONN_SHARED_TEXT),
              "连接到由网络上的服务器或另一台计算机管理的打印机");
    ExpectFrameButtons(page);
    // First visit: USB, and only USB, enabled as on any system but NT 4.0.
    EXPECT_EQ(chosen(page), std::vector<int>{IDC_CONN_USB});
    EXPECT_TRUE(ControlEnabled(page, IDC_CONN_USB));

    // The options are one group: a click moves the choice. Back stores nothing, so the page
    // opens on USB again.
    ASSERT_TRUE(Click(page, IDC_CONN_NETWORK));
    ASSERT_TRUE(WaitChecked(page, IDC_CONN_NETWORK));
    EXPECT_EQ(chosen(page), std::vector<int>{IDC_CONN_NETWORK});
    ASSERT_TRUE(Click(page, IDC_BACK));
    HWND sharing = WaitForSharingPage(*installer);
    ASSERT_NE(sharing, nullptr) << "上一步 did not lead to the sharing page";
    ASSERT_TRUE(Click(sharing, IDOK));
    page = WaitForConnectionTypePage(*installer);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(chosen(page), std::vector<int>{IDC_CONN_USB});

    // Esc and the close button ask the cancel question; 否 leaves the page and the choice.
    ASSERT_TRUE(Click(page, IDC_CONN_SHARED));
    ASSERT_TRUE(WaitChecked(page, IDC_CONN_SHARED));
    const auto before = ReadControls(page);
    PressKey(page, VK_ESCAPE);
    HWND box = WaitForBoxOver(*installer, page);
    ASSERT_NE(box, nullptr) << "Esc raised no cancel question";
    ExpectCancelQuestion(box);
    ASSERT_TRUE(Click(box, IDNO));
    ASSERT_TRUE(WaitGone(box));
    ExpectPageUnchanged(*installer, page, before);
    EXPECT_EQ(chosen(page), std::vector<int>{IDC_CONN_SHARED});
    Close(page);
    box = WaitForBoxOver(*installer, page);
    ASSERT_NE(box, nullptr) << "the close button raised no cancel question";
    ExpectCancelQuestion(box);
    ASSERT_TRUE(Click(box, IDNO));
    ASSERT_TRUE(WaitGone(box));
    ExpectPageUnchanged(*installer, page, before);
    EXPECT_EQ(chosen(page), std::vector<int>{IDC_CONN_SHARED});
    // 取消 answered 是 cancels the installation: exit code 1.
    CancelWithYes(*installer, page);

    // A second run: the network printer option and 下一步 lead to the TCP/IP port page, whose
    // 上一步 on its first step comes back here with the choice kept. (USB and parallel lead to
    // the progress page: install_scenarios.cpp; the network pages: network_scenarios.cpp.)
    // The option is clicked while the cancel question is open (the box has no owner, so the
    // page takes clicks): what the page shows after 否 is what 下一步 follows.
    auto again = StartInstaller(g_paths, &error);
    ASSERT_TRUE(again) << error;
    page = OpenConnectionTypePage(*again);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(Click(page, IDCANCEL));
    box = WaitForBoxOver(*again, page);
    ASSERT_NE(box, nullptr) << "取消 raised no cancel question";
    ASSERT_TRUE(Click(page, IDC_CONN_NETWORK));
    ASSERT_TRUE(WaitChecked(page, IDC_CONN_NETWORK));
    ASSERT_TRUE(Click(box, IDNO));
    ASSERT_TRUE(WaitGone(box));
    EXPECT_EQ(chosen(page), std::vector<int>{IDC_CONN_NETWORK});
    ASSERT_TRUE(Click(page, IDOK));
    HWND port = WaitForTcpIpPortPage(*again);
    ASSERT_NE(port, nullptr) << "网络打印机 and 下一步 did not open the TCP/IP port page";
    ASSERT_TRUE(Click(port, IDC_BACK));
    page = WaitForConnectionTypePage(*again);
    ASSERT_NE(page, nullptr) << "上一步 on the TCP/IP port page did not come back";
    EXPECT_EQ(chosen(page), std::vector<int>{IDC_CONN_NETWORK});
    CancelWithYes(*again, page);
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

#include "install/app/page_events.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "install/app/connection_type_page.h"
#include "install/app/printer_name_page.h"
#include "install/app/sharing_page.h"
#include "install/model.h"
#include "install/network/tcpip_port_page.h"
#include "install/res/resource.h"
#include "install/system/platform_class.h"
#include "tests/support/fake_setup_libraries.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/fake_system_names.h"
#include "tests/support/fake_ui.h"

namespace tq {
namespace {

using test::FakeControls;
using test::FakeUi;

// A page whose every handler logs its call and runs what the test scripts for it (as if the
// handler showed a box during which the events arrive), then returns the scripted result.
struct ScriptedPage : Page {
    std::vector<std::string> calls;
    std::function<void()> during;
    PageResult result;

    PageResult Handle(const std::string& what) {
        calls.push_back(what);
        if (during) std::exchange(during, nullptr)();
        return result;
    }
    int DialogId() const override { return 0; }
    void Open(PageControls&) override {}
    PageResult OnCommand(int control, PageControls&) override {
        return Handle("command " + std::to_string(control));
    }
    PageResult OnClose(PageControls&) override { return Handle("close"); }
    PageResult OnListClick(int, PageControls&) override { return Handle("list"); }
    PageResult OnTimer(int, PageControls&) override { return Handle("timer"); }
    PageResult OnMessage(unsigned, std::uintptr_t, std::intptr_t, PageControls&) override {
        return Handle("message");
    }
};

TEST(PageEvents, UserInputDuringAHandlerIsDroppedAndTheFirstEndIsFinal) {
    using Deliver = std::function<std::optional<PageResult>(PageEvents&)>;
    const Deliver command = [](PageEvents& e) { return e.Command(kIdOk); };
    const Deliver close = [](PageEvents& e) { return e.Close(); };
    const Deliver list = [](PageEvents& e) { return e.ListClick(7); };
    const Deliver timer = [](PageEvents& e) { return e.Timer(1); };
    const Deliver message = [](PageEvents& e) { return e.Message(1025, 0, 0); };
    const Deliver option = [](PageEvents& e) {
        return e.Command(IDC_CONN_NETWORK, PageEvents::ClickFrom::OptionButton);
    };
    struct Case {
        const char* what;
        Deliver nested;
        bool nestedRuns;
    };
    const Case cases[] = {
        {"a second click", command, false},
        {"the close button", close, false},
        {"a list click", list, false},
        {"a timer", timer, true},
        {"a program message", message, true},
        {"an option button that checked itself", option, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeControls controls;
        ScriptedPage page;
        PageEvents events(page, controls);
        std::optional<PageResult> nested;
        page.during = [&] {
            page.result = PageResult::End(1);  // what the nested handler, if it runs, returns
            nested = c.nested(events);
            page.result = PageResult::MoveTo(PageId::Sharing);
        };
        const std::optional<PageResult> outer = events.Command(kIdCancel);
        EXPECT_EQ(page.calls.size(), c.nestedRuns ? 2u : 1u);
        if (c.nestedRuns) {
            // The nested end came first: it stays the page's end, the outer result is dropped.
            ASSERT_TRUE(nested.has_value());
            EXPECT_EQ(nested->exitCode, 1);
            EXPECT_FALSE(outer.has_value());
        } else {
            EXPECT_FALSE(nested.has_value());
            ASSERT_TRUE(outer.has_value());
            EXPECT_EQ(outer->next, PageId::Sharing);
        }
        // Ended: nothing runs for the page any more.
        const std::size_t before = page.calls.size();
        for (const Deliver& later : {command, close, list, timer, message, option}) {
            EXPECT_FALSE(later(events).has_value());
        }
        EXPECT_EQ(page.calls.size(), before);
    }
}

struct Vista : SystemInfo {
    OsVersion Version() override { return {2, 6, 1}; }
    bool NativeArchitecture(std::uint16_t&) override { return false; }
};

// Two 下一步 clicks on the printer name page with the name of an installed queue: one overwrite
// question, and the queue deleted once; a cancel clicked under the question asks nothing.
TEST(PageEvents, ASecondClickUnderTheOverwriteQuestionAsksNothing) {
    WizardSettings settings;
    test::FakeSpooler spooler;
    test::FakeSetupLibraries libraries;
    Vista system;
    PrinterSettings printers{spooler, libraries, system};
    FakeUi ui;
    FakeControls controls;
    spooler.AddDriver("Kestra TQ8240 Series").AddQueue("Office", "LPT1:", "Kestra TQ8240 Series");
    PrinterNamePage page{settings, spooler, nullptr, printers, ui};
    page.Open(controls);
    controls.c(IDC_NAME_EDIT).text = "Office";

    PageEvents events(page, controls);
    ui.answers = {kIdYes};
    ui.whileShown = [&] {
        EXPECT_FALSE(events.Command(kIdOk).has_value());
        EXPECT_FALSE(events.Command(kIdCancel).has_value());
        EXPECT_FALSE(events.Close().has_value());
    };
    const std::optional<PageResult> result = events.Command(kIdOk);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->next, PageId::Sharing);
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(spooler.queues.empty());
}

// An option button clicked while a question of its page is open, then 下一步 until the page is
// left: the page stores what the click made it show.
TEST(PageEvents, AnOptionClickedUnderAQuestionIsWhatThePageStores) {
    struct Wizard : TcpIpPortServices {
        WizardSettings settings;
        FakeUi ui;
        FakeControls controls;
        test::FakeSpooler spooler;
        test::FakeSystemNames names;
        test::FakeSetupLibraries libraries;
        Vista system;
        PrinterSettings printers{spooler, libraries, system};
        std::vector<PortProtocol> ports;
        void CreatePort(const std::string&, PortProtocol protocol) override {
            ports.push_back(protocol);
        }
        void RunSearchDialog(Page&) override {}
        std::string LastChosenAddress() override { return {}; }
    };
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Page>(Wizard&)> make;
        int asking, answer, click;
        std::vector<int> group;  // the clicked button's option group; none for a check box
        std::function<bool(Wizard&)> stored;
    };
    const Case cases[] = {
        {"网络打印机 under the cancel question",
         [](Wizard& w) {
             return std::make_unique<ConnectionTypePage>(w.settings, w.ui, PlatformXp);
         },
         kIdCancel,
         kIdNo,
         IDC_CONN_NETWORK,
         {IDC_CONN_USB, IDC_CONN_PARALLEL, IDC_CONN_NETWORK, IDC_CONN_SHARED},
         [](Wizard& w) { return w.settings.connectionType == Network; }},
        {"LPR under the cancel question",
         [](Wizard& w) { return std::make_unique<TcpIpPortPage>(w.settings, w.ui, w); },
         kIdCancel,
         kIdNo,
         IDC_TCP_LPR,
         {IDC_TCP_RAW, IDC_TCP_LPR},
         [](Wizard& w) { return w.ports == std::vector<PortProtocol>{PortProtocol::Lpr}; }},
        // The name field is enabled and proposes the name, or 下一步 refuses an empty one.
        {"共享为 under the cancel question",
         [](Wizard& w) {
             return std::make_unique<SharingPage>(w.settings, w.spooler, w.names, w.ui);
         },
         kIdCancel,
         kIdNo,
         IDC_SHARE_AS,
         {IDC_SHARE_NONE, IDC_SHARE_AS},
         [](Wizard& w) {
             return w.settings.shareEnabled == 1 && w.controls.c(IDC_SHARE_NAME).enabled &&
                    std::string(w.settings.shareName) == kProposedShareName;
         }},
        // Opened ticked, as a first visit is.
        {"the default printer box under the overwrite question",
         [](Wizard& w) {
             return std::make_unique<PrinterNamePage>(w.settings, w.spooler, nullptr, w.printers,
                                                      w.ui);
         },
         kIdOk,
         kIdYes,
         IDC_NAME_DEFAULT,
         {},
         [](Wizard& w) { return w.settings.setAsDefault == 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Wizard w;
        const std::string model(kModelDriverName);
        w.spooler.AddDriver(model).AddQueue("Office", "LPT1:", model);
        const std::unique_ptr<Page> page = c.make(w);
        page->Open(w.controls);
        w.controls.c(IDC_NAME_EDIT).text = "Office";
        w.controls.IpAddressSet(IDC_TCP_ADDRESS, IpFields{192, 168, 0, 20});
        PageEvents events(*page, w.controls);
        w.ui.answers = {c.answer};
        w.ui.whileShown = [&] {
            // As Windows clicks: the button changes its own state, then the page hears of it.
            auto& clicked = w.controls.c(c.click);
            for (int other : c.group) w.controls.c(other).checked = false;
            clicked.checked = c.group.empty() ? !clicked.checked : true;
            events.Command(c.click, PageEvents::ClickFrom::OptionButton);
        };
        std::optional<PageResult> left = events.Command(c.asking);
        for (int press = 0; !left && press < 3; ++press) left = events.Command(kIdOk);
        ASSERT_TRUE(left.has_value());
        EXPECT_EQ(left->kind, PageResult::Kind::MoveTo);
        EXPECT_TRUE(c.stored(w));
    }
}

}  // namespace
}  // namespace tq

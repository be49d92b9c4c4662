// What a page stores when it is left is what it shows, also when its option buttons were
// clicked while one of its questions was open (message boxes have no owner window).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "install/app/connection_type_page.h"
#include "install/app/page_events.h"
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

struct Ports : TcpIpPortServices {
    std::vector<PortProtocol> created;
    void CreatePort(const std::string&, PortProtocol protocol) override {
        created.push_back(protocol);
    }
    void RunSearchDialog(Page&) override {}
    std::string LastChosenAddress() override { return {}; }
};

struct Vista : SystemInfo {
    OsVersion Version() override { return {2, 6, 1}; }
    bool NativeArchitecture(std::uint16_t&) override { return false; }
};

// Everything the pages of the table read and write.
struct Wizard {
    WizardSettings settings;
    test::FakeUi ui;
    FakeControls controls;
    test::FakeSpooler spooler;
    test::FakeSystemNames names;
    test::FakeSetupLibraries libraries;
    Vista system;
    PrinterSettings printers{spooler, libraries, system};
    Ports ports;

    // A click as Windows delivers it: the button has changed its own state before the page
    // hears of it (a radio button unchecks the others of its group, a check box toggles).
    void ClickOption(PageEvents& events, int control, const std::vector<int>& group) {
        if (group.empty()) {
            controls.c(control).checked = !controls.c(control).checked;
        } else {
            for (int other : group) controls.c(other).checked = other == control;
        }
        EXPECT_FALSE(events.Command(control, PageEvents::ClickFrom::OptionButton).has_value());
    }
    std::string Checked(const std::vector<int>& group) {
        for (int id : group) {
            if (controls.c(id).checked) return std::to_string(id);
        }
        return "none";
    }
};

const std::vector<int> kConnection = {IDC_CONN_USB, IDC_CONN_PARALLEL, IDC_CONN_NETWORK,
                                      IDC_CONN_SHARED};
const std::vector<int> kProtocol = {IDC_TCP_RAW, IDC_TCP_LPR};
const std::vector<int> kSharing = {IDC_SHARE_NONE, IDC_SHARE_AS};

TEST(PageState, AnOptionClickedDuringAQuestionIsWhatTheLeftPageStores) {
    using Make = std::function<std::unique_ptr<Page>(Wizard&)>;
    using Read = std::function<std::string(Wizard&)>;
    struct Case {
        const char* what;
        Make make;
        std::function<void(Wizard&, PageEvents&)> before;  // what the user did before asking
        int asking;                           // the button whose handler asks
        std::vector<int> answers;
        int click;
        std::vector<int> group;  // empty for a check box
        Read shown, stored;
        std::string expected;
    };
    const Make connection = [](Wizard& w) {
        return std::make_unique<ConnectionTypePage>(w.settings, w.ui, PlatformXp);
    };
    const Read connectionShown = [](Wizard& w) { return w.Checked(kConnection); };
    const Read connectionStored = [](Wizard& w) {
        return std::to_string(kConnection.at(static_cast<size_t>(w.settings.connectionType)));
    };
    const Make tcpip = [](Wizard& w) {
        return std::make_unique<TcpIpPortPage>(w.settings, w.ui, w.ports);
    };
    const Make sharing = [](Wizard& w) {
        return std::make_unique<SharingPage>(w.settings, w.spooler, w.names, w.ui);
    };
    // Shared shows as the ticked choice with a name field the user can type in.
    const Read sharingShown = [](Wizard& w) {
        const bool shared = w.controls.c(IDC_SHARE_AS).checked;
        if (shared != w.controls.c(IDC_SHARE_NAME).enabled) return std::string("field mismatch");
        return shared ? "shared as " + w.controls.c(IDC_SHARE_NAME).text : "not shared";
    };
    const Read sharingStored = [](Wizard& w) {
        return w.settings.shareEnabled ? "shared as " + std::string(w.settings.shareName)
                                       : std::string("not shared");
    };
    const auto nothing = [](Wizard&, PageEvents&) {};
    const Case cases[] = {
        {"connection type under the cancel question", connection, nothing, kIdCancel, {kIdNo},
         IDC_CONN_NETWORK, kConnection, connectionShown, connectionStored,
         std::to_string(IDC_CONN_NETWORK)},
        {"connection type under the close button's question", connection, nothing, -1, {kIdNo},
         IDC_CONN_PARALLEL, kConnection, connectionShown, connectionStored,
         std::to_string(IDC_CONN_PARALLEL)},
        {"TCP/IP protocol under the cancel question", tcpip,
         [](Wizard& w, PageEvents&) {
             w.controls.IpAddressSet(IDC_TCP_ADDRESS, IpFields{192, 168, 0, 20});
         },
         kIdCancel, {kIdNo}, IDC_TCP_LPR, kProtocol,
         [](Wizard& w) { return w.Checked(kProtocol); },
         [](Wizard& w) {
             return w.ports.created.size() != 1 ? std::string("no port")
                    : w.ports.created[0] == PortProtocol::Lpr ? std::to_string(IDC_TCP_LPR)
                                                              : std::to_string(IDC_TCP_RAW);
         },
         std::to_string(IDC_TCP_LPR)},
        {"sharing under the cancel question", sharing, nothing, kIdCancel, {kIdNo}, IDC_SHARE_AS,
         kSharing, sharingShown, sharingStored, std::string("shared as ") + kProposedShareName},
        {"sharing under the empty-name refusal", sharing,
         [](Wizard& w, PageEvents& e) {
             w.ClickOption(e, IDC_SHARE_AS, kSharing);
             w.controls.c(IDC_SHARE_NAME).text = "";
         },
         kIdOk, {kIdOk},
         IDC_SHARE_NONE, kSharing, sharingShown, sharingStored, "not shared"},
        {"default printer under the overwrite question", 
         [](Wizard& w) {
             return std::make_unique<PrinterNamePage>(w.settings, w.spooler, nullptr, w.printers,
                                                      w.ui);
         },
         [](Wizard& w, PageEvents&) { w.controls.c(IDC_NAME_EDIT).text = "Office"; }, kIdOk,
         {kIdYes},
         IDC_NAME_DEFAULT, {},
         [](Wizard& w) { return std::to_string(w.controls.c(IDC_NAME_DEFAULT).checked); },
         [](Wizard& w) { return std::to_string(w.settings.setAsDefault); },
         "0"},  // opened ticked, as a first visit is
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Wizard w;
        const std::string model(kModelDriverName);
        w.spooler.AddDriver(model).AddQueue("Office", "LPT1:", model);
        const std::unique_ptr<Page> page = c.make(w);
        page->Open(w.controls);
        PageEvents events(*page, w.controls);
        c.before(w, events);
        w.ui.answers.assign(c.answers.begin(), c.answers.end());
        w.ui.whileShown = [&] { w.ClickOption(events, c.click, c.group); };
        std::optional<PageResult> left =
            c.asking == -1 ? events.Close() : events.Command(c.asking);
        EXPECT_EQ(w.ui.boxes.size(), 1u) << "the question was asked";
        // Then 下一步 until the page is left (the TCP/IP page has three steps).
        for (int press = 0; !left && press < 4; ++press) left = events.Command(kIdOk);
        ASSERT_TRUE(left.has_value());
        EXPECT_EQ(left->kind, PageResult::Kind::MoveTo);
        EXPECT_EQ(c.shown(w), c.expected);
        EXPECT_EQ(c.stored(w), c.shown(w));
    }
}

}  // namespace
}  // namespace tq

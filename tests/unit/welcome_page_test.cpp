#include "install/app/welcome_page.h"

#include <gtest/gtest.h>

#include "install/res/resource.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/fake_ui.h"

namespace tq {
namespace {

using test::FakeControls;
using test::FakeSpooler;
using test::FakeUi;
using test::TextOf;

constexpr const char* kModel = "Kestra TQ8240 Series";

struct WelcomeFixture : ::testing::Test {
    WizardSettings settings;
    FakeSpooler spooler;
    FakeUi ui;
    FakeControls controls;
    int restarts = 0;
    RestartRequest restartOutcome = RestartRequest::Requested;
    WelcomePage page{settings, spooler, nullptr, ui, [this] {
                         ++restarts;
                         return restartOutcome;
                     }};

    void ExpectPlainWelcome() {
        EXPECT_FALSE(page.installedFound());
        EXPECT_EQ(settings.alreadyInstalled, 0);
        EXPECT_FALSE(controls.c(IDC_WELCOME_LIST).visible);
        EXPECT_FALSE(controls.c(IDC_WELCOME_CONTINUE).visible);
        EXPECT_EQ(controls.c(IDC_WELCOME_LINE).text, TextOf(IDS_WELCOME_LINE_PLAIN));
        EXPECT_EQ(controls.c(IDC_WELCOME_BLOCK).text, "");
        EXPECT_TRUE(controls.c(IDC_WELCOME_LIST).rows.empty());
        // The button texts of the template stay.
        EXPECT_EQ(controls.controls.count(kIdOk), 0u);
        EXPECT_EQ(controls.controls.count(kIdCancel), 0u);
    }
};

TEST_F(WelcomeFixture, NoDriverOfTheModelGivesThePlainWelcome) {
    spooler.AddQueue("Other", "LPT1:", "Other Driver");
    settings.alreadyInstalled = 1;
    page.Open(controls);
    ExpectPlainWelcome();
    // The list is prepared all the same: grid lines and the two columns.
    const auto& list = controls.c(IDC_WELCOME_LIST);
    EXPECT_TRUE(list.gridLines);
    ASSERT_EQ(list.columns.size(), 2u);
    EXPECT_EQ(list.columns[0].title, TextOf(IDS_COLUMN_PRINTER_NAME));
    EXPECT_EQ(list.columns[0].widthPixels, 220);
    EXPECT_EQ(list.columns[1].title, TextOf(IDS_COLUMN_PORT));
    EXPECT_EQ(list.columns[1].widthPixels, 220);
    EXPECT_FALSE(page.HasAppWindowStyle());
}

TEST_F(WelcomeFixture, TheDriverWithoutAQueueGivesThePlainWelcome) {
    spooler.AddDriver(kModel).AddQueue("Other", "LPT1:", "Other Driver");
    page.Open(controls);
    ExpectPlainWelcome();
}

TEST_F(WelcomeFixture, AQueueWithoutTheInstalledDriverIsNotListed) {
    spooler.AddDriver("Other Driver").AddQueue("Orphan", "LPT1:", kModel);
    page.Open(controls);
    ExpectPlainWelcome();
}

// The spooler answers a listing without an environment for the caller's own: a 32-bit installer
// on 64-bit Windows must ask for "Windows x64", where the model's driver is registered.
TEST_F(WelcomeFixture, TheDriverIsLookedForInTheEnvironmentItRegistersWith) {
    struct Case {
        const char* caller;     // the installer's own environment
        const char* asked;      // what the installer passes (SpoolerEnvironmentFor)
        const char* installed;  // where the model's driver is registered
        bool found;
    };
    for (const Case& c : {Case{"Windows NT x86", "Windows x64", "Windows x64", true},
                          Case{"Windows x64", nullptr, "Windows x64", true},
                          Case{"Windows NT x86", nullptr, "Windows NT x86", true},
                          Case{"Windows NT x86", nullptr, "Windows x64", false},
                          Case{"Windows NT x86", "Windows x64", "Windows NT x86", false}}) {
        SCOPED_TRACE(std::string(c.caller) + " asks " + (c.asked ? c.asked : "(own)"));
        FakeSpooler s;
        s.callerEnvironment = c.caller;
        s.AddDriver(kModel, c.installed).AddQueue("Office", "LPT1:", kModel);
        WizardSettings fresh;
        FakeControls shown;
        WelcomePage welcome{fresh, s, c.asked, ui, [] { return RestartRequest::NotHere; }};
        welcome.Open(shown);
        EXPECT_EQ(welcome.installedFound(), c.found);
        EXPECT_EQ(shown.c(IDC_WELCOME_LIST).rows.size(), c.found ? 1u : 0u);
    }
}

TEST_F(WelcomeFixture, InstalledQueuesAreListedWithTheirPortsInSpoolerOrder) {
    spooler.AddDriver("Other Driver").AddDriver(kModel);
    spooler.AddQueue("Kestra TQ8240 Series", "LPT1:", kModel)
        .AddQueue("Other", "FILE:", "Other Driver")
        .AddQueue("Office", "192.168.0.20", "KESTRA TQ8240 SERIES");
    page.Open(controls);

    EXPECT_TRUE(page.installedFound());
    EXPECT_EQ(settings.alreadyInstalled, 1);
    EXPECT_EQ(controls.c(kIdOk).text, TextOf(IDS_BUTTON_RESTART));
    EXPECT_EQ(controls.c(kIdCancel).text, TextOf(IDS_BUTTON_CLOSE));
    EXPECT_TRUE(controls.c(IDC_WELCOME_CONTINUE).visible);
    EXPECT_TRUE(controls.c(IDC_WELCOME_LIST).visible);
    EXPECT_EQ(controls.c(IDC_WELCOME_LINE).text, TextOf(IDS_WELCOME_LINE_INSTALLED));
    EXPECT_EQ(controls.c(IDC_WELCOME_BLOCK).text, TextOf(IDS_WELCOME_BLOCK_INSTALLED));
    using Rows = std::vector<std::vector<std::string>>;
    EXPECT_EQ(controls.c(IDC_WELCOME_LIST).rows,
              (Rows{{"Kestra TQ8240 Series", "LPT1:"}, {"Office", "192.168.0.20"}}));
}

TEST_F(WelcomeFixture, AQueueAddedWhileListingIsLeftOutRatherThanOverrunning) {
    spooler.AddDriver(kModel).AddQueue("A", "LPT1:", kModel);
    // The page counts first (one queue), then fills; a queue appears in between.
    spooler.addAfterNextPrinterListing.push_back({"B", "LPT2:", kModel, std::nullopt, 0, "", ""});
    page.Open(controls);
    using Rows = std::vector<std::vector<std::string>>;
    EXPECT_EQ(controls.c(IDC_WELCOME_LIST).rows, (Rows{{"A", "LPT1:"}}));
}

TEST_F(WelcomeFixture, PlainWelcomeNextLeadsToThePrinterNamePage) {
    page.Open(controls);
    const PageResult r = page.OnCommand(kIdOk, controls);
    EXPECT_EQ(r.kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(r.next, PageId::PrinterName);
    EXPECT_EQ(restarts, 0);
    // The hidden continue button does nothing on the plain page.
    EXPECT_EQ(page.OnCommand(IDC_WELCOME_CONTINUE, controls).kind, PageResult::Kind::Stay);
}

TEST_F(WelcomeFixture, PlainWelcomeCancelAsksYesEndsWithOneNoStays) {
    page.Open(controls);
    ui.answers = {kIdNo, kIdYes};
    EXPECT_EQ(page.OnCommand(kIdCancel, controls).kind, PageResult::Kind::Stay);
    const PageResult yes = page.OnCommand(kIdCancel, controls);
    EXPECT_EQ(yes.kind, PageResult::Kind::End);
    EXPECT_EQ(yes.exitCode, 1);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text, TextOf(IDS_CANCEL_QUESTION));
    EXPECT_EQ(ui.boxes[0].caption, TextOf(IDS_CANCEL_CAPTION));
    EXPECT_EQ(ui.boxes[0].style, 0x134u);
}

TEST_F(WelcomeFixture, PlainWelcomeCloseButtonAsksButYesEndsNormally) {
    page.Open(controls);
    ui.answers = {kIdNo, kIdYes};
    EXPECT_EQ(page.OnClose(controls).kind, PageResult::Kind::Stay);
    const PageResult yes = page.OnClose(controls);
    EXPECT_EQ(yes.kind, PageResult::Kind::End);
    EXPECT_EQ(yes.exitCode, 0);
}

TEST_F(WelcomeFixture, InstalledViewButtons) {
    spooler.AddDriver(kModel).AddQueue("Q", "LPT1:", kModel);
    page.Open(controls);

    // "重启" runs the restart and keeps the page.
    EXPECT_EQ(page.OnCommand(kIdOk, controls).kind, PageResult::Kind::Stay);
    EXPECT_EQ(restarts, 1);

    const PageResult go = page.OnCommand(IDC_WELCOME_CONTINUE, controls);
    EXPECT_EQ(go.kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(go.next, PageId::PrinterName);

    // "关闭", Esc and the close button end at once, without a question.
    for (const PageResult r : {page.OnCommand(kIdCancel, controls), page.OnClose(controls)}) {
        EXPECT_EQ(r.kind, PageResult::Kind::End);
        EXPECT_EQ(r.exitCode, 0);
    }
    EXPECT_TRUE(ui.boxes.empty());
}

// A restart on its way is not prepared again; a refused one (undone) is told and may be tried
// again; an unknown platform just stays.
TEST_F(WelcomeFixture, RestartOutcomes) {
    struct Case {
        RestartRequest outcome;
        int restartsAfterTwoClicks;
        std::size_t boxes;
    };
    const Case cases[] = {
        {RestartRequest::Requested, 1, 0},
        {RestartRequest::Failed, 2, 2},
        {RestartRequest::NotHere, 2, 0},
    };
    spooler.AddDriver(kModel).AddQueue("Q", "LPT1:", kModel);
    for (const Case& c : cases) {
        WelcomePage fresh{settings, spooler, nullptr, ui, [&] {
                              ++restarts;
                              return c.outcome;
                          }};
        fresh.Open(controls);
        restarts = 0;
        ui.boxes.clear();
        ui.answers = {kIdOk, kIdOk};
        for (int click = 0; click < 2; ++click) {
            EXPECT_EQ(fresh.OnCommand(kIdOk, controls).kind, PageResult::Kind::Stay);
        }
        EXPECT_EQ(restarts, c.restartsAfterTwoClicks);
        ASSERT_EQ(ui.boxes.size(), c.boxes);
        if (c.boxes > 0) {
            EXPECT_EQ(ui.boxes[0].text, TextOf(IDS_RESTART_FAILED));
            EXPECT_EQ(ui.boxes[0].caption, TextOf(IDS_RESTART_FAILED_CAPTION));
            EXPECT_EQ(ui.boxes[0].style, 0x130u);  // OK, exclamation, second button default
        }
    }
}

TEST_F(WelcomeFixture, ReopeningRecomputesTheState) {
    spooler.AddDriver(kModel).AddQueue("Q", "LPT1:", kModel);
    page.Open(controls);
    ASSERT_TRUE(page.installedFound());

    spooler.queues.clear();
    WelcomePage again{settings, spooler, nullptr, ui, [] { return RestartRequest::NotHere; }};
    FakeControls fresh;
    again.Open(fresh);
    EXPECT_FALSE(again.installedFound());
    EXPECT_EQ(settings.alreadyInstalled, 0);
}

}  // namespace
}  // namespace tq

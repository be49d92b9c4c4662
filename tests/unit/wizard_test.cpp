#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/app/page.h"
#include "install/app/startup.h"
#include "install/engine/wizard_settings.h"
#include "install/res/resource.h"
#include "tests/support/fake_log_file.h"
#include "tests/support/fake_ui.h"

namespace tq {
namespace {

using test::FakeUi;
using test::TextOf;

TEST(WizardSettings, InitialValuesAndBoundedFields) {
    WizardSettings s;
    EXPECT_EQ(s.alreadyInstalled, 0);
    EXPECT_STREQ(s.printerName, "");
    EXPECT_EQ(s.setAsDefault, 1);
    EXPECT_EQ(s.shareEnabled, 0);
    EXPECT_STREQ(s.shareName, "");
    EXPECT_EQ(s.renameRequired, 0);
    EXPECT_EQ(s.connectionType, Usb);
    EXPECT_STREQ(s.portName, "");

    s.SetPrinterName(std::string(40, 'p'));
    EXPECT_EQ(std::string(s.printerName), std::string(35, 'p'));
    s.SetShareName(std::string(20, 's'));
    EXPECT_EQ(std::string(s.shareName), std::string(15, 's'));
    s.SetPortName(std::string("\\\\") + std::string(100, 'h'));
    EXPECT_EQ(std::string(s.portName).size(), 87u);
    EXPECT_EQ(Usb, 0);
    EXPECT_EQ(Parallel, 1);
    EXPECT_EQ(Network, 2);
    EXPECT_EQ(SharedNetwork, 3);
}

TEST(ShowResMessage, LoadsBothTextsAndMakesTheSecondButtonTheDefault) {
    FakeUi ui;
    ui.answers = {kIdNo, kIdOk};
    EXPECT_EQ(ShowResMessage(ui, 7, 8, kMbYesNo | kMbIconExclamation), kIdNo);
    EXPECT_EQ(ShowResMessage(ui, 9, 10, kMbOk | kMbIconExclamation), kIdOk);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text, TextOf(7));
    EXPECT_EQ(ui.boxes[0].caption, TextOf(8));
    EXPECT_EQ(ui.boxes[0].style, 0x134u);
    EXPECT_EQ(ui.boxes[1].style, 0x130u);
}

TEST(AskCancelInstall, YesEndsWithExitCodeOneAndNoStays) {
    FakeUi ui;
    ui.answers = {kIdYes, kIdNo};
    const PageResult yes = AskCancelInstall(ui);
    EXPECT_EQ(yes.kind, PageResult::Kind::End);
    EXPECT_EQ(yes.exitCode, 1);
    EXPECT_EQ(AskCancelInstall(ui).kind, PageResult::Kind::Stay);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text, TextOf(IDS_CANCEL_QUESTION));
    EXPECT_EQ(ui.boxes[0].caption, TextOf(IDS_CANCEL_CAPTION));
    EXPECT_EQ(ui.boxes[0].style, 0x134u);
}

// A page that returns scripted results, one per visit, and counts its openings.
class ScriptedPage : public Page {
  public:
    explicit ScriptedPage(PageResult r) : result(r) {}
    int DialogId() const override { return 0; }
    void Open(PageControls&) override {}
    PageResult OnCommand(int, PageControls&) override { return result; }
    PageResult OnClose(PageControls&) override { return result; }
    PageResult result;
};

class ScriptedPages : public PageFactory {
  public:
    std::unique_ptr<Page> Create(PageId id) override {
        created.push_back(id);
        if (script.empty()) return nullptr;
        PageResult r = script.front();
        script.erase(script.begin());
        return std::make_unique<ScriptedPage>(r);
    }
    std::vector<PageResult> script;
    std::vector<PageId> created;
};

class ClickingHost : public PageHost {
  public:
    PageResult Run(Page& page) override {
        test::FakeControls controls;
        page.Open(controls);
        return page.OnCommand(kIdOk, controls);
    }
};

TEST(RunWizard, CreatesAFreshPageOnEveryVisitAndEndsWithThePagesExitCode) {
    ScriptedPages pages;
    pages.script = {PageResult::MoveTo(PageId::PrinterName), PageResult::MoveTo(PageId::Welcome),
                    PageResult::MoveTo(PageId::PrinterName), PageResult::End(1)};
    ClickingHost host;
    EXPECT_EQ(RunWizard(PageId::Welcome, pages, host), 1);
    EXPECT_EQ(pages.created, (std::vector<PageId>{PageId::Welcome, PageId::PrinterName,
                                                  PageId::Welcome, PageId::PrinterName}));
}

TEST(RunWizard, APageThisBuildDoesNotHaveEndsTheWizardNormally) {
    ScriptedPages pages;
    pages.script = {PageResult::MoveTo(PageId::PrinterName)};
    ClickingHost host;
    EXPECT_EQ(RunWizard(PageId::Welcome, pages, host), 0);
}

// Another instance holds the session's name or the machine's. Making the machine's name is
// refused (5) where another account made it, and fails otherwise where there is no Global
// namespace (3 on NT 4.0 without terminal services, as Wine answers for a missing one).
TEST(IsSecondInstance, EitherNameTakenMeansAnotherInstanceAndBothAreMade) {
    const MutexCreation made{true, 0}, existed{true, 183}, refused{false, 5}, noPath{false, 3};
    const struct {
        MutexCreation session, machine;
        bool second;
    } cases[] = {
        {made, made, false},   {existed, made, true},   {made, existed, true},
        {made, refused, true}, {refused, made, true},   {existed, refused, true},
        {made, noPath, false}, {existed, noPath, true}, {{false, 123}, {false, 123}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.session.error << " / " << c.machine.error);
        std::vector<std::string> asked;
        const bool second = IsSecondInstance("Tq", [&](const std::string& name) {
            asked.push_back(name);
            return asked.size() == 1 ? c.session : c.machine;
        });
        EXPECT_EQ(second, c.second);
        EXPECT_EQ(asked, (std::vector<std::string>{"Tq", "Global\\Tq"}));
    }
}

struct StartupFixture : ::testing::Test {
    FakeUi ui;
    ScriptedPages pages;
    ClickingHost host;
    bool second = false;
    bool resumed = false;
    StartupServices services{ui, pages, host, [this] { return second; },
                             [this] { return resumed; }};
};

TEST_F(StartupFixture, ASecondInstanceShowsTheInstanceMessageAndNoPage) {
    second = true;
    ui.answers = {kIdOk};
    EXPECT_EQ(RunInstaller(services), 0);
    EXPECT_TRUE(pages.created.empty());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, TextOf(IDS_SECOND_INSTANCE));
    EXPECT_EQ(ui.boxes[0].caption, TextOf(IDS_APP_TITLE));
    EXPECT_EQ(ui.boxes[0].style, kMbOk | kMbIconExclamation);
}

TEST_F(StartupFixture, AFreshRunOpensTheWelcomePageAResumedRunThePrinterNamePage) {
    pages.script = {PageResult::End(1)};
    EXPECT_EQ(RunInstaller(services), 1);
    resumed = true;
    pages.script = {PageResult::End(0)};
    EXPECT_EQ(RunInstaller(services), 0);
    EXPECT_EQ(pages.created, (std::vector<PageId>{PageId::Welcome, PageId::PrinterName}));
    EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace tq

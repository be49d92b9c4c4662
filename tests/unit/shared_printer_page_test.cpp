#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "install/app/shared_printer_page.h"
#include "install/res/resource.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/fake_ui.h"

namespace tq {
namespace {

using test::FakeControls;
using test::FakeSpooler;
using test::FakeUi;
using test::TextOf;

constexpr char kPath[] = "\\\\FRONT\\Laser";

struct FakeConnections : NetworkConnections {
    std::uint32_t answer = 0;
    std::vector<std::string> calls;
    std::uint32_t ConnectSharedPrinter(const std::string& remoteName) override {
        calls.push_back(remoteName);
        return answer;
    }
};

struct FakeBrowser : PrinterBrowser {
    std::optional<std::string> answer;
    std::vector<std::pair<std::string, std::string>> calls;
    std::optional<std::string> BrowseForPrinter(const std::string& title,
                                                const std::string& caption) override {
        calls.emplace_back(title, caption);
        return answer;
    }
};

PrinterForUse OpenedWith(const char* driver) {
    return {true, 0, true, std::string(driver)};
}
PrinterForUse OpenFails(std::uint32_t error) {
    return {false, error, false, std::nullopt};
}

TEST(SharedPrinterPathForm, ServerAndShareOnly) {
    EXPECT_TRUE(IsSharedPrinterPathForm("\\\\server\\share"));
    EXPECT_TRUE(IsSharedPrinterPathForm("\\xserver\\share")) << "the second character is free";
    EXPECT_TRUE(IsSharedPrinterPathForm("\\\\\\"));  // three bytes, the third the one backslash
    EXPECT_FALSE(IsSharedPrinterPathForm(""));
    EXPECT_FALSE(IsSharedPrinterPathForm("\\\\"));
    EXPECT_FALSE(IsSharedPrinterPathForm("\\\\server")) << "no share part";
    EXPECT_FALSE(IsSharedPrinterPathForm("\\\\server\\share\\sub")) << "a second backslash";
    EXPECT_FALSE(IsSharedPrinterPathForm("//server/share"));
    EXPECT_FALSE(IsSharedPrinterPathForm("server\\share"));
    // Double-byte characters whose trail byte is 0x5C ("\xB1\x5C" in code page 936): they are
    // characters, not backslashes.
    EXPECT_TRUE(IsSharedPrinterPathForm("\\\\\xB1\x5C\xB1\x5C\\share"));
    EXPECT_TRUE(IsSharedPrinterPathForm("\\\\srv\\\xB1\x5C"));
    EXPECT_FALSE(IsSharedPrinterPathForm("\\\\\xB1\x5C")) << "no real backslash after the server";
    // A lead byte as the second character takes the third byte with it.
    EXPECT_FALSE(IsSharedPrinterPathForm("\\\xB1\x5C"));
    // Longer than the stored port name holds: refused rather than cut.
    const std::string fits = "\\\\s\\" + std::string(83, 'x');
    ASSERT_EQ(fits.size(), 87u);
    EXPECT_TRUE(IsSharedPrinterPathForm(fits));
    EXPECT_FALSE(IsSharedPrinterPathForm(fits + "x"));
}

struct SharedPrinterFixture : ::testing::Test {
    WizardSettings settings;
    FakeUi ui;
    FakeControls controls;
    FakeSpooler spooler;
    FakeConnections connections;
    FakeBrowser browser;
    SharedPrinterPage page{settings, ui, spooler, connections, browser};

    void SetUp() override { page.Open(controls); }
    PageResult NextWith(const std::string& path) {
        controls.c(IDC_SHARED_PATH).text = path;
        return page.OnCommand(kIdOk, controls);
    }
    // The invalid-path message, answered with its OK button.
    PageResult NextRefusedWith(const std::string& path) {
        ui.answers.push_back(kIdOk);
        return NextWith(path);
    }
    void ExpectInvalidPathBox() {
        ASSERT_FALSE(ui.boxes.empty());
        EXPECT_EQ(ui.boxes.back().text, TextOf(IDS_PATH_INVALID));
        EXPECT_EQ(ui.boxes.back().caption, TextOf(IDS_PATH_INVALID_CAPTION));
        EXPECT_EQ(ui.boxes.back().style, 0x130u);  // OK, exclamation, second button default
    }
};

TEST_F(SharedPrinterFixture, CheckAnswers) {
    spooler.printersForUse[kPath] = {OpenedWith("kestra tq8240 SERIES")};
    EXPECT_EQ(CheckSharedPrinter(spooler, connections, kPath), kSharedPrinterOfModel);
    spooler.printersForUse[kPath] = {OpenedWith("Contoso PCL")};
    EXPECT_EQ(CheckSharedPrinter(spooler, connections, kPath), kSharedPrinterOtherDriver);
    spooler.printersForUse[kPath] = {{true, 0, true, std::nullopt}};
    EXPECT_EQ(CheckSharedPrinter(spooler, connections, kPath), kSharedPrinterOtherDriver);
    spooler.printersForUse[kPath] = {{true, 0, false, std::nullopt}};  // size 0 or read failed
    EXPECT_EQ(CheckSharedPrinter(spooler, connections, kPath), kSharedPrinterUnreadable);
    spooler.printersForUse[kPath] = {OpenFails(1801)};
    EXPECT_EQ(CheckSharedPrinter(spooler, connections, kPath), 1801u);
    spooler.printersForUse[kPath] = {OpenFails(53)};  // another error: no connection attempt
    EXPECT_EQ(CheckSharedPrinter(spooler, connections, kPath), kSharedPrinterUnreadable);
    EXPECT_TRUE(connections.calls.empty());

    // Access denied: connect, then open again.
    spooler.openedForUse.clear();
    spooler.printersForUse[kPath] = {OpenFails(5), OpenedWith("Kestra TQ8240 Series")};
    EXPECT_EQ(CheckSharedPrinter(spooler, connections, kPath), kSharedPrinterOfModel);
    EXPECT_EQ(connections.calls, std::vector<std::string>{kPath});
    EXPECT_EQ(spooler.openedForUse.size(), 2u);
    // The connection's own error is the answer, and nothing is opened again.
    for (const std::uint32_t error : {1223u, 86u}) {
        spooler.openedForUse.clear();
        connections.answer = error;
        EXPECT_EQ(CheckSharedPrinter(spooler, connections, kPath), error);
        EXPECT_EQ(spooler.openedForUse.size(), 1u);
    }
    // Connected, but still refused.
    connections.answer = 0;
    spooler.openedForUse.clear();
    spooler.printersForUse[kPath] = {OpenFails(5)};
    EXPECT_EQ(CheckSharedPrinter(spooler, connections, kPath), kSharedPrinterUnreadable);
}

TEST_F(SharedPrinterFixture, WrongFormsAreRefusedBeforeAnyNetworkAccess) {
    for (const char* path : {"", "\\\\server", "\\\\server\\share\\sub"}) {
        EXPECT_EQ(NextRefusedWith(path).kind, PageResult::Kind::Stay) << path;
        ExpectInvalidPathBox();
    }
    EXPECT_TRUE(spooler.openedForUse.empty());
    EXPECT_STREQ(settings.portName, "") << "nothing stored for a wrong form";
}

TEST_F(SharedPrinterFixture, ModelPrinterMovesOnAndStoresThePath) {
    spooler.printersForUse[kPath] = {OpenedWith("Kestra TQ8240 Series")};
    const PageResult r = NextWith(kPath);
    EXPECT_EQ(r.kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(r.next, PageId::Progress);
    EXPECT_STREQ(settings.portName, kPath);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SharedPrinterFixture, OtherModelAsksAndNoStaysWithThePathStored) {
    spooler.printersForUse[kPath] = {OpenedWith("Contoso PCL")};
    ui.answers = {kIdNo, kIdYes};
    EXPECT_EQ(NextWith(kPath).kind, PageResult::Kind::Stay);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, TextOf(IDS_SHARED_OTHER_MODEL));
    EXPECT_EQ(ui.boxes[0].caption, TextOf(IDS_SHARED_OTHER_MODEL_CAPTION));
    EXPECT_EQ(ui.boxes[0].style, 0x134u);  // Yes/No, exclamation, No the default
    EXPECT_STREQ(settings.portName, kPath);
    EXPECT_EQ(controls.c(IDC_SHARED_PATH).text, kPath);
    const PageResult yes = page.OnCommand(kIdOk, controls);
    EXPECT_EQ(yes.kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(yes.next, PageId::Progress);
}

TEST_F(SharedPrinterFixture, FailuresShowTheInvalidPathMessageButACancelledLogonIsSilent) {
    spooler.printersForUse[kPath] = {OpenFails(1801)};
    EXPECT_EQ(NextRefusedWith(kPath).kind, PageResult::Kind::Stay);
    ExpectInvalidPathBox();
    EXPECT_STREQ(settings.portName, kPath) << "stored whatever the answer";

    ui.boxes.clear();
    spooler.printersForUse[kPath] = {OpenFails(5)};
    connections.answer = 1223;
    EXPECT_EQ(NextWith(kPath).kind, PageResult::Kind::Stay);
    EXPECT_TRUE(ui.boxes.empty());

    connections.answer = 1326;  // a logon failure: the connection's error, shown as invalid path
    EXPECT_EQ(NextRefusedWith(kPath).kind, PageResult::Kind::Stay);
    ExpectInvalidPathBox();
}

TEST_F(SharedPrinterFixture, BrowseShowsTheChoiceOrTheTextLastRead) {
    EXPECT_EQ(controls.c(IDC_SHARED_PATH).text, "");
    controls.c(IDC_SHARED_PATH).text = "typed, never read";
    page.OnCommand(IDC_SHARED_BROWSE, controls);  // cancelled: the first visit's empty text
    EXPECT_EQ(controls.c(IDC_SHARED_PATH).text, "");
    ASSERT_EQ(browser.calls.size(), 1u);
    EXPECT_EQ(browser.calls[0].first, TextOf(IDS_BROWSE_TITLE));
    EXPECT_EQ(browser.calls[0].second, TextOf(IDS_BROWSE_CAPTION));

    NextRefusedWith("\\\\server");  // read, refused
    controls.c(IDC_SHARED_PATH).text = "typed since";
    page.OnCommand(IDC_SHARED_BROWSE, controls);
    EXPECT_EQ(controls.c(IDC_SHARED_PATH).text, "\\\\server");

    browser.answer = "\\\\FRONT\\Laser";
    page.OnCommand(IDC_SHARED_BROWSE, controls);
    EXPECT_EQ(controls.c(IDC_SHARED_PATH).text, "\\\\FRONT\\Laser");
    EXPECT_EQ(page.pathText(), "\\\\FRONT\\Laser");
}

TEST_F(SharedPrinterFixture, BackAndCancel) {
    const PageResult back = page.OnCommand(IDC_BACK, controls);
    EXPECT_EQ(back.kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(back.next, PageId::ConnectionType);
    ui.answers = {kIdYes};
    const PageResult cancel = page.OnCommand(kIdCancel, controls);
    EXPECT_EQ(cancel.kind, PageResult::Kind::End);
    EXPECT_EQ(cancel.exitCode, 1);
}

}  // namespace
}  // namespace tq

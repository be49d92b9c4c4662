#include "install/app/printer_name_page.h"

#include <gtest/gtest.h>

#include "install/res/resource.h"
#include "tests/support/fake_setup_libraries.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/fake_ui.h"

namespace tq {
namespace {

using test::FakeControls;
using test::FakeSetupLibraries;
using test::FakeSpooler;
using test::FakeUi;
using test::TextOf;

constexpr const char* kModel = "Kestra TQ8240 Series";

class NoSystem : public SystemInfo {
  public:
    OsVersion Version() override { return {2, 6, 1}; }
    bool NativeArchitecture(std::uint16_t&) override { return false; }
};

struct PrinterNameFixture : ::testing::Test {
    WizardSettings settings;
    FakeSpooler spooler;
    FakeSetupLibraries libraries;
    NoSystem system;
    PrinterSettings printers{spooler, libraries, system};
    FakeUi ui;
    FakeControls controls;
    PrinterNamePage page{settings, spooler, nullptr, printers, ui};

    PageResult NextWith(const std::string& name, bool makeDefault) {
        controls.c(IDC_NAME_EDIT).text = name;
        controls.c(IDC_NAME_DEFAULT).checked = makeDefault;
        return page.OnCommand(kIdOk, controls);
    }
    void ExpectStayWithMessage(const PageResult& r, int textId, unsigned style) {
        EXPECT_EQ(r.kind, PageResult::Kind::Stay);
        ASSERT_FALSE(ui.boxes.empty());
        EXPECT_EQ(ui.boxes.back().text, TextOf(textId));
        EXPECT_EQ(ui.boxes.back().caption, TextOf(IDS_NAME_ERROR_CAPTION));
        EXPECT_EQ(ui.boxes.back().style, style);
        EXPECT_EQ(controls.focus, IDC_NAME_EDIT);
    }
};

TEST_F(PrinterNameFixture, FirstVisitProposesTheModelNameAndTheDefault) {
    page.Open(controls);
    EXPECT_EQ(controls.c(IDC_NAME_EDIT).text, kModel);
    EXPECT_EQ(controls.c(IDC_NAME_EDIT).limit, 32);
    EXPECT_TRUE(controls.c(IDC_NAME_DEFAULT).checked);
    EXPECT_EQ(settings.alreadyInstalled, 0);
    EXPECT_TRUE(page.HasAppWindowStyle());
}

TEST_F(PrinterNameFixture, NextStoresNameDefaultAndRenameFlag) {
    page.Open(controls);
    const PageResult r = NextWith("Office Laser", false);
    EXPECT_EQ(r.kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(r.next, PageId::Sharing);
    EXPECT_STREQ(settings.printerName, "Office Laser");
    EXPECT_EQ(settings.setAsDefault, 0);
    EXPECT_EQ(settings.renameRequired, 1);

    // Coming back shows what was stored, not the proposal.
    PrinterNamePage again{settings, spooler, nullptr, printers, ui};
    FakeControls fresh;
    again.Open(fresh);
    EXPECT_EQ(fresh.c(IDC_NAME_EDIT).text, "Office Laser");
    EXPECT_FALSE(fresh.c(IDC_NAME_DEFAULT).checked);

    // The model name in other letter case: no rename, and the field shows the model's own case.
    fresh.c(IDC_NAME_EDIT).text = "KESTRA tq8240 SERIES";
    EXPECT_EQ(again.OnCommand(kIdOk, fresh).kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(settings.renameRequired, 0);
    PrinterNamePage third{settings, spooler, nullptr, printers, ui};
    FakeControls shown;
    third.Open(shown);
    EXPECT_EQ(shown.c(IDC_NAME_EDIT).text, kModel);
}

TEST_F(PrinterNameFixture, BackStoresNothing) {
    page.Open(controls);
    controls.c(IDC_NAME_EDIT).text = "Typed";
    controls.c(IDC_NAME_DEFAULT).checked = false;
    const PageResult r = page.OnCommand(IDC_BACK, controls);
    EXPECT_EQ(r.kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(r.next, PageId::Welcome);
    EXPECT_STREQ(settings.printerName, "");
    EXPECT_EQ(settings.setAsDefault, 1);
}

TEST_F(PrinterNameFixture, AnEmptyNameIsRefusedAfterNameAndDefaultAreStored) {
    settings.SetPrinterName("Before");
    page.Open(controls);
    ui.answers = {kIdOk};
    ExpectStayWithMessage(NextWith("", false), IDS_NAME_EMPTY, 0x130);
    EXPECT_STREQ(settings.printerName, "");
    EXPECT_EQ(settings.setAsDefault, 0);
}

TEST_F(PrinterNameFixture, NamesThatCannotBeFolderNamesAreRefusedAndNothingIsStored) {
    settings.SetPrinterName("Before");
    page.Open(controls);
    for (const std::string bad : {"..\\..\\Windows", "a/b", "C:", "a*", "a?", "a\"b", "<a", "a>",
                                  "a|b", "a,b", "tab\there", ".", "...", "Name.", "Name ", "CON", "prn",
                                  "Aux.txt", "nul ", "NUL .log", "com1", "COM9.a.b", "lpt1",
                                  "LpT9 "}) {
        SCOPED_TRACE(bad);
        ui.answers = {kIdOk};
        ExpectStayWithMessage(NextWith(bad, false), IDS_NAME_INVALID, 0x130);
        EXPECT_EQ(controls.c(IDC_NAME_EDIT).text, bad);  // the field keeps what was typed
        EXPECT_STREQ(settings.printerName, "Before");
        EXPECT_EQ(settings.setAsDefault, 1);
    }
}

TEST_F(PrinterNameFixture, ANameThatDoesNotFitTheRecordIsRefusedNotCut) {
    settings.SetPrinterName("Before");
    page.Open(controls);
    std::string longest;
    for (int i = 0; i < 17; ++i) longest += "\xD3\xA1";  // 34 bytes: fits
    EXPECT_EQ(NextWith(longest + "A", true).kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(std::string(settings.printerName), longest + "A");
    ui.answers = {kIdOk};
    ExpectStayWithMessage(NextWith(longest + "\xD3\xA1", false), IDS_NAME_TOO_LONG, 0x130);
    EXPECT_EQ(std::string(settings.printerName), longest + "A");
    EXPECT_EQ(settings.setAsDefault, 1);
}

TEST(IsUsablePrinterName, TakesDoubleByteCharactersWholeAndDeviceNamesExactly) {
    // 0x5C ('\') and 0x7C ('|') are valid trail bytes in code page 936.
    EXPECT_TRUE(IsUsablePrinterName("\x95\x5C"));
    EXPECT_TRUE(IsUsablePrinterName("\xD8\x7C"));
    EXPECT_TRUE(IsUsablePrinterName("\xB4\xF2\xD3\xA1\xBB\xFA"));  // 打印机
    EXPECT_TRUE(IsUsablePrinterName("Kestra TQ8240 Series"));
    EXPECT_TRUE(IsUsablePrinterName(".hidden name"));
    EXPECT_TRUE(IsUsablePrinterName(" leading space"));
    for (const char* deviceLike : {"CONSOLE", "COM0", "COM10", "LPT", "NULL.txt", "xCON", "PRN2"}) {
        EXPECT_TRUE(IsUsablePrinterName(deviceLike)) << deviceLike;
    }
    EXPECT_FALSE(IsUsablePrinterName("\x95\x5C\\"));
    EXPECT_FALSE(IsUsablePrinterName("\xB4\xF2."));
}

TEST_F(PrinterNameFixture, OpeningMarksTheModelInstalledButNeverClearsTheMark) {
    spooler.AddDriver(kModel).AddQueue("Office", "LPT1:", kModel);
    page.Open(controls);
    EXPECT_EQ(settings.alreadyInstalled, 1);

    spooler.queues.clear();
    PrinterNamePage again{settings, spooler, nullptr, printers, ui};
    again.Open(controls);
    EXPECT_EQ(settings.alreadyInstalled, 1);
}

struct OverwriteFixture : PrinterNameFixture {
    void SetUp() override {
        spooler.AddDriver(kModel)
            .AddQueue("Office", "LPT1:", kModel)
            .AddQueue("Elsewhere", "LPT2:", "Other Driver");
        page.Open(controls);
    }
};

TEST_F(OverwriteFixture, TheNameOfAModelQueueInOtherCaseAsksNoEmptiesTheField) {
    ui.answers = {kIdNo};
    const PageResult r = NextWith("OFFICE", true);
    ExpectStayWithMessage(r, IDS_NAME_OVERWRITE, 0x134);
    EXPECT_EQ(controls.c(IDC_NAME_EDIT).text, "");
    EXPECT_EQ(spooler.queues.size(), 2u);
}

TEST_F(OverwriteFixture, YesDeletesThatQueueAndMovesOn) {
    ui.answers = {kIdYes};
    const PageResult r = NextWith("OFFICE", true);
    EXPECT_EQ(r.kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(r.next, PageId::Sharing);
    ASSERT_EQ(spooler.queues.size(), 1u);
    EXPECT_EQ(spooler.queues[0].name, SpoolerText("Elsewhere"));
}

TEST_F(OverwriteFixture, AFailedDeletionIsNotReported) {
    spooler.failDelete.insert("Office");
    ui.answers = {kIdYes};
    EXPECT_EQ(NextWith("Office", true).kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(OverwriteFixture, AQueueOfAnotherDriverOrANewNameAsksNothing) {
    EXPECT_EQ(NextWith("Elsewhere", true).kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(NextWith("New Name", true).kind, PageResult::Kind::MoveTo);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PrinterNameFixture, WithoutQueuesOfTheModelThereIsNoOverwriteQuestion) {
    // The queue exists but the model is not marked installed: no question.
    spooler.AddQueue("Office", "LPT1:", kModel);
    page.Open(controls);
    EXPECT_EQ(NextWith("Office", true).kind, PageResult::Kind::MoveTo);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PrinterNameFixture, CancelEscAndCloseAskTheCancelQuestion) {
    page.Open(controls);
    controls.c(IDC_NAME_EDIT).text = "Typed";
    ui.answers = {kIdNo, kIdNo, kIdYes};
    EXPECT_EQ(page.OnCommand(kIdCancel, controls).kind, PageResult::Kind::Stay);
    EXPECT_EQ(page.OnClose(controls).kind, PageResult::Kind::Stay);
    EXPECT_EQ(controls.c(IDC_NAME_EDIT).text, "Typed");
    const PageResult yes = page.OnClose(controls);
    EXPECT_EQ(yes.kind, PageResult::Kind::End);
    EXPECT_EQ(yes.exitCode, 1);
    for (const auto& box : ui.boxes) EXPECT_EQ(box.text, TextOf(IDS_CANCEL_QUESTION));
}

}  // namespace
}  // namespace tq

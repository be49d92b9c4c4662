#include <gtest/gtest.h>

#include "install/app/connection_type_page.h"
#include "install/app/sharing_page.h"
#include "install/res/resource.h"
#include "install/system/platform_class.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/fake_system_names.h"
#include "tests/support/fake_ui.h"

namespace tq {
namespace {

using test::FakeControls;
using test::FakeSpooler;
using test::FakeUi;
using test::TextOf;

struct SharingFixture : ::testing::Test {
    WizardSettings settings;
    FakeSpooler spooler;
    FakeUi ui;
    FakeControls controls;
    test::FakeSystemNames names;
    SharingPage page{settings, spooler, names, ui};

    void ExpectRefused(const PageResult& r, int textId) {
        EXPECT_EQ(r.kind, PageResult::Kind::Stay);
        ASSERT_FALSE(ui.boxes.empty());
        EXPECT_EQ(ui.boxes.back().text, TextOf(textId));
        EXPECT_EQ(ui.boxes.back().caption, TextOf(IDS_SHARE_ERROR_CAPTION));
        EXPECT_EQ(ui.boxes.back().style, 0x130u);
        EXPECT_EQ(controls.focus, IDC_SHARE_NAME);
    }
};

TEST_F(SharingFixture, FirstVisitIsNotSharedAndNextStoresThat) {
    page.Open(controls);
    EXPECT_TRUE(controls.c(IDC_SHARE_NONE).checked);
    EXPECT_FALSE(controls.c(IDC_SHARE_AS).checked);
    EXPECT_FALSE(controls.c(IDC_SHARE_NAME).enabled);
    EXPECT_EQ(controls.c(IDC_SHARE_NAME).text, "");
    EXPECT_EQ(controls.c(IDC_SHARE_NAME).limit, 12);
    const PageResult r = page.OnCommand(kIdOk, controls);
    EXPECT_EQ(r.kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(r.next, PageId::ConnectionType);
    EXPECT_EQ(settings.shareEnabled, 0);
    EXPECT_STREQ(settings.shareName, "");
}

TEST_F(SharingFixture, ChoosingToShareProposesTheFixedNameEveryTime) {
    page.Open(controls);
    page.OnCommand(IDC_SHARE_AS, controls);
    EXPECT_TRUE(controls.c(IDC_SHARE_NAME).enabled);
    EXPECT_EQ(controls.c(IDC_SHARE_NAME).text, "KestraTQ");
    controls.c(IDC_SHARE_NAME).text = "Edited";
    page.OnCommand(IDC_SHARE_NONE, controls);
    EXPECT_FALSE(controls.c(IDC_SHARE_NAME).enabled);
    EXPECT_EQ(controls.c(IDC_SHARE_NAME).text, "Edited");
    page.OnCommand(IDC_SHARE_AS, controls);
    EXPECT_EQ(controls.c(IDC_SHARE_NAME).text, "KestraTQ");
}

TEST_F(SharingFixture, TheNameIsStoredEvenWhenSharingIsOff) {
    page.Open(controls);
    controls.c(IDC_SHARE_NONE).checked = true;
    controls.c(IDC_SHARE_NAME).text = "Leftover";
    EXPECT_EQ(page.OnCommand(kIdOk, controls).kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(settings.shareEnabled, 0);
    EXPECT_STREQ(settings.shareName, "Leftover");
}

TEST_F(SharingFixture, AnEmptyShareNameIsRefused) {
    page.Open(controls);
    page.OnCommand(IDC_SHARE_AS, controls);
    controls.c(IDC_SHARE_AS).checked = true;
    controls.c(IDC_SHARE_NAME).text = "";
    ui.answers = {kIdOk};
    ExpectRefused(page.OnCommand(kIdOk, controls), IDS_SHARE_EMPTY);
    EXPECT_EQ(settings.shareEnabled, 1);
}

TEST_F(SharingFixture, AShareNameThatDoesNotFitTheRecordIsRefused) {
    page.Open(controls);
    controls.c(IDC_SHARE_AS).checked = true;
    controls.c(IDC_SHARE_NAME).text =
        "\xB4\xF2\xD3\xA1\xBB\xFA\xB4\xF2\xD3\xA1\xBB\xFA\xB4\xF2\xD3\xA1";
    ui.answers = {kIdOk};
    ExpectRefused(page.OnCommand(kIdOk, controls), IDS_SHARE_TOO_LONG);
    EXPECT_EQ(settings.shareEnabled, 0);
    EXPECT_STREQ(settings.shareName, "");
    // Fifteen bytes fit.
    controls.c(IDC_SHARE_NAME).text = "ABCDEFGHIJKLMNO";
    EXPECT_EQ(page.OnCommand(kIdOk, controls).kind, PageResult::Kind::MoveTo);
    EXPECT_STREQ(settings.shareName, "ABCDEFGHIJKLMNO");
}

TEST_F(SharingFixture, AShareNameRecordedOnAnotherQueueIsRefusedButAlreadyStored) {
    spooler.AddQueue("Old", "LPT1:", "Other", "KESTRATQ", /*attributes: not shared*/ 0);
    page.Open(controls);
    page.OnCommand(IDC_SHARE_AS, controls);
    controls.c(IDC_SHARE_AS).checked = true;
    ui.answers = {kIdOk};
    ExpectRefused(page.OnCommand(kIdOk, controls), IDS_SHARE_EXISTS);
    EXPECT_EQ(controls.c(IDC_SHARE_NAME).text, "");
    EXPECT_EQ(settings.shareEnabled, 1);
    EXPECT_STREQ(settings.shareName, "KestraTQ");

    // The next visit shows the stored choice and name.
    SharingPage again{settings, spooler, names, ui};
    FakeControls fresh;
    again.Open(fresh);
    EXPECT_TRUE(fresh.c(IDC_SHARE_AS).checked);
    EXPECT_FALSE(fresh.c(IDC_SHARE_NONE).checked);
    EXPECT_TRUE(fresh.c(IDC_SHARE_NAME).enabled);
    EXPECT_EQ(fresh.c(IDC_SHARE_NAME).text, "KestraTQ");
}

TEST_F(SharingFixture, AFolderShareOfTheNameIsInUseToo) {
    names.shares["kestratq"] = ShareKind::Other;
    page.Open(controls);
    page.OnCommand(IDC_SHARE_AS, controls);
    controls.c(IDC_SHARE_AS).checked = true;
    ui.answers = {kIdOk};
    ExpectRefused(page.OnCommand(kIdOk, controls), IDS_SHARE_EXISTS);
}

TEST_F(SharingFixture, BackStoresNothingAndCancelAsks) {
    page.Open(controls);
    controls.c(IDC_SHARE_AS).checked = true;
    controls.c(IDC_SHARE_NAME).text = "Typed";
    const PageResult back = page.OnCommand(IDC_BACK, controls);
    EXPECT_EQ(back.next, PageId::PrinterName);
    EXPECT_EQ(settings.shareEnabled, 0);
    EXPECT_STREQ(settings.shareName, "");
    ui.answers = {kIdNo};
    EXPECT_EQ(page.OnCommand(kIdCancel, controls).kind, PageResult::Kind::Stay);
}

struct ConnectionFixture : ::testing::Test {
    WizardSettings settings;
    FakeUi ui;
    FakeControls controls;

    std::vector<bool> Checks() {
        return {controls.c(IDC_CONN_USB).checked, controls.c(IDC_CONN_PARALLEL).checked,
                controls.c(IDC_CONN_NETWORK).checked, controls.c(IDC_CONN_SHARED).checked};
    }
};

TEST_F(ConnectionFixture, OpensOnTheStoredChoice) {
    ConnectionTypePage first{settings, ui, PlatformVista};
    first.Open(controls);
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false, false, false}));
    EXPECT_TRUE(controls.c(IDC_CONN_USB).enabled);

    settings.connectionType = Network;
    ConnectionTypePage again{settings, ui, PlatformVista};
    again.Open(controls);
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false, true, false}));
}

TEST_F(ConnectionFixture, NextStoresTheClickedChoiceAndLeadsOn) {
    const struct {
        int option;
        ConnectionType type;
        PageId next;
    } cases[] = {{IDC_CONN_USB, Usb, PageId::Progress},
                 {IDC_CONN_PARALLEL, Parallel, PageId::Progress},
                 {IDC_CONN_NETWORK, Network, PageId::TcpIpPort},
                 {IDC_CONN_SHARED, SharedNetwork, PageId::SharedPrinter}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        ConnectionTypePage page{settings, ui, PlatformXp};
        page.Open(controls);
        page.OnCommand(c.option, controls);
        const PageResult r = page.OnCommand(kIdOk, controls);
        EXPECT_EQ(r.kind, PageResult::Kind::MoveTo);
        EXPECT_EQ(r.next, c.next);
        EXPECT_EQ(settings.connectionType, c.type);
    }
}

TEST_F(ConnectionFixture, ParallelSetsLpt1WhichStaysWhenUsbIsChosenLater) {
    ConnectionTypePage page{settings, ui, PlatformVista};
    page.Open(controls);
    page.OnCommand(IDC_CONN_PARALLEL, controls);
    page.OnCommand(kIdOk, controls);
    EXPECT_STREQ(settings.portName, "LPT1:");

    ConnectionTypePage again{settings, ui, PlatformVista};
    again.Open(controls);
    again.OnCommand(IDC_CONN_USB, controls);
    again.OnCommand(kIdOk, controls);
    EXPECT_EQ(settings.connectionType, Usb);
    EXPECT_STREQ(settings.portName, "LPT1:");
}

TEST_F(ConnectionFixture, BackStoresNothing) {
    settings.connectionType = Network;
    ConnectionTypePage page{settings, ui, PlatformVista};
    page.Open(controls);
    page.OnCommand(IDC_CONN_PARALLEL, controls);
    const PageResult r = page.OnCommand(IDC_BACK, controls);
    EXPECT_EQ(r.next, PageId::Sharing);
    EXPECT_EQ(settings.connectionType, Network);
    EXPECT_STREQ(settings.portName, "");
}

TEST_F(ConnectionFixture, Nt4HasNoUsbAndStartsOnParallel) {
    ConnectionTypePage page{settings, ui, PlatformNt4};
    page.Open(controls);
    EXPECT_EQ(Checks(), (std::vector<bool>{false, true, false, false}));
    EXPECT_FALSE(controls.c(IDC_CONN_USB).enabled);
    EXPECT_FALSE(controls.c(IDC_CONN_USB_TEXT).enabled);
    page.OnCommand(kIdOk, controls);
    EXPECT_EQ(settings.connectionType, Parallel);
    EXPECT_STREQ(settings.portName, "LPT1:");
}

TEST_F(ConnectionFixture, CancelAndCloseAsk) {
    ConnectionTypePage page{settings, ui, PlatformVista};
    page.Open(controls);
    ui.answers = {kIdNo, kIdYes};
    EXPECT_EQ(page.OnCommand(kIdCancel, controls).kind, PageResult::Kind::Stay);
    EXPECT_EQ(page.OnClose(controls).exitCode, 1);
}

}  // namespace
}  // namespace tq

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "install/network/adapter_dialog.h"
#include "install/network/search_dialog.h"
#include "install/network/tcpip_port_page.h"
#include "install/res/resource.h"
#include "tests/support/fake_ui.h"

namespace tq {
namespace {

using test::FakeControls;
using test::FakeUi;
using test::TextOf;

// The port page's services: ports created, searches run; a search "chooses" what it is told.
struct FakePortServices : TcpIpPortServices {
    struct Port {
        std::string name;
        PortProtocol protocol;
    };
    std::vector<Port> ports;
    int searches = 0;
    std::string lastChosen;
    std::string chooseOnSearch;  // becomes lastChosen when a search runs, unless empty

    void CreatePort(const std::string& name, PortProtocol protocol) override {
        ports.push_back({name, protocol});
    }
    void RunSearchDialog(Page&) override {
        ++searches;
        if (!chooseOnSearch.empty()) lastChosen = chooseOnSearch;
    }
    std::string LastChosenAddress() override { return lastChosen; }
};

struct TcpIpPortFixture : ::testing::Test {
    WizardSettings settings;
    FakeUi ui;
    FakeControls controls;
    FakePortServices services;
    TcpIpPortPage page{settings, ui, services};

    void SetUp() override { page.Open(controls); }
    bool Shows(int id) { return controls.c(id).visible; }
    void ExpectStep(int step) {
        EXPECT_EQ(page.step(), step);
        EXPECT_EQ(Shows(IDC_TCP_RAW), step == 1);
        EXPECT_EQ(Shows(IDC_TCP_LPR), step == 1);
        EXPECT_EQ(Shows(IDC_TCP_PROTOCOL_LABEL), step == 1);
        EXPECT_EQ(Shows(IDC_TCP_ADDRESS), step == 2);
        EXPECT_EQ(Shows(IDC_TCP_SEARCH), step == 2);
        EXPECT_EQ(Shows(IDC_TCP_ADDRESS_LABEL), step == 2);
        EXPECT_EQ(Shows(IDC_TCP_CONFIRM_LABEL), step == 3);
        EXPECT_EQ(Shows(IDC_TCP_PORT_NAME), step == 3);
    }
    void Type(IpFields fields) { controls.IpAddressSet(IDC_TCP_ADDRESS, fields); }
    PageResult Next() { return page.OnCommand(kIdOk, controls); }
    PageResult Back() { return page.OnCommand(IDC_BACK, controls); }
};

TEST_F(TcpIpPortFixture, OpensOnRawWithTheAddressRangesSet) {
    ExpectStep(1);
    EXPECT_EQ(page.protocol(), PortProtocol::Raw);
    EXPECT_TRUE(controls.c(IDC_TCP_RAW).checked);
    EXPECT_FALSE(controls.c(IDC_TCP_LPR).checked);
    const auto& ranges = controls.c(IDC_TCP_ADDRESS).ipRanges;
    EXPECT_EQ(ranges[0], std::make_pair(1, 223));
    EXPECT_EQ(ranges[3], std::make_pair(1, 254));
    EXPECT_EQ(ranges[1], std::make_pair(0, 0)) << "the middle fields keep the control's own range";
    EXPECT_EQ(ranges[2], std::make_pair(0, 0));
}

TEST_F(TcpIpPortFixture, RawWalkCreatesThePortNamedByTheDottedAddress) {
    EXPECT_EQ(Next().kind, PageResult::Kind::Stay);
    ExpectStep(2);
    Type({192, 168, 0, 20});
    EXPECT_EQ(Next().kind, PageResult::Kind::Stay);
    ExpectStep(3);
    EXPECT_EQ(controls.c(IDC_TCP_PORT_NAME).text, "192.168.0.20");
    EXPECT_TRUE(services.ports.empty()) << "nothing is created before the last Next";
    const PageResult r = Next();
    EXPECT_EQ(r.kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(r.next, PageId::Progress);
    EXPECT_STREQ(settings.portName, "192.168.0.20");
    ASSERT_EQ(services.ports.size(), 1u);
    EXPECT_EQ(services.ports[0].name, "192.168.0.20");
    EXPECT_EQ(services.ports[0].protocol, PortProtocol::Raw);
}

TEST_F(TcpIpPortFixture, AddressChecksRefuseSilently) {
    Next();
    struct Case {
        IpFields fields;
        bool accepted;
    };
    const Case cases[] = {
        {{10, 0, 0, 5}, true},     {{192, 0, 0, 5}, true},  // middle zeros are not examined
        {{127, 0, 0, 1}, false},   {{192, 168, 0, 0}, false},  // last field blank or zero
        {{0, 0, 0, 0}, false},     {{0, 1, 2, 3}, false},   {{223, 255, 255, 254}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsAcceptedPrinterAddress(c.fields), c.accepted)
            << c.fields[0] << "." << c.fields[1] << "." << c.fields[2] << "." << c.fields[3];
    }
    controls.IpAddressSet(IDC_TCP_ADDRESS, std::nullopt);  // an empty control
    EXPECT_EQ(Next().kind, PageResult::Kind::Stay);
    Type({127, 0, 0, 1});
    EXPECT_EQ(Next().kind, PageResult::Kind::Stay);
    ExpectStep(2);
    EXPECT_TRUE(ui.boxes.empty()) << "a refused address shows no message";
    EXPECT_TRUE(services.ports.empty());
}

TEST_F(TcpIpPortFixture, LprSurvivesStepsAndBackTakesTheAddressAgain) {
    page.OnCommand(IDC_TCP_LPR, controls);
    Next();
    Type({10, 0, 0, 5});
    Next();
    ExpectStep(3);
    Back();
    ExpectStep(2);
    Back();
    ExpectStep(1);
    EXPECT_EQ(page.protocol(), PortProtocol::Lpr);
    Next();
    Type({10, 0, 0, 6});
    Next();
    Type({10, 0, 0, 7});  // changed behind the confirmation: Back takes it again
    Back();
    EXPECT_EQ(page.portName(), "10.0.0.7");
    Next();
    EXPECT_EQ(controls.c(IDC_TCP_PORT_NAME).text, "10.0.0.7");
    Next();
    ASSERT_EQ(services.ports.size(), 1u);
    EXPECT_EQ(services.ports[0].protocol, PortProtocol::Lpr);
    EXPECT_EQ(services.ports[0].name, "10.0.0.7");
}

TEST_F(TcpIpPortFixture, BackFromTheFirstStepAndCancel) {
    const PageResult back = Back();
    EXPECT_EQ(back.kind, PageResult::Kind::MoveTo);
    EXPECT_EQ(back.next, PageId::ConnectionType);
    ui.answers = {kIdNo, kIdYes};
    EXPECT_EQ(page.OnCommand(kIdCancel, controls).kind, PageResult::Kind::Stay);
    const PageResult yes = page.OnClose(controls);
    EXPECT_EQ(yes.kind, PageResult::Kind::End);
    EXPECT_EQ(yes.exitCode, 1);
}

TEST_F(TcpIpPortFixture, SearchFillsTheControlWithTheLastChosenAddressOrBlanksIt) {
    Next();
    Type({10, 0, 0, 5});
    page.OnCommand(IDC_TCP_SEARCH, controls);  // nothing ever chosen: the control is emptied
    EXPECT_TRUE(controls.c(IDC_TCP_ADDRESS).ipBlank);
    services.chooseOnSearch = "192.168.0.20";
    page.OnCommand(IDC_TCP_SEARCH, controls);
    EXPECT_FALSE(controls.c(IDC_TCP_ADDRESS).ipBlank);
    EXPECT_EQ(controls.c(IDC_TCP_ADDRESS).ip, (IpFields{192, 168, 0, 20}));
    services.chooseOnSearch.clear();
    page.OnCommand(IDC_TCP_SEARCH, controls);  // cancelled later: the earlier choice comes back
    EXPECT_EQ(controls.c(IDC_TCP_ADDRESS).ip, (IpFields{192, 168, 0, 20}));
    EXPECT_EQ(services.searches, 3);
}

// ---- search dialog ----------------------------------------------------------------------------

struct FakeSearchServices : SearchDialogServices {
    std::string stored;  // the host address file's value
    struct Start {
        int number;
        std::string hostAddress;
    };
    std::vector<Start> starts;
    bool adapterOk = false;
    std::string storeOnAdapterOk;

    std::string ReadHostAddress() override { return stored; }
    void StartSearch(Page&, int number, const std::string& hostAddress) override {
        starts.push_back({number, hostAddress});
    }
    bool RunAdapterDialog(Page&) override {
        if (adapterOk) stored = storeOnAdapterOk;
        return adapterOk;
    }
};

DiscoveredPrinter Printer(const char* name, const char* ip, const char* eth) {
    DiscoveredPrinter p{};
    std::strncpy(p.deviceName, name, sizeof p.deviceName - 1);
    std::strncpy(p.ipAddress, ip, sizeof p.ipAddress - 1);
    std::strncpy(p.ethernetAddress, eth, sizeof p.ethernetAddress - 1);
    return p;
}

struct SearchFixture : ::testing::Test {
    FakeUi ui;
    FakeControls controls;
    FakeSearchServices services;
    OpenSearchDialog open;
    std::string lastChosen;

    void SetUp() override { controls.c(IDC_SEARCH_LIST).sorted = true; }

    // Delivers what a worker reports, as the Win32 side does: through a SearchHandover.
    static SearchHandover HandoverTo(SearchDialog& dialog, FakeControls& controls,
                                     const OpenSearchDialog& open, int number) {
        return SearchHandover(open, number, [&dialog, &controls](unsigned m, int n, const void* d) {
            dialog.OnMessage(m, static_cast<std::uintptr_t>(n), reinterpret_cast<std::intptr_t>(d),
                             controls);
        });
    }
    void Click(SearchDialog& dialog, int row) {
        controls.c(IDC_SEARCH_LIST).selected = row;
        dialog.OnListClick(IDC_SEARCH_LIST, controls);
    }
};

TEST_F(SearchFixture, OpensTheListAndStartsASearchFromTheStoredAddress) {
    services.stored = "10.77.0.1";
    SearchDialog dialog(ui, services, open, lastChosen);
    dialog.Open(controls);
    const auto& list = controls.c(IDC_SEARCH_LIST);
    ASSERT_EQ(list.columns.size(), 3u);
    EXPECT_EQ(list.columns[0].title, TextOf(IDS_COLUMN_DEVICE_NAME));
    EXPECT_EQ(list.columns[0].widthPixels, 80);
    EXPECT_EQ(list.columns[1].widthPixels, 120);
    EXPECT_EQ(list.columns[2].title, TextOf(IDS_COLUMN_ETHERNET));
    EXPECT_EQ(list.columns[2].widthPixels, 115);
    EXPECT_TRUE(list.gridLines && list.fullRowSelect);
    ASSERT_EQ(services.starts.size(), 1u);
    EXPECT_EQ(services.starts[0].hostAddress, "10.77.0.1");
    EXPECT_TRUE(open.IsOpen(services.starts[0].number));
    // The timer shows the local address once.
    EXPECT_EQ(controls.timers.at(kLocalAddressTimerId), 120u);
    dialog.OnTimer(kLocalAddressTimerId, controls);
    EXPECT_EQ(controls.c(IDC_SEARCH_LOCAL_ADDRESS).text, "10.77.0.1");
    EXPECT_TRUE(controls.timers.empty());
}

TEST_F(SearchFixture, RowsArriveSortedAndTheClickedRowIsChosenOnOk) {
    SearchDialog dialog(ui, services, open, lastChosen);
    dialog.Open(controls);
    auto handover = HandoverTo(dialog, controls, open, services.starts[0].number);
    handover.ShowLocalAddress("10.77.0.1");
    EXPECT_EQ(controls.c(IDC_SEARCH_LOCAL_ADDRESS).text, "10.77.0.1");
    handover.ClearList();
    handover.AddPrinter(Printer("OFFICE-2", "10.77.0.3", "66-77"));
    handover.AddPrinter(Printer("OFFICE-1", "10.77.0.2", "00-11"));
    handover.AddPrinter(Printer("OFFICE-1", "10.77.0.2", "00-11"));  // twice: two rows
    const auto& rows = controls.c(IDC_SEARCH_LIST).rows;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"OFFICE-1", "10.77.0.2", "00-11"}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"OFFICE-2", "10.77.0.3", "66-77"}));

    Click(dialog, 2);
    EXPECT_EQ(dialog.candidate(), "10.77.0.3");
    controls.c(IDC_SEARCH_LIST).selected = 0;  // moved with the keyboard: no click
    const PageResult ok = dialog.OnCommand(kIdOk, controls);
    EXPECT_EQ(ok.kind, PageResult::Kind::End);
    EXPECT_EQ(ok.exitCode, kIdOk);
    EXPECT_EQ(lastChosen, "10.77.0.3");
}

TEST_F(SearchFixture, OkWithoutSelectionAndCancelKeepTheLastChoice) {
    lastChosen = "192.168.0.20";
    {
        SearchDialog dialog(ui, services, open, lastChosen);
        dialog.Open(controls);
        EXPECT_EQ(dialog.OnCommand(kIdOk, controls).exitCode, kIdOk);
        EXPECT_EQ(lastChosen, "192.168.0.20");
    }
    SearchDialog dialog(ui, services, open, lastChosen);
    dialog.Open(controls);
    auto handover = HandoverTo(dialog, controls, open, services.starts.back().number);
    handover.AddPrinter(Printer("OFFICE-1", "10.77.0.2", "00-11"));
    Click(dialog, 0);
    EXPECT_EQ(dialog.OnClose(controls).exitCode, kIdCancel);
    EXPECT_EQ(lastChosen, "192.168.0.20");
}

TEST_F(SearchFixture, SearchesThatOutliveTheirDialogReachNobody) {
    auto dialog = std::make_unique<SearchDialog>(ui, services, open, lastChosen);
    dialog->Open(controls);
    const int first = services.starts[0].number;
    int sent = 0;
    SearchHandover stale(open, first, [&](unsigned, int, const void*) { ++sent; });
    dialog->OnCommand(kIdCancel, controls);
    stale.AddPrinter(Printer("LATE", "10.0.0.9", "aa"));
    stale.ShowLocalAddress("10.0.0.1");
    EXPECT_EQ(sent, 0) << "a closed dialog gets no report";
    dialog.reset();

    // A new dialog: the old search still reaches nobody, even by a message already on its way.
    SearchDialog second(ui, services, open, lastChosen);
    second.Open(controls);
    stale.AddPrinter(Printer("LATE", "10.0.0.9", "aa"));
    EXPECT_EQ(sent, 0);
    const DiscoveredPrinter late = Printer("LATE", "10.0.0.9", "aa");
    controls.c(IDC_SEARCH_LIST).rows.clear();
    second.OnMessage(kSearchRowMessage, static_cast<std::uintptr_t>(first),
                     reinterpret_cast<std::intptr_t>(&late), controls);
    EXPECT_TRUE(controls.c(IDC_SEARCH_LIST).rows.empty());
    EXPECT_NE(services.starts.back().number, first);
}

TEST_F(SearchFixture, SearchAgainAndTheAdapterDialog) {
    SearchDialog dialog(ui, services, open, lastChosen);
    dialog.Open(controls);
    auto handover = HandoverTo(dialog, controls, open, services.starts[0].number);
    handover.ShowLocalAddress("192.168.1.9");  // no stored address: the computer's first one
    handover.AddPrinter(Printer("OFFICE-1", "10.77.0.2", "00-11"));

    services.adapterOk = false;  // cancelled: nothing read again
    services.stored = "10.1.1.1";
    dialog.OnCommand(IDC_SEARCH_ADAPTERS, controls);
    EXPECT_EQ(dialog.hostAddress(), "");
    EXPECT_EQ(controls.c(IDC_SEARCH_LOCAL_ADDRESS).text, "192.168.1.9");

    services.adapterOk = true;
    services.storeOnAdapterOk = "10.77.0.1";
    dialog.OnCommand(IDC_SEARCH_ADAPTERS, controls);
    EXPECT_EQ(controls.c(IDC_SEARCH_LOCAL_ADDRESS).text, "10.77.0.1");
    EXPECT_EQ(controls.c(IDC_SEARCH_LIST).rows.size(), 1u) << "rows stay until the next search";
    EXPECT_EQ(services.starts.size(), 1u) << "the adapter dialog starts no search";

    services.storeOnAdapterOk = "";  // an empty choice: the next search binds to the first address
    dialog.OnCommand(IDC_SEARCH_ADAPTERS, controls);
    EXPECT_EQ(controls.c(IDC_SEARCH_LOCAL_ADDRESS).text, "10.77.0.1");
    dialog.OnCommand(IDC_SEARCH_AGAIN, controls);
    ASSERT_EQ(services.starts.size(), 2u);
    EXPECT_EQ(services.starts[1].hostAddress, "");
    EXPECT_EQ(services.starts[1].number, services.starts[0].number);
}

// ---- adapter dialog ---------------------------------------------------------------------------

struct FakeAdapters : NetworkAdapters {
    bool ok = true;
    std::vector<AdapterAddress> addresses;
    bool ListAddresses(std::vector<AdapterAddress>& out) override {
        out = ok ? addresses : std::vector<AdapterAddress>{};
        return ok;
    }
};

TEST(AdapterDialogTest, ListsEveryAddressAndStoresTheClickedOne) {
    FakeUi ui;
    FakeControls controls;
    controls.c(IDC_ADAPTER_LIST).sorted = true;
    FakeAdapters adapters;
    adapters.addresses = {{"eth1", "10.77.0.1"}, {"eth0", "192.168.1.9"}, {"eth1", "10.78.0.1"}};
    std::vector<std::string> stored;
    AdapterDialog dialog(ui, adapters, [&](const std::string& a) { stored.push_back(a); },
                         stdout);
    dialog.Open(controls);
    const auto& list = controls.c(IDC_ADAPTER_LIST);
    ASSERT_EQ(list.columns.size(), 2u);
    EXPECT_EQ(list.columns[0].title, TextOf(IDS_COLUMN_ADAPTER));
    EXPECT_EQ(list.columns[0].widthPixels, 156);
    EXPECT_EQ(list.columns[1].widthPixels, 150);
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(list.rows[0], (std::vector<std::string>{"eth0", "192.168.1.9"}));

    // Select with no row: closes with OK, nothing stored.
    EXPECT_EQ(dialog.OnCommand(kIdOk, controls).exitCode, kIdOk);
    EXPECT_TRUE(stored.empty());
    // A row chosen by keyboard only stores the last clicked candidate: none yet, so empty.
    controls.c(IDC_ADAPTER_LIST).selected = 1;
    dialog.OnCommand(kIdOk, controls);
    controls.c(IDC_ADAPTER_LIST).selected = 2;
    dialog.OnListClick(IDC_ADAPTER_LIST, controls);
    dialog.OnCommand(kIdOk, controls);
    EXPECT_EQ(stored, (std::vector<std::string>{"", "10.78.0.1"}));
    EXPECT_EQ(dialog.OnCommand(kIdCancel, controls).exitCode, kIdCancel);
    EXPECT_EQ(stored.size(), 2u);
}

TEST(AdapterDialogTest, EnumerationFailureLeavesTheListEmptyAndSaysSoOnStandardOutput) {
    FakeUi ui;
    FakeControls controls;
    FakeAdapters adapters;
    adapters.ok = false;
    AdapterDialog dialog(ui, adapters, [](const std::string&) {}, stdout);
    ::testing::internal::CaptureStdout();
    dialog.Open(controls);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Call to GetAdaptersInfo failed.\n");
    EXPECT_TRUE(controls.c(IDC_ADAPTER_LIST).rows.empty());
}

}  // namespace
}  // namespace tq

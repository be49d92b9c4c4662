// End-to-end scenarios of a network printer: the TCP/IP port page with a typed address, and the
// search for printers answered by real SNMP agents on the test network (scripts/testnet.sh).
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/installer.h"
#include "tests/e2e/robot.h"
#include "tests/e2e/scenario_steps.h"
#include "tests/e2e/spooler_setup.h"
#include "tests/e2e/system_state.h"
#include "tests/e2e/tcpmon_setup.h"

namespace tq::e2e {
namespace {

constexpr char kProtocolLabel[] = "请选择TCP/IP端口监视器的协议：";
constexpr char kAddressLabel[] = "请输入网络打印机的IP地址：";
constexpr char kConfirmLabel[] = "按[下一步]按钮，以下TCP/IP端口将被添加到计算机中：";
constexpr DWORD kInstallTimeoutMs = 60000;
// A refused address must not move the page within this time.
constexpr DWORD kRefusalWatchMs = 800;
// The test network of scripts/testnet.sh: this side, the agent of our maker, another maker's.
constexpr char kLocalAddress[] = "10.77.0.1";
constexpr char kPrinterAddress[] = "10.77.0.2";
constexpr char kOtherMakersAddress[] = "10.77.0.3";

const std::vector<int> kStep1 = {IDC_TCP_PROTOCOL_LABEL, IDC_TCP_RAW, IDC_TCP_LPR};
const std::vector<int> kStep2 = {IDC_TCP_ADDRESS_LABEL, IDC_TCP_ADDRESS, IDC_TCP_SEARCH};
const std::vector<int> kStep3 = {IDC_TCP_CONFIRM_LABEL, IDC_TCP_PORT_NAME};

bool ShowsStep(HWND page, int step) {
    const std::vector<int>* steps[] = {&kStep1, &kStep2, &kStep3};
    for (int s = 1; s <= 3; ++s) {
        for (int id : *steps[s - 1]) {
            if (ControlVisible(page, id) != (s == step)) return false;
        }
    }
    return true;
}

bool WaitForStep(HWND page, int step) {
    return WaitUntil([&] { return ShowsStep(page, step); }, kReactionTimeoutMs);
}

HWND AddressControl(HWND page) {
    return GetDlgItem(page, IDC_TCP_ADDRESS);
}

// 下一步 on step 2 with an address the page must refuse: no move, no message, still step 2.
void ExpectRefused(const Process& installer, HWND page, const char* what) {
    ASSERT_TRUE(Click(page, IDOK));
    EXPECT_FALSE(WaitUntil([&] { return !ShowsStep(page, 2); }, kRefusalWatchMs))
        << what << " was accepted";
    EXPECT_EQ(TopLevelWindows(installer.Id()), std::vector<HWND>{page})
        << what << ": something besides the page appeared";
}

// From a fresh start to the TCP/IP port page's first step.
HWND OpenTcpIpPortPage(const Process& installer) {
    InstallChoices choices;
    choices.connection = IDC_CONN_NETWORK;
    std::string error;
    HWND connection = WalkToConnectionChoice(installer, choices, &error);
    EXPECT_NE(connection, nullptr) << error;
    if (connection == nullptr || !Click(connection, IDOK)) return nullptr;
    HWND page = WaitForTcpIpPortPage(installer);
    EXPECT_NE(page, nullptr) << "网络打印机 and 下一步 did not open the TCP/IP port page";
    return page;
}

// Step 3 to the end: the port name shown, 下一步, the installation, the queue on that port.
void FinishOnPort(const Process& installer, HWND page, const std::string& port) {
    ASSERT_TRUE(WaitForStep(page, 3));
    EXPECT_EQ(ControlText(page, IDC_TCP_CONFIRM_LABEL), kConfirmLabel);
    EXPECT_EQ(ControlText(page, IDC_TCP_PORT_NAME), port);
    ASSERT_TRUE(Click(page, IDOK));
    HWND progress = WaitForProgressPage(installer);
    ASSERT_NE(progress, nullptr) << "no progress page after the port";
    const ProgressWatch watch = WatchProgress(installer, progress, kInstallTimeoutMs);
    ASSERT_TRUE(watch.finished) << "the installation did not finish";
    EXPECT_EQ(ControlText(progress, IDC_PROGRESS_STATUS), "驱动程序安装完成!");
    const auto queues = ListQueues();
    ASSERT_EQ(queues.size(), 1u);
    EXPECT_EQ(queues[0].name, kModelDriver);
    EXPECT_EQ(queues[0].port, port) << "the queue is not on the port named by the address";
    EXPECT_EQ(queues[0].driver, kModelDriver);
    EXPECT_EQ(DefaultPrinter(), std::optional<std::string>(kModelDriver));
    ASSERT_TRUE(Click(progress, IDCANCEL));
    EXPECT_EQ(installer.WaitForExit(kReactionTimeoutMs), std::optional<DWORD>(1));
}

// The port as the monitor double saw it and lists it after the installation: "ConfigPort" then
// "AddPort", each with one whole record naming the port (also its host address), and nothing
// else; then the port among this computer's ports, reported by that monitor.
void ExpectPortCreated(const std::string& port, const std::string& protocol,
                       const std::string& portNumber, const std::string& queue) {
    const std::string record =
        port + "|" + protocol + "|" + portNumber + "|" + queue + "|" + port + "|964";
    EXPECT_EQ(TcpMonitorCalls(),
              (std::vector<std::string>{"ConfigPort|" + record, "AddPort|" + record}));
    bool listed = false;
    for (const PortEntry& entry : ListPorts()) {
        if (entry.name != port) continue;
        listed = true;
        EXPECT_EQ(entry.monitor, kTcpIpMonitor);
    }
    EXPECT_TRUE(listed) << "EnumPortsA does not list " << port;
}

TEST(E2e, TcpIpPortRaw) {
    std::string error;
    ASSERT_TRUE(InstallTcpMonitorDouble(&error)) << error;
    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = OpenTcpIpPortPage(*installer);
    ASSERT_NE(page, nullptr);

    // Step 1: the protocol, Raw chosen.
    EXPECT_TRUE(ShowsStep(page, 1));
    EXPECT_EQ(Text(page), "Kestra 打印机驱动程序安装");
    EXPECT_EQ(ControlText(page, IDC_TCP_PROTOCOL_LABEL), kProtocolLabel);
    EXPECT_EQ(ControlText(page, IDC_TCP_RAW), "使用Raw协议");
    EXPECT_EQ(ControlText(page, IDC_TCP_LPR), "使用LPR协议");
    EXPECT_TRUE(ControlChecked(page, IDC_TCP_RAW));
    EXPECT_FALSE(ControlChecked(page, IDC_TCP_LPR));
    EXPECT_EQ(ControlText(page, IDC_BACK), "上一步(&B)");
    EXPECT_EQ(ControlText(page, IDOK), "下一步(&N)");
    EXPECT_EQ(ControlText(page, IDCANCEL), "取消");
    EXPECT_NE(GetWindowLongPtrW(page, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0) << "no taskbar button";
    ExpectShot(page, "tcpip-step1");

    // Step 2: the address, with the refusals.
    ASSERT_TRUE(Click(page, IDOK));
    ASSERT_TRUE(WaitForStep(page, 2)) << "下一步 did not show the address step";
    EXPECT_EQ(ControlText(page, IDC_TCP_ADDRESS_LABEL), kAddressLabel);
    EXPECT_EQ(ControlText(page, IDC_TCP_SEARCH), "查找");
    EXPECT_EQ(ClassName(AddressControl(page)), "SysIPAddress32");
    ExpectRefused(*installer, page, "an empty address");
    ASSERT_TRUE(SetIpAddress(AddressControl(page), 127, 0, 0, 1));
    ExpectRefused(*installer, page, "127.0.0.1");
    ASSERT_TRUE(SetIpFieldTexts(AddressControl(page), {"192", "168", "0", ""}));
    ExpectRefused(*installer, page, "an address with an empty last field");
    ASSERT_TRUE(SetIpAddress(AddressControl(page), 192, 168, 0, 20));
    ExpectShot(page, "tcpip-step2");
    ASSERT_TRUE(Click(page, IDOK));
    ASSERT_TRUE(WaitForStep(page, 3));
    ExpectShot(page, "tcpip-step3");
    FinishOnPort(*installer, page, "192.168.0.20");
    ExpectPortCreated("192.168.0.20", "1", "9100", "");
}

// The same port and queue from the command line alone, with no window.
TEST(E2e, UnattendedTcpIpRaw) {
    std::string error;
    ASSERT_TRUE(InstallTcpMonitorDouble(&error)) << error;
    const QuietRun run =
        RunQuiet(g_paths, "/QUIET /Port:192.168.0.20 /protocol:raw /log:C:\\tq.log", kInstallTimeoutMs);
    ASSERT_EQ(run.exitCode, std::optional<DWORD>(0)) << run.error;
    EXPECT_FALSE(run.windowShown);
    ExpectPortCreated("192.168.0.20", "1", "9100", "");
    const auto queues = ListQueues();
    ASSERT_EQ(queues.size(), 1u);
    EXPECT_EQ(queues[0].name, kModelDriver);
    EXPECT_EQ(queues[0].port, "192.168.0.20");
    EXPECT_EQ(DefaultPrinter(), std::optional<std::string>(kModelDriver));
    const auto lines = LogLines("C:\\tq.log");
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "port 192.168.0.20 (Raw): requested"),
              lines.end());
    EXPECT_EQ(lines.back(), "exit code 0");
}

TEST(E2e, TcpIpPortLpr) {
    std::string error;
    ASSERT_TRUE(InstallTcpMonitorDouble(&error)) << error;
    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = OpenTcpIpPortPage(*installer);
    ASSERT_NE(page, nullptr);

    ASSERT_TRUE(Click(page, IDC_TCP_LPR));
    ASSERT_TRUE(WaitUntil([&] { return ControlChecked(page, IDC_TCP_LPR); }, kReactionTimeoutMs));
    ASSERT_TRUE(Click(page, IDOK));
    ASSERT_TRUE(WaitForStep(page, 2));

    // A search cancelled before any address was ever chosen empties the control. (The sandbox
    // has only loopback: nothing answers.)
    ASSERT_TRUE(SetIpAddress(AddressControl(page), 10, 0, 0, 9));
    ASSERT_TRUE(Click(page, IDC_TCP_SEARCH));
    HWND search = WaitForSearchDialog(*installer);
    ASSERT_NE(search, nullptr) << "查找 opened no search dialog";
    ASSERT_TRUE(Click(search, IDCANCEL));
    ASSERT_TRUE(WaitGone(search));
    EXPECT_TRUE(WaitUntil(
        [&] { return IpFieldTexts(AddressControl(page)) == std::vector<std::string>(4, ""); },
        kReactionTimeoutMs))
        << "the address control was not emptied";

    // Forward to step 3, back to step 1 and forward again: LPR stays.
    ASSERT_TRUE(SetIpAddress(AddressControl(page), 10, 0, 0, 5));
    ASSERT_TRUE(Click(page, IDOK));
    ASSERT_TRUE(WaitForStep(page, 3));
    EXPECT_EQ(ControlText(page, IDC_TCP_PORT_NAME), "10.0.0.5");
    ASSERT_TRUE(Click(page, IDC_BACK));
    ASSERT_TRUE(WaitForStep(page, 2));
    ASSERT_TRUE(Click(page, IDC_BACK));
    ASSERT_TRUE(WaitForStep(page, 1));
    EXPECT_TRUE(ControlChecked(page, IDC_TCP_LPR));
    EXPECT_FALSE(ControlChecked(page, IDC_TCP_RAW));
    ASSERT_TRUE(Click(page, IDOK));
    ASSERT_TRUE(WaitForStep(page, 2));
    EXPECT_EQ(IpFieldTexts(AddressControl(page)), (std::vector<std::string>{"10", "0", "0", "5"}));
    ASSERT_TRUE(Click(page, IDOK));
    FinishOnPort(*installer, page, "10.0.0.5");
    // Only the last 下一步 creates the port: the first visit of step 3 sent nothing.
    ExpectPortCreated("10.0.0.5", "2", "515", "lpr");
}

// The host address file as the installer writes it for this user.
std::string HostAddressFileValue() {
    char appData[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, FALSE)) return "<no folder>";
    const std::string path = std::string(appData) + "\\TRX100\\HostIPAddress.ini";
    char value[64] = {};
    GetPrivateProfileStringA("IP", "Address", "<none>", value, sizeof value, path.c_str());
    return value;
}

std::optional<ListViewContents> WaitForRows(HWND list, size_t count) {
    std::optional<ListViewContents> seen;
    WaitUntil(
        [&] {
            seen = ReadListView(list);
            return seen && seen->rows.size() >= count;
        },
        kReactionTimeoutMs);
    return seen;
}

// Needs the test network (e2e-scenario.sh brings it up for this scenario).
TEST(E2e, NetworkSearch) {
    std::string error;
    ASSERT_TRUE(InstallTcpMonitorDouble(&error)) << error;
    auto installer = StartInstaller(g_paths, &error);
    ASSERT_TRUE(installer) << error;
    HWND page = OpenTcpIpPortPage(*installer);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(Click(page, IDOK));
    ASSERT_TRUE(WaitForStep(page, 2));

    ASSERT_TRUE(Click(page, IDC_TCP_SEARCH));
    HWND search = WaitForSearchDialog(*installer);
    ASSERT_NE(search, nullptr) << "查找 opened no search dialog";
    EXPECT_EQ(ControlText(search, IDC_SEARCH_PROMPT), "请选择要使用的网络打印机：");
    EXPECT_EQ(ControlText(search, IDC_SEARCH_LOCAL_LABEL), "本机IP地址：");
    EXPECT_EQ(ControlText(search, IDC_SEARCH_ADAPTERS), "获取本机网卡信息");
    EXPECT_EQ(ControlText(search, IDC_SEARCH_AGAIN), "重新查找");
    EXPECT_EQ(ControlText(search, IDOK), "确定");
    EXPECT_EQ(ControlText(search, IDCANCEL), "取消");
    HWND list = GetDlgItem(search, IDC_SEARCH_LIST);

    // No host address file yet: the search goes out from this computer's first address, and
    // only the agent of our maker is listed.
    auto rows = WaitForRows(list, 1);
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->columns, (std::vector<std::string>{"设备名称", "IP地址", "Ethernet地址"}));
    EXPECT_EQ(rows->columnWidths, (std::vector<int>{80, 120, 115}));
    ASSERT_EQ(rows->rows.size(), 1u) << "expected the one printer of our maker";
    EXPECT_EQ(rows->rows[0],
              (std::vector<std::string>{"OFFICE-1", kPrinterAddress, "00-11-22-33-44-55"}));
    EXPECT_TRUE(WaitUntil([&] { return ControlText(search, IDC_SEARCH_LOCAL_ADDRESS) == kLocalAddress; },
                          kReactionTimeoutMs))
        << "local address shown: " << ControlText(search, IDC_SEARCH_LOCAL_ADDRESS);
    ExpectShot(search, "search");

    // The adapter dialog lists this side's address; choosing it writes the host address file.
    ASSERT_TRUE(Click(search, IDC_SEARCH_ADAPTERS));
    HWND adapters = WaitForAdapterDialog(*installer);
    ASSERT_NE(adapters, nullptr) << "获取本机网卡信息 opened no adapter dialog";
    EXPECT_EQ(ControlText(adapters, IDOK), "选择");
    HWND adapterList = GetDlgItem(adapters, IDC_ADAPTER_LIST);
    const auto adapterRows = WaitForRows(adapterList, 1);
    ASSERT_TRUE(adapterRows);
    EXPECT_EQ(adapterRows->columns, (std::vector<std::string>{"网卡", "IP地址"}));
    int localRow = -1;
    for (size_t i = 0; i < adapterRows->rows.size(); ++i) {
        if (adapterRows->rows[i].at(1) == kLocalAddress) localRow = static_cast<int>(i);
    }
    ASSERT_GE(localRow, 0) << "this side's address is not listed";
    ExpectShot(adapters, "adapters");
    ASSERT_TRUE(ClickListRow(adapterList, localRow));
    ASSERT_TRUE(Click(adapters, IDOK));
    ASSERT_TRUE(WaitGone(adapters));
    EXPECT_EQ(HostAddressFileValue(), kLocalAddress);

    // 重新查找 binds to the stored address and lists the printer again, once.
    ASSERT_TRUE(Click(search, IDC_SEARCH_AGAIN));
    Sleep(1000);  // the new search clears the list as its request goes out
    rows = WaitForRows(list, 1);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->rows.size(), 1u);
    for (const auto& row : rows->rows) EXPECT_NE(row.at(1), kOtherMakersAddress);

    // A click on the row and 确定: the page's address control takes the printer's address.
    ASSERT_TRUE(ClickListRow(list, 0));
    ASSERT_TRUE(Click(search, IDOK));
    ASSERT_TRUE(WaitGone(search));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return IpFieldTexts(AddressControl(page)) ==
                   std::vector<std::string>{"10", "77", "0", "2"};
        },
        kReactionTimeoutMs))
        << "the address control does not hold the chosen printer's address";
    ASSERT_TRUE(Click(page, IDOK));
    FinishOnPort(*installer, page, kPrinterAddress);
    ExpectPortCreated(kPrinterAddress, "1", "9100", "");
}

}  // namespace
}  // namespace tq::e2e

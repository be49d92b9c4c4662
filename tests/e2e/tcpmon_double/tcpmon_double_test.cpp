// The Standard TCP/IP Port monitor double under Wine: whether the spooler routes the
// configuration channel to a monitor registered under that name, what the double makes of the
// installer's port creation (through the installer's own record and channel), how it lists its
// ports, what it refuses, and whether a queue can sit on one of its ports. The cases build on
// each other in order, in a prefix of this program's own.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "install/network/tcpip_port.h"
#include "platform/win32/port_monitor_win32.h"

namespace tq {
namespace {

constexpr char kMonitor[] = "Standard TCP/IP Port";
constexpr char kChannel[] = ",XcvMonitor Standard TCP/IP Port";
const std::wstring kPortsKey =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports\\";

std::string SystemFolder() {
    char folder[MAX_PATH] = "";
    GetSystemDirectoryA(folder, MAX_PATH);
    return folder;
}

std::string CallsFile() {
    return SystemFolder() + "\\tcpmon-calls.txt";
}

// The lines the double wrote, without their line ends.
std::vector<std::string> Calls() {
    std::vector<std::string> lines;
    HANDLE file = CreateFileA(CallsFile().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    CloseHandle(file);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

void ClearCalls() {
    DeleteFileA(CallsFile().c_str());
}

// The double copied into the system folder and registered by bare name, as a scenario does it.
bool InstallDouble(DWORD* error) {
    const std::string target = SystemFolder() + "\\tcpmon.dll";
    if (!CopyFileA(TQ_TCPMON_DOUBLE, target.c_str(), FALSE)) {
        *error = GetLastError();
        return false;
    }
    std::string name = kMonitor, environment = "Windows x64", dll = "tcpmon.dll";
    MONITOR_INFO_2A info{name.data(), environment.data(), dll.data()};
    SetLastError(0xDEADBEEF);
    const BOOL added = AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    *error = GetLastError();
    return added != FALSE;
}

HANDLE OpenChannel(DWORD access, DWORD* error = nullptr) {
    std::string name = kChannel;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, access};
    HANDLE handle = nullptr;
    SetLastError(0xDEADBEEF);
    if (!OpenPrinterA(name.data(), &handle, &defaults)) handle = nullptr;
    if (error != nullptr) *error = GetLastError();
    return handle;
}

// The monitor's status for one command (XcvDataW itself must succeed).
DWORD Send(HANDLE channel, const wchar_t* command, const void* input, DWORD size) {
    std::vector<BYTE> data(static_cast<const BYTE*>(input), static_cast<const BYTE*>(input) + size);
    DWORD needed = 0;
    DWORD status = 0xDEADBEEF;
    BYTE output = 0;
    EXPECT_TRUE(XcvDataW(channel, command, data.data(), size, &output, 0, &needed, &status))
        << "XcvDataW failed, error " << GetLastError();
    return status;
}

struct PortSeen {
    std::string name;
    std::string monitor;  // level 2 only
    std::string description;
};

std::vector<PortSeen> Ports(DWORD level) {
    std::vector<PortSeen> ports;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPortsA(nullptr, level, nullptr, 0, &needed, &count);
    if (needed == 0) return ports;
    std::vector<BYTE> block(needed);
    if (!EnumPortsA(nullptr, level, block.data(), needed, &needed, &count)) return ports;
    for (DWORD i = 0; i < count; ++i) {
        if (level == 1) {
            ports.push_back({reinterpret_cast<PORT_INFO_1A*>(block.data())[i].pName, "", ""});
        } else {
            const PORT_INFO_2A& info = reinterpret_cast<PORT_INFO_2A*>(block.data())[i];
            ports.push_back({info.pPortName, info.pMonitorName ? info.pMonitorName : "",
                             info.pDescription ? info.pDescription : ""});
        }
    }
    return ports;
}

std::optional<PortSeen> FindPort(DWORD level, const std::string& name) {
    for (const PortSeen& port : Ports(level)) {
        if (port.name == name) return port;
    }
    return std::nullopt;
}

bool PortKeyExists(const std::wstring& port) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kPortsKey + port).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// A value of the port's key as text: REG_SZ as is, REG_DWORD in decimal.
std::string PortValue(const std::wstring& port, const wchar_t* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kPortsKey + port).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return "<no port>";
    }
    BYTE data[512] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    DWORD type = 0;
    const LONG status = RegQueryValueExW(key, value, nullptr, &type, data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return "<missing>";
    if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(data));
    if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
    std::string text;
    for (const wchar_t* c = reinterpret_cast<wchar_t*>(data); *c != L'\0'; ++c) {
        text += static_cast<char>(*c);
    }
    return text;
}

// The double's entry in the monitor list (level 2), if it is registered.
std::optional<std::string> RegisteredDll() {
    DWORD needed = 0, count = 0;
    EnumMonitorsA(nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed);
    if (needed == 0 || !EnumMonitorsA(nullptr, 2, block.data(), needed, &needed, &count)) {
        return std::nullopt;
    }
    for (DWORD i = 0; i < count; ++i) {
        const auto& info = reinterpret_cast<MONITOR_INFO_2A*>(block.data())[i];
        if (std::string(info.pName) == kMonitor) return std::string(info.pDLLName);
    }
    return std::nullopt;
}

// Registers the double for a case run on its own (the first case registers it otherwise).
void EnsureInstalled() {
    if (RegisteredDll()) return;
    DWORD error = 0;
    ASSERT_TRUE(InstallDouble(&error)) << "error " << error;
}

TEST(TcpMonitorDouble, WineRoutesTheChannelToTheMonitorRegisteredUnderItsName) {
    // Without a monitor of that name the channel cannot be opened.
    DWORD error = 0;
    EXPECT_EQ(OpenChannel(SERVER_ACCESS_ADMINISTER, &error), nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_UNKNOWN_PORT));

    ASSERT_TRUE(InstallDouble(&error)) << "AddMonitorA failed, error " << error;
    EXPECT_EQ(RegisteredDll(), std::optional<std::string>("tcpmon.dll"));

    HANDLE channel = OpenChannel(SERVER_ACCESS_ADMINISTER, &error);
    ASSERT_NE(channel, nullptr) << "OpenPrinterA(" << kChannel << ") failed, error " << error;
    // Nothing is sent on opening; the double has no ports yet.
    EXPECT_TRUE(Calls().empty());
    EXPECT_FALSE(FindPort(1, "192.168.0.20"));
    EXPECT_TRUE(ClosePrinter(channel));
}

TEST(TcpMonitorDouble, TakesTheInstallersPortAndListsIt) {
    EnsureInstalled();
    ClearCalls();
    Win32PortMonitor monitor;
    EXPECT_EQ(CreateTcpIpPort(monitor, "192.168.0.20", PortProtocol::Raw), 1);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"ConfigPort|192.168.0.20|1|9100||192.168.0.20|964",
                                                 "AddPort|192.168.0.20|1|9100||192.168.0.20|964"}));
    // Kept where Windows' monitor keeps it: a dotted address is the IP address, not a host name.
    const std::wstring port = L"192.168.0.20";
    EXPECT_EQ(PortValue(port, L"Protocol"), "1");
    EXPECT_EQ(PortValue(port, L"Version"), "1");
    EXPECT_EQ(PortValue(port, L"PortNumber"), "9100");
    EXPECT_EQ(PortValue(port, L"IPAddress"), "192.168.0.20");
    EXPECT_EQ(PortValue(port, L"HostName"), "");
    EXPECT_EQ(PortValue(port, L"Queue"), "");
    EXPECT_EQ(PortValue(port, L"SNMP Enabled"), "0");

    // Both levels, beside the ports of Wine's own monitor.
    EXPECT_TRUE(FindPort(1, "192.168.0.20"));
    EXPECT_TRUE(FindPort(1, "LPT1:"));
    const auto seen = FindPort(2, "192.168.0.20");
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->monitor, kMonitor);
    EXPECT_EQ(seen->description, kMonitor);

    // The same port again as LPR: ConfigPort reconfigures it, AddPort finds it there.
    ClearCalls();
    HANDLE channel = OpenChannel(SERVER_ACCESS_ADMINISTER);
    ASSERT_NE(channel, nullptr);
    const PortData lpr = BuildPortData("192.168.0.20", PortProtocol::Lpr);
    EXPECT_EQ(Send(channel, L"ConfigPort", lpr.data(), lpr.size()), static_cast<DWORD>(NO_ERROR));
    EXPECT_EQ(Send(channel, L"AddPort", lpr.data(), lpr.size()),
              static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ClosePrinter(channel);
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"ConfigPort|192.168.0.20|2|515|lpr|192.168.0.20|964",
                                        "AddPort|192.168.0.20|2|515|lpr|192.168.0.20|964"}));
    EXPECT_EQ(PortValue(port, L"Protocol"), "2");
    EXPECT_EQ(PortValue(port, L"PortNumber"), "515");
    EXPECT_EQ(PortValue(port, L"Queue"), "lpr");

    // A port that is not there cannot be configured.
    channel = OpenChannel(SERVER_ACCESS_ADMINISTER);
    ASSERT_NE(channel, nullptr);
    const PortData missing = BuildPortData("10.1.1.1", PortProtocol::Raw);
    EXPECT_EQ(Send(channel, L"ConfigPort", missing.data(), missing.size()),
              static_cast<DWORD>(ERROR_UNKNOWN_PORT));
    ClosePrinter(channel);
    EXPECT_FALSE(PortKeyExists(L"10.1.1.1"));
}

TEST(TcpMonitorDouble, RefusesWhatAMonitorCannotTakeAndStillRecordsIt) {
    EnsureInstalled();
    ClearCalls();
    HANDLE channel = OpenChannel(SERVER_ACCESS_ADMINISTER);
    ASSERT_NE(channel, nullptr);

    // Too short to be a record: nothing read past its end.
    const PortData whole = BuildPortData("10.2.2.2", PortProtocol::Raw);
    EXPECT_EQ(Send(channel, L"AddPort", whole.data(), 963),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    // Another version, another size in the record.
    PortData version2 = whole;
    version2[port_data::kVersion] = 2;
    EXPECT_EQ(Send(channel, L"AddPort", version2.data(), version2.size()),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    PortData sized = whole;
    sized[port_data::kCbSize] = 0;
    EXPECT_EQ(Send(channel, L"AddPort", sized.data(), sized.size()),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    // A name that would be a nested registry key, and a name whose field has no terminator.
    const PortData nested = BuildPortData("10.2.2.2\\x", PortProtocol::Raw);
    EXPECT_EQ(Send(channel, L"AddPort", nested.data(), nested.size()),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    PortData unterminated = whole;
    for (std::size_t i = 0; i < 2 * port_data::kPortNameUnits; i += 2) {
        unterminated[port_data::kPortName + i] = 'a';
    }
    EXPECT_EQ(Send(channel, L"AddPort", unterminated.data(), unterminated.size()),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    // Commands it does not have.
    EXPECT_EQ(Send(channel, L"MonitorUI", whole.data(), whole.size()),
              static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    // DELETE_PORT_DATA_1 (236 bytes, version 1 at 228) of a port that is not there.
    std::vector<BYTE> deletion(236, 0);
    for (std::size_t i = 0; i < 8; ++i) deletion[2 * i] = static_cast<BYTE>("10.2.2.2"[i]);
    deletion[228] = 1;
    EXPECT_EQ(Send(channel, L"DeletePort", deletion.data(), deletion.size()),
              static_cast<DWORD>(ERROR_UNKNOWN_PORT));
    ClosePrinter(channel);

    // A channel opened without administer access changes nothing.
    HANDLE reader = OpenChannel(SERVER_ACCESS_ENUMERATE);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(Send(reader, L"AddPort", whole.data(), whole.size()),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ClosePrinter(reader);

    EXPECT_FALSE(PortKeyExists(L"10.2.2.2"));
    EXPECT_FALSE(FindPort(1, "10.2.2.2"));
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "AddPort||||||963",
                           "AddPort|10.2.2.2|1|9100||10.2.2.2|964",
                           "AddPort|10.2.2.2|1|9100||10.2.2.2|964",
                           "AddPort|10.2.2.2\\x|1|9100||10.2.2.2\\x|964",
                           "AddPort|" + std::string(64, 'a') + "|1|9100||10.2.2.2|964",
                           "MonitorUI|10.2.2.2|1|9100||10.2.2.2|964",
                           "DeletePort||||||236",
                           "AddPort|10.2.2.2|1|9100||10.2.2.2|964",
                       }));
}

TEST(TcpMonitorDouble, AQueueSitsOnItsPortAndThePortChannelReachesIt) {
    EnsureInstalled();
    ASSERT_TRUE(PortKeyExists(L"192.168.0.20"));
    std::string driver = "Kestra TQ8240 Series", driverFile = "TQ8240GD.DLL",
                dataFile = "TQ8240.GPD", configFile = "TQ8240UI.DLL";
    DRIVER_INFO_3A driverInfo{};
    driverInfo.cVersion = 3;
    driverInfo.pName = driver.data();
    driverInfo.pDriverPath = driverFile.data();
    driverInfo.pDataFile = dataFile.data();
    driverInfo.pConfigFile = configFile.data();
    ASSERT_TRUE(AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driverInfo)));

    std::string queue = "Network Queue", port = "192.168.0.20", processor = "WinPrint",
                type = "RAW";
    PRINTER_INFO_2A info{};
    info.pPrinterName = queue.data();
    info.pPortName = port.data();
    info.pDriverName = driver.data();
    info.pPrintProcessor = processor.data();
    info.pDatatype = type.data();
    HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    ASSERT_NE(printer, nullptr) << "AddPrinterA failed, error " << GetLastError();
    ClosePrinter(printer);

    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed);
    ASSERT_TRUE(
        EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, block.data(), needed, &needed, &count));
    bool found = false;
    for (DWORD i = 0; i < count; ++i) {
        const auto& record = reinterpret_cast<PRINTER_INFO_2A*>(block.data())[i];
        if (queue == record.pPrinterName) {
            found = true;
            EXPECT_STREQ(record.pPortName, "192.168.0.20");
        }
    }
    EXPECT_TRUE(found);
    EXPECT_TRUE(FindPort(2, "192.168.0.20"));

    // The spooler finds the port's monitor by the port's key: ",XcvPort NAME" reaches the double.
    std::string portChannel = ",XcvPort 192.168.0.20";
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    HANDLE channel = nullptr;
    ASSERT_TRUE(OpenPrinterA(portChannel.data(), &channel, &defaults)) << GetLastError();
    ClearCalls();
    const PortData lpr = BuildPortData("192.168.0.20", PortProtocol::Lpr);
    EXPECT_EQ(Send(channel, L"ConfigPort", lpr.data(), lpr.size()), static_cast<DWORD>(NO_ERROR));
    ClosePrinter(channel);
    EXPECT_EQ(Calls(),
              std::vector<std::string>{"ConfigPort|192.168.0.20|2|515|lpr|192.168.0.20|964"});
}

}  // namespace
}  // namespace tq

#include "tests/e2e/tcpmon_setup.h"

#include <windows.h>
#include <winspool.h>

#include "tests/e2e/robot.h"
#include "tests/e2e/system_state.h"

namespace tq::e2e {

namespace {

constexpr char kDoubleName[] = "tcpmon.dll";

std::string CallsFile() {
    return SystemFolder() + "\\tcpmon-calls.txt";
}

}  // namespace

bool InstallTcpMonitorDouble(std::string* error) {
    if (!CopyOneFile(TQ_TCPMON_DOUBLE, SystemFolder() + "\\" + kDoubleName, error)) return false;
    std::string name = kTcpIpMonitor;
    std::string environment = "Windows x64";
    std::string dll = kDoubleName;
    MONITOR_INFO_2A info{name.data(), environment.data(), dll.data()};
    // Decided by the return value alone: the last error can be stale after a success.
    if (!AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info))) {
        if (error) {
            *error = "AddMonitorA(" + name + ", " + dll + ") failed, error " +
                     std::to_string(GetLastError());
        }
        return false;
    }
    return true;
}

std::vector<std::string> TcpMonitorCalls() {
    return FileLines(Wide(CallsFile()));  // the double writes UTF-8
}

std::vector<PortEntry> ListPorts() {
    std::vector<PortEntry> ports;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPortsA(nullptr, 2, nullptr, 0, &needed, &count);
    if (needed == 0) return ports;
    std::vector<BYTE> block(needed);
    if (!EnumPortsA(nullptr, 2, block.data(), needed, &needed, &count)) return ports;
    const auto* records = reinterpret_cast<const PORT_INFO_2A*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
        ports.push_back(
            {records[i].pPortName ? FromAnsi(records[i].pPortName) : std::string(),
             records[i].pMonitorName ? FromAnsi(records[i].pMonitorName) : std::string()});
    }
    return ports;
}

}  // namespace tq::e2e

// The Standard TCP/IP Port monitor a network scenario gives its prefix: the double of
// tests/e2e/tcpmon_double in the place of Windows' own monitor, which Wine does not have. Names
// are UTF-8 here.
#pragma once

#include <string>
#include <vector>

namespace tq::e2e {

inline constexpr char kTcpIpMonitor[] = "Standard TCP/IP Port";

// Copies the double into the system folder and registers it there by bare name (AddMonitorA
// level 2, "Windows x64"), so that every process of the prefix, the installer and the robot
// alike, loads that copy and its calls file lands in this prefix only. Call before the installer
// starts.
bool InstallTcpMonitorDouble(std::string* error);

// The configuration calls the double received in this prefix, in order, one
// "command|port name|protocol|port number|queue|host address|record size" line each.
std::vector<std::string> TcpMonitorCalls();

struct PortEntry {
    std::string name;
    std::string monitor;
};
// EnumPortsA level 2 of this computer's ports, with the monitor that reported each.
std::vector<PortEntry> ListPorts();

}  // namespace tq::e2e

// The Standard TCP/IP port that a network printer is attached to: named after the printer's
// dotted IPv4 address, Raw (9100) or LPR (515, queue "lpr").
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/port_monitor.h"

namespace tq {

// The values are the platform's PROTOCOL_RAWTCP_TYPE and PROTOCOL_LPR_TYPE.
enum class PortProtocol : std::uint32_t { Raw = 1, Lpr = 2 };

// The monitor's port description, PORT_DATA_1 (version 1), as the bytes the monitor reads:
// little-endian numbers, NUL-terminated UTF-16LE texts in fixed fields, everything else zero.
namespace port_data {
inline constexpr std::size_t kPortName = 0;  // 64 units
inline constexpr std::size_t kPortNameUnits = 64;
inline constexpr std::size_t kVersion = kPortName + 2 * kPortNameUnits;
inline constexpr std::size_t kProtocol = kVersion + 4;
inline constexpr std::size_t kCbSize = kProtocol + 4;
inline constexpr std::size_t kReserved = kCbSize + 4;
inline constexpr std::size_t kHostAddress = kReserved + 4;
inline constexpr std::size_t kHostAddressUnits = 49;
inline constexpr std::size_t kSnmpCommunity = kHostAddress + 2 * kHostAddressUnits;
inline constexpr std::size_t kSnmpCommunityUnits = 33;
inline constexpr std::size_t kDoubleSpool = kSnmpCommunity + 2 * kSnmpCommunityUnits;
inline constexpr std::size_t kQueue = kDoubleSpool + 4;
inline constexpr std::size_t kQueueUnits = 33;
inline constexpr std::size_t kIpAddress = kQueue + 2 * kQueueUnits;
inline constexpr std::size_t kIpAddressUnits = 16;
inline constexpr std::size_t kReservedBlock = kIpAddress + 2 * kIpAddressUnits;  // 540 bytes
inline constexpr std::size_t kReservedBlockBytes = 540;
// The numbers after the reserved block sit on the next 4-byte boundary (2 bytes of padding).
inline constexpr std::size_t kPortNumber = (kReservedBlock + kReservedBlockBytes + 3) / 4 * 4;
inline constexpr std::size_t kSnmpEnabled = kPortNumber + 4;
inline constexpr std::size_t kSnmpDevIndex = kSnmpEnabled + 4;
inline constexpr std::size_t kRecordSize = kSnmpDevIndex + 4;

inline constexpr std::uint32_t kVersion1 = 1;
inline constexpr std::uint32_t kRawPortNumber = 9100;
inline constexpr std::uint32_t kLprPortNumber = 515;
}  // namespace port_data

static_assert(port_data::kDoubleSpool % 4 == 0 && port_data::kPortNumber % 4 == 0);
static_assert(port_data::kRecordSize == 964, "PORT_DATA_1 is 964 bytes");

using PortData = std::array<std::uint8_t, port_data::kRecordSize>;

// The port description for a port of this name and protocol. The name (system code page) goes
// into the port name, host address and IP address fields, each cut to its field with the
// terminator kept.
PortData BuildPortData(std::string_view portName, PortProtocol protocol);

// The object name of the Standard TCP/IP Port monitor's configuration channel.
inline constexpr char kTcpIpMonitorChannel[] = ",XcvMonitor Standard TCP/IP Port";

// Sends "ConfigPort" then "AddPort" with the same description: an existing port of that name is
// reconfigured (its AddPort fails), a missing one is created (its ConfigPort fails). Neither
// answer is examined and nothing is shown; the result is always 1, and the wizard goes on with
// the name as the queue's port.
int CreateTcpIpPort(PortMonitor& monitor, std::string_view portName, PortProtocol protocol);

// The log's line for a port requested: "port 192.168.0.20 (Raw): requested".
std::string DescribePortRequest(std::string_view portName, PortProtocol protocol);

}  // namespace tq

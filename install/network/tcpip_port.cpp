#include "install/network/tcpip_port.h"

namespace tq {
namespace {

void PutNumber(PortData& data, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        data[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// Writes text as UTF-16LE into a field of `units` code units, cut so the terminator always fits
// (the rest of the field is already zero). The port name is a dotted IPv4 address, and ASCII is
// the same in every ANSI code page, so each byte widens to one unit; a byte outside ASCII (never
// produced by the address control) becomes U+FFFD rather than a guess at a double-byte character.
void PutText(PortData& data, std::size_t offset, std::size_t units, std::string_view text) {
    const std::size_t count = text.size() < units ? text.size() : units - 1;
    for (std::size_t i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == 0) break;
        const std::uint16_t unit = byte < 0x80 ? byte : 0xFFFD;
        data[offset + 2 * i] = static_cast<std::uint8_t>(unit & 0xFF);
        data[offset + 2 * i + 1] = static_cast<std::uint8_t>(unit >> 8);
    }
}

}  // namespace

PortData BuildPortData(std::string_view portName, PortProtocol protocol) {
    using namespace port_data;
    PortData data{};
    const bool lpr = protocol == PortProtocol::Lpr;
    PutText(data, kPortName, kPortNameUnits, portName);
    PutNumber(data, kVersion, kVersion1);
    PutNumber(data, kProtocol, static_cast<std::uint32_t>(protocol));
    PutNumber(data, kCbSize, static_cast<std::uint32_t>(kRecordSize));
    PutText(data, kHostAddress, kHostAddressUnits, portName);
    PutText(data, kQueue, kQueueUnits, lpr ? "lpr" : "");
    PutText(data, kIpAddress, kIpAddressUnits, portName);
    PutNumber(data, kPortNumber, lpr ? kLprPortNumber : kRawPortNumber);
    // Reserved, SNMP community, double spooling, SNMP status and device index stay zero.
    return data;
}

int CreateTcpIpPort(PortMonitor& monitor, std::string_view portName, PortProtocol protocol) {
    PortData data = BuildPortData(portName, protocol);
    std::unique_ptr<PortMonitorChannel> channel = monitor.OpenChannel(kTcpIpMonitorChannel);
    if (channel != nullptr) {
        // One of the two always fails (the port exists or it does not); neither answer matters.
        channel->Send(u"ConfigPort", data.data(), data.size());
        channel->Send(u"AddPort", data.data(), data.size());
    }
    return 1;
}

std::string DescribePortRequest(std::string_view portName, PortProtocol protocol) {
    std::string line = "port ";
    line += portName;
    line += protocol == PortProtocol::Lpr ? " (LPR): requested" : " (Raw): requested";
    return line;
}

}  // namespace tq

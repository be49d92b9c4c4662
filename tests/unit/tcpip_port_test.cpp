#include "install/network/tcpip_port.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/fake_port_monitor.h"

namespace tq {
namespace {

using test::FakePortMonitor;

// Offsets and capacities of PORT_DATA_1 written out here on their own, so a slip in the
// record's layout shows up as a mismatch rather than being read back through the same table.
struct TextField {
    std::size_t offset;
    std::size_t units;
};
constexpr TextField kPortNameField{0, 64};
constexpr TextField kHostAddressField{144, 49};
constexpr TextField kCommunityField{242, 33};
constexpr TextField kQueueField{312, 33};
constexpr TextField kIpAddressField{378, 16};
constexpr std::size_t kVersionAt = 128, kProtocolAt = 132, kCbSizeAt = 136, kReservedAt = 140,
                      kDoubleSpoolAt = 308, kPortNumberAt = 952, kSnmpEnabledAt = 956,
                      kSnmpDevIndexAt = 960;

std::uint32_t Number(const PortData& data, std::size_t at) {
    return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
           static_cast<std::uint32_t>(data[at + 2]) << 16 |
           static_cast<std::uint32_t>(data[at + 3]) << 24;
}

// The text of a UTF-16LE field up to its terminator; a field without one reads as "<open>".
// Every unit after the terminator must be zero.
std::u16string Text(const PortData& data, TextField field) {
    std::u16string text;
    std::size_t i = 0;
    for (; i < field.units; ++i) {
        const char16_t unit =
            static_cast<char16_t>(data[field.offset + 2 * i] | data[field.offset + 2 * i + 1] << 8);
        if (unit == 0) break;
        text.push_back(unit);
    }
    if (i == field.units) return u"<open>";
    for (std::size_t b = field.offset + 2 * i; b < field.offset + 2 * field.units; ++b) {
        EXPECT_EQ(data[b], 0) << "byte " << b << " after the terminator";
    }
    return text;
}

// Bytes outside every field the record fills: the reserved block and the padding after it.
void ExpectUnlistedBytesZero(const PortData& data) {
    for (std::size_t b = 410; b < 952; ++b) ASSERT_EQ(data[b], 0) << "byte " << b;
}

TEST(TcpIpPortDataTest, RawAndLprDescriptionsFieldByField) {
    ASSERT_EQ(sizeof(PortData), 964u);
    const std::string name = "192.168.0.20";
    struct Case {
        PortProtocol protocol;
        std::uint32_t protocolNumber;
        std::uint32_t portNumber;
        std::u16string queue;
    };
    for (const Case& c :
         {Case{PortProtocol::Raw, 1, 9100, u""}, Case{PortProtocol::Lpr, 2, 515, u"lpr"}}) {
        SCOPED_TRACE(c.protocolNumber);
        const PortData data = BuildPortData(name, c.protocol);
        EXPECT_EQ(Text(data, kPortNameField), u"192.168.0.20");
        EXPECT_EQ(Number(data, kVersionAt), 1u);
        EXPECT_EQ(Number(data, kProtocolAt), c.protocolNumber);
        EXPECT_EQ(Number(data, kCbSizeAt), 964u);
        EXPECT_EQ(Number(data, kReservedAt), 0u);
        EXPECT_EQ(Text(data, kHostAddressField), u"192.168.0.20");
        EXPECT_EQ(Text(data, kCommunityField), u"");
        EXPECT_EQ(Number(data, kDoubleSpoolAt), 0u);
        EXPECT_EQ(Text(data, kQueueField), c.queue);
        EXPECT_EQ(Text(data, kIpAddressField), u"192.168.0.20");
        EXPECT_EQ(Number(data, kPortNumberAt), c.portNumber);
        EXPECT_EQ(Number(data, kSnmpEnabledAt), 0u);
        EXPECT_EQ(Number(data, kSnmpDevIndexAt), 0u);
        ExpectUnlistedBytesZero(data);
    }
    // Little-endian on the wire, whatever the host: 9100 is 8C 23 00 00.
    const PortData raw = BuildPortData(name, PortProtocol::Raw);
    EXPECT_EQ(raw[kPortNumberAt], 0x8C);
    EXPECT_EQ(raw[kPortNumberAt + 1], 0x23);
    EXPECT_EQ(raw[kPortNameField.offset], '1');
    EXPECT_EQ(raw[kPortNameField.offset + 1], 0);
    // The same name gives the same bytes: nothing left over from an earlier call.
    EXPECT_EQ(BuildPortData(name, PortProtocol::Raw), raw);
}

TEST(TcpIpPortDataTest, NamesAreCutToEachFieldWithTheTerminatorKept) {
    const std::string longName(100, '7');
    const PortData data = BuildPortData(longName, PortProtocol::Lpr);
    EXPECT_EQ(Text(data, kPortNameField), std::u16string(63, u'7'));
    EXPECT_EQ(Text(data, kHostAddressField), std::u16string(48, u'7'));
    EXPECT_EQ(Text(data, kIpAddressField), std::u16string(15, u'7'));
    // The neighbours of the cut fields are untouched.
    EXPECT_EQ(Number(data, kVersionAt), 1u);
    EXPECT_EQ(Text(data, kCommunityField), u"");
    EXPECT_EQ(Text(data, kQueueField), u"lpr");
    ExpectUnlistedBytesZero(data);

    // The longest dotted address fills the IP address field exactly.
    EXPECT_EQ(Text(BuildPortData("255.255.255.255", PortProtocol::Raw), kIpAddressField),
              u"255.255.255.255");
    // A byte outside ASCII is not passed through as if it were a character.
    EXPECT_EQ(Text(BuildPortData("10.0.0.\xB0\xA1", PortProtocol::Raw), kPortNameField),
              u"10.0.0.\uFFFD\uFFFD");
}

TEST(CreateTcpIpPortTest, ConfigPortThenAddPortWithTheSameDescription) {
    FakePortMonitor monitor;
    EXPECT_EQ(CreateTcpIpPort(monitor, "192.168.0.20", PortProtocol::Lpr), 1);
    ASSERT_EQ(monitor.openedNames, std::vector<std::string>{",XcvMonitor Standard TCP/IP Port"});
    ASSERT_EQ(monitor.commands.size(), 2u);
    EXPECT_EQ(monitor.commands[0].name, u"ConfigPort");
    EXPECT_EQ(monitor.commands[1].name, u"AddPort");
    const PortData expected = BuildPortData("192.168.0.20", PortProtocol::Lpr);
    for (const auto& command : monitor.commands) {
        ASSERT_EQ(command.input.size(), 964u);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), command.input.begin()));
    }
    EXPECT_EQ(monitor.channelsClosed, 1);
}

TEST(CreateTcpIpPortTest, RefusalsAreIgnoredAndTheResultIsStillOne) {
    FakePortMonitor refusing;
    refusing.commandsSucceed = false;
    EXPECT_EQ(CreateTcpIpPort(refusing, "192.168.0.20", PortProtocol::Raw), 1);
    EXPECT_EQ(refusing.commands.size(), 2u);  // AddPort is sent even after ConfigPort failed
    EXPECT_EQ(refusing.channelsClosed, 1);

    // No monitor (what Wine answers, 1796): nothing is sent.
    FakePortMonitor missing;
    missing.openSucceeds = false;
    EXPECT_EQ(CreateTcpIpPort(missing, "192.168.0.20", PortProtocol::Raw), 1);
    EXPECT_EQ(missing.openedNames.size(), 1u);
    EXPECT_TRUE(missing.commands.empty());
}

}  // namespace
}  // namespace tq

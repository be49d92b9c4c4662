// The network search's wire format: the SNMPv1 GetRequest for sysDescr.0 that the search
// broadcasts, and the reading of the printers' replies. Bytes in, fields out; no sockets here.
#pragma once

#include <array>
#include <cstddef>

namespace tq {

constexpr std::size_t kDiscoveryRequestSize = 40;
// The search receives into a buffer of this size; a longer datagram never reaches the parser.
constexpr std::size_t kDiscoveryReceiveBufferSize = 600;
// Each text field of a reply: up to 31 bytes and the terminating NUL.
constexpr std::size_t kDiscoveryFieldSize = 32;
// "255.255.255.255" and its NUL.
constexpr std::size_t kDiscoveryAddressSize = 16;

// The first word of a reply from one of our printers (exact, case-sensitive).
inline constexpr char kDiscoveryMakerToken[] = "KESTRA";

// One answering printer. The six text fields come from the reply, in the order the reply
// carries them; ipAddress is the sender's dotted address, which only the search knows (the
// parser leaves it empty). The list shows deviceName | ipAddress | ethernetAddress.
struct DiscoveredPrinter {
    char maker[kDiscoveryFieldSize];
    char secondWord[kDiscoveryFieldSize];
    char ethernetAddress[kDiscoveryFieldSize];
    char deviceName[kDiscoveryFieldSize];
    char fifthField[kDiscoveryFieldSize];
    char sixthField[kDiscoveryFieldSize];
    char ipAddress[kDiscoveryAddressSize];
};

// The 40-byte BER-encoded SNMPv1 GetRequest (request-id 3) for 1.3.6.1.2.1.1.1.0 with the read
// community the printers answer to by default.
std::array<unsigned char, kDiscoveryRequestSize> BuildDiscoveryRequest();

// Reads one received datagram. The reply is not decoded as SNMP: the text after its last comma
// (NUL bytes dropped) must read "maker second [eth][name][fifth][sixth]...". out is cleared
// first; on a well-formed text all six fields are filled, whoever the maker. Returns true only
// for a well-formed text whose maker is kDiscoveryMakerToken, i.e. a row for the list.
// A field longer than 31 bytes is cut at a character boundary, not refused: the list shows a
// shortened name rather than hiding a printer that answered.
bool ParseDiscoveryReply(const unsigned char* data, std::size_t length, DiscoveredPrinter& out);

}  // namespace tq

#include "install/network/discovery_protocol.h"

#include <cstring>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace tq {

namespace {

// Six ASCII letters: the length byte at offset 6 of the request depends on it.
constexpr char kCommunity[] = "public";
static_assert(sizeof(kCommunity) - 1 == 6, "the request layout holds a 6-byte community");

// Everything before and after the community, as it goes on the wire.
constexpr unsigned char kRequestHead[] = {
    0x30, 0x26,        // SEQUENCE, 38 bytes
    0x02, 0x01, 0x00,  // version: 0 = SNMPv1
    0x04, 0x06,        // community: OCTET STRING, 6 bytes
};
constexpr unsigned char kRequestTail[] = {
    0xA0, 0x19,                                                  // GetRequest-PDU, 25 bytes
    0x02, 0x01, 0x03,                                            // request-id 3
    0x02, 0x01, 0x00,                                            // error-status 0
    0x02, 0x01, 0x00,                                            // error-index 0
    0x30, 0x0E,                                                  // variable-bindings, 14 bytes
    0x30, 0x0C,                                                  // one VarBind, 12 bytes
    0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00,  // 1.3.6.1.2.1.1.1.0
    0x05, 0x00,                                                  // NULL value
};
static_assert(sizeof(kRequestHead) + 6 + sizeof(kRequestTail) == kDiscoveryRequestSize);

// Width of the character starting at text[i]: a lead byte of code page 936 takes the next byte
// with it, whatever it is, so a trail byte such as 0x5D (']') is never taken for punctuation.
std::size_t CharWidth(std::string_view text, std::size_t i) {
    return (IsLeadByte936(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
}

// Position of the first single-byte character c, or npos.
std::size_t FindChar936(std::string_view text, char c) {
    for (std::size_t i = 0; i < text.size(); i += CharWidth(text, i)) {
        if (text[i] == c) return i;
    }
    return std::string_view::npos;
}

// Splits text at the first c: head gets what is before it, text what follows it.
bool SplitAt(std::string_view& text, char c, std::string_view& head) {
    const std::size_t at = FindChar936(text, c);
    if (at == std::string_view::npos) return false;
    head = text.substr(0, at);
    text.remove_prefix(at + 1);
    return true;
}

}  // namespace

std::array<unsigned char, kDiscoveryRequestSize> BuildDiscoveryRequest() {
    std::array<unsigned char, kDiscoveryRequestSize> request{};
    std::size_t n = 0;
    for (unsigned char b : kRequestHead) request[n++] = b;
    for (std::size_t i = 0; i < 6; ++i) request[n++] = static_cast<unsigned char>(kCommunity[i]);
    for (unsigned char b : kRequestTail) request[n++] = b;
    return request;
}

bool ParseDiscoveryReply(const unsigned char* data, std::size_t length, DiscoveredPrinter& out) {
    std::memset(&out, 0, sizeof(out));
    if (data == nullptr || length == 0) return false;

    // The last comma; index 0 is never looked at. A comma cannot be a trail byte in 936
    // (trail bytes are 0x40 and up), so a byte-wise backward scan is safe.
    std::size_t comma = 0;
    for (std::size_t i = length - 1; i >= 1; --i) {
        if (data[i] == ',') {
            comma = i;
            break;
        }
    }
    if (comma == 0) return false;

    std::string tail;
    tail.reserve(length - comma - 1);
    for (std::size_t i = comma + 1; i < length; ++i) {
        if (data[i] != 0) tail.push_back(static_cast<char>(data[i]));
    }

    std::string_view rest = tail;
    std::string_view maker;
    std::string_view secondWord;
    if (!SplitAt(rest, ' ', maker) || !SplitAt(rest, ' ', secondWord)) return false;

    std::string_view parts[4];
    for (std::string_view& part : parts) {
        if (!SplitAt(rest, ']', part)) return false;
        // Drop the opening bracket; should a double-byte character stand there, it goes whole
        // rather than leaving its trail byte behind.
        if (!part.empty()) part.remove_prefix(CharWidth(part, 0));
    }

    BoundedCopy(out.maker, maker);
    BoundedCopy(out.secondWord, secondWord);
    BoundedCopy(out.ethernetAddress, parts[0]);
    BoundedCopy(out.deviceName, parts[1]);
    BoundedCopy(out.fifthField, parts[2]);
    BoundedCopy(out.sixthField, parts[3]);
    return FieldText(out.maker) == kDiscoveryMakerToken;
}

}  // namespace tq

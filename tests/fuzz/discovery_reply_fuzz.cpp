// Any datagram the network delivers goes through ParseDiscoveryReply; these are the properties a
// reply, however malformed, must never break. A broken one aborts, so libFuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "install/network/discovery_protocol.h"
#include "platform/text.h"

namespace {

void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "discovery reply fuzz: %s\n", what);
    std::abort();
}

// What the parser is meant to read: the bytes after the last comma (index 0 never counts), NUL
// bytes dropped. Empty when there is no such comma.
std::string ReplyText(const unsigned char* data, std::size_t size) {
    std::size_t comma = 0;
    for (std::size_t i = size; i-- > 1;) {
        if (data[i] == ',') {
            comma = i;
            break;
        }
    }
    std::string text;
    if (comma == 0) return text;
    for (std::size_t i = comma + 1; i < size; ++i) {
        if (data[i] != 0) text.push_back(static_cast<char>(data[i]));
    }
    return text;
}

// Every field is cut from whole characters of the reply text at a character boundary, so walking
// it by characters lands exactly on its end: no lead byte has lost its trail byte.
bool WholeCharacters(const char* field) {
    const std::size_t length = std::strlen(field);
    std::size_t i = 0;
    while (i < length) i += tq::IsLeadByte936(static_cast<unsigned char>(field[i])) ? 2 : 1;
    return i == length;
}

// Parses into a record filled with garbage first, so a field the parser forgets to clear or
// terminate shows up as garbage.
bool ParseOver(unsigned char garbage, const unsigned char* data, std::size_t size,
               tq::DiscoveredPrinter& out) {
    std::memset(&out, garbage, sizeof(out));
    return tq::ParseDiscoveryReply(data, size, out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A heap block of exactly the datagram's size: one byte read too far is an ASan report.
    std::unique_ptr<unsigned char[]> datagram(new unsigned char[size]);
    if (size > 0) std::memcpy(datagram.get(), data, size);

    tq::DiscoveredPrinter first;
    const bool ours = ParseOver(0xA5, datagram.get(), size, first);

    const std::string text = ReplyText(datagram.get(), size);
    const char* const fields[] = {first.maker,      first.secondWord, first.ethernetAddress,
                                  first.deviceName, first.fifthField, first.sixthField};
    for (const char* field : fields) {
        Require(std::memchr(field, '\0', tq::kDiscoveryFieldSize) != nullptr,
                "a field is not terminated within its 32 bytes");
        // Every field is cut from the reply text: a byte from before the comma, from beyond the
        // datagram or from a stale record has no business here.
        Require(text.find(field) != std::string::npos, "a field is not part of the reply text");
        Require(WholeCharacters(field), "a field ends inside a double-byte character");
    }
    const tq::DiscoveredPrinter empty{};
    Require(std::memcmp(first.ipAddress, empty.ipAddress, sizeof(first.ipAddress)) == 0,
            "the parser wrote the address the search fills in");

    if (ours) {
        Require(std::string_view(first.maker) == tq::kDiscoveryMakerToken,
                "a printer of ours with another maker");
        Require(text.rfind(std::string(tq::kDiscoveryMakerToken) + ' ', 0) == 0,
                "a printer of ours whose reply text does not start with the maker word");
    }

    // The same datagram over a differently filled record: the same answer and the same record,
    // byte for byte (nothing left over from before the call, nothing depending on it).
    tq::DiscoveredPrinter second;
    Require(ParseOver(0x5A, datagram.get(), size, second) == ours, "the answer changed");
    Require(std::memcmp(&first, &second, sizeof(first)) == 0, "the record changed");
    return 0;
}

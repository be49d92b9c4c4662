#include "platform/enumeration_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace tq {
namespace {

constexpr std::uint32_t kRecordBytes = 46;

// One listing as the enumeration call meets it.
struct Listing {
    std::uint32_t bytes;                    // what the answer takes at the listing's first call
    std::uint32_t bytesLater;               // ... and at its second (0: the same)
    bool refused;                           // every call fails without asking for more room
    std::vector<std::uint32_t> sizesGiven;  // the room each call of the listing was given
    bool ok;
};

TEST(EnumerationBuffer, AsksForTheSizeOnlyWhenTheAnswerHasOutgrownTheKeptBuffer) {
    struct Case {
        const char* what;
        std::vector<Listing> listings;  // one after another on the same buffer
    };
    const Case cases[] = {
        {"the first listing asks for the size, then fills whole grains",
         {{230, 0, false, {0, 4096}, true}}},
        {"a listing that still fits is one call, up to the last byte",
         {{230, 0, false, {0, 4096}, true},
          {230, 0, false, {4096}, true},
          {4096, 0, false, {4096}, true}}},
        {"an outgrown buffer: the call that failed gave the size, one more call fills",
         {{230, 0, false, {0, 4096}, true},
          {5000, 0, false, {4096, 8192}, true},
          {5000, 0, false, {8192}, true}}},
        {"a smaller answer keeps the buffer it had",
         {{5000, 0, false, {0, 8192}, true},
          {100, 0, false, {8192}, true},
          {5000, 0, false, {8192}, true}}},
        {"nothing to list is one call without a buffer",
         {{0, 0, false, {0}, true}, {0, 0, false, {0}, true}, {230, 0, false, {0, 4096}, true}}},
        {"an answer that grows again between the two calls fails, with no third call",
         {{230, 0, false, {0, 4096}, true},
          {5000, 9000, false, {4096, 8192}, false},
          {9000, 0, false, {8192, 12288}, true}}},
        {"a failure that asks for no more room is not made again",
         {{230, 0, false, {0, 4096}, true},
          {230, 0, true, {4096}, false},
          {230, 0, false, {4096}, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EnumerationBuffer buffer;
        for (std::size_t i = 0; i < c.listings.size(); ++i) {
            SCOPED_TRACE(i);
            const Listing& listing = c.listings[i];
            std::vector<std::uint32_t> sizesGiven;
            const auto call = [&](unsigned char* data, std::uint32_t size, std::uint32_t& needed,
                                  std::uint32_t& returned) {
                const std::uint32_t bytes = sizesGiven.empty() || listing.bytesLater == 0
                                                ? listing.bytes
                                                : listing.bytesLater;
                sizesGiven.push_back(size);
                if (listing.refused || bytes > size) {
                    needed = listing.refused ? 0 : bytes;
                    returned = 7;  // a spooler may leave anything here on failure
                    return false;
                }
                if (bytes > 0) std::memset(data, 0x5A, bytes);  // ASan: within the room given
                returned = bytes / kRecordBytes;
                return true;
            };
            std::uint32_t returned = 99;
            EXPECT_EQ(buffer.Fill(call, returned), listing.ok);
            EXPECT_EQ(sizesGiven, listing.sizesGiven);
            EXPECT_EQ(returned, listing.ok ? listing.bytes / kRecordBytes : 0u);
            if (listing.ok && listing.bytes > 0) {
                ASSERT_NE(buffer.Data(), nullptr);
                EXPECT_EQ(buffer.Data()[listing.bytes - 1], 0x5A);
            }
        }
    }
}

}  // namespace
}  // namespace tq

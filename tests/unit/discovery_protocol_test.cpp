#include "install/network/discovery_protocol.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace tq {
namespace {

// Parses the bytes from a heap block of exactly their size, so a read past the end trips ASan.
bool Parse(const std::string& bytes, DiscoveredPrinter& out) {
    std::vector<unsigned char> datagram(bytes.begin(), bytes.end());
    return ParseDiscoveryReply(datagram.empty() ? nullptr : datagram.data(), datagram.size(), out);
}

bool Parse(const std::string& bytes) {
    DiscoveredPrinter out;
    return Parse(bytes, out);
}

// The bytes of a literal, NULs inside it included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

void ExpectAllEmpty(const DiscoveredPrinter& p) {
    const DiscoveredPrinter zero{};
    EXPECT_EQ(std::memcmp(&p, &zero, sizeof(p)), 0);
}

// A printer reply: an SNMP-looking head with commas of its own, then the text.
const std::string kHead = std::string("\x30\x5A\x02\x01\x00", 5) + "public,x";
const std::string kOffice1 = ",KESTRA TQ8240 [00-11-22-33-44-55][OFFICE-1][a][b]";

TEST(DiscoveryRequest, MatchesTheGetRequestLayoutByteForByte) {
    const unsigned char expected[40] = {
        0x30, 0x26,                                                  // SEQUENCE, 38
        0x02, 0x01, 0x00,                                            // version 0
        0x04, 0x06, 'p',  'u',  'b',  'l',  'i',  'c',               // community
        0xA0, 0x19,                                                  // GetRequest-PDU, 25
        0x02, 0x01, 0x03,                                            // request-id 3
        0x02, 0x01, 0x00,                                            // error-status
        0x02, 0x01, 0x00,                                            // error-index
        0x30, 0x0E, 0x30, 0x0C,                                      // bindings, one VarBind
        0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00,  // sysDescr.0
        0x05, 0x00,                                                  // NULL
    };
    const auto request = BuildDiscoveryRequest();
    ASSERT_EQ(request.size(), 40u);
    for (std::size_t i = 0; i < request.size(); ++i) {
        EXPECT_EQ(request[i], expected[i]) << "offset " << i;
    }
    // The BER lengths agree with the bytes that follow them.
    EXPECT_EQ(request[1], request.size() - 2);
    EXPECT_EQ(request[14], request.size() - 15);
    EXPECT_EQ(request[25], request.size() - 26);
    EXPECT_EQ(BuildDiscoveryRequest(), request);  // built the same every search
}

TEST(DiscoveryReply, APrinterOfOursGivesItsSixFields) {
    DiscoveredPrinter p;
    std::memset(&p, 'x', sizeof(p));
    ASSERT_TRUE(Parse(kHead + kOffice1, p));
    EXPECT_STREQ(p.maker, "KESTRA");
    EXPECT_STREQ(p.secondWord, "TQ8240");
    EXPECT_STREQ(p.ethernetAddress, "00-11-22-33-44-55");
    EXPECT_STREQ(p.deviceName, "OFFICE-1");
    EXPECT_STREQ(p.fifthField, "a");
    EXPECT_STREQ(p.sixthField, "b");
    EXPECT_STREQ(p.ipAddress, "");  // the search fills in the sender

    // Anything after the fourth closing bracket is ignored.
    ASSERT_TRUE(Parse(kHead + kOffice1 + "[c] trailing]", p));
    EXPECT_STREQ(p.sixthField, "b");

    // Empty parts and a part with no opening bracket: the first character goes either way.
    ASSERT_TRUE(Parse("x,KESTRA X [][N][]z]", p));
    EXPECT_STREQ(p.ethernetAddress, "");
    EXPECT_STREQ(p.deviceName, "N");
    EXPECT_STREQ(p.fifthField, "");
    EXPECT_STREQ(p.sixthField, "");
}

TEST(DiscoveryReply, OnlyTheExactMakerWordIsAPrinterOfOurs) {
    DiscoveredPrinter p;
    EXPECT_FALSE(Parse("x,kestra TQ8240 [00-11-22-33-44-55][OFFICE-1][a][b]", p));
    EXPECT_STREQ(p.maker, "kestra");  // well formed: parsed, just not ours
    EXPECT_STREQ(p.deviceName, "OFFICE-1");
    EXPECT_FALSE(Parse("x,OTHER TQ8240 [00-11-22-33-44-55][OFFICE-1][a][b]"));
    EXPECT_FALSE(Parse("x,KESTRAX TQ8240 [e][n][a][b]"));
    EXPECT_FALSE(Parse("x,KESTR TQ8240 [e][n][a][b]"));

    // A space right after the comma leaves the maker word empty.
    EXPECT_FALSE(Parse("x, KESTRA TQ8240 [00-11-22-33-44-55][OFFICE-1][a][b]", p));
    EXPECT_STREQ(p.maker, "");
    EXPECT_STREQ(p.secondWord, "KESTRA");
}

TEST(DiscoveryReply, OnlyTheLastCommaCounts) {
    DiscoveredPrinter p;
    ASSERT_TRUE(Parse("A,B,KESTRA X [1][2][3][4]", p));
    EXPECT_STREQ(p.maker, "KESTRA");
    EXPECT_STREQ(p.ethernetAddress, "1");
    EXPECT_STREQ(p.sixthField, "4");

    // A comma inside the fields moves the start: nothing before it is looked at any more.
    EXPECT_FALSE(Parse("x,KESTRA X [1][2,3][3][4]"));

    // No comma at all, or only at index 0, which is never examined.
    EXPECT_FALSE(Parse("KESTRA X [1][2][3][4]"));
    EXPECT_FALSE(Parse(",KESTRA X [1][2][3][4]"));
    EXPECT_FALSE(Parse(std::string(",")));
    EXPECT_TRUE(Parse("x,KESTRA X [1][2][3][4]"));

    // A comma as the last byte leaves an empty text.
    EXPECT_FALSE(Parse(kHead + kOffice1 + ","));
}

TEST(DiscoveryReply, NulBytesAreDroppedAndTheTextJoins) {
    DiscoveredPrinter p;
    ASSERT_TRUE(Parse(Bytes("x,KES\0TRA TQ\0\0"
                            "8240 [00-11\0-22][OFF\0ICE-1][a][b]\0"),
                      p));
    EXPECT_STREQ(p.maker, "KESTRA");
    EXPECT_STREQ(p.secondWord, "TQ8240");
    EXPECT_STREQ(p.ethernetAddress, "00-11-22");
    EXPECT_STREQ(p.deviceName, "OFFICE-1");

    // NULs before the last comma do not matter; a datagram of NULs alone has no comma.
    EXPECT_TRUE(Parse(std::string("\0\0,", 3) + "KESTRA X [1][2][3][4]"));
    EXPECT_FALSE(Parse(std::string(600, '\0')));
}

TEST(DiscoveryReply, MalformedRepliesAreRefusedAndLeaveTheFieldsCleared) {
    const char* const bad[] = {
        "",                             // empty
        "KESTRA TQ8240 [e][n][a][b]",   // no comma
        ",KESTRA TQ8240 [e][n][a][b]",  // its only comma at index 0
        "x,KESTRA",                     // no space
        "x,KESTRA TQ8240",              // no second space
        "x,KESTRA TQ8240[e][n][a][b]",  // no second space before the brackets
        "x,KESTRA TQ8240 ",             // nothing bracketed
        "x,KESTRA TQ8240 [e][n][a]",    // three bracketed parts
        "x,KESTRA TQ8240 [e][n][a][b",  // fourth bracket never closes
        "x,KESTRA TQ8240 [e[n[a[b",     // opening brackets only
    };
    for (const char* reply : bad) {
        DiscoveredPrinter p;
        std::memset(&p, 'x', sizeof(p));
        EXPECT_FALSE(Parse(reply, p)) << reply;
        ExpectAllEmpty(p);
    }
    // A lone lead byte as the datagram's last byte, after a complete text, harms nothing.
    EXPECT_TRUE(Parse("x,KESTRA TQ8240 [e][n][a][b]\x81"));

    // A null pointer with a length, or a zero length with data, is no reply.
    DiscoveredPrinter p;
    EXPECT_FALSE(ParseDiscoveryReply(nullptr, 10, p));
    const unsigned char one[] = {','};
    EXPECT_FALSE(ParseDiscoveryReply(one, 0, p));
    ExpectAllEmpty(p);
}

TEST(DiscoveryReply, LongFieldsAreCutToThirtyOneBytesAtACharacterBoundary) {
    DiscoveredPrinter p;
    const std::string longName(200, 'N');
    ASSERT_TRUE(Parse("x,KESTRA " + std::string(40, 'S') + " [" + std::string(31, 'E') + "][" +
                          longName + "][" + std::string(32, 'F') + "][" + std::string(500, 'G') +
                          "]",
                      p));
    EXPECT_EQ(std::string(p.secondWord), std::string(31, 'S'));
    EXPECT_EQ(std::string(p.ethernetAddress), std::string(31, 'E'));  // exactly fits
    EXPECT_EQ(std::string(p.deviceName), std::string(31, 'N'));
    EXPECT_EQ(std::string(p.fifthField), std::string(31, 'F'));
    EXPECT_EQ(std::string(p.sixthField), std::string(31, 'G'));

    // "打" (B4 F2) would straddle bytes 31 and 32: it goes whole, leaving 30 bytes.
    ASSERT_TRUE(Parse("x,KESTRA X [e][" + std::string(30, 'n') + "\xB4\xF2" + "][a][b]", p));
    EXPECT_EQ(std::string(p.deviceName), std::string(30, 'n'));
    // Fifteen double-byte characters (30 bytes) fit; the sixteenth does not.
    std::string chinese;
    for (int i = 0; i < 16; ++i) chinese += "\xB4\xF2";
    ASSERT_TRUE(Parse("x,KESTRA X [e][" + chinese + "][a][b]", p));
    EXPECT_EQ(std::string(p.deviceName), chinese.substr(0, 30));

    // A maker word that only starts with the token is cut, and still not ours.
    EXPECT_FALSE(Parse("x,KESTRA" + std::string(40, 'A') + " X [e][n][a][b]", p));
    EXPECT_EQ(std::string(p.maker), "KESTRA" + std::string(25, 'A'));
}

TEST(DiscoveryReply, AFullReceiveBufferIsReadToItsLastByteAndNoFurther) {
    // 600 bytes, the reply text at the very end: its last "]" is the buffer's last byte.
    const std::string text = ",KESTRA TQ8240 [00-11-22-33-44-55][OFFICE-1][a][b]";
    std::string datagram(kDiscoveryReceiveBufferSize - text.size(), 'z');
    datagram += text;
    ASSERT_EQ(datagram.size(), 600u);
    DiscoveredPrinter p;
    ASSERT_TRUE(Parse(datagram, p));
    EXPECT_STREQ(p.deviceName, "OFFICE-1");

    // The last byte missing: the fourth part is not closed any more.
    EXPECT_FALSE(Parse(datagram.substr(0, 599)));

    // A comma at byte 1 and almost the whole buffer as text, fields far over 31 bytes.
    std::string big = "x,KESTRA X [" + std::string(300, 'E') + "][" + std::string(279, 'N');
    big += "][a][b]";
    ASSERT_EQ(big.size(), 600u);
    ASSERT_TRUE(Parse(big, p));
    EXPECT_EQ(std::string(p.ethernetAddress), std::string(31, 'E'));
    EXPECT_EQ(std::string(p.deviceName), std::string(31, 'N'));
}

TEST(DiscoveryReply, TrailBytesThatLookLikePunctuationAreNotPunctuation) {
    DiscoveredPrinter p;
    // 0x81 0x5D: a double-byte character whose trail byte is ']'. It does not close the part.
    ASSERT_TRUE(Parse("x,KESTRA X [e][AB\x81][x][y][z]", p));
    EXPECT_STREQ(p.deviceName, "AB\x81][x");
    EXPECT_STREQ(p.fifthField, "y");
    EXPECT_STREQ(p.sixthField, "z");

    // 0xB0 0x5B: trail byte '[' stays inside the name.
    ASSERT_TRUE(Parse("x,KESTRA X [e][OFF\xB0[ICE][a][b]", p));
    EXPECT_STREQ(p.deviceName, "OFF\xB0[ICE");

    // A lead byte followed by ' ' is one character, not the end of the maker word.
    EXPECT_FALSE(Parse("x,KESTRA\x81 X Y [e][n][a][b]", p));
    EXPECT_STREQ(p.maker, "KESTRA\x81 X");
    EXPECT_STREQ(p.secondWord, "Y");
    // ...so with only one real space left there is no second word.
    EXPECT_FALSE(Parse("x,\x81 X[e][n][a][b]", p));
    ExpectAllEmpty(p);

    // A double-byte character in place of the opening bracket goes whole.
    ASSERT_TRUE(Parse("x,KESTRA X [e]\xB4\xF2OFFICE][a][b]", p));
    EXPECT_STREQ(p.deviceName, "OFFICE");

    // A NUL between lead and trail byte is dropped first; the pair then forms.
    ASSERT_TRUE(Parse(Bytes("x,KESTRA X [e][N\x81\0]x][a][b]"), p));
    EXPECT_STREQ(p.deviceName, "N\x81]x");
}

TEST(DiscoveryReply, ArbitraryBytesNeverBreakTheFieldBounds) {
    // Datagrams built from the bytes the parser reacts to, up to the receive buffer's size.
    const unsigned char alphabet[] = {',',  ' ', '[', ']', '\0', 0x81, 0xB4, 0xFE,
                                      0x5B, 'K', 'E', 'S', 'T',  'R',  'A',  'x'};
    std::mt19937 rng(936);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t size = rng() % (kDiscoveryReceiveBufferSize + 1);
        std::string bytes;
        if (round % 3 == 0) bytes = "x,KESTRA X ";  // reach the bracket search more often
        while (bytes.size() < size)
            bytes.push_back(static_cast<char>(alphabet[rng() % sizeof(alphabet)]));
        DiscoveredPrinter p;
        const bool ours = Parse(bytes, p);
        for (const char* field :
             {p.maker, p.secondWord, p.ethernetAddress, p.deviceName, p.fifthField, p.sixthField}) {
            ASSERT_NE(std::memchr(field, '\0', kDiscoveryFieldSize), nullptr);
        }
        if (ours) {
            EXPECT_STREQ(p.maker, kDiscoveryMakerToken);
        }
        EXPECT_STREQ(p.ipAddress, "");
    }
}

}  // namespace
}  // namespace tq

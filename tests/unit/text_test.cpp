#include "platform/text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tq {
namespace {

// "打印" in code page 936.
const char kDaYin[] = "\xB4\xF2\xD3\xA1";

TEST(BoundedCopy, CutsLongTextsAndAlwaysTerminates) {
    char field[8];
    std::memset(field, 'x', sizeof(field));
    EXPECT_EQ(BoundedCopy(field, "1234567"), 7u);  // exactly fits with its NUL
    EXPECT_STREQ(field, "1234567");
    EXPECT_EQ(BoundedCopy(field, "123456789"), 7u);
    EXPECT_STREQ(field, "1234567");
    EXPECT_EQ(BoundedCopy(field, ""), 0u);
    EXPECT_STREQ(field, "");
}

TEST(BoundedCopy, NeverSplitsADoubleByteCharacter) {
    // "a" + two double-byte characters = 5 bytes; a 5-byte field holds 4 of them plus NUL,
    // so the second character must go whole.
    char field[5];
    const std::string text = std::string("a") + kDaYin;
    EXPECT_EQ(BoundedCopy(field, text), 3u);
    EXPECT_STREQ(field, (std::string("a") + std::string(kDaYin, 2)).c_str());

    char fits[6];
    EXPECT_EQ(BoundedCopy(fits, text), 5u);
    EXPECT_EQ(std::string(fits), text);
}

TEST(BoundedCopy, ALoneLeadByteAtTheEndCountsAsOneByte) {
    char field[4];
    EXPECT_EQ(BoundedCopy(field, "ab\xB4"), 3u);
    EXPECT_STREQ(field, "ab\xB4");
}

TEST(FieldText, StopsAtTheFieldEndWithoutANul) {
    char full[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(FieldText(full), "abcd");
    char shortText[4] = {'a', '\0', 'c', 'd'};
    EXPECT_EQ(FieldText(shortText), "a");
}

TEST(MbsEqualNoCase, FoldsLatinLettersOnly) {
    EXPECT_TRUE(MbsEqualNoCase("Kestra TQ8240 Series", "KESTRA tq8240 series"));
    EXPECT_TRUE(MbsEqualNoCase("", ""));
    EXPECT_FALSE(MbsEqualNoCase("Kestra", "Kestra "));
    EXPECT_FALSE(MbsEqualNoCase("[", "{"));  // 0x5B/0x7B differ by the case bit but are no letters
    EXPECT_FALSE(MbsEqualNoCase("@", "`"));
}

TEST(MbsEqualNoCase, ComparesDoubleByteCharactersAsWholeUnits) {
    EXPECT_TRUE(MbsEqualNoCase(std::string(kDaYin) + "A", std::string(kDaYin) + "a"));
    // Trail bytes 0x41 ('A') and 0x61 ('a') belong to different characters: no folding.
    EXPECT_FALSE(MbsEqualNoCase("\x81\x41", "\x81\x61"));
    EXPECT_FALSE(MbsEqualNoCase("\xB4\x5A", "\xB4\x7A"));
    // A lead byte swallows the next byte, so "\x81" "A" is one character, not "\x81" + 'A'.
    EXPECT_FALSE(
        MbsEqualNoCase("\x81"
                       "Ab",
                       "\x81"
                       "ab"));
    EXPECT_FALSE(MbsEqualNoCase(kDaYin, "\xB4\xF2"));
}

}  // namespace
}  // namespace tq

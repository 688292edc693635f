#include <gtest/gtest.h>

#include "platform/Text.h"

using namespace platform;

namespace {
// Written as bytes so the tests do not depend on the execution charset.
const std::string GBK_CHINESE = "\xD6\xD0\xCE\xC4";            // two characters
const std::string UTF8_CHINESE = "\xE4\xB8\xAD\xE6\x96\x87";  // the same two
} // namespace

TEST(GbkText, ConvertsBothWays)
{
    EXPECT_EQ(GbkToUtf8("ab" + GBK_CHINESE), "ab" + UTF8_CHINESE);
    EXPECT_EQ(Utf8ToGbk(UTF8_CHINESE + "1"), GBK_CHINESE + "1");
    EXPECT_EQ(GbkToUtf8(""), std::string());
    const std::string long_text(100000, 'x');
    EXPECT_EQ(GbkToUtf8(long_text + GBK_CHINESE)->size(), long_text.size() + UTF8_CHINESE.size());
}

TEST(GbkText, RefusesWhatItCannotConvert)
{
    EXPECT_FALSE(GbkToUtf8("a\xD6"));              // lead byte without its trail
    EXPECT_FALSE(GbkToUtf8("\xFF\xFF"));           // not GBK at all
    EXPECT_FALSE(Utf8ToGbk("\xE4\xB8"));           // truncated UTF-8
    EXPECT_FALSE(Utf8ToGbk("\xF0\x9F\x98\x80"));   // a character GBK lacks
    EXPECT_FALSE(Utf8ToGbk("\xC0\xAF"));           // overlong UTF-8
}

TEST(GbkText, LeadByteRule)
{
    EXPECT_FALSE(IsGbkLeadByte(static_cast<uint8_t>(0x80)));
    EXPECT_TRUE(IsGbkLeadByte(static_cast<uint8_t>(0x81)));
    EXPECT_TRUE(IsGbkLeadByte(static_cast<uint8_t>(0xFE)));
    EXPECT_FALSE(IsGbkLeadByte(static_cast<uint8_t>(0xFF)));
    EXPECT_FALSE(IsGbkLeadByte('A'));
    EXPECT_TRUE(IsGbkLeadByte('\xD6'));
}

TEST(GbkText, CutNeverSplitsACharacter)
{
    const std::string text = "a" + GBK_CHINESE; // a, 2 bytes, 2 bytes
    EXPECT_EQ(CutGbkText(text, 0), "");
    EXPECT_EQ(CutGbkText(text, 1), "a");
    EXPECT_EQ(CutGbkText(text, 2), "a");
    EXPECT_EQ(CutGbkText(text, 3), "a\xD6\xD0");
    EXPECT_EQ(CutGbkText(text, 4), "a\xD6\xD0");
    EXPECT_EQ(CutGbkText(text, 5), text);
    EXPECT_EQ(CutGbkText(text, 500), text);
    // A trail byte that looks like a lead byte is not taken for one.
    EXPECT_EQ(GbkCutLength("\xD6\xD0\xD6\xD0", 3), 2u);
    // A dangling lead byte at the end of the text is dropped.
    EXPECT_EQ(CutGbkText("ab\xD6", 10), "ab");
    // Every cut of a mixed text ends on a character boundary and converts.
    const std::string mixed = "x" + GBK_CHINESE + "yz" + GBK_CHINESE;
    for (size_t n = 0; n <= mixed.size(); ++n)
        EXPECT_TRUE(GbkToUtf8(CutGbkText(mixed, n)).has_value()) << n;
}

TEST(GbkText, CaseFoldingLeavesTrailBytesAlone)
{
    // 0x81 0x41 is one character whose trail byte is 'A'.
    EXPECT_EQ(GbkToLowerAscii("AB\x81\x41Z"), "ab\x81\x41z");
    EXPECT_TRUE(GbkEqualsNoCase("Game\x81\x41", "gAME\x81\x41"));
    EXPECT_FALSE(GbkEqualsNoCase("\x81\x41", "\x81\x61"));
}

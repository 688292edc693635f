// Colour texts, wealth titles, the '|' splitter and blank trimming.
#include <gtest/gtest.h>

#include "GbkTestText.h"
#include "client/TextFunctions.h"

using namespace client;

using client_test::U8;
using client_test::Utf8;

TEST(TextFunctions, ParseRgbText)
{
    EXPECT_EQ(ParseRgbText("255 0 0", 0x123456), MakeRgb(255, 0, 0));
    EXPECT_EQ(ParseRgbText("7", 0), MakeRgb(7, 7, 7));
    EXPECT_EQ(ParseRgbText("", 0x123456), 0x123456u);
    EXPECT_EQ(ParseRgbText("8 88  53", 0), MakeRgb(8, 88, 53));
    EXPECT_EQ(ParseRgbText("256 -1 513", 0), MakeRgb(0, 255, 1)) << "each channel modulo 256";
    EXPECT_EQ(ParseRgbText("99999999999999999999 x", 0), ParseRgbText("99999999999999999999 x", 0))
        << "an overlong number does not overflow";
    EXPECT_EQ(ParseRgbText("a b c", 5), 0u);
}

TEST(TextFunctions, WealthTitlesAtEachThreshold)
{
    EXPECT_EQ(Utf8(GetWealthTitle(-1)), U8(u8"负债"));
    EXPECT_EQ(Utf8(GetWealthTitle(0)), U8(u8"待业"));
    EXPECT_EQ(Utf8(GetWealthTitle(99)), U8(u8"待业"));
    EXPECT_EQ(Utf8(GetWealthTitle(100)), U8(u8"临时工"));
    EXPECT_EQ(Utf8(GetWealthTitle(199)), U8(u8"临时工"));
    EXPECT_EQ(Utf8(GetWealthTitle(200)), U8(u8"合同工"));
    EXPECT_EQ(Utf8(GetWealthTitle(6400)), U8(u8"经理"));
    EXPECT_EQ(Utf8(GetWealthTitle(26214399)), U8(u8"超级大富豪"));
    EXPECT_EQ(Utf8(GetWealthTitle(26214400)), U8(u8"世界首富"));
    // Every threshold is twice the one below it, starting at 100.
    int64_t threshold = 100;
    const char* previous = GetWealthTitle(threshold - 1);
    for (int step = 0; step < 19; ++step, threshold *= 2) {
        EXPECT_STRNE(GetWealthTitle(threshold), previous) << threshold;
        EXPECT_STREQ(GetWealthTitle(threshold * 2 - 1), GetWealthTitle(threshold)) << threshold;
        previous = GetWealthTitle(threshold);
    }
}

TEST(TextFunctions, SplitBar)
{
    char* fields[4] = {};
    char* rest = reinterpret_cast<char*>(1);

    char three[] = "a|b|c";
    ASSERT_EQ(SplitBar(three, fields, 2, &rest), 2);
    EXPECT_STREQ(fields[0], "a");
    EXPECT_STREQ(fields[1], "b");
    ASSERT_NE(rest, nullptr);
    EXPECT_STREQ(rest, "c");

    char whole[] = "a|b|c";
    ASSERT_EQ(SplitBar(whole, fields, 4, &rest), 3);
    EXPECT_STREQ(fields[2], "c");
    EXPECT_EQ(rest, nullptr);

    char trailing[] = "x|";
    ASSERT_EQ(SplitBar(trailing, fields, 4, &rest), 2);
    EXPECT_STREQ(fields[1], "");

    char empty[] = "";
    ASSERT_EQ(SplitBar(empty, fields, 4, &rest), 1);
    EXPECT_STREQ(fields[0], "");

    EXPECT_EQ(SplitBar(nullptr, fields, 4, &rest), 0);
    EXPECT_EQ(rest, nullptr);
    char some[] = "a|b";
    EXPECT_EQ(SplitBar(some, fields, 0, &rest), 0);
}

TEST(TextFunctions, TrimSpacesOnlyRemovesSpaces)
{
    std::string text = "  a b \t ";
    TrimSpaces(text);
    EXPECT_EQ(text, "a b \t");
    std::string blanks = "    ";
    TrimSpaces(blanks);
    EXPECT_EQ(blanks, "");
    EXPECT_EQ(IntToString(-42), "-42");
}

// Fitting captions into boxes: size, spacing, two lines and shortening.
#include <gtest/gtest.h>

#include <string>

#include "engine/media/TextFit.h"

using engine::FitTextInBox;
using engine::TextFitResult;

TEST(TextFit, SpreadsShortTextOverTheBox)
{
    std::string text = "abcd";
    TextFitResult out;
    const auto [x, y] = FitTextInBox(100, 30, text, out, 0, 0, 0);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 5);
    EXPECT_EQ(out.size, 20);
    EXPECT_EQ(out.spacing, 12);
    EXPECT_EQ(out.second_line_offset, 0);
    EXPECT_EQ(text, "abcd");
}

TEST(TextFit, ShortensTextBelowTheSmallestSize)
{
    std::string text = "abcdefghij";
    TextFitResult out;
    const auto [x, y] = FitTextInBox(60, 30, text, out, 0, 0, 0);
    EXPECT_EQ(text, "abcdef..");
    EXPECT_EQ(out.size, 12);
    EXPECT_EQ(x, 6);
    EXPECT_EQ(y, 9);
}

TEST(TextFit, PutsAnEvenNumberOfChineseCharactersOnTwoLines)
{
    std::string text = "中文字体";
    TextFitResult out;
    const auto [x, y] = FitTextInBox(60, 60, text, out, 0, 0, 0);
    EXPECT_EQ(out.size, 20);
    EXPECT_EQ(out.spacing, 0);
    EXPECT_EQ(out.second_line_offset, 8);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 6);
}

TEST(TextFit, FixedSizeCutsTheTextUntilItFits)
{
    std::string text = "abcdefgh";
    TextFitResult out;
    const auto [x, y] = FitTextInBox(50, 30, text, out, 0, 0, 20);
    EXPECT_EQ(text, "ab..");
    EXPECT_EQ(out.size, 20);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 5);

    std::string tiny = "ab";
    FitTextInBox(10, 30, tiny, out, 0, 0, 20);
    EXPECT_TRUE(tiny.empty());
}

TEST(TextFit, ShorteningNeverSplitsATwoByteCharacter)
{
    std::string text = "a中文字体测试";
    TextFitResult out;
    FitTextInBox(40, 20, text, out, 0, 0, 0);
    ASSERT_GE(text.size(), 2u);
    // Every lead byte before the dots has its trail byte.
    size_t i = 0;
    while (i < text.size() && text[i] != '.')
        i += static_cast<uint8_t>(text[i]) >= 0x81 ? 2 : 1;
    EXPECT_EQ(text.substr(i).find_first_not_of('.'), std::string::npos);
}

TEST(TextFit, DegenerateBoxesEndAndEmptyTextGivesZero)
{
    std::string text = "a very long caption that cannot fit anywhere at all";
    TextFitResult out;
    FitTextInBox(0, 0, text, out, 0, 0, 0);
    FitTextInBox(-5, 100000000, text, out, 2000000000, -2000000000, 0);
    std::string empty;
    EXPECT_EQ(FitTextInBox(100, 30, empty, out, 0, 0, 0), std::make_pair(0, 0));
}

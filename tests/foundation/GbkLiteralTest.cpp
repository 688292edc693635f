// Narrow literals must be GBK at run time: the program's texts, INI keys and
// wire strings are all code page 936. This fails when -fexec-charset=GBK is lost.
#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

TEST(GbkLiterals, ChineseLiteralHasGbkBytes)
{
    // "断线了！" in GBK.
    constexpr unsigned char expected[] = { 0xB6, 0xCF, 0xCF, 0xDF, 0xC1, 0xCB, 0xA3, 0xA1 };
    const std::string_view text = "断线了！请尽快重入房间续玩。";
    ASSERT_EQ(text.size(), 28u) << "every character of this text is two bytes in GBK";
    EXPECT_EQ(std::memcmp(text.data(), expected, sizeof expected), 0);
}

TEST(GbkLiterals, AsciiStaysAscii)
{
    const std::string_view text = "Hello! Game Channel.";
    EXPECT_EQ(text.size(), 20u);
    EXPECT_EQ(text[0], 'H');
}

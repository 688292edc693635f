#include "net/Base64.h"

#include <gtest/gtest.h>

namespace {

using net::CBase64;

TEST(Base64, EncodesTheStandardVectors)
{
    EXPECT_EQ(CBase64::Encode(""), "");
    EXPECT_EQ(CBase64::Encode("f"), "Zg==");
    EXPECT_EQ(CBase64::Encode("fo"), "Zm8=");
    EXPECT_EQ(CBase64::Encode("foo"), "Zm9v");
    EXPECT_EQ(CBase64::Encode("foob"), "Zm9vYg==");
    EXPECT_EQ(CBase64::Encode("fooba"), "Zm9vYmE=");
    EXPECT_EQ(CBase64::Encode("foobar"), "Zm9vYmFy");
    // Credentials of 3, 6 or 9 bytes need no padding.
    EXPECT_EQ(CBase64::Encode("a:b"), "YTpi");
    EXPECT_EQ(CBase64::Encode("usr:pw"), "dXNyOnB3");
    EXPECT_EQ(CBase64::Encode("user:pass"), "dXNlcjpwYXNz");
    const uint8_t high[] = { 0xFB, 0xFF, 0xBF };
    EXPECT_EQ(CBase64::Encode(high), "+/+/");
}

TEST(Base64, TextFormBreaksLinesAfter72Characters)
{
    const std::string input(108, 'x'); // 144 characters: two full lines
    const std::string text = CBase64::Encode(input, CBase64::LineBreaks::Every72);
    ASSERT_EQ(text.size(), 146u);
    EXPECT_EQ(text.substr(72, 2), "\r\n");
    EXPECT_EQ(CBase64::Encode(input).find('\r'), std::string::npos);
    const auto back = CBase64::Decode(text);
    EXPECT_EQ(std::string(back.begin(), back.end()), input);
}

TEST(Base64, DecodeSkipsForeignCharactersAndStopsAtPadding)
{
    auto text = [](const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); };
    EXPECT_EQ(text(CBase64::Decode("Zm9vYmFy")), "foobar");
    EXPECT_EQ(text(CBase64::Decode("Zm9v\r\nYmE=")), "fooba");
    EXPECT_EQ(text(CBase64::Decode("Zm 9v*Yg==ignored")), "foob");
    EXPECT_EQ(text(CBase64::Decode("Zm9vY")), "foo") << "bits that make no whole byte are dropped";
    EXPECT_TRUE(CBase64::Decode("").empty());
    EXPECT_TRUE(CBase64::Decode("====").empty());
}

} // namespace

#include "net/NetUtil.h"

#include "platform/Message.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>

namespace {

TEST(NetUtil, IntegerLogarithmAndPowers)
{
    EXPECT_EQ(net::IntLog2(1), 0u);
    EXPECT_EQ(net::IntLog2(0), 0u);
    EXPECT_EQ(net::IntLog2(-5), 0u);
    EXPECT_EQ(net::IntLog2(2), 1u);
    EXPECT_EQ(net::IntLog2(1023), 9u);
    EXPECT_EQ(net::IntLog2(1024), 10u);
    EXPECT_EQ(net::IntLog2(INT32_MAX), 30u);
    EXPECT_EQ(net::PowerOfTwo(0), 1u);
    EXPECT_EQ(net::PowerOfTwo(-3), 1u);
    EXPECT_EQ(net::PowerOfTwo(10), 1024u);
    EXPECT_EQ(net::PowerOfTwo(31), 0x80000000u);
}

std::string Cut(const std::string& source, size_t n)
{
    std::string target(n + 1, '#');
    net::CopyStringGbkSafe(source.data(), source.size(), target.data(), n);
    return std::string(target.c_str());
}

TEST(NetUtil, GbkSafeCopyAlwaysTerminatesAndNeverSplitsACharacter)
{
    EXPECT_EQ(Cut("abcdefgh", 6), "abc..");
    EXPECT_EQ(Cut("abcdef", 6), "abcdef") << "exactly n bytes are kept and still terminated";
    EXPECT_EQ(Cut("abc", 6), "abc");
    // A two-byte character ending right at the cut keeps one dot.
    const std::string wide = "ab\xC4\xE3\xBA\xC3xyz";
    EXPECT_EQ(Cut(wide, 6), "ab\xC4\xE3.");
    // A character straddling the walk's limit is kept whole, then two dots.
    const std::string straddle = "a\xC4\xE3\xBA\xC3xyz";
    EXPECT_EQ(Cut(straddle, 6), "a\xC4\xE3..");
    EXPECT_EQ(Cut("abcdefgh", 4), "a..");
    EXPECT_EQ(Cut("abcdefgh", 2), "ab");
    EXPECT_EQ(Cut("a\xC4\xE3", 2), "a") << "tiny limits keep whole characters only";
    EXPECT_EQ(Cut("abcdefgh", 0), "");
}

TEST(NetUtil, UniqueIdFillsOnlyAnEmptyText)
{
    char text[31] = "";
    EXPECT_EQ(net::FillUniqueIdIfEmpty(text, sizeof text), 1);
    EXPECT_EQ(std::strlen(text), 30u);
    EXPECT_EQ(std::strspn(text, "0123456789abcdef"), 30u);
    char copy[31];
    std::memcpy(copy, text, sizeof text);
    EXPECT_EQ(net::FillUniqueIdIfEmpty(text, sizeof text), 0);
    EXPECT_STREQ(text, copy);
    char other[31] = "";
    ASSERT_EQ(net::FillUniqueIdIfEmpty(other, sizeof other), 1);
    EXPECT_STRNE(other, text);
    char small[30] = "";
    EXPECT_EQ(net::FillUniqueIdIfEmpty(small, sizeof small), 0);
    EXPECT_STREQ(small, "");
}

TEST(NetUtil, PathPartsAndHexText)
{
    std::string out = "old";
    net::GetPathParts("C:\\games\\pldk\\client.exe", net::PATH_PART_DRIVE | net::PATH_PART_DIRECTORY, out);
    EXPECT_EQ(out, "C:\\games\\pldk\\");
    net::GetPathParts("/opt/pldk/replay.qvrep", net::PATH_PART_NAME, out);
    EXPECT_EQ(out, "replay");
    net::GetPathParts("/opt/pldk/replay.qvrep", net::PATH_PART_NAME | net::PATH_PART_EXTENSION, out);
    EXPECT_EQ(out, "replay.qvrep");
    net::GetPathParts("noext", net::PATH_PART_EXTENSION, out);
    EXPECT_EQ(out, "");
    // A two-byte character whose second byte is 0x5C is no separator.
    const std::string gbk_path = "C:\\games\\\x95\x5Cname.txt";
    net::GetPathParts(gbk_path, net::PATH_PART_DIRECTORY, out);
    EXPECT_EQ(out, "\\games\\");
    net::GetPathParts(gbk_path, net::PATH_PART_NAME, out);
    EXPECT_EQ(out, "\x95\x5Cname");
    const std::string dir = net::GetModuleDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(net::PathExists(dir.c_str(), net::PathKind::Directory), 1);
    EXPECT_EQ(net::PathExists(dir.c_str(), net::PathKind::File), 0);

    std::string hex = "x";
    const uint8_t bytes[] = { 0x00, 0xAB, 0x7F };
    net::BytesToHex(bytes, 3, hex);
    EXPECT_EQ(hex, "x00ab7f");
}

TEST(NetUtil, PlainCopiesAndFreshIdentifierBytes)
{
    char target[8];
    std::memset(target, 'x', sizeof target);
    net::CopyString(target, "abc", -1);
    EXPECT_EQ(std::string(target, 5), std::string("abc\0x", 5)) << "whole text with its zero, nothing more";
    std::memset(target, 'x', sizeof target);
    net::CopyString(target, "abcdef", 3);
    EXPECT_EQ(std::string(target, 4), "abcx") << "a cut copy carries no zero";
    net::CopyString(target, "ab", 5);
    EXPECT_EQ(std::string(target, 6), std::string("ab\0\0\0x", 6)) << "a short text is padded with zeros";
    net::CopyString(nullptr, "ab", -1);
    net::CopyString(target, nullptr, -1);
    EXPECT_EQ(target[0], 'a');

    uint8_t first[40] {};
    uint8_t second[40] {};
    ASSERT_EQ(net::FillUuidBytes(first, sizeof first), 1);
    ASSERT_EQ(net::FillUuidBytes(second, sizeof second), 1);
    EXPECT_NE(std::memcmp(first, second, sizeof first), 0);
    EXPECT_NE(std::count(first, first + sizeof first, 0), 40) << "the tail past whole 16-byte groups is filled too";
    EXPECT_NE(std::count(first + 32, first + 40, 0), 8);
}

TEST(NetUtil, FlashMainWindowNeedsAScreenWindowOnItsOwnThread)
{
    net::SetMainWindow(platform::WindowHandle::None);
    EXPECT_FALSE(net::FlashMainWindow()) << "no main window set";
    // A window of the message system that has no screen window behind it
    // (or whose screen window is gone) is not flashed.
    const platform::WindowHandle window = platform::CreateMessageWindow([](platform::Message&) -> intptr_t { return 0; });
    net::SetMainWindow(window);
    EXPECT_FALSE(net::FlashMainWindow());
    bool from_other_thread = true;
    std::thread([&] { from_other_thread = net::FlashMainWindow(); }).join();
    EXPECT_FALSE(from_other_thread) << "only the UI thread may reach its screen windows";
    net::SetMainWindow(platform::WindowHandle::None);
    EXPECT_TRUE(platform::DestroyWindow(window));
}

} // namespace

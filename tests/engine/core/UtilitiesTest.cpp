#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <thread>

#include "tests/platform/TempFolder.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/EngineLog.h"
#include "engine/core/EnginePath.h"
#include "engine/core/EngineText.h"
#include "engine/core/FrameClock.h"
#include "engine/core/GrowBuffer.h"
#include "engine/core/LockHolder.h"
#include "engine/core/NameKey.h"
#include "engine/core/TagValue.h"
#include "engine/core/ZlibBuffer.h"
#include "platform/DailyLog.h"
#include "platform/Path.h"
#include "platform/Tick.h"

using namespace engine;

TEST(NameKey, HashesOfKnownTexts)
{
    EXPECT_EQ(RSHash(""), 0u);
    EXPECT_EQ(JSHash(""), 1315423911u);
    EXPECT_EQ(Hash31(""), 0u);
    EXPECT_EQ(Hash31("abc"), 96354u);
    // RSHash("a") = 0 * 63689 + 97.
    EXPECT_EQ(RSHash("a"), 97u);
    EXPECT_EQ(JSHash("a"), (1315423911u ^ ((1315423911u << 5) + 97u + (1315423911u >> 2))) & 0x7FFFFFFFu);
    // The text ends at its first 0 byte.
    EXPECT_EQ(Hash31(std::string_view("abc\0def", 7)), 96354u);
}

TEST(NameKey, HighBytesAreSignedForTwoHashesAndUnsignedForHash31)
{
    const char text[] = "\xC4";
    EXPECT_EQ(RSHash(text), static_cast<uint32_t>(-60) & 0x7FFFFFFFu);
    EXPECT_EQ(JSHash(text), (1315423911u ^ ((1315423911u << 5) + static_cast<uint32_t>(-60) + (1315423911u >> 2)))
                                & 0x7FFFFFFFu);
    EXPECT_EQ(Hash31(text), 196u);
}

TEST(NameKey, OrdersWordByWordUnsigned)
{
    const NameKey a { 5, 7, 1 };
    const NameKey b { 5, 7, 0x80000000u };
    EXPECT_TRUE(NameKeyLess(a, b));
    EXPECT_FALSE(NameKeyLess(b, a));
    EXPECT_TRUE(NameKeyLess(NameKey { 1, 9, 9 }, NameKey { 2, 0, 0 }));
    EXPECT_TRUE(NameKeyLess(NameKey { 2, 1, 9 }, NameKey { 2, 2, 0 }));
    EXPECT_FALSE(NameKeyLess(a, a));
    const NameKey key = MakeNameKey("btnThrow.imge");
    EXPECT_EQ(key.rs, RSHash("btnThrow.imge"));
    EXPECT_EQ(key.js, JSHash("btnThrow.imge"));
    EXPECT_EQ(key.h31, Hash31("btnThrow.imge"));
    EXPECT_EQ(StringHash(".imge"), RSHash(".imge"));
}

TEST(EngineText, DurationAndLists)
{
    EXPECT_EQ(FormatDuration(3600000), "60:00");
    EXPECT_EQ(FormatDuration(3601000), "01:00:01");
    EXPECT_EQ(FormatDuration(61999), "01:01");
    EXPECT_EQ(FormatDuration(0), "00:00");

    std::vector<std::string> pieces;
    EXPECT_EQ(SplitString("a,,b,", pieces), 3u);
    EXPECT_EQ(pieces, (std::vector<std::string> { "a", "", "b" }));
    std::vector<std::string> none;
    EXPECT_EQ(SplitString("", none), 0u);
    EXPECT_TRUE(none.empty());

    EXPECT_EQ(StripQuotes("say \"hi\" now"), "hi");
    EXPECT_EQ(StripQuotes("one \" only"), "one \" only");
    EXPECT_EQ(ParseInt("  -42abc"), -42);
    EXPECT_EQ(ParseInt("99999999999"), INT32_MAX);
}

TEST(EngineText, LowerCaseStepsOverTwoByteCharacters)
{
    // 0x81 0x41 is one two-byte character whose trail byte looks like 'A'.
    std::string text = "AB\x81\x41Z";
    LowerAsciiGbkSafe(text);
    EXPECT_EQ(text, "ab\x81\x41z");
}

TEST(TagValue, BoolsAndLists)
{
    EXPECT_EQ(CTagValue("TRUE").ToBool(), 1);
    EXPECT_EQ(CTagValue("FALSE").ToBool(), 0);
    EXPECT_EQ(CTagValue("true").ToBool(), 0);
    EXPECT_EQ(CTagValue("2").ToBool(), 2);
    std::vector<CTagValue> values;
    EXPECT_EQ(ParseValueList("1,x,", values), 2u);
    EXPECT_EQ(values[0].ToInt(), 1);
    EXPECT_EQ(values[1].GetType(), CTagValue::TYPE_TEXT);
    EXPECT_EQ(ParseValueList("", values), 0u);
}

TEST(GrowBuffer, GrowsWhenFullAndSkipStaysInside)
{
    CGrowBuffer buffer;
    std::vector<uint8_t> bytes(32, 7);
    EXPECT_EQ(buffer.Append(bytes), 32u);
    EXPECT_EQ(buffer.GetCapacity(), 64u);
    EXPECT_EQ(buffer.GetAt(32), buffer.GetData() + 32);
    EXPECT_EQ(buffer.GetAt(33), nullptr);
    buffer.Seek(10);
    buffer.Skip(1000);
    EXPECT_EQ(buffer.GetCursorOffset(), 32u);
    buffer.Seek(0);
    buffer.Skip(SIZE_MAX);
    EXPECT_EQ(buffer.GetCursorOffset(), 32u);
    buffer.Reset();
    EXPECT_EQ(buffer.GetLength(), 0u);
    EXPECT_EQ(buffer.GetData()[5], 0);
}

TEST(ZlibBuffer, RoundTripsAndRefusesBadStreams)
{
    std::vector<uint8_t> data(5000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i % 37);
    const auto packed = ZlibCompressBuffer(data);
    ASSERT_TRUE(packed.has_value());
    EXPECT_LT(packed->size(), data.size());
    const auto unpacked = ZlibUncompressBuffer(*packed, data.size());
    ASSERT_TRUE(unpacked.has_value());
    EXPECT_EQ(*unpacked, data);

    // A size other than the stream's is a failure, not zeros or a partial buffer.
    EXPECT_FALSE(ZlibUncompressBuffer(*packed, data.size() + 1).has_value());
    EXPECT_FALSE(ZlibUncompressBuffer(*packed, data.size() - 1).has_value());
    // A damaged or truncated stream fails.
    auto damaged = *packed;
    damaged[damaged.size() / 2] ^= 0xFF;
    EXPECT_FALSE(ZlibUncompressBuffer(damaged, data.size()).has_value());
    std::vector<uint8_t> truncated(packed->begin(), packed->begin() + packed->size() / 2);
    EXPECT_FALSE(ZlibUncompressBuffer(truncated, data.size()).has_value());
    auto trailing = *packed;
    trailing.push_back(0);
    EXPECT_FALSE(ZlibUncompressBuffer(trailing, data.size()).has_value()) << "a byte after the stream";
    // A size from a file above the cap is refused before allocating.
    EXPECT_FALSE(ZlibUncompressBuffer(*packed, size_t { 1 } << 40).has_value());
    EXPECT_FALSE(ZlibUncompressBuffer(*packed, data.size(), 100).has_value());
}

TEST(ZlibBuffer, EmptyInputTerminates)
{
    const auto packed = ZlibCompressBuffer({});
    ASSERT_TRUE(packed.has_value());
    EXPECT_FALSE(packed->empty());
    const auto unpacked = ZlibUncompressBuffer(*packed, 0);
    ASSERT_TRUE(unpacked.has_value());
    EXPECT_TRUE(unpacked->empty());
}

TEST(EngineLog, LineFormats)
{
    EXPECT_EQ(FormatGameLogLine("hello", 2026, 12, 7, 4, 5, 6), "2026/12/07     04:05:06      hello\r\n");
    EXPECT_EQ(FormatRunLogLine("GameCore Start", 2026, 1, 2, 3, 4, 5), "2026/01/02     03:04:05     GameCore Start\r\n");
}

class EnginePathTest : public ::testing::Test {
protected:
    const platform::testing::CTempLogFolder m_logs;
    // The folder without its trailing '/'.
    const std::filesystem::path m_root { std::filesystem::path(m_logs.Path()).parent_path() };
};

TEST_F(EnginePathTest, DirectoryTreeAndWholeFiles)
{
    const std::string base = m_root.string();
    EXPECT_EQ(MakeDirectoryTree(base + "\\a\\b\\", 0), 0);
    EXPECT_FALSE(std::filesystem::exists(m_root / "a"));
    EXPECT_EQ(MakeDirectoryTree(base + "\\a\\\\b\\", 1), 1);
    EXPECT_TRUE(std::filesystem::is_directory(m_root / "a" / "b"));
    EXPECT_EQ(MakeDirectoryTree(base + "/a/b", 0), 1);

    const std::string file = base + "\\a\\b\\data.bin";
    const std::vector<uint8_t> bytes { 1, 2, 3, 0, 5 };
    EXPECT_EQ(WriteWholeFile(file, bytes), 1);
    const auto read = ReadWholeFile(file);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, bytes);
    EXPECT_FALSE(ReadWholeFile(file, 4).has_value());
    EXPECT_FALSE(ReadWholeFile(base + "/missing.bin").has_value());
    EXPECT_FALSE(ReadWholeFile("").has_value());
}

TEST(EnginePath, NamePieces)
{
    EXPECT_EQ(GetFileExtLower("skin\\Cards.PNG"), ".png");
    EXPECT_EQ(GetFileTitleOf("skin/Cards.PNG"), "Cards");
    EXPECT_EQ(GetFileNameExtLower("c:\\x.y\\Cards.PNG"), "Cards.png");
    EXPECT_EQ(GetFileExtLower("c:\\x.y\\noext"), "");
}

TEST(FrameClock, CountsFromItsStartAcrossTheTickWrap)
{
    platform::CManualClock tick(0xFFFFFF00u);
    CFrameClock clock(tick);
    clock.Start(40); // started 40 ms in the past
    EXPECT_EQ(clock.Now(), 40u);
    tick.Advance(0x200); // the 32-bit tick wraps
    EXPECT_EQ(clock.Now(), 40u + 0x200u);
}

TEST(LockHolder, ReentrantDepthAndOnlyTheOwnerLeaves)
{
    CLockHolder holder;
    holder.Enter();
    holder.Enter();
    EXPECT_EQ(holder.GetDepth(), 2);
    EXPECT_TRUE(holder.IsHeldByCurrentThread());
    std::thread other([&] {
        EXPECT_FALSE(holder.IsHeldByCurrentThread());
        holder.Leave(); // not its lock: nothing changes
    });
    other.join();
    EXPECT_EQ(holder.GetDepth(), 2);
    holder.Leave();
    {
        CLockScope scope(holder);
        EXPECT_EQ(holder.GetDepth(), 2);
    }
    holder.Leave();
    EXPECT_EQ(holder.GetDepth(), 0);
    EXPECT_FALSE(holder.IsHeldByCurrentThread());
}

TEST(EngineEvent, MakeEngineEventFillsTheFourWords)
{
    EngineEvent event;
    int payload = 0;
    EngineEvent* made = MakeEngineEvent(&event, 12, 19840353, reinterpret_cast<uintptr_t>(&payload), 7);
    EXPECT_EQ(made, &event);
    EXPECT_EQ(event.target, 12u);
    EXPECT_EQ(event.id, 19840353u);
    EXPECT_EQ(event.param1, reinterpret_cast<uintptr_t>(&payload));
    EXPECT_EQ(event.param2, 7u);
}

#include "net/ByteBuffer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

using net::CByteBuffer;

TEST(ByteBuffer, CapacityGrowsInWholeKilobytesAndNeverShrinks)
{
    CByteBuffer buffer;
    EXPECT_EQ(buffer.GetSize(), 0u);
    EXPECT_EQ(buffer.GetCapacity(), 0u);
    const uint8_t one = 7;
    EXPECT_EQ(buffer.Append(&one, 1), 1u);
    EXPECT_EQ(buffer.GetCapacity(), 1024u);

    CByteBuffer big;
    std::vector<uint8_t> bytes(1025, 1);
    EXPECT_EQ(big.Append(bytes.data(), bytes.size()), 1025u);
    EXPECT_EQ(big.GetCapacity(), 2048u);
    big.Discard(1025);
    EXPECT_EQ(big.GetCapacity(), 2048u);
    big.Reset();
    EXPECT_EQ(big.GetSize(), 0u);
    EXPECT_EQ(big.GetCapacity(), 2048u);

    CByteBuffer fresh;
    fresh.Reset();
    EXPECT_EQ(fresh.GetCapacity(), 1024u);

    // A full block that must grow at least doubles, so long runs of appends
    // (a message joined part by part) do not copy the whole buffer each time.
    CByteBuffer joined;
    const std::vector<uint8_t> part(4004, 2);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(joined.Append(part.data(), part.size()), part.size());
    EXPECT_EQ(joined.GetSize(), 64u * 4004);
    EXPECT_EQ(joined.GetCapacity() % 1024, 0u);
    EXPECT_EQ(joined.GetCapacity(), 262144u) << "4 KiB doubled six times";
}

TEST(ByteBuffer, ReadCutsToSizeRefusesMoreThanCapacityAndKeepsOrder)
{
    CByteBuffer buffer;
    std::vector<uint8_t> bytes(10);
    std::iota(bytes.begin(), bytes.end(), uint8_t(0));
    buffer.Append(bytes.data(), 10);
    const uint8_t front[2] = { 100, 101 };
    EXPECT_EQ(buffer.Insert(front, 2), 2u);
    ASSERT_EQ(buffer.GetSize(), 12u);
    EXPECT_EQ(*buffer.GetAt(0), 100);
    EXPECT_EQ(*buffer.GetAt(2), 0);

    uint8_t target[2048] {};
    EXPECT_EQ(buffer.Read(target, 2000), 0u); // beyond the capacity: nothing
    EXPECT_EQ(buffer.GetSize(), 12u);
    EXPECT_EQ(buffer.Read(target, 3), 3u);
    EXPECT_EQ(target[0], 100);
    EXPECT_EQ(target[2], 0);
    EXPECT_EQ(*buffer.GetAt(0), 1); // the rest moved to the front
    EXPECT_EQ(buffer.Read(target, 500), 9u); // cut to the size
    EXPECT_EQ(target[8], 9);
    EXPECT_EQ(buffer.GetSize(), 0u);
}

TEST(ByteBuffer, GrowOnlyWhenBeyondSizeAndCapacity)
{
    CByteBuffer buffer;
    EXPECT_TRUE(buffer.Grow(10));
    EXPECT_EQ(buffer.GetCapacity(), 1024u);
    EXPECT_TRUE(buffer.Grow(1000));
    EXPECT_EQ(buffer.GetCapacity(), 1024u);
    EXPECT_TRUE(buffer.Reserve(4097));
    EXPECT_EQ(buffer.GetCapacity(), 5120u);
    EXPECT_FALSE(buffer.Reserve(SIZE_MAX));
    EXPECT_EQ(buffer.GetCapacity(), 5120u);
}

} // namespace

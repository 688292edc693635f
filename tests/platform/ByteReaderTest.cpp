// Little-endian words and the sticky reader that every record parser uses.
#include "platform/ByteOrder.h"
#include "platform/ByteReader.h"

#include <gtest/gtest.h>

#include <array>

using namespace platform;

TEST(ByteOrder, WordsAreLittleEndianBothWays)
{
    std::array<uint8_t, 4> bytes {};
    StoreU32LE(bytes.data(), 0x11223344u);
    EXPECT_EQ(bytes, (std::array<uint8_t, 4> { 0x44, 0x33, 0x22, 0x11 }));
    EXPECT_EQ(LoadU32LE(bytes.data()), 0x11223344u);
    StoreU16LE(bytes.data(), 0xA1B2);
    EXPECT_EQ(bytes[0], 0xB2);
    EXPECT_EQ(LoadU16LE(bytes.data()), 0xA1B2);
}

TEST(ByteReader, ReadsFieldsInOrderAndFailsStickilyPastTheEnd)
{
    const std::array<uint8_t, 7> bytes { 0x01, 0x02, 0x03, 0xFF, 0xFF, 0xFF, 0xFF };
    CByteReader in(bytes);
    EXPECT_EQ(in.ReadU8(), 0x01);
    EXPECT_EQ(in.ReadU16(), 0x0302);
    EXPECT_EQ(in.ReadI32(), -1);
    EXPECT_TRUE(in.Ok());
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(in.ReadU8(), 0);
    EXPECT_FALSE(in.Ok());

    // A short read fails without consuming, and every later read answers 0.
    CByteReader short_in(std::span<const uint8_t>(bytes).first(3));
    EXPECT_EQ(short_in.ReadU32(), 0u);
    EXPECT_FALSE(short_in.Ok());
    EXPECT_EQ(short_in.Remaining(), 3u);
    EXPECT_EQ(short_in.ReadU8(), 0);
    EXPECT_TRUE(short_in.ReadBytes(1).empty());
}

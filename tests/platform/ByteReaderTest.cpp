// Little-endian words and the sticky reader that every record parser uses.
#include "platform/ByteOrder.h"
#include "platform/ByteReader.h"
#include "platform/ByteWriter.h"
#include "platform/RecordFields.h"

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

// Every input cut short of a record reads the same way: the values that fit,
// zeros after the first read that does not, one failure, and the length the
// whole record wanted (what a refusal names).
TEST(ByteReader, ShortInputsFailOnceAndTellTheLengthWanted)
{
    const std::array<uint8_t, 10> bytes { 7, 0, 0, 0, 0x34, 0x12, 0x78, 0x56, 'h', 'i' };
    const struct {
        size_t size;
        uint16_t first;
        uint32_t last;
        size_t rest;
    } cases[] = { { 0, 0, 0, 0 }, { 1, 0, 0, 0 }, { 3, 7, 0, 0 }, { 5, 7, 0, 0 },
                  { 7, 7, 0, 0 }, { 8, 7, 0x56781234, 0 }, { 10, 7, 0x56781234, 2 } };
    for (const auto& c : cases) {
        CByteReader in(std::span<const uint8_t>(bytes).first(c.size));
        const uint16_t first = in.ReadU16();
        in.Skip(2);
        const auto last = static_cast<uint32_t>(in.ReadWords<1>()[0]);
        const size_t rest = in.ReadRest().size();
        EXPECT_EQ(first, c.first) << c.size;
        EXPECT_EQ(last, c.last) << c.size;
        EXPECT_EQ(rest, c.rest) << c.size;
        EXPECT_EQ(in.Ok(), c.size >= 8) << c.size;
        EXPECT_EQ(in.Wanted(), std::max<size_t>(8, c.size)) << c.size;
        EXPECT_EQ(in.Size(), c.size);
    }
    CByteReader huge(bytes);
    huge.Skip(SIZE_MAX);
    huge.Skip(4);
    EXPECT_EQ(huge.Wanted(), SIZE_MAX) << "saturates";
}

namespace {

struct InnerRecord {
    int32_t id = 0;
    char tag[3] {};
    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.id), v(r.tag);
    }
};

struct OuterRecord {
    uint32_t flags = 0;
    int32_t grid[2][2] {};
    InnerRecord inner[2] {};
    char names[2][2] {};
    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.flags), v(r.grid), v(r.inner), v(r.names);
    }
};
static_assert(FieldListBytes<OuterRecord>() == 4 + 16 + 2 * 7 + 4);

} // namespace

TEST(RecordFields, FieldListsRoundTripInLayoutOrder)
{
    OuterRecord record;
    record.flags = 0x80000001u;
    record.grid[1][0] = -2;
    record.inner[1] = InnerRecord { 0x01020304, { 'a', 'b', 'c' } };
    record.names[0][1] = 'z';
    const auto bytes = RecordBytes(record);
    ASSERT_EQ(bytes.size(), 38u);
    EXPECT_EQ(LoadU32LE(bytes.data()), 0x80000001u);
    EXPECT_EQ(LoadU32LE(bytes.data() + 12), 0xFFFFFFFEu); // grid[1][0]
    EXPECT_EQ(LoadU32LE(bytes.data() + 27), 0x01020304u); // inner[1].id, unaligned
    EXPECT_EQ(bytes[33], 'c');                             // texts are raw, unterminated
    EXPECT_EQ(bytes[35], 'z');

    OuterRecord read;
    ASSERT_TRUE(ReadRecord(std::span<const uint8_t>(bytes), read));
    EXPECT_EQ(RecordBytes(read), bytes);

    // Too few bytes: refused, the record left as it was.
    OuterRecord untouched;
    untouched.flags = 7;
    EXPECT_FALSE(ReadRecord(std::span<const uint8_t>(bytes).first(37), untouched));
    EXPECT_EQ(untouched.flags, 7u);
}

TEST(ByteWriterDeathTest, WritingPastTheBufferEndsTheProgramInEveryBuild)
{
    std::array<uint8_t, 6> buffer {};
    CByteWriter writer(buffer);
    writer.WriteU32(1);
    writer.WriteU16(2);
    EXPECT_EQ(writer.Remaining(), 0u);
    EXPECT_DEATH(writer.WriteU8(3), "pass the buffer");
    OuterRecord record;
    EXPECT_DEATH((void)WriteRecord(record, std::span<uint8_t>(buffer)), "pass the buffer");
}

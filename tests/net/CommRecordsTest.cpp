#include "net/CommRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

using namespace net;

TEST(CommRecords, ConnRecordImageIsSixLittleEndianWords)
{
    ConnRecord conn;
    conn.socket = 7;
    conn.message_serial = 0x01020304;
    conn.answer_wanted = 1;
    conn.cookie = 0xA1B2C3D4;
    uint8_t image[CONN_RECORD_SIZE];
    std::fill(std::begin(image), std::end(image), 0xEE);
    conn.WriteTo(image);
    const std::vector<uint8_t> expected = { 7, 0, 0, 0, 4, 3, 2, 1, 1, 0, 0, 0, 0xD4, 0xC3, 0xB2, 0xA1,
                                            0, 0, 0, 0, 0, 0, 0, 0 };
    EXPECT_EQ(std::vector<uint8_t>(image, image + CONN_RECORD_SIZE), expected);
    const ConnRecord back = ConnRecord::ReadFrom(image);
    EXPECT_EQ(back.socket, 7);
    EXPECT_EQ(back.message_serial, 0x01020304u);
    EXPECT_EQ(back.answer_wanted, 1u);
    EXPECT_EQ(back.cookie, 0xA1B2C3D4u);
    image[0] = image[1] = image[2] = image[3] = 0xFF;
    EXPECT_EQ(ConnRecord::ReadFrom(image).socket, -1) << "an invalid socket reads back as -1";
}

TEST(CommRecords, CopiesOwnTheirDataAndFreeingClearsIt)
{
    const uint8_t bytes[] = { 1, 2, 3, 4, 5 };
    RequestRecord record = RequestRecord::Make(201001, bytes);
    record.reserved0 = 9;
    record.reserved = { 10, 11, 12, 13 };
    RequestRecord copy = CopyRequestRecord(record);
    EXPECT_EQ(copy.reserved0, 9u);
    EXPECT_EQ(copy.id, 201001u);
    EXPECT_EQ(copy.reserved, (std::array<uint32_t, 4> { 10, 11, 12, 13 }));
    ASSERT_EQ(copy.data_length, 5);
    ASSERT_NE(copy.data.get(), record.data.get()) << "the copy has a block of its own";
    FreeRequestData(record);
    EXPECT_EQ(record.data, nullptr);
    EXPECT_EQ(record.data_length, 0);
    EXPECT_TRUE(record.Data().empty());
    EXPECT_EQ(std::vector<uint8_t>(copy.Data().begin(), copy.Data().end()), std::vector<uint8_t>(bytes, bytes + 5))
        << "still readable after the original was freed";

    // A length without a block (or an empty record) copies as no data.
    RequestRecord odd;
    odd.data_length = 40;
    const RequestRecord odd_copy = CopyRequestRecord(odd);
    EXPECT_EQ(odd_copy.data_length, 0);
    EXPECT_EQ(odd_copy.data, nullptr);
    EXPECT_TRUE(odd.Data().empty()) << "no block: nothing to read whatever the length says";
}

} // namespace

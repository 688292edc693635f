#include "net/Crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

namespace {

uint32_t ZlibCrc(const std::vector<uint8_t>& data, size_t offset, size_t n)
{
    return uint32_t(crc32(0L, data.data() + offset, uInt(n)));
}

TEST(Crc32, TableMatchesZlibsOwnTable)
{
    uint32_t table[256];
    net::Crc32Table(table);
    const z_crc_t* zlib_table = get_crc_table();
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(table[i], zlib_table[i]) << i;
}

TEST(Crc32, EveryMethodGivesZlibsResultForManySizesAndAlignments)
{
    std::mt19937 random(11);
    std::vector<uint8_t> data(5000);
    for (auto& byte : data)
        byte = uint8_t(random());
    uint32_t table[256];
    net::Crc32Table(table);
    for (size_t offset : { 0, 1, 3, 8, 15 }) {
        for (size_t n = 1; n + offset <= data.size(); n += (n < 300 ? 1 : 97)) {
            const uint32_t expected = ZlibCrc(data, offset, n);
            const std::span<const uint8_t> bytes(data.data() + offset, n);
            ASSERT_EQ(net::Crc32(bytes), expected) << offset << " " << n;
            ASSERT_EQ(net::Crc32(table, bytes.data(), n), expected);
            ASSERT_EQ(net::CRC32_FINISH(net::Crc32Update(net::CRC32_START, bytes, net::Crc32Method::Portable)),
                      expected);
        }
    }
}

TEST(Crc32, ChunkedUpdateEqualsOneRunAndEmptyGivesZero)
{
    std::vector<uint8_t> data(250000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 31 + (i >> 7));
    uint32_t reg = net::CRC32_START;
    for (size_t offset = 0; offset < data.size(); offset += 102400)
        reg = net::Crc32Update(reg, std::span<const uint8_t>(data).subspan(offset, std::min<size_t>(102400, data.size() - offset)));
    EXPECT_EQ(net::CRC32_FINISH(reg), ZlibCrc(data, 0, data.size()));

    uint32_t table[256];
    net::Crc32Table(table);
    EXPECT_EQ(net::Crc32(std::span<const uint8_t>()), 0u);
    EXPECT_EQ(net::Crc32(table, nullptr, 10), 0u);
    EXPECT_EQ(net::Crc32(table, data.data(), 0), 0u);
    const uint8_t check[] = { '1', '2', '3', '4', '5', '6', '7', '8', '9' };
    EXPECT_EQ(net::Crc32(check), 0xCBF43926u);
}

} // namespace

// Cursor files: the entry chosen, its hot spot, refusals of damaged files,
// and decoded pixels as a cursor takes them.
#include <gtest/gtest.h>

#include "engine/core/CursorFile.h"
#include "platform/ByteOrder.h"

using namespace engine;

namespace {

struct Entry {
    uint8_t width, height;
    uint16_t hot_x, hot_y; // planes and bits in an icon
    std::vector<uint8_t> data;
};

std::vector<uint8_t> MakeFile(uint16_t type, const std::vector<Entry>& entries)
{
    std::vector<uint8_t> file(6 + 16 * entries.size());
    platform::StoreU16LE(&file[2], type);
    platform::StoreU16LE(&file[4], uint16_t(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        uint8_t* record = &file[6 + 16 * i];
        record[0] = entries[i].width;
        record[1] = entries[i].height;
        platform::StoreU16LE(record + 4, entries[i].hot_x);
        platform::StoreU16LE(record + 6, entries[i].hot_y);
        platform::StoreU32LE(record + 8, uint32_t(entries[i].data.size()));
        platform::StoreU32LE(record + 12, uint32_t(file.size()));
        file.insert(file.end(), entries[i].data.begin(), entries[i].data.end());
    }
    return file;
}

} // namespace

TEST(CursorFile, TakesTheLargestEntryWithItsHotSpot)
{
    const std::vector<uint8_t> file
        = MakeFile(2, { Entry { 16, 16, 1, 2, { 1, 1, 1 } }, Entry { 32, 32, 5, 40, { 2, 2 } },
                        Entry { 8, 8, 0, 0, { 3 } } });
    const auto entry = ReadCursorFile(file);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->hot_x, 5);
    EXPECT_EQ(entry->hot_y, 31); // kept inside the 32 x 32 entry
    // The entry alone as an icon file: type 1, one record, its data at 22.
    const std::vector<uint8_t> expected = { 0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 22, 0, 0, 0, 2, 2 };
    EXPECT_EQ(entry->icon_file, expected);

    const auto icon = ReadCursorFile(MakeFile(1, { Entry { 0, 0, 1, 32, { 9 } } })); // 0 stands for 256
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->hot_x, 128);
    EXPECT_EQ(icon->hot_y, 128);
}

TEST(CursorFile, RefusesDamagedFiles)
{
    std::vector<uint8_t> outside = MakeFile(2, { Entry { 16, 16, 0, 0, { 1, 2, 3 } } });
    platform::StoreU32LE(&outside[6 + 8], 4); // one byte past the end
    std::vector<uint8_t> offset_in_header = MakeFile(2, { Entry { 16, 16, 0, 0, { 1 } } });
    platform::StoreU32LE(&offset_in_header[6 + 12], 2);
    std::vector<uint8_t> too_many = MakeFile(2, { Entry { 16, 16, 0, 0, { 1 } } });
    platform::StoreU16LE(&too_many[4], 2);
    std::vector<uint8_t> reserved = MakeFile(2, { Entry { 16, 16, 0, 0, { 1 } } });
    reserved[0] = 1;
    const std::vector<std::vector<uint8_t>> files = {
        {}, { 0, 0, 2 }, MakeFile(3, { Entry { 16, 16, 0, 0, { 1 } } }), MakeFile(2, {}),
        MakeFile(2, { Entry { 16, 16, 0, 0, {} } }), outside, offset_in_header, too_many, reserved,
    };
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_FALSE(ReadCursorFile(files[i]).has_value()) << i;
}

TEST(CursorFile, DecodedPixelsBecomeBgraWithAlpha)
{
    ImageRecord palette;
    palette.id = 5;
    palette.width = 2;
    palette.height = 1;
    palette.frames = 1;
    palette.flags = IMAGE_FLAG_PALETTE | IMAGE_FLAG_TRANSPARENT;
    palette.colour_key = 1;
    palette.palette_count = 2;
    palette.palette = std::make_unique<uint8_t[]>(6);
    const uint8_t colours[6] = { 0x10, 0x20, 0x30, 0x40, 0x50, 0x60 }; // red, green, blue each
    std::copy(colours, colours + 6, palette.palette.get());
    palette.pixel_bytes = 2;
    palette.pixels = std::make_unique<uint8_t[]>(2);
    palette.pixels[0] = 0;
    palette.pixels[1] = 1;
    EXPECT_EQ(ImageRecordToBgra(palette), (std::vector<uint8_t> { 0x30, 0x20, 0x10, 255, 0x60, 0x50, 0x40, 0 }));
    EXPECT_TRUE(ImageRecordToBgra(ImageRecord {}).empty());
}

#include "engine/core/CursorFile.h"

#include <algorithm>
#include <cstring>

#include "engine/core/FrameImage.h"
#include "platform/ByteReader.h"
#include "platform/ByteOrder.h"

namespace engine {

namespace {

constexpr uint16_t TYPE_ICON = 1;
constexpr uint16_t TYPE_CURSOR = 2;
constexpr size_t HEADER_BYTES = 6;
constexpr size_t ENTRY_BYTES = 16;

/// A side of 0 in the directory stands for 256.
uint32_t Side(uint8_t stored)
{
    return stored == 0 ? 256 : stored;
}

} // namespace

std::optional<CursorFileEntry> ReadCursorFile(std::span<const uint8_t> file)
{
    platform::CByteReader in(file);
    const uint16_t reserved = in.ReadU16();
    const uint16_t type = in.ReadU16();
    const uint16_t count = in.ReadU16();
    if (!in.Ok() || reserved != 0 || (type != TYPE_ICON && type != TYPE_CURSOR)
        || count > in.Remaining() / ENTRY_BYTES)
        return std::nullopt;

    std::span<const uint8_t> best_record;
    std::span<const uint8_t> best_data;
    uint64_t best_area = 0;
    for (uint16_t i = 0; i < count; ++i) {
        const std::span<const uint8_t> record = in.ReadBytes(ENTRY_BYTES);
        platform::CByteReader fields(record.subspan(8));
        const uint32_t size = fields.ReadU32();
        const uint32_t offset = fields.ReadU32();
        if (offset < HEADER_BYTES || offset >= file.size() || size == 0 || size > file.size() - offset)
            continue;
        const uint64_t area = uint64_t(Side(record[0])) * Side(record[1]);
        if (area > best_area) {
            best_area = area;
            best_record = record;
            best_data = file.subspan(offset, size);
        }
    }
    if (best_data.empty())
        return std::nullopt;

    CursorFileEntry entry;
    const int32_t width = int32_t(Side(best_record[0]));
    const int32_t height = int32_t(Side(best_record[1]));
    if (type == TYPE_CURSOR) {
        platform::CByteReader hot(best_record.subspan(4));
        entry.hot_x = std::min<int32_t>(hot.ReadU16(), width - 1);
        entry.hot_y = std::min<int32_t>(hot.ReadU16(), height - 1);
    } else {
        entry.hot_x = width / 2;
        entry.hot_y = height / 2;
    }
    // The entry alone, as an icon (bits per pixel from the image's own header).
    entry.icon_file = SingleEntryIconFile(best_record[0], best_record[1], best_record[2], 0, best_data);
    return entry;
}

std::vector<uint8_t> SingleEntryIconFile(uint8_t width, uint8_t height, uint8_t colours, uint16_t bits,
                                         std::span<const uint8_t> image)
{
    constexpr size_t IMAGE_OFFSET = HEADER_BYTES + ENTRY_BYTES;
    std::vector<uint8_t> file(IMAGE_OFFSET + image.size());
    platform::StoreU16LE(file.data() + 2, TYPE_ICON);
    platform::StoreU16LE(file.data() + 4, 1);
    uint8_t* record = file.data() + HEADER_BYTES;
    record[0] = width;
    record[1] = height;
    record[2] = colours;
    platform::StoreU16LE(record + 4, 1);
    platform::StoreU16LE(record + 6, bits);
    platform::StoreU32LE(record + 8, uint32_t(image.size()));
    platform::StoreU32LE(record + 12, uint32_t(IMAGE_OFFSET));
    if (!image.empty())
        std::memcpy(file.data() + IMAGE_OFFSET, image.data(), image.size());
    return file;
}

std::vector<uint8_t> ImageRecordToBgra(const ImageRecord& record)
{
    if (!record.pixels || record.width == 0 || record.height == 0)
        return {};
    // The frame image reads every record format with its own bounds checks.
    CFrameImage picture;
    ImageRef ref;
    ref.id = record.id;
    ref.record = const_cast<ImageRecord*>(&record);
    ref.width = record.width;
    ref.height = record.height;
    picture.SetInfo(ref);
    std::vector<uint8_t> pixels(size_t(record.width) * record.height * 4);
    for (int32_t y = 0; y < record.height; ++y) {
        for (int32_t x = 0; x < record.width; ++x) {
            const uint32_t colour = picture.GetColourAt(x, y); // 0x00BBGGRR
            uint8_t* at = pixels.data() + (size_t(y) * record.width + x) * 4;
            at[0] = uint8_t(colour >> 16);
            at[1] = uint8_t(colour >> 8);
            at[2] = uint8_t(colour);
            at[3] = uint8_t(picture.GetAlphaAt(x, y));
        }
    }
    return pixels;
}

} // namespace engine

#pragma once
// Small builders of ImageRecords for the image tests, and the temporary
// folder they write their files into.
#include "engine/core/ImageRecord.h"
#include "tests/platform/TempFolder.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <initializer_list>
#include <vector>

namespace imagetest {

using platform::testing::CTempFolder;

// A 32-bit record of width x (height * frames) pixels given as 0xAARRGGBB.
inline engine::ImageRecord MakeBgra(uint16_t width, uint16_t height, const std::vector<uint32_t>& pixels,
                                    uint32_t flags = engine::IMAGE_FLAG_ALPHA, uint32_t frames = 1)
{
    engine::ImageRecord record;
    record.width = width;
    record.height = height;
    record.frames = frames;
    record.flags = flags;
    record.frames_per_row = 1;
    record.pixel_bytes = uint32_t(pixels.size() * 4);
    record.pixels = std::make_unique<uint8_t[]>(record.pixel_bytes);
    std::memcpy(record.pixels.get(), pixels.data(), record.pixel_bytes);
    return record;
}

// A palette record: bytes are indices (or index, alpha pairs with alpha).
inline engine::ImageRecord MakePalette(uint16_t width, uint16_t height, const std::vector<uint8_t>& bytes,
                                       const std::vector<uint8_t>& rgb, uint32_t colour_key, bool alpha,
                                       uint32_t frames = 1)
{
    engine::ImageRecord record;
    record.width = width;
    record.height = height;
    record.frames = frames;
    record.flags = engine::IMAGE_FLAG_PALETTE | (alpha ? engine::IMAGE_FLAG_ALPHA : 0)
        | (colour_key != engine::IMAGE_NO_COLOUR_KEY ? engine::IMAGE_FLAG_TRANSPARENT : 0);
    record.colour_key = colour_key;
    record.frames_per_row = 1;
    record.pixel_bytes = uint32_t(bytes.size());
    record.pixels = std::make_unique<uint8_t[]>(bytes.size());
    std::memcpy(record.pixels.get(), bytes.data(), bytes.size());
    record.palette_count = uint32_t(rgb.size() / 3);
    record.palette = std::make_unique<uint8_t[]>(rgb.size());
    std::memcpy(record.palette.get(), rgb.data(), rgb.size());
    return record;
}

inline uint32_t PixelAt(const engine::ImageRecord& record, size_t index)
{
    uint32_t v;
    std::memcpy(&v, record.pixels.get() + index * 4, 4);
    return v;
}

// Writes a file below the folder, making its sub-folders first.
inline void WriteFile(const CTempFolder& folder, const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::filesystem::path path = folder / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace imagetest

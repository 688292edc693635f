#include "engine/media/WbmpDecoder.h"

namespace engine {

namespace {

// A multi-byte integer: seven bits per byte, high bit set on every byte but
// the last. False when the data ends or the value passes 32 bits.
bool ReadMultiByte(std::span<const uint8_t> data, size_t& pos, uint32_t& value)
{
    uint64_t result = 0;
    for (int count = 0; count < 5; ++count) {
        if (pos >= data.size())
            return false;
        const uint8_t byte = data[pos++];
        result = result << 7 | (byte & 0x7Fu);
        if (result > UINT32_MAX)
            return false;
        if ((byte & 0x80u) == 0) {
            value = uint32_t(result);
            return true;
        }
    }
    return false;
}

} // namespace

bool DecodeWbmp(std::span<const uint8_t> data, DecodedImage& out)
{
    size_t pos = 0;
    uint32_t type = 0;
    if (!ReadMultiByte(data, pos, type) || type != 0)
        return false;
    // Fixed header byte: only the plain form (no extension headers) is known.
    if (pos >= data.size() || data[pos] != 0)
        return false;
    ++pos;
    uint32_t width = 0;
    uint32_t height = 0;
    if (!ReadMultiByte(data, pos, width) || !ReadMultiByte(data, pos, height))
        return false;
    if (width == 0 || height == 0 || !ImageSizeWithinLimits(width, height))
        return false;
    const size_t row_bytes = (size_t(width) + 7) / 8;
    if ((data.size() - pos) / row_bytes < height)
        return false;

    DecodedImage image;
    image.width = width;
    image.height = height;
    image.palette = true;
    image.palette_colours = { 0xFF000000u, 0xFFFFFFFFu };
    std::vector<uint8_t> indices(size_t(width) * height);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = data.data() + pos + size_t(y) * row_bytes;
        for (uint32_t x = 0; x < width; ++x)
            indices[size_t(y) * width + x] = uint8_t(row[x / 8] >> (7 - x % 8) & 1u);
    }
    image.frames.push_back(std::move(indices));
    out = std::move(image);
    return true;
}

} // namespace engine

#include "tools/SkinPreview.h"

#include "engine/core/ZlibBuffer.h"
#include "platform/Text.h"

#include <algorithm>
#include <fstream>
#include <zlib.h>

namespace tools {

namespace {

constexpr uint32_t SHEET_COLUMNS = 14;
constexpr int32_t GAP = 2;

void AppendU32BE(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(value >> shift));
}

void AppendChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data)
{
    AppendU32BE(png, uint32_t(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, png.data() + start, uInt(png.size() - start));
    AppendU32BE(png, uint32_t(crc));
}

} // namespace

bool WritePreviewSheet(const std::string& folder, const SkinImage& image, std::string& error)
{
    const engine::ImageRecord& record = image.image;
    const int32_t w = record.width, h = record.height;
    const uint32_t columns = std::min(SHEET_COLUMNS, std::max(1u, record.frames));
    const uint32_t rows = (record.frames + columns - 1) / columns;
    const int32_t sheet_w = int32_t(columns) * (w + GAP) + GAP;
    const int32_t sheet_h = int32_t(rows) * (h + GAP) + GAP;
    // Rows of RGB, each after its filter byte 0.
    std::vector<uint8_t> raw(size_t(sheet_h) * (size_t(sheet_w) * 3 + 1), 0);
    for (int32_t y = 0; y < sheet_h; ++y) {
        uint8_t* row = raw.data() + size_t(y) * (size_t(sheet_w) * 3 + 1) + 1;
        for (int32_t x = 0; x < sheet_w; ++x) {
            // A felt-green checkerboard shows the alpha.
            const bool light = ((x / 8) + (y / 8)) % 2 == 0;
            row[x * 3] = light ? 40 : 28;
            row[x * 3 + 1] = light ? 120 : 96;
            row[x * 3 + 2] = light ? 64 : 50;
        }
    }
    for (uint32_t frame = 0; frame < record.frames; ++frame) {
        const int32_t left = GAP + int32_t(frame % columns) * (w + GAP);
        const int32_t top = GAP + int32_t(frame / columns) * (h + GAP);
        for (int32_t y = 0; y < h; ++y) {
            uint8_t* row = raw.data() + size_t(top + y) * (size_t(sheet_w) * 3 + 1) + 1;
            for (int32_t x = 0; x < w; ++x) {
                const uint8_t* p = record.pixels.get() + ((size_t(frame) * size_t(h) + size_t(y)) * size_t(w) + size_t(x)) * 4;
                uint8_t* q = row + size_t(left + x) * 3;
                const uint32_t a = p[3];
                q[0] = uint8_t((p[2] * a + q[0] * (255 - a)) / 255);
                q[1] = uint8_t((p[1] * a + q[1] * (255 - a)) / 255);
                q[2] = uint8_t((p[0] * a + q[2] * (255 - a)) / 255);
            }
        }
    }
    const auto packed = engine::ZlibCompressBuffer(raw);
    if (!packed) {
        error = "cannot compress a preview";
        return false;
    }
    std::vector<uint8_t> png { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    std::vector<uint8_t> header;
    AppendU32BE(header, uint32_t(sheet_w));
    AppendU32BE(header, uint32_t(sheet_h));
    header.insert(header.end(), { 8, 2, 0, 0, 0 });  // 8-bit RGB, no interlace
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", *packed);
    AppendChunk(png, "IEND", {});
    const std::string name = platform::GbkToUtf8(image.name).value_or("image");
    const std::string path = folder + "/" + name + ".png";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace tools

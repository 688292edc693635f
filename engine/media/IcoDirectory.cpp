#include "engine/media/IcoDirectory.h"

#include "engine/media/ImageDecoder.h"
#include "platform/ByteReader.h"

#include <cstring>

namespace engine {

namespace {

constexpr size_t ICO_HEADER_BYTES = 6;
constexpr size_t ICO_ENTRY_BYTES = 16;
constexpr uint32_t BMP_INFO_HEADER_BYTES = 40;
constexpr uint8_t PNG_SIGNATURE[8] = { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A };

uint32_t Be32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

// Size and depth from the PNG header (IHDR follows the signature).
bool ReadPngHeader(IcoEntry& entry)
{
    if (entry.data.size() < 29 || std::memcmp(entry.data.data() + 12, "IHDR", 4) != 0)
        return false;
    const uint8_t* ihdr = entry.data.data() + 16;
    entry.width = Be32(ihdr);
    entry.height = Be32(ihdr + 4);
    const uint32_t depth = ihdr[8];
    static constexpr uint32_t CHANNELS[7] = { 1, 0, 3, 1, 2, 0, 4 };   // by colour type
    const uint32_t colour_type = ihdr[9];
    entry.bits_per_pixel = depth * (colour_type < 7 ? CHANNELS[colour_type] : 0);
    entry.png = true;
    return true;
}

// Size and depth from the BMP info header; its height counts the colour
// rows and the mask rows.
bool ReadBmpHeader(IcoEntry& entry)
{
    platform::CByteReader in(entry.data);
    const uint32_t header_bytes = in.ReadU32();
    const int64_t width = in.ReadI32();
    const int64_t height = in.ReadI32();
    (void)in.ReadU16();   // planes
    const uint32_t bits = in.ReadU16();
    if (!in.Ok() || header_bytes != BMP_INFO_HEADER_BYTES || width <= 0 || height <= 0)
        return false;
    entry.width = uint32_t(width);
    entry.height = uint32_t(height / 2);
    entry.bits_per_pixel = bits;
    return true;
}

bool Better(const IcoEntry& a, const IcoEntry& b)
{
    if (a.bits_per_pixel != b.bits_per_pixel)
        return a.bits_per_pixel > b.bits_per_pixel;
    return uint64_t(a.width) * a.height > uint64_t(b.width) * b.height;
}

} // namespace

std::optional<IcoEntry> BestIcoEntry(std::span<const uint8_t> file)
{
    platform::CByteReader in(file);
    const uint16_t reserved = in.ReadU16();
    const uint16_t type = in.ReadU16();
    const uint16_t count = in.ReadU16();
    if (!in.Ok() || reserved != 0 || type != 1 || count > in.Remaining() / ICO_ENTRY_BYTES)
        return std::nullopt;
    std::optional<IcoEntry> best;
    for (uint16_t i = 0; i < count; ++i) {
        (void)in.ReadBytes(8);   // width, height, colours, reserved, planes, bits: the entry's header tells
        const uint32_t size = in.ReadU32();
        const uint32_t offset = in.ReadU32();
        if (offset < ICO_HEADER_BYTES || offset >= file.size() || size > file.size() - offset)
            continue;
        IcoEntry entry;
        entry.data = file.subspan(offset, size);
        const bool png = entry.data.size() >= sizeof PNG_SIGNATURE
            && std::memcmp(entry.data.data(), PNG_SIGNATURE, sizeof PNG_SIGNATURE) == 0;
        if (!(png ? ReadPngHeader(entry) : ReadBmpHeader(entry)) || entry.width == 0 || entry.height == 0
            || !ImageSizeWithinLimits(entry.width, entry.height))
            continue;
        if (!best || Better(entry, *best))
            best = entry;
    }
    return best;
}

} // namespace engine

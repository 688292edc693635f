#include "engine/media/ImageDecoder.h"

#include <algorithm>
#include <cstring>

namespace engine {

ImageFileFormat ImageFormatOfExtension(std::string_view extension)
{
    struct Pair {
        std::string_view extension;
        ImageFileFormat format;
    };
    static constexpr Pair FORMATS[] = {
        { ".gif", ImageFileFormat::Gif }, { ".bmp", ImageFileFormat::Bmp }, { ".png", ImageFileFormat::Png },
        { ".jpg", ImageFileFormat::Jpeg }, { ".jpeg", ImageFileFormat::Jpeg }, { ".ico", ImageFileFormat::Ico },
        { ".tif", ImageFileFormat::Tiff }, { ".tga", ImageFileFormat::Tga }, { ".mng", ImageFileFormat::Mng },
        { ".pcx", ImageFileFormat::Pcx }, { ".wbmp", ImageFileFormat::Wbmp }, { ".wmf", ImageFileFormat::Wmf },
    };
    for (const auto& pair : FORMATS) {
        if (pair.extension == extension)
            return pair.format;
    }
    return ImageFileFormat::None;
}

bool ImageSizeWithinLimits(uint64_t width, uint64_t height, uint64_t frames)
{
    return width <= IMAGE_MAX_SIDE && height <= IMAGE_MAX_SIDE
        && width * height * 4 * std::max<uint64_t>(frames, 1) <= IMAGE_MAX_PIXEL_BYTES;
}

namespace {

uint32_t Le16(std::span<const uint8_t> d, size_t o) { return uint32_t(d[o]) | uint32_t(d[o + 1]) << 8; }
uint32_t Be16(std::span<const uint8_t> d, size_t o) { return uint32_t(d[o]) << 8 | uint32_t(d[o + 1]); }
uint32_t Le32(std::span<const uint8_t> d, size_t o) { return Le16(d, o) | Le16(d, o + 2) << 16; }
uint32_t Be32(std::span<const uint8_t> d, size_t o) { return Be16(d, o) << 16 | Be16(d, o + 2); }

bool JpegAllowed(std::span<const uint8_t> d)
{
    size_t pos = 2;
    while (pos + 4 <= d.size()) {
        if (d[pos] != 0xFF) {
            ++pos;
            continue;
        }
        const uint8_t marker = d[pos + 1];
        if (marker == 0xFF) {
            ++pos;
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        const size_t length = Be16(d, pos + 2);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && pos + 9 <= d.size() && !ImageSizeWithinLimits(Be16(d, pos + 7), Be16(d, pos + 5)))
            return false;
        if (marker == 0xDA)
            return true;
        pos += 2 + length;
    }
    return true;
}

bool TiffAllowed(std::span<const uint8_t> d)
{
    if (d.size() < 8)
        return true;
    const bool little = d[0] == 'I' && d[1] == 'I';
    const bool big = d[0] == 'M' && d[1] == 'M';
    if (!little && !big)
        return true;
    const auto u16 = [&](size_t o) { return little ? Le16(d, o) : Be16(d, o); };
    const auto u32 = [&](size_t o) { return little ? Le32(d, o) : Be32(d, o); };
    const uint64_t ifd = u32(4);
    if (ifd + 2 > d.size())
        return true;
    const uint32_t count = u16(size_t(ifd));
    uint64_t width = 0;
    uint64_t height = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t entry = ifd + 2 + uint64_t(i) * 12;
        if (entry + 12 > d.size())
            break;
        const uint32_t tag = u16(size_t(entry));
        const uint32_t type = u16(size_t(entry + 2));
        const uint64_t value = type == 3 ? u16(size_t(entry + 8)) : u32(size_t(entry + 8));
        if (tag == 256)
            width = value;
        else if (tag == 257)
            height = value;
    }
    return ImageSizeWithinLimits(width, height);
}

} // namespace

bool HeaderSizeAllowed(std::span<const uint8_t> d, ImageFileFormat format)
{
    switch (format) {
    case ImageFileFormat::Png:
        if (d.size() >= 24 && std::memcmp(d.data() + 12, "IHDR", 4) == 0)
            return ImageSizeWithinLimits(Be32(d, 16), Be32(d, 20));
        return true;
    case ImageFileFormat::Gif:
        return true;   // our GIF reader checks every size itself
    case ImageFileFormat::Bmp:
        if (d.size() >= 26 && d[0] == 'B' && d[1] == 'M') {
            const int64_t w = int32_t(Le32(d, 18));
            const int64_t h = int32_t(Le32(d, 22));
            return ImageSizeWithinLimits(uint64_t(w < 0 ? -w : w), uint64_t(h < 0 ? -h : h));
        }
        return true;
    case ImageFileFormat::Jpeg:
        return JpegAllowed(d);
    case ImageFileFormat::Tga:
        return d.size() < 16 || ImageSizeWithinLimits(Le16(d, 12), Le16(d, 14));
    case ImageFileFormat::Pcx:
        return d.size() < 12
            || ImageSizeWithinLimits(uint64_t(Le16(d, 8)) - std::min(Le16(d, 8), Le16(d, 4)) + 1,
                                uint64_t(Le16(d, 10)) - std::min(Le16(d, 10), Le16(d, 6)) + 1);
    case ImageFileFormat::Tiff:
        return TiffAllowed(d);
    default:
        return true;
    }
}

int DecodeImageRecord(IImageDecoder& decoder, std::span<const uint8_t> data, ImageFileFormat format, ImageRecord& out)
{
    if (!HeaderSizeAllowed(data, format))
        return 0;
    DecodedImage image;
    if (!decoder.Decode(data, format, image))
        return 0;
    const uint32_t w = image.width;
    const uint32_t h = image.height;
    if (w == 0 || h == 0 || w > IMAGE_MAX_SIDE || h > IMAGE_MAX_SIDE || w > 0xFFFF || h > 0xFFFF
        || image.frames.empty())
        return 0;

    ImageRecord record;
    record.width = uint16_t(w);
    record.height = uint16_t(h);
    record.frames_per_row = 1;
    if (image.has_colour_key)
        record.flags |= IMAGE_FLAG_TRANSPARENT;
    const bool alpha = image.alpha_valid;
    if (alpha)
        record.flags |= IMAGE_FLAG_ALPHA;
    const uint32_t frames = format == ImageFileFormat::Ico ? 1 : uint32_t(image.frames.size());
    if (frames > 1)
        record.flags |= IMAGE_FLAG_ANIMATED;
    record.frames = frames;

    const uint64_t pixels_per_frame = uint64_t(w) * h;
    const size_t entries = image.palette_colours.size();
    const bool palette = image.palette && entries >= 1 && entries <= 256;
    if (image.palette && !palette)
        return 0;
    const uint64_t bytes_per_pixel = palette ? (alpha ? 2 : 1) : 4;
    const uint64_t pixel_bytes = pixels_per_frame * frames * bytes_per_pixel;
    if (pixel_bytes > IMAGE_MAX_PIXEL_BYTES)
        return 0;
    const uint64_t source_frame_bytes = pixels_per_frame * (image.palette ? 1 : 4);
    for (uint32_t f = 0; f < frames; ++f) {
        if (image.frames[f].size() != source_frame_bytes)
            return 0;
    }
    record.pixel_bytes = uint32_t(pixel_bytes);
    record.pixels = std::make_unique<uint8_t[]>(pixel_bytes);
    if (palette) {
        record.flags |= IMAGE_FLAG_PALETTE;
        record.palette_count = uint32_t(entries);
        record.palette = std::make_unique<uint8_t[]>(entries * 3);
        for (size_t i = 0; i < entries; ++i) {
            record.palette[i * 3] = uint8_t(image.palette_colours[i] >> 16);
            record.palette[i * 3 + 1] = uint8_t(image.palette_colours[i] >> 8);
            record.palette[i * 3 + 2] = uint8_t(image.palette_colours[i]);
        }
        record.colour_key = image.has_colour_key ? image.colour_key : IMAGE_NO_COLOUR_KEY;
    } else {
        record.colour_key = image.has_colour_key ? image.colour_key : COLOUR_NONE;
    }
    if (frames > 1) {
        record.delays = std::make_unique<uint32_t[]>(frames);
        for (uint32_t f = 0; f < frames; ++f) {
            const uint32_t delay = f < image.delays_ms.size() ? image.delays_ms[f] : 0;
            record.delays[f] = delay == 0 ? 40 : delay;
        }
    }

    uint64_t transparent_pixels = 0;
    for (uint32_t f = 0; f < frames; ++f) {
        const uint8_t* source = image.frames[f].data();
        uint8_t* target = record.pixels.get() + f * pixels_per_frame * bytes_per_pixel;
        for (uint64_t i = 0; i < pixels_per_frame; ++i) {
            if (palette) {
                const uint8_t index = source[i];
                if (alpha) {
                    target[i * 2] = index;
                    target[i * 2 + 1] = index < entries ? uint8_t(image.palette_colours[index] >> 24) : 255;
                } else {
                    target[i] = index;
                    if (image.has_colour_key && index == image.colour_key)
                        ++transparent_pixels;
                }
                continue;
            }
            uint32_t pixel;
            std::memcpy(&pixel, source + i * 4, 4);
            if (!alpha) {
                const uint32_t colour = ((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | (pixel & 0xFF) << 16;
                if (image.has_colour_key && colour == image.colour_key) {
                    pixel &= 0x00FFFFFF;
                    ++transparent_pixels;
                } else {
                    pixel |= 0xFF000000;
                }
            }
            std::memcpy(target + i * 4, &pixel, 4);
        }
    }
    if (!alpha && transparent_pixels == 0)
        record.flags &= ~IMAGE_FLAG_TRANSPARENT;
    out = std::move(record);
    return 1;
}

} // namespace engine

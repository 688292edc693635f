#include "engine/media/ImageDecoder.h"

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

bool PeekImageSize(std::span<const uint8_t> data, ImageFileFormat format, uint32_t& width, uint32_t& height)
{
    const auto be32 = [&](size_t o) {
        return uint32_t(data[o]) << 24 | uint32_t(data[o + 1]) << 16 | uint32_t(data[o + 2]) << 8 | data[o + 3];
    };
    const auto le16 = [&](size_t o) { return uint32_t(data[o]) | uint32_t(data[o + 1]) << 8; };
    switch (format) {
    case ImageFileFormat::Png:
        if (data.size() < 24 || std::memcmp(data.data() + 12, "IHDR", 4) != 0)
            return false;
        width = be32(16);
        height = be32(20);
        return true;
    case ImageFileFormat::Gif:
        if (data.size() < 10 || std::memcmp(data.data(), "GIF", 3) != 0)
            return false;
        width = le16(6);
        height = le16(8);
        return true;
    case ImageFileFormat::Bmp: {
        if (data.size() < 26 || data[0] != 'B' || data[1] != 'M')
            return false;
        const int32_t w = int32_t(le16(18) | le16(20) << 16);
        const int32_t h = int32_t(le16(22) | le16(24) << 16);
        width = uint32_t(w < 0 ? -int64_t(w) : w);
        height = uint32_t(h < 0 ? -int64_t(h) : h);
        return true;
    }
    default:
        return false;
    }
}

int DecodeImageRecord(IImageDecoder& decoder, std::span<const uint8_t> data, ImageFileFormat format, ImageRecord& out)
{
    uint32_t peek_width = 0;
    uint32_t peek_height = 0;
    if (PeekImageSize(data, format, peek_width, peek_height)
        && (peek_width > IMAGE_MAX_SIDE || peek_height > IMAGE_MAX_SIDE
            || uint64_t(peek_width) * peek_height * 4 > IMAGE_MAX_PIXEL_BYTES))
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

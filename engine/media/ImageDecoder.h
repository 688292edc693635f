#pragma once
// Decoding common image files (BMP, JPEG, PNG, GIF with its frames and
// delays, ICO, TIFF, TGA, PCX, WBMP) into ImageRecords. WMF and MNG files
// are refused: no decoder of ours reads them.
//
// IImageDecoder is the small interface over the image library: it gives the
// image as the library sees it (palette or 32-bit, colour key, alpha, frames
// and delays). DecodeImageRecord turns that into an ImageRecord by the
// engine's rules: palette images keep their indices (and an alpha byte per
// pixel with an alpha channel), 32-bit images get alpha 0 on colour-keyed
// pixels, animations get one delay per frame (40 ms where the file gives 0),
// and the transparency flag is dropped when no pixel is transparent.
//
// Owner: the paint module owns its decoder. Thread: engine (UI) thread.
// Hazards: image files are untrusted. Sizes are refused above
// IMAGE_MAX_SIDE / IMAGE_MAX_PIXEL_BYTES, before decoding where the header
// tells the size (PNG, BMP, JPEG, TGA, PCX, TIFF; GIF, TIFF and icon entries
// by our own readers) and always before the record is allocated.
#include "engine/core/ImageRecord.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace engine {

inline constexpr uint32_t IMAGE_MAX_SIDE = 8192;
inline constexpr uint64_t IMAGE_MAX_PIXEL_BYTES = 64ull * 1024 * 1024;

// True when width x height pixels of 4 bytes, times the frames, stay within
// the limits above (64-bit arithmetic: no overflow for any 32-bit inputs).
[[nodiscard]] bool ImageSizeWithinLimits(uint64_t width, uint64_t height, uint64_t frames = 1);

// The image library's format numbers.
enum class ImageFileFormat : int {
    None = 0,
    Bmp = 1,
    Gif = 2,
    Jpeg = 3,
    Png = 4,
    Ico = 5,
    Tiff = 6,
    Tga = 7,
    Pcx = 8,
    Wbmp = 9,
    Wmf = 10,
    Mng = 17,
};

// The format of an extension with its dot, lower case (".jpeg"); None when unknown.
[[nodiscard]] ImageFileFormat ImageFormatOfExtension(std::string_view extension);

// An image as the library decoded it.
struct DecodedImage {
    uint32_t width { 0 };
    uint32_t height { 0 };
    bool palette { false };                 ///< 8-bit indices with a palette
    std::vector<uint32_t> palette_colours;  ///< 0xAARRGGBB per entry (1 .. 256)
    bool has_colour_key { false };
    uint32_t colour_key { 0 };              ///< palette: index; 32-bit: 0x00BBGGRR
    bool alpha_valid { false };             ///< the image carries an alpha channel
    // One buffer per frame, rows top to bottom: indices (palette) or
    // 0xAARRGGBB pixels stored as bytes blue, green, red, alpha.
    std::vector<std::vector<uint8_t>> frames;
    std::vector<uint32_t> delays_ms;        ///< per frame; 0 = none given
};

class IImageDecoder {
public:
    virtual ~IImageDecoder() = default;
    // False when the bytes are not an image of that format or are refused.
    [[nodiscard]] virtual bool Decode(std::span<const uint8_t> data, ImageFileFormat format, DecodedImage& out) = 0;
};

// The decoder over SDL2_image.
[[nodiscard]] std::unique_ptr<IImageDecoder> CreateSdlImageDecoder();

// False when the file's own header claims a size above the limits: the size
// fields of PNG, BMP, JPEG, TGA, PCX and TIFF headers (GIF files are read by
// our own reader, which checks every size). True when the sizes are within the
// limits or the header does not tell them; the decoded result is checked again.
[[nodiscard]] bool HeaderSizeAllowed(std::span<const uint8_t> data, ImageFileFormat format);

// Decodes with the decoder and forms the record (id 0, frames per row 1).
// 1 on success, 0 otherwise; out is replaced only on success.
[[nodiscard]] int DecodeImageRecord(IImageDecoder& decoder, std::span<const uint8_t> data, ImageFileFormat format,
                                    ImageRecord& out);

} // namespace engine

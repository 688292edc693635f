#pragma once
// Windows icon files (.ico): the directory of entries and the choice of the
// entry to show. An entry's image is either a BMP without its file header
// (an info header, palette, colour rows and a mask) or a whole PNG file, as
// large icons (256 x 256) are stored.
//
// File layout, little-endian: a 6-byte header (reserved 0, type 1, entry
// count), then one 16-byte record per entry (width, height, colour count,
// reserved, planes, bits per pixel, data size, data offset), then the data.
//
// Owner: free functions over the caller's bytes. Thread: any.
// Hazards: icon files are untrusted. Every entry's data is checked to lie in
// the file, and its size is read from its own header and checked against the
// image limits before any decoder sees it.
#include <cstdint>
#include <optional>
#include <span>

namespace engine {

struct IcoEntry {
    std::span<const uint8_t> data;   ///< the entry's image (a part of the file)
    bool png { false };              ///< a PNG file; otherwise a BMP info header
    uint32_t width { 0 };
    uint32_t height { 0 };
    uint32_t bits_per_pixel { 0 };
};

// The best entry of an icon file: the most bits per pixel, then the largest,
// then the first. Entries whose data lies outside the file, whose header is
// not a BMP info header or a PNG header, or whose size is above the limits
// are passed over. None when no entry is left or the bytes are no icon file.
[[nodiscard]] std::optional<IcoEntry> BestIcoEntry(std::span<const uint8_t> file);

} // namespace engine

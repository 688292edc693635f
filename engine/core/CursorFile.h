#pragma once
// Cursor files (".cur", and ".ico" used as a cursor): the entry a cursor is
// made from and its hot spot, and the pixels of a decoded image as a cursor
// takes them.
//
// File layout, little-endian: a 6-byte header (reserved 0, type 2 for a
// cursor or 1 for an icon, entry count), then one 16-byte record per entry
// (width, height, colour count, reserved, then hot spot x and y for a cursor
// where an icon keeps planes and bits per pixel, data size, data offset),
// then the entries' images (a BMP without its file header, or a PNG file).
//
// Owner: free functions over the caller's bytes. Thread: any.
// Hazards: cursor files are untrusted: every entry's data is checked to lie
// in the file before it is copied; the hot spot is kept inside the entry.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/core/ImageRecord.h"

namespace engine {

struct CursorFileEntry {
    std::vector<uint8_t> icon_file; ///< the chosen entry alone, as an icon file (type 1) an image decoder reads
    int32_t hot_x { 0 };
    int32_t hot_y { 0 };
};

/// The largest entry of a cursor or icon file (the first of equal ones) with
/// its hot spot (an icon's is its centre); none when the bytes are no such
/// file or no entry lies inside it.
[[nodiscard]] std::optional<CursorFileEntry> ReadCursorFile(std::span<const uint8_t> file);

/// An icon file (type 1) of one entry: its directory record (width and
/// height bytes, 0 standing for 256; colour count; planes 1; bits per pixel)
/// and the entry's image after it.
[[nodiscard]] std::vector<uint8_t> SingleEntryIconFile(uint8_t width, uint8_t height, uint8_t colours, uint16_t bits,
                                                       std::span<const uint8_t> image);

/// Frame 0 of a decoded image as 32-bit pixels (blue, green, red, alpha),
/// width x height of them; empty without pixels.
[[nodiscard]] std::vector<uint8_t> ImageRecordToBgra(const ImageRecord& record);

} // namespace engine

#pragma once
// The ".pps" image and animation format: reading and writing ImageRecords.
//
// File layout (little-endian): a 32-byte PpsFileHeader, the colour block (the
// 32-byte block with IMAGE_FLAG_BLOCK32, else palette count x 3 bytes of
// red, green, blue with IMAGE_FLAG_PALETTE, else nothing), one frame record
// per frame (a 20-byte PpsFrameHeader, then part 1 and part 2), and with
// IMAGE_FLAG_OFFSETS a trailer word holding offset x in its high and offset
// y in its low half.
//
// Part 1 holds colour (3 bytes per pixel) or palette indices, part 2 the
// alpha array when the image has an alpha channel. How they are stored is the
// method: 1 raw decoded bytes (no part 2), 3 run-length both, 4 run-length
// colour and zlib alpha, 5 zlib both, 6 the smaller of run-length and zlib for
// the colour (frame flag 0x10 or 0x20) and zlib alpha. A frame may be XORed
// with the previous frame first (frame flag 0x40).
//
// Owner: free functions; records are filled by move. Thread: any.
// Hazards: DecodePps reads untrusted bytes. Every size, count and offset is
// checked against the buffer and against the header's geometry, and the
// decoded size is limited (PPS_MAX_DECODED_BYTES); a bad file gives 0 and
// leaves the record untouched.
#include "engine/core/ImageRecord.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace engine {

inline constexpr uint8_t PPS_METHOD_RAW = 1;
inline constexpr uint8_t PPS_METHOD_RLE = 3;
inline constexpr uint8_t PPS_METHOD_RLE_ZLIB = 4;
inline constexpr uint8_t PPS_METHOD_ZLIB = 5;
inline constexpr uint8_t PPS_METHOD_BEST = 6;

inline constexpr uint32_t PPS_FRAME_PALETTE = 0x1;   ///< 1-byte elements
inline constexpr uint32_t PPS_FRAME_ALPHA = 0x4;     ///< the image has an alpha channel
inline constexpr uint32_t PPS_FRAME_RLE = 0x10;      ///< method 6: part 1 is run-length coded
inline constexpr uint32_t PPS_FRAME_ZLIB = 0x20;     ///< method 6: part 1 is zlib data
inline constexpr uint32_t PPS_FRAME_XOR = 0x40;      ///< XORed with the previous frame

inline constexpr size_t PPS_FILE_HEADER_SIZE = 32;
inline constexpr size_t PPS_FRAME_HEADER_SIZE = 20;
inline constexpr size_t PPS_BLOCK32_SIZE = 32;
// Refuse files that would decode to more than this many bytes.
inline constexpr uint64_t PPS_MAX_DECODED_BYTES = 256u * 1024 * 1024;

struct PpsFileHeader {
    uint8_t method { 0 };
    uint32_t flags { 0 };
    uint16_t frames { 0 };
    uint16_t width { 0 };
    uint16_t height { 0 };
    uint32_t colour_key { 0 };
    uint32_t decoded_size { 0 };
    uint32_t file_size { 0 };
    uint32_t palette_count { 0 };
};

struct PpsFrameHeader {
    uint32_t flags { 0 };
    uint32_t delay { 0 };
    uint32_t part1_size { 0 };
    uint32_t part2_size { 0 };
    uint32_t decoded_size { 0 };
};

// Writes the record as a ".pps" file. block32 is written only with
// IMAGE_FLAG_BLOCK32 (null: zeros). Empty when the method is unknown or the
// record is not consistent (no pixels, too few pixel bytes, too many frames).
[[nodiscard]] std::vector<uint8_t> EncodePps(const ImageRecord& record, const uint8_t* block32, int method);

// Reads a ".pps" file into out (replacing what it held). Returns the decoded
// size (the pixel bytes), or 0 when the file is refused.
[[nodiscard]] uint32_t DecodePps(std::span<const uint8_t> data, ImageRecord& out);

// Reads the header alone; false when the buffer is too short or the magic wrong.
[[nodiscard]] bool ReadPpsHeader(std::span<const uint8_t> data, PpsFileHeader& out);

// Writes the file's bytes (the header's file size) to path: 1 when written,
// 0 when the buffer is not a ".pps" file or the write failed.
[[nodiscard]] int SavePps(std::span<const uint8_t> data, const std::string& path);

} // namespace engine

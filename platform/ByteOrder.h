#pragma once
// Little-endian words in byte buffers: the one place that spells out the byte
// order of every wire and file record (frames, packages, images, MIDI stream
// words, table and client records). Records are read and written field by
// field through these, never by casting a buffer to a struct.
//
// Owner: none (free functions). Thread: any.
// Hazards: these touch exactly 2 or 4 bytes at the address given; callers
// check the bounds first, or read through CByteReader (ByteReader.h).

#include <cstdint>

namespace platform {

[[nodiscard]] constexpr uint16_t LoadU16LE(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

[[nodiscard]] constexpr uint32_t LoadU32LE(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

constexpr void StoreU16LE(uint8_t* bytes, uint16_t value)
{
    bytes[0] = uint8_t(value);
    bytes[1] = uint8_t(value >> 8);
}

constexpr void StoreU32LE(uint8_t* bytes, uint32_t value)
{
    bytes[0] = uint8_t(value);
    bytes[1] = uint8_t(value >> 8);
    bytes[2] = uint8_t(value >> 16);
    bytes[3] = uint8_t(value >> 24);
}

} // namespace platform

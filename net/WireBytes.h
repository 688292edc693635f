// Little-endian field access for wire and file records of the network library.
// Owner: none (free functions). Any thread. Callers check the bounds first:
// these helpers read or write exactly four bytes at the given address.
#pragma once

#include <cstdint>
#include <cstring>

namespace net {

inline uint32_t LoadU32LE(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

inline void StoreU32LE(uint8_t* bytes, uint32_t value)
{
    bytes[0] = uint8_t(value);
    bytes[1] = uint8_t(value >> 8);
    bytes[2] = uint8_t(value >> 16);
    bytes[3] = uint8_t(value >> 24);
}

} // namespace net

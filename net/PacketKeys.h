// The key of the game-server packet cipher (AES-128, 16 bytes).
// Owner: this header is the one place the value lives until the client's
// configuration code takes it over.
// A deployment sets these bytes to the key its game servers use: the value
// below is this project's own and matches only our own test server.
#pragma once

#include <cstdint>

namespace net {

inline constexpr uint32_t PACKET_KEY_BITS = 128;
inline constexpr uint8_t PACKET_KEY[16] = {
    0x50, 0x6c, 0x44, 0x6b, 0x2d, 0x63, 0x6c, 0x69, 0x65, 0x6e, 0x74, 0x2d, 0x6b, 0x65, 0x79, 0x31,
};

} // namespace net

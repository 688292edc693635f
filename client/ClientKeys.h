// The client's secret keys. A deployment sets each of them to the value its
// hall and servers use; the values below are this project's own and match
// only our own stand-in peers (peers/).
// Owner: this header is the one place each value lives. Never log them.
#pragma once

#include <cstdint>

namespace client {

/// The key of the records exchanged with the hall by WM_COPYDATA (AES-128).
/// It sits at the start of a 128-byte key block; the rest of the block is unused.
inline constexpr uint32_t COPYDATA_KEY_BITS = 128;
inline constexpr uint8_t COPYDATA_KEY_BLOCK[128] = {
    0x71, 0x76, 0x2d, 0x68, 0x61, 0x6c, 0x6c, 0x2d, 0x63, 0x6f, 0x70, 0x79, 0x2d, 0x6b, 0x65, 0x79,
};

/// The key of the allowed-domain list of the web panes (AES-128, one
/// 64-byte record per domain). It sits at the start of a 128-byte key block.
inline constexpr uint32_t DOMAIN_LIST_KEY_BITS = 128;
inline constexpr uint8_t DOMAIN_LIST_KEY_BLOCK[128] = {
    0x71, 0x76, 0x2d, 0x61, 0x64, 0x76, 0x65, 0x72, 0x74, 0x2d, 0x64, 0x6f, 0x6d, 0x61, 0x69, 0x6e,
};

} // namespace client

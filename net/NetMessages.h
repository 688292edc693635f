// Message ids the network library posts or receives through the platform
// message system, with the fixed values their receivers know them by.
#pragma once

#include <cstdint>

namespace net {

inline constexpr uint32_t UM_COMM_MESSAGE = 0x7E9;   ///< a received message or socket event (CommMessage payload)
inline constexpr uint32_t UM_CRC_RESULT = 0xADB1;    ///< wparam job id, lparam the CRC-32
inline constexpr uint32_t PBM_SETRANGE32 = 0x0406;   ///< to a progress bar: wparam low, lparam high
inline constexpr uint32_t PBM_SETPOS = 0x0402;       ///< to a progress bar: wparam position

} // namespace net

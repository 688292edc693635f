// CRC-32 of frames and buffers: the standard reflected CRC-32 (polynomial
// 0x04C11DB7, initial value all ones, final complement), the same checksum as
// zlib's crc32.
// Owner: none (free functions; the fast tables are built once per process).
// Any thread.
// Hazards: Crc32Update works on the running (non-complemented) register, so
// chunked callers start from CRC32_START and finish with CRC32_FINISH.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace net {

/// Fills the 256-entry byte table by reflecting each index, shifting it
/// through the polynomial eight times and reflecting the 32-bit result.
void Crc32Table(uint32_t table[256]);

/// CRC-32 through a caller's byte table (null: the built-in method). Null
/// bytes or n == 0 give 0.
[[nodiscard]] uint32_t Crc32(const uint32_t table[256], const uint8_t* bytes, size_t n);

/// CRC-32 of the bytes with the fastest method of this processor (carry-less
/// multiply folding when present, otherwise eight-way tables). Empty gives 0.
[[nodiscard]] uint32_t Crc32(std::span<const uint8_t> bytes);

inline constexpr uint32_t CRC32_START = 0xFFFFFFFFu;
[[nodiscard]] inline constexpr uint32_t CRC32_FINISH(uint32_t reg) { return ~reg; }
/// Runs the bytes through the running register.
[[nodiscard]] uint32_t Crc32Update(uint32_t reg, std::span<const uint8_t> bytes);

/// Forces the portable tables (tests compare both methods on one input).
enum class Crc32Method { Best, Portable };
[[nodiscard]] uint32_t Crc32Update(uint32_t reg, std::span<const uint8_t> bytes, Crc32Method method);
[[nodiscard]] bool Crc32HasFastMethod();

} // namespace net

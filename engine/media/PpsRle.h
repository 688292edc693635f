#pragma once
// The run-length code of ".pps" frames, for elements of 3 bytes (blue, green,
// red) or 1 byte (palette index or alpha).
//
// Each run starts with a byte b0 whose low two bits give its kind: 0 short
// repeat, 1 short literal (count = b0 >> 2, up to 63), 2 long repeat, 3 long
// literal (count = (b0 >> 2) | (b1 << 6), up to 16383). A repeat is followed
// by one element, a literal by count elements.
//
// Owner: free functions, no state. Thread: any.
// Hazards: the decoder reads untrusted bytes; it refuses runs that reach past
// the input or the output, and output that is not filled exactly.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace engine {

inline constexpr size_t PPS_RLE_MAX_RUN = 16383;

[[nodiscard]] std::vector<uint8_t> RleEncode3(const uint8_t* data, size_t count);
[[nodiscard]] std::vector<uint8_t> RleEncode1(const uint8_t* data, size_t count);

// Decodes into output, whose size is the element count times element size.
// Returns false when the input is malformed or does not fill output exactly.
[[nodiscard]] bool RleDecode(std::span<const uint8_t> input, size_t element_size, std::span<uint8_t> output);

// zlib data as compress() makes it at the default level; empty on failure.
[[nodiscard]] std::vector<uint8_t> ZlibPack(const uint8_t* data, size_t size);
// Inflates into output, which must come out filled exactly.
[[nodiscard]] bool ZlibUnpack(std::span<const uint8_t> input, std::span<uint8_t> output);

} // namespace engine

#pragma once
// Splitting pixels into colour and alpha arrays and merging them back, as the
// ".pps" codec stores them.
//
// Owner: free functions, no state. Thread: any.
// Hazards: the caller sizes the buffers: with bits 8, pixels hold 2 bytes per
// element (index, alpha) and colour 1; otherwise pixels hold 4 (blue, green,
// red, alpha) and colour 3. Alpha always holds 1 byte per element.
#include <cstddef>
#include <cstdint>

namespace engine {

void SplitChannels(const uint8_t* pixels, uint8_t* colour, uint8_t* alpha, size_t count, int bits);
void MergeChannels(const uint8_t* colour, const uint8_t* alpha, uint8_t* pixels, size_t count, int bits);

} // namespace engine

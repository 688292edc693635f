#pragma once
// Our own reader of wireless bitmaps (".wbmp", type 0): a one-bit image with
// no compression. It comes out as a palette image of two entries, index 0
// black and index 1 white, one index byte per pixel, no colour key.
//
// Owner: free function. Thread: any.
// Hazards: the files are untrusted. The multi-byte size fields are limited
// to 32 bits, the sizes are checked against the image limits and the packed
// rows against the file's length before anything is allocated. Other types,
// extension headers and short files are refused.
#include "engine/media/ImageDecoder.h"

#include <span>

namespace engine {

[[nodiscard]] bool DecodeWbmp(std::span<const uint8_t> data, DecodedImage& out);

} // namespace engine

#pragma once
// TIFF files through libtiff's RGBA reader, with alpha kept straight: the
// reader premultiplies unassociated ("straight") alpha, so such files are
// read as if their alpha were associated, which leaves the stored colours
// untouched; files whose alpha is associated are un-premultiplied after
// reading. Only the first image of the file is read.
//
// Owner: free function. Thread: any (each call opens its own reader; libtiff
// messages go to a per-call handler and are dropped).
// Hazards: TIFF files are untrusted. The size is checked against the image
// limits before the pixels are allocated, and libtiff's own allocations are
// capped.
#include "engine/media/ImageDecoder.h"

#include <span>

namespace engine {

[[nodiscard]] bool DecodeTiff(std::span<const uint8_t> data, DecodedImage& out);

} // namespace engine

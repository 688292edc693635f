#pragma once
// Our own GIF reader: frames, delays, local and global palettes, the
// transparent index, interlacing and the disposal methods.
//
// A file with one image comes out as a palette image (indices on the logical
// screen, the transparent index as colour key). The screen outside a smaller
// image is transparent: without a transparent index of the file, an index the
// image does not use becomes the key (a 32-bit image when all 256 are used).
// One with several images comes out as 32-bit frames composed on the logical
// screen as a viewer shows them (alpha 0 where nothing is drawn), each with
// its delay in ms.
//
// Owner: free function. Thread: any.
// Hazards: GIF files are untrusted. The screen, every image and the frame
// count are checked against the image limits before anything is allocated;
// images are clipped to the screen; LZW codes are checked against the table;
// data that ends early leaves the rest of the image at index 0. Cut or
// malformed blocks refuse the file.
#include "engine/media/ImageDecoder.h"

#include <span>

namespace engine {

[[nodiscard]] bool DecodeGif(std::span<const uint8_t> data, DecodedImage& out);

} // namespace engine

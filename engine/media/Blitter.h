#pragma once
// The software blitter: draws one image, or a rectangle of it, into a 32-bit
// BGRA pixel buffer, unscaled or scaled (nearest or bilinear), unrotated or
// rotated (nearest or smooth), with colour key, per-pixel alpha, an overall
// opacity, a fade toward a tint colour, clipping and an inverted silhouette.
// Sources are 32-bit images and palette images (8-bit indices, optionally
// with an alpha byte per pixel), as ImageRecord describes them.
//
// The integer arithmetic (10-bit fixed point for nearest scaling and
// rotation, 16.16 for bilinear, channel pairs with 0x00FF00FF, divisions by
// 256 as shifts) is part of the look of the game and is kept exactly.
//
// Owner: free functions, no state. Thread: any (the engine calls it on the UI
// thread). Hazards: the destination is width x height pixels with a stride of
// width; every write stays inside it. The source rectangle is clipped to the
// record's frame strip and to the pixel bytes the record really holds, so a
// record that lies about its geometry draws less, never reads outside.
#include "engine/core/ImageRecord.h"

#include <cstdint>
#include <memory>

namespace engine {

struct BlitBox {
    int32_t left { 0 };
    int32_t top { 0 };
    int32_t right { 0 };
    int32_t bottom { 0 };
    friend bool operator==(const BlitBox&, const BlitBox&) = default;
};

// A destination: pixels with bytes blue, green, red, alpha; stride = width.
// With `limit`, writes also stay inside that box (the paint module's dirty
// area: pixels outside it are not looked at afterwards).
struct BlitSurface {
    uint32_t* pixels { nullptr };
    int32_t width { 0 };
    int32_t height { 0 };
    const BlitBox* limit { nullptr };
};

// The instructions the blitter's row work uses. Every set gives the same
// pixels as Scalar, bit for bit; Ssse3 and Avx2 are used only where the
// processor has them (asking for one elsewhere gives the best set below it).
enum class BlitInstructions { Scalar, Sse2, Ssse3, Avx2 };

// The fastest set that this build and processor run.
[[nodiscard]] BlitInstructions BestBlitInstructions();

// Largest scaled copy the blitter makes, in pixels (a draw larger than this
// is refused rather than allocating without bound).
inline constexpr int64_t BLIT_MAX_SCALED_PIXELS = 64ll * 1024 * 1024;

// Draws the source rectangle (source_x, source_y, source_width,
// source_height) of the image; frame f of a strip is at source_y + f * height
// (the caller adds that). opacity 1.0 is opaque; tint 0xFF00FF is none, else
// threshold << 24 | 0x00BBGGRR. May write the computed radius into params.
void BlitImage(const BlitSurface& destination, DrawParams& params, const ImageRecord& image, int32_t source_x,
               int32_t source_y, int32_t source_width, int32_t source_height, double opacity, uint32_t tint,
               BlitInstructions instructions = BestBlitInstructions());

// True when BlitImage with these arguments writes every pixel of `box` with
// the image's own pixels, whatever the destination held: an opaque 32-bit
// image (no alpha channel, no colour key) at full opacity, not turned, whose
// draw rectangle (after the destination's limit and the draw's clip) holds
// the box. What lies under the box need not be drawn before it.
[[nodiscard]] bool BlitCoversBox(const BlitSurface& destination, const DrawParams& params, const ImageRecord& image,
                                 int32_t source_x, int32_t source_y, int32_t source_width, int32_t source_height,
                                 double opacity, const BlitBox& box);

// The destination box of a draw: the radius box when the angle is not 0
// (computing and storing the radius when it is below 1), else the box of the
// draw size around the centre.
[[nodiscard]] BlitBox RotatedBounds(DrawParams& params);

// A new_width x new_height copy of the rectangle by the nearest rule (10-bit
// fixed point, rounded); null when a new size is not positive or too large.
[[nodiscard]] std::unique_ptr<uint32_t[]> ScaleNearest32(const uint32_t* source, int32_t stride,
                                                         int32_t source_height, int32_t x, int32_t y,
                                                         int32_t width, int32_t height, int32_t new_width,
                                                         int32_t new_height);

} // namespace engine

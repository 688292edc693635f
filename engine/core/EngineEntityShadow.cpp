// The entity facade's soft shadow: a canvas behind an object that carries
// the object's alpha, blurred, in black.
#include "engine/core/EngineEntity.h"

#include <algorithm>
#include <vector>

#include "engine/core/CanvasObject.h"
#include "engine/core/FrameImage.h"

namespace engine {

namespace {

/// Follows its object in everything but Show: moves, turns, fades, sizes,
/// activation, events, and goes with it.
constexpr uint32_t SHADOW_LINK_FLAGS = VELOTRIX_LINK_OWNED | VELOTRIX_LINK_ROTATE | VELOTRIX_LINK_ALPHA
    | VELOTRIX_LINK_INVALIDATE | VELOTRIX_LINK_SIZE | VELOTRIX_LINK_RAW_SIZE | VELOTRIX_LINK_HIT_RECT
    | VELOTRIX_LINK_Z | VELOTRIX_LINK_POSITION | VELOTRIX_LINK_EVENTS | VELOTRIX_LINK_ACTIVATE
    | VELOTRIX_LINK_DEACTIVATE;
static_assert(SHADOW_LINK_FLAGS == 0x1BC0EB);

/// A 3 x 3 box mean of the width x height bytes, the window cut at the
/// edges and the sum divided by the pixels it still covers (truncated).
std::vector<uint8_t> BoxBlur3(const std::vector<uint8_t>& values, int32_t width, int32_t height)
{
    // Summed-area table with a zero row and column in front.
    const size_t stride = size_t(width) + 1;
    std::vector<uint32_t> sums(stride * (size_t(height) + 1), 0);
    for (int32_t y = 0; y < height; ++y) {
        uint32_t row = 0;
        for (int32_t x = 0; x < width; ++x) {
            row += values[size_t(y) * width + x];
            sums[(size_t(y) + 1) * stride + x + 1] = sums[size_t(y) * stride + x + 1] + row;
        }
    }
    std::vector<uint8_t> blurred(values.size(), 0);
    for (int32_t y = 0; y < height; ++y) {
        const int32_t top = std::max(y - 1, 0);
        const int32_t bottom = std::min(y + 1, height - 1) + 1;
        for (int32_t x = 0; x < width; ++x) {
            const int32_t left = std::max(x - 1, 0);
            const int32_t right = std::min(x + 1, width - 1) + 1;
            const uint32_t sum = sums[size_t(bottom) * stride + right] - sums[size_t(top) * stride + right]
                - sums[size_t(bottom) * stride + left] + sums[size_t(top) * stride + left];
            const auto count = uint32_t((right - left) * (bottom - top));
            blurred[size_t(y) * width + x] = uint8_t(sum / count);
        }
    }
    return blurred;
}

} // namespace

CCanvasObject* CEngineEntity::CreateShadow(CEngineObject* object)
{
    const auto* picture = object != nullptr ? dynamic_cast<const CFrameImage*>(object->GetPicture()) : nullptr;
    if (picture == nullptr)
        return nullptr;
    const int32_t w = picture->GetWidth();
    const int32_t h = picture->GetHeight();
    if (w < 0 || h < 0 || w > CCanvasObject::MAX_SIDE - 2 || h > CCanvasObject::MAX_SIDE - 2)
        return nullptr;
    CCanvasObject* shadow = NewCanvasObject(w + 2, h + 2, COLOUR_NONE);
    if (shadow == nullptr)
        return nullptr;
    shadow->MoveTo(object->GetLeft() + w / 2 + 2, object->GetTop() + h / 2 + 2);
    shadow->SetZ(object->GetZ() - 0.0000001);
    if (object->IsActive())
        shadow->Activate();
    object->AddFollower(shadow, SHADOW_LINK_FLAGS);

    // Only the alpha bytes carry anything: the colour bytes stay 0 (black).
    const int32_t width = w + 2;
    const int32_t height = h + 2;
    std::vector<uint8_t> alpha(size_t(width) * height, 0);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x)
            alpha[size_t(y + 1) * width + x + 1] = uint8_t(picture->GetAlphaAt(x, y));
    }
    const std::vector<uint8_t> blurred = BoxBlur3(alpha, width, height);
    const std::span<uint8_t> pixels = shadow->GetPixels();
    if (pixels.size() >= blurred.size() * 4) {
        for (size_t i = 0; i < blurred.size(); ++i) {
            pixels[i * 4 + 0] = 0;
            pixels[i * 4 + 1] = 0;
            pixels[i * 4 + 2] = 0;
            pixels[i * 4 + 3] = blurred[i];
        }
    }
    shadow->GetFrameImage().MarkChanged();
    shadow->Invalidate();
    return shadow;
}

} // namespace engine

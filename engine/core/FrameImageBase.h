#pragma once
// CFrameImageBase: the abstract picture that the paint pass hands to the
// paint module and that the hit test asks for its pixels. Image and canvas
// objects answer one from GetPicture.
//
// Owner: the object that shows it. Thread: UI thread.

#include <cstdint>

namespace engine {

class CFrameImageBase {
public:
    virtual ~CFrameImageBase() = default;
    /// Non-zero when the pixel (x, y) of the current frame is hit.
    [[nodiscard]] virtual int HitTest(int32_t x, int32_t y) const = 0;
    /// 1 while the picture's image is still the one it refers to.
    [[nodiscard]] virtual int IsValid() const { return 1; }
};

} // namespace engine

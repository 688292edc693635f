#pragma once
// EngineRect: an integer rectangle (left, top inclusive; right, bottom
// exclusive) in view or world coordinates, with the few operations the object
// model needs.
//
// Owner: value type. Any thread.

#include <algorithm>
#include <cstdint>

namespace engine {

struct EngineRect {
    int32_t left { 0 };
    int32_t top { 0 };
    int32_t right { 0 };
    int32_t bottom { 0 };

    [[nodiscard]] bool IsEmpty() const { return left >= right || top >= bottom; }
    [[nodiscard]] int32_t Width() const { return right - left; }
    [[nodiscard]] int32_t Height() const { return bottom - top; }
    [[nodiscard]] bool Contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
    friend bool operator==(const EngineRect&, const EngineRect&) = default;
};

/// The common part; an all-zero rectangle when the two do not meet.
[[nodiscard]] inline EngineRect IntersectRects(const EngineRect& a, const EngineRect& b)
{
    const EngineRect r { std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                         std::min(a.bottom, b.bottom) };
    return r.IsEmpty() ? EngineRect {} : r;
}

/// The smallest rectangle holding both; an empty one adds nothing.
[[nodiscard]] inline EngineRect UnionRects(const EngineRect& a, const EngineRect& b)
{
    if (a.IsEmpty())
        return b;
    if (b.IsEmpty())
        return a;
    return EngineRect { std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                        std::max(a.bottom, b.bottom) };
}

} // namespace engine

namespace engine {

/// A double truncated toward zero into int32, held inside +-2^30 so that far
/// away or huge geometry never overflows the integer arithmetic after it.
[[nodiscard]] inline int32_t TruncToInt(double value)
{
    constexpr double limit = 1073741824.0;
    if (!(value > -limit)) // Also catches NaN.
        return value != value ? 0 : -static_cast<int32_t>(limit);
    if (value > limit)
        return static_cast<int32_t>(limit);
    return static_cast<int32_t>(value);
}

/// Rounded half away from zero, within the bounds of TruncToInt.
[[nodiscard]] inline int32_t RoundHalfAway(double value)
{
    return value > 0 ? TruncToInt(value + 0.5) : TruncToInt(value - 0.5);
}

} // namespace engine

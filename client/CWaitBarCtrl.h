// CWaitBarCtrl: the animated bar of the wait dialog. Six bands run from the
// background colour up to the foreground colour at one band and back down;
// every timer step rotates the bands by one, so the bright band travels
// along the bar.
//
// Owner: the wait dialog (CCommWaitDlg), by value. Threads: none of its own;
// the dialog guards it with its lock (the communication thread rotates it,
// the UI thread paints it).
// Hazards: Paint clips to the pixel buffer it is given.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "client/TextFunctions.h"

namespace client {

/// A rectangle in pixels: left, top, right and bottom (exclusive).
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

/// A 32-bit pixel buffer (bytes blue, green, red, alpha) the wait dialog draws into.
struct PixelTarget {
    std::span<uint8_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;

    /// Fills the part of `rect` inside the buffer with an opaque colour.
    void Fill(const PixelRect& rect, ColorRef color) const;
};

class CWaitBarCtrl {
public:
    static constexpr int BAND_COUNT = 6;
    static constexpr int BASE_INDEX = 3;
    static constexpr ColorRef DEFAULT_BACKGROUND = MakeRgb(255, 255, 255);

    CWaitBarCtrl();

    /// Stores both colours and computes the bands from them.
    void SetColors(ColorRef foreground, ColorRef background);
    /// One animation step: to the right while the direction flag is set.
    void Step();
    void RotateRight();
    void RotateLeft();
    /// Bands side by side across the width (true) or stacked down the height.
    void SetOrientation(bool across) { m_across = across; }
    void SetDirection(bool right) { m_right = right; }
    /// The background over `rect`, then the six bands; the last band reaches the edge.
    void Paint(const PixelTarget& target, const PixelRect& rect) const;

    [[nodiscard]] const std::array<ColorRef, BAND_COUNT>& GetBands() const { return m_bands; }
    [[nodiscard]] ColorRef GetForeground() const { return m_foreground; }
    [[nodiscard]] ColorRef GetBackground() const { return m_background; }

private:
    void ComputeSteps();
    void ComputeBands();
    [[nodiscard]] ColorRef StepColor(ColorRef color) const;

    ColorRef m_foreground { 0 };
    ColorRef m_background { DEFAULT_BACKGROUND };
    std::array<ColorRef, BAND_COUNT> m_bands {};
    std::array<int32_t, 3> m_steps {};
    bool m_across { true };
    bool m_right { true };
};

} // namespace client

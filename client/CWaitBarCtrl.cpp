#include "client/CWaitBarCtrl.h"

#include <algorithm>

namespace client {

namespace {

int32_t Channel(ColorRef color, int index)
{
    return static_cast<int32_t>((color >> (8 * index)) & 0xFF);
}

} // namespace

void PixelTarget::Fill(const PixelRect& rect, ColorRef color) const
{
    const int32_t left = std::max(rect.left, 0);
    const int32_t top = std::max(rect.top, 0);
    const int32_t right = std::min(rect.right, width);
    const int32_t bottom = std::min(rect.bottom, height);
    if (left >= right || top >= bottom || pitch < width * 4 || pixels.size() < size_t(pitch) * size_t(height))
        return;
    const uint8_t bgra[4] = { static_cast<uint8_t>(Channel(color, 2)), static_cast<uint8_t>(Channel(color, 1)),
                              static_cast<uint8_t>(Channel(color, 0)), 0xFF };
    for (int32_t y = top; y < bottom; ++y) {
        uint8_t* row = pixels.data() + size_t(y) * size_t(pitch);
        for (int32_t x = left; x < right; ++x)
            std::copy(bgra, bgra + 4, row + size_t(x) * 4);
    }
}

CWaitBarCtrl::CWaitBarCtrl()
{
    ComputeBands();
}

void CWaitBarCtrl::SetColors(ColorRef foreground, ColorRef background)
{
    m_foreground = foreground;
    m_background = background;
    ComputeBands();
}

void CWaitBarCtrl::ComputeSteps()
{
    for (int c = 0; c < 3; ++c)
        m_steps[size_t(c)] = (Channel(m_foreground, c) - Channel(m_background, c)) / BASE_INDEX;
}

ColorRef CWaitBarCtrl::StepColor(ColorRef color) const
{
    ColorRef result = 0;
    for (int c = 0; c < 3; ++c) {
        const int32_t background = Channel(m_background, c);
        const int32_t step = m_steps[size_t(c)];
        int32_t value = Channel(color, c) - step;
        // A step never carries a band past the background.
        if ((step > 0 && value < background) || (step < 0 && value > background))
            value = background;
        result |= static_cast<ColorRef>(std::clamp(value, 0, 255)) << (8 * c);
    }
    return result;
}

void CWaitBarCtrl::ComputeBands()
{
    ComputeSteps();
    m_bands[BASE_INDEX] = m_foreground;
    for (int i = BASE_INDEX - 1; i >= 0; --i)
        m_bands[size_t(i)] = StepColor(m_bands[size_t(i) + 1]);
    for (int i = BASE_INDEX + 1; i < BAND_COUNT; ++i)
        m_bands[size_t(i)] = StepColor(m_bands[size_t(i) - 1]);
}

void CWaitBarCtrl::Step()
{
    if (m_right)
        RotateRight();
    else
        RotateLeft();
}

void CWaitBarCtrl::RotateRight()
{
    std::rotate(m_bands.rbegin(), m_bands.rbegin() + 1, m_bands.rend());
}

void CWaitBarCtrl::RotateLeft()
{
    std::rotate(m_bands.begin(), m_bands.begin() + 1, m_bands.end());
}

void CWaitBarCtrl::Paint(const PixelTarget& target, const PixelRect& rect) const
{
    target.Fill(rect, m_background);
    const int32_t extent = m_across ? rect.right - rect.left : rect.bottom - rect.top;
    const int32_t band = extent / BAND_COUNT;
    for (int i = 0; i < BAND_COUNT; ++i) {
        PixelRect part = rect;
        const int32_t start = i * band;
        const int32_t end = i + 1 == BAND_COUNT ? extent : (i + 1) * band;
        if (m_across) {
            part.left = rect.left + start;
            part.right = rect.left + end;
        } else {
            part.top = rect.top + start;
            part.bottom = rect.top + end;
        }
        target.Fill(part, m_bands[size_t(i)]);
    }
}

} // namespace client

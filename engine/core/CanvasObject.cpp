#include "engine/core/CanvasObject.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/core/GameCore.h"

namespace engine {

namespace {

inline void StorePixel(uint8_t* at, uint32_t pixel)
{
    at[0] = static_cast<uint8_t>(pixel);
    at[1] = static_cast<uint8_t>(pixel >> 8);
    at[2] = static_cast<uint8_t>(pixel >> 16);
    at[3] = static_cast<uint8_t>(pixel >> 24);
}

// The colour 0x00BBGGRR of a stored pixel.
inline uint32_t ColourOf(const uint8_t* at)
{
    return uint32_t(at[2]) | uint32_t(at[1]) << 8 | uint32_t(at[0]) << 16;
}

// Calls change with the first byte of every pixel of the record.
template <typename Change>
void ForEachPixel(ImageRecord& record, Change&& change)
{
    if (!record.pixels)
        return;
    for (uint32_t offset = 0; offset + 4 <= record.pixel_bytes; offset += 4)
        change(record.pixels.get() + offset);
}

} // namespace

CCanvasObject::~CCanvasObject()
{
    // The paint module may keep state for this record; it lets go of it here.
    // The buffers are ours and go with the record member afterwards.
    if (GameCore* core = GetCore(); core != nullptr && m_record.pixels)
        core->SendMessage(VELOTRIX_MODULE_PAINT, VELOTRIX_MSG_FREE_IMAGE, reinterpret_cast<uintptr_t>(&m_record), 0);
}

uint32_t CCanvasObject::MakePixel(uint32_t colour, uint32_t key)
{
    const uint32_t rgb = colour & 0xFFFFFF;
    const uint32_t alpha = rgb == (key & 0xFFFFFF) ? 0u : 0xFFu;
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16) | alpha << 24;
}

int CCanvasObject::Create(int32_t width, int32_t height, uint32_t background, int32_t value)
{
    if (width <= 0 || height <= 0 || width > MAX_SIDE || height > MAX_SIDE || int64_t(width) * height > MAX_PIXELS)
        return 0;
    m_background = background;
    m_create_value = value;
    m_style.font_height = height / 2;
    m_style.weight = 400;
    m_style.color = 0xFF000000;
    m_style.alpha = 255;

    m_record = ImageRecord {};
    m_record.id = IMAGE_ID_CANVAS;
    m_record.colour_key = COLOUR_NONE;
    m_record.frames = 1;
    m_record.flags = RECORD_FLAGS;
    m_record.frames_per_row = 1;
    AdoptPixels(std::make_unique<uint8_t[]>(size_t(width) * height * 4), width, height);

    ImageRef ref {};
    ref.id = IMAGE_ID_CANVAS;
    ref.record = &m_record;
    ref.width = width;
    ref.height = height;
    ref.tint = COLOUR_NONE;
    m_picture.SetInfo(ref);
    SetSize(width, height);
    Clear();
    Invalidate();
    return 1;
}

void CCanvasObject::AdoptPixels(std::unique_ptr<uint8_t[]> pixels, int32_t width, int32_t height)
{
    m_record.pixels = std::move(pixels);
    m_record.width = static_cast<uint16_t>(width);
    m_record.height = static_cast<uint16_t>(height);
    m_record.pixel_bytes = static_cast<uint32_t>(size_t(width) * height * 4);
    m_width = width;
    m_height = height;
    m_picture.SetSize(width, height);
}

uint8_t* CCanvasObject::PixelPtr(int32_t x, int32_t y) const
{
    return m_record.pixels.get() + (size_t(y) * m_width + x) * 4;
}

uint8_t* CCanvasObject::PixelAt(int32_t x, int32_t y) const
{
    if (!m_record.pixels || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return nullptr;
    return PixelPtr(x, y);
}

void CCanvasObject::PutPixel(int32_t x, int32_t y, uint32_t pixel)
{
    if (uint8_t* at = PixelAt(x, y))
        StorePixel(at, pixel);
}

uint32_t CCanvasObject::PenPixel() const
{
    return MakePixel(m_style.color, m_record.colour_key);
}

// Fills left <= x < right, top <= y < bottom, clipped to the canvas.
void CCanvasObject::FillPixels(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t pixel)
{
    if (!m_record.pixels)
        return;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_width);
    bottom = std::min(bottom, m_height);
    for (int32_t y = top; y < bottom; ++y) {
        uint8_t* row = PixelPtr(0, y);
        for (int32_t x = left; x < right; ++x)
            StorePixel(row + size_t(x) * 4, pixel);
    }
}

void CCanvasObject::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    FillPixels(left, top, right, bottom, MakePixel(m_background, m_record.colour_key));
    m_picture.MarkChanged();
}

void CCanvasObject::Clear()
{
    if (!m_record.pixels)
        return;
    if ((m_background & 0xFFFFFF) == (m_record.colour_key & 0xFFFFFF))
        std::memset(m_record.pixels.get(), 0, m_record.pixel_bytes);
    else
        FillPixels(0, 0, m_width, m_height, MakePixel(m_background, m_record.colour_key));
    m_picture.MarkChanged();
}

void CCanvasObject::SetPixel(int32_t x, int32_t y, uint32_t colour)
{
    PutPixel(x, y, MakePixel(colour, m_record.colour_key));
}

void CCanvasObject::SetPixelAlpha(int32_t x, int32_t y, uint8_t alpha)
{
    if (uint8_t* at = PixelAt(x, y)) {
        at[3] = alpha;
        m_picture.MarkChanged();
    }
}

void CCanvasObject::DrawBorder(uint32_t colour, int32_t thickness)
{
    if (thickness <= 0)
        return;
    const uint32_t pixel = MakePixel(colour, m_record.colour_key);
    const int32_t t = std::min(thickness, std::max(m_width, m_height));
    FillPixels(0, 0, m_width, t, pixel);
    FillPixels(0, m_height - t, m_width, m_height, pixel);
    FillPixels(0, 0, t, m_height, pixel);
    FillPixels(m_width - t, 0, m_width, m_height, pixel);
    m_picture.MarkChanged();
}

void CCanvasObject::DrawDottedBorder(uint32_t colour)
{
    DrawDottedOutline(Box { 0, 0, m_width - 1, m_height - 1 }, MakePixel(colour, m_record.colour_key));
    m_picture.MarkChanged();
}

// Every second pixel of the box's four edges, both ends included.
void CCanvasObject::DrawDottedOutline(const Box& box, uint32_t pixel)
{
    for (int32_t x = box.left; x <= box.right; x += 2) {
        PutPixel(x, box.top, pixel);
        PutPixel(x, box.bottom, pixel);
    }
    for (int32_t y = box.top; y <= box.bottom; y += 2) {
        PutPixel(box.left, y, pixel);
        PutPixel(box.right, y, pixel);
    }
}

void CCanvasObject::DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    const uint32_t pixel = PenPixel();
    if (x0 == x1 || y0 == y1) {
        // Straight lines cover both ends; the caller marks the change.
        FillPixels(std::min(x0, x1), std::min(y0, y1), int32_t(std::min<int64_t>(std::max(x0, x1) + int64_t(1), INT32_MAX)),
                   int32_t(std::min<int64_t>(std::max(y0, y1) + int64_t(1), INT32_MAX)), pixel);
        return;
    }
    // Stepped along the longer axis from its smaller end, the far end
    // excluded; only the steps inside the canvas are visited.
    const bool along_x = std::llabs(int64_t(x1) - x0) >= std::llabs(int64_t(y1) - y0);
    int64_t from = along_x ? x0 : y0;
    int64_t to = along_x ? x1 : y1;
    int64_t from_other = along_x ? y0 : x0;
    int64_t to_other = along_x ? y1 : x1;
    if (to < from) {
        std::swap(from, to);
        std::swap(from_other, to_other);
    }
    const int64_t span = to - from;
    const int64_t size = along_x ? m_width : m_height;
    const long other_size = along_x ? m_height : m_width;
    for (int64_t step = std::max<int64_t>(from, 0); step < std::min(to, size); ++step) {
        const double other = double(from_other) + double(to_other - from_other) * double(step - from) / double(span);
        // Off-canvas values become -1 or the size, which PutPixel ignores.
        const auto clipped = int32_t(std::clamp(std::lround(other), -1L, other_size));
        if (along_x)
            PutPixel(int32_t(step), clipped, pixel);
        else
            PutPixel(clipped, int32_t(step), pixel);
    }
    m_picture.MarkChanged();
    Invalidate();
}

bool CCanvasObject::ClipInclusive(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Box& box) const
{
    box.left = std::min(x0, x1);
    box.right = std::max(x0, x1);
    box.top = std::min(y0, y1);
    box.bottom = std::max(y0, y1);
    if (box.right >= m_width)
        box.right = m_width - 1;
    if (box.bottom >= m_height)
        box.bottom = m_height - 1;
    box.left = std::max(box.left, 0);
    box.top = std::max(box.top, 0);
    // A rectangle wholly outside the canvas clips to nothing.
    return m_record.pixels && box.left < box.right && box.top < box.bottom;
}

void CCanvasObject::DrawRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Fill fill)
{
    Box box {};
    if (!ClipInclusive(x0, y0, x1, y1, box))
        return;
    const uint32_t pixel = PenPixel();
    if (fill == Fill::Solid) {
        FillPixels(box.left, box.top, box.right + 1, box.bottom + 1, pixel);
    } else {
        FillPixels(box.left, box.top, box.right + 1, box.top + 1, pixel);
        FillPixels(box.left, box.bottom, box.right + 1, box.bottom + 1, pixel);
        FillPixels(box.left, box.top, box.left + 1, box.bottom + 1, pixel);
        FillPixels(box.right, box.top, box.right + 1, box.bottom + 1, pixel);
    }
    m_picture.MarkChanged();
    Invalidate();
}

void CCanvasObject::DrawDottedRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    Box box {};
    if (!ClipInclusive(x0, y0, x1, y1, box))
        return;
    DrawDottedOutline(box, PenPixel());
    m_picture.MarkChanged();
    Invalidate();
}

void CCanvasObject::InvertRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    Box box {};
    if (!ClipInclusive(x0, y0, x1, y1, box))
        return;
    for (int32_t y = box.top; y <= box.bottom; ++y) {
        for (int32_t x = box.left; x <= box.right; ++x) {
            uint8_t* at = PixelPtr(x, y);
            if (at[3] != 0) {
                at[0] = uint8_t(255 - at[0]);
                at[1] = uint8_t(255 - at[1]);
                at[2] = uint8_t(255 - at[2]);
            }
        }
    }
    ApplyColourKey();
}

void CCanvasObject::ApplyColourKey()
{
    const uint32_t key = m_record.colour_key & 0xFFFFFF;
    ForEachPixel(m_record, [key](uint8_t* at) {
        if (ColourOf(at) == key)
            at[3] = 0;
    });
    m_picture.MarkChanged();
    Invalidate();
}

void CCanvasObject::Tint(uint32_t colour, uint32_t amount)
{
    const uint32_t a = amount & 0xFF;
    const uint32_t red = colour & 0xFF;
    const uint32_t green = (colour >> 8) & 0xFF;
    const uint32_t blue = (colour >> 16) & 0xFF;
    ForEachPixel(m_record, [&](uint8_t* at) {
        if (at[3] == 0)
            return;
        at[0] = uint8_t((at[0] * (255 - a) + blue * a) >> 8);
        at[1] = uint8_t((at[1] * (255 - a) + green * a) >> 8);
        at[2] = uint8_t((at[2] * (255 - a) + red * a) >> 8);
    });
    m_picture.MarkChanged();
}

void CCanvasObject::MaskByImage(const ImageRef& ref)
{
    if (!m_record.pixels || !ref.record || ref.record->width != m_width || ref.record->height != m_height)
        return;
    CFrameImage image;
    ImageRef whole = ref;
    whole.source_x = 0;
    whole.source_y = 0;
    whole.width = m_width;
    whole.height = m_height;
    image.SetInfo(whole);
    for (int32_t y = 0; y < m_height; ++y)
        for (int32_t x = 0; x < m_width; ++x)
            if (image.GetAlphaAt(x, y) == 0)
                PixelPtr(x, y)[3] = 0;
    m_picture.MarkChanged();
}

void CCanvasObject::Darken()
{
    ForEachPixel(m_record, [](uint8_t* at) {
        if (at[3] != 0) {
            at[0] >>= 1;
            at[1] >>= 1;
            at[2] >>= 1;
        }
    });
    m_picture.MarkChanged();
}

uint32_t CCanvasObject::GetColourAt(int32_t x, int32_t y) const
{
    const uint8_t* at = PixelAt(x, y);
    return at != nullptr ? ColourOf(at) : 0;
}

uint32_t CCanvasObject::GetAlphaAt(int32_t x, int32_t y) const
{
    const uint8_t* at = PixelAt(x, y);
    return at != nullptr ? at[3] : 0;
}

std::span<uint8_t> CCanvasObject::GetPixels()
{
    return { m_record.pixels.get(), m_record.pixels ? m_record.pixel_bytes : 0u };
}

} // namespace engine

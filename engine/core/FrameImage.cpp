#include "engine/core/FrameImage.h"

namespace engine {

int CFrameImage::IsValid() const
{
    return m_ref.record != nullptr && m_ref.record->id == m_ref.id ? 1 : 0;
}

void CFrameImage::MarkChanged()
{
    if (m_ref.record)
        m_ref.record->flags |= IMAGE_FLAG_CHANGED;
}

void CFrameImage::ClearChanged()
{
    if (m_ref.record)
        m_ref.record->flags &= ~IMAGE_FLAG_CHANGED;
}

uint32_t CFrameImage::GetColourKey() const
{
    return m_ref.record ? m_ref.record->colour_key : COLOUR_NONE;
}

void CFrameImage::SetSize(int32_t width, int32_t height)
{
    m_ref.width = width;
    m_ref.height = height;
}

uint32_t CFrameImage::GetFrameCount() const
{
    return m_ref.record ? (m_ref.record->frames & 0xFFFF) : 0;
}

uint32_t CFrameImage::GetFrameDelay(int32_t i) const
{
    const ImageRecord* record = m_ref.record;
    if (!record || !record->delays || record->frames == 0)
        return 0;
    const int64_t count = record->frames;
    const int64_t index = ((int64_t(i) % count) + count) % count;
    return record->delays[index];
}

uint32_t CFrameImage::GetTotalDelay() const
{
    const ImageRecord* record = m_ref.record;
    if (!record || !record->delays)
        return 0;
    uint32_t total = 0;
    for (uint32_t i = 0; i < record->frames; ++i)
        total += record->delays[i];
    return total;
}

int16_t CFrameImage::GetOffsetX() const
{
    return m_ref.record ? m_ref.record->offset_x : 0;
}

int16_t CFrameImage::GetOffsetY() const
{
    return m_ref.record ? m_ref.record->offset_y : 0;
}

uint32_t CFrameImage::SetFrame(int32_t i)
{
    const uint32_t count = GetFrameCount();
    if (count < 2)
        return 0;
    const uint32_t frame = static_cast<uint32_t>(((int64_t(i) % count) + count) % count);
    if (frame != m_ref.frame) {
        m_ref.frame = frame;
        MarkChanged();
    }
    return GetFrameDelay(static_cast<int32_t>(frame));
}

uint32_t CFrameImage::NextFrame()
{
    const uint32_t count = GetFrameCount();
    if (count < 2)
        return 0;
    m_ref.frame = (m_ref.frame + 1) % count;
    return GetFrameDelay(static_cast<int32_t>(m_ref.frame));
}

uint32_t CFrameImage::SetFrameByTime(uint32_t ms, uint32_t start_frame)
{
    const uint32_t count = GetFrameCount();
    if (count == 0 || count == 1)
        return 0;
    const uint32_t total = GetTotalDelay();
    if (total == 0)
        return 0;
    const uint64_t t = ms % total;
    uint64_t sum = 0;
    uint32_t frame = start_frame % count;
    for (uint32_t step = 0; step < count; ++step) {
        sum += GetFrameDelay(static_cast<int32_t>(frame));
        if (sum > t)
            break;
        frame = (frame + 1) % count;
    }
    if (frame == m_ref.frame)
        return start_frame;
    return SetFrame(static_cast<int32_t>(frame));
}

CFrameImage::PixelAt CFrameImage::Locate(int32_t x, int32_t y) const
{
    const ImageRecord* record = m_ref.record;
    if (!record || !record->pixels || x < 0 || y < 0 || x >= m_ref.width || y >= m_ref.height)
        return {};
    const int64_t sx = int64_t(x) + m_ref.source_x;
    const int64_t sy = int64_t(y) + m_ref.source_y;
    const int64_t width = record->width;
    const int64_t height = record->height;
    if (sx < 0 || sy < 0)
        return {};
    const int64_t frame = m_ref.frame;
    int64_t index = 0;
    uint32_t bytes_per_pixel = record->BytesPerPixel();
    if (record->frames_per_row < 2) {
        if (sx >= width)
            return {};
        index = sx + sy * width + frame * height * width;
    } else {
        // Strips with several frames per row are always 32-bit.
        const int64_t per_row = record->frames_per_row;
        if (sx >= width || sy >= height)
            return {};
        index = ((frame / per_row) * height + sy) * width * per_row + (frame % per_row) * width + sx;
        bytes_per_pixel = 4;
    }
    const uint64_t offset = uint64_t(index) * bytes_per_pixel;
    if (offset + bytes_per_pixel > record->pixel_bytes)
        return {};
    return { record->pixels.get() + offset, bytes_per_pixel };
}

int CFrameImage::HitTest(int32_t x, int32_t y) const
{
    const PixelAt pixel = Locate(x, y);
    if (!pixel.bytes)
        return 0;
    if (pixel.bytes_per_pixel == 4)
        return pixel.bytes[3] != 0 ? 1 : 0;
    const bool not_key = pixel.bytes[0] != m_ref.record->colour_key;
    if (pixel.bytes_per_pixel == 2)
        return not_key && pixel.bytes[1] != 0 ? 1 : 0;
    return not_key ? 1 : 0;
}

uint32_t CFrameImage::GetAlphaAt(int32_t x, int32_t y) const
{
    const PixelAt pixel = Locate(x, y);
    if (!pixel.bytes)
        return 0;
    if (pixel.bytes_per_pixel == 4)
        return pixel.bytes[3];
    if (pixel.bytes_per_pixel == 2)
        return pixel.bytes[1];
    return pixel.bytes[0] == m_ref.record->colour_key ? 0 : 255;
}

uint32_t CFrameImage::GetColourAt(int32_t x, int32_t y) const
{
    const PixelAt pixel = Locate(x, y);
    if (!pixel.bytes)
        return 0;
    if (pixel.bytes_per_pixel == 4)
        return uint32_t(pixel.bytes[2]) | uint32_t(pixel.bytes[1]) << 8 | uint32_t(pixel.bytes[0]) << 16;
    const ImageRecord& record = *m_ref.record;
    const uint32_t index = pixel.bytes[0];
    if (!record.palette || (record.flags & IMAGE_FLAG_PALETTE) == 0 || index >= record.palette_count
        || (index + 1) * 3 > record.PaletteBytes())
        return 0;
    const uint8_t* entry = record.palette.get() + index * 3;
    return uint32_t(entry[0]) | uint32_t(entry[1]) << 8 | uint32_t(entry[2]) << 16;
}

} // namespace engine

// CCanvasObject: images, slices, resizing and text.
#include <algorithm>
#include <cstring>

#include "engine/core/CanvasObject.h"
#include "engine/core/ImageFrameCut.h"
#include "engine/core/ObjectModule.h"

namespace engine {

namespace {

// Holds the object module's text lock (when the canvas has a module).
class CTextLockScope {
public:
    explicit CTextLockScope(ObjectModule* module) : m_module(module)
    {
        if (m_module)
            m_module->LockTextRenderer();
    }
    ~CTextLockScope()
    {
        if (m_module)
            m_module->UnlockTextRenderer();
    }
    CTextLockScope(const CTextLockScope&) = delete;
    CTextLockScope& operator=(const CTextLockScope&) = delete;

private:
    ObjectModule* m_module;
};

inline bool IsLeadByte(char c)
{
    return static_cast<uint8_t>(c) >= 0x81;
}

// Length of the character at pos: 2 for a lead byte with its trail byte.
inline size_t CharLength(std::string_view text, size_t pos)
{
    return IsLeadByte(text[pos]) && pos + 1 < text.size() ? 2 : 1;
}

} // namespace

void CCanvasObject::DrawImage(const ImageRef& ref, int32_t x, int32_t y, int32_t width, int32_t height,
                              double angle, double opacity)
{
    const ImageRecord* record = ref.record;
    ICanvasBlitter* blitter = CCanvasServices::GetBlitter();
    if (!record || !record->pixels || record->frames == 0 || !m_record.pixels || !blitter)
        return;
    const int32_t draw_width = width == 0 ? m_width : (width < 0 ? ref.width : width);
    const int32_t draw_height = height == 0 ? m_height : (height < 0 ? ref.height : height);
    const uint32_t frame = ref.frame % record->frames;

    DrawParams params {};
    params.angle = angle;
    params.centre_x = int32_t(int64_t(x) + (int64_t(draw_width) + 1) / 2);
    params.centre_y = int32_t(int64_t(y) + (int64_t(draw_height) + 1) / 2);
    params.width = draw_width;
    params.height = draw_height;
    params.clip_right = m_width;
    params.clip_bottom = m_height;
    auto* target = reinterpret_cast<uint32_t*>(m_record.pixels.get());
    if (record->frames_per_row >= 2 && record->frames > 1) {
        ImageRecord cut;
        if (CutImageFrame(&cut, record, frame) != nullptr)
            blitter->Blit(target, m_width, m_height, params, cut, ref.source_x, ref.source_y, ref.width, ref.height,
                          opacity, ref.tint);
    } else {
        const int64_t source_y = int64_t(ref.source_y) + int64_t(frame) * record->height;
        blitter->Blit(target, m_width, m_height, params, *record, ref.source_x,
                      int32_t(std::clamp<int64_t>(source_y, INT32_MIN, INT32_MAX)), ref.width, ref.height, opacity,
                      ref.tint);
    }
    ApplyColourKey();
}

void CCanvasObject::DrawPiece(const ImageRef& ref, int32_t sx, int32_t sy, int32_t sw, int32_t sh, int32_t x,
                              int32_t y, int32_t width, int32_t height)
{
    // A zero size would mean "the canvas's" to DrawImage; empty pieces are skipped.
    if (sw <= 0 || sh <= 0 || width <= 0 || height <= 0)
        return;
    ImageRef piece = ref;
    piece.source_x += sx;
    piece.source_y += sy;
    piece.width = sw;
    piece.height = sh;
    DrawImage(piece, x, y, width, height, 0.0, 1.0);
}

void CCanvasObject::DrawThreeSlice(const ImageRef& top, const ImageRef& middle, const ImageRef& bottom)
{
    const int32_t top_height = std::max(top.height, 0);
    const int32_t bottom_height = std::max(bottom.height, 0);
    if (int64_t(m_height) <= int64_t(top_height) + bottom_height) {
        const int32_t half = m_height / 2;
        DrawPiece(top, 0, 0, top.width, top.height, 0, 0, m_width, half);
        DrawPiece(bottom, 0, 0, bottom.width, bottom.height, 0, half, m_width, m_height - half);
        return;
    }
    DrawPiece(top, 0, 0, top.width, top.height, 0, 0, m_width, top_height);
    DrawPiece(middle, 0, 0, middle.width, middle.height, 0, top_height, m_width,
              m_height - top_height - bottom_height);
    DrawPiece(bottom, 0, 0, bottom.width, bottom.height, 0, m_height - bottom_height, m_width, bottom_height);
}

// The record's two offsets are the two cut lines (rows here); the middle
// piece is stretched.
void CCanvasObject::DrawSlicedVertical(const ImageRef& ref)
{
    if (!ref.record || ref.height <= 0)
        return;
    const int32_t first = std::clamp<int32_t>(ref.record->offset_x, 0, ref.height);
    const int32_t second = std::clamp<int32_t>(ref.record->offset_y, first, ref.height);
    const int32_t top = first;
    const int32_t bottom = ref.height - second;
    if (m_height <= top + bottom) {
        const int32_t half = m_height / 2;
        DrawPiece(ref, 0, 0, ref.width, top, 0, 0, m_width, half);
        DrawPiece(ref, 0, second, ref.width, bottom, 0, half, m_width, m_height - half);
        return;
    }
    DrawPiece(ref, 0, 0, ref.width, top, 0, 0, m_width, top);
    DrawPiece(ref, 0, first, ref.width, second - first, 0, top, m_width, m_height - top - bottom);
    DrawPiece(ref, 0, second, ref.width, bottom, 0, m_height - bottom, m_width, bottom);
}

// As DrawSlicedVertical, with the cut lines as columns.
void CCanvasObject::DrawSlicedHorizontal(const ImageRef& ref)
{
    if (!ref.record || ref.width <= 0)
        return;
    const int32_t first = std::clamp<int32_t>(ref.record->offset_x, 0, ref.width);
    const int32_t second = std::clamp<int32_t>(ref.record->offset_y, first, ref.width);
    const int32_t left = first;
    const int32_t right = ref.width - second;
    if (m_width <= left + right) {
        const int32_t half = m_width / 2;
        DrawPiece(ref, 0, 0, left, ref.height, 0, 0, half, m_height);
        DrawPiece(ref, second, 0, right, ref.height, half, 0, m_width - half, m_height);
        return;
    }
    DrawPiece(ref, 0, 0, left, ref.height, 0, 0, left, m_height);
    DrawPiece(ref, first, 0, second - first, ref.height, left, 0, m_width - left - right, m_height);
    DrawPiece(ref, second, 0, right, ref.height, m_width - right, 0, right, m_height);
}

void CCanvasObject::Resize(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0 || width > MAX_SIDE || height > MAX_SIDE || int64_t(width) * height > MAX_PIXELS
        || !m_record.pixels)
        return;
    auto pixels = std::make_unique<uint8_t[]>(size_t(width) * height * 4);
    const auto* source = reinterpret_cast<const uint32_t*>(m_record.pixels.get());
    std::unique_ptr<uint32_t[]> scaled;
    if (ICanvasBlitter* blitter = CCanvasServices::GetBlitter())
        scaled = blitter->ScaleNearest(source, m_width, m_height, 0, 0, m_width, m_height, width, height);
    if (scaled) {
        std::memcpy(pixels.get(), scaled.get(), size_t(width) * height * 4);
    } else {
        for (int32_t y = 0; y < height; ++y) {
            const size_t sy = size_t(y) * m_height / height;
            for (int32_t x = 0; x < width; ++x) {
                const size_t sx = size_t(x) * m_width / width;
                std::memcpy(pixels.get() + (size_t(y) * width + x) * 4, source + sy * m_width + sx, 4);
            }
        }
    }
    AdoptPixels(std::move(pixels), width, height);
    m_picture.MarkChanged();
    Invalidate();
}

void CCanvasObject::ResizeToText(std::string_view text, int32_t width)
{
    Resize(width, MeasureText(width, text));
}

// Text ------------------------------------------------------------------------

void CCanvasObject::SetTextColour(uint32_t colour, uint8_t alpha)
{
    m_style.color = (colour & 0xFFFFFF) | uint32_t(alpha) << 24;
    m_style.alpha = alpha;
}

void CCanvasObject::SetFont(int32_t height, int32_t weight, std::string_view face)
{
    m_style.font_height = height;
    m_style.glyph_width = height;
    m_style.weight = weight;
    m_style.SetFaceName(face);
}

void CCanvasObject::SetSpacing(int32_t letter_spacing, int32_t row_space)
{
    if (letter_spacing >= 0)
        m_style.letter_spacing = letter_spacing;
    if (row_space >= 0)
        m_style.row_space = row_space;
}

void CCanvasObject::SetMargins(int32_t left, int32_t right)
{
    m_style.left_margin = left;
    m_style.right_margin = right;
}

void CCanvasObject::SetTextFlags(int32_t wrap, int32_t underline)
{
    m_style.wrap = wrap;
    m_style.underline = underline;
}

void CCanvasObject::DrawText(int32_t x, int32_t y, std::string_view text)
{
    ICanvasTextDrawer* drawer = CCanvasServices::GetTextDrawer();
    if (!drawer || !m_record.pixels)
        return;
    {
        CTextLockScope lock(GetObjectModulePtr());
        drawer->DrawText(m_style, GetPixels(), m_width, m_height, x, y, text);
    }
    m_picture.MarkChanged();
}

int32_t CCanvasObject::MeasureText(int32_t width, std::string_view text)
{
    ICanvasTextDrawer* drawer = CCanvasServices::GetTextDrawer();
    if (!drawer)
        return 0;
    CTextLockScope lock(GetObjectModulePtr());
    return drawer->MeasureText(m_style, width, text);
}

std::pair<int32_t, int32_t> CCanvasObject::FitText(std::string& text)
{
    ICanvasTextDrawer* drawer = CCanvasServices::GetTextDrawer();
    if (!drawer)
        return { 0, 0 };
    CTextLockScope lock(GetObjectModulePtr());
    return drawer->FitText(m_style, m_width, m_height, text);
}

int32_t CCanvasObject::TextWidth(std::string_view text, TagWidth tags) const
{
    const int64_t height = m_style.font_height;
    const int64_t spacing = m_style.letter_spacing;
    const ICanvasTextDrawer* drawer = CCanvasServices::GetTextDrawer();
    int64_t width = 0;
    for (size_t pos = 0; pos < text.size();) {
        if (tags == TagWidth::Skip && text[pos] == '<' && drawer) {
            const size_t close = text.find('>', pos + 1);
            if (close != std::string_view::npos && close - pos - 1 <= 255
                && drawer->IsKnownTag(text.substr(pos + 1, close - pos - 1))) {
                pos = close + 1;
                continue;
            }
        }
        const size_t length = CharLength(text, pos);
        width += length == 2 ? height + 2 * spacing : (height + 1) / 2 + spacing;
        pos += length;
    }
    return int32_t(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
}

void CCanvasObject::DrawCentredText(int32_t centre_x, int32_t centre_y, std::string_view text)
{
    const int32_t width = TextWidth(text, TagWidth::Count);
    DrawText(centre_x - width / 2, centre_y - m_style.font_height / 2, text);
}

// Ends a line in ".." (in place of its last two bytes when a two-byte
// character ends at the end or two bytes before it) or "..." (in place of its
// last three bytes). A line shorter than the cut is replaced whole.
void CCanvasObject::DrawCutLine(std::string line, int32_t centre_x, int32_t centre_y, bool cut)
{
    if (cut) {
        bool wide_at_end = false;
        bool wide_before = false;
        for (size_t pos = 0; pos < line.size();) {
            const size_t length = CharLength(line, pos);
            pos += length;
            if (length == 2 && pos == line.size())
                wide_at_end = true;
            if (length == 2 && line.size() >= 2 && pos == line.size() - 2)
                wide_before = true;
        }
        if (wide_at_end || wide_before)
            line = line.substr(0, line.size() >= 2 ? line.size() - 2 : 0) + "..";
        else
            line = line.substr(0, line.size() >= 3 ? line.size() - 3 : 0) + "...";
    }
    const int32_t width = TextWidth(line, TagWidth::Skip);
    DrawText(centre_x - width / 2, centre_y - m_style.font_height / 2, line);
}

void CCanvasObject::DrawMarkup(std::string_view text, int32_t y)
{
    const int64_t height = m_style.font_height;
    const int64_t line_space = m_style.row_space;
    const int64_t limit = int64_t(m_width) - m_style.right_margin;
    const int32_t centre_x = int32_t((int64_t(m_style.left_margin) + limit) / 2);
    int64_t centre_y = int64_t(y) + height / 2;
    size_t pos = 0;
    while (pos < text.size()) {
        if (centre_y > m_height - height)
            break;
        const size_t start = pos;
        int64_t x = m_style.left_margin;
        while (pos < text.size()) {
            const size_t length = CharLength(text, pos);
            const std::string_view one = text.substr(pos, length);
            int64_t width = TextWidth(one, TagWidth::Count);
            size_t take = length;
            if (text[pos] == '<') {
                const size_t close = text.find('>', pos + 1);
                const ICanvasTextDrawer* drawer = CCanvasServices::GetTextDrawer();
                if (close != std::string_view::npos && close - pos - 1 <= 255 && drawer
                    && drawer->IsKnownTag(text.substr(pos + 1, close - pos - 1))) {
                    width = 0;
                    take = close + 1 - pos;
                }
            }
            // Every line takes at least one character, so that a glyph
            // wider than the box still moves the text on.
            if (x + width > limit && pos > start)
                break;
            x += width;
            pos += take;
        }
        const bool more = pos < text.size();
        const bool last = more && centre_y > m_height - 2 * height - line_space;
        DrawCutLine(std::string(text.substr(start, pos - start)), centre_x, int32_t(centre_y), last);
        if (last)
            break;
        centre_y += line_space + height;
    }
    m_picture.MarkChanged();
}

} // namespace engine

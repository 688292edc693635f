// CCanvasObject: images, slices, resizing and text.
#include <algorithm>
#include <cstring>

#include "engine/core/CanvasObject.h"
#include "engine/core/ImageFrameCut.h"
#include "engine/core/ObjectModule.h"
#include "platform/Text.h"

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

// Length of the character at pos: 2 for a lead byte with its trail byte.
inline size_t CharLength(std::string_view text, size_t pos)
{
    return platform::IsGbkLeadByte(text[pos]) && pos + 1 < text.size() ? 2 : 1;
}

// Length of the text renderer's tag ("<" up to 255 characters ">") that
// starts at pos, or 0 when none does.
size_t KnownTagLength(std::string_view text, size_t pos)
{
    constexpr size_t MAX_TAG = 255;
    const ICanvasTextDrawer* drawer = CCanvasServices::GetTextDrawer();
    if (drawer == nullptr || text[pos] != '<')
        return 0;
    const size_t close = text.find('>', pos + 1);
    if (close == std::string_view::npos || close - pos - 1 > MAX_TAG
        || !drawer->IsKnownTag(text.substr(pos + 1, close - pos - 1)))
        return 0;
    return close + 1 - pos;
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
    // No clip flag: the blitter keeps every write inside the target's size.
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

void CCanvasObject::DrawImage(const ImageRef& ref, int32_t x, int32_t y, int32_t width, int32_t height,
                              int32_t source_x, int32_t source_y, double opacity)
{
    // The cut stays inside the reference's own rectangle.
    const int32_t left = std::clamp(source_x, 0, std::max(ref.width, 0));
    const int32_t top = std::clamp(source_y, 0, std::max(ref.height, 0));
    ImageRef cut = ref;
    cut.source_x = ref.source_x + left;
    cut.source_y = ref.source_y + top;
    cut.width = std::min(width < 1 ? ref.width : width, ref.width - left);
    cut.height = std::min(height < 1 ? ref.height : height, ref.height - top);
    if (cut.width < 1 || cut.height < 1)
        return;
    DrawImage(cut, x, y, cut.width, cut.height, 0.0, opacity);
}

// One piece drawn across the canvas: source rows (or columns) from offset
// for length, stretched over the canvas's rows (or columns) from at for
// extent. Empty pieces are skipped (a zero size means "the canvas's" to
// DrawImage).
void CCanvasObject::DrawAlong(const SlicePiece& piece, SliceAxis axis, int32_t at, int32_t extent)
{
    if (piece.length <= 0 || extent <= 0)
        return;
    ImageRef part = piece.ref;
    if (axis == SliceAxis::Vertical) {
        part.source_y += piece.offset;
        part.height = piece.length;
        if (part.width > 0)
            DrawImage(part, 0, at, m_width, extent, 0.0, 1.0);
    } else {
        part.source_x += piece.offset;
        part.width = piece.length;
        if (part.height > 0)
            DrawImage(part, at, 0, extent, m_height, 0.0, 1.0);
    }
}

// The first piece at the start with its own size, the last at the end, the
// middle stretched between them; a canvas too short for the first and last
// gets only those two, each over half of it.
void CCanvasObject::DrawSlices(const SlicePiece& first, const SlicePiece& middle, const SlicePiece& last,
                               SliceAxis axis)
{
    const int32_t size = axis == SliceAxis::Vertical ? m_height : m_width;
    const int32_t head = std::max(first.length, 0);
    const int32_t tail = std::max(last.length, 0);
    if (int64_t(size) <= int64_t(head) + tail) {
        const int32_t half = size / 2;
        DrawAlong(first, axis, 0, half);
        DrawAlong(last, axis, half, size - half);
        return;
    }
    DrawAlong(first, axis, 0, head);
    DrawAlong(middle, axis, head, size - head - tail);
    DrawAlong(last, axis, size - tail, tail);
}

void CCanvasObject::DrawThreeSlice(const ImageRef& top, const ImageRef& middle, const ImageRef& bottom)
{
    DrawSlices({ top, 0, top.height }, { middle, 0, middle.height }, { bottom, 0, bottom.height },
               SliceAxis::Vertical);
}

// The record's two offsets are the two cut lines (rows for the vertical
// form, columns for the horizontal one); the middle piece is stretched.
void CCanvasObject::DrawSliced(const ImageRef& ref, SliceAxis axis)
{
    const int32_t length = axis == SliceAxis::Vertical ? ref.height : ref.width;
    if (!ref.record || length <= 0)
        return;
    const int32_t first = std::clamp<int32_t>(ref.record->offset_x, 0, length);
    const int32_t second = std::clamp<int32_t>(ref.record->offset_y, first, length);
    DrawSlices({ ref, 0, first }, { ref, first, second - first }, { ref, second, length - second }, axis);
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

void CCanvasObject::SetTextColor(uint32_t colour, int32_t unused, double alpha)
{
    (void)unused;
    const double clamped = alpha > 0.0 ? std::min(alpha, 1.0) : 0.0; // NaN gives 0
    SetTextColour(colour, uint8_t(clamped * 255.0 + 0.5));
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
    DrawTextAbove(m_height, x, y, text, TextKind::Markup);
}

void CCanvasObject::DrawTextAbove(int32_t bottom, int32_t x, int32_t y, std::string_view text, TextKind kind)
{
    ICanvasTextDrawer* drawer = CCanvasServices::GetTextDrawer();
    if (!drawer || !m_record.pixels)
        return;
    // The rows above bottom are the first ones of the buffer: the renderer
    // is handed only those, so it cannot draw lower.
    const int32_t rows = std::clamp(bottom, 0, m_height);
    const std::string plain = kind == TextKind::Plain ? drawer->PlainText(text) : std::string();
    {
        CTextLockScope lock(GetObjectModulePtr());
        drawer->DrawText(m_style, GetPixels().first(size_t(rows) * size_t(m_width) * 4), m_width, rows, x, y,
                         kind == TextKind::Plain ? std::string_view(plain) : text);
    }
    m_picture.MarkChanged();
}

std::string CCanvasObject::PlainText(std::string_view text)
{
    const ICanvasTextDrawer* drawer = CCanvasServices::GetTextDrawer();
    return drawer ? drawer->PlainText(text) : std::string(text);
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
    int64_t width = 0;
    for (size_t pos = 0; pos < text.size();) {
        if (tags == TagWidth::Skip) {
            if (const size_t tag = KnownTagLength(text, pos); tag != 0) {
                pos += tag;
                continue;
            }
        }
        const size_t length = CharLength(text, pos);
        width += CharWidth(length);
        pos += length;
    }
    return int32_t(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
}

int64_t CCanvasObject::CharWidth(size_t length) const
{
    const int64_t height = m_style.font_height;
    const int64_t spacing = m_style.letter_spacing;
    return length == 2 ? height + 2 * spacing : (height + 1) / 2 + spacing;
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
            // A known tag takes no room.
            const size_t tag = KnownTagLength(text, pos);
            const size_t take = tag != 0 ? tag : CharLength(text, pos);
            const int64_t width = tag != 0 ? 0 : CharWidth(take);
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

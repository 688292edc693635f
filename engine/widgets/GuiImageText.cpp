#include "engine/widgets/GuiImageText.h"

#include "engine/core/CanvasObject.h"
#include "engine/widgets/WidgetSupport.h"
#include "platform/Text.h"

namespace engine {

namespace {

// 2 for a GBK lead byte followed by its second byte, else 1.
size_t CharLength(std::string_view text, size_t pos)
{
    return platform::IsGbkLeadByte(text[pos]) && pos + 1 < text.size() ? 2 : 1;
}

} // namespace

uint32_t GlyphKey(std::string_view text, size_t pos, size_t length)
{
    const auto byte = [&](size_t at) { return static_cast<uint32_t>(static_cast<uint8_t>(text[at])); };
    return length == 2 ? byte(pos) * 256 + byte(pos + 1) : byte(pos);
}

void CGuiImageText::Create(int32_t cell_width, int32_t cell_height, uint32_t flags)
{
    m_cell_width = cell_width;
    m_cell_height = cell_height;
    m_flags = flags;
    m_canvas = NewCanvasObject(cell_width, cell_height, WIDGET_COLOUR_KEY);
    if (m_canvas != nullptr)
        SetVisual(m_canvas, WIDGET_LINK_FLAGS);
}

void CGuiImageText::AddGlyph(std::string_view character, const ImageRef& image)
{
    const uint32_t key = character.size() < 2 ? (character.empty() ? 0 : GlyphKey(character, 0, 1))
                                              : GlyphKey(character, 0, 2);
    m_glyphs[key] = Glyph { image, image.width };
}

void CGuiImageText::AddGlyphs(std::string_view characters, std::string_view image_name)
{
    ImageRef strip;
    GetImage(strip, image_name, 0);
    if (!strip.IsValid())
        return;
    const uint32_t frames = strip.record->frames;
    uint32_t frame = 0;
    for (size_t pos = 0; pos < characters.size() && frame < frames; ++frame) {
        const size_t length = CharLength(characters, pos);
        ImageRef image = strip;
        image.frame = frame;
        const int32_t advance = length == 1 && !IsProportional() ? strip.width / 2 : strip.width;
        m_glyphs[GlyphKey(characters, pos, length)] = Glyph { image, advance };
        pos += length;
    }
}

const CGuiImageText::Glyph* CGuiImageText::FindGlyph(std::string_view text, size_t pos, size_t length) const
{
    const auto found = m_glyphs.find(GlyphKey(text, pos, length));
    return found != m_glyphs.end() ? &found->second : nullptr;
}

int32_t CGuiImageText::MeasureText(std::string_view text) const
{
    const int64_t cw = m_cell_width;
    const int64_t sp = m_spacing;
    int64_t width = 0;
    for (size_t pos = 0; pos < text.size();) {
        const size_t length = CharLength(text, pos);
        const bool last = pos + length >= text.size();
        if (IsProportional()) {
            const Glyph* glyph = FindGlyph(text, pos, length);
            width += glyph != nullptr ? glyph->advance : (length == 1 ? cw / 2 : cw);
            width += last ? 0 : sp;
        } else {
            width += length == 1 ? cw / 2 + (last ? 0 : sp / 2) : cw + (last ? 0 : sp);
        }
        pos += length;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(width, 0, INT32_MAX));
}

void CGuiImageText::SetText(std::string_view text)
{
    if (m_canvas == nullptr)
        return;
    const int32_t width = MeasureText(text);
    if (width > 0) {
        m_canvas->Resize(width, m_cell_height);
        m_canvas->SetSize(width, m_cell_height);
    }
    m_canvas->Clear();
    if (width > 0)
        DrawGlyphs(*m_canvas, 0, 0, text, ALIGN_LEFT);
    Reanchor();
}

void CGuiImageText::DrawGlyphs(CCanvasObject& canvas, double x, double y, std::string_view text, uint32_t align)
{
    const int64_t cw = m_cell_width;
    const int64_t sp = m_spacing;
    const int64_t n = static_cast<int64_t>(text.size());
    if ((align & ALIGN_LEFT) == 0)
        x -= (align & ALIGN_CENTRE) != 0 ? static_cast<double>(n * (cw + sp) / 4) : static_cast<double>(n * (cw + sp) / 2);
    for (size_t pos = 0; pos < text.size();) {
        const size_t length = CharLength(text, pos);
        const Glyph* glyph = FindGlyph(text, pos, length);
        if (IsProportional()) {
            if (glyph != nullptr) {
                const int32_t height = glyph->image.height;
                canvas.DrawImage(glyph->image, static_cast<int32_t>(x),
                                 static_cast<int32_t>(y + m_cell_height / 2 - height / 2), glyph->advance, height, 0.0,
                                 1.0);
                x += glyph->advance + sp;
            } else {
                x += length == 1 ? cw / 2 + sp / 2 : cw + sp;
            }
        } else {
            if (glyph != nullptr)
                canvas.DrawImage(glyph->image, static_cast<int32_t>(x), static_cast<int32_t>(y),
                                 static_cast<int32_t>(length == 1 ? cw / 2 : cw), m_cell_height, 0.0, 1.0);
            x += length == 1 ? cw / 2 + sp / 2 : cw + sp;
        }
        pos += length;
    }
    canvas.Invalidate();
}

void CGuiImageText::Reanchor()
{
    if (m_canvas == nullptr)
        return;
    const ObjectState& own = OwnState();
    const double half = m_canvas->GetWidth() / 2;
    double x = own.x;
    if ((m_flags & FLAG_LEFT) != 0)
        x += half;
    else if ((m_flags & FLAG_RIGHT) != 0)
        x -= half;
    m_canvas->MoveTo(x, own.y);
    m_canvas->Invalidate();
}

void CGuiImageText::MoveBy(double dx, double dy)
{
    CGuiObject::MoveBy(dx, dy);
    Reanchor();
}

} // namespace engine

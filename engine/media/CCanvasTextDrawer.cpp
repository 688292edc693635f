#include "engine/media/CCanvasTextDrawer.h"

#include "engine/media/CFreeTypeGlyphSource.h"
#include "engine/media/TextTag.h"

namespace engine {

class CCanvasTextDrawer::CStyleScope {
public:
    CStyleScope(CTextRenderer& renderer, const CanvasTextStyle& style)
        : m_renderer(renderer), m_saved(renderer.GetStyle())
    {
        m_renderer.SetStyle(style);
    }
    ~CStyleScope() { m_renderer.SetStyle(m_saved); }
    CStyleScope(const CStyleScope&) = delete;
    CStyleScope& operator=(const CStyleScope&) = delete;

private:
    CTextRenderer& m_renderer;
    const TextStyle m_saved;
};

std::unique_ptr<CCanvasTextDrawer> CCanvasTextDrawer::Create()
{
    auto renderer = std::make_unique<CTextRenderer>(CFreeTypeGlyphSource::Create());
    (void)renderer->Init();
    return std::make_unique<CCanvasTextDrawer>(std::move(renderer));
}

CCanvasTextDrawer::CCanvasTextDrawer(std::unique_ptr<CTextRenderer> renderer) : m_renderer(std::move(renderer)) {}

CCanvasTextDrawer::~CCanvasTextDrawer() = default;

void CCanvasTextDrawer::DrawText(const CanvasTextStyle& style, std::span<uint8_t> pixels, int32_t width,
                                 int32_t height, int32_t x, int32_t y, std::string_view text)
{
    const CStyleScope scope(*m_renderer, style);
    m_renderer->DrawText(pixels, width, height, x, y, text);
}

int32_t CCanvasTextDrawer::MeasureText(const CanvasTextStyle& style, int32_t width, std::string_view text)
{
    const CStyleScope scope(*m_renderer, style);
    return m_renderer->MeasureText(width, text);
}

std::pair<int32_t, int32_t> CCanvasTextDrawer::FitText(const CanvasTextStyle& style, int32_t box_width,
                                                       int32_t box_height, std::string& text)
{
    TextFitResult fit;
    return m_renderer->FitTextToBox(box_width, box_height, text, fit, 0, 0, style.font_height);
}

bool CCanvasTextDrawer::IsKnownTag(std::string_view tag) const
{
    return IsKnownTextTag(tag);
}

std::string CCanvasTextDrawer::PlainText(std::string_view text) const
{
    return EscapeCanvasText(text);
}

} // namespace engine

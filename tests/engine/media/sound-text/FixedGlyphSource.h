#pragma once
// A glyph source for tests: every glyph fills its whole cell (font height x
// advance) with one coverage value, so layout results do not depend on the
// installed fonts. It records the fonts asked for.

#include <vector>

#include "engine/media/IGlyphSource.h"

namespace test_support {

class CFixedGlyphSource final : public engine::IGlyphSource {
public:
    explicit CFixedGlyphSource(uint8_t coverage = 255, std::vector<engine::FontRequest>* fonts = nullptr)
        : m_coverage(coverage), m_fonts(fonts)
    {
    }
    bool SelectFont(const engine::FontRequest& font) override
    {
        m_height = font.height;
        if (m_fonts != nullptr)
            m_fonts->push_back(font);
        return true;
    }
    void DrawGlyph(char32_t, int32_t advance, const engine::GlyphCanvas& canvas) override
    {
        for (int32_t y = 0; y < m_height && y < engine::GlyphCanvas::SIZE; ++y)
            for (int32_t x = 0; x < advance && x < engine::GlyphCanvas::SIZE; ++x)
                canvas.Row(y)[x] = m_coverage;
    }

private:
    uint8_t m_coverage;
    int32_t m_height { 0 };
    std::vector<engine::FontRequest>* m_fonts;
};

} // namespace test_support

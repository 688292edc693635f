// Feeds arbitrary markup text (as a chat line from another player may carry)
// to the text renderer: layout must end, stay inside the target and never
// allocate by the sizes the text asks for.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/media/CTextRenderer.h"
#include "engine/media/TextTag.h"

namespace {

class CBoxGlyphSource final : public engine::IGlyphSource {
public:
    bool SelectFont(const engine::FontRequest& font) override
    {
        m_height = font.height;
        return true;
    }
    void DrawGlyph(char32_t, int32_t advance, const engine::GlyphCanvas& canvas) override
    {
        for (int32_t y = 0; y < m_height && y < engine::GlyphCanvas::SIZE; ++y)
            for (int32_t x = 0; x < advance && x < engine::GlyphCanvas::SIZE; ++x)
                canvas.Row(y)[x] = 200;
    }

private:
    int32_t m_height { 0 };
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int32_t width = data[0] % 97;
    const int32_t height = data[1] % 61;
    engine::TextStyle style;
    style.font_height = 1 + data[2] % 40;
    style.wrap = data[3] & 1;
    style.underline = (data[3] >> 1) & 1;
    style.left_margin = (data[3] >> 2) & 7;
    style.alpha = 200;
    const std::string_view text(reinterpret_cast<const char*>(data + 4), size - 4);

    engine::CTextRenderer renderer(std::make_unique<CBoxGlyphSource>());
    renderer.Init();
    renderer.SetStyle(style);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4, 0);
    renderer.DrawText(pixels, width, height, data[0] % 7 - 3, data[1] % 7 - 3, text);
    renderer.SetStyle(style);
    (void)renderer.MeasureText(width, text);
    std::string caption(text.substr(0, 64));
    engine::TextFitResult fit;
    (void)engine::IsKnownTextTag(text.substr(0, engine::TEXT_TAG_MAX_LENGTH));
    (void)renderer.FitTextToBox(width, height, caption, fit, data[2] % 5, data[3] % 5, data[0] % 3 ? 0 : 12);
    return 0;
}

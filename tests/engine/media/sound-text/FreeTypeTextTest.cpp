// The renderer with the installed fonts: a Chinese face name must reach a
// face that really has Chinese glyphs.
#include <gtest/gtest.h>

#include <vector>

#include "engine/media/CFreeTypeGlyphSource.h"
#include "engine/media/CTextRenderer.h"

using engine::CFreeTypeGlyphSource;
using engine::CTextRenderer;

TEST(FreeTypeText, ChineseFaceNamesMatchACjkFont)
{
    auto source = CFreeTypeGlyphSource::Create();
    ASSERT_NE(source, nullptr);
    for (const char* face : { "宋体", "黑体", "幼圆" })
        EXPECT_NE(source->MatchFontFile(face, 400, false).find("wqy"), std::string::npos) << face;
}

TEST(FreeTypeText, DrawsChineseTextInsideItsBox)
{
    auto source = CFreeTypeGlyphSource::Create();
    ASSERT_NE(source, nullptr);
    CTextRenderer renderer(std::move(source));
    ASSERT_TRUE(renderer.Init());
    engine::TextStyle style;
    style.SetFaceName("宋体");
    style.font_height = 24;
    style.weight = 400;
    style.color = 0x0000FF00;
    style.wrap = 1;
    style.alpha = 255;
    renderer.SetStyle(style);

    const int32_t width = 120;
    const int32_t height = 60;
    std::vector<uint8_t> pixels(size_t(width) * height * 4, 0);
    renderer.DrawText(pixels, width, height, 10, 10, "中文");

    int inside = 0;
    int outside = 0;
    int partial = 0;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t alpha = pixels[(size_t(y) * width + x) * 4 + 3];
            if (alpha == 0)
                continue;
            const bool in_box = x >= 10 && x < 58 && y >= 10 && y < 34;
            (in_box ? inside : outside) += 1;
            partial += alpha < 255 ? 1 : 0;
            EXPECT_EQ(pixels[(size_t(y) * width + x) * 4 + 1], 0xFF);
        }
    }
    EXPECT_GT(inside, 100);   // two real glyphs, not empty boxes
    EXPECT_EQ(outside, 0);
    EXPECT_GT(partial, 0);    // anti-aliased edges

    // Bold and italic still draw within the cells.
    std::fill(pixels.begin(), pixels.end(), 0);
    renderer.DrawText(pixels, width, height, 0, 0, "<bold;italic;underline>汉字 ab");
    int inked = 0;
    for (size_t i = 3; i < pixels.size(); i += 4)
        inked += pixels[i] != 0 ? 1 : 0;
    EXPECT_GT(inked, 100);
}

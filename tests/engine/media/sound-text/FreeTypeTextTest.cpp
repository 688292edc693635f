// The renderer with the installed fonts: a Chinese face name must reach a
// face that really has Chinese glyphs.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "engine/media/CFreeTypeGlyphSource.h"
#include "engine/media/CTextRenderer.h"

using engine::CFreeTypeGlyphSource;
using engine::CTextRenderer;

TEST(FreeTypeText, ChineseFaceNamesMatchACjkFont)
{
    auto source = CFreeTypeGlyphSource::Create();
    ASSERT_NE(source, nullptr);
    for (const char* face : { "宋体", "黑体", "幼圆" })
        EXPECT_NE(source->MatchFontFile(face, 400, false).path.find("wqy"), std::string::npos) << face;
}

namespace {

/// The renderer with the installed fonts, set to 宋体 of 24 pixels.
std::unique_ptr<CTextRenderer> MakeRenderer(uint32_t colour, int32_t wrap)
{
    auto source = CFreeTypeGlyphSource::Create();
    if (source == nullptr)
        return nullptr;
    auto renderer = std::make_unique<CTextRenderer>(std::move(source));
    if (!renderer->Init())
        return nullptr;
    engine::TextStyle style;
    style.SetFaceName("宋体");
    style.font_height = 24;
    style.weight = 400;
    style.color = colour;
    style.wrap = wrap;
    style.alpha = 255;
    renderer->SetStyle(style);
    return renderer;
}

} // namespace

TEST(FreeTypeText, DrawsChineseTextInsideItsBox)
{
    const auto made = MakeRenderer(0x0000FF00, 1);
    ASSERT_NE(made, nullptr);
    CTextRenderer& renderer = *made;

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

// One-byte characters take half-width cells: each letter stands in the middle
// of its cell, whatever its own width, so Latin text shows no gaps between
// narrow letters and wide ones are not cut at the cell's edge.
TEST(FreeTypeText, LatinLettersFillTheirHalfWidthCells)
{
    const auto made = MakeRenderer(0x00FFFFFF, 0);
    ASSERT_NE(made, nullptr);
    CTextRenderer& renderer = *made;
    const int32_t cell = 12;
    const int32_t width = 3 * cell;
    const int32_t height = 30;
    struct Letter {
        const char* text;
        int32_t least_ink; ///< columns inked at least
    };
    for (const Letter& letter : { Letter { "i", 1 }, Letter { "t", 3 }, Letter { "p", 5 }, Letter { "W", 9 },
                                  Letter { "m", 9 } }) {
        std::vector<uint8_t> pixels(size_t(width) * height * 4, 0);
        renderer.DrawText(pixels, width, height, cell, 0, letter.text);
        int32_t first = width;
        int32_t last = -1;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                if (pixels[(size_t(y) * width + x) * 4 + 3] > 64) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        ASSERT_GE(last, first) << letter.text;
        EXPECT_GE(first, cell) << letter.text;
        EXPECT_LT(last, 2 * cell) << letter.text;
        EXPECT_GE(last - first + 1, letter.least_ink) << letter.text;
        EXPECT_NEAR((first + last + 1) / 2.0, cell * 1.5, 1.5) << letter.text;
        EXPECT_EQ(renderer.MeasureText(width, letter.text), 24);
        EXPECT_EQ(renderer.GetWidestExtent(), cell) << letter.text;
    }
}

namespace {

/// The coverage FreeType itself renders for a character of a face at a pixel
/// height: what a glyph drawn whole puts into its cell.
int64_t FreeTypeInk(const CFreeTypeGlyphSource::FontFile& file, char32_t code_point, int32_t height)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    int64_t ink = -1;
    if (FT_Init_FreeType(&library) == 0 && FT_New_Face(library, file.path.c_str(), file.index, &face) == 0
        && FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(height)) == 0
        && FT_Load_Char(face, code_point, FT_LOAD_NO_BITMAP | FT_LOAD_RENDER) == 0) {
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        ink = 0;
        for (unsigned row = 0; row < bitmap.rows; ++row)
            for (unsigned column = 0; column < bitmap.width; ++column)
                ink += bitmap.buffer[static_cast<ptrdiff_t>(row) * bitmap.pitch + column];
    }
    if (face != nullptr)
        FT_Done_Face(face);
    if (library != nullptr)
        FT_Done_FreeType(library);
    return ink;
}

} // namespace

// A glyph keeps every row in its cell: ideographs rise above the baseline
// that the face's ascender and descender would give, Latin descenders and
// accents reach past the em; none of them may lose a row at the cell's top
// or bottom (the first line of a text box showed its tops cut).
TEST(FreeTypeText, GlyphsLieWholeInTheirCells)
{
    auto source = CFreeTypeGlyphSource::Create();
    ASSERT_NE(source, nullptr);
    const auto full_face = source->MatchFontFile("宋体", 400, false);
    const auto narrow_face = source->MatchFontFile("monospace", 400, false);
    struct Glyph {
        char32_t code_point;
        bool narrow; ///< a one-byte character's half-width cell
    };
    std::vector<uint8_t> pixels(size_t(engine::GlyphCanvas::SIZE) * engine::GlyphCanvas::SIZE);
    const engine::GlyphCanvas canvas { pixels };
    for (const int32_t height : { 12, 14, 16, 24 }) {
        engine::FontRequest font;
        font.height = height;
        font.face = "宋体";
        ASSERT_TRUE(source->SelectFont(font));
        for (const Glyph glyph : { Glyph { U'翻', false }, Glyph { U'牌', false }, Glyph { U'【', false },
                                   Glyph { U'ǎ', false }, Glyph { U'A', true }, Glyph { U'd', true },
                                   Glyph { U'j', true }, Glyph { U'g', true } }) {
            std::fill(pixels.begin(), pixels.end(), uint8_t { 0 });
            source->DrawGlyph(glyph.code_point, glyph.narrow ? (height + 1) / 2 : height, canvas);
            int64_t ink = 0;
            for (const uint8_t coverage : pixels)
                ink += coverage;
            // Raising a glyph by part of a pixel moves a little coverage.
            const int64_t whole = FreeTypeInk(glyph.narrow ? narrow_face : full_face, glyph.code_point, height);
            EXPECT_NEAR(ink, whole, whole / 100)
                << "U+" << std::hex << uint32_t(glyph.code_point) << std::dec << " at " << height;
        }
    }
}

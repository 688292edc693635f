// Layout, tags and blending of the markup text renderer, with a font whose
// glyphs fill their cells so results are exact.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FixedGlyphSource.h"
#include "engine/media/CTextRenderer.h"
#include "engine/media/TextTag.h"

using engine::CTextRenderer;
using engine::TextStyle;

namespace {

struct Target {
    int32_t width;
    int32_t height;
    std::vector<uint8_t> pixels;
    Target(int32_t w, int32_t h, uint8_t fill = 0) : width(w), height(h), pixels(size_t(w) * h * 4, fill) {}
    const uint8_t* At(int32_t x, int32_t y) const { return &pixels[(size_t(y) * width + x) * 4]; }
    bool Inked(int32_t x, int32_t y) const { return At(x, y)[3] != 0; }
    // Columns [x0, x1) of row y all inked / none inked.
    bool RowInked(int32_t y, int32_t x0, int32_t x1) const
    {
        for (int32_t x = x0; x < x1; ++x)
            if (!Inked(x, y))
                return false;
        return true;
    }
    bool RowBlank(int32_t y, int32_t x0, int32_t x1) const
    {
        for (int32_t x = x0; x < x1; ++x)
            if (Inked(x, y))
                return false;
        return true;
    }
};

class TextRendererTest : public ::testing::Test {
protected:
    void SetUp() override { MakeRenderer(255); }

    void MakeRenderer(uint8_t coverage)
    {
        m_fonts.clear();
        m_renderer = std::make_unique<CTextRenderer>(
            std::make_unique<test_support::CFixedGlyphSource>(coverage, &m_fonts));
        m_renderer->Init();
        TextStyle style;
        style.SetFaceName("Test");
        style.font_height = 20;
        style.weight = 400;
        style.color = 0x000000FF; // red
        style.wrap = 1;
        style.alpha = 255;
        m_renderer->SetStyle(style);
    }

    void Draw(Target& target, std::string_view text, int32_t x = 0, int32_t y = 0)
    {
        m_renderer->DrawText(target.pixels, target.width, target.height, x, y, text);
    }

    std::vector<engine::FontRequest> m_fonts;
    std::unique_ptr<CTextRenderer> m_renderer;
};

} // namespace

TEST(TextTag, SplitsPairsAndSkipsSeparators)
{
    const auto pairs = engine::SplitTextTag(" size=20;; color = 255;bold");
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[0].name, "size");
    EXPECT_EQ(pairs[0].value, "20");
    EXPECT_EQ(pairs[1].name, "color");
    EXPECT_EQ(pairs[1].value, "255");
    EXPECT_EQ(pairs[2].name, "bold");
    EXPECT_EQ(pairs[2].value, "");
    EXPECT_EQ(engine::TextTagScriptName("script:run(1)"), "script");
}

TEST(TextTag, CloseMustComeWithin256Characters)
{
    const std::string near = "<" + std::string(256, 'a') + ">";
    const std::string far = "<" + std::string(257, 'a') + ">";
    EXPECT_EQ(engine::FindTextTagEnd(near, 0), 257u);
    EXPECT_EQ(engine::FindTextTagEnd(far, 0), std::string_view::npos);
    EXPECT_EQ(engine::FindTextTagEnd(std::string_view("<ab\0>", 5), 0), std::string_view::npos);
}

TEST_F(TextRendererTest, MeasuresEmptyTextAsOneLineOfHeightOne)
{
    EXPECT_EQ(m_renderer->MeasureText(100, ""), 1);
    EXPECT_EQ(m_renderer->GetWidestExtent(), 0);
}

TEST_F(TextRendererTest, MeasuresSingleAndDoubleByteAdvances)
{
    EXPECT_EQ(m_renderer->MeasureText(200, "abc"), 20);
    EXPECT_EQ(m_renderer->GetWidestExtent(), 30); // three half widths
    EXPECT_EQ(m_renderer->MeasureText(200, "中文a"), 20);
    EXPECT_EQ(m_renderer->GetWidestExtent(), 50);
}

TEST_F(TextRendererTest, WrapsAtCharacterBoundariesOfGbkText)
{
    // 50 pixels hold two 20-pixel characters, never half of one.
    EXPECT_EQ(m_renderer->MeasureText(50, "中文字"), 40);
    EXPECT_EQ(m_renderer->GetWidestExtent(), 40);

    Target target(50, 60);
    Draw(target, "中文字");
    EXPECT_TRUE(target.RowInked(0, 0, 40));
    EXPECT_TRUE(target.RowBlank(0, 40, 50));
    EXPECT_TRUE(target.RowInked(20, 0, 20)); // third character on the second line
    EXPECT_TRUE(target.RowBlank(20, 20, 50));
    EXPECT_TRUE(target.RowBlank(40, 0, 50));
}

TEST_F(TextRendererTest, LayoutEndsInBoxesNarrowerThanOneCharacter)
{
    // These used to open empty lines without end.
    EXPECT_GE(m_renderer->MeasureText(5, "abc"), 1);
    EXPECT_GE(m_renderer->MeasureText(15, "中文"), 1);
    EXPECT_GE(m_renderer->MeasureText(0, "a\nb"), 1);
    TextStyle style = m_renderer->GetStyle();
    style.left_margin = 30;
    style.right_margin = 30;
    m_renderer->SetStyle(style);
    EXPECT_GE(m_renderer->MeasureText(70, "abcdef"), 1);
    Target target(5, 100);
    Draw(target, "abcdef");
    EXPECT_GE(m_renderer->MeasureText(50, "<break>a<break>b<rightmargin=100>cc"), 1);
}

TEST_F(TextRendererTest, WithoutWrapTextIsCutAtFirstCharacterThatDoesNotFit)
{
    TextStyle style = m_renderer->GetStyle();
    style.wrap = 0;
    m_renderer->SetStyle(style);
    Target target(25, 40);
    Draw(target, "abcd");
    EXPECT_TRUE(target.RowInked(10, 0, 20));
    EXPECT_TRUE(target.RowBlank(10, 20, 25));
    EXPECT_TRUE(target.RowBlank(30, 0, 25));
}

TEST_F(TextRendererTest, LineWithMixedSizesStandsOnOneBottomLine)
{
    Target target(100, 40);
    Draw(target, "<size=24>a<size=12>b");
    // 'a' (12 wide) fills rows 0..23, 'b' (6 wide) rows 12..23.
    EXPECT_TRUE(target.RowInked(0, 0, 12));
    EXPECT_TRUE(target.RowBlank(0, 12, 18));
    EXPECT_TRUE(target.RowInked(12, 0, 18));
    EXPECT_TRUE(target.RowInked(23, 0, 18));
    EXPECT_TRUE(target.RowBlank(24, 0, 18));
    EXPECT_EQ(m_renderer->MeasureText(100, "<size=24>a<size=12>b"), 24);
}

TEST_F(TextRendererTest, TagsApplyPairsInOrderUntilOneIsUnknown)
{
    Target target(200, 40);
    Draw(target, "<bold>");
    EXPECT_EQ(m_renderer->GetStyle().weight, 700);

    Draw(target, "<size=16;color=255>");
    EXPECT_EQ(m_renderer->GetStyle().font_height, 16);
    EXPECT_EQ(m_renderer->GetStyle().color, 255u);

    m_renderer->SetColor(7);
    Draw(target, "<SIZE=18;foo=1;color=255>");
    EXPECT_EQ(m_renderer->GetStyle().font_height, 18);
    EXPECT_EQ(m_renderer->GetStyle().color, 7u);
    EXPECT_TRUE(target.RowBlank(5, 0, 200)); // consumed, so nothing drawn

    // Opaque colours are written unsigned or signed; both mean the same word.
    Draw(target, "<color=4278190335>");
    EXPECT_EQ(m_renderer->GetStyle().color, 0xFF0000FFu);
    Draw(target, "<c=-16776961>");
    EXPECT_EQ(m_renderer->GetStyle().color, 0xFF0000FFu);
    Draw(target, "<color=99999999999>");
    EXPECT_EQ(m_renderer->GetStyle().color, 0u);

    EXPECT_EQ(m_renderer->MeasureText(200, "<rgb=1,2>"), 18);
    EXPECT_EQ(m_renderer->GetWidestExtent(), 9 * 9); // not applied: drawn as text
}

TEST_F(TextRendererTest, UnknownOrUnclosedTagsAreDrawnAsText)
{
    EXPECT_EQ(m_renderer->MeasureText(500, "<foo>"), 20);
    EXPECT_EQ(m_renderer->GetWidestExtent(), 50);
    const std::string unclosed = "<" + std::string(257, 'a') + ">";
    (void)m_renderer->MeasureText(100000, unclosed);
    EXPECT_EQ(m_renderer->GetWidestExtent(), 259 * 10);
    (void)m_renderer->MeasureText(500, "a<>b");
    EXPECT_EQ(m_renderer->GetWidestExtent(), 40);
}

TEST_F(TextRendererTest, RestoringTagsReturnToTheStyleAtTheStartOfTheCall)
{
    Target target(300, 40);
    Draw(target, "<size=30;bold;pitch=3;rowspace=4>x</size;/bold;/pitch;/rowspace>");
    EXPECT_EQ(m_renderer->GetStyle().font_height, 20);
    EXPECT_EQ(m_renderer->GetStyle().weight, 400);
    EXPECT_EQ(m_renderer->GetStyle().letter_spacing, 0);
    EXPECT_EQ(m_renderer->GetStyle().row_space, 0);
}

TEST_F(TextRendererTest, ScriptTagsAreKeptOnceAndDrawNothing)
{
    Target target(200, 40);
    Draw(target, "a<Script:Go(1)>b");
    ASSERT_EQ(m_renderer->GetScripts().size(), 1u);
    EXPECT_EQ(m_renderer->GetScripts()[0], "script:go(1)");
    EXPECT_EQ(m_renderer->GetScriptIndex(), 0);
    EXPECT_TRUE(target.RowInked(5, 0, 20));
    EXPECT_TRUE(target.RowBlank(5, 20, 200));
    m_renderer->ResetScripts();
    EXPECT_EQ(m_renderer->GetScriptIndex(), -1);
}

TEST_F(TextRendererTest, HugeSizesAndSpacingsAreClamped)
{
    EXPECT_EQ(m_renderer->MeasureText(100, "abc"), 20);
    m_renderer->SetFontHeight(400);
    EXPECT_EQ(m_renderer->GetStyle().font_height, 300);
    Target target(100, 100);
    Draw(target, "abc");
    EXPECT_TRUE(target.RowBlank(50, 0, 100));
    // Nothing laid out, so nothing measured (not the last call's height).
    EXPECT_EQ(m_renderer->MeasureText(100, "abc"), 0);
    EXPECT_EQ(m_renderer->GetWidestExtent(), 0);

    m_renderer->SetFontHeight(20);
    EXPECT_GE(m_renderer->MeasureText(100, "<pitch=2147483647>abc<rowspace=-2147483647>\nx<leftmargin=99999999>y"),
              -1);
    Draw(target, "<size=99999999>abc");
    ASSERT_FALSE(m_fonts.empty());
    EXPECT_EQ(m_fonts.back().height, 20); // 300 did not fit; the call's style came back
    for (const auto& font : m_fonts)
        EXPECT_LE(font.height, 300);
}

TEST_F(TextRendererTest, BlendsOverOpaquePixelsAndWritesCoverageOverTransparentOnes)
{
    MakeRenderer(128);
    Target clear(20, 20);
    Draw(clear, "a");
    const uint8_t* pixel = clear.At(1, 1);
    EXPECT_EQ(pixel[2], 255); // red of the text colour
    EXPECT_EQ(pixel[1], 0);
    EXPECT_EQ(pixel[3], 128);

    Target opaque(20, 20, 255); // white, opaque
    Draw(opaque, "a");
    pixel = opaque.At(1, 1);
    EXPECT_EQ(pixel[2], (255 * 128 + 255 * 127) >> 8);
    EXPECT_EQ(pixel[0], (0 * 128 + 255 * 127) >> 8);
    EXPECT_EQ(pixel[3], 255);

    TextStyle style = m_renderer->GetStyle();
    style.alpha = 128;
    m_renderer->SetStyle(style);
    Target faded(20, 20);
    Draw(faded, "a");
    EXPECT_EQ(faded.At(1, 1)[3], 128 * 128 >> 8);
}

TEST_F(TextRendererTest, NeverDrawsOutsideTheTargetOrTheBuffer)
{
    Target target(30, 10);
    Draw(target, "中文中文", -15, -5);
    EXPECT_TRUE(target.Inked(0, 0));
    // A buffer smaller than width x height claims is clipped to its rows.
    std::vector<uint8_t> small(30 * 4 * 3, 0);
    m_renderer->DrawText(small, 30, 100, 0, 0, "abcdef");
    EXPECT_NE(small[3], 0);                // the rows it has are drawn (alpha of the first pixel)
    EXPECT_NE(small[(2 * 30) * 4 + 3], 0); // down to its last row
}

TEST_F(TextRendererTest, NewlinesAndBreakTagsStartNewLines)
{
    EXPECT_EQ(m_renderer->MeasureText(200, "ab\ncd"), 40);
    EXPECT_EQ(m_renderer->MeasureText(200, "ab<break>cd"), 40);
    TextStyle style = m_renderer->GetStyle();
    style.row_space = 5;
    m_renderer->SetStyle(style);
    EXPECT_EQ(m_renderer->MeasureText(200, "ab\ncd"), 45);
}

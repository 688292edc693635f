#include <gtest/gtest.h>

#include "engine/core/CanvasObject.h"
#include "engine/core/pictures/PictureTestSupport.h"

using namespace engine;
using picturetest::MakeStrip;
using picturetest::RefTo;

namespace {

struct BlitCall {
    int32_t source_x, source_y, source_width, source_height;
    DrawParams params;
    uint32_t record_frames;
    uint8_t first_blue;
};

// Copies the source rectangle unscaled to the top-left of the drawn box.
class CFakeBlitter : public ICanvasBlitter {
public:
    void Blit(uint32_t* pixels, int32_t width, int32_t height, DrawParams& params, const ImageRecord& image,
              int32_t sx, int32_t sy, int32_t sw, int32_t sh, double, uint32_t) override
    {
        const uint8_t* first = image.pixels.get() + (size_t(sy) * image.width * std::max(image.frames_per_row, 1u) + sx) * 4;
        calls->push_back({ sx, sy, sw, sh, params, image.frames, first[0] });
        const int32_t left = params.centre_x - (params.width + 1) / 2;
        const int32_t top = params.centre_y - (params.height + 1) / 2;
        for (int32_t y = 0; y < std::min(sh, params.height); ++y)
            for (int32_t x = 0; x < std::min(sw, params.width); ++x)
                if (left + x >= 0 && top + y >= 0 && left + x < width && top + y < height)
                    std::memcpy(&pixels[(top + y) * width + left + x],
                                image.pixels.get() + ((sy + y) * image.width + sx + x) * 4, 4);
    }
    std::unique_ptr<uint32_t[]> ScaleNearest(const uint32_t*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                             int32_t, int32_t) override
    {
        ++scale_calls;
        return nullptr; // the canvas falls back to its own scaling
    }
    std::vector<BlitCall>* calls;
    int scale_calls { 0 };
};

struct TextCall {
    int32_t x, y;
    std::string text;
    int32_t font_height;
};

class CFakeTextDrawer : public ICanvasTextDrawer {
public:
    void DrawText(const CanvasTextStyle& style, std::span<uint8_t> pixels, int32_t width, int32_t height, int32_t x,
                  int32_t y, std::string_view text) override
    {
        EXPECT_EQ(pixels.size(), size_t(width) * height * 4);
        calls->push_back({ x, y, std::string(text), style.font_height });
    }
    std::string PlainText(std::string_view text) const override { return "plain:" + std::string(text); }
    int32_t MeasureText(const CanvasTextStyle& style, int32_t, std::string_view text) override
    {
        return style.font_height * int32_t(1 + text.size() / 10);
    }
    std::pair<int32_t, int32_t> FitText(const CanvasTextStyle&, int32_t, int32_t, std::string& text) override
    {
        text = "fit";
        return { 1, 2 };
    }
    bool IsKnownTag(std::string_view tag) const override { return tag == "b" || tag == "color=255"; }
    std::vector<TextCall>* calls;
};

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto blitter = std::make_unique<CFakeBlitter>();
        blitter->calls = &m_blits;
        m_blitter = blitter.get();
        CCanvasServices::InstallBlitter(std::move(blitter));
        auto drawer = std::make_unique<CFakeTextDrawer>();
        drawer->calls = &m_texts;
        CCanvasServices::InstallTextDrawer(std::move(drawer));
    }
    void TearDown() override { CCanvasServices::Reset(); }

    // Every pixel's alpha byte, as a row-by-row string of '#' (255), '.' (0).
    static std::string AlphaMap(CCanvasObject& canvas)
    {
        std::string map;
        for (int32_t y = 0; y < canvas.GetCanvasHeight(); ++y) {
            for (int32_t x = 0; x < canvas.GetCanvasWidth(); ++x)
                map += canvas.GetAlphaAt(x, y) == 255 ? '#' : canvas.GetAlphaAt(x, y) == 0 ? '.' : '?';
            map += '\n';
        }
        return map;
    }

    std::vector<BlitCall> m_blits;
    std::vector<TextCall> m_texts;
    CFakeBlitter* m_blitter { nullptr };
};

} // namespace

TEST_F(CanvasTest, CreatesTransparentOrFilledPixelsInStoredOrder)
{
    CCanvasObject canvas;
    ASSERT_EQ(canvas.Create(3, 2, COLOUR_NONE, 9), 1);
    EXPECT_EQ(canvas.GetWidth(), 3.0);
    EXPECT_EQ(canvas.GetTextStyle().font_height, 1);
    EXPECT_EQ(canvas.GetCreateValue(), 9);
    for (uint8_t byte : canvas.GetPixels())
        EXPECT_EQ(byte, 0);
    EXPECT_EQ(canvas.GetRecord().flags & ~IMAGE_FLAG_CHANGED, 9u);
    EXPECT_EQ(canvas.GetImageRef().record, &canvas.GetRecord());

    CCanvasObject filled;
    ASSERT_EQ(filled.Create(2, 2, 0x00332211, 0), 1);
    const auto pixels = filled.GetPixels();
    EXPECT_EQ(pixels[0], 0x33); // blue
    EXPECT_EQ(pixels[1], 0x22);
    EXPECT_EQ(pixels[2], 0x11); // red
    EXPECT_EQ(pixels[3], 0xFF);
    EXPECT_EQ(filled.GetColourAt(1, 1), 0x00332211u);
    EXPECT_EQ(CCanvasObject::MakePixel(0xFF00FF, 0xFF00FF) >> 24, 0u);
}

TEST_F(CanvasTest, RefusesSizesItCannotHold)
{
    CCanvasObject canvas;
    EXPECT_EQ(canvas.Create(0, 5, 0, 0), 0);
    EXPECT_EQ(canvas.Create(70000, 1, 0, 0), 0);
    EXPECT_EQ(canvas.Create(60000, 60000, 0, 0), 0);
    EXPECT_TRUE(canvas.GetPixels().empty());
    // Drawing on a canvas that was never made does nothing.
    canvas.FillRect(0, 0, 10, 10);
    canvas.DrawLine(0, 0, 5, 3);
    canvas.DrawRect(0, 0, 5, 5, CCanvasObject::Fill::Solid);
    canvas.Resize(4, 4);
    EXPECT_TRUE(canvas.GetPixels().empty());
}

TEST_F(CanvasTest, EveryWriteIsClippedAtAllFourEdges)
{
    CCanvasObject canvas;
    ASSERT_EQ(canvas.Create(5, 4, COLOUR_NONE, 0), 1);
    canvas.SetBackgroundColour(0x000000FF);
    canvas.FillRect(-100, -100, 100, 100);
    EXPECT_EQ(AlphaMap(canvas), "#####\n#####\n#####\n#####\n");
    canvas.SetBackgroundColour(COLOUR_NONE);
    canvas.Clear();

    canvas.SetBackgroundColour(0x000000FF);
    canvas.FillRect(3, -2, 9, 2);
    canvas.SetBackgroundColour(COLOUR_NONE);
    EXPECT_EQ(AlphaMap(canvas), "...##\n...##\n.....\n.....\n");
    canvas.Clear();

    // Rectangles wholly outside, on each side, draw nothing.
    canvas.DrawRect(-9, 0, -2, 3, CCanvasObject::Fill::Solid);
    canvas.DrawRect(6, 0, 40, 3, CCanvasObject::Fill::Solid);
    canvas.DrawRect(0, -9, 4, -1, CCanvasObject::Fill::Solid);
    canvas.DrawRect(0, 5, 4, 90, CCanvasObject::Fill::Solid);
    canvas.DrawDottedRect(0, 5, 4, 90);
    canvas.InvertRect(-7, -7, -1, -1);
    EXPECT_EQ(AlphaMap(canvas), ".....\n.....\n.....\n.....\n");

    // Straddling rectangles are cut to the canvas (far edge = size - 1).
    canvas.DrawRect(-3, -3, 2, 9, CCanvasObject::Fill::Outline);
    EXPECT_EQ(AlphaMap(canvas), "###..\n#.#..\n#.#..\n###..\n");
    canvas.Clear();

    // Lines leaving the canvas on every side.
    canvas.DrawLine(-10, 1, 20, 1);
    canvas.DrawLine(2, -10, 2, 20);
    canvas.DrawLine(-3, -3, 12, 12);
    canvas.DrawLine(12, -1, -4, 7);
    canvas.DrawLine(INT32_MIN, INT32_MIN + 1, INT32_MAX, INT32_MAX);
    canvas.DrawBorder(0x00FF0000, 1000);
    canvas.DrawDottedBorder(0x0000FF00);
    canvas.SetPixel(-1, 0, 0);
    canvas.SetPixel(5, 0, 0);
    canvas.SetPixelAlpha(0, 4, 7);
    canvas.SetPixelAlpha(0, -1, 7);
    EXPECT_EQ(AlphaMap(canvas), "#####\n#####\n#####\n#####\n");
}

TEST_F(CanvasTest, LinesFollowTheirRules)
{
    CCanvasObject canvas;
    ASSERT_EQ(canvas.Create(6, 4, COLOUR_NONE, 0), 1);
    canvas.SetTextColour(0x0000FF, 255);
    // A straight line covers both ends and is left unmarked.
    canvas.GetFrameImage().ClearChanged();
    canvas.DrawLine(4, 1, 1, 1);
    EXPECT_EQ(AlphaMap(canvas), "......\n.####.\n......\n......\n");
    EXPECT_EQ(canvas.GetRecord().flags & IMAGE_FLAG_CHANGED, 0u);
    EXPECT_EQ(canvas.GetColourAt(2, 1), 0x0000FFu);
    // So is a single pixel; a pixel's alpha is a change the paint module sees.
    canvas.SetPixel(0, 0, 0x00FF00);
    EXPECT_EQ(canvas.GetRecord().flags & IMAGE_FLAG_CHANGED, 0u);
    canvas.SetPixelAlpha(0, 0, 128);
    EXPECT_NE(canvas.GetRecord().flags & IMAGE_FLAG_CHANGED, 0u);
    canvas.Clear();
    // A slanted one steps along x from the smaller end, the far end excluded.
    canvas.DrawLine(5, 3, 0, 0);
    EXPECT_EQ(AlphaMap(canvas), "#.....\n.##...\n...##.\n......\n");
    EXPECT_NE(canvas.GetRecord().flags & IMAGE_FLAG_CHANGED, 0u);
    // A steep one steps along y, whichever end it is given first.
    const std::string steep = ".#....\n.#....\n..#...\n..#...\n";
    canvas.Clear();
    canvas.DrawLine(1, 0, 3, 5);
    EXPECT_EQ(AlphaMap(canvas), steep);
    canvas.Clear();
    canvas.DrawLine(3, 5, 1, 0);
    EXPECT_EQ(AlphaMap(canvas), steep);
}

TEST_F(CanvasTest, RectanglesOutlinesAndInversion)
{
    CCanvasObject canvas;
    ASSERT_EQ(canvas.Create(5, 5, COLOUR_NONE, 0), 1);
    canvas.SetTextColour(0x00102030, 255);
    canvas.DrawRect(3, 3, 1, 1, CCanvasObject::Fill::Outline);
    EXPECT_EQ(AlphaMap(canvas), ".....\n.###.\n.#.#.\n.###.\n.....\n");
    // Equal edges draw nothing.
    canvas.Clear();
    canvas.DrawRect(2, 0, 2, 4, CCanvasObject::Fill::Solid);
    EXPECT_EQ(AlphaMap(canvas), ".....\n.....\n.....\n.....\n.....\n");
    canvas.DrawRect(0, 0, 1, 1, CCanvasObject::Fill::Solid);
    canvas.InvertRect(0, 0, 4, 4);
    EXPECT_EQ(canvas.GetColourAt(0, 0), 0x00EFDFCFu);
    EXPECT_EQ(canvas.GetAlphaAt(4, 4), 0u); // transparent pixels stay as they are
    canvas.Clear();
    canvas.DrawDottedRect(0, 0, 4, 2);
    EXPECT_EQ(AlphaMap(canvas), "#.#.#\n.....\n#.#.#\n.....\n.....\n");
    canvas.Clear();
    canvas.DrawDottedBorder(0x00FF0000);
    EXPECT_EQ(AlphaMap(canvas), "#.#.#\n.....\n#...#\n.....\n#.#.#\n");
    EXPECT_EQ(canvas.GetColourAt(4, 4), 0x00FF0000u);
}

TEST_F(CanvasTest, FiltersColourKeyTintMaskAndDarken)
{
    CCanvasObject canvas;
    ASSERT_EQ(canvas.Create(2, 2, 0x00808080, 0), 1);
    canvas.SetPixel(0, 0, 0xFF00FF); // the key colour: made with alpha 0
    canvas.SetPixelAlpha(0, 0, 255);
    canvas.ApplyColourKey();
    EXPECT_EQ(canvas.GetAlphaAt(0, 0), 0u);
    EXPECT_EQ(canvas.GetAlphaAt(1, 1), 255u);

    canvas.Tint(0x000000FF, 128); // toward red
    EXPECT_EQ(canvas.GetColourAt(1, 1), uint32_t((0x80 * 127 + 0xFF * 128) >> 8) | uint32_t((0x80 * 127) >> 8) << 8
                                            | uint32_t((0x80 * 127) >> 8) << 16);
    EXPECT_EQ(canvas.GetColourAt(0, 0), 0xFF00FFu); // alpha 0: untouched

    canvas.Darken();
    EXPECT_EQ(canvas.GetColourAt(1, 1) & 0xFF, uint32_t((0x80 * 127 + 0xFF * 128) >> 8) / 2);

    auto mask = MakeStrip(2, 2, 1);
    mask->pixels[3] = 0; // (0, 0)
    mask->pixels[(1 * 2 + 0) * 4 + 3] = 0; // (0, 1)
    canvas.MaskByImage(RefTo(*mask));
    EXPECT_EQ(canvas.GetAlphaAt(0, 1), 0u);
    EXPECT_EQ(canvas.GetAlphaAt(1, 0), 255u);
    // An image of another size masks nothing.
    auto other = MakeStrip(3, 2, 1);
    other->pixels[4 * 4 + 3] = 0;
    canvas.MaskByImage(RefTo(*other));
    EXPECT_EQ(canvas.GetAlphaAt(1, 1), 255u);
}

TEST_F(CanvasTest, DrawsStripFramesInPlaceAndGridFramesThroughACut)
{
    CCanvasObject canvas;
    ASSERT_EQ(canvas.Create(8, 6, COLOUR_NONE, 0), 1);
    auto strip = MakeStrip(4, 3, 3);
    ImageRef ref = RefTo(*strip);
    ref.frame = 5; // modulo 3: frame 2
    canvas.DrawImage(ref, 1, 1, -1, -1, 0.0, 1.0);
    ASSERT_EQ(m_blits.size(), 1u);
    EXPECT_EQ(m_blits[0].source_y, 2 * 3);
    EXPECT_EQ(m_blits[0].first_blue, 2);
    EXPECT_EQ(m_blits[0].params.width, 4);
    EXPECT_EQ(m_blits[0].params.centre_x, 1 + 5 / 2);
    EXPECT_EQ(m_blits[0].params.centre_y, 1 + 4 / 2);

    auto grid = MakeStrip(4, 3, 4, 2);
    ImageRef cell = RefTo(*grid);
    cell.frame = 3;
    canvas.DrawImage(cell, 0, 0, 0, 0, 0.0, 1.0);
    ASSERT_EQ(m_blits.size(), 2u);
    EXPECT_EQ(m_blits[1].record_frames, 1u); // a one-frame copy
    EXPECT_EQ(m_blits[1].source_y, 0);
    EXPECT_EQ(m_blits[1].first_blue, 3);
    EXPECT_EQ(m_blits[1].params.width, 8); // 0 means the canvas's size

    // Without a record nothing is drawn.
    canvas.DrawImage(ImageRef {}, 0, 0, 0, 0, 0.0, 1.0);
    EXPECT_EQ(m_blits.size(), 2u);
}

TEST_F(CanvasTest, ThreeSliceStretchesTheMiddleOrFallsBackToHalves)
{
    auto top = MakeStrip(4, 2, 1);
    auto middle = MakeStrip(4, 1, 1);
    auto bottom = MakeStrip(4, 3, 1);
    CCanvasObject tall;
    ASSERT_EQ(tall.Create(4, 20, COLOUR_NONE, 0), 1);
    tall.DrawThreeSlice(RefTo(*top), RefTo(*middle), RefTo(*bottom));
    ASSERT_EQ(m_blits.size(), 3u);
    EXPECT_EQ(m_blits[0].params.height, 2);
    EXPECT_EQ(m_blits[1].params.height, 15);
    EXPECT_EQ(m_blits[2].params.height, 3);
    EXPECT_EQ(m_blits[2].params.centre_y, 17 + 2);

    m_blits.clear();
    CCanvasObject flat;
    ASSERT_EQ(flat.Create(4, 5, COLOUR_NONE, 0), 1);
    flat.DrawThreeSlice(RefTo(*top), RefTo(*middle), RefTo(*bottom));
    ASSERT_EQ(m_blits.size(), 2u);
    EXPECT_EQ(m_blits[0].params.height, 2);
    EXPECT_EQ(m_blits[1].params.height, 3);

    // One picture cut at rows 1 and 2 (its record's two offsets).
    m_blits.clear();
    auto sliced = MakeStrip(4, 4, 1);
    sliced->offset_x = 1;
    sliced->offset_y = 2;
    tall.DrawSliced(RefTo(*sliced), CCanvasObject::SliceAxis::Vertical);
    ASSERT_EQ(m_blits.size(), 3u);
    EXPECT_EQ(m_blits[1].source_y, 1);
    EXPECT_EQ(m_blits[1].source_height, 1);
    EXPECT_EQ(m_blits[1].params.height, 17);
    EXPECT_EQ(m_blits[2].source_y, 2);
    EXPECT_EQ(m_blits[2].source_height, 2);

    // The horizontal form cuts columns at the same two offsets.
    m_blits.clear();
    sliced->offset_y = 3;
    CCanvasObject wide;
    ASSERT_EQ(wide.Create(20, 4, COLOUR_NONE, 0), 1);
    wide.DrawSliced(RefTo(*sliced), CCanvasObject::SliceAxis::Horizontal);
    ASSERT_EQ(m_blits.size(), 3u);
    EXPECT_EQ(m_blits[0].source_width, 1);
    EXPECT_EQ(m_blits[0].params.width, 1);
    EXPECT_EQ(m_blits[1].source_x, 1);
    EXPECT_EQ(m_blits[1].source_width, 2);
    EXPECT_EQ(m_blits[1].params.width, 18);
    EXPECT_EQ(m_blits[1].params.height, 4);
    EXPECT_EQ(m_blits[2].source_x, 3);
    EXPECT_EQ(m_blits[2].params.centre_x, 19 + 1);
    // Too narrow for both ends: each takes half.
    m_blits.clear();
    CCanvasObject narrow;
    ASSERT_EQ(narrow.Create(2, 4, COLOUR_NONE, 0), 1);
    narrow.DrawSliced(RefTo(*sliced), CCanvasObject::SliceAxis::Horizontal);
    ASSERT_EQ(m_blits.size(), 2u);
    EXPECT_EQ(m_blits[0].source_x, 0);
    EXPECT_EQ(m_blits[1].source_x, 3);
    EXPECT_EQ(m_blits[1].params.width, 1);
}

TEST_F(CanvasTest, ResizeScalesByTheNearestPixel)
{
    CCanvasObject canvas;
    ASSERT_EQ(canvas.Create(2, 2, COLOUR_NONE, 0), 1);
    canvas.SetPixel(1, 0, 0x0000FF);
    canvas.Resize(4, 4);
    EXPECT_EQ(m_blitter->scale_calls, 1);
    EXPECT_EQ(canvas.GetCanvasWidth(), 4);
    EXPECT_EQ(canvas.GetRecord().width, 4);
    EXPECT_EQ(canvas.GetImageRef().width, 4);
    EXPECT_EQ(AlphaMap(canvas), "..##\n..##\n....\n....\n");
    canvas.Resize(0, 3);
    canvas.Resize(3, -1);
    EXPECT_EQ(canvas.GetCanvasWidth(), 4);
    // The text measurer decides the height.
    canvas.SetFont(6, 400, "face");
    canvas.ResizeToText("0123456789ab", 10);
    EXPECT_EQ(canvas.GetCanvasHeight(), 12);
}

TEST_F(CanvasTest, CentredTextCountsHalfWidthsAndFullWidths)
{
    CCanvasObject canvas;
    ASSERT_EQ(canvas.Create(100, 40, COLOUR_NONE, 0), 1);
    canvas.SetFont(12, 400, "face");
    canvas.SetSpacing(1, -1);
    // "a" = 6 + 1 = 7; "中" = 12 + 2 = 14: width 21.
    canvas.DrawCentredText(50, 20, "a\xD6\xD0");
    ASSERT_EQ(m_texts.size(), 1u);
    EXPECT_EQ(m_texts[0].x, 50 - 21 / 2);
    EXPECT_EQ(m_texts[0].y, 20 - 6);
    EXPECT_EQ(m_texts[0].font_height, 12);
    std::string text = "long";
    EXPECT_EQ(canvas.FitText(text), std::make_pair(1, 2));
    EXPECT_EQ(text, "fit");
}

TEST_F(CanvasTest, MarkupWrapsSkipsKnownTagsAndCutsTheLastLine)
{
    CCanvasObject canvas;
    ASSERT_EQ(canvas.Create(20, 30, COLOUR_NONE, 0), 1);
    canvas.SetFont(4, 400, "face"); // one byte = 2 wide: ten bytes a line
    canvas.SetSpacing(0, 0);
    const std::string rest = "rstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ!@#$%^&*()";
    canvas.DrawMarkup("<b>abcdefghij<x>klmnopq" + rest, 0);
    ASSERT_GE(m_texts.size(), 2u);
    EXPECT_EQ(m_texts[0].text, "<b>abcdefghij");
    EXPECT_EQ(m_texts[1].text, "<x>klmnopq"); // an unknown tag takes room
    // Lines at centres 2, 6, ..., 26: the seventh (26 > 30 - 8) is the last
    // that fits while text remains, and ends in "...".
    ASSERT_EQ(m_texts.size(), 7u);
    EXPECT_EQ(m_texts[6].text, rest.substr(40, 7) + "...");
    EXPECT_EQ(m_texts[6].y, 26 - 2);
}

TEST_F(CanvasTest, TheShortCutStaysInsideTheLine)
{
    CCanvasObject canvas;
    // Two bytes a line (width 4, one byte 2 wide), room for two lines.
    ASSERT_EQ(canvas.Create(4, 12, COLOUR_NONE, 0), 1);
    canvas.SetFont(4, 400, "face");
    canvas.SetSpacing(0, 0);
    canvas.DrawMarkup("abcdefgh", 0);
    ASSERT_EQ(m_texts.size(), 2u);
    EXPECT_EQ(m_texts[0].text, "ab");
    EXPECT_EQ(m_texts[1].text, "...");

    // A two-byte character at the end of the cut line: ".." in its place.
    m_texts.clear();
    CCanvasObject wide;
    ASSERT_EQ(wide.Create(8, 12, COLOUR_NONE, 0), 1);
    wide.SetFont(4, 400, "face");
    wide.SetSpacing(0, 0);
    wide.DrawMarkup("\xD6\xD0\xD6\xD0" "ab" "\xD6\xD0\xD6\xD0\xD6\xD0", 0);
    ASSERT_EQ(m_texts.size(), 2u);
    EXPECT_EQ(m_texts[0].text, "\xD6\xD0\xD6\xD0");
    EXPECT_EQ(m_texts[1].text, "ab..");
}

TEST(CanvasTextStyleTest, FaceNamesAreCutWholeAndAlwaysTerminated)
{
    const std::string long_ascii(40, 'f');
    // 15 two-byte characters and a lead byte at offset 30: the cut may not split it.
    std::string long_gbk;
    for (int i = 0; i < 16; ++i)
        long_gbk += "\xD6\xD0";
    struct Case {
        std::string_view name;
        std::string expected;
    } const cases[] = {
        { std::string_view {}, "" }, // an empty view with no data at all
        { "", "" },
        { "Song", "Song" },
        { long_ascii, long_ascii.substr(0, 31) },
        { long_gbk, long_gbk.substr(0, 30) },
    };
    for (const Case& c : cases) {
        CanvasTextStyle style;
        style.face_name.fill('x');
        style.SetFaceName(c.name);
        EXPECT_EQ(style.GetFaceName(), c.expected);
        EXPECT_EQ(style.face_name.back(), '\0');
    }
}

namespace {

// Records which image records it is told to let go of, and whether their
// pixels were still there to let go of.
class CFreeRecordingPaint : public EngineModule {
public:
    int Load() override { return 1; }
    void Unload() override {}
    void Update() override { DispatchQueued(); }
    int32_t GetId() const override { return VELOTRIX_MODULE_PAINT; }
    const char* GetName() const override { return "PaintModule"; }
    int32_t OnMessage(int32_t id, uintptr_t param1, uintptr_t) override
    {
        if (id == VELOTRIX_MSG_FREE_IMAGE) {
            const auto* record = reinterpret_cast<const ImageRecord*>(param1);
            freed.push_back(record);
            had_pixels.push_back(record->pixels != nullptr);
        }
        return 0;
    }
    std::vector<const ImageRecord*> freed;
    std::vector<bool> had_pixels;
};

} // namespace

TEST(CanvasOwnership, FreesItsPixelsAndTellsThePaintModule)
{
    enginetest::EngineFixture engine(false);
    auto paint = std::make_unique<CFreeRecordingPaint>();
    CFreeRecordingPaint* told = paint.get();
    (void)engine.m_core.LoadModule(std::move(paint), true, true);
    auto canvas = std::make_unique<CCanvasObject>();
    CCanvasObject* raw = canvas.get();
    engine.m_objects->AddObject(std::move(canvas), nullptr);
    ASSERT_EQ(raw->Create(16, 16, 0x00123456, 0), 1);
    const ImageRecord* record = &raw->GetRecord();
    engine.m_objects->DestroyObject(raw->GetId());
    // Told at once, while the record still held its pixels.
    ASSERT_EQ(told->freed.size(), 1u);
    EXPECT_EQ(told->freed[0], record);
    EXPECT_TRUE(told->had_pixels[0]);
    // Without a paint module the canvas frees its buffer itself (ASan
    // reports a leak otherwise).
    enginetest::EngineFixture bare(false);
    auto lone = std::make_unique<CCanvasObject>();
    CCanvasObject* lone_raw = lone.get();
    bare.m_objects->AddObject(std::move(lone), nullptr);
    ASSERT_EQ(lone_raw->Create(16, 16, 0, 0), 1);
    const uint32_t lone_id = lone_raw->GetId();
    bare.m_objects->DestroyObject(lone_id);
    EXPECT_EQ(bare.m_objects->FindObject(lone_id), nullptr);
}

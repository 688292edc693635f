#include "engine/media/Blitter.h"
#include "engine/media/BlitterDetail.h"

#include "ImageTestSupport.h"

#include <gtest/gtest.h>

using namespace engine;
using imagetest::MakeBgra;
using imagetest::MakePalette;

namespace {

// A destination of the given size, filled with one pixel value.
struct Canvas {
    Canvas(int32_t w, int32_t h, uint32_t fill = 0) : pixels(size_t(w) * h, fill), width(w), height(h) { }
    BlitSurface Surface() { return BlitSurface { pixels.data(), width, height }; }
    uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * width + x]; }
    // The bounding box of pixels that differ from `fill`.
    BlitBox Touched(uint32_t fill) const
    {
        BlitBox box { width, height, -1, -1 };
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                if (At(x, y) != fill) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x);
                    box.bottom = std::max(box.bottom, y);
                }
        return box;
    }
    std::vector<uint32_t> pixels;
    int32_t width;
    int32_t height;
};

DrawParams At(int32_t cx, int32_t cy, int32_t w, int32_t h, double angle = 0.0, uint32_t flags = 0)
{
    DrawParams p;
    p.centre_x = cx;
    p.centre_y = cy;
    p.object_x = cx;
    p.object_y = cy;
    p.width = w;
    p.height = h;
    p.angle = angle;
    p.flags = flags;
    return p;
}

// Params that put the top left of a w x h draw at (0, 0).
DrawParams AtOrigin(int32_t w, int32_t h, double angle = 0.0, uint32_t flags = 0)
{
    return At((w + 1) / 2, (h + 1) / 2, w, h, angle, flags);
}

void Draw(Canvas& c, DrawParams p, const ImageRecord& image, double opacity = 1.0, uint32_t tint = COLOUR_NONE)
{
    BlitImage(c.Surface(), p, image, 0, 0, image.width, image.height, opacity, tint);
}

} // namespace

TEST(BlitterPlacement, CentresEvenAndOddSizes)
{
    Canvas c(400, 200);
    const ImageRecord even = MakeBgra(100, 50, std::vector<uint32_t>(5000, 0xFF112233), 0);
    Draw(c, At(200, 100, 100, 50), even);
    EXPECT_EQ(c.Touched(0), (BlitBox { 150, 75, 249, 124 }));

    Canvas d(400, 200);
    const ImageRecord odd = MakeBgra(101, 51, std::vector<uint32_t>(101 * 51, 0xFF112233), 0);
    Draw(d, At(200, 100, 101, 51), odd);
    EXPECT_EQ(d.Touched(0), (BlitBox { 149, 74, 249, 124 }));
}

TEST(BlitterPlacement, ClipsToSurfaceAndClipRectangle)
{
    Canvas c(10, 10);
    const ImageRecord image = MakeBgra(6, 6, std::vector<uint32_t>(36, 0xFF0000FF), 0);
    Draw(c, At(1, 1, 6, 6), image);                       // hangs off the top left
    EXPECT_EQ(c.Touched(0), (BlitBox { 0, 0, 3, 3 }));

    Canvas d(10, 10);
    DrawParams p = At(5, 5, 6, 6, 0.0, DRAW_FLAG_CLIP);
    p.clip_left = 4;
    p.clip_top = 4;
    p.clip_right = 6;
    p.clip_bottom = 7;
    Draw(d, p, image);
    EXPECT_EQ(d.Touched(0), (BlitBox { 4, 4, 5, 6 }));
}

TEST(BlitterSource, ShortensRectanglesBelowTheStripAndDrawsNothingBeyond)
{
    const ImageRecord image = MakeBgra(2, 2, { 0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004 }, 0);
    Canvas c(4, 4);
    DrawParams p = At(2, 2, 2, 2);
    BlitImage(c.Surface(), p, image, 0, 1, 2, 2, 1.0, COLOUR_NONE);   // one row left, scaled to 2
    // The draw size equals the unclipped source size: no scaling, one row drawn.
    EXPECT_EQ(c.At(1, 1), 0xFF000003u);
    EXPECT_EQ(c.At(2, 1), 0xFF000004u);
    EXPECT_EQ(c.At(1, 2), 0u);

    Canvas d(4, 4);
    p = At(2, 2, 2, 2);
    BlitImage(d.Surface(), p, image, 0, 3, 2, 2, 1.0, COLOUR_NONE);
    EXPECT_EQ(d.Touched(0), (BlitBox { 4, 4, -1, -1 }));

    // A record whose pixel buffer is shorter than its geometry draws only what it holds.
    ImageRecord liar = MakeBgra(2, 2, { 0xFF000001, 0xFF000002 }, 0);
    Canvas e(4, 4);
    p = At(2, 2, 2, 2);
    BlitImage(e.Surface(), p, liar, 0, 0, 2, 2, 1.0, COLOUR_NONE);
    EXPECT_EQ(e.At(1, 1), 0xFF000001u);
    EXPECT_EQ(e.At(1, 2), 0u);
}

TEST(BlitterScale, NearestTakesRoundedColumnsFor32BitAndTruncatedForPalette)
{
    const ImageRecord image = MakeBgra(2, 1, { 0xFF0000AA, 0xFF0000BB }, 0);
    Canvas c(3, 1);
    Draw(c, AtOrigin(3, 1), image);
    EXPECT_EQ(c.At(0, 0), 0xFF0000AAu);
    EXPECT_EQ(c.At(1, 0), 0xFF0000BBu);
    EXPECT_EQ(c.At(2, 0), 0xFF0000BBu);

    const ImageRecord palette = MakePalette(2, 1, { 0, 1 }, { 0xAA, 0, 0, 0xBB, 0, 0 }, IMAGE_NO_COLOUR_KEY, false);
    Canvas d(3, 1);
    Draw(d, AtOrigin(3, 1), palette);
    EXPECT_EQ(d.At(0, 0), 0xFFAA0000u);
    EXPECT_EQ(d.At(1, 0), 0xFFAA0000u);
    EXPECT_EQ(d.At(2, 0), 0xFFBB0000u);

    auto scaled = ScaleNearest32(reinterpret_cast<const uint32_t*>(image.pixels.get()), 2, 1, 0, 0, 2, 1, 3, 1);
    ASSERT_NE(scaled, nullptr);
    EXPECT_EQ(scaled[2], 0xFF0000BBu);
    EXPECT_EQ(ScaleNearest32(reinterpret_cast<const uint32_t*>(image.pixels.get()), 2, 1, 0, 0, 2, 1, 0, 1),
              nullptr);
}

TEST(BlitterScale, BilinearBlendsInsideAndTakesNearestOnTheBorder)
{
    // 4 x 1 source scaled to 7 x 1: step = 3/6 of a pixel.
    const ImageRecord image = MakeBgra(4, 3,
                                       { 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000,
                                         0xFF000000, 0xFF000010, 0xFF000030, 0xFF000000,
                                         0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000 },
                                       0);
    Canvas c(7, 5);
    Draw(c, AtOrigin(7, 5, 0.0, DRAW_FLAG_SMOOTH_SCALE), image);
    // Row 2 (source y 1.0), column 3 (source x 1.5): halfway between 0x10 and 0x30.
    EXPECT_EQ(c.At(3, 2), 0xFF000020u);
    EXPECT_EQ(c.At(0, 2), 0xFF000000u);
}

TEST(BlitterBlend, OpacityHalfUsesByte127AndAlphaRules)
{
    // Opacity 0.5: O = 127, a pixel of alpha 255 blends with a = 126.
    const ImageRecord image = MakeBgra(1, 1, { 0xFFC86432 }, IMAGE_FLAG_ALPHA);
    Canvas c(1, 1, 0xFF0A141E);
    Draw(c, AtOrigin(1, 1), image, 0.5);
    const auto mix = [](uint32_t s, uint32_t d) { return (s * 126 + d * 129) >> 8; };
    EXPECT_EQ(c.At(0, 0), 0xFF000000u | mix(0xC8, 0x0A) << 16 | mix(0x64, 0x14) << 8 | mix(0x32, 0x1E));

    // Over a transparent pixel: the colour is copied and alpha becomes a.
    Canvas t(1, 1, 0x00000000);
    Draw(t, AtOrigin(1, 1), image, 0.5);
    EXPECT_EQ(t.At(0, 0), 0x7EC86432u);

    // Opaque source over opaque destination keeps alpha 255 and blends with a = 255.
    Canvas o(1, 1, 0xFF0A141E);
    Draw(o, AtOrigin(1, 1), image, 1.0);
    EXPECT_EQ(o.At(0, 0), 0xFFC76331u);

    // Half-transparent source over a half-transparent destination: alpha is the larger.
    const ImageRecord half = MakeBgra(1, 1, { 0x40FFFFFF }, IMAGE_FLAG_ALPHA);
    Canvas h(1, 1, 0x80000000);
    Draw(h, AtOrigin(1, 1), half);
    EXPECT_EQ(h.At(0, 0), 0x803F3F3Fu);
}

TEST(BlitterBlend, TintThresholdSkipsLowAlpha32BitButNotPalette)
{
    const uint32_t tint = 0x80000000 | 0x00FF0000;        // threshold 0x80, blue 0xFF
    const ImageRecord image = MakeBgra(2, 1, { 0x80FFFFFF, 0x81FFFFFF }, IMAGE_FLAG_ALPHA);
    Canvas c(2, 1, 0xFF000000);
    Draw(c, AtOrigin(2, 1), image, 0.5, tint);
    EXPECT_EQ(c.At(0, 0), 0xFF000000u);
    const uint32_t a = (0x81 * 127) >> 8;
    const uint32_t white = (0xFF * a) >> 8;
    const uint32_t blue = (0xFF * a + 0xFF * (255 - a)) >> 8;
    EXPECT_EQ(c.At(1, 0), 0xFF000000u | white << 16 | white << 8 | blue);

    const ImageRecord palette = MakePalette(1, 1, { 0, 0x80 }, { 0xFF, 0xFF, 0xFF }, IMAGE_NO_COLOUR_KEY, true);
    Canvas p(1, 1, 0xFF000000);
    Draw(p, AtOrigin(1, 1), palette, 0.5, tint);
    EXPECT_NE(p.At(0, 0), 0xFF000000u);
}

TEST(BlitterBlend, ColourKeyCopyAndPlainFade)
{
    // Palette colour key: index 1 is transparent.
    const ImageRecord palette = MakePalette(2, 1, { 0, 1 }, { 1, 2, 3, 4, 5, 6 }, 1, false);
    Canvas c(2, 1, 0x11111111);
    Draw(c, AtOrigin(2, 1), palette);
    EXPECT_EQ(c.At(0, 0), 0xFF010203u);
    EXPECT_EQ(c.At(1, 0), 0x11111111u);

    // A 32-bit image without transparency is copied whole, alpha included.
    const ImageRecord solid = MakeBgra(1, 1, { 0x00ABCDEF }, 0);
    Canvas s(1, 1, 0xFFFFFFFF);
    Draw(s, AtOrigin(1, 1), solid);
    EXPECT_EQ(s.At(0, 0), 0x00ABCDEFu);

    // With transparency, alpha-0 pixels are skipped; a fade mixes with the destination.
    const ImageRecord keyed = MakeBgra(2, 1, { 0x00FF00FF, 0xFF808080 }, IMAGE_FLAG_TRANSPARENT);
    Canvas k(2, 1, 0xFF000000);
    Draw(k, AtOrigin(2, 1), keyed, 0.5);
    EXPECT_EQ(k.At(0, 0), 0xFF000000u);
    const uint32_t v = (0x80 * 127) >> 8;
    EXPECT_EQ(k.At(1, 0), 0xFF000000u | v << 16 | v << 8 | v);

    Canvas z(2, 1, 0xFF000000);
    Draw(z, AtOrigin(2, 1), keyed, 0.0);
    EXPECT_EQ(z.At(1, 0), 0xFF000000u);
}

TEST(BlitterBlend, OverOpaqueChangesOnlyOpaqueDestination)
{
    const ImageRecord image = MakeBgra(2, 1, { 0xFFFFFFFF, 0xFFFFFFFF }, IMAGE_FLAG_ALPHA);
    Canvas c(2, 1);
    c.pixels = { 0xFF000000, 0x80000000 };
    Draw(c, AtOrigin(2, 1, 0.0, DRAW_FLAG_OVER_OPAQUE), image);
    EXPECT_EQ(c.At(0, 0), 0xFFFEFEFEu);
    EXPECT_EQ(c.At(1, 0), 0x80000000u);
}

TEST(BlitterRotate, FactorsAreExactAtRightAnglesAndTruncatedElsewhere)
{
    int32_t cs = 0;
    int32_t sn = 0;
    blit::RotationFactors(90.0, 1024, cs, sn);
    EXPECT_EQ(cs, 0);
    EXPECT_EQ(sn, 1024);
    blit::RotationFactors(45.0, 1024, cs, sn);
    EXPECT_EQ(cs, 724);
    EXPECT_EQ(sn, 724);
    blit::RotationFactors(150.0, 1024, cs, sn);
    EXPECT_EQ(cs, -886);
    EXPECT_EQ(sn, 512);
    blit::RotationFactors(270.0, 65536, cs, sn);
    EXPECT_EQ(cs, 0);
    EXPECT_EQ(sn, -65536);
}

TEST(BlitterRotate, NinetyDegreesMovesPixelsWithoutRounding)
{
    // 4 x 2 image: r = truncate(sqrt(4 + 1)) = 2, mx = 2, my = 1. The square is
    // 4 x 4 with its top left at (centre - radius).
    std::vector<uint32_t> pixels(8);
    for (uint32_t i = 0; i < 8; ++i)
        pixels[i] = 0xFF000000 | (i + 1);
    const ImageRecord image = MakeBgra(4, 2, pixels, IMAGE_FLAG_ALPHA);
    Canvas c(8, 8);
    DrawParams p = At(4, 4, 4, 2, 90.0);
    Draw(c, p, image);
    // Row i, column j: dx = j - 2, dy = 2 - i; sx = 2 + dy, sy = 1 + dx.
    for (int32_t i = 0; i < 4; ++i) {
        for (int32_t j = 0; j < 4; ++j) {
            const int32_t sx = 2 + (2 - i);
            const int32_t sy = 1 + (j - 2);
            const uint32_t expected = (sx >= 0 && sx < 4 && sy >= 0 && sy < 2) ? pixels[sy * 4 + sx] : 0u;
            EXPECT_EQ(c.At(2 + j, 2 + i), expected) << i << "," << j;
        }
    }
}

TEST(BlitterRotate, OneHundredFiftyDegreesSamplesByTruncatedFactors)
{
    // 3 x 3 image, r = truncate(sqrt(2.25 + 2.25)) = 2, mx = my = 2.
    std::vector<uint32_t> pixels(9);
    for (uint32_t i = 0; i < 9; ++i)
        pixels[i] = 0xFF000000 | (i + 1);
    const ImageRecord image = MakeBgra(3, 3, pixels, IMAGE_FLAG_ALPHA);
    Canvas c(6, 6);
    Draw(c, At(3, 3, 3, 3, 150.0), image);
    // cs = -886, sn = 512. Row 1, column 2: dx = 0, dy = 1:
    // sx = 2 + (512 >> 10) = 2, sy = 2 - (-886 >> 10) = 3 -> outside.
    EXPECT_EQ(c.At(1 + 2, 1 + 1), 0u);
    // Row 2, column 2: dx = 0, dy = 0 -> (2, 2).
    EXPECT_EQ(c.At(1 + 2, 1 + 2), pixels[8]);
    // Row 3, column 1: dx = -1, dy = -1: sx = 2 + ((886 - 512) >> 10) = 2,
    // sy = 2 - ((886 + 512) >> 10) = 1.
    EXPECT_EQ(c.At(1 + 1, 1 + 3), pixels[1 * 3 + 2]);
    // Row 3, column 3: dx = 1, dy = -1: sx = 2 + ((-886 - 512) >> 10) = 0,
    // sy = 2 - ((886 - 512) >> 10) = 2.
    EXPECT_EQ(c.At(1 + 3, 1 + 3), pixels[2 * 3 + 0]);
}

TEST(BlitterRotate, SmoothRotationBlendsAndSkipsTransparentSamples)
{
    const ImageRecord image = MakeBgra(4, 4, std::vector<uint32_t>(16, 0xFF808080), IMAGE_FLAG_ALPHA);
    Canvas c(12, 12, 0xFF000000);
    Draw(c, At(6, 6, 4, 4, 30.0, DRAW_FLAG_SMOOTH_ROTATE), image);
    // Inside, a = (255 * 255) >> 8 = 254 over black.
    EXPECT_EQ(c.At(6, 6), 0xFF7F7F7Fu);
    EXPECT_EQ(c.At(0, 0), 0xFF000000u);

    const ImageRecord clear = MakeBgra(4, 4, std::vector<uint32_t>(16, 0x00808080), IMAGE_FLAG_ALPHA);
    Canvas t(12, 12, 0xFF102030);
    Draw(t, At(6, 6, 4, 4, 30.0, DRAW_FLAG_SMOOTH_ROTATE), clear);
    EXPECT_EQ(t.Touched(0xFF102030), (BlitBox { 12, 12, -1, -1 }));
}

TEST(BlitterSilhouette, InvertsCoveredPixelsOnly)
{
    const ImageRecord image = MakeBgra(2, 1, { 0x00000000, 0xFF000000 }, IMAGE_FLAG_ALPHA | IMAGE_FLAG_TRANSPARENT);
    Canvas c(4, 4, 0x10203040);
    DrawParams p = At(2, 2, 2, 1, 0.0, DRAW_FLAG_SILHOUETTE);
    Draw(c, p, image);
    // r = 1, mx = my = 1: the 2 x 2 square at (1, 1). Row 0 (dy = 1) reads
    // source row 0, columns 0 and 1; row 1 reads row 1, outside the image.
    EXPECT_EQ(c.At(1, 1), 0x10203040u);
    EXPECT_EQ(c.At(2, 1), 0xFFDFCFBFu);
    Canvas z(4, 4, 0x10203040);
    Draw(z, p, image, 0.0);
    EXPECT_EQ(z.Touched(0x10203040), (BlitBox { 4, 4, -1, -1 }));
}

TEST(BlitterSafety, PaletteWithoutColoursAndHugeScalesDrawNothing)
{
    ImageRecord palette = MakePalette(1, 1, { 0 }, { 1, 2, 3 }, IMAGE_NO_COLOUR_KEY, false);
    palette.palette.reset();
    Canvas c(2, 2, 7);
    Draw(c, AtOrigin(1, 1), palette);
    EXPECT_EQ(c.Touched(7), (BlitBox { 2, 2, -1, -1 }));

    const ImageRecord image = MakeBgra(1, 1, { 0xFFFFFFFF }, 0);
    DrawParams p = At(1, 1, 100000, 100000);
    BlitImage(c.Surface(), p, image, 0, 0, 1, 1, 1.0, COLOUR_NONE);
    EXPECT_EQ(c.Touched(7), (BlitBox { 2, 2, -1, -1 }));
}

TEST(BlitterBlend, WideRowsMatchThePerPixelRules)
{
    // Rows long enough for the eight- and four-pixel paths and their tails,
    // compared with the rules applied one pixel at a time, at full and half
    // opacity.
    std::vector<uint32_t> source(29);
    std::vector<uint32_t> background(29);
    uint32_t seed = 12345;
    const auto next = [&]() { return seed = seed * 1103515245u + 12345u; };
    for (size_t i = 0; i < source.size(); ++i) {
        source[i] = next();
        background[i] = next();
    }
    source[3] &= 0x00FFFFFF;
    background[5] &= 0x00FFFFFF;
    source[7] |= 0xFF000000;
    source[20] &= 0x00FFFFFF;
    background[20] &= 0x00FFFFFF;
    background[22] |= 0xFF000000;
    for (const int32_t width : { 1, 4, 7, 8, 13, 29 }) {
        for (double opacity : { 1.0, 0.5 }) {
            const std::vector<uint32_t> row(source.begin(), source.begin() + width);
            const ImageRecord image = MakeBgra(uint16_t(width), 1, row, IMAGE_FLAG_ALPHA);
            Canvas c(width, 1);
            c.pixels.assign(background.begin(), background.begin() + width);
            Draw(c, AtOrigin(width, 1), image, opacity);
            blit::BlendRule rule;
            rule.full = opacity >= 1.0;
            rule.opacity_byte = uint32_t(std::min(opacity, 1.0) * 255);
            for (int32_t i = 0; i < width; ++i) {
                uint32_t expected = background[size_t(i)];
                blit::AlphaPixel(expected, source[size_t(i)], false, rule, false);
                EXPECT_EQ(c.pixels[size_t(i)], expected) << width << " " << opacity << " " << i;
            }
        }
    }
    source.resize(13);
    background.resize(13);
    const ImageRecord keyed = MakeBgra(13, 1, source, IMAGE_FLAG_TRANSPARENT);
    Canvas k(13, 1);
    k.pixels = background;
    Draw(k, AtOrigin(13, 1), keyed);
    for (size_t i = 0; i < 13; ++i)
        EXPECT_EQ(k.pixels[i], (source[i] >> 24) ? source[i] : background[i]) << i;
}

// Rows of an image cut by the canvas's left and top edges, on a canvas wider
// than the part drawn: each row blends its own image row, with every set.
TEST(BlitterBlend, ClippedRowsMatchThePerPixelRules)
{
    constexpr int32_t W = 21;
    constexpr int32_t H = 5;
    uint32_t seed = 777;
    const auto next = [&]() { return seed = seed * 1103515245u + 12345u; };
    std::vector<uint32_t> source(size_t(W) * H);
    for (uint32_t& pixel : source)
        pixel = next() % 3 == 0 ? next() | 0xFF000000u : next();
    const ImageRecord image = MakeBgra(W, H, source, IMAGE_FLAG_ALPHA);
    Canvas background(30, 6);
    for (uint32_t& pixel : background.pixels)
        pixel = next();
    for (const BlitInstructions set : { BlitInstructions::Scalar, BestBlitInstructions() }) {
        for (const double opacity : { 1.0, 0.5 }) {
            Canvas c = background;
            DrawParams p = At(W / 2 - 1, H / 2, W, H);   // top left at (-2, -1)
            BlitImage(c.Surface(), p, image, 0, 0, W, H, opacity, COLOUR_NONE, set);
            blit::BlendRule rule;
            rule.full = opacity >= 1.0;
            rule.opacity_byte = uint32_t(std::min(opacity, 1.0) * 255);
            for (int32_t y = 0; y < c.height; ++y) {
                for (int32_t x = 0; x < c.width; ++x) {
                    uint32_t expected = background.At(x, y);
                    if (x + 2 < W && y + 1 < H)
                        blit::AlphaPixel(expected, source[size_t(y + 1) * W + size_t(x + 2)], false, rule, false);
                    ASSERT_EQ(c.At(x, y), expected) << int(set) << " " << opacity << " " << x << "," << y;
                }
            }
        }
    }
}

TEST(BlitterRotate, NearestRotationMatchesThePlainFormulaAtManyAngles)
{
    // Every destination pixel against the rule written out directly: the
    // row-stepping and range solving of the blitter must not change a pixel.
    std::vector<uint32_t> pixels(7 * 5);
    for (uint32_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000u | (i * 2654435761u >> 8);
    const ImageRecord image = MakeBgra(7, 5, pixels, IMAGE_FLAG_ALPHA);
    for (double angle : { 10.0, 33.0, 90.0, 135.0, 200.0, 271.0, -45.0 }) {
        Canvas c(16, 16);
        DrawParams p = At(8, 8, 7, 5, angle);
        Draw(c, p, image);
        int32_t cs = 0;
        int32_t sn = 0;
        blit::RotationFactors(angle, 1024, cs, sn);
        const int32_t r = 4;                                   // truncate(sqrt(3.5^2 + 2.5^2))
        for (int32_t i = 0; i < 2 * r; ++i) {
            for (int32_t j = 0; j < 2 * r; ++j) {
                const int32_t dx = j - r;
                const int32_t dy = r - i;
                const int32_t sx = 4 + ((dx * cs + dy * sn) >> 10);
                const int32_t sy = 3 - ((dy * cs - dx * sn) >> 10);
                uint32_t expected = 0;
                if (sx >= 0 && sx < 7 && sy >= 0 && sy < 5)
                    expected = pixels[size_t(sy) * 7 + sx];
                EXPECT_EQ(c.At(8 - r + j, 8 - r + i), expected) << angle << " " << i << "," << j;
            }
        }
    }
}

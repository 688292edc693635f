// The vector row kernels against the scalar ones: random images, sizes,
// scales, angles, opacities and tints drawn with every instruction set over
// the same random destination must give the same pixels, bit for bit.
#include "engine/media/Blitter.h"

#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace engine;

namespace {

// Alphas that hit the special cases often: clear, opaque, and the rest.
uint32_t RandomPixel(std::mt19937& random)
{
    const uint32_t colour = random() & 0x00FFFFFFu;
    const uint32_t pick = random() % 4;
    const uint32_t alpha = pick == 0 ? 0 : pick == 1 ? 255 : random() & 0xFF;
    return colour | alpha << 24;
}

ImageRecord RandomImage(std::mt19937& random, uint16_t w, uint16_t h)
{
    std::vector<uint32_t> pixels(size_t(w) * h);
    for (uint32_t& pixel : pixels)
        pixel = RandomPixel(random);
    // Sometimes runs of clear and of opaque pixels, as sprites have them.
    if (random() % 2) {
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = (i / 9) % 2 ? pixels[i] & 0x00FFFFFFu : pixels[i] | 0xFF000000u;
    } else if (random() % 2) {
        // A card: clear margins, a rim of partial alphas, an opaque body, so
        // whole vector groups are clear or opaque beside partial ones.
        const uint32_t margin = random() % 12;
        for (size_t i = 0; i < pixels.size(); ++i) {
            const uint32_t x = uint32_t(i % w);
            const uint32_t edge = std::min(x, uint32_t(w) - 1 - x);
            const uint32_t colour = pixels[i] & 0x00FFFFFFu;
            pixels[i] = edge < margin ? colour : edge == margin ? pixels[i] : colour | 0xFF000000u;
        }
    }
    const uint32_t kind = random() % 3;
    const uint32_t flags = kind == 0 ? IMAGE_FLAG_ALPHA : kind == 1 ? IMAGE_FLAG_TRANSPARENT : 0;
    return imagetest::MakeBgra(w, h, pixels, flags);
}

const BlitInstructions VECTOR_SETS[] = { BlitInstructions::Sse2, BlitInstructions::Ssse3, BlitInstructions::Avx2 };

} // namespace

TEST(BlitterInstructions, VectorKernelsGiveTheScalarPixels)
{
    std::mt19937 random(20240611);
    for (int trial = 0; trial < 400; ++trial) {
        const auto w = uint16_t(1 + random() % 70);
        const auto h = uint16_t(1 + random() % 40);
        const ImageRecord image = RandomImage(random, w, h);
        const int32_t view_w = 8 + int32_t(random() % 90);
        const int32_t view_h = 8 + int32_t(random() % 60);
        // Random alphas, or an opaque back buffer (the common case, which the
        // vector kernels take by a shorter way).
        const bool opaque = random() % 2 == 0;
        std::vector<uint32_t> background(size_t(view_w) * view_h);
        for (uint32_t& pixel : background)
            pixel = opaque ? RandomPixel(random) | 0xFF000000u : RandomPixel(random);

        DrawParams params;
        params.centre_x = int32_t(random() % uint32_t(view_w));
        params.centre_y = int32_t(random() % uint32_t(view_h));
        params.object_x = params.centre_x;
        params.object_y = params.centre_y;
        const bool scale = random() % 3 == 0;
        params.width = scale ? 1 + int32_t(random() % 120) : w;
        params.height = scale ? 1 + int32_t(random() % 80) : h;
        static const double ANGLES[] = { 0.0, 0.0, 0.0, 90.0, 180.0, 0.5 };
        params.angle = random() % 2 ? ANGLES[random() % 6] : double(random() % 36000) / 100.0;
        params.flags = (random() % 2 ? DRAW_FLAG_SMOOTH_SCALE : 0) | (random() % 4 == 0 ? DRAW_FLAG_OVER_OPAQUE : 0);
        static const double OPACITIES[] = { 1.0, 1.0, 0.5, 0.0, 0.87 };
        const double opacity = OPACITIES[random() % 5];
        const uint32_t tint = random() % 3 == 0 ? random() : COLOUR_NONE;

        std::vector<uint32_t> expected = background;
        DrawParams scalar_params = params;
        BlitImage(BlitSurface { expected.data(), view_w, view_h }, scalar_params, image, 0, 0, w, h, opacity, tint,
                  BlitInstructions::Scalar);
        for (const BlitInstructions set : VECTOR_SETS) {
            std::vector<uint32_t> drawn = background;
            DrawParams set_params = params;
            BlitImage(BlitSurface { drawn.data(), view_w, view_h }, set_params, image, 0, 0, w, h, opacity, tint, set);
            ASSERT_EQ(drawn, expected) << "trial " << trial << ", set " << int(set) << ", image " << w << "x" << h
                                       << " flags " << image.flags << ", draw " << params.width << "x"
                                       << params.height << " at " << params.angle << " flags " << params.flags
                                       << ", opacity " << opacity << ", tint " << tint;
        }
    }
}

// Wide rows of long runs (clear, opaque, partial alphas, or any pixel), over
// destinations with runs of opaque and of any pixels: the blend's vector
// kernels take runs of clear and of opaque groups by short ways and blend
// partial ones in runs of growing length, which must all end where the
// pixels change.
TEST(BlitterInstructions, LongRunsBlendAsTheScalarKernel)
{
    std::mt19937 random(20261207);
    // Kinds of run: clear, partial alphas, any pixels, opaque (destinations
    // are mostly opaque).
    const auto runs_of = [&random](std::vector<uint32_t>& pixels, bool destination) {
        for (size_t i = 0; i < pixels.size();) {
            const size_t end = std::min(pixels.size(), i + 1 + random() % (random() % 2 ? 24 : 300));
            const uint32_t kind = std::min(3u, uint32_t(random() % (destination ? 6 : 4)));
            for (; i < end; ++i) {
                const uint32_t pixel = RandomPixel(random);
                const uint32_t colour = pixel & 0x00FFFFFFu;
                pixels[i] = kind == 0 ? colour
                    : kind == 1       ? colour | (1 + random() % 254) << 24
                    : kind == 2       ? pixel
                                      : colour | 0xFF000000u;
            }
        }
    };
    for (int trial = 0; trial < 200; ++trial) {
        const auto w = uint16_t(1 + random() % 700);
        const auto h = uint16_t(1 + random() % 8);
        std::vector<uint32_t> pixels(size_t(w) * h);
        runs_of(pixels, false);
        const ImageRecord image = imagetest::MakeBgra(w, h, pixels);
        const int32_t view_w = 1 + int32_t(random() % 800);
        const int32_t view_h = 10;
        std::vector<uint32_t> background(size_t(view_w) * view_h);
        runs_of(background, true);
        DrawParams params;
        params.centre_x = int32_t(random() % uint32_t(view_w));
        params.centre_y = view_h / 2;
        params.width = random() % 4 == 0 ? 1 + int32_t(random() % 900) : w;
        params.height = h;
        params.flags = random() % 2 ? DRAW_FLAG_SMOOTH_SCALE : 0;
        const double opacity = random() % 3 == 0 ? 0.6 : 1.0;

        std::vector<uint32_t> expected = background;
        DrawParams scalar_params = params;
        BlitImage(BlitSurface { expected.data(), view_w, view_h }, scalar_params, image, 0, 0, w, h, opacity,
                  COLOUR_NONE, BlitInstructions::Scalar);
        for (const BlitInstructions set : VECTOR_SETS) {
            std::vector<uint32_t> drawn = background;
            DrawParams set_params = params;
            BlitImage(BlitSurface { drawn.data(), view_w, view_h }, set_params, image, 0, 0, w, h, opacity,
                      COLOUR_NONE, set);
            ASSERT_EQ(drawn, expected) << "trial " << trial << ", set " << int(set) << ", image " << w << "x" << h
                                       << ", draw " << params.width << " at " << params.centre_x << ", opacity "
                                       << opacity;
        }
    }
}

// Every operation the table draws, at the sprite sizes (71 x 96, 160 x 120)
// and at every width from 1 to 17 pixels (rows shorter than a vector group,
// and rows whose last pixels do not fill one), placed so that rows start at
// several offsets and some are cut by the view's edge: every set gives the
// scalar pixels. The sprite rows are drawn over the destination's opaque and
// clear pixels alike.
TEST(BlitterInstructions, SpriteSizesAndOddWidthsGiveTheScalarPixels)
{
    struct Draw {
        const char* name;
        double angle;
        uint32_t flags;
        double opacity;
        uint32_t tint;
        bool enlarge;
    };
    const Draw draws[] = {
        { "copy", 0.0, 0, 1.0, COLOUR_NONE, false },
        { "opacity", 0.0, 0, 0.6, COLOUR_NONE, false },
        { "tint", 0.0, 0, 1.0, 0x30406080u, false },
        { "faded tint", 0.0, 0, 0.7, 0x00406080u, false },
        { "scaled nearest", 0.0, 0, 1.0, COLOUR_NONE, true },
        { "scaled bilinear", 0.0, DRAW_FLAG_SMOOTH_SCALE, 1.0, COLOUR_NONE, true },
        { "turned nearest", 30.0, 0, 1.0, COLOUR_NONE, false },
        { "turned smooth", 30.0, DRAW_FLAG_SMOOTH_ROTATE, 1.0, COLOUR_NONE, false },
        { "turned smooth, faded", 200.0, DRAW_FLAG_SMOOTH_ROTATE, 0.5, COLOUR_NONE, false },
    };
    std::vector<std::pair<uint16_t, uint16_t>> sizes = { { 71, 96 }, { 160, 120 } };
    for (uint16_t w = 1; w <= 17; ++w)
        sizes.emplace_back(w, uint16_t(1 + w % 5));
    std::mt19937 random(20261208);
    constexpr int32_t VIEW_W = 200;
    constexpr int32_t VIEW_H = 160;
    for (const auto& [w, h] : sizes) {
        const ImageRecord image = RandomImage(random, w, h);
        for (const Draw& draw : draws) {
            for (int placing = 0; placing < 3; ++placing) {
                std::vector<uint32_t> background(size_t(VIEW_W) * VIEW_H);
                for (uint32_t& pixel : background)
                    pixel = placing == 1 ? RandomPixel(random) : RandomPixel(random) | 0xFF000000u;
                DrawParams params;
                // Inside the view, at an odd column; then cut by the left edge.
                params.centre_x = placing == 2 ? 3 : VIEW_W / 2 + placing;
                params.centre_y = VIEW_H / 2;
                params.object_x = params.centre_x;
                params.object_y = params.centre_y;
                params.width = draw.enlarge ? w * 3 / 2 + 1 : w;
                params.height = draw.enlarge ? h * 3 / 2 + 1 : h;
                params.angle = draw.angle;
                params.flags = draw.flags;
                std::vector<uint32_t> expected = background;
                DrawParams scalar_params = params;
                BlitImage(BlitSurface { expected.data(), VIEW_W, VIEW_H }, scalar_params, image, 0, 0, w, h,
                          draw.opacity, draw.tint, BlitInstructions::Scalar);
                for (const BlitInstructions set : VECTOR_SETS) {
                    std::vector<uint32_t> drawn = background;
                    DrawParams set_params = params;
                    BlitImage(BlitSurface { drawn.data(), VIEW_W, VIEW_H }, set_params, image, 0, 0, w, h,
                              draw.opacity, draw.tint, set);
                    ASSERT_EQ(drawn, expected) << draw.name << ", set " << int(set) << ", image " << w << "x" << h
                                               << " flags " << image.flags << ", placing " << placing;
                }
            }
        }
    }
}

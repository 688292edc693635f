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

} // namespace

TEST(BlitterInstructions, VectorKernelsGiveTheScalarPixels)
{
    std::mt19937 random(20240611);
    const BlitInstructions sets[] = { BlitInstructions::Sse2, BlitInstructions::Avx2 };
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
        for (const BlitInstructions set : sets) {
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
    const BlitInstructions sets[] = { BlitInstructions::Sse2, BlitInstructions::Avx2 };
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
        for (const BlitInstructions set : sets) {
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

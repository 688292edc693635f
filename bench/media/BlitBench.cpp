// Blit throughput: every operation of the blitter that the table uses
// (straight copy with colour key, alpha blend at scale 1, scaled blend
// nearest and bilinear, rotated blend nearest and smooth, tint, opacity of an
// image with and without alpha channel) at a card's size (71 x 96), a larger
// sprite's (160 x 120) and the view's (1050 x 700, on a 1050 x 700 target),
// each beside pixman compositing the same operation, and memcpy of a view.
// items_per_second is drawn (destination) pixels per second.
//
// Each benchmark runs several repetitions and reports their median; at the
// end the ratios of the medians are printed (blitter speed over pixman's,
// blitter time over memcpy's). The machine may be shared: compare ratios of
// one run only, pinned to one core (taskset), and
// --benchmark_enable_random_interleaving=true spreads load over both sides.
// --instructions=scalar|sse2|ssse3|avx2 draws with that set instead of the best.
#include "engine/media/Blitter.h"

#include "MedianReporter.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace engine;

namespace {

constexpr int32_t VIEW_W = 1050;
constexpr int32_t VIEW_H = 700;

// A card face: opaque body, clear round corners, a one-pixel soft rim.
uint32_t CardAlpha(int32_t x, int32_t y, int32_t w, int32_t h)
{
    const int32_t radius = std::max(2, std::min(w, h) / 10);
    const int32_t cx = std::clamp(x, radius, w - 1 - radius);
    const int32_t cy = std::clamp(y, radius, h - 1 - radius);
    const double inside = radius - std::hypot(double(x - cx), double(y - cy));
    return uint32_t(std::clamp(inside, 0.0, 1.0) * 255.0);
}

ImageRecord MakeImage(int32_t w, int32_t h, bool alpha, bool keyed, bool card = false)
{
    ImageRecord image;
    image.width = uint16_t(w);
    image.height = uint16_t(h);
    image.frames = 1;
    image.frames_per_row = 1;
    image.flags = (alpha ? IMAGE_FLAG_ALPHA : 0) | (keyed ? IMAGE_FLAG_TRANSPARENT : 0);
    image.pixel_bytes = uint32_t(w * h * 4);
    image.pixels = std::make_unique<uint8_t[]>(image.pixel_bytes);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            uint32_t pixel = 0x00204080u + uint32_t(x * 3 + y * 5);
            uint32_t a = card ? CardAlpha(x, y, w, h) : alpha ? uint32_t((x + y) & 0xFF) : 255;
            if (keyed && ((x / 8 + y / 8) & 1))
                a = 0;
            pixel = (pixel & 0x00FFFFFF) | a << 24;
            std::memcpy(&image.pixels[size_t(y * w + x) * 4], &pixel, 4);
        }
    }
    return image;
}

struct Target {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(size_t(VIEW_W) * VIEW_H, 0xFF303030u);
    BlitSurface Surface() { return BlitSurface { pixels.data(), VIEW_W, VIEW_H }; }
};

DrawParams Centred(int32_t w, int32_t h, double angle)
{
    DrawParams p;
    p.centre_x = VIEW_W / 2;
    p.centre_y = VIEW_H / 2;
    p.object_x = p.centre_x;
    p.object_y = p.centre_y;
    p.width = w;
    p.height = h;
    p.angle = angle;
    return p;
}

// Premultiplied copy for pixman (its a8r8g8b8 is premultiplied).
std::vector<uint32_t> Premultiplied(const ImageRecord& image)
{
    std::vector<uint32_t> out(size_t(image.width) * image.height);
    for (size_t i = 0; i < out.size(); ++i) {
        uint32_t p;
        std::memcpy(&p, &image.pixels[i * 4], 4);
        const uint32_t a = p >> 24;
        const uint32_t r = ((p >> 16) & 0xFF) * a / 255;
        const uint32_t g = ((p >> 8) & 0xFF) * a / 255;
        const uint32_t b = (p & 0xFF) * a / 255;
        out[i] = a << 24 | r << 16 | g << 8 | b;
    }
    return out;
}

BlitInstructions g_instructions = BestBlitInstructions();

struct BlitCase {
    int32_t src_w;
    int32_t src_h;
    int32_t dst_w;
    int32_t dst_h;
    double angle { 0.0 };
    bool alpha { true };
    bool keyed { false };
    bool bilinear { false };
    double opacity { 1.0 };
    uint32_t tint { COLOUR_NONE };   ///< threshold 0, colour 0x00BBGGRR
    bool card { false };             ///< a card face's alpha instead of the diagonal ramp
    bool smooth_rotate { false };
};

void RunBlit(benchmark::State& state, const BlitCase& c)
{
    const ImageRecord image = MakeImage(c.src_w, c.src_h, c.alpha, c.keyed, c.card);
    Target target;
    for (auto _ : state) {
        DrawParams p = Centred(c.dst_w, c.dst_h, c.angle);
        p.flags = (c.bilinear ? DRAW_FLAG_SMOOTH_SCALE : 0) | (c.smooth_rotate ? DRAW_FLAG_SMOOTH_ROTATE : 0);
        BlitImage(target.Surface(), p, image, 0, 0, c.src_w, c.src_h, c.opacity, c.tint, g_instructions);
        benchmark::DoNotOptimize(target.pixels.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * c.dst_w * c.dst_h);
}

// The same operation in pixman: OVER of the premultiplied image, through a
// solid mask for opacity; a tint is a solid colour OVER through the image's
// alpha (one constant colour blended by the image's alpha, as ours is).
void RunPixman(benchmark::State& state, const BlitCase& c)
{
    const int32_t src_w = c.src_w;
    const int32_t src_h = c.src_h;
    const int32_t dst_w = c.dst_w;
    const int32_t dst_h = c.dst_h;
    const double angle = c.angle;
    const ImageRecord image = MakeImage(src_w, src_h, c.alpha, c.keyed, c.card);
    std::vector<uint32_t> source = Premultiplied(image);
    Target target;
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, src_w, src_h, source.data(), src_w * 4);
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, VIEW_W, VIEW_H, target.pixels.data(), VIEW_W * 4);
    pixman_image_t* mask = nullptr;
    if (c.opacity < 1.0) {
        const auto level = uint16_t(c.opacity * 0xFFFF);
        const pixman_color_t colour { 0, 0, 0, level };
        mask = pixman_image_create_solid_fill(&colour);
    }
    if (c.tint != COLOUR_NONE) {
        const pixman_color_t colour { uint16_t((c.tint & 0xFF) * 257), uint16_t(((c.tint >> 8) & 0xFF) * 257),
                                      uint16_t(((c.tint >> 16) & 0xFF) * 257), 0xFFFF };
        mask = src;
        src = pixman_image_create_solid_fill(&colour);
    }
    int32_t out_x = (VIEW_W - dst_w) / 2;
    int32_t out_y = (VIEW_H - dst_h) / 2;
    int32_t out_w = dst_w;
    int32_t out_h = dst_h;
    if (dst_w != src_w || dst_h != src_h || angle != 0.0) {
        pixman_transform_t transform;
        pixman_transform_init_identity(&transform);
        const double radians = angle * M_PI / 180.0;
        pixman_f_transform_t f;
        pixman_f_transform_init_identity(&f);
        // Destination pixel -> source pixel: move to the centre, unrotate, unscale.
        pixman_f_transform_translate(&f, nullptr, -dst_w / 2.0, -dst_h / 2.0);
        pixman_f_transform_rotate(&f, nullptr, std::cos(-radians), std::sin(-radians));
        pixman_f_transform_scale(&f, nullptr, double(src_w) / dst_w, double(src_h) / dst_h);
        pixman_f_transform_translate(&f, nullptr, src_w / 2.0, src_h / 2.0);
        pixman_transform_from_pixman_f_transform(&transform, &f);
        pixman_image_set_transform(src, &transform);
        pixman_image_set_filter(src, c.bilinear || c.smooth_rotate ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST,
                                nullptr, 0);
        if (angle != 0.0) {
            const int32_t side = int32_t(std::sqrt(double(dst_w) * dst_w + double(dst_h) * dst_h));
            out_x = (VIEW_W - side) / 2;
            out_y = (VIEW_H - side) / 2;
            out_w = side;
            out_h = side;
            pixman_f_transform_init_identity(&f);
            pixman_f_transform_translate(&f, nullptr, -side / 2.0, -side / 2.0);
            pixman_f_transform_rotate(&f, nullptr, std::cos(-radians), std::sin(-radians));
            pixman_f_transform_scale(&f, nullptr, double(src_w) / dst_w, double(src_h) / dst_h);
            pixman_f_transform_translate(&f, nullptr, src_w / 2.0, src_h / 2.0);
            pixman_transform_from_pixman_f_transform(&transform, &f);
            pixman_image_set_transform(src, &transform);
        }
    }
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src, mask, dst, 0, 0, 0, 0, out_x, out_y, out_w, out_h);
        benchmark::DoNotOptimize(target.pixels.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * dst_w * dst_h);
    pixman_image_unref(src);
    pixman_image_unref(dst);
    if (mask)
        pixman_image_unref(mask);
}

void BM_Memcpy(benchmark::State& state)
{
    std::vector<uint32_t> source(size_t(VIEW_W) * VIEW_H, 0x12345678u);
    Target target;
    for (auto _ : state) {
        std::memcpy(target.pixels.data(), source.data(), source.size() * 4);
        benchmark::DoNotOptimize(target.pixels.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * VIEW_W * VIEW_H);
}

// The operations, each drawn at the sizes the table draws (a card, a
// larger sprite) and at the size of the view. Scaled draws enlarge a source
// of two thirds the size by 1.5; rotated ones turn the image by 30 degrees
// (at the view size a 560 x 400 image, whose turned square fits the view).
struct Operation {
    const char* name;
    BlitCase (*make)(int32_t w, int32_t h);
};

const Operation OPERATIONS[] = {
    { "CopyKeyed", [](int32_t w, int32_t h) { return BlitCase { w, h, w, h, 0.0, false, true }; } },
    { "Blend", [](int32_t w, int32_t h) { return BlitCase { w, h, w, h }; } },
    // A card-like image (opaque body, clear corners), as the table's sprites
    // are; Blend's ramp has nearly every pixel partly clear.
    { "BlendCard",
      [](int32_t w, int32_t h) { return BlitCase { w, h, w, h, 0.0, true, false, false, 1.0, COLOUR_NONE, true }; } },
    { "ScaledNearest", [](int32_t w, int32_t h) { return BlitCase { w * 2 / 3, h * 2 / 3, w, h }; } },
    { "ScaledBilinear",
      [](int32_t w, int32_t h) { return BlitCase { w * 2 / 3, h * 2 / 3, w, h, 0.0, true, false, true }; } },
    { "Rotated",
      [](int32_t w, int32_t h) {
          return w == VIEW_W ? BlitCase { 560, 400, 560, 400, 30.0 } : BlitCase { w, h, w, h, 30.0 };
      } },
    { "RotatedSmooth",
      [](int32_t w, int32_t h) {
          BlitCase c = w == VIEW_W ? BlitCase { 560, 400, 560, 400, 30.0 } : BlitCase { w, h, w, h, 30.0 };
          c.smooth_rotate = true;
          return c;
      } },
    { "Tint", [](int32_t w, int32_t h) { return BlitCase { w, h, w, h, 0.0, true, false, false, 1.0, 0x00406080 }; } },
    { "Opacity", [](int32_t w, int32_t h) { return BlitCase { w, h, w, h, 0.0, true, false, false, 0.5 }; } },
    // An image without alpha channel at half opacity (a card fading out).
    { "Fade", [](int32_t w, int32_t h) { return BlitCase { w, h, w, h, 0.0, false, false, false, 0.5 }; } },
};

struct Size {
    int32_t w;
    int32_t h;
};
const Size SIZES[] = { { 71, 96 }, { 160, 120 }, { VIEW_W, VIEW_H } };

std::string CaseName(const char* side, const Operation& op, const Size& size)
{
    return std::string("BM_") + side + op.name + "/" + std::to_string(size.w) + "x" + std::to_string(size.h);
}

// Time of a over time of b, or 0 when either did not run. All blitter and
// pixman cases of one operation draw the same number of pixels.
double TimeRatio(const benchsupport::CMedianReporter& report, const std::string& a, const std::string& b)
{
    const double ta = report.Median(a);
    const double tb = report.Median(b);
    return ta > 0 && tb > 0 ? ta / tb : 0.0;
}

void PrintRatios(const benchsupport::CMedianReporter& report)
{
    std::printf("\nRatios of medians (CPU time): speed of the blitter over pixman's (above 1: faster)\n");
    std::printf("  %-16s", "");
    for (const Size& size : SIZES)
        std::printf(" %10s", (std::to_string(size.w) + "x" + std::to_string(size.h)).c_str());
    std::printf("\n");
    for (const Operation& op : OPERATIONS) {
        std::printf("  %-16s", op.name);
        for (const Size& size : SIZES) {
            const double ratio = TimeRatio(report, CaseName("Pixman", op, size), CaseName("Blit", op, size));
            if (ratio > 0)
                std::printf(" %10.2f", ratio);
            else
                std::printf(" %10s", "-");
        }
        std::printf("\n");
    }
    std::printf("Time of the blitter over memcpy's of the same bytes (view size)\n");
    for (const char* name : { "CopyKeyed", "Blend", "BlendCard" }) {
        const std::string blit = std::string("BM_Blit") + name + "/" + std::to_string(VIEW_W) + "x"
            + std::to_string(VIEW_H);
        if (const double ratio = TimeRatio(report, blit, "BM_Memcpy"); ratio > 0)
            std::printf("  %-16s %5.2f x memcpy time\n", name, ratio);
    }
}

} // namespace

BENCHMARK(BM_Memcpy)->Repetitions(9)->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    const std::string option = "--instructions=";
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind(option, 0) != 0)
            continue;
        const std::string name = argument.substr(option.size());
        g_instructions = name == "scalar" ? BlitInstructions::Scalar
            : name == "sse2"              ? BlitInstructions::Sse2
            : name == "ssse3"             ? BlitInstructions::Ssse3
                                          : BlitInstructions::Avx2;
        std::printf("Drawing with %s\n", name.c_str());
        std::copy(argv + i + 1, argv + argc, argv + i);
        --argc;
        --i;
    }
    // Each blitter case right beside pixman's of the same operation and size.
    for (const Operation& op : OPERATIONS) {
        for (const Size& size : SIZES) {
            const BlitCase c = op.make(size.w, size.h);
            benchmark::RegisterBenchmark(CaseName("Blit", op, size).c_str(), [c](benchmark::State& state) { RunBlit(state, c); })
                ->Repetitions(9)
                ->ReportAggregatesOnly(true);
            benchmark::RegisterBenchmark(CaseName("Pixman", op, size).c_str(),
                                         [c](benchmark::State& state) { RunPixman(state, c); })
                ->Repetitions(9)
                ->ReportAggregatesOnly(true);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchsupport::CMedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    benchmark::Shutdown();
    return 0;
}

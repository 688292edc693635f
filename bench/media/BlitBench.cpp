// Blit throughput on a 1050 x 700 target: the blitter's straight copy with
// colour key, alpha blend at scale 1, scaled blend and rotated blend, beside
// pixman compositing the same operation and memcpy of the same bytes.
// items_per_second is drawn (destination) pixels per second.
#include "engine/media/Blitter.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace engine;

namespace {

constexpr int32_t VIEW_W = 1050;
constexpr int32_t VIEW_H = 700;

ImageRecord MakeImage(int32_t w, int32_t h, bool alpha, bool keyed)
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
            uint32_t a = alpha ? uint32_t((x + y) & 0xFF) : 255;
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

void RunBlit(benchmark::State& state, int32_t src_w, int32_t src_h, int32_t dst_w, int32_t dst_h, double angle,
             bool alpha, bool keyed)
{
    const ImageRecord image = MakeImage(src_w, src_h, alpha, keyed);
    Target target;
    for (auto _ : state) {
        DrawParams p = Centred(dst_w, dst_h, angle);
        BlitImage(target.Surface(), p, image, 0, 0, src_w, src_h, 1.0, COLOUR_NONE);
        benchmark::DoNotOptimize(target.pixels.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * dst_w * dst_h);
}

void RunPixman(benchmark::State& state, int32_t src_w, int32_t src_h, int32_t dst_w, int32_t dst_h, double angle,
               bool alpha, bool keyed)
{
    const ImageRecord image = MakeImage(src_w, src_h, alpha, keyed);
    std::vector<uint32_t> source = Premultiplied(image);
    Target target;
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, src_w, src_h, source.data(), src_w * 4);
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, VIEW_W, VIEW_H, target.pixels.data(), VIEW_W * 4);
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
        pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
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
        pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, out_x, out_y, out_w, out_h);
        benchmark::DoNotOptimize(target.pixels.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * dst_w * dst_h);
    pixman_image_unref(src);
    pixman_image_unref(dst);
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

void BM_BlitCopyKeyed(benchmark::State& s) { RunBlit(s, VIEW_W, VIEW_H, VIEW_W, VIEW_H, 0.0, false, true); }
void BM_PixmanCopyKeyed(benchmark::State& s) { RunPixman(s, VIEW_W, VIEW_H, VIEW_W, VIEW_H, 0.0, false, true); }
void BM_BlitBlend(benchmark::State& s) { RunBlit(s, VIEW_W, VIEW_H, VIEW_W, VIEW_H, 0.0, true, false); }
void BM_PixmanBlend(benchmark::State& s) { RunPixman(s, VIEW_W, VIEW_H, VIEW_W, VIEW_H, 0.0, true, false); }
void BM_BlitScaledBlend(benchmark::State& s) { RunBlit(s, 700, 467, VIEW_W, VIEW_H, 0.0, true, false); }
void BM_PixmanScaledBlend(benchmark::State& s) { RunPixman(s, 700, 467, VIEW_W, VIEW_H, 0.0, true, false); }
void BM_BlitRotatedBlend(benchmark::State& s) { RunBlit(s, 560, 400, 560, 400, 30.0, true, false); }
void BM_PixmanRotatedBlend(benchmark::State& s) { RunPixman(s, 560, 400, 560, 400, 30.0, true, false); }

} // namespace

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_BlitCopyKeyed);
BENCHMARK(BM_PixmanCopyKeyed);
BENCHMARK(BM_BlitBlend);
BENCHMARK(BM_PixmanBlend);
BENCHMARK(BM_BlitScaledBlend);
BENCHMARK(BM_PixmanScaledBlend);
BENCHMARK(BM_BlitRotatedBlend);
BENCHMARK(BM_PixmanRotatedBlend);

BENCHMARK_MAIN();

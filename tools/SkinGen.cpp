// skingen: draws the project's own start screen (a card table with a fan of
// cards) and writes it as a ".kor" package holding "StartScreen.pps", so that
// a fresh build shows a picture of its own before the client exists.
//
//   skingen <out.kor>
#include "engine/core/ImageRecord.h"
#include "engine/core/NameKey.h"
#include "engine/media/Blitter.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResPackage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

using namespace engine;

namespace {

constexpr int32_t SCREEN_W = 1050;
constexpr int32_t SCREEN_H = 700;

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b, uint32_t a = 255) { return a << 24 | r << 16 | g << 8 | b; }

// Inside a rounded rectangle of w x h with corner radius r.
bool InsideRounded(int32_t x, int32_t y, int32_t w, int32_t h, int32_t r)
{
    const int32_t cx = std::clamp(x, r, w - 1 - r);
    const int32_t cy = std::clamp(y, r, h - 1 - r);
    const int32_t dx = x - cx;
    const int32_t dy = y - cy;
    return dx * dx + dy * dy <= r * r;
}

ImageRecord MakeRecord(int32_t w, int32_t h, const std::vector<uint32_t>& pixels, uint32_t flags)
{
    ImageRecord record;
    record.width = uint16_t(w);
    record.height = uint16_t(h);
    record.frames = 1;
    record.frames_per_row = 1;
    record.flags = flags;
    record.pixel_bytes = uint32_t(pixels.size() * 4);
    record.pixels = std::make_unique<uint8_t[]>(record.pixel_bytes);
    std::memcpy(record.pixels.get(), pixels.data(), record.pixel_bytes);
    return record;
}

// A card face: white with a border and a suit mark (a disc, or a diamond).
ImageRecord MakeCard(bool red, bool diamond)
{
    constexpr int32_t W = 71;
    constexpr int32_t H = 96;
    std::vector<uint32_t> pixels(size_t(W) * H, 0);
    const uint32_t ink = red ? Rgb(200, 30, 40) : Rgb(25, 25, 30);
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x) {
            if (!InsideRounded(x, y, W, H, 6))
                continue;
            uint32_t colour = InsideRounded(x - 2, y - 2, W - 4, H - 4, 5) ? Rgb(250, 250, 246) : Rgb(90, 90, 100);
            const int32_t dx = std::abs(x - W / 2);
            const int32_t dy = std::abs(y - H / 2);
            if (diamond ? dx * 3 + dy * 2 <= 48 : dx * dx + dy * dy <= 15 * 15)
                colour = ink;
            if ((x - 10) * (x - 10) + (y - 12) * (y - 12) <= 16)
                colour = ink;
            pixels[size_t(y) * W + x] = colour;
        }
    }
    return MakeRecord(W, H, pixels, IMAGE_FLAG_ALPHA | IMAGE_FLAG_TRANSPARENT);
}

std::vector<uint32_t> DrawTable()
{
    std::vector<uint32_t> screen(size_t(SCREEN_W) * SCREEN_H);
    for (int32_t y = 0; y < SCREEN_H; ++y) {
        for (int32_t x = 0; x < SCREEN_W; ++x) {
            const double nx = (x - SCREEN_W / 2.0) / (SCREEN_W / 2.0);
            const double ny = (y - SCREEN_H / 2.0) / (SCREEN_H / 2.0);
            const double light = std::clamp(1.0 - 0.45 * (nx * nx + ny * ny), 0.35, 1.0);
            screen[size_t(y) * SCREEN_W + x] = Rgb(uint32_t(14 * light), uint32_t(110 * light), uint32_t(48 * light));
        }
    }
    // An oval rim round the playing area.
    for (int32_t y = 0; y < SCREEN_H; ++y) {
        for (int32_t x = 0; x < SCREEN_W; ++x) {
            const double ex = (x - SCREEN_W / 2.0) / 420.0;
            const double ey = (y - SCREEN_H / 2.0) / 250.0;
            const double d = std::sqrt(ex * ex + ey * ey);
            if (d > 0.985 && d < 1.0)
                screen[size_t(y) * SCREEN_W + x] = Rgb(196, 160, 70);
        }
    }
    return screen;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: skingen <out.kor>\n");
        return 2;
    }
    std::vector<uint32_t> screen = DrawTable();
    const BlitSurface surface { screen.data(), SCREEN_W, SCREEN_H };
    const ImageRecord cards[4] = { MakeCard(true, false), MakeCard(false, true), MakeCard(true, true),
                                   MakeCard(false, false) };
    for (int i = 0; i < 5; ++i) {
        const ImageRecord& card = cards[i % 4];
        DrawParams params;
        params.angle = -30.0 + 15.0 * i;
        params.centre_x = SCREEN_W / 2 - 120 + 60 * i;
        params.centre_y = SCREEN_H / 2 + int32_t(std::abs(i - 2) * 14);
        params.width = card.width * 2;
        params.height = card.height * 2;
        params.flags = DRAW_FLAG_SMOOTH_ROTATE | DRAW_FLAG_SMOOTH_SCALE;
        BlitImage(surface, params, card, 0, 0, card.width, card.height, 1.0, COLOUR_NONE);
    }
    const ImageRecord start = MakeRecord(SCREEN_W, SCREEN_H, screen, 0);
    const std::vector<uint8_t> pps = EncodePps(start, nullptr, PPS_METHOD_BEST);
    if (pps.empty()) {
        std::fprintf(stderr, "skingen: the start screen cannot be encoded\n");
        return 1;
    }
    const std::vector<uint8_t> package
        = BuildResPackage({ ResPackageSource { "StartScreen.imge", StringHash(".pps"), pps } });
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(package.data()), std::streamsize(package.size()));
    if (!out) {
        std::fprintf(stderr, "skingen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

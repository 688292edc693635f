// skingen: draws the project's own start screen (a card table with a fan of
// the default skin's cards) and writes it as a ".kor" package holding
// "StartScreen.pps", so that a fresh build shows a picture of its own before
// the client exists.
//
//   skingen <out.kor> [--preview <png-folder>]
#include "engine/core/NameKey.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResPackage.h"
#include "tools/CardSkin.h"
#include "tools/SkinDraw.h"
#include "tools/SkinPreview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

using namespace tools;

namespace {

constexpr int32_t SCREEN_W = 1050;
constexpr int32_t SCREEN_H = 700;

// Lays `card` on the screen, turned by `angle` degrees about its centre at
// (cx, cy) and scaled, each screen pixel averaged from 4 x 4 samples.
void DrawTurned(Picture& screen, const Picture& card, double cx, double cy, double scale, double angle, double opacity,
                uint32_t tint = 0)
{
    const double c = std::cos(angle * M_PI / 180.0), s = std::sin(angle * M_PI / 180.0);
    const double reach = std::hypot(card.width, card.height) * scale / 2.0 + 2.0;
    for (int32_t y = int32_t(cy - reach); y <= int32_t(cy + reach); ++y) {
        for (int32_t x = int32_t(cx - reach); x <= int32_t(cx + reach); ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < SUPERSAMPLE; ++sy) {
                for (int sx = 0; sx < SUPERSAMPLE; ++sx) {
                    const double dx = x + (sx + 0.5) / SUPERSAMPLE - cx, dy = y + (sy + 0.5) / SUPERSAMPLE - cy;
                    const int32_t u = int32_t(std::floor((c * dx + s * dy) / scale + card.width / 2.0));
                    const int32_t v = int32_t(std::floor((-s * dx + c * dy) / scale + card.height / 2.0));
                    if (u < 0 || v < 0 || u >= card.width || v >= card.height)
                        continue;
                    const uint32_t p = card.pixels[size_t(v) * size_t(card.width) + size_t(u)];
                    const double pa = double(p >> 24) / 255.0;
                    r += pa * double(p >> 16 & 0xFF), g += pa * double(p >> 8 & 0xFF), b += pa * double(p & 0xFF);
                    a += pa;
                }
            }
            if (a <= 0.0)
                continue;
            const uint32_t colour = tint != 0 ? tint
                                              : Rgb(uint32_t(std::lround(r / a)), uint32_t(std::lround(g / a)),
                                                    uint32_t(std::lround(b / a)));
            screen.Blend(x, y, colour, opacity * a / (SUPERSAMPLE * SUPERSAMPLE));
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    const bool preview = argc == 4 && std::string_view(argv[2]) == "--preview";
    if (argc != 2 && !preview) {
        std::fprintf(stderr, "usage: skingen <out.kor> [--preview <png-folder>]\n");
        return 2;
    }
    Picture screen = DrawFeltTable(SCREEN_W, SCREEN_H);
    // Ace of spades, king of hearts, queen of clubs, jack of diamonds, big joker.
    static constexpr int FAN[] = { 39, 38, 24, 10, 53 };
    TextPen pen;
    constexpr double SCALE = 1.5;
    constexpr double FAN_RADIUS = 300.0;
    for (int i = 0; i < 5; ++i) {
        const Picture card = DrawCardFace(pen, 98, 132, FAN[i]);
        // Fanned about a point below the table's middle, as held in a hand.
        const double angle = -28.0 + 14.0 * i;
        const double cx = SCREEN_W / 2.0 + FAN_RADIUS * std::sin(angle * M_PI / 180.0);
        const double cy = SCREEN_H / 2.0 + FAN_RADIUS * (1.0 - std::cos(angle * M_PI / 180.0)) - 10.0;
        DrawTurned(screen, card, cx + 5, cy + 7, SCALE, angle, 0.35, 0xFF000000u);  // shadow
        DrawTurned(screen, card, cx, cy, SCALE, angle, 1.0);
    }
    SkinImage start { "StartScreen", ToRecord({ screen }) };
    start.image.flags = 0;  // opaque
    std::string error;
    if (preview && !WritePreviewSheet(argv[3], start, error)) {
        std::fprintf(stderr, "skingen: %s\n", error.c_str());
        return 1;
    }
    const std::vector<uint8_t> pps = engine::EncodePps(start.image, nullptr, engine::PPS_METHOD_BEST);
    if (pps.empty()) {
        std::fprintf(stderr, "skingen: the start screen cannot be encoded\n");
        return 1;
    }
    const std::vector<uint8_t> package
        = engine::BuildResPackage({ engine::ResPackageSource { "StartScreen.imge", engine::StringHash(".pps"), pps } });
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(package.data()), std::streamsize(package.size()));
    if (!out) {
        std::fprintf(stderr, "skingen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

#include "tools/SkinExtras.h"

#include "game/scene/QrCodePanel.h"
#include "platform/ByteWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace tools {

namespace {

constexpr uint32_t BOARD_GREEN = Rgb(24, 72, 48);
constexpr uint32_t DEEP_GREEN = Rgb(14, 48, 32);
constexpr uint32_t PALE_GOLD = Rgb(255, 233, 160);
constexpr uint32_t INK = Rgb(60, 36, 20);
constexpr uint32_t TEAR_BLUE = Rgb(90, 170, 240);

// A stroke of the circle of radius r round (cx, cy), `thickness` wide,
// between the angles a0 and a1 (radians, y downwards, 0 to the right).
Shape Arc(double cx, double cy, double r, double thickness, double a0, double a1)
{
    return [=](double x, double y) {
        const double d = std::hypot(x - cx, y - cy);
        if (std::abs(d - r) > thickness / 2.0)
            return false;
        const double a = std::atan2(y - cy, x - cx);
        return (a >= a0 && a <= a1) || (a + 2.0 * M_PI >= a0 && a + 2.0 * M_PI <= a1);
    };
}

// A stroke from (x0, y0) to (x1, y1), `thickness` wide, with round ends.
Shape Segment(double x0, double y0, double x1, double y1, double thickness)
{
    return [=](double x, double y) {
        const double dx = x1 - x0, dy = y1 - y0;
        const double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        return std::hypot(x - x0 - t * dx, y - y0 - t * dy) <= thickness / 2.0;
    };
}

Shape Disc(double cx, double cy, double r)
{
    return [=](double x, double y) { return InCircle(x, y, cx, cy, r); };
}

Shape Ellipse(double cx, double cy, double rx, double ry)
{
    return [=](double x, double y) { return InCircle((x - cx) / rx, (y - cy) / ry, 0.0, 0.0, 1.0); };
}

// Inside the triangle a, b, c.
Shape Triangle(std::array<double, 6> p)
{
    return [p](double x, double y) {
        const auto side = [&](int i, int j) {
            return (p[size_t(j)] - p[size_t(i)]) * (y - p[size_t(i) + 1]) - (p[size_t(j) + 1] - p[size_t(i) + 1]) * (x - p[size_t(i)]);
        };
        const double d1 = side(0, 2), d2 = side(2, 4), d3 = side(4, 0);
        return !((d1 < 0 || d2 < 0 || d3 < 0) && (d1 > 0 || d2 > 0 || d3 > 0));
    };
}

void FillAll(Picture& pic, const Shape& shape, uint32_t colour)
{
    Fill(pic, shape, 0, 0, pic.width, pic.height, colour);
}

// --- Emoticons of the message boards: round faces of 64 x 64.

constexpr int32_t FACE = 64;

enum class Mood { Sorry, Victory, Wail, Cards, Broke, Puzzled, Wealth };

Picture DrawEmoticon(TextPen& pen, Mood mood)
{
    Picture pic(FACE, FACE);
    const double c = FACE / 2.0, r = FACE / 2.0 - 3.0;
    FillAll(pic, Disc(c, c + 1, r + 1), Rgb(200, 120, 20));
    Fill(pic, Disc(c, c + 1, r - 0.5), 0, 0, FACE, FACE, Rgb(255, 224, 90), Rgb(246, 170, 40));
    FillAll(pic, Ellipse(c - 8, c - 14, 9, 5), 0x60FFFFFFu);  // shine
    const double ey = c - 4, ex = 11;
    const auto dot_eyes = [&] {
        FillAll(pic, Ellipse(c - ex, ey, 3.2, 4.2), INK);
        FillAll(pic, Ellipse(c + ex, ey, 3.2, 4.2), INK);
    };
    const auto happy_eyes = [&] {
        FillAll(pic, Arc(c - ex, ey + 2, 5, 2.6, -M_PI * 0.95, -M_PI * 0.05), INK);
        FillAll(pic, Arc(c + ex, ey + 2, 5, 2.6, -M_PI * 0.95, -M_PI * 0.05), INK);
    };
    const auto blush = [&] {
        FillAll(pic, Ellipse(c - 17, c + 7, 5, 3), 0x70F05050u);
        FillAll(pic, Ellipse(c + 17, c + 7, 5, 3), 0x70F05050u);
    };
    switch (mood) {
    case Mood::Sorry:
        // Eyes shut tight, a small frown, a bead of sweat.
        FillAll(pic, Arc(c - ex, ey - 1, 5, 2.6, M_PI * 0.1, M_PI * 0.9), INK);
        FillAll(pic, Arc(c + ex, ey - 1, 5, 2.6, M_PI * 0.1, M_PI * 0.9), INK);
        FillAll(pic, Arc(c, c + 20, 9, 2.8, -M_PI * 0.8, -M_PI * 0.2), INK);
        FillAll(pic, Disc(c + 21, c - 12, 4.2), TEAR_BLUE);
        FillAll(pic, Triangle({ c + 17.5, c - 13.5, c + 24.5, c - 13.5, c + 21, c - 22 }), TEAR_BLUE);
        blush();
        break;
    case Mood::Victory:
        // A beaming open smile under happy eyes, a gold star beside.
        happy_eyes();
        Fill(pic, [&](double x, double y) { return y >= c + 5 && InCircle(x, y, c, c + 5, 14); }, 0, 0, FACE, FACE,
             Rgb(150, 30, 30));
        FillAll(pic, Ellipse(c, c + 15, 7, 3.5), Rgb(240, 110, 110));
        blush();
        DrawStar(pic, FACE - 9, 9, 8, Rgb(255, 250, 200));
        DrawStar(pic, FACE - 9, 9, 6, GOLD);
        break;
    case Mood::Wail:
        // Crying hard: shut eyes, a wide open mouth, streams of tears.
        FillAll(pic, Arc(c - ex, ey + 3, 5, 2.6, -M_PI * 0.9, -M_PI * 0.1), INK);
        FillAll(pic, Arc(c + ex, ey + 3, 5, 2.6, -M_PI * 0.9, -M_PI * 0.1), INK);
        FillAll(pic, Ellipse(c, c + 14, 9, 7), Rgb(150, 30, 30));
        FillAll(pic, RoundedRect(c - ex - 3, ey + 3, c - ex + 3, FACE - 6, 3), 0xD05AAAF0u);
        FillAll(pic, RoundedRect(c + ex - 3, ey + 3, c + ex + 3, FACE - 6, 3), 0xD05AAAF0u);
        break;
    case Mood::Cards: {
        // Smiling, with a fan of cards held up.
        dot_eyes();
        FillAll(pic, Arc(c - 4, c + 5, 9, 2.8, M_PI * 0.2, M_PI * 0.8), INK);
        for (int i = 0; i < 3; ++i) {
            const double x0 = 36 + i * 7.0, y0 = 38 - i * 2.0;
            FillAll(pic, RoundedRect(x0, y0, x0 + 14, y0 + 20, 2.5), Rgb(90, 90, 100));
            FillAll(pic, RoundedRect(x0 + 1, y0 + 1, x0 + 13, y0 + 19, 2), Rgb(252, 251, 246));
        }
        pen.Draw(pic, U"A", 57, 37, 8, 9, Rgb(204, 22, 34));
        DrawStar(pic, 57, 49, 3.5, Rgb(204, 22, 34));
        break;
    }
    case Mood::Broke:
        // Gloom: brows raised in the middle, a frown, lines of worry above.
        FillAll(pic, Segment(c - ex - 6, ey - 7, c - ex + 5, ey - 11, 2.4), INK);
        FillAll(pic, Segment(c + ex + 6, ey - 7, c + ex - 5, ey - 11, 2.4), INK);
        dot_eyes();
        FillAll(pic, Arc(c, c + 22, 10, 2.8, -M_PI * 0.8, -M_PI * 0.2), INK);
        for (int i = -1; i <= 1; ++i)
            FillAll(pic, Segment(c + i * 7, 7, c + i * 7, 14, 2.2), 0xA05070C0u);
        break;
    case Mood::Puzzled:
        // Puzzled: one brow up, a flat mouth and a question mark.
        dot_eyes();
        FillAll(pic, RoundedRect(c - 8, c + 13, c + 6, c + 16, 1.5), INK);
        FillAll(pic, Arc(c + ex, ey - 6, 6, 2.4, -M_PI * 0.85, -M_PI * 0.15), INK);
        pen.DrawOutlined(pic, U"?", FACE - 10, 2, 22, 16, Rgb(80, 140, 255));
        break;
    case Mood::Wealth:
        // Beaming under a red hat, with a gold coin.
        happy_eyes();
        FillAll(pic, Arc(c, c + 4, 12, 2.8, M_PI * 0.2, M_PI * 0.8), INK);
        FillAll(pic, RoundedRect(c - 16, 0, c + 16, 12, 3), Rgb(200, 30, 30));
        FillAll(pic, RoundedRect(c - 22, 9, c + 22, 14, 2.5), Rgb(160, 20, 20));
        FillAll(pic, Disc(FACE - 13, FACE - 13, 12), Rgb(170, 110, 20));
        FillAll(pic, Disc(FACE - 13, FACE - 13, 10.5), Rgb(250, 206, 70));
        pen.Draw(pic, U"财", FACE - 13, FACE - 21, 15, 15, Rgb(170, 40, 20));
        blush();
        break;
    }
    return pic;
}

// --- The table's chat bubbles: five frames, the tail pointing at the seat.

constexpr int32_t BUBBLE_W = 140;
constexpr int32_t BUBBLE_H = 92;
constexpr int32_t BUBBLE_TAIL = 24;

// Frame f's tail: below the body for frames 0, 2 and 3, above it for 1 and
// 4; its tip at the given fraction of the width.
Shape BubbleShape(int frame, double inset)
{
    const bool down = frame == 0 || frame == 2 || frame == 3;
    static constexpr std::array<double, 5> TIP { 0.85, 0.15, 0.15, 0.5, 0.85 };
    const double tip_x = BUBBLE_W * TIP[size_t(frame)];
    const double body_top = down ? 0.0 : BUBBLE_TAIL;
    const double body_bottom = down ? BUBBLE_H - BUBBLE_TAIL : BUBBLE_H;
    const Shape body = RoundedRect(inset, body_top + inset, BUBBLE_W - inset, body_bottom - inset, 14 - inset);
    const double base_y = down ? body_bottom - inset - 2 : body_top + inset + 2;
    const double tip_y = down ? BUBBLE_H - 1 - inset * 2 : 1 + inset * 2;
    const double base_x = std::clamp(tip_x + (tip_x < BUBBLE_W / 2.0 ? 14.0 : -14.0), 24.0, BUBBLE_W - 24.0);
    const Shape tail = Triangle({ base_x - 9 + inset, base_y, base_x + 9 - inset, base_y, tip_x, tip_y });
    return [body, tail](double x, double y) { return body(x, y) || tail(x, y); };
}

std::vector<Picture> DrawBubbles()
{
    std::vector<Picture> frames;
    for (int frame = 0; frame < 5; ++frame) {
        Picture pic(BUBBLE_W, BUBBLE_H);
        FillAll(pic, BubbleShape(frame, 0.0), GOLD);
        Fill(pic, BubbleShape(frame, 2.0), 0, 0, BUBBLE_W, BUBBLE_H, Rgb(40, 52, 76), Rgb(22, 30, 46));
        frames.push_back(std::move(pic));
    }
    return frames;
}

// --- Boards with titles and labels.

// A dark green board with a gold edge and a title band.
Picture DrawTitledBoard(TextPen& pen, int32_t w, int32_t h, std::u32string_view title, int32_t title_h)
{
    Picture pic(w, h);
    DrawPanel(pic, 0, 0, w, h, 12, BOARD_GREEN, GOLD);
    FillAll(pic, RoundedRect(3, 3, w - 3, title_h + 8, 10), 0x40FFFFFFu);
    pen.DrawOutlined(pic, title, w / 2.0, 6, title_h - 2, w - 60.0, PALE_GOLD);
    return pic;
}

// The round's result box: rows 40 pixels apart from y 82, names from x 89,
// the points, bonus and result columns ending at x 255, 360 and 465.
Picture DrawResultBox(TextPen& pen)
{
    constexpr int32_t W = 500, H = 320;
    Picture pic = DrawTitledBoard(pen, W, H, U"本局结果", 24);
    struct Header {
        std::u32string_view text;
        double centre;
    };
    for (const Header& header : { Header { U"玩家", 120 }, Header { U"得分", 232 }, Header { U"奖励", 337 },
                                  Header { U"成绩", 442 } })
        pen.Draw(pic, header.text, header.centre, 52, 14, 60, PALE_GOLD);
    for (int row = 0; row < 4; ++row) {
        const double top = 80 + 40.0 * row;
        FillAll(pic, RoundedRect(20, top, W - 20, top + 37, 6), row < 2 ? 0x24FFD070u : 0x1AFFFFFFu);
    }
    // The two teams apart.
    FillAll(pic, RoundedRect(30, 158.5, W - 30, 160, 0.5), GOLD);
    return pic;
}

// The seat's bomb count: the scene draws this picture at its 80 x 30 canvas's
// size and writes the count from x 45, so the bomb keeps to the left.
Picture DrawBombIcon()
{
    Picture pic(80, 30);
    const double cx = 17, cy = 17, r = 10.5;
    FillAll(pic, Disc(cx, cy, r + 1), Rgb(10, 10, 14));
    Fill(pic, Disc(cx, cy, r), 0, 0, 40, 30, Rgb(70, 74, 86), Rgb(16, 16, 22));
    FillAll(pic, Ellipse(cx - 4, cy - 4, 3.5, 2.5), 0x90FFFFFFu);
    FillAll(pic, RoundedRect(cx + 3, cy - 13, cx + 10, cy - 7, 1.5), Rgb(120, 110, 96));
    FillAll(pic, Arc(cx + 13, cy - 10, 6, 1.8, -M_PI, -M_PI * 0.35), Rgb(200, 170, 110));
    DrawStar(pic, cx + 16, cy - 14, 5, Rgb(255, 200, 60));
    DrawStar(pic, cx + 16, cy - 14, 2.5, Rgb(255, 250, 220));
    return pic;
}

// The settings board: light paper under the black captions of its four
// boxes (left + 40, top + 55 + 25 i), its buttons at top + 177.
Picture DrawSettingsBoard(TextPen& pen)
{
    constexpr int32_t W = 260, H = 210;
    Picture pic(W, H);
    DrawPanel(pic, 0, 0, W, H, 10, Rgb(236, 230, 210), Rgb(150, 120, 60));
    Fill(pic, RoundedRect(2, 2, W - 2, 36, 8), 0, 0, W, 36, Rgb(46, 120, 76), Rgb(26, 84, 52));
    FillAll(pic, RoundedRect(2, 26, W - 2, 36, 0.5), Rgb(36, 102, 64));
    pen.DrawOutlined(pic, U"游戏设置", W / 2.0, 9, 17, W - 40.0, WHITE);
    FillAll(pic, RoundedRect(16, 155, W - 16, 156, 0.5), 0x60967840u);
    return pic;
}

// The QR-code panel. The panel stands centred at fixed points with the code
// and its buttons at fixed offsets from its centre; near the window's left
// and bottom edges the panel drawn round the centre would run off the window
// and the open-site button stick out of it. So the picture is centred where
// the panel stands but its board takes only the part that holds the code and
// both buttons (left of the code and below the site button it is clear).
Picture DrawQrPanel(TextPen& pen)
{
    constexpr int32_t CODE_HALF = 60, SITE_HALF_W = 36, SITE_HALF_H = 12, CLOSE_HALF = 10, MARGIN = 8;
    constexpr int32_t HALF_W = scene::QR_SITE_DX + SITE_HALF_W + MARGIN;
    constexpr int32_t HALF_H = -scene::QR_CLOSE_DY + CLOSE_HALF + MARGIN;
    constexpr int32_t W = 2 * HALF_W, H = 2 * HALF_H;
    constexpr double cx = HALF_W, cy = HALF_H;
    constexpr double left = cx - CODE_HALF - 2 * MARGIN, right = W;
    constexpr double top = 0, bottom = cy + scene::QR_SITE_DY + SITE_HALF_H + 34;
    constexpr double code_y = cy + scene::QR_CODE_DY;
    Picture pic(W, H);
    DrawPanel(pic, left, top, right, bottom, 12, BOARD_GREEN, GOLD);
    const double site_left = cx + scene::QR_SITE_DX - SITE_HALF_W;
    pen.Draw(pic, U"手机扫一扫", cx, 8, 13, 120, PALE_GOLD);
    FillAll(pic, RoundedRect(cx - CODE_HALF - 4, code_y - CODE_HALF - 4, cx + CODE_HALF + 4, code_y + CODE_HALF + 4, 6),
            WHITE);
    pen.Draw(pic, U"扫码下载", (cx + CODE_HALF + right) / 2, static_cast<int32_t>(code_y) - 20, 13,
             right - cx - CODE_HALF - 8, WHITE);
    pen.Draw(pic, U"手机版", (cx + CODE_HALF + right) / 2, static_cast<int32_t>(code_y) + 4, 13,
             right - cx - CODE_HALF - 8, WHITE);
    pen.Draw(pic, U"随时随地来一局", (left + site_left) / 2, static_cast<int32_t>(cy) + scene::QR_SITE_DY - 7, 13,
             site_left - left - 8, PALE_GOLD);
    return pic;
}

// The game's icon: two cards fanned on a green tile.
Picture DrawGameIcon(TextPen& pen)
{
    constexpr int32_t S = 32;
    Picture pic(S, S);
    Fill(pic, RoundedRect(0, 0, S, S, 6), 0, 0, S, S, Rgb(40, 140, 80), Rgb(16, 80, 44));
    FillAll(pic, RoundedRect(4, 6, 18, 26, 2), Rgb(90, 90, 100));
    FillAll(pic, RoundedRect(5, 7, 17, 25, 1.5), Rgb(252, 251, 246));
    pen.Draw(pic, U"K", 11, 10, 9, 10, Rgb(22, 22, 28));
    FillAll(pic, RoundedRect(13, 4, 28, 26, 2), Rgb(90, 90, 100));
    FillAll(pic, RoundedRect(14, 5, 27, 25, 1.5), Rgb(252, 251, 246));
    pen.Draw(pic, U"A", 20.5, 8, 9, 10, Rgb(204, 22, 34));
    DrawStar(pic, 20.5, 20, 4, Rgb(204, 22, 34));
    return pic;
}

// --- Scroll bar parts (the rich-text view's and the panel's bars).

constexpr int32_t BAR = 14;
// Where a bar's track and thumb are cut for stretching: their rounded ends.
constexpr int32_t SLICE_END = 6;

// A small arrow button in four state frames pointing along (dx, dy).
std::vector<Picture> DrawArrowButton(double dx, double dy)
{
    static constexpr std::array<double, 4> LIGHT { 1.0, 1.25, 0.8, 0.0 };
    std::vector<Picture> frames;
    for (int f = 0; f < 4; ++f) {
        Picture pic(BAR, BAR);
        const uint32_t body = f == 3 ? Rgb(110, 110, 110) : Shade(Rgb(60, 110, 80), LIGHT[size_t(f)]);
        DrawPanel(pic, 0, 0, BAR, BAR, 3, body, Shade(body, 0.55));
        const double c = BAR / 2.0, r = 3.8;
        // Tip along (dx, dy), base across it.
        const double px = -dy, py = dx;
        FillAll(pic, Triangle({ c + dx * r, c + dy * r, c - dx * r * 0.6 + px * r, c - dy * r * 0.6 + py * r,
                                c - dx * r * 0.6 - px * r, c - dy * r * 0.6 - py * r }),
                f == 3 ? Rgb(190, 190, 190) : WHITE);
        frames.push_back(std::move(pic));
    }
    return frames;
}

void AddScrollBarParts(SkinPackage& chat)
{
    for (const bool vertical : { true, false }) {
        const int32_t track_w = vertical ? BAR : 100, track_h = vertical ? 100 : BAR;
        Picture track(track_w, track_h);
        DrawPanel(track, 0, 0, track_w, track_h, 5, Rgb(36, 44, 40), Rgb(20, 24, 22));
        const int32_t thumb_w = vertical ? BAR : 40, thumb_h = vertical ? 40 : BAR;
        std::vector<Picture> thumbs;
        for (const double light : { 1.0, 1.25, 0.85 }) {
            Picture thumb(thumb_w, thumb_h);
            DrawPanel(thumb, 1, 1, thumb_w - 1, thumb_h - 1, 5, Shade(Rgb(70, 140, 96), light), Rgb(30, 60, 40));
            thumbs.push_back(std::move(thumb));
        }
        Picture grip(8, 8);
        for (int i = 0; i < 3; ++i) {
            const double at = 1.5 + i * 2.5;
            FillAll(grip, vertical ? RoundedRect(1, at, 7, at + 1.2, 0.5) : RoundedRect(at, 1, at + 1.2, 7, 0.5),
                    0xC0FFFFFFu);
        }
        const char* prefix = vertical ? "ScrollBar_Vert" : "ScrollBar_Horz";
        // A bar draws its track and thumb in three slices along it, cut at the
        // record's two offsets: the rounded ends stay, the middle stretches.
        const auto sliced = [vertical](engine::ImageRecord record) {
            const int32_t length = vertical ? record.height : record.width;
            record.offset_x = static_cast<int16_t>(SLICE_END);
            record.offset_y = static_cast<int16_t>(length - SLICE_END);
            record.flags |= engine::IMAGE_FLAG_OFFSETS;
            return record;
        };
        chat.images.push_back(SkinImage { std::string(prefix) + "Back", sliced(ToRecord({ track })) });
        chat.images.push_back(SkinImage { std::string(prefix) + "Btn", sliced(ToRecord(thumbs)) });
        chat.images.push_back(SkinImage { std::string(prefix) + "Pattern", ToRecord({ grip }) });
        chat.images.push_back(SkinImage { std::string(prefix) + (vertical ? "UpBtn" : "LeftBtn"),
                                          ToRecord(vertical ? DrawArrowButton(0, -1) : DrawArrowButton(-1, 0)) });
        chat.images.push_back(SkinImage { std::string(prefix) + (vertical ? "DownBtn" : "RightBtn"),
                                          ToRecord(vertical ? DrawArrowButton(0, 1) : DrawArrowButton(1, 0)) });
    }
}

// --- Loose files.

// A soft vertical fade between two colours with a faint diagonal weave.
Picture DrawWash(int32_t w, int32_t h, uint32_t top, uint32_t bottom)
{
    Picture pic(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t base = Mix(top, bottom, double(y) / std::max(1, h - 1));
            const bool weave = (x + y) % 6 == 0 || (x - y + 6000) % 6 == 0;
            pic.pixels[size_t(y) * size_t(w) + size_t(x)] = weave ? Shade(base, 0.97) : base;
        }
    return pic;
}

std::vector<uint8_t> SkinIni()
{
    // The advert bar's and the wait bar's colours ("red green blue") and the
    // wait dialog's background, beside this file.
    const std::string text = "[CommColors]\r\n"
                             "AdvHeader=8 88 53\r\n"
                             "AdvText=0 0 0\r\n"
                             "AdvBk=225 241 229\r\n"
                             "AdvGrid=216 230 217\r\n"
                             "PlayerViewHeader=0 0 0\r\n"
                             "PlayerViewText=0 0 0\r\n"
                             "TitleText=0 0 0\r\n"
                             "WaitBarfg=46 70 26\r\n"
                             "WaitBarbg=115 148 66\r\n"
                             "\r\n"
                             "[BitmapResource]\r\n"
                             "CommDlgBK=commdlgbk.bmp\r\n";
    return std::vector<uint8_t>(text.begin(), text.end());
}

} // namespace

std::vector<uint8_t> EncodeBmp(const Picture& picture, uint32_t ground)
{
    constexpr uint32_t FILE_HEADER = 14, INFO_HEADER = 40;
    const uint32_t stride = (uint32_t(picture.width) * 3 + 3) & ~3u;
    const uint32_t data = stride * uint32_t(picture.height);
    std::vector<uint8_t> out(FILE_HEADER + INFO_HEADER + data, 0);
    platform::CByteWriter writer(out);
    writer.WriteU8('B');
    writer.WriteU8('M');
    writer.WriteU32(uint32_t(out.size()));
    writer.WriteU32(0);
    writer.WriteU32(FILE_HEADER + INFO_HEADER);
    writer.WriteU32(INFO_HEADER);
    writer.WriteI32(picture.width);
    writer.WriteI32(picture.height);  // positive: rows from the bottom
    writer.WriteU16(1);               // planes
    writer.WriteU16(24);              // bits a pixel
    writer.WriteU32(0);               // no compression
    writer.WriteU32(data);
    writer.WriteI32(2835);            // 72 dots an inch
    writer.WriteI32(2835);
    writer.WriteU32(0);
    writer.WriteU32(0);
    for (int32_t y = picture.height - 1; y >= 0; --y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            const uint32_t pixel = picture.pixels[size_t(y) * size_t(picture.width) + size_t(x)];
            const uint32_t over = Mix(ground | 0xFF000000u, pixel | 0xFF000000u, double(pixel >> 24) / 255.0);
            writer.WriteU8(uint8_t(over));
            writer.WriteU8(uint8_t(over >> 8));
            writer.WriteU8(uint8_t(over >> 16));
        }
        for (uint32_t pad = uint32_t(picture.width) * 3; pad < stride; ++pad)
            writer.WriteU8(0);
    }
    return out;
}

void DrawExtraImages(TextPen& pen, std::vector<SkinPackage>& packages)
{
    SkinPackage& common = PackageNamed(packages, "common.kor");
    // The table under everything, centred on the main-game area: as large as
    // the largest window, so that it covers any area.
    SkinImage felt { "bit_BkgPattern", ToRecord({ DrawFeltTable(1050, 700) }) };
    felt.image.flags = 0;  // opaque
    common.images.push_back(std::move(felt));
    common.images.push_back(SkinImage { "chat", ToRecord(DrawBubbles()) });
    // The slogan's top edge stands at the start button's centre: its upper
    // rows stay clear, so the text begins below the button's lower half.
    Picture slogan(320, 64);
    pen.DrawOutlined(slogan, U"快乐打牌 · 好运常在", 160, 30, 26, 310, PALE_GOLD);
    common.images.push_back(SkinImage { "slogan", ToRecord({ slogan }) });
    common.images.push_back(SkinImage { "游戏结果框", ToRecord({ DrawResultBox(pen) }) });
    common.images.push_back(SkinImage { "bit_gamesetboard", ToRecord({ DrawSettingsBoard(pen) }) });
    common.images.push_back(SkinImage { "炸弹图标", ToRecord({ DrawBombIcon() }) });
    common.images.push_back(SkinImage { "手机二维码_背景", ToRecord({ DrawQrPanel(pen) }) });
    common.images.push_back(SkinImage { "voicebg", ToRecord({ DrawTitledBoard(pen, 200, 320, U"快捷语", 20) }) });
    // The info box's titles, drawn at the box's size (see SkinExtras.h).
    for (const auto& [name, text] : { std::pair { "str_基础分", U"基础分" }, std::pair { "str_翻牌", U"翻牌" } }) {
        Picture title(INFO_BOX_WIDTH, INFO_BOX_HEIGHT);
        const double width = 18.0 * double(std::u32string_view(text).size());
        pen.DrawOutlined(title, text, width / 2.0 + 1, 2, 16, width, PALE_GOLD);
        common.images.push_back(SkinImage { name, ToRecord({ title }) });
    }
    Picture word(170, 24);
    FillAll(word, RoundedRect(0, 1, 170, 23, 6), 0x30FFFFFFu);
    common.images.push_back(SkinImage { "word", ToRecord({ word }) });
    common.images.push_back(SkinImage { "GameIcon", ToRecord({ DrawGameIcon(pen) }) });

    SkinPackage& chat = PackageNamed(packages, "聊天框资源包.kor");
    Picture notice(34, 16);
    DrawPanel(notice, 0, 0, 34, 16, 5, Rgb(200, 40, 40), Rgb(130, 20, 20));
    pen.Draw(notice, U"系统", 17, 3, 10, 28, WHITE);
    chat.images.push_back(SkinImage { "qv系统通知", ToRecord({ notice }) });
    AddScrollBarParts(chat);

    SkinPackage& faces = PackageNamed(packages, "koface_nubnub.kor");
    static constexpr std::pair<const char*, Mood> MOODS[] = {
        { "vur抱歉", Mood::Sorry },   { "vur胜利", Mood::Victory }, { "vur大哭", Mood::Wail },
        { "vur打牌", Mood::Cards },   { "vur没钱", Mood::Broke },   { "vur疑问", Mood::Puzzled },
        { "vur财神", Mood::Wealth },
    };
    for (const auto& [name, mood] : MOODS)
        faces.images.push_back(SkinImage { name, ToRecord({ DrawEmoticon(pen, mood) }) });
    // No picture the program names lives in the second emoticon package; it
    // is made (empty) because the frame loads it.
    (void)PackageNamed(packages, "kofaces_nubnub.kor");
}

std::vector<SkinFile> DrawLooseFiles()
{
    std::vector<SkinFile> files;
    // The advert page's size plus its one-pixel rim (the side panel's width,
    // four chair rows of 20, the page extra of 40 and the header of 22): the
    // picture's first placement, from its own size, is then where the
    // layout puts it, and it never reaches into the chat box below.
    files.push_back(SkinFile { "advertback.bmp", EncodeBmp(DrawWash(242, 144, Rgb(236, 247, 238), Rgb(214, 234, 219)), 0) });
    Picture wait = DrawWash(360, 110, Rgb(36, 96, 60), Rgb(16, 56, 34));
    FillAll(wait, RoundedRect(6, 6, 354, 7.2, 0.5), GOLD);
    FillAll(wait, RoundedRect(6, 102.8, 354, 104, 0.5), GOLD);
    files.push_back(SkinFile { "commdlgbk.bmp", EncodeBmp(wait, 0) });
    files.push_back(SkinFile { "skin.ini", SkinIni() });
    return files;
}

} // namespace tools

#include "tools/CardSkin.h"

#include "engine/core/NameKey.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResPackage.h"
#include "tools/SkinDraw.h"
#include "tools/SkinExtras.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tools {

namespace {

constexpr int FACE_FRAMES = 54;

const uint32_t PAPER = Rgb(252, 251, 246);
const uint32_t EDGE = Rgb(110, 110, 120);
const uint32_t RED_INK = Rgb(204, 22, 34);
const uint32_t BLACK_INK = Rgb(22, 22, 28);

// Suit marks in unit space (u, v in -1..1, v downwards).
bool InHeart(double u, double v)
{
    if (InCircle(u, v, -0.48, -0.35, 0.5) || InCircle(u, v, 0.48, -0.35, 0.5))
        return true;
    return v >= -0.35 && v <= 0.95 && std::abs(u) <= 0.97 * (0.95 - v) / 1.3;
}

bool InStem(double u, double v) { return v >= 0.2 && v <= 1.0 && std::abs(u) <= 0.07 + 0.3 * (v - 0.2) / 0.8; }

bool InSuit(int suit, double u, double v)
{
    switch (suit) {
    case 0:
        return std::abs(u) / 0.78 + std::abs(v) <= 1.0;
    case 1:
        return InCircle(u, v, 0.0, -0.5, 0.37) || InCircle(u, v, -0.46, 0.08, 0.37) || InCircle(u, v, 0.46, 0.08, 0.37)
            || InCircle(u, v, 0.0, -0.02, 0.22) || InStem(u, v);
    case 2:
        return InHeart(u, v);
    default:
        return InHeart(u / 0.9, -(v + 0.1) / 0.9) || InStem(u, v);
    }
}

uint32_t SuitInk(int suit) { return suit == 0 || suit == 2 ? RED_INK : BLACK_INK; }

// A suit mark of `size` pixels centred at (cx, cy).
void DrawSuit(Picture& pic, int suit, double cx, double cy, double size)
{
    const double half = size / 2.0;
    Fill(pic, [=](double x, double y) { return InSuit(suit, (x - cx) / half, (y - cy) / half); }, cx - half, cy - half,
         cx + half, cy + half, SuitInk(suit));
}

// The rank of the card value v (1 the 2 .. 12 the king, 13 the ace).
std::u32string RankText(int value)
{
    static constexpr std::array<std::u32string_view, 13> RANKS { U"2", U"3", U"4", U"5", U"6", U"7", U"8",
                                                                 U"9", U"10", U"J", U"Q", U"K", U"A" };
    return std::u32string(RANKS[size_t(value - 1)]);
}

// The card's paper: a rounded white card with a thin grey edge.
void DrawBlank(Picture& pic, double radius, uint32_t inner)
{
    const double w = pic.width, h = pic.height;
    Fill(pic, RoundedRect(0, 0, w, h, radius), 0, 0, w, h, EDGE);
    Fill(pic, RoundedRect(1, 1, w - 1, h - 1, radius - 1), 0, 0, w, h, inner);
}

// One face; `frame` as in the header.
Picture DrawFace(TextPen& pen, const Picture& blank, int frame)
{
    Picture pic = blank;
    const int32_t w = pic.width;
    const int32_t h = pic.height;
    const double cx = w * 0.12 + 1.0;
    const int32_t top = std::max(2, int32_t(std::lround(h * 0.03)));
    const int32_t rank_h = int32_t(std::lround(h * 0.15));
    // The smallest cards are read by their corner alone (the card counter): a
    // larger suit mark there.
    const double suit_size = std::round(h < 80 ? h * 0.13 : h * 0.1);
    // The corner box that is turned round into the bottom-right corner.
    const int32_t corner_w = int32_t(std::ceil(cx * 2.0));
    int32_t corner_h = top + rank_h + 2 + int32_t(suit_size) + 1;
    if (frame >= 52) {
        const bool big = frame == 53;
        const uint32_t ink = big ? RED_INK : BLACK_INK;
        pen.Draw(pic, big ? U"大" : U"小", cx, top, rank_h, corner_w - 2.0, ink);
        pen.Draw(pic, U"王", cx, top + rank_h + 2, rank_h, corner_w - 2.0, ink);
        DrawStar(pic, w / 2.0, h / 2.0, w * 0.3, ink);
        if (h >= 90)
            pen.Draw(pic, U"JOKER", w / 2.0, int32_t(h * 0.73), int32_t(h * 0.08), w * 0.5, ink);
        corner_h = top + 2 * rank_h + 3;
    } else {
        const int suit = frame / 13;
        const int rank = frame % 13 + 1; // the card's value: 1 the 2, 13 the ace
        pen.Draw(pic, RankText(rank), cx, top, rank_h, corner_w - 1.0, SuitInk(suit));
        DrawSuit(pic, suit, cx, top + rank_h + 2 + suit_size / 2.0, suit_size);
        if (rank >= 10 && rank <= 12) {
            // Court cards: a tinted panel with the letter and the suit.
            const double inset_x = corner_w + 1.0, inset_y = h * 0.2;
            const uint32_t tint = suit == 0 || suit == 2 ? 0x30CC1622u : 0x2816161Cu;
            Fill(pic, RoundedRect(inset_x, inset_y, w - inset_x, h - inset_y, w * 0.05), inset_x, inset_y, w - inset_x,
                 h - inset_y, tint);
            pen.Draw(pic, RankText(rank), w / 2.0, int32_t(h * 0.27), int32_t(h * 0.26), w, SuitInk(suit));
            DrawSuit(pic, suit, w / 2.0, h * 0.66, w * 0.22);
        } else {
            DrawSuit(pic, suit, w / 2.0, h / 2.0, rank == 13 ? w * 0.5 : w * 0.4);
        }
    }
    // The bottom-right corner is the top-left one turned half round.
    for (int32_t y = 0; y < corner_h; ++y)
        for (int32_t x = 0; x < corner_w; ++x)
            pic.pixels[size_t(h - 1 - y) * size_t(w) + size_t(w - 1 - x)] = pic.pixels[size_t(y) * size_t(w) + size_t(x)];
    return pic;
}

Picture DrawBack(int32_t w, int32_t h)
{
    Picture pic(w, h);
    const double radius = std::max(3.0, w * 0.08);
    DrawBlank(pic, radius, PAPER);
    const double m = std::max(3.0, w * 0.07);
    const Shape panel = RoundedRect(m, m, w - m, h - m, radius * 0.6);
    Fill(pic, panel, m, m, w - m, h - m, Rgb(28, 62, 140));
    // A lattice of light diagonal lines over the panel.
    const double step = std::max(5.0, w / 8.0);
    const auto lattice = [&](double x, double y) {
        if (!panel(x, y))
            return false;
        const double a = std::fmod(x + y, step), b = std::fmod(x - y + h * step, step);
        return a < 1.0 || b < 1.0;
    };
    Fill(pic, lattice, m, m, w - m, h - m, Rgb(110, 150, 220));
    DrawStar(pic, w / 2.0, h / 2.0, w * 0.16, Rgb(236, 196, 80));
    return pic;
}


// --- Table furniture: buttons, boards, digit and glyph strips, badges.

enum class Kind {
    Button,
    SymbolButton, // a button whose label is a drawn sign (text: play, pause, stop, back, forward, open)
    Tab,          // a tab: a button whose pressed frame (the checked, selected tab) is the lightest
    Board,
    FrameBoard, // a board whose middle band is clear (see REPLAY_BOARD_BANDS)
    SeatPlate,
    Digits,
    Glyphs,
    Badges,
    Icon,
    CheckBox,
    Progress,
    SmallCards,
    RankMarks
};

// The replay board's bands from the top: the button row, the clear middle
// (the points lying on the table show through it: as high as the "分数"
// digits) and the row of the bar and its time text.
constexpr std::array<int32_t, 3> REPLAY_BOARD_BANDS { 22, 30, 22 };

// The sign of a SymbolButton, drawn in `colour` inside the box (x0, y0, x1, y1).
void DrawSymbol(Picture& pic, std::u32string_view sign, double x0, double y0, double x1, double y1, uint32_t colour)
{
    const double w = x1 - x0, h = y1 - y0;
    // A triangle pointing right (or left) filling the box.
    auto triangle = [&](double left, double right, bool to_right) {
        Fill(pic, [=](double x, double y) {
            const double t = to_right ? (x - left) / (right - left) : (right - x) / (right - left);
            return t >= 0 && t <= 1 && std::abs(y - (y0 + h / 2)) <= (1 - t) * h / 2;
        }, left, y0, right, y1, colour);
    };
    auto box = [&](double left, double top, double right, double bottom) {
        Fill(pic, [=](double x, double y) { return x >= left && x <= right && y >= top && y <= bottom; }, left, top,
             right, bottom, colour);
    };
    if (sign == U"play") {
        triangle(x0 + w * 0.2, x1 - w * 0.1, true);
    } else if (sign == U"pause") {
        box(x0 + w * 0.15, y0, x0 + w * 0.4, y1);
        box(x1 - w * 0.4, y0, x1 - w * 0.15, y1);
    } else if (sign == U"stop") {
        box(x0 + w * 0.1, y0 + h * 0.05, x1 - w * 0.1, y1 - h * 0.05);
    } else if (sign == U"back") {
        triangle(x0, x0 + w / 2, false);
        triangle(x0 + w / 2, x1, false);
    } else if (sign == U"forward") {
        triangle(x0, x0 + w / 2, true);
        triangle(x0 + w / 2, x1, true);
    } else if (sign == U"open") {
        // A folder: its tab, then its body.
        box(x0, y0, x0 + w * 0.45, y0 + h * 0.3);
        box(x0, y0 + h * 0.2, x1, y1);
    }
}

struct Furniture {
    const char* package;
    const char* name;   // GBK
    Kind kind;
    int32_t width;
    int32_t height;
    std::u32string_view text; // label; glyphs; badges separated by '|'
    uint32_t colour;          // main colour
};

std::vector<Picture> DrawFurniture(TextPen& pen, const Furniture& item)
{
    const int32_t w = item.width, h = item.height;
    std::vector<Picture> frames;
    switch (item.kind) {
    case Kind::Button:
    case Kind::SymbolButton:
    case Kind::Tab: {
        // Frames: normal, hovered, pressed, disabled. A checked button shows
        // its pressed frame: a tab's is the selected tab, lit like the page
        // below it, while the others stand back darker.
        static constexpr std::array<double, 4> LIGHT { 1.0, 1.18, 0.82, 0.0 };
        static constexpr std::array<double, 4> TAB_LIGHT { 0.78, 0.9, 1.12, 0.0 };
        const bool tab = item.kind == Kind::Tab;
        for (int f = 0; f < 4; ++f) {
            Picture pic(w, h);
            const uint32_t body = f == 3 ? Rgb(130, 130, 130) : Shade(item.colour, (tab ? TAB_LIGHT : LIGHT)[size_t(f)]);
            const double sink = f == 2 && !tab ? 1.0 : 0.0;
            DrawPanel(pic, 0, sink, w, h, std::min(h / 2.5, 8.0), body, f == 1 ? GOLD : Shade(body, 0.5));
            const int32_t text_h = std::max(6, int32_t(h * 0.42));
            // Measured with a digit, so that a lone sign ("—", "×") keeps its
            // place and size instead of filling the label's height.
            const uint32_t ink = f == 3 ? Rgb(210, 210, 210) : WHITE;
            if (item.kind == Kind::SymbolButton) {
                const double side = h * 0.5;
                DrawSymbol(pic, item.text, (w - side) / 2 + sink, (h - side) / 2 + sink, (w + side) / 2 + sink,
                           (h + side) / 2 + sink, ink);
            } else {
                pen.Draw(pic, item.text, w / 2.0 + sink, int32_t((h - text_h) / 2.0 + sink), text_h, w - 8.0, ink,
                         U"0");
            }
            frames.push_back(std::move(pic));
        }
        break;
    }
    case Kind::FrameBoard: {
        // The two rows' panels, joined by thin side bars around the clear band.
        Picture pic(w, h);
        const double top = REPLAY_BOARD_BANDS[0];
        const double bottom = h - REPLAY_BOARD_BANDS[2];
        DrawPanel(pic, 0, 0, 3, h, 1.5, item.colour, 0xFF8C7A4Au);
        DrawPanel(pic, w - 3, 0, w, h, 1.5, item.colour, 0xFF8C7A4Au);
        DrawPanel(pic, 0, 0, w, top, 6.0, item.colour, 0xFF8C7A4Au);
        DrawPanel(pic, 0, bottom, w, h, 6.0, item.colour, 0xFF8C7A4Au);
        frames.push_back(std::move(pic));
        break;
    }
    case Kind::Board:
    case Kind::SeatPlate: {
        // A seat plate's frames as this game's board picks them, (marked ? 2
        // : 0) + (hovered ? 1 : 0): normal, hovered (a light edge), marked
        // (the turned card's team: a gold edge), marked and hovered (the gold
        // edge on a lighter plate).
        static constexpr std::array<uint32_t, 4> EDGES { 0xFF8C7A4Au, 0xFFC8E0F0u, 0xFFF0D060u, 0xFFF0D060u };
        const int count = item.kind == Kind::SeatPlate ? 4 : 1;
        for (int f = 0; f < count; ++f) {
            Picture pic(w, h);
            const uint32_t body = f == 3 ? Shade(item.colour, 1.3) : item.colour;
            DrawPanel(pic, 0, 0, w, h, std::min(10.0, h / 4.0), body, EDGES[size_t(f)]);
            frames.push_back(std::move(pic));
        }
        break;
    }
    case Kind::Digits:
    case Kind::Glyphs: {
        // A digit strip's frames 0 to 9 are its digits, then the signs its text adds.
        const std::u32string digits = U"0123456789" + std::u32string(item.text);
        const std::u32string_view glyphs = item.kind == Kind::Digits ? std::u32string_view(digits) : item.text;
        for (const char32_t c : glyphs) {
            Picture pic(w, h);
            // A one-byte character of a glyph strip advances half a cell: it
            // is drawn in the cell's left half.
            const bool narrow = item.kind == Kind::Glyphs && c < 0x80;
            const double cx = narrow ? w / 4.0 : w / 2.0;
            const double room = narrow ? w / 2.0 - 1.0 : w - 2.0;
            // A dark outline under the glyph keeps it legible on any table.
            // Signs are placed as beside a digit.
            pen.DrawOutlined(pic, std::u32string(1, c), cx, 1, h - 3, room, item.colour,
                             item.kind == Kind::Digits ? U"0" : U"");
            frames.push_back(std::move(pic));
        }
        break;
    }
    case Kind::Badges:
    case Kind::Icon:
        // An empty label is a clear frame (a strip indexed from 1).
        for (const std::u32string_view label : SplitBars(item.text)) {
            Picture pic(w, h);
            if (label.empty()) {
                frames.push_back(std::move(pic));
                continue;
            }
            DrawPanel(pic, 0, 0, w, h, h / 2.0, item.colour, GOLD);
            const int32_t text_h = std::max(6, int32_t(h * 0.5));
            pen.Draw(pic, label, w / 2.0, (h - text_h) / 2, text_h, w - h * 0.6, WHITE);
            frames.push_back(std::move(pic));
        }
        break;
    case Kind::CheckBox:
        for (int f = 0; f < 2; ++f) {
            Picture pic(w, h);
            DrawPanel(pic, 1, 1, w - 1, h - 1, 3, Rgb(250, 250, 245), Rgb(90, 90, 90));
            if (f == 1) {
                const auto tick = [w, h](double x, double y) {
                    const double u = x / w, v = y / h;
                    const double d1 = std::abs((v - 0.55) - (u - 0.25)) / 1.414;  // down stroke
                    const double d2 = std::abs((v - 0.75) + (u - 0.42)) / 1.414;  // up stroke
                    return (u > 0.2 && u < 0.45 && d1 < 0.09) || (u > 0.4 && u < 0.82 && d2 < 0.09);
                };
                Fill(pic, tick, 0, 0, w, h, Rgb(30, 130, 50));
            }
            frames.push_back(std::move(pic));
        }
        break;
    case Kind::Progress: {
        // Frames: background, fill, thumb.
        Picture back(w, h);
        DrawPanel(back, 0, h * 0.3, w, h * 0.7, h * 0.2, Rgb(40, 40, 44), Rgb(20, 20, 20));
        Picture fill(w, h);
        DrawPanel(fill, 0, h * 0.3, w, h * 0.7, h * 0.2, item.colour, Shade(item.colour, 0.6));
        Picture thumb(w, h);
        const double r = h * 0.45;
        Fill(thumb, [=](double x, double y) { return InCircle(x, y, w / 2.0, h / 2.0, r); }, 0, 0, w, h, Rgb(90, 70, 30));
        Fill(thumb, [=](double x, double y) { return InCircle(x, y, w / 2.0, h / 2.0, r - 1.5); }, 0, 0, w, h, GOLD);
        frames.push_back(std::move(back));
        frames.push_back(std::move(fill));
        frames.push_back(std::move(thumb));
        break;
    }
    case Kind::SmallCards:
        // A small white card per face (frame = card id modulo 54) with its rank.
        for (int frame = 0; frame < FACE_FRAMES; ++frame) {
            Picture pic(w, h);
            DrawBlank(pic, 2.0, PAPER);
            const uint32_t ink = frame == 53 ? RED_INK : frame == 52 ? BLACK_INK : SuitInk(frame / 13);
            pen.Draw(pic, frame >= 52 ? std::u32string(U"王") : RankText(frame % 13 + 1), w / 2.0, 2, h - 4, w - 2.0, ink);
            frames.push_back(std::move(pic));
        }
        break;
    case Kind::RankMarks:
        // Frame v - 1 for the value v: 2 .. K, A, then the small and big jokers,
        // in light inks for the counter's dark board (the big joker in red).
        for (int value = 1; value <= 15; ++value) {
            Picture pic(w, h);
            const uint32_t ink = value == 15 ? Rgb(255, 96, 84) : item.colour;
            pen.Draw(pic, value >= 14 ? std::u32string(value == 15 ? U"大" : U"小") : RankText(value), w / 2.0, 1, h - 2,
                     w - 1.0, ink);
            frames.push_back(std::move(pic));
        }
        break;
    }
    return frames;
}

// Everything the table, the seat boards, the replay panel, the card counter
// and the frame ask for by name, besides the cards.
constexpr Furniture FURNITURE[] = {
    { "common.kor", "btn_StartGame", Kind::Button, 100, 40, U"开始", 0xFF2E8C46u },
    { "common.kor", "btnThrow", Kind::Button, 80, 34, U"出牌", 0xFF2E8C46u },
    { "common.kor", "btnPass", Kind::Button, 80, 34, U"不出", 0xFF9A5A24u },
    { "common.kor", "btnRemaind", Kind::Button, 80, 34, U"提示", 0xFF2C60AAu },
    // The sort and select row: square buttons 30 pixels apart, named by tooltips.
    { "common.kor", "btn_Sort1", Kind::Button, 26, 26, U"单", 0xFF2C60AAu },
    { "common.kor", "btn_Sort2", Kind::Button, 26, 26, U"对", 0xFF2C60AAu },
    { "common.kor", "btn_Sort3", Kind::Button, 26, 26, U"三", 0xFF2C60AAu },
    { "common.kor", "btn_SortBomb", Kind::Button, 26, 26, U"炸", 0xFFB02A2Au },
    { "common.kor", "btn_5TK", Kind::Button, 26, 26, U"5K", 0xFFB02A2Au },
    { "common.kor", "btn_SortBig", Kind::Button, 26, 26, U"大", 0xFF2E8C46u },
    { "common.kor", "btn_SortSmall", Kind::Button, 26, 26, U"小", 0xFF2E8C46u },
    { "common.kor", "btn_SortType", Kind::Button, 26, 26, U"张", 0xFF2E8C46u },
    { "common.kor", "btn_change", Kind::Button, 80, 34, U"换桌", 0xFF2C60AAu },
    { "common.kor", "btn_LastThrow", Kind::Button, 64, 26, U"上一手", 0xFF2C60AAu },
    { "common.kor", "理牌", Kind::Button, 64, 26, U"理牌", 0xFF2C60AAu },
    { "common.kor", "恢复", Kind::Button, 64, 26, U"恢复", 0xFF2C60AAu },
    { "common.kor", "结果框确定", Kind::Button, 96, 32, U"确定", 0xFF2C60AAu },
    { "common.kor", "结果框继续游戏", Kind::Button, 96, 32, U"继续游戏", 0xFF2E8C46u },
    { "common.kor", "结果框关闭按钮", Kind::Button, 22, 22, U"×", 0xFFB02A2Au },
    { "common.kor", "手机二维码_按钮", Kind::Button, 84, 28, U"手机版", 0xFF2C60AAu },
    { "common.kor", "手机二维码_关闭", Kind::Button, 20, 20, U"×", 0xFFB02A2Au },
    { "common.kor", "手机二维码_前去官网", Kind::Button, 72, 24, U"前去官网", 0xFF2E8C46u },
    { "common.kor", "btn_AutoPlay", Kind::Button, 56, 26, U"托管", 0xFF9A5A24u },
    { "common.kor", "btn_CancelAutoPlay", Kind::Button, 72, 26, U"取消托管", 0xFF9A5A24u },
    { "common.kor", "btn_CheckResult", Kind::Button, 56, 26, U"成绩", 0xFF9A5A24u },
    { "common.kor", "btn_AskCardView", Kind::Button, 56, 26, U"看牌", 0xFF9A5A24u },
    { "common.kor", "btn_gameset_ok", Kind::Button, 64, 26, U"确定", 0xFF2E8C46u },
    { "common.kor", "btn_gameset_cancel", Kind::Button, 64, 26, U"取消", 0xFF9A5A24u },
    // No higher than the gap under the own hand (and beside the side hands):
    // the plates never cover cards.
    { "common.kor", "PlayerBoardSmall", Kind::SeatPlate, 150, 34, U"", PANEL },
    { "common.kor", "游戏信息框", Kind::Board, INFO_BOX_WIDTH, INFO_BOX_HEIGHT, U"", PANEL },
    { "common.kor", "比赛信息框", Kind::Board, 160, 70, U"", PANEL },
    { "common.kor", "digit_restcard", Kind::Digits, 12, 18, U"", 0xFFFFE9A0u },
    { "common.kor", "digit_Pen", Kind::Digits, 12, 18, U"+-", 0xFFFFFFFFu },
    { "common.kor", "digit_Pen2", Kind::Digits, 12, 18, U"", 0xFFFFD24Au },
    { "common.kor", "digiti_Clock", Kind::Digits, 16, 24, U"", 0xFFFF6A3Cu },
    { "common.kor", "ScoreDigit", Kind::Digits, 12, 18, U"", 0xFFFFD24Au },
    { "common.kor", "分数", Kind::Digits, 20, 30, U"", 0xFFFFD24Au },
    { "common.kor", "分", Kind::Glyphs, 30, 30, U"分", 0xFFFFD24Au },
    { "common.kor", "digit_basescore", Kind::Digits, 12, 18, U"", 0xFFFFE9A0u },
    { "common.kor", "str_分", Kind::Glyphs, 18, 18, U"分", 0xFFFFE9A0u },
    { "common.kor", "word_zhang", Kind::Glyphs, 18, 18, U"张", 0xFFFFE9A0u },
    { "common.kor", "word_fen", Kind::Glyphs, 18, 18, U"分", 0xFFFFE9A0u },
    { "common.kor", "ScoreUnite", Kind::Glyphs, 18, 18, U"分", 0xFFFFD24Au },
    { "common.kor", "animation_Ready", Kind::Icon, 60, 26, U"准备", 0xFF2E8C46u },
    { "common.kor", "animation_AutoPlay", Kind::Icon, 60, 26, U"托管", 0xFF9A5A24u },
    { "common.kor", "animation_Offline", Kind::Icon, 60, 26, U"断线", 0xFF606060u },
    { "common.kor", "不出", Kind::Icon, 60, 26, U"不出", 0xFF4A6A8Au },
    { "common.kor", "waitsolo", Kind::Icon, 120, 30, U"等待其他玩家", 0xFF2C60AAu },
    { "common.kor", "过牌提示", Kind::Icon, 200, 30, U"没有大过上家的牌", 0xFF9A5A24u },
    { "common.kor", "Player_MatchScore", Kind::Badges, 90, 20, U"积分|积分", 0xFF2C60AAu },
    { "common.kor", "bit_Duan", Kind::Badges, 44, 20,
      U"一段|二段|三段|四段|五段|六段|七段|八段|九段|十段|大师", 0xFF9A5A24u },
    // Frame = the finishing place, 1 the first: frame 0 is clear.
    { "common.kor", "名次", Kind::Badges, 64, 30, U"|头游|二游|三游|末游", 0xFFCC1622u },
    { "common.kor", "复选框", Kind::CheckBox, 16, 16, U"", 0 },
    // The replay board stands on the table's centre, between the side seats'
    // plays and over the points lying on the table: the buttons in a row
    // above the points, the bar and its time text below them, the middle
    // clear (132 wide: it leaves plays of up to five cards beside it clear).
    { "replay.kor", "Rep_bitBoard", Kind::FrameBoard, 132,
      REPLAY_BOARD_BANDS[0] + REPLAY_BOARD_BANDS[1] + REPLAY_BOARD_BANDS[2], U"", PANEL },
    // The bar leaves room at the board's right for the time text centred
    // under its right end (eleven half-width characters of size 10).
    { "replay.kor", "Rep_Rrogressbar", Kind::Progress, 94, 10, U"", 0xFFECC45Au },
    // Signs, not words, so that five fit the board's width; the hover
    // captions name them.
    { "replay.kor", "Rep_btnPlay", Kind::SymbolButton, 22, 18, U"play", 0xFF2E8C46u },
    { "replay.kor", "Rep_btnStop", Kind::SymbolButton, 22, 18, U"pause", 0xFF9A5A24u },
    { "replay.kor", "Rep_btnReset", Kind::SymbolButton, 22, 18, U"stop", 0xFF2C60AAu },
    { "replay.kor", "Rep_btnPreStep", Kind::SymbolButton, 22, 18, U"back", 0xFF2C60AAu },
    { "replay.kor", "Rep_btnNextStep", Kind::SymbolButton, 22, 18, U"forward", 0xFF2C60AAu },
    { "replay.kor", "Rep_btnOpenFile", Kind::SymbolButton, 22, 18, U"open", 0xFF2C60AAu },
    // The counter: eight rows of rank marks (14 apart from 30 down) fit, and
    // its count ("剩余81张" at most, 106 pixels in) clears the centred menu button.
    { "replay.kor", "bit_cardmaster", Kind::Board, 260, 148, U"", PANEL },
    { "replay.kor", "bit_cardmaster_player", Kind::Board, 140, 80, U"", PANEL },
    { "replay.kor", "bit_cardmaster_small", Kind::SmallCards, 12, 16, U"", 0 },
    { "replay.kor", "bit_cardrank", Kind::RankMarks, 16, 13, U"", 0xFFF0ECDCu },
    { "replay.kor", "btn_redcross", Kind::Button, 18, 18, U"×", 0xFFCC1622u },
    { "cardmaster.kor", "btn_Cardmaster", Kind::Button, 26, 26, U"记", 0xFF9A5A24u },
    { "frame.kor", "btn_popmenu", Kind::Button, 40, 24, U"菜单", 0xFF2C60AAu },
    // The advert bar's tabs: the bar writes their captions in black.
    { "frame.kor", "btn_ScoreTab", Kind::Tab, 64, 24, U"", 0xFFCDE6D2u },
    { "frame.kor", "btn_AdvertTab", Kind::Tab, 64, 24, U"", 0xFFCDE6D2u },
    { "frame.kor", "btn_signup", Kind::Button, 64, 26, U"报名", 0xFF2E8C46u },
    { "frame.kor", "btn_giveup", Kind::Button, 64, 26, U"退赛", 0xFF9A5A24u },
    // The title buttons: five of them, 2 apart from the frame's right edge,
    // stay clear of the side panel's two tabs at the default width.
    { "frame.kor", "btn_FrameSet", Kind::Button, 20, 20, U"设", 0xFF2C60AAu },
    { "frame.kor", "btn_FrameHelp", Kind::Button, 20, 20, U"?", 0xFF2C60AAu },
    { "frame.kor", "btn_FrameMin", Kind::Button, 20, 20, U"—", 0xFF2C60AAu },
    { "frame.kor", "btn_FrameMax", Kind::Button, 20, 20, U"□", 0xFF2C60AAu },
    { "frame.kor", "btn_FrameRestore", Kind::Button, 20, 20, U"回", 0xFF2C60AAu },
    { "frame.kor", "btn_FrameClose", Kind::Button, 20, 20, U"×", 0xFFCC1622u },
    { "frame.kor", "word_waitmatchstart", Kind::Glyphs, 18, 20, U"比赛倒计时:天时分秒小报名费银两通宝", 0xFFFFE9A0u },
    { "frame.kor", "digit_waitmatchstart", Kind::Digits, 12, 20, U"", 0xFFFFD24Au },
    { "frame.kor", "word_washturn", Kind::Glyphs, 18, 20, U"定局淘汰第轮", 0xFFFFE9A0u },
    { "frame.kor", "word_resttable", Kind::Glyphs, 18, 20, U"还有桌游戏中前名晋级，", 0xFFFFE9A0u },
    { "frame.kor", "animation_WaitArrangeTable", Kind::Icon, 140, 30, U"正在为您配桌", 0xFF2C60AAu },
};

} // namespace

std::vector<SkinPackage> DrawDefaultSkin()
{
    struct CardSize {
        const char* face;
        const char* back;
        int32_t width;
        int32_t height;
    };
    static constexpr std::array<CardSize, 4> SIZES { {
        { "牌正面50x68", "牌背面50x68", 50, 68 },
        { "牌正面71x96", "牌背面71x96", 71, 96 },
        { "牌正面82x110", "牌背面82x110", 82, 110 },
        { "牌正面98x132", "牌背面98x132", 98, 132 },
    } };
    TextPen pen;
    SkinPackage common { "common.kor", {}, {} };
    for (const CardSize& size : SIZES) {
        Picture blank(size.width, size.height);
        DrawBlank(blank, std::max(3.0, size.width * 0.08), PAPER);
        std::vector<Picture> faces;
        for (int frame = 0; frame < FACE_FRAMES; ++frame)
            faces.push_back(DrawFace(pen, blank, frame));
        common.images.push_back(SkinImage { size.face, ToRecord(faces) });
        common.images.push_back(SkinImage { size.back, ToRecord({ DrawBack(size.width, size.height) }) });
    }
    // The flipped card's corner on the info box (drawn at the box's size:
    // the corner in the top left of a clear picture), and the wild-card mark.
    Picture corner(INFO_BOX_WIDTH, INFO_BOX_HEIGHT);
    const Picture back = DrawBack(16, 22);
    for (int32_t y = 0; y < back.height; ++y)
        std::copy_n(back.pixels.begin() + y * back.width, back.width, corner.pixels.begin() + y * corner.width);
    common.images.push_back(SkinImage { "牌角", ToRecord({ corner }) });
    Picture wild(14, 14);
    DrawStar(wild, 7.0, 7.0, 7.0, Rgb(236, 180, 40));
    common.images.push_back(SkinImage { "花_图标", ToRecord({ wild }) });
    common.sounds = MakeDefaultSounds();
    std::vector<SkinPackage> packages;
    packages.push_back(std::move(common));
    for (const Furniture& item : FURNITURE)
        PackageNamed(packages, item.package).images.push_back(SkinImage { item.name, ToRecord(DrawFurniture(pen, item)) });
    DrawExtraImages(pen, packages);
    return packages;
}

std::u32string FaceRankText(int frame)
{
    return frame >= 0 && frame < 52 ? RankText(frame % 13 + 1) : std::u32string();
}

Picture DrawCardFace(TextPen& pen, int32_t width, int32_t height, int frame)
{
    Picture blank(width, height);
    DrawBlank(blank, std::max(3.0, width * 0.08), PAPER);
    return DrawFace(pen, blank, frame);
}

SkinPackage& PackageNamed(std::vector<SkinPackage>& packages, std::string_view file)
{
    for (SkinPackage& package : packages)
        if (package.file == file)
            return package;
    return packages.emplace_back(SkinPackage { std::string(file), {}, {} });
}

std::vector<uint8_t> PackSkin(const SkinPackage& package, std::string& error)
{
    std::vector<engine::ResPackageSource> sources;
    for (const SkinImage& image : package.images) {
        std::vector<uint8_t> pps = engine::EncodePps(image.image, nullptr, engine::PPS_METHOD_ZLIB);
        if (pps.empty()) {
            error = "an image of " + package.file + " cannot be encoded";
            return {};
        }
        sources.push_back(engine::ResPackageSource { image.name + ".imge", engine::StringHash(".pps"), std::move(pps) });
    }
    for (const SkinSound& sound : package.sounds)
        sources.push_back(engine::ResPackageSource { sound.name + ".sound", engine::StringHash(".wav"), sound.wav });
    std::vector<uint8_t> bytes = engine::BuildResPackage(sources);
    if (bytes.empty())
        error = package.file + " is too large for a package";
    return bytes;
}

} // namespace tools

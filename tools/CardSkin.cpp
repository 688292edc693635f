#include "tools/CardSkin.h"

#include "engine/core/NameKey.h"
#include "engine/media/CFreeTypeGlyphSource.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResPackage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace tools {

namespace {

constexpr int FACE_FRAMES = 54;
constexpr int SUPERSAMPLE = 4;

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u | r << 16 | g << 8 | b; }

const uint32_t PAPER = Rgb(252, 251, 246);
const uint32_t EDGE = Rgb(110, 110, 120);
const uint32_t RED_INK = Rgb(204, 22, 34);
const uint32_t BLACK_INK = Rgb(22, 22, 28);

// A 32-bit picture with straight alpha, 0xAARRGGBB per pixel.
struct Picture {
    int32_t width;
    int32_t height;
    std::vector<uint32_t> pixels;

    Picture(int32_t w, int32_t h) : width(w), height(h), pixels(size_t(w) * size_t(h), 0) {}

    // Lays `colour` over the pixel with the given coverage (0..1).
    void Blend(int32_t x, int32_t y, uint32_t colour, double coverage)
    {
        if (x < 0 || y < 0 || x >= width || y >= height || coverage <= 0.0)
            return;
        uint32_t& dst = pixels[size_t(y) * size_t(width) + size_t(x)];
        const double sa = std::min(coverage, 1.0) * double(colour >> 24) / 255.0;
        const double da = double(dst >> 24) / 255.0;
        const double oa = sa + da * (1.0 - sa);
        if (oa <= 0.0)
            return;
        uint32_t out = uint32_t(std::lround(oa * 255.0)) << 24;
        for (int shift = 0; shift <= 16; shift += 8) {
            const double s = double(colour >> shift & 0xFF);
            const double d = double(dst >> shift & 0xFF);
            out |= uint32_t(std::lround((s * sa + d * da * (1.0 - sa)) / oa)) << shift;
        }
        dst = out;
    }
};

using Shape = std::function<bool(double, double)>;

uint32_t Mix(uint32_t a, uint32_t b, double t)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 24; shift += 8)
        out |= uint32_t(std::lround(double(a >> shift & 0xFF) * (1.0 - t) + double(b >> shift & 0xFF) * t)) << shift;
    return out;
}

// Fills a shape (a test on pixel-space points) inside the box, anti-aliased;
// with a second colour the fill fades to it from the box's top to its bottom.
void Fill(Picture& pic, const Shape& inside, double left, double top, double right, double bottom, uint32_t colour,
          std::optional<uint32_t> bottom_colour = std::nullopt)
{
    const uint32_t top_colour = colour;
    const int32_t x0 = std::max(0, int32_t(std::floor(left)));
    const int32_t y0 = std::max(0, int32_t(std::floor(top)));
    const int32_t x1 = std::min(pic.width - 1, int32_t(std::ceil(right)));
    const int32_t y1 = std::min(pic.height - 1, int32_t(std::ceil(bottom)));
    for (int32_t y = y0; y <= y1; ++y) {
        if (bottom_colour)
            colour = Mix(top_colour, *bottom_colour, std::clamp((y + 0.5 - top) / std::max(1.0, bottom - top), 0.0, 1.0));
        for (int32_t x = x0; x <= x1; ++x) {
            // Where the pixel's corners and centre agree it is wholly in or out.
            const bool centre = inside(x + 0.5, y + 0.5);
            if (inside(x + 0.01, y + 0.01) == centre && inside(x + 0.99, y + 0.01) == centre
                && inside(x + 0.01, y + 0.99) == centre && inside(x + 0.99, y + 0.99) == centre) {
                if (centre)
                    pic.Blend(x, y, colour, 1.0);
                continue;
            }
            int hits = 0;
            for (int sy = 0; sy < SUPERSAMPLE; ++sy)
                for (int sx = 0; sx < SUPERSAMPLE; ++sx)
                    hits += inside(x + (sx + 0.5) / SUPERSAMPLE, y + (sy + 0.5) / SUPERSAMPLE) ? 1 : 0;
            pic.Blend(x, y, colour, double(hits) / (SUPERSAMPLE * SUPERSAMPLE));
        }
    }
}

Shape RoundedRect(double left, double top, double right, double bottom, double radius)
{
    return [=](double x, double y) {
        if (x < left || x > right || y < top || y > bottom)
            return false;
        const double cx = std::clamp(x, left + radius, right - radius);
        const double cy = std::clamp(y, top + radius, bottom - radius);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

bool InCircle(double u, double v, double cu, double cv, double r) { return (u - cu) * (u - cu) + (v - cv) * (v - cv) <= r * r; }

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

// A five-pointed star of radius r centred at (cx, cy).
void DrawStar(Picture& pic, double cx, double cy, double r, uint32_t colour)
{
    std::array<double, 20> points {};
    for (int i = 0; i < 10; ++i) {
        const double angle = -M_PI / 2.0 + i * M_PI / 5.0;
        const double radius = i % 2 == 0 ? r : r * 0.42;
        points[size_t(i) * 2] = cx + radius * std::cos(angle);
        points[size_t(i) * 2 + 1] = cy + radius * std::sin(angle);
    }
    const auto inside = [points](double x, double y) {
        bool in = false;
        for (size_t i = 0, j = 9; i < 10; j = i++) {
            const double xi = points[i * 2], yi = points[i * 2 + 1];
            const double xj = points[j * 2], yj = points[j * 2 + 1];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
                in = !in;
        }
        return in;
    };
    Fill(pic, inside, cx - r, cy - r, cx + r, cy + r, colour);
}

// Text through the engine's FreeType glyph source, laid out by ink extents.
class TextPen {
public:
    TextPen() : m_source(engine::CFreeTypeGlyphSource::Create()), m_cell(size_t(SIZE) * SIZE)
    {
        engine::FontRequest font;
        font.height = GLYPH_EM;
        font.weight = 700;
        font.face = "Arial";
        m_font_ok = m_source && m_source->SelectFont(font);
    }

    // Draws `text` with its ink box `height` rows high, centred on cx, top at
    // `top`, squeezed sideways when it would be wider than max_width. Glyphs
    // are rendered large and filtered down, so small sizes stay smooth.
    void Draw(Picture& pic, std::u32string_view text, double cx, int32_t top, int32_t height, double max_width,
              uint32_t colour)
    {
        if (!m_source || text.empty() || height <= 0)
            return;
        std::vector<const Ink*> glyphs;
        int32_t ink_top = SIZE, ink_bottom = -1;
        for (const char32_t c : text) {
            const Ink& ink = Glyph(c);
            if (ink.width == 0)
                continue;
            ink_top = std::min(ink_top, ink.top);
            ink_bottom = std::max(ink_bottom, ink.top + ink.height - 1);
            glyphs.push_back(&ink);
        }
        if (glyphs.empty())
            return;
        const double scale = double(height) / double(ink_bottom - ink_top + 1);
        const double gap = std::max(1.0, height / 10.0);
        double total = -gap;
        for (const Ink* ink : glyphs)
            total += ink->width * scale + gap;
        const double squeeze = total > max_width ? max_width / total : 1.0;
        const double scale_x = scale * squeeze;
        double pen = cx - total * squeeze / 2.0;
        for (const Ink* glyph : glyphs) {
            const Ink& ink = *glyph;
            const double out_w = ink.width * scale_x;
            const int32_t px0 = int32_t(std::floor(pen));
            const int32_t px1 = int32_t(std::ceil(pen + out_w));
            for (int32_t py = top; py < top + height; ++py) {
                for (int32_t px = px0; px < px1; ++px) {
                    double sum = 0.0;
                    for (int sy = 0; sy < SUPERSAMPLE; ++sy) {
                        for (int sx = 0; sx < SUPERSAMPLE; ++sx) {
                            const double gx = (px + (sx + 0.5) / SUPERSAMPLE - pen) / scale_x + ink.left;
                            const double gy = (py + (sy + 0.5) / SUPERSAMPLE - top) / scale + ink_top;
                            const int32_t ix = int32_t(std::floor(gx));
                            const int32_t iy = int32_t(std::floor(gy));
                            if (ix >= ink.left && ix < ink.left + ink.width && iy >= 0 && iy < SIZE)
                                sum += ink.coverage[size_t(iy) * SIZE + size_t(ix)] / 255.0;
                        }
                    }
                    pic.Blend(px, py, colour, sum / (SUPERSAMPLE * SUPERSAMPLE));
                }
            }
            pen += out_w + gap * squeeze;
        }
    }

private:
    static constexpr int32_t SIZE = engine::GlyphCanvas::SIZE;
    static constexpr int32_t GLYPH_EM = 120;     // working size, within the cell
    static constexpr int32_t GLYPH_THICKEN = 3;

    // A glyph's coverage and its ink box in the glyph cell (width 0: no ink).
    struct Ink {
        std::vector<uint8_t> coverage;
        int32_t left { 0 }, top { 0 }, width { 0 }, height { 0 };
    };

    // A bold glyph at the large working size, thickened a little more.
    const Ink& Glyph(char32_t c)
    {
        auto found = m_glyphs.find(c);
        if (found != m_glyphs.end())
            return found->second;
        std::fill(m_cell.begin(), m_cell.end(), uint8_t(0));
        if (m_font_ok)
            m_source->DrawGlyph(c, GLYPH_EM, engine::GlyphCanvas { m_cell });
        Thicken();
        Ink ink;
        int32_t left = SIZE, top = SIZE, right = -1, bottom = -1;
        for (int32_t y = 0; y < SIZE; ++y)
            for (int32_t x = 0; x < SIZE; ++x)
                if (m_cell[size_t(y) * SIZE + size_t(x)] != 0) {
                    left = std::min(left, x);
                    top = std::min(top, y);
                    right = std::max(right, x);
                    bottom = std::max(bottom, y);
                }
        if (right >= 0) {
            ink = Ink { m_cell, left, top, right - left + 1, bottom - top + 1 };
        }
        return m_glyphs.emplace(c, std::move(ink)).first->second;
    }

    // Spreads the cell's coverage by GLYPH_THICKEN pixels each way (a max
    // filter; the cell's own rendering never reaches its last rows and columns).
    void Thicken()
    {
        int32_t x0 = SIZE, y0 = SIZE, x1 = -1, y1 = -1;
        for (int32_t y = 0; y < SIZE; ++y)
            for (int32_t x = 0; x < SIZE; ++x)
                if (m_cell[size_t(y) * SIZE + size_t(x)] != 0) {
                    x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
                }
        if (x1 < 0)
            return;
        x0 = std::max(0, x0 - GLYPH_THICKEN), y0 = std::max(0, y0 - GLYPH_THICKEN);
        x1 = std::min(SIZE - 1, x1 + GLYPH_THICKEN), y1 = std::min(SIZE - 1, y1 + GLYPH_THICKEN);
        std::vector<uint8_t> spread(m_cell.size(), 0);
        for (int32_t y = y0; y <= y1; ++y)
            for (int32_t x = x0; x <= x1; ++x) {
                uint8_t most = 0;
                for (int32_t d = -GLYPH_THICKEN; d <= GLYPH_THICKEN; ++d)
                    if (x + d >= 0 && x + d < SIZE)
                        most = std::max(most, m_cell[size_t(y) * SIZE + size_t(x + d)]);
                spread[size_t(y) * SIZE + size_t(x)] = most;
            }
        for (int32_t y = y0; y <= y1; ++y)
            for (int32_t x = x0; x <= x1; ++x) {
                uint8_t most = 0;
                for (int32_t d = -GLYPH_THICKEN; d <= GLYPH_THICKEN; ++d)
                    if (y + d >= 0 && y + d < SIZE)
                        most = std::max(most, spread[size_t(y + d) * SIZE + size_t(x)]);
                m_cell[size_t(y) * SIZE + size_t(x)] = most;
            }
    }

    std::unique_ptr<engine::CFreeTypeGlyphSource> m_source;
    std::vector<uint8_t> m_cell;
    std::map<char32_t, Ink> m_glyphs;
    bool m_font_ok { false };
};

std::u32string RankText(int rank)
{
    static constexpr std::array<std::u32string_view, 13> RANKS { U"A", U"2", U"3", U"4", U"5", U"6", U"7",
                                                                 U"8", U"9", U"10", U"J", U"Q", U"K" };
    return std::u32string(RANKS[size_t(rank - 1)]);
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
    const double suit_size = std::round(h * 0.1);
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
        const int rank = frame % 13 + 1;
        pen.Draw(pic, RankText(rank), cx, top, rank_h, corner_w - 1.0, SuitInk(suit));
        DrawSuit(pic, suit, cx, top + rank_h + 2 + suit_size / 2.0, suit_size);
        if (rank >= 11) {
            // Court cards: a tinted panel with the letter and the suit.
            const double inset_x = corner_w + 1.0, inset_y = h * 0.2;
            const uint32_t tint = suit == 0 || suit == 2 ? 0x30CC1622u : 0x2816161Cu;
            Fill(pic, RoundedRect(inset_x, inset_y, w - inset_x, h - inset_y, w * 0.05), inset_x, inset_y, w - inset_x,
                 h - inset_y, tint);
            pen.Draw(pic, RankText(rank), w / 2.0, int32_t(h * 0.27), int32_t(h * 0.26), w, SuitInk(suit));
            DrawSuit(pic, suit, w / 2.0, h * 0.66, w * 0.22);
        } else {
            DrawSuit(pic, suit, w / 2.0, h / 2.0, rank == 1 ? w * 0.5 : w * 0.4);
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

engine::ImageRecord ToRecord(const std::vector<Picture>& frames)
{
    engine::ImageRecord record;
    record.width = uint16_t(frames.front().width);
    record.height = uint16_t(frames.front().height);
    record.frames = uint32_t(frames.size());
    record.frames_per_row = 1;
    record.flags = engine::IMAGE_FLAG_ALPHA | engine::IMAGE_FLAG_TRANSPARENT;
    record.pixel_bytes = uint32_t(frames.size() * frames.front().pixels.size() * 4);
    record.pixels = std::make_unique<uint8_t[]>(record.pixel_bytes);
    uint8_t* out = record.pixels.get();
    for (const Picture& frame : frames) {
        for (const uint32_t pixel : frame.pixels) {
            out[0] = uint8_t(pixel);
            out[1] = uint8_t(pixel >> 8);
            out[2] = uint8_t(pixel >> 16);
            out[3] = uint8_t(pixel >> 24);
            out += 4;
        }
    }
    return record;
}


// --- Table furniture: buttons, boards, digit and glyph strips, badges.

enum class Kind { Button, Board, SeatPlate, Felt, Digits, Glyphs, Badges, Icon, CheckBox, Progress, SmallCards, RankMarks };

struct Furniture {
    const char* package;
    const char* name;   // GBK
    Kind kind;
    int32_t width;
    int32_t height;
    std::u32string_view text; // label; glyphs; badges separated by '|'
    uint32_t colour;          // main colour
};

const uint32_t GOLD = Rgb(236, 196, 90);
const uint32_t PANEL = 0xD8182A22u;
const uint32_t WHITE = Rgb(255, 255, 255);

uint32_t Shade(uint32_t colour, double factor)
{
    uint32_t out = colour & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double c = double(colour >> shift & 0xFF) * factor;
        out |= uint32_t(std::clamp(c, 0.0, 255.0)) << shift;
    }
    return out;
}

// A rounded panel lit from above: the body fades from light to dark.
void DrawPanel(Picture& pic, double x0, double y0, double x1, double y1, double radius, uint32_t colour, uint32_t edge)
{
    Fill(pic, RoundedRect(x0, y0, x1, y1, radius), x0, y0, x1, y1, edge);
    Fill(pic, RoundedRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, std::max(1.0, radius - 1)), x0, y0, x1, y1,
         Shade(colour, 1.25), Shade(colour, 0.8));
}

std::vector<std::u32string_view> SplitBars(std::u32string_view text)
{
    std::vector<std::u32string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == U'|') {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    return parts;
}

std::vector<Picture> DrawFurniture(TextPen& pen, const Furniture& item)
{
    const int32_t w = item.width, h = item.height;
    std::vector<Picture> frames;
    switch (item.kind) {
    case Kind::Button: {
        // Frames: normal, hovered, pressed, disabled.
        static constexpr std::array<double, 4> LIGHT { 1.0, 1.18, 0.82, 0.0 };
        for (int f = 0; f < 4; ++f) {
            Picture pic(w, h);
            const uint32_t body = f == 3 ? Rgb(130, 130, 130) : Shade(item.colour, LIGHT[size_t(f)]);
            const double sink = f == 2 ? 1.0 : 0.0;
            DrawPanel(pic, 0, sink, w, h, std::min(h / 2.5, 8.0), body, f == 1 ? GOLD : Shade(body, 0.5));
            const int32_t text_h = std::max(6, int32_t(h * 0.42));
            pen.Draw(pic, item.text, w / 2.0 + sink, int32_t((h - text_h) / 2.0 + sink), text_h, w - 8.0,
                     f == 3 ? Rgb(210, 210, 210) : WHITE);
            frames.push_back(std::move(pic));
        }
        break;
    }
    case Kind::Board:
    case Kind::SeatPlate: {
        // A seat plate's frames: normal, highlighted, hovered.
        static constexpr std::array<uint32_t, 3> EDGES { 0xFF8C7A4Au, 0xFFF0D060u, 0xFFC8E0F0u };
        const int count = item.kind == Kind::SeatPlate ? 3 : 1;
        for (int f = 0; f < count; ++f) {
            Picture pic(w, h);
            DrawPanel(pic, 0, 0, w, h, std::min(10.0, h / 4.0), item.colour, EDGES[size_t(f % 3)]);
            frames.push_back(std::move(pic));
        }
        break;
    }
    case Kind::Felt: {
        // A seamless tile of table cloth: the colour with a fixed fine grain.
        Picture pic(w, h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const uint32_t hash = (uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u) * 2654435761u;
                pic.pixels[size_t(y) * size_t(w) + size_t(x)] = Shade(item.colour, 0.94 + double(hash >> 24) / 255.0 * 0.1);
            }
        frames.push_back(std::move(pic));
        break;
    }
    case Kind::Digits:
    case Kind::Glyphs: {
        const std::u32string digits = U"0123456789";
        const std::u32string_view glyphs = item.kind == Kind::Digits ? std::u32string_view(digits) : item.text;
        for (const char32_t c : glyphs) {
            Picture pic(w, h);
            // A one-byte character of a glyph strip advances half a cell: it
            // is drawn in the cell's left half.
            const bool narrow = item.kind == Kind::Glyphs && c < 0x80;
            const double cx = narrow ? w / 4.0 : w / 2.0;
            const double room = narrow ? w / 2.0 - 1.0 : w - 2.0;
            // A dark outline under the glyph keeps it legible on any table.
            for (int d = 0; d < 4; ++d)
                pen.Draw(pic, std::u32string(1, c), cx + (d % 2 ? 1 : -1) * 0.8, 1 + (d / 2), h - 3, room + 1.0,
                         0xC0000000u);
            pen.Draw(pic, std::u32string(1, c), cx, 1, h - 3, room, item.colour);
            frames.push_back(std::move(pic));
        }
        break;
    }
    case Kind::Badges:
    case Kind::Icon:
        for (const std::u32string_view label : SplitBars(item.text)) {
            Picture pic(w, h);
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
        // Frame v - 1 for the value v: A .. K, then the small and big jokers.
        for (int value = 1; value <= 15; ++value) {
            Picture pic(w, h);
            const uint32_t ink = value == 15 ? RED_INK : value == 14 ? BLACK_INK : item.colour;
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
    { "common.kor", "btn_Sort1", Kind::Button, 56, 26, U"单张", 0xFF2C60AAu },
    { "common.kor", "btn_Sort2", Kind::Button, 56, 26, U"对子", 0xFF2C60AAu },
    { "common.kor", "btn_Sort3", Kind::Button, 56, 26, U"三张", 0xFF2C60AAu },
    { "common.kor", "btn_SortBomb", Kind::Button, 56, 26, U"炸弹", 0xFF2C60AAu },
    { "common.kor", "btn_SortBig", Kind::Button, 56, 26, U"大小", 0xFF2C60AAu },
    { "common.kor", "btn_SortSmall", Kind::Button, 56, 26, U"小大", 0xFF2C60AAu },
    { "common.kor", "btn_SortType", Kind::Button, 56, 26, U"张数", 0xFF2C60AAu },
    { "common.kor", "btn_AutoPlay", Kind::Button, 56, 26, U"托管", 0xFF9A5A24u },
    { "common.kor", "btn_CancelAutoPlay", Kind::Button, 72, 26, U"取消托管", 0xFF9A5A24u },
    { "common.kor", "btn_CheckResult", Kind::Button, 56, 26, U"成绩", 0xFF9A5A24u },
    { "common.kor", "btn_AskCardView", Kind::Button, 56, 26, U"看牌", 0xFF9A5A24u },
    { "common.kor", "btn_gameset_ok", Kind::Button, 64, 26, U"确定", 0xFF2E8C46u },
    { "common.kor", "btn_gameset_cancel", Kind::Button, 64, 26, U"取消", 0xFF9A5A24u },
    { "common.kor", "PlayerBoardSmall", Kind::SeatPlate, 150, 64, U"", PANEL },
    { "common.kor", "bit_gamesetboard", Kind::Board, 220, 200, U"", PANEL },
    { "common.kor", "游戏信息框", Kind::Board, 160, 70, U"", PANEL },
    { "common.kor", "比赛信息框", Kind::Board, 160, 70, U"", PANEL },
    { "common.kor", "bit_BkgPattern", Kind::Felt, 64, 64, U"", 0xFF1C6E3Au },
    { "common.kor", "digit_restcard", Kind::Digits, 12, 18, U"", 0xFFFFE9A0u },
    { "common.kor", "digit_Pen", Kind::Digits, 12, 18, U"", 0xFFFFFFFFu },
    { "common.kor", "digit_Pen2", Kind::Digits, 12, 18, U"", 0xFFFFD24Au },
    { "common.kor", "digiti_Clock", Kind::Digits, 16, 24, U"", 0xFFFF6A3Cu },
    { "common.kor", "ScoreDigit", Kind::Digits, 12, 18, U"", 0xFFFFD24Au },
    { "common.kor", "word_zhang", Kind::Glyphs, 18, 18, U"张", 0xFFFFE9A0u },
    { "common.kor", "word_fen", Kind::Glyphs, 18, 18, U"分", 0xFFFFE9A0u },
    { "common.kor", "ScoreUnite", Kind::Glyphs, 18, 18, U"分", 0xFFFFD24Au },
    { "common.kor", "str_基础分", Kind::Glyphs, 20, 20, U"基础分", 0xFFFFFFFFu },
    { "common.kor", "str_翻牌", Kind::Glyphs, 20, 20, U"翻牌", 0xFFFFFFFFu },
    { "common.kor", "animation_Ready", Kind::Icon, 60, 26, U"准备", 0xFF2E8C46u },
    { "common.kor", "animation_AutoPlay", Kind::Icon, 60, 26, U"托管", 0xFF9A5A24u },
    { "common.kor", "animation_Offline", Kind::Icon, 60, 26, U"断线", 0xFF606060u },
    { "common.kor", "waitsolo", Kind::Icon, 120, 30, U"等待其他玩家", 0xFF2C60AAu },
    { "common.kor", "过牌提示", Kind::Icon, 200, 30, U"没有大过上家的牌", 0xFF9A5A24u },
    { "common.kor", "炸弹图标", Kind::Icon, 40, 24, U"炸", 0xFFCC1622u },
    { "common.kor", "Player_MatchScore", Kind::Badges, 90, 20, U"积分|积分", 0xFF2C60AAu },
    { "common.kor", "bit_Duan", Kind::Badges, 44, 20,
      U"一段|二段|三段|四段|五段|六段|七段|八段|九段|十段|大师", 0xFF9A5A24u },
    { "common.kor", "名次", Kind::Badges, 64, 30, U"头游|二游|三游|末游", 0xFFCC1622u },
    { "common.kor", "复选框", Kind::CheckBox, 16, 16, U"", 0 },
    { "replay.kor", "Rep_bitBoard", Kind::Board, 420, 44, U"", PANEL },
    { "replay.kor", "Rep_Rrogressbar", Kind::Progress, 120, 14, U"", 0xFFECC45Au },
    { "replay.kor", "Rep_btnPlay", Kind::Button, 44, 26, U"播放", 0xFF2E8C46u },
    { "replay.kor", "Rep_btnStop", Kind::Button, 44, 26, U"暂停", 0xFF9A5A24u },
    { "replay.kor", "Rep_btnReset", Kind::Button, 44, 26, U"重放", 0xFF2C60AAu },
    { "replay.kor", "Rep_btnPreStep", Kind::Button, 44, 26, U"后退", 0xFF2C60AAu },
    { "replay.kor", "Rep_btnNextStep", Kind::Button, 44, 26, U"前进", 0xFF2C60AAu },
    { "replay.kor", "Rep_btnOpenFile", Kind::Button, 44, 26, U"打开", 0xFF2C60AAu },
    { "replay.kor", "bit_cardmaster", Kind::Board, 260, 140, U"", PANEL },
    { "replay.kor", "bit_cardmaster_player", Kind::Board, 140, 80, U"", PANEL },
    { "replay.kor", "bit_cardmaster_small", Kind::SmallCards, 12, 16, U"", 0 },
    { "replay.kor", "bit_cardrank", Kind::RankMarks, 16, 13, U"", 0xFF16161Cu },
    { "replay.kor", "btn_redcross", Kind::Button, 18, 18, U"×", 0xFFCC1622u },
    { "frame.kor", "btn_popmenu", Kind::Button, 56, 24, U"菜单", 0xFF2C60AAu },
    { "frame.kor", "btn_ScoreTab", Kind::Button, 64, 24, U"积分", 0xFF2C60AAu },
    { "frame.kor", "btn_AdvertTab", Kind::Button, 64, 24, U"公告", 0xFF2C60AAu },
    { "frame.kor", "btn_signup", Kind::Button, 64, 26, U"报名", 0xFF2E8C46u },
    { "frame.kor", "btn_giveup", Kind::Button, 64, 26, U"退赛", 0xFF9A5A24u },
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
    SkinPackage common { "common.kor", {} };
    for (const CardSize& size : SIZES) {
        Picture blank(size.width, size.height);
        DrawBlank(blank, std::max(3.0, size.width * 0.08), PAPER);
        std::vector<Picture> faces;
        for (int frame = 0; frame < FACE_FRAMES; ++frame)
            faces.push_back(DrawFace(pen, blank, frame));
        common.images.push_back(SkinImage { size.face, ToRecord(faces) });
        common.images.push_back(SkinImage { size.back, ToRecord({ DrawBack(size.width, size.height) }) });
    }
    // The flipped card's corner on the info box, and the wild-card mark.
    common.images.push_back(SkinImage { "牌角", ToRecord({ DrawBack(16, 22) }) });
    Picture wild(14, 14);
    DrawStar(wild, 7.0, 7.0, 7.0, Rgb(236, 180, 40));
    common.images.push_back(SkinImage { "花_图标", ToRecord({ wild }) });
    std::vector<SkinPackage> packages;
    packages.push_back(std::move(common));
    for (const Furniture& item : FURNITURE) {
        auto package = std::find_if(packages.begin(), packages.end(),
                                    [&](const SkinPackage& p) { return p.file == item.package; });
        if (package == packages.end())
            package = packages.insert(packages.end(), SkinPackage { item.package, {} });
        package->images.push_back(SkinImage { item.name, ToRecord(DrawFurniture(pen, item)) });
    }
    return packages;
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
    std::vector<uint8_t> bytes = engine::BuildResPackage(sources);
    if (bytes.empty())
        error = package.file + " is too large for a package";
    return bytes;
}

} // namespace tools

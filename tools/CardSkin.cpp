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

// Fills a shape (a test on pixel-space points) inside the box, anti-aliased.
void Fill(Picture& pic, const Shape& inside, double left, double top, double right, double bottom, uint32_t colour)
{
    const int32_t x0 = std::max(0, int32_t(std::floor(left)));
    const int32_t y0 = std::max(0, int32_t(std::floor(top)));
    const int32_t x1 = std::min(pic.width - 1, int32_t(std::ceil(right)));
    const int32_t y1 = std::min(pic.height - 1, int32_t(std::ceil(bottom)));
    for (int32_t y = y0; y <= y1; ++y) {
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
    TextPen() : m_source(engine::CFreeTypeGlyphSource::Create()), m_cell(size_t(SIZE) * SIZE) {}

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
    static constexpr int32_t GLYPH_EM = 200;     // working size, within the cell
    static constexpr int32_t GLYPH_THICKEN = 4;

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
        engine::FontRequest font;
        font.height = GLYPH_EM;
        font.weight = 700;
        font.face = "Arial";
        if (m_source->SelectFont(font))
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

    // Spreads the cell's coverage by GLYPH_THICKEN pixels each way (a max filter).
    void Thicken()
    {
        std::vector<uint8_t> spread(m_cell.size(), 0);
        for (int32_t y = 0; y < SIZE; ++y)
            for (int32_t x = 0; x < SIZE; ++x) {
                uint8_t most = 0;
                for (int32_t d = -GLYPH_THICKEN; d <= GLYPH_THICKEN; ++d)
                    if (x + d >= 0 && x + d < SIZE)
                        most = std::max(most, m_cell[size_t(y) * SIZE + size_t(x + d)]);
                spread[size_t(y) * SIZE + size_t(x)] = most;
            }
        for (int32_t y = 0; y < SIZE; ++y)
            for (int32_t x = 0; x < SIZE; ++x) {
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

#include "tools/SkinDraw.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tools {

void Picture::Blend(int32_t x, int32_t y, uint32_t colour, double coverage)
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
          std::optional<uint32_t> bottom_colour)
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

Picture DrawFeltTable(int32_t width, int32_t height)
{
    Picture table(width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const double nx = (x - width / 2.0) / (width / 2.0);
            const double ny = (y - height / 2.0) / (height / 2.0);
            const double light = std::clamp(1.0 - 0.45 * (nx * nx + ny * ny), 0.35, 1.0);
            // A fine fixed grain, a few levels deep.
            const uint32_t grain = (uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u) * 2654435761u >> 30;
            table.pixels[size_t(y) * size_t(width) + size_t(x)]
                = Rgb(uint32_t(14 * light), uint32_t((104 + 2 * grain) * light), uint32_t(48 * light));
        }
    }
    const double rx = width * 0.4, ry = height * 0.357;
    const auto ring = [=](double grow, double thickness) {
        return [=](double x, double y) {
            const double d = std::hypot((x - width / 2.0) / (rx + grow), (y - height / 2.0) / (ry + grow));
            return std::abs(d - 1.0) * std::min(rx, ry) <= thickness / 2.0;
        };
    };
    Fill(table, ring(2, 5), 0, 0, width, height, 0x50000000u);
    Fill(table, ring(0, 3), 0, 0, width, height, Rgb(214, 176, 84));
    return table;
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

TextPen::TextPen() : m_source(engine::CFreeTypeGlyphSource::Create()), m_cell(size_t(SIZE) * SIZE)
{
    engine::FontRequest font;
    font.height = GLYPH_EM;
    font.weight = 700;
    font.face = "Arial";
    m_font_ok = m_source && m_source->SelectFont(font);
}

void TextPen::Draw(Picture& pic, std::u32string_view text, double cx, int32_t top, int32_t height, double max_width,
                   uint32_t colour, std::u32string_view measure_with)
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
    for (const char32_t c : measure_with) {
        const Ink& ink = Glyph(c);
        if (ink.width != 0) {
            ink_top = std::min(ink_top, ink.top);
            ink_bottom = std::max(ink_bottom, ink.top + ink.height - 1);
        }
    }
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

const TextPen::Ink& TextPen::Glyph(char32_t c)
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

void TextPen::Thicken()
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

void TextPen::DrawOutlined(Picture& pic, std::u32string_view text, double cx, int32_t top, int32_t height,
                           double max_width, uint32_t colour, std::u32string_view measure_with)
{
    for (int d = 0; d < 4; ++d)
        Draw(pic, text, cx + (d % 2 ? 1 : -1) * 0.8, top + (d / 2), height, max_width + 1.0, 0xC0000000u, measure_with);
    Draw(pic, text, cx, top, height, max_width, colour, measure_with);
}

} // namespace tools

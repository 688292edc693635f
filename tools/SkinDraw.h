#pragma once
// The drawing kit of the default skin: 32-bit pictures with straight alpha,
// shapes filled anti-aliased (4 x 4 supersampling where a pixel's corners
// disagree), lit rounded panels, and text through the engine's FreeType
// glyph source, rendered large and filtered down so small sizes stay smooth.
//
// Owner: the skin tool and its test. Thread: any single thread.
// Hazards: drawing is deterministic for a given installed font; without any
// font TextPen draws nothing and the rest of a picture stands alone.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/ImageRecord.h"
#include "engine/media/CFreeTypeGlyphSource.h"

namespace tools {

constexpr int SUPERSAMPLE = 4;

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u | r << 16 | g << 8 | b; }

inline constexpr uint32_t GOLD = Rgb(236, 196, 90);
inline constexpr uint32_t PANEL = 0xD8182A22u;
inline constexpr uint32_t WHITE = Rgb(255, 255, 255);

// A 32-bit picture with straight alpha, 0xAARRGGBB per pixel.
struct Picture {
    int32_t width;
    int32_t height;
    std::vector<uint32_t> pixels;

    Picture(int32_t w, int32_t h) : width(w), height(h), pixels(size_t(w) * size_t(h), 0) {}

    // Lays `colour` over the pixel with the given coverage (0..1).
    void Blend(int32_t x, int32_t y, uint32_t colour, double coverage);
};

// A test on pixel-space points: true inside the shape.
using Shape = std::function<bool(double, double)>;

// a and b mixed per channel (alpha too), t = 0 gives a.
[[nodiscard]] uint32_t Mix(uint32_t a, uint32_t b, double t);
// The colour's red, green and blue scaled by factor (alpha kept).
[[nodiscard]] uint32_t Shade(uint32_t colour, double factor);

// Fills a shape inside the box, anti-aliased; with a second colour the fill
// fades to it from the box's top to its bottom.
void Fill(Picture& pic, const Shape& inside, double left, double top, double right, double bottom, uint32_t colour,
          std::optional<uint32_t> bottom_colour = std::nullopt);

[[nodiscard]] Shape RoundedRect(double left, double top, double right, double bottom, double radius);
[[nodiscard]] inline bool InCircle(double u, double v, double cu, double cv, double r)
{
    return (u - cu) * (u - cu) + (v - cv) * (v - cv) <= r * r;
}

// A five-pointed star of radius r centred at (cx, cy).
void DrawStar(Picture& pic, double cx, double cy, double r, uint32_t colour);

// A rounded panel lit from above: the body fades from light to dark.
void DrawPanel(Picture& pic, double x0, double y0, double x1, double y1, double radius, uint32_t colour, uint32_t edge);

// The card table's felt, lit from the middle, with a gold oval rim.
[[nodiscard]] Picture DrawFeltTable(int32_t width, int32_t height);

// '|'-separated parts of a text.
[[nodiscard]] std::vector<std::u32string_view> SplitBars(std::u32string_view text);

// One image of the frames (all of the first frame's size), one under the other.
[[nodiscard]] engine::ImageRecord ToRecord(const std::vector<Picture>& frames);

// Text through the engine's FreeType glyph source, laid out by ink extents.
class TextPen {
public:
    TextPen();

    // Draws `text` with its ink box `height` rows high, centred on cx, top at
    // `top`, squeezed sideways when it would be wider than max_width. With
    // `measure_with`, the ink box is that of both texts (a minus sign sits
    // where it would beside the digits instead of filling the height).
    void Draw(Picture& pic, std::u32string_view text, double cx, int32_t top, int32_t height, double max_width,
              uint32_t colour, std::u32string_view measure_with = {});
    // The same with a dark outline under the glyphs, legible on any ground.
    void DrawOutlined(Picture& pic, std::u32string_view text, double cx, int32_t top, int32_t height, double max_width,
                      uint32_t colour, std::u32string_view measure_with = {});

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
    const Ink& Glyph(char32_t c);
    // Spreads the cell's coverage by GLYPH_THICKEN pixels each way (a max
    // filter; the cell's own rendering never reaches its last rows and columns).
    void Thicken();

    std::unique_ptr<engine::CFreeTypeGlyphSource> m_source;
    std::vector<uint8_t> m_cell;
    std::map<char32_t, Ink> m_glyphs;
    bool m_font_ok { false };
};

} // namespace tools

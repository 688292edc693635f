#pragma once
// IGlyphSource: where the text renderer gets its glyphs. The renderer asks
// for a font (height, weight, face, italic, underline) and then for one
// character at a time, drawn as 8-bit coverage into its glyph canvas with the
// character cell's top-left corner at (0, 0).
//
// Owner: the text renderer owns its source. Implementations: the FreeType and
// fontconfig source (CFreeTypeGlyphSource) and fixed-advance fonts in tests.
// Threads: whichever thread holds the renderer (its owner serialises use).
// Hazard: a source must never write outside the canvas it is given, nor
// below the current font's height (the renderer clears only those rows).

#include <cstdint>
#include <span>
#include <string>

namespace engine {

/// A font as the renderer asks for it. `face` is GBK text.
struct FontRequest {
    int32_t height { 0 }; ///< Character (em) height in pixels, 1 to 299.
    int32_t weight { 400 };
    bool italic { false };
    bool underline { false };
    std::string face;
};

/// The renderer's glyph canvas: coverage bytes, row by row.
struct GlyphCanvas {
    static constexpr int32_t SIZE = 300; ///< Width and height.
    std::span<uint8_t> coverage;         ///< SIZE * SIZE bytes, 0 = nothing.

    [[nodiscard]] uint8_t* Row(int32_t y) const { return coverage.data() + static_cast<size_t>(y) * SIZE; }
};

class IGlyphSource {
public:
    virtual ~IGlyphSource() = default;
    /// Makes `font` the current font. False when no face could be found;
    /// glyphs then draw nothing.
    virtual bool SelectFont(const FontRequest& font) = 0;
    /// Draws one character (a Unicode code point) of the current font with
    /// its cell's top-left at (0, 0), `advance` pixels wide. Coverage is
    /// combined with what is there by taking the larger value.
    virtual void DrawGlyph(char32_t code_point, int32_t advance, const GlyphCanvas& canvas) = 0;
};

} // namespace engine

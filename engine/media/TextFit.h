#pragma once
// Fitting a short caption (a button's text, a name) into a box: the font
// size, the spacing between characters and, for an even number of Chinese
// characters, a second line; the text is shortened with ".." when even the
// smallest useful size does not fit.
//
// Owner: none (free function, used through CTextRenderer::FitTextToBox).
// Threads: any. Pure integer arithmetic on the caller's values.
// Hazard: the text is GBK; shortening never splits a two-byte character.

#include <cstdint>
#include <string>
#include <utility>

namespace engine {

struct TextFitResult {
    int32_t size { 0 };               ///< Font height, even.
    int32_t spacing { 0 };            ///< Pixels between characters.
    int32_t second_line_offset { 0 }; ///< Gap to the second line; 0 for one line.
    int32_t x_offset { 0 };           ///< Left edge of the text in the box.
};

/// Chooses size and spacing for `text` in a box_width x box_height box.
/// padding_x / padding_y / fixed_size of 0 mean "not given". Returns the
/// text's (x, y) offset in the box; (0, 0) for an empty text. The text may be
/// shortened (ending in "..") or emptied.
std::pair<int32_t, int32_t> FitTextInBox(int32_t box_width, int32_t box_height, std::string& text,
                                         TextFitResult& out, int32_t padding_x, int32_t padding_y,
                                         int32_t fixed_size);

} // namespace engine

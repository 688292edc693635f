#pragma once
// TextStyle: the 20-word style of the markup text renderer (face, colour,
// font height, weight, spacing, margins, wrap and the font flags).
//
// Owner: whoever draws text (canvas objects keep one each; the renderer keeps
// its current one). Plain record, no threading concerns.
// Hazard: the face name is 32 bytes of GBK text and need not be terminated;
// use GetFaceName/SetFaceName rather than reading the array as a C string.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace engine {

struct TextStyle {
    static constexpr size_t FACE_NAME_BYTES = 32;

    std::array<char, FACE_NAME_BYTES> face_name {}; ///< GBK, zero-padded.
    uint32_t color { 0 };                           ///< 0xAABBGGRR (red in the low byte).
    int32_t font_height { 0 };                      ///< Pixels; at most 300.
    int32_t glyph_width { 0 };                      ///< Advance of a two-byte character (the font height).
    int32_t weight { 0 };                           ///< 700 = bold.
    int32_t letter_spacing { 0 };                   ///< Pixels ("pitch" in the markup).
    int32_t row_space { 0 };                        ///< Pixels between lines.
    int32_t left_margin { 0 };
    int32_t right_margin { 0 };
    int32_t wrap { 0 };      ///< 0: layout stops at the first character that does not fit.
    int32_t underline { 0 }; ///< Also makes spaces drawn instead of skipped.
    int32_t italic { 0 };
    int32_t alpha { 0 }; ///< 0 to 255; 255 draws at full coverage.

    [[nodiscard]] std::string GetFaceName() const
    {
        const size_t length = strnlen(face_name.data(), face_name.size());
        return std::string(face_name.data(), length);
    }
    /// Copies at most 31 bytes so the name stays terminated; a two-byte
    /// character is never split.
    void SetFaceName(std::string_view name)
    {
        size_t length = 0;
        while (length < name.size() && length < FACE_NAME_BYTES - 1) {
            const bool lead = static_cast<uint8_t>(name[length]) >= 0x81;
            if (lead && length + 2 > FACE_NAME_BYTES - 1)
                break;
            length += lead ? 2 : 1;
        }
        length = std::min(length, name.size());
        face_name.fill(0);
        std::memcpy(face_name.data(), name.data(), length);
    }
};

static_assert(sizeof(TextStyle) == 20 * 4, "TextStyle is 20 words");

} // namespace engine

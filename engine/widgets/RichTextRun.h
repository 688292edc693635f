#pragma once
// RichTextRun: one laid-out piece of a rich-text view's text: one character
// (one byte, or a two-byte GBK character) or one embedded engine object.
// Runs carry their own position; a line is the runs that share a line top.
//
// Owner: the view's run pool (CBlockPool); runs are plain records built in
// place and given back to the pool, never deleted. Thread: UI thread.
// Hazards: `next` and `face` point into the owning view (its list and its
// font table) and are valid only while that view lives and the run is in it.

#include <cstdint>
#include <string_view>

namespace engine {

// Run flags.
inline constexpr uint32_t RUN_SINGLE_BYTE = 0x1;
inline constexpr uint32_t RUN_DOUBLE_BYTE = 0x2;
inline constexpr uint32_t RUN_OBJECT = 0x8;       ///< content is an engine object id
inline constexpr uint32_t RUN_ITALIC = 0x10;
inline constexpr uint32_t RUN_UNDERLINE = 0x20;
inline constexpr uint32_t RUN_BOLD = 0x80;
inline constexpr uint32_t RUN_URL_TEXT = 0x100;   ///< a range of such runs spells a URL
inline constexpr uint32_t RUN_BUTTON = 0x200;     ///< with RUN_OBJECT: a picture button
inline constexpr uint32_t RUN_LINK_FIRST = 0x400;
inline constexpr uint32_t RUN_LINK_LAST = 0x800;
inline constexpr uint32_t RUN_LINE_BREAK = 0x1000;
inline constexpr uint32_t RUN_LINK_TEXT = 0x2000;
inline constexpr uint32_t RUN_NEVER_DRAWN = 0x4000;
inline constexpr uint32_t RUN_HIDDEN = 0x8000;    ///< skipped by drawing, hit tests and line counting

/// The style flags the markup sets on character runs.
inline constexpr uint32_t RUN_STYLE_MASK = RUN_ITALIC | RUN_UNDERLINE | RUN_BOLD | RUN_LINK_TEXT;

struct RichTextRun {
    int32_t x { 0 };
    int32_t y { 0 };          ///< top of the run's box; runs sit on the bottom of their line
    uint16_t width { 0 };
    uint16_t height { 0 };
    int32_t line_top { 0 };
    int32_t extra { 0 };      ///< added to width when advancing (character spacing)
    uint32_t flags { 0 };
    uint32_t content { 0 };   ///< character bytes (first byte lowest), or the object id
    uint32_t colour { 0 };    ///< 0x00BBGGRR
    const char* face { nullptr }; ///< the view's font-table entry; null: the default face
    RichTextRun* next { nullptr };

    [[nodiscard]] bool IsObject() const { return (flags & RUN_OBJECT) != 0; }
    [[nodiscard]] bool IsHidden() const { return (flags & RUN_HIDDEN) != 0; }
    [[nodiscard]] int32_t Bottom() const { return y + height; }
    [[nodiscard]] int32_t Right() const { return x + width; }
    [[nodiscard]] int32_t Advance() const { return width + extra; }
    [[nodiscard]] uint32_t ObjectId() const { return IsObject() ? content : 0; }
    /// Number of text bytes a character run holds (0 for an object run).
    [[nodiscard]] size_t ByteCount() const
    {
        return IsObject() ? 0 : (flags & RUN_DOUBLE_BYTE) != 0 ? 2 : 1;
    }
    /// Writes the character's bytes to out (room for 2); answers their count.
    size_t CopyBytes(char* out) const
    {
        const size_t count = ByteCount();
        for (size_t i = 0; i < count; ++i)
            out[i] = static_cast<char>((content >> (8 * i)) & 0xFF);
        return count;
    }
    [[nodiscard]] uint8_t FirstByte() const { return static_cast<uint8_t>(content & 0xFF); }
    void SetBytes(uint8_t first, uint8_t second) { content = first | (uint32_t(second) << 8); }
};

} // namespace engine

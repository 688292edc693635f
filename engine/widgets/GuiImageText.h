#pragma once
// CGuiImageText: a line of text drawn from glyph images instead of a font.
// Each character (one byte, or a two-byte GBK character) maps to one frame of
// an image strip; the text is composed on a canvas (the visual) with a fixed
// cell advance or each glyph's own width, letter spacing, and left, centred
// or right anchoring on the object's own x.
//
// Glyph keys: a one-byte character's key is its byte, a two-byte
// character's first byte x 256 + second byte.
//
// Owner: the object module; the canvas is an owned follower. Thread: UI thread.
// Hazards: glyphs borrow the strip's cached record (ImageRef); a strip
// released from the cache draws nothing.

#include <cstdint>
#include <map>
#include <string_view>

#include "engine/core/GuiObject.h"
#include "engine/core/ImageRecord.h"

namespace engine {

class CCanvasObject;

class CGuiImageText : public CGuiObject {
public:
    // Flags.
    static constexpr uint32_t FLAG_LEFT = 0x1;         ///< The object's x is the text's left edge.
    static constexpr uint32_t FLAG_RIGHT = 0x4;        ///< The object's x is the text's right edge.
    static constexpr uint32_t FLAG_SUFFIX = 0x8;       ///< Used by the digit display.
    static constexpr uint32_t FLAG_PROPORTIONAL = 0x10; ///< Each glyph advances by its own width.

    // Alignments of DrawGlyphs.
    static constexpr uint32_t ALIGN_LEFT = 0x1;
    static constexpr uint32_t ALIGN_CENTRE = 0x2;

    /// Re-anchors the canvas after moving.
    void MoveBy(double dx, double dy) override;

    virtual void Create(int32_t cell_width, int32_t cell_height, uint32_t flags);
    /// Adds (or replaces) the glyph of the first character of text.
    virtual void AddGlyph(std::string_view character, const ImageRef& image);
    /// Glyph i of characters is frame i of the named strip, while both last.
    virtual void AddGlyphs(std::string_view characters, std::string_view image_name);
    /// Sizes the canvas to the text, draws it and re-anchors.
    virtual void SetText(std::string_view text);
    /// Draws text on canvas with this object's glyphs, its top-left start
    /// placed by align (ALIGN_LEFT at x, ALIGN_CENTRE centred on x, else
    /// ending at x).
    virtual void DrawGlyphs(CCanvasObject& canvas, double x, double y, std::string_view text, uint32_t align);
    void DrawOnCanvas(CCanvasObject& canvas, double x, double y, std::string_view text, uint32_t align)
    {
        DrawGlyphs(canvas, x, y, text, align);
    }
    virtual void Reanchor();
    /// Takes effect at the next SetText.
    virtual void SetSpacing(int32_t pixels) { m_spacing = pixels; }

    /// The width SetText gives text.
    [[nodiscard]] int32_t MeasureText(std::string_view text) const;
    [[nodiscard]] CCanvasObject* GetCanvas() const { return m_canvas; }
    [[nodiscard]] uint32_t GetTextFlags() const { return m_flags; }
    [[nodiscard]] int32_t GetCellWidth() const { return m_cell_width; }
    [[nodiscard]] int32_t GetCellHeight() const { return m_cell_height; }
    [[nodiscard]] bool HasGlyph(uint32_t key) const { return m_glyphs.contains(key); }

protected:
    void SetTextFlag(uint32_t flag, bool on) { m_flags = on ? (m_flags | flag) : (m_flags & ~flag); }

private:
    /// The image of one frame and the room the glyph takes.
    struct Glyph {
        ImageRef image;   ///< The strip, at the glyph's frame.
        int32_t advance;  ///< The glyph's width.
    };
    [[nodiscard]] bool IsProportional() const { return (m_flags & FLAG_PROPORTIONAL) != 0; }
    [[nodiscard]] const Glyph* FindGlyph(std::string_view text, size_t pos, size_t length) const;

    ObjectLink<CCanvasObject> m_canvas;
    std::map<uint32_t, Glyph> m_glyphs;
    uint32_t m_flags { 0 };
    int32_t m_cell_width { 0 };
    int32_t m_cell_height { 0 };
    int32_t m_spacing { 0 };
};

/// The glyph key of the character of length bytes (1 or 2) at text[pos].
[[nodiscard]] uint32_t GlyphKey(std::string_view text, size_t pos, size_t length);

} // namespace engine

#pragma once
// CTextRenderer: draws GBK text with its small inline markup ("<size=20>",
// "<color=255>", "<bold>", "<break>" ...) into 32-bit pixels (blue, green,
// red, alpha bytes), measures it and fits short captions into boxes.
//
// Lines are laid out in two passes: a line is first measured to learn its
// height (the tallest font in it), then drawn again bottom-aligned. Each glyph
// is drawn as coverage into one 300 x 300 glyph canvas and the text colour is
// blended into the target through it.
//
// Owner: one renderer serves every canvas; CCanvasTextDrawer owns it and is
// the canvases' way in. Threads: UI thread, one caller at a time. Callers
// hold the text lock around SetStyle, DrawText and GetStyle so styles and the
// canvas are never shared between two draws: canvases take the object
// module's text semaphore themselves, and Lock()/Unlock() enter that same
// semaphore once the object module lends it (LendLock).
// Hazards: text is GBK; it is converted to Unicode only at the glyph lookup.
// Sizes and spacings from callers (chat lines from other players included)
// are clamped, and layout always ends even in boxes narrower than a glyph.

#include <cstdint>
#include <memory>
#include <semaphore>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/core/ObjectServices.h"
#include "engine/media/IGlyphSource.h"
#include "engine/media/TextFit.h"
#include "engine/media/TextStyle.h"

namespace engine {

class ObjectModule;

class CTextRenderer final : public ITextRenderer {
public:
    static constexpr int32_t MAX_FONT_HEIGHT = 300;     ///< A height of this or more draws nothing.
    static constexpr int32_t MAX_SPACING = 1 << 20;     ///< Bound of spacings, margins and row space.
    static constexpr size_t MAX_SCRIPT_TEXTS = 256;     ///< Script tags kept at most.
    static constexpr uint32_t INITIAL_COLOR = 0xFF7D327D;

    explicit CTextRenderer(std::unique_ptr<IGlyphSource> source);
    ~CTextRenderer() override;
    CTextRenderer(const CTextRenderer&) = delete;
    CTextRenderer& operator=(const CTextRenderer&) = delete;

    /// Clears the style, the colour (INITIAL_COLOR), spacing, scripts and the
    /// saved line style. Always succeeds here (the canvas is plain memory).
    bool Init();
    /// Forgets the current font.
    void Release();

    void SetStyle(const TextStyle& style);
    void GetStyle(TextStyle& style) const { style = m_style; }
    [[nodiscard]] const TextStyle& GetStyle() const { return m_style; }

    /// Makes the font current unless nothing changed (then 0). Heights are
    /// clamped to 1..300. Returns 1 when a new font was made.
    int32_t CreateTextFont(int32_t height, int32_t weight, std::string_view face, bool italic, bool underline);
    void SetFontHeight(int32_t height);
    /// Stores the colour (0xAABBGGRR) and returns its red byte.
    uint8_t SetColor(uint32_t color);

    /// Draws text into `pixels` (width x height, 4 bytes a pixel, rows
    /// top-down) with the first line's top at y. Stops at a 0 byte.
    void DrawText(std::span<uint8_t> pixels, int32_t width, int32_t height, int32_t x, int32_t y,
                  std::string_view text);
    /// The height of the text laid out in `width`; GetWidestExtent() then
    /// gives its width.
    [[nodiscard]] int32_t MeasureText(int32_t width, std::string_view text);
    [[nodiscard]] int32_t GetWidestExtent() const { return Saturate(m_widest); }
    [[nodiscard]] int32_t GetLastBottom() const { return Saturate(m_last_bottom); }

    /// Fits `text` into a box (see TextFit.h); the text may come back shortened.
    std::pair<int32_t, int32_t> FitTextToBox(int32_t box_width, int32_t box_height, std::string& text,
                                             TextFitResult& out, int32_t padding_x, int32_t padding_y,
                                             int32_t fixed_size) const;

    /// Waits for and leaves the renderer's lock: the object module's text
    /// semaphore once it is lent, else the renderer's own. Not re-entrant.
    void Lock();
    void Unlock();
    /// The object module whose text semaphore (count 1) is the lock from now
    /// on; null for the renderer's own. The module must outlive the lending.
    void LendLock(ObjectModule* owner) { m_lock_owner = owner; }

    void ResetScripts();
    [[nodiscard]] const std::vector<std::string>& GetScripts() const { return m_scripts; }
    [[nodiscard]] int32_t GetScriptIndex() const { return m_script_index; }

private:
    enum class Step { Continue, Stop };

    void RunLayout(std::string_view text);
    bool TryTag(std::string_view text);
    Step PlaceCharacter(std::string_view text, bool two_bytes);
    void NewLine();
    void DrawRun(std::string_view bytes, int64_t top);
    void BlendGlyph(std::string_view bytes, int64_t left, int64_t top, int32_t advance);
    bool ApplyTag(std::string_view tag);
    bool ApplyPair(std::string_view name, std::string_view value);
    [[nodiscard]] char32_t CodePointOf(std::string_view bytes);
    [[nodiscard]] bool IsMeasuringPass() const { return !m_measure_only && !m_draw_pass; }
    void ClampStyle();
    [[nodiscard]] static int32_t Saturate(int64_t value);

    std::unique_ptr<IGlyphSource> m_source;
    int32_t m_half_width { 0 };
    TextStyle m_style {};
    TextStyle m_call_style {};
    TextStyle m_line_style {};
    uint32_t m_saved_color { 0 };
    bool m_font_made { false };

    // Layout state of the current call. Positions are 64-bit so that clamped
    // but large spacings can never overflow.
    std::span<uint8_t> m_pixels;
    int32_t m_width { 0 };
    int32_t m_height { 0 };
    int64_t m_pen_x { 0 };
    int64_t m_line_top { 0 };
    int64_t m_line_height { 1 };
    int64_t m_line_bottom { 1 };
    size_t m_index { 0 };
    size_t m_end_index { 0 };
    size_t m_line_start_index { 0 };
    int64_t m_line_start_x { 0 };
    bool m_draw_pass { false };
    bool m_measure_only { false };
    bool m_line_has_character { false };
    bool m_stopped { false };
    int64_t m_widest { 0 };
    int64_t m_last_bottom { 0 };

    std::vector<uint8_t> m_canvas;
    uint8_t m_text_blue { 0 };
    uint8_t m_text_green { 0 };
    uint8_t m_text_red { 0 };

    std::vector<std::string> m_scripts;
    int32_t m_script_index { -1 };
    std::unordered_map<uint16_t, char32_t> m_code_points;

    std::binary_semaphore m_own_lock { 1 };
    ObjectModule* m_lock_owner { nullptr };
};

} // namespace engine

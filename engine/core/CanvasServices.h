#pragma once
// The drawing services a canvas object needs from the media layer, declared
// here so that engine/core never includes engine/media:
//  - ICanvasBlitter: draws an image record into 32-bit pixels and scales a
//    pixel rectangle by the nearest rule (the software blitter).
//  - ICanvasTextDrawer: draws, measures and fits markup text in a given
//    style (the shared text renderer).
// CanvasTextStyle is the renderer's 20-word text style; the media adapter
// copies it field by field into its own style record.
//
// Owner: the layer above installs one of each at start-up with
// CCanvasServices::Install*; the installed objects live until replaced or
// until CCanvasServices::Reset. Without them a canvas still fills, draws
// lines and filters its own pixels; image and text drawing do nothing.
// Thread: UI thread only (install before the engine runs).

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "engine/core/ImageRecord.h"

namespace engine {

struct CanvasTextStyle {
    static constexpr size_t FACE_NAME_BYTES = 32;

    std::array<char, FACE_NAME_BYTES> face_name {}; ///< GBK, zero-padded, always terminated.
    uint32_t color { 0 };                           ///< 0xAABBGGRR (red in the low byte).
    int32_t font_height { 0 };
    int32_t glyph_width { 0 };
    int32_t weight { 0 };
    int32_t letter_spacing { 0 };
    int32_t row_space { 0 };
    int32_t left_margin { 0 };
    int32_t right_margin { 0 };
    int32_t wrap { 0 };
    int32_t underline { 0 };
    int32_t italic { 0 };
    int32_t alpha { 0 };

    [[nodiscard]] std::string GetFaceName() const
    {
        return std::string(face_name.data(), strnlen(face_name.data(), face_name.size()));
    }
    /// Copies at most 31 bytes, never splitting a two-byte character.
    void SetFaceName(std::string_view name);
};

static_assert(sizeof(CanvasTextStyle) == 20 * 4, "the text style is 20 words");

class ICanvasBlitter {
public:
    virtual ~ICanvasBlitter() = default;
    /// Draws the source rectangle of image (frame offsets already added to
    /// source_y) into the width x height pixels, as params say.
    virtual void Blit(uint32_t* pixels, int32_t width, int32_t height, DrawParams& params, const ImageRecord& image,
                      int32_t source_x, int32_t source_y, int32_t source_width, int32_t source_height,
                      double opacity, uint32_t tint) = 0;
    /// A new_width x new_height copy of the rectangle by the nearest rule;
    /// null when it cannot be made.
    [[nodiscard]] virtual std::unique_ptr<uint32_t[]> ScaleNearest(const uint32_t* source, int32_t stride,
                                                                   int32_t source_height, int32_t x, int32_t y,
                                                                   int32_t width, int32_t height,
                                                                   int32_t new_width, int32_t new_height) = 0;
};

// Canvases of a registered object call these while holding the object
// module's text lock (ObjectModule::LockTextRenderer); an implementation must
// not take that lock again.
class ICanvasTextDrawer {
public:
    virtual ~ICanvasTextDrawer() = default;
    /// Draws text with the first line's top at y into the pixels (width x
    /// height, 4 bytes a pixel); the renderer's own style is kept.
    virtual void DrawText(const CanvasTextStyle& style, std::span<uint8_t> pixels, int32_t width, int32_t height,
                          int32_t x, int32_t y, std::string_view text) = 0;
    /// The height the text needs laid out in width.
    [[nodiscard]] virtual int32_t MeasureText(const CanvasTextStyle& style, int32_t width, std::string_view text) = 0;
    /// Fits a caption into a box; the text may come back shortened. Answers
    /// the text's (x, y) offset in the box.
    virtual std::pair<int32_t, int32_t> FitText(const CanvasTextStyle& style, int32_t box_width,
                                                int32_t box_height, std::string& text) = 0;
    /// Whether tag (the text between '<' and '>') is one of the renderer's.
    [[nodiscard]] virtual bool IsKnownTag(std::string_view tag) const = 0;
    /// Text that is not markup, as the renderer must get it to show it as
    /// written: no tag of the renderer's opens in it; line breaks stay and
    /// other control bytes go.
    [[nodiscard]] virtual std::string PlainText(std::string_view text) const = 0;
};

/// How a text drawn on a canvas is read. Markup is for texts that are markup
/// by design (the program's own, a server's formatted text); everything else
/// (a player's name, a caption, a sentence that names someone) is Plain and
/// shows as written.
enum class TextKind { Plain, Markup };

class CCanvasServices {
public:
    static void InstallBlitter(std::unique_ptr<ICanvasBlitter> blitter);
    static void InstallTextDrawer(std::unique_ptr<ICanvasTextDrawer> drawer);
    /// Forgets both.
    static void Reset();
    [[nodiscard]] static ICanvasBlitter* GetBlitter();
    [[nodiscard]] static ICanvasTextDrawer* GetTextDrawer();
};

} // namespace engine

#pragma once
// CCanvasObject (object kind 3): an engine object that owns a 32-bit pixel
// buffer (bytes blue, green, red, alpha; rows from the top) which the program
// draws into: fills, borders, lines, rectangles, filters, images through the
// blitter, three-slice images and text through the text renderer. Its
// picture refers to the canvas's own image record (id 1).
//
// Owner: the object module, like every registered object. The canvas owns its
// pixels; on destruction it tells the paint module (VELOTRIX_MSG_FREE_IMAGE)
// so that nothing cached refers to the record, and frees them itself.
// Thread: UI thread. Text drawing takes the object module's text lock.
// Hazards: every write is clipped to the canvas on all four sides. Colours
// are 0x00BBGGRR; the colour key (0xFF00FF) marks transparent pixels. Image
// and text drawing need the services of CanvasServices.h; without them they
// do nothing.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/core/CanvasServices.h"
#include "engine/core/EngineObject.h"
#include "engine/core/FrameImage.h"

namespace engine {

class CCanvasObject : public CEngineObject {
public:
    static constexpr int TYPE_CANVAS = 3;
    static constexpr int32_t MAX_SIDE = 0xFFFF;               ///< The record keeps 16-bit sizes.
    static constexpr int64_t MAX_PIXELS = 64ll * 1024 * 1024; ///< Largest buffer a canvas takes.
    static constexpr uint32_t RECORD_FLAGS = IMAGE_FLAG_TRANSPARENT | IMAGE_FLAG_ALPHA;

    CCanvasObject() = default;
    ~CCanvasObject() override;

    [[nodiscard]] int GetType() const override { return TYPE_CANVAS; }
    [[nodiscard]] CFrameImageBase* GetPicture() const override { return const_cast<CFrameImage*>(&m_picture); }
    [[nodiscard]] CFrameImage& GetFrameImage() { return m_picture; }

    /// 1 when the buffer was made; 0 (nothing changed) for a size outside
    /// 1..65535 or above MAX_PIXELS.
    int Create(int32_t width, int32_t height, uint32_t background, int32_t value);
    [[nodiscard]] static uint32_t MakePixel(uint32_t colour, uint32_t key);

    // Filling and outlines.
    void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void Clear();
    void SetPixel(int32_t x, int32_t y, uint32_t colour);
    void SetPixelAlpha(int32_t x, int32_t y, uint8_t alpha);
    void DrawBorder(uint32_t colour, int32_t thickness);
    void DrawDottedBorder(uint32_t colour);
    void DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
    enum class Fill { Outline, Solid };
    void DrawRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Fill fill);
    void DrawDottedRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
    void InvertRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

    // Images.
    void DrawImage(const ImageRef& ref, int32_t x, int32_t y, int32_t width, int32_t height, double angle,
                   double opacity);
    /// Draws the cut of the image's current frame that starts at (source_x,
    /// source_y) of the reference, width x height (below 1: to the frame's
    /// edge), unscaled at (x, y).
    void DrawImage(const ImageRef& ref, int32_t x, int32_t y, int32_t width, int32_t height, int32_t source_x,
                   int32_t source_y, double opacity);
    void DrawThreeSlice(const ImageRef& top, const ImageRef& middle, const ImageRef& bottom);
    /// Cuts one picture into three around its record's two offsets: rows
    /// (Vertical) or columns (Horizontal).
    enum class SliceAxis { Vertical, Horizontal };
    void DrawSliced(const ImageRef& ref, SliceAxis axis);
    void ResizeToText(std::string_view text, int32_t width);
    void Resize(int32_t width, int32_t height);

    // Filters.
    void ApplyColourKey();
    void Tint(uint32_t colour, uint32_t amount);
    void MaskByImage(const ImageRef& ref);
    void Darken();

    void SetBackgroundColour(uint32_t colour) { m_background = colour; }
    void SetTintColour(uint32_t colour) { m_picture.SetTint(colour); }
    void SetColourKey(uint32_t key) { m_record.colour_key = key; }

    // Text style.
    void SetTextColour(uint32_t colour, uint8_t alpha);
    /// The same with alpha 0.0 .. 1.0 (unused is ignored).
    void SetTextColor(uint32_t colour, int32_t unused, double alpha);
    void SetFont(int32_t height, int32_t weight, std::string_view face);
    void SetSpacing(int32_t letter_spacing, int32_t row_space);
    void SetMargins(int32_t left, int32_t right);
    void SetTextFlags(int32_t wrap, int32_t underline);
    void SetTextStyle(const CanvasTextStyle& style) { m_style = style; }
    void GetTextStyle(CanvasTextStyle& style) const { style = m_style; }
    [[nodiscard]] const CanvasTextStyle& GetTextStyle() const { return m_style; }

    // Text. DrawText, DrawCentredText and DrawMarkup take markup: the
    // renderer's tags in the text are applied. The Plain calls show their
    // text as written, and are the ones for anything that names a player or
    // carries other text that is not markup by design.
    void DrawText(int32_t x, int32_t y, std::string_view text);
    void DrawPlainText(int32_t x, int32_t y, std::string_view text) { DrawText(x, y, PlainText(text)); }
    /// Text of either kind with nothing drawn at or below row `bottom` (the
    /// top of what lies under the text's box, such as a row of buttons).
    void DrawTextAbove(int32_t bottom, int32_t x, int32_t y, std::string_view text, TextKind kind);
    /// The text as DrawPlainText hands it to the renderer (unchanged when no
    /// text drawer is installed, which draws nothing anyway).
    [[nodiscard]] static std::string PlainText(std::string_view text);
    void DrawTextAt(int32_t x, int32_t y, std::string_view text) { DrawText(x, y, text); }
    void DrawCentredText(int32_t centre_x, int32_t centre_y, std::string_view text);
    void DrawCentredPlainText(int32_t centre_x, int32_t centre_y, std::string_view text)
    {
        DrawCentredText(centre_x, centre_y, PlainText(text));
    }
    void DrawMarkup(std::string_view text, int32_t y);
    /// Fits text into the canvas's box (shortening it when needed); the offset.
    std::pair<int32_t, int32_t> FitText(std::string& text);
    [[nodiscard]] int32_t MeasureText(int32_t width, std::string_view text);
    /// The width DrawCentredText gives text (tags of the renderer count 0
    /// with TagWidth::Skip).
    enum class TagWidth { Count, Skip };
    [[nodiscard]] int32_t TextWidth(std::string_view text, TagWidth tags) const;

    // Getters.
    [[nodiscard]] uint32_t GetTextColour() const { return m_style.color & 0xFFFFFF; }
    [[nodiscard]] uint32_t GetBackgroundColour() const { return m_background; }
    [[nodiscard]] uint32_t GetTintColour() const { return m_picture.GetTint(); }
    [[nodiscard]] const ImageRef& GetImageRef() const { return m_picture.GetInfo(); }
    [[nodiscard]] uint32_t GetColourAt(int32_t x, int32_t y) const;
    [[nodiscard]] uint32_t GetAlphaAt(int32_t x, int32_t y) const;
    [[nodiscard]] std::span<uint8_t> GetPixels();
    [[nodiscard]] int32_t GetCanvasWidth() const { return m_width; }
    [[nodiscard]] int32_t GetCanvasHeight() const { return m_height; }
    [[nodiscard]] int32_t GetCreateValue() const { return m_create_value; }
    [[nodiscard]] const ImageRecord& GetRecord() const { return m_record; }

private:
    struct Box {
        int32_t left, top, right, bottom; ///< inclusive
    };
    [[nodiscard]] bool ClipInclusive(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Box& box) const;
    /// The pixel's first byte, unchecked; PixelAt answers null outside.
    [[nodiscard]] uint8_t* PixelPtr(int32_t x, int32_t y) const;
    [[nodiscard]] uint8_t* PixelAt(int32_t x, int32_t y) const;
    void PutPixel(int32_t x, int32_t y, uint32_t pixel);
    [[nodiscard]] uint32_t PenPixel() const;
    void FillPixels(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t pixel);
    void DrawDottedOutline(const Box& box, uint32_t pixel);
    void AdoptPixels(std::unique_ptr<uint8_t[]> pixels, int32_t width, int32_t height);
    /// Part of a picture along a slicing axis: source rows (or columns)
    /// from offset for length.
    struct SlicePiece {
        const ImageRef& ref;
        int32_t offset;
        int32_t length;
    };
    void DrawAlong(const SlicePiece& piece, SliceAxis axis, int32_t at, int32_t extent);
    void DrawSlices(const SlicePiece& first, const SlicePiece& middle, const SlicePiece& last, SliceAxis axis);
    /// The room one character of length bytes (1 or 2) takes in a line.
    [[nodiscard]] int64_t CharWidth(size_t length) const;
    void DrawCutLine(std::string line, int32_t centre_x, int32_t centre_y, bool cut);

    ImageRecord m_record;
    CFrameImage m_picture;
    CanvasTextStyle m_style;
    int32_t m_width { 0 };
    int32_t m_height { 0 };
    uint32_t m_background { COLOUR_NONE };
    int32_t m_create_value { 0 };
};

} // namespace engine

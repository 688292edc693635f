// Untrusted input the picture objects read: image records whose geometry,
// frame layout, palette and buffer sizes come from files (frame queries, hit
// tests, frame cuts, masks), drawing coordinates far outside a canvas, and
// markup text from chat lines wrapped and cut on a canvas.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "engine/core/CanvasObject.h"
#include "engine/core/CanvasServices.h"
#include "engine/core/FrameImage.h"
#include "engine/core/ImageFrameCut.h"

namespace {

using namespace engine;

// Takes the input front to back; past the end it answers 0.
class CInput {
public:
    CInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint8_t U8() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint16_t U16() { return uint16_t(U8() | U8() << 8); }
    int32_t S16() { return int16_t(U16()); }
    std::span<const uint8_t> Bytes(size_t count)
    {
        count = std::min(count, m_size - m_pos);
        const std::span<const uint8_t> bytes(m_data + m_pos, count);
        m_pos += count;
        return bytes;
    }
    std::string_view Rest()
    {
        const auto bytes = Bytes(m_size - m_pos);
        return { reinterpret_cast<const char*>(bytes.data()), bytes.size() };
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos { 0 };
};

// Touches every byte it is given, so that a read past a buffer shows.
class CTouchingTextDrawer : public ICanvasTextDrawer {
public:
    void DrawText(const CanvasTextStyle&, std::span<uint8_t> pixels, int32_t width, int32_t height, int32_t,
                  int32_t, std::string_view text) override
    {
        if (pixels.size() != size_t(width) * size_t(height) * 4)
            __builtin_trap();
        Touch(text);
    }
    int32_t MeasureText(const CanvasTextStyle& style, int32_t, std::string_view text) override
    {
        Touch(text);
        return style.font_height;
    }
    std::pair<int32_t, int32_t> FitText(const CanvasTextStyle&, int32_t, int32_t, std::string&) override
    {
        return { 0, 0 };
    }
    bool IsKnownTag(std::string_view tag) const override
    {
        Touch(tag);
        return tag == "b" || tag == "/b" || tag == "color=255";
    }
    std::string PlainText(std::string_view text) const override
    {
        Touch(text);
        return std::string(text);
    }

private:
    static void Touch(std::string_view text)
    {
        volatile uint8_t sum = 0;
        for (const char c : text)
            sum = uint8_t(sum + uint8_t(c));
    }
};

// A record as a file could describe it: the buffer need not match the
// geometry it claims.
std::unique_ptr<ImageRecord> ReadRecord(CInput& in)
{
    auto record = std::make_unique<ImageRecord>();
    record->id = 5;
    record->width = uint16_t(1 + in.U8() % 48);
    record->height = uint16_t(1 + in.U8() % 48);
    record->frames = in.U8() % 9;
    record->frames_per_row = in.U8() % 4;
    record->flags = in.U8() & (IMAGE_FLAG_PALETTE | IMAGE_FLAG_ALPHA | IMAGE_FLAG_BLOCK32 | IMAGE_FLAG_ANIMATED);
    record->colour_key = in.U8();
    record->offset_x = int16_t(in.S16());
    record->offset_y = int16_t(in.S16());
    const auto pixels = in.Bytes(in.U16() % 8192);
    record->pixel_bytes = uint32_t(pixels.size());
    record->pixels = std::make_unique<uint8_t[]>(pixels.size() + 1);
    std::memcpy(record->pixels.get(), pixels.data(), pixels.size());
    // The palette field holds the 32-byte block, or three bytes an entry.
    record->palette_count = 1 + in.U8();
    if (record->flags & IMAGE_FLAG_BLOCK32)
        record->palette = std::make_unique<uint8_t[]>(32);
    else if (record->flags & IMAGE_FLAG_PALETTE)
        record->palette = std::make_unique<uint8_t[]>(record->palette_count * 3);
    if ((record->flags & IMAGE_FLAG_ANIMATED) && record->frames > 0) {
        record->delays = std::make_unique<uint32_t[]>(record->frames);
        for (uint32_t f = 0; f < record->frames; ++f)
            record->delays[f] = in.U8();
    }
    return record;
}

void QueryFrames(CInput& in, ImageRecord& record)
{
    ImageRef ref;
    ref.id = record.id;
    ref.record = &record;
    ref.source_x = in.S16();
    ref.source_y = in.S16();
    ref.width = in.S16();
    ref.height = in.S16();
    ref.frame = in.U8();
    CFrameImage picture;
    picture.SetInfo(ref);
    for (int i = 0; i < 8; ++i) {
        const int32_t x = in.S16();
        const int32_t y = in.S16();
        (void)picture.HitTest(x, y);
        (void)picture.GetAlphaAt(x, y);
        (void)picture.GetColourAt(x, y);
    }
    (void)picture.SetFrameByTime(in.U16(), in.U8());
    (void)picture.SetFrame(in.S16());
    (void)picture.NextFrame();
    (void)picture.GetFrameDelay(in.S16());

    ImageRecord cut;
    (void)CutImageFrame(&cut, &record, in.U8());

    // A mask of the canvas's own size reads every pixel of the frame.
    CCanvasObject canvas;
    if (canvas.Create(record.width, record.height, COLOUR_NONE, 0) == 1)
        canvas.MaskByImage(ref);
}

void DrawOnCanvas(CInput& in)
{
    CCanvasObject canvas;
    if (canvas.Create(1 + in.U8() % 64, 1 + in.U8() % 64, in.U8() & 1 ? COLOUR_NONE : 0x00123456, 0) != 1)
        return;
    for (int op = in.U8() % 16; op > 0; --op) {
        const uint8_t kind = in.U8();
        const int32_t a = in.S16(), b = in.S16(), c = in.S16(), d = in.S16();
        switch (kind % 9) {
        case 0: canvas.DrawLine(a, b, c, d); break;
        case 1: canvas.DrawRect(a, b, c, d, kind & 0x10 ? CCanvasObject::Fill::Solid : CCanvasObject::Fill::Outline); break;
        case 2: canvas.DrawDottedRect(a, b, c, d); break;
        case 3: canvas.InvertRect(a, b, c, d); break;
        case 4: canvas.FillRect(a, b, c, d); break;
        case 5: canvas.DrawBorder(0x00FF0000, a); break;
        case 6: canvas.SetPixel(a, b, 0x0000FF00); canvas.SetPixelAlpha(c, d, 9); break;
        case 7: canvas.Resize(1 + (a & 63), 1 + (b & 63)); break;
        default: canvas.Tint(uint32_t(a), uint32_t(b)); canvas.Darken(); break;
        }
    }
    canvas.SetFont(in.U8() % 24, 400, "face");
    canvas.SetSpacing(in.U8() % 4, in.U8() % 4);
    canvas.SetMargins(in.S16() % 32, in.S16() % 32);
    const int32_t y = in.S16() % 64;
    const std::string_view text = in.Rest();
    canvas.DrawMarkup(text, y);
    canvas.DrawCentredText(10, 10, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool s_installed = [] {
        CCanvasServices::InstallTextDrawer(std::make_unique<CTouchingTextDrawer>());
        return true;
    }();
    (void)s_installed;
    CInput in(data, size);
    if (in.U8() & 1) {
        auto record = ReadRecord(in);
        QueryFrames(in, *record);
    } else {
        DrawOnCanvas(in);
    }
    return 0;
}

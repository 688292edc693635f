#pragma once
// Shared pieces of the rich-text tests: an engine on a manual clock with a
// paint module that knows a few images, a created view, a recording URL
// opener, and a dump of the runs.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/ActionFactory.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/ImageRecord.h"
#include "engine/widgets/RichTextView.h"
#include "engine/widgets/UrlOpener.h"

namespace richtest {

using namespace engine;

/// One 32-bit image strip (every pixel opaque) of frames frames.
inline std::unique_ptr<ImageRecord> MakeImage(uint32_t id, uint16_t width, uint16_t height, uint32_t frames)
{
    auto record = std::make_unique<ImageRecord>();
    record->id = id;
    record->width = width;
    record->height = height;
    record->frames = frames;
    record->frames_per_row = 1;
    record->flags = IMAGE_FLAG_ALPHA;
    record->colour_key = COLOUR_NONE;
    record->pixel_bytes = uint32_t(width) * height * frames * 4;
    record->pixels = std::make_unique<uint8_t[]>(record->pixel_bytes);
    for (uint32_t i = 0; i < record->pixel_bytes; i += 4)
        record->pixels[i + 3] = 255;
    return record;
}

// A paint module that knows "face" (12 x 10) and "btn" (16 x 8, 4 frames).
class CFakePaint : public EngineModule, public IPaintImages {
public:
    int Load() override { return 1; }
    void Unload() override {}
    void Update() override { DispatchQueued(); }
    int32_t GetId() const override { return VELOTRIX_MODULE_PAINT; }
    const char* GetName() const override { return "PaintModule"; }
    int32_t OnMessage(int32_t, uintptr_t, uintptr_t) override { return 0; }
    void LoadImageByName(ImageRef& ref, std::string_view name, uint32_t frame) override
    {
        ref = ImageRef {};
        ImageRecord* record = name == "face" ? m_face.get() : name == "btn" ? m_button.get() : nullptr;
        if (record == nullptr)
            return;
        ref.id = record->id;
        ref.record = record;
        ref.width = record->width;
        ref.height = record->height;
        ref.frame = frame % record->frames;
        ref.tint = COLOUR_NONE;
    }
    ImageRecord* FindImage(std::string_view) override { return nullptr; }
    bool AddImageCopy(const ImageRef&, std::string_view) override { return false; }
    void ReleaseImage(std::string_view) override {}
    void DrawImage(const ImageRef&, int32_t, int32_t, int32_t, int32_t, double) override {}
    void Clear(uint32_t) override {}
    double GetFps() const override { return 0.0; }
    int32_t GetWidth() const override { return 800; }
    int32_t GetHeight() const override { return 600; }
    uint32_t GetLastImageId() const override { return 0; }

    std::unique_ptr<ImageRecord> m_face { MakeImage(41, 12, 10, 1) };
    std::unique_ptr<ImageRecord> m_button { MakeImage(42, 16, 8, 4) };
};

class CRecordingOpener : public IUrlOpener {
public:
    CRecordingOpener() { m_previous = SetUrlOpener(this); }
    ~CRecordingOpener() override { SetUrlOpener(m_previous); }
    bool OpenUrl(std::string_view url) override
    {
        opened.emplace_back(url);
        return true;
    }
    std::vector<std::string> opened;

private:
    IUrlOpener* m_previous { nullptr };
};

/// An engine (object module, fake paint module, action runner) with one view.
class ViewFixture : public enginetest::EngineFixture {
public:
    explicit ViewFixture(int32_t width = 200, int32_t height = 100, uint32_t flags = 0x202)
        : EngineFixture(false)
    {
        auto paint = std::make_unique<CFakePaint>();
        m_paint = paint.get();
        (void)m_core.LoadModule(std::move(paint), true, true);
        m_core.LoadDefaultSettings();
        (void)CActionFactory::GetRunner(m_objects);
        view = Add<CRichTextView>(300, 200, width, height);
        view->Create(width, height, flags, 0);
    }
    /// One engine frame, 30 ms later (the deferred redraw needs five).
    void Frames(int count)
    {
        for (int i = 0; i < count; ++i) {
            m_clock.Advance(30);
            m_core.Tick();
        }
    }

    CFakePaint* m_paint { nullptr };
    CRichTextView* view { nullptr };
};

/// The runs' text (objects as "[obj]") in order.
inline std::string RunText(const CRichTextView& view)
{
    std::string out;
    for (const RichTextRun* run = view.FirstRun(); run != nullptr; run = run->next) {
        if (run->IsObject()) {
            out += "[obj]";
            continue;
        }
        char bytes[2];
        out.append(bytes, run->CopyBytes(bytes));
    }
    return out;
}

/// "x,y wxh flags colour" per run, one per line.
inline std::string DumpRuns(const CRichTextView& view)
{
    std::string out;
    for (const RichTextRun* run = view.FirstRun(); run != nullptr; run = run->next) {
        char line[96];
        std::snprintf(line, sizeof line, "%d,%d %ux%u top%d f%x c%06x\n", run->x, run->y, run->width, run->height,
                      run->line_top, run->flags, run->colour);
        out += line;
    }
    return out;
}

} // namespace richtest

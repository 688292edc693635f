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
#include "engine/core/pictures/PictureTestSupport.h"
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
class CFakePaint : public picturetest::CNamedImagePaint {
public:
    CFakePaint()
    {
        images["face"] = MakeImage(41, 12, 10, 1);
        images["btn"] = MakeImage(42, 16, 8, 4);
    }
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

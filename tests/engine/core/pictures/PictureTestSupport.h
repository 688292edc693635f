#pragma once
// Shared pieces of the picture and action tests: image records built in
// memory, an engine on a manual clock with the action runner installed, and
// small recording modules.

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "engine/core/ActionFactory.h"
#include "engine/core/ActionRunner.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/ImageObject.h"
#include "engine/core/ModuleServices.h"

namespace picturetest {

using namespace engine;

// A copy of a record's pixels in a buffer of its own. Not value-initialised:
// the unoptimised sanitiser builds the tests run in would clear it byte by
// byte before the copy.
inline std::unique_ptr<uint8_t[]> CopyPixels(const uint8_t* pixels, size_t bytes)
{
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes]);
    std::memcpy(copy.get(), pixels, bytes);
    return copy;
}

// A 32-bit record of `frames` frames stacked vertically (or `per_row` to a
// row), each pixel's blue byte = frame, green = x, red = y, alpha = 255.
// The pixels of each geometry are made once and copied after: the scene
// tests make over a hundred million pixels of card faces, mostly alike.
inline std::unique_ptr<ImageRecord> MakeStrip(uint16_t width, uint16_t height, uint32_t frames,
                                              uint32_t per_row = 1, std::vector<uint32_t> delays = {})
{
    auto record = std::make_unique<ImageRecord>();
    record->id = 77;
    record->width = width;
    record->height = height;
    record->frames = frames;
    record->frames_per_row = per_row;
    record->flags = IMAGE_FLAG_ALPHA;
    record->colour_key = COLOUR_NONE;
    const uint32_t rows = per_row > 1 ? (frames + per_row - 1) / per_row : frames;
    const uint32_t columns = per_row > 1 ? per_row : 1;
    const uint32_t stride = width * columns;
    record->pixel_bytes = stride * height * rows * 4;
    static std::mutex made_lock;
    static std::map<std::tuple<uint16_t, uint16_t, uint32_t, uint32_t>, std::vector<uint8_t>> made;
    const std::lock_guard lock(made_lock);
    auto [strip, added] = made.try_emplace({ width, height, frames, columns });
    if (added) {
        strip->second.resize(record->pixel_bytes);
        uint8_t* const pixels = strip->second.data();
        for (uint32_t f = 0; f < frames; ++f) {
            const uint32_t left = (f % columns) * width;
            const uint32_t top = (f / columns) * height;
            for (uint32_t y = 0; y < height; ++y) {
                uint8_t* at = pixels + ((top + y) * stride + left) * 4;
                for (uint32_t x = 0; x < width; ++x, at += 4) {
                    at[0] = uint8_t(f);
                    at[1] = uint8_t(x);
                    at[2] = uint8_t(y);
                    at[3] = 255;
                }
            }
        }
    }
    record->pixels = CopyPixels(strip->second.data(), strip->second.size());
    if (!delays.empty()) {
        record->flags |= IMAGE_FLAG_ANIMATED;
        record->delays = std::make_unique<uint32_t[]>(frames);
        for (uint32_t f = 0; f < frames; ++f)
            record->delays[f] = delays[f % delays.size()];
    }
    return record;
}

inline ImageRef RefTo(ImageRecord& record)
{
    ImageRef ref;
    ref.id = record.id;
    ref.record = &record;
    ref.width = record.width;
    ref.height = record.height;
    ref.tint = COLOUR_NONE;
    return ref;
}

// Serves images made in memory by name (a frame past the last wraps); it
// paints nothing. Mixed into the test paint modules.
class CNamedImages : public IPaintImages {
public:
    void LoadImageByName(ImageRef& ref, std::string_view name, uint32_t frame) override
    {
        ref = ImageRef {};
        const auto found = images.find(std::string(name));
        if (found == images.end())
            return;
        ref = RefTo(*found->second);
        ref.frame = frame % found->second->frames;
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

    std::map<std::string, std::unique_ptr<ImageRecord>> images;
};

// A paint module that only serves named images.
class CNamedImagePaint : public EngineModule, public CNamedImages {
public:
    int Load() override { return 1; }
    void Unload() override {}
    void Update() override { DispatchQueued(); }
    int32_t GetId() const override { return VELOTRIX_MODULE_PAINT; }
    const char* GetName() const override { return "PaintModule"; }
    int32_t OnMessage(int32_t, uintptr_t, uintptr_t) override { return 0; }
};

// Takes what the object module reports to the fault sink.
class CRecordingSink : public EngineModule {
public:
    int Load() override { return 1; }
    void Unload() override {}
    void Update() override { DispatchQueued(); }
    int32_t GetId() const override { return VELOTRIX_MODULE_ERROR_SINK; }
    const char* GetName() const override { return "ErrorSink"; }
    int32_t OnMessage(int32_t id, uintptr_t param1, uintptr_t) override
    {
        if (id == VELOTRIX_MSG_MODULE_FAULT)
            faults.emplace_back(reinterpret_cast<const char*>(param1));
        return VELOTRIX_RETURN_OK;
    }
    std::vector<std::string> faults;
};

// A music module that records the sounds it is asked to play, by the
// play-sound action or by name.
class CRecordingMusic : public EngineModule, public IActionSoundPlayer, public IMusicModule {
public:
    int Load() override { return 1; }
    void Unload() override {}
    void Update() override { DispatchQueued(); }
    int32_t GetId() const override { return VELOTRIX_MODULE_MUSIC; }
    const char* GetName() const override { return "MusicModule"; }
    int32_t OnMessage(int32_t, uintptr_t, uintptr_t) override { return VELOTRIX_RETURN_OK; }
    void PlayActionSound(const char* name, int32_t value, const EngineEvent& done) override
    {
        played.emplace_back(name);
        values.push_back(value);
        events.push_back(done);
    }
    // By name: recorded as played and, with the other requests, in calls.
    uint32_t PlayByName(std::string_view name, uint32_t repeats, const EngineEvent& event) override
    {
        calls.push_back("play " + std::string(name) + " " + std::to_string(repeats) + " " + std::to_string(event.id));
        PlayActionSound(std::string(name).c_str(), int32_t(repeats), event);
        return 7;
    }
    void Stop(uint32_t channel) override { calls.push_back("stop " + std::to_string(channel)); }
    void Resume(uint32_t channel, bool restart) override
    {
        calls.push_back("resume " + std::to_string(channel) + (restart ? " restart" : ""));
    }
    void Pause(uint32_t channel) override { calls.push_back("pause " + std::to_string(channel)); }
    void FreeSound(std::string_view name) override { calls.push_back("free " + std::string(name)); }
    void StopAll() override { calls.push_back("stop all"); }
    void SetFlag(int32_t muted) override { calls.push_back("flag " + std::to_string(muted)); }
    bool IsPlaying(uint32_t) override { return false; }
    std::vector<std::string> played;
    std::vector<int32_t> values;
    std::vector<EngineEvent> events;
    std::vector<std::string> calls;
};

// An engine with a loaded object module (which runs actions); each Frame() is one object
// module update, `ms` later than the last.
class ActionFixture : public enginetest::EngineFixture {
public:
    ActionFixture() : EngineFixture(false)
    {
        auto sink = std::make_unique<CRecordingSink>();
        m_sink = sink.get();
        (void)m_core.LoadModule(std::move(sink), true, false);
    }
    void Frame(uint32_t ms = 30)
    {
        m_clock.Advance(ms);
        m_core.Tick();
    }
    [[nodiscard]] uint32_t Now() const { return m_objects->GetLastUpdate(); }
    CActionRunner& Runner() { return *CActionFactory::GetRunner(m_objects); }

    CRecordingSink* m_sink { nullptr };
};

} // namespace picturetest

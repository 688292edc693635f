#pragma once
// The table scene the scene fuzz targets feed: this game's application with
// four named seats, a connection that answers every request as sent without
// sending it, and the scene of the given class registered with a headless
// engine on the given area. One rig serves a whole fuzzing run: its paint
// module serves one small picture for every name (a missing picture is
// logged, a file write per card drawn) and forgets its render requests at
// each input.

#include <memory>
#include <span>
#include <string>

#include "client/CCardGameConnection.h"
#include "client/CPlDkApp.h"
#include "engine/core/EngineRect.h"
#include "engine/core/ImageRecord.h"
#include "tests/engine/core/EngineTestSupport.h"

namespace scenefuzz {

// Sends nothing and answers every request as sent.
class CSilentConnection final : public client::CCardGameConnection {
public:
    using CCardGameConnection::CCardGameConnection;
    ~CSilentConnection() override { Close(); }
    [[nodiscard]] int SendRequest(std::string&, uint32_t, std::span<const uint8_t>, client::RequestAnswer& answer,
                                  client::RequestWait) override
    {
        answer.code = 0;
        return 1;
    }
};

// Every name is one picture of 2 x 2 pixels with as many frames as a card
// face strip has; nothing is drawn.
class CAnyImagePaint final : public enginetest::CRecordingPaintModule, public engine::IPaintImages {
public:
    CAnyImagePaint()
    {
        m_image.id = 1;
        m_image.width = 2;
        m_image.height = 2;
        m_image.frames = FRAMES;
        m_image.frames_per_row = 1;
        m_image.flags = engine::IMAGE_FLAG_ALPHA;
        m_image.colour_key = engine::COLOUR_NONE;
        m_image.pixel_bytes = 2 * 2 * 4 * FRAMES;
        m_image.pixels = std::make_unique<uint8_t[]>(m_image.pixel_bytes);
    }
    void LoadImageByName(engine::ImageRef& ref, std::string_view, uint32_t frame) override
    {
        ref = engine::ImageRef {};
        ref.id = m_image.id;
        ref.record = &m_image;
        ref.width = m_image.width;
        ref.height = m_image.height;
        ref.tint = engine::COLOUR_NONE;
        ref.frame = frame % FRAMES;
    }
    engine::ImageRecord* FindImage(std::string_view) override { return &m_image; }
    bool AddImageCopy(const engine::ImageRef&, std::string_view) override { return false; }
    void ReleaseImage(std::string_view) override {}
    void DrawImage(const engine::ImageRef&, int32_t, int32_t, int32_t, int32_t, double) override {}
    void Clear(uint32_t) override {}
    [[nodiscard]] double GetFps() const override { return 0.0; }
    [[nodiscard]] int32_t GetWidth() const override { return 1000; }
    [[nodiscard]] int32_t GetHeight() const override { return 700; }
    [[nodiscard]] uint32_t GetLastImageId() const override { return m_image.id; }

private:
    static constexpr uint32_t FRAMES = 54;
    engine::ImageRecord m_image;
};

template <class Scene>
struct Rig {
    explicit Rig(const engine::EngineRect& area)
    {
        auto paint = std::make_unique<CAnyImagePaint>();
        engine.m_paint = paint.get();
        (void)engine.m_core.LoadModule(std::move(paint), true, true);
        for (int chair = 0; chair < client::PLDK_CHAIRS; ++chair) {
            app.Records().Seat(chair)->user_id = 100 + chair;
            app.Records().Seat(chair)->chair = chair;
        }
        client::AppLinks links;
        links.connection = &connection;
        app.SetLinks(links);
        auto owned = std::make_unique<Scene>(app);
        scene = owned.get();
        engine.m_objects->AddObject(std::move(owned), nullptr);
        scene->SetArea(area);
    }
    /// Runs the engine once and drops what it asked to render.
    void Tick()
    {
        engine.Tick();
        engine.m_paint->requests.clear();
    }
    // The application outlives the engine, whose objects read it as they go.
    client::CPlDkApp app;
    enginetest::EngineFixture engine { false };
    CSilentConnection connection { app };
    Scene* scene { nullptr };
};

} // namespace scenefuzz

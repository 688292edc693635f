#pragma once
// The table scene the scene fuzz targets feed: this game's application with
// four named seats, a connection that answers every request as sent without
// sending it, and the scene of the given class registered with a headless
// engine on the given area. One rig serves a whole fuzzing run.

#include <memory>
#include <span>
#include <string>

#include "client/CCardGameConnection.h"
#include "client/CPlDkApp.h"
#include "engine/core/EngineRect.h"
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

template <class Scene>
struct Rig {
    explicit Rig(const engine::EngineRect& area)
    {
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
    // The application outlives the engine, whose objects read it as they go.
    client::CPlDkApp app;
    enginetest::EngineFixture engine;
    CSilentConnection connection { app };
    Scene* scene { nullptr };
};

} // namespace scenefuzz

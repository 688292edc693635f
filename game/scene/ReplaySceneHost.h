#pragma once
// What connects a replay board to this game: the host that hands played
// records to the application's notification dispatcher (the same road as a
// message from the server), and the maker of the board the scene base asks
// for (client::CGameScene::NewReplayBoard).
//
// Owner: the scene owns the host and the recorder environment; both, the
// dispatcher and the application outlive the boards made with them.
// Thread: UI thread.
// Hazards: a replay's records are untrusted; a record the dispatcher refuses
// (it logs a refusal or throws) is skipped, reported to the board, and
// playback goes on.

#include "client/CGameScene.h"
#include "game/scene/ReplayPanel.h"

#include <functional>
#include <memory>

namespace client {
class CGameApp;
class IGameNotifyHandler;
} // namespace client

namespace scene {

class CReplayDispatchHost final : public IReplaySceneHost {
public:
    /// `refresh` redraws the main game after the recorded table was applied;
    /// `seat` seats a loaded replay's recording player at the bottom.
    explicit CReplayDispatchHost(client::IGameNotifyHandler& handler, std::function<void()> refresh = {},
                                 std::function<void()> seat = {})
        : m_handler(&handler), m_refresh(std::move(refresh)), m_seat(std::move(seat))
    {
    }
    /// The dispatcher the application's main window holds when a record is
    /// played (the window and its dispatcher may come after the host); a
    /// record played while there is none is dropped.
    explicit CReplayDispatchHost(client::CGameApp& app, std::function<void()> refresh = {},
                                 std::function<void()> seat = {})
        : m_app(&app), m_refresh(std::move(refresh)), m_seat(std::move(seat))
    {
    }
    bool DispatchRecord(uint32_t event_id, std::span<const uint8_t> data) override;
    void RefreshMainGame() override;
    void SeatRecordingPlayer() override;
    /// The application's side panel's chat.
    void ClearChat() override;
    /// The desktop's chooser program, when one is installed.
    std::unique_ptr<IReplayFileChoice> ChooseReplayFile(const std::string& initial_folder) override;

private:
    [[nodiscard]] client::IGameNotifyHandler* GetHandler() const;

    client::IGameNotifyHandler* m_handler { nullptr };
    client::CGameApp* m_app { nullptr };
    std::function<void()> m_refresh;
    std::function<void()> m_seat;
};

/// The board of a kind: a CReplayBoard, or a CReplayUploadBoard for a match.
[[nodiscard]] std::unique_ptr<engine::CEngineObject> MakeReplayBoard(client::ReplayBoardKind kind,
                                                                     client::CGameApp& app, IReplaySceneHost& host,
                                                                     IReplayRecorderEnv& env,
                                                                     const client::CGameStateHolder* state = nullptr);

} // namespace scene

// CGameScene: the base of the main game, the engine container that shows the
// table (the card-game scene of game/scene derives from it). It adds the
// replay board made on demand (in replay play-back, or while the application
// records games), the start countdown that asks a player who does not start
// in time to leave, the scene's requests 214000, 214010 and 201302, the
// scene notice of the dispatcher and the hooks the card-game scene fills.
// It is the application's IMainGame.
//
// Owner: the object module (the frame UI registers it as "MainGame" and links
// it as the application's main game); the scene takes that link out when it
// goes, so the application must outlive it. The replay board is its child and
// goes with it. Threads: UI thread; the
// countdown event comes through the engine's tick.
// Hazards: the countdown length comes from the server (the game-state
// holder's block): only 1 and more starts a countdown, and its span is kept
// within 32 bits. A scene notice's record is the server's body: its text is
// read only when the body reaches it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "client/AppLinks.h"
#include "engine/core/GuiContainer.h"

namespace client {

class CGameApp;
class CGameStateHolder;

/// The scene's own countdown event.
inline constexpr uint32_t GAMEMSG_COUNTDOWN = 80000090;
/// Depth of the replay board.
inline constexpr double REPLAY_BOARD_DEPTH = 10000.0;
/// The longest pause the replay board keeps between two recorded events.
inline constexpr uint32_t REPLAY_MAX_GAP_MS = 5000;

/// Which replay board a scene makes: the standard one, or the one that
/// uploads a match's recordings.
enum class ReplayBoardKind { Standard, Upload };

/// What the scene asks of the replay board it made (game/scene implements it
/// beside its engine object).
class IReplayBoard {
public:
    virtual ~IReplayBoard() = default;
    virtual void SetMaxGap(uint32_t milliseconds) = 0;
};

class CGameScene : public engine::CGuiContainer, public IMainGame {
public:
    explicit CGameScene(CGameApp& app) : m_app(app) {}
    /// Takes itself out of the application's links.
    ~CGameScene() override;

    int OnEvent(const engine::EngineEvent& event) override;

    // IMainGame.
    void ClearTable() override {}
    void ResumeGame() override {}
    void StopCountdown() override;
    void SendGameEvent(uint32_t event_id, uintptr_t param1) override;

    virtual void ResetSeatBoards() {}
    /// Makes the replay board when the application plays a replay back or
    /// records games; nothing otherwise.
    virtual void CreateInfoBoard();
    virtual void RedrawSeatBoards() {}
    /// With room configs 0x40 and 0x80, the length is word 14 of the
    /// application's state block.
    virtual void LoadCountdownLength();
    /// Stops a running countdown, then starts one of the length (seconds)
    /// with room configs 0x40 and 0x80 and a length of 1 or more.
    virtual void StartCountdown();
    /// With room config 0x2, request 201302 (its text is not used).
    virtual void OnRoomConfig02();
    virtual void SendRequest214010(int32_t value);
    virtual void SendRequest214000(int32_t first, int32_t second);
    /// A scene notice (211920) whose text at byte 32 is not empty.
    virtual void OnSceneNotice(std::span<const uint8_t> record) { (void)record; }

    [[nodiscard]] CGameStateHolder* GetGameState() const;
    [[nodiscard]] engine::CEngineObject* GetReplayBoard() const { return m_replay_board; }
    [[nodiscard]] uint64_t GetCountdownHandle() const { return m_countdown_handle; }
    [[nodiscard]] int32_t GetCountdownLength() const { return m_countdown_length; }

protected:
    [[nodiscard]] CGameApp& App() const { return m_app; }
    /// The replay board of a kind, an engine object that is also an
    /// IReplayBoard; none in the framework (the game's scene makes them).
    [[nodiscard]] virtual std::unique_ptr<engine::CEngineObject> NewReplayBoard(ReplayBoardKind kind)
    {
        (void)kind;
        return nullptr;
    }

private:
    [[nodiscard]] bool HasCountdownConfigs() const;

    CGameApp& m_app;
    engine::CEngineObject* m_replay_board { nullptr };
    uint64_t m_countdown_handle { 0 };
    int32_t m_countdown_length { -1 };
};

} // namespace client

// CCardGameNotifyHandler: the card-game layer of the notification dispatcher.
// It routes the card table's eleven events to the scene's hooks
// (ICardGameSceneHooks, reached through the main game), hands every message
// its handlers took (none refused it) to the scene's recording hook while the
// application records games (never in replay play-back), and keeps the game-data sub-id in the last-message
// record. CPlDkNotifyHandler is this game's layer, the one the application owns.
//
// Owner: the application. Threads: UI thread only.
// Hazards: as CGameNotifyHandler; a chair from a body is checked against the
// table's chairs; a missing scene is skipped.
#pragma once

#include "client/CGameNotifyHandler.h"

namespace client {

class ICardGameSceneHooks;

inline constexpr uint32_t GR_CARDS_THROWN = 221170;
inline constexpr uint32_t GR_ID_221165 = 221165;
inline constexpr uint32_t GR_TURN_BEGIN = 221168;
inline constexpr uint32_t GR_PLAYER_PASSED = 223100;
inline constexpr uint32_t GR_PLAYER_OFFLINE = 211240;
inline constexpr uint32_t GR_CARD_VIEW_CHANGED = 229570;
inline constexpr uint32_t GR_HAND_CARDS = 229580;
inline constexpr uint32_t GR_ID_211300 = 211300;
/// The game data's sub-id: word 2 of its body.
inline constexpr size_t GAME_DATA_SUB_ID_WORD = 2;
/// The sub-id of a game-data body; 0 when the body is shorter.
[[nodiscard]] int32_t GameDataSubId(std::span<const uint8_t> body);
/// The state word the turn-begin event sets.
inline constexpr int32_t TURN_BEGIN_TABLE_WORD15 = 257;

class CCardGameNotifyHandler : public CGameNotifyHandler {
public:
    using CGameNotifyHandler::CGameNotifyHandler;

    void Dispatch(uint32_t id, Body data) override;

    virtual void OnUserStart(Body body);
    virtual void OnGameData(Body body);
    virtual void OnPlayerOffline(Body body);
    virtual void OnAskLookCard(Body body);
    virtual void OnCardViewChanged(Body body);
    virtual void OnHandCards(Body body);
    virtual void OnPlayerPassed(Body body);
    virtual void OnCardsThrown(Body body);
    virtual void OnNotify221165(Body body);
    virtual void OnTurnBegin(Body body);
    virtual void OnNotify211300(Body body);
    /// The base's closing of the table, then the scene stops the turn.
    void OnTableClosed(Body body) override;

protected:
    /// Runs the handler of one of the eleven table events; false for any
    /// other id.
    bool DispatchTableEvent(uint32_t id, Body data);
    /// Hands the message to the scene's recording hook when the application
    /// records games and plays no replay back.
    void RecordTableEvent(uint32_t id, Body data);
    /// The game data's sub-id (word 2 of a 229500 body), else 0.
    [[nodiscard]] int32_t GetSubId(uint32_t id, Body data) const override;
    /// The scene's table hooks, or null while there is no such scene.
    [[nodiscard]] ICardGameSceneHooks* Hooks() const;
};

} // namespace client

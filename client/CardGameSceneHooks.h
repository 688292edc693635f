// ICardGameSceneHooks: what the card-game table-event layer and this game's
// notification handler call on the card table scene. The scene (game/scene)
// implements it and hands it out through IMainGame::GetTableHooks.
// Owner: the scene; the notification handlers reach it through the
// application's links each time and keep no pointer.
// Threads: UI thread, inside the engine's tick lock taken for one received
// message.
// Hazards: every body is the server's (or a replay file's) bytes, valid only
// during the call. The handlers have checked that it holds the words they
// read themselves; the words the scene reads past those it must bound by the
// span's size.
#pragma once

#include <cstdint>
#include <span>

namespace client {

/// The play record handed to OnCardsThrown by this game's handler: 16 head
/// words (0 unless the body gives them), then 64 card ids (-1 for none).
inline constexpr size_t PLAY_RECORD_BYTES = 320;
inline constexpr size_t PLAY_RECORD_HEAD_WORDS = 16;

class ICardGameSceneHooks {
public:
    virtual ~ICardGameSceneHooks() = default;

    /// 201160: the chair (checked against the table's chairs) that started.
    virtual void OnPlayerStarted(int32_t chair) = 0;
    /// 211040: the round's header (this game's round banner).
    virtual void ShowRoundHeader() = 0;
    /// 211240: the user id of a player whose connection dropped.
    virtual void OnPlayerOffline(int32_t user_id) = 0;
    /// 229550: a looker asks to see the cards (at least 4 bytes).
    virtual void OnCardViewRequest(std::span<const uint8_t> body) = 0;
    // The hooks answering bool answer false when they refuse the event (a
    // chair outside the table, a length past the body), having logged why
    // (CRefusalLog): the event changed nothing and no replay keeps it.

    /// 229570: a card-view permission changed (at least 24 bytes).
    virtual bool OnCardViewReply(std::span<const uint8_t> body) = 0;
    /// 229500: game data (its header's sub-id word present).
    virtual bool OnGameData(std::span<const uint8_t> body) = 0;
    /// 221170: a play; this game passes its 320-byte play record.
    virtual bool OnCardsThrown(std::span<const uint8_t> body) = 0;
    /// 223100: a pass (at least 36 bytes).
    virtual bool OnPlayerPassed(std::span<const uint8_t> body) = 0;
    /// 229580: a chair's hand (at least 12 bytes; the count is the scene's to bound).
    virtual bool OnSetHandCards(std::span<const uint8_t> body) = 0;
    /// 221165 (at least 8 bytes).
    virtual bool OnTableEvent221165(std::span<const uint8_t> body) = 0;
    /// 221168: a turn begins.
    virtual void OnTurnBegin(std::span<const uint8_t> body) = 0;
    /// 211300, while no round is being played.
    virtual void OnTableEvent211300() = 0;
    /// The table is cleared for a new state (before a snapshot is taken in).
    virtual void ResetTable() = 0;
    /// 211160: the game-state holder took a snapshot of the running table.
    virtual void OnTableSnapshot() = 0;
    /// This game: the round's result was taken in (211080).
    virtual void OnRoundEnd() = 0;
    /// 211000: the table's game is over (a player left it, or the own
    /// exit was agreed), or the connection to the server is lost; no turn
    /// runs any more and nothing is sent for one, whatever comes after.
    virtual void OnTableClosed() = 0;
    /// This game: a score notice (211090, at least 72 bytes).
    virtual bool OnScoreNotify(std::span<const uint8_t> body) = 0;
    /// Every dispatched message, when the application records games.
    virtual void RecordTableEvent(uint32_t id, std::span<const uint8_t> body) = 0;
};

} // namespace client

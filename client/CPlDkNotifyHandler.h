// CPlDkNotifyHandler: this game's notification handler, the one the
// application owns. It takes the start, result, score and state-copy
// notifications of a round into the game-state holder and this game's
// scene, builds the 320-byte play record of a play, adds the idle-kick notice
// and tells who left when the table closes.
//
// Owner: the application (CPlDkApp). Threads: UI thread only.
// Hazards: as CGameNotifyHandler. A round's records are taken only when the
// game-state holder accepts them whole (a refused one changes nothing); a
// play body is copied into the play record no further than either's end.
#pragma once

#include "client/CCardGameNotifyHandler.h"

namespace client {

class CPlDkApp;

inline constexpr uint32_t GR_GAME_START = 211040;
inline constexpr uint32_t GR_GAME_RESULT = 211080;
inline constexpr uint32_t GR_SCORE_NOTIFY = 211090;
inline constexpr uint32_t GR_TABLE_STATE = 211160;
inline constexpr uint32_t GR_IDLE_KICK = 250001;

class CPlDkNotifyHandler : public CCardGameNotifyHandler {
public:
    explicit CPlDkNotifyHandler(CPlDkApp& app);

    void Dispatch(uint32_t id, Body data) override;

    void OnTableClosed(Body body) override;
    void OnRandomTableStart(Body record) override;
    void OnCardsThrown(Body body) override;
    virtual void OnGameStart(Body body);

    /// The play record of a play body: 16 head words of 0 and 64 card ids of
    /// -1, with the body copied over its start (at most 320 bytes).
    [[nodiscard]] static std::array<uint8_t, 320> MakePlayRecord(Body body);

private:
    void OnGameResult(Body body);
    void OnScoreNotify(Body body);
    void OnTableState(Body body);

    CPlDkApp& m_app;
};

} // namespace client

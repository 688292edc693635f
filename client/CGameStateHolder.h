// The framework's game-state holder: the interface through which the
// application, the main window and the scene read the state of the running
// round. It keeps two words itself: the game phase (below 2: not started) and
// the tick of the own exit request (read by the close road). Each game
// derives its own holder (CPlDkGameState) with the round's table data.
// Owner: the application (one instance). UI thread only.
// Hazards: chairs outside 0..7 are ignored by the seat-flag operations;
// BeginRound and EndRound take bytes from the server and refuse (false,
// nothing changed) records that are short or out of range.
#pragma once

#include <cstdint>
#include <span>

#include "game/rules/PlDkRecords.h"

namespace client {

class CGameStateHolder {
public:
    CGameStateHolder() = default;
    virtual ~CGameStateHolder() = default;
    CGameStateHolder(const CGameStateHolder&) = delete;
    CGameStateHolder& operator=(const CGameStateHolder&) = delete;

    /// Word 0: the game phase; below 2 the game has not started.
    [[nodiscard]] int32_t GetGamePhase() const { return m_game_phase; }
    void SetGamePhase(int32_t phase) { m_game_phase = phase; }
    /// Word 1: the tick of the own exit request, 0 when none.
    [[nodiscard]] uint32_t GetExitRequestTick() const { return m_exit_request_tick; }
    void SetExitRequestTick(uint32_t tick) { m_exit_request_tick = tick; }
    /// Sets both words to 0.
    void Reset()
    {
        m_game_phase = 0;
        m_exit_request_tick = 0;
    }

    [[nodiscard]] virtual bool IsTableWord15Set() const = 0;
    [[nodiscard]] virtual int32_t GetTableWord12() const = 0;
    [[nodiscard]] virtual bool IsSeatFlagged(int chair) const = 0;
    [[nodiscard]] virtual int32_t GetTableWord15() const = 0;
    virtual int32_t SetTableWord15(int32_t value) = 0;
    [[nodiscard]] virtual int32_t GetTableWord8() const = 0;
    [[nodiscard]] virtual int32_t GetTableWord9() const = 0;
    [[nodiscard]] virtual int32_t GetTableWord10() const = 0;
    [[nodiscard]] virtual int32_t GetTableWord14() const = 0;
    [[nodiscard]] virtual int32_t GetTableWord13() const = 0;
    virtual void ResetTableData() = 0;
    virtual void SetTableWord14(int32_t value) = 0;
    /// Flags the seat of the chair in word 3 of `record`; returns that chair,
    /// or -1 when the record is short or the chair outside 0..7.
    virtual int32_t FlagSeat(std::span<const uint8_t> record) = 0;
    virtual void ClearSeatFlags() = 0;
    [[nodiscard]] virtual const rules::PlDkGameWinResult& GetResultBlock() const = 0;
    [[nodiscard]] virtual rules::TableGameData& GetTableData() = 0;
    [[nodiscard]] virtual const rules::TableGameData& GetTableData() const = 0;
    [[nodiscard]] virtual int32_t GetTableWord18() const = 0;
    [[nodiscard]] virtual int32_t GetTableWord19() const = 0;
    [[nodiscard]] virtual bool IsReady() const = 0;
    [[nodiscard]] virtual int32_t GetTableWord16() const = 0;
    [[nodiscard]] virtual int32_t GetTableWord17() const = 0;
    virtual void UnflagSeat(int chair) = 0;
    /// A round starts: seat flags cleared, the round's first words taken from
    /// `data`, the previous result cleared.
    [[nodiscard]] virtual bool BeginRound(std::span<const uint8_t> data) = 0;
    /// A round ends: the state word cleared and the result kept.
    [[nodiscard]] virtual bool EndRound(std::span<const uint8_t> result) = 0;

private:
    int32_t m_game_phase { 0 };
    uint32_t m_exit_request_tick { 0 };
};

} // namespace client

// This game's game-state holder: a copy of the round's TableGameData block
// (6528 bytes), the last round's result (1544 bytes), one flag word per seat
// and the state block that the application hands to the scene.
// Owner: the application (one instance, reached through its GetGameState).
// UI thread only.
// Hazards: seat flags of chairs outside 0..7 are ignored. BeginRound and
// EndRound read server bytes and refuse short or out-of-range records without
// changing anything; the table data that stays is always one the rules'
// reader accepted.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "client/CGameStateHolder.h"
#include "client/UserRecords.h"
#include "game/rules/PlDkRecords.h"

namespace client {

class CPlDkGameState final : public CGameStateHolder {
public:
    static constexpr int SEAT_COUNT = MAX_CHAIRS;
    static constexpr int STATE_BLOCK_WORDS = 16;
    static constexpr int FIRST_SEAT_FLAG_WORD = 5;      ///< words 5-12 of the state block
    static constexpr int COUNTDOWN_WORD = 14;           ///< read by the scene as a countdown length
    static constexpr int32_t SEAT_FLAG = 0x2;
    static constexpr size_t ROUND_START_BYTES = 101 * 4; ///< taken by BeginRound

    CPlDkGameState();

    [[nodiscard]] bool IsTableWord15Set() const override { return (m_table_data.head[15] & 0x1) != 0; }
    [[nodiscard]] int32_t GetTableWord12() const override { return m_table_data.head[12]; }
    [[nodiscard]] bool IsSeatFlagged(int chair) const override;
    [[nodiscard]] int32_t GetTableWord15() const override { return m_table_data.head[15]; }
    int32_t SetTableWord15(int32_t value) override { return m_table_data.head[15] = value; }
    [[nodiscard]] int32_t GetTableWord8() const override { return m_table_data.head[8]; }
    [[nodiscard]] int32_t GetTableWord9() const override { return m_table_data.head[9]; }
    [[nodiscard]] int32_t GetTableWord10() const override { return m_table_data.head[10]; }
    [[nodiscard]] int32_t GetTableWord14() const override { return m_table_data.head[14]; }
    [[nodiscard]] int32_t GetTableWord13() const override { return m_table_data.head[13]; }
    void ResetTableData() override;
    void SetTableWord14(int32_t value) override { m_table_data.head[14] = value; }
    int32_t FlagSeat(std::span<const uint8_t> record) override;
    void ClearSeatFlags() override;
    [[nodiscard]] const rules::PlDkGameWinResult& GetResultBlock() const override { return m_result; }
    [[nodiscard]] rules::TableGameData& GetTableData() override { return m_table_data; }
    [[nodiscard]] const rules::TableGameData& GetTableData() const override { return m_table_data; }
    [[nodiscard]] int32_t GetTableWord18() const override { return m_table_data.head[18]; }
    [[nodiscard]] int32_t GetTableWord19() const override { return m_table_data.head[19]; }
    [[nodiscard]] bool IsReady() const override { return true; }
    [[nodiscard]] int32_t GetTableWord16() const override { return m_table_data.head[16]; }
    [[nodiscard]] int32_t GetTableWord17() const override { return m_table_data.head[17]; }
    void UnflagSeat(int chair) override;
    [[nodiscard]] bool BeginRound(std::span<const uint8_t> data) override;
    [[nodiscard]] bool EndRound(std::span<const uint8_t> result) override;

    /// Word 90 of the table data (the partner).
    [[nodiscard]] int32_t GetTableWord90() const { return m_table_data.head_partner; }
    /// The holder's words after the base's two: the seat flags at 5-12, the
    /// countdown length at 14.
    [[nodiscard]] std::span<int32_t, STATE_BLOCK_WORDS> GetStateBlock() { return m_state_block; }
    /// Copies a log-on answer's body over the state block, no more than it holds.
    void LoadStateBlock(std::span<const uint8_t> bytes);
    /// Copies a log-on answer's body over the start of the table data; kept
    /// only when the rules' reader accepts the block. False when refused.
    bool LoadTableData(std::span<const uint8_t> bytes);
    [[nodiscard]] int32_t GetExtraWord() const { return m_extra_word; }
    void SetExtraWord(int32_t value) { m_extra_word = value; }

private:
    std::array<int32_t, STATE_BLOCK_WORDS> m_state_block {};
    rules::TableGameData m_table_data {};
    rules::PlDkGameWinResult m_result {};
    int32_t m_extra_word { 0 };
};

} // namespace client

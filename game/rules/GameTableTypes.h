#pragma once
// The words a CGameTable is built and started with, its documented result
// codes, and its state, chair status and option bits.
//
// Owner: plain values. Thread: any.
// Hazards: the numbers are the system's own (peers and hosts rely on them).

#include "game/rules/TableRecords.h"

#include <array>
#include <cstdint>

namespace rules {

/// StartGame results.
inline constexpr int START_OK = 1;                  ///< the round has started
inline constexpr int START_EMPTY_CHAIR = -10010;    ///< a chair is empty, or too few ready players
inline constexpr int START_LOW_SILVER = -10001;     ///< a player has less silver than the minimum
inline constexpr int START_LOW_SCORE = -10100;      ///< a player's score is below the minimum
inline constexpr int START_HIGH_SCORE = -10200;     ///< a player's score is above the maximum
inline constexpr int START_TOO_MANY_GAMES = -10300; ///< a player has played more games than allowed
inline constexpr int START_TOO_MANY_ROUNDS = -10400;///< the table has started more rounds than allowed

/// Table state bits.
inline constexpr uint32_t TABLE_STATE_PLAYING = 0x1;
inline constexpr uint32_t TABLE_STATE_WAITING = 0x2;
inline constexpr uint32_t TABLE_STATE_BIDDING = 0x10;
inline constexpr uint32_t TABLE_STATE_PLAY_PHASE = 0x100;
inline constexpr uint32_t TABLE_STATE_1000 = 0x1000;

/// Chair status bits.
inline constexpr uint32_t CHAIR_PRESENT = 0x1;
inline constexpr uint32_t CHAIR_READY = 0x2;
inline constexpr uint32_t CHAIR_AWAY = 0x8;
inline constexpr uint32_t CHAIR_STATUS_10 = 0x10;
inline constexpr uint32_t CHAIR_AWAY_2 = 0x20;

/// Table option bits.
inline constexpr int32_t OPTION_SKIP_SILVER_CHECK = 0x400000;
inline constexpr int32_t OPTION_FREE_TABLE = 0x1000000;
inline constexpr int32_t OPTION_FLAG_BIG_WIN = 0x2000000;
inline constexpr int32_t OPTION_CAP_AT_OWN_SILVER = 0x4000000;

/// The seven construction words of a table.
struct TableArgs {
    int32_t table_tag { -1 };
    int32_t room_grade { -1 };
    int32_t level_unit { 1 };
    int32_t chair_count { 4 };   ///< clamped to 1..8
    int32_t options { 0 };
    int32_t reserved { 0 };
    int32_t seventh { 3 };       ///< accepted and ignored
};

/// The 14 round parameters kept by StartGame.
struct RoundParams {
    int32_t deposit_factor { 0 };
    int32_t min_silver { 0 };
    int32_t win_fee_rate { 0 };
    int32_t max_leave_loss { 0 };
    int32_t leave_compensation_percent { 0 };
    int32_t big_win_threshold { 0 };
    int32_t fee_mode { 0 };
    int32_t fixed_fee { 0 };
    int32_t deposit_cap { 0 };
    int32_t elapsed_limit { 0 };
    int32_t min_score { 0 };
    int32_t max_score { 0 };
    int32_t fee_rate { 0 };
    int32_t fee_minimum { 0 };
};

/// Everything StartGame takes besides the out-chair.
struct StartGameArgs {
    RoundParams round;
    int32_t base_score_arg { 0 };
    int32_t max_games { 0 };
    int32_t max_rounds { 0 };
    int32_t min_ready { 0 };
};

using ChairInts = std::array<int32_t, MAX_CHAIRS>;

} // namespace rules

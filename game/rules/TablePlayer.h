#pragma once
// The table-side object of one seated player or onlooker. The host creates it
// and hands it to CGameTable::AddPlayer (or AddLooker); the table owns it from
// then on and deletes it through the virtual destructor.
//
// Owner: CGameTable's players map. Thread: the table's owner thread.
// Hazards: seats and onlooker lists point at these objects without owning
// them; the table drops those pointers before it deletes an object.

#include <cstdint>

namespace rules {

/// Bit of TablePlayer::player_flags: the player may receive loss relief.
inline constexpr int32_t PLAYER_FLAG_LOSS_RELIEF = 0x1;

class TablePlayer {
public:
    virtual ~TablePlayer() = default;

    int32_t user_id { 0 };
    int32_t player_flags { 0 };
    int32_t chair { 0 };
    int32_t onlooker { 0 };   ///< non-zero for an onlooker
    int32_t idle { 0 };       ///< non-zero: sits out the current round
    int32_t score { 0 };
    int32_t silver { 0 };
    int32_t level { 0 };
    int32_t minutes { 0 };
    int32_t games { 0 };
    int32_t seed_a { 0 };     ///< host value that seeds masked faces and the deal
    int32_t seed_b { 0 };     ///< second seed value; also GetPlayerValue
};

} // namespace rules

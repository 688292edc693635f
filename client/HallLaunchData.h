// The records the hall hands over by WM_COPYDATA once it has started this
// program (after deciphering): the launch data of a normal or a match room,
// and one more onlooker.
//
// Normal room: GameRoomRecord (first 444 bytes), GameTableRecord (word 2 the
// number of player records, word 3 the number of other-user records), that
// many 320-byte player records (chair in word 36), that many 320-byte
// other-user records, and when room word 80 is set a 360-byte text block of
// '|'-separated room texts. Match room: GameRoomRecord (572 bytes),
// GameTableRecord, the own GameUserRecord, MatchRecord.
//
// Owner: none (free functions over the application's records). UI thread.
// Hazards: the payload comes from another program. It is checked whole
// first: its length against the counts, at most 8 player and 64 other-user
// records, each player's chair 0..7. A refused payload changes nothing.
#pragma once

#include <cstddef>
#include <span>

#include "client/CClientRecords.h"

namespace client {

inline constexpr size_t LAUNCH_TEXT_BLOCK_BYTES = 360;
inline constexpr int LAUNCH_TEXT_FIELDS = 60;
/// Player status word of a seat that a random-seat room leaves out.
inline constexpr int32_t USER_STATUS_LEFT_OUT = 12;

/// Applies a normal room's launch data. True only when the payload passes its
/// checks and the own user (found by the launch user id) is in it with the
/// launch look-on flag and chair.
[[nodiscard]] bool ApplyGameLaunchData(CClientRecords& records, std::span<const uint8_t> payload);

/// Applies a match room's launch data (own record into seat 0, own chair 0).
/// False, and nothing changed, when the payload is short.
[[nodiscard]] bool ApplyMatchLaunchData(CClientRecords& records, std::span<const uint8_t> payload);

/// Stores an onlooker's 320-byte record in the first free other-user record
/// and counts it. The stored record, or null when the payload is short or no
/// record is free.
[[nodiscard]] const GameUserRecord* AddLookerFromHall(CClientRecords& records, std::span<const uint8_t> payload);

} // namespace client

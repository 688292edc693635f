// The table both stand-ins describe: the player on its chair and computer
// players on the others, with the user ids and names the hall's launch data
// and the server's log-on answer give alike.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace peers {

inline constexpr int32_t COMPUTER_USER_BASE = 9001;

/// The user on `chair` when the player (`player_id`) sits on `player_chair`.
inline int32_t SeatUserId(int chair, int player_chair, int32_t player_id)
{
    return chair == player_chair ? player_id : COMPUTER_USER_BASE + chair;
}

/// The name the table shows for a seat: the player's, or a computer player's.
inline std::string SeatName(int chair, int player_chair, int32_t user_id)
{
    char name[32];
    std::snprintf(name, sizeof(name), chair == player_chair ? "玩家%d" : "电脑%d", static_cast<int>(user_id));
    return name;
}

} // namespace peers

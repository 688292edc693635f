// The fields of the hall's command line that started this program, as values.
// The command-line parser fills them; CClientRecords keeps them beside the
// records because the own user id, table and chair take part in the lookups.
// Owner: plain value. UI thread.
#pragma once

#include <cstdint>
#include <string>

namespace client {

inline constexpr int32_t DEFAULT_SERVER_PORT = 21473;

struct HallLaunchFields {
    int32_t game_id = 0;          ///< field 1
    std::string server_ip;        ///< field 2, at most 31 characters
    int32_t hall_value3 = 0;      ///< field 3
    int64_t hall_window = 0;      ///< field 4, the hall window's handle as given
    int32_t hall_value5 = 0;      ///< field 5
    int32_t user_id = 0;          ///< field 6
    int32_t table_no = 0;         ///< field 7
    int32_t chair_no = 0;         ///< field 8, follows the seat rebuilds
    int32_t look_on = 0;          ///< field 9
    int32_t restart_marker = 0;   ///< field 10
    std::string game_name;        ///< field 11, at most 143 characters
    int32_t server_port = DEFAULT_SERVER_PORT; ///< field 12
    int32_t room_options = 0;     ///< field 13
    int32_t room_configs = 0;     ///< field 14
    int32_t room_configs_ex = 0;  ///< field 15
};

} // namespace client

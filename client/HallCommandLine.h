// The hall's command line: the one argument with which the hall starts this
// program, '|'-separated fields in the order of HallLaunchFields (nine at
// least, up to fifteen), and the same text made again when the program starts
// itself anew.
// Owner: none (free functions). Any thread.
// Hazards: the command line comes from whoever started the program: numbers
// that do not parse read as 0, the address is cut to 31 and the game name to
// 143 bytes on a character boundary.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "client/HallLaunchFields.h"

namespace client {

inline constexpr int HALL_MIN_FIELDS = 9;
inline constexpr int HALL_MAX_FIELDS = 30;
inline constexpr size_t HALL_SERVER_IP_MAX = 31;
inline constexpr size_t HALL_GAME_NAME_MAX = 143;

/// The launch fields of a command line: one pair of surrounding double quotes
/// is dropped, then the text is split at '|' into at most 30 fields.
/// std::nullopt when fewer than 9 fields are found. Absent optional fields
/// keep their defaults; a port of 0 becomes DEFAULT_SERVER_PORT.
[[nodiscard]] std::optional<HallLaunchFields> ParseHallCommandLine(std::string_view command_line);

/// The fifteen fields in table order joined by '|' (the address and the game
/// name as text, the others in decimal), the whole in double quotes: the
/// argument with which the program starts itself again.
[[nodiscard]] std::string FormatHallCommandLine(const HallLaunchFields& fields);

} // namespace client

// Registers a file type for the user: the extension names the type, the type
// carries its description, its icon and the command that opens a file of it
// (the hall's replay player with the file as its first argument). Written to
// the platform's per-user store, which stands in for the system registry.
// Owner: none (free function). UI thread (called once at start-up).
// Hazards: a value that cannot be written is skipped silently, as the
// registration is a convenience and never stops the program.
#pragma once

#include <string>

namespace client {

inline constexpr const char* REPLAY_PLAYER_PROGRAM = "Replayer.exe";

void WriteFileAssociation(const std::string& extension, const std::string& type_name,
                          const std::string& description, const std::string& icon_path);

} // namespace client

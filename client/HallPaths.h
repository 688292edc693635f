// The hall's INI file and the paths derived from it: the hall program, its
// folder and the advert domain file. The hall writes the INI; the client only
// reads it, except for the stored machine id (MachineId.h).
// Owner: none (free functions). Any thread (each call reads the file again).
// Hazards: paths are GBK program paths; the hall's INI lives in the per-user
// config folder on this system (the hall and the client share it).
#pragma once

#include <string>

namespace client {

inline constexpr const char* HALL_INI_NAME = "qdrx.ini";
inline constexpr const char* HALL_INI_SECTION = "SYSTEM";
inline constexpr const char* HALL_INI_EXE_PATH_KEY = "ExePath";
inline constexpr const char* HALL_INI_UNIQUE_ID_KEY = "UniqueID";

/// The path of the hall's INI file.
[[nodiscard]] std::string GetHallSystemIniPath();
/// The full path of the hall program (key ExePath), empty when absent.
[[nodiscard]] std::string GetHallExePath();
/// The hall's folder: drive and folder of GetHallExePath, with its separator.
[[nodiscard]] std::string GetExeDirPath();
/// "Share\advert\domain.dat" under the hall's folder.
[[nodiscard]] std::string GetAdvertDomainFile();

} // namespace client

#pragma once
// The two engine logs and the engine's message boxes.
//
// Owner: engine/core (free functions). Threads: any; the lines go through the
// platform's one daily log sink, which writes whole lines under its lock.
//
// "Game%d%02d%02d.log" (year, month, day): "%02d/%02d/%02d     %02d:%02d:%02d      %s\r\n"
// "GameRun.log", begun with "GameCore Start":
//                                          "%02d/%02d/%02d     %02d:%02d:%02d     %s\r\n"
// The date is four-digit year, month, day of the local time. A text longer
// than 1023 bytes is cut there (never inside a two-byte character). A log
// that cannot be opened loses the line silently.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Message.h"

namespace engine {

inline constexpr size_t ENGINE_LOG_TEXT_MAX = 1023;

/// Appends one line to the daily engine log.
void WriteGameLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
/// Empties "GameRun.log" and writes the line "GameCore Start".
void StartRunLog();
/// Appends one line to "GameRun.log".
void WriteRunLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// The formatted engine-log line for a text at the given local time (tests
/// and the sink share it).
[[nodiscard]] std::string FormatGameLogLine(std::string_view text, int year, int month, int day, int hour,
                                            int minute, int second);
[[nodiscard]] std::string FormatRunLogLine(std::string_view text, int year, int month, int day, int hour,
                                           int minute, int second);

/// Shows a message box through the platform (a recorder in tests).
void ShowEngineMessageBox(std::string_view text, std::string_view caption,
                          platform::WindowHandle owner = platform::WindowHandle::None, uint32_t type = 0);
/// "%s 由于以下错误而失败: %s" with what and the text of errno, titled "错误".
void ShowLastErrorBox(std::string_view what);

} // namespace engine


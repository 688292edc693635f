// The network library's log: one stamped line per call, appended to the
// daily log file "<name>yyyymmdd.log" ("YktLog" until LogInit names another;
// the client names it "Game").
// Owner: process-wide state. Any thread: a lock guards the formatting buffers
// and each line is written whole through the platform's daily log sink.
// Hazards: a log that cannot be written loses the line silently. Never log
// keys or passwords.
#pragma once

#include <cstdint>

namespace net {

inline constexpr uint32_t LOG_FLAG_CRLF = 0x8;        ///< end each line with "\r\n"
inline constexpr uint32_t LOG_FLAG_FILE = 0x80000;    ///< write lines to the dated log file
inline constexpr uint32_t LOG_DEFAULT_FLAGS = 0x80008;
inline constexpr const char* LOG_DEFAULT_NAME = "YktLog";

/// Names the log (null keeps the name) and sets its flags (0 keeps them).
void LogInit(const char* name, uint32_t flags);
/// Ends the log's use; later lines are still accepted.
void LogFree();

/// Formats printf-style (bounded to 4095 bytes) and writes one stamped line.
/// An over-long line is cut before a whole GBK character and still ends its line.
void LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// Writes "yyyy/mm/dd  hh:mm:ss  " + text (+ "\r\n" with LOG_FLAG_CRLF), local
/// time, when LOG_FLAG_FILE is set.
void LogWriteStamped(const char* text);

} // namespace net

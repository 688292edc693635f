// A CRC-32 over a large buffer or file on a short-lived worker thread, which
// drives a progress bar (PBM_SETPOS 0..100 after each 102400-byte chunk,
// PBM_SETRANGE32 0..100 first) and posts UM_CRC_RESULT (wparam the job id,
// lparam the CRC) to the result window: the window that owns the bar.
// Owner: the worker owns its job and its copy of the data and frees both.
// Threads: start from any thread; the worker touches nothing shared and only
// posts. Hazards: windows that are gone are skipped (posting to them fails).
#pragma once

#include "platform/Message.h"

#include <cstdint>
#include <span>
#include <string>

namespace net {

inline constexpr size_t CRC32_JOB_CHUNK = 102400;

/// Copies the bytes and starts the worker. Gives the job id (never 0), or 0
/// when the worker could not start.
[[nodiscard]] uint32_t StartCrc32Job(std::span<const uint8_t> bytes, platform::WindowHandle progress_bar,
                                     platform::WindowHandle result_window);

/// As StartCrc32Job over a file (program path, GBK) read in chunks; a file that
/// cannot be read gives the CRC of what was read (0 for nothing).
[[nodiscard]] uint32_t StartCrc32FileJob(const std::string& path, platform::WindowHandle progress_bar,
                                         platform::WindowHandle result_window);

} // namespace net

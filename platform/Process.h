#pragma once
// Starting other programs: the hall starts the client, the client starts the
// hall or itself again. A program is started directly (no shell), so its
// arguments reach it byte for byte as separate words.
//
// Owner: none (free functions). Threads: any.
// Hazards: names and arguments are GBK and converted to UTF-8 at the OS
// boundary; an argument that cannot be converted refuses the start. The
// started program is not waited for here: a caller that outlives it and
// cares for its end calls WaitProcess, which also reaps it; one that does not
// hands it to ReapProcess.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

using ProcessId = int32_t;

// The executable of this process as a program path (GBK).
[[nodiscard]] std::string GetProgramPath();

// Starts `gbk_program` with `gbk_arguments` (not counting the program name).
// A program named without a folder is looked for on the search path.
// The process id, or std::nullopt when the program could not be started.
[[nodiscard]] std::optional<ProcessId> StartProcess(std::string_view gbk_program,
                                                    const std::vector<std::string>& gbk_arguments);

// Waits up to `timeout_ms` for a child started by StartProcess to end. Its
// exit code (128 + signal number when a signal ended it), or std::nullopt
// when it still runs or is not a child of this process.
[[nodiscard]] std::optional<int> WaitProcess(ProcessId process, uint32_t timeout_ms);

// Reaps a child started by StartProcess when it ends, on a thread of its
// own, so that no finished child stays behind as a zombie.
void ReapProcess(ProcessId process);

} // namespace platform

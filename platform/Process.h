#pragma once
// Starting other programs: the hall starts the client, the client starts the
// hall or itself again, or a desktop's file chooser whose answer it reads
// back (CProcessOutput). A program is started directly (no shell), so its
// arguments reach it byte for byte as separate words.
//
// Owner: none (free functions); a CProcessOutput owns its program. Threads:
// any; one CProcessOutput is used by one thread.
// Hazards: names and arguments are GBK and converted to UTF-8 at the OS
// boundary; an argument that cannot be converted refuses the start. The
// started program is not waited for here: a caller that outlives it and
// cares for its end calls WaitProcess, which also reaps it; one that does not
// hands it to ReapProcess.

#include <cstdint>
#include <memory>
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

// A program whose standard output is read back while it runs, without ever
// waiting for it: the caller polls (from a timer or the engine's tick).
// Its standard input is /dev/null. Output past MAX_OUTPUT is dropped.
// Destroying it while the program runs ends the program (SIGTERM) and
// leaves it to ReapProcess.
class CProcessOutput {
public:
    static constexpr size_t MAX_OUTPUT = 64 * 1024;

    // As StartProcess; null when the program could not be started.
    [[nodiscard]] static std::unique_ptr<CProcessOutput> Start(std::string_view gbk_program,
                                                              const std::vector<std::string>& gbk_arguments);
    ~CProcessOutput();
    CProcessOutput(const CProcessOutput&) = delete;
    CProcessOutput& operator=(const CProcessOutput&) = delete;

    // Takes the output waiting now. The exit code (as WaitProcess gives it)
    // once the program has ended and its output is read whole; std::nullopt
    // while it runs.
    [[nodiscard]] std::optional<int> Poll();
    // The output read so far, as the program wrote it (no conversion).
    [[nodiscard]] const std::string& GetOutput() const { return m_output; }

private:
    CProcessOutput(ProcessId process, int read_end) : m_process(process), m_read_end(read_end) { }

    ProcessId m_process;
    int m_read_end;
    std::string m_output;
    std::optional<int> m_exit_code;
};

} // namespace platform

// Test helpers for real peers on loopback: child processes that are stopped
// with the test, servers started on a free port, and waiting for a port to accept.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace net::testing {

/// True when 127.0.0.1:port accepts a connection within timeout_ms.
[[nodiscard]] bool WaitForPort(uint16_t port, uint32_t timeout_ms);

class CChildProcess;

/// Starts a server that listens on a loopback port it is told on its command
/// line (`make_argv(port)`), on a free port, and waits until it accepts. A
/// port taken by someone else between the choice and the start is met by
/// trying again on another. Gives the port, or 0 when the server never came up.
[[nodiscard]] uint16_t StartOnFreePort(CChildProcess& child,
                                       const std::function<std::vector<std::string>(uint16_t port)>& make_argv);

/// True when the program is installed (an absolute path that is executable).
[[nodiscard]] bool ProgramExists(const std::string& path);

/// A temporary folder removed with the object.
class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    [[nodiscard]] const std::string& Path() const { return m_path; }
    /// Writes a file in the folder and gives its path.
    std::string Write(const std::string& name, const std::string& text) const;

private:
    std::string m_path;
};

/// A child process in a process group of its own, killed (the group named by
/// the child's id, so helpers it forks go too) and reaped when the object
/// goes. The child is also killed if the test program dies first.
class CChildProcess {
public:
    CChildProcess() = default;
    ~CChildProcess() { Stop(); }
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    /// Starts argv[0] with its arguments; stdout goes to a pipe when asked.
    bool Start(const std::vector<std::string>& argv, bool capture_stdout = false);
    /// The first line of the child's stdout, waiting up to timeout_ms.
    [[nodiscard]] std::string ReadLine(uint32_t timeout_ms);
    /// True while the child has not exited.
    [[nodiscard]] bool IsRunning();
    void Stop();

private:
    pid_t m_pid { -1 };
    int m_stdout { -1 };
};

} // namespace net::testing

// Test helpers for real peers on loopback: free ports, child processes that
// are stopped with the test, and waiting for a port to accept.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace net::testing {

/// A loopback port nobody listens on right now.
[[nodiscard]] uint16_t FreeLoopbackPort();

/// True when 127.0.0.1:port accepts a connection within timeout_ms.
[[nodiscard]] bool WaitForPort(uint16_t port, uint32_t timeout_ms);

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

/// A child process, killed (by its own id) and reaped when the object goes.
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
    void Stop();

private:
    pid_t m_pid { -1 };
    int m_stdout { -1 };
};

} // namespace net::testing

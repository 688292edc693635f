#include "ProcessSupport.h"

#include "support/Loopback.h"

#include "platform/Tick.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace net::testing {

bool WaitForPort(uint16_t port, uint32_t timeout_ms)
{
    const uint32_t start = platform::GetTickCount();
    while (!platform::HasElapsed(start, platform::GetTickCount(), timeout_ms)) {
        const int probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool ok = connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(probe);
        if (ok)
            return true;
        usleep(20000);
    }
    return false;
}

uint16_t StartOnFreePort(CChildProcess& child,
                         const std::function<std::vector<std::string>(uint16_t port)>& make_argv)
{
    constexpr int ATTEMPTS = 3;
    constexpr uint32_t START_TIMEOUT_MS = 10000;
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        const uint16_t port = FreeLoopbackPort();
        if (port != 0 && child.Start(make_argv(port)) && WaitForPort(port, START_TIMEOUT_MS) && child.IsRunning())
            return port;
        child.Stop();
    }
    return 0;
}

bool ProgramExists(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

CTempFolder::CTempFolder()
{
    char pattern[] = "/tmp/nettestXXXXXX";
    if (mkdtemp(pattern))
        m_path = pattern;
    chmod(m_path.c_str(), 0777);
}

CTempFolder::~CTempFolder()
{
    std::error_code error;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, error);
}

std::string CTempFolder::Write(const std::string& name, const std::string& text) const
{
    const std::string path = m_path + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

bool CChildProcess::Start(const std::vector<std::string>& argv, bool capture_stdout)
{
    Stop();
    // Helpers our child forks come back to us when it dies first, so that
    // Stop can reap them too instead of leaving them behind.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    int pipe_fds[2] = { -1, -1 };
    if (capture_stdout && pipe2(pipe_fds, O_CLOEXEC) != 0)
        return false;
    m_pid = fork();
    if (m_pid < 0)
        return false;
    if (m_pid == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (capture_stdout)
            dup2(pipe_fds[1], STDOUT_FILENO);
        const int null_fd = open("/dev/null", O_WRONLY);
        if (!capture_stdout)
            dup2(null_fd, STDOUT_FILENO);
        dup2(null_fd, STDERR_FILENO);
        std::vector<char*> args;
        for (const auto& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    // Set from both sides, so the group exists before either side relies on it.
    setpgid(m_pid, m_pid);
    if (capture_stdout) {
        close(pipe_fds[1]);
        m_stdout = pipe_fds[0];
    }
    return true;
}

bool CChildProcess::IsRunning()
{
    int status = 0;
    return m_pid > 0 && waitpid(m_pid, &status, WNOHANG) == 0;
}

std::string CChildProcess::ReadLine(uint32_t timeout_ms)
{
    std::string line;
    const uint32_t start = platform::GetTickCount();
    while (m_stdout >= 0 && !platform::HasElapsed(start, platform::GetTickCount(), timeout_ms)) {
        pollfd fd { m_stdout, POLLIN, 0 };
        if (poll(&fd, 1, 50) <= 0)
            continue;
        char c;
        if (read(m_stdout, &c, 1) != 1)
            break;
        if (c == '\n')
            return line;
        line += c;
    }
    return line;
}

void CChildProcess::Stop()
{
    if (m_pid > 0) {
        // The group of our child: it and whatever it forked.
        kill(-m_pid, SIGTERM);
        int status = 0;
        bool reaped = false;
        for (int i = 0; i < 100 && !reaped; ++i) {
            const pid_t done = waitpid(m_pid, &status, WNOHANG);
            reaped = done == m_pid || done < 0;
            if (!reaped)
                usleep(20000);
        }
        kill(-m_pid, SIGKILL);
        if (!reaped)
            waitpid(m_pid, &status, 0);
        // Whatever else of the group is left has been killed: reap it.
        for (int i = 0; i < 100 && waitpid(-m_pid, &status, WNOHANG) >= 0; ++i)
            usleep(10000);
        m_pid = -1;
    }
    if (m_stdout >= 0) {
        close(m_stdout);
        m_stdout = -1;
    }
}

} // namespace net::testing

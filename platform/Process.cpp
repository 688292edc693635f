#include "platform/Process.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/Path.h"
#include "platform/Text.h"
#include "platform/Tick.h"

extern char** environ;

namespace platform {

std::string GetProgramPath()
{
    char buffer[PATH_MAX + 1] = {};
    const ssize_t length = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (length <= 0)
        return {};
    return FromOsPath(std::string_view(buffer, static_cast<size_t>(length))).value_or(std::string());
}

namespace {

// Spawns the program with `actions` (may be null) applied in the child.
std::optional<ProcessId> Spawn(std::string_view gbk_program, const std::vector<std::string>& gbk_arguments,
                               const posix_spawn_file_actions_t* actions)
{
    const bool on_search_path = gbk_program.find_first_of("/\\") == std::string_view::npos;
    const std::optional<std::string> program = on_search_path ? GbkToUtf8(gbk_program) : ResolveOsPath(gbk_program);
    if (!program || program->empty())
        return std::nullopt;
    std::vector<std::string> words { *program };
    for (const std::string& argument : gbk_arguments) {
        std::optional<std::string> word = GbkToUtf8(argument);
        if (!word)
            return std::nullopt;
        words.push_back(std::move(*word));
    }
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    pid_t child = 0;
    const auto spawn = on_search_path ? ::posix_spawnp : ::posix_spawn;
    if (spawn(&child, program->c_str(), actions, nullptr, argv.data(), environ) != 0)
        return std::nullopt;
    return static_cast<ProcessId>(child);
}

// The exit code of a wait status.
int ExitCode(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : status;
}

} // namespace

std::optional<ProcessId> StartProcess(std::string_view gbk_program, const std::vector<std::string>& gbk_arguments)
{
    return Spawn(gbk_program, gbk_arguments, nullptr);
}

std::optional<int> WaitProcess(ProcessId process, uint32_t timeout_ms)
{
    const uint32_t start = GetTickCount();
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(process, &status, WNOHANG);
        if (done == process) {
            if (WIFEXITED(status) || WIFSIGNALED(status))
                return ExitCode(status);
            continue;
        }
        if (done < 0 && errno != EINTR)
            return std::nullopt;
        if (GetTickCount() - start >= timeout_ms)
            return std::nullopt;
        ::usleep(5000);
    }
}

void ReapProcess(ProcessId process)
{
    std::thread([process] { (void)::waitpid(process, nullptr, 0); }).detach();
}

std::unique_ptr<CProcessOutput> CProcessOutput::Start(std::string_view gbk_program,
                                                      const std::vector<std::string>& gbk_arguments)
{
    int ends[2] = { -1, -1 };
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return nullptr;
    // The child's end blocks as an ordinary standard output does.
    (void)::fcntl(ends[1], F_SETFL, 0);
    posix_spawn_file_actions_t actions;
    std::optional<ProcessId> child;
    if (::posix_spawn_file_actions_init(&actions) == 0) {
        if (::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0
            && ::posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO) == 0)
            child = Spawn(gbk_program, gbk_arguments, &actions);
        (void)::posix_spawn_file_actions_destroy(&actions);
    }
    ::close(ends[1]);
    if (!child) {
        ::close(ends[0]);
        return nullptr;
    }
    return std::unique_ptr<CProcessOutput>(new CProcessOutput(*child, ends[0]));
}

CProcessOutput::~CProcessOutput()
{
    if (m_read_end >= 0)
        ::close(m_read_end);
    if (!m_exit_code) {
        (void)::kill(m_process, SIGTERM);
        ReapProcess(m_process);
    }
}

std::optional<int> CProcessOutput::Poll()
{
    if (m_exit_code)
        return m_exit_code;
    char buffer[4096];
    for (;;) {
        const ssize_t got = m_read_end >= 0 ? ::read(m_read_end, buffer, sizeof buffer) : 0;
        if (got > 0) {
            const size_t room = MAX_OUTPUT - std::min(MAX_OUTPUT, m_output.size());
            m_output.append(buffer, std::min(room, static_cast<size_t>(got)));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            return std::nullopt; // running, nothing more written yet
        break; // the end of the output (or a failed read): the program is done writing
    }
    if (m_read_end >= 0) {
        ::close(m_read_end);
        m_read_end = -1;
    }
    int status = 0;
    const pid_t done = ::waitpid(m_process, &status, WNOHANG);
    if (done == m_process)
        m_exit_code = ExitCode(status);
    else if (done < 0 && errno != EINTR)
        m_exit_code = -1; // not ours to wait for any more
    return m_exit_code;
}

} // namespace platform

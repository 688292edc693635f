#include "platform/Process.h"

#include <cerrno>
#include <climits>
#include <csignal>
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

std::optional<ProcessId> StartProcess(std::string_view gbk_program, const std::vector<std::string>& gbk_arguments)
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
    if (spawn(&child, program->c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return std::nullopt;
    return static_cast<ProcessId>(child);
}

std::optional<int> WaitProcess(ProcessId process, uint32_t timeout_ms)
{
    const uint32_t start = GetTickCount();
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(process, &status, WNOHANG);
        if (done == process) {
            if (WIFEXITED(status))
                return WEXITSTATUS(status);
            if (WIFSIGNALED(status))
                return 128 + WTERMSIG(status);
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

} // namespace platform

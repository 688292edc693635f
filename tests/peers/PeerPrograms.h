// The stand-in programs in the peer tests: each test gets a folder that is
// the programs' runtime, data and configuration folder, and can start the
// stand-in server on a free port and read its log.
#pragma once

#include <cstdlib>
#include <spawn.h>
#include <unistd.h>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Process.h"
#include "tests/platform/TempFolder.h"

namespace peers_test {

// The table events of a round's start and result.
constexpr uint32_t GR_GAME_START = 211040;
constexpr uint32_t GR_ROUND_RESULT = 211080;
constexpr uint32_t DEADLINE_MS = 60000;

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class CPeerPrograms : public ::testing::Test {
protected:
    CPeerPrograms()
    {
        for (const char* name : { "XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME" })
            ::setenv(name, m_folder.Path().c_str(), 1);
        ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    }

    /// Starts the stand-in server on a free port (with further options) and
    /// gives its port; its computer players answer at once unless the
    /// options give them a pause. The server leads a process group of its
    /// own: a test may stop it (SIGSTOP), and a stopped server left in the
    /// test's group (under ctest, the group every running test shares) was
    /// ended by a hang-up (exit 129) while other tests' programs came and
    /// went.
    static std::string StartServer(const std::string& log, std::optional<platform::ProcessId>& server,
                                   const std::vector<std::string>& options = {})
    {
        std::vector<std::string> arguments { PLDK_SERVER_PROGRAM, "--port", "0", "--seconds", "60", "--log", log,
                                               "--computer-pause-ms", "0" };
        arguments.insert(arguments.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawnattr_t attributes;
        pid_t child = 0;
        const bool started = ::posix_spawnattr_init(&attributes) == 0
            && ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP) == 0
            && ::posix_spawnattr_setpgroup(&attributes, 0) == 0
            && ::posix_spawn(&child, argv[0], nullptr, &attributes, argv.data(), environ) == 0;
        (void)::posix_spawnattr_destroy(&attributes);
        if (!started)
            return {};
        server = static_cast<platform::ProcessId>(child);
        for (int i = 0; i < 500; ++i) {
            const std::string text = ReadAll(log);
            const size_t at = text.find("listening ");
            if (at != std::string::npos && text.find('\n', at) != std::string::npos)
                return text.substr(at + 10, text.find('\n', at) - at - 10);
            ::usleep(10000);
        }
        return {};
    }

    /// The text of a log once it holds `expected`, or as it is at the deadline
    /// (DEADLINE_MS: a client under the sanitizers on a loaded machine starts slowly).
    static std::string WaitForLine(const std::string& log, const std::string& expected)
    {
        std::string text;
        for (uint32_t i = 0; i < DEADLINE_MS / 10; ++i) {
            text = ReadAll(log);
            if (text.find(expected) != std::string::npos)
                break;
            ::usleep(10000);
        }
        return text;
    }

    platform::testing::CTempFolder m_folder;
};

} // namespace peers_test

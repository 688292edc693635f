// A whole session on one machine for the end-to-end tests: the stand-in game
// server, the stand-in hall and the client as the separate programs they are,
// each test in a folder of its own that is the programs' runtime, data and
// configuration folder. Sanitizer reports of every program go to files in
// that folder (log_path), so a report of any child fails the test.
#pragma once

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Process.h"
#include "tests/platform/TempFolder.h"

namespace e2e_test {

inline constexpr int OWN_CHAIR = 2; ///< the stand-in hall's chair
inline constexpr uint32_t GR_GAME_START = 211040;
inline constexpr uint32_t GR_GAME_RESULT = 211080;

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline size_t CountLines(const std::string& text, const std::string& start)
{
    size_t count = 0;
    for (size_t at = 0; (at = text.find(start, at)) != std::string::npos; at += start.size())
        if (at == 0 || text[at - 1] == '\n')
            ++count;
    return count;
}

/// The four numbers after `label` on the first line holding it.
inline std::optional<std::vector<long long>> FourNumbersAfter(const std::string& text, const std::string& label)
{
    const size_t at = text.find(label);
    if (at == std::string::npos)
        return std::nullopt;
    std::vector<long long> numbers(4);
    if (std::sscanf(text.c_str() + at + label.size(), "%lld %lld %lld %lld", &numbers[0], &numbers[1], &numbers[2],
                    &numbers[3])
        != 4)
        return std::nullopt;
    return numbers;
}

/// The rest of the first line that starts with `start`.
inline std::string LineAfter(const std::string& text, const std::string& start)
{
    const size_t at = text.find(start);
    if (at == std::string::npos)
        return {};
    const size_t end = text.find('\n', at);
    return text.substr(at + start.size(), end == std::string::npos ? std::string::npos : end - at - start.size());
}

class CSession : public ::testing::Test {
protected:
    CSession()
    {
        UseDataFolder("data");
        ::setenv("XDG_RUNTIME_DIR", m_folder.Path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_folder / "config").c_str(), 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        const std::string reports = m_folder / "sanitizer";
        ::setenv("ASAN_OPTIONS", ("detect_leaks=1:log_path=" + reports).c_str(), 1);
        ::setenv("UBSAN_OPTIONS", ("print_stacktrace=1:halt_on_error=1:log_path=" + reports).c_str(), 1);
        ::setenv("LSAN_OPTIONS", "suppressions=" PLDK_LSAN_SUPPRESSIONS ":fast_unwind_on_malloc=0:print_suppressions=0", 1);
    }
    ~CSession() override
    {
        Stop(m_hall);
        Stop(m_replay_client);
        Stop(m_server);
    }

    /// The client's data folder (its logs, settings and replays).
    void UseDataFolder(const std::string& name)
    {
        m_data = m_folder / name;
        ::setenv("XDG_DATA_HOME", m_data.c_str(), 1);
    }

    /// Waits up to `timeout_ms` for `done`; false at the deadline.
    static bool WaitUntil(const std::function<bool()>& done, uint32_t timeout_ms)
    {
        for (uint32_t waited = 0; waited < timeout_ms; waited += 50) {
            if (done())
                return true;
            ::usleep(50 * 1000);
        }
        return done();
    }

    /// Starts the stand-in server: turns of one second, computer players
    /// that answer at once, the first round starting by itself, the round
    /// saved as the client's replay; `more` options after these.
    [[nodiscard]] std::string StartServer(const std::vector<std::string>& more = {})
    {
        std::vector<std::string> options { "--port", "0", "--seconds", "175", "--log", m_server_log,
                                           "--turn-seconds", "1", "--computer-pause-ms", "0", "--start-after-ms", "1500",
                                           "--record", "1" };
        options.insert(options.end(), more.begin(), more.end());
        m_server = platform::StartProcess(PLDK_SERVER_PROGRAM, options);
        std::string port;
        if (m_server)
            (void)WaitUntil([&] { return !(port = LineAfter(ServerLog(), "listening ")).empty(); }, 10000);
        return port;
    }

    /// Starts the client through the stand-in hall.
    [[nodiscard]] bool StartClient(const std::string& port)
    {
        m_hall = platform::StartProcess(PLDK_HALL_PROGRAM, { "--client", PLDK_CLIENT_PROGRAM, "--port", port,
                                                             "--timeout-ms", "170000", "--log", m_hall_log });
        return m_hall.has_value();
    }

    /// Waits for the round's end at the server (the replay saved) and in
    /// the client's log; false when either does not come in time.
    [[nodiscard]] bool WaitForRoundEnd(uint32_t timeout_ms)
    {
        return WaitUntil([&] { return ServerLog().find("replay saved ") != std::string::npos || HallEnded(); },
                         timeout_ms)
            && WaitUntil([&] { return ClientLog().find("round result: ") != std::string::npos; }, 10000);
    }

    /// The hall closes its window; the client ends by itself, then the
    /// hall with the client's exit code.
    std::optional<int> CloseClient()
    {
        if (!m_hall)
            return std::nullopt;
        ::kill(*m_hall, SIGTERM);
        const std::optional<int> code = platform::WaitProcess(*m_hall, 60000);
        if (code)
            m_hall.reset();
        return code;
    }

    std::optional<int> StopServer()
    {
        if (!m_server)
            return std::nullopt;
        ::kill(*m_server, SIGTERM);
        const std::optional<int> code = platform::WaitProcess(*m_server, 30000);
        if (code)
            m_server.reset();
        return code;
    }

    [[nodiscard]] bool HallEnded()
    {
        return m_hall && ReadAll(m_hall_log).find("client-ended") != std::string::npos;
    }

    [[nodiscard]] std::string ServerLog() const { return ReadAll(m_server_log); }
    [[nodiscard]] std::string HallLog() const { return ReadAll(m_hall_log); }
    /// Every log the client wrote into its current data folder.
    [[nodiscard]] std::string ClientLog() const
    {
        std::string text;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(m_data + "/pldk", error))
            if (entry.path().extension() == ".log")
                text += ReadAll(entry.path().string());
        return text;
    }
    /// What any program's sanitizer reported (empty when nothing).
    [[nodiscard]] std::string SanitizerReports() const
    {
        std::string text;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder.Path()))
            if (entry.path().filename().string().rfind("sanitizer", 0) == 0)
                text += entry.path().string() + ":\n" + ReadAll(entry.path().string());
        return text;
    }
    [[nodiscard]] std::string Logs() const
    {
        return "--- server\n" + ServerLog() + "--- hall\n" + HallLog() + "--- client\n" + ClientLog();
    }

    static void Stop(std::optional<platform::ProcessId>& process)
    {
        if (!process)
            return;
        ::kill(*process, SIGTERM);
        if (!platform::WaitProcess(*process, 20000)) {
            ::kill(*process, SIGKILL);
            (void)platform::WaitProcess(*process, 5000);
        }
        process.reset();
    }

    platform::testing::CTempFolder m_folder;
    std::string m_data;
    const std::string m_server_log = m_folder / "server.log";
    const std::string m_hall_log = m_folder / "hall.log";
    std::optional<platform::ProcessId> m_server;
    std::optional<platform::ProcessId> m_hall;
    std::optional<platform::ProcessId> m_replay_client;
};

} // namespace e2e_test

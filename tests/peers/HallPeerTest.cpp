// The stand-in hall and the client as two programs: the hall starts the
// client with its command line, and the client's report comes back over the
// hall's endpoint.
#include <csignal>
#include <cstdlib>
#include <unistd.h>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/Process.h"
#include "tests/platform/TempFolder.h"

namespace {

constexpr uint32_t DEADLINE_MS = 60000;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Both programs find each other's endpoints in one runtime folder and keep
// their files in the test's folder.
class HallPeer : public ::testing::Test {
protected:
    HallPeer()
    {
        for (const char* name : { "XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME" })
            ::setenv(name, m_folder.Path().c_str(), 1);
        ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    }

    platform::testing::CTempFolder m_folder;
};

TEST_F(HallPeer, AClientThatCannotReachItsServerReportsStatusZeroToTheHall)
{
    const std::string log = m_folder / "hall.log";
    // No game server listens on port 1 of this machine.
    const auto hall = platform::StartProcess(PLDK_HALL_PROGRAM, { "--client", PLDK_CLIENT_PROGRAM, "--port", "1",
                                                                   "--user", "1001", "--table", "7", "--chair", "2",
                                                                   "--timeout-ms", "30000", "--log", log });
    ASSERT_TRUE(hall.has_value());
    const std::optional<int> exit_code = platform::WaitProcess(*hall, DEADLINE_MS);
    ASSERT_TRUE(exit_code.has_value()) << ReadAll(log);
    const std::string text = ReadAll(log);
    EXPECT_EQ(*exit_code, 1) << text;
    EXPECT_NE(text.find("|1001|7|2|0|0|pldk|1|0|0|0\""), std::string::npos) << text;
    EXPECT_NE(text.find("status kind 2 wparam 0 status 0 user 1001 table 7 chair 2 game 30 look-on 0"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("client-ended 1"), std::string::npos) << text;
}

TEST_F(HallPeer, TheClientStartedByTheHallLogsOnAtTheStandInServer)
{
    const std::string server_log = m_folder / "server.log";
    const std::string hall_log = m_folder / "hall.log";
    const auto server = platform::StartProcess(PLDK_SERVER_PROGRAM, { "--port", "0", "--seconds", "60", "--log", server_log });
    ASSERT_TRUE(server.has_value());
    std::string port;
    for (int i = 0; i < 500 && port.empty(); ++i) {
        const std::string text = ReadAll(server_log);
        if (const size_t at = text.find("listening "); at != std::string::npos && text.find('\n', at) != std::string::npos)
            port = text.substr(at + 10, text.find('\n', at) - at - 10);
        else
            ::usleep(10000);
    }
    ASSERT_FALSE(port.empty()) << ReadAll(server_log);

    const auto hall = platform::StartProcess(PLDK_HALL_PROGRAM, { "--client", PLDK_CLIENT_PROGRAM, "--port", port,
                                                                   "--close-after-ms", "8000", "--timeout-ms", "40000",
                                                                   "--log", hall_log });
    ASSERT_TRUE(hall.has_value());
    const std::optional<int> hall_exit = platform::WaitProcess(*hall, DEADLINE_MS);
    ::kill(*server, SIGTERM);
    EXPECT_TRUE(platform::WaitProcess(*server, DEADLINE_MS).has_value());
    const std::string hall_text = ReadAll(hall_log);
    const std::string server_text = ReadAll(server_log);
    ASSERT_TRUE(hall_exit.has_value()) << hall_text;
    EXPECT_EQ(*hall_exit, 0) << hall_text;
    EXPECT_NE(hall_text.find("launch delivered"), std::string::npos) << hall_text;
    EXPECT_NE(hall_text.find("client-ended 0"), std::string::npos) << hall_text;
    EXPECT_NE(server_text.find("message 201001"), std::string::npos) << server_text;
    EXPECT_NE(server_text.find("logon user 1001 game 30 room 1 table 7 chair 2 look-on 0"), std::string::npos)
        << server_text;
}

} // namespace

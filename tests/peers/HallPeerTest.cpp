// The stand-in hall and the client as two programs: the hall starts the
// client with its command line, and the client's report comes back over the
// hall's endpoint.
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <string>

#include <gtest/gtest.h>

#include "client/CPlDkApp.h"
#include "net/CommRecords.h"
#include "net/PacketKeys.h"
#include "platform/Message.h"
#include "platform/Process.h"
#include "tests/peers/PeerPrograms.h"

namespace {

using namespace peers_test;

class HallPeer : public CPeerPrograms { };

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
    std::optional<platform::ProcessId> server;
    const std::string port = StartServer(server_log, server);
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

// The client's daily log in the test's data folder ("Game<date>.log"), or "".
std::string ClientLog(const std::filesystem::path& folder)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "pldk", error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("Game2") && name.ends_with(".log"))
            return entry.path().string();
    }
    return {};
}

// The first child process of a process (the client the hall started), or 0.
pid_t FirstChild(pid_t parent)
{
    const std::string path = "/proc/" + std::to_string(parent) + "/task/" + std::to_string(parent) + "/children";
    pid_t child = 0;
    std::ifstream(path) >> child;
    return child;
}

TEST_F(HallPeer, AClientWhoseServerGoesAwayMidRoundTellsTheUserAndClosesCleanly)
{
    const std::string server_log = m_folder / "server.log";
    const std::string hall_log = m_folder / "hall.log";
    std::optional<platform::ProcessId> server;
    const std::string port = StartServer(server_log, server, { "--start-after-ms", "300", "--turn-seconds", "5" });
    ASSERT_FALSE(port.empty()) << ReadAll(server_log);
    const auto hall = platform::StartProcess(PLDK_HALL_PROGRAM, { "--client", PLDK_CLIENT_PROGRAM, "--port", port,
                                                                   "--timeout-ms", "40000", "--log", hall_log });
    ASSERT_TRUE(hall.has_value());
    const std::string server_text = WaitForLine(server_log, "round starts by itself");
    ::usleep(500000); // the round's start reaches the client
    ::kill(*server, SIGTERM);
    EXPECT_TRUE(platform::WaitProcess(*server, DEADLINE_MS).has_value());
    ASSERT_NE(server_text.find("round starts by itself"), std::string::npos) << server_text;

    // The user is told, with the room the round was played in.
    std::string log;
    for (uint32_t i = 0; i < DEADLINE_MS / 10 && log.empty(); ++i, ::usleep(10000))
        log = ClientLog(m_folder.Path());
    const std::string lost = WaitForLine(log, "the connection to the game server is lost: ");
    EXPECT_NE(lost.find("the connection to the game server is lost: 断线了！请尽快重入房间续玩。"), std::string::npos)
        << lost;

    // Closing the window (the board's answer, or the window's close) leaves
    // at once and ends the client; a sanitizer report would end it with 1.
    const pid_t client = FirstChild(static_cast<pid_t>(*hall));
    ASSERT_GT(client, 0);
    ::kill(client, SIGTERM);
    const std::optional<int> hall_exit = platform::WaitProcess(*hall, DEADLINE_MS);
    const std::string hall_text = ReadAll(hall_log);
    ASSERT_TRUE(hall_exit.has_value()) << hall_text;
    EXPECT_EQ(*hall_exit, 0) << hall_text;
    EXPECT_NE(hall_text.find("status kind 5"), std::string::npos) << hall_text;
    EXPECT_NE(hall_text.find("client-ended 0"), std::string::npos) << hall_text;
    EXPECT_NE(ReadAll(log).find("the main window closes"), std::string::npos) << ReadAll(log);
}

} // namespace

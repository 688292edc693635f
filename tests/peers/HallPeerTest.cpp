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

#include "client/CPlDkApp.h"
#include "net/CommRecords.h"
#include "net/PacketKeys.h"
#include "platform/Message.h"
#include "platform/Process.h"
#include "tests/platform/TempFolder.h"

namespace peers_test {

// The table events of a round's start and result.
constexpr uint32_t GR_GAME_START = 211040;
constexpr uint32_t GR_ROUND_RESULT = 211080;

} // namespace peers_test

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

    /// Starts the stand-in server on a free port and gives its port.
    std::string StartServer(const std::string& log, std::optional<platform::ProcessId>& server)
    {
        server = platform::StartProcess(PLDK_SERVER_PROGRAM, { "--port", "0", "--seconds", "60", "--log", log });
        if (!server)
            return {};
        for (int i = 0; i < 500; ++i) {
            const std::string text = ReadAll(log);
            const size_t at = text.find("listening ");
            if (at != std::string::npos && text.find('\n', at) != std::string::npos)
                return text.substr(at + 10, text.find('\n', at) - at - 10);
            ::usleep(10000);
        }
        return {};
    }

    /// The text of a log once it holds `expected`, or as it is at the deadline.
    static std::string WaitForLine(const std::string& log, const std::string& expected)
    {
        std::string text;
        for (int i = 0; i < 500; ++i) {
            text = ReadAll(log);
            if (text.find(expected) != std::string::npos)
                break;
            ::usleep(10000);
        }
        return text;
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

TEST_F(HallPeer, TheStandInServerPlaysARoundWhenTheClientStarts)
{
    const std::string server_log = m_folder / "server.log";
    std::optional<platform::ProcessId> server;
    const std::string port = StartServer(server_log, server);
    ASSERT_FALSE(port.empty()) << ReadAll(server_log);
    {
        client::CPlDkApp app;
        client::CClientRecords& records = app.Records();
        records.Launch().user_id = 1001;
        records.Launch().chair_no = 1;
        records.Seat(1)->user_id = 1001;
        records.Seat(1)->chair = 1;
        records.Room().configs = client::ROOM_CONFIG_40; // the server seats the table
        client::CPlDkConnection& connection = app.GetConnection();
        connection.SetCipherKey(net::PACKET_KEY);
        connection.SetNotifyThread(platform::GetCurrentThreadId());
        bool proxy_failed = false;
        ASSERT_TRUE(connection.Connect("", "127.0.0.1", std::stoi(port), proxy_failed));
        std::string error;
        int32_t major = 0;
        int32_t minor = 0;
        ASSERT_TRUE(connection.CheckVersion(error, major, minor)) << error;
        ASSERT_TRUE(connection.Logon(error)) << error;
        EXPECT_EQ(records.GetSeatUserID(0), 9001) << "computer players on the other chairs";
        EXPECT_EQ(records.GetSeatUserID(3), 9004);
        ASSERT_EQ(connection.UserStart(error), 1);

        // The round's start and result reach the client as notifications
        // that its game-state holder takes.
        std::vector<uint32_t> events;
        client::CPlDkGameState& state = app.GetGameState();
        bool started = false;
        bool ended = false;
        (void)platform::PumpMessagesUntil([&] { return events.size() >= 2; }, DEADLINE_MS, [&](platform::Message& msg) {
            const auto* message = msg.PayloadAs<net::CommMessage>();
            if (message == nullptr || message->request.id <= net::COMM_EVENT_SOCKET_ERROR)
                return;
            events.push_back(message->request.id);
            if (message->request.id == peers_test::GR_GAME_START)
                started = state.BeginRound(message->request.Data());
            if (message->request.id == peers_test::GR_ROUND_RESULT)
                ended = state.EndRound(message->request.Data());
        });
        EXPECT_EQ(events, (std::vector<uint32_t> { peers_test::GR_GAME_START, peers_test::GR_ROUND_RESULT }));
        EXPECT_TRUE(started);
        EXPECT_TRUE(ended);
        const std::string text = WaitForLine(server_log, "round ");
        EXPECT_NE(text.find("start from user 1001 chair 1"), std::string::npos) << text;
        EXPECT_NE(text.find(" throws "), std::string::npos) << text;
        connection.Close();
    }
    ::kill(*server, SIGTERM);
    EXPECT_TRUE(platform::WaitProcess(*server, DEADLINE_MS).has_value());
}

} // namespace

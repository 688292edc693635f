// The stand-in hall and the client as two programs: the hall starts the
// client with its command line, and the client's report comes back over the
// hall's endpoint.
#include <csignal>
#include <cstdlib>
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

} // namespace

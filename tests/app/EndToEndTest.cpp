// The whole system once, headless: the stand-in server deals a round by
// itself with turns of one second, the client started by the stand-in hall
// plays its chair by its own automatic play (its scene switches auto-play on
// when the turn clock runs out) until the round's results arrive. The round
// must end with the server's settlement in the client, the round's replay
// must play back to the same result, and no program may report anything
// through its sanitizers.
#include <vector>

#include "client/CPlDkGameState.h"
#include "game/scene/ReplayImage.h"
#include "game/scene/ReplayPlayback.h"
#include "platform/Text.h"
#include "tests/app/SessionSupport.h"

namespace {

using namespace e2e_test;

struct Record {
    uint32_t id = 0;
    std::vector<uint8_t> body;
};

class CRecords final : public scene::IReplayFeed {
public:
    void FeedEvent(uint32_t event_id, std::span<const uint8_t> data) override
    {
        played.push_back({ event_id, { data.begin(), data.end() } });
    }
    void SetProgress(double) override {}
    void SetSoundFlag(bool) override {}
    std::vector<Record> played;
};

class EndToEnd : public CSession {
protected:
    EndToEnd() { ::setenv("SDL_VIDEODRIVER", "offscreen", 1); }
};

TEST_F(EndToEnd, TheClientPlaysARoundByItselfToTheServersSettlementAndItsReplayPlaysBackToTheSameResult)
{
    const std::string port = StartServer();
    ASSERT_FALSE(port.empty()) << ServerLog();
    ASSERT_TRUE(StartClient(port));
    ASSERT_TRUE(WaitForRoundEnd(150000)) << Logs();
    const std::optional<int> client_exit = CloseClient();
    const std::optional<int> server_exit = StopServer();
    const std::string server = ServerLog();
    const std::string client = ClientLog();
    EXPECT_EQ(client_exit, 0) << HallLog();
    EXPECT_EQ(server_exit, 0);

    // The client played its own chair: every turn, before the server would
    // have played for it.
    EXPECT_GE(CountLines(server, "throw from chair 2: ") + CountLines(server, "pass from chair 2 taken"), 1u) << server;
    EXPECT_EQ(server.find("refused"), std::string::npos) << server;
    EXPECT_EQ(server.find("timed out"), std::string::npos) << server;
    // The client's round ended with the server's settlement.
    const auto settled = FourNumbersAfter(server, "score changes ");
    ASSERT_TRUE(settled.has_value()) << server;
    EXPECT_EQ(FourNumbersAfter(client, "round result: score changes "), settled) << client;

    // The replay holds the round from its start to its result, and plays
    // back to the same settlement.
    const std::string path = LineAfter(server, "replay saved ");
    const std::string gbk_path = platform::Utf8ToGbk(path).value_or("");
    // It is where the README sends the player to look (the data folder being ~/.local/share).
    ASSERT_TRUE(path.starts_with(m_data + "/")) << path;
    const std::string folder = "~/.local/share/" + path.substr(m_data.size() + 1, path.rfind('/') - m_data.size());
    EXPECT_NE(ReadAll(PLDK_README).find("`" + folder + "`"), std::string::npos) << folder;
    scene::CReplayImage image(scene::ReplayVariant::Standard);
    ASSERT_TRUE(scene::ReadReplayFile(image, gbk_path, "pldk", 5, 0).IsLoaded()) << path;
    EXPECT_EQ(image.GetHeaderFields().chair, OWN_CHAIR);
    CRecords records;
    scene::CReplayPlayback playback(image, records);
    playback.Restart();
    while (playback.PlayNextRecord()) {
    }
    ASSERT_GE(records.played.size(), 2u);
    EXPECT_EQ(records.played.front().id, GR_GAME_START);
    EXPECT_EQ(records.played.back().id, GR_GAME_RESULT);
    client::CPlDkGameState replayed;
    ASSERT_TRUE(replayed.BeginRound(records.played.front().body));
    ASSERT_TRUE(replayed.EndRound(records.played.back().body));
    const int32_t* change = replayed.GetResultBlock().base.score_change;
    EXPECT_EQ((std::vector<long long> { change[0], change[1], change[2], change[3] }), settled);

    // The client opens the replay named on its command line in stand-alone
    // replay mode and ends cleanly.
    UseDataFolder("replay-data");
    m_replay_client = platform::StartProcess(PLDK_CLIENT_PROGRAM, { gbk_path, "--frames", "1000" });
    ASSERT_TRUE(m_replay_client.has_value());
    const std::optional<int> replay_exit = platform::WaitProcess(*m_replay_client, 60000);
    m_replay_client.reset();
    EXPECT_EQ(replay_exit, 0);
    EXPECT_EQ(ClientLog().find("refused"), std::string::npos) << ClientLog();

    EXPECT_EQ(SanitizerReports(), "");
}

TEST_F(EndToEnd, AFloodingServerLeavesTheClientPlayingAndAnswering)
{
    // A server message box and look-on requests pile on at the round's
    // start, and a burst of notices more than the socket lets the client
    // keep unhandled precedes every answer to the client's turns: each
    // answer is still read in time, with the box up.
    const std::string port = StartServer({ "--look-on-requests", "3000", "--notices-before-answer", "4200",
                                           "--message-box", "maintenance at midnight" });
    ASSERT_FALSE(port.empty()) << ServerLog();
    ASSERT_TRUE(StartClient(port));
    ASSERT_TRUE(WaitForRoundEnd(150000)) << Logs();
    EXPECT_EQ(CloseClient(), 0) << HallLog();
    EXPECT_EQ(StopServer(), 0);
    const std::string server = ServerLog();
    const std::string client = ClientLog();
    EXPECT_GE(CountLines(server, "throw from chair 2: ") + CountLines(server, "pass from chair 2 taken"), 1u) << server;
    EXPECT_EQ(client.find("got no answer"), std::string::npos) << client;
    EXPECT_EQ(client.find("given up"), std::string::npos) << client;
    EXPECT_EQ(SanitizerReports(), "");
}

} // namespace

// Whole rounds of the stand-in server's table played through this game's
// scene, in one process: the server's events go through this game's
// notification handler to the scene; the own chair plays what the scene
// sends when its turn runs out; the other chairs are the server's computer
// players. Each round must reach its result with every own request taken.
#include <string>
#include <vector>

#include "client/CPlDkNotifyHandler.h"
#include "engine/core/ObjectModule.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/rules/PlDkRecords.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/SceneRecorders.h"
#include "peers/server/CComputerRound.h"
#include "platform/ByteOrder.h"
#include "platform/Tick.h"

namespace scene::test {
namespace {

constexpr int32_t OWN_USER = 1001;

class PlDkSceneRoundTest : public BoardTest {
protected:
    PlDkSceneRoundTest()
    {
        AddCardImages(60, 80);
        AddImage("digiti_Clock", 10, 16, 10);
        m_app.Records().Launch().user_id = OWN_USER;
        m_scene = AddScene<CPlDkGameScene>({ 0, 0, 1050, 700 });
        LinkTable(m_app, m_chat, m_connection, 9000, m_scene);
        m_app.Records().Seat(0)->user_id = OWN_USER;
        m_environment.clock = &m_clock;
        m_environment.random = &m_random;
    }
    ~PlDkSceneRoundTest() override { m_engine.m_objects->DestroyObject(m_scene->GetId()); }

    void Dispatch(const peers::RoundEvent& event) { m_handler.Dispatch(event.id, event.body); }
    // The game data the scene sent since `from`, relayed back as the server does.
    void RelayGameData(size_t from)
    {
        for (size_t i = from; i < m_connection.sent.size(); ++i)
            if (m_connection.sent[i].first == client::GR_SEND_GAME_DATA)
                Dispatch({ client::GR_GAME_DATA, m_connection.sent[i].second });
    }
    [[nodiscard]] int OwnCards() const { return m_scene->Hand()->CountSprites(0, CARD_STATE_HAND); }

    CChatSink m_chat;
    CRecordingConnection m_connection { m_app };
    client::CPlDkNotifyHandler m_handler { m_app };
    CPlDkGameScene* m_scene {};
    platform::CManualClock m_clock { 100000 };
    rules::CCrtRandom m_random;
    rules::RulesEnvironment m_environment = rules::GetDefaultRulesEnvironment();
};

TEST_F(PlDkSceneRoundTest, TheOwnChairPlaysWholeRoundsAgainstTheComputerPlayers)
{
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        m_random.Seed(seed);
        m_clock.Set(5000u + 7919u * seed);
        peers::CComputerRound round(m_environment);
        ASSERT_TRUE(round.Begin({ OWN_USER, 9001, 9002, 9003 }, 0));
        Dispatch({ client::GR_GAME_START, round.GetOutcome().start_record });
        // The deal, the partner step and its judging request answered by the
        // table, then the start of play.
        Run(6000);
        ASSERT_EQ(OwnCards(), 27) << "seed " << seed;
        RelayGameData(0);
        Run(1000);
        ASSERT_EQ(m_app.GetGameState().GetTableWord14(), round.GetCurrentChair()) << "seed " << seed;

        int own_turns = 0;
        int own_throws = 0;
        for (int step = 0; step < peers::CComputerRound::MAX_ACTIONS && !round.IsOver(); ++step) {
            peers::RoundEvent event;
            if (round.GetCurrentChair() != 0) {
                ASSERT_TRUE(round.PlayComputer(event)) << "seed " << seed;
                Dispatch(event);
                continue;
            }
            // The own clock ran out: the scene plays or passes by itself.
            ++own_turns;
            const size_t before = m_connection.sent.size();
            m_scene->OnTurnTimeout();
            bool taken = false;
            for (size_t i = before; i < m_connection.sent.size() && !taken; ++i) {
                const auto& [id, bytes] = m_connection.sent[i];
                if (id == client::GR_THROW_CARDS) {
                    int32_t chair = -1;
                    rules::CardPlay play;
                    ASSERT_TRUE(peers::ReadThrowRecord(bytes, chair, play));
                    taken = chair == 0 && round.Throw(0, play, event);
                    own_throws += taken ? 1 : 0;
                } else if (id == client::GR_PASS) {
                    taken = round.Pass(0, event);
                }
            }
            ASSERT_TRUE(taken) << "seed " << seed << " own turn " << own_turns;
            RelayGameData(before);
            Dispatch(event);
        }
        ASSERT_TRUE(round.IsOver()) << "seed " << seed;
        EXPECT_GT(own_throws, 0) << "seed " << seed << ", " << own_turns << " own turns";
        round.Settle();
        ASSERT_TRUE(round.GetOutcome().finished);
        m_chat.lines.clear();
        Dispatch({ client::GR_GAME_RESULT, round.GetOutcome().result_record });
        ASSERT_GE(m_chat.lines.size(), 7u) << "seed " << seed;
        EXPECT_EQ(m_chat.lines[1], " <c=0><size=14>===本局结束===\r\n");
        const rules::PlDkGameWinResult& result = m_app.GetGameState().GetResultBlock();
        const int32_t own_points = result.settle_score[0];
        EXPECT_NE(m_chat.lines[2].find((own_points >= 0 ? "+" : "") + std::to_string(own_points) + "分"),
                  std::string::npos)
            << m_chat.lines[2];
        EXPECT_FALSE(m_scene->GetClock()->IsActive());
        m_connection.sent.clear();
    }
}

// Once the table is closed (here the own exit agreed mid-round), the own
// turn's clock (as the connection's watch reads it too), its buttons and its
// time-out play stop with it.
TEST_F(PlDkSceneRoundTest, AClosedTableStopsTheOwnTurn)
{
    m_random.Seed(2);
    peers::CComputerRound round(m_environment);
    ASSERT_TRUE(round.Begin({ OWN_USER, 9001, 9002, 9003 }, 0));
    Dispatch({ client::GR_GAME_START, round.GetOutcome().start_record });
    Run(6000);
    RelayGameData(0);
    Run(1000);
    for (int step = 0; step < peers::CComputerRound::MAX_ACTIONS && round.GetCurrentChair() != 0; ++step) {
        peers::RoundEvent event;
        ASSERT_TRUE(round.PlayComputer(event));
        Dispatch(event);
    }
    ASSERT_TRUE(m_scene->GetClock()->IsActive());
    ASSERT_TRUE(m_scene->GetButton(CCardGameScene::Button::Throw)->IsActive());
    // The connection's watch reads the running turn's clock.
    EXPECT_EQ(m_scene->GetTurnSecondsLeft(), m_scene->GetClock()->GetValue());

    std::vector<uint8_t> exited(28);
    platform::StoreU32LE(exited.data(), OWN_USER);
    m_handler.Dispatch(client::GR_PLAYER_EXITED, exited);
    m_connection.sent.clear();
    Run(40000);
    EXPECT_FALSE(m_scene->GetClock()->IsActive());
    EXPECT_FALSE(m_scene->GetTurnSecondsLeft());
    for (auto button : { CCardGameScene::Button::Throw, CCardGameScene::Button::Pass, CCardGameScene::Button::Hint })
        EXPECT_FALSE(m_scene->GetButton(button)->IsActive());
    EXPECT_TRUE(m_connection.sent.empty()) << "played or timed out after the table closed";
}

} // namespace
} // namespace scene::test

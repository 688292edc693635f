// Server contents that make no sense (a log-on answer naming 10,000 players,
// chairs far outside the table, a throw of 10,000 cards, a game-data length
// of 2^31-1) go the whole road from the dispatcher to the scene: each is
// refused with one log line giving its reason and changes nothing, and a
// flood of them gives a bounded log.
#include <functional>
#include <string>
#include <vector>

#include "client/CCardGameNotifyHandler.h"
#include "client/CGameConnection.h"
#include "client/CGameNotifyHandler.h"
#include "client/CPlDkNotifyHandler.h"
#include "client/CRefusalLog.h"
#include "client/RecordCodec.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/TableMessages.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkSeatBoard.h"
#include "game/scene/SceneRecorders.h"
#include "game/rules/RecordHeader.h"
#include "platform/ByteOrder.h"

namespace scene::test {
namespace {

using client::CRefusalLog;

std::vector<uint8_t> PlayerEntering(int32_t user_id, int32_t chair)
{
    client::ServerPlayerEntry entry;
    entry.user_id = user_id;
    entry.chair = chair;
    const auto bytes = client::RecordBytes(entry);
    return { bytes.begin(), bytes.end() };
}

class AbsurdContentsTest : public BoardTest {
protected:
    AbsurdContentsTest()
    {
        AddCardImages(50, 68);
        AddImage("PlayerBoardSmall", 200, 60, 3);
        m_scene = AddScene<CPlDkGameScene>({ 0, 0, 1000, 700 });
        LinkTable(m_app, m_chat, m_connection, 100, m_scene);
        m_app.Records().Launch().user_id = 100;
        m_app.Records().Room().configs = client::ROOM_CONFIG_40;
        m_app.Records().Table().player_count = 4;
        CRefusalLog::Instance().SetSink([this](const std::string& line) { m_log.push_back(line); });
        CRefusalLog::Instance().SetTickFunction([this] { return m_now; });
    }
    ~AbsurdContentsTest() override
    {
        CRefusalLog::Instance().SetSink({});
        CRefusalLog::Instance().SetTickFunction({});
        m_engine.m_objects->DestroyObject(m_scene->GetId());
    }

    // What a refused message must leave as it was.
    std::vector<int64_t> State()
    {
        client::CPlDkGameState& state = m_app.GetGameState();
        std::vector<int64_t> values { m_app.GetLogonWord(), m_app.IsPlaying(), m_app.Records().Table().player_count,
                                      state.GetTableWord14(), state.GetTableWord15(),
                                      m_scene->GetLastCardPlay().chair,
                                      static_cast<int64_t>(m_chat.lines.size()),
                                      static_cast<int64_t>(m_connection.sent.size()) };
        for (int chair = 0; chair < client::MAX_CHAIRS; ++chair)
            values.insert(values.end(), { m_app.Records().Seat(chair)->user_id, m_app.Records().Seat(chair)->chair });
        for (int i = 0; i < m_scene->Sprites().Count(); ++i) {
            const CardSpriteState& s = m_scene->Sprites().At(i);
            values.insert(values.end(), { s.card, s.chair, s.state });
        }
        return values;
    }

    CChatSink m_chat;
    CRecordingConnection m_connection { m_app };
    CPlDkGameScene* m_scene {};
    client::CPlDkNotifyHandler m_handler { m_app };
    std::vector<std::string> m_log;
    uint32_t m_now { 5000 };
};

TEST_F(AbsurdContentsTest, EachIsRefusedOnceWithItsReasonAndChangesNothing)
{
    const std::vector<uint8_t> throw_from_nowhere
        = Words({ 0, 0, 0, -1, 1, 0, 0, 20, 0, 0, 0, 0, rules::CARD_TYPE_PAIR, 0, 0, 10000 });
    const struct {
        const char* what;
        std::function<void()> send;
        std::string line;
    } cases[] = {
        { "log-on answer of 10,000 players",
          [&] {
              m_connection.code = client::GR_ID_210210;
              m_connection.answer_data = Words({ 0, 0, 10000 }, 60);
              std::string error;
              EXPECT_FALSE(m_connection.Logon(error));
              EXPECT_FALSE(error.empty());
              m_connection.sent.clear();
          },
          "message 200110 refused: the answer names 10000 players, at most 8" },
        { "start at chair -3", [&] { m_handler.Dispatch(client::GR_USER_START, Words({ 0, 0, 0, -3 })); },
          "message 201160 refused: chair -3 is not at the table" },
        { "start at chair 1000", [&] { m_handler.Dispatch(client::GR_USER_START, Words({ 0, 0, 0, 1000 })); },
          "message 201160 refused: chair 1000 is not at the table" },
        { "10,000 cards from chair -1", [&] { m_handler.Dispatch(client::GR_CARDS_THROWN, throw_from_nowhere); },
          "message 221170 refused: chair -1 is not at the table" },
        { "turn at chair -2", [&] { m_handler.Dispatch(client::GR_ID_221165, Words({ 0, -2 })); },
          "message 221165 refused: chair -2 is not at the table" },
        { "entering chair 10,000",
          [&] { m_handler.Dispatch(client::GR_PLAYER_ENTER, PlayerEntering(555, 10000)); },
          "message 211011 refused: player 555 at chair 10000, not a player at the table" },
        { "entering chair -5", [&] { m_handler.Dispatch(client::GR_PLAYER_ENTER, PlayerEntering(556, -5)); },
          "message 211011 refused: player 556 at chair -5, not a player at the table" },
        { "game data of 2^31-1 bytes",
          [&] { m_handler.Dispatch(client::GR_GAME_DATA, Words({ 0, 0, GAMEDATA_PLAYER_BACK, 0, INT32_MAX, 2 })); },
          "message 229500 refused: data of 2147483647 bytes, 4 received" },
        // Bodies shorter than the fields their handler reads, in each layer:
        // refused by the one check after the reads, with the length wanted.
        { "short exit answer", [&] { m_handler.Dispatch(client::GR_ANSWER_EXIT, Words({ 100, 0, 0, 0, 100 })); },
          "message 201213 refused: 20 bytes, at least 24 expected" },
        { "player info of two entries, one held",
          [&] { m_handler.Dispatch(client::GR_ID_211030, Words({ 2 }, 20 + 52)); },
          "message 211030 refused: 72 bytes, at least 124 expected" },
        { "hand of three cards, two held",
          [&] { m_handler.Dispatch(client::GR_HAND_CARDS, Words({ 0, 0, 3, 7, 8 })); },
          "message 229580 refused: 20 bytes, at least 24 expected" },
        { "hand of 65 cards", [&] { m_handler.Dispatch(client::GR_HAND_CARDS, Words({ 0, 1, 65 }, 12 + 4 * 65)); },
          "message 229580 refused: 65 cards, at most 64" },
        { "short pass", [&] { m_handler.Dispatch(client::GR_PLAYER_PASSED, Words({ 0, 0, 1 }, 35)); },
          "message 223100 refused: 35 bytes, at least 36 expected" },
        { "game data without its head",
          [&] { m_handler.Dispatch(client::GR_GAME_DATA, Words({ 0, 0, GAMEDATA_PLAYER_BACK, 0 })); },
          "message 229500 refused: 16 bytes, at least 20 expected" },
        { "short score notice", [&] { m_handler.Dispatch(client::GR_SCORE_NOTIFY, Words({ 0, 5 }, 68)); },
          "message 211090 refused: 68 bytes, at least 72 expected" },
        { "short player result", [&] { m_handler.Dispatch(client::GR_ID_211510, Words({ 0, 1 }, 60)); },
          "message 211510 refused: 60 bytes, at least 64 expected" },
        { "short silver change", [&] { m_handler.Dispatch(client::GR_ID_211600, Words({ 0, 1, 1 })); },
          "message 211600 refused: 12 bytes, at least 20 expected" },
        { "seat names of two chairs", [&] { m_handler.Dispatch(client::GR_ID_211910, Words({}, 104)); },
          "message 211910 refused: 104 bytes, at least 208 expected" },
    };
    for (const auto& c : cases) {
        m_log.clear();
        const std::vector<int64_t> before = State();
        c.send();
        EXPECT_EQ(m_log, std::vector<std::string> { c.line }) << c.what;
        EXPECT_EQ(State(), before) << c.what;
    }
}

// The table relays the client's own game data back to it: the rejoin and
// time-out words carry no body and are sound, not refused.
TEST_F(AbsurdContentsTest, TheOwnBodilessGameDataComesBackUnrefused)
{
    for (const int32_t sub_id : { GAMEDATA_REJOIN, GAMEDATA_TIMEOUT }) {
        m_log.clear();
        m_handler.Dispatch(client::GR_GAME_DATA, GameData(sub_id, {}));
        EXPECT_EQ(m_log, std::vector<std::string> {}) << sub_id;
    }
}

TEST_F(AbsurdContentsTest, AFloodGivesABoundedLogThatCountsWhatItLeftOut)
{
    const std::vector<uint8_t> start = Words({ 0, 0, 0, -3 });
    // The count is told once the window has closed: by the main window's
    // timer after a silence, or by the first refusal of the next window.
    for (const bool silence : { true, false }) {
        m_log.clear();
        const uint64_t refused = CRefusalLog::Instance().GetCount();
        for (int i = 0; i < 10000; ++i) {
            m_now += 1;
            m_handler.Dispatch(client::GR_USER_START, start);
        }
        EXPECT_EQ(CRefusalLog::Instance().GetCount() - refused, 10000u);
        // 10,000 refusals within one window: its lines only.
        CRefusalLog::Instance().FlushIfDue();
        ASSERT_EQ(m_log.size(), CRefusalLog::LINES_PER_WINDOW);
        m_now += 1;
        if (silence)
            CRefusalLog::Instance().FlushIfDue();
        else
            m_handler.Dispatch(client::GR_USER_START, start);
        ASSERT_EQ(m_log.size(), CRefusalLog::LINES_PER_WINDOW + (silence ? 1 : 2)) << silence;
        EXPECT_EQ(m_log[CRefusalLog::LINES_PER_WINDOW],
                  "refused messages not logged: " + std::to_string(10000 - CRefusalLog::LINES_PER_WINDOW));
        if (!silence) {
            EXPECT_EQ(m_log.back(), "message 201160 refused: chair -3 is not at the table");
        }
    }
}

TEST_F(AbsurdContentsTest, ALogOnAnswerWhoseTableRecordTheRulesRefuseIsLogged)
{
    // Without the seat copy the whole answer is the table record: a current
    // chair of 99 is refused by the rules and leaves the table as it was.
    m_app.Records().Room().configs = 0;
    m_app.GetGameState().GetTableData().head[rules::HDR_CURRENT_CHAIR] = 2;
    m_connection.code = client::GR_ID_210210;
    m_connection.answer_data = Words({}, 60);
    platform::StoreU32LE(m_connection.answer_data.data() + 4 * rules::HDR_CURRENT_CHAIR, 99);
    std::string error;
    (void)m_connection.Logon(error);
    EXPECT_EQ(m_log, std::vector<std::string> { "message 200110 refused: a table record of 60 bytes the rules refuse" });
    EXPECT_EQ(m_app.GetGameState().GetTableData().head[rules::HDR_CURRENT_CHAIR], 2);
}

} // namespace
} // namespace scene::test

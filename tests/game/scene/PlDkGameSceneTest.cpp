// This game's table scene driven through its table-event hooks, headless:
// the chat lines it writes, the requests it sends, the sounds it plays, and
// the states of its card sprites, seat boards and buttons.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "client/AnswerCodes.h"
#include "client/CCardGameConnection.h"
#include "client/CGameFrameWnd.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/rules/CardRules.h"
#include "game/rules/CardTestSupport.h"
#include "game/rules/PlDkRecords.h"
#include "game/scene/BoardTestSupport.h"
#include "game/rules/PlDkTable.h"
#include "game/scene/PlDkCardSprite.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkPlayFinder.h"
#include "game/scene/PlDkSeatBoard.h"
#include "game/scene/SceneRecorders.h"
#include "game/scene/TableMessages.h"
#include "platform/ByteOrder.h"

namespace scene::test {
namespace {

using Button = CCardGameScene::Button;
using rules::test::Card;

// The scene with the deal left out (the tests give the hands themselves)
// and the presses of auto-play counted.
class CTestScene final : public CPlDkGameScene {
public:
    using CPlDkGameScene::CPlDkGameScene;
    void StartDeal() override {}
    void OnBtnAutoPlay() override
    {
        ++auto_play_presses;
        CPlDkGameScene::OnBtnAutoPlay();
    }
    int auto_play_presses { 0 };
    // Each game data sent: its sub-id and whether it waits for the answer.
    int32_t SendGameData(int32_t sub_id, std::span<const uint8_t> body, GameDataQuery query) override
    {
        game_data.emplace_back(sub_id, query == GameDataQuery::Yes);
        return CPlDkGameScene::SendGameData(sub_id, body, query);
    }
    std::vector<std::pair<int32_t, bool>> game_data;
};

int32_t WordOf(const std::vector<uint8_t>& bytes, size_t index)
{
    return 4 * index + 4 <= bytes.size() ? static_cast<int32_t>(platform::LoadU32LE(bytes.data() + 4 * index)) : -999;
}

// The cards as this game reads them (their first reading).
rules::CardPlay ReadPlay(int32_t chair, const std::vector<int32_t>& cards)
{
    rules::CPlDkTable table(0);
    auto list = std::make_unique<rules::CardPlayList>();
    list->Clear();
    (void)table.AnalyseCards(chair, cards, *list, PLDK_HINT_MASK);
    return list->plays[0];
}

// The play event of the cards as this game reads them (type, beat mask and
// strength of their first reading).
std::vector<uint8_t> ReadPlayEvent(int32_t chair, int32_t next, const std::vector<int32_t>& cards,
                                   int32_t table_points = 0)
{
    const rules::CardPlay play = ReadPlay(chair, cards);
    std::vector<uint8_t> event = PlayEvent(chair, next, play.type, cards, table_points);
    platform::StoreU32LE(event.data() + 4 * 13, static_cast<uint32_t>(play.beat_mask));
    platform::StoreU32LE(event.data() + 4 * 14, static_cast<uint32_t>(play.strength));
    return event;
}

std::vector<uint8_t> PassEvent(int32_t chair, int32_t next, bool trick_over = false, int32_t winner = 0,
                               int32_t points = 0)
{
    return Words(9, { { 2, chair }, { 4, next }, { 5, trick_over ? 1 : 0 }, { 6, winner }, { 7, points }, { 8, 15 } });
}

class PlDkGameSceneTest : public BoardTest {
protected:
    PlDkGameSceneTest()
    {
        AddCardImages(60, 80);
        AddImage("PlayerBoardSmall", 200, 60, 3);
        AddImage("btnPass", 60, 30, 4);
        AddImage("btnThrow", 60, 30, 4);
        AddImage("分数", 10, 16, 10);
        AddImage("digiti_Clock", 10, 16, 10);
        AddImage("过牌提示", 200, 30); // a still picture: no frames to play
        m_app.Records().Launch().user_id = 100;
        m_app.Records().Room().room_id = 7;
        LinkTable(m_app, m_chat, m_connection);
        m_scene = AddScene<CTestScene>({ 0, 0, 1050, 700 });
        // The server's table data of a round: in play order, base score 30.
        client::CPlDkGameState& state = m_app.GetGameState();
        state.GetTableData().head[8] = 3;
        state.GetTableData().head[10] = 30;
        state.SetTableWord15(0x101);
    }
    // The scene goes before the application it reads when it is destroyed.
    ~PlDkGameSceneTest() override { m_engine.m_objects->DestroyObject(m_scene->GetId()); }
    client::ICardGameSceneHooks& Hooks() { return *m_scene->GetTableHooks(); }
    // Every chair holds count cards: the own face up (ids from own), the
    // others face down.
    void Deal(const std::vector<int32_t>& own, int count)
    {
        int next = 0;
        for (int chair = 0; chair < 4; ++chair)
            for (int i = 0; i < count; ++i) {
                CardSpriteState& s = m_scene->Sprites().At(next++);
                s = CardSpriteState {};
                s.chair = chair;
                s.view = m_scene->ChairToView(chair);
                s.state = CARD_STATE_HAND;
                s.row_index = i;
                s.card = chair == 0 && i < static_cast<int>(own.size()) ? own[size_t(i)] : -1;
                s.face_up = s.card >= 0;
            }
    }
    int Count(int chair, int32_t state) const { return m_scene->Hand()->CountSprites(chair, state); }
    int ActiveChair() { return m_app.GetGameState().GetTableWord14(); }
    bool Shows(Button button) const
    {
        const engine::CGuiButton* b = m_scene->GetButton(button);
        return b->IsActive() && b->IsVisible();
    }
    std::vector<std::string> Sounds()
    {
        std::vector<std::string> sounds = m_music->played;
        m_music->played.clear();
        return sounds;
    }
    std::vector<uint32_t> RequestIds() const
    {
        std::vector<uint32_t> ids;
        for (const auto& [id, bytes] : m_connection.sent)
            ids.push_back(id);
        return ids;
    }

    CChatSink m_chat;
    CRecordingConnection m_connection { m_app };
    CTestScene* m_scene {};
};

TEST_F(PlDkGameSceneTest, ScriptedRoundThroughTheTableEvents)
{
    Hooks().ShowRoundHeader();
    ASSERT_FALSE(m_chat.lines.empty());
    EXPECT_EQ(m_chat.lines.back(), "\r\n<size=12>【第3局】基础分：<c=255>30<>分\r\n");
    EXPECT_TRUE(m_scene->IsNewLead());
    Deal({ Card(3, 0), Card(3, 1), Card(9, 2), Card(11, 3), Card(13, 0) }, 5);

    // Chair 1's hand named by the server, then a pair of 5s from it.
    Hooks().OnSetHandCards(Words(8, { { 1, 1 }, { 2, 5 }, { 3, Card(4, 0) }, { 4, Card(4, 1) }, { 5, Card(7, 0) },
                                      { 6, Card(8, 0) }, { 7, Card(12, 0) } }));
    EXPECT_EQ(m_scene->Hand()->FindSpriteByCard(Card(12, 0)) >= 0, true);
    Hooks().OnCardsThrown(PlayEvent(1, 0, rules::CARD_TYPE_PAIR, { Card(4, 0), Card(4, 1) }, 10));
    EXPECT_EQ(Sounds(), std::vector<std::string> { "Snd_Throw" });
    EXPECT_EQ(m_scene->GetLastCardPlay().chair, 1);
    EXPECT_EQ(m_app.GetGameState().GetTableData().last_play_chair, 1);
    EXPECT_EQ(Count(1, CARD_STATE_PLAYED), 2);
    EXPECT_EQ(m_scene->GetHandPoints(1), -10);
    EXPECT_TRUE(m_scene->GetScorePanel()->IsActive());
    EXPECT_EQ(ActiveChair(), 0);
    EXPECT_TRUE(Shows(Button::Pass));
    EXPECT_TRUE(Shows(Button::Hint));

    // The own pass: the 56-byte record, then the server's pass that ends
    // the trick for chair 1 with its 10 points.
    m_scene->OnBtnPass();
    ASSERT_EQ(RequestIds(), std::vector<uint32_t> { client::GR_PASS });
    const std::vector<uint8_t>& pass = m_connection.sent[0].second;
    ASSERT_EQ(pass.size(), client::PASS_RECORD_BYTES);
    EXPECT_EQ((std::vector<int32_t> { WordOf(pass, 0), WordOf(pass, 1), WordOf(pass, 2), WordOf(pass, 4) }),
              (std::vector<int32_t> { 100, 7, 0, 0 }));
    Hooks().OnPlayerPassed(PassEvent(0, 3, true, 1, 10));
    EXPECT_EQ(Sounds(), std::vector<std::string> { "Snd_Pass" });
    EXPECT_EQ(m_scene->GetPassCount(0), 1);
    EXPECT_EQ(m_scene->GetLastCardPlay().chair, -1);
    EXPECT_EQ(Count(1, CARD_STATE_OLD_PLAY), 2);
    EXPECT_FALSE(m_scene->GetScorePanel()->IsActive());
    EXPECT_TRUE(m_scene->GetChairBoard(1)->GetScore()->IsActive());
    EXPECT_EQ(ActiveChair(), 3);

    // A bomb of chair 3 flies to the table; a finishing place marks the
    // game as over.
    Hooks().OnCardsThrown(
        PlayEvent(3, 0, rules::CARD_TYPE_BOMB, { Card(6, 0), Card(6, 1), Card(6, 2), Card(6, 3) }, 0, 1));
    EXPECT_EQ(Sounds(), std::vector<std::string> { "Snd_Bomb4" });
    EXPECT_EQ(Count(3, CARD_STATE_PLAYED), 4);
    const CCardSprite* bomb_card = m_scene->GetSprite(m_scene->Hand()->FindSpriteByCard(Card(6, 2)));
    ASSERT_NE(bomb_card, nullptr);
    EXPECT_TRUE(bomb_card->m_spare_flag);
    EXPECT_TRUE(m_scene->IsGameOver());

    // The own lead after a trick: throw and hint buttons follow the rules.
    Hooks().OnPlayerPassed(PassEvent(2, 0, true, 3, 0));
    m_connection.sent.clear();
    (void)Sounds();
    EXPECT_TRUE(m_scene->GetButton(Button::Throw)->IsActive());
    EXPECT_FALSE(Shows(Button::Pass));
    m_scene->Hand()->RaiseCards(std::vector<int32_t> { Card(13, 0) });
    m_scene->CheckSelection();
    EXPECT_TRUE(Shows(Button::Throw));
    m_scene->OnBtnThrow();
    ASSERT_EQ(RequestIds(), std::vector<uint32_t> { client::GR_THROW_CARDS });
    const std::vector<uint8_t>& thrown = m_connection.sent[0].second;
    EXPECT_EQ((std::vector<int32_t> { WordOf(thrown, 0), WordOf(thrown, 3), WordOf(thrown, 4), WordOf(thrown, 12),
                                      WordOf(thrown, 15), WordOf(thrown, 16) }),
              (std::vector<int32_t> { 100, 0, 3, rules::CARD_TYPE_SINGLE, 1, Card(13, 0) }));
    EXPECT_FALSE(m_scene->GetButton(Button::Throw)->IsActive());

    // Score notices: points won by chair 2, then every seat's score and
    // bombs.
    Hooks().OnScoreNotify(Words(18, { { 0, 2 }, { 3, 25 }, { 17, 1 } }));
    EXPECT_EQ(Sounds(), std::vector<std::string> { "Snd_WinScore" });
    EXPECT_EQ(m_app.GetGameState().GetTableData().points_won[2], 25);
    Hooks().OnScoreNotify(Words(18, { { 1, 40 }, { 2, 5 }, { 9, 2 }, { 17, 2 } }));
    EXPECT_EQ(Sounds(), std::vector<std::string> { "Snd_Cai" });
    EXPECT_EQ(m_scene->GetChairBoard(0)->GetScore()->GetValue(), 40);
    EXPECT_EQ(m_scene->GetChairBoard(1)->GetScore()->GetValue(), 5);

    // The round's end: the lines of every seat with its points.
    rules::PlDkGameWinResult result {};
    for (int c = 0; c < 4; ++c)
        std::fill(std::begin(result.cards_left[c]), std::end(result.cards_left[c]), -1);
    result.settle_score[0] = 35;
    result.settle_score[1] = -5;
    std::vector<uint8_t> bytes(rules::PLDK_GAME_WIN_BYTES);
    rules::WritePlDkGameWinResult(result, bytes);
    ASSERT_TRUE(m_app.GetGameState().EndRound(bytes));
    m_chat.lines.clear();
    Hooks().OnRoundEnd();
    ASSERT_EQ(m_chat.lines.size(), 7u);
    EXPECT_EQ(m_chat.lines[1], " <c=0><size=14>===本局结束===\r\n");
    EXPECT_EQ(m_chat.lines[2], " <c=255>[player0]" + std::string(12, ' ') + "<c=255>+35分\r\n");
    EXPECT_EQ(m_chat.lines[3], " <c=2302755>[player1]" + std::string(12, ' ') + "<c=2302755>-5分\r\n");
    EXPECT_EQ(m_chat.lines[4], " <c=2302755>[player2]" + std::string(12, ' ') + "<c=2302755>+0分\r\n");
    EXPECT_EQ(Sounds(), std::vector<std::string> { "Snd_GameWin" });
    EXPECT_FALSE(m_scene->GetClock()->IsActive());
}

// One click raises the card clicked, never a play around it, leading or
// following; a sweep over several cards is never swapped for a play this
// game does not accept (three with a pair).
TEST_F(PlDkGameSceneTest, AClickRaisesTheCardClickedAndASweepNoForeignPlay)
{
    // 8 8 8 7 7 6, four 2s, a pair of 5s, a 4 and a Q.
    Deal({ Card(7, 0), Card(7, 1), Card(7, 2), Card(6, 0), Card(6, 1), Card(5, 0), Card(1, 0), Card(1, 1), Card(1, 2),
           Card(1, 3), Card(4, 0), Card(4, 1), Card(3, 0), Card(11, 0) },
         14);
    m_scene->LayoutScene();
    const struct {
        const char* name;
        bool following_a_king;
        std::vector<int32_t> swept;
    } cases[] = {
        { "pair, leading", false, { Card(4, 1) } },
        { "triple, leading", false, { Card(7, 1) } },
        { "bomb, leading", false, { Card(1, 2) } },
        { "pair, following", true, { Card(4, 0) } },
        { "triple, following", true, { Card(7, 2) } },
        { "bomb, following", true, { Card(1, 3) } },
        { "sweep", false, { Card(7, 0), Card(7, 1), Card(7, 2), Card(6, 0), Card(6, 1), Card(5, 0) } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_scene->LowerAllCards();
        m_scene->SetLastPlay(c.following_a_king ? 3 : -1,
                             c.following_a_king ? ReadPlay(3, { Card(12, 2) }) : rules::CardPlay {});
        const auto id = [&](int32_t card) {
            return m_scene->GetSprite(m_scene->Hand()->FindSpriteByCard(card))->GetId();
        };
        (void)m_scene->OnEvent({ m_scene->GetId(), GAMEMSG_CARD_LBUTTON_DOWN, id(c.swept.front()), 0 });
        for (const int32_t card : c.swept)
            m_scene->Sprites().At(m_scene->Hand()->FindSpriteByCard(card)).drag_mark = true;
        (void)m_scene->OnEvent({ m_scene->GetId(), GAMEMSG_CARD_LBUTTON_UP, id(c.swept.back()), 0 });
        std::vector<int32_t> raised(64, -1);
        raised.resize(static_cast<size_t>(m_scene->Hand()->GetRaisedCards(raised)));
        std::sort(raised.begin(), raised.end());
        std::vector<int32_t> swept = c.swept;
        std::sort(swept.begin(), swept.end());
        EXPECT_EQ(raised, swept);
    }
}

// A player who comes back in the middle of a trick follows the play on the
// table: pass and hint are offered and a single does not beat the pair.
TEST_F(PlDkGameSceneTest, ComingBackMidTrickFollowsThePlayOnTheTable)
{
    rules::TableGameData& data = m_app.GetGameState().GetTableData();
    SpreadRunningRound(data, 80, 0);
    data.last_play_chair = 1;
    data.last_play = ReadPlay(1, { Card(12, 2), Card(12, 3) });
    m_scene->ResumeGame();
    Hooks().OnTurnBegin({});
    ASSERT_EQ(ActiveChair(), 0);
    EXPECT_EQ(m_scene->GetLastCardPlay().chair, 1);
    EXPECT_TRUE(Shows(Button::Pass));
    EXPECT_TRUE(Shows(Button::Hint));
    m_scene->Hand()->RaiseCards(std::vector<int32_t> { 4 });
    m_scene->CheckSelection();
    EXPECT_FALSE(Shows(Button::Throw));
}

// The first finishing place stands every side seat's count aside at once,
// not only the count of the seat that finished.
TEST_F(PlDkGameSceneTest, TheFirstPlaceStandsEverySideCountAside)
{
    rules::TableGameData& data = m_app.GetGameState().GetTableData();
    SpreadRunningRound(data, 80, 0);
    for (int chair = 0; chair < 4; ++chair)
        data.hand_points[chair] = 25;
    m_scene->ResumeGame();
    const auto count_x = [this](int chair) { return m_scene->GetChairBoard(chair)->GetCardCount()->GetX(); };
    const double before[] = { 0, 0, count_x(2), count_x(3) };
    Hooks().OnCardsThrown(PlayEvent(1, 2, rules::CARD_TYPE_SINGLE, { 77 }, 0, 1));
    for (const int chair : { 2, 3 }) {
        const int32_t aside = m_scene->GetChairBoard(chair)->GetCountWidth() / 2 + 2;
        EXPECT_EQ(count_x(chair) - before[chair], chair == 3 ? -aside : aside) << chair;
    }
}

// The round's last play names its own player as the next chair (nobody else
// is left): no turn starts, neither the own (play buttons for an empty hand)
// nor another's, and the clock stops while the result is awaited.
TEST_F(PlDkGameSceneTest, TheRoundsLastPlayStartsNoTurn)
{
    for (const int chair : { 0, 1 }) {
        Deal({ Card(9, 2) }, 1);
        m_scene->GetClock()->Activate();
        Hooks().OnCardsThrown(PlayEvent(chair, chair, rules::CARD_TYPE_SINGLE, { chair == 0 ? Card(9, 2) : 77 }, 0, 3));
        EXPECT_FALSE(Shows(Button::Pass) || Shows(Button::Hint)) << chair;
        EXPECT_FALSE(m_scene->GetButton(Button::Throw)->IsActive()) << chair;
        EXPECT_FALSE(m_scene->GetClock()->IsActive()) << chair;
    }
}

// 上一手 shows the seats' last plays on their own: the current play and its
// pass marks stand aside until the showing ends (after its time, or at once
// when the table moves on), and a showing's timed end leaves a later one be.
TEST_F(PlDkGameSceneTest, TheLastThrowShowsTheLastPlaysWithoutTheCurrentTrick)
{
    AddImage("不出", 40, 20);
    Deal({ Card(3, 0), Card(5, 1), Card(9, 2) }, 6);
    const auto shown = [this](int32_t card) {
        const int index = m_scene->Hand()->FindSpriteByCard(card);
        return index >= 0 && m_scene->GetSprite(index)->IsActive();
    };
    const auto marked = [this](int chair) {
        const engine::CImageObject* mark = m_scene->GetChairBoard(chair)->GetMark();
        return mark != nullptr && mark->IsActive();
    };
    const auto points = [this] { return m_scene->GetScorePanel()->IsActive(); };
    const auto press = [this] {
        (void)m_scene->OnEvent(engine::EngineEvent { m_scene->GetId(), GAMEMSG_BTN_LAST_THROW, 0, 0 });
    };
    // Chair 1's 4s go round to it again and are put away; on the table now:
    // chair 3's tens, chair 2's pass and chair 1's 8s: 20 points lie there.
    Hooks().OnCardsThrown(ReadPlayEvent(1, 0, { Card(4, 0), Card(4, 1) }));
    Hooks().OnPlayerPassed(PassEvent(0, 3));
    Hooks().OnCardsThrown(ReadPlayEvent(3, 2, { Card(9, 0), Card(9, 1) }, 20));
    Hooks().OnPlayerPassed(PassEvent(2, 1));
    Hooks().OnCardsThrown(ReadPlayEvent(1, 0, { Card(8, 0), Card(8, 1) }, 20));
    ASSERT_TRUE(shown(Card(9, 0)) && shown(Card(8, 0)) && marked(2) && points());
    ASSERT_FALSE(shown(Card(4, 0)));

    press();
    EXPECT_TRUE(shown(Card(4, 0)) && shown(Card(4, 1)));
    EXPECT_FALSE(shown(Card(9, 0)) || shown(Card(8, 1)) || marked(2) || points());
    Run(3100);
    EXPECT_FALSE(m_scene->IsLastThrowShown());
    EXPECT_FALSE(shown(Card(4, 0)));
    EXPECT_TRUE(shown(Card(9, 0)) && shown(Card(8, 1)) && marked(2) && points());

    // A pass ends the showing at once; the first showing's time then ends
    // nothing of the next.
    press();
    Run(1000);
    Hooks().OnPlayerPassed(PassEvent(0, 3));
    EXPECT_FALSE(m_scene->IsLastThrowShown());
    EXPECT_TRUE(shown(Card(8, 0)) && marked(0) && marked(2) && points());
    press();
    Run(2500);
    EXPECT_TRUE(m_scene->IsLastThrowShown());
    EXPECT_FALSE(shown(Card(8, 0)) || marked(0) || points());
    Run(600);
    EXPECT_FALSE(m_scene->IsLastThrowShown());
    EXPECT_TRUE(shown(Card(8, 0)) && marked(0) && points());
}

TEST_F(PlDkGameSceneTest, PassPromptOnlyWhenNothingBeatsEvenAfterAutoPlayWasCancelled)
{
    const engine::CImageObject* prompt = m_scene->GetPassHint();
    ASSERT_NE(prompt, nullptr);
    // Rule values: 1 the 2 (the level card here, above the ace), 13 the ace.
    const int32_t ace = Card(13, 1);
    Deal({ Card(3, 0), Card(4, 1), Card(6, 2), ace }, 4);

    // Auto-play on; a single 2 that nothing in the hand beats: the prompt.
    m_scene->OnBtnAutoPlay();
    Hooks().OnCardsThrown(ReadPlayEvent(1, 0, { Card(1, 3) }));
    EXPECT_TRUE(prompt->IsActive());
    // Auto-play passes for the player, the trick goes round, auto-play is
    // cancelled, and the next own turn holds a beating ace at once.
    m_scene->OnBtnPass();
    Hooks().OnPlayerPassed(PassEvent(0, 3));
    m_scene->OnBtnAutoPlay();
    ASSERT_FALSE(m_scene->IsAutoPlay());
    Hooks().OnPlayerPassed(PassEvent(3, 2));
    Hooks().OnPlayerPassed(PassEvent(2, 1, true, 1));
    const struct {
        int32_t on_table;
        bool prompt;
    } turns[] = { { Card(10, 0), false }, { Card(12, 3), false }, { Card(1, 2), true }, { Card(11, 0), false } };
    for (const auto& turn : turns) {
        Hooks().OnCardsThrown(ReadPlayEvent(1, 0, { turn.on_table }));
        EXPECT_EQ(prompt->IsActive(), turn.prompt) << turn.on_table;
        if (!turn.prompt) {
            m_scene->OnBtnHint();
            std::array<int32_t, 64> raised {};
            ASSERT_EQ(m_scene->Hand()->GetRaisedCards(raised), 1) << turn.on_table;
            EXPECT_EQ(raised[0], ace);
            m_scene->Hand()->LowerAllCards();
        }
        // The prompt goes by itself.
        Run(CCardGameScene::PASS_HINT_SHOWN_MS + 100);
        EXPECT_FALSE(prompt->IsActive()) << turn.on_table;
    }
}

TEST_F(PlDkGameSceneTest, UnderAutoPlayTheOwnTurnStartsAsEverAndIsPlayedOnTheSecondTick)
{
    // The turn starts as without auto-play: the play buttons stand (a press
    // on them takes auto-play back first) and the prompt shows only when
    // nothing beats; two clock ticks later auto-play plays and the buttons go.
    const int32_t ace = Card(13, 1);
    Deal({ Card(3, 0), Card(4, 1), Card(6, 2), ace }, 4);
    m_scene->OnBtnAutoPlay();
    ASSERT_TRUE(m_scene->IsAutoPlay());
    const struct {
        int32_t on_table;
        bool prompt;
        uint32_t request;
    } turns[] = { { Card(1, 3), true, client::GR_PASS }, { Card(10, 0), false, client::GR_THROW_CARDS } };
    for (const auto& turn : turns) {
        m_connection.sent.clear();
        Hooks().OnCardsThrown(ReadPlayEvent(1, 0, { turn.on_table }));
        EXPECT_TRUE(Shows(Button::Pass) && Shows(Button::Hint) && m_scene->GetButton(Button::Throw)->IsActive())
            << turn.on_table;
        EXPECT_EQ(m_scene->GetPassHint()->IsActive(), turn.prompt) << turn.on_table;
        m_scene->GetClock()->Activate();
        m_scene->GetClock()->SetValue(20);
        m_scene->OnClockTick();
        EXPECT_TRUE(m_connection.sent.empty()) << turn.on_table;
        m_scene->OnClockTick();
        EXPECT_EQ(RequestIds(), std::vector<uint32_t> { turn.request }) << turn.on_table;
        EXPECT_FALSE(Shows(Button::Pass) || Shows(Button::Hint)) << turn.on_table;
        Run(CCardGameScene::PASS_HINT_SHOWN_MS + 100);
        EXPECT_FALSE(m_scene->GetPassHint()->IsActive()) << turn.on_table;
        EXPECT_TRUE(m_scene->IsAutoPlay()) << turn.on_table;
        Hooks().OnPlayerPassed(PassEvent(0, 3));
    }
}

TEST_F(PlDkGameSceneTest, APlayTheServerDidNotTakeGivesTheTurnBack)
{
    Deal({ Card(3, 0), Card(4, 1), Card(6, 2), Card(13, 1) }, 4);
    const struct {
        int result;
        int32_t code;
        bool turn_back;
    } answers[] = { { 1, client::GR_OK, false }, { 1, client::GR_ERR_INVALID_PARAM, true }, { 0, 0, true } };
    for (const auto& answer : answers) {
        m_connection.result = answer.result;
        m_connection.code = answer.code;
        Hooks().OnCardsThrown(ReadPlayEvent(1, 0, { Card(10, 0) }));
        m_scene->OnBtnPass();
        EXPECT_EQ(Shows(Button::Pass), answer.turn_back) << answer.code;
        EXPECT_EQ(Shows(Button::Hint), answer.turn_back) << answer.code;
        Hooks().OnCardsThrown(ReadPlayEvent(1, 0, { Card(10, 0) }));
        m_scene->Hand()->RaiseCards(std::vector<int32_t> { Card(13, 1) });
        m_scene->CheckSelection();
        m_scene->OnBtnThrow();
        EXPECT_EQ(m_scene->GetButton(Button::Throw)->IsActive(), answer.turn_back) << answer.code;
        m_scene->Hand()->LowerAllCards();
    }
}

TEST_F(PlDkGameSceneTest, RoundEndLinesPadNamesUpToTwentyBytes)
{
    const struct {
        std::string name;
        size_t spaces;
    } cases[] = { { std::string(18, 'a'), 1 }, { std::string(19, 'b'), 0 }, { std::string(25, 'c'), 0 },
                  { "玩家", 15 } };
    for (const auto& c : cases) {
        client::CopyTextField(m_app.Records().Seat(1)->name, c.name);
        m_chat.lines.clear();
        m_scene->OnRoundEnd();
        ASSERT_GE(m_chat.lines.size(), 4u);
        const std::string expected = " <c=2302755>[" + c.name + "]"
            + std::string(c.spaces, ' ') + "<c=2302755>+0分\r\n";
        EXPECT_EQ(m_chat.lines[3], expected) << c.name;
    }
}

TEST_F(PlDkGameSceneTest, ThrowSoundsByTypeAndCount)
{
    const struct {
        int32_t type;
        int32_t count;
        const char* sound;
    } cases[] = {
        { rules::CARD_TYPE_BOMB, 3, "" },          { rules::CARD_TYPE_BOMB, 4, "Snd_Bomb4" },
        { rules::CARD_TYPE_BOMB, 5, "Snd_Bomb5" }, { rules::CARD_TYPE_BOMB, 6, "Snd_Bomb6" },
        { rules::CARD_TYPE_BOMB, 7, "Snd_Bomb78" }, { rules::CARD_TYPE_BOMB, 12, "Snd_Bomb78" },
        { rules::CARD_TYPE_FOUR_JOKERS, 4, "Snd_4King" }, { rules::CARD_TYPE_510K, 3, "Snd_Bomb4" },
        { rules::CARD_TYPE_510K_SUITED, 3, "Snd_Bomb4" }, { rules::CARD_TYPE_STRAIGHT, 5, "Snd_Throw" },
    };
    for (const auto& c : cases) {
        m_scene->PlayThrowSound(c.type, c.count);
        EXPECT_EQ(Sounds(), *c.sound ? std::vector<std::string> { c.sound } : std::vector<std::string> {})
            << c.type << " x" << c.count;
    }
}

TEST_F(PlDkGameSceneTest, ClockAtZeroSendsTimeoutsAndTogglesAutoPlayOnTheOwnTurn)
{
    Deal({ Card(3, 0) }, 1);
    m_app.GetGameState().SetTableWord14(0);
    m_scene->StartTurn();
    engine::CGuiDigitText* clock = m_scene->GetClock();
    clock->Activate();
    clock->SetValue(1);
    m_scene->OnClockTick();
    EXPECT_EQ(clock->GetValue(), 0);
    EXPECT_EQ(m_scene->auto_play_presses, 0);
    // Zero ticks: the time-out plays (own lead: the single is thrown) and
    // switches auto-play on; ticks 3, 13 and 23 press auto-play again while
    // the turn stays and send GAMEDATA_TIMEOUT.
    std::vector<int> timeouts;
    for (int tick = 1; tick <= 23; ++tick) {
        m_connection.sent.clear();
        m_scene->OnClockTick();
        for (const auto& [id, bytes] : m_connection.sent)
            if (id == client::GR_SEND_GAME_DATA && WordOf(bytes, 2) == GAMEDATA_TIMEOUT)
                timeouts.push_back(tick);
        if (tick == 1) {
            EXPECT_EQ(RequestIds().front(), client::GR_THROW_CARDS);
            EXPECT_TRUE(m_scene->IsAutoPlay());
        }
        if (tick == 3) {
            EXPECT_FALSE(m_scene->IsAutoPlay()) << "the second press switches it off";
        }
    }
    EXPECT_EQ(timeouts, (std::vector<int> { 3, 13, 23 }));
    EXPECT_EQ(m_scene->auto_play_presses, 4);
    EXPECT_EQ(m_scene->GetTimeoutCount(), 1);

    // Not the own turn: the zero ticks only send the time-outs.
    m_app.GetGameState().SetTableWord14(2);
    clock->SetValue(1);
    m_scene->OnClockTick();
    for (int tick = 1; tick <= 3; ++tick)
        m_scene->OnClockTick();
    EXPECT_EQ(m_scene->auto_play_presses, 4);
}

TEST_F(PlDkGameSceneTest, TimeOutWhileJudgingAsksWithTheFirstSmallCardAndAwaitsTheAnswer)
{
    // The answer to the judging request starts play: it is a query, as the
    // partner step's, whose answer comes back through the notification road.
    Deal({ Card(1, 0), Card(5, 1) }, 2);
    m_app.GetGameState().SetTableWord14(0);
    m_app.GetGameState().SetTableWord15(0x10);
    m_scene->OnTurnTimeout();
    using Sent = std::vector<std::pair<int32_t, bool>>;
    EXPECT_EQ(m_scene->game_data, (Sent { { GAMEDATA_JUDGE_SINGLE_WIN, true } }));
    ASSERT_EQ(m_connection.sent.size(), 1u);
    EXPECT_EQ(WordOf(m_connection.sent[0].second, 6), Card(5, 1));
    EXPECT_EQ(m_scene->auto_play_presses, 0);
}

// The main window hears the connection is lost: the table closes with it.
// Its clock stops, and neither auto-play nor a time-out sends anything, also
// for a turn that reaches the table after the loss.
TEST_F(PlDkGameSceneTest, ALostConnectionClosesTheTableItsClockAndItsPlays)
{
    LinkTable(m_app, m_chat, m_connection, 100, m_scene);
    Deal({ Card(3, 0), Card(5, 1), Card(9, 2) }, 3);
    Hooks().OnCardsThrown(ReadPlayEvent(1, 0, { Card(4, 0) }));
    m_scene->StartClock();
    m_scene->GetClock()->SetValue(5);
    m_scene->OnBtnAutoPlay();
    ASSERT_TRUE(m_scene->IsAutoPlay() && m_scene->GetButton(Button::Throw)->IsActive());
    m_connection.sent.clear();

    client::CGameFrameWnd window(m_app);
    window.OnConnectionLost();
    EXPECT_FALSE(m_scene->GetClock()->IsActive());
    EXPECT_FALSE(m_scene->GetButton(Button::Throw)->IsActive());
    Run(25000);
    // The turn comes round again (a message read before the loss was told).
    Hooks().OnPlayerPassed(PassEvent(3, 0));
    m_scene->StartClock();
    m_scene->OnClockTick();
    m_scene->OnTurnTimeout();
    Run(25000);
    EXPECT_TRUE(m_connection.sent.empty()) << m_connection.sent.front().first;
    EXPECT_TRUE(m_scene->game_data.empty());
    EXPECT_FALSE(m_scene->GetClock()->IsActive() || m_scene->GetButton(Button::Throw)->IsActive());
}

// Whatever road a play, a judging answer or auto-play takes at a closed
// table, nothing is sent and auto-play stays off: the own turn comes round
// after the loss (a play read before it) and the player presses on.
TEST_F(PlDkGameSceneTest, AClosedTableSendsNothingOnAnyRoad)
{
    LinkTable(m_app, m_chat, m_connection, 100, m_scene);
    Deal({ Card(3, 0), Card(5, 1), Card(9, 2) }, 3);
    client::CGameFrameWnd window(m_app);
    window.OnConnectionLost();
    Hooks().OnCardsThrown(ReadPlayEvent(1, 0, { Card(4, 0) }));
    const auto event = [&](uint32_t id, uintptr_t param1 = 0) {
        (void)m_scene->OnEvent(engine::EngineEvent { m_scene->GetId(), id, param1, 0 });
    };
    const auto raise = [&] { (void)m_scene->Hand()->RaiseCards(std::vector<int32_t> { Card(9, 2) }); };
    const uint32_t own_sprite = m_scene->GetSprite(m_scene->Hand()->FindSpriteByCard(Card(5, 1)))->GetId();
    const struct {
        const char* road;
        int32_t table_word15; // 0x10: the round is being judged
        std::function<void()> act;
        int auto_play_presses;
    } roads[] = {
        { "time-out", 0x101, [&] { m_scene->OnTurnTimeout(); }, 0 },
        { "judging time-out", 0x10, [&] { m_scene->OnTurnTimeout(); }, 0 },
        { "judging click", 0x10, [&] { event(GAMEMSGEX_JUDGE_SINGLE_WIN, own_sprite); }, 0 },
        { "出牌", 0x101, [&] { raise(); event(GAMEMSG_BTN_THROW); }, 0 },
        { "right click", 0x101, [&] { raise(); event(GAMEMSG_CARD_RBUTTON_DOWN, own_sprite); }, 0 },
        // No button leads here at a closed table; the send refuses all the same.
        { "the throw's send", 0x101,
          [&] {
              EXPECT_EQ(m_scene->ThrowSelection(std::vector<int32_t> { Card(9, 2) }),
                        client::GR_CARD_REQUEST_NOT_SENT);
          },
          0 },
        { "托管", 0x101, [&] { event(GAMEMSG_BTN_AUTO_PLAY); }, 1 },
    };
    for (const auto& road : roads) {
        m_app.GetGameState().SetTableWord15(road.table_word15);
        m_connection.sent.clear();
        const int presses = m_scene->auto_play_presses;
        road.act();
        EXPECT_TRUE(m_connection.sent.empty()) << road.road;
        EXPECT_EQ(m_scene->auto_play_presses - presses, road.auto_play_presses) << road.road;
        EXPECT_FALSE(m_scene->IsAutoPlay()) << road.road;
        EXPECT_FALSE(m_scene->GetButton(Button::Throw)->IsActive()) << road.road;
        m_scene->Hand()->LowerAllCards();
    }
}

TEST_F(PlDkGameSceneTest, ServerChairsAndCountsAreChecked)
{
    Deal({ Card(3, 0), Card(4, 0) }, 2);
    m_app.GetGameState().SetTableWord14(2);
    using Hook = std::function<void(client::ICardGameSceneHooks&)>;
    const std::pair<const char*, Hook> cases[] = {
        { "play of chair 4", [](auto& h) { h.OnCardsThrown(PlayEvent(4, 0, rules::CARD_TYPE_SINGLE, { 1 })); } },
        { "play of chair -1", [](auto& h) { h.OnCardsThrown(PlayEvent(-1, 0, rules::CARD_TYPE_SINGLE, { 1 })); } },
        { "pass of chair 9", [](auto& h) { h.OnPlayerPassed(PassEvent(9, 0, true, 1, 5)); } },
        { "hand of chair 5", [](auto& h) { h.OnSetHandCards(Words(5, { { 1, 5 }, { 2, 2 } })); } },
        { "short score notice", [](auto& h) { h.OnScoreNotify(Words(17, { { 0, 1 }, { 2, 9 }, { 16, 1 } })); } },
        { "score of chair 4", [](auto& h) { h.OnScoreNotify(Words(18, { { 0, 4 }, { 17, 1 } })); } },
        { "score kind 9", [](auto& h) { h.OnScoreNotify(Words(18, { { 0, 1 }, { 2, 9 }, { 17, 9 } })); } },
        { "start of chair 8", [](auto& h) { h.OnPlayerStarted(8); } },
    };
    for (const auto& [name, hook] : cases) {
        hook(Hooks());
        EXPECT_EQ(m_scene->GetLastCardPlay().chair, -1) << name;
        EXPECT_EQ(ActiveChair(), 2) << name;
        EXPECT_EQ(Count(0, CARD_STATE_HAND) + Count(1, CARD_STATE_HAND), 4) << name;
        EXPECT_TRUE(m_chat.lines.empty()) << name;
        EXPECT_TRUE(Sounds().empty()) << name;
    }
    // A count past 64 or past the body is cut to the cards given; the turn
    // to a chair outside the table stays where it is.
    Hooks().OnCardsThrown(PlayEvent(1, 7, rules::CARD_TYPE_PAIR, { Card(5, 0), Card(5, 1) }));
    EXPECT_EQ(Count(1, CARD_STATE_PLAYED), 2);
    EXPECT_EQ(ActiveChair(), 2);
    std::vector<uint8_t> huge = PlayEvent(2, 3, rules::CARD_TYPE_PAIR, { Card(5, 2), Card(5, 3) });
    platform::StoreU32LE(huge.data() + 60, 1000);
    Hooks().OnCardsThrown(huge);
    EXPECT_EQ(Count(2, CARD_STATE_PLAYED), 2);
    EXPECT_EQ(m_scene->GetLastCardPlay().chair, 2);

    // Score cards: a body short of its chair word (104 bytes) or a chair
    // outside the table gives no corner away.
    m_scene->OnScoreCards(Words(25, { { 0, Card(4, 0) }, { 24, 1 } }));
    m_scene->OnScoreCards(Words(26, { { 0, Card(4, 0) }, { 24, 1 }, { 25, 4 } }));
    EXPECT_EQ(m_scene->GetScoreSpritesUsed(), 0);
    m_scene->OnScoreCards(Words(26, { { 0, Card(4, 0) }, { 24, 1 }, { 25, 3 } }));
    EXPECT_EQ(m_scene->GetScoreSpritesUsed(), 1);

    // A player who left: only a chair of the table is cleared.
    client::GameUserRecord user {};
    user.chair = 6;
    m_scene->OnPlayerLeft(user);
    user.chair = 1;
    m_scene->GetChairBoard(1)->SetPlayer(1);
    m_scene->OnPlayerLeft(user);
    EXPECT_EQ(m_scene->GetChairBoard(1)->GetChair(), -1);

    // Points of any size are summed as 32-bit words wrap, never past them.
    const std::vector<uint8_t> big_score = Words(18, { { 0, 2 }, { 3, INT32_MAX }, { 17, 1 } });
    Hooks().OnScoreNotify(big_score);
    Hooks().OnScoreNotify(big_score);
    EXPECT_EQ(m_app.GetGameState().GetTableData().points_won[2], -2);
    m_app.GetGameState().GetTableData().hand_points[3] = INT32_MIN;
    m_scene->ResumeGame();
    Hooks().OnCardsThrown(PlayEvent(3, 0, rules::CARD_TYPE_SINGLE, { Card(4, 0) }));
    EXPECT_EQ(m_scene->GetHandPoints(3), INT32_MAX - 4);
}

} // namespace
} // namespace scene::test

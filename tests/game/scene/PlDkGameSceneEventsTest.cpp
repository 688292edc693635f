// This game's table events and chair rules: the settings board and sound
// settings, sorting and arranged groups, auto-play with its game data, the
// quick-talk panel's rows and phrases, score cards, events on missing objects,
// and the chairs, turn and card sizes of the four seats.
#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "client/CCardGameConnection.h"
#include "client/CPlDkGameState.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/InputState.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/rules/CardTestSupport.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/FlippedCardSprite.h"
#include "game/scene/GameSetBoard.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkSeatBoard.h"
#include "game/scene/SceneRecorders.h"
#include "game/scene/TableLayout.h"
#include "game/scene/TableMessages.h"
#include "platform/ByteOrder.h"

namespace scene::test {
namespace {

using rules::test::Card;

class PlDkEventsTest : public BoardTest {
protected:
    PlDkEventsTest()
    {
        AddCardImages(50, 68);
        AddImage("PlayerBoardSmall", 200, 60, 3);
        for (const char* name : { "btnThrow", "btnPass", "btnRemaind", "btn_StartGame", "btn_change", "理牌", "恢复",
                                  "btn_AutoPlay", "btn_CancelAutoPlay" })
            AddImage(name, 60, 30, 4);
        AddImage("chat", 120, 80, 5);
        LinkTable(m_app, m_chat, m_connection);
        m_scene = AddScene<CPlDkGameScene>({ 0, 0, 1000, 700 });
    }
    ~PlDkEventsTest() override { m_engine.m_objects->DestroyObject(m_scene->GetId()); }

    int Send(uint32_t id, uintptr_t param1 = 0, uintptr_t param2 = 0)
    {
        return m_scene->OnEvent(engine::EngineEvent { m_scene->GetId(), id, param1, param2 });
    }
    // The own hand becomes these cards, in this order, the first `raised` raised.
    void GiveOwnHand(const std::vector<int32_t>& cards)
    {
        size_t next = 0;
        for (int i = 0; i < m_scene->Sprites().Count(); ++i) {
            CardSpriteState& s = m_scene->Sprites().At(i);
            s = CardSpriteState {};
            if (next < cards.size()) {
                s.card = cards[next];
                s.chair = 0;
                s.view = 0;
                s.state = CARD_STATE_HAND;
                s.row_index = static_cast<int32_t>(next);
                s.x = 100 + 20 * static_cast<int32_t>(next);
                s.face_up = true;
                ++next;
            }
        }
    }
    void Raise(std::initializer_list<int32_t> cards)
    {
        for (int32_t card : cards)
            m_scene->Sprites().At(m_scene->Hand()->FindSpriteByCard(card)).raised = true;
    }
    // The own cards in hand order.
    std::vector<int32_t> Hand()
    {
        std::array<int32_t, 64> out {};
        const int n = m_scene->Hand()->GetHandCards(out);
        return { out.begin(), out.begin() + n };
    }
    int32_t GroupOf(int32_t card)
    {
        return m_scene->Sprites().At(m_scene->Hand()->FindSpriteByCard(card)).group;
    }
    bool ArrangeOffered() const
    {
        return m_scene->GetArrangeButton()->IsActive() && !m_scene->GetRestoreButton()->IsActive();
    }

    // The game data sent: sub-id and body words (after the 20-byte head).
    std::vector<std::pair<int32_t, std::vector<int32_t>>> Sent() const
    {
        std::vector<std::pair<int32_t, std::vector<int32_t>>> out;
        for (const auto& [id, bytes] : m_connection.sent) {
            if (id != client::GR_SEND_GAME_DATA || bytes.size() < 20)
                continue;
            std::vector<int32_t> words;
            for (size_t at = 20; at + 4 <= bytes.size(); at += 4)
                words.push_back(static_cast<int32_t>(platform::LoadU32LE(bytes.data() + at)));
            out.emplace_back(static_cast<int32_t>(platform::LoadU32LE(bytes.data() + 8)), words);
        }
        return out;
    }

    CChatSink m_chat;
    CRecordingConnection m_connection { m_app };
    CPlDkGameScene* m_scene {};
};

TEST_F(PlDkEventsTest, SettingsBoardTogglesAndSoundSettingsReachTheMusicModule)
{
    CGameSetBoard* board = m_scene->GetSetBoard();
    ASSERT_NE(board, nullptr);
    EXPECT_FALSE(board->IsActive()) << "hidden until the frame's settings button";
    EXPECT_EQ(Send(GAMEMSG_TOGGLE_GAMESET_BOARD), 0);
    EXPECT_TRUE(board->IsActive());
    EXPECT_NEAR(board->GetZ(), CPlDkGameScene::SETTINGS_BOARD_DEPTH, 1.0);
    (void)Send(GAMEMSG_TOGGLE_GAMESET_BOARD);
    EXPECT_FALSE(board->IsActive());

    struct Case {
        int32_t effects, music;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        // Effects off mute the module; the music is started unmuted between.
        { 0, 1, { "flag 1", "flag 0", "play default 10000 0", "flag 1" } },
        { 1, 1, { "flag 0", "play default 10000 0" } },
        { 1, 0, { "flag 0", "free default" } },
        { 0, 0, { "flag 1", "flag 0", "free default", "flag 1" } },
    };
    for (const Case& c : cases) {
        m_app.SetSoundEffectSetting(c.effects);
        m_app.SetMusicSetting(c.music);
        m_music->calls.clear();
        EXPECT_EQ(Send(GAMEMSG_SETTINGS_CHANGED), 0);
        EXPECT_EQ(m_music->calls, c.calls) << c.effects << c.music;
    }
}

TEST_F(PlDkEventsTest, ArrangedGroupsLeadTheHandAndRestoreUndoesThem)
{
    const int32_t a = Card(3, 0), b = Card(5, 1), c = Card(8, 2), d = Card(11, 3), e = Card(12, 0);
    GiveOwnHand({ a, b, c, d, e });
    Raise({ b, a });
    (void)Send(GAMEMSG_BTN_ARRANGE);
    Raise({ e });
    (void)Send(GAMEMSG_BTN_ARRANGE);
    // Sorted high to low: the second group, then the first, then the rest.
    EXPECT_EQ(Hand(), (std::vector<int32_t> { e, b, a, d, c }));
    EXPECT_EQ(GroupOf(e), 2);
    EXPECT_EQ(GroupOf(a), 1);
    EXPECT_EQ(m_scene->Hand()->CountRaisedCards(), 0);
    EXPECT_FALSE(m_scene->GetArrangeButton()->IsActive());
    EXPECT_TRUE(m_scene->GetRestoreButton()->IsActive());
    // A raised card offers 理牌 again.
    Raise({ d });
    m_scene->UpdateArrangeButtons();
    EXPECT_TRUE(ArrangeOffered());

    // Arranging with nothing raised only renumbers: group 1 emptied, 2 becomes 1.
    m_scene->Sprites().At(m_scene->Hand()->FindSpriteByCard(d)).raised = false;
    for (int32_t card : { a, b })
        m_scene->Sprites().At(m_scene->Hand()->FindSpriteByCard(card)).group = 0;
    (void)Send(GAMEMSG_BTN_ARRANGE);
    EXPECT_EQ(GroupOf(e), 1);

    (void)Send(GAMEMSG_BTN_RESTORE);
    for (int32_t card : { a, b, c, d, e })
        EXPECT_EQ(GroupOf(card), 0) << card;
    EXPECT_EQ(Hand(), (std::vector<int32_t> { e, d, c, b, a }));
    EXPECT_TRUE(ArrangeOffered());
}

TEST_F(PlDkEventsTest, SortButtonsStepTheSortTypeAndClearTheGroups)
{
    GiveOwnHand({ Card(3, 0), Card(5, 1), Card(9, 2) });
    Raise({ Card(5, 1) });
    (void)Send(GAMEMSG_BTN_ARRANGE);
    ASSERT_EQ(GroupOf(Card(5, 1)), 1);
    auto press = [this](uint32_t id) {
        (void)m_scene->OnButtonEvent(engine::EngineEvent { m_scene->GetId(), id, 0, 0 });
        return m_scene->GetSortType();
    };
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_SIZE), 4);
    EXPECT_EQ(GroupOf(Card(5, 1)), 0) << "every sort undoes the groups";
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_SIZE), 1);
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_SUIT), 3);
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_SIZE), 4) << "back to 1 first, then toggled";
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_COUNT), 6);
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_COUNT), 5);
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_SUIT), 3);
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_SUIT), 5);
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_SIZE), 1);
    EXPECT_EQ(m_scene->GetHintIndex(), 0);
}

TEST_F(PlDkEventsTest, AutoPlaySwitchesAtOnceWithoutTellingTheTableAndKeepsItsCoolDown)
{
    (void)Send(GAMEMSG_BTN_AUTO_PLAY);
    EXPECT_TRUE(m_scene->IsAutoPlay());
    // A click on the table switches it off again.
    (void)Send(GAMEMSG_CHARACTER_AREA);
    EXPECT_FALSE(m_scene->IsAutoPlay());
    EXPECT_TRUE(m_connection.sent.empty());

    m_engine.m_clock.Advance(4200);
    (void)Send(GAMEMSG_BTN_AUTO_PLAY);
    ASSERT_FALSE(m_chat.lines.empty());
    EXPECT_NE(m_chat.lines.back().find("您还需要1秒"), std::string::npos);
    EXPECT_FALSE(m_scene->IsAutoPlay());
    m_engine.m_clock.Advance(800);
    (void)Send(GAMEMSG_BTN_AUTO_PLAY);
    EXPECT_TRUE(m_scene->IsAutoPlay());
    EXPECT_TRUE(m_connection.sent.empty());

    // The table's word on other chairs marks their seats only; a chair off
    // the table is ignored.
    m_scene->OnGameData(GameData(GAMEDATA_AUTOPLAY_OFF, { 1 }));
    EXPECT_TRUE(m_scene->IsAutoPlay());
    m_scene->OnGameData(GameData(GAMEDATA_AUTOPLAY_ON, { 3 }));
    EXPECT_TRUE(m_scene->IsAutoPlay());
    m_scene->OnGameData(GameData(GAMEDATA_AUTOPLAY_OFF, { 0 }));
    EXPECT_FALSE(m_scene->IsAutoPlay());
    m_scene->SetAutoPlayOn(7);
    m_scene->SetAutoPlayOff(-1);

    // An onlooker cannot hand the watched seat to auto-play.
    m_app.Records().Launch().look_on = 1;
    const size_t sent = m_connection.sent.size();
    (void)Send(GAMEMSG_BTN_AUTO_PLAY);
    EXPECT_FALSE(m_scene->IsAutoPlay());
    EXPECT_EQ(m_connection.sent.size(), sent);
}

// A click on 取消托管 is a press, which reaches the table's background too
// (naming the button's picture as the object under the pointer), then the
// button's click: the press must leave auto-play to the click, or the click
// reads as a second switch-on within the cool-down.
TEST_F(PlDkEventsTest, ClickingCancelAutoPlayEndsItWithoutTheCoolDownLine)
{
    engine::CGuiButton* button = m_scene->GetButton(CCardGameScene::Button::AutoPlay);
    ASSERT_NE(button, nullptr);
    engine::InputState press {};
    const auto click = [&](uint32_t hit) {
        press.hovered = hit;
        (void)Send(GAMEMSG_CHARACTER_AREA, 0, reinterpret_cast<uintptr_t>(&press));
        if (hit != 0)
            (void)Send(GAMEMSG_BTN_AUTO_PLAY);
    };
    (void)Send(GAMEMSG_BTN_AUTO_PLAY);
    ASSERT_TRUE(m_scene->IsAutoPlay());
    click(button->GetVisual()->GetId());
    EXPECT_FALSE(m_scene->IsAutoPlay());
    EXPECT_TRUE(m_chat.lines.empty()) << m_chat.lines.front();
    // A press on nothing still ends it.
    m_engine.m_clock.Advance(6000);
    click(button->GetVisual()->GetId());
    ASSERT_TRUE(m_scene->IsAutoPlay());
    click(0);
    EXPECT_FALSE(m_scene->IsAutoPlay());
}

TEST_F(PlDkEventsTest, TalkPanelRowsAreTenOf26PixelsFrom30Down)
{
    struct Case {
        int32_t x, y, row;
    };
    const Case cases[] = {
        { 50, 29, -1 }, { 50, 30, -1 }, { 50, 31, -1 }, { 50, 32, 0 },  { 50, 54, 0 },   { 50, 55, -1 },
        { 50, 58, 1 },  { 50, 288, 9 }, { 50, 292, -1 }, { 50, 300, -1 }, { 50, 301, -1 },
        { 9, 100, -1 }, { 10, 100, 2 }, { 300, 100, 2 }, { 301, 100, -1 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CPlDkGameScene::TalkPanelRow(c.x, c.y, 320), c.row) << c.x << ',' << c.y;

    // Through the click on a panel of 320 x 340 centred at (500, 400): the
    // row chosen, then said as the page's phrase.
    engine::CCanvasObject* panel = m_scene->NewCanvasObject(320, 340, 0xFF00FF);
    panel->MoveTo(500, 400);
    m_scene->SetTalkPanel(panel);
    engine::InputState point;
    point.x = 500 - 160 + 50;
    point.y = 400 - 170 + 59;
    (void)Send(GAMEMSG_VOICE_PANEL_2);
    EXPECT_EQ(Send(GAMEMSG_TALK_PANEL_CLICK, 0, reinterpret_cast<uintptr_t>(&point)), 0);
    EXPECT_EQ(m_scene->GetTalkRow(), 1);
    (void)Send(GAMEMSGEX_JUDGE_PLAY_SND);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].first, GAMEDATA_JUDGE_PLAY_SND);
    EXPECT_EQ(Sent()[0].second, (std::vector<int32_t> { 0, 11 }));
    point.y = 400 - 170 + 295;   // the eleventh row is no row
    (void)Send(GAMEMSG_TALK_PANEL_CLICK, 0, reinterpret_cast<uintptr_t>(&point));
    EXPECT_EQ(m_scene->GetTalkRow(), -1);
    (void)Send(GAMEMSGEX_JUDGE_PLAY_SND);
    EXPECT_EQ(m_connection.sent.size(), 1u);
}

TEST_F(PlDkEventsTest, QuickTalkReceivedShowsTheLineAndTheBubbleForAWhile)
{
    m_scene->OnGameData(GameData(GAMEDATA_JUDGE_PLAY_SND, { 2, 1 }));
    ASSERT_EQ(m_chat.lines.size(), 1u);
    EXPECT_EQ(m_chat.lines[0], " player2说：有炸弹没？\r\n");
    const engine::CCanvasObject* bubble = m_scene->GetChatBubble(m_scene->ChairToView(2));
    Run(100);
    EXPECT_TRUE(bubble->IsActive());
    Run(1600);
    EXPECT_FALSE(bubble->IsActive());

    // Chairs and phrases outside the table and the list, and short bodies.
    m_chat.lines.clear();
    for (const auto& body : { GameData(GAMEDATA_JUDGE_PLAY_SND, { 4, 1 }), GameData(GAMEDATA_JUDGE_PLAY_SND, { -1, 1 }),
                              GameData(GAMEDATA_JUDGE_PLAY_SND, { 1, 20 }), GameData(GAMEDATA_JUDGE_PLAY_SND, { 1, -1 }),
                              GameData(GAMEDATA_JUDGE_PLAY_SND, { 1 }), GameData(GAMEDATA_JUDGE_PLAY_SND, { 1, 3 }, 4),
                              GameData(GAMEDATA_JUDGE_PLAY_SND, { 1, 3 }, 12) })
        m_scene->OnGameData(body);
    EXPECT_TRUE(m_chat.lines.empty());
}

TEST_F(PlDkEventsTest, ScoreCardsBeyondTheCornersAreDroppedAndChairsChecked)
{
    std::vector<int32_t> words(26, -1);
    for (int i = 0; i < 20; ++i)
        words[size_t(i)] = Card(4, i % 4, i / 4 % 2);
    words[24] = 20;
    words[25] = 1;
    m_scene->OnGameData(GameData(GAMEDATA_SCORE_CARDS, words));
    EXPECT_EQ(m_scene->GetScoreSpritesUsed(), 20);
    words[24] = 64;   // more than the corners left
    m_scene->OnGameData(GameData(GAMEDATA_SCORE_CARDS, words));
    EXPECT_EQ(m_scene->GetScoreSpritesUsed(), CPlDkGameScene::SCORE_SPRITES);
    for (int i = 0; i < CPlDkGameScene::SCORE_SPRITES; ++i)
        EXPECT_EQ(m_scene->GetScoreSprite(i)->Record().chair, 1) << i;
    m_scene->ResetTable();
    words[25] = 4;
    m_scene->OnGameData(GameData(GAMEDATA_SCORE_CARDS, words));
    words[25] = 2;
    words[24] = -3;
    m_scene->OnGameData(GameData(GAMEDATA_SCORE_CARDS, words));
    EXPECT_EQ(m_scene->GetScoreSpritesUsed(), 0);
}

TEST_F(PlDkEventsTest, EventsOnMissingObjectsAreConsumedWithoutEffect)
{
    ASSERT_EQ(m_scene->GetTalkPanel(), nullptr);
    ASSERT_EQ(m_scene->GetCardCounter(), nullptr);
    engine::InputState point;
    for (const uint32_t id : { GAMEMSG_SAVE_REPLAY, GAMEMSG_TALK_PANEL_CLICK, GAMEMSG_TALK_PANEL_DRAG,
                               GAMEMSG_TALK_PANEL_CLOSE, GAMEMSG_VOICE_PANEL_2, GAMEMSG_BTN_CARD_COUNTER,
                               GAMEMSGEX_JUDGE_PLAY_SND })
        EXPECT_EQ(Send(id, 0, reinterpret_cast<uintptr_t>(&point)), 0) << id;
    EXPECT_EQ(m_scene->GetTalkRow(), -1);
    EXPECT_TRUE(m_chat.lines.empty());
    EXPECT_TRUE(m_connection.sent.empty());
    // An onlooker's judging press answers 1 and sends nothing.
    m_app.Records().Launch().look_on = 1;
    EXPECT_EQ(Send(GAMEMSGEX_JUDGE_SINGLE_WIN), 1);
    EXPECT_TRUE(m_connection.sent.empty());
    // A replay's player sends no game data of any kind.
    m_app.Records().Launch().look_on = 0;
    m_app.SetReplayMode(1);
    m_scene->SendJudgeSingleWin();
    (void)Send(GAMEMSGEX_JUDGE_PLAY_SND);
    EXPECT_EQ(m_scene->SendGameData(GAMEDATA_REJOIN, {}, CCardGameScene::GameDataQuery::Yes), client::GR_CARD_REQUEST_NOT_SENT);
    EXPECT_TRUE(m_connection.sent.empty());
    m_app.SetReplayMode(0);
    m_app.SetRunMode(client::RUN_MODE_HALL); // a replay's mode ran stand-alone
    m_scene->SendJudgeSingleWin();
    EXPECT_EQ(Sent().size(), 1u);
}

// --- Chair rules and layout helpers ----------------------------------------

TEST_F(PlDkEventsTest, ChairsFollowTheRingUntilTheSwapAndPartnersSitTwoAway)
{
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(m_scene->NextChair(c), (c + 1) % 4) << c;
        EXPECT_EQ(m_scene->PrevChair(c), (c + 3) % 4) << c;
        EXPECT_EQ(m_scene->ViewToChair(c), c) << c;
        EXPECT_EQ(m_scene->IsPartnerChair(c), c == 2) << c;
    }
    for (const int bad : { -1, 4 }) {
        EXPECT_EQ(m_scene->ViewToChair(bad), -1);
        EXPECT_EQ(m_scene->PrevChair(bad), -1);
        EXPECT_EQ(m_scene->NextView(bad), -1);
    }
    // The turned card's holder 0 and the other copy's holder 1 (beside it)
    // swap seats: the turn runs 0, 3, 1, 2 and 1 is the partner.
    m_scene->PlDkChairs()->SetSwap(0, 1);
    std::vector<int> order { 0 };
    for (int step = 0; step < 3; ++step)
        order.push_back(m_scene->PrevChair(order.back()));
    EXPECT_EQ(order, (std::vector<int> { 0, 3, 1, 2 }));
    EXPECT_EQ(m_scene->NextChair(m_scene->PrevChair(1)), 1);
    EXPECT_TRUE(m_scene->IsPartnerChair(1));
}

TEST_F(PlDkEventsTest, ActiveChairFromTheWireIsCheckedAndClearsItsTurnWord)
{
    client::CPlDkGameState& state = m_app.GetGameState();
    state.SetTableWord14(1);
    state.GetTableData().chair_groups[3].pass_time_limit = 20;
    for (const int bad : { -1, 4, 99 }) {
        m_scene->SetActiveChair(bad, 15);
        EXPECT_EQ(state.GetTableWord14(), 1) << bad;
    }
    m_scene->SetActiveChair(3, 15);
    EXPECT_EQ(state.GetTableWord14(), 3);
    EXPECT_EQ(state.GetTableData().chair_groups[3].pass_time_limit, 0);
    EXPECT_EQ(m_scene->GetClock()->GetValue(), 15);
    EXPECT_TRUE(m_scene->GetChairBoard(3)->IsHighlighted());
    EXPECT_FALSE(m_scene->GetChairBoard(1)->IsHighlighted());
    // Without the turn-order bit the clock waits off the screen.
    EXPECT_EQ(m_scene->GetClock()->GetX(), -1000);
    (void)state.SetTableWord15(0x100);
    m_scene->SetActiveChair(0, -1);
    EXPECT_NE(m_scene->GetClock()->GetX(), -1000);
    EXPECT_EQ(m_scene->GetClock()->GetValue(), 15) << "a negative time keeps the clock";
    // The turn staying with its chair retires nothing; moving on retires the
    // plays of the chairs it passes.
    CardSpriteState& played = m_scene->Sprites().At(0);
    played.chair = 3;
    played.state = CARD_STATE_PLAYED;
    m_scene->SetActiveChair(0, -1);
    EXPECT_EQ(played.state, CARD_STATE_PLAYED);
    m_scene->SetActiveChair(2, -1);
    EXPECT_EQ(played.state, CARD_STATE_OLD_PLAY);
}

TEST_F(PlDkEventsTest, CardSizesFollowTheMainGameWidth)
{
    const std::tuple<int32_t, int32_t, int32_t, int32_t> cases[] = {
        { 1000, 71, 50, 68 }, { 1001, 82, 50, 68 }, { 1400, 82, 50, 68 }, { 1401, 98, 71, 96 },
    };
    for (const auto& [width, large, small_width, small_height] : cases) {
        m_scene->SetArea({ 0, 0, width, 700 });
        m_scene->PublishCardMetrics(width, 700);
        EXPECT_EQ(m_scene->GetIntSetting(SETTING_LARGE_CARD_WIDTH), large) << width;
        EXPECT_EQ(m_scene->GetIntSetting(SETTING_SMALL_CARD_WIDTH), small_width) << width;
        EXPECT_EQ(m_scene->GetIntSetting(SETTING_SMALL_CARD_HEIGHT), small_height) << width;
        EXPECT_EQ(m_scene->GetIntSetting(SETTING_BOARD_SMALL_HEIGHT), 60) << width;
    }
}

TEST_F(PlDkEventsTest, PlayButtonsStartButtonCardCountsAndScoreCardsTakeTheirPlaces)
{
    // Area 1000 x 700, large cards 71 x 96 (setting 50019), boards 60 high,
    // pass button 30 high: the row at 700 - 96 - 60 - 30 - 15.
    m_scene->PublishCardMetrics(1000, 700);
    engine::CGuiButton* pass = m_scene->GetButton(CCardGameScene::Button::Pass);
    engine::CGuiButton* hint = m_scene->GetButton(CCardGameScene::Button::Hint);
    engine::CGuiButton* throw_button = m_scene->GetButton(CCardGameScene::Button::Throw);
    pass->Activate();
    m_scene->PlacePlayButtons();
    EXPECT_EQ((std::vector<double> { pass->GetX(), hint->GetX(), throw_button->GetX(), throw_button->GetY() }),
              (std::vector<double> { 420, 500, 580, 499 }));
    pass->Deactivate();
    m_scene->PlacePlayButtons();
    EXPECT_EQ(throw_button->GetX(), 500);

    // The start button in the lower middle of the area.
    m_app.Records().Room().configs = client::ROOM_CONFIG_40;
    m_scene->ShowStartButton();
    const engine::CGuiButton* start = m_scene->GetButton(CCardGameScene::Button::Start);
    EXPECT_EQ(start->GetX(), 500);
    EXPECT_EQ(start->GetY(), 525);
    EXPECT_TRUE(start->IsActive());

    // Counts show beside the other seats' fans only.
    int next = 0;
    for (int chair = 0; chair < 4; ++chair)
        for (int i = 0; i < 5; ++i) {
            CardSpriteState& s = m_scene->Sprites().At(next++);
            s = CardSpriteState {};
            s.card = chair * 5 + i;
            s.chair = chair;
            s.view = chair;
            s.state = CARD_STATE_HAND;
            s.row_index = i;
        }
    for (int chair = 0; chair < 4; ++chair)
        m_scene->RelayCards(chair);
    EXPECT_FALSE(m_scene->GetSeatBoard(0)->GetCardCount()->IsActive());
    for (int view = 1; view < 4; ++view) {
        EXPECT_TRUE(m_scene->GetSeatBoard(view)->GetCardCount()->IsActive()) << view;
        EXPECT_EQ(m_scene->GetSeatBoard(view)->GetCardCount()->GetValue(), 5) << view;
    }

    // Score cards of the own seat: the Ks at the anchor, the 10s two corner
    // widths left of it, the 5s four.
    std::vector<int32_t> words(26, -1);
    const int32_t taken[] = { Card(4, 0), Card(12, 1), Card(9, 2), Card(12, 3) };
    std::copy(std::begin(taken), std::end(taken), words.begin());
    words[24] = 4;
    words[25] = 0;
    m_scene->OnGameData(GameData(GAMEDATA_SCORE_CARDS, words));
    std::map<int32_t, double> x_of;
    for (int i = 0; i < 4; ++i) {
        const CFlippedCardSprite* corner = m_scene->GetScoreSprite(i);
        x_of[corner->Record().card] = corner->GetX();
    }
    const double corner = CFlippedCardSprite::CORNER_WIDTH;
    EXPECT_EQ(x_of[Card(12, 3)], x_of[Card(12, 1)] - corner) << "the second K of the stack";
    EXPECT_EQ(x_of[Card(9, 2)], x_of[Card(12, 1)] - 2 * corner);
    EXPECT_EQ(x_of[Card(4, 0)], x_of[Card(12, 1)] - 4 * corner);
    // Ordered by card id within each suit, suit by suit.
    EXPECT_EQ(m_scene->GetScoreSprite(0)->Record().card, Card(4, 0));
    EXPECT_EQ(m_scene->GetScoreSprite(3)->Record().card, Card(12, 3));

    // A round the server starts without the press takes the start button away.
    ASSERT_TRUE(start->IsActive());
    m_scene->OnRoundStart();
    EXPECT_FALSE(start->IsActive());
}

TEST_F(PlDkEventsTest, ChangeOfTableOffersTheButtonAgainAfterFourSeconds)
{
    engine::CGuiButton* change = m_scene->GetChangeButton();
    engine::CGuiButton* start = m_scene->GetButton(CCardGameScene::Button::Start);
    m_app.Records().Room().configs = client::ROOM_CONFIG_40 | client::ROOM_CONFIG_80;
    (void)Send(GAMEMSG_CHANGE_TABLE);
    ASSERT_EQ(m_connection.sent.size(), 1u);
    EXPECT_EQ(m_connection.sent[0].first, client::GR_CHANGE_TABLE);
    EXPECT_FALSE(change->IsVisible());
    Run(3900);
    EXPECT_FALSE(change->IsVisible());
    Run(200);
    EXPECT_TRUE(change->IsVisible());

    // A room that places its players itself: both buttons go.
    m_app.Records().Room().configs = client::ROOM_CONFIG_02;
    start->Activate();
    change->Activate();
    (void)Send(GAMEMSG_CHANGE_TABLE);
    EXPECT_FALSE(start->IsActive());
    EXPECT_FALSE(change->IsActive());
}

} // namespace
} // namespace scene::test

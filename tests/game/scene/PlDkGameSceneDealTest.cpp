// This game's table at the start of a round: which card the deal gives to
// which seat at which tick (and a round record's card count kept within the
// sprites and the hand), the seats after the turned card's swap, the result
// box built from a result record, and the marking of the last plays.
#include <cmath>
#include <string>
#include <vector>

#include "client/CPlDkGameState.h"
#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/FlippedCardSprite.h"
#include "game/scene/PlDkCardSprite.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkSeatBoard.h"
#include "game/scene/SceneRecorders.h"

namespace scene::test {
namespace {

class PlDkDealTest : public BoardTest {
protected:
    PlDkDealTest()
    {
        AddCardImages(50, 68);
        AddImage("PlayerBoardSmall", 200, 60, 3);
        AddImage(RESULT_BOX_IMAGE, 500, 320);
        LinkTable(m_app, m_chat, m_connection);
        m_scene = AddScene<CPlDkGameScene>({ 0, 0, 1000, 700 });
        for (int view = 0; view < CPlDkGameScene::SEATS; ++view)
            m_scene->GetSeatBoard(view)->SetPlayer(view);
    }
    // The scene writes to the application as it goes: before the application does.
    ~PlDkDealTest() override { m_engine.m_objects->DestroyObject(m_scene->GetId()); }
    rules::TableGameData& Data() { return m_app.GetGameState().GetTableData(); }
    // A round of `per_player` cards: the own hand 0, 4, 8 ..., the partner's
    // 2, 6, 10 ...; card 7 turned up by `holder`, its copy with `other`.
    void SetRound(int32_t per_player, int holder, int other)
    {
        Data().reserved_80 = per_player;
        for (int i = 0; i < 27; ++i) {
            Data().card_slots[i] = 4 * i;
            Data().reserved_212[i] = 4 * i + 2;
        }
        Data().head[13] = holder;
        Data().head_partner = other;
        Data().head_turned_card = holder >= 0 ? 7 : -1;
        Data().head_turned_position = holder >= 0 ? 54 : -1;
    }
    const CardSpriteState& Sprite(int index) { return m_scene->Sprites().At(index); }

    [[nodiscard]] std::string ChatText() const
    {
        std::string text;
        for (const std::string& line : m_chat.lines)
            text += line;
        return text;
    }

    CChatSink m_chat;
    CRecordingConnection m_connection { m_app };
    CPlDkGameScene* m_scene {};
};

TEST_F(PlDkDealTest, EachTickGivesTheNextSpriteToTheNextChairWithTheOwnAndOpenCardsFaceUp)
{
    // Card 7 turned up by chair 0, its copy with chair 1: after the first
    // round's partner step chair 1 is the own partner, seated at view 2.
    const struct {
        bool open_hand;
        int tick;
        int chair;
        int view;
        int32_t card;  ///< -1: face down
    } cases[] = {
        { false, 0, 0, 0, 0 },  { false, 1, 1, 1, -1 },  { false, 2, 2, 2, -1 }, { false, 3, 3, 3, -1 },
        { false, 4, 0, 0, 4 },  { false, 54, 2, 2, -1 }, { false, 107, 3, 3, -1 },
        { true, 1, 1, 2, 2 },   { true, 2, 2, 1, -1 },   { true, 105, 1, 2, 106 }, { true, 104, 0, 0, 104 },
    };
    for (const bool open_hand : { false, true }) {
        m_app.Records().Room().options = open_hand ? 1 : 0;
        SetRound(27, 0, 1);
        m_scene->ResetTable();
        m_scene->StartDeal();
        ASSERT_TRUE(m_scene->IsDealing());
        // The engine's repeating tick drives the deal: 108 ticks of 30 ms,
        // then the partner step.
        Run(4000);
        EXPECT_FALSE(m_scene->IsDealing());
        EXPECT_EQ(m_scene->GetDealCount(), 108);
        for (const auto& c : cases) {
            if (c.open_hand != open_hand)
                continue;
            const CardSpriteState& s = Sprite(c.tick);
            EXPECT_EQ(s.chair, c.chair) << c.tick;
            EXPECT_EQ(s.view, c.view) << c.tick;
            EXPECT_EQ(s.state, CARD_STATE_HAND) << c.tick;
            EXPECT_EQ(s.card, c.card) << c.tick;
            EXPECT_EQ(s.face_up, c.card >= 0) << c.tick;
            EXPECT_EQ(s.row_count, 27) << c.tick;
        }
        // The turned card went to its holder at tick 54 and the chat said so.
        EXPECT_NE(ChatText().find("player0<c=0>抓到翻牌"), std::string::npos);
        EXPECT_EQ(m_scene->GetTurnedCard()->Record().card, 7);
    }
}

TEST_F(PlDkDealTest, AfterTheDealEverySeatShowsItsCardCountAndTheTurnedCardInAReplayAsAtALiveTable)
{
    for (const bool replay : { true, false }) {
        SCOPED_TRACE(replay ? "replay" : "live");
        m_app.SetReplayMode(replay ? 1 : 0);
        SetRound(27, 0, 1);
        m_scene->ClearTable();
        m_scene->ResetTable();
        m_chat.lines.clear();
        m_scene->StartDeal();
        Run(4000);
        // Who turned the card up is told, though a replay deals at once.
        EXPECT_NE(ChatText().find("player0<c=0>抓到翻牌"), std::string::npos);
        // The partner step swapped two chairs: each count stands by its
        // own seat's plate, nearer to it than to any other.
        for (int view = 1; view < CPlDkGameScene::SEATS; ++view) {
            const engine::CGuiDigitText* count = m_scene->GetPlDkSeatBoard(view)->GetCardCount();
            ASSERT_TRUE(count->IsActive()) << view;
            EXPECT_EQ(count->GetValue(), 27) << view;
            int nearest = -1;
            double best = 1e9;
            for (int other = 0; other < CPlDkGameScene::SEATS; ++other) {
                const CPlDkSeatBoard* plate = m_scene->GetPlDkSeatBoard(other);
                const double distance = std::hypot(plate->GetX() - count->GetX(), plate->GetY() - count->GetY());
                if (distance < best) {
                    best = distance;
                    nearest = other;
                }
            }
            EXPECT_EQ(nearest, view);
        }
    }
}

TEST_F(PlDkDealTest, AfterTheDealAPressOnAnOwnCardRaisesIt)
{
    // The table's reset takes the cards' mouse away; the dealt own hand has
    // it back: a press on a card's face reaches the scene and raises that
    // card alone, its sweep mark (the tint) gone.
    m_scene->SetName(MAIN_GAME_NAME); // as the frame names it
    SetRound(27, 0, 2);
    m_scene->ResetTable();
    const auto route = [&](int index) {
        return m_scene->GetSprite(index)->GetFace()->FindEventRoute(engine::VELOTRIX_EVENT_LBUTTON_DOWN);
    };
    EXPECT_EQ(route(0), nullptr);
    m_scene->StartDeal();
    Run(5000); // the deal, then the partner step
    ASSERT_FALSE(m_scene->IsDealing());
    ASSERT_EQ(Sprite(0).chair, 0);
    const engine::RouteRecord* press = route(0);
    ASSERT_NE(press, nullptr);
    EXPECT_EQ(press->target, m_scene->GetId());
    // An arranged hand with nothing raised offers 恢复; the raised card brings 理牌 back.
    m_scene->Sprites().At(4).group = 1;
    m_scene->UpdateArrangeButtons();
    ASSERT_TRUE(m_scene->GetRestoreButton()->IsActive());
    for (const uint32_t id : { GAMEMSG_CARD_LBUTTON_DOWN, GAMEMSG_CARD_LBUTTON_UP })
        (void)m_scene->SendEvent(engine::EngineEvent { m_scene->GetId(), id, press->param1, 0 });
    EXPECT_TRUE(Sprite(0).raised);
    EXPECT_FALSE(Sprite(0).drag_mark);
    EXPECT_FALSE(Sprite(4).raised); // the own chair's next card
    EXPECT_TRUE(m_scene->GetArrangeButton()->IsActive());
    EXPECT_FALSE(m_scene->GetRestoreButton()->IsActive());
}

TEST_F(PlDkDealTest, AReplayNeitherOffersNorMakesAnArrangementOfTheRecordedHand)
{
    m_app.SetReplayMode(1);
    SetRound(27, 0, 2);
    m_scene->ResetTable();
    m_scene->StartDeal();
    Run(5000);
    ASSERT_EQ(Sprite(0).chair, 0);
    m_scene->Sprites().At(0).raised = true;
    m_scene->UpdateArrangeButtons();
    EXPECT_FALSE(m_scene->GetArrangeButton()->IsActive());
    EXPECT_FALSE(m_scene->GetRestoreButton()->IsActive());
    (void)m_scene->SendEvent(engine::EngineEvent { m_scene->GetId(), GAMEMSG_BTN_ARRANGE, 0, 0 });
    EXPECT_EQ(Sprite(0).group, 0);
    m_app.SetReplayMode(0);
}

TEST_F(PlDkDealTest, AResetTableShowsNoPointsLyingOnIt)
{
    m_scene->UpdateScorePanel(15);
    ASSERT_TRUE(m_scene->GetScorePanel()->IsActive());
    m_scene->ResetTable();
    EXPECT_FALSE(m_scene->GetScorePanel()->IsActive());
}

TEST_F(PlDkDealTest, ARoundRecordsCardCountIsKeptWithinTheSpritesAndTheHand)
{
    const struct {
        int32_t per_player;
        int dealt;
    } cases[] = { { 27, 108 }, { 28, 108 }, { 1000000, 108 }, { -5, 0 }, { 3, 12 } };
    for (const auto& c : cases) {
        m_scene->ResetTable();
        SetRound(c.per_player, 0, 2);
        m_scene->StartDeal();
        for (int tick = 0; tick < 200; ++tick)
            m_scene->OnDealTick();
        EXPECT_EQ(m_scene->GetDealCount(), c.dealt) << c.per_player;
        EXPECT_FALSE(m_scene->IsDealing()) << c.per_player;
        int in_hands = 0;
        for (int i = 0; i < m_scene->Sprites().Count(); ++i)
            in_hands += Sprite(i).state == CARD_STATE_HAND ? 1 : 0;
        EXPECT_EQ(in_hands, c.dealt) << c.per_player;
    }
}

// Round after round, each round is dealt to the seats as they sit without a
// swap, and its partner step moves exactly the plates the chat names (the
// own plate stays at the bottom, so swapping the own chair turns the rest).
TEST_F(PlDkDealTest, ThePartnerStepSeatsTheCopysHolderOppositeTheTurnedCardsHolder)
{
    const struct {
        int holder;
        int other;
        std::array<int, 4> chair_at_view;
        std::vector<int> marked;
        const char* chat;
    } rounds[] = {
        { 0, 1, { 0, 2, 1, 3 }, { 0, 1 }, "player1<c=0>与<c=3307740>player2<c=0>交换位置" },
        { 0, 1, { 0, 2, 1, 3 }, { 0, 1 }, "player1<c=0>与<c=3307740>player2<c=0>交换位置" },
        { 0, 2, { 0, 1, 2, 3 }, { 0, 2 }, "不需要交换位置" },
        { 1, 0, { 0, 3, 1, 2 }, { 0, 1 }, "player0<c=0>与<c=3307740>player3<c=0>交换位置" },
        { 2, 1, { 0, 2, 3, 1 }, { 1, 2 }, "player1<c=0>与<c=3307740>player0<c=0>交换位置" },
        { -1, -1, { 0, 1, 2, 3 }, {}, "" },
    };
    Data().head[14] = 1;  // not the own turn: the round waits for chair 1
    for (const auto& r : rounds) {
        SetRound(2, r.holder, r.other);
        m_scene->OnRoundStart();
        Run(CPlDkGameScene::DEAL_TICK_MS * 8 + 100);
        ASSERT_EQ(m_scene->GetDealCount(), 8);
        for (int view = 0; view < CPlDkGameScene::SEATS; ++view)
            EXPECT_EQ(m_scene->GetSeatBoard(view)->GetChair(), view) << r.holder << r.other << " dealt as they sit";
        m_chat.lines.clear();
        Run(1000);
        for (int view = 0; view < CPlDkGameScene::SEATS; ++view) {
            const int chair = r.chair_at_view[size_t(view)];
            EXPECT_EQ(m_scene->GetSeatBoard(view)->GetChair(), chair) << r.holder << r.other;
            EXPECT_EQ(m_scene->ChairToView(chair), view);
            // The chair's dealt cards went along with its board.
            EXPECT_EQ(Sprite(chair).view, view) << r.holder << r.other;
            const bool marked = std::find(r.marked.begin(), r.marked.end(), chair) != r.marked.end();
            EXPECT_EQ(m_scene->GetChairBoard(chair)->HasTurnedCardMark(), marked) << chair;
        }
        EXPECT_NE(ChatText().find(r.chat), std::string::npos) << ChatText();
        EXPECT_FALSE(m_scene->GetTurnedCard()->IsActive());
    }
}

TEST_F(PlDkDealTest, TheResultBoxShowsTheRowsOfTheResultRecordAndIsMadeOnce)
{
    SetRound(27, 0, 1);  // the copy's holder (1) becomes the own partner
    m_scene->StartDeal();
    m_scene->RestoreRunningGame();
    rules::PlDkGameWinResult result {};
    result.settle_score[0] = 40;
    result.settle_score[1] = 15;
    result.bomb_part[2] = 8;
    result.base.score_change[3] = -1200;
    std::vector<uint8_t> bytes(sizeof(rules::PlDkGameWinResult));
    rules::WritePlDkGameWinResult(result, bytes);
    ASSERT_TRUE(m_app.GetGameState().EndRound(bytes));
    m_text->drawn.clear();

    m_scene->ShowResultBox();
    const CPlDkResultBox* parts = m_scene->GetResultBoxParts();
    ASSERT_NE(parts, nullptr);
    engine::CCanvasObject* box = parts->GetBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsActive());
    EXPECT_EQ(box->GetX(), 500);
    // Rows: own, partner (after the swap chair 1), the next chair (2), the previous (3).
    EXPECT_EQ(DrawnTexts(), (std::vector<std::string> { "player0", "player1", "player2", "player3" }));
    EXPECT_EQ(parts->GetButton(CPlDkResultBox::Part::Continue)->GetClickEvent().id, GAMEMSG_RESULT_CONTINUE);
    EXPECT_EQ(parts->GetButton(CPlDkResultBox::Part::Close)->GetClickEvent().target, m_scene->GetId());

    m_scene->ShowResultBox();
    EXPECT_EQ(m_scene->GetResultBoxParts()->GetBox(), box);
}

TEST_F(PlDkDealTest, TheLastThrowMarksTheCardsPutAwayOfSeatsStillInTheTrick)
{
    m_scene->ShowLastThrow();
    EXPECT_TRUE(m_scene->IsLastThrowShown());
    EXPECT_FALSE(m_scene->HasLastPlay());
    m_scene->HideLastThrow();

    // Chair 1 played cards 10 and 11 (sprites 0 and 1), chair 2 card 12.
    for (int i = 0; i < 3; ++i) {
        CardSpriteState& s = m_scene->Sprites().At(i);
        s.card = 10 + i;
        s.chair = i < 2 ? 1 : 2;
        s.view = s.chair;
        s.state = CARD_STATE_PLAYED;
        s.face_up = true;
    }
    m_scene->RetirePlayedCards(-1);
    EXPECT_EQ(Sprite(0).state, CARD_STATE_OLD_PLAY);
    EXPECT_TRUE(m_scene->HasLastPlay());
    m_scene->ShowLastThrow();
    for (int i = 0; i < 4; ++i) {
        const auto* sprite = dynamic_cast<const CPlDkCardSprite*>(m_scene->GetSprite(i));
        EXPECT_EQ(sprite->m_ghost_first, i < 3) << i;
        EXPECT_TRUE(sprite->m_ghost_second) << i;
    }
    m_scene->HideLastThrow();
    EXPECT_FALSE(m_scene->IsLastThrowShown());
    EXPECT_FALSE(dynamic_cast<const CPlDkCardSprite*>(m_scene->GetSprite(0))->m_ghost_second);
}

TEST_F(PlDkDealTest, ALateEntrantGetsTheRunningRoundBackWithinItsBounds)
{
    // Chair 0 turned card 7 up, chair 1 holds the copy: chair 1 sits at view 2.
    SetRound(27, 0, 1);
    rules::TableGameData& data = Data();
    SpreadRunningRound(data, 100, 1000000);  // a played card's place out of range
    data.trick_cards[1][0] = 40;
    data.trick_cards[2][0] = 50;
    data.pass_count[2] = 2;  // chair 2 has passed since: its last play is not marked
    data.place[3] = 1;
    data.reserved_5752[1] = 2;
    data.reserved_5368[24] = 3;
    data.reserved_5368[25] = 12;
    data.reserved_5752[3] = 1000;  // more score cards than there are corners
    m_scene->ResumeGame();

    EXPECT_EQ(m_scene->GetSeatBoard(2)->GetChair(), 1);
    EXPECT_EQ(Sprite(1).view, 2);
    EXPECT_EQ(Sprite(0).card, 0);
    EXPECT_TRUE(Sprite(0).face_up);
    EXPECT_EQ(Sprite(104).state, CARD_STATE_OLD_PLAY);
    EXPECT_LT(Sprite(104).row_index, CPlDkGameScene::MAX_PLAY_CARDS);
    EXPECT_TRUE(m_scene->IsInLastPlay(40));
    EXPECT_FALSE(m_scene->IsInLastPlay(50));
    EXPECT_EQ(m_scene->GetScoreSpritesUsed(), CPlDkGameScene::SCORE_SPRITES);
    EXPECT_EQ(m_scene->GetScoreSprite(0)->Record().chair, 1);
    EXPECT_EQ(m_scene->GetScoreSprite(1)->Record().card, 12);
    EXPECT_TRUE(m_scene->IsGameOver());
    EXPECT_TRUE(m_scene->GetChairBoard(0)->HasTurnedCardMark());
    EXPECT_TRUE(m_scene->GetChairBoard(1)->HasTurnedCardMark());
    EXPECT_FALSE(m_scene->GetTurnedCard()->IsActive());
}

} // namespace
} // namespace scene::test

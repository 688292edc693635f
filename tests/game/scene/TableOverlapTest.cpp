// The table at the client's default size (1050 x 600, the side panel's 240
// beside it) with the default skin's pictures: what the player must read is
// never covered. Mid-round no piece shown (plates, card counts, points,
// hands, plays, the clock, the buttons) covers another; before a round the
// slogan's drawn part stays off the start button. The frame's smallest size
// is the smallest at which none of it meets.
#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "client/panel/CGameFrameUI.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "engine/widgets/GuiProgressBar.h"
#include "game/rules/PlDkRecords.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkSeatBoard.h"
#include "game/scene/ReplayPanel.h"
#include "game/scene/SceneRecorders.h"
#include "game/scene/SkinImages.h"
#include "game/scene/TableMessages.h"

namespace scene::test {
namespace {

constexpr engine::EngineRect TABLE { 0, 0, 1050 - 240, 600 };

// Where an object's picture lies: its size about its centre, turned by a
// quarter for the side seats' plates.
engine::EngineRect ScreenRect(const engine::CEngineObject& object)
{
    const engine::ObjectState s = object.GetState();
    const bool across = std::lround(s.angle) % 180 == 90;
    const double w = across ? s.height : s.width;
    const double h = across ? s.width : s.height;
    const auto left = static_cast<int32_t>(std::lround(s.x - w / 2));
    const auto top = static_cast<int32_t>(std::lround(s.y - h / 2));
    return { left, top, left + static_cast<int32_t>(w), top + static_cast<int32_t>(h) };
}
// The part of a 32-bit picture (frame 0) that is drawn at all, placed as the
// object showing it: its rows and columns with a pixel of some opacity
// (within `clip` when one is given).
engine::EngineRect DrawnRect(const engine::ImageRecord& image, const engine::EngineRect& placed,
                             const engine::EngineRect& clip = { INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2,
                                                                INT32_MAX / 2 })
{
    EXPECT_FALSE(image.IsPaletteImage());
    EXPECT_GE(image.pixel_bytes, uint32_t(image.width) * image.height * 4);
    if (image.IsPaletteImage() || image.pixel_bytes < uint32_t(image.width) * image.height * 4)
        return {};
    engine::EngineRect drawn { image.width, image.height, 0, 0 };
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.pixels[(size_t(y) * image.width + x) * 4 + 3] != 0 && placed.left + x >= clip.left &&
                placed.left + x < clip.right && placed.top + y >= clip.top && placed.top + y < clip.bottom)
                drawn = { std::min(drawn.left, x), std::min(drawn.top, y), std::max(drawn.right, x + 1),
                          std::max(drawn.bottom, y + 1) };
    if (drawn.IsEmpty())
        return {};
    return { placed.left + drawn.left, placed.top + drawn.top, placed.left + drawn.right,
             placed.top + drawn.bottom };
}
// A widget's picture is its visual.
engine::EngineRect ScreenRect(engine::CGuiObject& widget)
{
    return ScreenRect(*widget.GetVisual());
}

std::string Describe(const engine::EngineRect& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
        std::to_string(r.bottom) + ")";
}

class TableOverlapTest : public BoardTest {
protected:
    TableOverlapTest()
    {
        LoadSkinImages(m_paint->images, "common.kor", {
            "PlayerBoardSmall", "digit_restcard", "word_zhang", "word_fen", "ScoreDigit", "ScoreUnite",
            "btn_StartGame", "slogan", "名次", "炸弹图标", "花_图标",
            "牌正面50x68", "牌背面50x68", "牌正面71x96", "牌背面71x96",
            "牌正面82x110", "牌背面82x110", "牌正面98x132", "牌背面98x132", "分数", "分", "不出",
            "digiti_Clock", "btnThrow", "btnPass", "btnRemaind", "btn_Sort1", "btn_Sort2", "btn_Sort3",
            "btn_SortBomb", "btn_5TK", "btn_SortBig", "btn_SortType", "btn_AutoPlay", "btn_CheckResult",
            "btn_AskCardView", "btn_LastThrow", "理牌", "恢复", "手机二维码_按钮", "btn_change", "游戏信息框",
        });
        LinkTable(m_app, m_chat, m_connection);
        MakeScene();
    }
    ~TableOverlapTest() override { m_engine.m_objects->DestroyObject(m_scene->GetId()); }

    void MakeScene(const engine::EngineRect& table = TABLE)
    {
        m_scene = AddScene<CPlDkGameScene>(table);
        for (int view = 0; view < CPlDkGameScene::SEATS; ++view)
            m_scene->GetSeatBoard(view)->SetPlayer(view);
    }
    // A round joined mid-way: `held` cards in each hand, the own hand face
    // up, `played` cards of the last trick before each side seat, and score
    // points still in every side hand (so its points display shows). The
    // turn is `turn`'s, to lead or to follow a single; with `placed` the top
    // seat has come first (the finishing places are shown).
    void ResumeMidRound(int played = 2, int held = 20, int turn = 0, bool leading = false, bool placed = false)
    {
        rules::TableGameData& data = m_app.GetGameState().GetTableData();
        data.reserved_80 = 27;
        SpreadRunningRound(data, 4 * held, 0);
        data.head[14] = turn;
        data.head[16] = 20;
        data.last_play_chair = leading ? -1 : (turn + 3) % 4;
        if (!leading) {
            data.last_play.type = rules::CARD_TYPE_SINGLE;
            data.last_play.count = 1;
            data.last_play.cards[0] = 4 * held + (turn + 3) % 4;
        }
        for (int chair = 0; chair < 4; ++chair) {
            for (int i = 0; i < played && 4 * (held + i) + chair < rules::PLDK_TOTAL_CARDS; ++i) {
                // The deck's card 4 (held + i) + chair is the chair's.
                const int card = 4 * (held + i) + chair;
                data.trick_cards[chair][i] = card;
                data.deck[card] = { card, 0, 0, 0, rules::CARD_PLACE_TRICK, chair, i, played };
            }
            data.hand_points[chair] = 25;
        }
        for (int chair = 0; chair < 4; ++chair)
            data.points_won[chair] = 100;
        data.place[2] = placed ? 1 : 0;
        m_scene->ResumeGame();
        // The trick's points lie on the table.
        m_scene->UpdateScorePanel(100);
        if (turn == 0)
            m_scene->StartTurn();
        Run();
    }
    // The rectangles of the cards in a state shown at a seat.
    std::vector<engine::EngineRect> CardsAt(int view, int32_t state = CARD_STATE_HAND)
    {
        std::vector<engine::EngineRect> rects;
        for (int i = 0; i < m_scene->Sprites().Count(); ++i)
            if (const CardSpriteState& s = m_scene->Sprites().At(i);
                s.state == state && s.view == view && m_scene->GetSprite(i)->IsActive())
                rects.push_back(ScreenRect(*m_scene->GetSprite(i)->GetFace()));
        return rects;
    }
    std::vector<engine::EngineRect> HandAt(int view) { return CardsAt(view); }
    // The round's result arrives: each chair's cards left are shown face up.
    void EndRound()
    {
        rules::PlDkGameWinResult result {};
        for (int c = 0; c < 4; ++c) {
            std::fill(std::begin(result.cards_left[c]), std::end(result.cards_left[c]), -1);
            // As many cards as the chair holds, given from the last of its
            // cards in the deck.
            const int held = static_cast<int>(HandAt(c).size());
            for (int i = 0; i < held; ++i)
                result.cards_left[c][i] = 4 * (held - 1 - i) + c;
        }
        std::vector<uint8_t> bytes(rules::PLDK_GAME_WIN_BYTES);
        rules::WritePlDkGameWinResult(result, bytes);
        ASSERT_TRUE(m_app.GetGameState().EndRound(bytes));
        m_scene->GetTableHooks()->OnRoundEnd();
        Run();
    }
    // Each rectangle meets none of `others`.
    static void ExpectClear(const char* what, const engine::EngineRect& rect,
                            const std::vector<engine::EngineRect>& others)
    {
        ASSERT_FALSE(rect.IsEmpty()) << what;
        ASSERT_FALSE(others.empty()) << what;
        for (const engine::EngineRect& other : others)
            EXPECT_TRUE(engine::IntersectRects(rect, other).IsEmpty())
                << what << " " << Describe(rect) << " meets " << Describe(other);
    }

    // The last-play button pressed: the last plays are shown, the own one
    // among them.
    void ShowLastPlays()
    {
        (void)m_scene->OnEvent(engine::EngineEvent { m_scene->GetId(), GAMEMSG_BTN_LAST_THROW, 0, 0 });
        Run();
        ASSERT_TRUE(m_scene->IsLastThrowShown());
        EXPECT_FALSE(CardsAt(0, CARD_STATE_OLD_PLAY).empty());
    }

    std::vector<std::string> OverlapsAt(int32_t width, int32_t height);
    /// What covers what on the table as it stands, the turn `turn`'s.
    std::vector<std::string> OverlapsNow(int turn);

    static constexpr int SEATS = CPlDkGameScene::SEATS;
    CChatSink m_chat;
    CRecordingConnection m_connection { m_app };
    CPlDkGameScene* m_scene {};
};

// What covers what on a table of width x height mid-round, with hands of 27
// and 3 cards (five played at every seat when there are cards left to
// play), the short ones also once the first finishing place has stood the
// side seats' displays aside, at each seat's turn and the own seat's to lead
// and to follow, and with the last plays shown on the own turn: every piece
// shown (each seat's plate, card count, points, hand and play, the
// clock, every button, the points on the table and the info box) against
// every other; only the cards of one seat may lie on each other, and a
// seat's own play is put away when its turn comes. Hands, plays and buttons
// stay inside the table.
std::vector<std::string> TableOverlapTest::OverlapsAt(int32_t width, int32_t height)
{
    std::vector<std::string> found;
    const struct {
        int held;
        bool placed;
    } rounds[] = { { 27, false }, { 3, false }, { 3, true } };
    // The scene lays itself out again at the new size, as when the window is
    // resized, and each table is set up afresh on it, as between rounds. A
    // scene made for each lays out the same, but a scene leaves its pieces
    // with the module when it goes, and each card sprite made looks the scene
    // up by name past all of them: the check took a minute.
    m_scene->SetArea({ 0, 0, width, height });
    for (const auto& [held, placed] : rounds)
        for (int turn = 0; turn < SEATS; ++turn)
            // The own seat's clock and buttons differ as it leads; the
            // others' clocks do not.
            for (const bool leading : { false, true }) {
                if (leading && turn != 0)
                    continue;
                m_scene->ClearTable();
                m_scene->ResetTable();
                ResumeMidRound(5, held, turn, leading, placed);
                const auto collect = [&found](const std::vector<std::string>& lines) {
                    found.insert(found.end(), lines.begin(), lines.end());
                };
                collect(OverlapsNow(turn));
                if (!leading || 4 * held >= rules::PLDK_TOTAL_CARDS)
                    continue;
                // The trick is put away as the own seat leads: the last plays
                // shown, the own one among them. Then a single from each seat
                // brings the own turn round to follow, its single the own
                // last play; shown again, as the window is sized to this
                // size from the default.
                ShowLastPlays();
                collect(OverlapsNow(0));
                for (int chair = 0; chair < SEATS; ++chair)
                    m_scene->GetTableHooks()->OnCardsThrown(
                        PlayEvent(chair, (chair + 1) % SEATS, rules::CARD_TYPE_SINGLE, { 4 * (held - 1) + chair }));
                Run();
                EXPECT_TRUE(m_scene->GetButton(CCardGameScene::Button::Pass)->IsActive());
                collect(OverlapsNow(0));
                m_scene->SetArea(TABLE);
                ShowLastPlays();
                m_scene->SetArea({ 0, 0, width, height });
                Run();
                collect(OverlapsNow(0));
            }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

std::vector<std::string> TableOverlapTest::OverlapsNow(int turn)
{
    struct Piece {
        std::string what;
        int view;  ///< -1: the table's
        bool card;
        engine::EngineRect rect;
    };
    std::vector<Piece> pieces;
    const auto add = [&pieces](const std::string& what, int view, bool card, const engine::EngineRect& rect) {
        if (!rect.IsEmpty())
            pieces.push_back({ what, view, card, rect });
    };
    for (int view = 0; view < SEATS; ++view) {
        const std::string seat = " of " + std::to_string(view);
        const CPlDkSeatBoard* board = m_scene->GetPlDkSeatBoard(view);
        if (board->GetCardCount()->IsActive())
            add("count" + seat, view, false, ScreenRect(*board->GetCardCount()));
        if (board->GetPoints()->IsActive())
            add("points" + seat, view, false, ScreenRect(*board->GetPoints()));
        add("plate" + seat, view, false, ScreenRect(*board->GetCanvas()));
        for (const engine::EngineRect& card : HandAt(view))
            add("hand" + seat, view, true, card);
        // A seat's own play is put away when its turn comes; the last plays
        // shown stand in for the current ones, the own one on the own turn
        // too (its buttons and clock stand where it lay).
        const bool last = m_scene->IsLastThrowShown();
        if (m_scene->ChairToView(turn) != view || (last && view == 0))
            for (const engine::EngineRect& card : CardsAt(view, last ? CARD_STATE_OLD_PLAY : CARD_STATE_PLAYED))
                add((last ? "last play" : "play") + seat, view, true, card);
    }
    if (m_scene->GetClock()->IsActive())
        add("clock", -1, false, ScreenRect(*m_scene->GetClock()));
    if (m_scene->GetScorePanel()->IsActive())
        add("points on the table", -1, false, ScreenRect(*m_scene->GetScorePanel()));
    if (engine::CEngineObject* box = m_scene->GetInfoBox(); box != nullptr && box->IsActive())
        add("info box", -1, false, ScreenRect(*box));
    const struct {
        const char* name;
        engine::CGuiButton* button;
    } buttons[] = {
        { "start", m_scene->GetButton(CCardGameScene::Button::Start) },
        { "throw", m_scene->GetButton(CCardGameScene::Button::Throw) },
        { "pass", m_scene->GetButton(CCardGameScene::Button::Pass) },
        { "hint", m_scene->GetButton(CCardGameScene::Button::Hint) },
        { "singles", m_scene->GetButton(CCardGameScene::Button::Sort1) },
        { "pairs", m_scene->GetButton(CCardGameScene::Button::Sort2) },
        { "triples", m_scene->GetButton(CCardGameScene::Button::Sort3) },
        { "bombs", m_scene->GetButton(CCardGameScene::Button::SortBomb) },
        { "by size", m_scene->GetButton(CCardGameScene::Button::SortBig) },
        { "by count", m_scene->GetButton(CCardGameScene::Button::SortType) },
        { "auto-play", m_scene->GetButton(CCardGameScene::Button::AutoPlay) },
        { "results", m_scene->GetButton(CCardGameScene::Button::CheckResult) },
        { "ask to see", m_scene->GetButton(CCardGameScene::Button::AskCardView) },
        { "510K", m_scene->Get510KButton() },
        { "last play", m_scene->GetLastThrowButton() },
        { "arrange", m_scene->GetArrangeButton() },
        { "restore", m_scene->GetRestoreButton() },
        { "change table", m_scene->GetChangeButton() },
        { "QR code", m_scene->GetQrButton() },
        { "card counter", m_scene->GetCounterButton() },
    };
    for (const auto& [name, button] : buttons)
        if (button != nullptr && button->IsActive())
            add(name, -1, false, ScreenRect(*button));

    std::vector<std::string> found;
    const engine::EngineRect table { 0, 0, m_scene->GetArea().Width(), m_scene->GetArea().Height() };
    for (size_t a = 0; a < pieces.size(); ++a) {
        const Piece& p = pieces[a];
        if ((p.card || p.view < 0) && engine::IntersectRects(p.rect, table) != p.rect)
            found.push_back(p.what + " " + Describe(p.rect) + " outside the table");
        for (size_t b = a + 1; b < pieces.size(); ++b) {
            const Piece& q = pieces[b];
            if (p.card && q.card && p.view == q.view)
                continue;
            if (!engine::IntersectRects(p.rect, q.rect).IsEmpty())
                found.push_back(p.what + " " + Describe(p.rect) + " meets " + q.what + " " + Describe(q.rect));
        }
    }
    return found;
}

// The frame's smallest size is the smallest at which the table beside the
// side panel lays out clear; a little less in either direction is not.
TEST_F(TableOverlapTest, TheFramesSmallestSizeIsTheSmallestThatLaysOutClear)
{
    constexpr int32_t TABLE_WIDTH = panel::CGameFrameUI::MIN_WIDTH - panel::CGameFrameUI::SIDE_PANEL_WIDTH;
    constexpr int32_t HEIGHT = panel::CGameFrameUI::MIN_HEIGHT;
    const struct {
        int32_t width, height;
        bool clear;
    } cases[] = { { TABLE_WIDTH, HEIGHT, true },       { TABLE_WIDTH - 25, HEIGHT, false },
                  { TABLE_WIDTH, HEIGHT - 20, false }, { 1050 - 240, 600, true },
                  { 1600 - 240, 900, true } };
    for (const auto& c : cases) {
        const std::vector<std::string> found = OverlapsAt(c.width, c.height);
        std::string listed;
        for (const std::string& line : found)
            listed += line + "; ";
        EXPECT_EQ(found.empty(), c.clear) << c.width << " x " << c.height << ": " << listed;
    }
}

// The last plays shown by the last-play button, a little higher than the
// plays they were, lie clear of every hand and piece at the smallest size.
TEST_F(TableOverlapTest, AtTheSmallestSizeTheLastPlaysShownLieClear)
{
    m_engine.m_objects->DestroyObject(m_scene->GetId());
    MakeScene({ 0, 0, panel::CGameFrameUI::MIN_WIDTH - panel::CGameFrameUI::SIDE_PANEL_WIDTH,
                panel::CGameFrameUI::MIN_HEIGHT });
    ResumeMidRound(5, 20, 3);
    // Chair 3 passes, the trick ends: the five cards before each seat are its
    // last play; chair 1's turn.
    m_scene->GetTableHooks()->OnPlayerPassed(Words(9, { { 2, 3 }, { 4, 1 }, { 5, 1 }, { 6, 2 }, { 8, 15 } }));
    ShowLastPlays();
    ASSERT_EQ(CardsAt(2, CARD_STATE_OLD_PLAY).size(), 5u);
    const std::vector<std::string> found = OverlapsNow(1);
    EXPECT_TRUE(found.empty()) << ::testing::PrintToString(found);
    // Nor does any lie on its own seat's hand.
    for (int view = 0; view < SEATS; ++view)
        for (const engine::EngineRect& card : CardsAt(view, CARD_STATE_OLD_PLAY))
            ExpectClear(("last play of " + std::to_string(view)).c_str(), card, HandAt(view));
}

TEST_F(TableOverlapTest, MidRoundThePlatesAndDisplaysLeaveTheHandsClear)
{
    ResumeMidRound();
    const CPlDkSeatBoard* own = m_scene->GetPlDkSeatBoard(0);
    ExpectClear("own plate", ScreenRect(*own->GetCanvas()), HandAt(0));
    // Every seat's score (the points it took) stays off its plate once
    // counted up.
    Run(1000);
    for (int view = 0; view < CPlDkGameScene::SEATS; ++view) {
        const CPlDkSeatBoard* board = m_scene->GetPlDkSeatBoard(view);
        ASSERT_TRUE(board->GetScore()->IsActive()) << view;
        ExpectClear("score", ScreenRect(*board->GetScore()), { ScreenRect(*board->GetCanvas()) });
    }
    for (int view = 1; view < CPlDkGameScene::SEATS; ++view) {
        SCOPED_TRACE(view);
        const CPlDkSeatBoard* board = m_scene->GetPlDkSeatBoard(view);
        const std::vector<engine::EngineRect> hand = HandAt(view);
        ASSERT_TRUE(board->GetCardCount()->IsActive());
        ASSERT_TRUE(board->GetPoints()->IsActive());
        ExpectClear("card count", ScreenRect(*board->GetCardCount()), hand);
        ExpectClear("points", ScreenRect(*board->GetPoints()), hand);
        ExpectClear("plate", ScreenRect(*board->GetCanvas()), hand);
    }
}

// At a round's end the cards each seat has left are shown face up in card
// order; each side seat's count still stands beside its fan, not under it
// (the count went beside the card numbered first, drawn elsewhere).
TEST_F(TableOverlapTest, AtARoundsEndTheCountsLeaveTheShownHandsClear)
{
    ResumeMidRound();
    // A finishing place stands the displays aside.
    m_scene->GetTableHooks()->OnCardsThrown(PlayEvent(1, 2, rules::CARD_TYPE_SINGLE, { 77 }, 0, 1));
    EndRound();
    for (int view = 1; view < CPlDkGameScene::SEATS; ++view) {
        SCOPED_TRACE(view);
        engine::CGuiDigitText* count = m_scene->GetPlDkSeatBoard(view)->GetCardCount();
        ASSERT_TRUE(count->IsActive());
        ASSERT_EQ(count->GetValue(), static_cast<int32_t>(HandAt(view).size()));
        ExpectClear("card count", ScreenRect(*count), HandAt(view));
    }
}

// As the side seats play their cards one by one, each seat's count and
// points stand beside its fan at every count down to none, also once the
// first finishing place has moved the displays aside.
TEST_F(TableOverlapTest, AtEveryCountTheSideCountsStandBesideTheFans)
{
    rules::TableGameData& data = m_app.GetGameState().GetTableData();
    SpreadRunningRound(data, rules::PLDK_TOTAL_CARDS, 0);
    for (int chair = 0; chair < 4; ++chair)
        data.hand_points[chair] = 25;
    m_scene->ResumeGame();
    Run();
    for (int count = 26; count >= 0; --count) {
        for (int chair = 1; chair < CPlDkGameScene::SEATS; ++chair) {
            SCOPED_TRACE("view " + std::to_string(chair) + ", " + std::to_string(count) + " cards");
            // The chair's deck card 4 i + chair; its place ends the game at 20.
            const int32_t card = 4 * count + chair;
            m_scene->GetTableHooks()->OnCardsThrown(
                PlayEvent(chair, (chair + 1) % 4, rules::CARD_TYPE_SINGLE, { card }, 0, count == 20 ? 1 : 0));
            Run();
            const CPlDkSeatBoard* board = m_scene->GetPlDkSeatBoard(chair);
            const std::vector<engine::EngineRect> hand = HandAt(chair);
            ASSERT_EQ(hand.size(), static_cast<size_t>(count));
            ASSERT_EQ(board->GetCardCount()->IsActive(), count > 0);
            if (count == 0)
                continue;
            ExpectClear("card count", ScreenRect(*board->GetCardCount()), hand);
            ExpectClear("points", ScreenRect(*board->GetPoints()), hand);
        }
    }
}

// Once the result box is closed the start button and the slogan come up
// over the table, where the cards left are still shown: they stand clear of
// every card shown, the player's own last play included, at the smallest
// size and at the default one.
TEST_F(TableOverlapTest, AfterARoundTheStartButtonAndSloganStandClearOfEveryCardShown)
{
    for (const engine::EngineRect& table :
         { engine::EngineRect { 0, 0, panel::CGameFrameUI::MIN_WIDTH - panel::CGameFrameUI::SIDE_PANEL_WIDTH,
                                panel::CGameFrameUI::MIN_HEIGHT },
           TABLE }) {
        SCOPED_TRACE(Describe(table));
        m_engine.m_objects->DestroyObject(m_scene->GetId());
        MakeScene(table);
        ResumeMidRound();
        // The player's last play lies before it as the round ends.
        m_scene->GetTableHooks()->OnCardsThrown(PlayEvent(0, 1, rules::CARD_TYPE_SINGLE, { 0 }, 0, 0));
        Run();
        ASSERT_FALSE(CardsAt(0, CARD_STATE_PLAYED).empty());
        EndRound();
        m_scene->OnResultClose();
        Run();
        engine::CGuiButton* start = m_scene->GetButton(CCardGameScene::Button::Start);
        ASSERT_TRUE(start->IsActive());
        ASSERT_TRUE(m_scene->GetSlogan()->IsActive());
        const engine::EngineRect slogan =
            DrawnRect(*m_paint->images.at("slogan"), ScreenRect(*m_scene->GetSlogan()));
        std::vector<engine::EngineRect> cards;
        for (int view = 0; view < SEATS; ++view)
            for (const int32_t state : { CARD_STATE_HAND, CARD_STATE_PLAYED })
                for (const engine::EngineRect& card : CardsAt(view, state))
                    cards.push_back(card);
        ASSERT_FALSE(HandAt(0).empty());
        ExpectClear("start button", ScreenRect(*start), cards);
        ExpectClear("slogan", slogan, cards);
    }
}

TEST_F(TableOverlapTest, APlayerWhoLeavesTakesItsCountAndPointsAlong)
{
    ResumeMidRound();
    const CPlDkSeatBoard* board = m_scene->GetPlDkSeatBoard(m_scene->ChairToView(1));
    ASSERT_TRUE(board->GetPoints()->IsActive());
    client::GameUserRecord user {};
    user.chair = 1;
    m_scene->OnPlayerLeft(user);
    Run();
    EXPECT_FALSE(board->GetCardCount()->IsActive());
    EXPECT_FALSE(board->GetPoints()->IsActive());
}

TEST_F(TableOverlapTest, BeforeARoundTheSlogansDrawnPartLeavesTheStartButtonClear)
{
    // The slogan's top edge stands level with the start button's centre,
    // both centred on the table: the picture's upper rows must stay empty.
    m_scene->ShowStartButton();
    Run();
    engine::CGuiButton* start = m_scene->GetButton(CCardGameScene::Button::Start);
    ASSERT_TRUE(start->IsActive());
    const engine::EngineRect slogan =
        DrawnRect(*m_paint->images.at("slogan"), ScreenRect(*m_scene->GetSlogan()));
    ASSERT_FALSE(slogan.IsEmpty());
    ExpectClear("start button", ScreenRect(*start), { slogan });
}

TEST_F(TableOverlapTest, InAReplayTheBoardLeavesTheTableClear)
{
    LoadSkinImages(m_paint->images, "replay.kor",
                   { "Rep_bitBoard", "Rep_Rrogressbar", "Rep_btnPlay", "Rep_btnStop", "Rep_btnReset",
                     "Rep_btnPreStep", "Rep_btnNextStep", "Rep_btnOpenFile" });
    LoadSkinImages(m_paint->images, "common.kor", { "游戏信息框" });
    // A replay's table at the default size, the smallest and a large one: the
    // scene holds the board and places it at its start.
    constexpr int32_t SMALLEST_WIDTH = panel::CGameFrameUI::MIN_WIDTH - panel::CGameFrameUI::SIDE_PANEL_WIDTH;
    for (const auto& [width, height] : { std::pair { 810, 600 }, { SMALLEST_WIDTH, panel::CGameFrameUI::MIN_HEIGHT },
                                         { 1200, 800 } }) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        m_engine.m_objects->DestroyObject(m_scene->GetId());
        m_app.SetReplayMode(1);
        MakeScene({ 0, 0, width, height });
        m_scene->OnStart();
        auto* board = dynamic_cast<CReplayPanel*>(m_scene->GetReplayBoard());
        ASSERT_NE(board, nullptr);
        // Five cards played at each side seat, points lying on the table,
        // every seat's pass mark (where a pass would show it) and the info box.
        ResumeMidRound(5);
        m_scene->UpdateScorePanel(100);
        for (int chair = 0; chair < CPlDkGameScene::SEATS; ++chair)
            m_scene->ShowPassMark(chair, CPlDkGameScene::PLAY_TYPE_PASS);
        m_scene->ShowGameInfoBox();
        Run(1000);

        std::vector<std::pair<std::string, engine::EngineRect>> others {
            { "points", ScreenRect(*m_scene->GetScorePanel()) }, { "info box", ScreenRect(*m_scene->GetInfoBox()) }
        };
        for (int view = 0; view < CPlDkGameScene::SEATS; ++view) {
            const std::string seat = " of view " + std::to_string(view);
            others.emplace_back("pass mark" + seat, ScreenRect(*m_scene->GetSeatBoard(view)->GetMark()));
            others.emplace_back("plate" + seat, ScreenRect(*m_scene->GetPlDkSeatBoard(view)->GetCanvas()));
            for (const engine::EngineRect& card : HandAt(view))
                others.emplace_back("hand" + seat, card);
            for (const engine::EngineRect& card : CardsAt(view, CARD_STATE_PLAYED))
                others.emplace_back("played card" + seat, card);
        }
        // The whole board: what shows through its picture is under its
        // buttons and bar all the same.
        const engine::EngineRect placed = ScreenRect(*board);
        for (const auto& [what, rect] : others) {
            SCOPED_TRACE(what);
            ExpectClear("board", placed, { rect });
        }
        EXPECT_EQ(engine::IntersectRects(placed, { 0, 0, width, height }), placed) << "on the table";
    }
}

} // namespace
} // namespace scene::test

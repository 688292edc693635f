// The table at the client's default size (1050 x 600, the side panel's 240
// beside it) with the default skin's pictures: what the player must read is
// never covered. Mid-round the own plate stays off the own hand, and the side
// seats' plates and card-count and points displays off their fans; before a
// round the slogan's drawn part stays off the start button. The frame's
// smallest size is the smallest at which none of it meets.
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
            "digiti_Clock",
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
    // A round joined mid-way: 27 cards each less those played, the own hand
    // face up, `played` cards of the last trick before each side seat, and
    // score points still in every side hand (so its points display shows).
    void ResumeMidRound(int played = 2)
    {
        rules::TableGameData& data = m_app.GetGameState().GetTableData();
        data.reserved_80 = 27;
        SpreadRunningRound(data, 80, 0);
        for (int chair = 1; chair < 4; ++chair) {
            for (int i = 0; i < played; ++i) {
                // The deck's card 80 + 4i + chair is the chair's (i mod 4).
                const int card = 80 + 4 * i + chair;
                data.trick_cards[chair][i] = card;
                data.deck[card] = { card, 0, 0, 0, rules::CARD_PLACE_TRICK, chair, i, played };
            }
            data.hand_points[chair] = 25;
        }
        for (int chair = 0; chair < 4; ++chair)
            data.points_won[chair] = 100;
        m_scene->ResumeGame();
        Run();
    }
    // The rectangles of the cards in a state shown at a seat.
    std::vector<engine::EngineRect> CardsAt(int view, int32_t state = CARD_STATE_HAND)
    {
        std::vector<engine::EngineRect> rects;
        for (int i = 0; i < m_scene->Sprites().Count(); ++i)
            if (const CardSpriteState& s = m_scene->Sprites().At(i); s.state == state && s.view == view)
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

    std::vector<std::string> OverlapsAt(int32_t width, int32_t height);

    static constexpr int SEATS = CPlDkGameScene::SEATS;
    CChatSink m_chat;
    CRecordingConnection m_connection { m_app };
    CPlDkGameScene* m_scene {};
};

// What covers what on a table of the given size mid-round, five cards
// played at each side seat: the clock at each seat's turn against every
// seat's count, points, plate, hand and play; the plays of two seats.
// What covers what on a table of width x height mid-round, five cards
// played at each side seat: the clock at each of a seat's
// places against every seat's count, points, plate, hand and play; hands and
// plays of two seats; plates, counts and points against the hands; a hand
// or play outside the table.
std::vector<std::string> TableOverlapTest::OverlapsAt(int32_t width, int32_t height)
{
    m_engine.m_objects->DestroyObject(m_scene->GetId());
    MakeScene({ 0, 0, width, height });
    ResumeMidRound(5);
    std::vector<std::pair<std::string, engine::EngineRect>> parts[SEATS];
    for (int view = 0; view < SEATS; ++view) {
        const std::string seat = std::to_string(view);
        const CPlDkSeatBoard* board = m_scene->GetPlDkSeatBoard(view);
        for (engine::CEngineObject* part : { static_cast<engine::CEngineObject*>(board->GetCardCount()),
                                             static_cast<engine::CEngineObject*>(board->GetPoints()) })
            if (part->IsActive())
                parts[view].emplace_back(part == board->GetPoints() ? "points" : "count", ScreenRect(*part));
        parts[view].emplace_back("plate", ScreenRect(*board->GetCanvas()));
        for (const engine::EngineRect& card : HandAt(view))
            parts[view].emplace_back("hand", card);
        for (const engine::EngineRect& card : CardsAt(view, CARD_STATE_PLAYED))
            parts[view].emplace_back("play", card);
    }
    std::vector<std::string> found;
    const auto meet = [&found](const std::string& what, const engine::EngineRect& a, const engine::EngineRect& b) {
        if (!a.IsEmpty() && !b.IsEmpty() && !engine::IntersectRects(a, b).IsEmpty())
            found.push_back(what);
    };
    const engine::EngineRect table { 0, 0, width, height };
    for (int view = 0; view < SEATS; ++view)
        for (int mode = 0; mode < 3; ++mode) {
            const Point place = m_scene->GetSeatBoard(view)->GetAnchorPoint(mode);
            m_scene->GetClock()->MoveTo(place.x, place.y);
            const engine::EngineRect clock = ScreenRect(*m_scene->GetClock());
            for (int other = 0; other < SEATS; ++other)
                for (const auto& [what, rect] : parts[other])
                    // A seat's own play is put away when its turn comes.
                    if (other != view || what != "play")
                            meet("clock of " + std::to_string(view) + " over " + what + " of " + std::to_string(other),
                             clock, rect);
        }
    for (int a = 0; a < SEATS; ++a)
        for (int b = 0; b < SEATS; ++b)
            for (const auto& [what_a, rect_a] : parts[a])
                for (const auto& [what_b, rect_b] : parts[b])
                    if (a != b && (what_b == "hand" || what_b == "play") && (a < b || what_a != what_b))
                        meet(what_a + " of " + std::to_string(a) + " over " + what_b + " of " + std::to_string(b),
                             rect_a, rect_b);
    for (int view = 0; view < SEATS; ++view)
        for (const auto& [what, rect] : parts[view])
            if ((what == "hand" || what == "play") && engine::IntersectRects(rect, table) != rect)
                found.push_back(what + " of " + std::to_string(view) + " outside the table");
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
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
                  { TABLE_WIDTH, HEIGHT - 20, false }, { 800 - 240, 500, false },
                  { 1050 - 240, 600, true },           { TABLE_WIDTH + 200, HEIGHT + 100, true } };
    for (const auto& c : cases) {
        const std::vector<std::string> found = OverlapsAt(c.width, c.height);
        std::string listed;
        for (const std::string& line : found)
            listed += line + "; ";
        EXPECT_EQ(found.empty(), c.clear) << c.width << " x " << c.height << ": " << listed;
    }
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
// over the table, where the own cards left are still shown.
TEST_F(TableOverlapTest, AfterARoundTheOwnCardsLeftLeaveTheStartButtonAndSloganClear)
{
    ResumeMidRound();
    EndRound();
    m_scene->OnResultClose();
    Run();
    engine::CGuiButton* start = m_scene->GetButton(CCardGameScene::Button::Start);
    ASSERT_TRUE(start->IsActive());
    ASSERT_TRUE(m_scene->GetSlogan()->IsActive());
    const engine::EngineRect slogan =
        DrawnRect(*m_paint->images.at("slogan"), ScreenRect(*m_scene->GetSlogan()));
    ASSERT_FALSE(HandAt(0).empty());
    for (const engine::EngineRect& card : HandAt(0)) {
        ExpectClear("start button", ScreenRect(*start), { card });
        ExpectClear("slogan", slogan, { card });
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

#include <algorithm>

#include "client/ClientText.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/PlDkSeatBoard.h"

namespace scene::test {
namespace {

class PlDkSeatBoardTest : public BoardTest {
protected:
    PlDkSeatBoardTest()
    {
        AddImage("PlayerBoardSmall", 200, 60, 4);
        AddImage("animation_AutoPlay", 30, 30, 4);
        AddImage("animation_Ready", 40, 20);
        AddImage("digit_restcard", 8, 12, 10);
        AddImage("ScoreDigit", 10, 14, 10);
        AddImage("ScoreUnite", 14, 14);
        AddImage("word_zhang", 12, 12);
        AddImage("word_fen", 12, 12);
        AddImage("名次", 50, 30, 4);
        AddImage("炸弹图标", 40, 30);
        for (int chair = 0; chair < client::PLDK_CHAIRS; ++chair)
            m_app.Records().Seat(chair)->user_id = 100 + chair;
    }
    CPlDkSeatBoard* MakeBoard(int view)
    {
        auto owned = std::make_unique<CPlDkSeatBoard>(m_app);
        CPlDkSeatBoard* board = owned.get();
        m_engine.m_objects->AddObject(std::move(owned), nullptr);
        board->CreateChildren(view);
        board->SetMainGameRect({ 10, 20, 810, 620 });
        board->SetIntSetting(SETTING_LARGE_CARD_HEIGHT, 96);
        board->SetIntSetting(SETTING_BOARD_SMALL_HEIGHT, 60);
        return board;
    }
};

TEST_F(PlDkSeatBoardTest, BoardsPortraitsMarksAndPlacingsByView)
{
    struct Case {
        int view;
        double x, y, angle, portrait_x, portrait_y;
        Point mark, placing, anchor;
    };
    const Case cases[] = {
        { 0, 400, 570, 0, 400, 570 - 30 - 135, { 400, 400 }, { 400, 500 }, { 240, 396 } },
        { 1, 29, 300, 270, 29 + 30 + 67.5, 300, { 200, 300 }, { 95, 300 }, { 180, 300 } },
        { 2, 400, 31, 0, 400, 31 + 30 + 135, { 400, 200 }, { 400, 100 }, { 400, 180 } },
        { 3, 770, 300, 90, 770 - 30 - 67.5, 300, { 600, 300 }, { 705, 300 }, { 620, 300 } },
    };
    for (const Case& c : cases) {
        CPlDkSeatBoard* board = MakeBoard(c.view);
        board->ShowReady();
        board->ShowPlacing(2);
        board->PlaceBoard();
        EXPECT_EQ(board->GetX(), 10 + c.x) << c.view;
        EXPECT_EQ(board->GetY(), 20 + c.y) << c.view;
        EXPECT_EQ(board->GetAngle(), c.angle) << c.view;
        EXPECT_EQ(board->GetPortrait()->GetX(), 10 + c.portrait_x) << c.view;
        EXPECT_EQ(board->GetPortrait()->GetY(), 20 + c.portrait_y) << c.view;
        EXPECT_EQ(board->GetMark()->GetX(), 10 + c.mark.x) << c.view;
        EXPECT_EQ(board->GetMark()->GetY(), 20 + c.mark.y) << c.view;
        EXPECT_EQ(board->GetPlacing()->GetX(), 10 + c.placing.x) << c.view;
        EXPECT_EQ(board->GetPlacing()->GetY(), 20 + c.placing.y) << c.view;
        EXPECT_EQ(board->GetPlacing()->GetFrameImage().GetCurrentFrame(), 2u);
        EXPECT_EQ(board->GetAnchorPoint(2).x, 10 + c.anchor.x) << c.view; // Mode 2 is mode 0 here.
        EXPECT_EQ(board->GetAnchorPoint(2).y, 20 + c.anchor.y) << c.view;
    }
    // The largest cards move the marks further in.
    CPlDkSeatBoard* board = MakeBoard(1);
    board->SetIntSetting(SETTING_LARGE_CARD_HEIGHT, 132);
    board->ShowReady();
    EXPECT_EQ(board->GetMark()->GetX(), 10 + 222);
}

TEST_F(PlDkSeatBoardTest, TheNameFromThePlatesMiddleEndsOnThePlate)
{
    // Size 14 text takes 7 pixels a byte; the name starts at the middle of
    // the 200 pixels wide plate.
    const struct {
        const char* name;
        const char* drawn;
    } cases[] = {
        { "电脑9001", "电脑9001" },
        { "一二三四五六七八九十", "一二三四.." },
        { "abcdefghijklmnopqrstuvwxyz", "abcdefgh.." },
    };
    for (const auto& c : cases) {
        client::CopyTextField(m_app.Records().Seat(1)->name, c.name);
        CPlDkSeatBoard* board = MakeBoard(0);
        m_text->drawn.clear();
        board->SetPlayer(1);
        const auto drawn = std::find_if(m_text->drawn.begin(), m_text->drawn.end(),
                                        [&](const auto& d) { return d.text == c.drawn; });
        ASSERT_NE(drawn, m_text->drawn.end()) << c.name;
        EXPECT_LE(drawn->x + drawn->font_height / 2 * static_cast<int32_t>(drawn->text.size()),
                  board->GetCanvas()->GetWidth())
            << c.name;
    }
}

TEST_F(PlDkSeatBoardTest, ScoreCountsUpAndTheBombIconFollowsIt)
{
    CPlDkSeatBoard* board = MakeBoard(0);
    board->SetPlayer(0);
    board->PlaceBoard();
    board->AddScore(0);
    EXPECT_FALSE(board->GetScore()->IsActive());
    board->AddScore(25); // Steps of 3 every 30 ms, landing exactly on 25.
    EXPECT_TRUE(board->GetScore()->IsActive());
    Run(60);
    EXPECT_GT(board->GetScore()->GetValue(), 0);
    EXPECT_LT(board->GetScore()->GetValue(), 25);
    Run(1000);
    EXPECT_EQ(board->GetScore()->GetValue(), 25);
    board->AddScore(-30);
    Run(2000);
    EXPECT_EQ(board->GetScore()->GetValue(), -5);
    board->ShowBombCount(2);
    const engine::CCanvasObject* bomb = board->GetBombCanvas();
    EXPECT_TRUE(bomb->IsActive());
    // The score ends at the plate's left end.
    EXPECT_EQ(board->GetScore()->GetX() + board->GetScore()->GetVisual()->GetWidth() / 2, board->GetLeft());
    EXPECT_EQ(bomb->GetX(), board->GetScore()->GetX() + board->GetScore()->GetWidth() + 40);

    board->ResetRound();
    EXPECT_FALSE(board->GetScore()->IsActive());
    EXPECT_EQ(board->GetScore()->GetValue(), 0);
    EXPECT_FALSE(bomb->IsActive());

    m_app.SetReplayMode(1);
    board->AddScore(40); // Replays show the score at once.
    EXPECT_EQ(board->GetScore()->GetValue(), 40);
}

TEST_F(PlDkSeatBoardTest, SeatChangesAndClearingHideTheRoundParts)
{
    CPlDkSeatBoard* board = MakeBoard(3);
    board->SetPlayer(1);
    board->SetTurnedCardMark(true);
    board->AddScore(10);
    board->ShowBombCount(1);
    board->SetPoints(35);
    board->MovePoints(50, 50);
    EXPECT_EQ(board->GetPoints()->GetValue(), 35);
    EXPECT_GT(board->GetCountWidth(), 0);
    board->SetPlayer(2);
    EXPECT_FALSE(board->HasTurnedCardMark());
    EXPECT_FALSE(board->GetScore()->IsActive());
    EXPECT_EQ(board->GetScore()->GetValue(), 0);
    Run(1000); // The stopped count-up does not come back.
    EXPECT_EQ(board->GetScore()->GetValue(), 0);
    EXPECT_FALSE(board->GetBombCanvas()->IsActive());
    board->ShowPlacing(1);
    board->ClearPlayer();
    EXPECT_FALSE(board->GetPlacing()->IsActive());
    EXPECT_FALSE(board->IsPortraitShown());
    EXPECT_FALSE(board->IsActive());
}

} // namespace
} // namespace scene::test

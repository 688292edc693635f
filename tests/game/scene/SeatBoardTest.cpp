#include "client/panel/CGameFrameUI.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/SeatBoard.h"

namespace scene::test {
namespace {

class CThreeChairApp final : public client::CPlDkApp {
public:
    [[nodiscard]] int GetChairCount() const override { return 3; }
};

class SeatBoardTest : public BoardTest {
protected:
    SeatBoardTest()
    {
        AddImage("PlayerBoardSmall", 200, 60, 3);
        AddImage("animation_AutoPlay", 30, 30, 4);
        AddImage("animation_Offline", 30, 30, 4);
        AddImage("animation_Ready", 40, 20);
        AddImage("digit_restcard", 8, 12, 10);
        AddImage("word_zhang", 12, 12);
        for (int chair = 0; chair < client::PLDK_CHAIRS; ++chair)
            m_app.Records().Seat(chair)->user_id = 100 + chair;
    }
    CSeatBoard* MakeBoard(client::CGameApp& app, int view, const engine::EngineRect& area = { 0, 0, 800, 600 })
    {
        auto owned = std::make_unique<CSeatBoard>(app);
        CSeatBoard* board = owned.get();
        m_engine.m_objects->AddObject(std::move(owned), nullptr);
        board->CreateChildren(view);
        board->SetMainGameRect(area);
        board->SetIntSetting(SETTING_LARGE_CARD_HEIGHT, 96);
        board->SetIntSetting(SETTING_BOARD_SMALL_HEIGHT, 60);
        return board;
    }
};

TEST_F(SeatBoardTest, BoardsStandAtTheirSeatsForThreeAndFourChairs)
{
    CThreeChairApp three;
    struct Case {
        client::CGameApp* app;
        int view;
        double x, y, angle;
        Point mark;
    };
    const Case cases[] = {
        { &m_app, 0, 400, 570, 0, { 400, 400 } },   { &m_app, 1, 29, 300, 270, { 200, 300 } },
        { &m_app, 2, 400, 30, 0, { 400, 200 } },    { &m_app, 3, 770, 300, 90, { 600, 300 } },
        { &three, 1, 29, 300, 270, { 200, 300 } },  { &three, 2, 770, 300, 90, { 600, 300 } },
    };
    for (const Case& c : cases) {
        CSeatBoard* board = MakeBoard(*c.app, c.view, { 10, 20, 810, 620 });
        board->ShowReady();
        board->PlaceBoard();
        EXPECT_EQ(board->GetX(), 10 + c.x) << c.view;
        EXPECT_EQ(board->GetY(), 20 + c.y) << c.view;
        EXPECT_EQ(board->GetAngle(), c.angle) << c.view;
        EXPECT_EQ(board->GetMark()->GetX(), 10 + c.mark.x) << c.view;
        EXPECT_EQ(board->GetMark()->GetY(), 20 + c.mark.y) << c.view;
    }
}

TEST_F(SeatBoardTest, AnchorPointsByViewAndMode)
{
    CThreeChairApp three;
    struct Case {
        client::CGameApp* app;
        int view, mode;
        Point anchor;
    };
    // 600 - 48 - large card height 96 - small board height 60 = 396.
    const Case cases[] = {
        { &m_app, 0, 0, { 240, 396 } }, { &m_app, 0, 1, { 320, 396 } }, { &m_app, 0, 2, { 200, 396 } },
        { &m_app, 1, 0, { 180, 300 } }, { &m_app, 2, 0, { 400, 180 } }, { &m_app, 3, 1, { 620, 300 } },
        { &three, 1, 0, { 180, 300 } }, { &three, 2, 0, { 620, 300 } },
    };
    for (const Case& c : cases) {
        const Point anchor = MakeBoard(*c.app, c.view, { 10, 20, 810, 620 })->GetAnchorPoint(c.mode);
        EXPECT_EQ(anchor.x, 10 + c.anchor.x) << c.view << "/" << c.mode;
        EXPECT_EQ(anchor.y, 20 + c.anchor.y) << c.view << "/" << c.mode;
    }
    m_app.Records().Launch().look_on = 1;
    EXPECT_EQ(MakeBoard(m_app, 0)->GetAnchorPoint(2).x, 400); // An onlooker's hand is centred.
}

TEST_F(SeatBoardTest, CutNameNeverSplitsACharacter)
{
    const std::pair<std::string, std::string> cases[] = {
        { "abcdefghi", "abcdefghi" },
        { "abcdefghij", "abcdefgh.." },
        { "abcdefg\xD5\xC5", "abcdefg\xD5\xC5" },            // 9 bytes: whole.
        { "abcdefg\xD5\xC5x", "abcdefg.." },                 // The 8th byte leads a character.
        { "\xD5\xC5\xD5\xC5\xD5\xC5\xD5\xC5\xD5\xC5", "\xD5\xC5\xD5\xC5\xD5\xC5\xD5\xC5.." },
        { std::string("ab\0cdefghijk", 12), "ab" },
    };
    for (const auto& [name, cut] : cases)
        EXPECT_EQ(CSeatBoard::CutName(name), cut) << name;
}

TEST_F(SeatBoardTest, SeatedBoardSendsClicksToTheFrameAndHoversToItself)
{
    auto frame_owned = std::make_unique<panel::CGameFrameUI>(m_app);
    panel::CGameFrameUI* frame = frame_owned.get();
    m_engine.m_objects->AddObject(std::move(frame_owned), nullptr); // it links itself

    CSeatBoard* board = MakeBoard(m_app, 2);
    board->SetPlayer(1);
    board->SetPlayer(2); // The routes follow the new chair.
    EXPECT_TRUE(board->IsActive());
    const engine::RouteRecord* left = board->GetCanvas()->FindEventRoute(engine::VELOTRIX_EVENT_LBUTTON_DOWN);
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->target, frame->GetId());
    EXPECT_EQ(left->forwarded_id, panel::GAMEMSG_SEAT_LEFT_CLICK);
    EXPECT_EQ(left->param1, 102u);
    size_t index = 0;
    ASSERT_NE(board->GetCanvas()->FindEventRouteFrom(engine::VELOTRIX_EVENT_LBUTTON_DOWN, index), nullptr);
    ++index;
    EXPECT_EQ(board->GetCanvas()->FindEventRouteFrom(engine::VELOTRIX_EVENT_LBUTTON_DOWN, index), nullptr);
    const engine::RouteRecord* right = board->GetCanvas()->FindEventRoute(engine::VELOTRIX_EVENT_RBUTTON_DOWN);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(right->forwarded_id, panel::GAMEMSG_SEAT_RIGHT_CLICK);

    const engine::RouteRecord* enter = board->GetCanvas()->FindEventRoute(engine::VELOTRIX_EVENT_MOUSE_ENTER);
    ASSERT_NE(enter, nullptr);
    EXPECT_EQ(enter->target, board->GetId());
    (void)board->SendEvent(EngineEvent { board->GetId(), enter->forwarded_id, 0, 0 });
    EXPECT_TRUE(board->IsHovered());
    (void)board->SendEvent(EngineEvent { board->GetId(), SEAT_BOARD_HOVER_OFF, 0, 0 });
    EXPECT_FALSE(board->IsHovered());

    board->ClearPlayer();
    EXPECT_EQ(board->GetChair(), -1);
    EXPECT_FALSE(board->IsActive());
    EXPECT_EQ(board->GetCanvas()->FindEventRoute(engine::VELOTRIX_EVENT_MOUSE_ENTER), nullptr);
    m_engine.m_objects->DestroyObject(frame->GetId());
    Run();
}

TEST_F(SeatBoardTest, StatusCountAndMark)
{
    CSeatBoard* board = MakeBoard(m_app, 0);
    board->SetPlayer(0);
    engine::CImageObject* status = board->GetStatusImage();
    EXPECT_FALSE(status->IsActive()); // No rank badge outside match rooms.
    board->ShowOffline(true);
    EXPECT_TRUE(board->IsOffline());
    EXPECT_TRUE(status->IsActive());
    Run(600);
    EXPECT_LT(status->GetAlpha(), 1.0); // Blinking.
    board->ShowOffline(false);
    Run(600);
    EXPECT_FALSE(status->IsActive());
    EXPECT_EQ(status->GetAlpha(), 1.0);

    board->SetCardCount(27);
    board->MoveCardCount(100, 200);
    EXPECT_TRUE(board->GetCardCount()->IsActive());
    EXPECT_EQ(board->GetCardCount()->GetValue(), 27);
    EXPECT_GT(board->GetCardCountWidth(), 0);
    board->SetCardCount(0);
    EXPECT_FALSE(board->GetCardCount()->IsActive());

    board->ShowReady();
    EXPECT_TRUE(board->GetMark()->IsActive());
    board->HideReady();
    EXPECT_FALSE(board->GetMark()->IsActive());
    board->SetHighlight(true);
    board->ResetRound();
    EXPECT_FALSE(board->IsHighlighted());
}

} // namespace
} // namespace scene::test

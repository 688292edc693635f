// The table at the client's default size (1050 x 600, the side panel's 240
// beside it) with the default skin's pictures: what the player must read is
// never covered. Mid-round the own plate stays off the own hand, and the side
// seats' plates and card-count and points displays off their fans.
#include <cmath>
#include <string>
#include <vector>

#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkSeatBoard.h"
#include "game/scene/SceneRecorders.h"
#include "game/scene/SkinImages.h"

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
        std::initializer_list<std::string> names = {
            "PlayerBoardSmall", "digit_restcard", "word_zhang", "word_fen", "ScoreDigit", "ScoreUnite",
            "btn_StartGame", "slogan", "名次", "炸弹图标", "花_图标",
            "牌正面50x68", "牌背面50x68", "牌正面71x96", "牌背面71x96",
            "牌正面82x110", "牌背面82x110", "牌正面98x132", "牌背面98x132",
        };
        LoadSkinImages(m_paint->images, "common.kor", names);
        LinkTable(m_app, m_chat, m_connection);
        m_scene = AddScene<CPlDkGameScene>(TABLE);
        for (int view = 0; view < CPlDkGameScene::SEATS; ++view)
            m_scene->GetSeatBoard(view)->SetPlayer(view);
    }
    ~TableOverlapTest() override { m_engine.m_objects->DestroyObject(m_scene->GetId()); }

    // A round joined mid-way: 27 cards each less those played, the own hand
    // face up, two cards of the last trick before each side seat, and points
    // won by every seat.
    void ResumeMidRound()
    {
        rules::TableGameData& data = m_app.GetGameState().GetTableData();
        data.reserved_80 = 27;
        data.head[14] = 0;
        data.head[15] = 0x101;
        for (int i = 0; i < rules::PLDK_TOTAL_CARDS; ++i) {
            rules::DeckCard& deck = data.deck[i];
            deck.holder = i % 4;
            deck.card = deck.holder == 0 ? i : -1;
            deck.place = i < 80 ? rules::CARD_PLACE_HAND : rules::CARD_PLACE_PLAYED;
            deck.order = i < 80 ? i / 4 : 0;
        }
        for (int chair = 1; chair < 4; ++chair) {
            data.trick_cards[chair][0] = 80 + chair;
            data.trick_cards[chair][1] = 84 + chair;
            data.hand_points[chair] = 25;
        }
        m_scene->ResumeGame();
        Run();
    }
    // The rectangles of the hand cards shown at a seat.
    std::vector<engine::EngineRect> HandAt(int view)
    {
        std::vector<engine::EngineRect> rects;
        for (int i = 0; i < m_scene->Sprites().Count(); ++i)
            if (const CardSpriteState& s = m_scene->Sprites().At(i); s.state == CARD_STATE_HAND && s.view == view)
                rects.push_back(ScreenRect(*m_scene->GetSprite(i)->GetFace()));
        return rects;
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

    CChatSink m_chat;
    CRecordingConnection m_connection { m_app };
    CPlDkGameScene* m_scene {};
};

TEST_F(TableOverlapTest, MidRoundThePlatesAndDisplaysLeaveTheHandsClear)
{
    ResumeMidRound();
    const CPlDkSeatBoard* own = m_scene->GetPlDkSeatBoard(0);
    ExpectClear("own plate", ScreenRect(*own->GetCanvas()), HandAt(0));
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

} // namespace
} // namespace scene::test

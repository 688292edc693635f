// The round's result box: built once and repainted, its buttons' and
// pictures' events, and a drag that moves it without telling the scene.
#include "game/scene/PlDkResultBox.h"

#include "engine/core/CanvasObject.h"
#include "engine/core/GuiContainer.h"
#include "engine/widgets/GuiButton.h"
#include "game/scene/BoardTestSupport.h"

namespace scene {
namespace {

using Part = CPlDkResultBox::Part;

class PlDkResultBoxTest : public test::BoardTest {
protected:
    PlDkResultBoxTest()
    {
        AddImage(RESULT_BOX_IMAGE, 500, 320);
        for (const char* name : { RESULT_CLOSE_IMAGE, RESULT_OK_IMAGE, RESULT_CONTINUE_IMAGE })
            AddImage(name, 40, 20, 4);
        m_creator = Make<engine::CGuiContainer>();
        m_box = std::make_unique<CPlDkResultBox>(*m_creator, m_owner->GetId(), m_app);
    }
    static ResultBoxPlan PlanFor(bool look_on, bool match_room, int32_t own_points)
    {
        ResultBoxInput input;
        input.names = { "east", "south", "west", "north" };
        input.characters = { 11, 12, 13, 14 };
        input.result.settle_score[0] = own_points;
        input.look_on = look_on;
        input.match_room = match_room;
        return MakeResultBoxPlan(input);
    }
    [[nodiscard]] int SentToScene(uint32_t id) const { return OwnerCount(id); }

    engine::CGuiContainer* m_creator {};
    std::unique_ptr<CPlDkResultBox> m_box;
};

TEST_F(PlDkResultBoxTest, BuiltOnceWithItsPartsFollowingAndRepaintedOnEveryShow)
{
    engine::CCanvasObject* box = m_box->Show(PlanFor(false, false, 30), nullptr);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetWidth(), 500);
    EXPECT_EQ(box->GetZ(), CPlDkResultBox::BOX_DEPTH);
    EXPECT_TRUE(box->IsActive());
    for (int row = 0; row < RESULT_BOX_ROWS; ++row) {
        ASSERT_NE(m_box->GetPicture(row), nullptr);
        EXPECT_NE(box->HasFollower(m_box->GetPicture(row)->GetId()), 0);
        EXPECT_EQ(m_box->GetPicture(row)->GetX(), box->GetLeft() + 54);
        EXPECT_EQ(m_box->GetPicture(row)->GetY(), box->GetTop() + 94 + 40 * row);
    }
    for (Part part : { Part::Close, Part::Ok, Part::Continue }) {
        ASSERT_NE(m_box->GetButton(part), nullptr);
        EXPECT_NE(box->HasFollower(m_box->GetButton(part)->GetId()), 0);
    }
    EXPECT_EQ(m_box->GetButton(Part::Close)->GetX(), box->GetRight() - 30);
    EXPECT_EQ(m_box->GetButton(Part::Ok)->GetX(), box->GetX() - 65);
    EXPECT_EQ(m_box->GetButton(Part::Continue)->GetY(), box->GetTop() + 282);
    // Pictures and buttons stand above the box: the hit test gives a tie of
    // depths to the older object, the box, and they could not be pressed.
    for (int row = 0; row < RESULT_BOX_ROWS; ++row)
        EXPECT_GT(m_box->GetPicture(row)->GetZ(), box->GetZ()) << row;
    for (Part part : { Part::Close, Part::Ok, Part::Continue })
        EXPECT_GT(m_box->GetButton(part)->GetZ(), box->GetZ()) << static_cast<int>(part);
    // Rows: own, partner (chair 2), next (1), previous (3).
    EXPECT_EQ(DrawnTexts(), (std::vector<std::string> { "east", "west", "south", "north" }));

    m_text->drawn.clear();
    box->MoveTo(300, 200);
    EXPECT_EQ(m_box->Show(PlanFor(false, false, -5), nullptr), box);
    EXPECT_EQ(DrawnTexts().size(), 4u);
    EXPECT_EQ(m_box->GetPicture(3)->GetY(), box->GetTop() + 94 + 120);
}

TEST_F(PlDkResultBoxTest, ButtonsAndPicturesTellTheSceneAndTheContinueButtonFollowsTheRoom)
{
    const struct {
        bool look_on;
        bool match_room;
        bool continue_active;
        uint32_t continue_event;
    } cases[] = {
        { false, false, true, GAMEMSG_RESULT_CONTINUE },
        { false, true, true, GAMEMSG_RESULT_CLOSE },
        { true, false, false, GAMEMSG_RESULT_CONTINUE },
    };
    for (const auto& c : cases) {
        engine::CCanvasObject* box = m_box->Show(PlanFor(c.look_on, c.match_room, 0), nullptr);
        ASSERT_NE(box, nullptr);
        engine::CGuiButton* go_on = m_box->GetButton(Part::Continue);
        EXPECT_EQ(go_on->IsActive(), c.continue_active);
        EXPECT_EQ(go_on->GetClickEvent().id, c.continue_event);
        EXPECT_EQ(go_on->GetClickEvent().target, m_owner->GetId());
        // The close and OK buttons work for an onlooker too.
        EXPECT_TRUE(m_box->GetButton(Part::Close)->IsActive());
        EXPECT_EQ(m_box->GetButton(Part::Ok)->GetClickEvent().id, GAMEMSG_RESULT_CLOSE);
    }
    m_owner->events.clear();
    m_box->GetButton(Part::Close)->FireClick();
    m_box->GetButton(Part::Ok)->FireClick();
    Run();
    EXPECT_EQ(SentToScene(GAMEMSG_RESULT_CLOSE), 2);

    engine::CCanvasObject* box = m_box->GetBox();
    const engine::RouteRecord* right = box->FindEventRoute(engine::VELOTRIX_EVENT_RBUTTON_DOWN);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(right->target, m_owner->GetId());
    EXPECT_EQ(right->forwarded_id, GAMEMSG_RESULT_CLOSE);
    const engine::RouteRecord* enter = m_box->GetPicture(1)->FindEventRoute(engine::VELOTRIX_EVENT_MOUSE_ENTER);
    ASSERT_NE(enter, nullptr);
    EXPECT_EQ(enter->forwarded_id, GAMEMSG_SHOW_CHARACTER);
    EXPECT_EQ(enter->param1, 13u);  // row 1 is the partner, chair 2
    EXPECT_EQ(m_box->GetPicture(1)->FindEventRoute(engine::VELOTRIX_EVENT_MOUSE_LEAVE)->forwarded_id,
              GAMEMSG_HIDE_CHARACTER);
}

TEST_F(PlDkResultBoxTest, DraggingMovesTheBoxWithItsPartsAndSendsTheSceneNothing)
{
    engine::CCanvasObject* box = m_box->Show(PlanFor(false, false, 0), nullptr);
    ASSERT_NE(box, nullptr);
    box->MoveTo(400, 300);
    box->Invalidate();
    const double picture_x = m_box->GetPicture(0)->GetX();
    m_owner->events.clear();
    MoveTo(400, 200);
    Press(400, 200);
    MoveTo(430, 210);
    Release(430, 210);
    EXPECT_EQ(box->GetX(), 430);
    EXPECT_EQ(box->GetY(), 310);
    EXPECT_EQ(m_box->GetPicture(0)->GetX(), picture_x + 30);
    EXPECT_TRUE(m_owner->events.empty());
}

} // namespace
} // namespace scene

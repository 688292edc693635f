#include "engine/widgets/GuiTextButton.h"

#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiPopupMenu.h"
#include "engine/widgets/WidgetTestSupport.h"

using namespace widgettest;

namespace {

class GuiTextButtonTest : public WidgetTest {
protected:
    // A 60 x 20 grey button with a red border centred on (100, 100).
    CGuiTextButton* MakeButton()
    {
        auto* button = Make<CGuiTextButton>();
        const EngineEvent clicked = OwnerEvent(EVENT_CLICKED);
        button->Create("确定", 60, 20, 12, 0x808080, 0x0000FF, &clicked);
        button->MoveTo(100, 100);
        button->Activate();
        button->Invalidate();
        Run();
        return button;
    }

    // A menu of three 100 x 20 rows centred on (400, 300).
    CGuiPopupMenu* MakeMenu()
    {
        auto* menu = Make<CGuiPopupMenu>();
        menu->Create(100, 20, 12, 0xFF00FF);
        menu->MoveTo(400, 300);
        menu->Show(true);
        menu->Activate();
        const char* captions[] = { "one", "two", "three" };
        for (uint32_t i = 0; i < 3; ++i) {
            const EngineEvent chosen = OwnerEvent(EVENT_CLICKED, i);
            menu->AddItem(captions[i], &chosen, 0x000000);
        }
        Run();
        return menu;
    }
};

} // namespace

TEST_F(GuiTextButtonTest, StatesRecolourTheDrawing)
{
    CGuiTextButton* button = MakeButton();
    CCanvasObject* canvas = button->GetCanvas();
    // Inverse of the red border 0x0000FF is 0xFFFF00; darkening by 0.5 takes
    // k = 127: 0x80 x 128 / 256 = 0x40; by 0.2, k = 51: 0x80 x 204 / 256 = 0x66.
    const struct {
        int state;
        uint32_t border;
        uint32_t inside;
    } cases[] = {
        { CGuiTextButton::STATE_NORMAL, 0x0000FF, 0x808080 },
        { CGuiTextButton::STATE_HOVER, 0xFFFF00, 0x808080 },
        { CGuiTextButton::STATE_PRESSED, 0xFFFF00, 0x404040 },
        { CGuiTextButton::STATE_HIDDEN, 0x0000CB, 0x666666 },
    };
    for (const auto& c : cases) {
        button->DrawState(c.state);
        EXPECT_EQ(canvas->GetColourAt(0, 0), c.border) << c.state;
        EXPECT_EQ(canvas->GetColourAt(59, 19), c.border) << c.state;
        EXPECT_EQ(canvas->GetColourAt(30, 10), c.inside) << c.state;
    }
    // Every state draws the caption fitted into the canvas at the font size.
    ASSERT_FALSE(m_text->drawn.empty());
    EXPECT_EQ(m_text->drawn.back().text, "确定");
    EXPECT_EQ(m_text->drawn.back().font_height, 12);
    EXPECT_EQ(m_text->drawn.back().x, 2);
}

TEST_F(GuiTextButtonTest, ClickGoesOutOnTheReleaseAndHidingDrawsTheDisabledLook)
{
    CGuiTextButton* button = MakeButton();
    CCanvasObject* canvas = button->GetCanvas();
    MoveTo(100, 100);
    EXPECT_EQ(canvas->GetColourAt(0, 0), 0xFFFF00u);
    Press(100, 100);
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 0);
    EXPECT_EQ(canvas->GetColourAt(30, 10), 0x404040u);
    Release(100, 100);
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 1);
    EXPECT_EQ(canvas->GetColourAt(0, 0), 0xFFFF00u);
    // Hidden: darkened by 0.2 with the normal border; shown again under the cursor: hover.
    button->ShowNotify(false);
    EXPECT_EQ(canvas->GetColourAt(30, 10), 0x666666u);
    EXPECT_FALSE(button->IsVisible());
    button->ShowNotify(true);
    EXPECT_EQ(canvas->GetColourAt(0, 0), 0xFFFF00u);
    // Caption and text colour changes redraw the normal state at once.
    button->SetCaption("取消");
    EXPECT_EQ(canvas->GetColourAt(0, 0), 0x0000FFu);
    EXPECT_EQ(button->GetCaption(), "取消");
    button->DrawState(CGuiTextButton::STATE_PRESSED);
    button->SetTextColour(0x00FF00);
    EXPECT_EQ(canvas->GetColourAt(30, 10), 0x808080u);
}

TEST_F(GuiTextButtonTest, MenuLaysItsRowsOutInsideTheBorder)
{
    CGuiPopupMenu* menu = MakeMenu();
    EXPECT_EQ(menu->GetWidth(), 104);
    EXPECT_EQ(menu->GetHeight(), 64);
    const double rows_y[] = { 280, 300, 320 };
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_NE(menu->GetItem(i), nullptr);
        EXPECT_EQ(menu->GetItem(i)->GetX(), 400);
        EXPECT_EQ(menu->GetItem(i)->GetY(), rows_y[i]);
        EXPECT_GT(menu->GetItem(i)->GetZ(), menu->GetZ());
    }
    EXPECT_EQ(menu->GetItem(3), nullptr);
    EXPECT_EQ(menu->FindItem("two"), menu->GetItem(1));
    EXPECT_EQ(menu->FindItem("four"), nullptr);
    // The rows follow the menu.
    menu->MoveTo(500, 300);
    EXPECT_EQ(menu->GetItem(2)->GetX(), 500);

    auto* empty = Make<CGuiPopupMenu>();
    empty->Create(100, 20, 12, 0xFF00FF);
    empty->Activate();
    empty->Layout();
    EXPECT_FALSE(empty->IsActive());
}

TEST_F(GuiTextButtonTest, MenuRowsShowTheirStatesAndReportTheChoice)
{
    CGuiPopupMenu* menu = MakeMenu();
    CCanvasObject* row = menu->GetItem(1)->GetCanvas();
    MoveTo(400, 300);
    EXPECT_EQ(m_text->drawn.back().weight, 700);
    EXPECT_EQ(m_text->drawn.back().text, "two");
    // Hover: a white row tinted toward blue by k = 51 and a 0xBB5B6C border.
    EXPECT_EQ(row->GetColourAt(0, 0), 0xBB5B6Cu);
    const uint32_t tinted = (0xFFu * 204 + 0xFF * 51) >> 8 << 16 | (0xFFu * 204 >> 8) << 8 | (0xFFu * 204 >> 8);
    EXPECT_EQ(row->GetColourAt(50, 10), tinted);
    Press(400, 300);
    EXPECT_EQ(row->GetColourAt(50, 10), ~tinted & 0xFFFFFF);
    Release(400, 300);
    ASSERT_EQ(OwnerCount(EVENT_CLICKED), 1);
    EXPECT_EQ(m_owner->events.back().param1, 1u);
    // A choice does not hide the menu.
    EXPECT_TRUE(menu->IsActive());
    // Hidden rows are drawn at alpha 0.3 and choose nothing.
    menu->EnableItem(menu->GetItem(2)->GetId(), VELOTRIX_EVENT_LBUTTON_CLICK, false);
    EXPECT_DOUBLE_EQ(menu->GetItem(2)->GetCanvas()->GetAlpha(), 0.3);
    EXPECT_TRUE(menu->GetItem(0)->IsVisible());
    ClickAt(400, 320);
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 1);
}

TEST_F(GuiTextButtonTest, MenuHidesWhenItLosesTheFocus)
{
    CGuiPopupMenu* menu = MakeMenu();
    auto* other = m_engine.Add<enginetest::CRecordingObject>(100, 100, 20, 20);
    other->SetCatchInput(true);
    (void)m_input->SetFocusObject(menu->GetId());
    Run();
    EXPECT_TRUE(menu->IsActive());
    (void)m_input->SetFocusObject(other->GetId());
    Run();
    EXPECT_FALSE(menu->IsActive());
    EXPECT_FALSE(menu->GetItem(0)->IsActive());
    EXPECT_FALSE(menu->GetItem(0)->GetCanvas()->IsActive());
    // The rows go with the menu.
    const uint32_t row_id = menu->GetItem(0)->GetId();
    m_engine.m_objects->DestroyObject(menu->GetId());
    Run();
    EXPECT_EQ(m_engine.m_objects->FindObject(row_id), nullptr);
}

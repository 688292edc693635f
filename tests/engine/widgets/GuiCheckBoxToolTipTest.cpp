#include "engine/core/CanvasObject.h"
#include "engine/media/CCanvasTextDrawer.h"
#include "engine/widgets/GuiCheckBox.h"
#include "engine/widgets/GuiToolTip.h"
#include "engine/widgets/WidgetTestSupport.h"

using namespace widgettest;

namespace {

class GuiCheckBoxToolTipTest : public WidgetTest {
protected:
    CGuiCheckBox* MakeBox(int32_t checked)
    {
        auto* box = Make<CGuiCheckBox>();
        EXPECT_EQ(box->Create(picturetest::RefTo(*m_strip), checked), checked);
        box->SetCheckEvent(OwnerEvent(EVENT_CLICKED));
        box->SetUncheckEvent(OwnerEvent(EVENT_OTHER));
        box->MoveTo(100, 100);
        box->Activate();
        box->Invalidate();
        Run();
        return box;
    }
    [[nodiscard]] std::vector<uint32_t> OwnerIds() const
    {
        std::vector<uint32_t> ids;
        for (const EngineEvent& event : m_owner->events)
            ids.push_back(event.id);
        return ids;
    }
    // A tooltip with a 10-byte text at size 12: 66 x 18 with the recording drawer.
    CGuiToolTip* MakeTip(CEngineObject* target)
    {
        auto* tip = Make<CGuiToolTip>();
        tip->Attach(target, "0123456789", 120);
        return tip;
    }

    std::unique_ptr<ImageRecord> m_strip = picturetest::MakeStrip(16, 16, 2);
};

} // namespace

TEST_F(GuiCheckBoxToolTipTest, CheckBoxTogglesOnPressAndPostsItsEvents)
{
    CGuiCheckBox* box = MakeBox(1);
    EXPECT_EQ(box->GetImageChild()->GetCurrentFrame(), 1u);
    EXPECT_EQ(box->GetType(), CGuiCheckBox::TYPE_CHECK_BOX);
    EXPECT_TRUE(m_owner->events.empty());
    ClickAt(100, 100);
    EXPECT_EQ(box->IsChecked(), 0);
    EXPECT_EQ(box->GetImageChild()->GetCurrentFrame(), 0u);
    ClickAt(100, 100);
    EXPECT_EQ(box->GetImageChild()->GetCurrentFrame(), 1u);
    EXPECT_EQ(OwnerIds(), (std::vector<uint32_t> { EVENT_OTHER, EVENT_CLICKED }));
    // Setting the same value raises its event again.
    box->SetChecked(1);
    EXPECT_EQ(m_owner->events.size(), 2u); // Posted: it arrives in the next update.
    Run();
    EXPECT_EQ(OwnerIds(), (std::vector<uint32_t> { EVENT_OTHER, EVENT_CLICKED, EVENT_CLICKED }));
    // A stored value other than 0 or 1 is not toggled.
    box->SetChecked(5);
    box->Toggle();
    EXPECT_EQ(box->IsChecked(), 5);
}

TEST_F(GuiCheckBoxToolTipTest, ToolTipSizeFollowsTheText)
{
    auto* tip = Make<CGuiToolTip>();
    const struct {
        const char* text;
        int32_t max_width;
        int32_t width;
    } cases[] = {
        { "0123456789", 120, 66 }, // 10 x 12 / 2 = 60 is below the maximum.
        { "0123456789", 61, 66 },
        { "0123456789", 40, 46 },  // Wrapped to the maximum.
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tip->Measure(c.text, c.max_width), CGuiToolTip::MARGIN);
        EXPECT_EQ(tip->GetCanvas()->GetCanvasWidth(), c.width) << c.max_width;
        EXPECT_EQ(tip->GetWidth(), c.width);
    }
    // Wrapped to 40 pixels the recording drawer lays out two lines of 12.
    EXPECT_EQ(tip->GetCanvas()->GetCanvasHeight(), 30);
    tip->SetText("abc", 120);
    EXPECT_EQ(m_text->drawn.back().x, 3);
    EXPECT_EQ(m_text->drawn.back().y, 3);
    EXPECT_EQ(tip->GetCanvas()->GetColourAt(0, 0), CGuiToolTip::BORDER_COLOUR);
}

TEST_F(GuiCheckBoxToolTipTest, ToolTipIsPlacedAboveItsTargetInsideTheView)
{
    const struct {
        double x, y;
        double tip_x, tip_y;
    } cases[] = {
        { 400, 300, 433, 271 }, // Left edge on the target's centre, bottom on its top.
        { 790, 300, 767, 271 }, // Pushed left to end at the view's right edge.
        { 400, 10, 433, 9 },    // Pushed down so that its top is at 0.
        { -50, 300, 33, 271 },  // Pushed right so that its left is at 0.
    };
    for (const auto& c : cases) {
        auto* target = m_engine.Add<enginetest::CPictureObject>(c.x, c.y, 40, 40);
        CGuiToolTip* tip = MakeTip(target);
        tip->PlaceNear(*target);
        EXPECT_EQ(tip->GetX(), c.tip_x) << c.x << "," << c.y;
        EXPECT_EQ(tip->GetY(), c.tip_y) << c.x << "," << c.y;
    }
}

TEST_F(GuiCheckBoxToolTipTest, ToolTipFadesInOnEnterAndHidesOnLeave)
{
    auto* target = m_engine.Add<enginetest::CPictureObject>(400, 300, 40, 40);
    CGuiToolTip* tip = MakeTip(target);
    EXPECT_FALSE(tip->IsActive());
    MoveTo(400, 300);
    EXPECT_TRUE(tip->IsActive());
    EXPECT_EQ(tip->GetX(), 433);
    EXPECT_LT(tip->GetAlpha(), 0.5);
    Run(200); // Five steps of 0.2, one per 30 ms.
    EXPECT_DOUBLE_EQ(tip->GetAlpha(), 1.0);
    EXPECT_DOUBLE_EQ(tip->GetCanvas()->GetAlpha(), 1.0);
    MoveTo(600, 300);
    EXPECT_FALSE(tip->IsActive());
    EXPECT_FALSE(tip->GetCanvas()->IsActive());

    // Leaving while it still fades in stops the fade at once.
    MoveTo(400, 300);
    EXPECT_LT(tip->GetAlpha(), 0.5);
    MoveTo(600, 300);
    EXPECT_FALSE(tip->IsActive());
    Run(200);
    EXPECT_FALSE(tip->IsActive());
    EXPECT_LT(tip->GetAlpha(), 0.5);
}

TEST_F(GuiCheckBoxToolTipTest, ToolTipTextWrapsWithTheRealRenderer)
{
    CCanvasServices::InstallTextDrawer(CCanvasTextDrawer::Create());
    auto* tip = Make<CGuiToolTip>();
    tip->SetText("这是一个提示文字 tooltip text that wraps", 120);
    CCanvasObject* canvas = tip->GetCanvas();
    ASSERT_EQ(canvas->GetCanvasWidth(), 126);
    // Two lines of 12 and the margins; ink on the second line.
    EXPECT_GE(canvas->GetCanvasHeight(), 2 * 12 + 6);
    bool second_line_drawn = false;
    for (int32_t x = 3; x < 123 && !second_line_drawn; ++x)
        for (int32_t y = 16; y < canvas->GetCanvasHeight() - 3; ++y)
            second_line_drawn = second_line_drawn || (canvas->GetColourAt(x, y) & 0x808080) == 0;
    EXPECT_TRUE(second_line_drawn);
}

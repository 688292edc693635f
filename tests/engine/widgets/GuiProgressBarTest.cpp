#include "engine/widgets/GuiProgressBar.h"

#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiScrollBar.h"
#include "engine/widgets/WidgetTestSupport.h"

using namespace widgettest;

namespace {

// Copies what the bar's events point to while they are delivered.
class CBarOwner : public CGuiObject {
public:
    int OnEvent(const EngineEvent& event) override
    {
        if (event.id == VELOTRIX_EVENT_POSITION_SET)
            positions.push_back(*reinterpret_cast<const double*>(event.param1));
        if (event.id == VELOTRIX_EVENT_SCROLL_CHANGED)
            offsets.push_back(reinterpret_cast<const double*>(event.param1)[0]);
        return CGuiObject::OnEvent(event);
    }
    std::vector<double> positions;
    std::vector<double> offsets;
};

class GuiProgressBarTest : public WidgetTest {
protected:
    // "bar": frame 0 the 100 x 10 background, frame 1 the fill.
    GuiProgressBarTest()
    {
        m_paint->images["bar"] = picturetest::MakeStrip(100, 10, 2);
        m_bar_owner = m_engine.Add<CBarOwner>(-600, -600, 1, 1, false);
    }
    CGuiProgressBar* MakeBar(bool with_thumb)
    {
        auto* bar = Make<CGuiProgressBar>();
        bar->Create("bar", 1, 0, 0.0);
        bar->MoveTo(200, 100); // The fill runs from x 150 to 250.
        bar->Activate();
        if (with_thumb) {
            bar->SetThumb(picturetest::RefTo(*m_thumb), m_bar_owner->GetId());
            bar->SetDraggable(true);
        }
        bar->Show(true);
        bar->Invalidate();
        Run();
        return bar;
    }
    [[nodiscard]] static bool FilledAt(CGuiProgressBar& bar, int32_t x)
    {
        return bar.GetFillCanvas()->GetAlphaAt(x, 5) != 0;
    }

    std::unique_ptr<ImageRecord> m_thumb = picturetest::MakeStrip(6, 6, 3);
    CBarOwner* m_bar_owner { nullptr };
};

} // namespace

TEST_F(GuiProgressBarTest, FillIsStretchedOverThePositionsShare)
{
    CGuiProgressBar* bar = MakeBar(false);
    const struct {
        double set, position;
        int32_t filled;
    } cases[] = { { 0.5, 0.5, 50 }, { 1.7, 1.0, 100 }, { -0.5, 0.0, 0 }, { 0.25, 0.25, 25 } };
    for (const auto& c : cases) {
        bar->SetPosition(c.set);
        EXPECT_EQ(bar->GetPosition(), c.position) << c.set;
        EXPECT_EQ(c.filled > 0 && FilledAt(*bar, c.filled - 1), c.filled > 0) << c.set;
        EXPECT_FALSE(c.filled < 100 && FilledAt(*bar, c.filled)) << c.set;
    }
}

TEST_F(GuiProgressBarTest, AnimateToLandsExactlyAndRaisesDoneOnce)
{
    CGuiProgressBar* bar = MakeBar(false);
    const EngineEvent done = OwnerEvent(EVENT_CLICKED);
    // A first run, replaced at once by a second: its tick is ignored.
    bar->AnimateTo(1.0, 0.3, 100, nullptr);
    bar->AnimateTo(0.5, 0.1, 100, &done);
    std::vector<double> seen;
    for (int i = 0; i < 400 && OwnerCount(EVENT_CLICKED) == 0; ++i) {
        Run(5);
        if (seen.empty() ? bar->GetPosition() != 0 : bar->GetPosition() != seen.back())
            seen.push_back(bar->GetPosition());
    }
    ASSERT_EQ(seen.size(), 5u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(seen[i], 0.1 * double(i + 1), 1e-9);
    EXPECT_EQ(seen[4], 0.5);
    Run(500);
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 1);
    EXPECT_EQ(bar->GetPosition(), 0.5);

    // Setting the position during a run keeps the run but drops its done event.
    bar->AnimateTo(0.0, 0.1, 100, &done);
    Run(150);
    bar->SetPositionNow(0.45);
    Run(1000);
    EXPECT_EQ(bar->GetPosition(), 0.0);
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 1);
}

TEST_F(GuiProgressBarTest, PressAndDragTellTheOwner)
{
    CGuiProgressBar* bar = MakeBar(true);
    for (const auto& [x, position] : { std::pair { 150, 0.0 }, std::pair { 249, 0.99 }, std::pair { 200, 0.5 } }) {
        MoveTo(x, 100);
        Press(x, 100);
        Release(x, 100);
        ASSERT_FALSE(m_bar_owner->positions.empty());
        EXPECT_NEAR(m_bar_owner->positions.back(), position, 1e-9) << x;
    }
    // The thumb stands at the end of the fill (x 200): drag it 30 to the right.
    EXPECT_EQ(bar->GetThumb()->GetX(), 200);
    m_bar_owner->positions.clear();
    MoveTo(200, 100);
    Press(200, 100);
    m_input->OnMouseMove(230, 100, InputState::LEFT_DOWN);
    Run();
    ASSERT_EQ(m_bar_owner->offsets.size(), 1u);
    EXPECT_EQ(m_bar_owner->offsets[0], 80);
    EXPECT_NEAR(bar->GetPosition(), 0.8, 1e-9);
    // While dragged, the owner cannot set the position.
    bar->SetPositionNow(0.1);
    EXPECT_NEAR(bar->GetPosition(), 0.8, 1e-9);
    Release(230, 100);
    ASSERT_EQ(m_bar_owner->positions.size(), 1u);
    bar->SetPositionNow(0.1);
    EXPECT_NEAR(bar->GetPosition(), 0.1, 1e-9);
    // Dragged past the bar's end, the thumb stops there and the pointer is
    // released off it: the release still sets the position and ends the drag.
    const auto thumb_x = static_cast<int32_t>(bar->GetThumb()->GetX());
    MoveTo(thumb_x, 100);
    Press(thumb_x, 100);
    m_input->OnMouseMove(thumb_x + 200, 100, InputState::LEFT_DOWN);
    Run();
    Release(thumb_x + 200, 100);
    ASSERT_EQ(m_bar_owner->positions.size(), 2u);
    EXPECT_NEAR(m_bar_owner->positions.back(), 1.0, 1e-9);
    bar->SetPositionNow(0.2);
    EXPECT_NEAR(bar->GetPosition(), 0.2, 1e-9);
}

TEST_F(GuiProgressBarTest, WithoutAFillImageOrThumbNothingIsRouted)
{
    auto* bar = Make<CGuiProgressBar>();
    bar->Create("missing", 1, 0, 0.3);
    bar->SetDraggable(true); // No thumb: nothing happens.
    bar->SetThumb(picturetest::RefTo(*m_thumb), m_bar_owner->GetId());
    bar->SetDraggable(true);
    bar->MoveTo(200, 100);
    bar->Activate();
    bar->Show(true);
    Run();
    ClickAt(200, 100);
    EXPECT_TRUE(m_bar_owner->positions.empty() || m_bar_owner->positions.back() == 0.3);
    EXPECT_EQ(bar->GetPosition(), 0.3);
}

#include "engine/widgets/GuiScrollBar.h"

#include <cmath>

#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/WidgetTestSupport.h"

using namespace widgettest;

namespace {

// Copies the three doubles of every position event while it is delivered.
class CScrollOwner : public CGuiObject {
public:
    int OnEvent(const EngineEvent& event) override
    {
        ids.push_back(event.id);
        if (event.id == VELOTRIX_EVENT_SCROLL_CHANGED && event.param1 != 0) {
            const auto* values = reinterpret_cast<const double*>(event.param1);
            positions.push_back({ values[0], values[1], values[2] });
        }
        return CGuiObject::OnEvent(event);
    }
    struct Values {
        double position, page, total;
    };
    std::vector<uint32_t> ids;
    std::vector<Values> positions;
};

class GuiScrollBarTest : public WidgetTest {
protected:
    GuiScrollBarTest() { m_scroll_owner = m_engine.Add<CScrollOwner>(-700, -700, 1, 1, false); }

    // A vertical 10 x 200 bar centred on (300, 300): the track runs from y 200 to 400.
    CGuiScrollBar* MakeBar(double page, double total,
                           CGuiScrollBar::Orientation orientation = CGuiScrollBar::Orientation::Vertical)
    {
        auto* bar = Make<CGuiScrollBar>();
        const bool vertical = orientation == CGuiScrollBar::Orientation::Vertical;
        bar->Create(m_scroll_owner->GetId(), vertical ? 10 : 200, vertical ? 200 : 10, orientation, 7);
        bar->MoveTo(300, 300);
        bar->Show(true);
        bar->Activate();
        bar->SetPosition(0, page, total, 1.0);
        Run();
        return bar;
    }
    [[nodiscard]] double ThumbStart(const CGuiScrollBar& bar) const { return bar.GetThumb()->GetTop(); }
    [[nodiscard]] double ThumbEnd(const CGuiScrollBar& bar) const { return bar.GetThumb()->GetBottom(); }

    CScrollOwner* m_scroll_owner { nullptr };
    std::unique_ptr<ImageRecord> m_arrow = picturetest::MakeStrip(10, 12, 4);
};

} // namespace

TEST_F(GuiScrollBarTest, ThumbLengthAndPlaceAtWorkedSizes)
{
    struct Case {
        double position, page, total;
        int32_t length;
        double start, end;
    };
    const Case cases[] = {
        { 0, 10, 100, 20, 201, 221 },    // Position 0: one pixel below the track's start.
        { 90, 10, 100, 20, 380, 400 },   // total - page: the end on the track's end.
        { 45, 10, 100, 20, 290, 310 },   // Half way.
        { 0, 1, 1000, 15, 201, 216 },    // The minimum length.
        { 0, 100, 100, 200, 200, 400 },  // Nothing to scroll: the whole track.
        { 5, 300, 100, 200, 200, 400 },  // A page beyond the total: still the whole track.
    };
    CGuiScrollBar* bar = MakeBar(10, 100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        bar->SetPosition(c.position, c.page, c.total, -1.0);
        EXPECT_EQ(bar->GetThumbLength(), c.length);
        EXPECT_DOUBLE_EQ(ThumbStart(*bar), c.start);
        EXPECT_DOUBLE_EQ(ThumbEnd(*bar), c.end);
        EXPECT_EQ(bar->GetThumb()->GetX(), 300);
    }
    EXPECT_EQ(bar->GetStep(), 1.0);
    // A total of 0 stores the values and moves nothing.
    bar->SetPosition(3, 4, 0, 9.0);
    EXPECT_EQ(bar->GetPosition(), 3);
    EXPECT_EQ(bar->GetStep(), 1.0);
    EXPECT_DOUBLE_EQ(ThumbStart(*bar), 200);
}

TEST_F(GuiScrollBarTest, TrackPressJumpsToThePressedShare)
{
    CGuiScrollBar* bar = MakeBar(10, 100);
    const struct {
        int32_t y;
        double position;
    } cases[] = { { 300, 50 }, { 399, 90 }, { 250, 25 } };
    for (const auto& c : cases) {
        MoveTo(300, c.y);
        Press(300, c.y);
        Release(300, c.y);
        ASSERT_FALSE(m_scroll_owner->positions.empty());
        EXPECT_EQ(m_scroll_owner->positions.back().position, c.position) << c.y;
        EXPECT_EQ(m_scroll_owner->positions.back().page, 10);
        EXPECT_EQ(m_scroll_owner->positions.back().total, 100);
        EXPECT_EQ(bar->GetPosition(), c.position);
    }
}

TEST_F(GuiScrollBarTest, DragMovesTheThumbWithThePointerAndStopsAtTheEnds)
{
    CGuiScrollBar* bar = MakeBar(10, 100);
    MoveTo(300, 211);
    Press(300, 211);
    EXPECT_EQ(bar->GetThumb()->GetFrameImage().GetInfo().id, IMAGE_ID_CANVAS);
    m_input->OnMouseMove(300, 247, InputState::LEFT_DOWN);
    Run();
    ASSERT_EQ(m_scroll_owner->positions.size(), 1u);
    // (thumb start 201 + 36 - track start 200) x 90 / 180.
    EXPECT_DOUBLE_EQ(m_scroll_owner->positions[0].position, 18.5);
    EXPECT_DOUBLE_EQ(ThumbStart(*bar), 237);
    // A long move inside the track stops at total - page.
    m_input->OnMouseMove(300, 395, InputState::LEFT_DOWN);
    Run();
    ASSERT_EQ(m_scroll_owner->positions.size(), 2u);
    EXPECT_EQ(m_scroll_owner->positions[1].position, 90);
    EXPECT_DOUBLE_EQ(ThumbEnd(*bar), 400);
    // Beyond the track's end the pointer moves nothing.
    m_input->OnMouseMove(300, 450, InputState::LEFT_DOWN);
    Run();
    EXPECT_EQ(m_scroll_owner->positions.size(), 2u);
    Release(300, 450);
}

TEST_F(GuiScrollBarTest, NothingToScrollSendsPositionZero)
{
    for (double page : { 100.0, 150.0 }) {
        m_scroll_owner->positions.clear();
        CGuiScrollBar* bar = MakeBar(page, 100);
        // Press on the track (under the thumb, which covers it) and drag.
        MoveTo(300, 300);
        Press(300, 300);
        m_input->OnMouseMove(300, 330, InputState::LEFT_DOWN);
        Run();
        Release(300, 330);
        ASSERT_FALSE(m_scroll_owner->positions.empty());
        for (const auto& values : m_scroll_owner->positions) {
            EXPECT_EQ(values.position, 0) << page;
            EXPECT_FALSE(std::isnan(values.position));
        }
        m_engine.m_objects->DestroyObject(bar->GetId());
        Run();
    }
}

TEST_F(GuiScrollBarTest, ArrowButtonsSitOutsideTheTrackAndSendTheirEvents)
{
    CGuiScrollBar* bar = MakeBar(10, 100);
    bar->CreateLeftButton(picturetest::RefTo(*m_arrow));
    bar->CreateRightButton(picturetest::RefTo(*m_arrow));
    EXPECT_EQ(bar->GetFirstButton(), nullptr);
    EXPECT_EQ(bar->GetSecondButton(), nullptr);
    bar->CreateUpButton(picturetest::RefTo(*m_arrow));
    bar->CreateDownButton(picturetest::RefTo(*m_arrow));
    ASSERT_NE(bar->GetFirstButton(), nullptr);
    EXPECT_EQ(bar->GetFirstButton()->GetY(), 194);
    EXPECT_EQ(bar->GetSecondButton()->GetY(), 406);
    EXPECT_EQ(bar->GetTotalLength(), 224);
    EXPECT_GT(bar->GetSecondButton()->GetImageChild()->GetZ(), bar->GetTrack()->GetZ());
    Run();
    ClickAt(300, 194);
    ClickAt(300, 406);
    EXPECT_EQ(m_scroll_owner->ids,
              (std::vector<uint32_t> { VELOTRIX_EVENT_SCROLL_UP, VELOTRIX_EVENT_SCROLL_DOWN }));
    // The given size is the whole bar: the track gets what the buttons leave.
    bar->SetSize(10, 124);
    EXPECT_EQ(bar->GetTrack()->GetHeight(), 100);
    EXPECT_EQ(bar->GetTotalLength(), 124);
    EXPECT_EQ(bar->GetFirstButton()->GetY(), 244);
    EXPECT_EQ(bar->GetSecondButton()->GetY(), 356);
    EXPECT_EQ(bar->GetThumbLength(), 15); // 100 x 10 / 100 is below the minimum.
}

TEST_F(GuiScrollBarTest, HorizontalBarRunsAlongX)
{
    CGuiScrollBar* bar = MakeBar(10, 100, CGuiScrollBar::Orientation::Horizontal);
    bar->CreateUpButton(picturetest::RefTo(*m_arrow));
    EXPECT_EQ(bar->GetFirstButton(), nullptr);
    bar->SetPosition(90, 10, 100, -1.0);
    EXPECT_EQ(bar->GetThumbLength(), 20);
    EXPECT_DOUBLE_EQ(bar->GetThumb()->GetRight(), 400);
    EXPECT_EQ(bar->GetThumb()->GetY(), 300);
    MoveTo(300, 300);
    Press(300, 300);
    Release(300, 300);
    ASSERT_EQ(m_scroll_owner->positions.size(), 1u);
    EXPECT_EQ(m_scroll_owner->positions[0].position, 50);
}

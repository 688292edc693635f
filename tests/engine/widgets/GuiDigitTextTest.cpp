#include "engine/widgets/GuiDigitText.h"

#include "engine/core/CanvasObject.h"
#include "engine/widgets/WidgetTestSupport.h"

using namespace widgettest;

namespace {

class GuiDigitTextTest : public WidgetTest {
protected:
    // "digits": ten 8 x 12 frames whose blue byte is the digit.
    GuiDigitTextTest() { m_paint->images["digits"] = picturetest::MakeStrip(8, 12, 10); }

    CGuiDigitText* MakeDisplay(uint32_t flags, double x = 100)
    {
        auto* display = Make<CGuiDigitText>();
        display->Create("digits", flags);
        display->MoveTo(x, 50);
        display->Activate();
        return display;
    }
    // The digit drawn at canvas column x (its blue byte), or -1 where nothing is.
    static int DigitAt(CGuiDigitText& display, int32_t x)
    {
        CCanvasObject* canvas = display.GetCanvas();
        if (canvas->GetAlphaAt(x, 5) == 0)
            return -1;
        return static_cast<int>(canvas->GetColourAt(x, 5) >> 16);
    }
};

} // namespace

TEST_F(GuiDigitTextTest, DigitsAreDrawnFromTheStripWithBlankForMissingGlyphs)
{
    CGuiDigitText* display = MakeDisplay(CGuiImageText::FLAG_LEFT);
    EXPECT_EQ(display->GetCellWidth(), 16);
    display->SetValue(305);
    ASSERT_EQ(display->GetCanvas()->GetCanvasWidth(), 24);
    EXPECT_EQ(DigitAt(*display, 1), 3);
    EXPECT_EQ(DigitAt(*display, 9), 0);
    EXPECT_EQ(DigitAt(*display, 23), 5);
    // The strip has no minus sign: it advances half a cell and stays blank.
    display->SetValue(-7);
    EXPECT_EQ(display->GetCanvas()->GetCanvasWidth(), 16);
    EXPECT_EQ(DigitAt(*display, 3), -1);
    EXPECT_EQ(DigitAt(*display, 12), 7);
    // Left-anchored: the canvas grows to the right of the position.
    EXPECT_EQ(display->GetCanvas()->GetLeft(), 100);
}

TEST_F(GuiDigitTextTest, SuffixShowsFromTheNextRefreshAndAnchorsHold)
{
    CGuiDigitText* display = MakeDisplay(CGuiImageText::FLAG_RIGHT);
    display->SetValue(5);
    display->SetSuffix("分");
    EXPECT_EQ(display->GetCanvas()->GetCanvasWidth(), 8);
    display->AddValue(12340);
    // "12345分": five half cells and one whole cell.
    EXPECT_EQ(display->GetCanvas()->GetCanvasWidth(), 5 * 8 + 16);
    EXPECT_EQ(display->GetCanvas()->GetRight(), 100);
    display->ClearSuffix();
    EXPECT_EQ(display->GetCanvas()->GetCanvasWidth(), 40);
    EXPECT_EQ(display->GetCanvas()->GetRight(), 100);
    // Moving keeps the anchoring.
    display->MoveBy(10, 0);
    EXPECT_EQ(display->GetCanvas()->GetRight(), 110);
    // A replaced glyph: "1" now shows frame 9.
    ImageRef nine = picturetest::RefTo(*m_paint->images["digits"]);
    nine.frame = 9;
    display->AddGlyph("1", nine);
    display->SetValue(1);
    EXPECT_EQ(DigitAt(*display, 3), 9);
}

TEST_F(GuiDigitTextTest, CountToStepsAndEndsExactlyOnTheTarget)
{
    const struct {
        int32_t start, target, step;
        std::vector<int32_t> shown;
    } cases[] = {
        { 0, 100, 7, { 7, 14, 21, 28, 35, 42, 49, 56, 63, 70, 77, 84, 91, 98, 100 } },
        { 0, -10, -4, { -4, -8, -10 } },
        { 5, 8, 0, { 6, 7, 8 } },
    };
    for (const auto& c : cases) {
        m_owner->events.clear();
        CGuiDigitText* display = MakeDisplay(0);
        display->SetValue(c.start);
        const EngineEvent done = OwnerEvent(EVENT_CLICKED);
        EXPECT_NE(display->CountTo(c.target, c.step, 0, &done), 0u);
        std::vector<int32_t> shown;
        for (int tick = 0; tick < 200 && shown.size() < c.shown.size() + 1; ++tick) {
            Run(5);
            if (display->GetValue() != (shown.empty() ? c.start : shown.back()))
                shown.push_back(display->GetValue());
        }
        Run(100);
        EXPECT_EQ(shown, c.shown) << c.target;
        EXPECT_EQ(OwnerCount(EVENT_CLICKED), 1) << c.target;
    }
}

TEST_F(GuiDigitTextTest, StopCountingLeavesTheValueWhereItIs)
{
    CGuiDigitText* display = MakeDisplay(0);
    display->CountTo(1000, 1, 30, nullptr);
    Run(100);
    display->StopCounting();
    Run();
    const int32_t stopped = display->GetValue();
    Run(300);
    EXPECT_EQ(display->GetValue(), stopped);
    EXPECT_LT(stopped, 10);
}

TEST_F(GuiDigitTextTest, ProportionalGlyphsAdvanceByTheirOwnWidth)
{
    m_paint->images["letters"] = picturetest::MakeStrip(6, 12, 2);
    auto* text = Make<CGuiImageText>();
    text->Create(20, 12, CGuiImageText::FLAG_PROPORTIONAL);
    text->AddGlyphs("ab", "letters");
    text->SetSpacing(2);
    // a (6) + 2 + b (6) + 2 + unknown one-byte (10) = 26.
    EXPECT_EQ(text->MeasureText("abz"), 26);
    // Fixed: half cells and half spacings: 10 + 1 + 10 + 1 + 10.
    auto* fixed = Make<CGuiImageText>();
    fixed->Create(20, 12, 0);
    fixed->SetSpacing(2);
    EXPECT_EQ(fixed->MeasureText("abz"), 32);
}

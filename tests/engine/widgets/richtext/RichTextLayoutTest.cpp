// Layout of the rich-text view: widths from the font size, wrapping, line
// advance, re-aligning a line that grows, trimming old lines, scrolling.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiScrollBar.h"
#include "engine/widgets/richtext/RichTextTestSupport.h"

using namespace engine;
using richtest::DumpRuns;
using richtest::RunText;
using richtest::ViewFixture;

TEST(RichTextLayout, CharactersTakeWidthsFromTheFontSize)
{
    ViewFixture engine;
    engine.view->AppendMarkup("ab中");
    EXPECT_EQ(DumpRuns(*engine.view), "0,0 7x14 top0 f1 c010101\n"
                                      "7,0 7x14 top0 f1 c010101\n"
                                      "14,0 14x14 top0 f2 c010101\n");
}

TEST(RichTextLayout, LinesAdvanceByHeightAndSpacing)
{
    struct Case {
        int32_t pixels; // 0: the default fractional spacing
        int32_t second_line_y;
    };
    for (const Case c : { Case { 0, 16 }, Case { 3, 17 } }) {
        ViewFixture engine;
        if (c.pixels != 0)
            engine.view->SetLineSpacingPixels(c.pixels);
        engine.view->AppendMarkup("a\nb");
        EXPECT_EQ(engine.view->LastRun()->y, c.second_line_y) << c.pixels;
        EXPECT_EQ(engine.view->GetLineCount(), 1);
    }
}

TEST(RichTextLayout, WrapsBeforeARunThatDoesNotFit)
{
    ViewFixture engine(20, 100);
    engine.view->AppendMarkup("中中");
    EXPECT_EQ(DumpRuns(*engine.view), "0,0 14x14 top0 f2 c010101\n"
                                      "0,16 14x14 top16 f2 c010101\n");
}

// The lines' texts, each line the runs sharing a line top, '|' between lines.
std::string LineTexts(const CRichTextView& view)
{
    std::string out;
    const RichTextRun* previous = nullptr;
    for (const RichTextRun* run = view.FirstRun(); run != nullptr; run = run->next) {
        if (previous != nullptr && run->line_top != previous->line_top)
            out += '|';
        char bytes[2];
        out.append(bytes, run->CopyBytes(bytes));
        previous = run;
    }
    return out;
}

TEST(RichTextLayout, LatinTextWrapsAtSpacesAndTwoByteTextBetweenCharacters)
{
    // 70 pixels: ten one-byte characters or five two-byte ones a line.
    const struct {
        std::vector<const char*> appended; // one AppendMarkup each
        const char* lines;
    } cases[] = {
        { { "hello world again" }, "hello |world |again" },
        // A space that does not fit hangs past the edge.
        { { "abcdefghij klm" }, "abcdefghij |klm" },
        // A word longer than a line breaks where it overflows.
        { { "abcdefghijklmnop qr" }, "abcdefghij|klmnop qr" },
        // The word began in an earlier append: it still moves whole.
        { { "ab cdef", "ghijk" }, "ab |cdefghijk" },
        // Two-byte characters: anywhere between them, never inside one;
        // beside one a Latin word may break.
        { { "中文字符的换行测试" }, "中文字符的|换行测试" },
        { { "中文ab中cdefg" }, "中文ab中|cdefg" },
    };
    for (const auto& c : cases) {
        ViewFixture engine(70, 100);
        for (const char* text : c.appended)
            engine.view->AppendMarkup(text);
        EXPECT_EQ(LineTexts(*engine.view), c.lines) << c.appended[0];
        // A full layout gives the same lines.
        engine.view->Layout(70, 100);
        EXPECT_EQ(LineTexts(*engine.view), c.lines) << c.appended[0];
    }
}

TEST(RichTextLayout, AnOverWideRunStandsAloneAndLayoutMovesOn)
{
    ViewFixture engine(50, 100);
    engine.view->AppendMarkup("x<size=100>中<>y中");
    const RichTextRun* x = engine.view->FirstRun();
    const RichTextRun* big = x->next;
    const RichTextRun* y = big->next;
    EXPECT_EQ(big->x, 0);
    EXPECT_GT(big->line_top, x->line_top);
    EXPECT_EQ(y->x, 0);
    EXPECT_GT(y->line_top, big->line_top);
    EXPECT_EQ(y->next->x, 7);
}

TEST(RichTextLayout, ALineThatGrowsRealignsItsEarlierRuns)
{
    ViewFixture engine;
    engine.view->AppendMarkup("a");
    engine.view->AppendMarkup("<size=20>b");
    EXPECT_EQ(DumpRuns(*engine.view), "0,6 7x14 top0 f1 c010101\n"
                                      "7,0 10x20 top0 f1 c010101\n");
    engine.view->AppendMarkup("\nc");
    EXPECT_EQ(engine.view->LastRun()->line_top, 24); // 20 + 20 * 0.2
}

TEST(RichTextLayout, TrimmingDropsTheOldestLinesAndMovesTheTopOrigin)
{
    ViewFixture engine(200, 40);
    engine.view->SetMaxLines(3);
    for (const char* line : { "one\n", "two\n", "three\n", "four\n" })
        engine.view->AppendMarkup(line);
    EXPECT_EQ(engine.view->GetLineCount(), 3);
    EXPECT_EQ(RunText(*engine.view), "two\nthree\nfour\n");
    EXPECT_EQ(engine.view->GetTopOrigin(), 14); // the first line's bottom
    EXPECT_EQ(engine.view->GetRunCount(), 15);
    EXPECT_EQ(engine.view->GetContentHeight(), engine.view->LastRun()->Bottom() - 14);
    // Scrolled to the end, the last line sits at the bottom of the view.
    engine.view->ScrollToEnd();
    EXPECT_EQ(engine.view->GetScrollY() + 40, engine.view->LastRun()->Bottom());
}

TEST(RichTextLayout, ThousandAndOneLinesKeepTheLastThousand)
{
    ViewFixture engine(200, 100);
    for (int i = 0; i < 1001; ++i)
        engine.view->AppendMarkup("line\n");
    EXPECT_EQ(engine.view->GetLineCount(), 1000);
    EXPECT_EQ(engine.view->GetTopOrigin(), 14);
    EXPECT_EQ(engine.view->FirstRun()->line_top, 16);
    // One line alone is never trimmed.
    engine.view->SetMaxLines(0);
    EXPECT_EQ(RunText(*engine.view), "line\n");
}

TEST(RichTextLayout, ScrollingIsClampedToTheContent)
{
    ViewFixture engine(200, 50);
    for (int i = 0; i < 10; ++i)
        engine.view->AppendMarkup("x\n");
    const int32_t end = engine.view->GetContentHeight() - 50;
    engine.view->ScrollTo(100000);
    EXPECT_EQ(engine.view->GetScrollY(), end);
    engine.view->ScrollLineDown();
    EXPECT_EQ(engine.view->GetScrollY(), end);
    engine.view->ScrollLineUp();
    EXPECT_EQ(engine.view->GetScrollY(), end - 3 * 14);
    engine.view->ScrollTo(-5);
    EXPECT_EQ(engine.view->GetScrollY(), 0);
}

TEST(RichTextLayout, FollowingViewsScrollToTheEnd)
{
    ViewFixture engine(200, 50, 0x202);
    for (int i = 0; i < 10; ++i)
        engine.view->AppendMarkup("x\n");
    EXPECT_EQ(engine.view->GetScrollY(), engine.view->GetContentHeight() - 50);
}

TEST(RichTextLayout, HorizontalViewsKeepOneRow)
{
    ViewFixture engine(30, 20, 0x2000 | 0x2);
    engine.view->AppendMarkup("abcdefgh");
    for (const RichTextRun* run = engine.view->FirstRun(); run != nullptr; run = run->next)
        EXPECT_EQ(run->y, 20 - 14 - 1);
    EXPECT_EQ(engine.view->LastRun()->x, 49);
    EXPECT_EQ(engine.view->GetContentWidth(), 56);
    EXPECT_EQ(engine.view->GetScrollX(), 56 - 30 + 2);
}

TEST(RichTextLayout, ClearEmptiesTheViewAndItsPool)
{
    ViewFixture engine;
    engine.view->AppendMarkup("some text\nmore");
    engine.view->Clear();
    EXPECT_EQ(engine.view->FirstRun(), nullptr);
    EXPECT_EQ(engine.view->GetRunCount(), 0);
    EXPECT_EQ(engine.view->GetRunPool().GetFreeBytes(), engine.view->GetRunPool().GetTotalBytes());
    engine.view->AppendMarkup("again");
    EXPECT_EQ(engine.view->FirstRun()->y, 0);
}

TEST(RichTextLayout, DeletingRunsLaysOutWhatFollows)
{
    ViewFixture engine(25, 100);
    engine.view->AppendMarkup("中中a");
    engine.view->DeleteRunAt(0);
    EXPECT_EQ(DumpRuns(*engine.view), "0,0 14x14 top0 f2 c010101\n"
                                      "14,0 7x14 top0 f1 c010101\n");
    engine.view->DeleteRunAt(5); // Out of range: nothing.
    EXPECT_EQ(engine.view->GetRunCount(), 2);
}

TEST(RichTextLayout, TheScrollBarShowsWhileTheContentOutgrowsTheView)
{
    ViewFixture engine(200, 100, 0x202 | CRichTextView::FLAG_SCROLL_BAR);
    EXPECT_EQ(engine.view->GetVerticalBar(), nullptr);
    EXPECT_EQ(engine.view->GetLayoutWidth(), 200);
    for (int i = 0; i < 19; ++i)
        engine.view->AppendMarkup("line\n");
    engine.Frames(6);
    const CGuiScrollBar* bar = engine.view->GetVerticalBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(engine.view->GetLayoutWidth(), 200 - 16);
    EXPECT_EQ(bar->GetPage(), 100.0);
    EXPECT_EQ(bar->GetTotal(), double(engine.view->GetContentHeight()));
    EXPECT_EQ(bar->GetPosition(), double(engine.view->GetContentHeight() - 100));
    // Dragging the bar scrolls the text.
    const double values[3] = { 20.0, 100.0, 300.0 };
    EngineEvent moved;
    engine.m_objects->DeliverEvent(*MakeEngineEvent(&moved, engine.view->GetId(), VELOTRIX_EVENT_SCROLL_CHANGED,
                                                    reinterpret_cast<uintptr_t>(values), 0));
    EXPECT_EQ(engine.view->GetScrollY(), 20);
    // Content that fits again hides the bar and widens the text area.
    while (engine.view->GetRunCount() > 5 * 5)
        engine.view->DeleteRunAt(0);
    engine.Frames(6);
    EXPECT_EQ(engine.view->GetVerticalBar(), nullptr);
    EXPECT_EQ(engine.view->GetLayoutWidth(), 200);
}

TEST(RichTextLayout, AGrowingViewFollowsItsContentAndKeepsItsTop)
{
    ViewFixture engine(200, 100, CRichTextView::FLAG_GROW);
    const double top = engine.view->GetTop();
    engine.view->AppendMarkup("one\ntwo");
    EXPECT_EQ(engine.view->GetLayoutHeight(), 30);
    EXPECT_DOUBLE_EQ(engine.view->GetHeight(), 30.0);
    EXPECT_DOUBLE_EQ(engine.view->GetTop(), top);
    EXPECT_DOUBLE_EQ(engine.view->GetCanvas()->GetTop(), top);
    EXPECT_EQ(engine.view->GetScrollY(), 0);
}

TEST(RichTextLayout, AHorizontalViewGetsItsBarAlongTheBottom)
{
    ViewFixture engine(100, 40, CRichTextView::FLAG_HORIZONTAL | CRichTextView::FLAG_SCROLL_BAR | 0x2);
    engine.view->AppendMarkup("a long line that runs far past the right edge");
    engine.Frames(6);
    EXPECT_EQ(engine.view->GetLayoutHeight(), 40 - 16);
    EXPECT_EQ(engine.view->GetLayoutWidth(), 100);
    // Following keeps two pixels of room after the end, for the caret.
    EXPECT_EQ(engine.view->GetScrollX(), engine.view->GetContentWidth() - 100 + 2);
    engine.view->ScrollLineUp(); // a page to the left
    EXPECT_EQ(engine.view->GetScrollX(), engine.view->GetContentWidth() - 200 + 2);
}

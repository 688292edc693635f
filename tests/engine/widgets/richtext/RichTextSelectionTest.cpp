// Hit tests, mouse selection, copy and paste, deletion at the caret.
#include <gtest/gtest.h>

#include "engine/core/CanvasObject.h"
#include "engine/widgets/richtext/RichTextTestSupport.h"
#include "platform/Clipboard.h"
#include "platform/WindowFixture.h"

using namespace engine;
using richtest::RunText;
using richtest::ViewFixture;

namespace {

constexpr uint32_t SELECTABLE = 0x20000 | CRichTextView::FLAG_SELECTABLE;
constexpr uint32_t EDITABLE = SELECTABLE | CRichTextView::FLAG_EDITABLE;

// Screen point of text point (x, y) of the view (not scrolled).
struct Screen {
    int32_t x;
    int32_t y;
};
Screen At(const CRichTextView& view, int32_t x, int32_t y)
{
    return { static_cast<int32_t>(view.GetCanvas()->GetLeft()) + x,
             static_cast<int32_t>(view.GetCanvas()->GetTop()) + y };
}

void Press(CRichTextView& view, int32_t x, int32_t y)
{
    const Screen at = At(view, x, y);
    view.OnMouseDown(at.x, at.y);
    view.OnMouseUp(at.x, at.y);
}

int32_t IndexOf(const CRichTextView& view, const RichTextRun* wanted)
{
    int32_t index = 0;
    for (const RichTextRun* run = view.FirstRun(); run != nullptr; run = run->next, ++index) {
        if (run == wanted)
            return index;
    }
    return index; // the end
}

} // namespace

TEST(RichTextSelection, APressPlacesTheCaretByCharacterHalves)
{
    struct Case {
        int32_t x;
        int32_t y;
        int32_t caret; // index of the run the caret stands before
    };
    // "ab" then a line break, then "cd": one-byte runs are 7 wide.
    const Case cases[] = { { 2, 5, 0 }, { 5, 5, 1 }, { 9, 5, 1 }, { 12, 5, 2 }, { 60, 5, 2 }, { 1, 20, 3 } };
    for (const Case& c : cases) {
        ViewFixture engine(100, 60, EDITABLE);
        engine.view->AppendMarkup("ab\ncd");
        Press(*engine.view, c.x, c.y);
        EXPECT_EQ(IndexOf(*engine.view, engine.view->GetInsertionPoint()), c.caret) << c.x << "," << c.y;
        EXPECT_TRUE(engine.view->IsCaretShown());
    }
}

TEST(RichTextSelection, DraggingSelectsAndCopyGivesTheText)
{
    ViewFixture engine(200, 60, SELECTABLE);
    engine.view->AppendMarkup("hello world");
    const Screen from = At(*engine.view, 1, 5);
    const Screen to = At(*engine.view, 36, 5); // left half of the sixth character
    engine.view->OnMouseDown(from.x, from.y);
    engine.view->OnDrag(to.x, to.y);
    engine.view->OnMouseUp(to.x, to.y);
    EXPECT_EQ(engine.view->SelectedText(), "hello");
    engine.view->CopySelection();
    EXPECT_EQ(platform::GetClipboardText(), "hello");
}

TEST(RichTextSelection, DoubleClickSelectsACharacterOrAWord)
{
    struct Case {
        const char* text;
        int32_t x;
        const char* selected;
    };
    const Case cases[] = { { "hello world", 10, "hello" }, { "hello world", 50, "world" },
                           { "中文字", 17, "文" }, { "a b", 8, "" } };
    for (const Case& c : cases) {
        ViewFixture engine(200, 60, SELECTABLE);
        engine.view->AppendMarkup(c.text);
        const Screen at = At(*engine.view, c.x, 5);
        engine.view->OnDoubleClick(at.x, at.y);
        EXPECT_EQ(engine.view->SelectedText(), c.selected) << c.text << " at " << c.x;
    }
}

TEST(RichTextSelection, CopyingObjectsGivesTheirCopyTexts)
{
    ViewFixture engine(300, 60, SELECTABLE);
    engine.view->EnableLinks(true);
    engine.view->AppendMarkup("a<z=face>b<url_btn=http://x.example/,btn>c");
    engine.view->SelectAll();
    EXPECT_EQ(engine.view->SelectedText(), "a[图片]bhttp://x.example/c");
}

TEST(RichTextSelection, CopyAndPasteRoundTripThroughTheClipboard)
{
    ViewFixture engine(300, 60, EDITABLE);
    engine.view->AppendMarkup("中a\nline two");
    engine.view->SelectAll();
    engine.view->CopySelection();
    engine.view->Clear();
    engine.view->PasteClipboard();
    EXPECT_EQ(RunText(*engine.view), "中a\nline two");
    // Pasted markup is text.
    ASSERT_TRUE(platform::SetClipboardText("<c=255>x"));
    engine.view->PasteClipboard();
    EXPECT_EQ(RunText(*engine.view), "中a\nline two<c=255>x");
    EXPECT_NE(engine.view->LastRun()->colour, 255u);
}

class RichTextSdlClipboard : public platform::testing::NativeWindowFixture {};

TEST_F(RichTextSdlClipboard, CopyAndPasteGoThroughSdl)
{
    ViewFixture engine(300, 60, EDITABLE);
    engine.view->AppendMarkup("复制 copy");
    engine.view->SelectAll();
    engine.view->CopySelection();
    char* utf8 = SDL_GetClipboardText();
    ASSERT_NE(utf8, nullptr);
    EXPECT_STREQ(utf8, "\xE5\xA4\x8D\xE5\x88\xB6 copy");
    SDL_free(utf8);
    ASSERT_EQ(SDL_SetClipboardText("\xE7\xB2\x98\xE8\xB4\xB4"), 0); // "粘贴" in UTF-8
    engine.view->Clear();
    engine.view->PasteClipboard();
    EXPECT_EQ(RunText(*engine.view), "粘贴");
}

TEST(RichTextSelection, DeletionAtTheCaretAndOfTheSelection)
{
    ViewFixture engine(300, 60, EDITABLE);
    engine.view->AppendMarkup("abcdef");
    Press(*engine.view, 1, 5); // caret before 'a'
    engine.view->DeleteBackward();
    EXPECT_EQ(RunText(*engine.view), "abcdef");
    engine.view->DeleteForward();
    EXPECT_EQ(RunText(*engine.view), "bcdef");
    engine.view->MoveCaretRight();
    engine.view->MoveCaretRight();
    engine.view->DeleteBackward();
    EXPECT_EQ(RunText(*engine.view), "bdef");
    engine.view->SelectRange(engine.view->FirstRun()->next, engine.view->LastRun());
    engine.view->DeleteBackward();
    EXPECT_EQ(RunText(*engine.view), "bf");
    EXPECT_EQ(engine.view->GetSelectionFirst(), nullptr);
}

TEST(RichTextSelection, TheCaretMovesBetweenLines)
{
    ViewFixture engine(300, 100, EDITABLE);
    engine.view->AppendMarkup("abcd\nef\nghij");
    Press(*engine.view, 15, 37); // before 'i' on the third line
    EXPECT_EQ(IndexOf(*engine.view, engine.view->GetInsertionPoint()), 10);
    engine.view->MoveCaretUp(); // the second line is shorter: its line break
    EXPECT_EQ(IndexOf(*engine.view, engine.view->GetInsertionPoint()), 7);
    engine.view->MoveCaretUp();
    EXPECT_EQ(IndexOf(*engine.view, engine.view->GetInsertionPoint()), 2);
    engine.view->MoveCaretUp(); // the first line: nothing
    EXPECT_EQ(IndexOf(*engine.view, engine.view->GetInsertionPoint()), 2);
    engine.view->MoveCaretDown();
    EXPECT_EQ(IndexOf(*engine.view, engine.view->GetInsertionPoint()), 7);
    engine.view->MoveCaretLeft();
    EXPECT_EQ(IndexOf(*engine.view, engine.view->GetInsertionPoint()), 6);
}

TEST(RichTextSelection, ScrollingToTheEndOfALongTextStaysThere)
{
    ViewFixture engine(200, 100, 0);
    for (int i = 0; i < 1200; ++i)
        engine.view->AppendMarkup("line\n");
    engine.view->ScrollToEnd();
    const int32_t end = engine.view->GetScrollY();
    EXPECT_EQ(end + 100, engine.view->GetTopOrigin() + engine.view->GetContentHeight());
    engine.view->ScrollLineDown();
    EXPECT_EQ(engine.view->GetScrollY(), end);
    // A point below all text hits nothing, and handlers do nothing.
    EXPECT_EQ(engine.view->RunAtY(end + 1000), nullptr);
    const Screen below = At(*engine.view, 5, 99);
    engine.view->OnMouseMove(below.x, below.y);
    engine.view->OnDoubleClick(below.x, below.y);
}

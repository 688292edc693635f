// The rich edit box: the length limit, plain text, history, Enter, keys,
// refused object tags, the hint.
#include <gtest/gtest.h>

#include "engine/core/InputState.h"
#include "engine/widgets/RichEditBox.h"
#include "engine/widgets/richtext/RichTextTestSupport.h"
#include "platform/Clipboard.h"
#include "platform/MessageIds.h"

using namespace engine;
using richtest::RunText;
using richtest::ViewFixture;

namespace {

constexpr uint32_t SUBMIT_EVENT = 80000100;

// A target that keeps the text of every submit event it is sent.
class CSubmitTarget : public CGuiObject {
public:
    int OnEvent(const EngineEvent& event) override
    {
        if (event.id == SUBMIT_EVENT)
            texts.emplace_back(reinterpret_cast<const char*>(event.param1));
        return 1;
    }
    std::vector<std::string> texts;
};

struct EditFixture : ViewFixture {
    explicit EditFixture(uint32_t flags = CRichTextView::FLAG_HORIZONTAL)
    {
        box = Add<CRichEditBox>(300, 300, 200, 20);
        box->CreateEdit(200, 20, flags);
        box->TakeFocus();
        target = Add<CSubmitTarget>(10, 10, 1, 1);
        box->SetSubmitEvent(target->GetId(), SUBMIT_EVENT, false);
    }
    void Type(std::string_view text)
    {
        for (size_t at = 0; at < text.size(); ++at) {
            InputState input;
            input.character[0] = static_cast<uint8_t>(text[at]);
            if (static_cast<uint8_t>(text[at]) >= 0x81 && at + 1 < text.size())
                input.character[1] = static_cast<uint8_t>(text[++at]);
            box->OnChar(input);
        }
    }
    CRichEditBox* box { nullptr };
    CSubmitTarget* target { nullptr };
};

} // namespace

TEST(RichEditBox, TheLengthLimitCutsOnlyWhatWasJustInserted)
{
    struct Case {
        const char* before;
        const char* inserted;
        const char* after;
    };
    const Case cases[] = {
        { "ab", "中", "ab中" },  // exactly the limit
        { "abc", "中", "abc" },  // the two-byte character does not fit: it goes, the cut ends
        { "ab", "cdef", "abcd" },
        { "abcd", "e", "abcd" }, // at the limit: refused
    };
    for (const Case& c : cases) {
        EditFixture edit;
        edit.box->SetMaxLength(4);
        edit.Type(c.before);
        edit.box->AppendMarkup(c.inserted);
        EXPECT_EQ(edit.box->GetPlainText(), c.after) << c.before << " + " << c.inserted;
        EXPECT_LE(edit.box->GetTextLength(), 4);
    }
    // A huge paste is cut in one go; in a multi-line box whose top lines are
    // trimmed meanwhile, the text before stays as far as it is not trimmed.
    for (const uint32_t flags : { CRichTextView::FLAG_HORIZONTAL, 0u }) {
        EditFixture edit(flags);
        const int32_t limit = flags != 0 ? 3000 : 1500; // below the 1000 lines kept
        edit.box->SetMaxLength(limit);
        edit.Type("ab");
        std::string paste;
        for (int i = 0; i < 50000; ++i)
            paste += "x\n";
        edit.box->AppendMarkup(paste);
        EXPECT_EQ(edit.box->GetTextLength(), limit) << flags;
        EXPECT_EQ(edit.box->GetPlainText().substr(0, 4), flags != 0 ? "abx\n" : "x\nx\n") << flags;
    }
    // Inserted in the middle, the text after the caret stays.
    EditFixture edit;
    edit.box->SetMaxLength(4);
    edit.Type("abc");
    edit.box->MoveCaretLeft();
    edit.box->MoveCaretLeft();
    edit.box->AppendMarkup("XY");
    EXPECT_EQ(edit.box->GetPlainText(), "aXbc");
}

TEST(RichEditBox, LengthAndPlainTextCountObjectsAsSixBytes)
{
    EditFixture edit;
    edit.Type("a");
    auto* picture = edit.Add<CGuiObject>(0, 0, 8, 8);
    edit.box->AppendObject(picture);
    edit.Type("中");
    EXPECT_EQ(edit.box->GetTextLength(), 9);
    EXPECT_EQ(edit.box->GetPlainText(), "a[控件]中");
}

TEST(RichEditBox, ObjectTagsAndTypedOrPastedMarkupStayText)
{
    EditFixture edit;
    edit.box->AppendMarkup("<z=face>");
    EXPECT_EQ(RunText(*edit.box), "<z=face>");
    edit.box->Clear();
    edit.Type("#r<c=255>");
    EXPECT_EQ(RunText(*edit.box), "#r<c=255>");
    edit.box->Clear();
    ASSERT_TRUE(platform::SetClipboardText("#r<c=255><url=http://evil.example/>"));
    edit.box->Paste();
    EXPECT_EQ(RunText(*edit.box), "#r<c=255><url=http://evil.example/>");
    EXPECT_TRUE(edit.box->GetLinkMap().empty());
}

TEST(RichEditBox, EnterSubmitsTheLineAndHistoryRecallsItWithWrapAround)
{
    EditFixture edit(CRichTextView::FLAG_HORIZONTAL | CRichEditBox::FLAG_HISTORY);
    for (const char* line : { "A", "B", "C<x>" }) {
        edit.box->Clear();
        edit.Type(line);
        EXPECT_EQ(edit.box->OnKey(platform::VK_RETURN), 1);
    }
    EXPECT_EQ(edit.target->texts, (std::vector<std::string> { "A", "B", "C<x>" }));
    const char* expected[] = { "B", "A", "C<x>", "A" };
    for (int i = 0; i < 4; ++i) {
        edit.box->OnKey(i < 3 ? platform::VK_UP : platform::VK_DOWN);
        EXPECT_EQ(edit.box->GetPlainText(), expected[i]) << i;
        EXPECT_EQ(edit.box->GetInsertionPoint(), nullptr);
    }
}

TEST(RichEditBox, EnterInAMultiLineBoxInsertsALineBreak)
{
    EditFixture edit(0);
    edit.Type("ab");
    edit.box->OnKey(platform::VK_RETURN);
    edit.Type("c");
    EXPECT_EQ(edit.box->GetPlainText(), "ab\nc");
    EXPECT_TRUE(edit.target->texts.empty());
}

TEST(RichEditBox, KeysItDoesNotTakeFallThrough)
{
    EditFixture edit;
    EXPECT_EQ(edit.box->OnKey(0x56), 0); // V without Ctrl
    EXPECT_EQ(edit.box->OnKey(0x41), 0);
    edit.Type("abc");
    EXPECT_EQ(edit.box->OnKey(platform::VK_LEFT), 1);
    EXPECT_EQ(edit.box->OnKey(platform::VK_BACK), 1);
    EXPECT_EQ(edit.box->GetPlainText(), "ac");
    EXPECT_EQ(edit.box->OnKey(platform::VK_DELETE), 1);
    EXPECT_EQ(edit.box->GetPlainText(), "a");
}

TEST(RichEditBox, TheHintGoesAtTheFirstKey)
{
    EditFixture edit;
    edit.box->SetHint("输入", 0x808080);
    EXPECT_TRUE(edit.box->IsHintShown());
    EXPECT_EQ(edit.box->LastRun()->colour, 0x808080u);
    edit.Type("x");
    EXPECT_FALSE(edit.box->IsHintShown());
    EXPECT_EQ(edit.box->GetPlainText(), "x");
    EXPECT_EQ(edit.box->LastRun()->colour, 0x010101u);
}

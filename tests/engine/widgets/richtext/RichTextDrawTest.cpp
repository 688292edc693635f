// Drawing of the rich-text view: coalesced redraws, the pixel cache against
// a full redraw, password display, placing embedded objects.
#include <gtest/gtest.h>

#include <vector>

#include "engine/core/CanvasObject.h"
#include "engine/media/MediaServices.h"
#include "engine/widgets/richtext/RichTextTestSupport.h"

using namespace engine;
using richtest::ViewFixture;

namespace {

class CCountingView : public CRichTextView {
public:
    void ApplyScroll(bool reuse) override
    {
        ++redraws;
        CRichTextView::ApplyScroll(reuse);
    }
    int redraws { 0 };
};

std::vector<uint8_t> Pixels(CRichTextView& view)
{
    const std::span<uint8_t> pixels = view.GetCanvas()->GetPixels();
    return std::vector<uint8_t>(pixels.begin(), pixels.end());
}

size_t InkedPixels(const std::vector<uint8_t>& pixels)
{
    size_t count = 0;
    for (size_t i = 3; i < pixels.size(); i += 4)
        count += pixels[i] != 0;
    return count;
}

class RichTextDrawTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InstallMediaServices(); }
    static void TearDownTestSuite() { CCanvasServices::Reset(); }
};

} // namespace

TEST_F(RichTextDrawTest, ChangesWithinTheWaitGiveOneRedraw)
{
    ViewFixture engine;
    auto* view = engine.Add<CCountingView>(200, 200, 100, 60);
    view->Create(100, 60, 0x202, 0);
    view->redraws = 0;
    for (int i = 0; i < 10; ++i)
        view->AppendMarkup("line\n");
    EXPECT_TRUE(view->IsRedrawPending());
    engine.Frames(8);
    EXPECT_EQ(view->redraws, 1);
    EXPECT_FALSE(view->IsRedrawPending());
}

TEST_F(RichTextDrawTest, ACachedRedrawEqualsAFullRedraw)
{
    struct Case {
        const char* markup;
        int32_t scroll; // text rows scrolled down by before the cached redraw
    };
    const Case cases[] = {
        { "第一行 first line\n<c=255>第二行 second<>\n#r第三行<> third\n第四行 fourth\n第五行 fifth\n", 16 },
        { "abc\n<size=1000>中<>\nx\ny\nz\n", 3 }, // a run far wider and taller than the pane
    };
    for (const Case& c : cases) {
        ViewFixture engine(120, 40, 0);
        engine.view->AppendMarkup(c.markup);
        engine.view->ApplyScroll(false);
        engine.view->ScrollTo(c.scroll);
        engine.view->ApplyScroll(true);
        const std::vector<uint8_t> cached = Pixels(*engine.view);
        engine.view->ApplyScroll(false);
        EXPECT_EQ(cached, Pixels(*engine.view)) << c.markup;
        EXPECT_GT(InkedPixels(cached), 0u) << c.markup;
    }
}

TEST_F(RichTextDrawTest, PasswordViewsHideTheCharactersButCopyThem)
{
    ViewFixture plain(120, 30, 0x20004);
    ViewFixture secret(120, 30, 0x20004 | CRichTextView::FLAG_PASSWORD);
    for (ViewFixture* engine : { &plain, &secret }) {
        engine->view->AppendMarkup("中a");
        engine->view->SelectAll();
    }
    EXPECT_NE(Pixels(*plain.view), Pixels(*secret.view));
    EXPECT_GT(InkedPixels(Pixels(*secret.view)), 0u);
    EXPECT_EQ(secret.view->SelectedText(), "中a");
}

TEST_F(RichTextDrawTest, EmbeddedObjectsArePlacedOnlyWhileVisible)
{
    ViewFixture engine(100, 40, 0x20000);
    engine.view->AppendMarkup("<z=face>\n1\n2\n3\n4\n5\n");
    CEngineObject* picture = engine.m_objects->FindObject(engine.view->FirstRun()->ObjectId());
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->IsActive());
    EXPECT_DOUBLE_EQ(picture->GetLeft(), engine.view->GetCanvas()->GetLeft());
    EXPECT_DOUBLE_EQ(picture->GetZ(), engine.view->GetCanvas()->GetZ() + 0.001);
    engine.view->ScrollToEnd();
    EXPECT_FALSE(picture->IsActive());
    engine.view->ScrollToTop();
    EXPECT_TRUE(picture->IsActive());
}

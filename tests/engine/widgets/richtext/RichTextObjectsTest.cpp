// Elements and links inside the view: pictures, buttons, link clicks and
// hovering, their lifetime with the runs, and the URL opener's checks.
#include <gtest/gtest.h>

#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/RichTextLink.h"
#include "engine/widgets/richtext/RichTextTestSupport.h"

using namespace engine;
using richtest::CRecordingOpener;
using richtest::RunText;
using richtest::ViewFixture;

namespace {

// The engine object of the first object run.
template <typename T>
T* FirstObject(ViewFixture& engine)
{
    for (const RichTextRun* run = engine.view->FirstRun(); run != nullptr; run = run->next) {
        if (run->IsObject())
            return dynamic_cast<T*>(engine.m_objects->FindObject(run->ObjectId()));
    }
    return nullptr;
}

void Send(ViewFixture& engine, CEngineObject* target, uint32_t id)
{
    EngineEvent event;
    engine.m_objects->DeliverEvent(*MakeEngineEvent(&event, target->GetId(), id, 0, 0));
}

} // namespace

TEST(RichTextObjects, PicturesTakeTheirOwnOrTheGivenSize)
{
    struct Case {
        const char* markup;
        uint16_t width;
        uint16_t height;
    };
    for (const Case c : { Case { "<z=face>", 12, 10 }, Case { "<z=face,0,20,0>", 20, 10 },
                          Case { "<z=face,0,100000,7>", 0xFFFF, 7 } }) {
        ViewFixture engine;
        engine.view->AppendMarkup(c.markup);
        const RichTextRun* run = engine.view->FirstRun();
        ASSERT_NE(run, nullptr) << c.markup;
        EXPECT_EQ(run->width, c.width) << c.markup;
        EXPECT_EQ(run->height, c.height) << c.markup;
        auto* element = FirstObject<CRichTextElement>(engine);
        ASSERT_NE(element, nullptr);
        EXPECT_EQ(element->GetIntWidth(), c.width) << c.markup;
        EXPECT_EQ(element->GetCopyText(), "[图片]");
        EXPECT_EQ(engine.view->CopyTextOf(*run), "[图片]");
    }
}

TEST(RichTextObjects, AnElementNeverSetUpCopiesAsUnknown)
{
    CRichTextElement element;
    EXPECT_EQ(element.GetCopyText(), "[未知物体]");
}

TEST(RichTextObjects, APictureButtonReportsOneClickAndOpensItsUrl)
{
    CRecordingOpener opener;
    ViewFixture engine;
    engine.view->EnableLinks(true);
    engine.view->AppendMarkup("<url_btn=http://example.com/a,btn>");
    ASSERT_EQ(engine.view->FirstRun()->flags, RUN_OBJECT | RUN_BUTTON);
    auto* button = FirstObject<CRichTextElement>(engine);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(engine.view->CopyTextOf(*engine.view->FirstRun()), "http://example.com/a");
    Send(engine, button, VELOTRIX_EVENT_LBUTTON_DOWN);
    Send(engine, button, VELOTRIX_EVENT_LBUTTON_CLICK);
    auto* picture = dynamic_cast<CImageObject*>(engine.m_objects->FindObject(button->GetVisualId()));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetCurrentFrame(), 1u);
    engine.Frames(2);
    EXPECT_EQ(opener.opened, (std::vector<std::string> { "http://example.com/a" }));
}

TEST(RichTextObjects, ALinkClickOpensItsTargetUnlessTheLinkIsGoneFirst)
{
    CRecordingOpener opener;
    ViewFixture engine;
    engine.view->EnableLinks(true);
    engine.view->AppendMarkup("<url=http://a.example/>");
    const RichTextRun* first = engine.view->FirstRun();
    auto* link = engine.view->LinkOfRun(first);
    ASSERT_NE(link, nullptr);
    link->OnClick();
    engine.Frames(2);
    EXPECT_EQ(opener.opened, (std::vector<std::string> { "http://a.example/" }));

    // Cleared before the posted click arrives: nothing is opened.
    link = engine.view->LinkOfRun(engine.view->FirstRun());
    link->OnClick();
    const uint32_t link_id = link->GetId();
    engine.view->Clear();
    EXPECT_EQ(engine.m_objects->FindObject(link_id), nullptr);
    engine.Frames(2);
    EXPECT_EQ(opener.opened.size(), 1u);
}

TEST(RichTextObjects, AnEmptyTargetPostsNothing)
{
    CRecordingOpener opener;
    ViewFixture engine;
    auto* link = engine.Add<CRichTextLink>(10, 10, 1, 1);
    link->SetLink("", "", engine.view->GetId());
    link->OnClick();
    engine.Frames(2);
    EXPECT_TRUE(opener.opened.empty());
}

TEST(RichTextObjects, DeletingRunsDestroysTheirObjects)
{
    ViewFixture engine;
    engine.view->EnableLinks(true);
    engine.view->AppendMarkup("<url=http://a/>x<z=face>");
    const uint32_t link_id = engine.view->GetLinkMap().begin()->second;
    const uint32_t picture_id = engine.view->LastRun()->ObjectId();
    engine.view->DeleteRunAt(0);
    EXPECT_EQ(engine.m_objects->FindObject(link_id), nullptr);
    EXPECT_TRUE(engine.view->GetLinkMap().empty());
    EXPECT_NE(engine.m_objects->FindObject(picture_id), nullptr);
    engine.view->RemoveObject(picture_id, false);
    EXPECT_NE(engine.m_objects->FindObject(picture_id), nullptr); // kept, only the run went
    EXPECT_EQ(RunText(*engine.view), "ttp://a/x");
    engine.view->AppendMarkup("<z=face>");
    const uint32_t second = engine.view->LastRun()->ObjectId();
    engine.view->Clear();
    EXPECT_EQ(engine.m_objects->FindObject(second), nullptr);
}

TEST(RichTextObjects, HoveringALinkShowsItsHoverPictureAndLeavingHidesIt)
{
    ViewFixture engine;
    engine.view->EnableLinks(true);
    engine.view->AppendMarkup("<url_text=http://a/,link,face> plain");
    auto* link = engine.view->LinkOfRun(engine.view->FirstRun());
    ASSERT_NE(link, nullptr);
    CEngineObject* hover = engine.m_objects->FindObject(link->GetHoverImageId());
    ASSERT_NE(hover, nullptr);
    EXPECT_FALSE(hover->IsActive());
    const double left = engine.view->GetCanvas()->GetLeft();
    const double top = engine.view->GetCanvas()->GetTop();
    engine.view->OnMouseMove(static_cast<int32_t>(left) + 3, static_cast<int32_t>(top) + 3);
    EXPECT_TRUE(hover->IsActive());
    engine.view->OnMouseMove(static_cast<int32_t>(left) + 50, static_cast<int32_t>(top) + 3);
    EXPECT_FALSE(hover->IsActive());
}

TEST(RichTextObjects, PostedTextIsAppendedAndFreed)
{
    ViewFixture engine;
    const std::string text = "<c=255>posted";
    EngineEvent event;
    engine.view->PostEvent(*MakeEngineEvent(&event, engine.view->GetId(), RICH_EVENT_APPEND_TEXT,
                                            MakeSystemPayload(std::vector<uint8_t>(text.begin(), text.end())), 0));
    engine.Frames(1);
    EXPECT_EQ(RunText(*engine.view), "posted");
}

TEST(UrlOpener, OnlyWebAndFtpUrlsLeaveTheProgram)
{
    struct Case {
        const char* url;
        bool allowed;
    };
    const Case cases[] = {
        { "http://example.com/", true },   { "HTTPS://example.com/a?b=c", true },
        { "ftp://files.example/x", true },  { "http://", false },
        { "javascript:alert(1)", false },   { "file:///etc/passwd", false },
        { "-http://x", false },             { "http://a b", false },
        { "http://a\nb", false },           { "", false },
        { "http://例子.cn/", true },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CXdgUrlOpener::IsAllowedUrl(c.url), c.allowed) << c.url;
}

TEST(RichTextObjects, DestroyingTheViewTakesEveryObjectOfItWith)
{
    ViewFixture engine(200, 100, 0x202 | CRichTextView::FLAG_SELECTABLE | CRichTextView::FLAG_EDITABLE);
    const size_t before = engine.m_objects->GetObjectCount() - 5; // the view, its canvases and caret
    engine.view->EnableLinks(true);
    engine.view->AppendMarkup("<url_text=http://a/,link,face><z=face><m=face><url_btn=http://b/,btn>");
    engine.Frames(6);
    engine.m_objects->DestroyObject(engine.view->GetId());
    EXPECT_EQ(engine.m_objects->GetObjectCount(), before);
}

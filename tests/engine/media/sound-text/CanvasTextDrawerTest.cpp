// The canvases' text drawer over the shared renderer, the tags it reports as
// the renderer's own, and the renderer's lock lent by the object module.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FixedGlyphSource.h"
#include "engine/core/ObjectModule.h"
#include "tests/platform/ThreadProbe.h"
#include "engine/media/CCanvasTextDrawer.h"
#include "engine/media/TextTag.h"

using engine::CanvasTextStyle;
using engine::CCanvasTextDrawer;
using engine::CTextRenderer;

namespace {

std::unique_ptr<CCanvasTextDrawer> MakeDrawer()
{
    auto renderer = std::make_unique<CTextRenderer>(std::make_unique<test_support::CFixedGlyphSource>());
    renderer->Init();
    return std::make_unique<CCanvasTextDrawer>(std::move(renderer));
}

CanvasTextStyle CanvasStyle(int32_t height, uint32_t color)
{
    CanvasTextStyle style;
    style.SetFaceName("Canvas");
    style.font_height = height;
    style.color = color;
    style.wrap = 1;
    style.alpha = 255;
    return style;
}

} // namespace

TEST(CanvasTextDrawer, DrawsInTheCanvasStyleAndKeepsTheRenderersOwn)
{
    const auto drawer = MakeDrawer();
    CTextRenderer& renderer = drawer->GetRenderer();
    const CanvasTextStyle own = CanvasStyle(12, 0x0000FF00);
    renderer.SetStyle(own);

    std::vector<uint8_t> pixels(40 * 30 * 4, 0);
    drawer->DrawText(CanvasStyle(20, 0x000000FF), pixels, 40, 30, 0, 0, "ab<size=16>c");
    // Two 10-pixel characters of height 20 in red, then one of 8 at height 16.
    const auto at = [&](int x, int y) { return &pixels[(size_t(y) * 40 + x) * 4]; };
    EXPECT_EQ(at(0, 0)[2], 0xFF);
    EXPECT_EQ(at(0, 0)[3], 0xFF);
    EXPECT_EQ(at(19, 19)[3], 0xFF);
    EXPECT_EQ(at(20, 3)[3], 0);
    EXPECT_EQ(at(20, 4)[3], 0xFF);
    EXPECT_EQ(at(28, 4)[3], 0);

    // The renderer's own style (and its colour) is back, tags included.
    EXPECT_EQ(renderer.GetStyle().font_height, 12);
    EXPECT_EQ(renderer.GetStyle().color, 0x0000FF00u);
    EXPECT_EQ(renderer.GetStyle().GetFaceName(), "Canvas");

    EXPECT_EQ(drawer->MeasureText(CanvasStyle(20, 0), 25, "abcd"), 40);
    EXPECT_EQ(renderer.GetStyle().font_height, 12);
}

TEST(CanvasTextDrawer, FitsAtTheCanvasFontHeight)
{
    const auto drawer = MakeDrawer();
    std::string caption = "abcdefghijkl";
    // Twelve bytes at size 20 need 120 pixels: the caption is cut to fit 60.
    (void)drawer->FitText(CanvasStyle(20, 0), 60, 30, caption);
    EXPECT_LE(caption.size() * 10, 60u);
    EXPECT_TRUE(caption.ends_with(".."));
}

// The canvases skip the width of the tags the drawer calls known; those must
// be exactly the tags the renderer consumes instead of drawing.
TEST(CanvasTextDrawer, KnownTagsAreExactlyThoseTheRendererConsumes)
{
    const auto drawer = MakeDrawer();
    CTextRenderer& renderer = drawer->GetRenderer();
    renderer.SetStyle(CanvasStyle(20, 0));
    const int32_t plain = [&] {
        (void)renderer.MeasureText(1000, "x");
        return renderer.GetWidestExtent();
    }();
    const std::vector<std::string> tags = {
        "size=20", "SIZE=20;foo=1", "color=255", "c=1", "rgb=1,2,3", "rgb=1,2", "/color", "bold", "bold=700",
        "/bold", "underline", "/italic", "pitch=2", "/pitch", "rowspace=1", "leftmargin=0", "/leftmargin",
        "rightmargin=0", "fontname='x'", "/fontname", "script:go", "//note", "foo", "foo;size=20", "", " ",
    };
    for (const std::string& tag : tags) {
        (void)renderer.MeasureText(1000, "<" + tag + ">x");
        const bool consumed = renderer.GetWidestExtent() == plain;
        EXPECT_EQ(drawer->IsKnownTag(tag), consumed) << "<" << tag << ">";
    }
    EXPECT_FALSE(engine::IsKnownTextTag("rgb=1,2"));
    EXPECT_TRUE(engine::IsKnownTextTag("Bold"));
}

TEST(CanvasTextDrawer, OutsideTextOpensNoTagTheRendererConsumes)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        { "<color=255>x", "\xA3\xBC" "color=255>x" },
        { "<SIZE=40><b>", "\xA3\xBC" "SIZE=40><b>" }, // "b" is no tag of the renderer's
        { "<3 you", "<3 you" },
        { "<script:go(1)><//note>", "\xA3\xBC" "script:go(1)>" "\xA3\xBC" "//note>" },
        { "<\x01" "color=1>", "\xA3\xBC" "color=1>" }, // judged without its control byte
        { "a\r\nb\x7F", "a\nb" }, // a line break stays a line break
        { "中\xD6", "中" },                    // a lead byte with nothing after it
        { "\xD6<color=1>", "\xD6<color=1>" }, // the '<' is the second byte of a character
    };
    for (const auto& c : cases)
        EXPECT_EQ(engine::EscapeCanvasText(c.in), c.out) << c.in;
}

TEST(TextRendererLock, LentLockIsTheObjectModulesTextSemaphore)
{
    engine::ObjectModule module;
    CTextRenderer renderer(nullptr);
    renderer.LendLock(&module);
    renderer.Lock();

    std::atomic<bool> canvas_entered { false };
    std::atomic<pid_t> canvas_tid { 0 };
    std::thread canvas([&] {
        canvas_tid = platform::testing::CurrentThreadTid();
        module.LockTextRenderer();
        canvas_entered = true;
        module.UnlockTextRenderer();
    });
    // Checked once the canvas thread is asleep, blocked on the lock.
    EXPECT_TRUE(platform::testing::WaitUntilThreadSleeps(canvas_tid));
    EXPECT_FALSE(canvas_entered.load()) << "a canvas drew while the renderer was held";
    renderer.Unlock();
    canvas.join();
    EXPECT_TRUE(canvas_entered.load());

    // Without a lender the renderer has a lock of its own.
    CTextRenderer alone(nullptr);
    alone.Lock();
    alone.Unlock();
    alone.Lock();
    alone.Unlock();
}

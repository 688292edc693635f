// The entity facade's image operations over a fake paint module, and the
// image and canvas objects it creates.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "tests/platform/TempFolder.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/pictures/PictureTestSupport.h"
#include "platform/DailyLog.h"

using namespace engine;
using enginetest::CRecordingObject;
using picturetest::ActionFixture;

namespace {

// A paint module that knows one image, "card" (three 10 x 6 frames), and
// records what it is asked to draw and clear.
class CFakePaintImages : public picturetest::CNamedImagePaint {
public:
    CFakePaintImages() { images["card"] = picturetest::MakeStrip(10, 6, 3); }
    void DrawImage(const ImageRef& ref, int32_t x, int32_t y, int32_t width, int32_t height, double angle) override
    {
        drawn.push_back({ ref.id, x, y, width, height, angle });
    }
    void Clear(uint32_t colour) override { cleared.push_back(colour); }

    struct Draw {
        uint32_t id;
        int32_t x, y, width, height;
        double angle;
    };
    std::vector<Draw> drawn;
    std::vector<uint32_t> cleared;
};

class EntityImagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto paint = std::make_unique<CFakePaintImages>();
        m_paint = paint.get();
        (void)m_engine.m_core.LoadModule(std::move(paint), true, true);
        m_entity = m_engine.Add<CRecordingObject>(10, 10, 4, 4);
    }
    std::string ReadRunLog() { return m_logs.ReadLogs(); }

    // Declared first: the log folder outlives the engine that writes to it.
    platform::testing::CTempLogFolder m_logs;
    ActionFixture m_engine;
    CFakePaintImages* m_paint { nullptr };
    CRecordingObject* m_entity { nullptr };
};

size_t Count(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

} // namespace

TEST_F(EntityImagesTest, GetImageFillsTheFrameOrLogsEachMiss)
{
    ImageRef ref;
    EXPECT_EQ(&m_entity->GetImage(ref, "card", 4), &ref);
    EXPECT_TRUE(ref.IsValid());
    EXPECT_EQ(ref.frame, 1u);

    ref.width = 99;
    m_entity->GetImage(ref, "nothing", 0);
    m_entity->GetImage(ref, "nothing", 0);
    EXPECT_EQ(ref.record, nullptr);
    EXPECT_EQ(ref.width, 0); // the empty reference is copied out
    EXPECT_EQ(Count(ReadRunLog(), "res \"nothing\" does not exists!"), 2u);
}

TEST_F(EntityImagesTest, NewImageObjectShowsTheImageAtItsSize)
{
    ImageRef ref;
    m_entity->GetImage(ref, "card", 2);
    CImageObject* image = m_entity->NewImageObject(ref);
    ASSERT_NE(image, nullptr);
    EXPECT_NE(image->GetId(), 0u);
    EXPECT_EQ(m_engine.m_objects->FindObject(image->GetId()), image);
    EXPECT_DOUBLE_EQ(image->GetWidth(), 10.0);
    EXPECT_DOUBLE_EQ(image->GetHeight(), 6.0);
    EXPECT_EQ(image->GetCurrentFrame(), 2u);
    EXPECT_EQ(image->GetFrameImage().GetInfo().record, ref.record);
}

TEST_F(EntityImagesTest, NewCanvasObjectHasItsSizeAndKey)
{
    CCanvasObject* canvas = m_entity->NewCanvasObject(42, 22, 0xFF00FF);
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(m_engine.m_objects->FindObject(canvas->GetId()), canvas);
    EXPECT_DOUBLE_EQ(canvas->GetWidth(), 42.0);
    EXPECT_DOUBLE_EQ(canvas->GetHeight(), 22.0);
    EXPECT_EQ(canvas->GetImageRef().width, 42);
    EXPECT_EQ(canvas->GetImageRef().height, 22);
    // A size the canvas cannot hold still gives a registered, empty canvas.
    CCanvasObject* empty = m_entity->NewCanvasObject(0, 22, 0xFF00FF);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->GetImageRef().record, nullptr);
}

TEST_F(EntityImagesTest, DirectDrawingAndClearingReachThePaintModule)
{
    ImageRef ref;
    m_entity->GetImage(ref, "card", 0);
    EXPECT_EQ(m_entity->DrawImageDirect(ref, 5, 6, 0, -1, 30.0), 1);
    EXPECT_EQ(m_entity->DrawImageDirect(ref, 5, 6, 10, 6, 0.0), 1);
    ASSERT_EQ(m_paint->drawn.size(), 2u);
    EXPECT_EQ(m_paint->drawn[0].width, 800); // the view's size
    EXPECT_EQ(m_paint->drawn[0].height, 600);
    EXPECT_DOUBLE_EQ(m_paint->drawn[0].angle, 30.0);
    EXPECT_EQ(m_paint->drawn[1].width, 10);
    m_entity->ClearScreen(0x123456);
    EXPECT_EQ(m_paint->cleared, std::vector<uint32_t> { 0x123456 });

    CRecordingObject loose; // no core: nothing to reach
    EXPECT_EQ(loose.DrawImageDirect(ref, 0, 0, 1, 1, 0.0), 0);
    EXPECT_EQ(loose.NewImageObject(ref), nullptr);
    EXPECT_EQ(loose.NewCanvasObject(4, 4, 0), nullptr);
}

// The canvas with the real software blitter behind its blitter interface.
#include <gtest/gtest.h>

#include "engine/core/CanvasObject.h"
#include "engine/core/pictures/PictureTestSupport.h"
#include "engine/media/MediaServices.h"

using namespace engine;
using picturetest::MakeStrip;
using picturetest::RefTo;

namespace {

class CanvasMediaTest : public ::testing::Test {
protected:
    void SetUp() override { CCanvasServices::InstallBlitter(std::make_unique<CCanvasBlitter>()); }
    void TearDown() override { CCanvasServices::Reset(); }
};

} // namespace

TEST_F(CanvasMediaTest, DrawsTheCurrentFrameWhereItIsAsked)
{
    CCanvasObject canvas;
    ASSERT_EQ(canvas.Create(10, 8, COLOUR_NONE, 0), 1);
    auto strip = MakeStrip(4, 3, 2);
    ImageRef ref = RefTo(*strip);
    ref.frame = 1;
    canvas.DrawImage(ref, 2, 1, -1, -1, 0.0, 1.0);
    EXPECT_EQ(canvas.GetAlphaAt(1, 1), 0u);
    EXPECT_EQ(canvas.GetAlphaAt(2, 1), 255u);
    EXPECT_EQ(canvas.GetAlphaAt(5, 3), 255u);
    EXPECT_EQ(canvas.GetAlphaAt(6, 3), 0u);
    EXPECT_EQ(canvas.GetAlphaAt(5, 4), 0u);
    // Frame 1 (blue 1) at its pixel (3, 2): green 3, red 2.
    EXPECT_EQ(canvas.GetColourAt(5, 3), 0x010302u);
}

TEST_F(CanvasMediaTest, ImagesHangingOverEveryEdgeAreClipped)
{
    CCanvasObject canvas;
    ASSERT_EQ(canvas.Create(6, 5, COLOUR_NONE, 0), 1);
    auto big = MakeStrip(20, 20, 1);
    const ImageRef ref = RefTo(*big);
    canvas.DrawImage(ref, -10, -10, -1, -1, 0.0, 1.0);
    canvas.DrawImage(ref, 3, 3, -1, -1, 0.0, 1.0);
    canvas.DrawImage(ref, -7, 2, 40, 3, 45.0, 1.0);
    canvas.DrawImage(ref, 0, 0, 0, 0, 0.0, 1.0);
    auto grid = MakeStrip(20, 20, 3, 2);
    ImageRef cell = RefTo(*grid);
    cell.frame = 2;
    canvas.DrawImage(cell, -15, 1, 30, -1, 10.0, 0.5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(canvas.GetAlphaAt(x, y), 255u);
}

TEST_F(CanvasMediaTest, ResizeUsesTheBlittersNearestScaling)
{
    CCanvasObject canvas;
    ASSERT_EQ(canvas.Create(2, 1, COLOUR_NONE, 0), 1);
    canvas.SetPixel(0, 0, 0x0000FF);
    canvas.Resize(4, 2);
    EXPECT_EQ(canvas.GetColourAt(1, 1), 0x0000FFu);
    EXPECT_EQ(canvas.GetAlphaAt(3, 0), 0u);
}

TEST_F(CanvasMediaTest, CutOfAnImageIsDrawnUnscaledAndKeptInsideTheImage)
{
    CCanvasObject canvas;
    ASSERT_EQ(canvas.Create(10, 10, COLOUR_NONE, 0), 1);
    auto strip = MakeStrip(6, 5, 1);
    const ImageRef ref = RefTo(*strip);
    canvas.DrawImage(ref, 1, 2, 3, 2, 2, 1, 1.0); // source (2..4, 1..2) at (1..3, 2..3)
    EXPECT_EQ(canvas.GetColourAt(1, 2), 0x000201u);  // green = source x 2, red = source y 1
    EXPECT_EQ(canvas.GetColourAt(3, 3), 0x000402u);
    EXPECT_EQ(canvas.GetAlphaAt(4, 2), 0u);
    EXPECT_EQ(canvas.GetAlphaAt(1, 4), 0u);
    // A cut reaching past the image stops at its edge; one starting outside draws nothing.
    canvas.DrawImage(ref, 5, 5, 0, 0, 4, 3, 1.0); // source (4..5, 3..4)
    EXPECT_EQ(canvas.GetColourAt(6, 6), 0x000504u); // source (5, 4)
    EXPECT_EQ(canvas.GetAlphaAt(7, 5), 0u);
    CCanvasObject untouched;
    ASSERT_EQ(untouched.Create(4, 4, COLOUR_NONE, 0), 1);
    untouched.DrawImage(ref, 0, 0, 2, 2, 9, 9, 1.0);
    EXPECT_EQ(untouched.GetAlphaAt(0, 0), 0u);
}

#include "engine/media/GDIPaintModule.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResourceModule.h"

#include "engine/core/FrameImage.h"
#include "engine/core/GameCore.h"
#include "platform/DailyLog.h"

#include "ImageTestSupport.h"

#include <gtest/gtest.h>

using namespace engine;
using imagetest::MakeBgra;

namespace {

using Bytes = std::vector<uint8_t>;

class CFakeClock final : public platform::IClock {
public:
    [[nodiscard]] uint32_t GetTickCount() const override { return m_now; }
    uint32_t m_now { 5000 };
};

class CRecordingTarget final : public IPresentTarget {
public:
    bool Present(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch,
                 std::span<const EngineRect> /*changed*/) override
    {
        ++m_count;
        m_last.assign(pixels, pixels + size_t(height) * pitch);
        m_width = width;
        return true;
    }
    int m_count { 0 };
    int32_t m_width { 0 };
    Bytes m_last;
};

Bytes PpsOf(uint16_t w, uint16_t h, uint32_t pixel, uint32_t frames = 1)
{
    ImageRecord image = MakeBgra(w, h, std::vector<uint32_t>(size_t(w) * h * frames, pixel), IMAGE_FLAG_ALPHA, frames);
    if (frames > 1) {
        image.flags |= IMAGE_FLAG_ANIMATED;
        image.delays = std::make_unique<uint32_t[]>(frames);
        for (uint32_t f = 0; f < frames; ++f) {
            image.delays[f] = 50;
            for (uint32_t i = 0; i < uint32_t(w) * h; ++i) {
                const uint32_t v = pixel + f;
                std::memcpy(&image.pixels[(f * w * h + i) * 4], &v, 4);
            }
        }
    }
    return EncodePps(image, nullptr, PPS_METHOD_BEST);
}

class PaintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::CDailyLog::Instance().SetFolder(m_folder.Path());
        ASSERT_EQ(m_core.LoadModule(std::make_unique<ResourceModule>(), true, true), VELOTRIX_RETURN_OK);
        ASSERT_EQ(m_core.LoadModule(std::make_unique<GDIPaintModule>(), true, true), VELOTRIX_RETURN_OK);
        m_resources = dynamic_cast<ResourceModule*>(m_core.GetModule(VELOTRIX_MODULE_RESOURCE));
        m_paint = dynamic_cast<GDIPaintModule*>(m_core.GetModule(VELOTRIX_MODULE_PAINT));
        m_paint->SetSize(40, 30);
        m_paint->SetPresentTarget(&m_target);
    }
    void TearDown() override { platform::CDailyLog::Instance().SetFolder({}); }

    // One paint pass over the rectangles with the pictures at (x, y) centres.
    // The view centre (20, 15) is the view's own middle: world = view units.
    void Paint(std::vector<EngineRect> rects, std::vector<std::pair<CFrameImage*, ObjectState>> objects,
               int32_t view_centre_x = 20, int32_t view_centre_y = 15)
    {
        auto request = std::make_unique<RenderRequest>();
        request->view_centre_x = view_centre_x;
        request->view_centre_y = view_centre_y;
        request->rects = std::move(rects);
        for (auto& [picture, state] : objects)
            request->records.push_back(RenderRecord { state, picture });
        m_core.SendMessage(ModuleMessage::Owning(VELOTRIX_MODULE_PAINT, VELOTRIX_MSG_RENDER, std::move(request)));
    }
    static ObjectState StateAt(double x, double y, double w, double h, double alpha = 1.0)
    {
        ObjectState state;
        state.x = x;
        state.y = y;
        state.width = w;
        state.height = h;
        state.alpha = alpha;
        return state;
    }
    uint32_t Shown(int32_t x, int32_t y) const { return m_paint->GetPresentation()[size_t(y) * 40 + x]; }
    // Points the picture at the named image, as an image object would.
    void Bind(CFrameImage& picture, std::string_view name)
    {
        ImageRef ref;
        m_paint->LoadImageByName(ref, name, 0);
        picture.SetInfo(ref);
    }

    imagetest::CTempFolder m_folder;
    CFakeClock m_clock;
    GameCore m_core { m_clock };
    ResourceModule* m_resources { nullptr };
    GDIPaintModule* m_paint { nullptr };
    CRecordingTarget m_target;
};

} // namespace

TEST_F(PaintTest, LoadsNeedTheResourceModuleAndSetTheGdiSetting)
{
    GameCore alone(m_clock);
    EXPECT_EQ(alone.LoadModule(std::make_unique<GDIPaintModule>(), true, true),
              VELOTRIX_RETURN_MODULE_INITIAL_FAILD);
    EXPECT_EQ(m_core.GetIntSetting(GDIPaintModule::SETTING_GDI_PAINT), 1);
}

TEST_F(PaintTest, ImagesAreFoundByNameCachedWithRisingIds)
{
    (void)m_resources->AddResource("card.pps", PpsOf(4, 2, 0xFF112233, 3));
    (void)m_resources->AddResource("back.pps", PpsOf(2, 2, 0xFF445566));
    ImageRef ref;
    m_paint->LoadImageByName(ref, "card", 7);
    ASSERT_NE(ref.record, nullptr);
    EXPECT_EQ(ref.id, 2u);
    EXPECT_EQ(ref.frame, 1u);
    EXPECT_EQ(ref.width, 4);
    EXPECT_EQ(ref.height, 2);
    EXPECT_EQ(ref.tint, COLOUR_NONE);
    EXPECT_EQ(ref.key, MakeNameKey("card.imge"));
    ImageRef again;
    m_paint->LoadImageByName(again, "card", 0);
    EXPECT_EQ(again.record, ref.record);
    m_paint->LoadImageByName(again, "back", 0);
    EXPECT_EQ(again.id, 3u);

    m_paint->ReleaseImage("back");
    m_paint->ReleaseImage("never");
    m_paint->LoadImageByName(again, "back", 0);
    EXPECT_EQ(again.id, 4u);                                  // ids are never reused

    ImageRef missing;
    missing.id = 99;
    m_paint->LoadImageByName(missing, "nothing", 0);
    EXPECT_EQ(missing.id, 0u);
    EXPECT_EQ(missing.record, nullptr);
    EXPECT_TRUE(m_paint->AddImageCopy(ref, "copy"));
    EXPECT_FALSE(m_paint->AddImageCopy(ref, "copy"));
    EXPECT_NE(m_paint->FindImage("copy.imge"), nullptr);
}

TEST_F(PaintTest, RefusesPpsWithABlockAndUnknownExtensions)
{
    ImageRecord block = imagetest::MakePalette(1, 1, { 0 }, { 1, 2, 3 }, IMAGE_NO_COLOUR_KEY, false);
    block.flags = IMAGE_FLAG_BLOCK32;
    const Bytes pps = EncodePps(block, nullptr, PPS_METHOD_RAW);
    ASSERT_FALSE(pps.empty());
    (void)m_resources->AddResource("block.pps", pps);
    (void)m_resources->AddResource("odd.xyz", Bytes { 1 });
    ImageRef ref;
    m_paint->LoadImageByName(ref, "block", 0);
    EXPECT_EQ(ref.record, nullptr);
    EXPECT_EQ(m_paint->FindImage("odd"), nullptr);
}

TEST_F(PaintTest, PaintsOnlyDirtyRectanglesAndPresents)
{
    (void)m_resources->AddResource("red.pps", PpsOf(4, 4, 0xFFFF0000));
    m_paint->Clear(0x00000080);                              // dark red background as 0x00BBGGRR
    EXPECT_EQ(m_paint->GetBackground()[0], 0xFF800000u);
    CFrameImage picture;
    Bind(picture, "red");

    // The object is centred at (10, 10); only the left half of the view is dirty.
    // An opaque alpha pixel over an opaque one blends with a = 255: 255 * 255 >> 8.
    Paint({ { 0, 0, 20, 30 } }, { { &picture, StateAt(10, 10, 4, 4) } });
    EXPECT_EQ(Shown(10, 10), 0xFFFE0000u);
    EXPECT_EQ(Shown(8, 8), 0xFFFE0000u);
    EXPECT_EQ(Shown(7, 7), 0xFF800000u);
    EXPECT_EQ(Shown(30, 10), 0u);                             // outside every dirty rectangle
    EXPECT_EQ(m_target.m_count, 1);
    EXPECT_EQ(m_target.m_width, 40);

    // Moved, with only its old place dirty: the new place is not recomposed.
    Paint({ { 6, 6, 14, 14 } }, { { &picture, StateAt(30, 10, 4, 4) } });
    EXPECT_EQ(Shown(10, 10), 0xFF800000u);
    EXPECT_EQ(Shown(30, 10), 0u);

    // A rectangle reaching outside the view is clamped; an inverted one is empty.
    Paint({ { -5, -5, 100, 100 }, { 10, 10, 5, 5 } }, { { &picture, StateAt(30, 10, 4, 4, 0.5) } });
    EXPECT_EQ(Shown(30, 10), 0xFFBE0000u);                    // (255 * 126 + 128 * 129) >> 8 = 190
    EXPECT_EQ(m_core.SendMessage(VELOTRIX_MODULE_PAINT, VELOTRIX_MSG_PAINT, 0, 0), 0);
    EXPECT_EQ(m_target.m_count, 4);
}

TEST_F(PaintTest, MovedViewDrawsObjectsWhereTheObjectModulePutsThem)
{
    (void)m_resources->AddResource("red.pps", PpsOf(4, 4, 0xFFFF0000));
    CFrameImage picture;
    Bind(picture, "red");

    // The view is centred on world (120, 65), so its top left is world
    // (100, 50). The object at world (110, 60) arrives as (10, 10) and must
    // be drawn there, not shifted by the view a second time. Over the clear
    // background an alpha pixel is copied.
    Paint({ { 0, 0, 40, 30 } }, { { &picture, StateAt(10, 10, 4, 4) } }, 120, 65);
    EXPECT_EQ(Shown(10, 10), 0xFFFF0000u);
    EXPECT_EQ(Shown(8, 8), 0xFFFF0000u);
    EXPECT_EQ(Shown(7, 7), 0u);
    EXPECT_EQ(Shown(12, 12), 0u);

    // Its hit rectangle is in world units: the clip moves with the view.
    ObjectState clipped = StateAt(30, 20, 4, 4);
    clipped.flags = DRAW_FLAG_CLIP;
    clipped.hit_rect = EngineRect { 128, 68, 130, 72 };
    Paint({ { 0, 0, 40, 30 } }, { { &picture, clipped } }, 120, 65);
    EXPECT_EQ(Shown(28, 18), 0xFFFF0000u);
    EXPECT_EQ(Shown(29, 21), 0xFFFF0000u);
    EXPECT_EQ(Shown(30, 20), 0u);
    EXPECT_EQ(Shown(31, 20), 0u);
}

TEST_F(PaintTest, ReplacedResourcesShowTheirNewImage)
{
    (void)m_resources->AddResource("QRCode_Image.pps", PpsOf(2, 2, 0xFF00FF00));
    CFrameImage picture;
    Bind(picture, "QRCode_Image");
    Paint({ { 0, 0, 40, 30 } }, { { &picture, StateAt(20, 15, 2, 2) } });
    EXPECT_EQ(Shown(20, 15), 0xFF00FF00u);

    (void)m_resources->AddResource("QRCode_Image.pps", PpsOf(2, 2, 0xFF0000FF));
    EXPECT_EQ(m_paint->GetCacheCount(), 0u);                  // the old decode is gone
    m_clock.m_now += 2000;
    m_core.Tick();
    Paint({ { 0, 0, 40, 30 } }, { { &picture, StateAt(20, 15, 2, 2) } });
    EXPECT_EQ(Shown(20, 15), 0xFF0000FFu);
    EXPECT_EQ(picture.GetInfo().id, picture.GetRecord()->id);
    // Drawn again in the next pass without waiting for another refresh.
    Paint({ { 0, 0, 40, 30 } }, { { &picture, StateAt(10, 15, 2, 2) } });
    EXPECT_EQ(Shown(10, 15), 0xFF0000FFu);
}

TEST_F(PaintTest, MemoryResourcesDecodeAgainAfterRelease)
{
    (void)m_resources->AddResource("chip.pps", PpsOf(1, 1, 0xFF010203));
    ASSERT_NE(m_paint->FindImage("chip.imge"), nullptr);
    m_paint->ReleaseImage("chip");
    EXPECT_NE(m_paint->FindImage("chip.imge"), nullptr);
}

TEST_F(PaintTest, FpsIsARunningAverage)
{
    EXPECT_EQ(m_paint->GetFps(), 0.0);
    for (int i = 0; i < 150; ++i) {
        m_clock.m_now += 20;
        m_core.Tick();
    }
    EXPECT_NEAR(m_paint->GetFps(), 50.0, 0.5);
}

TEST_F(PaintTest, SurfaceSizeAndScreenDepth)
{
    m_paint->Clear(0x000000FF);
    EXPECT_EQ(m_paint->GetBackground()[0], 0xFFFF0000u);       // bytes 0, 0, 255, 255
    const uint32_t* before = m_paint->GetBackground().data();
    m_paint->SetSize(40, 30);
    EXPECT_EQ(m_paint->GetBackground().data(), before);
    EXPECT_EQ(m_paint->GetBackground()[0], 0xFFFF0000u);
    m_paint->SetSize(8, 4);
    EXPECT_EQ(m_paint->GetBackground()[0], 0u);
    EXPECT_EQ(m_paint->GetSurfaceInfo().width, 8);

    EXPECT_EQ(GDIPaintModule::To16(0x00FFFFFF), 0xFFFF);
    EXPECT_EQ(GDIPaintModule::To16(0x00000007), 0);
    m_paint->SetScreenDepth(16);
    m_paint->Clear(0x00FFFFFF);
    Paint({ { 0, 0, 8, 4 } }, {});
    EXPECT_EQ(m_paint->GetConverted()[0], 0xFF);
    EXPECT_EQ(m_paint->GetConverted()[1], 0xFF);
}

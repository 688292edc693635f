// A scripted scene through the object module, the paint module and the
// blitter, painted headless; and a screenshot of the real window when an X
// server is at hand.
#include "engine/media/GDIPaintModule.h"
#include "engine/media/MediaServices.h"
#include "engine/media/PpsCodec.h"
#include "engine/media/ResPackage.h"
#include "engine/media/ResourceModule.h"
#include "engine/media/StartScreen.h"

#include "engine/core/GameCore.h"
#include "engine/core/ImageObject.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/NameKey.h"
#include "platform/DailyLog.h"
#include "platform/Path.h"

#include "ImageTestSupport.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {

class CFakeClock final : public platform::IClock {
public:
    [[nodiscard]] uint32_t GetTickCount() const override { return m_now; }
    uint32_t m_now { 10000 };
};

std::vector<uint8_t> SolidPps(uint16_t w, uint16_t h, uint32_t pixel)
{
    const ImageRecord image = imagetest::MakeBgra(w, h, std::vector<uint32_t>(size_t(w) * h, pixel), IMAGE_FLAG_ALPHA);
    return EncodePps(image, nullptr, PPS_METHOD_BEST);
}

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::CDailyLog::Instance().SetFolder(m_folder.Path());
        ASSERT_EQ(m_core.LoadModule(std::make_unique<ResourceModule>(), true, true), VELOTRIX_RETURN_OK);
        ASSERT_EQ(m_core.LoadModule(std::make_unique<ObjectModule>(), true, false), VELOTRIX_RETURN_OK);
        ASSERT_EQ(m_core.LoadModule(std::make_unique<GDIPaintModule>(), true, true), VELOTRIX_RETURN_OK);
        m_resources = dynamic_cast<ResourceModule*>(m_core.GetModule(VELOTRIX_MODULE_RESOURCE));
        m_objects = dynamic_cast<ObjectModule*>(m_core.GetModule(VELOTRIX_MODULE_OBJECT));
        m_paint = dynamic_cast<GDIPaintModule*>(m_core.GetModule(VELOTRIX_MODULE_PAINT));
        m_paint->SetSize(WIDTH, HEIGHT);
        m_objects->SetViewSize(WIDTH, HEIGHT);
        m_objects->SetViewCentre(WIDTH / 2, HEIGHT / 2);
        m_paint->Clear(0x00404040);
    }
    void TearDown() override { platform::CDailyLog::Instance().SetFolder({}); }

    CImageObject* AddImage(std::string_view name, double x, double y, double z)
    {
        auto object = std::make_unique<CImageObject>();
        CImageObject* image = object.get();
        m_objects->AddObject(std::move(object), nullptr);
        ImageRef ref;
        m_paint->LoadImageByName(ref, name, 0);
        EXPECT_NE(ref.record, nullptr) << name;
        image->SetImage(ref, CImageObject::FitSize::Yes);
        image->SetZ(z);
        image->MoveTo(x, y);
        image->Show(true);
        image->Activate();
        image->Invalidate();
        return image;
    }
    uint32_t Shown(int32_t x, int32_t y) const { return m_paint->GetPresentation()[size_t(y) * WIDTH + x]; }
    uint32_t Composed(int32_t x, int32_t y) const { return m_paint->GetComposition()[size_t(y) * WIDTH + x]; }

    static constexpr int32_t WIDTH = 64;
    static constexpr int32_t HEIGHT = 48;
    imagetest::CTempFolder m_folder;
    CFakeClock m_clock;
    GameCore m_core { m_clock };
    ResourceModule* m_resources { nullptr };
    ObjectModule* m_objects { nullptr };
    GDIPaintModule* m_paint { nullptr };
};

} // namespace

TEST_F(SceneTest, PaintsObjectsInOrderAndRecomposesOnlyDirtyAreas)
{
    (void)m_resources->AddResource("table.pps", SolidPps(64, 48, 0xFF206020));
    (void)m_resources->AddResource("card.pps", SolidPps(10, 14, 0xFFF0F0F0));
    (void)m_resources->AddResource("chip.pps", SolidPps(4, 4, 0x80FF0000));
    AddImage("table", 32, 24, 0);
    CImageObject* card = AddImage("card", 20, 20, 1);
    AddImage("chip", 20, 20, 2);
    m_objects->RefreshView();

    EXPECT_EQ(Shown(0, 0), 0xFF1F5F1Fu);                     // the table over the background
    EXPECT_EQ(Shown(16, 14), 0xFFEFEFEFu);                   // the card's corner
    // The half-transparent chip over the card: a = 128.
    const uint32_t channel = (0xEF * 127) >> 8;              // blue and green fade
    const uint32_t red = (0xFF * 128 + 0xEF * 127) >> 8;
    EXPECT_EQ(Shown(20, 20), 0xFF000000u | red << 16 | channel << 8 | channel);

    // Moving the card repaints its old and new places only: mark pixels
    // elsewhere and see them survive the pass.
    const_cast<std::vector<uint32_t>&>(m_paint->GetComposition())[size_t(40) * WIDTH + 60] = 0x12345678;
    const_cast<std::vector<uint32_t>&>(m_paint->GetPresentation())[size_t(40) * WIDTH + 60] = 0x12345678;
    card->MoveTo(44, 20);
    card->Invalidate();
    m_clock.m_now += 100;
    m_core.Tick();
    EXPECT_EQ(Shown(40, 14), 0xFFEFEFEFu);
    EXPECT_EQ(Shown(16, 14), 0xFF1F5F1Fu);
    EXPECT_EQ(Composed(60, 40), 0x12345678u);
    EXPECT_EQ(Shown(60, 40), 0x12345678u);
}

TEST_F(SceneTest, MovedViewShowsTheObjectOnceShifted)
{
    (void)m_resources->AddResource("card.pps", SolidPps(10, 14, 0xFFF0F0F0));
    AddImage("card", 120, 60, 1);
    // The view's top left moves to world (100, 40): the card's centre is
    // then at (20, 20) on the screen, its top left at (15, 13).
    m_objects->SetViewCentre(100 + WIDTH / 2, 40 + HEIGHT / 2);
    m_objects->RefreshView();
    EXPECT_EQ(Shown(15, 13), 0xFFEFEFEFu);
    EXPECT_EQ(Shown(24, 26), 0xFFEFEFEFu);
    EXPECT_EQ(Shown(14, 13), 0xFF404040u);
    EXPECT_EQ(Shown(25, 27), 0xFF404040u);
}

TEST(MediaServices, FactoryMakesTheMediaModules)
{
    CMediaModuleFactory factory;
    EXPECT_EQ(factory.CreateResourceModule()->GetId(), VELOTRIX_MODULE_RESOURCE);
    EXPECT_EQ(factory.CreatePaintModule()->GetId(), VELOTRIX_MODULE_PAINT);
    CCanvasBlitter blitter;
    uint32_t pixels[4] = {};
    const ImageRecord image = imagetest::MakeBgra(1, 1, { 0xFF0000FF }, 0);
    DrawParams params;
    params.centre_x = 1;
    params.centre_y = 1;
    params.width = 1;
    params.height = 1;
    blitter.Blit(pixels, 2, 2, params, image, 0, 0, 1, 1, 1.0, COLOUR_NONE);
    EXPECT_EQ(pixels[0], 0xFF0000FFu);
}

TEST_F(SceneTest, StartScreenFillsTheView)
{
    platform::SetProgramFolder(m_folder.Path());
    EXPECT_EQ(ShowStartScreen(m_core), 0u);                  // no package beside the program yet
    const ImageRecord picture = imagetest::MakeBgra(32, 24, std::vector<uint32_t>(32 * 24, 0xFF336699), 0);
    const std::vector<uint8_t> package = BuildResPackage(
        { ResPackageSource { "StartScreen.imge", StringHash(".pps"), EncodePps(picture, nullptr, PPS_METHOD_BEST) } });
    std::filesystem::create_directories(m_folder / "skin");
    imagetest::WriteFile(m_folder, "skin/start.kor", package);
    const uint32_t id = ShowStartScreen(m_core);
    platform::SetProgramFolder({});
    ASSERT_NE(id, 0u);
    m_objects->RefreshView();
    EXPECT_EQ(Shown(0, 0), 0xFF336699u);
    EXPECT_EQ(Shown(WIDTH - 1, HEIGHT - 1), 0xFF336699u);
}

// An opaque image drawn first stands in for the background only where it
// covers a dirty rectangle whole, and whole-view passes hand the composition
// over to the presentation: passes over the whole view and over parts, one
// after another, show the table, the background beside a smaller table, and
// no card left behind where a card was.
class OpaqueTableTest : public SceneTest {
protected:
    void Check(uint16_t width, uint16_t height)
    {
        const auto opaque_pps = [](uint16_t w, uint16_t h, uint32_t pixel) {
            return EncodePps(imagetest::MakeBgra(w, h, std::vector<uint32_t>(size_t(w) * h, pixel), 0), nullptr,
                             PPS_METHOD_BEST);
        };
        (void)m_resources->AddResource("opaque.pps", opaque_pps(width, height, 0xFF206020));
        (void)m_resources->AddResource("card.pps", opaque_pps(10, 14, 0xFFF0F0F0));
        AddImage("opaque", width / 2.0, height / 2.0, 0);
        CImageObject* card = AddImage("card", 20, 20, 1);
        const uint32_t beside_table = width == WIDTH ? 0xFF206020u : 0xFF404040u;
        const auto move_card = [&](double x) {
            card->MoveTo(x, 20);
            card->Invalidate();
            m_clock.m_now += 100;
            m_core.Tick();
        };
        for (int pass = 0; pass < 3; ++pass) {
            m_objects->RefreshView();
            EXPECT_EQ(Shown(2, 2), 0xFF206020u) << pass;
            EXPECT_EQ(Shown(60, 44), beside_table) << pass;
            EXPECT_EQ(Shown(20, 20), 0xFFF0F0F0u) << pass;
            move_card(55);
            EXPECT_EQ(Shown(20, 20), 0xFF206020u) << pass;
            EXPECT_EQ(Shown(55, 20), 0xFFF0F0F0u) << pass;
            move_card(20);
            EXPECT_EQ(Shown(55, 20), beside_table) << pass;
            EXPECT_EQ(Shown(20, 20), 0xFFF0F0F0u) << pass;
        }
    }
};

TEST_F(OpaqueTableTest, TableOverTheWholeView) { Check(64, 48); }
TEST_F(OpaqueTableTest, TableOverPartOfTheView) { Check(40, 30); }

// The QR-code panel: the bitmap bytes of known symbols, the notice record's
// text, and the code registered as a resource and shown by name on the panel.
#include "game/scene/QrCodePanel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/EngineEntity.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/ImageObject.h"
#include "engine/media/GDIPaintModule.h"
#include "engine/media/MediaServices.h"
#include "engine/media/ResourceCategory.h"
#include "engine/media/ResourceModule.h"
#include "platform/ByteOrder.h"
#include "platform/DailyLog.h"
#include "platform/TempFolder.h"

namespace scene {
namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return platform::LoadU32LE(b.data() + at); }
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return platform::LoadU16LE(b.data() + at); }

// The three bytes of pixel (x, y) of a top-down 24-bit bitmap; -1 when they differ.
int Pixel(const std::vector<uint8_t>& b, int side, int x, int y)
{
    const size_t at = QR_BITMAP_HEADER_BYTES + (size_t(y) * size_t(side) + size_t(x)) * 3;
    return b[at] == b[at + 1] && b[at] == b[at + 2] ? b[at] : -1;
}

TEST(QrBitmap, HeaderAndSizeFollowTheSymbolWidth)
{
    struct Case {
        std::string text;
        int modules;
    };
    const Case cases[] = {
        { "A", 21 },                                 // version 1
        { std::string(20, 'x'), 25 },                // 20 bytes need version 2 at level L
        { std::string(33, 'x'), 29 },                // 33 bytes: version 3
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::vector<uint8_t> bmp = MakeQrBitmap(c.text);
        const int side = 8 * c.modules;
        const size_t pixel_bytes = size_t(side) * size_t(side) * 3;
        ASSERT_EQ(bmp.size(), pixel_bytes + 54);
        EXPECT_EQ(bmp[0], 'B');
        EXPECT_EQ(bmp[1], 'M');
        EXPECT_EQ(U32(bmp, 2), pixel_bytes + 54);
        EXPECT_EQ(U32(bmp, 6), 0u);
        EXPECT_EQ(U32(bmp, 10), 54u);
        EXPECT_EQ(U32(bmp, 14), 40u);
        EXPECT_EQ(int32_t(U32(bmp, 18)), side);
        EXPECT_EQ(int32_t(U32(bmp, 22)), -side);
        EXPECT_EQ(U16(bmp, 26), 1);
        EXPECT_EQ(U16(bmp, 28), 24);
        for (size_t at = 30; at < 54; ++at)
            EXPECT_EQ(bmp[at], 0) << at;
        // The finder pattern in the top left corner: a dark ring, a light
        // ring, a dark 3 x 3 centre, then the light separator; the same in
        // the top right corner. Each module is 8 x 8 pixels.
        const int module_at[] = { 0, 8 + 7, 16, 3 * 8 + 4, 6 * 8 + 7, 7 * 8 };
        const int expected[] = { 0, 0xFF, 0, 0, 0, 0xFF };
        for (size_t i = 0; i < std::size(module_at); ++i) {
            EXPECT_EQ(Pixel(bmp, side, module_at[i], module_at[i]), expected[i]) << i;
            EXPECT_EQ(Pixel(bmp, side, side - 1 - module_at[i], module_at[i]), expected[i]) << i;
        }
        // The timing row (module row 6) alternates from column 8: dark, light.
        EXPECT_EQ(Pixel(bmp, side, 8 * 8 + 3, 6 * 8 + 3), 0);
        EXPECT_EQ(Pixel(bmp, side, 9 * 8 + 3, 6 * 8 + 3), 0xFF);
    }
    EXPECT_EQ(MakeQrBitmap(std::string(20, 'x')).size(), 120054u);
}

TEST(QrBitmap, OnlyBitZeroDarkensAndBadSymbolsGiveNothing)
{
    // Module bytes carry other flags above bit 0: only bit 0 counts.
    const std::vector<uint8_t> modules { 0x01, 0xFE, 0x02, 0xC1 };
    const std::vector<uint8_t> bmp = WriteQrBitmap(2, modules);
    ASSERT_EQ(bmp.size(), 54u + 16 * 16 * 3);
    const struct {
        int x, y, value;
    } pixels[] = { { 0, 0, 0 }, { 7, 7, 0 }, { 8, 0, 0xFF }, { 15, 7, 0xFF }, { 0, 8, 0xFF }, { 8, 8, 0 }, { 15, 15, 0 } };
    for (const auto& p : pixels)
        EXPECT_EQ(Pixel(bmp, 16, p.x, p.y), p.value) << p.x << "," << p.y;

    EXPECT_TRUE(WriteQrBitmap(0, {}).empty());
    EXPECT_TRUE(WriteQrBitmap(178, std::vector<uint8_t>(178 * 178)).empty());
    EXPECT_TRUE(WriteQrBitmap(3, modules).empty());                  // too few modules
    EXPECT_TRUE(MakeQrBitmap("").empty());
    EXPECT_TRUE(MakeQrBitmap(std::string(2954, 'x')).empty());      // beyond version 40 at level L
    EXPECT_EQ(MakeQrBitmap(std::string(2953, 'x')).size(), 54u + size_t(177 * 8) * (177 * 8) * 3);
}

TEST(QrNotice, TextIsReadWithinTheRecordWhenTheFirstWordIsPositive)
{
    const auto record = [](int32_t first, const std::string& text) {
        std::vector<uint8_t> r(QR_NOTICE_TEXT_AT + text.size());
        platform::StoreU32LE(r.data(), uint32_t(first));
        std::copy(text.begin(), text.end(), r.begin() + QR_NOTICE_TEXT_AT);
        return r;
    };
    EXPECT_EQ(QrNoticeText(record(1, std::string("abc\0def", 7))), "abc");
    EXPECT_EQ(QrNoticeText(record(3, "unterminated")), "unterminated");
    EXPECT_EQ(QrNoticeText(record(0, "abc")), "");
    EXPECT_EQ(QrNoticeText(record(-1, "abc")), "");
    EXPECT_EQ(QrNoticeText(record(1, "")), "");
    EXPECT_EQ(QrNoticeText(std::vector<uint8_t> { 1, 0 }), "");
}

// An engine with the object module, the real resource and paint modules and
// a scene-like entity that creates the panel's objects.
class QrPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::CDailyLog::Instance().SetFolder(m_folder.Path());
        engine::InstallMediaServices();
        ASSERT_EQ(m_engine.m_core.LoadModule(std::make_unique<engine::ResourceModule>(), true, true),
                  engine::VELOTRIX_RETURN_OK);
        ASSERT_EQ(m_engine.m_core.LoadModule(std::make_unique<engine::GDIPaintModule>(), true, true),
                  engine::VELOTRIX_RETURN_OK);
        m_resources = dynamic_cast<engine::ResourceModule*>(m_engine.m_core.GetModule(engine::VELOTRIX_MODULE_RESOURCE));
        m_scene = m_engine.Add<engine::CEngineEntity>(400, 300, 10, 10);
        m_panel = std::make_unique<CQrCodePanel>(*m_scene);
    }
    void TearDown() override { platform::CDailyLog::Instance().SetFolder({}); }

    platform::testing::CTempFolder m_folder;
    enginetest::EngineFixture m_engine { false };
    engine::ResourceModule* m_resources { nullptr };
    engine::CEngineEntity* m_scene { nullptr };
    std::unique_ptr<CQrCodePanel> m_panel;
};

TEST_F(QrPanelTest, NoticeRegistersTheCodeAndShowsItByNameOnThePanel)
{
    engine::CEngineObject* panel = m_panel->CreatePanel();
    ASSERT_NE(panel, nullptr);
    engine::CEngineObject* close = m_engine.Add<engine::CEngineObject>(0, 0, 10, 10);
    m_panel->AttachButtons(nullptr, close, nullptr);
    m_panel->Place(600, true);
    EXPECT_FALSE(m_panel->IsShown());
    EXPECT_EQ(close->GetX(), 195 + 74);
    EXPECT_EQ(close->GetY(), 460 - 118);

    std::vector<uint8_t> notice(QR_NOTICE_TEXT_AT + 2, 0);
    notice[0] = 1;
    notice[QR_NOTICE_TEXT_AT] = 'A';
    m_panel->OnSceneNotice(notice);
    const auto bytes = m_resources->Find(engine::MakeNameKey(engine::ResourceNameOf(QR_IMAGE_RESOURCE)));
    EXPECT_EQ(bytes.size(), MakeQrBitmap("A").size());
    engine::ImageRef image;
    m_scene->GetImage(image, QR_IMAGE_NAME, 0);
    ASSERT_NE(image.record, nullptr);
    EXPECT_EQ(image.width, 168);
    engine::CImageObject* code = m_panel->GetCodeImage();
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(code->GetFrameImage().GetInfo().width, 168);
    EXPECT_EQ(code->GetX(), 195);
    EXPECT_EQ(code->GetY(), 460 - 45);
    EXPECT_EQ(code->GetWidth(), 120);
    EXPECT_EQ(code->GetHeight(), 120);
    EXPECT_EQ(code->GetZ(), QR_PART_DEPTH);
    EXPECT_FALSE(code->IsActive()); // the panel is closed

    // A second code replaces the first in the same object, decoded afresh;
    // a text the encoder refuses leaves it as it was.
    EXPECT_TRUE(m_panel->ShowQRCodePanel(std::string(20, 'x')));
    EXPECT_EQ(m_panel->GetCodeImage(), code);
    m_scene->GetImage(image, QR_IMAGE_NAME, 0);
    EXPECT_EQ(image.width, 200);
    EXPECT_EQ(code->GetFrameImage().GetInfo().width, 200);
    EXPECT_FALSE(m_panel->ShowQRCodePanel(std::string(3000, 'x')));
    EXPECT_EQ(m_resources->Find(engine::MakeNameKey(engine::ResourceNameOf(QR_IMAGE_RESOURCE))).size(), 120054u);

    // The panel moves its code with it.
    panel->MoveTo(100, 490);
    EXPECT_EQ(code->GetX(), 100);
    EXPECT_EQ(code->GetY(), 445);
}

TEST_F(QrPanelTest, QrButtonTogglesThePanelAndCloseShowsTheButton)
{
    ASSERT_NE(m_panel->CreatePanel(), nullptr);
    // Shown means active: only active objects are painted. The panel's
    // parts come and go with it.
    engine::CEngineObject* button = m_engine.Add<engine::CEngineObject>(0, 0, 10, 10);
    engine::CEngineObject* close = m_engine.Add<engine::CEngineObject>(0, 0, 10, 10);
    button->Deactivate();
    m_panel->AttachButtons(button, close, nullptr);
    EXPECT_TRUE(button->IsActive());
    EXPECT_FALSE(close->IsActive());
    m_panel->OnQrButton(true);
    EXPECT_TRUE(m_panel->IsShown());
    EXPECT_TRUE(close->IsActive());
    EXPECT_FALSE(button->IsActive());
    m_panel->OnQrButton(true);
    EXPECT_FALSE(m_panel->IsShown());
    EXPECT_FALSE(close->IsActive());
    EXPECT_TRUE(button->IsActive());
    m_panel->OnQrButton(false);
    EXPECT_TRUE(button->IsActive());
    m_panel->Close();
    EXPECT_FALSE(m_panel->IsShown());
    EXPECT_FALSE(m_panel->ShowQRCodePanel(""));
}

} // namespace
} // namespace scene

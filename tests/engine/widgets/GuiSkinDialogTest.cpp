#include "engine/widgets/GuiSkinDialog.h"

#include "engine/core/CanvasObject.h"
#include "engine/widgets/WidgetTestSupport.h"

using namespace widgettest;

namespace {

// A skin of width x height whose pixels at columns and rows 10 to 19 below
// `margin` transparent rows are clear; the margin rows are clear too.
std::unique_ptr<ImageRecord> MakeSkin(uint16_t height, int32_t margin)
{
    auto skin = picturetest::MakeStrip(30, height, 1);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < 30; ++x) {
            const int32_t frame_y = y - margin;
            const bool clear = y < margin || (x >= 10 && x < 20 && frame_y >= 10 && frame_y < 20);
            if (clear)
                skin->pixels[(size_t(y) * 30 + x) * 4 + 3] = 0;
        }
    return skin;
}

class GuiSkinDialogTest : public WidgetTest {
protected:
    CGuiSkinDialog* MakeDialog(ImageRecord& skin, int32_t width, int32_t height)
    {
        auto* dialog = Make<CGuiSkinDialog>();
        dialog->Create(picturetest::RefTo(skin), 0x123456, width, height);
        dialog->MoveTo(400, 300);
        dialog->Activate();
        return dialog;
    }
};

} // namespace

TEST_F(GuiSkinDialogTest, SlicesAreFoundFromTheTransparentMiddle)
{
    for (int32_t margin : { 0, 1 }) {
        SCOPED_TRACE(margin);
        auto skin = MakeSkin(uint16_t(30 + margin), margin);
        CGuiSkinDialog* dialog = MakeDialog(*skin, 200, 100);
        const auto& source = dialog->GetSourceSlices();
        EXPECT_EQ(source[CGuiSkinDialog::SLICE_CENTRE], (EngineRect { 10, 10 + margin, 20, 20 + margin }));
        EXPECT_EQ(source[CGuiSkinDialog::SLICE_TOP_LEFT].Height(), 10);
        EXPECT_EQ(source[CGuiSkinDialog::SLICE_BOTTOM_LEFT].Height(), 10);
        EXPECT_EQ(dialog->GetBackCanvas()->GetCanvasWidth(), 220);
        EXPECT_EQ(dialog->GetBackCanvas()->GetCanvasHeight(), 120);
        EngineRect client;
        EXPECT_EQ(dialog->GetClientRect(client), (EngineRect { 10, 10, 210, 110 }));
    }
}

TEST_F(GuiSkinDialogTest, FrameIsDrawnFromTheSlicesWithCornersUnscaled)
{
    auto skin = MakeSkin(30, 0);
    CGuiSkinDialog* dialog = MakeDialog(*skin, 200, 100);
    dialog->Resize(50, 40);
    CCanvasObject* back = dialog->GetBackCanvas();
    ASSERT_EQ(back->GetCanvasWidth(), 70);
    ASSERT_EQ(back->GetCanvasHeight(), 60);
    // The skin's pixels carry green = x, red = y: corners map one to one.
    EXPECT_EQ(back->GetColourAt(3, 4), 0x000304u);
    EXPECT_EQ(back->GetColourAt(63, 4), 0x001704u);
    EXPECT_EQ(back->GetColourAt(63, 55), 0x001719u);
    // The client area is filled with the centre colour.
    EXPECT_EQ(back->GetColourAt(35, 30), 0x123456u);
    EXPECT_EQ(dialog->GetTitleCanvas()->GetCanvasWidth(), 50);
    // The title is drawn at (7, 5) in size 14.
    dialog->SetTitle("标题");
    EXPECT_EQ(m_text->drawn.back().x, 7);
    EXPECT_EQ(m_text->drawn.back().y, 5);
    EXPECT_EQ(m_text->drawn.back().font_height, 14);
    // The client canvas covers the client area and goes when replaced.
    CEngineObject* client = dialog->GetClientCanvas();
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->GetWidth(), 50);
    EXPECT_EQ(client->GetLeft(), back->GetLeft() + 10);
    const uint32_t client_id = client->GetId();
    auto* replacement = m_engine.Add<enginetest::CRecordingObject>(0, 0, 5, 5);
    dialog->SetClientObject(replacement);
    Run();
    EXPECT_EQ(m_engine.m_objects->FindObject(client_id), nullptr);
    EXPECT_EQ(replacement->GetWidth(), 50);
    EXPECT_EQ(replacement->GetY(), back->GetTop() + 10 + 20);
}

TEST_F(GuiSkinDialogTest, SkinWithoutTransparentMiddleBuildsFromTheBorders)
{
    auto skin = picturetest::MakeStrip(30, 30, 1);
    CGuiSkinDialog* dialog = MakeDialog(*skin, 20, 20);
    EXPECT_TRUE(dialog->GetSourceSlices()[CGuiSkinDialog::SLICE_CENTRE].IsEmpty());
    EXPECT_EQ(dialog->GetBackCanvas()->GetCanvasWidth(), 50);
}

// The system note and details board on the widgets' message box, once the
// widgets have installed it.
#include "engine/widgets/WidgetServices.h"

#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiMessageBox.h"
#include "engine/widgets/GuiTextButton.h"
#include "engine/widgets/WidgetTestSupport.h"

using namespace widgettest;

namespace {

class SystemNoteBoxTest : public WidgetTest {
protected:
    SystemNoteBoxTest() { InstallWidgetServices(); }
    ~SystemNoteBoxTest() override { CSystemBoxes::InstallMaker(nullptr); }
};

} // namespace

TEST_F(SystemNoteBoxTest, NoteIsAMessageBoxWithItsButtonsOnTheRow)
{
    const EngineEvent ok = OwnerEvent(EVENT_CLICKED);
    const EngineEvent cancel = OwnerEvent(EVENT_OTHER);
    auto* box = dynamic_cast<CGuiMessageBox*>(m_owner->ShowSystemNote("hello", &ok, &cancel, 5));
    ASSERT_NE(box, nullptr);
    CCanvasObject* canvas = box->GetCanvas();
    ASSERT_NE(canvas, nullptr);
    ASSERT_NE(box->GetOkButton(), nullptr);
    ASSERT_NE(box->GetCancelButton(), nullptr);
    EXPECT_NE(box->GetCountdownCanvas(), nullptr);
    EXPECT_EQ(canvas->GetCanvasWidth(), 200);
    EXPECT_DOUBLE_EQ(canvas->GetX(), 400.0); // centred in the view
    const double row = canvas->GetBottom() - 20;
    EXPECT_DOUBLE_EQ(box->GetOkButton()->GetX(), 400.0 - CGuiMessageBox::BUTTON_WIDTH / 2 - 10);
    EXPECT_DOUBLE_EQ(box->GetCancelButton()->GetX(), 400.0 + CGuiMessageBox::BUTTON_WIDTH / 2 + 10);
    EXPECT_DOUBLE_EQ(box->GetOkButton()->GetY(), row);
    EXPECT_DOUBLE_EQ(box->GetCancelButton()->GetY(), row);
    Run(400);
    EXPECT_DOUBLE_EQ(canvas->GetAlpha(), 1.0); // faded in

    // One button alone stands in the middle.
    auto* single = dynamic_cast<CGuiMessageBox*>(m_owner->ShowSystemNote("one", &ok, nullptr, 0));
    ASSERT_NE(single, nullptr);
    ASSERT_NE(single->GetOkButton(), nullptr);
    EXPECT_DOUBLE_EQ(single->GetOkButton()->GetX(), single->GetCanvas()->GetX());
}

TEST_F(SystemNoteBoxTest, DetailsBoardIsABoxWithoutButtons)
{
    auto* box = dynamic_cast<CGuiMessageBox*>(m_owner->ShowSystemDetails());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetOkButton(), nullptr);
    EXPECT_EQ(box->GetCancelButton(), nullptr);
    EXPECT_EQ(box->GetCountdownCanvas(), nullptr);
    EXPECT_EQ(box->GetCanvas()->GetCanvasWidth(), 300);
    EXPECT_EQ(box->GetCanvas()->GetCanvasHeight(), 200);
}

#include "engine/widgets/GuiMessageBox.h"

#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiTextButton.h"
#include "engine/widgets/WidgetServices.h"
#include "engine/widgets/WidgetTestSupport.h"
#include "platform/MessageIds.h"

using namespace widgettest;

namespace {

class GuiMessageBoxTest : public WidgetTest {
protected:
    CGuiMessageBox* MakeBox(int32_t seconds, bool with_ok = true)
    {
        auto* box = Make<CGuiMessageBox>();
        const EngineEvent ok = OwnerEvent(EVENT_CLICKED);
        const EngineEvent cancel = OwnerEvent(EVENT_OTHER);
        box->Create(200, 100, with_ok ? &ok : nullptr, &cancel, seconds);
        box->MoveTo(400, 300);
        box->Activate();
        if (CGuiTextButton* button = box->GetOkButton())
            button->MoveTo(360, 330);
        if (CGuiTextButton* button = box->GetCancelButton())
            button->MoveTo(450, 330);
        box->Show(true);
        box->Invalidate();
        Run();
        return box;
    }
    [[nodiscard]] std::vector<std::string> CountdownTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& drawn : m_text->drawn)
            if (drawn.font_height == CGuiMessageBox::COUNTDOWN_FONT_SIZE)
                texts.push_back(drawn.text);
        return texts;
    }
    [[nodiscard]] bool Exists(uint32_t id) const { return m_engine.m_objects->FindObject(id) != nullptr; }
};

} // namespace

TEST_F(GuiMessageBoxTest, CountdownShowsEachSecondThenAnswersCancelOnce)
{
    CGuiMessageBox* box = MakeBox(3);
    const uint32_t id = box->GetId();
    // Beside the OK button wherever it was placed: 5 pixels right of its right edge.
    EXPECT_EQ(box->GetCountdownCanvas()->GetLeft(), box->GetOkButton()->GetRight() + 5);
    EXPECT_EQ(box->GetCountdownCanvas()->GetY(), box->GetOkButton()->GetY());
    Run(3500);
    EXPECT_EQ(CountdownTexts(), (std::vector<std::string> { "3", "2", "1", "0" }));
    EXPECT_EQ(OwnerCount(EVENT_OTHER), 0);
    Run(1000);
    EXPECT_EQ(OwnerCount(EVENT_OTHER), 1);
    Run(2000);
    EXPECT_FALSE(Exists(id));
    EXPECT_EQ(OwnerCount(EVENT_OTHER), 1);
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 0);

    CGuiMessageBox* capped = MakeBox(150, false);
    EXPECT_EQ(capped->GetSeconds(), 99);
}

TEST_F(GuiMessageBoxTest, OneAnswerWhateverTheOrderOfClicksAndTicks)
{
    CGuiMessageBox* box = MakeBox(1);
    const uint32_t id = box->GetId();
    const uint32_t ok_id = box->GetOkButton()->GetId();
    ClickAt(360, 330);
    Run(); // The answer is posted: it arrives in the next update.
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 1);
    // Cancel pressed during the fade, and the countdown's time running out.
    ClickAt(450, 330);
    Run(3000);
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 1);
    EXPECT_EQ(OwnerCount(EVENT_OTHER), 0);
    EXPECT_FALSE(Exists(id));
    EXPECT_FALSE(Exists(ok_id));
}

TEST_F(GuiMessageBoxTest, FadesOutOverTenIntervalsBeforeItGoes)
{
    CGuiMessageBox* box = MakeBox(0);
    const uint32_t id = box->GetId();
    box->Close();
    box->Close();
    Run(150);
    ASSERT_TRUE(Exists(id));
    EXPECT_LT(box->GetAlpha(), 1.0);
    EXPECT_GT(box->GetAlpha(), 0.0);
    Run(500);
    EXPECT_FALSE(Exists(id));
}

TEST_F(GuiMessageBoxTest, DraggingMovesButtonsAndCountdownAlong)
{
    CGuiMessageBox* box = MakeBox(5);
    const double ok_x = box->GetOkButton()->GetX();
    const double countdown_x = box->GetCountdownCanvas()->GetX();
    MoveTo(300, 280);
    Press(300, 280);
    m_input->OnMouseMove(320, 290, InputState::LEFT_DOWN);
    Run();
    Release(320, 290);
    EXPECT_EQ(box->GetX(), 420);
    EXPECT_EQ(box->GetOkButton()->GetX(), ok_x + 20);
    EXPECT_EQ(box->GetCountdownCanvas()->GetX(), countdown_x + 20);
}

TEST_F(GuiMessageBoxTest, SystemNoteCountdownStaysBesideItsPlacedOkButton)
{
    InstallWidgetServices();
    const EngineEvent ok = OwnerEvent(EVENT_CLICKED);
    auto* note = dynamic_cast<CGuiMessageBox*>(m_owner->ShowSystemNote("note", &ok, nullptr, 3));
    CSystemBoxes::InstallMaker(nullptr);
    ASSERT_NE(note, nullptr);
    ASSERT_NE(note->GetOkButton(), nullptr);
    EXPECT_EQ(note->GetCountdownCanvas()->GetLeft(), note->GetOkButton()->GetRight() + 5);
    EXPECT_EQ(note->GetCountdownCanvas()->GetY(), note->GetOkButton()->GetY());
}

// Return answers the box it goes down on. A held Return's repeats answer
// nothing: neither the next box, which takes the keys once the first has
// answered, nor a box that came up while Return was held already.
TEST_F(GuiMessageBoxTest, AHeldReturnAnswersOnlyTheBoxItWentDownOn)
{
    const auto up_with_keys = [&] {
        CGuiMessageBox* box = MakeBox(0);
        box->TakeKeys();
        m_input->SetModalObject(box->GetId());
        return box;
    };
    const auto return_down = [&](uint32_t flags) {
        m_input->OnKeyDown(platform::VK_RETURN, 1, flags);
        Run();
    };
    const auto press = [&] {
        m_input->OnKeyUp(platform::VK_RETURN, 1, 0);
        return_down(0);
    };
    const auto hold = [&] {
        for (int i = 0; i < 3; ++i)
            return_down(InputState::KEY_REPEAT);
    };
    CGuiMessageBox* first = up_with_keys();
    press();
    EXPECT_TRUE(first->IsClosing());
    CGuiMessageBox* second = up_with_keys(); // as the frame shows its next box
    hold();
    EXPECT_FALSE(second->IsClosing());
    press();
    EXPECT_TRUE(second->IsClosing());

    press(); // down before the box came up, and held
    CGuiMessageBox* third = up_with_keys();
    hold();
    EXPECT_FALSE(third->IsClosing());
    press();
    EXPECT_TRUE(third->IsClosing());
    Run(); // the last answer arrives
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 3);
}

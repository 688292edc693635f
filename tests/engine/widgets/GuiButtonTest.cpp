#include "engine/widgets/GuiButton.h"

#include "engine/core/CanvasObject.h"
#include "engine/widgets/WidgetSupport.h"
#include "engine/widgets/WidgetTestSupport.h"

using namespace widgettest;

namespace {

class GuiButtonTest : public WidgetTest {
protected:
    // A 40 x 20 four-frame button centred on (100, 100), shown and active.
    CGuiButton* MakeButton(uint32_t flags = 0, const EngineEvent* event = nullptr, bool use_owner_event = true)
    {
        EngineEvent clicked = OwnerEvent(EVENT_CLICKED);
        if (event == nullptr && use_owner_event)
            event = &clicked;
        auto* button = Make<CGuiButton>();
        button->Create(picturetest::RefTo(*m_strip), event, flags, VELOTRIX_OBJ_HIT_PICTURE);
        button->SetSound(CGuiButton::SOUND_ENTER, "SndTouchButton");
        button->SetSound(CGuiButton::SOUND_PRESS, "SndHitButton");
        button->MoveTo(100, 100);
        button->Show(true);
        button->Activate();
        button->Invalidate();
        Run();
        return button;
    }

    std::unique_ptr<ImageRecord> m_strip = picturetest::MakeStrip(40, 20, 4);
};

} // namespace

TEST_F(GuiButtonTest, FramesFollowThePointerAndOneClickGivesOneEvent)
{
    CGuiButton* button = MakeButton();
    enum class Act { Move, Press, Release };
    struct Step {
        const char* what;
        Act act;
        int32_t x;
        uint32_t frame;
        int clicks;
    };
    const Step steps[] = {
        { "enter", Act::Move, 100, 1, 0 },
        { "press", Act::Press, 100, 2, 0 },
        { "release", Act::Release, 100, 1, 1 },
        { "leave", Act::Move, 300, 0, 1 },
    };
    for (const Step& step : steps) {
        if (step.act == Act::Move)
            MoveTo(step.x, 100);
        else if (step.act == Act::Press)
            Press(step.x, 100);
        else
            Release(step.x, 100);
        EXPECT_EQ(button->GetFrame(), step.frame) << step.what;
        EXPECT_EQ(OwnerCount(EVENT_CLICKED), step.clicks) << step.what;
    }
    EXPECT_EQ(m_music->played, (std::vector<std::string> { "SndTouchButton", "SndHitButton" }));
    EXPECT_EQ(button->GetType(), CGuiButton::TYPE_BUTTON);
}

TEST_F(GuiButtonTest, ReleaseElsewhereGivesNoClick)
{
    MakeButton();
    MoveTo(100, 100);
    Press(100, 100);
    MoveTo(300, 100);
    Release(300, 100);
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 0);
}

TEST_F(GuiButtonTest, FireOnPressSendsOnThePressOnly)
{
    CGuiButton* button = MakeButton();
    button->SetFireOnPress();
    MoveTo(100, 100);
    Press(100, 100);
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 1);
    Release(100, 100);
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 1);
    EXPECT_EQ(button->GetFrame(), 1u);
    button->ClearFireOnPress();
    ClickAt(100, 100);
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 2);
}

TEST_F(GuiButtonTest, HiddenButtonIgnoresThePointerAndShowsFrameThree)
{
    CGuiButton* button = MakeButton();
    MoveTo(100, 100);
    m_music->played.clear();
    button->ShowNotify(false);
    EXPECT_EQ(button->GetFrame(), 3u);
    // Shown again with the cursor still over it: the hover frame.
    button->ShowNotify(true);
    EXPECT_EQ(button->GetFrame(), 1u);
    button->ShowNotify(false);
    Press(100, 100);
    Release(100, 100);
    m_input->OnKeyDown(CGuiButton::KEY_ENTER, 1, 0);
    Run();
    EXPECT_EQ(button->GetFrame(), 3u);
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 0);
    EXPECT_TRUE(m_music->played.empty());
    MoveTo(300, 100);
    button->ShowNotify(true);
    EXPECT_EQ(button->GetFrame(), 0u);
}

TEST_F(GuiButtonTest, CheckedButtonStaysDownUntilUnchecked)
{
    CGuiButton* button = MakeButton();
    button->SetChecked(true);
    EXPECT_TRUE(button->IsChecked());
    MoveTo(100, 100);
    EXPECT_EQ(button->GetFrame(), 2u);
    MoveTo(300, 100);
    EXPECT_EQ(button->GetFrame(), 2u);
    ClickAt(100, 100);
    EXPECT_EQ(button->GetFrame(), 1u);
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 1);
    // Unchecked under the cursor shows the hover frame, elsewhere the normal one.
    button->SetChecked(true);
    button->SetChecked(false);
    EXPECT_EQ(button->GetFrame(), 1u);
    button->SetChecked(true);
    MoveTo(300, 100);
    button->SetChecked(false);
    EXPECT_EQ(button->GetFrame(), 0u);
}

TEST_F(GuiButtonTest, EnterKeyClicksOnlyAVisibleButtonMadeForIt)
{
    for (uint32_t flags : { 0u, CGuiButton::FLAG_ENTER_KEY }) {
        SCOPED_TRACE(flags);
        m_owner->events.clear();
        CGuiButton* button = MakeButton(flags);
        (void)m_input->SetFocusObject(button->GetId());
        m_input->OnKeyDown(CGuiButton::KEY_ENTER, 1, 0);
        Run();
        EXPECT_EQ(OwnerCount(EVENT_CLICKED), flags != 0 ? 1 : 0);
        button->ShowNotify(false);
        m_input->OnKeyDown(CGuiButton::KEY_ENTER, 1, 0);
        Run();
        EXPECT_EQ(OwnerCount(EVENT_CLICKED), flags != 0 ? 1 : 0);
        m_engine.m_objects->DestroyObject(button->GetId());
        Run();
    }
}

TEST_F(GuiButtonTest, RecordsWithoutTargetOrIdAreNeverDelivered)
{
    const EngineEvent no_id { 0, 0, 0, 0 };
    EngineEvent no_target = OwnerEvent(EVENT_CLICKED);
    no_target.target = 0;
    EngineEvent zero_id = OwnerEvent(0);
    const EngineEvent* records[] = { nullptr, &no_id, &no_target, &zero_id };
    for (const EngineEvent* record : records) {
        CGuiButton* button = MakeButton(0, record, false);
        ClickAt(100, 100);
        button->FireClick();
        Run();
        m_engine.m_objects->DestroyObject(button->GetId());
        Run();
    }
    EXPECT_TRUE(m_owner->events.empty());
}

TEST_F(GuiButtonTest, CaptionsAreCentredAndDrawnOverEachOther)
{
    CGuiButton* button = MakeButton();
    // "OK" at size 12: two one-byte characters of (12 + 1) / 2 = 6 pixels.
    button->SetCaption("OK", 0x0000FF, 12);
    // "确定" at size 14: two two-byte characters of 14 pixels.
    button->SetCaption("确定", 0x00FF00, 14);
    CCanvasObject* canvas = button->GetCaptionCanvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->GetCanvasWidth(), 40);
    EXPECT_EQ(canvas->GetX(), 100);
    EXPECT_GT(canvas->GetZ(), button->GetImageChild()->GetZ());
    ASSERT_EQ(m_text->drawn.size(), 2u);
    EXPECT_EQ(m_text->drawn[0].x, 20 - 6);
    EXPECT_EQ(m_text->drawn[0].y, 10 - 6);
    EXPECT_EQ(m_text->drawn[1].x, 20 - 14);
    EXPECT_EQ(m_text->drawn[1].y, 10 - 7);
    EXPECT_EQ(canvas->GetTextColour(), 0x00FF00u);
    // The caption lies over the picture; the pointer reaches the button
    // through it: the hover frame, then one click.
    MoveTo(100, 100);
    EXPECT_EQ(button->GetFrame(), 1u);
    ClickAt(100, 100);
    EXPECT_EQ(OwnerCount(EVENT_CLICKED), 1);
    // The caption follows the button and is destroyed with it.
    button->MoveTo(200, 150);
    EXPECT_EQ(canvas->GetX(), 200);
    const uint32_t canvas_id = canvas->GetId();
    m_engine.m_objects->DestroyObject(button->GetId());
    Run();
    EXPECT_EQ(m_engine.m_objects->FindObject(canvas_id), nullptr);
}

TEST_F(GuiButtonTest, HandCursorGoesThroughTheCursorObjectWhenThereIsOne)
{
    CGuiButton* button = MakeButton();
    button->SetHandCursor(true);
    auto* cursor = m_engine.Add<enginetest::CRecordingObject>(-900, -900, 1, 1, false);
    cursor->SetName(CURSOR_OBJECT_NAME);
    MoveTo(100, 100);
    MoveTo(300, 100);
    ASSERT_EQ(cursor->events.size(), 2u);
    EXPECT_EQ(cursor->events[0].id, VELOTRIX_EVENT_CURSOR_HAND);
    EXPECT_EQ(cursor->events[1].id, VELOTRIX_EVENT_CURSOR_ARROW);
}

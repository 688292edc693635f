#include <gtest/gtest.h>

#include <algorithm>

#include "EngineTestSupport.h"
#include "engine/core/InputModule.h"

using namespace enginetest;

namespace {

// Keeps the events it gets and a copy of the input record they carry.
class CInputRecorder : public CGuiObject {
public:
    int OnEvent(const EngineEvent& event) override
    {
        events.push_back(event.id);
        params.emplace_back(event.param1, event.param2);
        if (IsInputEventId(event.id) && event.param2 != 0)
            states.push_back(*reinterpret_cast<const InputState*>(event.param2));
        else
            states.push_back(InputState {});
        return CGuiObject::OnEvent(event);
    }
    void RouteToSelf(std::initializer_list<uint32_t> ids)
    {
        for (uint32_t id : ids)
            AddSelfEventRoute(id);
    }
    [[nodiscard]] int Count(uint32_t id) const { return static_cast<int>(std::count(events.begin(), events.end(), id)); }
    std::vector<uint32_t> events;
    std::vector<std::pair<uintptr_t, uintptr_t>> params;
    std::vector<InputState> states;
};

constexpr std::initializer_list<uint32_t> ALL_POINTER_EVENTS = {
    VELOTRIX_EVENT_MOUSE_ENTER,   VELOTRIX_EVENT_MOUSE_LEAVE,    VELOTRIX_EVENT_LBUTTON_DOWN,
    VELOTRIX_EVENT_LBUTTON_UP,    VELOTRIX_EVENT_LBUTTON_CLICK,  VELOTRIX_EVENT_LBUTTON_DBLCLK,
    VELOTRIX_EVENT_HOVER_TIMEOUT, VELOTRIX_EVENT_HOVER_END,      VELOTRIX_EVENT_KILL_FOCUS,
    VELOTRIX_EVENT_FOCUS_GOT,     VELOTRIX_EVENT_FOCUS_LOST,     VELOTRIX_EVENT_CHAR,
    VELOTRIX_EVENT_BUTTON_RELEASED,
};

class InputModuleTest : public ::testing::Test {
protected:
    InputModuleTest()
    {
        auto input = std::make_unique<InputModule>();
        m_input = input.get();
        (void)m_engine.m_core.LoadModule(std::move(input), true, true);
        m_a = m_engine.Add<CInputRecorder>(100, 100, 20, 20);
        m_b = m_engine.Add<CInputRecorder>(200, 100, 20, 20);
        m_a->RouteToSelf(ALL_POINTER_EVENTS);
        m_b->RouteToSelf(ALL_POINTER_EVENTS);
        Run(20);
    }

    // Runs the engine for ms milliseconds in 5 ms ticks.
    void Run(uint32_t ms) { m_engine.Tick(static_cast<int>(ms / 5)); }

    EngineFixture m_engine;
    InputModule* m_input { nullptr };
    CInputRecorder* m_a { nullptr };
    CInputRecorder* m_b { nullptr };
};

} // namespace

TEST_F(InputModuleTest, ClickOnAnObject)
{
    m_input->OnMouseMove(100, 100, 0);
    m_input->OnLButtonDown(100, 100);
    m_input->OnLButtonUp(100, 100);
    Run(20);
    EXPECT_EQ(m_a->events,
              (std::vector<uint32_t> { VELOTRIX_EVENT_MOUSE_ENTER, VELOTRIX_EVENT_LBUTTON_DOWN, VELOTRIX_EVENT_LBUTTON_UP,
                                       VELOTRIX_EVENT_LBUTTON_CLICK, VELOTRIX_EVENT_BUTTON_RELEASED }));
    EXPECT_TRUE(m_b->events.empty());
    // Each event carried its own copy of the input record.
    EXPECT_EQ(m_a->states[1].x, 100);
    EXPECT_NE(m_a->states[1].state & InputState::LEFT_DOWN, 0u);
    EXPECT_EQ(m_a->states[2].state & InputState::LEFT_DOWN, 0u);
    Run(200);
    EXPECT_EQ(m_input->GetEventsInFlight(), 0u);
}

TEST_F(InputModuleTest, DoubleClickNeedsTheSamePointWithinTheTime)
{
    m_input->OnMouseMove(100, 100, 0);
    m_input->OnLButtonDown(100, 100);
    m_input->OnLButtonUp(100, 100);
    Run(105); // One input update later: 100 ms on the module's clock.
    m_input->OnLButtonDown(100, 100);
    m_input->OnLButtonUp(100, 100);
    m_input->OnLButtonDown(100, 100); // Right after a double click: a plain press.
    m_input->OnLButtonUp(100, 100);
    Run(20);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_LBUTTON_DBLCLK), 1);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_LBUTTON_DOWN), 2);

    // One pixel apart: two single presses.
    m_input->OnMouseMove(101, 100, 0);
    Run(600);
    m_input->OnLButtonDown(101, 100);
    m_input->OnLButtonUp(101, 100);
    m_input->OnMouseMove(102, 100, 0);
    m_input->OnLButtonDown(102, 100);
    m_input->OnLButtonUp(102, 100);
    Run(20);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_LBUTTON_DBLCLK), 1);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_LBUTTON_DOWN), 4);
}

TEST_F(InputModuleTest, TooSlowSecondPressIsASingleClick)
{
    m_input->OnMouseMove(100, 100, 0);
    m_input->OnLButtonDown(100, 100);
    m_input->OnLButtonUp(100, 100);
    Run(610);
    m_input->OnLButtonDown(100, 100);
    Run(20);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_LBUTTON_DBLCLK), 0);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_LBUTTON_DOWN), 2);
}

TEST_F(InputModuleTest, ReleaseOutsideGivesNoClickAndMovesTheHover)
{
    m_input->OnMouseMove(100, 100, 0);
    m_input->OnLButtonDown(100, 100);
    m_input->OnMouseMove(200, 100, 1);
    EXPECT_EQ(m_input->GetInputState().hovered, m_a->GetId()); // The pressed object keeps the hover.
    m_input->OnLButtonUp(200, 100);
    Run(20);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_LBUTTON_UP), 1);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_LBUTTON_CLICK), 0);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_MOUSE_LEAVE), 1);
    EXPECT_EQ(m_b->Count(VELOTRIX_EVENT_MOUSE_ENTER), 1);
    EXPECT_EQ(m_input->GetInputState().hovered, m_b->GetId());
}

TEST_F(InputModuleTest, HoverTimeOutOncePerRest)
{
    m_input->OnMouseMove(100, 100, 0);
    Run(700);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_HOVER_TIMEOUT), 1);
    Run(700);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_HOVER_TIMEOUT), 1);
    m_input->OnMouseMove(101, 100, 0);
    Run(20);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_HOVER_END), 1);
    Run(700);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_HOVER_TIMEOUT), 2);
}

TEST_F(InputModuleTest, GbkCharactersAreJoinedAndStrayBytesSwallowNothing)
{
    m_a->SetCatchInput(true);
    m_input->OnMouseMove(100, 100, 0);
    m_input->OnLButtonDown(100, 100);
    m_input->OnLButtonUp(100, 100);
    EXPECT_EQ(m_input->GetInputState().focus, m_a->GetId());
    m_input->OnChar(0xB0);
    m_input->OnChar(0xA1);
    m_input->OnChar(0x7F);
    m_input->OnChar('a');
    m_input->OnChar(0x80);
    m_input->OnChar('b');
    m_input->OnChar(0x05);
    m_input->OnChar(0xB0A1); // A whole character in one message.
    Run(20);
    std::vector<std::pair<uint8_t, uint8_t>> chars;
    for (size_t i = 0; i < m_a->events.size(); ++i) {
        if (m_a->events[i] == VELOTRIX_EVENT_CHAR)
            chars.emplace_back(m_a->states[i].character[0], m_a->states[i].character[1]);
    }
    const std::vector<std::pair<uint8_t, uint8_t>> expected { { 0xB0, 0xA1 }, { 'a', 0 }, { 'b', 0 }, { 0xB0, 0xA1 } };
    EXPECT_EQ(chars, expected);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_FOCUS_GOT), 1);
}

TEST_F(InputModuleTest, FocusLossResetsTheState)
{
    m_a->SetCatchInput(true);
    m_input->OnMouseMove(100, 100, 0);
    m_input->OnLButtonDown(100, 100);
    m_input->OnKillFocus();
    Run(20);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_KILL_FOCUS), 1);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_LBUTTON_UP), 1);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_MOUSE_LEAVE), 2);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_FOCUS_LOST), 1);
    const InputState state = m_input->GetInputState();
    EXPECT_EQ(state.state, 0u);
    EXPECT_EQ(state.hovered, 0u);
    EXPECT_EQ(state.focus, 0u);
    EXPECT_EQ(m_a->GetFlags() & VELOTRIX_OBJ_FOCUSED, 0u);
}

TEST_F(InputModuleTest, EventsOnlyWhereARouteAsksAndForwardedWithRouteParams)
{
    auto* quiet = m_engine.Add<CInputRecorder>(300, 100, 20, 20);
    auto* listener = m_engine.Add<CInputRecorder>(600, 500, 20, 20);
    auto* forwarder = m_engine.Add<CInputRecorder>(400, 100, 20, 20);
    forwarder->AddEventRoute(VELOTRIX_EVENT_LBUTTON_CLICK, listener->GetId(), 80000001, 11, 22);
    m_input->OnMouseMove(300, 100, 0);
    m_input->OnLButtonDown(300, 100);
    m_input->OnLButtonUp(300, 100);
    m_input->OnMouseMove(400, 100, 0);
    m_input->OnLButtonDown(400, 100);
    m_input->OnLButtonUp(400, 100);
    Run(20);
    EXPECT_TRUE(quiet->events.empty());
    EXPECT_TRUE(forwarder->events.empty());
    EXPECT_EQ(listener->events, (std::vector<uint32_t> { 80000001 }));
    // The route's own param2 is passed as it is and never taken for a state copy.
    EXPECT_EQ(listener->params[0], (std::pair<uintptr_t, uintptr_t> { 11, 22 }));
    Run(200);
    EXPECT_EQ(m_input->GetEventsInFlight(), 0u);
}

TEST_F(InputModuleTest, InputTargetGetsPointerEventsBesideTheHoveredObject)
{
    auto* target = m_engine.Add<CInputRecorder>(600, 500, 20, 20);
    target->RouteToSelf({ VELOTRIX_EVENT_LBUTTON_DOWN, VELOTRIX_EVENT_KEY_DOWN });
    EXPECT_EQ(m_input->SetInputTarget(target->GetId()), 0u);
    m_input->OnMouseMove(100, 100, 0);
    m_input->OnLButtonDown(100, 100);
    m_input->OnKeyDown(0x41, 1, 0);
    Run(20);
    EXPECT_EQ(target->Count(VELOTRIX_EVENT_LBUTTON_DOWN), 1);
    EXPECT_EQ(target->Count(VELOTRIX_EVENT_KEY_DOWN), 1);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_LBUTTON_DOWN), 1);
    // Key up keeps the button flags.
    m_input->OnKeyUp(0x41, 1, 0);
    EXPECT_NE(m_input->GetInputState().state & InputState::LEFT_DOWN, 0u);
    EXPECT_EQ(m_input->GetInputState().last_key_down, 0u);
    EXPECT_EQ(m_input->GetInputState().last_key_up, 0x41u);
}

TEST_F(InputModuleTest, ModalObjectConfinesTheHover)
{
    m_input->SetModalObject(m_b->GetId());
    m_input->OnMouseMove(100, 100, 0);
    Run(20);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_MOUSE_ENTER), 0);
    m_input->OnMouseMove(200, 100, 0);
    Run(20);
    EXPECT_EQ(m_b->Count(VELOTRIX_EVENT_MOUSE_ENTER), 1);
    // A modal object that went away is forgotten.
    m_b->Deactivate();
    EXPECT_EQ(m_input->IsInModalScope(m_a->GetId()), 1);
    EXPECT_EQ(m_input->GetModalObject(), 0u);
}

TEST_F(InputModuleTest, RefreshKeepsThePointerWhereItIs)
{
    m_engine.m_objects->SetViewCentre(500, 300); // The view now starts at x = 100.
    m_input->OnMouseMove(50, 50, 0);
    EXPECT_EQ(m_input->GetInputState().x, -50);
    m_input->RefreshMouse();
    m_input->RefreshMouse();
    EXPECT_EQ(m_input->GetInputState().x, -50);
    EXPECT_EQ(m_input->GetInputState().dx, 0);
}

TEST_F(InputModuleTest, DisabledInputChangesNothingButTheFirstPress)
{
    auto* target = m_engine.Add<CInputRecorder>(600, 500, 20, 20);
    target->RouteToSelf({ VELOTRIX_EVENT_PRESS, VELOTRIX_EVENT_LBUTTON_DOWN });
    m_input->SetInputTarget(target->GetId());
    m_engine.m_core.SendMessage(VELOTRIX_MODULE_INPUT, VELOTRIX_MSG_DISABLE_INPUT, 0, 0);
    m_input->OnMouseMove(100, 100, 0);
    m_input->OnLButtonDown(100, 100);
    Run(20);
    EXPECT_EQ(target->events, (std::vector<uint32_t> { VELOTRIX_EVENT_PRESS }));
    EXPECT_EQ(m_input->GetInputState().x, 0);
    m_engine.m_core.SendMessage(VELOTRIX_MODULE_INPUT, VELOTRIX_MSG_ENABLE_INPUT, 0, 0);
    m_input->OnLButtonDown(600, 500);
    Run(20);
    EXPECT_EQ(target->Count(VELOTRIX_EVENT_PRESS), 1);
    EXPECT_EQ(target->Count(VELOTRIX_EVENT_LBUTTON_DOWN), 1);
}

namespace {

class CFakeInputHost : public IInputHost {
public:
    bool IsPointerInWindow() const override { return inside; }
    void SetCursor(uintptr_t cursor) override { cursors.push_back(cursor); }
    void ShowCursor(bool show) override { shows.push_back(show); }
    bool inside { false };
    std::vector<uintptr_t> cursors;
    std::vector<bool> shows;
};

} // namespace

TEST_F(InputModuleTest, CursorRules)
{
    CFakeInputHost host;
    m_input->SetHost(&host);
    // Without a cursor object: the arrow, then the handle last set.
    m_input->OnSetCursor();
    m_input->SetCursorHandle(77);
    EXPECT_EQ(host.cursors, (std::vector<uintptr_t> { InputModule::CURSOR_ARROW, 77 }));
    // A hidden system cursor is left alone.
    m_input->ShowSystemCursor(false);
    m_input->OnSetCursor();
    EXPECT_EQ(host.cursors.size(), 2u);
    EXPECT_EQ(host.shows, (std::vector<bool> { false }));
    m_input->ShowSystemCursor(true);

    // With one, the cursor object gets the event at once, and may even
    // destroy itself in its handler (ASan checks it goes only afterwards).
    auto* cursor = m_engine.Add<CRecordingObject>(10, 10, 1, 1);
    cursor->SetName("object_cursor");
    cursor->destroy_on = VELOTRIX_EVENT_CURSOR;
    bool alive = true;
    cursor->alive = &alive;
    m_input->OnSetCursor();
    EXPECT_FALSE(alive);
    EXPECT_EQ(host.cursors.size(), 2u);
    m_input->SetHost(nullptr);
}

TEST_F(InputModuleTest, WindowEnterAndLeaveFollowThePointer)
{
    CFakeInputHost host;
    m_input->SetHost(&host);
    auto* target = m_engine.Add<CInputRecorder>(600, 500, 20, 20);
    target->RouteToSelf({ VELOTRIX_EVENT_WINDOW_ENTER, VELOTRIX_EVENT_WINDOW_LEAVE });
    m_a->RouteToSelf({ VELOTRIX_EVENT_WINDOW_ENTER, VELOTRIX_EVENT_WINDOW_LEAVE });
    m_input->SetInputTarget(target->GetId());
    m_input->OnMouseMove(100, 100, 0);
    host.inside = true;
    Run(220);
    host.inside = false;
    Run(220);
    EXPECT_EQ(target->events, (std::vector<uint32_t> { VELOTRIX_EVENT_WINDOW_ENTER, VELOTRIX_EVENT_WINDOW_LEAVE }));
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_WINDOW_ENTER), 0); // Enter goes to the input target only.
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_WINDOW_LEAVE), 1);
    m_input->SetHost(nullptr);
}

TEST_F(InputModuleTest, MovingOntoAnotherObjectClearsTheDoubleClickTimer)
{
    m_input->OnMouseMove(100, 100, 0);
    m_input->OnLButtonDown(100, 100);
    m_input->OnLButtonUp(100, 100);
    m_input->OnMouseMove(200, 100, 0);
    m_input->OnMouseMove(100, 100, 0);
    m_input->OnLButtonDown(100, 100);
    Run(20);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_LBUTTON_DBLCLK), 0);
    EXPECT_EQ(m_a->Count(VELOTRIX_EVENT_LBUTTON_DOWN), 2);
    EXPECT_EQ(m_b->Count(VELOTRIX_EVENT_MOUSE_ENTER), 1);
}

TEST_F(InputModuleTest, OnlyRecordsTheInputModuleHoldsAreRead)
{
    // A record the input module never posted is not delivered.
    EngineEvent forged { m_a->GetId(), VELOTRIX_EVENT_LBUTTON_CLICK, 0, 0 };
    m_engine.m_core.PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_OBJECT_EVENT, reinterpret_cast<uintptr_t>(&forged), 0);
    Run(20);
    EXPECT_TRUE(m_a->events.empty());
    // Records still on their way when the input module is unloaded go with
    // its pools; the object module must not read them (ASan checks).
    m_input->OnMouseMove(100, 100, 0);
    m_input->OnLButtonDown(100, 100);
    ASSERT_GT(m_input->GetEventsInFlight(), 0u);
    EXPECT_EQ(m_engine.m_core.UnloadModule(VELOTRIX_MODULE_INPUT), VELOTRIX_RETURN_OK);
    m_input = nullptr;
    Run(20);
    EXPECT_TRUE(m_a->events.empty());
}

#include "engine/core/InputModule.h"

#include <new>

#include "engine/core/EngineEvent.h"
#include "engine/core/GameCore.h"
#include "engine/core/ObjectModule.h"

namespace engine {

// One posted input event. The event comes first, so the pointer to it that
// travels in the message is also the pointer to the record.
struct InputModule::EventRecord {
    EngineEvent event;
    InputState* state_copy;
    bool owns_state_copy;
};


InputModule::InputModule()
{
    SetInterval(UPDATE_INTERVAL);
}

InputModule::~InputModule() = default;

int InputModule::Load()
{
    m_state_pool = std::make_unique<CBlockPool>(sizeof(InputState), 64);
    m_event_pool = std::make_unique<CBlockPool>(sizeof(EventRecord), 64);
    m_state.module_data = reinterpret_cast<uintptr_t>(m_state_pool.get());
    SetInterval(UPDATE_INTERVAL);
    return 1;
}

void InputModule::Unload()
{
    m_state.module_data = 0;
    m_event_pool.reset();
    m_state_pool.reset();
    m_in_flight = 0;
}

int32_t InputModule::OnMessage(int32_t message_id, uintptr_t param1, uintptr_t)
{
    switch (message_id) {
    case VELOTRIX_MSG_FREE_INPUT_EVENT:
        FreeEvent(param1);
        break;
    case VELOTRIX_MSG_ENABLE_INPUT:
        m_enabled = true;
        break;
    case VELOTRIX_MSG_DISABLE_INPUT:
        m_enabled = false;
        break;
    default:
        break;
    }
    return 1;
}

ObjectModule* InputModule::Objects() const
{
    return dynamic_cast<ObjectModule*>(GetModule(VELOTRIX_MODULE_OBJECT));
}

CEngineObject* InputModule::FindObject(uint32_t id) const
{
    ObjectModule* objects = Objects();
    return (objects != nullptr && id != 0) ? objects->FindObject(id) : nullptr;
}

// Posting ----------------------------------------------------------------

bool InputModule::PostOne(uint32_t target, uint32_t event_id, uintptr_t param1, uintptr_t param2, bool with_state)
{
    if (!m_event_pool || !m_state_pool)
        return false;
    void* memory = m_event_pool->Alloc(sizeof(EventRecord));
    if (memory == nullptr)
        return false;
    auto* record = new (memory) EventRecord { EngineEvent { target, event_id, param1, param2 }, nullptr, false };
    if (with_state && param2 == 0) {
        if (void* copy_memory = m_state_pool->Alloc(sizeof(InputState))) {
            record->state_copy = new (copy_memory) InputState(m_state);
            record->owns_state_copy = true;
            record->event.param2 = reinterpret_cast<uintptr_t>(record->state_copy);
        }
    }
    ++m_in_flight;
    PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_OBJECT_EVENT, reinterpret_cast<uintptr_t>(&record->event), 0);
    return true;
}

int InputModule::PostEvent(uint32_t event_id, uint32_t target)
{
    CEngineObject* object = FindObject(target);
    if (object == nullptr)
        return 0;
    if (!IsInputEventId(event_id))
        return PostOne(target, event_id, 0, 0, false) ? 1 : 0;
    int posted = 0;
    for (const EventRoute& route : object->GetRoutes()) {
        if (route.event_id != event_id)
            continue;
        if (PostOne(route.record.target, route.record.forwarded_id, route.record.param1, route.record.param2, true))
            posted = 1;
    }
    return posted;
}

bool InputModule::IsEventInFlight(uintptr_t event) const
{
    return event != 0 && m_event_pool && m_event_pool->IsTaken(reinterpret_cast<const void*>(event));
}

void InputModule::FreeEvent(uintptr_t event)
{
    auto* record = reinterpret_cast<EventRecord*>(event);
    if (!IsEventInFlight(event))
        return;
    if (record->owns_state_copy && m_state_pool)
        m_state_pool->Free(record->state_copy);
    if (m_event_pool->Free(record) && m_in_flight > 0)
        --m_in_flight;
}

void InputModule::PostToBoth(uint32_t event_id, uint32_t second)
{
    PostEvent(event_id, m_input_target);
    PostEvent(event_id, second);
}

// Pointer ------------------------------------------------------------------

void InputModule::SetMousePos(int32_t& x, int32_t& y)
{
    m_window_x = x;
    m_window_y = y;
    if (ObjectModule* objects = Objects()) {
        const EngineRect view = objects->GetViewRect();
        x -= view.left;
        y -= view.top;
    }
    m_hover_time = 0;
    m_state.dx = x - m_state.x;
    m_state.dy = y - m_state.y;
    m_state.x = x;
    m_state.y = y;
    if ((m_state.dx != 0 || m_state.dy != 0) && (m_state.state & InputState::HOVER_TIMEOUT_GIVEN) != 0) {
        PostToBoth(VELOTRIX_EVENT_HOVER_END, m_state.hovered);
        m_state.state &= ~InputState::HOVER_TIMEOUT_GIVEN;
    }
}

void InputModule::OnMouseMove(int32_t x, int32_t y, uint32_t)
{
    if (!m_enabled)
        return;
    SetMousePos(x, y);
    const bool moved = m_state.dx != 0 || m_state.dy != 0;
    if ((m_state.state & InputState::LEFT_DOWN) != 0) {
        if (moved)
            PostToBoth(VELOTRIX_EVENT_MOUSE_MOVE, m_state.hovered);
    } else if ((m_state.state & InputState::RIGHT_DOWN) != 0) {
        if (moved)
            PostToBoth(VELOTRIX_EVENT_MOUSE_MOVE_PRESSED, m_state.hovered);
    } else {
        PostEvent(VELOTRIX_EVENT_MOUSE_HOVER, m_input_target);
        UpdateHover(x, y);
    }
}

void InputModule::UpdateHover(int32_t x, int32_t y)
{
    ObjectModule* objects = Objects();
    CEngineObject* object = objects != nullptr ? objects->HitTest(x, y) : nullptr;
    if (object == nullptr) {
        if (m_state.hovered != 0) {
            PostEvent(VELOTRIX_EVENT_MOUSE_LEAVE, m_state.hovered);
            m_state.hovered = 0;
        }
        return;
    }
    const uint32_t id = object->GetId();
    if (id == m_state.hovered) {
        PostEvent(VELOTRIX_EVENT_MOUSE_HOVER, id);
        return;
    }
    if ((m_state.state & (InputState::LEFT_DOWN | InputState::RIGHT_DOWN)) != 0)
        return; // The pressed object stays hovered until the release.
    m_press_armed = false;
    PostEvent(VELOTRIX_EVENT_MOUSE_LEAVE, m_state.hovered);
    if (IsInModalScope(id)) {
        m_state.hovered = id;
        PostEvent(VELOTRIX_EVENT_MOUSE_ENTER, id);
        PostEvent(VELOTRIX_EVENT_MOUSE_HOVER, id);
    }
}

void InputModule::OnLButtonDown(int32_t x, int32_t y)
{
    if (!m_first_press_given) {
        PostToBoth(VELOTRIX_EVENT_PRESS, m_state.hovered);
        m_first_press_given = true;
    }
    if (!m_enabled)
        return;
    SetMousePos(x, y);
    m_state.state &= ~InputState::HOVER_TIMEOUT_GIVEN;
    m_state.state |= InputState::LEFT_DOWN;
    const uint32_t now = GetLastUpdate();
    if (m_press_armed && now - m_last_press_time < DOUBLE_CLICK_TIME && x == m_last_press_x && y == m_last_press_y) {
        m_press_armed = false;
        for (uint32_t target : { m_input_target, m_state.hovered }) {
            if (PostEvent(VELOTRIX_EVENT_LBUTTON_DBLCLK, target) == 0)
                PostEvent(VELOTRIX_EVENT_LBUTTON_DOWN, target);
        }
    } else {
        m_press_armed = true;
        m_last_press_time = now;
        m_last_press_x = x;
        m_last_press_y = y;
        PostToBoth(VELOTRIX_EVENT_LBUTTON_DOWN, m_state.hovered);
    }
    SetFocusObject(m_state.hovered);
}

void InputModule::OnLButtonUp(int32_t x, int32_t y)
{
    if (!m_enabled)
        return;
    SetMousePos(x, y);
    m_state.state &= ~(InputState::HOVER_TIMEOUT_GIVEN | InputState::LEFT_DOWN);
    PostEvent(VELOTRIX_EVENT_LBUTTON_UP, m_input_target);
    PostEvent(VELOTRIX_EVENT_BUTTON_RELEASED, m_input_target);
    PostEvent(VELOTRIX_EVENT_LBUTTON_UP, m_state.hovered);
    if (HitTestObject(x, y, m_state.hovered)) {
        PostEvent(VELOTRIX_EVENT_LBUTTON_CLICK, m_state.hovered);
        PostEvent(VELOTRIX_EVENT_BUTTON_RELEASED, m_state.hovered);
    }
    UpdateHover(x, y);
}

void InputModule::OnLButtonDblClk(int32_t x, int32_t y)
{
    if (!m_enabled)
        return;
    SetMousePos(x, y);
    m_state.state &= ~(InputState::HOVER_TIMEOUT_GIVEN | InputState::LEFT_DOWN);
    for (uint32_t target : { m_input_target, m_state.hovered }) {
        PostEvent(VELOTRIX_EVENT_LBUTTON_DBLCLK, target);
        PostEvent(VELOTRIX_EVENT_LBUTTON_DOWN, target);
    }
}

void InputModule::OnRButtonDown(int32_t x, int32_t y)
{
    if (!m_enabled)
        return;
    SetMousePos(x, y);
    m_state.state &= ~InputState::HOVER_TIMEOUT_GIVEN;
    m_state.state |= InputState::RIGHT_DOWN;
    PostToBoth(VELOTRIX_EVENT_RBUTTON_DOWN, m_state.hovered);
}

void InputModule::OnRButtonUp(int32_t x, int32_t y)
{
    if (!m_enabled)
        return;
    SetMousePos(x, y);
    m_state.state &= ~(InputState::HOVER_TIMEOUT_GIVEN | InputState::RIGHT_DOWN);
    PostEvent(VELOTRIX_EVENT_RBUTTON_UP, m_input_target);
    PostEvent(VELOTRIX_EVENT_BUTTON_RELEASED, m_input_target);
    PostEvent(VELOTRIX_EVENT_RBUTTON_UP, m_state.hovered);
    if (HitTestObject(x, y, m_state.hovered)) {
        PostEvent(VELOTRIX_EVENT_RBUTTON_CLICK, m_state.hovered);
        PostEvent(VELOTRIX_EVENT_BUTTON_RELEASED, m_state.hovered);
    }
}

void InputModule::OnMButtonDown(int32_t x, int32_t y)
{
    if (!m_enabled)
        return;
    SetMousePos(x, y);
    m_state.state &= ~InputState::HOVER_TIMEOUT_GIVEN;
    m_state.state |= InputState::MIDDLE_DOWN;
    PostToBoth(VELOTRIX_EVENT_MBUTTON, m_state.hovered);
}

void InputModule::OnMButtonUp(int32_t x, int32_t y)
{
    if (!m_enabled)
        return;
    SetMousePos(x, y);
    m_state.state &= ~(InputState::HOVER_TIMEOUT_GIVEN | InputState::MIDDLE_DOWN);
    PostToBoth(VELOTRIX_EVENT_MBUTTON, m_state.hovered);
}

void InputModule::OnMouseWheel(int32_t x, int32_t y, int16_t delta)
{
    if (!m_enabled)
        return;
    SetMousePos(x, y);
    if (delta < 0)
        PostToBoth(VELOTRIX_EVENT_WHEEL_DOWN, m_state.focus);
    else if (delta > 0)
        PostToBoth(VELOTRIX_EVENT_WHEEL_UP, m_state.focus);
}

} // namespace engine

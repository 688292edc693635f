#include "engine/core/InputModule.h"

#include <new>

#include "engine/core/EngineEvent.h"
#include "engine/core/GameCore.h"
#include "engine/core/ObjectModule.h"
#include "platform/Text.h"

namespace engine {

// One posted input event. The event comes first, so the pointer to it that
// travels in the message is also the pointer to the record.
struct InputModule::EventRecord {
    EngineEvent event;
    InputState* state_copy;
    bool owns_state_copy;
};

namespace {

constexpr const char* CURSOR_OBJECT_NAME = "object_cursor";

bool IsGbkTrailByte(uint8_t byte)
{
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

} // namespace

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
    return static_cast<ObjectModule*>(GetModule(VELOTRIX_MODULE_OBJECT));
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

void InputModule::FreeEvent(uintptr_t event)
{
    auto* record = reinterpret_cast<EventRecord*>(event);
    if (record == nullptr || !m_event_pool || !m_event_pool->Owns(record))
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

// Keys and characters ----------------------------------------------------------

void InputModule::OnKeyDown(uint32_t key, uint32_t repeat, uint32_t flags)
{
    if (!m_enabled)
        return;
    m_state.state |= InputState::KEY_DOWN;
    m_state.key_flags = flags;
    m_state.last_key_down = key;
    if (m_state.last_key_up == key)
        m_state.last_key_up = 0;
    m_state.repeat = repeat;
    PostToBoth(VELOTRIX_EVENT_KEY_DOWN, m_state.focus);
}

void InputModule::OnKeyUp(uint32_t key, uint32_t repeat, uint32_t flags)
{
    if (!m_enabled)
        return;
    m_state.state &= ~InputState::KEY_DOWN;
    m_state.key_flags = flags;
    m_state.last_key_up = key;
    if (m_state.last_key_down == key)
        m_state.last_key_down = 0;
    m_state.repeat = repeat;
    PostToBoth(VELOTRIX_EVENT_KEY_UP, m_state.focus);
}

void InputModule::DeliverCharacter(uint8_t lead, uint8_t trail)
{
    m_state.character[0] = lead;
    m_state.character[1] = trail;
    PostToBoth(VELOTRIX_EVENT_CHAR, m_state.focus);
}

void InputModule::OnChar(uint32_t code)
{
    if (!m_enabled)
        return;
    if (code > 0xFF) {
        // A whole two-byte character in one message: lead byte first.
        OnChar((code >> 8) & 0xFF);
        OnChar(code & 0xFF);
        return;
    }
    const auto byte = static_cast<uint8_t>(code);
    if (m_pending_lead != 0) {
        const uint8_t lead = m_pending_lead;
        m_pending_lead = 0;
        if (IsGbkTrailByte(byte)) {
            DeliverCharacter(lead, byte);
            return;
        }
        // Not a trail byte: the lone lead is dropped and this byte stands alone.
    }
    if (platform::IsGbkLeadByte(byte)) {
        m_pending_lead = byte;
        return;
    }
    // Controls (below 0x20 and 0x7F) and the bytes 0x80 and 0xFF, which start
    // no character, are dropped without touching the next byte.
    if (byte < 0x20 || byte >= 0x7F)
        return;
    DeliverCharacter(byte, 0);
}

// Focus, target, modal, cursor ---------------------------------------------------

uint32_t InputModule::SetFocusObject(uint32_t id)
{
    ObjectModule* objects = Objects();
    if (objects == nullptr)
        return 0;
    const uint32_t next = objects->FindInputOwner(id);
    if (next == m_state.focus)
        return 0;
    const uint32_t old = m_state.focus;
    if (CEngineObject* previous = FindObject(old)) {
        previous->RemoveFlags(VELOTRIX_OBJ_FOCUSED);
        PostEvent(VELOTRIX_EVENT_FOCUS_LOST, old);
    }
    if (CEngineObject* now = FindObject(next)) {
        now->AddFlags(VELOTRIX_OBJ_FOCUSED);
        PostEvent(VELOTRIX_EVENT_FOCUS_GOT, next);
    }
    m_state.focus = next;
    return old;
}

uint32_t InputModule::SetInputTarget(uint32_t id)
{
    const uint32_t old = m_input_target;
    m_input_target = id;
    return old;
}

void InputModule::AddTargetRoute(uint32_t event_id, const RouteRecord& record)
{
    if (CEngineObject* target = FindObject(m_input_target))
        target->AddEventRouteRec(event_id, record);
}

void InputModule::RemoveTargetRoutes(uint32_t event_id)
{
    if (CEngineObject* target = FindObject(m_input_target))
        target->RemoveEventRoutes(event_id);
}

void InputModule::RefreshMouse()
{
    // The window position, not the view-relative one: converting that again
    // would move the pointer by the view offset on every refresh.
    OnMouseMove(m_window_x, m_window_y, 0);
}

void InputModule::ClearHover()
{
    PostEvent(VELOTRIX_EVENT_MOUSE_LEAVE, m_state.hovered);
    m_state.hovered = 0;
}

int InputModule::HitTestObject(int32_t x, int32_t y, uint32_t id) const
{
    const CEngineObject* object = FindObject(id);
    if (object == nullptr)
        return 0;
    const EngineRect view = Objects()->GetViewRect();
    return object->HitTest(x + view.left, y + view.top) ? 1 : 0;
}

int InputModule::IsInModalScope(uint32_t id)
{
    if (m_modal == 0)
        return 1;
    const CEngineObject* modal = FindObject(m_modal);
    if (modal != nullptr && modal->IsActive() && modal->IsEnabled())
        return modal->IsOrContains(id);
    m_modal = 0;
    return 1;
}

void InputModule::OnKillFocus()
{
    const uint32_t hovered = m_state.hovered;
    PostToBoth(VELOTRIX_EVENT_KILL_FOCUS, hovered);
    if ((m_state.state & InputState::LEFT_DOWN) != 0)
        PostEvent(VELOTRIX_EVENT_LBUTTON_UP, hovered);
    if ((m_state.state & InputState::RIGHT_DOWN) != 0)
        PostEvent(VELOTRIX_EVENT_RBUTTON_UP, hovered);
    PostEvent(VELOTRIX_EVENT_MOUSE_LEAVE, hovered);
    ClearHover();
    SetFocusObject(0);
    ShowSystemCursor(true);
    m_state = InputState {};
    m_pending_lead = 0;
    m_press_armed = false;
    m_first_press_given = false;
}

void InputModule::OnSetCursor()
{
    if (!m_system_cursor_shown)
        return;
    ObjectModule* objects = Objects();
    if (CEngineObject* cursor = objects != nullptr ? objects->FindObjectByName(CURSOR_OBJECT_NAME) : nullptr) {
        EngineEvent event;
        cursor->OnEvent(*MakeEngineEvent(&event, cursor->GetId(), VELOTRIX_EVENT_CURSOR, 0, 0));
        return;
    }
    if (m_host != nullptr)
        m_host->SetCursor(m_cursor);
}

void InputModule::SetCursorHandle(uintptr_t cursor)
{
    if (cursor != m_cursor) {
        m_cursor = cursor;
        ShowSystemCursor(true);
    }
    OnSetCursor();
}

void InputModule::ShowSystemCursor(bool show)
{
    if (show == m_system_cursor_shown)
        return;
    m_system_cursor_shown = show;
    if (m_host != nullptr)
        m_host->ShowCursor(show);
}

// Update ---------------------------------------------------------------------------

void InputModule::Update()
{
    DispatchQueued();
    const uint32_t now = GetLastUpdate();
    if (m_has_previous_update) {
        m_hover_time += now - m_previous_update;
        if (m_hover_time >= m_hover_timeout && (m_state.state & InputState::HOVER_TIMEOUT_GIVEN) == 0) {
            PostToBoth(VELOTRIX_EVENT_HOVER_TIMEOUT, m_state.hovered);
            m_state.state |= InputState::HOVER_TIMEOUT_GIVEN;
        }
    }
    m_previous_update = now;
    m_has_previous_update = true;

    ObjectModule* objects = Objects();
    if (objects != nullptr && (m_state.state & InputState::LEFT_DOWN) == 0) {
        const CEngineObject* under = objects->HitTest(m_state.x, m_state.y);
        auto usable = [](const CEngineObject* o) { return o->IsActive() && o->IsEnabled() && o->IsVisible(); };
        if (m_state.hovered == 0) {
            if (under != nullptr && usable(under))
                RefreshMouse();
        } else if (under == nullptr || !usable(under) || under->GetId() != m_state.hovered) {
            RefreshMouse();
        }
    }
    if (m_state.focus != 0) {
        const CEngineObject* focus = FindObject(m_state.focus);
        if (focus == nullptr || !focus->IsActive() || !focus->IsEnabled())
            SetFocusObject(0);
    }
    if (m_host != nullptr) {
        const bool inside = m_host->IsPointerInWindow();
        if (!inside && m_pointer_inside) {
            PostToBoth(VELOTRIX_EVENT_WINDOW_LEAVE, m_state.hovered);
            m_pointer_inside = false;
        } else if (inside && !m_pointer_inside) {
            if (m_system_cursor_shown)
                OnSetCursor();
            PostEvent(VELOTRIX_EVENT_WINDOW_ENTER, m_input_target);
            m_pointer_inside = true;
        }
    }
}

} // namespace engine

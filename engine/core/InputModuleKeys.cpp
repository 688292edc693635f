// Keys, characters, focus, cursor and the periodic update of the input module.
#include "engine/core/EngineEvent.h"
#include "engine/core/InputModule.h"
#include "engine/core/ObjectModule.h"
#include "platform/Text.h"

namespace engine {

namespace {

constexpr const char* CURSOR_OBJECT_NAME = "object_cursor";

} // namespace

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
    PostKeyEvent(VELOTRIX_EVENT_KEY_DOWN);
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
    PostKeyEvent(VELOTRIX_EVENT_KEY_UP);
}

void InputModule::DeliverCharacter(uint8_t lead, uint8_t trail)
{
    m_state.character[0] = lead;
    m_state.character[1] = trail;
    PostKeyEvent(VELOTRIX_EVENT_CHAR);
}

void InputModule::PostKeyEvent(uint32_t event_id)
{
    (void)IsInModalScope(0); // forgets a modal object that is gone or put away
    if (m_modal == 0) {
        PostToBoth(event_id, m_state.focus);
        return;
    }
    // The modal object hears every key, whatever part of it has the focus;
    // a focused part of it hears them too.
    PostEvent(event_id, m_modal);
    if (m_state.focus != 0 && m_state.focus != m_modal && IsInModalScope(m_state.focus) != 0)
        PostEvent(event_id, m_state.focus);
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
        if (platform::IsGbkTrailByte(static_cast<char>(byte))) {
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
        // Delivered at once, through the object module so that a cursor object
        // that destroys itself in its handler goes only afterwards.
        EngineEvent event;
        objects->DeliverEvent(*MakeEngineEvent(&event, cursor->GetId(), VELOTRIX_EVENT_CURSOR, 0, 0));
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

uint32_t InputModule::GetWorkDueIn(uint32_t now) const
{
    if ((m_state.state & InputState::HOVER_TIMEOUT_GIVEN) != 0)
        return NO_WORK_DUE;
    if (!m_has_previous_update)
        return 0;
    return TimeLeftIn(m_hover_timeout, uint64_t(m_hover_time) + uint32_t(now - m_previous_update));
}

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

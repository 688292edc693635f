// Events, routes and the hit test of CEngineObject.
#include <cmath>

#include "engine/core/EngineObject.h"
#include "engine/core/FrameImageBase.h"
#include "engine/core/GameCore.h"
#include "engine/core/InputState.h"
#include "engine/core/ObjectModule.h"
#include "platform/Cursor.h"

namespace engine {

// Events ---------------------------------------------------------------------

int CEngineObject::OnEvent(const EngineEvent& event)
{
    switch (event.id) {
    case VELOTRIX_EVENT_LBUTTON_DOWN:
        if ((m_state.flags & (VELOTRIX_OBJ_HIT_RECT | VELOTRIX_OBJ_CONFINE_CURSOR))
            == (VELOTRIX_OBJ_HIT_RECT | VELOTRIX_OBJ_CONFINE_CURSOR))
            ConfineCursor();
        break;
    case VELOTRIX_EVENT_LBUTTON_UP:
        if ((m_state.flags & (VELOTRIX_OBJ_HIT_RECT | VELOTRIX_OBJ_CONFINE_CURSOR))
            == (VELOTRIX_OBJ_HIT_RECT | VELOTRIX_OBJ_CONFINE_CURSOR))
            ReleaseCursor();
        break;
    case VELOTRIX_EVENT_MOUSE_MOVE:
    case VELOTRIX_EVENT_DRAG_MOVE:
        if (event.param2 != 0) {
            const auto* input = reinterpret_cast<const InputState*>(event.param2);
            MoveBy(static_cast<double>(input->dx), static_cast<double>(input->dy));
            Invalidate();
        }
        break;
    case VELOTRIX_EVENT_ACTIVATE:
        Activate();
        Invalidate();
        break;
    case VELOTRIX_EVENT_DEACTIVATE:
        Deactivate();
        Invalidate();
        break;
    case VELOTRIX_EVENT_SYSTEM_MESSAGE:
    case VELOTRIX_EVENT_SYSTEM_MESSAGE_2:
        FreeSystemPayload(event.param1);
        break;
    default:
        break;
    }
    return 1;
}

void CEngineObject::ConfineCursor()
{
    // The hit rectangle moved by the engine window's client origin on the
    // screen; the clip in force before is kept for the release.
    int origin_x = 0;
    int origin_y = 0;
    if (m_core == nullptr || !platform::ClientToScreen(m_core->GetHwnd(), origin_x, origin_y))
        return;
    if (!m_cursor_confined) {
        const auto before = platform::GetClipCursor();
        m_saved_clip = before ? std::optional<EngineRect>(EngineRect { before->left, before->top, before->right,
                                                                       before->bottom })
                              : std::nullopt;
    }
    const EngineRect& r = m_state.hit_rect;
    m_cursor_confined = platform::ClipCursor(
        platform::ScreenRect { r.left + origin_x, r.top + origin_y, r.right + origin_x, r.bottom + origin_y });
}

void CEngineObject::ReleaseCursor()
{
    if (!m_cursor_confined)
        return;
    m_cursor_confined = false;
    if (m_saved_clip)
        platform::ClipCursor(platform::ScreenRect { m_saved_clip->left, m_saved_clip->top, m_saved_clip->right,
                                                    m_saved_clip->bottom });
    else
        platform::ClipCursor(std::nullopt);
}

int CEngineObject::SendEvent(const EngineEvent& event)
{
    if (!IsRegistered() || event.target == 0 || event.id == 0)
        return 0;
    return m_object_module->OnMessage(VELOTRIX_MSG_SEND_EVENT, reinterpret_cast<uintptr_t>(&event), 0);
}

void CEngineObject::PostEvent(const EngineEvent& event)
{
    if (!IsRegistered() || event.target == 0 || event.id == 0)
        return;
    m_object_module->OnMessage(VELOTRIX_MSG_POST_EVENT, reinterpret_cast<uintptr_t>(&event), 0);
}

void CEngineObject::AddRouteStep(uint32_t event_id, const RouteRecord& record)
{
    for (const auto& route : m_routes) {
        if (route.event_id == event_id && route.record.target == record.target
            && route.record.forwarded_id == record.forwarded_id)
            return;
    }
    m_routes.push_back(EventRoute { event_id, record });
    if (IsInputEventId(event_id)) {
        Show(true);
        Invalidate();
    }
}

void CEngineObject::AddEventRouteRec(uint32_t event_id, const RouteRecord& record)
{
    AddRouteStep(event_id, record);
    ForEachLinked(VELOTRIX_LINK_ROUTES, [&](CEngineObject& f) { f.AddEventRouteRec(event_id, record); });
}

void CEngineObject::AddEventRoute(uint32_t event_id, uint32_t target, uint32_t forwarded_id, uintptr_t param1,
                                  uintptr_t param2)
{
    AddEventRouteRec(event_id, RouteRecord { target, forwarded_id, param1, param2 });
}

void CEngineObject::AddSelfEventRoute(uint32_t event_id)
{
    AddEventRoute(event_id, m_id, event_id, 0, 0);
}

void CEngineObject::RemoveEventRoutes(uint32_t event_id)
{
    std::erase_if(m_routes, [event_id](const EventRoute& route) { return route.event_id == event_id; });
}

const RouteRecord* CEngineObject::FindEventRoute(uint32_t event_id) const
{
    size_t index = 0;
    return FindEventRouteFrom(event_id, index);
}

const RouteRecord* CEngineObject::FindEventRouteFrom(uint32_t event_id, size_t& index) const
{
    for (size_t i = index; i < m_routes.size(); ++i) {
        if (m_routes[i].event_id == event_id) {
            index = i + 1;
            return &m_routes[i].record;
        }
    }
    return nullptr;
}

// Hit test -------------------------------------------------------------------

int CEngineObject::HitTest(int32_t px, int32_t py) const
{
    const ObjectState& s = m_state;
    if ((s.flags & VELOTRIX_OBJ_HIT_RECT) != 0 && !s.hit_rect.Contains(px, py))
        return 0;
    // TruncToInt keeps far-away or huge geometry inside int32 arithmetic.
    const int32_t w = TruncToInt(s.width);
    const int32_t h = TruncToInt(s.height);
    const int32_t left = TruncToInt(s.x - (w + 1) / 2);
    const int32_t top = TruncToInt(s.y - (h + 1) / 2);
    const int32_t right = TruncToInt(left + s.width);
    const int32_t bottom = TruncToInt(top + s.height);
    const bool in_bounds = px >= left && px < right && py >= top && py < bottom;

    int64_t qx = px;
    int64_t qy = py;
    if (s.angle != 0.0) {
        const int32_t cx = TruncToInt(s.x);
        const int32_t cy = TruncToInt(s.y);
        const double dx = static_cast<double>(px) - cx;
        const double dy = static_cast<double>(cy) - py;
        const double c = std::cos(s.angle * DEGREES_TO_RADIANS);
        const double sn = std::sin(s.angle * DEGREES_TO_RADIANS);
        const int32_t rx = RoundHalfAway(dx * c + dy * sn);
        const int32_t ry = RoundHalfAway(dy * c - dx * sn);
        qx = int64_t { cx } + rx;
        qy = int64_t { cy } - ry;
    }
    const double lx = (qx - s.x) + (s.width + 1) / 2;
    const double ly = (qy - s.y) + (s.height + 1) / 2;

    if ((s.flags & VELOTRIX_OBJ_HIT_PICTURE) != 0) {
        const CFrameImageBase* picture = GetPicture();
        if (picture == nullptr)
            return 0;
        if (s.angle == 0.0 && !in_bounds)
            return 0;
        return picture->HitTest(TruncToInt(lx), TruncToInt(ly));
    }
    if (s.angle == 0.0)
        return in_bounds ? 1 : 0;
    return (lx >= 0 && lx < s.width && ly >= 0 && ly <= s.height) ? 1 : 0;
}

} // namespace engine

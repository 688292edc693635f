#include "engine/core/GuiObject.h"

namespace engine {

void CGuiObject::SetVisual(CEngineObject* visual, uint32_t link_flags)
{
    if (m_visual != nullptr) {
        CEngineObject* old = m_visual;
        m_visual = nullptr;
        // By pointer: an unregistered visual has id 0 like other followers.
        if (old->GetLeader() == this && old != visual)
            old->SetLeader(nullptr);
    }
    // Without a visual the object is found by hit tests again.
    CEngineObject::RemoveFlags(VELOTRIX_OBJ_HAS_VISUAL);
    if (visual == nullptr)
        return;
    const bool already_following = visual->GetLeader() == this;
    // AddFollower replaces the flags of a follower it already has.
    if (CEngineObject::AddFollower(visual, link_flags | VELOTRIX_LINK_ROUTES) == 0 && !already_following)
        return; // Itself or a cycle: no visual.
    CEngineObject::AddFlags(VELOTRIX_OBJ_HAS_VISUAL);
    m_visual = visual;
    Invalidate();
}

void CGuiObject::OnFollowerRemoved(CEngineObject* follower)
{
    if (follower == m_visual) {
        m_visual = nullptr;
        CEngineObject::RemoveFlags(VELOTRIX_OBJ_HAS_VISUAL);
    }
}

void CGuiObject::ShowNotify(bool show)
{
    Show(show);
    Invalidate();
    EngineEvent event;
    MakeEngineEvent(&event, GetId(), show ? VELOTRIX_EVENT_SHOWN : VELOTRIX_EVENT_HIDDEN, 0, 0);
    OnEvent(event);
}

CEngineObject* CGuiObject::GetVisual()
{
    return m_visual != nullptr ? m_visual : this;
}

bool CGuiObject::VisualHas(uint32_t needed) const
{
    if (m_visual == nullptr)
        return false;
    return (CEngineObject::GetFollowerFlags(m_visual->GetId()) & needed) == needed;
}

int CGuiObject::AddFollower(CEngineObject* follower, uint32_t link_flags)
{
    return m_visual != nullptr ? m_visual->AddFollower(follower, link_flags)
                               : CEngineObject::AddFollower(follower, link_flags);
}

uint32_t CGuiObject::GetFollowerFlags(uint32_t id) const
{
    if (m_visual != nullptr && m_visual->HasFollower(id))
        return m_visual->GetFollowerFlags(id);
    return CEngineObject::GetFollowerFlags(id);
}

void CGuiObject::SetFollowerFlags(uint32_t id, uint32_t link_flags)
{
    if (m_visual != nullptr)
        m_visual->SetFollowerFlags(id, link_flags);
    else
        CEngineObject::SetFollowerFlags(id, link_flags);
}

void CGuiObject::RemoveFollower(uint32_t id)
{
    if (m_visual != nullptr)
        m_visual->RemoveFollower(id);
    else
        CEngineObject::RemoveFollower(id);
}

void CGuiObject::RemoveAllFollowers()
{
    if (m_visual != nullptr)
        m_visual->RemoveAllFollowers();
    else
        CEngineObject::RemoveAllFollowers();
}

#define GUI_FORWARD_VOID(call, own_call) \
    do {                                 \
        if (m_visual != nullptr)         \
            m_visual->call;              \
        else                             \
            own_call;                    \
    } while (0)

void CGuiObject::Show(bool visible) { GUI_FORWARD_VOID(Show(visible), CEngineObject::Show(visible)); }
void CGuiObject::SetDraggable(bool draggable)
{
    GUI_FORWARD_VOID(SetDraggable(draggable), CEngineObject::SetDraggable(draggable));
}
void CGuiObject::SetFlags(uint32_t flags) { GUI_FORWARD_VOID(SetFlags(flags), CEngineObject::SetFlags(flags)); }
void CGuiObject::AddFlags(uint32_t flags) { GUI_FORWARD_VOID(AddFlags(flags), CEngineObject::AddFlags(flags)); }
void CGuiObject::RemoveFlags(uint32_t flags)
{
    GUI_FORWARD_VOID(RemoveFlags(flags), CEngineObject::RemoveFlags(flags));
}
void CGuiObject::SetLayer(uint32_t layer) { GUI_FORWARD_VOID(SetLayer(layer), CEngineObject::SetLayer(layer)); }
void CGuiObject::RaiseToTopLayer() { GUI_FORWARD_VOID(RaiseToTopLayer(), CEngineObject::RaiseToTopLayer()); }

#undef GUI_FORWARD_VOID

bool CGuiObject::IsVisible() const { return m_visual != nullptr ? m_visual->IsVisible() : CEngineObject::IsVisible(); }
bool CGuiObject::HasFocusWithin() const
{
    return m_visual != nullptr ? m_visual->HasFocusWithin() : CEngineObject::HasFocusWithin();
}
uint32_t CGuiObject::GetFlags() const { return m_visual != nullptr ? m_visual->GetFlags() : CEngineObject::GetFlags(); }
uint32_t CGuiObject::GetLayer() const { return m_visual != nullptr ? m_visual->GetLayer() : CEngineObject::GetLayer(); }

int CGuiObject::HitTest(int32_t px, int32_t py) const
{
    return VisualHas(VELOTRIX_LINK_RAW_SIZE | VELOTRIX_LINK_POSITION) ? m_visual->HitTest(px, py)
                                                                      : CEngineObject::HitTest(px, py);
}

bool CGuiObject::IsActive() const
{
    return VisualHas(VELOTRIX_LINK_ACTIVATE | VELOTRIX_LINK_DEACTIVATE) ? m_visual->IsActive()
                                                                        : CEngineObject::IsActive();
}

double CGuiObject::GetX() const { return VisualHas(VELOTRIX_LINK_POSITION) ? m_visual->GetX() : CEngineObject::GetX(); }
double CGuiObject::GetY() const { return VisualHas(VELOTRIX_LINK_POSITION) ? m_visual->GetY() : CEngineObject::GetY(); }
double CGuiObject::GetZ() const { return VisualHas(VELOTRIX_LINK_Z) ? m_visual->GetZ() : CEngineObject::GetZ(); }
double CGuiObject::GetSortZ() const
{
    return VisualHas(VELOTRIX_LINK_Z) ? m_visual->GetSortZ() : CEngineObject::GetSortZ();
}
double CGuiObject::GetWidth() const
{
    return VisualHas(VELOTRIX_LINK_RAW_SIZE) ? m_visual->GetWidth() : CEngineObject::GetWidth();
}
double CGuiObject::GetHeight() const
{
    return VisualHas(VELOTRIX_LINK_RAW_SIZE) ? m_visual->GetHeight() : CEngineObject::GetHeight();
}
double CGuiObject::GetAlpha() const
{
    return VisualHas(VELOTRIX_LINK_ALPHA) ? m_visual->GetAlpha() : CEngineObject::GetAlpha();
}
double CGuiObject::GetAngle() const
{
    return VisualHas(VELOTRIX_LINK_ROTATE) ? m_visual->GetAngle() : CEngineObject::GetAngle();
}
EngineRect CGuiObject::GetHitRect() const
{
    return VisualHas(VELOTRIX_LINK_HIT_RECT) ? m_visual->GetHitRect() : CEngineObject::GetHitRect();
}
double CGuiObject::GetLeft() const
{
    return VisualHas(VELOTRIX_LINK_SIZE | VELOTRIX_LINK_POSITION) ? m_visual->GetLeft() : CEngineObject::GetLeft();
}
double CGuiObject::GetTop() const
{
    return VisualHas(VELOTRIX_LINK_SIZE | VELOTRIX_LINK_POSITION) ? m_visual->GetTop() : CEngineObject::GetTop();
}
double CGuiObject::GetRight() const
{
    return VisualHas(VELOTRIX_LINK_RAW_SIZE | VELOTRIX_LINK_POSITION) ? m_visual->GetRight()
                                                                      : CEngineObject::GetRight();
}
double CGuiObject::GetBottom() const
{
    return VisualHas(VELOTRIX_LINK_RAW_SIZE | VELOTRIX_LINK_POSITION) ? m_visual->GetBottom()
                                                                      : CEngineObject::GetBottom();
}

} // namespace engine

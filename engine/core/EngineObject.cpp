#include "engine/core/EngineObject.h"

#include <cmath>

#include "engine/core/FrameImageBase.h"
#include "engine/core/GameCore.h"
#include "engine/core/InputState.h"
#include "engine/core/ObjectModule.h"

namespace engine {


namespace detail {

LinkAnchor& AnchorOf(CEngineObject& object) { return object.m_links; }

} // namespace detail

CEngineObject::~CEngineObject()
{
    m_links.Clear();
    // Destroyed while the button that confined the cursor is still held.
    ReleaseCursor();
    m_routes.clear();
    SetLeader(nullptr);
    // A leader that was only forgotten (ClearLeader) still lists this object.
    if (m_listed_by != nullptr)
        m_listed_by->Unlist(this);
    // Take the list first: destroying an owned follower must not touch it.
    std::vector<FollowerLink> links;
    links.swap(m_followers);
    for (const auto& link : links) {
        link.follower->m_listed_by = nullptr;
        link.follower->ClearLeader();
        if ((link.flags & VELOTRIX_LINK_OWNED) != 0 && IsRegistered())
            m_object_module->OnMessage(VELOTRIX_MSG_OBJECT_DESTROYED, reinterpret_cast<uintptr_t>(link.follower), 0);
    }
}

uint32_t CEngineObject::Init(GameCore* core, uint32_t id)
{
    m_core = core;
    m_object_module = core != nullptr ? dynamic_cast<ObjectModule*>(core->GetModule(VELOTRIX_MODULE_OBJECT)) : nullptr;
    m_id = id;
    return id;
}

CEngineObject* CEngineObject::RegisterObject(std::unique_ptr<CEngineObject> object)
{
    if (m_object_module == nullptr)
        return nullptr;
    return m_object_module->AddObject(std::move(object), this);
}

void CEngineObject::SetOwner(CEngineObject* owner)
{
    m_owner = owner;
    m_owner_id = owner != nullptr ? owner->GetId() : 0;
    if (owner != nullptr && owner != this)
        owner->OnChildAttached(this);
}

CEngineObject* CEngineObject::GetOwner() const
{
    // Ids are never reused, so a registered owner that is gone is not found.
    if (m_owner == nullptr || m_owner_id == 0)
        return m_owner;
    if (m_object_module == nullptr)
        return nullptr;
    return m_object_module->FindObject(m_owner_id) == m_owner ? m_owner : nullptr;
}

void CEngineObject::SetName(const char* name)
{
    if (name != nullptr && name[0] != '\0')
        m_name = name;
}

// Geometry ---------------------------------------------------------------

void CEngineObject::MoveTo(double x, double y)
{
    MoveBy(x - m_state.x, y - m_state.y);
}

void CEngineObject::MoveBy(double dx, double dy)
{
    m_state.x += dx;
    m_state.y += dy;
    const uint32_t both = VELOTRIX_OBJ_HIT_RECT_MOVES | VELOTRIX_OBJ_HIT_RECT;
    if ((m_state.flags & both) == both) {
        auto shift = [](int32_t edge, double delta) { return static_cast<int32_t>(edge + delta); };
        m_state.hit_rect.left = shift(m_state.hit_rect.left, dx);
        m_state.hit_rect.right = shift(m_state.hit_rect.right, dx);
        m_state.hit_rect.top = shift(m_state.hit_rect.top, dy);
        m_state.hit_rect.bottom = shift(m_state.hit_rect.bottom, dy);
    }
    ForEachLinked(VELOTRIX_LINK_POSITION, [&](CEngineObject& f) { f.MoveBy(dx, dy); });
}

void CEngineObject::SetSizeRaw(double width, double height)
{
    m_state.width = width;
    m_state.height = height;
    ForEachLinked(VELOTRIX_LINK_RAW_SIZE, [&](CEngineObject& f) { f.SetSizeRaw(width, height); });
}

void CEngineObject::SetZ(double z)
{
    MoveZBy(z - m_state.z);
}

void CEngineObject::MoveZBy(double dz)
{
    m_state.z += dz;
    if (m_state.z > VELOTRIX_Z_MAX)
        m_state.z = VELOTRIX_Z_MAX;
    ForEachLinked(VELOTRIX_LINK_Z, [&](CEngineObject& f) { f.MoveZBy(dz); });
}

void CEngineObject::BringToFront()
{
    if (IsRegistered())
        SetZ(m_object_module->GetTopZ(GetLayer()) + 1.0);
}

void CEngineObject::Activate()
{
    m_state.active = 1;
    for (size_t i = 0; i < m_followers.size(); ++i) {
        FollowerLink& link = m_followers[i];
        if ((link.flags & VELOTRIX_LINK_ACTIVATE) != 0) {
            link.follower->Activate();
        } else if ((link.flags & (VELOTRIX_LINK_KEEP_ACTIVE | VELOTRIX_LINK_DEACTIVATED))
                   == (VELOTRIX_LINK_KEEP_ACTIVE | VELOTRIX_LINK_DEACTIVATED)) {
            link.flags &= ~VELOTRIX_LINK_DEACTIVATED;
            link.follower->Activate();
        }
    }
}

void CEngineObject::Deactivate()
{
    m_state.active = 0;
    for (size_t i = 0; i < m_followers.size(); ++i) {
        FollowerLink& link = m_followers[i];
        if ((link.flags & VELOTRIX_LINK_DEACTIVATE) != 0) {
            link.follower->Deactivate();
        } else if ((link.flags & VELOTRIX_LINK_KEEP_ACTIVE) != 0 && link.follower->IsActive()) {
            link.flags |= VELOTRIX_LINK_DEACTIVATED;
            link.follower->Deactivate();
        }
    }
}

void CEngineObject::SetAlpha(double alpha)
{
    m_state.alpha = alpha;
    ForEachLinked(VELOTRIX_LINK_ALPHA, [&](CEngineObject& f) { f.SetAlpha(alpha); });
}

void CEngineObject::SetAngle(double angle)
{
    RotateBy(angle - m_state.angle);
}

void CEngineObject::RotateBy(double degrees)
{
    m_state.angle += degrees;
    const double cx = m_state.x;
    const double cy = m_state.y;
    ForEachLinked(VELOTRIX_LINK_ROTATE, [&](CEngineObject& f) { f.RotateAbout(cx, cy, degrees); });
}

void CEngineObject::RotateAbout(double px, double py, double degrees)
{
    if (degrees != 0.0) {
        const double c = std::cos(degrees * DEGREES_TO_RADIANS);
        const double s = std::sin(degrees * DEGREES_TO_RADIANS);
        const double dx = m_state.x - px;
        const double dy = py - m_state.y;
        const double nx = dx * c - dy * s;
        const double ny = dy * c + dx * s;
        MoveTo(nx + px, py - ny);
    }
    RotateBy(degrees);
}

void CEngineObject::ScaleSizeBy(double fx, double fy)
{
    m_state.width *= fx;
    m_state.height *= fy;
    ForEachLinked(VELOTRIX_LINK_SIZE, [&](CEngineObject& f) { f.ScaleSizeBy(fx, fy); });
}

void CEngineObject::SetSize(double width, double height)
{
    width = width < 0 ? 0 : width;
    height = height < 0 ? 0 : height;
    if (m_state.width != 0.0 && m_state.height != 0.0) {
        const double fx = width / m_state.width;
        const double fy = height / m_state.height;
        ForEachLinked(VELOTRIX_LINK_SIZE, [&](CEngineObject& f) { f.ScaleSizeBy(fx, fy); });
    } else {
        ForEachLinked(VELOTRIX_LINK_SIZE, [&](CEngineObject& f) { f.SetSize(width, height); });
    }
    m_state.width = width;
    m_state.height = height;
}

void CEngineObject::SetHitRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    m_state.hit_rect = EngineRect { left, top, right, bottom };
    m_state.flags |= VELOTRIX_OBJ_HIT_RECT;
    ForEachLinked(VELOTRIX_LINK_HIT_RECT, [&](CEngineObject& f) { f.SetHitRect(left, top, right, bottom); });
}

void CEngineObject::Enable(bool enable)
{
    if (enable)
        m_state.flags &= ~VELOTRIX_OBJ_DISABLED;
    else
        m_state.flags |= VELOTRIX_OBJ_DISABLED;
    Invalidate();
}

// Followers --------------------------------------------------------------

int CEngineObject::FindFollowerIndex(uint32_t id) const
{
    for (size_t i = 0; i < m_followers.size(); ++i) {
        if (m_followers[i].follower->GetId() == id)
            return static_cast<int>(i);
    }
    return -1;
}

CEngineObject* CEngineObject::GetFollowerAt(size_t index) const
{
    return index < m_followers.size() ? m_followers[index].follower : nullptr;
}

bool CEngineObject::WouldMakeCycle(const CEngineObject* follower) const
{
    // Changes travel down the follower lists, so those are what must stay
    // free of cycles: follower may not reach this object through its own
    // followers. (The leader pointers are not enough: ClearLeader leaves the
    // leader's list as it is.)
    if (follower == this)
        return true;
    for (const auto& link : follower->m_followers) {
        if (WouldMakeCycle(link.follower))
            return true;
    }
    return false;
}

int CEngineObject::AddFollower(CEngineObject* follower, uint32_t link_flags)
{
    if (follower == nullptr || follower == this)
        return 0;
    for (auto& link : m_followers) {
        if (link.follower == follower) {
            link.flags = link_flags;
            return 0;
        }
    }
    if (WouldMakeCycle(follower))
        return 0;
    follower->SetLeader(this);
    // One list at a time: a follower whose old leader was only forgotten
    // leaves that leader's list too.
    if (follower->m_listed_by != nullptr)
        follower->m_listed_by->Unlist(follower);
    if ((m_state.flags & VELOTRIX_OBJ_TOP_LAYER) != 0 && m_state.layer == VELOTRIX_LAYER_TOP)
        follower->RaiseToTopLayer();
    m_followers.push_back(FollowerLink { follower, link_flags });
    follower->m_listed_by = this;
    return static_cast<int>(m_followers.size());
}

uint32_t CEngineObject::GetFollowerFlags(uint32_t id) const
{
    const int index = FindFollowerIndex(id);
    return index < 0 ? 0 : m_followers[static_cast<size_t>(index)].flags;
}

void CEngineObject::SetFollowerFlags(uint32_t id, uint32_t link_flags)
{
    const int index = FindFollowerIndex(id);
    if (index >= 0)
        m_followers[static_cast<size_t>(index)].flags = link_flags;
}

void CEngineObject::RemoveFollower(uint32_t id)
{
    const int index = FindFollowerIndex(id);
    if (index < 0)
        return;
    CEngineObject* follower = m_followers[static_cast<size_t>(index)].follower;
    m_followers.erase(m_followers.begin() + index);
    follower->m_listed_by = nullptr;
    follower->ClearLeader();
    OnFollowerRemoved(follower);
}

int CEngineObject::HasFollower(uint32_t id) const
{
    return FindFollowerIndex(id) >= 0 ? 1 : 0;
}

int CEngineObject::IsOrContains(uint32_t id) const
{
    if (GetId() == id)
        return 1;
    for (const auto& link : m_followers) {
        if (link.follower->IsOrContains(id))
            return 1;
    }
    return 0;
}

void CEngineObject::RemoveAllFollowers()
{
    std::vector<FollowerLink> links;
    links.swap(m_followers);
    for (const auto& link : links) {
        link.follower->m_listed_by = nullptr;
        link.follower->ClearLeader();
        OnFollowerRemoved(link.follower);
    }
}

bool CEngineObject::Unlist(CEngineObject* follower)
{
    // By pointer: an unregistered follower has id 0 like others.
    for (size_t i = 0; i < m_followers.size(); ++i) {
        if (m_followers[i].follower == follower) {
            m_followers.erase(m_followers.begin() + static_cast<std::ptrdiff_t>(i));
            follower->m_listed_by = nullptr;
            if (follower->m_leader == this)
                follower->m_leader = nullptr;
            OnFollowerRemoved(follower);
            return true;
        }
    }
    return false;
}

void CEngineObject::SetLeader(CEngineObject* leader)
{
    if (m_leader != nullptr)
        m_leader->Unlist(this);
    m_leader = leader;
}

void CEngineObject::ForwardEvent(const EngineEvent& event)
{
    ForEachLinked(VELOTRIX_LINK_EVENTS, [&](CEngineObject& f) { f.OnEvent(event); });
}

bool CEngineObject::HasFocusWithin() const
{
    if ((GetFlags() & VELOTRIX_OBJ_FOCUSED) != 0)
        return true;
    for (const auto& link : m_followers) {
        if (link.follower->HasFocusWithin())
            return true;
    }
    return false;
}

// Flags and state ----------------------------------------------------------

void CEngineObject::Show(bool visible)
{
    if (visible)
        m_state.flags |= VELOTRIX_OBJ_VISIBLE;
    else
        m_state.flags &= ~VELOTRIX_OBJ_VISIBLE;
    ForEachLinked(VELOTRIX_LINK_SHOW, [&](CEngineObject& f) { f.Show(visible); });
}

void CEngineObject::SetDraggable(bool draggable)
{
    if (draggable) {
        AddEventRoute(VELOTRIX_EVENT_LBUTTON_DOWN, m_id, VELOTRIX_EVENT_LBUTTON_DOWN, 0, 0);
        AddEventRoute(VELOTRIX_EVENT_LBUTTON_UP, m_id, VELOTRIX_EVENT_LBUTTON_UP, 0, 0);
        AddEventRoute(VELOTRIX_EVENT_MOUSE_MOVE, m_id, VELOTRIX_EVENT_DRAG_MOVE, 0, 0);
    } else {
        RemoveEventRoutes(VELOTRIX_EVENT_MOUSE_MOVE);
    }
}

void CEngineObject::SetCatchInput(bool catch_input)
{
    if (catch_input)
        m_state.flags |= VELOTRIX_OBJ_CATCH_INPUT;
    else
        m_state.flags &= ~VELOTRIX_OBJ_CATCH_INPUT;
}

void CEngineObject::SetLayer(uint32_t layer)
{
    m_state.layer = layer > VELOTRIX_LAYER_MAX ? VELOTRIX_LAYER_MAX : layer;
}

void CEngineObject::RaiseToTopLayer()
{
    m_state.layer = VELOTRIX_LAYER_TOP;
    m_state.flags |= VELOTRIX_OBJ_TOP_LAYER;
    // Every follower is raised, whatever its link flags.
    for (size_t i = 0; i < m_followers.size(); ++i)
        m_followers[i].follower->RaiseToTopLayer();
}

void CEngineObject::Invalidate()
{
    if (IsRegistered())
        m_object_module->OnMessage(VELOTRIX_MSG_OBJECT_CHANGED, reinterpret_cast<uintptr_t>(this), 0);
    ForEachLinked(VELOTRIX_LINK_INVALIDATE, [](CEngineObject& f) { f.Invalidate(); });
}

void CEngineObject::LockCore()
{
    if (m_core != nullptr)
        m_core->Lock();
}

void CEngineObject::UnlockCore()
{
    if (m_core != nullptr)
        m_core->Unlock();
}

} // namespace engine

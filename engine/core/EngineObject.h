#pragma once
// CEngineObject: the root of everything the engine shows or that takes part
// in its scene. It carries an id given by the object module, a geometry in
// doubles (centre, z, angle, alpha, size), flags, a layer, an active state, a
// hit rectangle, a name, a leader and followers (each follower repeats the
// leader's changes named by its link flags) and event routes.
//
// Owner: the object module owns every registered object (it deletes it on
// destroy); followers and leaders are non-owning links that each side clears
// when it goes: a follower knows which list holds it even after ClearLeader
// (which forgets only the leader pointer), so it leaves that list when it is
// destroyed, and is never in two lists at once. The owner (SetOwner) is a
// non-owning link too, resolved by id
// through the object module, so it reads as null once the owner is gone.
// Thread: UI thread, inside the engine tick or under the tick lock
// (LockCore/UnlockCore).
// Hazards: never delete a registered object yourself: destroy it through the
// object module (it defers the deletion while the object's own event is being
// delivered). AddFollower refuses links that would make a cycle. An owner
// that is not registered (id 0) is held by pointer and must outlive the
// objects it owns.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/EngineEvent.h"
#include "engine/core/ObjectDefs.h"
#include "engine/core/ObjectLink.h"

namespace engine {

class CFrameImageBase;
class GameCore;
class ObjectModule;

class CEngineObject {
public:
    static constexpr int TYPE_PLAIN = 1;

    CEngineObject() = default;
    virtual ~CEngineObject();
    CEngineObject(const CEngineObject&) = delete;
    CEngineObject& operator=(const CEngineObject&) = delete;

    // Life and registration.
    virtual uint32_t Init(GameCore* core, uint32_t id);
    /// Registers object with this one as its creator; the object module owns
    /// it from then on. Null (and the object deleted) without an object module.
    virtual CEngineObject* RegisterObject(std::unique_ptr<CEngineObject> object);
    virtual void OnCreate() {}
    [[nodiscard]] virtual int GetType() const { return TYPE_PLAIN; }
    [[nodiscard]] bool IsRegistered() const { return m_object_module != nullptr && m_id != 0; }
    [[nodiscard]] GameCore* GetCore() const { return m_core; }
    [[nodiscard]] ObjectModule* GetObjectModulePtr() const { return m_object_module; }

    // Geometry.
    virtual void MoveTo(double x, double y);
    virtual void MoveBy(double dx, double dy);
    virtual void SetSizeRaw(double width, double height);
    virtual void SetZ(double z);
    virtual void MoveZBy(double dz);
    virtual void BringToFront();
    virtual void Activate();
    virtual void Deactivate();
    virtual void SetAlpha(double alpha);
    virtual void SetAngle(double angle);
    virtual void RotateBy(double degrees);
    virtual void RotateAbout(double px, double py, double degrees);
    virtual void ScaleSizeBy(double fx, double fy);
    virtual void SetSize(double width, double height);
    virtual void SetHitRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    virtual void Enable(bool enable);
    virtual void SetState(const ObjectState& state) { m_state = state; }
    virtual void SetOwner(CEngineObject* owner);

    // Followers (named by id everywhere but AddFollower).
    /// 1-based position of the new link; 0 for null, self, a cycle, or an
    /// existing follower (whose link flags are then replaced).
    virtual int AddFollower(CEngineObject* follower, uint32_t link_flags);
    [[nodiscard]] virtual uint32_t GetFollowerFlags(uint32_t id) const;
    virtual void SetFollowerFlags(uint32_t id, uint32_t link_flags);
    virtual void RemoveFollower(uint32_t id);
    [[nodiscard]] virtual int HasFollower(uint32_t id) const;
    [[nodiscard]] virtual int IsOrContains(uint32_t id) const;
    virtual void RemoveAllFollowers();
    virtual void ClearLeader() { m_leader = nullptr; }
    virtual void SetLeader(CEngineObject* leader);
    virtual void ForwardEvent(const EngineEvent& event);
    [[nodiscard]] size_t GetFollowerCount() const { return m_followers.size(); }
    [[nodiscard]] CEngineObject* GetFollowerAt(size_t index) const;

    virtual void SetName(const char* name);
    [[nodiscard]] const char* GetName() const { return m_name.empty() ? nullptr : m_name.c_str(); }

    // Flags and state.
    virtual void Show(bool visible);
    virtual void SetDraggable(bool draggable);
    virtual void SetCatchInput(bool catch_input);
    virtual void SetFlags(uint32_t flags) { m_state.flags = flags; }
    virtual void AddFlags(uint32_t flags) { m_state.flags |= flags; }
    virtual void RemoveFlags(uint32_t flags) { m_state.flags &= ~flags; }
    virtual void SetLayer(uint32_t layer);
    virtual void RaiseToTopLayer();
    virtual void Invalidate();

    // Events.
    /// The default handler; answers 1.
    virtual int OnEvent(const EngineEvent& event);
    /// Delivered at once through the object module; its answer, 0 when not sent.
    int SendEvent(const EngineEvent& event);
    /// Delivered in the object module's next update.
    void PostEvent(const EngineEvent& event);
    void AddEventRoute(uint32_t event_id, uint32_t target, uint32_t forwarded_id, uintptr_t param1, uintptr_t param2);
    void AddEventRouteRec(uint32_t event_id, const RouteRecord& record);
    void AddSelfEventRoute(uint32_t event_id);
    void RemoveEventRoutes(uint32_t event_id);
    [[nodiscard]] const RouteRecord* FindEventRoute(uint32_t event_id) const;
    /// First route of event_id at a position >= index; index becomes its position + 1.
    [[nodiscard]] const RouteRecord* FindEventRouteFrom(uint32_t event_id, size_t& index) const;
    [[nodiscard]] const std::vector<EventRoute>& GetRoutes() const { return m_routes; }

    // Queries.
    /// The owner, or null when there is none or it has been destroyed.
    [[nodiscard]] virtual CEngineObject* GetOwner() const;
    [[nodiscard]] virtual ObjectState GetState() const { return m_state; }
    [[nodiscard]] virtual uint32_t GetId() const { return m_id; }
    [[nodiscard]] virtual CEngineObject* GetLeader() const { return m_leader; }
    [[nodiscard]] virtual int QueryHook(int) const { return 0; }
    [[nodiscard]] virtual int HitTest(int32_t px, int32_t py) const;
    [[nodiscard]] virtual bool IsActive() const { return m_state.active != 0; }
    [[nodiscard]] virtual bool IsEnabled() const { return (m_state.flags & VELOTRIX_OBJ_DISABLED) == 0; }
    [[nodiscard]] virtual bool IsVisible() const { return (m_state.flags & VELOTRIX_OBJ_VISIBLE) != 0; }
    [[nodiscard]] virtual bool HasVisual() const { return (m_state.flags & VELOTRIX_OBJ_HAS_VISUAL) != 0; }
    [[nodiscard]] virtual bool HasFocusWithin() const;
    [[nodiscard]] virtual bool IsCatchInput() const { return (m_state.flags & VELOTRIX_OBJ_CATCH_INPUT) != 0; }
    [[nodiscard]] virtual double GetX() const { return m_state.x; }
    [[nodiscard]] virtual double GetY() const { return m_state.y; }
    [[nodiscard]] virtual double GetZ() const { return m_state.z; }
    [[nodiscard]] virtual double GetSortZ() const { return m_state.z + 0.0000001; }
    [[nodiscard]] virtual double GetWidth() const { return m_state.width; }
    [[nodiscard]] virtual double GetHeight() const { return m_state.height; }
    [[nodiscard]] virtual double GetAlpha() const { return m_state.alpha; }
    [[nodiscard]] virtual double GetAngle() const { return m_state.angle; }
    [[nodiscard]] virtual EngineRect GetHitRect() const { return m_state.hit_rect; }
    [[nodiscard]] virtual uint32_t GetFlags() const { return m_state.flags; }
    [[nodiscard]] virtual uint32_t GetLayer() const { return m_state.layer; }
    [[nodiscard]] virtual double GetLeft() const { return m_state.x - m_state.width / 2; }
    [[nodiscard]] virtual double GetRight() const { return m_state.x + m_state.width / 2; }
    [[nodiscard]] virtual double GetTop() const { return m_state.y - m_state.height / 2; }
    [[nodiscard]] virtual double GetBottom() const { return m_state.y + m_state.height / 2; }
    [[nodiscard]] virtual CFrameImageBase* GetPicture() const { return nullptr; }
    virtual void OnChildAttached(CEngineObject*) {}
    /// Called after a follower left this object's list (removed, re-led or destroyed).
    virtual void OnFollowerRemoved(CEngineObject*) {}

    /// Takes and releases the core's tick lock (for work outside the tick).
    void LockCore();
    void UnlockCore();

    /// The angle arithmetic of the engine: degrees to radians with 3.14159.
    static constexpr double DEGREES_TO_RADIANS = 3.14159 / 180.0;

protected:
    /// Own state, for derived classes that forward to a visual.
    [[nodiscard]] const ObjectState& OwnState() const { return m_state; }
    /// Index of the follower link with that id, or -1.
    [[nodiscard]] int FindFollowerIndex(uint32_t id) const;

private:
    struct FollowerLink {
        CEngineObject* follower;
        uint32_t flags;
    };

    /// Calls fn on each follower whose link has any of the flags.
    template <typename Fn>
    void ForEachLinked(uint32_t link_flags, Fn fn);
    void AddRouteStep(uint32_t event_id, const RouteRecord& record);
    /// Takes follower off this object's list; false when it was not on it.
    bool Unlist(CEngineObject* follower);
    [[nodiscard]] bool WouldMakeCycle(const CEngineObject* follower) const;
    /// Keeps the cursor in the hit rectangle while the left button is held.
    void ConfineCursor();
    /// Gives back the clip that was in force before ConfineCursor.
    void ReleaseCursor();

    GameCore* m_core { nullptr };
    ObjectModule* m_object_module { nullptr };
    ObjectState m_state {};
    uint32_t m_id { 0 };
    CEngineObject* m_leader { nullptr };
    CEngineObject* m_listed_by { nullptr }; ///< The object whose follower list holds this one.
    CEngineObject* m_owner { nullptr };
    uint32_t m_owner_id { 0 }; ///< The owner's id when it was set; it is looked up by this.
    std::vector<FollowerLink> m_followers;
    std::vector<EventRoute> m_routes;
    std::string m_name;
    bool m_cursor_confined { false };
    std::optional<EngineRect> m_saved_clip; ///< The cursor clip before ConfineCursor (screen pixels).
    detail::LinkAnchor m_links; ///< The ObjectLinks to this object.
    friend detail::LinkAnchor& detail::AnchorOf(CEngineObject& object);
};

template <typename Fn>
void CEngineObject::ForEachLinked(uint32_t link_flags, Fn fn)
{
    // By index: a follower's reaction may change this list.
    for (size_t i = 0; i < m_followers.size(); ++i) {
        if ((m_followers[i].flags & link_flags) != 0)
            fn(*m_followers[i].follower);
    }
}

} // namespace engine

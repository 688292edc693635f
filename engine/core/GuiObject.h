#pragma once
// CGuiObject: the base of the widgets and of many windows of the game: a
// logical object that may hand its looks to a separate visual object (a
// follower linked with at least VELOTRIX_LINK_ROUTES), to which it forwards
// the operations that concern the looks.
//
// Owner: as CEngineObject (the object module). Thread: UI thread.
// Hazards: routes added before SetVisual are not copied to the visual.
// Replacing the visual leaves the old one on screen, no longer following.

#include "engine/core/EngineEntity.h"

namespace engine {

class CGuiObject : public CEngineEntity {
public:
    static constexpr int TYPE_GUI = 4;

    [[nodiscard]] int GetType() const override { return TYPE_GUI; }

    virtual void SetVisual(CEngineObject* visual, uint32_t link_flags);
    /// Show or hide, invalidate, then deliver VELOTRIX_EVENT_SHOWN/HIDDEN to itself at once.
    virtual void ShowNotify(bool show);
    /// The visual, or the object itself without one.
    [[nodiscard]] virtual CEngineObject* GetVisual();
    virtual void OnHookValue(int) {}
    virtual void OnHook() {}

    int AddFollower(CEngineObject* follower, uint32_t link_flags) override;
    [[nodiscard]] uint32_t GetFollowerFlags(uint32_t id) const override;
    void SetFollowerFlags(uint32_t id, uint32_t link_flags) override;
    void RemoveFollower(uint32_t id) override;
    void RemoveAllFollowers() override;
    void Show(bool visible) override;
    void SetDraggable(bool draggable) override;
    void SetFlags(uint32_t flags) override;
    void AddFlags(uint32_t flags) override;
    void RemoveFlags(uint32_t flags) override;
    void SetLayer(uint32_t layer) override;
    void RaiseToTopLayer() override;

    [[nodiscard]] bool IsVisible() const override;
    [[nodiscard]] bool HasFocusWithin() const override;
    [[nodiscard]] uint32_t GetFlags() const override;
    [[nodiscard]] uint32_t GetLayer() const override;
    [[nodiscard]] int HitTest(int32_t px, int32_t py) const override;
    [[nodiscard]] bool IsActive() const override;
    [[nodiscard]] double GetX() const override;
    [[nodiscard]] double GetY() const override;
    [[nodiscard]] double GetZ() const override;
    [[nodiscard]] double GetSortZ() const override;
    [[nodiscard]] double GetWidth() const override;
    [[nodiscard]] double GetHeight() const override;
    [[nodiscard]] double GetAlpha() const override;
    [[nodiscard]] double GetAngle() const override;
    [[nodiscard]] EngineRect GetHitRect() const override;
    [[nodiscard]] double GetLeft() const override;
    [[nodiscard]] double GetTop() const override;
    [[nodiscard]] double GetRight() const override;
    [[nodiscard]] double GetBottom() const override;

    /// Forgets the visual when it leaves (removed or destroyed before us).
    void OnFollowerRemoved(CEngineObject* follower) override;

private:
    /// Whether there is a visual whose link flags hold all of `needed`.
    [[nodiscard]] bool VisualHas(uint32_t needed) const;

    CEngineObject* m_visual { nullptr };
};

} // namespace engine

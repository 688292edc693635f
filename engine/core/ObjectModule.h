#pragma once
// ObjectModule (module 1002, "ObjectModule"): owns every registered engine
// object, gives ids, keeps the paint order (layer, then z, then id), collects
// dirty rectangles and runs the paint pass that hands the visible objects to
// the paint module (one VELOTRIX_MSG_RENDER per update), answers hit tests
// and look-ups, delivers engine events, and runs the timed actions through
// the installed action runner.
//
// The paint order stands by each object's layer and z as they were at its
// last update (registration, Invalidate, a view change): an object whose z
// or layer changed takes its new place at its next update, and an update
// that leaves both as they were leaves the object where it stands.
//
// Owner: GameCore (loaded by the host window). Thread: UI thread inside the
// engine tick or under the tick lock. Its own lock guards the paint order,
// snapshots and dirty list and is never held while an object's OnEvent runs.
// Hazards: objects are deleted here only. An object destroyed while one of
// its own events is being delivered (also by an Unload of the whole engine
// from its handler) is destroyed when that delivery ends. Input events are
// read only while the input module still holds their records. Dirty
// rectangles are kept clipped to the view.

#include <cstdint>
#include <map>
#include <memory>
#include <semaphore>
#include <unordered_map>
#include <vector>

#include "engine/core/BlockPool.h"
#include "engine/core/EngineModule.h"
#include "engine/core/EngineObject.h"
#include "engine/core/ObjectServices.h"
#include "engine/core/RenderRequest.h"

namespace engine {

class CCanvasObject;
class CImageObject;

/// The object module's counters, as the system details board shows them.
struct ObjectStats {
    uint32_t object_count { 0 };  ///< registered objects
    uint32_t action_count { 0 };  ///< queued actions not cancelled
    uint32_t painted_count { 0 }; ///< objects in the paint order
    uint64_t reserved_bytes { 0 }; ///< bytes of all block pools' blocks
    uint64_t used_bytes { 0 };     ///< bytes handed out by the block pools
};

class ObjectModule : public EngineModule {
public:
    static constexpr uint32_t QUEUE_LIMIT = 1048576;
    static constexpr double HIT_TEST_FLOOR = -9999999.99999;

    /// Release function that may come with a VELOTRIX_MSG_SOUND_FINISHED event.
    using EventReleaseFn = void (*)(uintptr_t, EngineEvent*, uintptr_t);

    ObjectModule();
    ~ObjectModule() override;

    [[nodiscard]] int Load() override;
    void Unload() override;
    void Update() override;
    /// Now while objects wait to be destroyed or dirty areas to be painted
    /// (not while minimised), else when the actions next could change anything.
    [[nodiscard]] uint32_t GetWorkDueIn(uint32_t now) const override;
    [[nodiscard]] int32_t GetId() const override { return VELOTRIX_MODULE_OBJECT; }
    [[nodiscard]] const char* GetName() const override { return "ObjectModule"; }
    int32_t OnMessage(int32_t message_id, uintptr_t param1, uintptr_t param2) override;
    [[nodiscard]] uint32_t GetQueueLimit() const override { return QUEUE_LIMIT; }

    // Registry.
    CEngineObject* NewObject(CEngineObject* creator);
    /// An image object (no picture yet), registered like NewObject's.
    CImageObject* NewImageObject(CEngineObject* creator);
    /// A canvas object (no pixels until its Create), registered.
    CCanvasObject* NewCanvasObject(CEngineObject* creator);
    /// Registers an object built elsewhere; the module owns it from now on.
    CEngineObject* AddObject(std::unique_ptr<CEngineObject> object, CEngineObject* creator);
    void DestroyObject(uint32_t id);
    /// Destroys the object at the start of the next update (kept by id, so a
    /// request for an object that is gone by then does nothing).
    void DestroyObjectLater(uint32_t id) { m_destroy_later.push_back(id); }
    [[nodiscard]] CEngineObject* FindObject(uint32_t id) const;
    [[nodiscard]] CEngineObject* FindObjectByName(const char* name) const;
    [[nodiscard]] uint32_t FindInputOwner(uint32_t id) const;
    /// The topmost visible object hit at the view-relative point, or null.
    [[nodiscard]] CEngineObject* HitTest(int32_t x, int32_t y);
    [[nodiscard]] double GetTopZ(uint32_t layer) const;
    [[nodiscard]] int32_t GetPaintIndex(uint32_t id) const;
    [[nodiscard]] int IsPaintOrderSorted() const;
    [[nodiscard]] size_t GetObjectCount() const { return m_records.size(); }
    [[nodiscard]] size_t GetActionCount() const { return m_actions ? m_actions->GetActionCount() : 0; }
    [[nodiscard]] size_t GetPaintOrderCount() const { return m_paint_order.size(); }
    /// Fills out with the counters and answers it.
    ObjectStats& GetObjectStats(ObjectStats& out) const;

    void UpdateObject(CEngineObject* object);
    int DeliverEvent(const EngineEvent& event);
    int QueueEvent(const EngineEvent& event);

    // View and painting.
    void SetViewSize(int32_t width, int32_t height);
    void SetViewCentre(int32_t x, int32_t y);
    [[nodiscard]] EngineRect GetViewRect() const { return m_view; }
    void RefreshView();
    void SetFullRedraw(bool on) { m_full_redraw = on; }
    void SetHitTestFloor(double floor) { m_hit_test_floor = floor; }
    /// The host window tells whether the main window is minimised; no paint
    /// pass runs meanwhile and the dirty areas wait.
    void SetMinimised(bool minimised) { m_minimised = minimised; }
    void AddDirtyRect(const EngineRect& rect);
    [[nodiscard]] const std::vector<EngineRect>& GetDirtyRects() const { return m_dirty; }
    void PaintPass();

    [[nodiscard]] static EngineRect GetScreenRect(const ObjectState& state);
    [[nodiscard]] static EngineRect RotatedBounds(const ObjectState& state);
    [[nodiscard]] static bool StateMeetsRect(const ObjectState& state, const EngineRect& rect);

    // The lock of the one shared text renderer: canvases reach the renderer
    // through CCanvasServices and hold this lock around each text operation.
    void LockTextRenderer() { m_text_semaphore.acquire(); }
    void UnlockTextRenderer() { m_text_semaphore.release(); }
    void SetActionRunner(std::unique_ptr<IActionRunner> runner) { m_actions = std::move(runner); }
    [[nodiscard]] IActionRunner* GetActionRunner() const { return m_actions.get(); }

private:
    /// Where a listed object stands in the paint order: layer, then z, then
    /// id (a z that is not a number stands above every other z of its layer).
    struct PaintKey {
        uint32_t layer { 0 };
        double z { 0.0 };
        uint32_t id { 0 };
        [[nodiscard]] bool operator<(const PaintKey& other) const;
        [[nodiscard]] bool operator==(const PaintKey& other) const = default;
    };

    struct ObjectRecord {
        std::unique_ptr<CEngineObject> object;
        ObjectState snapshot {};
        bool listed { false };
        PaintKey key {}; ///< Taken when listed; the paint order is sorted by it.
    };

    [[nodiscard]] ObjectRecord* FindRecord(uint32_t id) const;
    [[nodiscard]] static PaintKey PaintKeyOf(const CEngineObject& object);
    void InsertInPaintOrder(ObjectRecord* record);
    void RemoveFromPaintOrder(ObjectRecord* record);
    void RebuildPaintOrder();
    void ReleaseRecord(std::unique_ptr<ObjectRecord> record);
    [[nodiscard]] bool IsPaintable(const ObjectState& state) const;
    [[nodiscard]] bool IsDelivering(uint32_t id) const;

    uint32_t m_object_counter { 0 };
    std::map<uint32_t, std::unique_ptr<ObjectRecord>> m_records; // Id order is creation order.
    std::unordered_map<uint32_t, ObjectRecord*> m_by_id; // The same records, for look-ups by id.
    std::vector<ObjectRecord*> m_paint_order;
    std::unique_ptr<CBlockPool> m_event_pool;
    std::binary_semaphore m_text_semaphore { 1 };
    std::unique_ptr<IActionRunner> m_actions;
    std::unique_ptr<IActionRunner> m_retired_actions; // Unloaded; freed with the module.
    int32_t m_view_centre_x { 0 };
    int32_t m_view_centre_y { 0 };
    EngineRect m_view {};
    std::vector<EngineRect> m_dirty;
    bool m_full_redraw { false };
    bool m_minimised { false };
    double m_hit_test_floor { HIT_TEST_FLOOR };
    std::vector<uint32_t> m_delivering;
    std::vector<uint32_t> m_deferred_destroy;
    std::vector<uint32_t> m_destroy_later;
};

} // namespace engine

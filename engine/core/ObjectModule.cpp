#include "engine/core/ObjectModule.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/core/ActionRunner.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/GameCore.h"
#include "engine/core/ImageObject.h"
#include "engine/core/InputModule.h"

namespace engine {

ObjectModule::ObjectModule() = default;

ObjectModule::~ObjectModule()
{
    // Objects still registered (a module deleted without Unload) go first,
    // while the module they may call back into is whole. No delivery can be
    // under way any more.
    m_delivering.clear();
    if (!m_records.empty())
        Unload();
}

int ObjectModule::Load()
{
    m_event_pool = std::make_unique<CBlockPool>(sizeof(EngineEvent), 64);
    // The timed actions run in every update of a loaded module; a runner set
    // before loading (a test's) is kept.
    if (!m_actions)
        m_actions = std::make_unique<CActionRunner>(*this);
    return 1;
}

void ObjectModule::Unload()
{
    // Forgotten, but kept until the module goes: Unload may be reached from
    // inside the runner's own pass (a done event that quits).
    if (m_actions)
        m_retired_actions = std::move(m_actions);
    // The object's own links, not a visual's (CGuiObject forwards the
    // virtual one), so that no destruction below reaches another object.
    for (auto& [id, record] : m_records)
        record->object->CEngineObject::RemoveAllFollowers();
    // An object whose own event is being delivered (a quit button that
    // unloads the engine from its click) goes when that delivery ends; the
    // module itself lives until the end of the frame.
    std::vector<uint32_t> ids;
    ids.reserve(m_records.size());
    for (const auto& [id, record] : m_records)
        ids.push_back(id);
    for (uint32_t id : ids)
        DestroyObject(id);
    m_event_pool.reset();
}

void ObjectModule::Update()
{
    DispatchQueued();
    std::vector<uint32_t> doomed;
    doomed.swap(m_destroy_later);
    for (uint32_t id : doomed)
        DestroyObject(id);
    if (m_actions)
        m_actions->RunActions();
    PaintPass();
}

uint32_t ObjectModule::GetWorkDueIn(uint32_t now) const
{
    if (!m_destroy_later.empty() || (!m_dirty.empty() && !m_minimised))
        return 0;
    return m_actions ? m_actions->GetWorkDueIn(now) : NO_WORK_DUE;
}

int32_t ObjectModule::OnMessage(int32_t message_id, uintptr_t param1, uintptr_t param2)
{
    switch (message_id) {
    case VELOTRIX_MSG_OBJECT_DESTROYED:
        // The object is looked up, never read through the pointer: a posted
        // request may name an object that is gone by now.
        for (const auto& [id, record] : m_records) {
            if (reinterpret_cast<uintptr_t>(record->object.get()) == param1) {
                DestroyObject(id);
                break;
            }
        }
        return 0;
    case VELOTRIX_MSG_DELIVER_QUEUED_EVENT: {
        // Only copies this module queued are delivered and given back.
        auto* copy = reinterpret_cast<EngineEvent*>(param1);
        if (!m_event_pool || !m_event_pool->IsTaken(copy))
            return 1;
        const EngineEvent event = *copy;
        m_event_pool->Free(copy);
        DeliverEvent(event);
        return 1;
    }
    case VELOTRIX_MSG_SEND_EVENT:
        return param1 != 0 ? DeliverEvent(*reinterpret_cast<const EngineEvent*>(param1)) : 0;
    case VELOTRIX_MSG_POST_EVENT:
        return param1 != 0 ? QueueEvent(*reinterpret_cast<const EngineEvent*>(param1)) : 0;
    case VELOTRIX_MSG_SOUND_FINISHED: {
        auto* event = reinterpret_cast<EngineEvent*>(param1);
        if (event == nullptr)
            return 0;
        DeliverEvent(*event);
        // A sender's release function takes the event back; otherwise the
        // message owns it and frees it after this returns.
        if (param2 != 0)
            reinterpret_cast<EventReleaseFn>(param2)(0, event, 0);
        return 0;
    }
    case VELOTRIX_MSG_OBJECT_EVENT: {
        // Only records the loaded input module holds are read: an input
        // module unloaded since the post has freed them with its pools.
        const auto* input = dynamic_cast<const InputModule*>(GetModule(VELOTRIX_MODULE_INPUT));
        if (input == nullptr || !input->IsEventInFlight(param1))
            return 0;
        DeliverEvent(*reinterpret_cast<const EngineEvent*>(param1));
        PostMessage(VELOTRIX_MODULE_INPUT, VELOTRIX_MSG_FREE_INPUT_EVENT, param1, 0);
        return 0;
    }
    case VELOTRIX_MSG_OBJECT_CHANGED:
        UpdateObject(reinterpret_cast<CEngineObject*>(param1));
        return 0;
    case VELOTRIX_MSG_ADD_ACTION:
    case VELOTRIX_MSG_BEGIN_GROUP:
    case VELOTRIX_MSG_NEXT_GROUP:
    case VELOTRIX_MSG_END_GROUP:
    case VELOTRIX_MSG_CANCEL_ACTION:
    case VELOTRIX_MSG_CANCEL_GROUP:
    case VELOTRIX_MSG_CANCEL_OBJECT_ACTIONS:
        if (m_actions)
            m_actions->OnActionMessage(message_id, param1, param2);
        return 0;
    case VELOTRIX_MSG_REFRESH_VIEW:
        RefreshView();
        return 0;
    default:
        return 0;
    }
}

// Registry -------------------------------------------------------------------

CEngineObject* ObjectModule::NewObject(CEngineObject* creator)
{
    return AddObject(std::make_unique<CEngineObject>(), creator);
}

CImageObject* ObjectModule::NewImageObject(CEngineObject* creator)
{
    auto object = std::make_unique<CImageObject>();
    CImageObject* raw = object.get();
    return AddObject(std::move(object), creator) != nullptr ? raw : nullptr;
}

CCanvasObject* ObjectModule::NewCanvasObject(CEngineObject* creator)
{
    auto object = std::make_unique<CCanvasObject>();
    CCanvasObject* raw = object.get();
    return AddObject(std::move(object), creator) != nullptr ? raw : nullptr;
}

CEngineObject* ObjectModule::AddObject(std::unique_ptr<CEngineObject> object, CEngineObject* creator)
{
    if (!object || object->GetId() != 0)
        return nullptr;
    auto record = std::make_unique<ObjectRecord>();
    const uint32_t id = ++m_object_counter;
    CEngineObject* raw = object.get();
    raw->Init(GetManager(), id);
    raw->SetZ(id - 10000.0);
    record->snapshot = raw->GetState();
    record->object = std::move(object);
    ObjectRecord* record_ptr = record.get();
    m_records.emplace(id, std::move(record));
    m_by_id.emplace(id, record_ptr);
    {
        CLockScope lock(GetLock());
        const EngineRect area = IntersectRects(GetScreenRect(record_ptr->snapshot), m_view);
        if (IsPaintable(record_ptr->snapshot) && !area.IsEmpty()) {
            AddDirtyRect(area);
            InsertInPaintOrder(record_ptr);
        }
    }
    if (creator != nullptr && creator->GetOwner() != nullptr)
        raw->SetOwner(creator->GetOwner());
    raw->OnCreate();
    return raw;
}

bool ObjectModule::IsDelivering(uint32_t id) const
{
    return std::find(m_delivering.begin(), m_delivering.end(), id) != m_delivering.end();
}

void ObjectModule::DestroyObject(uint32_t id)
{
    if (IsDelivering(id)) {
        if (std::find(m_deferred_destroy.begin(), m_deferred_destroy.end(), id) == m_deferred_destroy.end())
            m_deferred_destroy.push_back(id);
        return;
    }
    if (m_actions)
        m_actions->CancelObjectActions(id);
    const auto it = m_records.find(id);
    if (it == m_records.end())
        return;
    std::unique_ptr<ObjectRecord> record = std::move(it->second);
    m_records.erase(it);
    m_by_id.erase(id);
    ReleaseRecord(std::move(record));
}

void ObjectModule::ReleaseRecord(std::unique_ptr<ObjectRecord> record)
{
    {
        CLockScope lock(GetLock());
        const ObjectState state = record->object->GetState();
        if (IsPaintable(state))
            AddDirtyRect(GetScreenRect(state));
        RemoveFromPaintOrder(record.get());
    }
    // The destructor may destroy owned followers through this module again.
    record->object.reset();
}

ObjectModule::ObjectRecord* ObjectModule::FindRecord(uint32_t id) const
{
    const auto it = m_by_id.find(id);
    return it == m_by_id.end() ? nullptr : it->second;
}

ObjectStats& ObjectModule::GetObjectStats(ObjectStats& out) const
{
    out.object_count = uint32_t(m_records.size());
    out.action_count = uint32_t(GetActionCount());
    out.painted_count = uint32_t(m_paint_order.size());
    out.reserved_bytes = CBlockPool::GetReservedBytes();
    out.used_bytes = CBlockPool::GetUsedBytes();
    return out;
}

CEngineObject* ObjectModule::FindObject(uint32_t id) const
{
    const ObjectRecord* record = FindRecord(id);
    return record != nullptr ? record->object.get() : nullptr;
}

CEngineObject* ObjectModule::FindObjectByName(const char* name) const
{
    if (name == nullptr)
        return nullptr;
    for (const auto& [id, record] : m_records) {
        const char* own = record->object->GetName();
        if (own != nullptr && std::strcmp(own, name) == 0)
            return record->object.get();
    }
    return nullptr;
}

uint32_t ObjectModule::FindInputOwner(uint32_t id) const
{
    const CEngineObject* object = FindObject(id);
    // The leader chain has no cycles (AddFollower refuses them); the bound
    // is a guard against a broken invariant only.
    for (size_t steps = 0; object != nullptr && steps <= m_records.size(); ++steps) {
        if (object->IsCatchInput())
            return object->GetId();
        object = object->GetLeader();
    }
    return 0;
}

double ObjectModule::GetTopZ(uint32_t layer) const
{
    double top = 0.0;
    for (const auto& [id, record] : m_records) {
        if (record->object->GetLayer() == layer)
            top = std::max(top, record->object->GetZ());
    }
    return top;
}

// Events -------------------------------------------------------------------

int ObjectModule::DeliverEvent(const EngineEvent& event)
{
    CEngineObject* target = FindObject(event.target);
    if (target == nullptr)
        return 0;
    const uint32_t id = event.target;
    // Popped even when the handler throws, or the object could never go.
    struct DeliveryMark {
        std::vector<uint32_t>& delivering;
        ~DeliveryMark() { delivering.pop_back(); }
    };
    int result = 0;
    {
        m_delivering.push_back(id);
        const DeliveryMark mark { m_delivering };
        result = target->OnEvent(event);
    }
    const auto deferred = std::find(m_deferred_destroy.begin(), m_deferred_destroy.end(), id);
    if (deferred != m_deferred_destroy.end() && !IsDelivering(id)) {
        m_deferred_destroy.erase(deferred);
        DestroyObject(id);
    }
    return result;
}

int ObjectModule::QueueEvent(const EngineEvent& event)
{
    if (!m_event_pool)
        return 0;
    void* memory = m_event_pool->Alloc(sizeof(EngineEvent));
    if (memory == nullptr)
        return 0;
    auto* copy = new (memory) EngineEvent(event);
    PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_DELIVER_QUEUED_EVENT, reinterpret_cast<uintptr_t>(copy), 0);
    return 1;
}

} // namespace engine

#include "engine/core/ActionRunner.h"

#include <algorithm>

#include "engine/core/ObjectModule.h"
#include "platform/Tick.h"

namespace engine {

namespace {

// Nesting deeper than this is refused by the recursive walks (a guard only:
// the links never form a cycle).
constexpr int MAX_GROUP_DEPTH = 1024;

static_assert(sizeof(uintptr_t) >= sizeof(uint64_t), "module message parameters carry 64-bit serials");
static_assert(sizeof(ActionItem) <= CActionRunner::ACTION_RECORD_BYTES, "an action record fits its pool's chunk");

} // namespace

CActionRunner::CActionRunner(ObjectModule& module) : m_module(module) {}

CActionRunner::~CActionRunner() = default;

ActionItem* CActionRunner::NewActionItem()
{
    PooledPtr<ActionItem> item = MakePooled<ActionItem>(m_item_pool);
    if (!item)
        return nullptr;
    item->serial = ++m_serial_counter;
    ActionItem* raw = item.get();
    m_fresh_items.emplace(raw, std::move(item));
    return raw;
}

uint64_t CActionRunner::NewGroupRecord()
{
    PooledPtr<ActionGroup> group = MakePooled<ActionGroup>(m_group_pool);
    if (!group)
        return 0;
    group->serial = ++m_serial_counter;
    const uint64_t serial = group->serial;
    m_groups.emplace(serial, std::move(group));
    return serial;
}

void CActionRunner::OnActionMessage(int32_t message_id, uintptr_t param1, uintptr_t)
{
    switch (message_id) {
    case VELOTRIX_MSG_ADD_ACTION:
        AddAction(reinterpret_cast<ActionItem*>(param1));
        break;
    case VELOTRIX_MSG_BEGIN_GROUP:
        BeginGroup(param1);
        break;
    case VELOTRIX_MSG_NEXT_GROUP:
        NextGroup(param1);
        break;
    case VELOTRIX_MSG_END_GROUP:
        EndGroup();
        break;
    case VELOTRIX_MSG_CANCEL_ACTION:
        CancelAction(param1);
        break;
    case VELOTRIX_MSG_CANCEL_GROUP:
        CancelGroup(param1);
        break;
    case VELOTRIX_MSG_CANCEL_OBJECT_ACTIONS:
        CancelObjectActions(static_cast<uint32_t>(param1));
        break;
    default:
        break;
    }
}

ActionGroup* CActionRunner::Group(uint64_t serial) const
{
    if (serial == 0)
        return nullptr;
    const auto it = m_groups.find(serial);
    return it == m_groups.end() ? nullptr : it->second.get();
}

const ActionGroup* CActionRunner::FindGroup(uint64_t serial) const
{
    return Group(serial);
}

size_t CActionRunner::GetGroupCount() const
{
    size_t count = 0;
    for (const auto& [serial, group] : m_groups)
        count += group->begun ? 1 : 0;
    return count;
}

const ActionItem* CActionRunner::FindAction(uint64_t serial) const
{
    for (const auto& item : m_actions)
        if (item->serial == serial)
            return item.get();
    return nullptr;
}

size_t CActionRunner::GetActionCount() const
{
    size_t count = 0;
    for (const auto& item : m_actions)
        count += item->cancelled ? 0 : 1;
    return count;
}

bool CActionRunner::IsGroupActive(const ActionGroup& group) const
{
    const ActionGroup* stage = &group;
    for (int depth = 0; stage != nullptr && depth < MAX_GROUP_DEPTH; ++depth) {
        if (stage->previous != 0)
            return false;
        stage = Group(stage->parent);
    }
    return true;
}

void CActionRunner::ReportFault(const char* text)
{
    m_module.PostMessage(VELOTRIX_MODULE_ERROR_SINK, VELOTRIX_MSG_MODULE_FAULT, reinterpret_cast<uintptr_t>(text), 0);
}

void CActionRunner::ReleaseGroupRecord(uint64_t serial)
{
    if (serial == m_current)
        m_current = 0;
    m_groups.erase(serial);
}

// Queueing ---------------------------------------------------------------------

void CActionRunner::AddAction(ActionItem* item)
{
    const auto fresh = m_fresh_items.find(item);
    if (fresh == m_fresh_items.end())
        return;
    PooledPtr<ActionItem> owned = std::move(fresh->second);
    m_fresh_items.erase(fresh);
    if (!owned->kind)
        return;
    owned->group = 0;
    owned->held = false;
    if (ActionGroup* group = Group(m_current)) {
        owned->group = group->serial;
        ++group->pending;
        owned->held = !IsGroupActive(*group);
    }
    m_actions.push_back(std::move(owned));
}

std::vector<uint64_t> CActionRunner::Children(const ActionGroup& stage) const
{
    // Sibling links never form a cycle; the bound only guards the walk.
    std::vector<uint64_t> children;
    for (const ActionGroup* child = Group(stage.first_child); child != nullptr && children.size() < m_groups.size();
         child = Group(child->next_sibling))
        children.push_back(child->serial);
    return children;
}

void CActionRunner::AppendChild(ActionGroup& parent, uint64_t child)
{
    const std::vector<uint64_t> children = Children(parent);
    if (children.empty())
        parent.first_child = child;
    else
        Group(children.back())->next_sibling = child;
}

void CActionRunner::ReplaceChild(ActionGroup& parent, uint64_t child, uint64_t replacement)
{
    ActionGroup* old = Group(child);
    const uint64_t after = old != nullptr ? old->next_sibling : 0;
    if (ActionGroup* stand_in = Group(replacement))
        stand_in->next_sibling = after;
    const uint64_t link = replacement != 0 ? replacement : after;
    if (parent.first_child == child) {
        parent.first_child = link;
        return;
    }
    for (const uint64_t sibling : Children(parent)) {
        ActionGroup* record = Group(sibling);
        if (record->next_sibling == child) {
            record->next_sibling = link;
            return;
        }
    }
}

void CActionRunner::BeginGroup(uint64_t handle)
{
    ActionGroup* group = Group(handle);
    if (group == nullptr || group->begun)
        return;
    group->begun = true;
    if (ActionGroup* current = Group(m_current)) {
        group->parent = current->serial;
        ++current->pending;
        AppendChild(*current, group->serial);
    }
    m_current = group->serial;
}

void CActionRunner::NextGroup(uint64_t handle)
{
    ActionGroup* group = Group(handle);
    if (group == nullptr || group->begun)
        return;
    ActionGroup* current = Group(m_current);
    if (current == nullptr) {
        ReleaseGroupRecord(handle);
        ReportFault(NEXT_WITHOUT_BEGIN);
        return;
    }
    group->begun = true;
    if (current->pending == 0) {
        // Nothing was queued in the current stage: the new one takes its place.
        const uint64_t old = current->serial;
        group->parent = current->parent;
        group->previous = current->previous;
        group->next = current->next;
        group->first_child = current->first_child;
        group->next_sibling = current->next_sibling;
        group->pending = 0;
        if (ActionGroup* previous = Group(current->previous))
            previous->next = group->serial;
        if (ActionGroup* parent = Group(current->parent); parent != nullptr && current->previous == 0)
            ReplaceChild(*parent, old, group->serial);
        ReleaseGroupRecord(old);
    } else {
        current->next = group->serial;
        group->previous = current->serial;
        group->parent = current->parent;
    }
    m_current = group->serial;
}

void CActionRunner::EndGroup()
{
    ActionGroup* current = Group(m_current);
    if (current == nullptr) {
        ReportFault(END_WITHOUT_BEGIN);
        return;
    }
    const uint64_t parent_serial = current->parent;
    if (current->pending != 0) {
        // The stage lives on until its actions finish.
        m_current = parent_serial;
        return;
    }
    if (ActionGroup* previous = Group(current->previous)) {
        previous->next = 0;
    } else if (ActionGroup* parent = Group(parent_serial)) {
        // A first stage, or a stage whose previous one is already done: the
        // chain counted once in the parent and ends here.
        ReplaceChild(*parent, current->serial, 0);
        --parent->pending;
    }
    ReleaseGroupRecord(current->serial);
    m_current = parent_serial;
}

// Finishing --------------------------------------------------------------------

void CActionRunner::FinishAction(ActionItem& item, bool with_event)
{
    if (with_event && item.done_event.id != 0)
        m_module.DeliverEvent(item.done_event);
    ActionGroup* group = Group(item.group);
    if (group == nullptr)
        return;
    --group->pending;
    if (group->pending <= 0 && group->serial != m_current)
        FinishGroup(group->serial);
}

void CActionRunner::FinishGroup(uint64_t serial)
{
    for (int depth = 0; depth < MAX_GROUP_DEPTH; ++depth) {
        ActionGroup* group = Group(serial);
        if (group == nullptr)
            return;
        ActionGroup* next = Group(group->next);
        ActionGroup* parent = Group(group->parent);
        if (next != nullptr) {
            next->previous = 0;
            if (parent != nullptr && group->previous == 0)
                ReplaceChild(*parent, serial, next->serial);
            ReleaseGroupRecord(serial);
            ReleaseStage(next->serial, 0);
            // An empty next stage that is already closed is done at once.
            if (next->pending <= 0 && next->serial != m_current) {
                serial = next->serial;
                continue;
            }
            return;
        }
        if (parent != nullptr && group->previous == 0)
            ReplaceChild(*parent, serial, 0);
        ReleaseGroupRecord(serial);
        if (parent == nullptr)
            return;
        --parent->pending;
        if (parent->pending > 0 || parent->serial == m_current)
            return;
        serial = parent->serial;
    }
}

void CActionRunner::ReleaseStage(uint64_t serial, int depth)
{
    const ActionGroup* stage = Group(serial);
    if (stage == nullptr || depth >= MAX_GROUP_DEPTH)
        return;
    // A stage released during a walk starts in the next update, not in the
    // rest of this walk.
    for (auto& item : m_actions) {
        if (item->group == serial) {
            item->held = false;
            item->ready_walk = m_running ? m_walk + 1 : 0;
        }
    }
    for (const uint64_t child : Children(*stage))
        ReleaseStage(child, depth + 1);
}

// Cancelling -------------------------------------------------------------------

void CActionRunner::CancelAction(uint64_t serial)
{
    if (serial == 0)
        return;
    for (auto& item : m_actions) {
        if (item->serial == serial) {
            item->cancelled = true;
            return;
        }
    }
}

void CActionRunner::CancelGroup(uint64_t handle)
{
    const ActionGroup* group = Group(handle);
    if (group == nullptr || !group->begun)
        return;
    CancelGroupRecursive(handle, 0);
}

void CActionRunner::CancelGroupRecursive(uint64_t serial, int depth)
{
    const ActionGroup* group = Group(serial);
    if (group == nullptr || depth >= MAX_GROUP_DEPTH)
        return;
    for (const uint64_t child : Children(*group))
        CancelGroupRecursive(child, depth + 1);
    CancelGroupRecursive(group->next, depth + 1);
    for (auto& item : m_actions)
        if (item->group == serial)
            item->cancelled = true;
}

void CActionRunner::CancelObjectActions(uint32_t object_id)
{
    if (object_id == 0)
        return;
    for (auto& item : m_actions)
        if (!item->cancelled && item->object_id == object_id)
            item->cancelled = true;
}

// Running ----------------------------------------------------------------------

uint32_t CActionRunner::GetWorkDueIn(uint32_t now) const
{
    // Held actions wait for their stage, which only a run of another action
    // (or a message) releases.
    uint32_t soonest = EngineModule::NO_WORK_DUE;
    for (const PooledPtr<ActionItem>& entry : m_actions) {
        const ActionItem& item = *entry;
        if (item.held)
            continue;
        if (item.cancelled || !item.started || item.ready_walk > m_walk || !item.kind)
            return 0;
        const uint32_t interval_left = TimeLeftIn(item.interval, uint32_t(now - item.last_run));
        soonest = std::min(soonest, std::max(interval_left, item.kind->GetChangeDueIn(now, item.start_time)));
        if (soonest == 0)
            break;
    }
    return soonest;
}

void CActionRunner::RunActions()
{
    if (m_running)
        return;
    m_running = true;
    ++m_walk;
    const uint32_t now = m_module.GetLastUpdate();
    for (auto it = m_actions.begin(); it != m_actions.end();) {
        ActionItem& item = **it;
        if (item.held || item.ready_walk > m_walk) {
            ++it;
            continue;
        }
        bool finished = false;
        bool with_event = false;
        if (item.cancelled) {
            finished = true;
        } else {
            bool due = false;
            if (!item.started) {
                item.started = true;
                item.start_time = now;
                item.last_run = now;
                due = true;
            } else if (platform::HasElapsed(item.last_run, now, item.interval)) {
                item.last_run = now;
                due = true;
            }
            if (due) {
                CEngineObject* object = item.object_id != 0 ? m_module.FindObject(item.object_id) : nullptr;
                if (item.object_id != 0 && object == nullptr) {
                    // Its object is gone: dropped like a cancelled action.
                    finished = true;
                } else {
                    ActionRunContext context { object, m_module, item.last_run - item.start_time };
                    finished = item.kind->Run(context);
                    with_event = finished && !item.cancelled;
                }
            }
        }
        if (!finished) {
            ++it;
            continue;
        }
        // Unlinked before finishing: the done event may queue or cancel others.
        PooledPtr<ActionItem> done = std::move(*it);
        it = m_actions.erase(it);
        FinishAction(*done, with_event);
    }
    m_running = false;
}

} // namespace engine

#pragma once
// CActionRunner: the object module's timed actions and action groups. It
// hands out fresh action and group records, takes the module messages 1023
// to 1029 (add an action, begin / next / end a group, cancel by serial, by
// group or by object) and runs the due actions once per object-module update.
//
// Stages: the actions of a group stage start only when every action of the
// previous stage, and of the groups begun inside it, has finished. A stage
// that is still being built (the current group) does not finish while it is
// empty; EndGroup or NextGroup settle it.
//
// Owner: the object module (ObjectModule::SetActionRunner); every record is
// owned here, taken from the runner's own action and group pools (64 records
// a block), and freed with the runner. Thread: UI thread, inside the object
// module's update (or under the tick lock).
// Hazards: records travel in module messages as pointers (actions) or
// serials (groups); a pointer is used only when it is a record this runner
// handed out and has not queued yet, and a group serial only while that
// group lives, so stale or repeated messages do nothing. Run functions and
// done events may cancel actions, queue new ones or destroy objects; the walk
// only ever unlinks the action it is on.

#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/core/ActionItem.h"
#include "engine/core/BlockPool.h"
#include "engine/core/ObjectServices.h"
#include "engine/core/PooledRecord.h"

namespace engine {

class ObjectModule;

class CActionRunner final : public IActionRunner {
public:
    static constexpr const char* NEXT_WITHOUT_BEGIN = "can't NextGroup without BeginGroup!";
    static constexpr const char* END_WITHOUT_BEGIN = "can't EndGroup without BeginGroup!";
    /// Records per block of the action and group pools.
    static constexpr size_t POOL_BLOCK_ITEMS = 64;
    /// Chunk size of the action pool.
    static constexpr size_t ACTION_RECORD_BYTES = 128;
    /// Chunk size of the group pool: 32 bytes in the 32-bit layout, wider
    /// here because stages link to each other by 64-bit serials.
    static constexpr size_t GROUP_RECORD_BYTES = sizeof(ActionGroup) > 32 ? sizeof(ActionGroup) : 32;

    explicit CActionRunner(ObjectModule& module);
    ~CActionRunner() override;
    CActionRunner(const CActionRunner&) = delete;
    CActionRunner& operator=(const CActionRunner&) = delete;

    /// A fresh, zeroed action record with the next serial; owned here until
    /// it is queued (message 1023) or the runner goes.
    [[nodiscard]] ActionItem* NewActionItem();
    /// A fresh group record; its serial is the handle for messages 1024,
    /// 1025 and 1028.
    [[nodiscard]] uint64_t NewGroupRecord();

    void OnActionMessage(int32_t message_id, uintptr_t param1, uintptr_t param2) override;
    void RunActions() override;
    void CancelObjectActions(uint32_t object_id) override;
    [[nodiscard]] size_t GetActionCount() const override;
    [[nodiscard]] uint32_t GetWorkDueIn(uint32_t now) const override;

    void AddAction(ActionItem* item);
    void BeginGroup(uint64_t handle);
    void NextGroup(uint64_t handle);
    void EndGroup();
    void CancelAction(uint64_t serial);
    void CancelGroup(uint64_t handle);

    // Inspection (tests and the system board).
    [[nodiscard]] uint64_t GetCurrentGroup() const { return m_current; }
    [[nodiscard]] const ActionGroup* FindGroup(uint64_t serial) const;
    [[nodiscard]] const ActionItem* FindAction(uint64_t serial) const;
    [[nodiscard]] size_t GetGroupCount() const;
    [[nodiscard]] const CBlockPool& GetItemPool() const { return m_item_pool; }
    [[nodiscard]] const CBlockPool& GetGroupPool() const { return m_group_pool; }

private:
    [[nodiscard]] ActionGroup* Group(uint64_t serial) const;
    [[nodiscard]] bool IsGroupActive(const ActionGroup& group) const;
    void FinishAction(ActionItem& item, bool with_event);
    void FinishGroup(uint64_t serial);
    void ReleaseStage(uint64_t serial, int depth);
    void CancelGroupRecursive(uint64_t serial, int depth);
    /// The first stages of the groups begun inside stage, in order.
    [[nodiscard]] std::vector<uint64_t> Children(const ActionGroup& stage) const;
    void AppendChild(ActionGroup& parent, uint64_t child);
    /// Puts replacement (0: nothing) where child stood among parent's children.
    void ReplaceChild(ActionGroup& parent, uint64_t child, uint64_t replacement);
    void ReportFault(const char* text);
    void ReleaseGroupRecord(uint64_t serial);

    ObjectModule& m_module;
    uint64_t m_serial_counter { 0 };
    // The pools outlive the records below (members go in reverse order).
    CBlockPool m_item_pool { ACTION_RECORD_BYTES, POOL_BLOCK_ITEMS };
    CBlockPool m_group_pool { GROUP_RECORD_BYTES, POOL_BLOCK_ITEMS };
    std::list<PooledPtr<ActionItem>> m_actions;
    std::unordered_map<ActionItem*, PooledPtr<ActionItem>> m_fresh_items;
    std::unordered_map<uint64_t, PooledPtr<ActionGroup>> m_groups;
    uint64_t m_current { 0 };
    bool m_running { false };
    uint64_t m_walk { 0 };         ///< walks of the list so far
};

} // namespace engine

#pragma once
// EngineModule: the base of every engine module (resource, object, paint,
// music, input). GameCore owns the loaded modules, ticks them in load order
// and carries module messages between them.
//
// Owner: GameCore once handed to LoadModule. Thread: UI thread only, inside
// the engine tick or under the tick lock.
//
// Flags: 1 enabled (ticked), 2 initialised (LoadModule skips Load), 64
// protected (ticked inside the crash guard). A module's own work goes in
// Update, which Tick calls when more than the module's interval has passed
// since its last update. Messages posted to a module wait in its queue until
// the module calls DispatchQueued (usually first thing in Update).
// Hazards: a module is deleted by the manager; never keep a pointer to one
// across an UnloadModule of its id.

#include <cstdint>
#include <list>

#include "engine/core/LockHolder.h"
#include "engine/core/ModuleMsgQueue.h"
#include "engine/core/VelotrixDefs.h"

namespace engine {

class GameCore;

class EngineModule {
public:
    static constexpr uint32_t FLAG_ENABLED = 1;
    static constexpr uint32_t FLAG_INITIALISED = 2;
    static constexpr uint32_t FLAG_INITIAL = 16;
    static constexpr uint32_t FLAG_PROTECTED = 64;
    static constexpr uint32_t DEFAULT_QUEUE_LIMIT = 8192;
    static constexpr uint32_t DEFAULT_INTERVAL = 10;
    /// GetWorkDueIn: nothing is due until something from outside (a window
    /// message, input, a network message) arrives.
    static constexpr uint32_t NO_WORK_DUE = 0xFFFFFFFF;

    EngineModule() = default;
    virtual ~EngineModule() = default;
    EngineModule(const EngineModule&) = delete;
    EngineModule& operator=(const EngineModule&) = delete;

    /// Non-zero on success; a module that fails to load is deleted.
    [[nodiscard]] virtual int Load() = 0;
    /// Called once, just before the manager deletes the module.
    virtual void Unload() = 0;
    /// The module's work for one frame.
    virtual void Update() = 0;
    [[nodiscard]] virtual int32_t GetId() const = 0;
    [[nodiscard]] virtual const char* GetName() const = 0;
    /// VELOTRIX_RETURN_OK when the message was handled (modules may document
    /// other answers of their own).
    virtual int32_t OnMessage(int32_t message_id, uintptr_t param1, uintptr_t param2) = 0;
    [[nodiscard]] virtual uint32_t GetQueueLimit() const { return DEFAULT_QUEUE_LIMIT; }
    /// 0 when disabled; else 1, running Update when the interval has passed.
    int Tick(uint32_t now);
    /// Milliseconds from `now` (the frame clock) until this module's Update
    /// next has work of its own: 0 for every frame, NO_WORK_DUE for none
    /// until something from outside arrives. The kernel skips frames while no
    /// module has work due, so a module that answers more than 0 must be sure
    /// nothing changes meanwhile but through a message or its own events.
    /// The default: work every frame.
    [[nodiscard]] virtual uint32_t GetWorkDueIn(uint32_t now) const;
    /// When Update will next have work, given the work due (messages waiting
    /// in the queue are work now) and the interval: what the kernel reads.
    [[nodiscard]] uint32_t GetUpdateDueIn(uint32_t now) const;

    void SetInterval(uint32_t ms) { m_interval = ms; }
    [[nodiscard]] uint32_t GetInterval() const { return m_interval; }
    [[nodiscard]] uint32_t GetLastUpdate() const { return m_last_update; }
    [[nodiscard]] uint32_t GetFlags() const { return m_flags; }
    void Enable() { m_flags |= FLAG_ENABLED; }
    void Disable() { m_flags &= ~FLAG_ENABLED; }
    [[nodiscard]] bool IsEnabled() const { return (m_flags & FLAG_ENABLED) != 0; }
    void SetInitialised(bool on) { on ? m_flags |= FLAG_INITIALISED : m_flags &= ~FLAG_INITIALISED; }
    void SetProtected(bool on) { on ? m_flags |= FLAG_PROTECTED : m_flags &= ~FLAG_PROTECTED; }
    [[nodiscard]] bool IsProtected() const { return (m_flags & FLAG_PROTECTED) != 0; }

    void Attach(GameCore* manager);
    int32_t Release() { return --m_references; }
    [[nodiscard]] GameCore* GetManager() const { return m_manager; }

    /// Drops the queue when more than the limit wait (after a 1005 report),
    /// then collects this module's posted messages; returns how many moved.
    uint32_t PumpMessages(std::list<ModuleMessage>& posted);
    /// Hands every waiting message, in order, to OnMessage, freeing each one's
    /// payload after its turn; then clears.
    void DispatchQueued();
    [[nodiscard]] const ModuleMsgQueue& GetQueue() const { return m_queue; }

    EngineModule* GetModule(int32_t id) const;
    /// Through the manager; 0 when not attached to one (what the message owns
    /// is freed then).
    int32_t SendMessage(int32_t target, int32_t message_id, uintptr_t param1, uintptr_t param2) const;
    int32_t SendMessage(ModuleMessage message) const;
    int32_t PostMessage(int32_t target, int32_t message_id, uintptr_t param1, uintptr_t param2) const;
    int32_t PostMessage(ModuleMessage message) const;

protected:
    /// The module's own lock (the kernel never enters it).
    CLockHolder& GetLock() { return m_lock; }

private:
    int32_t m_references { 0 };
    CLockHolder m_lock;
    uint32_t m_interval { DEFAULT_INTERVAL };
    uint32_t m_last_update { 0 };
    uint32_t m_flags { FLAG_INITIAL };
    ModuleMsgQueue m_queue;
    GameCore* m_manager { nullptr };
};

/// Milliseconds left of a span once `passed` milliseconds of it have gone:
/// 0 once it is over. Taken in 64 bits; a time left beyond the 32-bit clock
/// answers the longest wait short of EngineModule::NO_WORK_DUE.
[[nodiscard]] constexpr uint32_t TimeLeftIn(uint64_t span, uint64_t passed)
{
    if (passed >= span)
        return 0;
    const uint64_t left = span - passed;
    return left < EngineModule::NO_WORK_DUE ? static_cast<uint32_t>(left) : EngineModule::NO_WORK_DUE - 1;
}

} // namespace engine

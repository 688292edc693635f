#pragma once
// GameCore: the engine's module manager. It owns the loaded modules, ticks
// them in load order every frame, carries module messages between them,
// keeps the integer and text settings, and guards each frame with the tick
// lock.
//
// Owner: the engine host window (CVelotrixWnd) embeds one.
// Thread: UI thread. The client framework takes the tick lock (Lock/Unlock,
// re-entrant) around the dispatch of a received server message so that it
// never interleaves with a frame. PostMessage, SendMessage and the settings
// take no lock: call them on the UI thread only.
//
// One frame (Tick): for each module in load order, collect its posted
// messages and tick it; protected modules run inside a guard that switches a
// throwing module off and reports it ("模块:<%s>因故障关闭!" when no fault sink
// 1010 takes the report). Then the system messages (target 0) are handled.
// An exception from an unprotected module propagates to the caller of Tick,
// with the tick lock already released.
// Hazards: a module unloaded during a frame is deleted at the end of that
// frame, so a module may safely unload itself from its own Update.

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/EngineModule.h"
#include "engine/core/FrameClock.h"
#include "engine/core/LockHolder.h"
#include "engine/core/VelotrixDefs.h"
#include "platform/Message.h"
#include "platform/Tick.h"

namespace engine {

class GameCore {
public:
    using WindowHandle = platform::WindowHandle;

    // Setting keys with readers in the engine.
    static constexpr int32_t SETTING_SYSTEM_EVENT_OBJECT = 16;
    static constexpr int32_t SETTING_SYSTEM_EVENT_ID = 17;
    static constexpr int32_t SETTING_GDI_PAINT = 18;

    explicit GameCore(const platform::IClock& clock = platform::CSystemClock::Instance());
    virtual ~GameCore();
    GameCore(const GameCore&) = delete;
    GameCore& operator=(const GameCore&) = delete;

    /// Loads the default settings, keeps the window and begins the run log.
    void Init(WindowHandle window);
    /// VELOTRIX_RETURN_OK, VELOTRIX_RETURN_MODULE_CRASH (duplicate id) or
    /// VELOTRIX_RETURN_MODULE_INITIAL_FAILD (Load returned 0); the module is
    /// owned by the manager from here on (and deleted on failure).
    [[nodiscard]] int32_t LoadModule(std::unique_ptr<EngineModule> module, bool enable, bool protect);
    /// VELOTRIX_RETURN_OK or VELOTRIX_RETURN_MODULE_NOT_FOUND.
    int32_t UnloadModule(int32_t id);
    void UnloadAll();
    [[nodiscard]] EngineModule* GetModule(int32_t id) const;
    [[nodiscard]] size_t GetModuleCount() const { return m_modules.size(); }
    /// Frame-clock milliseconds since the start.
    [[nodiscard]] uint32_t GetTime() const;

    /// One engine frame.
    void Tick();
    /// Milliseconds until the next frame that has work: 0 while messages
    /// wait or any enabled module has work every frame, else the soonest
    /// module's (EngineModule::GetUpdateDueIn); EngineModule::NO_WORK_DUE
    /// when none has any. Frames before then may be skipped.
    [[nodiscard]] uint32_t GetWorkDueIn() const;

    /// Target 0: handled at once, answers 1. Else 1 when the module exists
    /// and its OnMessage answered VELOTRIX_RETURN_OK, 0 otherwise. What the
    /// message owns is freed when the call returns.
    int32_t SendMessage(int32_t target, int32_t message_id, uintptr_t param1, uintptr_t param2);
    int32_t SendMessage(ModuleMessage message);
    /// Appends to the posted list; answers the number of messages in it. A
    /// message for a module not loaded waits for it (or for the manager's end).
    int32_t PostMessage(int32_t target, int32_t message_id, uintptr_t param1, uintptr_t param2);
    int32_t PostMessage(ModuleMessage message);
    /// Ids 1008..1011; others are ignored.
    void HandleSystemMessage(int32_t message_id, uintptr_t param1, uintptr_t param2);
    [[nodiscard]] size_t GetPostedCount() const { return m_posted.size(); }

    void SetIntSetting(int32_t key, int32_t value) { m_int_settings[key] = value; }
    /// -1 when the key was never set.
    [[nodiscard]] int32_t GetIntSetting(int32_t key) const;
    void SetStringSetting(int32_t key, std::string text) { m_text_settings[key] = std::move(text); }
    /// Empty when the key was never set.
    [[nodiscard]] std::string GetStringSetting(int32_t key) const;
    virtual void LoadDefaultSettings();

    /// Enters the tick lock (re-entrant on the UI thread).
    void Lock() { m_tick_lock.Enter(); }
    void Unlock() { m_tick_lock.Leave(); }
    [[nodiscard]] bool IsLockedByCurrentThread() const { return m_tick_lock.IsHeldByCurrentThread(); }
    [[nodiscard]] WindowHandle GetHwnd() const { return m_window; }

private:
    [[nodiscard]] int GetModuleIndex(const EngineModule* module) const;
    void TickModule(EngineModule& module, uint32_t now);
    void ReportCrash(EngineModule& module);
    void HandlePostedSystemMessages();
    static void FreeSystemMessage(const ModuleMessage& message);

    std::unique_ptr<CFrameClock> m_clock;
    std::vector<std::unique_ptr<EngineModule>> m_modules;
    std::vector<std::unique_ptr<EngineModule>> m_unloaded_in_frame;
    std::list<ModuleMessage> m_posted;
    CLockHolder m_tick_lock;
    std::map<int32_t, int32_t> m_int_settings;
    std::map<int32_t, std::string> m_text_settings;
    WindowHandle m_window { WindowHandle::None };
    int m_frame_depth { 0 };
};

} // namespace engine

#pragma once
// CVelotrixWnd: the window in which the engine lives. It embeds the module
// manager, creates and loads the five engine modules when the engine starts,
// drives the engine with a 5 ms window timer, and passes the window's
// messages on: painting to the paint module, input to the input module, size
// changes to the paint and object modules, copy-data records to the root
// object. The client's main window derives from it.
// The engine sleeps when nothing is due: after a frame, when no module has
// work before the next frame (GameCore::GetWorkDueIn), the frame timer skips
// its ticks until the work is due (at most GetLongestSleep), or until the
// thread takes any other message (input, a network message, a timer), after
// which the next tick comes in phase as if it had never slept.
//
// Owner: the application (std::unique_ptr). Thread: UI thread: window
// messages and the timer are handled by the thread's message loop, so a frame
// never overlaps a handler.
// The resource, paint and music modules come from the registered factory
// (engine/media); object and input modules are the core's own. The real
// screen is a platform SDL window (headless under SDL's offscreen driver).
// Hazards: the root object is owned by the object module once the engine
// starts; GetRootObject is valid until WM_DESTROY. An exception that leaves a
// handler (an unprotected module's in a frame, a root hook's) is logged and
// the next message is handled; it never reaches the message loop.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/EngineHostServices.h"
#include "engine/core/GameCore.h"
#include "engine/core/InputModule.h"
#include "platform/MessageWindow.h"
#include "platform/Tick.h"
#include "platform/Window.h"

namespace engine {

class CGuiContainer;
using CopyDataRecord = platform::CopyDataRecord;

class CVelotrixWnd : public platform::CMessageWindow, public IPresentTarget, public IInputHost {
public:
    static constexpr uint32_t FRAME_INTERVAL_MS = 5;
    /// The longest the engine sleeps with nothing due.
    static constexpr uint32_t LONGEST_SLEEP_MS = 250;
    static constexpr uintptr_t FIRST_TIMER_ID = 19840323;

    explicit CVelotrixWnd(const platform::IClock& clock = platform::CSystemClock::Instance());
    ~CVelotrixWnd() override;

    /// The factory of the media modules used by every later StartEngine.
    static void SetModuleFactory(IEngineModuleFactory* factory);

    /// Creates the window (an SDL window bound to a message-system handle).
    /// Non-zero on success.
    virtual int Create(const platform::NativeWindowOptions& options);
    /// Creates and loads the modules, adds the root object and starts the
    /// frame timer; answers the timer id (0 when it could not start).
    virtual uintptr_t StartEngine(std::unique_ptr<CGuiContainer> root, std::unique_ptr<EngineModule> resource_module);
    virtual void OnSizeChanged();
    virtual void OnFrameTick();
    /// Milliseconds until the engine next has work (GameCore::GetWorkDueIn);
    /// a derived window that draws between frames answers for that too.
    [[nodiscard]] virtual uint32_t GetWorkDueIn();
    /// True when the last frame let the frame timer sleep (until its next tick).
    [[nodiscard]] bool IsSleeping() const { return m_sleeping; }
    void SetLongestSleep(uint32_t ms) { m_longest_sleep = ms; }
    [[nodiscard]] uint32_t GetLongestSleep() const { return m_longest_sleep; }
    [[nodiscard]] virtual int32_t GetClientWidth() const { return m_client_width; }
    [[nodiscard]] virtual int32_t GetClientHeight() const { return m_client_height; }

    [[nodiscard]] GameCore& GetCore() { return m_core; }
    [[nodiscard]] CGuiContainer* GetRootObject() const { return m_root; }
    [[nodiscard]] uintptr_t GetTimerId() const { return m_timer_id; }
    [[nodiscard]] platform::CNativeWindow* GetNativeWindow() const { return m_native.get(); }

    // IPresentTarget
    bool Present(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch,
                 std::span<const EngineRect> changed) override;
    // IInputHost
    [[nodiscard]] bool IsPointerInWindow() const override { return m_pointer_inside; }
    void SetCursor(uintptr_t cursor) override;
    void ShowCursor(bool show) override;

protected:
    intptr_t WindowProc(platform::Message& msg) override;
    // The default handling of three window messages; a derived window that
    // handles them itself calls these afterwards.
    /// WM_SIZE: tells the object module whether the window is minimised
    /// (type SIZE_MINIMIZED) and resizes the engine to a new, non-empty size.
    virtual void OnSize(uint32_t type, int32_t width, int32_t height);
    /// WM_DESTROY: unloads the engine and stops the frame timer.
    virtual void OnDestroy();
    /// WM_COPYDATA: hands the record to the root object's copy-data hook.
    virtual void OnCopyData(const CopyDataRecord* record);

private:
    [[nodiscard]] InputModule* Input() const;
    bool ForwardMouse(platform::Message& msg);
    intptr_t HandleMessage(platform::Message& msg);
    /// Logs an exception that left a message handler.
    void ReportFault(uint32_t message_id, const std::string& what);
    /// After a frame: lets the frame timer sleep until work is due.
    void SleepUntilWorkIsDue();

    CGuiContainer* m_root { nullptr };
    uintptr_t m_timer_id { 0 };
    int32_t m_client_width { 0 };
    int32_t m_client_height { 0 };
    bool m_pointer_inside { false };
    bool m_sleeping { false };
    uint32_t m_longest_sleep { LONGEST_SLEEP_MS };
    std::string m_last_fault;
    std::vector<platform::PixelRect> m_changed; // Present's, kept for its capacity
    std::unique_ptr<platform::CNativeWindow> m_native;
    GameCore m_core;
};

} // namespace engine

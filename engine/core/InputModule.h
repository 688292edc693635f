#pragma once
// InputModule (module 1005, "InputModule"): turns the host window's pointer,
// button, key, character, focus and cursor messages into engine events that
// reach objects through their event routes. It keeps the input state, the
// hovered, focus, input-target and modal objects, hover and double-click
// times, and the pointer's shape.
//
// Owner: GameCore (loaded by the host window). Thread: UI thread (host window
// handlers and the engine tick).
// Events are posted to the object module (VELOTRIX_MSG_OBJECT_EVENT) and come
// back (VELOTRIX_MSG_FREE_INPUT_EVENT) after delivery; each carries its own
// record with an explicit flag telling whether param2 is a state copy owned
// by this module; the object module reads a record only while
// IsEventInFlight says this module still holds it. Only
// VELOTRIX_EVENT_CURSOR is delivered at once.
// Positions from the host are window client pixels; the module keeps both the
// window position and the view-relative one.
// Hazards: the host interface (cursor, pointer-in-window) is optional; without
// one the window enter/leave check and cursor calls do nothing.

#include <cstdint>
#include <memory>

#include "engine/core/BlockPool.h"
#include "engine/core/EngineModule.h"
#include "engine/core/InputState.h"
#include "engine/core/ObjectDefs.h"
#include "platform/Cursor.h"

namespace engine {

class CEngineObject;
class ObjectModule;

/// What the input module needs of the window it serves.
class IInputHost {
public:
    virtual ~IInputHost() = default;
    /// Whether the pointer is inside the engine window now.
    [[nodiscard]] virtual bool IsPointerInWindow() const = 0;
    virtual void SetCursor(uintptr_t cursor) = 0;
    virtual void ShowCursor(bool show) = 0;
};

class InputModule : public EngineModule {
public:
    static constexpr uint32_t QUEUE_LIMIT = 1024;
    static constexpr uint32_t UPDATE_INTERVAL = 100;
    static constexpr uint32_t DEFAULT_HOVER_TIMEOUT = 500;
    static constexpr uint32_t DOUBLE_CLICK_TIME = 500;
    static constexpr uintptr_t CURSOR_ARROW = platform::IDC_ARROW; ///< The system arrow cursor.

    InputModule();
    ~InputModule() override;

    [[nodiscard]] int Load() override;
    void Unload() override;
    void Update() override;
    /// When the hover time-out is due; nothing else of the module's work
    /// changes but through input messages or the object module's frames.
    [[nodiscard]] uint32_t GetWorkDueIn(uint32_t now) const override;
    [[nodiscard]] int32_t GetId() const override { return VELOTRIX_MODULE_INPUT; }
    [[nodiscard]] const char* GetName() const override { return "InputModule"; }
    int32_t OnMessage(int32_t message_id, uintptr_t param1, uintptr_t param2) override;
    [[nodiscard]] uint32_t GetQueueLimit() const override { return QUEUE_LIMIT; }

    void SetHost(IInputHost* host) { m_host = host; }

    // Window input (client pixels).
    void OnMouseMove(int32_t x, int32_t y, uint32_t key_flags);
    void OnMouseWheel(int32_t x, int32_t y, int16_t delta);
    void OnLButtonDown(int32_t x, int32_t y);
    void OnLButtonUp(int32_t x, int32_t y);
    void OnLButtonDblClk(int32_t x, int32_t y);
    void OnRButtonDown(int32_t x, int32_t y);
    void OnRButtonUp(int32_t x, int32_t y);
    void OnMButtonDown(int32_t x, int32_t y);
    void OnMButtonUp(int32_t x, int32_t y);
    void OnKeyDown(uint32_t key, uint32_t repeat, uint32_t flags);
    void OnKeyUp(uint32_t key, uint32_t repeat, uint32_t flags);
    /// One byte, or a two-byte GBK character with its lead in bits 8..15.
    void OnChar(uint32_t code);
    void OnKillFocus();
    void OnSetCursor();

    // Operations the entity facade exposes.
    /// 1 when at least one event was posted.
    int PostEvent(uint32_t event_id, uint32_t target);
    /// The previous focus id when the focus changed, else 0.
    uint32_t SetFocusObject(uint32_t id);
    /// The previous input target.
    uint32_t SetInputTarget(uint32_t id);
    /// While the modal object is up (active and enabled), the pointer
    /// hovers only it and what it contains, and keys and characters reach it
    /// alone.
    void SetModalObject(uint32_t id) { m_modal = id; }
    void SetHoverTimeout(uint32_t ms) { m_hover_timeout = ms; }
    void AddTargetRoute(uint32_t event_id, const RouteRecord& record);
    void RemoveTargetRoutes(uint32_t event_id);
    void RefreshMouse();
    void ClearHover();
    [[nodiscard]] int HitTestObject(int32_t x, int32_t y, uint32_t id) const;
    [[nodiscard]] int IsInModalScope(uint32_t id);
    void SetCursorHandle(uintptr_t cursor);
    void ShowSystemCursor(bool show);
    [[nodiscard]] InputState GetInputState() const { return m_state; }
    [[nodiscard]] uint32_t GetInputTarget() const { return m_input_target; }
    [[nodiscard]] uint32_t GetModalObject() const { return m_modal; }
    [[nodiscard]] bool IsInputEnabled() const { return m_enabled; }
    /// Events posted and not yet given back (for tests and the system board).
    [[nodiscard]] size_t GetEventsInFlight() const { return m_in_flight; }
    /// Whether event (a VELOTRIX_MSG_OBJECT_EVENT param1) is a record this
    /// module posted and has not taken back.
    [[nodiscard]] bool IsEventInFlight(uintptr_t event) const;

private:
    struct EventRecord;

    [[nodiscard]] ObjectModule* Objects() const;
    [[nodiscard]] CEngineObject* FindObject(uint32_t id) const;
    void SetMousePos(int32_t& x, int32_t& y);
    void UpdateHover(int32_t x, int32_t y);
    void PostToBoth(uint32_t event_id, uint32_t second);
    /// A key or character event: to the input target and the focus, or,
    /// while a modal object is up, to it and to a focus inside it (nothing
    /// outside a modal object hears the keys).
    void PostKeyEvent(uint32_t event_id);
    bool PostOne(uint32_t target, uint32_t event_id, uintptr_t param1, uintptr_t param2, bool with_state);
    void FreeEvent(uintptr_t event);
    void DeliverCharacter(uint8_t lead, uint8_t trail);

    InputState m_state {};
    uint8_t m_pending_lead { 0 };
    std::unique_ptr<CBlockPool> m_state_pool;
    std::unique_ptr<CBlockPool> m_event_pool;
    uint32_t m_input_target { 0 };
    uint32_t m_hover_timeout { DEFAULT_HOVER_TIMEOUT };
    uint32_t m_hover_time { 0 };
    uint32_t m_last_press_time { 0 };
    int32_t m_last_press_x { 0 };
    int32_t m_last_press_y { 0 };
    uint32_t m_previous_update { 0 };
    bool m_has_previous_update { false };
    uintptr_t m_cursor { CURSOR_ARROW };
    bool m_system_cursor_shown { true };
    bool m_pointer_inside { false };
    bool m_first_press_given { false };
    bool m_press_armed { false };
    bool m_enabled { true };
    uint32_t m_modal { 0 };
    int32_t m_window_x { 0 };
    int32_t m_window_y { 0 };
    size_t m_in_flight { 0 };
    IInputHost* m_host { nullptr };
};

} // namespace engine

#pragma once
// The engine event record and the engine's event id vocabulary.
//
// Owner: engine/core. Events are built with MakeEngineEvent and delivered to
// CEngineObject::OnEvent by the object module on the UI thread.
//
// Hazard: param1/param2 may carry pointers (the input record copy, owned
// payloads of system messages); they are pointer-sized in memory and are
// never stored to disk or sent on the wire.

#include <cstdint>
#include <vector>

namespace engine {

/// One engine event: target object id, event id and two parameters.
struct EngineEvent {
    uint32_t target { 0 };
    uint32_t id { 0 };
    uintptr_t param1 { 0 };
    uintptr_t param2 { 0 };
};

/// Fills the four words of an event record and returns it.
EngineEvent* MakeEngineEvent(EngineEvent* record, uint32_t target, uint32_t event_id, uintptr_t param1,
                             uintptr_t param2);

// Input events (delivered only through event routes).
inline constexpr uint32_t VELOTRIX_EVENT_MOUSE_ENTER = 19840325;
inline constexpr uint32_t VELOTRIX_EVENT_MOUSE_LEAVE = 19840326;
inline constexpr uint32_t VELOTRIX_EVENT_MOUSE_HOVER = 19840327;
inline constexpr uint32_t VELOTRIX_EVENT_LBUTTON_DOWN = 19840328;
inline constexpr uint32_t VELOTRIX_EVENT_LBUTTON_UP = 19840329;
inline constexpr uint32_t VELOTRIX_EVENT_LBUTTON_CLICK = 19840330;
inline constexpr uint32_t VELOTRIX_EVENT_MOUSE_MOVE = 19840331;
inline constexpr uint32_t VELOTRIX_EVENT_RBUTTON_DOWN = 19840332;
inline constexpr uint32_t VELOTRIX_EVENT_RBUTTON_UP = 19840333;
inline constexpr uint32_t VELOTRIX_EVENT_RBUTTON_CLICK = 19840334;
inline constexpr uint32_t VELOTRIX_EVENT_MOUSE_MOVE_PRESSED = 19840335;
inline constexpr uint32_t VELOTRIX_EVENT_BUTTON_RELEASED = 19840336;
inline constexpr uint32_t VELOTRIX_EVENT_LBUTTON_DBLCLK = 19840337;
inline constexpr uint32_t VELOTRIX_EVENT_HOVER_TIMEOUT = 19840338;
inline constexpr uint32_t VELOTRIX_EVENT_HOVER_END = 19840339;
inline constexpr uint32_t VELOTRIX_EVENT_MBUTTON = 19840340;
inline constexpr uint32_t VELOTRIX_EVENT_WHEEL_UP = 19840342;
inline constexpr uint32_t VELOTRIX_EVENT_WHEEL_DOWN = 19840343;
inline constexpr uint32_t VELOTRIX_EVENT_KEY_DOWN = 19840345;
inline constexpr uint32_t VELOTRIX_EVENT_KEY_UP = 19840346;
inline constexpr uint32_t VELOTRIX_EVENT_CHAR = 19840347;
inline constexpr uint32_t VELOTRIX_EVENT_PRESS = 19840348;
inline constexpr uint32_t VELOTRIX_EVENT_KILL_FOCUS = 19840349;
inline constexpr uint32_t VELOTRIX_EVENT_WINDOW_ENTER = 19840350;
inline constexpr uint32_t VELOTRIX_EVENT_WINDOW_LEAVE = 19840351;
inline constexpr uint32_t VELOTRIX_EVENT_FOCUS_GOT = 19840352;
inline constexpr uint32_t VELOTRIX_EVENT_FOCUS_LOST = 19840353;
inline constexpr uint32_t VELOTRIX_EVENT_INPUT_FIRST = VELOTRIX_EVENT_MOUSE_ENTER;
inline constexpr uint32_t VELOTRIX_EVENT_INPUT_LAST = VELOTRIX_EVENT_FOCUS_LOST;

// Object events.
inline constexpr uint32_t VELOTRIX_EVENT_SHOWN = 19840355;
inline constexpr uint32_t VELOTRIX_EVENT_HIDDEN = 19840356;
inline constexpr uint32_t VELOTRIX_EVENT_CURSOR_HAND = 19840357;
inline constexpr uint32_t VELOTRIX_EVENT_CURSOR_ARROW = 19840358;
inline constexpr uint32_t VELOTRIX_EVENT_CURSOR = 19840360;
inline constexpr uint32_t VELOTRIX_EVENT_DRAG_MOVE = 19840372;
inline constexpr uint32_t VELOTRIX_EVENT_ACTIVATE = 19840375;
inline constexpr uint32_t VELOTRIX_EVENT_DEACTIVATE = 19840376;
inline constexpr uint32_t VELOTRIX_EVENT_SYSTEM_MESSAGE = 19840388;   ///< param1 owns a payload.
inline constexpr uint32_t VELOTRIX_EVENT_SYSTEM_MESSAGE_2 = 19840389; ///< param1 owns a payload.

/// First id of application events (GAMEMSG_*).
inline constexpr uint32_t VELOTRIX_EVENT_APPLICATION_FIRST = 80000001;

[[nodiscard]] constexpr bool IsInputEventId(uint32_t id)
{
    return id >= VELOTRIX_EVENT_INPUT_FIRST && id <= VELOTRIX_EVENT_INPUT_LAST;
}

/// Payloads of VELOTRIX_EVENT_SYSTEM_MESSAGE(_2): param1 holds a byte buffer
/// made here; the default handler of the receiving object frees it.
[[nodiscard]] uintptr_t MakeSystemPayload(std::vector<uint8_t> bytes);
/// Borrows the bytes of a payload made by MakeSystemPayload (null for 0).
[[nodiscard]] const std::vector<uint8_t>* PeekSystemPayload(uintptr_t payload);
/// Frees a payload made by MakeSystemPayload; 0 is ignored.
void FreeSystemPayload(uintptr_t payload);

} // namespace engine

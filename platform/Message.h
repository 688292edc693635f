#pragma once
// The message system of the client: window handles, per-thread queues, posted
// and sent messages, timers and the message loop. Socket workers, the
// communication thread, the main window and the engine host all use it.
//
// Model:
//  - A window is a handler bound to the thread that created it; messages to it
//    are handled only on that thread. Handles are never reused, so a stale
//    handle names no window (posting to it fails, and the payload is freed).
//  - Each thread gets a queue the first time it uses this API
//    (GetCurrentThreadId, creating a window, a loop call). When the thread ends,
//    its windows are destroyed and its queued messages dropped.
//  - PostMessage/PostThreadMessage queue and return. SendMessage calls the
//    handler directly on the same thread; across threads it waits for the
//    target thread to handle it, and while waiting keeps handling messages sent
//    to its own thread, so two threads sending to each other never deadlock.
//  - The loop takes, in order: sent messages, posted messages (then WM_QUIT
//    after PostQuitMessage), then due timers. Timers are coalesced: at most one
//    WM_TIMER of a timer waits at a time; they keep their phase (no drift),
//    also across a sleep (DeferTimer).
//  - A message may own a payload (std::unique_ptr<MessagePayload>). It is freed
//    with the message: after the handler returns, or when the message is
//    dropped (target gone, thread ended). A handler may move it out to keep it.
//
// Use:
//   class CSocketWindow final : public CMessageWindow {       // MessageWindow.h
//       intptr_t WindowProc(Message& msg) override {
//           if (msg.id == UM_COMM_MESSAGE)
//               if (auto* data = msg.PayloadAs<ValuePayload<Bytes>>()) ...;  // freed after return
//           return 0;
//       }
//   };
//   window.Create();                                     // on the thread that will handle it
//   SetTimer(window.GetHandle(), 1, 5);                  // WM_TIMER, wparam 1, every 5 ms
//   PostMessage(handle, UM_X, w, l, std::make_unique<ValuePayload<Bytes>>(bytes));  // any thread
//   intptr_t answer = SendMessage(handle, WM_COPYDATA, sender, reinterpret_cast<intptr_t>(&data));
//   return RunMessageLoop();                             // until PostQuitMessage / WM_QUIT
//
// Threads: every function may be called from any thread unless noted.
// Hazards: handlers run with no lock of this system held, so they may post,
// send, create and destroy windows. A window's handler object must outlive the
// window (use CMessageWindow, which destroys its window in its destructor).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/MessageIds.h"

namespace platform {

// A window handle; WindowHandle::None names no window.
enum class WindowHandle : uintptr_t { None = 0 };
// The id of a thread's queue; 0 names none.
using ThreadId = uint32_t;

[[nodiscard]] constexpr uintptr_t HandleToParam(WindowHandle window) { return static_cast<uintptr_t>(window); }
[[nodiscard]] constexpr WindowHandle HandleFromParam(uintptr_t value) { return static_cast<WindowHandle>(value); }

// Base of every owned message payload.
struct MessagePayload {
    virtual ~MessagePayload() = default;
};

// A payload holding one value of any movable type.
template <typename T>
struct ValuePayload final : MessagePayload {
    explicit ValuePayload(T v) : value(std::move(v)) {}
    T value;
};

// The lparam of WM_COPYDATA: a kind word, the size and the sender's bytes
// (valid only while the handler runs).
struct CopyDataRecord {
    uintptr_t kind { 0 };
    uint32_t size { 0 };
    const void* data { nullptr };
};

struct Message {
    WindowHandle window { WindowHandle::None }; // None for a thread message
    uint32_t id { WM_NULL };
    uintptr_t wparam { 0 };
    intptr_t lparam { 0 };
    uint32_t time { 0 }; // tick when queued
    std::unique_ptr<MessagePayload> payload;

    // The payload as T, or nullptr when there is none or it is another type.
    template <typename T>
    [[nodiscard]] T* PayloadAs() const { return dynamic_cast<T*>(payload.get()); }
};

// A window's handler. Its result is what SendMessage returns.
using WindowProc = std::function<intptr_t(Message&)>;

// --- Threads and windows
// The calling thread's queue id (creating the queue).
[[nodiscard]] ThreadId GetCurrentThreadId();
// Creates a window owned by the calling thread.
[[nodiscard]] WindowHandle CreateMessageWindow(WindowProc proc);
// Destroys a window of the calling thread: its handler gets WM_DESTROY, its
// timers are killed, and later messages to it are dropped (payloads freed).
// False for an unknown window or one owned by another thread.
bool DestroyWindow(WindowHandle window);
[[nodiscard]] bool IsWindow(WindowHandle window);
// The thread owning the window, 0 when it does not exist.
[[nodiscard]] ThreadId GetWindowThreadId(WindowHandle window);

// --- Posting and sending
// False when the target does not exist; the payload is freed then.
bool PostMessage(WindowHandle window, uint32_t id, uintptr_t wparam = 0, intptr_t lparam = 0,
                 std::unique_ptr<MessagePayload> payload = {});
bool PostThreadMessage(ThreadId thread, uint32_t id, uintptr_t wparam = 0, intptr_t lparam = 0,
                       std::unique_ptr<MessagePayload> payload = {});
// Calls the handler and returns its result; 0 when the window does not exist
// or is destroyed before handling. lparam may point at the sender's data
// (WM_COPYDATA): the sender waits until the handler returns.
intptr_t SendMessage(WindowHandle window, uint32_t id, uintptr_t wparam = 0, intptr_t lparam = 0);
// As SendMessage, telling "not handled" apart: std::nullopt when the window did
// not exist or went away before handling.
[[nodiscard]] std::optional<intptr_t> TrySendMessage(WindowHandle window, uint32_t id, uintptr_t wparam = 0,
                                                     intptr_t lparam = 0);

// --- The loop (calling thread only)
// Waits for the next message. False when it is WM_QUIT (exit code in wparam).
[[nodiscard]] bool GetMessage(Message& out);
// Takes the next message if one is ready (sent messages are handled on the
// way). False when none is ready. A WM_QUIT is returned like any other message.
[[nodiscard]] bool PeekMessage(Message& out);
// Waits until a message may be ready or `timeout_ms` passes (WAIT_FOREVER from
// Event.h is accepted). Handles sent messages while waiting. True when something arrived.
bool WaitMessage(uint32_t timeout_ms);
// Calls the handler of msg.window (on this thread) with msg; the payload is
// freed afterwards unless the handler moved it out. Thread messages and
// messages to windows that are gone return 0.
intptr_t DispatchMessage(Message& msg);
// Makes the loop of the calling thread return WM_QUIT once its posted messages are taken.
void PostQuitMessage(int exit_code);
// GetMessage/DispatchMessage until WM_QUIT; returns the exit code. Thread
// messages (no window) go to `on_thread_message` when given.
int RunMessageLoop(const std::function<void(Message&)>& on_thread_message = {});
// Handles every message ready now (thread messages go to the callback, a WM_QUIT
// is put back for the outer loop and ends the pump). False when WM_QUIT was seen.
bool PumpWaitingMessages(const std::function<void(Message&)>& on_thread_message = {});

// Waiting without freezing: runs the calling thread's messages (windows stay
// painted and responsive) until `done()` is true, `timeout_ms` passes or a
// WM_QUIT arrives (put back for the outer loop). `done` is checked after every
// batch of messages; a thread that makes it true from elsewhere wakes the
// waiter by posting any message to it (PostThreadMessage(thread, WM_NULL)).
enum class WaitOutcome { Done, TimedOut, Quit };
[[nodiscard]] WaitOutcome PumpMessagesUntil(const std::function<bool()>& done, uint32_t timeout_ms,
                                            const std::function<void(Message&)>& on_thread_message = {});

// --- Timers
// Starts (or restarts) timer `timer_id` of a window: WM_TIMER with wparam =
// timer_id every `period_ms` (at least 1). Returns timer_id, or 0 when the
// window does not exist or timer_id is 0.
uintptr_t SetTimer(WindowHandle window, uintptr_t timer_id, uint32_t period_ms);
// False when there was no such timer.
bool KillTimer(WindowHandle window, uintptr_t timer_id);
// Lets a running timer sleep: it skips its ticks (keeping its phase) until the
// first one at or after `span_ms` from now, unless its thread takes any other
// message first (posted, sent, another timer's tick, an input event); then its
// next tick is the first one after that message, as if it had never slept.
// For a thread that ticks only while work is due. False when there is no such
// timer.
bool DeferTimer(WindowHandle window, uintptr_t timer_id, uint32_t span_ms);

} // namespace platform

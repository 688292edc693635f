#pragma once
// Internals of the message system shared by Message.cpp (windows, threads,
// posting and sending) and MessageLoop.cpp (the loop and timers). Not for
// use outside platform/.
//
// Locking: the registry mutex guards the window and thread maps and each
// WindowRecord's `destroyed`; a ThreadQueue's mutex guards its contents and a
// SentRecord's answer. The two are never held together, and no handler runs
// while either is held.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/EventPump.h"
#include "platform/Message.h"
#include "platform/TimerSchedule.h"

// <chrono> does not compile with the GBK execution charset; steady_clock and
// the durations come with <condition_variable>.

namespace platform::message_detail {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

struct ThreadQueue;

// A message sent across threads, waiting for its handler.
struct SentRecord {
    Message message;
    std::shared_ptr<ThreadQueue> sender;
    std::optional<intptr_t> result; // guarded by the sender's queue mutex
    bool done { false };            // guarded by the sender's queue mutex
};

struct TimerRecord {
    WindowHandle window;
    uintptr_t id;
    CTimerSchedule schedule;
};

struct ThreadQueue {
    explicit ThreadQueue(ThreadId thread_id) : id(thread_id) {}
    const ThreadId id;
    std::mutex mutex;
    std::condition_variable condition;
    std::deque<Message> posted;
    std::deque<std::shared_ptr<SentRecord>> sent;
    std::vector<TimerRecord> timers;
    bool quit_posted { false };
    int quit_code { 0 };
    bool alive { true };
    IEventPump* pump { nullptr };

    // Caller holds `mutex`.
    void NotifyLocked()
    {
        condition.notify_all();
        if (pump)
            pump->Wake();
    }
};

struct WindowRecord {
    WindowHandle handle;
    ThreadId thread;
    std::weak_ptr<ThreadQueue> queue;
    WindowProc proc;        // called on the owner thread only
    bool destroyed { false }; // guarded by the registry mutex
    bool destroying { false }; // owner thread only: WM_DESTROY is being handled
};

// The calling thread's queue (created on first use; a dead queue once the
// thread's state is torn down).
[[nodiscard]] const std::shared_ptr<ThreadQueue>& CurrentQueue();
// A live window, or nullptr.
[[nodiscard]] std::shared_ptr<WindowRecord> FindWindow(WindowHandle window);
// Calls the handler of msg.window when it is a live window of this thread.
std::optional<intptr_t> CallHandler(Message& msg);
// Caller holds `lock` on queue.mutex. Handles the oldest message sent to this
// thread with the lock released; false (lock untouched) when none waits.
bool HandleOneSentLocked(ThreadQueue& queue, std::unique_lock<std::mutex>& lock);
[[nodiscard]] Message MakeMessage(WindowHandle window, uint32_t id, uintptr_t wparam, intptr_t lparam,
                                  std::unique_ptr<MessagePayload> payload);

} // namespace platform::message_detail

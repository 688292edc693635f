#include <algorithm>

#include "platform/Event.h"
#include "platform/Message.h"
#include "platform/MessageInternal.h"
#include "platform/Tick.h"

namespace platform {

using namespace message_detail;

namespace {

// Caller holds queue.mutex. Finds the earliest due timer; when it is due now,
// fills `out`, moves the timer to its next due time in phase and returns true.
bool TakeDueTimerLocked(ThreadQueue& queue, Message& out, Clock::time_point now)
{
    TimerRecord* earliest = nullptr;
    for (TimerRecord& timer : queue.timers) {
        if (!earliest || timer.schedule.Due() < earliest->schedule.Due())
            earliest = &timer;
    }
    // Ticks missed while the thread was busy are coalesced into this one; the
    // schedule keeps its phase, so handling time never accumulates as drift.
    if (!earliest || !earliest->schedule.Take(now))
        return false;
    out = Message {};
    out.window = earliest->window;
    out.id = WM_TIMER;
    out.wparam = earliest->id;
    out.time = GetTickCount();
    return true;
}

std::optional<Clock::time_point> NextTimerDueLocked(const ThreadQueue& queue)
{
    std::optional<Clock::time_point> next;
    for (const TimerRecord& timer : queue.timers) {
        if (!next || timer.schedule.Due() < *next)
            next = timer.schedule.Due();
    }
    return next;
}

// Caller holds queue.mutex. The thread takes a message: sleeping timers
// other than the one that brought it are due again at their next phase point.
void WakeSleepingTimersLocked(ThreadQueue& queue, const Message& taken, Clock::time_point now)
{
    for (TimerRecord& timer : queue.timers) {
        if (taken.id != WM_TIMER || taken.window != timer.window || taken.wparam != timer.id)
            timer.schedule.Wake(now);
    }
}

enum class Take { Remove, JustWait };

// The heart of the loop. With Take::Remove fills `out` with the next message;
// with Take::JustWait only reports whether one is ready. Waits until
// `deadline` (none = forever; now = do not wait). Handles sent messages.
bool NextMessage(Message& out, Take take, std::optional<Clock::time_point> deadline)
{
    const std::shared_ptr<ThreadQueue>& queue = CurrentQueue();
    std::unique_lock lock(queue->mutex);
    if (!queue->alive) {
        // The thread is being torn down: its loop can only end.
        if (take == Take::Remove)
            out = MakeMessage(WindowHandle::None, WM_QUIT, 0, 0, {});
        return true;
    }
    while (true) {
        if (HandleOneSentLocked(*queue, lock)) {
            WakeSleepingTimersLocked(*queue, Message {}, Clock::now());
            continue;
        }
        if (IEventPump* pump = queue->pump) {
            lock.unlock();
            pump->Pump();
            lock.lock();
            if (!queue->sent.empty())
                continue;
        }
        if (!queue->posted.empty()) {
            if (take == Take::Remove) {
                out = std::move(queue->posted.front());
                queue->posted.pop_front();
                WakeSleepingTimersLocked(*queue, out, Clock::now());
            }
            return true;
        }
        if (queue->quit_posted) {
            if (take == Take::Remove) {
                queue->quit_posted = false;
                out = MakeMessage(WindowHandle::None, WM_QUIT, static_cast<uintptr_t>(queue->quit_code), 0, {});
            }
            return true;
        }
        const Clock::time_point now = Clock::now();
        if (take == Take::Remove) {
            if (TakeDueTimerLocked(*queue, out, now)) {
                WakeSleepingTimersLocked(*queue, out, now);
                return true;
            }
        } else if (auto due = NextTimerDueLocked(*queue); due && *due <= now) {
            return true;
        }
        Clock::time_point wake_at = Clock::time_point::max();
        if (auto due = NextTimerDueLocked(*queue))
            wake_at = *due;
        if (deadline) {
            if (*deadline <= now)
                return false;
            wake_at = std::min(wake_at, *deadline);
        }
        if (IEventPump* pump = queue->pump) {
            uint32_t wait_ms = WAIT_FOREVER;
            if (wake_at != Clock::time_point::max()) {
                const auto span = std::chrono::ceil<Milliseconds>(wake_at - now).count();
                wait_ms = static_cast<uint32_t>(std::clamp<long long>(span, 0, 0x7FFFFFFF));
            }
            lock.unlock();
            pump->WaitForEvents(wait_ms);
            lock.lock();
        } else if (wake_at == Clock::time_point::max()) {
            queue->condition.wait(lock);
        } else {
            queue->condition.wait_until(lock, wake_at);
        }
    }
}


// A window message goes to its window, a thread message to the callback.
void Deliver(Message& msg, const std::function<void(Message&)>& on_thread_message)
{
    if (msg.window != WindowHandle::None)
        DispatchMessage(msg);
    else if (on_thread_message)
        on_thread_message(msg);
}

} // namespace

bool GetMessage(Message& out)
{
    NextMessage(out, Take::Remove, std::nullopt);
    return out.id != WM_QUIT;
}

bool PeekMessage(Message& out)
{
    return NextMessage(out, Take::Remove, Clock::now());
}

bool WaitMessage(uint32_t timeout_ms)
{
    Message unused;
    std::optional<Clock::time_point> deadline;
    if (timeout_ms != WAIT_FOREVER)
        deadline = Clock::now() + Milliseconds(timeout_ms);
    return NextMessage(unused, Take::JustWait, deadline);
}

intptr_t DispatchMessage(Message& msg)
{
    if (msg.window == WindowHandle::None)
        return 0;
    const std::optional<intptr_t> result = CallHandler(msg);
    msg.payload.reset();
    return result.value_or(0);
}

void PostQuitMessage(int exit_code)
{
    const std::shared_ptr<ThreadQueue>& queue = CurrentQueue();
    std::lock_guard lock(queue->mutex);
    queue->quit_posted = true;
    queue->quit_code = exit_code;
    queue->NotifyLocked();
}

int RunMessageLoop(const std::function<void(Message&)>& on_thread_message)
{
    Message msg;
    while (GetMessage(msg)) {
        Deliver(msg, on_thread_message);
        msg = Message {};
    }
    return static_cast<int>(static_cast<intptr_t>(msg.wparam));
}

bool PumpWaitingMessages(const std::function<void(Message&)>& on_thread_message)
{
    // A bound, so a handler that keeps posting to itself cannot hold the caller here forever.
    constexpr int MAX_MESSAGES_PER_PUMP = 4096;
    Message msg;
    for (int i = 0; i < MAX_MESSAGES_PER_PUMP && PeekMessage(msg); ++i) {
        if (msg.id == WM_QUIT && msg.window == WindowHandle::None) {
            PostQuitMessage(static_cast<int>(static_cast<intptr_t>(msg.wparam)));
            return false;
        }
        Deliver(msg, on_thread_message);
        msg = Message {};
    }
    return true;
}

WaitOutcome PumpMessagesUntil(const std::function<bool()>& done, uint32_t timeout_ms,
                              const std::function<void(Message&)>& on_thread_message)
{
    const Clock::time_point start = Clock::now();
    while (true) {
        if (done())
            return WaitOutcome::Done;
        if (!PumpWaitingMessages(on_thread_message))
            return done() ? WaitOutcome::Done : WaitOutcome::Quit;
        if (done())
            return WaitOutcome::Done;
        const auto waited = std::chrono::duration_cast<Milliseconds>(Clock::now() - start).count();
        if (timeout_ms != WAIT_FOREVER && waited >= static_cast<long long>(timeout_ms))
            return WaitOutcome::TimedOut;
        const uint32_t remaining =
            timeout_ms == WAIT_FOREVER ? WAIT_FOREVER : static_cast<uint32_t>(timeout_ms - static_cast<uint32_t>(waited));
        (void)WaitMessage(remaining);
    }
}

namespace {

// The queue of the thread owning a live window; null when there is none.
std::shared_ptr<ThreadQueue> QueueOfWindow(WindowHandle window)
{
    const std::shared_ptr<WindowRecord> record = FindWindow(window);
    return record ? record->queue.lock() : nullptr;
}

} // namespace

uintptr_t SetTimer(WindowHandle window, uintptr_t timer_id, uint32_t period_ms)
{
    if (timer_id == 0)
        return 0;
    const std::shared_ptr<ThreadQueue> queue = QueueOfWindow(window);
    if (!queue)
        return 0;
    const Milliseconds period(period_ms == 0 ? 1 : period_ms);
    std::lock_guard lock(queue->mutex);
    if (!queue->alive)
        return 0;
    const Clock::time_point now = Clock::now();
    for (TimerRecord& timer : queue->timers) {
        if (timer.window == window && timer.id == timer_id) {
            timer.schedule.Restart(period, now);
            queue->NotifyLocked();
            return timer_id;
        }
    }
    queue->timers.push_back({ window, timer_id, CTimerSchedule(period, now) });
    queue->NotifyLocked();
    return timer_id;
}

bool KillTimer(WindowHandle window, uintptr_t timer_id)
{
    const std::shared_ptr<ThreadQueue> queue = QueueOfWindow(window);
    if (!queue)
        return false;
    std::lock_guard lock(queue->mutex);
    return std::erase_if(queue->timers, [&](const TimerRecord& timer) {
               return timer.window == window && timer.id == timer_id;
           }) > 0;
}

bool DeferTimer(WindowHandle window, uintptr_t timer_id, uint32_t span_ms)
{
    const std::shared_ptr<ThreadQueue> queue = QueueOfWindow(window);
    if (!queue)
        return false;
    std::lock_guard lock(queue->mutex);
    for (TimerRecord& timer : queue->timers) {
        if (timer.window == window && timer.id == timer_id) {
            // Only ever later than before: the waiting loop needs no wake-up.
            timer.schedule.Sleep(Clock::now(), Milliseconds(span_ms));
            return true;
        }
    }
    return false;
}

} // namespace platform

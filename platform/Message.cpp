#include "platform/Message.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/Event.h"
#include "platform/EventPump.h"
#include "platform/Tick.h"

// <chrono> does not compile with the GBK execution charset; steady_clock and
// the durations come with <condition_variable>.

namespace platform {

namespace {

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
    Milliseconds period;
    Clock::time_point due;
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

struct Registry {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<WindowRecord>> windows;
    std::unordered_map<ThreadId, std::shared_ptr<ThreadQueue>> threads;
    uintptr_t next_handle { 1 };
    ThreadId next_thread { 1 };
};

Registry& GetRegistry()
{
    static Registry s_registry;
    return s_registry;
}

void CompleteSent(const std::shared_ptr<SentRecord>& record, std::optional<intptr_t> result)
{
    std::lock_guard lock(record->sender->mutex);
    record->result = result;
    record->done = true;
    record->sender->NotifyLocked();
}

// Set when the thread's CThreadState has been destroyed (trivially
// destructible, so it stays readable until the thread is gone).
thread_local bool t_state_gone = false;

// The calling thread's queue, created on first use and torn down at thread exit.
class CThreadState {
public:
    ~CThreadState()
    {
        t_state_gone = true;
        if (!m_queue)
            return;
        Registry& registry = GetRegistry();
        std::vector<std::shared_ptr<WindowRecord>> orphans;
        {
            std::lock_guard lock(registry.mutex);
            registry.threads.erase(m_queue->id);
            for (auto it = registry.windows.begin(); it != registry.windows.end();) {
                if (it->second->thread == m_queue->id) {
                    it->second->destroyed = true;
                    orphans.push_back(it->second);
                    it = registry.windows.erase(it);
                } else {
                    ++it;
                }
            }
        }
        std::deque<Message> dropped;
        std::deque<std::shared_ptr<SentRecord>> unanswered;
        {
            std::lock_guard lock(m_queue->mutex);
            m_queue->alive = false;
            m_queue->pump = nullptr;
            dropped.swap(m_queue->posted);
            unanswered.swap(m_queue->sent);
            m_queue->timers.clear();
        }
        for (const auto& record : unanswered)
            CompleteSent(record, std::nullopt);
        // `dropped` and `orphans` free their payloads and handlers here, outside every lock.
    }

    const std::shared_ptr<ThreadQueue>& Queue()
    {
        if (t_state_gone) {
            // Called from a destructor that runs after this thread's state was
            // torn down (a static owner of a window at exit): a dead queue
            // that accepts nothing.
            static const std::shared_ptr<ThreadQueue> s_dead = [] {
                auto dead = std::make_shared<ThreadQueue>(0);
                dead->alive = false;
                return dead;
            }();
            return s_dead;
        }
        if (!m_queue) {
            Registry& registry = GetRegistry();
            std::lock_guard lock(registry.mutex);
            m_queue = std::make_shared<ThreadQueue>(registry.next_thread++);
            registry.threads.emplace(m_queue->id, m_queue);
        }
        return m_queue;
    }

private:
    std::shared_ptr<ThreadQueue> m_queue;
};

thread_local CThreadState t_state;

std::shared_ptr<WindowRecord> FindWindow(WindowHandle window)
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.windows.find(static_cast<uintptr_t>(window));
    if (it == registry.windows.end() || it->second->destroyed)
        return nullptr;
    return it->second;
}

std::shared_ptr<ThreadQueue> FindThread(ThreadId thread)
{
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.threads.find(thread);
    return it == registry.threads.end() ? nullptr : it->second;
}

// Calls the handler of a window owned by the calling thread.
std::optional<intptr_t> CallHandler(Message& msg)
{
    const std::shared_ptr<WindowRecord> record = FindWindow(msg.window);
    if (!record || record->thread != GetCurrentThreadId())
        return std::nullopt;
    // The record (and its handler) stays alive for the call even if the
    // handler destroys its own window.
    return record->proc(msg);
}

void HandleSent(const std::shared_ptr<SentRecord>& record)
{
    const std::optional<intptr_t> result = CallHandler(record->message);
    CompleteSent(record, result);
}

bool QueueAccepts(const std::shared_ptr<ThreadQueue>& queue, Message&& msg)
{
    std::lock_guard lock(queue->mutex);
    if (!queue->alive)
        return false;
    queue->posted.push_back(std::move(msg));
    queue->NotifyLocked();
    return true;
}

Message MakeMessage(WindowHandle window, uint32_t id, uintptr_t wparam, intptr_t lparam,
                    std::unique_ptr<MessagePayload> payload)
{
    Message msg;
    msg.window = window;
    msg.id = id;
    msg.wparam = wparam;
    msg.lparam = lparam;
    msg.time = GetTickCount();
    msg.payload = std::move(payload);
    return msg;
}

// Caller holds queue.mutex. Finds the earliest due timer; when it is due now,
// fills `out`, moves the timer to its next due time in phase and returns true.
bool TakeDueTimerLocked(ThreadQueue& queue, Message& out, Clock::time_point now)
{
    TimerRecord* earliest = nullptr;
    for (TimerRecord& timer : queue.timers) {
        if (!earliest || timer.due < earliest->due)
            earliest = &timer;
    }
    if (!earliest || earliest->due > now)
        return false;
    // Ticks missed while the thread was busy are coalesced into this one; the
    // schedule keeps its phase, so handling time never accumulates as drift.
    const auto behind = now - earliest->due;
    const auto periods = behind / earliest->period + 1;
    earliest->due += earliest->period * periods;
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
        if (!next || timer.due < *next)
            next = timer.due;
    }
    return next;
}

enum class Take { Remove, JustWait };

// The heart of the loop. With Take::Remove fills `out` with the next message;
// with Take::JustWait only reports whether one is ready. Waits until
// `deadline` (none = forever; now = do not wait). Handles sent messages.
bool NextMessage(Message& out, Take take, std::optional<Clock::time_point> deadline)
{
    const std::shared_ptr<ThreadQueue>& queue = t_state.Queue();
    std::unique_lock lock(queue->mutex);
    if (!queue->alive) {
        // The thread is being torn down: its loop can only end.
        if (take == Take::Remove)
            out = MakeMessage(WindowHandle::None, WM_QUIT, 0, 0, {});
        return true;
    }
    while (true) {
        if (!queue->sent.empty()) {
            std::shared_ptr<SentRecord> record = std::move(queue->sent.front());
            queue->sent.pop_front();
            lock.unlock();
            HandleSent(record);
            lock.lock();
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
            if (TakeDueTimerLocked(*queue, out, now))
                return true;
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

std::optional<intptr_t> SendAcrossThreads(const std::shared_ptr<WindowRecord>& target, Message msg)
{
    std::shared_ptr<ThreadQueue> target_queue = target->queue.lock();
    if (!target_queue)
        return std::nullopt;
    const std::shared_ptr<ThreadQueue>& own = t_state.Queue();
    auto record = std::make_shared<SentRecord>();
    record->message = std::move(msg);
    record->sender = own;
    {
        std::lock_guard lock(target_queue->mutex);
        if (!target_queue->alive)
            return std::nullopt;
        target_queue->sent.push_back(record);
        target_queue->NotifyLocked();
    }
    // Wait for the answer, handling messages sent to this thread meanwhile:
    // the target may itself be waiting in a send to us.
    std::unique_lock lock(own->mutex);
    while (!record->done) {
        if (!own->sent.empty()) {
            std::shared_ptr<SentRecord> incoming = std::move(own->sent.front());
            own->sent.pop_front();
            lock.unlock();
            HandleSent(incoming);
            lock.lock();
            continue;
        }
        own->condition.wait(lock);
    }
    return record->result;
}

} // namespace

ThreadId GetCurrentThreadId()
{
    return t_state.Queue()->id;
}

WindowHandle CreateMessageWindow(WindowProc proc)
{
    if (!proc)
        return WindowHandle::None;
    const std::shared_ptr<ThreadQueue>& queue = t_state.Queue();
    auto record = std::make_shared<WindowRecord>();
    record->thread = queue->id;
    record->queue = queue;
    record->proc = std::move(proc);
    Registry& registry = GetRegistry();
    std::lock_guard lock(registry.mutex);
    record->handle = static_cast<WindowHandle>(registry.next_handle++);
    registry.windows.emplace(static_cast<uintptr_t>(record->handle), record);
    return record->handle;
}

bool DestroyWindow(WindowHandle window)
{
    const std::shared_ptr<WindowRecord> record = FindWindow(window);
    if (!record || record->thread != GetCurrentThreadId())
        return false;
    if (record->destroying)
        return true; // destroyed again from inside its WM_DESTROY
    record->destroying = true;
    Message destroy = MakeMessage(window, WM_DESTROY, 0, 0, {});
    record->proc(destroy);
    {
        Registry& registry = GetRegistry();
        std::lock_guard lock(registry.mutex);
        record->destroyed = true;
        registry.windows.erase(static_cast<uintptr_t>(window));
    }
    if (std::shared_ptr<ThreadQueue> queue = record->queue.lock()) {
        std::deque<Message> dropped;
        std::lock_guard lock(queue->mutex);
        std::erase_if(queue->timers, [window](const TimerRecord& timer) { return timer.window == window; });
        // Messages already queued for it are dropped (and their payloads freed) now,
        // not left waiting for a loop that may never run again.
        for (auto it = queue->posted.begin(); it != queue->posted.end();) {
            if (it->window == window) {
                dropped.push_back(std::move(*it));
                it = queue->posted.erase(it);
            } else {
                ++it;
            }
        }
    }
    return true;
}

bool IsWindow(WindowHandle window)
{
    return FindWindow(window) != nullptr;
}

ThreadId GetWindowThreadId(WindowHandle window)
{
    const std::shared_ptr<WindowRecord> record = FindWindow(window);
    return record ? record->thread : 0;
}

bool PostMessage(WindowHandle window, uint32_t id, uintptr_t wparam, intptr_t lparam,
                 std::unique_ptr<MessagePayload> payload)
{
    Message msg = MakeMessage(window, id, wparam, lparam, std::move(payload));
    const std::shared_ptr<WindowRecord> record = FindWindow(window);
    if (!record)
        return false;
    std::shared_ptr<ThreadQueue> queue = record->queue.lock();
    return queue && QueueAccepts(queue, std::move(msg));
}

bool PostThreadMessage(ThreadId thread, uint32_t id, uintptr_t wparam, intptr_t lparam,
                       std::unique_ptr<MessagePayload> payload)
{
    Message msg = MakeMessage(WindowHandle::None, id, wparam, lparam, std::move(payload));
    std::shared_ptr<ThreadQueue> queue = FindThread(thread);
    return queue && QueueAccepts(queue, std::move(msg));
}

intptr_t SendMessage(WindowHandle window, uint32_t id, uintptr_t wparam, intptr_t lparam)
{
    return TrySendMessage(window, id, wparam, lparam).value_or(0);
}

std::optional<intptr_t> TrySendMessage(WindowHandle window, uint32_t id, uintptr_t wparam, intptr_t lparam)
{
    const std::shared_ptr<WindowRecord> record = FindWindow(window);
    if (!record)
        return std::nullopt;
    Message msg = MakeMessage(window, id, wparam, lparam, {});
    if (record->thread == GetCurrentThreadId())
        return record->proc(msg);
    return SendAcrossThreads(record, std::move(msg));
}

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
    const std::shared_ptr<ThreadQueue>& queue = t_state.Queue();
    std::lock_guard lock(queue->mutex);
    queue->quit_posted = true;
    queue->quit_code = exit_code;
    queue->NotifyLocked();
}

int RunMessageLoop(const std::function<void(Message&)>& on_thread_message)
{
    Message msg;
    while (GetMessage(msg)) {
        if (msg.window == WindowHandle::None) {
            if (on_thread_message)
                on_thread_message(msg);
        } else {
            DispatchMessage(msg);
        }
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
        if (msg.window == WindowHandle::None) {
            if (on_thread_message)
                on_thread_message(msg);
        } else {
            DispatchMessage(msg);
        }
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

uintptr_t SetTimer(WindowHandle window, uintptr_t timer_id, uint32_t period_ms)
{
    if (timer_id == 0)
        return 0;
    const std::shared_ptr<WindowRecord> record = FindWindow(window);
    if (!record)
        return 0;
    std::shared_ptr<ThreadQueue> queue = record->queue.lock();
    if (!queue)
        return 0;
    const Milliseconds period(period_ms == 0 ? 1 : period_ms);
    std::lock_guard lock(queue->mutex);
    if (!queue->alive)
        return 0;
    const Clock::time_point due = Clock::now() + period;
    for (TimerRecord& timer : queue->timers) {
        if (timer.window == window && timer.id == timer_id) {
            timer.period = period;
            timer.due = due;
            queue->NotifyLocked();
            return timer_id;
        }
    }
    queue->timers.push_back({ window, timer_id, period, due });
    queue->NotifyLocked();
    return timer_id;
}

bool KillTimer(WindowHandle window, uintptr_t timer_id)
{
    const std::shared_ptr<WindowRecord> record = FindWindow(window);
    if (!record)
        return false;
    std::shared_ptr<ThreadQueue> queue = record->queue.lock();
    if (!queue)
        return false;
    std::lock_guard lock(queue->mutex);
    return std::erase_if(queue->timers, [&](const TimerRecord& timer) {
               return timer.window == window && timer.id == timer_id;
           }) > 0;
}

void SetThreadEventPump(IEventPump* pump)
{
    const std::shared_ptr<ThreadQueue>& queue = t_state.Queue();
    std::lock_guard lock(queue->mutex);
    queue->pump = pump;
}

} // namespace platform

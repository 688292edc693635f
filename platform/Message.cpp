#include "platform/Message.h"

#include <unordered_map>

#include "platform/MessageInternal.h"
#include "platform/Tick.h"

namespace platform {

namespace message_detail {

namespace {

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

} // namespace

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

bool HandleOneSentLocked(ThreadQueue& queue, std::unique_lock<std::mutex>& lock)
{
    if (queue.sent.empty())
        return false;
    std::shared_ptr<SentRecord> record = std::move(queue.sent.front());
    queue.sent.pop_front();
    lock.unlock();
    HandleSent(record);
    lock.lock();
    return true;
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
        if (!HandleOneSentLocked(*own, lock))
            own->condition.wait(lock);
    }
    return record->result;
}


const std::shared_ptr<ThreadQueue>& CurrentQueue()
{
    return t_state.Queue();
}

} // namespace message_detail

using namespace message_detail;

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

void SetThreadEventPump(IEventPump* pump)
{
    const std::shared_ptr<ThreadQueue>& queue = t_state.Queue();
    std::lock_guard lock(queue->mutex);
    queue->pump = pump;
}


} // namespace platform

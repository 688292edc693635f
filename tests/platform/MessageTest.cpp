#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "Watchdog.h"
#include "ThreadProbe.h"
#include "platform/Message.h"
#include "platform/MessageWindow.h"
#include "platform/Sync.h"
#include "platform/Tick.h"

using namespace platform;
using platform::testing::CWatchdog;

namespace {

constexpr uint32_t UM_TEST = WM_USER + 1;
constexpr uint32_t UM_PING = WM_USER + 2;

// A payload that counts how many of its kind are alive.
struct CountedPayload final : MessagePayload {
    explicit CountedPayload(std::atomic<int>& alive) : m_alive(alive) { ++m_alive; }
    ~CountedPayload() override { --m_alive; }
    std::atomic<int>& m_alive;
};

// Runs a thread with its own message loop; Create() runs on it and the
// loop ends on WM_QUIT.
class CLoopThread {
public:
    explicit CLoopThread(std::function<void()> on_start = {})
    {
        m_thread = std::thread([this, on_start] {
            m_thread_id = GetCurrentThreadId();
            if (on_start)
                on_start();
            m_ready.Set();
            RunMessageLoop();
        });
        (void)m_ready.Wait(5000);
    }
    ~CLoopThread() { Quit(); }
    void Quit()
    {
        if (m_thread.joinable()) {
            (void)PostThreadMessage(m_thread_id, WM_QUIT);
            m_thread.join();
        }
    }
    ThreadId Id() const { return m_thread_id; }

private:
    CEvent m_ready { EventReset::Manual };
    std::atomic<ThreadId> m_thread_id { 0 };
    std::thread m_thread;
};

} // namespace

TEST(Message, PostedMessagesArriveInOrderWithParametersAndPayload)
{
    CWatchdog watchdog(10000);
    std::vector<uintptr_t> seen;
    std::atomic<int> alive { 0 };
    const WindowHandle window = CreateMessageWindow([&](Message& msg) -> intptr_t {
        if (msg.id == UM_TEST) {
            seen.push_back(msg.wparam);
            EXPECT_EQ(msg.lparam, -5);
            if (msg.wparam == 2) {
                EXPECT_NE(msg.PayloadAs<CountedPayload>(), nullptr);
            }
        }
        return 0;
    });
    ASSERT_NE(window, WindowHandle::None);
    ASSERT_TRUE(PostMessage(window, UM_TEST, 1, -5));
    ASSERT_TRUE(PostMessage(window, UM_TEST, 2, -5, std::make_unique<CountedPayload>(alive)));
    ASSERT_TRUE(PostMessage(window, UM_TEST, 3, -5));
    EXPECT_EQ(alive, 1);
    EXPECT_TRUE(PumpWaitingMessages());
    EXPECT_EQ(seen, (std::vector<uintptr_t>{ 1, 2, 3 }));
    EXPECT_EQ(alive, 0); // freed after handling
    EXPECT_TRUE(DestroyWindow(window));
}

TEST(Message, MessagesToDestroyedWindowsAreDroppedAndFreed)
{
    CWatchdog watchdog(10000);
    std::atomic<int> alive { 0 };
    int handled = 0;
    bool got_destroy = false;
    const WindowHandle window = CreateMessageWindow([&](Message& msg) -> intptr_t {
        if (msg.id == WM_DESTROY)
            got_destroy = true;
        else
            ++handled;
        return 0;
    });
    ASSERT_TRUE(PostMessage(window, UM_TEST, 0, 0, std::make_unique<CountedPayload>(alive)));
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(got_destroy);
    EXPECT_EQ(alive, 0); // the queued payload went with the window
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(PostMessage(window, UM_TEST, 0, 0, std::make_unique<CountedPayload>(alive)));
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(SendMessage(window, UM_TEST), 0);
    EXPECT_FALSE(TrySendMessage(window, UM_TEST));
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_TRUE(PumpWaitingMessages());
    EXPECT_EQ(handled, 0);
    // A new window never reuses the old handle.
    const WindowHandle next = CreateMessageWindow([](Message&) -> intptr_t { return 0; });
    EXPECT_NE(next, window);
    EXPECT_TRUE(DestroyWindow(next));
}

TEST(Message, ThreadMessagesReachTheLoopAndQuitEndsIt)
{
    CWatchdog watchdog(10000);
    std::atomic<int> alive { 0 };
    std::vector<uint32_t> ids;
    std::thread worker([&] {
        const ThreadId self = GetCurrentThreadId();
        EXPECT_TRUE(PostThreadMessage(self, UM_TEST, 0, 0, std::make_unique<CountedPayload>(alive)));
        EXPECT_TRUE(PostThreadMessage(self, UM_PING));
        PostQuitMessage(3);
        EXPECT_TRUE(PostThreadMessage(self, UM_PING)); // posted messages still come before the quit
        const int code = RunMessageLoop([&](Message& msg) { ids.push_back(msg.id); });
        EXPECT_EQ(code, 3);
    });
    worker.join();
    EXPECT_EQ(ids, (std::vector<uint32_t>{ UM_TEST, UM_PING, UM_PING }));
    EXPECT_EQ(alive, 0);
    EXPECT_FALSE(PostThreadMessage(0, UM_TEST));
}

TEST(Message, SendAcrossThreadsWaitsForTheHandlersResult)
{
    CWatchdog watchdog(10000);
    std::atomic<WindowHandle> window { WindowHandle::None };
    std::atomic<ThreadId> handler_thread { 0 };
    CLoopThread loop([&] {
        window = CreateMessageWindow([&](Message& msg) -> intptr_t {
            if (msg.id != UM_TEST)
                return 0;
            handler_thread = GetCurrentThreadId();
            return static_cast<intptr_t>(msg.wparam) * 2 + *reinterpret_cast<const int*>(msg.lparam);
        });
    });
    const int on_stack = 1;
    EXPECT_EQ(SendMessage(window, UM_TEST, 20, reinterpret_cast<intptr_t>(&on_stack)), 41);
    EXPECT_EQ(handler_thread.load(), loop.Id());
    EXPECT_EQ(GetWindowThreadId(window), loop.Id());
    EXPECT_FALSE(DestroyWindow(window)); // only its own thread may destroy it
}

TEST(Message, CrossedSendsBetweenTwoThreadsDoNotDeadlock)
{
    CWatchdog watchdog(10000, "crossed sends");
    std::atomic<WindowHandle> a_window { WindowHandle::None };
    std::atomic<WindowHandle> b_window { WindowHandle::None };
    // B's handler sends back to A while A is waiting in its send to B.
    CLoopThread b([&] {
        b_window = CreateMessageWindow([&](Message& msg) -> intptr_t {
            if (msg.id == UM_TEST)
                return SendMessage(a_window, UM_PING, msg.wparam) + 1;
            return 0;
        });
    });
    a_window = CreateMessageWindow([](Message& msg) -> intptr_t {
        return msg.id == UM_PING ? static_cast<intptr_t>(msg.wparam) * 10 : 0;
    });
    EXPECT_EQ(SendMessage(b_window, UM_TEST, 4), 41);

    // Both threads send to each other at the same moment, many times.
    std::atomic<int> b_results { 0 };
    const WindowHandle b_target = b_window;
    const WindowHandle a_target = a_window;
    std::thread c([&] {
        for (int i = 0; i < 200; ++i)
            b_results += SendMessage(b_target, UM_TEST, 1) == 11 ? 1 : 0;
    });
    int a_results = 0;
    for (int i = 0; i < 200; ++i) {
        // Sends to our own window go straight to the handler.
        a_results += SendMessage(a_target, UM_PING, 2) == 20 ? 1 : 0;
        Message msg;
        while (PeekMessage(msg))
            DispatchMessage(msg);
    }
    // C's sends go to B, whose handler sends to us: keep handling until C is done.
    while (b_results < 200)
        (void)WaitMessage(10);
    c.join();
    EXPECT_EQ(a_results, 200);
    EXPECT_EQ(b_results, 200);
    EXPECT_TRUE(DestroyWindow(a_window));
}

TEST(Message, AThreadThatEndsDropsItsWindowsAndAnswersWaitingSenders)
{
    CWatchdog watchdog(10000);
    std::atomic<int> alive { 0 };
    std::atomic<WindowHandle> window { WindowHandle::None };
    CEvent created(EventReset::Manual);
    CEvent finish(EventReset::Manual);
    std::thread owner([&] {
        window = CreateMessageWindow([](Message&) -> intptr_t { return 7; });
        created.Set();
        (void)finish.Wait(5000); // never pumps its queue
    });
    ASSERT_TRUE(created.Wait(5000));
    ASSERT_TRUE(PostMessage(window, UM_TEST, 0, 0, std::make_unique<CountedPayload>(alive)));
    std::optional<intptr_t> sent_result = 1;
    std::atomic<pid_t> sender_tid { 0 };
    std::thread sender([&] {
        sender_tid = platform::testing::CurrentThreadTid();
        sent_result = TrySendMessage(window, UM_TEST);
    });
    // The owner ends only once the sender is asleep waiting for its answer.
    EXPECT_TRUE(platform::testing::WaitUntilThreadSleeps(sender_tid));
    finish.Set();
    owner.join();
    sender.join();
    EXPECT_FALSE(sent_result.has_value());
    EXPECT_EQ(alive, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST(Message, HandlersMayDestroyTheirOwnWindow)
{
    CWatchdog watchdog(10000);
    int destroys = 0;
    WindowHandle window = WindowHandle::None;
    window = CreateMessageWindow([&](Message& msg) -> intptr_t {
        if (msg.id == WM_DESTROY) {
            ++destroys;
            EXPECT_TRUE(DestroyWindow(window)); // again, from inside: no recursion
        } else if (msg.id == UM_TEST) {
            EXPECT_TRUE(DestroyWindow(window));
        }
        return 0;
    });
    ASSERT_TRUE(PostMessage(window, UM_TEST));
    ASSERT_TRUE(PostMessage(window, UM_TEST));
    EXPECT_TRUE(PumpWaitingMessages());
    EXPECT_EQ(destroys, 1);
    EXPECT_FALSE(IsWindow(window));
}

namespace {
class CRecordingWindow final : public CMessageWindow {
public:
    std::vector<uint32_t> ids;

protected:
    intptr_t WindowProc(Message& msg) override
    {
        ids.push_back(msg.id);
        return msg.id == UM_TEST ? 99 : 0;
    }
};
} // namespace

TEST(MessageWindow, OwnsItsWindowForItsLifetime)
{
    CWatchdog watchdog(10000);
    WindowHandle handle = WindowHandle::None;
    {
        auto window = std::make_unique<CRecordingWindow>();
        ASSERT_TRUE(window->Create());
        EXPECT_FALSE(window->Create());
        handle = window->GetHandle();
        EXPECT_EQ(SendMessage(handle, UM_TEST), 99);
        ASSERT_TRUE(PostMessage(handle, UM_PING));
    } // destroyed with a message still queued
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_TRUE(PumpWaitingMessages());

    CRecordingWindow window;
    ASSERT_TRUE(window.Create());
    window.Destroy();
    EXPECT_EQ(window.ids, std::vector<uint32_t>{ WM_DESTROY });
    EXPECT_EQ(window.GetHandle(), WindowHandle::None);
}

TEST(Message, PumpMessagesUntilServesTheQueueWhileWaiting)
{
    CWatchdog watchdog(10000);
    int handled = 0;
    bool reply = false;
    const WindowHandle window = CreateMessageWindow([&](Message& msg) -> intptr_t {
        if (msg.id == UM_TEST)
            ++handled;
        if (msg.id == UM_PING)
            reply = true;
        return 0;
    });
    const ThreadId self = GetCurrentThreadId();
    std::atomic<bool> flag { false };
    std::thread helper([&] {
        (void)PostMessage(window, UM_TEST);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        (void)PostMessage(window, UM_PING); // the awaited reply arrives as a message
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        flag = true;
        (void)PostThreadMessage(self, WM_NULL); // a flag set elsewhere wakes the waiter
    });
    EXPECT_EQ(PumpMessagesUntil([&] { return reply; }, 5000), WaitOutcome::Done);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(PumpMessagesUntil([&] { return flag.load(); }, 5000), WaitOutcome::Done);
    helper.join();

    const uint32_t start = GetTickCount();
    EXPECT_EQ(PumpMessagesUntil([] { return false; }, 40), WaitOutcome::TimedOut);
    EXPECT_GE(TicksBetween(start, GetTickCount()), 39u);

    PostQuitMessage(5);
    EXPECT_EQ(PumpMessagesUntil([] { return false; }, 5000), WaitOutcome::Quit);
    Message msg;
    EXPECT_FALSE(GetMessage(msg)); // the quit is kept for the outer loop
    EXPECT_EQ(msg.wparam, 5u);
    EXPECT_TRUE(DestroyWindow(window));
}

TEST(Message, PostsRacingWithDestroyNeitherLeakNorArriveLate)
{
    CWatchdog watchdog(20000, "posts racing destroy");
    std::atomic<int> alive { 0 };
    std::atomic<bool> stop { false };
    std::atomic<int> accepted { 0 };
    int handled = 0;
    const WindowHandle window = CreateMessageWindow([&](Message& msg) -> intptr_t {
        handled += msg.id == UM_TEST ? 1 : 0;
        return 0;
    });
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t) {
        posters.emplace_back([&] {
            while (!stop) {
                if (PostMessage(window, UM_TEST, 0, 0, std::make_unique<CountedPayload>(alive)))
                    ++accepted;
            }
        });
    }
    while (accepted < 200)
        (void)PumpWaitingMessages();
    EXPECT_TRUE(DestroyWindow(window));
    const int handled_before_destroy = handled;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    stop = true;
    for (std::thread& poster : posters)
        poster.join();
    EXPECT_TRUE(PumpWaitingMessages());
    EXPECT_EQ(handled, handled_before_destroy); // nothing reaches a destroyed window
    EXPECT_EQ(alive, 0); // every payload was freed, handled or not
}

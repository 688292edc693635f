// Remote windows: posted messages and copy-data records between programs over
// the endpoint sockets, and the packet reader that guards them.
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "platform/MessageWindow.h"
#include "platform/RemoteWindow.h"
#include "tests/platform/TempFolder.h"

namespace platform {
namespace {

constexpr uint32_t DEADLINE_MS = 5000;

class CEndpointFolder : public testing::CTempFolder {
public:
    CEndpointFolder() { SetEndpointFolder(Path()); }
    ~CEndpointFolder() { SetEndpointFolder(""); }
};

// Records what reaches it; answers copy-data records with their size + 100.
class CRecordingWindow final : public CMessageWindow {
public:
    std::vector<Message> posted;
    std::vector<uint8_t> copy_bytes;
    uintptr_t copy_kind { 0 };
    uintptr_t copy_wparam { 0 };
    std::atomic<int> copies { 0 };

protected:
    intptr_t WindowProc(Message& msg) override
    {
        if (msg.id == WM_COPYDATA) {
            const auto* record = reinterpret_cast<const CopyDataRecord*>(msg.lparam);
            const auto* bytes = static_cast<const uint8_t*>(record->data);
            copy_bytes.assign(bytes, bytes + record->size);
            copy_kind = record->kind;
            copy_wparam = msg.wparam;
            ++copies;
            return static_cast<intptr_t>(record->size) + 100;
        }
        if (msg.id >= WM_USER || msg.id == WM_CLOSE)
            posted.push_back(Message { msg.window, msg.id, msg.wparam, msg.lparam, 0, nullptr });
        return 0;
    }
};

TEST(RemoteWindow, CopyDataReachesTheWindowAndItsAnswerComesBack)
{
    CEndpointFolder folder;
    CRecordingWindow window;
    ASSERT_TRUE(window.Create());
    auto endpoint = CRemoteWindowEndpoint::Open(4242, window.GetHandle());
    ASSERT_NE(endpoint, nullptr);
    EXPECT_TRUE(IsRemoteWindow(4242));

    std::optional<int64_t> answer;
    std::atomic<bool> done { false };
    const std::vector<uint8_t> data { 1, 2, 3, 4, 5 };
    const ThreadId waiter = GetCurrentThreadId();
    std::thread sender([&] {
        answer = SendRemoteCopyData(4242, 0x1234567890ull, 11, data, DEADLINE_MS);
        done = true;
        PostThreadMessage(waiter, WM_NULL);
    });
    EXPECT_EQ(PumpMessagesUntil([&] { return done.load(); }, DEADLINE_MS), WaitOutcome::Done);
    sender.join();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, 105);
    EXPECT_EQ(window.copy_bytes, data);
    EXPECT_EQ(window.copy_kind, 11u);
    EXPECT_EQ(window.copy_wparam, 0x1234567890ull);
}

TEST(RemoteWindow, OnlyPrivateMessagesArePostedOn)
{
    CEndpointFolder folder;
    CRecordingWindow window;
    ASSERT_TRUE(window.Create());
    auto endpoint = CRemoteWindowEndpoint::Open(77, window.GetHandle());
    ASSERT_NE(endpoint, nullptr);

    EXPECT_TRUE(PostRemoteMessage(77, WM_CLOSE, 0, 0)); // delivered to the endpoint, not to the window
    EXPECT_TRUE(PostRemoteMessage(77, 0x9105, 99, -7));
    EXPECT_EQ(PumpMessagesUntil([&] { return !window.posted.empty(); }, DEADLINE_MS), WaitOutcome::Done);
    ASSERT_EQ(window.posted.size(), 1u);
    EXPECT_EQ(window.posted[0].id, 0x9105u);
    EXPECT_EQ(window.posted[0].wparam, 99u);
    EXPECT_EQ(window.posted[0].lparam, -7);
}

TEST(RemoteWindow, AGoneWindowRefusesAndItsStaleEndpointIsTakenOver)
{
    CEndpointFolder folder;
    EXPECT_FALSE(IsRemoteWindow(5));
    EXPECT_FALSE(PostRemoteMessage(5, 0x9105, 0, 0));
    EXPECT_FALSE(SendRemoteCopyData(5, 0, 2, {}, 100).has_value());
    EXPECT_FALSE(IsRemoteWindow(0));

    // A file left behind by a program that ended names no window.
    std::ofstream(GetEndpointPath(5)) << "stale";
    CRecordingWindow window;
    ASSERT_TRUE(window.Create());
    auto first = CRemoteWindowEndpoint::Open(5, window.GetHandle());
    ASSERT_NE(first, nullptr);
    // A live endpoint is not taken from its owner.
    EXPECT_EQ(CRemoteWindowEndpoint::Open(5, window.GetHandle()), nullptr);
    first.reset();
    EXPECT_FALSE(IsRemoteWindow(5));
}

TEST(RemoteWindow, ASenderStopsWaitingForAnAnswerThatDoesNotCome)
{
    CEndpointFolder folder;
    std::atomic<bool> release { false };
    auto endpoint = CRemoteWindowEndpoint::Open(9, [&](Message&) -> intptr_t {
        while (!release)
            std::this_thread::yield();
        return 1;
    });
    ASSERT_NE(endpoint, nullptr);
    EXPECT_FALSE(SendRemoteCopyData(9, 0, 2, std::vector<uint8_t>(4), 100).has_value());
    release = true;
}

TEST(RemotePacket, ReaderRefusesEveryMalformedPacket)
{
    RemotePacket good;
    good.kind = RemotePacketKind::CopyData;
    good.message_id = WM_COPYDATA;
    good.wparam = 0xFFFFFFFFFFull;
    good.lparam = -2;
    good.copy_kind = 14;
    good.data = { 9, 8, 7 };
    const std::vector<uint8_t> bytes = EncodeRemotePacket(good);
    ASSERT_EQ(bytes.size(), REMOTE_HEADER_BYTES + 3);
    const std::optional<RemotePacket> read = ParseRemotePacket(bytes);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->wparam, good.wparam);
    EXPECT_EQ(read->lparam, -2);
    EXPECT_EQ(read->copy_kind, 14u);
    EXPECT_EQ(read->data, good.data);

    RemotePacket posted;
    posted.message_id = 0x910C;
    auto posted_copy_data = posted;
    posted_copy_data.message_id = WM_COPYDATA;
    auto posted_with_data = posted;
    posted_with_data.data = { 1 };
    const auto patched = [&](size_t offset, uint8_t value) {
        std::vector<uint8_t> copy = bytes;
        copy[offset] = value;
        return copy;
    };
    const struct {
        const char* name;
        std::vector<uint8_t> packet;
        bool accepted;
    } cases[] = {
        { "posted", EncodeRemotePacket(posted), true },
        { "short header", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 39), false },
        { "missing data byte", std::vector<uint8_t>(bytes.begin(), bytes.end() - 1), false },
        { "extra byte", [&] { auto c = bytes; c.push_back(0); return c; }(), false },
        { "bad magic", patched(0, 0), false },
        { "unknown kind", patched(4, 3), false },
        { "size beyond the limit", patched(39, 0x7F), false },
        { "posted with data", EncodeRemotePacket(posted_with_data), false },
        { "posted copy-data", EncodeRemotePacket(posted_copy_data), false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseRemotePacket(c.packet).has_value(), c.accepted) << c.name;
}

} // namespace
} // namespace platform

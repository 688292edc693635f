// The socket client against a server that floods, garbles or dies: memory
// stays bounded, one event per broken connection, waits end with the
// connection.
#include "CommCollector.h"
#include "support/TestGameServer.h"

#include "net/PacketKeys.h"
#include "net/SocketClient.h"
#include "net/WireBytes.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace {

using namespace net;
using net::testing::CCommCollector;
using net::testing::CTestGameServer;

const char GREETING[] = "Hello! Game Channel.";

::testing::AssertionResult Connect(CTestGameServer& server, CSocketClient& client, const CCommCollector& owner)
{
    if (!server.Start())
        return ::testing::AssertionFailure() << "the test server did not start";
    if (client.Create("127.0.0.1", server.GetPort(), 3, owner.GetWindow(), 0, CSocketClient::MODE_SEND_GREETING,
                      reinterpret_cast<const uint8_t*>(GREETING), sizeof GREETING, 2000)
        != CSocketClient::RESULT_OK)
        return ::testing::AssertionFailure() << "the client did not open";
    if (!server.WaitForClient(10000))
        return ::testing::AssertionFailure() << "the server never saw the greeting";
    return ::testing::AssertionSuccess();
}

// Sends `next()` again and again from its own thread until it gives nothing,
// the flood is stopped or the client no longer takes bytes.
class CFlood {
public:
    CFlood(CTestGameServer& server, std::function<std::vector<uint8_t>()> next)
        : m_thread([this, &server, next = std::move(next)] {
            while (!m_stop.load()) {
                const std::vector<uint8_t> bytes = next();
                if (bytes.empty() || !server.SendRaw(bytes))
                    break;
                m_rounds.fetch_add(1);
            }
        })
    {
    }
    ~CFlood() { Stop(); }
    /// The client must be closed first when it stopped reading (a blocked send
    /// ends when the client's socket is gone).
    void Stop()
    {
        m_stop.store(true);
        if (m_thread.joinable())
            m_thread.join();
    }
    [[nodiscard]] uint64_t Rounds() const { return m_rounds.load(); }

private:
    std::atomic<bool> m_stop { false };
    std::atomic<uint64_t> m_rounds { 0 };
    std::thread m_thread;
};

// Polls `value` until it holds still for `quiet_ms` (or `timeout_ms` passes).
bool WaitUntilStill(const std::function<uint64_t()>& value, uint32_t quiet_ms, uint32_t timeout_ms)
{
    const uint32_t start = platform::GetTickCount();
    uint64_t last = value();
    uint32_t since = start;
    while (!platform::HasElapsed(start, platform::GetTickCount(), timeout_ms)) {
        usleep(20000);
        const uint64_t now = value();
        if (now != last) {
            last = now;
            since = platform::GetTickCount();
        } else if (platform::HasElapsed(since, platform::GetTickCount(), quiet_ms)) {
            return true;
        }
    }
    return false;
}

size_t CountEvents(const CCommCollector& owner, uint32_t id)
{
    size_t count = 0;
    for (const auto& message : owner.m_messages)
        count += message->request.id == id ? 1 : 0;
    return count;
}

TEST(SocketClientHostile, AFloodAgainstABusyOwnerStaysBoundedAndLosesNothing)
{
    CTestGameServer server;
    CCommCollector owner;
    owner.m_keep = false;
    CSocketClient client(PACKET_KEY, PACKET_KEY_BITS, 0x100, 0, 1, 4000);
    ASSERT_TRUE(Connect(server, client, owner));

    // 100 notifications of 1000 bytes, sent again and again: far more than
    // the pending limit and the socket buffers hold together.
    std::vector<uint8_t> batch;
    const std::vector<uint8_t> data(1000, 0x5A);
    for (uint32_t i = 0; i < 100; ++i) {
        const auto frames = server.BuildFrames(FRAME_KIND_MESSAGE, i + 1, 500 + i, data);
        batch.insert(batch.end(), frames.begin(), frames.end());
    }
    constexpr uint64_t ROUNDS = 240;
    uint64_t built = 0;
    CFlood flood(server, [&] { return built++ < ROUNDS ? batch : std::vector<uint8_t> {}; });

    // The owner is busy: nothing is handled while the worker reads what it may.
    ASSERT_TRUE(WaitUntilStill([&] { return client.GetBytesReceived(); }, 500, 30000));
    const uint32_t peak_messages = client.GetPendingMessages();
    const uint64_t peak_bytes = client.GetPendingBytes();
    EXPECT_GE(peak_messages, CPendingTraffic::MAX_MESSAGES) << "the worker read up to the limit";
    EXPECT_LE(peak_messages, CPendingTraffic::MAX_MESSAGES + 8) << "one block's messages past it at most";
    EXPECT_LE(peak_bytes, CPendingTraffic::MAX_BYTES + 64 * 1024);
    EXPECT_LT(flood.Rounds(), ROUNDS) << "TCP held the server back";

    // The owner catches up: every message arrives.
    ASSERT_TRUE(owner.PumpUntil([&] { return owner.m_handled >= ROUNDS * 100; }, 60000))
        << owner.m_handled << " of " << ROUNDS * 100;
    EXPECT_EQ(owner.m_last_id, 599u);
    EXPECT_EQ(client.GetPendingMessages(), 0u);
    client.Close();
    flood.Stop();
}

// The socket client, keeping what it refused (told on its worker thread).
class CRefusingClient final : public CSocketClient {
public:
    CRefusingClient() : CSocketClient(PACKET_KEY, PACKET_KEY_BITS, 0x100, 0, 1, 4000) {}
    ~CRefusingClient() override { Close(); }
    std::vector<std::string> Refusals()
    {
        std::lock_guard lock(m_mutex);
        return m_refusals;
    }

protected:
    void OnRefused(const std::string& reason) override
    {
        std::lock_guard lock(m_mutex);
        m_refusals.push_back(reason);
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_refusals;
};

struct BrokenStream {
    const char* what;
    const char* refusal;                         ///< how the first refusal begins
    bool answer_waits;                           ///< a request waits while the server sends
    std::function<std::vector<uint8_t>(CTestGameServer&, uint32_t& counter)> next; ///< the flood's next bytes
};

TEST(SocketClientHostile, ABrokenStreamGivesOneErrorAndEndsTheWaitingRequest)
{
    const std::vector<BrokenStream> cases = {
        { "garbage", "a frame's length word says ", false,
          [](CTestGameServer&, uint32_t& counter) {
              std::vector<uint8_t> bytes(4096);
              for (auto& byte : bytes)
                  byte = uint8_t(counter++ * 131 + 7);
              return bytes;
          } },
        { "frames with a broken CRC", "a frame of 240 bytes failed its checks (length or CRC)", false,
          [](CTestGameServer& server, uint32_t& counter) {
              auto frames = server.BuildFrames(FRAME_KIND_MESSAGE, ++counter, 500, std::vector<uint8_t>(100, 1));
              frames.back() ^= 0x40;
              return frames;
          } },
        { "answer parts past the answer cap", "the answer to message 1 joined past 16777216 bytes at part 4191", true,
          [](CTestGameServer&, uint32_t& counter) {
              PacketHeader header;
              header.kind = FRAME_KIND_ANSWER;
              header.message_serial = 1;
              header.part_number = ++counter;
              CByteBuffer frame;
              BuildFrame(header, std::vector<uint8_t>(MAX_PART_LIMIT, 0x11), true, frame);
              return std::vector<uint8_t>(frame.Bytes().begin(), frame.Bytes().end());
          } },
        { "the length word FF FF FF FF alone", "a frame's length word says 4294967295 bytes", false,
          [](CTestGameServer&, uint32_t& counter) {
              return counter++ == 0 ? std::vector<uint8_t> { 0xFF, 0xFF, 0xFF, 0xFF } : std::vector<uint8_t> {};
          } },
    };
    for (const BrokenStream& test : cases) {
        SCOPED_TRACE(test.what);
        CTestGameServer server;
        CCommCollector owner;
        CRefusingClient client;
        ASSERT_TRUE(Connect(server, client, owner));

        int result = -1;
        int timed_out = 0;
        std::thread waiter;
        if (test.answer_waits) {
            waiter = std::thread([&] {
                ConnRecord conn;
                conn.answer_wanted = 1;
                RequestRecord answer;
                result = client.SendRequest(conn, RequestRecord::Make(200110, {}), answer, timed_out, 30000);
            });
            ASSERT_TRUE(server.WaitForMessage(10000));
        }
        uint32_t counter = 0;
        const uint32_t start = platform::GetTickCount();
        {
            CFlood flood(server, [&] { return test.next(server, counter); });
            ASSERT_TRUE(owner.WaitForCount(1, 10000));
            if (waiter.joinable()) {
                waiter.join();
                EXPECT_EQ(result, CSocketClient::RESULT_FAILED);
                EXPECT_EQ(timed_out, 1);
                EXPECT_LT(platform::TicksBetween(start, platform::GetTickCount()), 10000u) << "not its 30 s time-out";
            }
            // The server goes on; nothing more is read or posted.
            owner.PumpUntil([] { return false; }, 300);
            client.Close();
        }
        ASSERT_EQ(owner.m_messages.size(), 1u);
        EXPECT_EQ(owner.m_messages[0]->request.id, COMM_EVENT_SOCKET_ERROR);
        const std::vector<std::string> refusals = client.Refusals();
        ASSERT_FALSE(refusals.empty());
        EXPECT_EQ(refusals.front().rfind(test.refusal, 0), 0u) << refusals.front();
    }
}

TEST(SocketClientHostile, ARequestEndsAsSoonAsTheServerCloses)
{
    CTestGameServer server;
    CCommCollector owner;
    CSocketClient client(PACKET_KEY, PACKET_KEY_BITS, 0x100, 0, 1, 4000);
    ASSERT_TRUE(Connect(server, client, owner));

    std::atomic<uint32_t> ended_at { 0 };
    int result = -1;
    int timed_out = 0;
    std::thread waiter([&] {
        ConnRecord conn;
        conn.answer_wanted = 1;
        RequestRecord answer;
        result = client.SendRequest(conn, RequestRecord::Make(201130, {}), answer, timed_out, 5000);
        ended_at.store(platform::GetTickCount());
    });
    ASSERT_TRUE(server.WaitForMessage(10000));
    usleep(200000);
    const uint32_t closed_at = platform::GetTickCount();
    server.DisconnectClient();
    waiter.join();
    EXPECT_EQ(result, CSocketClient::RESULT_FAILED);
    EXPECT_EQ(timed_out, 1);
    EXPECT_LT(platform::TicksBetween(closed_at, ended_at.load()), 1000u) << "released by the close, not the time-out";

    ASSERT_TRUE(owner.WaitForCount(1));
    owner.PumpUntil([] { return false; }, 100);
    EXPECT_EQ(CountEvents(owner, COMM_EVENT_CLOSED), 1u);
    EXPECT_EQ(owner.m_messages.size(), 1u);
    RequestRecord answer;
    EXPECT_EQ(client.SendRequest(ConnRecord {}, RequestRecord::Make(1, {}), answer, timed_out, 100),
              CSocketClient::RESULT_FAILED) << "a dead connection refuses sends";
}

} // namespace

#include "CommCollector.h"
#include "support/Loopback.h"
#include "support/TestGameServer.h"

#include "net/PacketKeys.h"
#include "net/SocketClient.h"
#include "net/WireBytes.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace {

using namespace net;
using net::testing::CCommCollector;
using net::testing::CTestGameServer;
using net::testing::ReceivedMessage;

const char GREETING[] = "Hello! Game Channel.";

std::unique_ptr<CSocketClient> MakeClient(uint32_t crc = 1, uint32_t part_limit = 4000)
{
    return std::make_unique<CSocketClient>(PACKET_KEY, PACKET_KEY_BITS, 0x100, 0, crc, part_limit);
}

int Open(CSocketClient& client, const CTestGameServer& server, const CCommCollector& owner,
         uint32_t mode = CSocketClient::MODE_SEND_GREETING)
{
    return client.Create("127.0.0.1", server.GetPort(), 3, owner.GetWindow(), 0, mode,
                         reinterpret_cast<const uint8_t*>(GREETING), sizeof GREETING, 2000);
}

// Starts the server, opens the client on it with the greeting and waits until
// the server has taken the greeting.
::testing::AssertionResult StartAndConnect(CTestGameServer& server, CSocketClient& client, const CCommCollector& owner)
{
    if (!server.Start())
        return ::testing::AssertionFailure() << "the test server did not start";
    if (Open(client, server, owner) != CSocketClient::RESULT_OK)
        return ::testing::AssertionFailure() << "the client did not open";
    if (!server.WaitForClient(10000))
        return ::testing::AssertionFailure() << "the server never saw the client's greeting";
    return ::testing::AssertionSuccess();
}

std::vector<uint8_t> Bytes(std::span<const uint8_t> span) { return { span.begin(), span.end() }; }

namespace testing_wait {

// Polls `done` every 10 ms until it holds or the deadline passes.
bool WaitUntil(const std::function<bool()>& done, uint32_t timeout_ms)
{
    const uint32_t start = platform::GetTickCount();
    while (!done()) {
        if (platform::HasElapsed(start, platform::GetTickCount(), timeout_ms))
            return false;
        usleep(10000);
    }
    return true;
}

} // namespace testing_wait

ConnRecord WantAnswer(const CSocketClient& client)
{
    ConnRecord conn;
    conn.socket = client.GetSocket();
    conn.answer_wanted = 1;
    return conn;
}

TEST(SocketClient, GreetsThenGetsTheAnswerToARequest)
{
    CTestGameServer server;
    server.on_message = [](CTestGameServer& self, const ReceivedMessage& message) {
        std::vector<uint8_t> reply(message.request.Data().begin(), message.request.Data().end());
        reply.push_back(0xEE);
        self.SendAnswer(message.serial, message.request.id + 1, reply);
    };
    CCommCollector owner;
    auto client = MakeClient();
    ASSERT_TRUE(StartAndConnect(server, *client, owner));
    EXPECT_EQ(server.GetGreeting(), std::vector<uint8_t>(GREETING, GREETING + sizeof GREETING));
    EXPECT_EQ(client->IsConnected(), 1);
    EXPECT_NE(client->GetCookie(), 0u);

    const std::vector<uint8_t> data = { 'p', 'l', 'a', 'y' };
    RequestRecord answer;
    int timed_out = -1;
    ASSERT_EQ(client->SendRequest(WantAnswer(*client), RequestRecord::Make(200110, data), answer, timed_out, 10000),
              CSocketClient::RESULT_OK);
    EXPECT_EQ(timed_out, 0);
    EXPECT_EQ(answer.id, 200111u);
    EXPECT_EQ(Bytes(answer.Data()), (std::vector<uint8_t> { 'p', 'l', 'a', 'y', 0xEE }));
    EXPECT_EQ(server.GetFrameErrors(), 0);
    EXPECT_TRUE(owner.m_messages.empty());
}

TEST(SocketClient, TimedOutRequestsNeverTakeALateAnswer)
{
    CTestGameServer server;
    ASSERT_TRUE(server.Start());
    CCommCollector owner;
    auto client = MakeClient();
    ASSERT_EQ(Open(*client, server, owner), CSocketClient::RESULT_OK);

    RequestRecord answer;
    int timed_out = 0;
    EXPECT_EQ(client->SendRequest(WantAnswer(*client), RequestRecord::Make(1, {}), answer, timed_out, 150),
              CSocketClient::RESULT_FAILED);
    EXPECT_EQ(timed_out, 1);
    auto first = server.WaitForMessage(10000);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->serial, 1u);
    EXPECT_EQ(first->answer_wanted, 1u);

    // The late answer to serial 1 arrives while the second request waits.
    std::thread replier([&server] {
        auto second = server.WaitForMessage(10000);
        if (!second)
            return;
        const uint8_t late[] = { 'L' };
        const uint8_t right[] = { 'R' };
        server.SendAnswer(1, 91, late);
        server.SendAnswer(second->serial, 92, right);
    });
    ASSERT_EQ(client->SendRequest(WantAnswer(*client), RequestRecord::Make(2, {}), answer, timed_out, 10000),
              CSocketClient::RESULT_OK);
    replier.join();
    EXPECT_EQ(answer.id, 92u);
    EXPECT_EQ(Bytes(answer.Data()), std::vector<uint8_t> { 'R' });
}

TEST(SocketClient, LargeMessagesAreSplitAndJoinedBothWays)
{
    CTestGameServer::Options options;
    options.part_limit = 1000;
    CTestGameServer server(options);
    CCommCollector owner;
    auto client = MakeClient(1, 1000);
    ASSERT_TRUE(StartAndConnect(server, *client, owner));

    std::vector<uint8_t> big(9000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = uint8_t(i * 7);
    RequestRecord answer;
    int timed_out = 0;
    ConnRecord no_answer;
    ASSERT_EQ(client->SendRequest(no_answer, RequestRecord::Make(201220, big), answer, timed_out, 1000),
              CSocketClient::RESULT_OK);
    auto received = server.WaitForMessage(10000);
    ASSERT_TRUE(received);
    EXPECT_EQ(received->request.id, 201220u);
    EXPECT_EQ(Bytes(received->request.Data()), big);
    EXPECT_EQ(received->answer_wanted, 0u);

    ASSERT_TRUE(server.SendNotification(211110, big));
    ASSERT_TRUE(owner.WaitForCount(1));
    const CommMessage& message = *owner.m_messages[0];
    EXPECT_EQ(message.request.id, 211110u);
    EXPECT_EQ(Bytes(message.request.Data()), big);
    EXPECT_EQ(message.conn.cookie, client->GetCookie());
    EXPECT_EQ(message.conn.socket, client->GetSocket());
}

TEST(SocketClient, TwoMessagesInOneReadArriveInOrder)
{
    CTestGameServer server;
    CCommCollector owner;
    auto client = MakeClient();
    ASSERT_TRUE(StartAndConnect(server, *client, owner));
    const uint8_t one[] = { 1 };
    const uint8_t two[] = { 2, 2 };
    auto frames = server.BuildFrames(1, 1, 500, one);
    const auto second = server.BuildFrames(1, 2, 600, two, 1);
    frames.insert(frames.end(), second.begin(), second.end());
    ASSERT_TRUE(server.SendRaw(frames));
    ASSERT_TRUE(owner.WaitForCount(2));
    EXPECT_EQ(owner.m_messages[0]->request.id, 500u);
    EXPECT_EQ(owner.m_messages[1]->request.id, 600u);
    EXPECT_EQ(owner.m_messages[1]->conn.answer_wanted, 1u);
    EXPECT_EQ(owner.m_messages[1]->conn.message_serial, 2u);
}

TEST(SocketClient, PeerCloseAndBadFramesBecomeSocketEvents)
{
    CTestGameServer server;
    CCommCollector owner;
    auto client = MakeClient();
    ASSERT_TRUE(StartAndConnect(server, *client, owner));
    const uint32_t cookie = client->GetCookie();

    const uint8_t fine[] = { 5 };
    ASSERT_TRUE(server.SendNotification(700, fine));
    server.DisconnectClient();
    ASSERT_TRUE(owner.WaitForCount(2));
    EXPECT_EQ(owner.m_messages[0]->request.id, 700u) << "what came before the close is still read";
    EXPECT_EQ(owner.m_messages[1]->request.id, COMM_EVENT_CLOSED);
    EXPECT_EQ(owner.m_messages[1]->conn.cookie, cookie);
    EXPECT_EQ(owner.m_messages[1]->request.data_length, 0);
    owner.PumpUntil([] { return false; }, 100);
    EXPECT_EQ(owner.m_messages.size(), 2u) << "one close event only";

    // A bad frame: one socket error, and the stream is read no further.
    client->Close();
    owner.m_messages.clear();
    ASSERT_EQ(Open(*client, server, owner), CSocketClient::RESULT_OK);
    ASSERT_TRUE(server.WaitForClient(10000, 2));
    auto bad_crc = server.BuildFrames(1, 1, 500, std::vector<uint8_t> { 1, 2, 3 });
    bad_crc.back() ^= 0x40;
    ASSERT_TRUE(server.SendRaw(bad_crc));
    ASSERT_TRUE(owner.WaitForCount(1));
    EXPECT_EQ(owner.m_messages[0]->request.id, COMM_EVENT_SOCKET_ERROR);
    EXPECT_EQ(owner.m_messages[0]->conn.cookie, client->GetCookie());
    ASSERT_TRUE(server.SendNotification(701, fine));
    server.DisconnectClient();
    owner.PumpUntil([] { return false; }, 200);
    EXPECT_EQ(owner.m_messages.size(), 1u) << "neither the later message nor the close is read";
}

TEST(SocketClient, CloseWakesAWaitingRequestAndReopenTakesANewCookie)
{
    CTestGameServer server;
    ASSERT_TRUE(server.Start());
    CCommCollector owner;
    auto client = MakeClient();
    ASSERT_EQ(Open(*client, server, owner), CSocketClient::RESULT_OK);
    const uint32_t first_cookie = client->GetCookie();

    ASSERT_TRUE(server.WaitForClient(10000));
    const uint8_t early[] = { 6 };
    ASSERT_TRUE(server.SendNotification(750, early));
    ASSERT_TRUE(owner.WaitForCount(1));
    EXPECT_EQ(owner.m_messages[0]->conn.cookie, first_cookie);

    int result = -1;
    int timed_out = 0;
    const uint32_t start = platform::GetTickCount();
    std::thread waiter([&] {
        RequestRecord answer;
        result = client->SendRequest(WantAnswer(*client), RequestRecord::Make(3, {}), answer, timed_out, 60000);
    });
    ASSERT_TRUE(server.WaitForMessage(10000));
    client->Close();
    waiter.join();
    EXPECT_EQ(result, CSocketClient::RESULT_FAILED);
    EXPECT_EQ(timed_out, 1);
    EXPECT_LT(platform::TicksBetween(start, platform::GetTickCount()), 30000u) << "woken by the close, not by its time-out";
    EXPECT_EQ(client->GetCookie(), 0u);
    EXPECT_EQ(client->GetSocket(), -1);
    EXPECT_EQ(client->IsConnected(), 0);

    RequestRecord answer;
    EXPECT_EQ(client->SendRequest(WantAnswer(*client), RequestRecord::Make(3, {}), answer, timed_out, 100),
              CSocketClient::RESULT_FAILED) << "no peer after closing";

    ASSERT_EQ(Open(*client, server, owner), CSocketClient::RESULT_OK);
    EXPECT_NE(client->GetCookie(), first_cookie) << "a record of the old connection can be told apart";
    EXPECT_NE(client->GetCookie(), 0u);
    // A second open without closing replaces the first connection.
    const uint32_t second_cookie = client->GetCookie();
    ASSERT_EQ(Open(*client, server, owner), CSocketClient::RESULT_OK);
    EXPECT_NE(client->GetCookie(), second_cookie);
    ASSERT_TRUE(server.WaitForClient(10000, 3)) << "the third connection, not one the server saw before";
    const uint8_t data[] = { 1 };
    ASSERT_TRUE(server.SendNotification(800, data));
    ASSERT_TRUE(owner.PumpUntil([&] {
        for (const auto& message : owner.m_messages)
            if (message->request.id == 800)
                return true;
        return false;
    }));
    for (const auto& message : owner.m_messages) {
        if (message->request.id == 800) {
            EXPECT_EQ(message->conn.cookie, client->GetCookie());
        }
    }
}

TEST(SocketClient, AMessageOfAnOlderConnectionArrivesWithItsOwnCookie)
{
    // A message read just before a Close is still in the owner's queue when
    // the next connection opens: it must carry the cookie of the connection
    // it came on, so the owner can tell it from the new connection's.
    CTestGameServer server;
    CCommCollector owner;
    auto client = MakeClient();
    ASSERT_TRUE(StartAndConnect(server, *client, owner));
    const uint32_t old_cookie = client->GetCookie();
    const uint8_t data[] = { 4, 2 };
    ASSERT_TRUE(server.SendNotification(760, data));
    ASSERT_TRUE(testing_wait::WaitUntil([&] { return client->GetBytesReceived() > 0; }, 10000));
    usleep(50000); // the read pass posts right after counting the bytes
    client->Close();
    ASSERT_EQ(Open(*client, server, owner), CSocketClient::RESULT_OK);
    ASSERT_TRUE(server.WaitForClient(10000, 2));
    ASSERT_TRUE(owner.WaitForCount(1));
    EXPECT_EQ(owner.m_messages[0]->request.id, 760u);
    EXPECT_EQ(owner.m_messages[0]->conn.cookie, old_cookie);
    EXPECT_NE(owner.m_messages[0]->conn.cookie, client->GetCookie());
    EXPECT_NE(client->GetCookie(), 0u);
    owner.PumpUntil([] { return false; }, 100);
    EXPECT_EQ(owner.m_messages.size(), 1u) << "a close by the client itself posts no event";
}

TEST(SocketClient, AnOwnerThreadGetsMessagesAndEventsAsThreadMessages)
{
    // The game connection gives a thread, not a window: messages and socket
    // events go to that thread's queue.
    std::mutex lock;
    std::vector<std::unique_ptr<CommMessage>> received;
    std::promise<platform::ThreadId> thread_id;
    std::thread comm([&] {
        thread_id.set_value(platform::GetCurrentThreadId());
        platform::RunMessageLoop([&](platform::Message& msg) {
            auto* payload = msg.PayloadAs<CommMessage>();
            if (msg.id != UM_COMM_MESSAGE || !payload || reinterpret_cast<uintptr_t>(&payload->conn) != msg.wparam
                || reinterpret_cast<intptr_t>(&payload->request) != msg.lparam)
                return;
            std::unique_ptr<platform::MessagePayload> owned = std::move(msg.payload);
            std::lock_guard guard(lock);
            received.emplace_back(static_cast<CommMessage*>(owned.release()));
        });
    });
    const platform::ThreadId owner_thread = thread_id.get_future().get();
    const auto count = [&] {
        std::lock_guard guard(lock);
        return received.size();
    };

    CTestGameServer server;
    ASSERT_TRUE(server.Start());
    auto client = MakeClient();
    ASSERT_EQ(client->Create("127.0.0.1", server.GetPort(), 3, platform::WindowHandle::None, owner_thread,
                             CSocketClient::MODE_SEND_GREETING, reinterpret_cast<const uint8_t*>(GREETING),
                             sizeof GREETING, 2000),
              CSocketClient::RESULT_OK);
    ASSERT_TRUE(server.WaitForClient(10000));
    const uint8_t data[] = { 9, 8, 7 };
    ASSERT_TRUE(server.SendNotification(910, data));
    ASSERT_TRUE(testing_wait::WaitUntil([&] { return count() >= 1; }, 10000));
    server.DisconnectClient();
    ASSERT_TRUE(testing_wait::WaitUntil([&] { return count() >= 2; }, 10000));
    client->Close();
    platform::PostThreadMessage(owner_thread, platform::WM_QUIT);
    comm.join();

    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0]->request.id, 910u);
    EXPECT_EQ(Bytes(received[0]->request.Data()), Bytes(data));
    EXPECT_EQ(received[1]->request.id, COMM_EVENT_CLOSED);
}

TEST(SocketClient, WithoutAnOwnerNothingIsPosted)
{
    CTestGameServer server;
    ASSERT_TRUE(server.Start());
    auto client = MakeClient();
    ASSERT_EQ(client->Create("127.0.0.1", server.GetPort(), 3, platform::WindowHandle::None, 0,
                             CSocketClient::MODE_SEND_GREETING, reinterpret_cast<const uint8_t*>(GREETING),
                             sizeof GREETING, 2000),
              CSocketClient::RESULT_OK);
    ASSERT_TRUE(server.WaitForClient(10000));
    const uint8_t data[] = { 1 };
    ASSERT_TRUE(server.SendNotification(920, data));
    ASSERT_TRUE(testing_wait::WaitUntil([&] { return client->GetBytesReceived() > 0; }, 10000));
    server.DisconnectClient();
    usleep(100000);
    client->Close(); // the records that had nowhere to go were freed (leak check)
    platform::Message msg;
    while (platform::PeekMessage(msg))
        EXPECT_NE(msg.id, UM_COMM_MESSAGE) << "nothing reaches the thread that made the client";
}

// A client that reads more slowly than its peer sends: every block read is
// taken by the hook (and never joined into frames) after a short pause.
class CSlowReader final : public CSocketClient {
public:
    CSlowReader() : CSocketClient(PACKET_KEY, PACKET_KEY_BITS, 0x100, 0, 1, 4000) {}
    ~CSlowReader() override { Close(); }

protected:
    int OnUnhandled(CPeerRecord&, const uint8_t*, size_t) override
    {
        usleep(2000);
        return 1;
    }
};

TEST(SocketClient, CloseReturnsWhileThePeerSendsWithoutPause)
{
    CTestGameServer server;
    ASSERT_TRUE(server.Start());
    CSlowReader client;
    ASSERT_EQ(client.Create("127.0.0.1", server.GetPort(), 3, platform::WindowHandle::None, 0,
                            CSocketClient::MODE_SEND_GREETING, reinterpret_cast<const uint8_t*>(GREETING),
                            sizeof GREETING, 2000),
              CSocketClient::RESULT_OK);
    ASSERT_TRUE(server.WaitForClient(10000));
    const std::vector<uint8_t> burst(256 * 1024, 0);
    std::atomic<bool> stop { false };
    std::thread flood([&] {
        const uint32_t start = platform::GetTickCount();
        while (!stop.load() && !platform::HasElapsed(start, platform::GetTickCount(), 20000) && server.SendRaw(burst)) {
        }
    });
    ASSERT_TRUE(testing_wait::WaitUntil([&] { return client.GetBytesReceived() > 64 * 1024; }, 10000));

    const uint32_t start = platform::GetTickCount();
    client.Close();
    const uint32_t elapsed = platform::TicksBetween(start, platform::GetTickCount());
    stop.store(true);
    server.DisconnectClient();
    flood.join();
    EXPECT_LT(elapsed, 10000u) << "the worker stops reading when the client closes";
    EXPECT_EQ(client.GetSocket(), -1);
}

TEST(SocketClient, WaitModeOpensOnlyAfterTheServersFirstBytes)
{
    CTestGameServer::Options options;
    options.expect_greeting = false;
    options.hello = { 'h', 'i' };
    CTestGameServer server(options);
    ASSERT_TRUE(server.Start());
    CCommCollector owner;
    auto client = MakeClient();
    ASSERT_EQ(Open(*client, server, owner, CSocketClient::MODE_WAIT_FIRST_BYTES), CSocketClient::RESULT_OK);
    const uint8_t data[] = { 4 };
    ASSERT_TRUE(server.SendNotification(900, data));
    ASSERT_TRUE(owner.WaitForCount(1));
    EXPECT_EQ(owner.m_messages[0]->request.id, 900u) << "the hello bytes were not taken for a frame";

    CTestGameServer::Options silent_options;
    silent_options.expect_greeting = false;
    CTestGameServer silent(silent_options);
    ASSERT_TRUE(silent.Start());
    auto other = MakeClient();
    EXPECT_EQ(other->Create("127.0.0.1", silent.GetPort(), 3, owner.GetWindow(), 0,
                            CSocketClient::MODE_WAIT_FIRST_BYTES, nullptr, 0, 200),
              CSocketClient::RESULT_FAILED);
    EXPECT_EQ(other->GetSocket(), -1);
}

// A client whose worker lingers right after the hello released the opener.
class CLingeringAfterHello final : public CSocketClient {
public:
    CLingeringAfterHello() : CSocketClient(PACKET_KEY, PACKET_KEY_BITS, 0x100, 0, 1, 4000) {}
    ~CLingeringAfterHello() override { Close(); }

protected:
    int SignalPeerEvent(CPeerRecord& peer) override
    {
        const int signalled = CSocketClient::SignalPeerEvent(peer);
        if (signalled)
            usleep(300000);
        return signalled;
    }
};

TEST(SocketClient, AnswerSentRightAfterTheHelloIsNotThrownAwayWithIt)
{
    CTestGameServer::Options options;
    options.expect_greeting = false;
    options.hello = { 'h', 'i' };
    CTestGameServer server(options);
    server.on_message = [](CTestGameServer& self, const ReceivedMessage& message) {
        self.SendAnswer(message.serial, message.request.id, message.request.Data());
    };
    ASSERT_TRUE(server.Start());
    CCommCollector owner;
    CLingeringAfterHello client;
    ASSERT_EQ(Open(client, server, owner, CSocketClient::MODE_WAIT_FIRST_BYTES), CSocketClient::RESULT_OK);
    // Sent while the worker still lingers over the hello.
    const uint8_t data[] = { 7 };
    RequestRecord answer;
    int timed_out = 0;
    ASSERT_EQ(client.SendRequest(WantAnswer(client), RequestRecord::Make(200110, data), answer, timed_out, 10000),
              CSocketClient::RESULT_OK);
    EXPECT_EQ(answer.id, 200110u);
}

TEST(SocketClient, ConnectFailureIsRefusedAndLeavesNoSocket)
{
    const uint16_t port = net::testing::FreeLoopbackPort();
    ASSERT_NE(port, 0);
    CCommCollector owner;
    auto client = MakeClient();
    EXPECT_EQ(client->Create("127.0.0.1", port, 2, owner.GetWindow(), 0, 0, nullptr, 0, 100),
              CSocketClient::RESULT_FAILED);
    EXPECT_EQ(client->GetSocket(), -1);
}

// The first frame a client sends, byte by byte: a plain message (no cipher,
// no compression) with the CRC on, after the greeting block.
TEST(SocketClient, FirstPlainFrameHasExactBytes)
{
    uint16_t port = 0;
    const int listener = net::testing::ListenOnLoopback(port, 1);
    ASSERT_GE(listener, 0);

    CCommCollector owner;
    CSocketClient client(nullptr, 0, 0, 0, 1, 4000);
    const uint8_t greeting[] = { 'h', 'i', 0 };
    ASSERT_EQ(client.Create("127.0.0.1", port, 2, owner.GetWindow(), 0, 0, greeting, 3, 100),
              CSocketClient::RESULT_OK);
    const int peer = accept(listener, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    const uint8_t data[] = { 'a', 'b', 'c' };
    RequestRecord answer;
    int timed_out = 0;
    ConnRecord conn;
    ASSERT_EQ(client.SendRequest(conn, RequestRecord::Make(200110, data), answer, timed_out, 100), 1);

    std::vector<uint8_t> expected = { 3, 0, 0, 0, 'h', 'i', 0 };
    auto put = [&expected](uint32_t word) {
        for (int i = 0; i < 4; ++i)
            expected.push_back(uint8_t(word >> (8 * i)));
    };
    const size_t frame_start = expected.size();
    // body 31 bytes, zlib wrapper 51, cipher wrapper 71: part length 71, total 127.
    put(127);
    const uint32_t header[13] = { 1, 1, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0 };
    for (uint32_t word : header)
        put(word);
    put(71);
    put(0); put(51); put(0); put(0); put(51);       // cipher layer: stored
    put(0); put(31); put(0); put(0); put(31);       // zlib layer: stored
    put(0); put(200110); put(0); put(0); put(0); put(0); put(3);
    expected.insert(expected.end(), data, data + 3);
    const uint32_t crc = uint32_t(crc32(0, expected.data() + frame_start, uInt(expected.size() - frame_start)));
    StoreU32LE(expected.data() + frame_start + 4 + 8, 1);
    StoreU32LE(expected.data() + frame_start + 4 + 12, crc);

    std::vector<uint8_t> got(expected.size());
    size_t have = 0;
    while (have < got.size()) {
        pollfd fd { peer, POLLIN, 0 };
        ASSERT_GT(poll(&fd, 1, 10000), 0);
        const ssize_t n = recv(peer, got.data() + have, got.size() - have, 0);
        ASSERT_GT(n, 0);
        have += size_t(n);
    }
    EXPECT_EQ(got, expected);
    client.Close();
    close(peer);
    close(listener);
}

} // namespace

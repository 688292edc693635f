// Listening through a proxy (SOCKS BIND) against byte-exact fake proxies,
// and the plain listen and accept without one.
#include "FakeProxy.h"

#include "net/ProxySocketBase.h"
#include "net/SocketAddress.h"

#include "platform/Tick.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

using namespace net;
using net::testing::CFakeProxy;
using Bytes = std::vector<uint8_t>;

bool DottedOnly(const char* host, uint16_t port, sockaddr_in& address)
{
    return ParseDottedAddress(host, port, address);
}

// Records what the listening socket reports.
class CBindProbe final : public CProxySocketBase {
public:
    int m_bound_calls { 0 };
    uint32_t m_bound_address { 0 };
    uint16_t m_bound_port { 0 };
    bool m_accepted { false };
    int m_error_mode { -1 };

protected:
    void OnProxyBound(uint32_t address, uint16_t port) override
    {
        ++m_bound_calls;
        m_bound_address = address;
        m_bound_port = port;
    }
    void OnAccept() override { m_accepted = true; }
    void OnProxyError(int mode) override { m_error_mode = mode; }
};

// Drives the socket's events as its owner's loop would, until the peer came
// or the handshake failed.
void Drive(CBindProbe& probe)
{
    bool tcp_connected = false;
    const uint32_t start = platform::GetTickCount();
    while (!probe.m_accepted && probe.GetSocket() >= 0
           && !platform::HasElapsed(start, platform::GetTickCount(), 10000)) {
        pollfd fd { probe.GetSocket(), short(tcp_connected ? POLLIN : POLLOUT), 0 };
        if (poll(&fd, 1, 50) <= 0)
            continue;
        if (!tcp_connected) {
            int error = 0;
            socklen_t length = sizeof error;
            getsockopt(probe.GetSocket(), SOL_SOCKET, SO_ERROR, &error, &length);
            tcp_connected = true;
            probe.OnConnect(error);
        } else {
            probe.OnReceive();
        }
    }
}

sockaddr_in ExpectedPeer()
{
    sockaddr_in peer {};
    EXPECT_TRUE(ParseDottedAddress("127.0.0.1", 0x1234, peer));
    return peer;
}

std::string ReadSome(CProxySocketBase& socket, size_t count)
{
    std::string text;
    const uint32_t start = platform::GetTickCount();
    while (text.size() < count && !platform::HasElapsed(start, platform::GetTickCount(), 5000)) {
        char buffer[16];
        const ssize_t n = socket.Receive(buffer, std::min(sizeof buffer, count - text.size()));
        if (n > 0)
            text.append(buffer, size_t(n));
        else
            usleep(5000);
    }
    return text;
}

TEST(ProxyBind, Socks4AsksToBindReportsWhereAndHandsTheSocketOverWhenThePeerComes)
{
    // The first reply leaves the address 0: the proxy listens on its own.
    CFakeProxy proxy({ { { 4, 2, 0x12, 0x34, 127, 0, 0, 1, 0 }, { 0, 0x5A, 0x1F, 0x90, 0, 0, 0, 0 } },
                       { {}, { 0, 0x5A, 0, 0, 0, 0, 0, 0, 'h', 'i' } } });
    CBindProbe probe;
    probe.SetResolver(DottedOnly);
    probe.SetProxy(PROXY_SOCKS4, "127.0.0.1", proxy.GetPort());
    ASSERT_TRUE(probe.CreateSocket());
    ASSERT_EQ(probe.ListenViaProxy(ExpectedPeer()), 1);
    EXPECT_EQ(probe.GetMode(), CProxySocketBase::MODE_LISTENING);
    char byte = 0;
    EXPECT_EQ(probe.Send(&byte, 1), -1) << "nothing passes while the proxy is being asked";
    Drive(probe);
    ASSERT_TRUE(probe.m_accepted) << "error " << probe.GetLastProxyError();
    EXPECT_TRUE(proxy.Matched());
    EXPECT_EQ(probe.m_bound_calls, 1);
    EXPECT_EQ(probe.m_bound_address, htonl(INADDR_LOOPBACK)) << "the proxy's own address";
    EXPECT_EQ(probe.m_bound_port, 0x1F90);
    EXPECT_EQ(probe.GetMode(), CProxySocketBase::MODE_PLAIN);

    CProxySocketBase accepted;
    ASSERT_TRUE(probe.AcceptFromProxy(accepted));
    EXPECT_EQ(probe.GetSocket(), -1) << "the descriptor now belongs to the accepted socket only";
    EXPECT_FALSE(probe.AcceptFromProxy(accepted)) << "nothing left to take";
    EXPECT_EQ(ReadSome(accepted, 2), "hi") << "the peer's first bytes are not eaten by the handshake";
}

TEST(ProxyBind, Socks5BindRepliesAreReadByTheirAddressTypeAndRefusalsFail)
{
    const Bytes offer = { 5, 1, 0 };
    const Bytes bind = { 5, 2, 0, 1, 127, 0, 0, 1, 0x12, 0x34 };
    {
        // Bound on 10.0.0.7:8080; the peer's reply carries a name (7 + 4 bytes).
        CFakeProxy proxy({ { offer, { 5, 0 } },
                           { bind, { 5, 0, 0, 1, 10, 0, 0, 7, 0x1F, 0x90 } },
                           { {}, { 5, 0, 0, 3, 4, 'p', 'e', 'e', 'r', 0x30, 0x39, 'o', 'k' } } });
        CBindProbe probe;
        probe.SetResolver(DottedOnly);
        probe.SetProxy(PROXY_SOCKS5, "127.0.0.1", proxy.GetPort());
        ASSERT_TRUE(probe.CreateSocket());
        ASSERT_EQ(probe.ListenViaProxy(ExpectedPeer()), 1);
        Drive(probe);
        ASSERT_TRUE(probe.m_accepted) << "error " << probe.GetLastProxyError();
        EXPECT_TRUE(proxy.Matched());
        EXPECT_EQ(probe.m_bound_address, htonl(0x0A000007));
        EXPECT_EQ(probe.m_bound_port, 8080);
        CProxySocketBase accepted;
        ASSERT_TRUE(probe.AcceptFromProxy(accepted));
        EXPECT_EQ(ReadSome(accepted, 2), "ok");
    }
    {
        // The peer never came: the proxy's second reply refuses.
        CFakeProxy proxy({ { offer, { 5, 0 } },
                           { bind, { 5, 0, 0, 1, 10, 0, 0, 7, 0x1F, 0x90 } },
                           { {}, { 5, 4, 0, 1, 0, 0, 0, 0, 0, 0 } } });
        CBindProbe probe;
        probe.SetResolver(DottedOnly);
        probe.SetProxy(PROXY_SOCKS5, "127.0.0.1", proxy.GetPort());
        ASSERT_TRUE(probe.CreateSocket());
        ASSERT_EQ(probe.ListenViaProxy(ExpectedPeer()), 1);
        Drive(probe);
        EXPECT_FALSE(probe.m_accepted);
        EXPECT_EQ(probe.m_bound_calls, 1);
        EXPECT_EQ(probe.GetLastProxyError(), PROXY_ERROR_REFUSED);
        EXPECT_EQ(probe.m_error_mode, CProxySocketBase::MODE_LISTENING);
        EXPECT_EQ(probe.GetSocket(), -1);
        CProxySocketBase accepted;
        EXPECT_FALSE(probe.AcceptFromProxy(accepted));
    }
}

TEST(ProxyBind, WithoutAProxyListenAndAcceptArePlainAndHttpCannotListen)
{
    CProxySocketBase listener;
    ASSERT_TRUE(listener.Listen(0));
    sockaddr_in local {};
    socklen_t length = sizeof local;
    ASSERT_EQ(getsockname(listener.GetSocket(), reinterpret_cast<sockaddr*>(&local), &length), 0);

    const int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(client, 0);
    sockaddr_in to {};
    ASSERT_TRUE(ParseDottedAddress("127.0.0.1", ntohs(local.sin_port), to));
    ASSERT_EQ(connect(client, reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
    ASSERT_EQ(send(client, "yo", 2, MSG_NOSIGNAL), 2);

    CProxySocketBase accepted;
    const uint32_t start = platform::GetTickCount();
    bool taken = false;
    while (!(taken = listener.AcceptFromProxy(accepted)) && !platform::HasElapsed(start, platform::GetTickCount(), 5000))
        usleep(5000);
    ASSERT_TRUE(taken);
    EXPECT_GE(listener.GetSocket(), 0) << "the listener keeps listening";
    EXPECT_EQ(ReadSome(accepted, 2), "yo");
    close(client);

    CBindProbe http;
    http.SetProxy(PROXY_HTTP, "127.0.0.1", 1);
    EXPECT_EQ(http.ListenViaProxy(ExpectedPeer()), 0);
    EXPECT_EQ(http.GetLastProxyError(), PROXY_ERROR_CONNECT);
    CBindProbe direct;
    EXPECT_EQ(direct.ListenViaProxy(ExpectedPeer()), 0);
}

} // namespace

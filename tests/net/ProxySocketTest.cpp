#include "FakeProxy.h"
#include "support/Loopback.h"

#include "net/ProxySocket.h"
#include "net/SocketAddress.h"

#include "platform/Tick.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <poll.h>
#include <unistd.h>

#include <cstring>

namespace {

using namespace net;
using net::testing::CFakeProxy;
using net::testing::ToBytes;
using Bytes = std::vector<uint8_t>;

constexpr uint16_t TARGET_PORT = 0x1234;
// Long enough that an attempt ending by its time-out is told apart from one
// that ends at once, however loaded the machine.
constexpr uint32_t ATTEMPT_TIMEOUT_S = 30;
constexpr uint32_t ENDS_AT_ONCE_MS = 15000;

// Only dotted addresses resolve: names never leave this machine in tests.
bool DottedOnly(const char* host, uint16_t port, sockaddr_in& address)
{
    return ParseDottedAddress(host, port, address);
}

struct Attempt {
    int result { -1 };
    int error { -1 };
    int socket { -1 };
    uint32_t elapsed_ms { 0 };
};

Attempt Connect(const CFakeProxy& proxy, int type, const char* target, const std::string& user = "",
                const std::string& password = "", uint32_t timeout_s = ATTEMPT_TIMEOUT_S)
{
    CProxySocket socket;
    socket.SetResolver(DottedOnly);
    Attempt attempt;
    const uint32_t start = platform::GetTickCount();
    attempt.result = socket.ConnectViaProxy(target, TARGET_PORT, type, "127.0.0.1", proxy.GetPort(), user, password,
                                            timeout_s);
    attempt.elapsed_ms = platform::TicksBetween(start, platform::GetTickCount());
    attempt.error = socket.GetLastProxyError();
    attempt.socket = socket.DetachSocket();
    if (attempt.socket >= 0)
        close(attempt.socket);
    return attempt;
}

const Bytes SOCKS4_REQUEST = { 4, 1, 0x12, 0x34, 127, 0, 0, 1, 0 };

TEST(ProxySocket, Socks4SendsTheExactRequestAndHandsOverTheSocket)
{
    CFakeProxy proxy({ { SOCKS4_REQUEST, { 0, 0x5A, 0, 0, 0, 0, 0, 0 } } });
    const Attempt attempt = Connect(proxy, PROXY_SOCKS4, "127.0.0.1");
    EXPECT_EQ(attempt.result, 1);
    EXPECT_GE(attempt.socket, 0) << "the connected socket is handed over";
    EXPECT_TRUE(proxy.Matched());
}

TEST(ProxySocket, Socks4RefusalAndUnresolvableNames)
{
    CFakeProxy refusing({ { SOCKS4_REQUEST, { 0, 0x5B, 0, 0, 0, 0, 0, 0 } } });
    Attempt attempt = Connect(refusing, PROXY_SOCKS4, "127.0.0.1");
    EXPECT_EQ(attempt.result, 0);
    EXPECT_EQ(attempt.error, PROXY_ERROR_REFUSED);
    EXPECT_LT(attempt.elapsed_ms, ENDS_AT_ONCE_MS) << "a refusal ends the wait at once";

    CFakeProxy unused({});
    attempt = Connect(unused, PROXY_SOCKS4, "game.server.test");
    EXPECT_EQ(attempt.result, 0);
    EXPECT_EQ(attempt.error, PROXY_ERROR_SOCKS4_NAME);
    EXPECT_TRUE(unused.Received().empty()) << "SOCKS4 fails before contacting the proxy";
}

TEST(ProxySocket, Socks4aSendsTheNameWhenItDoesNotResolveLocally)
{
    Bytes request = { 4, 1, 0x12, 0x34, 0, 0, 0, 1, 0 };
    const Bytes name = ToBytes("game.server.test");
    request.insert(request.end(), name.begin(), name.end());
    request.push_back(0);
    CFakeProxy proxy({ { request, { 0, 0x5A, 0, 0, 0, 0, 0, 0 } } });
    EXPECT_EQ(Connect(proxy, PROXY_SOCKS4A, "game.server.test").result, 1);
    EXPECT_TRUE(proxy.Matched());
}

const Bytes SOCKS5_CONNECT_IPV4 = { 5, 1, 0, 1, 127, 0, 0, 1, 0x12, 0x34 };
const Bytes SOCKS5_OK_IPV4 = { 5, 0, 0, 1, 10, 0, 0, 1, 0x30, 0x39 };

TEST(ProxySocket, Socks5WithoutCredentialsByAddressAndByName)
{
    CFakeProxy proxy({ { { 5, 1, 0 }, { 5, 0 } }, { SOCKS5_CONNECT_IPV4, SOCKS5_OK_IPV4 } });
    EXPECT_EQ(Connect(proxy, PROXY_SOCKS5, "127.0.0.1").result, 1);
    EXPECT_TRUE(proxy.Matched());

    Bytes by_name = { 5, 1, 0, 3, 16 };
    const Bytes name = ToBytes("game.server.test");
    by_name.insert(by_name.end(), name.begin(), name.end());
    by_name.insert(by_name.end(), { 0x12, 0x34 });
    // The reply names an address too: 7 + its length bytes in all.
    Bytes reply = { 5, 0, 0, 3, 4, 'h', 'o', 's', 't', 0, 80 };
    CFakeProxy named({ { { 5, 1, 0 }, { 5, 0 } }, { by_name, reply } });
    EXPECT_EQ(Connect(named, PROXY_SOCKS5, "game.server.test").result, 1);
    EXPECT_TRUE(named.Matched());

    Bytes ipv6(22, 0);
    ipv6[0] = 5;
    ipv6[3] = 4;
    CFakeProxy six({ { { 5, 1, 0 }, { 5, 0 } }, { SOCKS5_CONNECT_IPV4, ipv6 } });
    EXPECT_EQ(Connect(six, PROXY_SOCKS5, "127.0.0.1").result, 1) << "an IPv6 reply is 22 bytes";
}

TEST(ProxySocket, Socks5WithCredentials)
{
    const Bytes auth = { 1, 4, 'u', 's', 'e', 'r', 6, 's', 'e', 'c', 'r', 'e', 't' };
    CFakeProxy proxy({ { { 5, 2, 0, 2 }, { 5, 2 } }, { auth, { 1, 0 } }, { SOCKS5_CONNECT_IPV4, SOCKS5_OK_IPV4 } });
    EXPECT_EQ(Connect(proxy, PROXY_SOCKS5, "127.0.0.1", "user", "secret").result, 1);
    EXPECT_TRUE(proxy.Matched());

    CFakeProxy refusing({ { { 5, 2, 0, 2 }, { 5, 2 } }, { auth, { 1, 1 } } });
    const Attempt attempt = Connect(refusing, PROXY_SOCKS5, "127.0.0.1", "user", "secret");
    EXPECT_EQ(attempt.result, 0);
    EXPECT_EQ(attempt.error, PROXY_ERROR_SOCKS5_AUTH);
}

TEST(ProxySocket, Socks5FailureRepliesGiveTheirErrorNumbers)
{
    struct Case {
        Bytes method_reply;
        Bytes connect_reply;
        int error;
    };
    const Case cases[] = {
        { { 5, 0xFF }, {}, PROXY_ERROR_SOCKS5_VERSION },
        { { 4, 0 }, {}, PROXY_ERROR_SOCKS5_VERSION },
        { { 5, 3 }, {}, PROXY_ERROR_SOCKS5_METHOD },
        { { 5, 2 }, {}, PROXY_ERROR_SOCKS5_NO_AUTH },
        { { 5, 0 }, { 5, 1, 0, 1, 0, 0, 0, 0, 0, 0 }, PROXY_ERROR_REFUSED },
        { { 5, 0 }, { 5, 0, 0, 9, 0, 0, 0, 0, 0, 0 }, PROXY_ERROR_REFUSED },
    };
    for (const Case& c : cases) {
        std::vector<CFakeProxy::Step> script = { { { 5, 1, 0 }, c.method_reply } };
        if (!c.connect_reply.empty())
            script.push_back({ SOCKS5_CONNECT_IPV4, c.connect_reply });
        CFakeProxy proxy(script);
        const Attempt attempt = Connect(proxy, PROXY_SOCKS5, "127.0.0.1");
        EXPECT_EQ(attempt.result, 0);
        EXPECT_EQ(attempt.error, c.error) << int(c.method_reply[1]);
        EXPECT_LT(attempt.elapsed_ms, ENDS_AT_ONCE_MS);
    }
}

TEST(ProxySocket, HttpConnectWithAndWithoutBasicCredentials)
{
    const std::string request = "CONNECT 127.0.0.1:4660 HTTP/1.1\r\nHost: 127.0.0.1:4660\r\n\r\n";
    CFakeProxy proxy({ { ToBytes(request), ToBytes("HTTP/1.1 200 Connection established\r\nVia: x\r\n\r\n") } });
    EXPECT_EQ(Connect(proxy, PROXY_HTTP, "127.0.0.1").result, 1);
    EXPECT_TRUE(proxy.Matched());

    const std::string with_credentials = "CONNECT 127.0.0.1:4660 HTTP/1.1\r\nHost: 127.0.0.1:4660\r\n"
                                         "Authorization: Basic dXNlcjpwYXNz\r\n"
                                         "Proxy-Authorization: Basic dXNlcjpwYXNz\r\n\r\n";
    CFakeProxy authorising({ { ToBytes(with_credentials), ToBytes("HTTP/1.0 200 OK\r\n\r\n") } });
    EXPECT_EQ(Connect(authorising, PROXY_HTTP, "127.0.0.1", "user", "pass").result, 1);
    EXPECT_TRUE(authorising.Matched());
}

TEST(ProxySocket, HttpRefusalsAndMalformedReplies)
{
    const std::string request = "CONNECT 127.0.0.1:4660 HTTP/1.1\r\nHost: 127.0.0.1:4660\r\n\r\n";
    for (const std::string& reply : { std::string("HTTP/1.1 407 Proxy Authentication Required\r\n\r\n"),
                                     std::string("HTTX/1.1 200 OK\r\n\r\n"), std::string("HTTP/1.1\r\n\r\n"),
                                     "HTTP/1.1 200 OK\r\n" + std::string(5000, 'x') }) {
        CFakeProxy proxy({ { ToBytes(request), ToBytes(reply) } });
        const Attempt attempt = Connect(proxy, PROXY_HTTP, "127.0.0.1");
        EXPECT_EQ(attempt.result, 0) << reply.substr(0, 20);
        EXPECT_EQ(attempt.error, PROXY_ERROR_REFUSED);
        EXPECT_LT(attempt.elapsed_ms, ENDS_AT_ONCE_MS);
    }
}

TEST(ProxySocket, OverlongFieldsAreRefusedAndSilentProxiesTimeOut)
{
    CFakeProxy unused({});
    Attempt attempt = Connect(unused, PROXY_SOCKS5, "127.0.0.1", std::string(256, 'u'), "p");
    EXPECT_EQ(attempt.result, 0);
    EXPECT_EQ(attempt.error, PROXY_ERROR_REFUSED);
    attempt = Connect(unused, PROXY_SOCKS5, std::string(300, 'n').c_str());
    EXPECT_EQ(attempt.error, PROXY_ERROR_REFUSED);

    CFakeProxy silent({ { { 5, 1, 0 }, {} } });
    attempt = Connect(silent, PROXY_SOCKS5, "127.0.0.1", "", "", 1);
    EXPECT_EQ(attempt.result, 0);
    EXPECT_GE(attempt.elapsed_ms, 900u);
    EXPECT_LT(attempt.elapsed_ms, ENDS_AT_ONCE_MS) << "the time-out ends the wait";
}

TEST(ProxySocket, TypeZeroConnectsDirectlyAndReportsSuccess)
{
    CFakeProxy target({});
    CProxySocket socket;
    EXPECT_EQ(socket.ConnectViaProxy("127.0.0.1", target.GetPort(), PROXY_NONE, "", 0, "", "", ATTEMPT_TIMEOUT_S), 1);
    const int fd = socket.DetachSocket();
    EXPECT_GE(fd, 0);
    EXPECT_EQ(socket.GetSocket(), -1) << "the descriptor belongs to the caller now";
    close(fd);
}

// Drives a proxy socket's handshake by hand: connected, then replies until done.
bool DriveHandshake(CProxySocketBase& socket)
{
    pollfd connected { socket.GetSocket(), POLLOUT, 0 };
    if (poll(&connected, 1, 10000) <= 0)
        return false;
    socket.OnConnect(0);
    while (socket.GetSocket() >= 0 && !socket.IsReady()) {
        pollfd readable { socket.GetSocket(), POLLIN, 0 };
        if (poll(&readable, 1, 10000) <= 0)
            return false;
        socket.OnReceive();
    }
    return socket.IsReady();
}

TEST(ProxySocket, ConnectByAddressRecordSendsTheAddress)
{
    CFakeProxy proxy({ { { 5, 1, 0 }, { 5, 0 } }, { SOCKS5_CONNECT_IPV4, SOCKS5_OK_IPV4 } });
    CProxySocketBase socket;
    socket.SetResolver(DottedOnly);
    socket.SetProxy(PROXY_SOCKS5, "127.0.0.1", proxy.GetPort());
    sockaddr_in target {};
    ASSERT_TRUE(ParseDottedAddress("127.0.0.1", TARGET_PORT, target));
    ASSERT_TRUE(socket.CreateSocket());
    ASSERT_EQ(socket.ConnectAddr(target), 1);
    EXPECT_EQ(socket.GetMode(), CProxySocketBase::MODE_CONNECTING);
    char byte = 0;
    EXPECT_EQ(socket.Send(&byte, 1), -1) << "no data passes during the handshake";
    ASSERT_TRUE(DriveHandshake(socket));
    EXPECT_TRUE(proxy.Matched());
    EXPECT_EQ(socket.GetMode(), CProxySocketBase::MODE_PLAIN);
}

TEST(ProxySocket, AProxyNobodyListensOnOrAnUnknownDirectTargetIsErrorOne)
{
    const uint16_t closed_port = net::testing::FreeLoopbackPort();
    ASSERT_NE(closed_port, 0);
    CProxySocket through;
    through.SetResolver(DottedOnly);
    const uint32_t start = platform::GetTickCount();
    EXPECT_EQ(through.ConnectViaProxy("127.0.0.1", TARGET_PORT, PROXY_SOCKS5, "127.0.0.1", closed_port, "", "",
                                      ATTEMPT_TIMEOUT_S),
              0);
    EXPECT_EQ(through.GetLastProxyError(), PROXY_ERROR_CONNECT);
    EXPECT_LT(platform::TicksBetween(start, platform::GetTickCount()), ENDS_AT_ONCE_MS);

    CProxySocket direct;
    direct.SetResolver(DottedOnly);
    EXPECT_EQ(direct.ConnectViaProxy("game.server.test", TARGET_PORT, PROXY_NONE, "", 0, "", "", ATTEMPT_TIMEOUT_S), 0);
    EXPECT_EQ(direct.GetLastProxyError(), PROXY_ERROR_CONNECT);
}

} // namespace

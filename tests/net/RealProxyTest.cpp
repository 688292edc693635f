// Through real proxy servers on loopback (microsocks, tinyproxy, dante) to the
// test game server: connect, hand the socket to the socket client, greet and
// exchange a framed request and answer. Each test starts its proxy with a
// temporary configuration and skips when the program is not installed.
#include "CommCollector.h"
#include "ProcessSupport.h"
#include "support/TestGameServer.h"

#include "net/PacketKeys.h"
#include "net/ProxySocket.h"
#include "net/SocketClient.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using namespace net;
using namespace net::testing;

const char GREETING[] = "Hello! Game Channel.";

void ExchangeThrough(int proxy_type, uint16_t proxy_port, const std::string& user = "",
                     const std::string& password = "")
{
    CTestGameServer server;
    server.on_message = [](CTestGameServer& self, const ReceivedMessage& message) {
        self.SendAnswer(message.serial, message.request.id, message.request.Data());
    };
    ASSERT_TRUE(server.Start());
    CProxySocket proxy;
    ASSERT_EQ(proxy.ConnectViaProxy("127.0.0.1", server.GetPort(), proxy_type, "127.0.0.1", proxy_port, user,
                                    password, 10),
              1)
        << "proxy error " << proxy.GetLastProxyError();
    CCommCollector owner;
    CSocketClient client(PACKET_KEY, PACKET_KEY_BITS, 0x100, 0, 1, 4000);
    ASSERT_EQ(client.Attach(proxy.DetachSocket(), owner.GetWindow(), 0, CSocketClient::MODE_SEND_GREETING,
                            reinterpret_cast<const uint8_t*>(GREETING), sizeof GREETING, 2000, "127.0.0.1",
                            server.GetPort()),
              CSocketClient::RESULT_OK);
    ASSERT_TRUE(server.WaitForClient(10000));
    EXPECT_EQ(server.GetGreeting(), std::vector<uint8_t>(GREETING, GREETING + sizeof GREETING));
    const uint8_t data[] = { 'v', 'i', 'a' };
    RequestRecord answer;
    int timed_out = 0;
    ConnRecord conn;
    conn.answer_wanted = 1;
    ASSERT_EQ(client.SendRequest(conn, RequestRecord::Make(201001, data), answer, timed_out, 10000),
              CSocketClient::RESULT_OK);
    EXPECT_EQ(answer.id, 201001u);
    EXPECT_EQ(std::vector<uint8_t>(answer.Data().begin(), answer.Data().end()), std::vector<uint8_t>(data, data + 3));
    client.Close();
}

// A wrong password is refused by the proxy with the given error.
void ExpectRefused(int proxy_type, uint16_t proxy_port, int error)
{
    CProxySocket refused;
    EXPECT_EQ(refused.ConnectViaProxy("127.0.0.1", 9, proxy_type, "127.0.0.1", proxy_port, "gamer", "wrong", 10), 0);
    EXPECT_EQ(refused.GetLastProxyError(), error);
}

TEST(RealProxy, MicrosocksSocks5WithAndWithoutPassword)
{
    if (!ProgramExists("/usr/bin/microsocks"))
        GTEST_SKIP() << "microsocks is not installed";
    CChildProcess open_proxy;
    const uint16_t open_port = StartOnFreePort(open_proxy, [](uint16_t port) {
        return std::vector<std::string> { "/usr/bin/microsocks", "-i", "127.0.0.1", "-p", std::to_string(port) };
    });
    ASSERT_NE(open_port, 0);
    ExchangeThrough(PROXY_SOCKS5, open_port);

    CChildProcess locked_proxy;
    const uint16_t locked_port = StartOnFreePort(locked_proxy, [](uint16_t port) {
        return std::vector<std::string> { "/usr/bin/microsocks", "-i", "127.0.0.1", "-p", std::to_string(port),
                                          "-u", "gamer", "-P", "s3cret" };
    });
    ASSERT_NE(locked_port, 0);
    ExchangeThrough(PROXY_SOCKS5, locked_port, "gamer", "s3cret");

    ExpectRefused(PROXY_SOCKS5, locked_port, PROXY_ERROR_SOCKS5_AUTH);
}

TEST(RealProxy, TinyproxyHttpConnectWithBasicCredentials)
{
    if (!ProgramExists("/usr/bin/tinyproxy"))
        GTEST_SKIP() << "tinyproxy is not installed";
    CTempFolder folder;
    CChildProcess proxy;
    const uint16_t port = StartOnFreePort(proxy, [&folder](uint16_t port) {
        const std::string config = folder.Write("tinyproxy.conf", "User nobody\nGroup nogroup\nPort "
                                                                      + std::to_string(port)
                                                                      + "\nListen 127.0.0.1\nTimeout 30\n"
                                                                        "Allow 127.0.0.1\nMaxClients 8\n"
                                                                        "BasicAuth gamer s3cret\n");
        return std::vector<std::string> { "/usr/bin/tinyproxy", "-d", "-c", config };
    });
    ASSERT_NE(port, 0);
    ExchangeThrough(PROXY_HTTP, port, "gamer", "s3cret");

    ExpectRefused(PROXY_HTTP, port, PROXY_ERROR_REFUSED);
}

TEST(RealProxy, DanteSocks4AndSocks5)
{
    if (!ProgramExists("/usr/sbin/danted"))
        GTEST_SKIP() << "dante-server is not installed";
    if (geteuid() != 0)
        GTEST_SKIP() << "dante needs to start as root";
    CTempFolder folder;
    CChildProcess proxy;
    const uint16_t port = StartOnFreePort(proxy, [&folder](uint16_t port) {
        const std::string config = folder.Write(
            "danted.conf", "logoutput: stderr\ninternal: 127.0.0.1 port = " + std::to_string(port)
                               + "\nexternal: 127.0.0.1\nclientmethod: none\nsocksmethod: none\n"
                                 "user.privileged: root\nuser.unprivileged: nobody\n"
                                 "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
                                 "socks pass { from: 127.0.0.0/8 to: 127.0.0.0/8 protocol: tcp }\n");
        return std::vector<std::string> { "/usr/sbin/danted", "-f", config, "-N", "1", "-p",
                                          folder.Path() + "/danted.pid" };
    });
    ASSERT_NE(port, 0);
    ExchangeThrough(PROXY_SOCKS4, port);
    ExchangeThrough(PROXY_SOCKS5, port);
}

} // namespace

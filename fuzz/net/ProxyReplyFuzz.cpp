// Arbitrary proxy replies for every proxy type: a loopback listener plays the
// proxy, takes the connection, writes the fuzz bytes as its whole reply and
// closes; the proxy socket must end in success or a clean error, when
// connecting and when listening through the proxy.
#include "net/ProxySocketBase.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

namespace {

int Listener(uint16_t& port)
{
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener, 16);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return listener;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static uint16_t s_port = 0;
    static const int s_listener = Listener(s_port);
    if (size < 1 || size > 8192)
        return 0;
    const int type = 1 + data[0] % 4;
    const bool credentials = data[0] & 0x10;
    const bool by_name = data[0] & 0x20;
    const bool listening = data[0] & 0x40;
    ++data;
    --size;

    net::CProxySocketBase socket;
    socket.SetResolver([](const char* host, uint16_t port, sockaddr_in& address) {
        address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        return inet_pton(AF_INET, host, &address.sin_addr) == 1;
    });
    if (credentials)
        socket.SetProxy(type, "127.0.0.1", s_port, "user", "password");
    else
        socket.SetProxy(type, "127.0.0.1", s_port);
    sockaddr_in expected_peer {};
    expected_peer.sin_family = AF_INET;
    expected_peer.sin_port = htons(4660);
    expected_peer.sin_addr.s_addr = by_name ? 0 : htonl(INADDR_LOOPBACK);
    if (!socket.CreateSocket())
        return 0;
    if (!(listening ? socket.ListenViaProxy(expected_peer)
                    : socket.ConnectHost(by_name ? "game.server.test" : "127.0.0.1", 4660)))
        return 0;
    const int peer = accept(s_listener, nullptr, nullptr);
    if (peer < 0)
        return 0;
    pollfd connected { socket.GetSocket(), POLLOUT, 0 };
    poll(&connected, 1, 1000);
    socket.OnConnect(0);
    if (size > 0)
        (void)!write(peer, data, size);
    shutdown(peer, SHUT_WR);
    while (socket.GetSocket() >= 0 && !socket.IsReady()) {
        pollfd readable { socket.GetSocket(), POLLIN, 0 };
        if (poll(&readable, 1, 1000) <= 0)
            break;
        socket.OnReceive();
    }
    close(peer);
    return 0;
}

#include "net/ProxySocket.h"

#include "platform/Message.h"
#include "platform/Tick.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace net {

namespace {

constexpr int PUMP_SLICE_MS = 20;

} // namespace

int CProxySocket::ConnectViaProxy(const char* host, uint16_t port, int proxy_type, const std::string& proxy_host,
                                  uint16_t proxy_port, const std::string& user, const std::string& password,
                                  uint32_t timeout_s)
{
    switch (proxy_type) {
    case PROXY_NONE:
        SetProxy(PROXY_NONE);
        break;
    case PROXY_SOCKS4:
    case PROXY_SOCKS4A:
        SetProxy(proxy_type, proxy_host, proxy_port);
        break;
    case PROXY_SOCKS5:
    case PROXY_HTTP:
        if (user.empty())
            SetProxy(proxy_type, proxy_host, proxy_port);
        else
            SetProxy(proxy_type, proxy_host, proxy_port, user, password);
        break;
    default:
        return 0;
    }
    m_connected = false;
    if (!CreateSocket() || !ConnectHost(host, port)) {
        Close();
        return 0;
    }
    bool tcp_connected = false;
    const uint32_t start = platform::GetTickCount();
    while (!platform::HasElapsed(start, platform::GetTickCount(), timeout_s * 1000)) {
        if (m_connected)
            return 1;
        if (GetSocket() < 0)
            return 0; // the handshake failed and closed the socket
        pollfd fd { GetSocket(), short(tcp_connected ? POLLIN : POLLOUT), 0 };
        const int ready = poll(&fd, 1, PUMP_SLICE_MS);
        if (ready > 0 && !tcp_connected) {
            int error = 0;
            socklen_t length = sizeof error;
            if (getsockopt(GetSocket(), SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
            tcp_connected = true;
            OnConnect(error);
        } else if (ready > 0) {
            OnReceive();
        }
        if (m_connected)
            return 1;
        if (!platform::PumpWaitingMessages()) {
            Close();
            return 0;
        }
    }
    Close();
    return 0;
}

} // namespace net

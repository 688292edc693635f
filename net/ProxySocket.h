// CProxySocket: the blocking connect through a proxy that the game-server
// connection uses: it connects, runs the handshake and waits, pumping the
// calling thread's messages so its windows stay responsive, up to the
// time-out. On success the connected descriptor is handed over with
// DetachSocket (to CSocketClient::Attach), so it is never closed twice.
// Owner: the connecting code, on the stack. Threads: the calling thread only.
#pragma once

#include "net/ProxySocketBase.h"

#include <string>

namespace net {

class CProxySocket : public CProxySocketBase {
public:
    static constexpr uint32_t DEFAULT_TIMEOUT_S = 10;

    /// Type 0 connects directly. Types 1 and 2 use no credentials; types 3
    /// and 4 use them when a user name is given. 1 when the target is
    /// reachable within the time-out (the handshake completed), else 0.
    [[nodiscard]] int ConnectViaProxy(const char* host, uint16_t port, int proxy_type, const std::string& proxy_host,
                                      uint16_t proxy_port, const std::string& user, const std::string& password,
                                      uint32_t timeout_s = DEFAULT_TIMEOUT_S);

protected:
    void OnHandshakeDone() override { m_connected = true; }

private:
    bool m_connected { false };
};

} // namespace net

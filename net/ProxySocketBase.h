// CProxySocketBase: a non-blocking TCP socket that reaches its target either
// directly or through a proxy (SOCKS4, SOCKS4A, SOCKS5, HTTP CONNECT). When
// the connection to the proxy is made (OnConnect) it sends the handshake; it
// then reads the proxy's replies (OnReceive) before any data may pass.
//
// Handshakes (numbers in network byte order):
//   SOCKS4/4A: 04 01 port addr 00 (9 bytes); with the name left to the proxy
//              the address is 0.0.0.1 and the name and a zero follow.
//              Reply: 8 bytes, byte 0 = 0, byte 1 = 0x5A.
//   SOCKS5:    05 01 00, or 05 02 00 02 with credentials; reply 05 method.
//              Method 2: 01 ulen user plen password; reply byte 1 = 0.
//              Connect: 05 01 00 then 01 addr or 03 len name, then port.
//              Reply: 05 00 00 atyp ..., 10 bytes for IPv4, 7 + length for a
//              name, 22 for IPv6.
//   Listening through the proxy (SOCKS BIND): the same requests with command
//   2 and the address of the peer expected to connect; the proxy answers
//   twice: once with the address and port it listens on, once when the peer
//   has connected (HTTP CONNECT cannot listen).
//   HTTP:      "CONNECT host:port HTTP/1.1\r\nHost: host:port\r\n" (+ the two
//              Basic authorisation lines) "\r\n"; the reply must begin
//              "HTTP/", carry a 2xx status and end in an empty line.
//
// Owner: the caller; the object owns its descriptor until DetachSocket.
// Threads: one thread drives it (the events are called by its driver).
// Hazards: fields longer than 255 bytes and replies longer than
// MAX_HTTP_REPLY are refused (error 2). Send and Receive refuse with EWOULDBLOCK
// while a handshake is in progress.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace net {

inline constexpr int PROXY_NONE = 0;
inline constexpr int PROXY_SOCKS4 = 1;
inline constexpr int PROXY_SOCKS4A = 2;
inline constexpr int PROXY_SOCKS5 = 3;
inline constexpr int PROXY_HTTP = 4;

inline constexpr int PROXY_ERROR_NONE = 0;             ///< none
inline constexpr int PROXY_ERROR_CONNECT = 1;          ///< the connection to the proxy could not be started
inline constexpr int PROXY_ERROR_REFUSED = 2;          ///< send failed, proxy refused, or malformed reply
inline constexpr int PROXY_ERROR_SOCKS5_VERSION = 3;   ///< SOCKS5: bad version or no acceptable method
inline constexpr int PROXY_ERROR_SOCKS5_METHOD = 4;    ///< SOCKS5: a method other than 0 and 2
inline constexpr int PROXY_ERROR_SOCKS5_AUTH = 5;      ///< SOCKS5: user name and password refused
inline constexpr int PROXY_ERROR_SOCKS5_NO_AUTH = 6;   ///< SOCKS5: credentials wanted but none set
inline constexpr int PROXY_ERROR_SOCKS4_NAME = 7;      ///< SOCKS4: the target name cannot be resolved locally

class CProxySocketBase {
public:
    static constexpr size_t MAX_FIELD_LENGTH = 255;
    static constexpr size_t MAX_HTTP_REPLY = 4096;
    static constexpr int MODE_PLAIN = 0;
    static constexpr int MODE_CONNECTING = 1;
    static constexpr int MODE_LISTENING = 2; ///< listening through the proxy (SOCKS BIND)
    static constexpr int LISTEN_BACKLOG = 5;

    using Resolver = std::function<bool(const char* host, uint16_t port, sockaddr_in& address)>;

    CProxySocketBase();
    virtual ~CProxySocketBase();
    CProxySocketBase(const CProxySocketBase&) = delete;
    CProxySocketBase& operator=(const CProxySocketBase&) = delete;

    void SetProxy(int type);
    void SetProxy(int type, const std::string& host, uint16_t port);
    void SetProxy(int type, const std::string& host, uint16_t port, const std::string& user,
                  const std::string& password);
    /// Replaces the local name look-up (tests keep every look-up on this machine).
    void SetResolver(Resolver resolver) { m_resolver = std::move(resolver); }

    /// Makes a non-blocking stream socket. False when it cannot.
    [[nodiscard]] bool CreateSocket();
    /// Starts connecting to the target, through the proxy when one is set.
    /// 1 when started; 0 with the last proxy error set (errno EINVAL for error 7).
    [[nodiscard]] int ConnectHost(const char* host, uint16_t port);
    [[nodiscard]] int ConnectAddr(const sockaddr_in& address);

    /// Asks the proxy (SOCKS4, SOCKS4A or SOCKS5) to listen for one connection
    /// from `expected_peer` (address 0: from anyone the proxy allows).
    /// OnProxyBound then tells where the proxy listens, and OnAccept that the
    /// peer came; data then flows on this socket. 1 when started; 0 with the
    /// last proxy error set (error 1 also without a SOCKS proxy).
    [[nodiscard]] int ListenViaProxy(const sockaddr_in& expected_peer);
    /// Listens on this socket itself (any local address, `port` 0 = any free
    /// one), backlog LISTEN_BACKLOG. False when it cannot.
    [[nodiscard]] bool Listen(uint16_t port);
    /// Takes the accepted connection into `target`: through a proxy, this
    /// socket's own descriptor once the peer came (this socket then has none);
    /// without one, a plain accept. False when there is nothing to take.
    [[nodiscard]] bool AcceptFromProxy(CProxySocketBase& target);

    /// The TCP connection (to the proxy or the target) completed with `error` (0 = fine).
    void OnConnect(int error);
    /// Bytes are readable.
    void OnReceive();

    /// Data calls; -1 with errno EWOULDBLOCK while a handshake runs.
    ssize_t Send(const void* bytes, size_t length);
    ssize_t Receive(void* bytes, size_t length);

    /// Clears the handshake state and closes the socket.
    void Close();
    /// Gives up the descriptor (the caller now owns it); -1 when none.
    [[nodiscard]] int DetachSocket();

    [[nodiscard]] int GetSocket() const { return m_socket; }
    [[nodiscard]] int GetMode() const { return m_mode; }
    [[nodiscard]] int GetLastProxyError() const { return m_last_error; }
    /// True once the TCP connection is made and any handshake has completed.
    [[nodiscard]] bool IsReady() const { return m_ready; }

protected:
    /// A handshake failed; the socket is already closed.
    virtual void OnProxyError(int mode);
    /// The proxy agreed (or the direct connection is made): data may flow.
    virtual void OnHandshakeDone();
    /// Listening through the proxy: where it listens (address in network
    /// order, port in host order), for the expected peer to be told.
    virtual void OnProxyBound(uint32_t address, uint16_t port);
    /// Listening through the proxy: the peer has connected (AcceptFromProxy).
    virtual void OnAccept();

private:
    /// Common start of ConnectHost and ConnectAddr. `name` is the target as the
    /// caller named it; the proxy resolves it when the address is 0.
    int Start(const sockaddr_in& target, const std::string& name);
    bool StartConnect(const sockaddr_in& address);
    int StartProxyConnect();
    bool SendRequest(const std::vector<uint8_t>& request);
    void Fail(int error);
    void Done();
    /// Collects reply bytes until `total` are there; false while more are due.
    bool Collect(size_t total);
    void SendSocks5Connect();
    void HandleSocks5Reply();
    /// 1 when a whole, agreeing SOCKS5 reply is collected, 0 while more is due,
    /// -1 when it failed (already reported).
    int CollectSocks5Reply();
    /// Listening: the proxy's first reply named its address (0: its own).
    void Bound(uint32_t address, uint16_t port);
    /// Listening: the peer came.
    void Accepted();
    void HandleHttpByte();

    int m_socket { -1 };
    std::string m_target_name;  ///< the target as named by the caller (empty for ConnectAddr)
    uint32_t m_target_address { 0 }; ///< network order; 0 when the proxy resolves
    uint16_t m_target_port { 0 };    ///< host order
    std::vector<uint8_t> m_reply;
    std::string m_http_reply;
    int m_step { 0 };
    int m_mode { MODE_PLAIN };
    int m_last_error { PROXY_ERROR_NONE };
    bool m_ready { false };

    int m_proxy_type { PROXY_NONE };
    std::string m_proxy_host;
    uint16_t m_proxy_port { 0 };
    std::string m_user;
    std::string m_password;
    bool m_authenticate { false };
    Resolver m_resolver;
};

} // namespace net

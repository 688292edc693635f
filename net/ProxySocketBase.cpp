#include "net/ProxySocketBase.h"

#include "net/Base64.h"
#include "net/SocketAddress.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace net {

namespace {

constexpr uint32_t REQUEST_SEND_WAIT_MS = 1000;

void PutPort(std::vector<uint8_t>& bytes, uint16_t port)
{
    bytes.push_back(uint8_t(port >> 8));
    bytes.push_back(uint8_t(port));
}

void PutText(std::vector<uint8_t>& bytes, const std::string& text) { bytes.insert(bytes.end(), text.begin(), text.end()); }

} // namespace

CProxySocketBase::CProxySocketBase() : m_resolver(ResolveAddress) {}

CProxySocketBase::~CProxySocketBase() { Close(); }

void CProxySocketBase::SetProxy(int type)
{
    m_proxy_type = type;
    m_authenticate = false;
}

void CProxySocketBase::SetProxy(int type, const std::string& host, uint16_t port)
{
    SetProxy(type);
    m_proxy_host = host;
    m_proxy_port = port;
}

void CProxySocketBase::SetProxy(int type, const std::string& host, uint16_t port, const std::string& user,
                                const std::string& password)
{
    SetProxy(type, host, port);
    m_user = user;
    m_password = password;
    m_authenticate = true;
}

bool CProxySocketBase::CreateSocket()
{
    Close();
    m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
    return m_socket >= 0;
}

bool CProxySocketBase::StartConnect(const sockaddr_in& address)
{
    if (m_socket < 0 && !CreateSocket())
        return false;
    if (connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return true;
    return errno == EINPROGRESS || errno == EWOULDBLOCK;
}

int CProxySocketBase::ConnectHost(const char* host, uint16_t port)
{
    sockaddr_in target {};
    if (!host || !m_resolver(host, port, target)) {
        // The proxy is to resolve the name: the address stays 0. SOCKS4 carries
        // only an address, and without a proxy nothing can be reached.
        target = {};
        target.sin_family = AF_INET;
        target.sin_port = htons(port);
        if (m_proxy_type == PROXY_SOCKS4 || m_proxy_type == PROXY_NONE) {
            m_last_error = m_proxy_type == PROXY_SOCKS4 ? PROXY_ERROR_SOCKS4_NAME : PROXY_ERROR_CONNECT;
            m_ready = false;
            errno = EINVAL;
            return 0;
        }
    }
    return Start(target, host ? host : "");
}

int CProxySocketBase::ConnectAddr(const sockaddr_in& address) { return Start(address, ""); }

int CProxySocketBase::Start(const sockaddr_in& target, const std::string& name)
{
    m_last_error = PROXY_ERROR_NONE;
    m_ready = false;
    m_target_name = name;
    m_target_address = target.sin_addr.s_addr;
    m_target_port = ntohs(target.sin_port);
    if (m_proxy_type != PROXY_NONE)
        return StartProxyConnect();
    if (!StartConnect(target)) {
        m_last_error = PROXY_ERROR_CONNECT;
        return 0;
    }
    m_mode = MODE_PLAIN;
    return 1;
}

int CProxySocketBase::StartProxyConnect()
{
    if (m_target_name.size() > MAX_FIELD_LENGTH
        || (m_authenticate && (m_user.size() > MAX_FIELD_LENGTH || m_password.size() > MAX_FIELD_LENGTH))) {
        m_last_error = PROXY_ERROR_REFUSED;
        return 0;
    }
    sockaddr_in proxy {};
    if (!m_resolver(m_proxy_host.c_str(), m_proxy_port, proxy) || !StartConnect(proxy)) {
        m_last_error = PROXY_ERROR_CONNECT;
        return 0;
    }
    m_mode = MODE_CONNECTING;
    m_step = 0;
    m_reply.clear();
    m_http_reply.clear();
    return 1;
}

void CProxySocketBase::OnConnect(int error)
{
    if (error != 0) {
        Fail(PROXY_ERROR_CONNECT);
        return;
    }
    if (m_mode == MODE_PLAIN) {
        Done();
        return;
    }
    if (m_step != 0)
        return;
    std::vector<uint8_t> request;
    switch (m_proxy_type) {
    case PROXY_SOCKS4:
    case PROXY_SOCKS4A: {
        request = { 4, uint8_t(m_mode == MODE_LISTENING ? 2 : 1) };
        PutPort(request, m_target_port);
        if (m_target_address != 0 || m_mode == MODE_LISTENING) {
            const auto* address = reinterpret_cast<const uint8_t*>(&m_target_address);
            request.insert(request.end(), address, address + 4);
            request.push_back(0);
        } else {
            request.insert(request.end(), { 0, 0, 0, 1, 0 });
            PutText(request, m_target_name);
            request.push_back(0);
        }
        break;
    }
    case PROXY_SOCKS5:
        request = m_authenticate ? std::vector<uint8_t> { 5, 2, 0, 2 } : std::vector<uint8_t> { 5, 1, 0 };
        break;
    case PROXY_HTTP: {
        std::string target = m_target_name;
        if (target.empty()) {
            char dotted[INET_ADDRSTRLEN] {};
            inet_ntop(AF_INET, &m_target_address, dotted, sizeof dotted);
            target = dotted;
        }
        const std::string host_port = target + ":" + std::to_string(m_target_port);
        std::string text = "CONNECT " + host_port + " HTTP/1.1\r\nHost: " + host_port + "\r\n";
        if (m_authenticate) {
            const std::string credentials = CBase64::Encode(m_user + ":" + m_password);
            text += "Authorization: Basic " + credentials + "\r\n";
            text += "Proxy-Authorization: Basic " + credentials + "\r\n";
        }
        text += "\r\n";
        PutText(request, text);
        break;
    }
    default:
        Fail(PROXY_ERROR_REFUSED);
        return;
    }
    if (!SendRequest(request))
        return;
    m_step = 1;
}

bool CProxySocketBase::SendRequest(const std::vector<uint8_t>& request)
{
    if (SendWithWait(m_socket, request, REQUEST_SEND_WAIT_MS) == request.size())
        return true;
    Fail(PROXY_ERROR_REFUSED);
    return false;
}

bool CProxySocketBase::Collect(size_t total)
{
    while (m_reply.size() < total) {
        uint8_t buffer[64];
        const size_t want = std::min(sizeof buffer, total - m_reply.size());
        const ssize_t n = recv(m_socket, buffer, want, 0);
        if (n > 0) {
            m_reply.insert(m_reply.end(), buffer, buffer + n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return false;
        Fail(PROXY_ERROR_REFUSED); // the proxy closed or the socket failed mid-reply
        return false;
    }
    return true;
}

void CProxySocketBase::OnReceive()
{
    if (m_mode == MODE_PLAIN || m_socket < 0)
        return;
    if (m_step < 1) {
        Fail(PROXY_ERROR_REFUSED);
        return;
    }
    switch (m_proxy_type) {
    case PROXY_SOCKS4:
    case PROXY_SOCKS4A:
        if (!Collect(8))
            return;
        if (m_reply[0] != 0 || m_reply[1] != 0x5A) {
            Fail(PROXY_ERROR_REFUSED);
        } else if (m_mode != MODE_LISTENING) {
            Done();
        } else if (m_step == 1) {
            uint32_t address = 0;
            std::memcpy(&address, m_reply.data() + 4, 4);
            Bound(address, uint16_t((m_reply[2] << 8) | m_reply[3]));
        } else {
            Accepted();
        }
        return;
    case PROXY_SOCKS5:
        HandleSocks5Reply();
        return;
    case PROXY_HTTP:
        HandleHttpByte();
        return;
    default:
        Fail(PROXY_ERROR_REFUSED);
    }
}

void CProxySocketBase::SendSocks5Connect()
{
    std::vector<uint8_t> request = { 5, uint8_t(m_mode == MODE_LISTENING ? 2 : 1), 0 };
    if (m_target_address != 0 || m_mode == MODE_LISTENING) {
        request.push_back(1);
        const auto* address = reinterpret_cast<const uint8_t*>(&m_target_address);
        request.insert(request.end(), address, address + 4);
    } else {
        request.push_back(3);
        request.push_back(uint8_t(m_target_name.size()));
        PutText(request, m_target_name);
    }
    PutPort(request, m_target_port);
    m_reply.clear();
    if (SendRequest(request))
        m_step = 3;
}

void CProxySocketBase::HandleSocks5Reply()
{
    if (m_step == 1) {
        if (!Collect(2))
            return;
        if (m_reply[0] != 5 || m_reply[1] == 0xFF) {
            Fail(PROXY_ERROR_SOCKS5_VERSION);
            return;
        }
        if (m_reply[1] == 0) {
            SendSocks5Connect();
            return;
        }
        if (m_reply[1] != 2) {
            Fail(PROXY_ERROR_SOCKS5_METHOD);
            return;
        }
        if (!m_authenticate) {
            Fail(PROXY_ERROR_SOCKS5_NO_AUTH);
            return;
        }
        std::vector<uint8_t> request = { 1, uint8_t(m_user.size()) };
        PutText(request, m_user);
        request.push_back(uint8_t(m_password.size()));
        PutText(request, m_password);
        m_reply.clear();
        if (SendRequest(request))
            m_step = 2;
        return;
    }
    if (m_step == 2) {
        if (!Collect(2))
            return;
        if (m_reply[1] != 0) {
            Fail(PROXY_ERROR_SOCKS5_AUTH);
            return;
        }
        SendSocks5Connect();
        return;
    }
    if (m_step != 3 && m_step != 4) {
        Fail(PROXY_ERROR_REFUSED);
        return;
    }
    if (CollectSocks5Reply() != 1)
        return;
    if (m_mode != MODE_LISTENING) {
        Done();
    } else if (m_step == 3) {
        uint32_t address = 0;
        if (m_reply[3] == 1)
            std::memcpy(&address, m_reply.data() + 4, 4);
        const size_t port_at = m_reply.size() - 2;
        Bound(address, uint16_t((m_reply[port_at] << 8) | m_reply[port_at + 1]));
    } else {
        Accepted();
    }
}

int CProxySocketBase::CollectSocks5Reply()
{
    if (m_reply.size() < 5) {
        if (!Collect(5))
            return m_socket < 0 ? -1 : 0;
        if (m_reply[0] != 5 || m_reply[1] != 0) {
            Fail(PROXY_ERROR_REFUSED);
            return -1;
        }
    }
    size_t total = 0;
    switch (m_reply[3]) {
    case 1:
        total = 10;
        break;
    case 3:
        total = 7 + size_t(m_reply[4]);
        break;
    case 4:
        total = 22;
        break;
    default:
        Fail(PROXY_ERROR_REFUSED);
        return -1;
    }
    if (!Collect(total))
        return m_socket < 0 ? -1 : 0;
    return 1;
}

void CProxySocketBase::Bound(uint32_t address, uint16_t port)
{
    if (address == 0) {
        // The proxy listens on its own address.
        sockaddr_in proxy {};
        socklen_t length = sizeof proxy;
        if (getpeername(m_socket, reinterpret_cast<sockaddr*>(&proxy), &length) == 0)
            address = proxy.sin_addr.s_addr;
    }
    m_reply.clear();
    ++m_step;
    OnProxyBound(address, port);
}

void CProxySocketBase::Accepted()
{
    m_reply.clear();
    m_mode = MODE_PLAIN;
    m_step = 0;
    m_ready = true;
    OnAccept();
}

int CProxySocketBase::ListenViaProxy(const sockaddr_in& expected_peer)
{
    m_last_error = PROXY_ERROR_NONE;
    m_ready = false;
    if (m_proxy_type != PROXY_SOCKS4 && m_proxy_type != PROXY_SOCKS4A && m_proxy_type != PROXY_SOCKS5) {
        m_last_error = PROXY_ERROR_CONNECT;
        errno = EINVAL;
        return 0;
    }
    m_target_name.clear();
    m_target_address = expected_peer.sin_addr.s_addr;
    m_target_port = ntohs(expected_peer.sin_port);
    if (!StartProxyConnect())
        return 0;
    m_mode = MODE_LISTENING;
    return 1;
}

bool CProxySocketBase::Listen(uint16_t port)
{
    if (m_socket < 0 && !CreateSocket())
        return false;
    const int on = 1;
    setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(port);
    return bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0
        && listen(m_socket, LISTEN_BACKLOG) == 0;
}

bool CProxySocketBase::AcceptFromProxy(CProxySocketBase& target)
{
    if (&target == this || m_socket < 0)
        return false;
    int socket = -1;
    if (m_proxy_type != PROXY_NONE) {
        // Through a proxy the peer's connection is this very socket.
        if (!m_ready || m_mode != MODE_PLAIN)
            return false;
        socket = DetachSocket();
        m_ready = false;
    } else {
        socket = accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (socket < 0)
            return false;
    }
    target.Close();
    target.m_socket = socket;
    target.m_ready = true;
    return true;
}

void CProxySocketBase::HandleHttpByte()
{
    static constexpr char PREFIX[] = "HTTP/";
    for (;;) {
        char c;
        const ssize_t n = recv(m_socket, &c, 1, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0) {
            Fail(PROXY_ERROR_REFUSED);
            return;
        }
        m_http_reply += c;
        const size_t size = m_http_reply.size();
        if (size > MAX_HTTP_REPLY || (size <= 5 && m_http_reply[size - 1] != PREFIX[size - 1])) {
            Fail(PROXY_ERROR_REFUSED);
            return;
        }
        const size_t line_end = m_http_reply.find("\r\n");
        if (line_end != std::string::npos && line_end + 2 == size) {
            // The status line is complete: the code after the first blank must be 2xx.
            const size_t blank = m_http_reply.find(' ');
            if (blank == std::string::npos || blank + 1 >= line_end || m_http_reply[blank + 1] != '2') {
                Fail(PROXY_ERROR_REFUSED);
                return;
            }
        }
        if (size >= 4 && m_http_reply.compare(size - 4, 4, "\r\n\r\n") == 0) {
            Done();
            return;
        }
    }
}

ssize_t CProxySocketBase::Send(const void* bytes, size_t length)
{
    if (m_mode != MODE_PLAIN) {
        errno = EWOULDBLOCK;
        return -1;
    }
    return send(m_socket, bytes, length, MSG_NOSIGNAL);
}

ssize_t CProxySocketBase::Receive(void* bytes, size_t length)
{
    if (m_mode != MODE_PLAIN) {
        errno = EWOULDBLOCK;
        return -1;
    }
    return recv(m_socket, bytes, length, 0);
}

void CProxySocketBase::Fail(int error)
{
    m_last_error = error;
    const int mode = m_mode;
    Close();
    OnProxyError(mode);
}

void CProxySocketBase::Done()
{
    m_reply.clear();
    m_http_reply.clear();
    m_mode = MODE_PLAIN;
    m_step = 0;
    m_ready = true;
    OnHandshakeDone();
}

void CProxySocketBase::Close()
{
    m_reply.clear();
    m_http_reply.clear();
    m_mode = MODE_PLAIN;
    m_step = 0;
    m_ready = false;
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
}

int CProxySocketBase::DetachSocket()
{
    const int socket = m_socket;
    m_socket = -1;
    return socket;
}

void CProxySocketBase::OnProxyError(int) {}

void CProxySocketBase::OnHandshakeDone() {}

void CProxySocketBase::OnProxyBound(uint32_t, uint16_t) {}

void CProxySocketBase::OnAccept() {}

} // namespace net

#include "net/SocketAddress.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace net {

bool ParseDottedAddress(const char* host, uint16_t port, sockaddr_in& address)
{
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    return host && inet_pton(AF_INET, host, &address.sin_addr) == 1;
}

bool ResolveAddress(const char* host, uint16_t port, sockaddr_in& address)
{
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (!host || !*host) {
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        return true;
    }
    if (ParseDottedAddress(host, port, address))
        return true;
    addrinfo hints {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &result) != 0 || !result) {
        errno = EINVAL;
        return false;
    }
    address.sin_addr = reinterpret_cast<const sockaddr_in*>(result->ai_addr)->sin_addr;
    freeaddrinfo(result);
    return true;
}

bool SetNonBlocking(int socket)
{
    const int flags = fcntl(socket, F_GETFL, 0);
    return flags >= 0 && fcntl(socket, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool ConnectWithTimeout(int socket, const sockaddr_in& address, uint32_t timeout_ms, int cancel_fd)
{
    if (!SetNonBlocking(socket))
        return false;
    if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return true;
    if (errno != EINPROGRESS)
        return false;
    pollfd fds[2] = { { socket, POLLOUT, 0 }, { cancel_fd, POLLIN, 0 } };
    int ready;
    do
        ready = poll(fds, cancel_fd >= 0 ? 2 : 1, int(timeout_ms));
    while (ready < 0 && errno == EINTR);
    if (ready <= 0 || !(fds[0].revents & (POLLOUT | POLLERR | POLLHUP)))
        return false;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        errno = error;
        return false;
    }
    return true;
}

size_t SendWithWait(int socket, std::span<const uint8_t> bytes, uint32_t wait_ms, int cancel_fd)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd fds[2] = { { socket, POLLOUT, 0 }, { cancel_fd, POLLIN, 0 } };
            const int ready = poll(fds, cancel_fd >= 0 ? 2 : 1, int(wait_ms));
            if (ready > 0 && (fds[0].revents & POLLOUT) && !fds[1].revents)
                continue;
        }
        break;
    }
    return sent;
}

} // namespace net

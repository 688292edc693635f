// Address resolution and small POSIX socket helpers shared by the socket
// client and the proxy socket. IPv4 only, as the game server protocol is.
// Owner: none (free functions). Any thread; name look-ups block.
#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <span>

namespace net {

/// Fills `address` for host:port. An empty or null host gives INADDR_ANY; a
/// dotted address is taken as it is; otherwise the first IPv4 address of a
/// name look-up. False (errno EINVAL) when the name cannot be resolved.
[[nodiscard]] bool ResolveAddress(const char* host, uint16_t port, sockaddr_in& address);

/// A dotted address only (no look-up). False when `host` is not one.
[[nodiscard]] bool ParseDottedAddress(const char* host, uint16_t port, sockaddr_in& address);

/// Switches the descriptor to non-blocking mode.
bool SetNonBlocking(int socket);

/// Non-blocking connect to `address`, waiting up to timeout_ms for it to
/// complete. `cancel_fd` (or -1) ends the wait early when readable.
[[nodiscard]] bool ConnectWithTimeout(int socket, const sockaddr_in& address, uint32_t timeout_ms, int cancel_fd = -1);

/// Sends every byte on a non-blocking socket. When the socket is full it waits
/// up to wait_ms for room (a readable `cancel_fd` ends the wait); an error or a
/// wait without room stops it. Gives the count sent: callers compare it with
/// what they meant to send.
[[nodiscard]] size_t SendWithWait(int socket, std::span<const uint8_t> bytes, uint32_t wait_ms, int cancel_fd = -1);

} // namespace net

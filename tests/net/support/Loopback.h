// Loopback sockets for the network tests: a listener on a port the system
// chooses, and a port that nobody listens on.
// Owner: the caller owns the descriptors it is given. Any thread.
// Hazards: 127.0.0.1 only, never any other address.
#pragma once

#include <cstdint>

namespace net::testing {

/// A listening socket on 127.0.0.1 at a free port (written to `port`), or -1.
[[nodiscard]] int ListenOnLoopback(uint16_t& port, int backlog = 4);

/// A loopback port nobody listens on right now (0 when none could be found).
[[nodiscard]] uint16_t FreeLoopbackPort();

} // namespace net::testing

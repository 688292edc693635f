#include "Loopback.h"

#include "net/ServerChannel.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace net::testing {

int ListenOnLoopback(uint16_t& port, int backlog)
{
    return net::ListenOnLoopback(0, port, backlog);
}

uint16_t FreeLoopbackPort()
{
    uint16_t port = 0;
    const int listener = ListenOnLoopback(port);
    if (listener >= 0)
        ::close(listener);
    return port;
}

} // namespace net::testing

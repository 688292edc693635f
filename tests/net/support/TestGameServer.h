// The game-server peer of the network tests: the library's server channel
// on a loopback port (net/ServerChannel.h), under the tests' names.
#pragma once

#include "net/ServerChannel.h"

namespace net::testing {

using CTestGameServer = net::CServerChannel;
using ReceivedMessage = net::ServerMessage;

} // namespace net::testing

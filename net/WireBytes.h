// Little-endian field access for wire and file records of the network library:
// the platform's byte-order helpers under the names this library uses.
#pragma once

#include "platform/ByteOrder.h"

namespace net {

using platform::LoadU32LE;
using platform::StoreU32LE;

} // namespace net

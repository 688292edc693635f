// Feeds arbitrary bytes to the reader of remote-window packets (what another
// program sends to one of our endpoints) and checks what it accepts.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/RemoteWindow.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto packet = platform::ParseRemotePacket(std::span<const uint8_t>(data, size));
    if (!packet)
        return 0;
    if (packet->data.size() > platform::REMOTE_MAX_DATA_BYTES || size != platform::REMOTE_HEADER_BYTES + packet->data.size())
        __builtin_trap();
    if (packet->kind == platform::RemotePacketKind::Posted && (!packet->data.empty() || packet->message_id == platform::WM_COPYDATA))
        __builtin_trap();
    if (platform::EncodeRemotePacket(*packet).size() != size)
        __builtin_trap();
    return 0;
}

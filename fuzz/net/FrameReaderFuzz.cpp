// Feeds arbitrary bytes, in arbitrary read sizes, to the frame reader of one
// peer: length checks, CRC, header checks, message and answer assembly and
// the decoding of joined messages.
#include "net/FrameAssembler.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const uint8_t key[16] = { 7 };
    if (size < 2)
        return 0;
    const size_t chunk = size_t(data[0]) * 16 + 1;
    const uint32_t expected_serial = data[1] % 4;
    data += 2;
    size -= 2;
    net::CPeerRecord peer;
    if (expected_serial)
        peer.ExpectAnswer(expected_serial);
    net::CFrameAssembler::Context context;
    context.codec = { key, 128, 0x100, 0x400 };
    context.part_limit = 200;
    size_t posted = 0;
    const net::CFrameAssembler::PostFunction post = [&posted](std::unique_ptr<net::CommMessage>) { ++posted; };
    for (size_t offset = 0; offset < size; offset += chunk) {
        const size_t n = size - offset < chunk ? size - offset : chunk;
        peer.m_receive_buffer.Append(data + offset, n);
        (void)net::CFrameAssembler::ProcessReceiveBuffer(peer, context, post);
        // The buffer never holds more than one frame's worth and a read.
        if (peer.m_receive_buffer.GetSize() > 200 + 60 + chunk)
            __builtin_trap();
    }
    net::RequestRecord answer;
    (void)peer.TakeAnswer(expected_serial, answer);
    return 0;
}

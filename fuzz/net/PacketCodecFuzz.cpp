// Feeds arbitrary bytes to the decoding side of the packet codec: the cipher
// layer, the zlib layer and both together, as a received message would pass.
#include "net/PacketCodec.h"
#include "net/PacketCrypt.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const uint8_t key[16] = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 };
    if (size == 0)
        return 0;
    const uint8_t selector = data[0];
    ++data;
    --size;
    net::CByteBuffer buffer;
    buffer.Append(data, size);
    const net::CPacketCodec codec(key, 128, net::CODEC_CIPHER_AES, net::CODEC_COMPRESS_ZLIB);
    switch (selector % 3) {
    case 0:
        (void)codec.Transform(buffer, net::CPacketCodec::MODE_DECODE);
        break;
    case 1:
        (void)codec.Compress(buffer, net::CODEC_DIRECTION_DECODE);
        break;
    default:
        (void)codec.Encrypt(buffer, net::CODEC_DIRECTION_DECODE);
        break;
    }
    return 0;
}

// CPacketCodec: the two layers every message body passes before it is cut
// into frames, and back after it is joined: zlib inside, AES outside.
// Owner: made on the stack per message from the socket client's four codec
// values, thrown away afterwards. Any thread (no shared state).
//
// Layer wrapper, little-endian, present even when the layer is switched off:
//   offset 0  u32 method       the layer's flags when it encoded (0 = stored)
//   offset 4  u32 plain length byte count before this layer
//   offset 8  u32 reserved (0)
//   offset 12 u32 reserved (0)
//   offset 16 u32 payload length
//   offset 20 payload
// On the wire: cipher wrapper | (enciphered) zlib wrapper | (deflated) body.
//
// Hazards: decoding refuses a buffer shorter than its wrapper, a payload whose
// length differs from the stated one, a cipher payload that is not whole
// blocks, and a plain length larger than the payload can give; inflating stops
// at the plain length and never exceeds MAX_INFLATED_SIZE.
#pragma once

#include "net/ByteBuffer.h"

#include <cstddef>
#include <cstdint>

namespace net {

inline constexpr size_t LAYER_HEADER_SIZE = 16;
inline constexpr size_t LAYER_WRAPPER_SIZE = LAYER_HEADER_SIZE + 4;

class CPacketCodec {
public:
    static constexpr int CODEC_OK = 1;     ///< every layer succeeded
    static constexpr int CODEC_FAILED = 0; ///< a layer failed or the mode is unknown; drop the message
    static constexpr int MODE_ENCODE = 1;  ///< zlib layer, then cipher layer
    static constexpr int MODE_DECODE = 2;  ///< cipher layer, then zlib layer

    /// `key` is not copied: it must outlive the codec. Key bits 128, 192 or 256.
    CPacketCodec(const uint8_t* key, uint32_t key_bits, uint32_t cipher_flags, uint32_t compression_flags);

    [[nodiscard]] int SetParams(const uint8_t* key, uint32_t key_bits, uint32_t cipher_flags,
                                uint32_t compression_flags);

    /// Both layers in the order of the mode, in place.
    [[nodiscard]] int Transform(CByteBuffer& buffer, int mode) const;
    /// The zlib layer alone (direction 1 encodes, 2 decodes), in place.
    [[nodiscard]] int Compress(CByteBuffer& buffer, uint32_t direction) const;
    /// The cipher layer alone, in place.
    [[nodiscard]] int Encrypt(CByteBuffer& buffer, uint32_t direction) const;

private:
    const uint8_t* m_key { nullptr };
    uint32_t m_key_bits { 0 };
    uint32_t m_cipher_flags { 0 };
    uint32_t m_compression_flags { 0 };
};

} // namespace net

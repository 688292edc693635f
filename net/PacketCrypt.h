// CPacketCrypt: AES over a whole buffer in ECB, the cipher of the packet
// codec's outer layer and of the enciphered records exchanged with the hall.
// Owner: none (stateless; a cipher object is made per call). Any thread.
// Wire rules: each whole 16-byte block is enciphered on its own; a final
// partial block is zero-filled first; the output is always
// n - (n mod 16) + 16 bytes, so a length that is a multiple of 16 gets one
// more block, written as zeros (it carries no data).
#pragma once

#include <cstddef>
#include <cstdint>

namespace net {

inline constexpr uint32_t CODEC_CIPHER_AES = 0x100;     ///< cipher method: AES
inline constexpr uint32_t CODEC_COMPRESS_ZLIB = 0x400;  ///< compression method: zlib
inline constexpr uint32_t CODEC_DIRECTION_ENCODE = 1;    ///< direction bits in the low byte
inline constexpr uint32_t CODEC_DIRECTION_DECODE = 2;
inline constexpr uint32_t CODEC_DIRECTION_MASK = 0xFF;

class CPacketCrypt {
public:
    static constexpr int CRYPT_OK = 1;     ///< done (or size given, when no output)
    static constexpr int CRYPT_FAILED = 0; ///< bad flags, key or input; nothing written

    /// The size Crypt gives for n input bytes.
    [[nodiscard]] static size_t OutputSize(size_t n) { return n - n % 16 + 16; }

    /// flags = CODEC_CIPHER_AES | direction. Sets *out_length to OutputSize(n);
    /// writes the output only when `output` is given (it must hold that many
    /// bytes). Enciphering writes all of it; deciphering writes the first n
    /// bytes and refuses an input that is not a whole number of blocks.
    /// Key bits 128, 192 or 256.
    [[nodiscard]] static int Crypt(const uint8_t* key, uint32_t key_bits, const uint8_t* input, size_t n,
                                   uint8_t* output, size_t* out_length, uint32_t flags);
};

} // namespace net

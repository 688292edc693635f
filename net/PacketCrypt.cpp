#include "net/PacketCrypt.h"

#include "net/AesCipher.h"

#include <cstring>

namespace net {

int CPacketCrypt::Crypt(const uint8_t* key, uint32_t key_bits, const uint8_t* input, size_t n, uint8_t* output,
                        size_t* out_length, uint32_t flags)
{
    const uint32_t method = flags & ~CODEC_DIRECTION_MASK;
    const uint32_t direction = flags & CODEC_DIRECTION_MASK;
    if (method != CODEC_CIPHER_AES || (direction != CODEC_DIRECTION_ENCODE && direction != CODEC_DIRECTION_DECODE))
        return CRYPT_FAILED;
    if (!out_length || (n > 0 && !input) || n > SIZE_MAX - 32)
        return CRYPT_FAILED;
    if (direction == CODEC_DIRECTION_DECODE && n % 16 != 0)
        return CRYPT_FAILED;
    const size_t size = OutputSize(n);
    *out_length = size;
    if (!output)
        return CRYPT_OK;

    CAesCipher cipher;
    if (!cipher.MakeKey(key, key_bits))
        return CRYPT_FAILED;
    const size_t whole_blocks = n / 16;
    if (direction == CODEC_DIRECTION_DECODE) {
        cipher.DecryptBlocks(input, output, whole_blocks);
        return CRYPT_OK;
    }
    cipher.EncryptBlocks(input, output, whole_blocks);
    const size_t rest = n % 16;
    uint8_t* last = output + whole_blocks * 16;
    std::memset(last, 0, 16);
    if (rest) {
        std::memcpy(last, input + whole_blocks * 16, rest);
        cipher.EncryptBlock(last, last);
    }
    return CRYPT_OK;
}

} // namespace net

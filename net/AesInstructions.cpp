#include "net/AesInstructions.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NET_AES_HAVE_INSTRUCTIONS 1
#endif

namespace net::aes_instructions {

#ifdef NET_AES_HAVE_INSTRUCTIONS

#define NET_AES_TARGET __attribute__((target("aes,sse2")))

namespace {

NET_AES_TARGET inline __m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
NET_AES_TARGET inline void Store(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

constexpr size_t LANES = 8;

template <bool Encipher>
NET_AES_TARGET inline __m128i Round(__m128i block, __m128i key)
{
    if constexpr (Encipher)
        return _mm_aesenc_si128(block, key);
    else
        return _mm_aesdec_si128(block, key);
}

template <bool Encipher>
NET_AES_TARGET inline __m128i LastRound(__m128i block, __m128i key)
{
    if constexpr (Encipher)
        return _mm_aesenclast_si128(block, key);
    else
        return _mm_aesdeclast_si128(block, key);
}

// Eight blocks go through the rounds side by side, so the instruction
// latency is hidden; the rest go one at a time. Deciphering uses the keys of
// the equivalent inverse cipher, so both directions share one walk.
template <bool Encipher>
NET_AES_TARGET void RunBlocks(const uint8_t (*keys)[16], int rounds, const uint8_t* in, uint8_t* out, size_t count)
{
    __m128i k[15];
    for (int i = 0; i <= rounds; ++i)
        k[i] = Load(keys[i]);
    while (count >= LANES) {
        __m128i b[LANES];
        for (size_t j = 0; j < LANES; ++j)
            b[j] = _mm_xor_si128(Load(in + 16 * j), k[0]);
        for (int r = 1; r < rounds; ++r)
            for (size_t j = 0; j < LANES; ++j)
                b[j] = Round<Encipher>(b[j], k[r]);
        for (size_t j = 0; j < LANES; ++j)
            Store(out + 16 * j, LastRound<Encipher>(b[j], k[rounds]));
        in += 16 * LANES;
        out += 16 * LANES;
        count -= LANES;
    }
    while (count--) {
        __m128i b = _mm_xor_si128(Load(in), k[0]);
        for (int r = 1; r < rounds; ++r)
            b = Round<Encipher>(b, k[r]);
        Store(out, LastRound<Encipher>(b, k[rounds]));
        in += 16;
        out += 16;
    }
}

} // namespace

bool IsAvailable()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("aes") && __builtin_cpu_supports("sse2");
}

NET_AES_TARGET void MakeDecryptKeys(const uint8_t (*encrypt_keys)[16], uint8_t (*decrypt_keys)[16], int rounds)
{
    Store(decrypt_keys[0], Load(encrypt_keys[rounds]));
    for (int i = 1; i < rounds; ++i)
        Store(decrypt_keys[i], _mm_aesimc_si128(Load(encrypt_keys[rounds - i])));
    Store(decrypt_keys[rounds], Load(encrypt_keys[0]));
}

void EncryptBlocks(const uint8_t (*keys)[16], int rounds, const uint8_t* in, uint8_t* out, size_t count)
{
    RunBlocks<true>(keys, rounds, in, out, count);
}

void DecryptBlocks(const uint8_t (*keys)[16], int rounds, const uint8_t* in, uint8_t* out, size_t count)
{
    RunBlocks<false>(keys, rounds, in, out, count);
}

#else

bool IsAvailable() { return false; }
void MakeDecryptKeys(const uint8_t (*)[16], uint8_t (*)[16], int) {}
void EncryptBlocks(const uint8_t (*)[16], int, const uint8_t*, uint8_t*, size_t) {}
void DecryptBlocks(const uint8_t (*)[16], int, const uint8_t*, uint8_t*, size_t) {}

#endif

} // namespace net::aes_instructions

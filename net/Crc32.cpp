#include "net/Crc32.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NET_CRC32_HAVE_CLMUL 1
#endif

namespace net {

namespace {

constexpr uint32_t CRC32_POLYNOMIAL = 0x04C11DB7u;

uint32_t Reflect(uint32_t value, int bits)
{
    uint32_t result = 0;
    for (int i = 0; i < bits; ++i) {
        if (value & (1u << i))
            result |= 1u << (bits - 1 - i);
    }
    return result;
}

// Eight tables for the portable method: slicing by eight bytes.
struct SliceTables {
    uint32_t table[8][256];

    SliceTables()
    {
        Crc32Table(table[0]);
        for (int i = 0; i < 256; ++i) {
            uint32_t crc = table[0][i];
            for (int k = 1; k < 8; ++k) {
                crc = table[0][crc & 0xFF] ^ (crc >> 8);
                table[k][i] = crc;
            }
        }
    }
};

const SliceTables& GetSliceTables()
{
    static const SliceTables s_tables;
    return s_tables;
}

uint32_t UpdatePortable(uint32_t crc, const uint8_t* bytes, size_t n)
{
    const auto& t = GetSliceTables().table;
    while (n >= 8) {
        uint32_t low;
        uint32_t high;
        std::memcpy(&low, bytes, 4);
        std::memcpy(&high, bytes + 4, 4);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        low = __builtin_bswap32(low);
        high = __builtin_bswap32(high);
#endif
        low ^= crc;
        crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24]
            ^ t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
        bytes += 8;
        n -= 8;
    }
    while (n--)
        crc = t[0][(crc ^ *bytes++) & 0xFF] ^ (crc >> 8);
    return crc;
}

#ifdef NET_CRC32_HAVE_CLMUL

// Folding constants of the reflected polynomial: x^(k) mod P for the fold
// distances 512+32, 512-32, 128+32, 128-32 and 64, bit-reflected, then the
// Barrett constants (P itself and floor(x^64 / P)), also reflected.
alignas(16) constexpr uint64_t FOLD_BY_4[2] = { 0x0154442bd4, 0x01c6e41596 };
alignas(16) constexpr uint64_t FOLD_BY_1[2] = { 0x01751997d0, 0x00ccaa009e };
alignas(16) constexpr uint64_t FOLD_64[2] = { 0x0163cd6124, 0 };
alignas(16) constexpr uint64_t BARRETT[2] = { 0x01db710641, 0x01f7011641 };

#define NET_CRC32_TARGET __attribute__((target("pclmul,sse4.1")))

// One fold: the accumulator's two halves multiplied by the distance constants, plus the next block.
NET_CRC32_TARGET inline __m128i Fold(__m128i acc, __m128i k, __m128i next)
{
    const __m128i low = _mm_clmulepi64_si128(acc, k, 0x00);
    const __m128i high = _mm_clmulepi64_si128(acc, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

NET_CRC32_TARGET inline __m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Runs n bytes (n >= 64, a multiple of 16) through the register.
NET_CRC32_TARGET uint32_t UpdateFolding(uint32_t crc, const uint8_t* bytes, size_t n)
{
    __m128i x1 = Load(bytes);
    __m128i x2 = Load(bytes + 16);
    __m128i x3 = Load(bytes + 32);
    __m128i x4 = Load(bytes + 48);
    x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128(int(crc)));
    __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(FOLD_BY_4));
    bytes += 64;
    n -= 64;

    while (n >= 64) {
        x1 = Fold(x1, k, Load(bytes));
        x2 = Fold(x2, k, Load(bytes + 16));
        x3 = Fold(x3, k, Load(bytes + 32));
        x4 = Fold(x4, k, Load(bytes + 48));
        bytes += 64;
        n -= 64;
    }

    k = _mm_load_si128(reinterpret_cast<const __m128i*>(FOLD_BY_1));
    x1 = Fold(x1, k, x2);
    x1 = Fold(x1, k, x3);
    x1 = Fold(x1, k, x4);
    while (n >= 16) {
        x1 = Fold(x1, k, Load(bytes));
        bytes += 16;
        n -= 16;
    }

    // 128 bits down to 64, then 64 down to 32 by Barrett reduction.
    __m128i x = _mm_clmulepi64_si128(x1, k, 0x10);
    const __m128i mask32 = _mm_setr_epi32(~0, 0, ~0, 0);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x);
    k = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(FOLD_64));
    x = _mm_srli_si128(x1, 4);
    x1 = _mm_and_si128(x1, mask32);
    x1 = _mm_clmulepi64_si128(x1, k, 0x00);
    x1 = _mm_xor_si128(x1, x);

    k = _mm_load_si128(reinterpret_cast<const __m128i*>(BARRETT));
    x = _mm_and_si128(x1, mask32);
    x = _mm_clmulepi64_si128(x, k, 0x10);
    x = _mm_and_si128(x, mask32);
    x = _mm_clmulepi64_si128(x, k, 0x00);
    x1 = _mm_xor_si128(x1, x);
    return uint32_t(_mm_extract_epi32(x1, 1));
}

bool DetectFolding()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

#endif

bool HasFolding()
{
#ifdef NET_CRC32_HAVE_CLMUL
    static const bool s_has = DetectFolding();
    return s_has;
#else
    return false;
#endif
}

uint32_t UpdateBest(uint32_t crc, const uint8_t* bytes, size_t n)
{
#ifdef NET_CRC32_HAVE_CLMUL
    if (n >= 64 && HasFolding()) {
        const size_t folded = n & ~size_t(15);
        crc = UpdateFolding(crc, bytes, folded);
        bytes += folded;
        n -= folded;
    }
#endif
    return UpdatePortable(crc, bytes, n);
}

} // namespace

void Crc32Table(uint32_t table[256])
{
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t value = Reflect(i, 8) << 24;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 0x80000000u) ? (value << 1) ^ CRC32_POLYNOMIAL : value << 1;
        table[i] = Reflect(value, 32);
    }
}

uint32_t Crc32(const uint32_t table[256], const uint8_t* bytes, size_t n)
{
    if (!bytes || n == 0)
        return 0;
    if (!table)
        return Crc32(std::span<const uint8_t>(bytes, n));
    uint32_t crc = CRC32_START;
    for (size_t i = 0; i < n; ++i)
        crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t Crc32(std::span<const uint8_t> bytes)
{
    if (bytes.empty() || !bytes.data())
        return 0;
    return CRC32_FINISH(UpdateBest(CRC32_START, bytes.data(), bytes.size()));
}

uint32_t Crc32Update(uint32_t reg, std::span<const uint8_t> bytes)
{
    return bytes.empty() ? reg : UpdateBest(reg, bytes.data(), bytes.size());
}

uint32_t Crc32Update(uint32_t reg, std::span<const uint8_t> bytes, Crc32Method method)
{
    if (bytes.empty())
        return reg;
    return method == Crc32Method::Portable ? UpdatePortable(reg, bytes.data(), bytes.size())
                                           : UpdateBest(reg, bytes.data(), bytes.size());
}

bool Crc32HasFastMethod() { return HasFolding(); }

} // namespace net

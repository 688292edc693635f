#include "net/AesCipher.h"

#include "net/AesInstructions.h"

#include <cstring>

namespace net {

namespace {

uint8_t Multiply(uint8_t a, uint8_t b)
{
    uint8_t product = 0;
    while (b) {
        if (b & 1)
            product ^= a;
        a = uint8_t((a << 1) ^ ((a & 0x80) ? 0x1B : 0));
        b >>= 1;
    }
    return product;
}

uint32_t RotateRight(uint32_t word, int bits) { return (word >> bits) | (word << (32 - bits)); }

// The S-boxes and the four round tables in each direction, built from the
// field arithmetic: the S-box is the multiplicative inverse in GF(2^8)
// followed by the affine transform.
struct AesTables {
    uint8_t sbox[256];
    uint8_t inverse_sbox[256];
    uint32_t encrypt[4][256];
    uint32_t decrypt[4][256];
    uint32_t round_constant[10];

    AesTables()
    {
        for (int x = 0; x < 256; ++x) {
            uint8_t inverse = 0;
            for (int y = 1; y < 256 && x != 0; ++y) {
                if (Multiply(uint8_t(x), uint8_t(y)) == 1) {
                    inverse = uint8_t(y);
                    break;
                }
            }
            uint8_t s = inverse;
            uint8_t result = 0x63;
            for (int i = 0; i < 5; ++i) {
                result ^= s;
                s = uint8_t((s << 1) | (s >> 7));
            }
            sbox[x] = result;
            inverse_sbox[result] = uint8_t(x);
        }
        for (int x = 0; x < 256; ++x) {
            const uint8_t s = sbox[x];
            const uint32_t e = uint32_t(Multiply(s, 2)) << 24 | uint32_t(s) << 16 | uint32_t(s) << 8
                | Multiply(s, 3);
            const uint8_t i = inverse_sbox[x];
            const uint32_t d = uint32_t(Multiply(i, 14)) << 24 | uint32_t(Multiply(i, 9)) << 16
                | uint32_t(Multiply(i, 13)) << 8 | Multiply(i, 11);
            for (int t = 0; t < 4; ++t) {
                encrypt[t][x] = t ? RotateRight(e, 8 * t) : e;
                decrypt[t][x] = t ? RotateRight(d, 8 * t) : d;
            }
        }
        uint8_t rc = 1;
        for (int i = 0; i < 10; ++i) {
            round_constant[i] = uint32_t(rc) << 24;
            rc = Multiply(rc, 2);
        }
    }
};

const AesTables& Tables()
{
    static const AesTables s_tables;
    return s_tables;
}

uint32_t LoadBE(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

void StoreBE(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

uint32_t SubWord(const AesTables& t, uint32_t w)
{
    return uint32_t(t.sbox[w >> 24]) << 24 | uint32_t(t.sbox[(w >> 16) & 0xFF]) << 16
        | uint32_t(t.sbox[(w >> 8) & 0xFF]) << 8 | t.sbox[w & 0xFF];
}

uint32_t InverseMixColumn(const AesTables& t, uint32_t w)
{
    return t.decrypt[0][t.sbox[w >> 24]] ^ t.decrypt[1][t.sbox[(w >> 16) & 0xFF]]
        ^ t.decrypt[2][t.sbox[(w >> 8) & 0xFF]] ^ t.decrypt[3][t.sbox[w & 0xFF]];
}

bool DetectInstructions()
{
    static const bool s_available = aes_instructions::IsAvailable();
    return s_available;
}

} // namespace

CAesCipher::CAesCipher(Method method)
    : m_use_instructions(method == Method::Best && DetectInstructions())
{
}

bool CAesCipher::MakeKey(const uint8_t* key, uint32_t key_bits)
{
    m_rounds = 0;
    const uint32_t nk = (key_bits + 31) / 32;
    if (!key || (nk != 4 && nk != 6 && nk != 8))
        return false;
    const AesTables& t = Tables();
    const int rounds = int(nk) + 6;
    const uint32_t total = 4 * uint32_t(rounds + 1);
    uint32_t* w = m_encrypt_words;
    for (uint32_t i = 0; i < nk; ++i)
        w[i] = LoadBE(key + 4 * i);
    for (uint32_t i = nk; i < total; ++i) {
        uint32_t temp = w[i - 1];
        if (i % nk == 0)
            temp = SubWord(t, (temp << 8) | (temp >> 24)) ^ t.round_constant[i / nk - 1];
        else if (nk > 6 && i % nk == 4)
            temp = SubWord(t, temp);
        w[i] = w[i - nk] ^ temp;
    }
    // Equivalent inverse cipher: round keys in reverse order, the inner ones
    // passed through InvMixColumns.
    for (int r = 0; r <= rounds; ++r) {
        for (int c = 0; c < 4; ++c) {
            const uint32_t word = w[4 * (rounds - r) + c];
            m_decrypt_words[4 * r + c] = (r == 0 || r == rounds) ? word : InverseMixColumn(t, word);
        }
    }
    for (int r = 0; r <= rounds; ++r)
        for (int c = 0; c < 4; ++c)
            StoreBE(&m_encrypt_bytes[r][4 * c], w[4 * r + c]);
    if (m_use_instructions)
        aes_instructions::MakeDecryptKeys(m_encrypt_bytes, m_decrypt_bytes, rounds);
    m_rounds = rounds;
    return true;
}

void CAesCipher::EncryptPortable(const uint8_t* in, uint8_t* out) const
{
    const AesTables& t = Tables();
    const uint32_t* rk = m_encrypt_words;
    uint32_t s0 = LoadBE(in) ^ rk[0];
    uint32_t s1 = LoadBE(in + 4) ^ rk[1];
    uint32_t s2 = LoadBE(in + 8) ^ rk[2];
    uint32_t s3 = LoadBE(in + 12) ^ rk[3];
    const auto& e = t.encrypt;
    for (int r = 1; r < m_rounds; ++r) {
        rk += 4;
        const uint32_t t0 = e[0][s0 >> 24] ^ e[1][(s1 >> 16) & 0xFF] ^ e[2][(s2 >> 8) & 0xFF] ^ e[3][s3 & 0xFF] ^ rk[0];
        const uint32_t t1 = e[0][s1 >> 24] ^ e[1][(s2 >> 16) & 0xFF] ^ e[2][(s3 >> 8) & 0xFF] ^ e[3][s0 & 0xFF] ^ rk[1];
        const uint32_t t2 = e[0][s2 >> 24] ^ e[1][(s3 >> 16) & 0xFF] ^ e[2][(s0 >> 8) & 0xFF] ^ e[3][s1 & 0xFF] ^ rk[2];
        const uint32_t t3 = e[0][s3 >> 24] ^ e[1][(s0 >> 16) & 0xFF] ^ e[2][(s1 >> 8) & 0xFF] ^ e[3][s2 & 0xFF] ^ rk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    rk += 4;
    const uint8_t* s = t.sbox;
    auto last = [s](uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t key) {
        return (uint32_t(s[a >> 24]) << 24 | uint32_t(s[(b >> 16) & 0xFF]) << 16 | uint32_t(s[(c >> 8) & 0xFF]) << 8
                | s[d & 0xFF])
            ^ key;
    };
    StoreBE(out, last(s0, s1, s2, s3, rk[0]));
    StoreBE(out + 4, last(s1, s2, s3, s0, rk[1]));
    StoreBE(out + 8, last(s2, s3, s0, s1, rk[2]));
    StoreBE(out + 12, last(s3, s0, s1, s2, rk[3]));
}

void CAesCipher::DecryptPortable(const uint8_t* in, uint8_t* out) const
{
    const AesTables& t = Tables();
    const uint32_t* rk = m_decrypt_words;
    uint32_t s0 = LoadBE(in) ^ rk[0];
    uint32_t s1 = LoadBE(in + 4) ^ rk[1];
    uint32_t s2 = LoadBE(in + 8) ^ rk[2];
    uint32_t s3 = LoadBE(in + 12) ^ rk[3];
    const auto& d = t.decrypt;
    for (int r = 1; r < m_rounds; ++r) {
        rk += 4;
        const uint32_t t0 = d[0][s0 >> 24] ^ d[1][(s3 >> 16) & 0xFF] ^ d[2][(s2 >> 8) & 0xFF] ^ d[3][s1 & 0xFF] ^ rk[0];
        const uint32_t t1 = d[0][s1 >> 24] ^ d[1][(s0 >> 16) & 0xFF] ^ d[2][(s3 >> 8) & 0xFF] ^ d[3][s2 & 0xFF] ^ rk[1];
        const uint32_t t2 = d[0][s2 >> 24] ^ d[1][(s1 >> 16) & 0xFF] ^ d[2][(s0 >> 8) & 0xFF] ^ d[3][s3 & 0xFF] ^ rk[2];
        const uint32_t t3 = d[0][s3 >> 24] ^ d[1][(s2 >> 16) & 0xFF] ^ d[2][(s1 >> 8) & 0xFF] ^ d[3][s0 & 0xFF] ^ rk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    rk += 4;
    const uint8_t* si = t.inverse_sbox;
    auto last = [si](uint32_t a, uint32_t b, uint32_t c, uint32_t dd, uint32_t key) {
        return (uint32_t(si[a >> 24]) << 24 | uint32_t(si[(b >> 16) & 0xFF]) << 16
                | uint32_t(si[(c >> 8) & 0xFF]) << 8 | si[dd & 0xFF])
            ^ key;
    };
    StoreBE(out, last(s0, s3, s2, s1, rk[0]));
    StoreBE(out + 4, last(s1, s0, s3, s2, rk[1]));
    StoreBE(out + 8, last(s2, s1, s0, s3, rk[2]));
    StoreBE(out + 12, last(s3, s2, s1, s0, rk[3]));
}

bool CAesCipher::EncryptBlock(const uint8_t* in, uint8_t* out) const { return EncryptBlocks(in, out, 1); }

bool CAesCipher::DecryptBlock(const uint8_t* in, uint8_t* out) const { return DecryptBlocks(in, out, 1); }

bool CAesCipher::EncryptBlocks(const uint8_t* in, uint8_t* out, size_t count) const
{
    if (!HasKey())
        return false;
    if (m_use_instructions) {
        aes_instructions::EncryptBlocks(m_encrypt_bytes, m_rounds, in, out, count);
        return true;
    }
    for (size_t i = 0; i < count; ++i)
        EncryptPortable(in + 16 * i, out + 16 * i);
    return true;
}

bool CAesCipher::DecryptBlocks(const uint8_t* in, uint8_t* out, size_t count) const
{
    if (!HasKey())
        return false;
    if (m_use_instructions) {
        aes_instructions::DecryptBlocks(m_decrypt_bytes, m_rounds, in, out, count);
        return true;
    }
    for (size_t i = 0; i < count; ++i)
        DecryptPortable(in + 16 * i, out + 16 * i);
    return true;
}

} // namespace net

// CAesCipher: the AES block cipher (FIPS-197) with 128-, 192- and 256-bit keys.
// Blocks are enciphered one by one (ECB); chaining is the caller's business.
// Owner: the caller, one object per key (cheap: the round keys only). The
// tables (S-boxes and round tables) are built once per process on first use.
// Threads: an object is used by one thread at a time; the shared tables are
// read-only after their one-time build, so any number of objects may run at once.
// Hazards: MakeKey must succeed before any block is processed; a cipher without
// a key refuses (the block functions then return false and write nothing).
#pragma once

#include <cstddef>
#include <cstdint>

namespace net {

class CAesCipher {
public:
    static constexpr size_t BLOCK_SIZE = 16;

    /// How blocks are processed: the processor's AES instructions when it has
    /// them, or the portable round tables. Tests force Portable to check both.
    enum class Method { Best, Portable };

    explicit CAesCipher(Method method = Method::Best);

    /// Expands the key. Nk = (bits + 31) / 32 words, which must be 4, 6 or 8.
    [[nodiscard]] bool MakeKey(const uint8_t* key, uint32_t key_bits);
    [[nodiscard]] bool HasKey() const { return m_rounds != 0; }

    /// One 16-byte block; in and out may be the same address.
    bool EncryptBlock(const uint8_t* in, uint8_t* out) const;
    bool DecryptBlock(const uint8_t* in, uint8_t* out) const;

    /// `count` consecutive blocks, each on its own (ECB).
    bool EncryptBlocks(const uint8_t* in, uint8_t* out, size_t count) const;
    bool DecryptBlocks(const uint8_t* in, uint8_t* out, size_t count) const;

    /// Whether the processor's AES instructions are in use for this object.
    [[nodiscard]] bool UsesAesInstructions() const { return m_use_instructions; }

private:
    static constexpr int MAX_ROUNDS = 14;

    void EncryptPortable(const uint8_t* in, uint8_t* out) const;
    void DecryptPortable(const uint8_t* in, uint8_t* out) const;

    int m_rounds { 0 };
    bool m_use_instructions { false };
    // Round keys as big-endian words (portable method) and as bytes (the
    // instruction method), for enciphering and for the equivalent inverse cipher.
    uint32_t m_encrypt_words[4 * (MAX_ROUNDS + 1)] {};
    uint32_t m_decrypt_words[4 * (MAX_ROUNDS + 1)] {};
    alignas(16) uint8_t m_encrypt_bytes[MAX_ROUNDS + 1][16] {};
    alignas(16) uint8_t m_decrypt_bytes[MAX_ROUNDS + 1][16] {};
};

} // namespace net

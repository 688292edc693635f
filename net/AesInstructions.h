// The AES-instruction path of CAesCipher (x86 AES-NI), kept in its own file
// because it is compiled for those instructions. Internal to the network library.
// Any thread; the round keys are the caller's, read-only here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace net::aes_instructions {

[[nodiscard]] bool IsAvailable();

/// Round keys: rounds + 1 blocks of 16 bytes. `decrypt_keys` receives the
/// keys of the equivalent inverse cipher made from `encrypt_keys`.
void MakeDecryptKeys(const uint8_t (*encrypt_keys)[16], uint8_t (*decrypt_keys)[16], int rounds);
void EncryptBlocks(const uint8_t (*keys)[16], int rounds, const uint8_t* in, uint8_t* out, size_t count);
void DecryptBlocks(const uint8_t (*keys)[16], int rounds, const uint8_t* in, uint8_t* out, size_t count);

} // namespace net::aes_instructions

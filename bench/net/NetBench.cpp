#include "net/AesCipher.h"
#include "net/Crc32.h"
#include "net/PacketCodec.h"
#include "net/PacketCrypt.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#ifdef NET_BENCH_HAVE_OPENSSL
#include <openssl/evp.h>
#endif

#include <random>
#include <vector>

namespace {

constexpr size_t MEGABYTE = 1024 * 1024;
const uint8_t KEY[16] = { 0x2b, 0x7e, 0x15, 0x16, 0x28, 0xae, 0xd2, 0xa6, 0xab, 0xf7, 0x15, 0x88, 0x09, 0xcf, 0x4f, 0x3c };

std::vector<uint8_t> RandomBytes(size_t n)
{
    std::mt19937 random(5);
    std::vector<uint8_t> bytes(n);
    for (auto& byte : bytes)
        byte = uint8_t(random());
    return bytes;
}

void Crc32Ours(benchmark::State& state)
{
    const auto data = RandomBytes(MEGABYTE);
    for (auto _ : state)
        benchmark::DoNotOptimize(net::Crc32(data));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(Crc32Ours);

void Crc32Zlib(benchmark::State& state)
{
    const auto data = RandomBytes(MEGABYTE);
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32(0, data.data(), uInt(data.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK(Crc32Zlib);

void AesOurs(benchmark::State& state, net::CAesCipher::Method method, bool encipher)
{
    const auto data = RandomBytes(MEGABYTE);
    std::vector<uint8_t> out(data.size());
    net::CAesCipher cipher(method);
    if (!cipher.MakeKey(KEY, 128))
        state.SkipWithError("key");
    state.SetLabel(cipher.UsesAesInstructions() ? "AES instructions" : "tables");
    for (auto _ : state) {
        if (encipher)
            cipher.EncryptBlocks(data.data(), out.data(), data.size() / 16);
        else
            cipher.DecryptBlocks(data.data(), out.data(), data.size() / 16);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK_CAPTURE(AesOurs, Aes128EncipherBest, net::CAesCipher::Method::Best, true);
BENCHMARK_CAPTURE(AesOurs, Aes128DecipherBest, net::CAesCipher::Method::Best, false);
BENCHMARK_CAPTURE(AesOurs, Aes128EncipherPortable, net::CAesCipher::Method::Portable, true);
BENCHMARK_CAPTURE(AesOurs, Aes128DecipherPortable, net::CAesCipher::Method::Portable, false);

#ifdef NET_BENCH_HAVE_OPENSSL
void AesOpenSsl(benchmark::State& state, bool encipher)
{
    const auto data = RandomBytes(MEGABYTE);
    std::vector<uint8_t> out(data.size() + 16);
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    EVP_CipherInit_ex(context, EVP_aes_128_ecb(), nullptr, KEY, nullptr, encipher ? 1 : 0);
    EVP_CIPHER_CTX_set_padding(context, 0);
    for (auto _ : state) {
        int length = 0;
        EVP_CipherUpdate(context, out.data(), &length, data.data(), int(data.size()));
        benchmark::DoNotOptimize(out.data());
    }
    EVP_CIPHER_CTX_free(context);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
}
BENCHMARK_CAPTURE(AesOpenSsl, Aes128EncipherOpenSsl, true);
BENCHMARK_CAPTURE(AesOpenSsl, Aes128DecipherOpenSsl, false);
#endif

// One 4 KiB message through both layers and back, as the game-server
// connection configures them (AES-128, zlib layer stored), and with zlib on.
void CodecRoundTrip(benchmark::State& state, uint32_t compression)
{
    std::vector<uint8_t> body = RandomBytes(4096);
    for (size_t i = 0; i < body.size(); i += 2)
        body[i] = 0;
    net::CPacketCodec codec(KEY, 128, net::CODEC_CIPHER_AES, compression);
    for (auto _ : state) {
        net::CByteBuffer buffer;
        buffer.Append(body.data(), body.size());
        if (codec.Transform(buffer, 1) != 1 || codec.Transform(buffer, 2) != 1)
            state.SkipWithError("codec");
        benchmark::DoNotOptimize(buffer.GetAt(0));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(body.size()));
}
BENCHMARK_CAPTURE(CodecRoundTrip, Message4KiBCipherOnly, 0u);
BENCHMARK_CAPTURE(CodecRoundTrip, Message4KiBZlibAndCipher, 0x400u);

#ifdef NET_BENCH_HAVE_OPENSSL
// The reference: zlib's compress/uncompress and OpenSSL's AES-128-ECB.
void CodecReference(benchmark::State& state)
{
    std::vector<uint8_t> body = RandomBytes(4096);
    for (size_t i = 0; i < body.size(); i += 2)
        body[i] = 0;
    std::vector<uint8_t> packed(compressBound(uLong(body.size())) + 32);
    std::vector<uint8_t> sealed(packed.size() + 32);
    std::vector<uint8_t> opened(sealed.size());
    std::vector<uint8_t> back(body.size());
    for (auto _ : state) {
        uLongf packed_size = uLongf(packed.size());
        compress(packed.data(), &packed_size, body.data(), uLong(body.size()));
        const size_t padded = packed_size - packed_size % 16 + 16;
        EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
        int length = 0;
        EVP_CipherInit_ex(context, EVP_aes_128_ecb(), nullptr, KEY, nullptr, 1);
        EVP_CIPHER_CTX_set_padding(context, 0);
        EVP_CipherUpdate(context, sealed.data(), &length, packed.data(), int(padded));
        EVP_CipherInit_ex(context, EVP_aes_128_ecb(), nullptr, KEY, nullptr, 0);
        EVP_CIPHER_CTX_set_padding(context, 0);
        EVP_CipherUpdate(context, opened.data(), &length, sealed.data(), int(padded));
        EVP_CIPHER_CTX_free(context);
        uLongf back_size = uLongf(back.size());
        uncompress(back.data(), &back_size, opened.data(), packed_size);
        benchmark::DoNotOptimize(back.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(body.size()));
}
BENCHMARK(CodecReference);
#endif

} // namespace

BENCHMARK_MAIN();

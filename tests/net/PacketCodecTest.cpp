#include "net/AesCipher.h"
#include "net/PacketCodec.h"
#include "net/PacketCrypt.h"
#include "net/PacketZip.h"
#include "net/WireBytes.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

using net::CByteBuffer;
using net::CPacketCodec;
using net::CPacketCrypt;

const uint8_t KEY[16] = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 };

std::vector<uint8_t> Contents(const CByteBuffer& buffer) { return { buffer.Bytes().begin(), buffer.Bytes().end() }; }

CByteBuffer BufferOf(const std::vector<uint8_t>& bytes)
{
    CByteBuffer buffer;
    buffer.Append(bytes.data(), bytes.size());
    return buffer;
}

std::vector<uint8_t> Wrapper(uint32_t method, uint32_t plain, uint32_t payload)
{
    std::vector<uint8_t> bytes(20, 0);
    net::StoreU32LE(bytes.data(), method);
    net::StoreU32LE(bytes.data() + 4, plain);
    net::StoreU32LE(bytes.data() + 16, payload);
    return bytes;
}

std::vector<uint8_t> Encipher(const std::vector<uint8_t>& block16)
{
    net::CAesCipher cipher;
    EXPECT_TRUE(cipher.MakeKey(KEY, 128));
    std::vector<uint8_t> out(16);
    cipher.EncryptBlock(block16.data(), out.data());
    return out;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(PacketCodec, EmptyBodyTravelsAsTwoWrappersWithExactBytes)
{
    CPacketCodec codec(KEY, 128, net::CODEC_CIPHER_AES, 0);
    CByteBuffer buffer;
    ASSERT_EQ(codec.Transform(buffer, CPacketCodec::MODE_ENCODE), CPacketCodec::CODEC_OK);
    // The 20-byte zlib wrapper (all zero) enciphers to two blocks.
    const std::vector<uint8_t> zero(16, 0);
    const auto expected = Concat({ Wrapper(0x100, 20, 32), Encipher(zero), Encipher(zero) });
    EXPECT_EQ(Contents(buffer), expected);
    ASSERT_EQ(codec.Transform(buffer, CPacketCodec::MODE_DECODE), CPacketCodec::CODEC_OK);
    EXPECT_EQ(buffer.GetSize(), 0u);
}

TEST(PacketCodec, SixteenAndSeventeenByteInputsEncipherToThirtyTwoBytes)
{
    std::vector<uint8_t> input(17);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = uint8_t(0xA0 + i);
    size_t size = 0;
    ASSERT_EQ(CPacketCrypt::Crypt(KEY, 128, input.data(), 16, nullptr, &size, 0x101), CPacketCrypt::CRYPT_OK);
    EXPECT_EQ(size, 32u);
    std::vector<uint8_t> out(32, 0xEE);
    ASSERT_EQ(CPacketCrypt::Crypt(KEY, 128, input.data(), 16, out.data(), &size, 0x101), CPacketCrypt::CRYPT_OK);
    EXPECT_EQ(out, Concat({ Encipher({ input.begin(), input.begin() + 16 }), std::vector<uint8_t>(16, 0) }));

    ASSERT_EQ(CPacketCrypt::Crypt(KEY, 128, input.data(), 17, out.data(), &size, 0x101), CPacketCrypt::CRYPT_OK);
    EXPECT_EQ(size, 32u);
    std::vector<uint8_t> last(16, 0);
    last[0] = input[16];
    EXPECT_EQ(out, Concat({ Encipher({ input.begin(), input.begin() + 16 }), Encipher(last) }));

    // Through the cipher layer: 17 bytes become wrapper {0x100, 17} | 32 bytes.
    CPacketCodec codec(KEY, 128, net::CODEC_CIPHER_AES, 0);
    CByteBuffer buffer = BufferOf(input);
    ASSERT_EQ(codec.Encrypt(buffer, 1), CPacketCodec::CODEC_OK);
    EXPECT_EQ(Contents(buffer), Concat({ Wrapper(0x100, 17, 32), out }));
    ASSERT_EQ(codec.Encrypt(buffer, 2), CPacketCodec::CODEC_OK);
    EXPECT_EQ(Contents(buffer), input);

    // The whole codec on a 16-byte body: zlib wrapper (36 bytes) then 48 enciphered.
    buffer = BufferOf({ input.begin(), input.begin() + 16 });
    ASSERT_EQ(codec.Transform(buffer, CPacketCodec::MODE_ENCODE), CPacketCodec::CODEC_OK);
    EXPECT_EQ(buffer.GetSize(), 20u + 48u);
    EXPECT_EQ(std::vector<uint8_t>(buffer.GetAt(0), buffer.GetAt(20)), Wrapper(0x100, 36, 48));
}

TEST(PacketCodec, RoundTripsEveryLayerCombinationAndKeySize)
{
    std::mt19937 random(3);
    const uint8_t key256[32] = { 9, 8, 7 };
    for (uint32_t bits : { 128u, 192u, 256u }) {
        for (uint32_t cipher : { 0u, 0x100u }) {
            for (uint32_t zip : { 0u, 0x400u }) {
                for (size_t n : { 0, 1, 15, 16, 17, 28, 4000, 70000 }) {
                    std::vector<uint8_t> body(n);
                    for (size_t i = 0; i < n; ++i)
                        body[i] = (i % 3) ? uint8_t(i / 7) : uint8_t(random());
                    CPacketCodec codec(key256, bits, cipher, zip);
                    CByteBuffer buffer = BufferOf(body);
                    ASSERT_EQ(codec.Transform(buffer, CPacketCodec::MODE_ENCODE), CPacketCodec::CODEC_OK);
                    if (zip && cipher == 0 && n > 0) {
                        EXPECT_EQ(net::LoadU32LE(buffer.GetAt(20)), 0x400u) << "compressed layer inside";
                    }
                    ASSERT_EQ(codec.Transform(buffer, CPacketCodec::MODE_DECODE), CPacketCodec::CODEC_OK)
                        << bits << " " << cipher << " " << zip << " " << n;
                    ASSERT_EQ(Contents(buffer), body);
                }
            }
        }
    }
}

TEST(PacketCodec, DeflateStreamEndsWithSyncFlushAndZlibCompressOutputDecodes)
{
    std::vector<uint8_t> body(50000);
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = uint8_t("game channel "[i % 13]);
    std::vector<uint8_t> deflated;
    ASSERT_TRUE(net::ZlibDeflateToArray(body, deflated));
    ASSERT_GE(deflated.size(), 4u);
    // Never finished: the data ends after the empty stored block of a sync flush.
    EXPECT_EQ(std::vector<uint8_t>(deflated.end() - 4, deflated.end()), (std::vector<uint8_t> { 0, 0, 0xFF, 0xFF }));

    uLongf size = compressBound(uLong(body.size()));
    std::vector<uint8_t> compressed(size);
    ASSERT_EQ(compress(compressed.data(), &size, body.data(), uLong(body.size())), Z_OK);
    compressed.resize(size);
    CByteBuffer buffer = BufferOf(Concat({ Wrapper(0x400, uint32_t(body.size()), uint32_t(size)), compressed }));
    CPacketCodec codec(nullptr, 0, 0, 0);
    ASSERT_EQ(codec.Compress(buffer, 2), CPacketCodec::CODEC_OK);
    EXPECT_EQ(Contents(buffer), body);
}

TEST(PacketCodec, RefusesMalformedCipherWrappers)
{
    CPacketCodec codec(KEY, 128, net::CODEC_CIPHER_AES, 0);
    CByteBuffer good;
    good.Append("0123456789abcdefXYZ", 19);
    ASSERT_EQ(codec.Encrypt(good, 1), CPacketCodec::CODEC_OK);
    const auto encoded = Contents(good); // wrapper {0x100, 19} | 32 bytes

    auto refused = [&codec](std::vector<uint8_t> bytes) {
        CByteBuffer buffer = BufferOf(bytes);
        return codec.Encrypt(buffer, 2) == CPacketCodec::CODEC_FAILED;
    };
    EXPECT_TRUE(refused({ encoded.begin(), encoded.begin() + 19 })) << "shorter than the wrapper";
    EXPECT_TRUE(refused({ encoded.begin(), encoded.end() - 1 })) << "payload shorter than stated";
    auto longer = encoded;
    longer.push_back(0);
    EXPECT_TRUE(refused(longer)) << "payload longer than stated";
    auto too_long_plain = encoded;
    net::StoreU32LE(too_long_plain.data() + 4, 33);
    EXPECT_TRUE(refused(too_long_plain)) << "plain length beyond the payload";
    auto partial_block = encoded;
    partial_block.resize(20 + 20);
    net::StoreU32LE(partial_block.data() + 16, 20);
    net::StoreU32LE(partial_block.data() + 4, 10);
    EXPECT_TRUE(refused(partial_block)) << "not a whole number of blocks";
    auto other_method = encoded;
    net::StoreU32LE(other_method.data(), 0x200);
    EXPECT_TRUE(refused(other_method)) << "unknown cipher";
    EXPECT_FALSE(refused(encoded));

    CByteBuffer buffer = BufferOf(encoded);
    EXPECT_EQ(codec.Transform(buffer, 3), CPacketCodec::CODEC_FAILED);
    size_t size = 0;
    EXPECT_EQ(CPacketCrypt::Crypt(KEY, 128, encoded.data(), 16, nullptr, &size, 0x103), CPacketCrypt::CRYPT_FAILED);
    EXPECT_EQ(CPacketCrypt::Crypt(KEY, 128, encoded.data(), 16, nullptr, &size, 0x201), CPacketCrypt::CRYPT_FAILED);
    EXPECT_EQ(CPacketCrypt::Crypt(KEY, 100, encoded.data(), 16, nullptr, &size, 0x101), CPacketCrypt::CRYPT_OK)
        << "a size question needs no key";
    std::vector<uint8_t> out(32);
    EXPECT_EQ(CPacketCrypt::Crypt(KEY, 64, encoded.data(), 16, out.data(), &size, 0x101), CPacketCrypt::CRYPT_FAILED);
}

TEST(PacketCodec, RefusesMalformedZlibWrappersAndBoundsInflating)
{
    std::vector<uint8_t> body(3000, 'a');
    std::vector<uint8_t> deflated;
    ASSERT_TRUE(net::ZlibDeflateToArray(body, deflated));
    const uint32_t length = uint32_t(deflated.size());
    CPacketCodec codec(nullptr, 0, 0, 0x400);
    auto decode = [&codec](std::vector<uint8_t> bytes, std::vector<uint8_t>* out = nullptr) {
        CByteBuffer buffer = BufferOf(bytes);
        const int result = codec.Compress(buffer, 2);
        if (out)
            *out = Contents(buffer);
        return result;
    };
    EXPECT_EQ(decode(Concat({ Wrapper(0x400, 3000, length), deflated })), CPacketCodec::CODEC_OK);
    EXPECT_EQ(decode(Concat({ Wrapper(0x400, 3000, length + 1), deflated })), CPacketCodec::CODEC_FAILED);
    EXPECT_EQ(decode(Concat({ Wrapper(0x400, 3001, length), deflated })), CPacketCodec::CODEC_FAILED)
        << "inflated data shorter than the plain length";
    EXPECT_EQ(decode(Concat({ Wrapper(0x400, 3000, 4), { 1, 2, 3, 4 } })), CPacketCodec::CODEC_FAILED);
    EXPECT_EQ(decode({ 0, 0, 0 }), CPacketCodec::CODEC_FAILED);
    EXPECT_EQ(decode(Concat({ Wrapper(0x400, uint32_t(net::MAX_INFLATED_SIZE + 1), length), deflated })),
              CPacketCodec::CODEC_FAILED);

    // A small message that inflates to far more than it states gives only the stated bytes.
    std::vector<uint8_t> bomb_body(8 * 1024 * 1024, 0);
    std::vector<uint8_t> bomb;
    ASSERT_TRUE(net::ZlibDeflateToArray(bomb_body, bomb));
    std::vector<uint8_t> out;
    EXPECT_EQ(decode(Concat({ Wrapper(0x400, 100, uint32_t(bomb.size())), bomb }), &out), CPacketCodec::CODEC_OK);
    EXPECT_EQ(out.size(), 100u);
    std::vector<uint8_t> limited;
    ASSERT_TRUE(net::ZlibInflateToArray(bomb, limited, 5000));
    EXPECT_EQ(limited.size(), 5000u);
}

} // namespace

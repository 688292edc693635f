#include "net/AesCipher.h"
#include "net/AesInstructions.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using net::CAesCipher;

std::vector<uint8_t> FromHex(const std::string& hex)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

struct KnownAnswer {
    const char* key;
    const char* plain;
    const char* cipher;
};

// FIPS-197 appendix B and appendix C (C.1, C.2, C.3).
const KnownAnswer KNOWN_ANSWERS[] = {
    { "2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734", "3925841d02dc09fbdc118597196a0b32" },
    { "000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff", "69c4e0d86a7b0430d8cdb78070b4c55a" },
    { "000102030405060708090a0b0c0d0e0f1011121314151617", "00112233445566778899aabbccddeeff",
      "dda97ca4864cdfe06eaf70a0ec0d7191" },
    { "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", "00112233445566778899aabbccddeeff",
      "8ea2b7ca516745bfeafc49904b496089" },
};

class AesMethods : public ::testing::TestWithParam<CAesCipher::Method> {};

TEST_P(AesMethods, BestTakesTheProcessorsInstructionsWhenPresentPortableNever)
{
    // Otherwise the "Best" runs below could silently test the table version twice.
    CAesCipher cipher(GetParam());
    const bool expected = GetParam() == CAesCipher::Method::Best && net::aes_instructions::IsAvailable();
    EXPECT_EQ(cipher.UsesAesInstructions(), expected);
}

TEST_P(AesMethods, MatchesFipsKnownAnswersBothWays)
{
    for (const KnownAnswer& answer : KNOWN_ANSWERS) {
        const auto key = FromHex(answer.key);
        CAesCipher cipher(GetParam());
        ASSERT_TRUE(cipher.MakeKey(key.data(), uint32_t(key.size() * 8)));
        const auto plain = FromHex(answer.plain);
        uint8_t out[16];
        ASSERT_TRUE(cipher.EncryptBlock(plain.data(), out));
        EXPECT_EQ(std::vector<uint8_t>(out, out + 16), FromHex(answer.cipher)) << answer.key;
        ASSERT_TRUE(cipher.DecryptBlock(out, out));
        EXPECT_EQ(std::vector<uint8_t>(out, out + 16), plain) << answer.key;
    }
}

TEST_P(AesMethods, ManyBlocksAtOnceEqualBlocksOneByOne)
{
    std::mt19937 random(7);
    std::vector<uint8_t> data(16 * 21);
    for (auto& byte : data)
        byte = uint8_t(random());
    const auto key = FromHex(KNOWN_ANSWERS[3].key);
    CAesCipher cipher(GetParam());
    ASSERT_TRUE(cipher.MakeKey(key.data(), 256));
    std::vector<uint8_t> bulk(data.size());
    ASSERT_TRUE(cipher.EncryptBlocks(data.data(), bulk.data(), 21));
    for (size_t i = 0; i < 21; ++i) {
        uint8_t single[16];
        cipher.EncryptBlock(data.data() + 16 * i, single);
        ASSERT_EQ(0, memcmp(single, bulk.data() + 16 * i, 16)) << "block " << i;
    }
    std::vector<uint8_t> back(data.size());
    ASSERT_TRUE(cipher.DecryptBlocks(bulk.data(), back.data(), 21));
    EXPECT_EQ(back, data);
}

INSTANTIATE_TEST_SUITE_P(Aes, AesMethods, ::testing::Values(CAesCipher::Method::Best, CAesCipher::Method::Portable),
                         [](const auto& info) {
                             return info.param == CAesCipher::Method::Best ? std::string("Best")
                                                                           : std::string("Portable");
                         });

TEST(AesCipher, RefusesKeySizesOtherThan128_192_256AndUseWithoutKey)
{
    const uint8_t key[32] {};
    CAesCipher cipher;
    uint8_t block[16] {};
    EXPECT_FALSE(cipher.EncryptBlock(block, block));
    EXPECT_FALSE(cipher.MakeKey(key, 64));
    EXPECT_FALSE(cipher.MakeKey(key, 160));
    EXPECT_FALSE(cipher.MakeKey(nullptr, 128));
    EXPECT_FALSE(cipher.HasKey());
    EXPECT_TRUE(cipher.MakeKey(key, 192));
    EXPECT_TRUE(cipher.MakeKey(key, 120)); // (120 + 31) / 32 = 4 words
}

} // namespace

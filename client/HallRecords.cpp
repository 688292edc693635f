#include "client/HallRecords.h"

#include <algorithm>

#include "client/ClientKeys.h"
#include "client/ClientText.h"
#include "net/AesCipher.h"

namespace client {

namespace {

enum class CipherDirection { Encipher, Decipher };

std::vector<uint8_t> RunCopyDataCipher(std::span<const uint8_t> in, CipherDirection direction)
{
    std::vector<uint8_t> out(in.begin(), in.end());
    net::CAesCipher cipher;
    if (!cipher.MakeKey(COPYDATA_KEY_BLOCK, COPYDATA_KEY_BITS))
        return out;
    const size_t blocks = out.size() / net::CAesCipher::BLOCK_SIZE;
    if (direction == CipherDirection::Encipher)
        cipher.EncryptBlocks(out.data(), out.data(), blocks);
    else
        cipher.DecryptBlocks(out.data(), out.data(), blocks);
    return out;
}

} // namespace

std::vector<uint8_t> EncipherCopyData(std::span<const uint8_t> plain)
{
    return RunCopyDataCipher(plain, CipherDirection::Encipher);
}

std::vector<uint8_t> DecipherCopyData(std::span<const uint8_t> enciphered)
{
    return RunCopyDataCipher(enciphered, CipherDirection::Decipher);
}

std::vector<uint8_t> MakeOpenUrlPayload(OpenUrlRecord record, const std::string& url)
{
    CopyTextField(record.url, url);
    std::vector<uint8_t> plain(OpenUrlRecord::SENT_BYTES, 0);
    WriteRecord(record, plain);
    return EncipherCopyData(plain);
}

} // namespace client

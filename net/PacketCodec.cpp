#include "net/PacketCodec.h"

#include "net/PacketCrypt.h"
#include "net/PacketZip.h"
#include "net/WireBytes.h"

#include <cstring>
#include <vector>

namespace net {

namespace {

struct LayerWrapper {
    uint32_t method { 0 };
    uint32_t plain_length { 0 };
    uint32_t payload_length { 0 };
};

// Replaces the buffer by wrapper | payload.
bool Wrap(CByteBuffer& buffer, uint32_t method, uint32_t plain_length, const uint8_t* payload,
          size_t payload_length)
{
    if (payload_length > UINT32_MAX)
        return false;
    uint8_t wrapper[LAYER_WRAPPER_SIZE] {};
    StoreU32LE(wrapper, method);
    StoreU32LE(wrapper + 4, plain_length);
    StoreU32LE(wrapper + 16, uint32_t(payload_length));
    CByteBuffer result;
    if (!result.Reserve(LAYER_WRAPPER_SIZE + payload_length))
        return false;
    result.Append(wrapper, sizeof wrapper);
    result.Append(payload, payload_length);
    buffer = std::move(result);
    return true;
}

// Puts the "stored" wrapper in front of the buffer's own bytes.
bool WrapStored(CByteBuffer& buffer)
{
    const size_t n = buffer.GetSize();
    if (n > UINT32_MAX)
        return false;
    uint8_t wrapper[LAYER_WRAPPER_SIZE] {};
    StoreU32LE(wrapper + 4, uint32_t(n));
    StoreU32LE(wrapper + 16, uint32_t(n));
    return buffer.Insert(wrapper, sizeof wrapper) == sizeof wrapper;
}

enum class Layer { Refused, Stored, Packed };

// Reads a layer's wrapper. A stored layer (method 0) is left as its payload
// alone; a packed layer keeps its wrapper, and its payload must be exactly the
// stated length.
Layer OpenLayer(CByteBuffer& buffer, LayerWrapper& wrapper)
{
    if (buffer.GetSize() < LAYER_WRAPPER_SIZE)
        return Layer::Refused;
    const uint8_t* bytes = buffer.GetAt(0);
    wrapper.method = LoadU32LE(bytes);
    wrapper.plain_length = LoadU32LE(bytes + 4);
    wrapper.payload_length = LoadU32LE(bytes + 16);
    if (wrapper.method == 0) {
        buffer.Discard(LAYER_WRAPPER_SIZE);
        return Layer::Stored;
    }
    return buffer.GetSize() - LAYER_WRAPPER_SIZE == wrapper.payload_length ? Layer::Packed : Layer::Refused;
}

bool Replace(CByteBuffer& buffer, const uint8_t* bytes, size_t n)
{
    CByteBuffer result;
    if (!result.Reserve(n))
        return false;
    result.Append(bytes, n);
    buffer = std::move(result);
    return true;
}

// Asks the cipher for its output size, then runs it into `out`.
bool RunCipher(const uint8_t* key, uint32_t key_bits, const uint8_t* input, size_t n, uint32_t flags,
               std::vector<uint8_t>& out)
{
    size_t size = 0;
    if (CPacketCrypt::Crypt(key, key_bits, input, n, nullptr, &size, flags) != CPacketCrypt::CRYPT_OK || size == 0)
        return false;
    out.assign(size, 0);
    return CPacketCrypt::Crypt(key, key_bits, input, n, out.data(), &size, flags) == CPacketCrypt::CRYPT_OK;
}

} // namespace

CPacketCodec::CPacketCodec(const uint8_t* key, uint32_t key_bits, uint32_t cipher_flags, uint32_t compression_flags)
    : m_key(key)
    , m_key_bits(key_bits)
    , m_cipher_flags(cipher_flags)
    , m_compression_flags(compression_flags)
{
}

int CPacketCodec::SetParams(const uint8_t* key, uint32_t key_bits, uint32_t cipher_flags, uint32_t compression_flags)
{
    m_key = key;
    m_key_bits = key_bits;
    m_cipher_flags = cipher_flags;
    m_compression_flags = compression_flags;
    return CODEC_OK;
}

int CPacketCodec::Transform(CByteBuffer& buffer, int mode) const
{
    switch (mode) {
    case MODE_ENCODE:
        return Compress(buffer, CODEC_DIRECTION_ENCODE) == CODEC_OK && Encrypt(buffer, CODEC_DIRECTION_ENCODE) == CODEC_OK
            ? CODEC_OK
            : CODEC_FAILED;
    case MODE_DECODE:
        return Encrypt(buffer, CODEC_DIRECTION_DECODE) == CODEC_OK && Compress(buffer, CODEC_DIRECTION_DECODE) == CODEC_OK
            ? CODEC_OK
            : CODEC_FAILED;
    default:
        return CODEC_FAILED;
    }
}

int CPacketCodec::Encrypt(CByteBuffer& buffer, uint32_t direction) const
{
    if (direction == CODEC_DIRECTION_ENCODE) {
        const size_t n = buffer.GetSize();
        if (n > UINT32_MAX - 32)
            return CODEC_FAILED;
        if (m_cipher_flags == 0)
            return WrapStored(buffer) ? CODEC_OK : CODEC_FAILED;
        std::vector<uint8_t> out;
        if (!RunCipher(m_key, m_key_bits, buffer.GetAt(0), n, m_cipher_flags | CODEC_DIRECTION_ENCODE, out))
            return CODEC_FAILED;
        return Wrap(buffer, m_cipher_flags, uint32_t(n), out.data(), out.size()) ? CODEC_OK : CODEC_FAILED;
    }
    if (direction != CODEC_DIRECTION_DECODE)
        return CODEC_FAILED;

    LayerWrapper wrapper;
    const Layer layer = OpenLayer(buffer, wrapper);
    if (layer != Layer::Packed)
        return layer == Layer::Stored ? CODEC_OK : CODEC_FAILED;
    const size_t rest = wrapper.payload_length;
    if (wrapper.plain_length > rest || rest % 16 != 0)
        return CODEC_FAILED;
    std::vector<uint8_t> out;
    if (!RunCipher(m_key, m_key_bits, buffer.GetAt(LAYER_WRAPPER_SIZE), rest, wrapper.method | CODEC_DIRECTION_DECODE,
                   out))
        return CODEC_FAILED;
    return Replace(buffer, out.data(), wrapper.plain_length) ? CODEC_OK : CODEC_FAILED;
}

int CPacketCodec::Compress(CByteBuffer& buffer, uint32_t direction) const
{
    if (direction == CODEC_DIRECTION_ENCODE) {
        const size_t n = buffer.GetSize();
        if (n > UINT32_MAX - LAYER_WRAPPER_SIZE)
            return CODEC_FAILED;
        std::vector<uint8_t> out;
        if (m_compression_flags != 0
            && CPacketZip::Transform(buffer.Bytes(), out, m_compression_flags | CODEC_DIRECTION_ENCODE) == CPacketZip::ZIP_OK)
            return Wrap(buffer, m_compression_flags, uint32_t(n), out.data(), out.size()) ? CODEC_OK : CODEC_FAILED;
        return WrapStored(buffer) ? CODEC_OK : CODEC_FAILED;
    }
    if (direction != CODEC_DIRECTION_DECODE)
        return CODEC_FAILED;

    LayerWrapper wrapper;
    const Layer layer = OpenLayer(buffer, wrapper);
    if (layer != Layer::Packed)
        return layer == Layer::Stored ? CODEC_OK : CODEC_FAILED;
    const size_t rest = wrapper.payload_length;
    if (wrapper.plain_length > MAX_INFLATED_SIZE)
        return CODEC_FAILED;
    if (wrapper.plain_length == 0) {
        buffer.Discard(buffer.GetSize());
        return CODEC_OK;
    }
    std::vector<uint8_t> out;
    const std::span<const uint8_t> payload(buffer.GetAt(LAYER_WRAPPER_SIZE), rest);
    if (CPacketZip::Transform(payload, out, wrapper.method | CODEC_DIRECTION_DECODE, wrapper.plain_length)
            != CPacketZip::ZIP_OK
        || out.size() < wrapper.plain_length)
        return CODEC_FAILED;
    return Replace(buffer, out.data(), wrapper.plain_length) ? CODEC_OK : CODEC_FAILED;
}

} // namespace net

#include "net/PacketFrame.h"

#include "net/Crc32.h"
#include "net/NetLog.h"
#include "net/PacketCodec.h"
#include "net/PacketCrypt.h"
#include "net/WireBytes.h"

#include <algorithm>
#include <cstring>

namespace net {

void PacketHeader::WriteTo(uint8_t* bytes) const
{
    const uint32_t words[13] = { kind,        frame_sequence, crc_present, crc,           reserved4,
                                 reserved5,   message_serial, part_number, last_part,     reserved9,
                                 answer_wanted, reserved11,   reserved12 };
    for (size_t i = 0; i < 13; ++i)
        StoreU32LE(bytes + 4 * i, words[i]);
}

PacketHeader PacketHeader::ReadFrom(const uint8_t* bytes)
{
    PacketHeader header;
    uint32_t* words[13] = { &header.kind,        &header.frame_sequence, &header.crc_present, &header.crc,
                            &header.reserved4,   &header.reserved5,      &header.message_serial,
                            &header.part_number, &header.last_part,      &header.reserved9,
                            &header.answer_wanted, &header.reserved11,   &header.reserved12 };
    for (size_t i = 0; i < 13; ++i)
        *words[i] = LoadU32LE(bytes + 4 * i);
    return header;
}

void BuildMessageBody(const RequestRecord& request, CByteBuffer& body)
{
    const std::span<const uint8_t> data = request.Data();
    uint8_t head[MESSAGE_BODY_HEADER_SIZE];
    StoreU32LE(head, request.reserved0);
    StoreU32LE(head + 4, request.id);
    for (size_t i = 0; i < 4; ++i)
        StoreU32LE(head + 8 + 4 * i, request.reserved[i]);
    StoreU32LE(head + 24, uint32_t(data.size()));
    body.Reset();
    body.Append(head, sizeof head);
    body.Append(data.data(), data.size());
}

bool EncodeMessage(const RequestRecord& request, const CodecSettings& codec, CByteBuffer& encoded)
{
    if (request.data_length < 0)
        return false;
    BuildMessageBody(request, encoded);
    const CPacketCodec packet_codec(codec.key, codec.key_bits, codec.cipher_flags, codec.compression_flags);
    return packet_codec.Transform(encoded, CPacketCodec::MODE_ENCODE) == CPacketCodec::CODEC_OK;
}

void SplitIntoParts(CByteBuffer& source, size_t part_limit, CByteBuffer& parts)
{
    part_limit = std::clamp<size_t>(part_limit, 1, MAX_PART_LIMIT);
    parts.Reset();
    parts.Reserve(source.GetSize() + (source.GetSize() / part_limit + 1) * 4);
    while (source.GetSize() > 0) {
        const size_t n = std::min(source.GetSize(), part_limit);
        uint8_t length[4];
        StoreU32LE(length, uint32_t(n));
        parts.Append(length, 4);
        parts.Append(source.GetAt(0), n);
        source.Discard(n);
    }
}

void BuildFrame(PacketHeader header, std::span<const uint8_t> part, bool with_crc, CByteBuffer& frame)
{
    const size_t total = part.size() + FRAME_OVERHEAD;
    frame.Reset();
    frame.Resize(total + 4);
    uint8_t* bytes = frame.GetAt(0);
    StoreU32LE(bytes, uint32_t(total));
    header.crc_present = 0;
    header.crc = 0;
    header.WriteTo(bytes + 4);
    StoreU32LE(bytes + 56, uint32_t(part.size()));
    if (!part.empty())
        std::memcpy(bytes + FRAME_PREFIX_SIZE, part.data(), part.size());
    if (with_crc) {
        const uint32_t crc = Crc32(frame.Bytes());
        StoreU32LE(bytes + 4 + 8, 1);
        StoreU32LE(bytes + 4 + 12, crc);
    }
}

bool FrameParts(std::span<const uint8_t> parts, PacketHeader header, bool with_crc,
                const std::function<uint32_t()>& next_sequence,
                const std::function<bool(std::span<const uint8_t>)>& emit)
{
    size_t offset = 0;
    CByteBuffer frame;
    while (parts.size() - offset >= 4) {
        const uint32_t length = LoadU32LE(parts.data() + offset);
        offset += 4;
        if (length > parts.size() - offset)
            return false;
        header.frame_sequence = next_sequence();
        ++header.part_number;
        header.last_part = (parts.size() - offset - length < 5) ? 1 : 0;
        BuildFrame(header, parts.subspan(offset, length), with_crc, frame);
        if (!emit(frame.Bytes()))
            return false;
        offset += length;
    }
    return true;
}

bool IsFrameTotalAcceptable(uint32_t total, size_t part_limit)
{
    return total == SHORT_FRAME_TOTAL || (total > FRAME_OVERHEAD && total <= part_limit + FRAME_OVERHEAD);
}

bool ValidatePacket(std::span<uint8_t> frame, size_t part_limit)
{
    if (frame.size() < 4)
        return false;
    const uint32_t total = LoadU32LE(frame.data());
    if (!IsFrameTotalAcceptable(total, part_limit) || frame.size() != size_t(total) + 4)
        return false;
    if (total < FRAME_OVERHEAD)
        return true; // no full header: the handler refuses it
    uint8_t* header = frame.data() + 4;
    if (LoadU32LE(header + 8) != 0) {
        const uint32_t saved = LoadU32LE(header + 12);
        StoreU32LE(header + 8, 0);
        StoreU32LE(header + 12, 0);
        if (Crc32(frame) != saved)
            return false;
    }
    return true;
}

bool JoinLengthPrefixedParts(std::span<const uint8_t> parts, size_t part_limit, CByteBuffer& joined)
{
    joined.Reset();
    size_t offset = 0;
    while (parts.size() - offset >= 5) {
        const uint32_t length = LoadU32LE(parts.data() + offset);
        offset += 4;
        if (length > part_limit) {
            LogPrintf("packet length error! len = %ld", long(length));
            return false;
        }
        if (length > parts.size() - offset) {
            LogPrintf("packet decompose error! len = %ld", long(length));
            return false;
        }
        joined.Append(parts.data() + offset, length);
        offset += length;
    }
    return true;
}

std::unique_ptr<CommMessage> DecodeIncomingPacket(std::span<const uint8_t> assembled, const CodecSettings& codec,
                                                  size_t part_limit, const char** refusal)
{
    const auto refuse = [refusal](const char* reason) -> std::unique_ptr<CommMessage> {
        if (refusal != nullptr)
            *refusal = reason;
        return nullptr;
    };
    if (assembled.size() < CONN_RECORD_SIZE)
        return refuse("shorter than its connection record");
    auto message = std::make_unique<CommMessage>();
    message->conn = ConnRecord::ReadFrom(assembled.data());
    CByteBuffer body;
    if (!JoinLengthPrefixedParts(assembled.subspan(CONN_RECORD_SIZE), part_limit, body))
        return refuse("its part list does not join");
    const CPacketCodec packet_codec(codec.key, codec.key_bits, codec.cipher_flags, codec.compression_flags);
    if (packet_codec.Encrypt(body, CODEC_DIRECTION_DECODE) != CPacketCodec::CODEC_OK)
        return refuse("the codec refused its cipher layer");
    if (packet_codec.Compress(body, CODEC_DIRECTION_DECODE) != CPacketCodec::CODEC_OK)
        return refuse("the codec refused its zlib layer");
    if (body.GetSize() < MESSAGE_BODY_HEADER_SIZE)
        return refuse("its body is shorter than a message header");
    const uint8_t* bytes = body.GetAt(0);
    RequestRecord& request = message->request;
    request.reserved0 = LoadU32LE(bytes);
    request.id = LoadU32LE(bytes + 4);
    for (size_t i = 0; i < 4; ++i)
        request.reserved[i] = LoadU32LE(bytes + 8 + 4 * i);
    const int32_t length = int32_t(LoadU32LE(bytes + 24));
    if (length < 0 || size_t(length) > body.GetSize() - MESSAGE_BODY_HEADER_SIZE)
        return refuse("its data length runs past its body");
    request.data_length = length;
    if (length > 0) {
        request.data = std::make_unique<uint8_t[]>(size_t(length));
        std::memcpy(request.data.get(), bytes + MESSAGE_BODY_HEADER_SIZE, size_t(length));
    }
    return message;
}

} // namespace net

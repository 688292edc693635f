#include "net/FrameAssembler.h"

#include "net/WireBytes.h"

#include <cstdarg>
#include <cstdio>

namespace net {

void CFrameAssembler::Refuse(const Context& context, const char* format, ...)
{
    if (!context.refuse)
        return;
    char reason[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(reason, sizeof reason, format, args);
    va_end(args);
    context.refuse(reason);
}

bool CFrameAssembler::ProcessReceiveBuffer(CPeerRecord& peer, const Context& context, const PostFunction& post)
{
    CByteBuffer& buffer = peer.m_receive_buffer;
    bool all_good = true;
    // A length word is judged as soon as its 4 bytes are there: one that can
    // never be valid must not wait for bytes that may never come.
    while (buffer.GetSize() >= 4) {
        const uint32_t total = LoadU32LE(buffer.GetAt(0));
        if (!IsFrameTotalAcceptable(total, context.part_limit)) {
            // The stream cannot be followed past a bad length: drop what is buffered.
            Refuse(context, "a frame's length word says %u bytes", total);
            buffer.Discard(buffer.GetSize());
            return false;
        }
        const size_t frame_size = size_t(total) + 4;
        if (buffer.GetSize() < frame_size)
            break;
        const std::span<uint8_t> frame(buffer.GetAt(0), frame_size);
        // A frame that fails its check or its handler is dropped and the pass
        // reports failure (the socket client then reads no more), but the
        // whole frames already behind it are still handled, so nothing is
        // left in the buffer waiting for bytes that will not be read.
        if (!ValidatePacket(frame, context.part_limit)) {
            Refuse(context, "a frame of %zu bytes failed its checks (length or CRC)", frame_size);
            all_good = false;
        } else if (!HandlePacket(peer, context, frame, post)) {
            all_good = false;
        }
        buffer.Discard(frame_size);
    }
    return all_good;
}

bool CFrameAssembler::JoinParts(CByteBuffer& buffer, const Context& context, const PacketHeader& header,
                                std::span<const uint8_t> part)
{
    if (header.part_number == 1) {
        buffer.Reset();
        ConnRecord conn;
        conn.socket = context.socket;
        conn.message_serial = header.message_serial;
        conn.answer_wanted = header.answer_wanted;
        conn.cookie = context.cookie;
        uint8_t image[CONN_RECORD_SIZE];
        conn.WriteTo(image);
        buffer.Append(image, sizeof image);
    }
    if (buffer.GetSize() + 4 + part.size() > MAX_ASSEMBLED_MESSAGE)
        return false;
    uint8_t length[4];
    StoreU32LE(length, uint32_t(part.size()));
    buffer.Append(length, 4);
    buffer.Append(part.data(), part.size());
    return true;
}

bool CFrameAssembler::HandlePacket(CPeerRecord& peer, const Context& context, std::span<const uint8_t> frame,
                                   const PostFunction& post)
{
    if (frame.size() < FRAME_PREFIX_SIZE)
        return false;
    const PacketHeader header = PacketHeader::ReadFrom(frame.data() + 4);
    const uint32_t data_length = LoadU32LE(frame.data() + 56);
    if (data_length != frame.size() - FRAME_PREFIX_SIZE)
        return false;
    if ((header.kind != FRAME_KIND_MESSAGE && header.kind != FRAME_KIND_ANSWER) || header.message_serial == 0
        || header.part_number == 0)
        return false;
    const std::span<const uint8_t> part = frame.subspan(FRAME_PREFIX_SIZE);
    if (header.kind == FRAME_KIND_MESSAGE)
        return TakeMessagePart(peer, context, header, part, post);
    return TakeAnswerPart(peer, context, header, part);
}

bool CFrameAssembler::TakeMessagePart(CPeerRecord& peer, const Context& context, const PacketHeader& header,
                                      std::span<const uint8_t> part, const PostFunction& post)
{
    if (peer.m_assembling_serial == 0) {
        if (header.part_number != 1)
            return true; // the middle of a message we never saw the start of
        peer.m_assembling_serial = header.message_serial;
        peer.m_last_part = 1;
    } else if (header.message_serial == peer.m_assembling_serial && header.part_number == peer.m_last_part + 1) {
        peer.m_last_part = header.part_number;
    } else {
        // Out of order or interleaved: the partial message is lost.
        peer.m_assembling_serial = 0;
        peer.m_last_part = 0;
        peer.m_message_buffer.Reset();
        return true;
    }
    if (!JoinParts(peer.m_message_buffer, context, header, part)) {
        Refuse(context, "message %u joined past %zu bytes at part %u", header.message_serial,
               MAX_ASSEMBLED_MESSAGE, header.part_number);
        peer.m_assembling_serial = 0;
        peer.m_last_part = 0;
        peer.m_message_buffer.Reset();
        return false;
    }
    if (header.last_part == 1) {
        const char* refusal = "";
        std::unique_ptr<CommMessage> message =
            DecodeIncomingPacket(peer.m_message_buffer.Bytes(), context.codec, context.part_limit, &refusal);
        if (!message)
            Refuse(context, "message %u (%zu bytes) not decoded: %s", header.message_serial,
                   peer.m_message_buffer.GetSize(), refusal);
        peer.m_assembling_serial = 0;
        peer.m_last_part = 0;
        peer.m_message_buffer.Reset();
        if (message && post)
            post(std::move(message));
    }
    return true;
}

bool CFrameAssembler::TakeAnswerPart(CPeerRecord& peer, const Context& context, const PacketHeader& header,
                                     std::span<const uint8_t> part)
{
    std::unique_ptr<CommMessage> answer;
    uint32_t serial = 0;
    size_t joined = 0;
    bool past_cap = false;
    const char* refusal = "";
    {
        std::lock_guard guard(peer.m_answer_state_lock);
        if (peer.m_expected_serial == 0)
            return false;
        if (header.message_serial < peer.m_expected_serial)
            return true; // a late answer to a request that gave up
        if (header.message_serial > peer.m_expected_serial) {
            peer.CancelExpectationLocked();
            return false;
        }
        if (header.part_number <= peer.m_last_answer_part)
            return true;
        if (header.part_number != peer.m_last_answer_part + 1) {
            peer.CancelExpectationLocked();
            return false;
        }
        if (!JoinParts(peer.m_answer_buffer, context, header, part)) {
            peer.CancelExpectationLocked();
            past_cap = true;
        } else {
            peer.m_last_answer_part = header.part_number;
            if (header.last_part != 1)
                return true;
            joined = peer.m_answer_buffer.GetSize();
            answer = DecodeIncomingPacket(peer.m_answer_buffer.Bytes(), context.codec, context.part_limit, &refusal);
            serial = peer.m_expected_serial;
            peer.CancelExpectationLocked();
        }
    }
    // Told outside the lock. An answer that fails to decode is not
    // delivered: its request ends by its time-out.
    if (past_cap) {
        Refuse(context, "the answer to message %u joined past %zu bytes at part %u", header.message_serial,
               MAX_ASSEMBLED_MESSAGE, header.part_number);
        return false;
    }
    if (!answer) {
        Refuse(context, "the answer to message %u (%zu bytes) not decoded: %s", header.message_serial, joined, refusal);
        return true;
    }
    peer.DeliverAnswer(serial, std::move(answer->request));
    return true;
}

} // namespace net

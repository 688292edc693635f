// CFrameAssembler: cuts a peer's receive buffer into frames, checks each
// (length, CRC), joins message parts and answer parts, decodes complete
// messages and hands them on: messages to the post function, answers into
// the peer's answer slot.
// Owner: none (static functions over a CPeerRecord). Threads: the socket
// worker thread of the peer (answer state under the peer's answer-state lock).
// Hazards: a hostile length word is refused as soon as it arrives (the
// buffer is then emptied, the stream being lost); a message being joined is
// capped at MAX_ASSEMBLED_MESSAGE.
#pragma once

#include "net/CommRecords.h"
#include "net/PacketFrame.h"
#include "net/PeerRecord.h"

#include <functional>
#include <memory>
#include <span>

namespace net {

class CFrameAssembler {
public:
    struct Context {
        CodecSettings codec;
        size_t part_limit { MAX_PART_LIMIT };
        int32_t socket { -1 };
        uint32_t cookie { 0 }; ///< the connection's cookie, written into each message's ConnRecord
    };
    using PostFunction = std::function<void(std::unique_ptr<CommMessage>)>;

    /// Handles every whole frame in the peer's receive buffer. False on a read
    /// failure (bad length, bad CRC, bad header, unexpected answer); the bad
    /// frame is dropped and the frames behind it are still handled (a bad
    /// length, after which the stream cannot be followed, drops everything).
    [[nodiscard]] static bool ProcessReceiveBuffer(CPeerRecord& peer, const Context& context, const PostFunction& post);

    /// One checked frame (total-length word first).
    [[nodiscard]] static bool HandlePacket(CPeerRecord& peer, const Context& context, std::span<const uint8_t> frame,
                                           const PostFunction& post);

private:
    /// Appends one part (u32 length | bytes) to an assembly buffer, with the
    /// ConnRecord image first on part 1. False past MAX_ASSEMBLED_MESSAGE.
    static bool JoinParts(CByteBuffer& buffer, const Context& context, const PacketHeader& header,
                          std::span<const uint8_t> part);
    static bool TakeMessagePart(CPeerRecord& peer, const Context& context, const PacketHeader& header,
                                std::span<const uint8_t> part, const PostFunction& post);
    static bool TakeAnswerPart(CPeerRecord& peer, const Context& context, const PacketHeader& header,
                               std::span<const uint8_t> part);
};

} // namespace net

// CFrameAssembler: cuts a peer's receive buffer into frames, checks each
// (length, CRC), joins message parts and answer parts, decodes complete
// messages and hands them on: messages to the post function, answers into
// the peer's answer slot.
// Owner: none (static functions over a CPeerRecord). Threads: the socket
// worker thread of the peer (answer state under the peer's answer-state lock).
// Hazards: a hostile length word is refused as soon as it arrives (the
// buffer is then emptied, the stream being lost); a message being joined is
// capped at MAX_ASSEMBLED_MESSAGE. A frame that fails its checks, a message
// or answer joined past the cap and one the codec refuses are each told to
// the context's refuse function with the reason (nothing else is told of them).
#pragma once

#include "net/CommRecords.h"
#include "net/PacketFrame.h"
#include "net/PeerRecord.h"

#include <functional>
#include <memory>
#include <span>
#include <string>

namespace net {

class CFrameAssembler {
public:
    /// Told why a frame, message or answer was refused (one line of text).
    using RefuseFunction = std::function<void(const std::string& reason)>;
    struct Context {
        CodecSettings codec;
        size_t part_limit { MAX_PART_LIMIT };
        int32_t socket { -1 };
        uint32_t cookie { 0 }; ///< the connection's cookie, written into each message's ConnRecord
        RefuseFunction refuse; ///< may be empty
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
    static void Refuse(const Context& context, const char* format, ...) __attribute__((format(printf, 2, 3)));
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

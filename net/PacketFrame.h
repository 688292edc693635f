// The game-server frame: how an encoded message is cut into parts, what each
// frame and its PacketHeader carry, how CRC-32 protects a frame, and how an
// assembled message is decoded into its records. All integers little-endian.
//
// Frame (one per part):
//   offset 0   u32 total length = part length + 56 (not counting this word)
//   offset 4   PacketHeader, 52 bytes (thirteen u32 words):
//              0 kind (1 message, 2 answer)   1 frame sequence
//              2 CRC present                  3 CRC-32 (0 when absent)
//              4, 5 reserved                  6 message serial
//              7 part number (from 1)         8 last part (1 on the last)
//              9 reserved                     10 answer wanted
//              11, 12 reserved
//   offset 56  u32 data length = part length
//   offset 60  part bytes
// The CRC covers the whole frame, total-length word included, computed with
// header words 2 and 3 both 0.
// Part list: the encoded message cut into pieces of at most the part limit,
// each written as u32 length | bytes.
//
// Owner: none (free functions). Any thread.
// Hazards: every length read from a peer is checked against the bytes that
// are really there and against the part limit before use.
#pragma once

#include "net/ByteBuffer.h"
#include "net/CommRecords.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace net {

inline constexpr size_t PACKET_HEADER_SIZE = 52;
inline constexpr size_t FRAME_OVERHEAD = PACKET_HEADER_SIZE + 4;   ///< header and data-length word: 56
inline constexpr size_t FRAME_PREFIX_SIZE = 4 + FRAME_OVERHEAD;    ///< bytes before the part: 60
inline constexpr size_t MAX_PART_LIMIT = 4000;
inline constexpr size_t SHORT_FRAME_TOTAL = 24;                    ///< passes the length check, refused later
inline constexpr size_t MAX_ASSEMBLED_MESSAGE = 16u * 1024 * 1024; ///< cap on a message being joined

inline constexpr uint32_t FRAME_KIND_MESSAGE = 1;
inline constexpr uint32_t FRAME_KIND_ANSWER = 2;

struct PacketHeader {
    uint32_t kind { 0 };
    uint32_t frame_sequence { 0 };
    uint32_t crc_present { 0 };
    uint32_t crc { 0 };
    uint32_t reserved4 { 0 };
    uint32_t reserved5 { 0 };
    uint32_t message_serial { 0 };
    uint32_t part_number { 0 };
    uint32_t last_part { 0 };
    uint32_t reserved9 { 0 };
    uint32_t answer_wanted { 0 };
    uint32_t reserved11 { 0 };
    uint32_t reserved12 { 0 };

    void WriteTo(uint8_t* bytes) const;
    static PacketHeader ReadFrom(const uint8_t* bytes);
};
static_assert(sizeof(PacketHeader) == PACKET_HEADER_SIZE);

/// The codec values a client uses for every message.
struct CodecSettings {
    const uint8_t* key { nullptr };
    uint32_t key_bits { 128 };
    uint32_t cipher_flags { 0 };
    uint32_t compression_flags { 0 };
};

/// The message body of a request: words 0-5, data length, data.
void BuildMessageBody(const RequestRecord& request, CByteBuffer& body);

/// Body through both codec layers (encoding). False when a layer fails.
[[nodiscard]] bool EncodeMessage(const RequestRecord& request, const CodecSettings& codec, CByteBuffer& encoded);

/// Cuts `source` (consumed) into the part list: while more than the limit
/// remains take exactly `part_limit` bytes, then the rest. The limit is kept
/// within 1 to MAX_PART_LIMIT.
void SplitIntoParts(CByteBuffer& source, size_t part_limit, CByteBuffer& parts);

/// One frame around `part`; with `with_crc` the CRC words are filled.
void BuildFrame(PacketHeader header, std::span<const uint8_t> part, bool with_crc, CByteBuffer& frame);

/// Frames a part list in order. Each part takes the next frame sequence from
/// `next_sequence`, the next part number (counting on from the header's, which
/// is 0 for a whole message) and the last-part flag (set when fewer than 5
/// bytes of the list remain after it), and the frame goes to `emit`. False
/// when a length word runs past the list or `emit` refuses.
[[nodiscard]] bool FrameParts(std::span<const uint8_t> parts, PacketHeader header, bool with_crc,
                              const std::function<uint32_t()>& next_sequence,
                              const std::function<bool(std::span<const uint8_t>)>& emit);

/// The length check of a received total-length word: 24, or 57 to limit + 56.
[[nodiscard]] bool IsFrameTotalAcceptable(uint32_t total, size_t part_limit);

/// Checks a whole frame (total + 4 bytes from the length word) in place: the
/// total, and the CRC when header word 2 is not 0 (words 2 and 3 are zeroed).
[[nodiscard]] bool ValidatePacket(std::span<uint8_t> frame, size_t part_limit);

/// Joins a part list (u32 length | bytes ...) into `joined`. Parts above the
/// part limit or past the end fail (logged).
[[nodiscard]] bool JoinLengthPrefixedParts(std::span<const uint8_t> parts, size_t part_limit, CByteBuffer& joined);

/// Decodes an assembled buffer: a 24-byte ConnRecord image, then the part
/// list, joined and decoded to the body. Null on any failure, with its reason
/// (a static text) in `refusal` when one is given.
[[nodiscard]] std::unique_ptr<CommMessage> DecodeIncomingPacket(std::span<const uint8_t> assembled,
                                                                const CodecSettings& codec, size_t part_limit,
                                                                const char** refusal = nullptr);

} // namespace net

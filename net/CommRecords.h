// The records in which a received message leaves the network library:
// ConnRecord (where it came from) and RequestRecord (what it says). The
// socket worker makes them; they travel to the owner in one CommMessage
// payload of UM_COMM_MESSAGE, and the receiver frees them by dropping the
// payload (whether it handles them or not).
//
// Wire images (little-endian):
//   ConnRecord, 24 bytes: socket, message serial, answer wanted, cookie, 0, 0.
//   RequestRecord, 32 bytes: reserved, id, four reserved words, data length,
//   data; the message body on the wire is words 0-5, the data length and the
//   data bytes (at least 28 bytes). In memory the data word is an owned block.
// Threads: records are owned by one thread at a time and carry no lock.
#pragma once

#include "net/PendingTraffic.h"

#include "platform/Message.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace net {

inline constexpr size_t CONN_RECORD_SIZE = 24;
inline constexpr size_t MESSAGE_BODY_HEADER_SIZE = 28; ///< words 0-5 and the data length

inline constexpr uint32_t COMM_EVENT_CLOSED = 1;       ///< RequestRecord id: connection closed
inline constexpr uint32_t COMM_EVENT_SOCKET_ERROR = 2; ///< RequestRecord id: socket error

struct ConnRecord {
    int32_t socket { -1 };
    uint32_t message_serial { 0 };
    uint32_t answer_wanted { 0 };
    uint32_t cookie { 0 };
    uint32_t reserved[2] {};

    void WriteTo(uint8_t* bytes) const;
    static ConnRecord ReadFrom(const uint8_t* bytes);
};
static_assert(sizeof(ConnRecord) == CONN_RECORD_SIZE);

struct RequestRecord {
    uint32_t reserved0 { 0 };
    uint32_t id { 0 };
    std::array<uint32_t, 4> reserved {}; ///< carried through unchanged in received messages
    int32_t data_length { 0 };
    std::unique_ptr<uint8_t[]> data;     ///< data_length bytes, null when the length is 0

    RequestRecord() = default;
    RequestRecord(RequestRecord&&) = default;
    RequestRecord& operator=(RequestRecord&&) = default;

    /// A record with a copy of the bytes.
    [[nodiscard]] static RequestRecord Make(uint32_t id, std::span<const uint8_t> bytes);
    [[nodiscard]] std::span<const uint8_t> Data() const
    {
        return { data.get(), data ? size_t(data_length) : 0 };
    }
};

/// Frees the data block and clears the pointer and length.
void FreeRequestData(RequestRecord& record);
/// Copies the words and gives the copy its own block with the same bytes.
[[nodiscard]] RequestRecord CopyRequestRecord(const RequestRecord& record);

/// The payload of UM_COMM_MESSAGE. wparam points at `conn` and lparam at
/// `request` while the payload lives; receivers should use the payload itself.
/// The socket client counts the payload as not handled until it is freed (see
/// PendingTraffic.h): a receiver that must keep a message moves its records
/// out and lets the payload go.
struct CommMessage final : platform::MessagePayload {
    ConnRecord conn;
    RequestRecord request;
    CPendingTicket pending;

    /// What the message costs while it is not handled: the payload and its data block.
    [[nodiscard]] size_t CountedBytes() const { return sizeof(CommMessage) + request.Data().size(); }
};

} // namespace net

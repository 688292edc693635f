// What passes between the hall and this program besides the command line:
// the WM_COPYDATA kinds in both directions with their records, the cipher on
// them, and the private messages posted to the hall window.
// Owner: none (records are plain values, functions are free). Any thread.
// Wire layout: little-endian 32-bit words and zero-terminated GBK texts at
// fixed places (static_assert on each size). Every payload except the two
// status kinds is enciphered with AES-128 under the copy-data key, each whole
// 16-byte block on its own; a tail shorter than a block travels as it is.
// Hazards: records from the hall are read through the Read* functions, which
// check the length first and never read past the record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "client/RecordCodec.h"

namespace client {

// WM_COPYDATA kinds from the hall.
inline constexpr uint32_t COPYDATA_LAUNCH = 1;
inline constexpr uint32_t COPYDATA_USER = 4;
inline constexpr uint32_t COPYDATA_HALL_REQUEST = 6;
inline constexpr uint32_t COPYDATA_SHOW_USER = 7;
inline constexpr uint32_t COPYDATA_IGNORED = 13;
inline constexpr uint32_t COPYDATA_SIGN_REPLY = 14;
// WM_COPYDATA kinds to the hall.
inline constexpr uint32_t COPYDATA_STATUS = 2;
inline constexpr uint32_t COPYDATA_STATUS_EX = 5;
inline constexpr uint32_t COPYDATA_OPEN_URL = 11;

// Messages posted to the hall window.
inline constexpr uint32_t UM_HALL_GAME_WINDOW = 0x9105;  ///< wparam our window, lparam table number
inline constexpr uint32_t UM_HALL_TABLE_NOTICE = 0x9107;
inline constexpr uint32_t UM_HALL_SIGN_REQUEST = 0x910C; ///< wparam the answer's window, lparam the request id
inline constexpr uint32_t UM_HALL_MATCH_WINDOW = 0x9118; ///< wparam our window, lparam own user id

/// How long a record to the hall may wait for the hall's answer.
inline constexpr uint32_t HALL_SEND_TIMEOUT_MS = 5000;

/// The status report to the hall (sent plain).
struct HallStatusRecord {
    static constexpr size_t BYTES = 188;

    int32_t status = 0; ///< 0: connection or version check failed; else our window
    int32_t user_id = 0;
    int32_t table_no = 0;
    int32_t chair = 0;
    int32_t version_value1 = 0;
    int32_t look_on = 0;
    int32_t status_kind = 0; ///< the hall status kind flag
    int32_t game_id = 0;
    int32_t version_value2 = 0;
    int32_t reserved9[38] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.status), v(r.user_id), v(r.table_no), v(r.chair), v(r.version_value1), v(r.look_on);
        v(r.status_kind), v(r.game_id), v(r.version_value2), v(r.reserved9);
    }
};
static_assert(FieldListBytes<HallStatusRecord>() == HallStatusRecord::BYTES);

/// A request to the hall to open a web address for us.
struct OpenUrlRecord {
    static constexpr size_t BYTES = 532;
    /// The record is padded with zeros to this length before it is enciphered.
    static constexpr size_t SENT_BYTES = 544;
    static constexpr size_t URL_MAX = 255;

    int32_t window = 0;
    int32_t user_id = 0;
    int32_t game_id = 0;
    int32_t hall_value3 = 0;
    int32_t mode = 0;
    char url[256] {};
    char reserved276[256] {};

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.window), v(r.user_id), v(r.game_id), v(r.hall_value3), v(r.mode), v(r.url), v(r.reserved276);
    }
};
static_assert(FieldListBytes<OpenUrlRecord>() == OpenUrlRecord::BYTES);
static_assert(OpenUrlRecord::SENT_BYTES % 16 == 0 && OpenUrlRecord::SENT_BYTES > OpenUrlRecord::BYTES);

/// The hall's answer to a sign request: word 0 the user id, bytes 8-263 the
/// token, at byte 268 the request id the client posted.
struct SignReplyRecord {
    static constexpr size_t BYTES = 272;
    static constexpr size_t TOKEN_MAX = 255;

    int32_t user_id = 0;
    int32_t reserved1 = 0;
    char token[256] {};
    int32_t reserved264 = 0;
    int32_t request_id = 0;

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.user_id), v(r.reserved1), v(r.token), v(r.reserved264), v(r.request_id);
    }
};
static_assert(FieldListBytes<SignReplyRecord>() == SignReplyRecord::BYTES);

/// The record the hall sends when somebody at our table leaves through it:
/// word 0 the hall window, 1 the user id, 2 the table number, 3 the chair.
struct HallRequestRecord {
    static constexpr size_t BYTES = 16;

    int32_t hall_window = 0;
    int32_t user_id = 0;
    int32_t table_no = 0;
    int32_t chair = 0;

    template <class Self, class Visit>
    static constexpr void Fields(Self& r, Visit& v)
    {
        v(r.hall_window), v(r.user_id), v(r.table_no), v(r.chair);
    }
};
static_assert(FieldListBytes<HallRequestRecord>() == HallRequestRecord::BYTES);

/// Enciphers or deciphers a copy-data payload: the result has the same length.
[[nodiscard]] std::vector<uint8_t> EncipherCopyData(std::span<const uint8_t> plain);
[[nodiscard]] std::vector<uint8_t> DecipherCopyData(std::span<const uint8_t> enciphered);

/// Whether a kind travels enciphered (every kind but the two status kinds).
[[nodiscard]] constexpr bool IsEncipheredCopyData(uint32_t kind)
{
    return kind != COPYDATA_STATUS && kind != COPYDATA_STATUS_EX;
}

/// The bytes of an open-address request as sent: the record padded to
/// SENT_BYTES and enciphered. The address is cut to 255 bytes.
[[nodiscard]] std::vector<uint8_t> MakeOpenUrlPayload(OpenUrlRecord record, const std::string& url);

} // namespace client

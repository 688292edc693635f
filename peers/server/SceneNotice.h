// The scene notice (211920) the stand-in server sends a client that has
// logged on, as a table does: the record's first word asks the client's
// scene for its QR-code panel, and the text from byte 32
// (scene::QR_NOTICE_TEXT_AT, ended by a zero) is what the code spells: the
// mobile site's address.
// Thread: any (a pure function).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace peers {

/// The notice record of `text`: word 0 is 1, the rest of the head 0, then
/// the text and its zero.
[[nodiscard]] std::vector<uint8_t> SceneNoticeRecord(std::string_view text);

/// The text the stand-in's notice carries.
[[nodiscard]] std::string_view SceneNoticeText();

} // namespace peers

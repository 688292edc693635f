#pragma once
// The scene's fixed text tables: quick-talk phrases, card value names, suit
// names and Chinese numerals, and the two functions that read them. All
// texts are GBK.
//
// Owner: static tables built before main and never changed.
// Thread: any (read only).

#include <cstdint>
#include <string>
#include <string_view>

namespace scene {

inline constexpr int QUICK_TALK_PHRASES = 20;
inline constexpr int VALUE_NAMES = 20;
inline constexpr int SUIT_NAMES = 10;

/// The quick-talk phrase at an index (0..19); empty outside.
[[nodiscard]] std::string_view GetQuickTalkPhrase(int index);
/// The name of a card value (1 "2" .. 13 "A", 14 "小王", 15 "大王"); empty
/// for 0, 16..19 and anything outside the table.
[[nodiscard]] std::string_view GetValueName(int32_t value);
/// The name of a suit (0 "方块", 1 "梅花", 2 "红桃", 3 "黑桃"); empty otherwise.
[[nodiscard]] std::string_view GetSuitName(int32_t suit);
/// "零" .. "二十" for 0..20, "N" for any other number.
[[nodiscard]] std::string ChineseNumeral(int number);
/// Suit name then value name of a card ("红桃A"; a joker only "大王").
[[nodiscard]] std::string GetCardName(int32_t card);

} // namespace scene

#pragma once
// Server messages of the card table as the tests build them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

#include "platform/ByteOrder.h"

namespace scene::test {

/// Little-endian words from the body's start, zero-padded to `size` bytes.
inline std::vector<uint8_t> Words(std::initializer_list<int32_t> words, size_t size = 0)
{
    std::vector<uint8_t> body(std::max(size, 4 * words.size()), 0);
    size_t at = 0;
    for (const int32_t word : words)
        platform::StoreU32LE(body.data() + 4 * at++, static_cast<uint32_t>(word));
    return body;
}

/// A relayed game-data message: the 20-byte head (sub-id at word 2, the body
/// length at word 4: the words' unless `length` is given), then the words.
inline std::vector<uint8_t> GameData(int32_t sub_id, const std::vector<int32_t>& words,
                                     std::optional<int32_t> length = std::nullopt)
{
    std::vector<uint8_t> body(20 + 4 * words.size(), 0);
    platform::StoreU32LE(body.data() + 8, static_cast<uint32_t>(sub_id));
    platform::StoreU32LE(body.data() + 16, static_cast<uint32_t>(length.value_or(4 * int32_t(words.size()))));
    for (size_t i = 0; i < words.size(); ++i)
        platform::StoreU32LE(body.data() + 20 + 4 * i, static_cast<uint32_t>(words[i]));
    return body;
}

/// A record of 32-bit words (index, value); size in words.
inline std::vector<uint8_t> Words(size_t size, const std::vector<std::pair<size_t, int32_t>>& words)
{
    std::vector<uint8_t> body(4 * size, 0);
    for (const auto& [index, value] : words)
        if (index < size)
            platform::StoreU32LE(body.data() + 4 * index, static_cast<uint32_t>(value));
    return body;
}

/// This game's play event 221170 as its handler hands it on (320 bytes).
inline std::vector<uint8_t> PlayEvent(int32_t chair, int32_t next, int32_t type, std::vector<int32_t> cards,
                                      int32_t table_points = 0, int32_t place = 0, int32_t points_added = 0)
{
    std::vector<std::pair<size_t, int32_t>> words { { 3, chair },  { 4, next },      { 6, place },
                                                    { 7, 20 },     { 8, points_added }, { 9, table_points },
                                                    { 12, type },  { 15, static_cast<int32_t>(cards.size()) } };
    for (size_t i = 0; i < 64; ++i)
        words.emplace_back(16 + i, i < cards.size() ? cards[i] : -1);
    return Words(80, words);
}

} // namespace scene::test

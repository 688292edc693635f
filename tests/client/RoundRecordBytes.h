// This game's round records as the server sends them, for the client's tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "client/CPlDkGameState.h"
#include "game/rules/PlDkRecords.h"

namespace client_test {

/// The first `size` bytes of a fresh table block with some header words set.
inline std::vector<uint8_t> TableBlockBytes(int32_t round_number, int32_t current_chair,
                                            size_t size = client::CPlDkGameState::ROUND_START_BYTES)
{
    rules::TableGameData block;
    rules::InitTableGameData(&block);
    block.head[8] = round_number;
    block.head[14] = current_chair;
    block.head[15] = 0x101;
    block.head_partner = 2;
    std::vector<uint8_t> bytes(rules::TABLE_GAME_DATA_BYTES);
    rules::WriteTableGameData(block, bytes);
    bytes.resize(size);
    return bytes;
}

inline std::vector<uint8_t> ResultBytes(int32_t round_number)
{
    rules::PlDkGameWinResult result {};
    result.base.round_number = round_number;
    result.base.chair_count = 4;
    result.five = 5;
    for (auto& list : result.cards_left)
        std::fill(std::begin(list), std::end(list), -1);
    for (auto& list : result.dealt_hands)
        std::fill(std::begin(list), std::end(list), -1);
    std::vector<uint8_t> bytes(rules::PLDK_GAME_WIN_BYTES);
    rules::WritePlDkGameWinResult(result, bytes);
    return bytes;
}

} // namespace client_test

#pragma once
// The common header of the card game's records (the table information, the
// deal, the round start and the round result): words 0-19 at the start of the
// record and words 90-92. Words 0-7 and 11-12 carry base-table values in the
// order below. CCardTable::FillRecordHeader fills it.
//
// Owner: none (constants). Thread: any.

#include <cstddef>

namespace rules {

enum RecordHeaderWord : int {
    HDR_TABLE_TAG = 0, HDR_ROOM_GRADE = 1, HDR_LEVEL_UNIT = 2, HDR_CHAIR_COUNT = 3,
    HDR_OPTIONS = 4, HDR_RELATION_MODE = 5, HDR_FIRST_ROUND = 6, HDR_ROUND_VALUE = 7,
    HDR_ROUND_NUMBER = 8, HDR_BASE_DEPOSIT = 9, HDR_BASE_SCORE = 10,
    HDR_TURN_LIMIT_MS = 11, HDR_TABLE_STAMP = 12,
    HDR_BANKER = 13, HDR_CURRENT_CHAIR = 14, HDR_STATE = 15, HDR_THROW_WAIT = 16,
    HDR_CONST_25 = 17, HDR_CONST_90 = 18, HDR_CONST_3 = 19,
    HDR_PARTNER = 90, HDR_TURNED_CARD = 91, HDR_TURNED_POSITION = 92,
};

/// Words 0-19 of the header.
inline constexpr size_t RECORD_HEADER_WORDS = 20;
/// The general card game's round-start and round-result record sizes (this
/// game's table has larger ones of its own).
inline constexpr size_t CARD_GAME_START_BYTES = 1096;
inline constexpr size_t CARD_GAME_WIN_BYTES = 456;

} // namespace rules

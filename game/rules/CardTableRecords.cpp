// CCardTable: the general card game's records. Its fillers clear the record
// and write the common header; this game's table fills its own records.
#include "game/rules/CardTable.h"

#include "platform/ByteWriter.h"

#include <algorithm>

namespace rules {

namespace {

constexpr size_t HEADER_BYTES = RECORD_HEADER_WORDS * 4;
constexpr size_t TAIL_OFFSET = HDR_PARTNER * 4;
constexpr size_t TAIL_END = (HDR_TURNED_POSITION + 1) * 4;

} // namespace

void CCardTable::FillRecordHeader(std::span<int32_t, RECORD_HEADER_WORDS> head, int32_t& partner,
                                  int32_t& turned_card, int32_t& turned_position) const
{
    head[HDR_TABLE_TAG] = m_args.table_tag;
    head[HDR_ROOM_GRADE] = m_args.room_grade;
    head[HDR_LEVEL_UNIT] = m_args.level_unit;
    head[HDR_CHAIR_COUNT] = m_chair_count;
    head[HDR_OPTIONS] = m_options;
    head[HDR_RELATION_MODE] = static_cast<int32_t>(m_relation_mode);
    head[HDR_FIRST_ROUND] = m_first_round;
    head[HDR_ROUND_VALUE] = m_round_value;
    head[HDR_ROUND_NUMBER] = m_round_number;
    head[HDR_BASE_DEPOSIT] = m_base_deposit;
    head[HDR_BASE_SCORE] = m_base_score;
    head[HDR_TURN_LIMIT_MS] = static_cast<int32_t>(m_turn_limit);
    head[HDR_TABLE_STAMP] = static_cast<int32_t>(m_table_stamp);
    head[HDR_BANKER] = m_banker;
    head[HDR_CURRENT_CHAIR] = m_current_chair;
    head[HDR_STATE] = static_cast<int32_t>(m_state);
    head[HDR_THROW_WAIT] = 0;
    head[HDR_CONST_25] = 25;
    head[HDR_CONST_90] = 90;
    head[HDR_CONST_3] = 3;
    partner = -1;
    turned_card = -1;
    turned_position = -1;
}

size_t CCardTable::WriteHeaderRecord(std::span<uint8_t> record) const
{
    std::fill(record.begin(), record.end(), uint8_t { 0 });
    if (record.size() < HEADER_BYTES)
        return 0;
    int32_t head[RECORD_HEADER_WORDS] {};
    int32_t tail[3] {};
    FillRecordHeader(head, tail[0], tail[1], tail[2]);
    platform::CByteWriter words(record.first(HEADER_BYTES));
    for (const int32_t word : head)
        words.WriteI32(word);
    if (record.size() >= TAIL_END) {
        platform::CByteWriter tail_words(record.subspan(TAIL_OFFSET, TAIL_END - TAIL_OFFSET));
        for (const int32_t word : tail)
            tail_words.WriteI32(word);
    }
    return record.size();
}

size_t CCardTable::FillGameStart(std::span<uint8_t> out)
{
    if (out.size() < CARD_GAME_START_BYTES)
        return 0;
    return WriteHeaderRecord(out.first(CARD_GAME_START_BYTES));
}

size_t CCardTable::FillTableInfo(std::span<uint8_t> out, int, int)
{
    return WriteHeaderRecord(out);
}

size_t CCardTable::FillDealInfo(std::span<uint8_t> out, int, int)
{
    return WriteHeaderRecord(out);
}

size_t CCardTable::FillGameWinRecord(std::span<uint8_t> out, int)
{
    if (out.size() < CARD_GAME_WIN_BYTES)
        return 0;
    return WriteHeaderRecord(out.first(CARD_GAME_WIN_BYTES));
}

} // namespace rules

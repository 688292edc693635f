#include "client/CPlDkGameState.h"

#include "platform/ByteReader.h"

#include <algorithm>
#include <vector>

#include "client/RecordCodec.h"

namespace client {

CPlDkGameState::CPlDkGameState() { rules::InitTableGameData(&m_table_data); }

bool CPlDkGameState::IsSeatFlagged(int chair) const
{
    return IsValidChair(chair) && (m_state_block[FIRST_SEAT_FLAG_WORD + chair] & SEAT_FLAG) != 0;
}

void CPlDkGameState::ResetTableData() { rules::InitTableGameData(&m_table_data); }

int32_t CPlDkGameState::FlagSeat(std::span<const uint8_t> record)
{
    platform::CByteReader in(record);
    const int32_t chair = in.ReadWords<4>()[3];
    if (!in.Ok() || !IsValidChair(chair))
        return -1;
    m_state_block[FIRST_SEAT_FLAG_WORD + chair] |= SEAT_FLAG;
    return chair;
}

void CPlDkGameState::ClearSeatFlags()
{
    for (int chair = 0; chair < SEAT_COUNT; ++chair)
        m_state_block[FIRST_SEAT_FLAG_WORD + chair] &= ~SEAT_FLAG;
}

void CPlDkGameState::UnflagSeat(int chair)
{
    if (IsValidChair(chair))
        m_state_block[FIRST_SEAT_FLAG_WORD + chair] &= ~SEAT_FLAG;
}

bool CPlDkGameState::BeginRound(std::span<const uint8_t> data)
{
    if (data.size() < ROUND_START_BYTES)
        return false;
    // The round's first words replace the start of the block; the whole block
    // then goes through the rules' reader so that only a block it accepts stays.
    std::vector<uint8_t> block(rules::TABLE_GAME_DATA_BYTES);
    rules::WriteTableGameData(m_table_data, block);
    std::copy_n(data.begin(), ROUND_START_BYTES, block.begin());
    rules::TableGameData started;
    if (!rules::ReadTableGameData(block, started))
        return false;
    ClearSeatFlags();
    m_table_data = started;
    m_result = rules::PlDkGameWinResult {};
    return true;
}

bool CPlDkGameState::EndRound(std::span<const uint8_t> result)
{
    rules::PlDkGameWinResult ended;
    if (!rules::ReadPlDkGameWinResult(result, ended))
        return false;
    m_table_data.head[15] = 0;
    m_result = ended;
    return true;
}

void CPlDkGameState::LoadStateBlock(std::span<const uint8_t> bytes)
{
    // As many whole words as came, at most the block's.
    platform::CByteReader in(bytes);
    for (size_t i = 0; i < m_state_block.size() && in.Remaining() >= 4; ++i)
        m_state_block[i] = in.ReadI32();
}

bool CPlDkGameState::LoadTableData(std::span<const uint8_t> bytes)
{
    std::vector<uint8_t> block(rules::TABLE_GAME_DATA_BYTES);
    rules::WriteTableGameData(m_table_data, block);
    std::copy_n(bytes.begin(), std::min(bytes.size(), block.size()), block.begin());
    rules::TableGameData loaded;
    if (!rules::ReadTableGameData(block, loaded))
        return false;
    m_table_data = loaded;
    return true;
}

} // namespace client

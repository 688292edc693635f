// CGameTable: the masked appearance of anonymous tables. The host's records
// are bytes of its own; every access here is bounds-checked, counts are
// clamped to the chair count and names are copied bounded.
#include "game/rules/GameTable.h"

#include "platform/ByteOrder.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace rules {
namespace {

constexpr size_t NAME_OFFSET = 36;
constexpr size_t NAME_FIELD = 32;    // bytes 36 to 67; word 17 follows
constexpr size_t MASK_CELL = 32;
constexpr size_t NAME_CELL = 52;

bool HasWord(std::span<const uint8_t> bytes, size_t word)
{
    return (word + 1) * 4 <= bytes.size();
}

int32_t GetWord(std::span<const uint8_t> bytes, size_t word)
{
    return HasWord(bytes, word) ? static_cast<int32_t>(platform::LoadU32LE(bytes.data() + word * 4)) : 0;
}

void SetWord(std::span<uint8_t> bytes, size_t word, int32_t value)
{
    if (HasWord(bytes, word))
        platform::StoreU32LE(bytes.data() + word * 4, static_cast<uint32_t>(value));
}

// The record of chair c inside the host's block, or an empty span.
std::span<uint8_t> RecordOf(std::span<uint8_t> records, int c)
{
    const size_t offset = CGameTable::MASK_RECORDS_OFFSET + CGameTable::MASK_RECORD_SIZE * static_cast<size_t>(c);
    if (offset + CGameTable::MASK_RECORD_SIZE > records.size())
        return {};
    return records.subspan(offset, CGameTable::MASK_RECORD_SIZE);
}

std::span<const uint8_t> RecordOf(std::span<const uint8_t> records, int c)
{
    const size_t offset = CGameTable::MASK_RECORDS_OFFSET + CGameTable::MASK_RECORD_SIZE * static_cast<size_t>(c);
    if (offset + CGameTable::MASK_RECORD_SIZE > records.size())
        return {};
    return records.subspan(offset, CGameTable::MASK_RECORD_SIZE);
}

} // namespace

void CGameTable::MaskOtherPlayers(int chair, std::span<uint8_t> records)
{
    const int count = std::clamp(GetWord(records, 2), 0, m_chair_count);
    for (int c = 0; c < count; ++c) {
        if (c == chair || GetWord(records, 3 + static_cast<size_t>(c)) == 0)
            continue;
        std::span<uint8_t> record = RecordOf(records, c);
        if (!record.empty())
            MaskPlayerRecordStable(chair, record);
    }
    RememberMasks(chair, records);
}

void CGameTable::MaskPlayerRecord(int, std::span<uint8_t> record)
{
    if (record.size() < MASK_RECORD_SIZE)
        return;
    const int chair = GetWord(record, 4);
    const TablePlayer* player = IsValidChair(chair) ? m_seats[chair] : nullptr;
    const uint32_t seed_a = player ? static_cast<uint32_t>(player->seed_a) : 0u;
    const uint32_t seed_b = player ? static_cast<uint32_t>(player->seed_b) : 0u;
    IRandomSource& random = *m_env.random;
    random.Seed(Now() + 10u * seed_b + seed_a);
    SetWord(record, 1, random.Next() % 100 < 10 ? 1 : 0);
    const int32_t face_kind = random.Next() % 2;
    SetWord(record, 5, face_kind);
    SetWord(record, 6, random.Next() % 107);
    SetWord(record, 7, random.Next() % 91 + 10);
    int32_t face = random.Next() % 187;
    if (face_kind == 0 && face == 1)
        face = 0;
    else if (face_kind == 1 && face == 0)
        face = 1;
    SetWord(record, 8, face);
    SetWord(record, 21, 1000);
    SetWord(record, 23, 100);
    SetWord(record, 22, GetLevelIndex(100, m_args.level_unit));
    for (size_t w = 24; w <= 29; ++w)
        SetWord(record, w, 0);
    const std::string label = GetSeatLabel(chair);
    std::memset(record.data() + NAME_OFFSET, 0, NAME_FIELD);
    std::memcpy(record.data() + NAME_OFFSET, label.data(), platform::GbkCutLength(label, NAME_FIELD - 1));
    for (size_t w = 17; w <= 20; ++w)
        SetWord(record, w, 0);
}

void CGameTable::MaskPlayerRecordStable(int viewer, std::span<uint8_t> record)
{
    MaskPlayerRecord(viewer, record);
    const int chair = GetWord(record, 4);
    if (m_masks.empty() || !IsValidChair(viewer) || !IsValidChair(chair))
        return;
    const size_t cell = (static_cast<size_t>(viewer) * static_cast<size_t>(m_chair_count) + static_cast<size_t>(chair)) * MASK_CELL;
    const std::span<const uint8_t> stored(m_masks.data() + cell, MASK_CELL);
    SetWord(record, 5, GetWord(stored, 0));
    SetWord(record, 6, GetWord(stored, 1));
    SetWord(record, 8, GetWord(stored, 2));
}

void CGameTable::RememberMasks(int chair, std::span<const uint8_t> records)
{
    if (!IsValidChair(chair))
        return;
    const auto n = static_cast<size_t>(m_chair_count);
    if (m_masks.empty())
        m_masks.assign(n * n * MASK_CELL, 0);
    const int count = std::clamp(GetWord(records, 2), 0, m_chair_count);
    for (int c = 0; c < count; ++c) {
        if (c == chair || GetWord(records, 3 + static_cast<size_t>(c)) == 0)
            continue;
        const std::span<const uint8_t> record = RecordOf(records, c);
        if (record.empty())
            continue;
        const std::span<uint8_t> cell(m_masks.data() + (static_cast<size_t>(chair) * n + static_cast<size_t>(c)) * MASK_CELL, MASK_CELL);
        SetWord(cell, 0, GetWord(record, 5));
        SetWord(cell, 1, GetWord(record, 6));
        SetWord(cell, 2, GetWord(record, 8));
    }
}

void CGameTable::RememberNames(std::span<const uint8_t> records)
{
    const auto n = static_cast<size_t>(m_chair_count);
    if (m_names.empty())
        m_names.assign(n * NAME_CELL, 0);
    const int count = std::clamp(GetWord(records, 2), 0, m_chair_count);
    for (int c = 0; c < count; ++c) {
        if (GetWord(records, 3 + static_cast<size_t>(c)) == 0)
            continue;
        const std::span<const uint8_t> record = RecordOf(records, c);
        if (record.empty())
            continue;
        const auto* name = record.data() + NAME_OFFSET;
        const size_t length = static_cast<size_t>(std::find(name, name + NAME_FIELD, uint8_t { 0 }) - name);
        uint8_t* cell = m_names.data() + static_cast<size_t>(c) * NAME_CELL;
        std::memset(cell, 0, NAME_CELL);
        std::memcpy(cell, name, length); // at most the 32-byte field: a cell always ends in 0
    }
}

} // namespace rules

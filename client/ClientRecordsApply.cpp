// CClientRecords: the conversions between the server's layouts and the seat
// records, and the bodies that fill the records (all checked before use).
#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "client/CClientRecords.h"
#include "client/ClientText.h"
#include "platform/ByteReader.h"

namespace client {

namespace {

constexpr int32_t MAX_ENTRIES = CClientRecords::SEAT_COUNT;

/// Reads `count` (already checked to be 0..8) player entries from `offset`,
/// when the body holds them all.
std::optional<std::array<ServerPlayerEntry, MAX_ENTRIES>> ReadEntries(std::span<const uint8_t> body,
                                                                      size_t offset, int32_t count)
{
    if (body.size() < offset || (body.size() - offset) / ServerPlayerEntry::BYTES < static_cast<size_t>(count))
        return std::nullopt;
    std::array<ServerPlayerEntry, MAX_ENTRIES> entries {};
    for (int32_t i = 0; i < count; ++i)
        (void)ReadRecord(body.subspan(offset + static_cast<size_t>(i) * ServerPlayerEntry::BYTES), entries[i]);
    return entries;
}

/// Whether the reader held its words and `count` is 0..8.
bool ValidCount(const platform::CByteReader& in, int32_t count) { return in.Ok() && count >= 0 && count <= MAX_ENTRIES; }

/// Copies a field from `source` into `target`: words as they are, texts cut
/// to the target field and terminated.
struct CopyField {
    void operator()(int32_t& target, int32_t source) const { target = source; }
    template <size_t N, size_t M>
    void operator()(char (&target)[N], const char (&source)[M]) const
    {
        CopyTextField(target, FieldText(source));
    }
};

/// The fields a seat record and a server player entry share, as pairs of
/// (seat field, entry field). FillSeatRecord copies them one way and
/// MakeServerPlayerEntry the other, so both directions follow this one list.
template <class Seat, class Entry, class Visit>
void PairSeatWithEntry(Seat& seat, Entry& entry, Visit visit)
{
    visit(seat.user_id, entry.user_id);
    visit(seat.flags, entry.flags);
    visit(seat.status, entry.status);
    visit(seat.table_no, entry.table_no);
    visit(seat.chair, entry.chair);
    visit(seat.statistics[0], entry.statistics[0]);
    visit(seat.statistics[1], entry.statistics[1]);
    visit(seat.statistics[2], entry.statistics19);
    visit(seat.statistics2[0], entry.statistics28);
    visit(seat.statistics2[1], entry.statistics29);
    visit(seat.name, entry.name);
    visit(seat.second_name, entry.second_name);
    visit(seat.silver, entry.silver);
    visit(seat.level, entry.level);
    visit(seat.score, entry.score);
    visit(seat.wins, entry.wins);
    visit(seat.losses, entry.losses);
    visit(seat.draws, entry.draws);
    visit(seat.games, entry.games);
    visit(seat.online_seconds, entry.online_seconds);
}

} // namespace

void CClientRecords::MakeSeatRecord(GameUserRecord& seat, const TablePlayerRecord& player, int32_t chair,
                                    int32_t table_no)
{
    seat.user_id = player.user_id;
    seat.flags = player.flags;
    CopyTextField(seat.name, FieldText(player.name));
    CopyTextField(seat.second_name, FieldText(player.second_name));
    std::copy(std::begin(player.statistics), std::end(player.statistics), std::begin(seat.statistics));
    seat.silver = player.silver;
    seat.statistics2[0] = player.word53;
    seat.wins = player.wins;
    seat.losses = player.losses;
    seat.draws = player.draws;
    seat.games = player.games;
    seat.online_seconds = player.word54;
    seat.table_no = table_no;
    seat.chair = chair;
    seat.look_on = 0;
    std::fill(std::begin(seat.reserved38), std::end(seat.reserved38), 0);
    seat.value41 = 0;
    seat.reserved42[0] = 0;
    if (player.user_id != 0 && player.user_id == m_launch.user_id)
        SetOwnSeat(chair, table_no);
}

void CClientRecords::FillSeatRecord(GameUserRecord& seat, const ServerPlayerEntry& entry) const
{
    PairSeatWithEntry(seat, entry, [](auto& seat_field, const auto& entry_field) {
        CopyField {}(seat_field, entry_field);
    });
    CopyTextField(seat.level_title, GetRoomText(entry.level));
    seat.online_minutes = entry.online_seconds / 60;
}

ServerPlayerEntry CClientRecords::MakeServerPlayerEntry(const GameUserRecord& seat)
{
    ServerPlayerEntry entry;
    PairSeatWithEntry(seat, entry, [](const auto& seat_field, auto& entry_field) {
        CopyField {}(entry_field, seat_field);
    });
    return entry;
}

bool CClientRecords::FillSeatFromShortRecord(GameUserRecord& seat, std::span<const uint8_t> record)
{
    // The fields lie one after another from the start; the record's tail
    // holds nothing this client keeps.
    platform::CByteReader in(record);
    const auto [user_id, flags, status, chair, statistic0, statistic1, statistic2] = in.ReadWords<7>();
    const std::span<const uint8_t> name = in.ReadBytes(sizeof(seat.name));
    const std::span<const uint8_t> second_name = in.ReadBytes(sizeof(seat.second_name));
    const auto [silver, level] = in.ReadWords<2>();
    const std::span<const uint8_t> level_title = in.ReadBytes(sizeof(seat.level_title));
    const auto [score, statistic2_0, wins, losses, draws, games, online_seconds] = in.ReadWords<7>();
    in.Skip(SHORT_USER_RECORD_BYTES - in.Wanted());
    if (!in.Ok() || !IsValidChair(chair))
        return false;
    seat.user_id = user_id;
    seat.flags = flags;
    seat.status = status;
    seat.chair = chair;
    seat.statistics[0] = statistic0;
    seat.statistics[1] = statistic1;
    seat.statistics[2] = statistic2;
    CopyTextField(seat.name, FieldText(name));
    CopyTextField(seat.second_name, FieldText(second_name));
    seat.silver = silver;
    seat.level = level;
    CopyTextField(seat.level_title, FieldText(level_title));
    seat.score = score;
    seat.statistics2[0] = statistic2_0;
    seat.wins = wins;
    seat.losses = losses;
    seat.draws = draws;
    seat.games = games;
    seat.online_seconds = online_seconds;
    return true;
}

bool CClientRecords::CopyTableHeader(std::span<const uint8_t> body)
{
    TableHeader header;
    if (!ReadRecord(body, header) || header.player_count < 0 || header.player_count > MAX_ENTRIES)
        return false;
    const auto count = static_cast<size_t>(header.player_count);
    if ((body.size() - TableHeader::BYTES) / TablePlayerRecord::BYTES < count)
        return false;

    m_header = header;
    for (size_t i = 0; i < SEAT_COUNT; ++i) {
        m_players[i] = TablePlayerRecord {};
        if (i < count)
            (void)ReadRecord(body.subspan(TableHeader::BYTES + i * TablePlayerRecord::BYTES), m_players[i]);
    }
    ApplyTableHeader();
    ClearSeats();
    for (size_t i = 0; i < count; ++i)
        MakeSeatRecord(m_seats[i], m_players[i], static_cast<int32_t>(i), m_table.table_no);
    return true;
}

void CClientRecords::ApplyTableHeader()
{
    m_room.room_id = m_header.room_id;
    m_table.table_no = m_header.table_no;
    m_table.player_count = std::clamp(m_header.player_count, 0, MAX_ENTRIES);
}

bool CClientRecords::ApplyTableInfo(std::span<const uint8_t> body)
{
    // The table, the count and a user id per chair, all before the entries.
    constexpr size_t ENTRIES_OFFSET = 64;
    platform::CByteReader in(body);
    const auto words = in.ReadWords<3 + MAX_ENTRIES>();
    static_assert((3 + MAX_ENTRIES) * 4 <= ENTRIES_OFFSET);
    const int32_t table_no = words[1];
    const int32_t count = words[2];
    const auto entries = ValidCount(in, count) ? ReadEntries(body, ENTRIES_OFFSET, count) : std::nullopt;
    if (!entries)
        return false;

    std::optional<int32_t> own_chair;
    for (int32_t i = 0; i < count && !own_chair; ++i)
        if (m_launch.user_id != 0 && words[3 + static_cast<size_t>(i)] == m_launch.user_id)
            own_chair = i;
    m_table.table_no = table_no;
    m_table.player_count = count;
    ClearSeats();
    for (int32_t i = 0; i < count; ++i)
        if (IsValidChair((*entries)[i].chair))
            FillSeatRecord(m_seats[i], (*entries)[i]);
    if (own_chair)
        SetOwnSeat(*own_chair, table_no);
    return true;
}

bool CClientRecords::ApplyOtherSeats(std::span<const uint8_t> body)
{
    constexpr size_t ENTRIES_OFFSET = 60;
    platform::CByteReader in(body);
    const int32_t count = in.ReadWords<3>()[2];
    const auto entries = ValidCount(in, count) ? ReadEntries(body, ENTRIES_OFFSET, count) : std::nullopt;
    if (!entries)
        return false;
    for (int32_t i = 0; i < count; ++i) {
        const ServerPlayerEntry& entry = (*entries)[i];
        if (IsValidChair(entry.chair) && entry.chair != m_launch.chair_no)
            FillSeatRecord(m_seats[i], entry);
    }
    return true;
}

bool CClientRecords::ApplyTableSeats(std::span<const uint8_t> body)
{
    constexpr size_t ENTRIES_OFFSET = 68;
    platform::CByteReader in(body);
    const auto [word0, word1, table_no, own_chair, count] = in.ReadWords<5>();
    const auto entries = ValidCount(in, count) ? ReadEntries(body, ENTRIES_OFFSET, count) : std::nullopt;
    if (!entries)
        return false;

    m_table.table_no = table_no;
    ClearSeats();
    for (int32_t i = 0; i < count; ++i) {
        const ServerPlayerEntry& entry = (*entries)[i];
        if (IsValidChair(entry.chair))
            FillSeatRecord(m_seats[entry.chair], entry);
    }
    if (IsValidChair(own_chair))
        SetOwnSeat(own_chair, table_no);
    return true;
}

bool CClientRecords::ApplyRoomInfo(std::span<const uint8_t> record)
{
    if (record.size() < SHORT_ROOM_RECORD_BYTES)
        return false;
    const auto words = platform::CByteReader(record).ReadWords<17>();
    const int32_t player_count = words[2];
    if (player_count < 0 || player_count > MAX_ENTRIES)
        return false;
    m_room.room_id = words[0];
    m_table.table_no = words[1];
    m_table.player_count = player_count;
    m_room.options = words[4];
    m_room.configs = words[16];
    return true;
}

void CClientRecords::SortMatchRanking()
{
    constexpr int64_t OWN_BONUS = 10'000'000;
    constexpr int64_t LEADER_BONUS = 1'000'000;
    const int32_t count = m_ranking.EntryCount();
    std::array<int64_t, MatchRanking::MAX_ENTRIES> keys {};
    for (int32_t i = 0; i < count; ++i) {
        const MatchRankEntry& entry = m_ranking.entries[i];
        keys[i] = entry.rank_key;
        if (entry.user_id != 0 && entry.user_id == m_launch.user_id)
            keys[i] -= OWN_BONUS;
        else if (m_ranking.leaders_flag != 0 && i < m_ranking.leader_count)
            keys[i] -= LEADER_BONUS;
    }
    for (int32_t i = 0; i < count; ++i)
        for (int32_t j = i + 1; j < count; ++j)
            if (keys[i] > keys[j]) {
                std::swap(keys[i], keys[j]);
                std::swap(m_ranking.entries[i], m_ranking.entries[j]);
            }
}

} // namespace client

#include "game/rules/GameTable.h"

#include "platform/ByteOrder.h"

#include "platform/Text.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace rules {

CGameTable::CGameTable(const TableArgs& args)
    : m_env(GetDefaultRulesEnvironment())
    , m_args(args)
    , m_chair_count(std::clamp(args.chair_count, 1, MAX_CHAIRS))
    , m_options(args.options)
{
    m_args.chair_count = m_chair_count;
    m_teams.fill(-1);
    Reset(1);
    ClearTableHeader();
}

CGameTable::~CGameTable()
{
    // The players map owns the objects; the seats and onlooker lists only
    // point at them, so they are dropped together here.
    m_seats.fill(nullptr);
    for (auto& lookers : m_lookers)
        lookers.clear();
    m_players.clear();
}

void CGameTable::SetEnvironment(const RulesEnvironment& environment)
{
    m_env = CompleteRulesEnvironment(environment);
}

void CGameTable::SetTableHeader(const TableHeader& header)
{
    m_header = header;
    m_round_number = static_cast<int32_t>(m_header.words[TableHeader::ROUND_NUMBER]);
    m_current_stamp = Now();
    SetStatus(TABLE_STATE_WAITING);
}

int CGameTable::ClearTableHeader()
{
    m_header = TableHeader {};
    return 0;
}

void CGameTable::ZeroMaskBuffers()
{
    std::fill(m_masks.begin(), m_masks.end(), uint8_t { 0 });
    std::fill(m_names.begin(), m_names.end(), uint8_t { 0 });
}

int CGameTable::Reset(int full)
{
    const uint32_t now = Now();
    if (full) {
        m_seats.fill(nullptr);
        for (auto& lookers : m_lookers)
            lookers.clear();
        m_players.clear();
        m_player_flags.fill(0);
        m_chair_flags.fill(0);
        m_all_flag2 = m_all_flag4 = 0;
        m_grace = 0;
        m_base_score = m_base_deposit = 0;
        m_round = RoundParams {};
        m_first_round = 0;
        m_round_number = 0;
        m_banker = 0;
        m_round_value = 0;
        m_waiting_marks.fill(0);
        m_idle_rounds.fill(0);
        m_teams.fill(-1);
        m_table_stamp = now;
        ZeroMaskBuffers();
    }
    std::memset(m_round_id, 0, sizeof(m_round_id));
    m_state = 0;
    m_state_stamp = now;
    m_current_chair = -1;
    m_current_stamp = m_turn_start = m_round_start = 0;
    m_turn_limit = 0;
    m_thinking.fill(0);
    m_answered.fill(0);
    m_counters.fill(0);
    m_chair_status.fill(0);
    for (auto& row : m_answer_matrix)
        row.fill(0);
    m_chair_turn_start.fill(0);
    m_relation_mode = 0;
    m_stored_result.reset();
    ClearCountdown();
    m_continuation = 0;
    for (auto& snapshot : m_snapshots)
        snapshot.fill(0);
    m_loss_relief.fill(0);
    return 0;
}

void CGameTable::ResetChair(int chair)
{
    if (!IsValidChair(chair))
        return;
    m_seats[chair] = nullptr;
    m_lookers[chair].clear();
    m_player_flags[chair] = 0;
    m_chair_flags[chair] = 0;
    m_teams[chair] = -1;
    m_waiting_marks[chair] = 0;
    m_thinking[chair] = 0;
    m_answered[chair] = 0;
    m_counters[chair] = 0;
    m_chair_turn_start[chair] = 0;
    m_chair_status[chair] = 0;
    m_idle_rounds[chair] = 0;
}

void CGameTable::ResetRound()
{
    const uint32_t now = Now();
    m_all_flag2 = m_all_flag4 = 0;
    m_grace = 0;
    m_base_score = m_base_deposit = 0;
    m_round = RoundParams {};
    m_first_round = 0;
    m_round_number = 0;
    m_banker = 0;
    m_round_value = 0;
    m_state = 0;
    m_state_stamp = now;
    m_current_chair = -1;
    m_current_stamp = m_turn_start = m_round_start = 0;
    m_relation_mode = 0;
    m_turn_limit = 0;
    m_stored_result.reset();
    m_continuation = 0;
    m_thinking.fill(0);
    m_answered.fill(0);
    m_counters.fill(0);
    for (auto& row : m_answer_matrix)
        row.fill(0);
    m_chair_turn_start.fill(0);
    for (auto& snapshot : m_snapshots)
        snapshot.fill(0);
    m_table_stamp = now;
    ZeroMaskBuffers();
}

// --- Players

int CGameTable::AddPlayer(std::unique_ptr<TablePlayer> player)
{
    if (!player || !IsValidChair(player->chair))
        return -1;
    const int chair = player->chair;
    // Re-seating a user id replaces its old entry; that entry's seat and
    // onlooker pointers go with it so nothing points at a deleted object.
    auto existing = m_players.find(player->user_id);
    const bool replaces = existing != m_players.end();
    if (m_seats[chair] != nullptr && !(replaces && m_seats[chair] == existing->second.get()))
        return -1;
    // The chair test above already bounds the seated players to the chair
    // count; onlookers in the map do not keep a player from a free chair.
    if (replaces)
        RemovePlayer(player->user_id, 1);
    m_seats[chair] = player.get();
    m_chair_status[chair] &= ~CHAIR_READY;
    m_players[player->user_id] = std::move(player);
    return GetPlayerCount();
}

int CGameTable::AddLooker(std::unique_ptr<TablePlayer> looker)
{
    if (!looker || !IsValidChair(looker->chair) || m_players.count(looker->user_id) != 0)
        return -1;
    looker->onlooker = 1;
    m_lookers[looker->chair][looker->user_id] = looker.get();
    m_players[looker->user_id] = std::move(looker);
    return GetPlayerCount();
}

int CGameTable::RemovePlayer(int32_t user_id, int delete_it, std::unique_ptr<TablePlayer>* kept)
{
    auto found = m_players.find(user_id);
    if (found == m_players.end() || !found->second)
        return -1;
    TablePlayer* player = found->second.get();
    const int chair = player->chair;
    for (auto& lookers : m_lookers)
        lookers.erase(user_id);
    bool held_seat = false;
    if (IsValidChair(chair) && m_seats[chair] == player) {
        m_seats[chair] = nullptr;
        held_seat = true;
    }
    std::unique_ptr<TablePlayer> owned = std::move(found->second);
    m_players.erase(found);
    if (!delete_it && kept)
        *kept = std::move(owned);
    if (held_seat)
        ResetChair(chair);
    return chair;
}

void CGameTable::RemoveLooker(int32_t user_id, int chair)
{
    auto found = m_players.find(user_id);
    if (found != m_players.end() && found->second && found->second->onlooker != 0) {
        for (auto& lookers : m_lookers)
            lookers.erase(user_id);
        m_players.erase(found);
    }
    if (IsValidChair(chair)) {
        auto listed = m_lookers[chair].find(user_id);
        if (listed != m_lookers[chair].end() && listed->second->onlooker != 0)
            m_lookers[chair].erase(listed);
    }
}

void CGameTable::RemoveLookerEverywhere(int32_t user_id, int delete_it)
{
    auto found = m_players.find(user_id);
    const bool is_looker = found != m_players.end() && found->second && found->second->onlooker != 0;
    for (auto& lookers : m_lookers)
        lookers.erase(user_id);
    if (delete_it && is_looker)
        m_players.erase(found);
}

TablePlayer* CGameTable::FindPlayer(int32_t user_id) const
{
    auto found = m_players.find(user_id);
    return found != m_players.end() && found->second && found->second->onlooker == 0 ? found->second.get() : nullptr;
}

TablePlayer* CGameTable::FindLooker(int32_t user_id) const
{
    auto found = m_players.find(user_id);
    return found != m_players.end() && found->second && found->second->onlooker != 0 ? found->second.get() : nullptr;
}

int CGameTable::GetLookerCount(int chair) const
{
    return IsValidChair(chair) ? static_cast<int>(m_lookers[chair].size()) : 0;
}

int CGameTable::CountRealPlayers() const
{
    int count = 0;
    for (int c = 0; c < m_chair_count; ++c)
        count += (m_seats[c] && m_seats[c]->user_id > 0) ? 1 : 0;
    return count;
}

int32_t CGameTable::GetPlayerValue(int32_t user_id) const
{
    auto found = m_players.find(user_id);
    return found != m_players.end() && found->second && found->second->user_id == user_id ? found->second->seed_b : 0;
}

void CGameTable::SnapshotPlayers(int all)
{
    if (!AnyChairFlag1000())
        return;
    for (auto& snapshot : m_snapshots)
        snapshot.fill(0);
    for (int c = 0; c < m_chair_count; ++c) {
        const TablePlayer* p = m_seats[c];
        if (!p || (!all && p->idle))
            continue;
        m_snapshots[c] = { p->user_id, p->player_flags, p->chair, p->onlooker, p->idle, p->score, p->silver,
            p->level, p->minutes, p->games, 0, 0, 0, 0, 0, 0, 0, 0 };
    }
}

bool CGameTable::WouldBeIdle(int chair) const
{
    return AnyChairFlag1000() && !AnyChairFlag2() && (m_chair_status[chair] & CHAIR_READY) == 0;
}

void CGameTable::MarkIdlePlayers()
{
    for (int c = 0; c < m_chair_count; ++c) {
        if (m_seats[c])
            m_seats[c]->idle = 0;
    }
    if (!AnyChairFlag1000() || AnyChairFlag2())
        return;
    for (int c = 0; c < m_chair_count; ++c) {
        if (m_chair_status[c] & CHAIR_READY) {
            m_idle_rounds[c] = 0;
        } else if (m_seats[c]) {
            m_seats[c]->idle = 1;
            ++m_idle_rounds[c];
        }
    }
}

std::span<const int32_t, 18> CGameTable::GetSnapshot(int chair) const
{
    return std::span<const int32_t, 18>(m_snapshots[IsValidChair(chair) ? chair : 0]);
}

// --- State and chair status

uint32_t CGameTable::AddStatus(uint32_t bits)
{
    m_state_stamp = Now();
    m_state |= bits;
    if (bits & TABLE_STATE_PLAYING)
        m_state &= ~TABLE_STATE_WAITING;
    return m_state;
}

uint32_t CGameTable::RemoveStatus(uint32_t bits)
{
    m_state_stamp = Now();
    m_state &= ~bits;
    return m_state;
}

uint32_t CGameTable::SetStatus(uint32_t bits)
{
    m_state_stamp = Now();
    m_state = bits;
    return m_state;
}

uint32_t CGameTable::EndPlaying()
{
    m_state_stamp = Now();
    return m_state;
}

bool CGameTable::IsIdleTooLong() const
{
    return m_header.words[TableHeader::KICK_IDLE] != 0 && Now() - m_state_stamp >= 60001u;
}

void CGameTable::SetChairReady(int chair)
{
    if (IsValidChair(chair))
        m_chair_status[chair] |= CHAIR_READY;
}

void CGameTable::SetChairStatus(int chair, uint32_t bits)
{
    if (IsValidChair(chair))
        m_chair_status[chair] = bits;
}

int CGameTable::IncChairCounter(int chair)
{
    return IsValidChair(chair) ? ++m_counters[chair] : 0;
}

int CGameTable::AllOthersAnswered(int chair) const
{
    if (!IsValidChair(chair))
        return 1;
    for (int other = 0; other < m_chair_count; ++other) {
        if (other == chair)
            continue;
        if (m_answered[other] == 0 && m_answer_matrix[chair][other] == 0 && m_seats[other] && !m_seats[other]->idle)
            return 0;
    }
    return 1;
}

int CGameTable::FillTableSnapshot(std::span<int32_t> out, const LevelNameMap* level_names) const
{
    if (out.size() < 5 + 13 * static_cast<size_t>(m_chair_count))
        return 0;
    out[0] = m_chair_count;
    for (int c = 0; c < m_chair_count; ++c) {
        const TablePlayer* p = m_seats[c];
        if (!(m_chair_status[c] & CHAIR_PRESENT) || !p)
            return 0;
        int32_t* entry = out.data() + 5 + 13 * c;
        entry[0] = p->user_id;
        entry[1] = c;
        entry[2] = p->score;
        entry[3] = p->silver;
        entry[4] = p->level;
        char name[32] {};
        if (level_names) {
            auto found = level_names->find(p->level);
            if (found != level_names->end())
                std::memcpy(name, found->second.data(), platform::GbkCutLength(found->second, sizeof(name) - 1));
        }
        for (int w = 0; w < 8; ++w)
            entry[5 + w] = static_cast<int32_t>(platform::LoadU32LE(reinterpret_cast<const uint8_t*>(name) + 4 * w));
    }
    return 1;
}

void CGameTable::SetPlayerFlags(int chair, int32_t flags)
{
    if (IsValidChair(chair))
        m_player_flags[chair] = flags;
}

void CGameTable::SetChairFlags(int chair, int32_t flags)
{
    if (IsValidChair(chair))
        m_chair_flags[chair] = flags;
}

void CGameTable::SetWaitingMark(int chair, uint32_t stamp)
{
    if (IsValidChair(chair))
        m_waiting_marks[chair] = stamp;
}

void CGameTable::SetAnswered(int chair, int answered)
{
    if (IsValidChair(chair))
        m_answered[chair] = answered;
}

void CGameTable::SetAnswerMatrix(int asker, int other, int answered)
{
    if (IsValidChair(asker) && IsValidChair(other))
        m_answer_matrix[asker][other] = answered;
}

bool CGameTable::IsFreeTable() const
{
    return (m_options & OPTION_FREE_TABLE) != 0 || AnyHas(PlayerFlags(), 0x100000);
}

} // namespace rules

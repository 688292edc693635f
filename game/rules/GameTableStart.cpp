// CGameTable: the round start with its checks, base score and base deposit.
#include "game/rules/GameTable.h"

#include <algorithm>
#include <cstring>

namespace rules {
namespace {

bool IsCappedFeeMode(int32_t mode) { return mode == 0 || mode == 1; }
bool IsTableFeeMode(int32_t mode) { return mode == 7 || mode == 8 || mode == 9; }

} // namespace

int CGameTable::StartGame(int& chair_out, const StartGameArgs& args)
{
    // Every check runs before anything changes: a refused start leaves the
    // round number, the games counters and the idle marks as they were.
    const bool partial = AnyChairFlag1000() && !AnyChairFlag2();
    if (!partial) {
        for (int c = 0; c < m_chair_count; ++c) {
            if (!m_seats[c]) {
                chair_out = c;
                return START_EMPTY_CHAIR;
            }
        }
    } else {
        int ready = 0;
        for (int c = 0; c < m_chair_count; ++c)
            ready += (m_seats[c] && (m_chair_status[c] & CHAIR_READY)) ? 1 : 0;
        if (ready < args.min_ready)
            return START_EMPTY_CHAIR;
    }

    ChairInts flags {};
    size_t flag_count = 0;
    for (int c = 0; c < m_chair_count; ++c) {
        if (!partial || m_seats[c])
            flags[flag_count++] = m_player_flags[c];
    }
    const std::span<const int32_t> taken(flags.data(), flag_count);
    const int all2 = AllHave(taken, 0x2) ? 1 : 0;
    const int all4 = AllHave(taken, 0x4) ? 1 : 0;

    std::array<bool, MAX_CHAIRS> idle {};
    for (int c = 0; c < m_chair_count; ++c)
        idle[c] = m_seats[c] && WouldBeIdle(c);

    // CalcBaseDeposit reads the kept round parameters and flags; take the
    // new ones for the computation and restore them on refusal.
    const RoundParams old_round = m_round;
    const int old_all2 = m_all_flag2;
    m_round = args.round;
    m_all_flag2 = all2;
    int32_t deposit = m_base_deposit;
    const bool silver_round = all4 && !(m_options & OPTION_SKIP_SILVER_CHECK);
    if (silver_round)
        deposit = CalcBaseDeposit(args.round.deposit_factor);
    m_round = old_round;
    m_all_flag2 = old_all2;

    auto refuse = [&](int code, int chair) {
        chair_out = chair;
        return code;
    };
    if (silver_round) {
        for (int c = 0; c < m_chair_count; ++c) {
            if (m_seats[c] && !idle[c] && m_seats[c]->silver < args.round.min_silver)
                return refuse(START_LOW_SILVER, c);
        }
    }
    for (int c = 0; c < m_chair_count; ++c) {
        if (m_seats[c] && !idle[c] && m_seats[c]->score < args.round.min_score)
            return refuse(START_LOW_SCORE, c);
    }
    for (int c = 0; c < m_chair_count; ++c) {
        if (m_seats[c] && !idle[c] && m_seats[c]->score > args.round.max_score)
            return refuse(START_HIGH_SCORE, c);
    }
    for (int c = 0; c < m_chair_count; ++c) {
        if (m_seats[c] && !idle[c] && static_cast<int64_t>(m_seats[c]->games) + 1 > args.max_games)
            return refuse(START_TOO_MANY_GAMES, c);
    }
    if (static_cast<int64_t>(m_round_number) + 1 > args.max_rounds)
        return START_TOO_MANY_ROUNDS;

    // The round starts.
    ++m_round_number;
    m_round_start = Now();
    m_base_score = CalcBaseScore(args.base_score_arg);
    m_all_flag2 = all2;
    m_all_flag4 = all4;
    m_round = args.round;
    ClearCountdown();
    MarkIdlePlayers();
    if (silver_round)
        m_base_deposit = deposit;
    for (int c = 0; c < m_chair_count; ++c) {
        if (m_seats[c])
            ++m_seats[c]->games;
    }
    SnapshotPlayers(0);
    AllocTableGameData();
    OnRoundStart();
    StartDeal();
    OnDealt();
    BeginPlaying();
    BeginBankerTurn();
    ResetTeams();
    UpdateFirstRoundFlag();
    if (m_round_id[0] == '\0')
        m_env.services->FillUniqueIdIfEmpty(m_round_id, sizeof(m_round_id));
    m_round_id[sizeof(m_round_id) - 1] = '\0';
    return START_OK;
}

int32_t CGameTable::CalcBaseScore(int32_t x) const
{
    if (x >= 1)
        return x;
    ChairInts scores {};
    for (int c = 0; c < m_chair_count; ++c)
        scores[c] = m_seats[c] ? m_seats[c]->score : 0;
    return GetBaseScoreFor({ scores.data(), static_cast<size_t>(m_chair_count) });
}

int32_t CGameTable::GetBaseScoreFor(std::span<const int32_t> scores) const
{
    if (HasTableHeader())
        return static_cast<int32_t>(m_header.words[TableHeader::BASE_SCORE]);
    return LevelValueOfMin(scores, m_args.level_unit);
}

int32_t CGameTable::GetDepositUnit(std::span<const int32_t> silvers, int32_t grade) const
{
    return DepositUnit(silvers, grade, *m_env.services);
}

int32_t CGameTable::CalcBaseDeposit(int32_t x) const
{
    ChairInts silvers {};
    for (int c = 0; c < m_chair_count; ++c)
        silvers[c] = m_seats[c] ? m_seats[c]->silver : 0;
    const std::span<const int32_t> taken(silvers.data(), static_cast<size_t>(m_chair_count));
    const int32_t grade = m_all_flag2 ? 0 : m_args.room_grade;
    const int64_t unit = GetDepositUnit(taken, grade);
    int32_t deposit = ClampToI32(unit * x);
    const int32_t cap = m_round.deposit_cap;
    if (IsCappedFeeMode(m_round.fee_mode)) {
        if (cap != 0 && cap < deposit)
            deposit = cap;
    } else if (IsTableFeeMode(m_round.fee_mode)) {
        int32_t smallest_positive = 0;
        for (int32_t s : taken) {
            if (s > 0 && (smallest_positive == 0 || s < smallest_positive))
                smallest_positive = s;
        }
        if (cap != 0 && cap <= smallest_positive)
            deposit = cap;
    }
    return deposit;
}

void CGameTable::CalcLevels(std::span<const int32_t> scores, std::span<const int32_t> changes,
                            std::span<int32_t> levels) const
{
    const size_t n = std::min({ scores.size(), changes.size(), levels.size(), static_cast<size_t>(m_chair_count) });
    for (size_t c = 0; c < n; ++c)
        levels[c] = GetLevelIndex(ClampToI32(static_cast<int64_t>(scores[c]) + changes[c]), m_args.level_unit);
}

int64_t CGameTable::SumOverChairs(std::span<const int32_t> values) const
{
    return SumInts(values.first(std::min(values.size(), static_cast<size_t>(m_chair_count))));
}

} // namespace rules

// CGameTable: round records, settlement of a round and of a leaver, replay of
// a received result, and loss relief.
#include "game/rules/GameTable.h"


#include <algorithm>
#include <cstring>

namespace rules {

size_t CGameTable::FillGameStart(std::span<uint8_t> out)
{
    if (out.size() < GAME_START_INFO_BYTES)
        return 0;
    std::fill(out.begin(), out.end(), uint8_t { 0 });
    GameStartInfo start {};
    BuildGameStart(start);
    WriteGameStartInfo(start, out);
    return GAME_START_INFO_BYTES;
}

void CGameTable::BuildGameStart(GameStartInfo& start) const
{
    start = GameStartInfo {};
    start.table_tag = m_args.table_tag;
    start.room_grade = m_args.room_grade;
    start.chair_count = m_chair_count;
    start.base_score = m_base_score;
    start.base_deposit = m_base_deposit;
    for (int c = 0; c < m_chair_count; ++c)
        start.chair_status[c] = static_cast<int32_t>(m_chair_status[c]);
    start.round_number = m_round_number;
    start.kick_time = GetKickTime();
}

size_t CGameTable::FillTableInfo(std::span<uint8_t> out, int, int)
{
    std::fill(out.begin(), out.end(), uint8_t { 0 });
    return 0;
}

size_t CGameTable::FillDealInfo(std::span<uint8_t> out, int, int)
{
    std::fill(out.begin(), out.end(), uint8_t { 0 });
    return 0;
}

void CGameTable::FillHoldings(GameWinResult& win) const
{
    const bool by_snapshot = AnyChairFlag1000();
    for (int c = 0; c < m_chair_count; ++c) {
        if (by_snapshot) {
            win.score_before[c] = m_snapshots[c][5];
            win.silver_before[c] = m_snapshots[c][6];
        } else if (m_seats[c]) {
            win.score_before[c] = m_seats[c]->score;
            win.silver_before[c] = m_seats[c]->silver;
        }
    }
}

int CGameTable::ScaleResults(GameWinResult&, std::span<int32_t>, std::span<int32_t> silver_changes)
{
    if (IsLossReliefEnabled())
        ApplyLossRelief(silver_changes);
    return 0;
}

int CGameTable::FillGameWin(GameWinResult& win, int winner)
{
    const auto n = static_cast<size_t>(m_chair_count);
    win.relation_mode = static_cast<int32_t>(m_relation_mode);
    win.chair_count = m_chair_count;
    win.round_number = m_round_number;
    win.banker = m_banker;
    for (int c = 0; c < MAX_CHAIRS; ++c)
        win.team[c] = c < m_chair_count ? m_teams[c] : 0;
    win.base_score = m_base_score;
    win.base_deposit = m_base_deposit;
    FillHoldings(win);
    FillWinExtra(win, winner);
    win.friend_flag = IsFriend(winner);
    const std::span<int32_t> scores(win.score_change, n);
    const std::span<int32_t> silvers(win.silver_change, n);
    const std::span<int32_t> fees(win.fee, n);
    ScaleResults(win, scores, silvers);
    if (m_all_flag4 && m_base_deposit != 0) {
        std::fill(fees.begin(), fees.end(), 0);
        const std::span<const int32_t> before(win.silver_before, n);
        int32_t total = 0;
        if (m_round.fee_mode == 7 || m_round.fee_mode == 8 || m_round.fee_mode == 9) {
            ChairInts remaining {};
            total = TakeTableFees(before, { remaining.data(), n }, fees);
            CapLosses({ remaining.data(), n }, silvers);
            for (size_t c = 0; c < n; ++c)
                silvers[c] = ClampToI32(static_cast<int64_t>(silvers[c]) - fees[c]);
        } else {
            CapLosses(before, silvers);
            total = TakeWinFees(silvers, fees);
        }
        CheckZeroSum(silvers, fees, total);
    }
    CalcLevels({ win.score_before, n }, scores, { win.level_after, n });
    win.flags |= GetResultFlags(win);
    win.flags |= GetResultFlags2(win);
    FillAbsentMask(win);
    return 1;
}

int CGameTable::SettleGame(GameWinResult& win, int winner, int keep_levels, const LevelNameMap* level_names)
{
    FillGameWin(win, winner);
    if (keep_levels == 0)
        RecordRoundResult(win);
    else
        KeepPlayerLevels(win);
    FillLevelNames(win, level_names);
    FillRoomRecord(win);
    return 1;
}

void CGameTable::RecordRoundResult(const GameWinResult& win)
{
    const bool silver_round = m_all_flag4 && m_base_deposit != 0;
    for (int c = 0; c < m_chair_count; ++c) {
        TablePlayer* p = m_seats[c];
        if (!p || p->idle)
            continue;
        p->score = ClampToI32(static_cast<int64_t>(win.score_before[c]) + win.score_change[c]);
        p->level = win.level_after[c];
        if (silver_round)
            p->silver = ClampToI32(std::max<int64_t>(static_cast<int64_t>(win.silver_before[c]) + win.silver_change[c], 0));
    }
}

void CGameTable::KeepPlayerLevels(GameWinResult& win) const
{
    for (int c = 0; c < m_chair_count; ++c) {
        if (!m_seats[c])
            continue;
        win.score_change[c] = 0;
        win.silver_change[c] = 0;
        win.level_after[c] = m_seats[c]->level;
    }
}

void CGameTable::FillLevelNames(GameWinResult& win, const LevelNameMap* level_names) const
{
    if (AnyChairFlag1())
        return;
    for (int c = 0; c < m_chair_count; ++c)
        LookupLevelName(level_names, win.level_after[c], win.level_name[c]);
}

void CGameTable::FillRoomRecord(GameWinResult& win) const
{
    win.room_deposit = CalcBaseDeposit(m_round.deposit_factor);
}

void CGameTable::FillAbsentMask(GameWinResult& win) const
{
    int32_t mask = 0;
    for (int c = 0; c < m_chair_count; ++c) {
        if (!m_seats[c] || m_seats[c]->idle)
            mask |= 1 << c;
    }
    win.absent_mask = mask;
}

bool CGameTable::HasBigSilverWin(const GameWinResult& win) const
{
    if (!(m_options & OPTION_FLAG_BIG_WIN) || m_round.big_win_threshold == 0)
        return false;
    for (int c = 0; c < m_chair_count; ++c) {
        if (win.silver_change[c] >= m_round.big_win_threshold)
            return true;
    }
    return false;
}

void CGameTable::FillPlayerResult(PlayerResult& r, const GameWinResult& win, int c, int32_t minutes,
                                  int32_t seconds) const
{
    r.user_id = m_seats[c]->user_id;
    r.table_tag = m_args.table_tag;
    r.room_grade = m_args.room_grade;
    r.chair = c;
    r.base_score = m_base_score;
    r.base_deposit = m_base_deposit;
    r.score_before = win.score_before[c];
    r.silver_before = win.silver_before[c];
    r.minutes = minutes;
    r.seconds = seconds;
    r.one = 1;
    r.zero = 0;
    r.win = win.score_change[c] > 0 ? 1 : 0;
    r.loss = win.score_change[c] < 0 ? 1 : 0;
    r.draw = win.score_change[c] == 0 ? 1 : 0;
    r.score_change = win.score_change[c];
    r.silver_change = win.silver_change[c];
    r.level_after = win.level_after[c];
    std::memcpy(r.level_name, win.level_name[c], LEVEL_NAME_SIZE);
    r.level_name[LEVEL_NAME_SIZE - 1] = '\0';
    r.fee = win.fee[c];
}

void CGameTable::FillHeaderWords(ResultHeader& header, int32_t count, int32_t game_id) const
{
    header.count = count;
    header.table_tag = m_args.table_tag;
    header.game_id = game_id;
    header.table_stamp = static_cast<int32_t>(m_table_stamp);
}

void CGameTable::FillResultHeader(const GameWinResult& win, int32_t game_id, ResultHeader& header,
                                  std::span<PlayerResult> results)
{
    FillHeaderWords(header, m_chair_count, game_id);
    if (!AllHave(PlayerFlags(), 0x4))
        header.flags |= RESULT_FLAG_SILVER;
    if (HasBigSilverWin(win))
        header.flags |= RESULT_FLAG_BIG_WIN;
    for (PlayerResult& r : results) {
        r.table_tag = m_args.table_tag;
        r.game_id = game_id;
    }
    BuildPlayerResults(win, results);
}

void CGameTable::BuildPlayerResults(const GameWinResult& win, std::span<PlayerResult> results)
{
    int32_t seconds = 0;
    int32_t minutes = 0;
    GetElapsedTime(seconds, minutes);
    for (int c = 0; c < m_chair_count && static_cast<size_t>(c) < results.size(); ++c) {
        if (m_seats[c])
            FillPlayerResult(results[static_cast<size_t>(c)], win, c, minutes, seconds);
    }
}

void CGameTable::FillActiveResultHeader(const GameWinResult& win, int32_t game_id, ResultHeader& header,
                                        std::span<PlayerResult> results)
{
    ChairInts flags {};
    size_t active = 0;
    for (int c = 0; c < m_chair_count; ++c) {
        if (m_seats[c] && !m_seats[c]->idle)
            flags[active++] = m_player_flags[c];
    }
    FillHeaderWords(header, static_cast<int32_t>(active), game_id);
    if (AllHave({ flags.data(), active }, 0x4))
        header.flags |= RESULT_FLAG_SILVER;
    if (HasBigSilverWin(win))
        header.flags |= RESULT_FLAG_BIG_WIN;
    if (m_continuation)
        header.flags |= RESULT_FLAG_CONTINUATION;
    for (PlayerResult& r : results.first(std::min(active, results.size())))
        r.game_id = game_id;
    BuildActivePlayerResults(win, results);
}

int CGameTable::BuildActivePlayerResults(const GameWinResult& win, std::span<PlayerResult> results)
{
    int32_t seconds = 0;
    int32_t minutes = 0;
    GetElapsedTime(seconds, minutes);
    size_t next = 0;
    for (int c = 0; c < m_chair_count && next < results.size(); ++c) {
        if (m_seats[c] && !m_seats[c]->idle)
            FillPlayerResult(results[next++], win, c, minutes, seconds);
    }
    return static_cast<int>(next);
}

void CGameTable::AddResultsToPlayers(std::span<const PlayerResult> results)
{
    for (const PlayerResult& r : results)
        AddResultMinutes(r);
}

void CGameTable::AddResultMinutes(const PlayerResult& result)
{
    if (!IsValidChair(result.chair))
        return;
    TablePlayer* p = m_seats[result.chair];
    if (p && p->user_id == result.user_id)
        p->minutes = ClampToI32(static_cast<int64_t>(p->minutes) + result.minutes);
}

void CGameTable::StoreResult(const GameWinResult& win)
{
    m_stored_result = std::make_unique<GameWinResult>(win);
}

int CGameTable::ReplayStoredResult(std::span<const uint8_t> block, const LevelNameMap* level_names)
{
    if (!m_stored_result)
        return 0;
    ResultHeader header {};
    if (!ReadResultHeader(block, header) || header.count != m_chair_count)
        return 0;
    const size_t needed = RESULT_HEADER_BYTES + PLAYER_RESULT_BYTES * static_cast<size_t>(m_chair_count);
    if (block.size() < needed)
        return 0;
    GameWinResult& win = *m_stored_result;
    for (int c = 0; c < m_chair_count; ++c) {
        PlayerResult entry {};
        if (!ReadPlayerResult(block.subspan(RESULT_HEADER_BYTES + PLAYER_RESULT_BYTES * static_cast<size_t>(c)), entry))
            return 0;
        win.score_before[c] = entry.score_before;
        win.silver_before[c] = entry.silver_before;
        win.score_change[c] = entry.score_change;
        win.silver_change[c] = entry.silver_change;
        win.level_after[c] = entry.level_after;
        win.fee[c] = entry.fee;
    }
    RecordRoundResult(win);
    win.flags |= GetResultFlags(win);
    win.flags |= GetResultFlags2(win);
    FillRoomRecord(win);
    const auto n = static_cast<size_t>(m_chair_count);
    CalcLevels({ win.score_before, n }, { win.score_change, n }, { win.level_after, n });
    FillLevelNames(win, level_names);
    return 1;
}

void CGameTable::GetLeavePenalty(int, int32_t& penalty, int32_t& score, int32_t& silver)
{
    penalty = 0;
    score = 0;
    silver = 0;
}

int CGameTable::BuildLeaveResult(LeaveResult* leave, int chair, int keep_levels, const LevelNameMap* level_names)
{
    if (!leave || !IsValidChair(chair) || !m_seats[chair])
        return 0;
    TablePlayer& p = *m_seats[chair];
    leave->user_id = p.user_id;
    leave->chair = chair;
    leave->round_number = m_round_number;
    leave->base_score = m_base_score;
    leave->base_deposit = m_base_deposit;
    leave->score = p.score;
    leave->silver = p.silver;
    GetLeavePenalty(chair, leave->penalty, leave->score_change, leave->silver_change);
    const bool silver_round = m_all_flag4 && m_base_deposit != 0;
    if (silver_round) {
        if (m_round.fee_mode == 7 || m_round.fee_mode == 8 || m_round.fee_mode == 9) {
            int32_t remaining = 0;
            TakeTableFee(p.silver, remaining, leave->fee);
            ClampLoss(remaining, leave->silver_change);
            leave->silver_change = ClampToI32(static_cast<int64_t>(leave->silver_change) - leave->fee);
        } else {
            ClampLoss(p.silver, leave->silver_change);
            TakeWinFee(p.silver, leave->silver_change, leave->fee);
        }
        CheckZeroSumOne(leave->silver_change, leave->fee);
    }
    leave->level_after = GetLevelIndex(ClampToI32(static_cast<int64_t>(p.score) + leave->score_change), m_args.level_unit);
    if (keep_levels == 0) {
        p.score = ClampToI32(static_cast<int64_t>(p.score) + leave->score_change);
        p.level = leave->level_after;
        if (silver_round)
            p.silver = ClampToI32(std::max<int64_t>(static_cast<int64_t>(p.silver) + leave->silver_change, 0));
    } else {
        leave->score_change = 0;
        leave->silver_change = 0;
        leave->level_after = p.level;
    }
    if (!AnyChairFlag1())
        LookupLevelName(level_names, leave->level_after, leave->level_name);
    return 1;
}

void CGameTable::FillLeaveResults(const LeaveResult& leave, int chair, int32_t game_id, ResultHeader& header,
                                  PlayerResult& result)
{
    FillHeaderWords(header, 1, game_id);
    header.flags |= RESULT_FLAG_LEAVE;
    // The leaver's chair also bounds the chairs whose flags are tested, as
    // the result readers have always received it.
    const size_t tested = static_cast<size_t>(std::clamp(chair, 0, m_chair_count));
    if (AllHave(PlayerFlags().first(tested), 0x4))
        header.flags |= RESULT_FLAG_SILVER;
    int32_t seconds = 0;
    int32_t minutes = 0;
    GetElapsedTime(seconds, minutes);
    result = PlayerResult {};
    result.user_id = leave.user_id;
    result.table_tag = m_args.table_tag;
    result.room_grade = m_args.room_grade;
    result.chair = leave.chair;
    result.game_id = game_id;
    result.base_score = m_base_score;
    result.base_deposit = m_base_deposit;
    result.score_before = leave.score;
    result.silver_before = leave.silver;
    result.minutes = minutes;
    result.seconds = seconds;
    result.one = 1;
    result.loss = 1;
    result.score_change = leave.score_change;
    result.silver_change = leave.silver_change;
    result.level_after = leave.level_after;
    std::memcpy(result.level_name, leave.level_name, LEVEL_NAME_SIZE);
    result.level_name[LEVEL_NAME_SIZE - 1] = '\0';
    result.fee = leave.fee;
}

void CGameTable::ApplyLossRelief(std::span<int32_t> changes)
{
    m_loss_relief.fill(0);
    m_env.random->Seed(Now());
    for (int c = 0; c < m_chair_count && static_cast<size_t>(c) < changes.size(); ++c) {
        const TablePlayer* p = m_seats[c];
        if (!p || p->idle || !(p->player_flags & PLAYER_FLAG_LOSS_RELIEF) || changes[c] >= 0)
            continue;
        const int32_t old_change = changes[c];
        changes[c] = RandomLossRelief(old_change);
        m_loss_relief[c] = changes[c] - old_change;
    }
}

int32_t CGameTable::RandomLossRelief(int32_t amount)
{
    if (amount >= 0)
        return amount;
    const int32_t r = m_env.random->Next() % 100;
    if (r > 55)
        return amount;
    const int32_t r2 = m_env.random->Next() % 100;
    const int64_t percent = r2 < 84 ? 10 : (r2 < 96 ? 50 : 100);
    const int64_t reduction = std::max<int64_t>((-static_cast<int64_t>(amount) * percent) / 100, 1);
    return ClampToI32(amount + reduction);
}

int CGameTable::GetLossReliefs(std::span<int32_t> user_ids, std::span<int32_t> amounts) const
{
    size_t next = 0;
    for (int c = 0; c < m_chair_count; ++c) {
        if (!m_seats[c] || !(m_seats[c]->player_flags & PLAYER_FLAG_LOSS_RELIEF) || m_loss_relief[c] <= 0)
            continue;
        if (next >= user_ids.size() || next >= amounts.size())
            break;
        user_ids[next] = m_seats[c]->user_id;
        amounts[next] = m_loss_relief[c];
        ++next;
    }
    return next > 0 ? 1 : 0;
}

} // namespace rules

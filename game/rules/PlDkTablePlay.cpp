// CPlDkTable: throws, passes, tricks, finishing places and round results.
#include "game/rules/PlDkTable.h"

#include <algorithm>

namespace rules {

int CPlDkTable::IsValidThrow(ThrowRequest& request)
{
    CardPlayList list;
    if (!(m_state & TABLE_STATE_PLAYING) || request.chair >= PLDK_CHAIRS || !ReadThrow(request, list))
        return 0;
    const TableGameData& block = GetTableGameData();
    if (block.last_play_chair != -1) {
        const CardPlay& last = block.last_play;
        if (!PickBeatingCandidate(last, list))
            return 0;
        if (!CanBeat(last, list.plays[0]))
            return 0;
        if (IsSequenceType(last.type) && list.plays[0].type == last.type && list.plays[0].count != last.count)
            return 0;
    } else {
        // Leading: the verified reading is what goes on the table.
        PickLeadCandidate(list);
    }
    request.play = list.plays[0];
    return 1;
}

int CPlDkTable::ApplyThrow(const ThrowRequest& request)
{
    TableGameData& block = GetTableGameData();
    const int thrower = request.chair;
    if (!IsValidChair(thrower) || thrower >= PLDK_CHAIRS)
        return 0;
    block.last_play_chair = thrower;
    block.last_play = request.play;
    block.first_throw = 0;
    const std::span<const int32_t> cards = request.play.Cards();
    for (size_t i = 0; i < cards.size(); ++i) {
        // Only the thrower's own cards move; anything else in an unchecked
        // request would corrupt another hand.
        DeckCard* record = FindCardRecord(cards[i]);
        if (!record || record->place != CARD_PLACE_HAND || record->holder != thrower)
            continue;
        TakeOutOfHand(thrower, record->card);
        record->place = CARD_PLACE_TRICK;
        record->holder = thrower;
        record->order = static_cast<int32_t>(i);
        record->play_count = request.play.count;
    }
    AddBombBonus(request);
    UpdateThinkTime(thrower);
    if (m_chair_status[static_cast<size_t>(thrower)] & (CHAIR_AWAY | CHAIR_STATUS_10 | CHAIR_AWAY_2))
        ++block.chair_groups[thrower].away_throws;
    SetPlayState();
    return 0;
}

void CPlDkTable::AddBombBonus(const ThrowRequest& request)
{
    if (!IsValidChair(request.chair) || request.chair >= PLDK_CHAIRS)
        return;
    int32_t natural = 0;
    if (request.play.type == CARD_TYPE_FOUR_JOKERS) {
        natural = 7;
    } else if (request.play.type == CARD_TYPE_BOMB) {
        for (int32_t id : request.play.Cards())
            natural += (id >= 0 && id % 54 >= 52) ? 0 : 1;
    } else {
        return;
    }
    static constexpr int32_t bonus_by_natural[] = { 0, 0, 0, 0, 0, 1, 2, 4, 8 };
    const int32_t bonus = natural >= 0 && natural <= 8 ? bonus_by_natural[natural] : 0;
    GetChairState(request.chair).bomb_bonus += bonus;
}

int CPlDkTable::AfterThrow(ThrowRequest& request)
{
    TableGameData& block = GetTableGameData();
    const int thrower = request.chair;
    if (!IsValidChair(thrower) || thrower >= PLDK_CHAIRS)
        return 0;
    for (int32_t id : request.play.Cards()) {
        const int32_t points = GetCardPoints(id);
        if (points == 0)
            continue;
        block.trick_points += points;
        block.hand_points[thrower] -= points;
        if (block.trick_score_count < 24)
            block.trick_score_cards[block.trick_score_count++] = id;
    }
    block.pass_count[thrower] = 0;
    request.place = 0;
    if (GetHandCount(thrower) == 0 && !block.finished[thrower]) {
        int finished = 0;
        for (int c = 0; c < PLDK_CHAIRS; ++c)
            finished += block.finished[c];
        block.finished[thrower] = 1;
        block.place[thrower] = finished + 1;
        request.place = block.place[thrower];
    }
    const int partner = GetPartnerChair(thrower);
    if (block.finished[thrower] && block.finished[partner]) {
        int finished = 0;
        for (int c = 0; c < PLDK_CHAIRS; ++c)
            finished += block.finished[c];
        request.points_taken = block.trick_points;
        block.points_won[thrower] += block.trick_points;
        block.trick_points = 0;
        int next_place = finished + 1;
        for (int c = 0; c < PLDK_CHAIRS; ++c) {
            if (block.finished[c])
                continue;
            block.place[c] = next_place++;
            m_kept_points[static_cast<size_t>(c)] = GetHandPoints(c);
            block.hand_points[c] = m_kept_points[static_cast<size_t>(c)];
        }
        m_settle_mode = finished > 2 ? SETTLE_PLACES : SETTLE_FIRST_TWO;
        m_settled = 1;
        request.next_chair = thrower;
        request.trick_points = block.trick_points;
        return 1;
    }
    // The turn passes to the next chair in turn order that holds cards; the
    // chairs reached on the way gather their cards of the trick.
    int next = thrower;
    for (int step = 0; step < m_chair_count; ++step) {
        next = GetPrevChair(next);
        CollectTrick(next);
        if (GetHandCount(next) > 0)
            break;
    }
    SetCurrentChair(next);
    request.next_chair = next;
    request.trick_points = block.trick_points;
    return 0;
}

int CPlDkTable::IsValidPass(const PassRequest& request) const
{
    if (!m_block || !(m_state & TABLE_STATE_PLAYING) || !(m_state & TABLE_STATE_PLAY_PHASE))
        return 0;
    return IsValidChair(request.chair) && request.chair < PLDK_CHAIRS && request.chair == m_current_chair
        && m_block->last_play_chair != -1 && m_block->last_play_chair != request.chair ? 1 : 0;
}

int CPlDkTable::OnPass(PassRequest& request)
{
    request.next_chair = -1;
    request.trick_won = 0;
    request.points_taken = 0;
    if (!IsValidPass(request))
        return 0;
    TableGameData& block = GetTableGameData();
    ++block.pass_count[request.chair];
    request.last_play_chair = block.last_play_chair;
    int next = request.chair;
    for (int step = 0; step < m_chair_count; ++step) {
        next = GetPrevChair(next);
        StartTurn(next, block.chair_groups[next].pass_time_limit);
        CollectTrick(next);
        if (next == block.last_play_chair) {
            const int winner = next;
            block.points_won[winner] += block.trick_points;
            request.points_taken = block.trick_points;
            request.trick_won = 1;
            block.trick_points = 0;
            block.trick_score_count = 0;
            std::fill(std::begin(block.trick_score_cards), std::end(block.trick_score_cards), NO_CARD);
            block.last_trick_winner = winner;
            block.last_play_chair = -1;
            block.last_play.Clear();
            CloseTrick();
            block.new_trick = 1;
            int lead = winner;
            if (GetHandCount(lead) == 0) {
                lead = GetPrevChair(winner);
                if (GetHandCount(lead) == 0)
                    lead = GetPrevChair(lead);
            }
            StartTurn(lead, block.chair_groups[lead].throw_wait);
            request.next_chair = lead;
            return 0;
        }
        if (GetHandCount(next) > 0) {
            request.next_chair = next;
            return 0;
        }
    }
    return 0;
}

void CPlDkTable::CollectTrick(int chair)
{
    if (!IsValidChair(chair) || chair >= PLDK_CHAIRS)
        return;
    TableGameData& block = GetTableGameData();
    if (block.new_trick) {
        for (auto& list : block.trick_cards)
            std::fill(std::begin(list), std::end(list), NO_CARD);
        block.new_trick = 0;
    }
    auto& list = block.trick_cards[chair];
    std::fill(std::begin(list), std::end(list), NO_CARD);
    size_t n = 0;
    for (DeckCard& record : block.deck) {
        if (record.place != CARD_PLACE_TRICK || record.holder != chair)
            continue;
        record.place = CARD_PLACE_PLAYED;
        if (n < PLDK_HAND_SLOTS)
            list[n++] = record.card;
    }
}

void CPlDkTable::CloseTrick()
{
    for (DeckCard& record : GetTableGameData().deck) {
        if (record.place == CARD_PLACE_TRICK)
            record.place = CARD_PLACE_PLAYED;
    }
}

int CPlDkTable::CalcRoundResults(std::span<int32_t> results)
{
    if (results.size() < static_cast<size_t>(PLDK_CHAIRS))
        return 0;
    TableGameData& block = GetTableGameData();
    const int first = GetChairByPlace(1);
    if (first < 0)
        return 0;
    const int partner = GetPartnerChair(first);
    std::array<int32_t, PLDK_CHAIRS> result {};
    std::fill(std::begin(block.settle_score), std::end(block.settle_score), 0);
    if (m_settle_mode == SETTLE_FIRST_TWO) {
        block.settle_score[first] = 200;
        for (int c = 0; c < PLDK_CHAIRS; ++c)
            result[static_cast<size_t>(c)] = (c == first || c == partner) ? 2 : -2;
    } else {
        std::array<int, PLDK_CHAIRS + 1> by_place {};
        by_place.fill(-1);
        for (int c = 0; c < PLDK_CHAIRS; ++c) {
            const int32_t place = block.place[c];
            if (place < 1 || place > PLDK_CHAIRS || by_place[static_cast<size_t>(place)] != -1)
                return 0;
            by_place[static_cast<size_t>(place)] = c;
        }
        auto points = [&](int c) { return block.points_won[c] + m_kept_points[static_cast<size_t>(c)]; };
        block.settle_score[by_place[1]] = points(by_place[1]) + points(by_place[4]);
        block.settle_score[by_place[2]] = points(by_place[2]);
        block.settle_score[by_place[3]] = points(by_place[3]);
        block.settle_score[by_place[4]] = 0;
        const int32_t team = block.settle_score[first] + block.settle_score[partner];
        int32_t value = 1;
        if (team == 200)
            value = 2;
        else if (team == 0)
            value = -2;
        else if (team < 100)
            value = -1;
        for (int c = 0; c < PLDK_CHAIRS; ++c)
            result[static_cast<size_t>(c)] = (c == first || c == partner) ? value : -value;
    }
    std::fill(std::begin(block.bomb_result), std::end(block.bomb_result), 0);
    for (int c = 0; c < PLDK_CHAIRS; ++c) {
        const int32_t bonus = block.chair_groups[c].bomb_bonus;
        if (bonus <= 0)
            continue;
        for (int k = 0; k < PLDK_CHAIRS; ++k) {
            const int32_t delta = k == c ? 3 * bonus : -bonus;
            result[static_cast<size_t>(k)] += delta;
            block.bomb_result[k] += delta;
        }
    }
    int64_t sum = 0;
    for (int32_t r : result)
        sum += r;
    if (sum != 0) {
        m_env.services->LogLine("错误的记分错误，记分总和不为0!");
        result.fill(0);
    }
    std::copy(result.begin(), result.end(), results.begin());
    return 1;
}

int32_t CPlDkTable::GetRelation(int a, int b, int32_t x) const
{
    if (a == b) {
        int64_t others = 0;
        if (m_block) {
            for (int c = 0; c < PLDK_CHAIRS; ++c) {
                if (c != a)
                    others += m_block->chair_groups[c].bomb_bonus;
            }
        }
        return ClampToI32(-(static_cast<int64_t>(x) + others));
    }
    return GetTeam(a) != GetTeam(b) ? 1 : 0;
}

void CPlDkTable::FillWinExtra(GameWinResult& win, int)
{
    std::array<int32_t, PLDK_CHAIRS> results {};
    if (!CalcRoundResults(results))
        results.fill(0);
    for (int c = 0; c < PLDK_CHAIRS; ++c)
        win.extra[c] = results[static_cast<size_t>(c)];
}

int CPlDkTable::ScaleResults(GameWinResult& win, std::span<int32_t> score_changes, std::span<int32_t> silver_changes)
{
    for (size_t c = 0; c < PLDK_CHAIRS && c < score_changes.size(); ++c) {
        score_changes[c] = ClampToI32(static_cast<int64_t>(win.extra[c]) * m_base_score);
        if (m_base_deposit != 0 && c < silver_changes.size())
            silver_changes[c] = ClampToI32(static_cast<int64_t>(win.extra[c]) * m_base_deposit);
    }
    return 0;
}

void CPlDkTable::RecordRoundResult(const GameWinResult& win)
{
    CCardTable::RecordRoundResult(win);
    if (m_round_number <= 0)
        return;
    const size_t slot = static_cast<size_t>((m_round_number - 1) % PLDK_HISTORY_ROUNDS);
    for (int c = 0; c < PLDK_CHAIRS; ++c) {
        const int32_t value = m_base_deposit != 0 ? win.silver_change[c] : win.score_change[c];
        m_history[static_cast<size_t>(c)][slot] = value;
        m_history_total[static_cast<size_t>(c)] = ClampToI32(static_cast<int64_t>(m_history_total[static_cast<size_t>(c)]) + value);
    }
}

void CPlDkTable::FillRoomRecord(GameWinResult& win) const
{
    CCardTable::FillRoomRecord(win);
    win.base_score = CalcBaseScore(m_base_score);
    const int32_t configured = ReadRoomSetting("basescore", 0);
    if (configured > 0)
        win.base_score = configured;
}

} // namespace rules

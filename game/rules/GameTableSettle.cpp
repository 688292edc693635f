// CGameTable: settlement arithmetic. Amounts are computed in 64 bits and
// clamped back into the signed 32-bit range; no fee is ever negative.
#include "game/rules/GameTable.h"

#include <algorithm>
#include <cmath>

namespace rules {
namespace {

// ceil(a / b) for a >= 0, b > 0, exactly.
int64_t CeilDiv(int64_t a, int64_t b)
{
    return (a + b - 1) / b;
}

int64_t CeilRate(int64_t amount, int64_t rate_per_10000)
{
    return static_cast<int64_t>(std::ceil(static_cast<double>(amount) * static_cast<double>(rate_per_10000) / 10000.0));
}

} // namespace

void CGameTable::CapLosses(std::span<const int32_t> holdings, std::span<int32_t> changes) const
{
    const size_t n = std::min({ holdings.size(), changes.size(), static_cast<size_t>(m_chair_count) });
    ChairInts initial {};
    int64_t total_gain = 0;
    for (size_t c = 0; c < n; ++c) {
        initial[c] = changes[c];
        total_gain += std::max(changes[c], 0);
    }
    int32_t smallest_positive = 0;
    for (size_t c = 0; c < n; ++c) {
        if (holdings[c] > 0 && (smallest_positive == 0 || holdings[c] < smallest_positive))
            smallest_positive = holdings[c];
    }
    const bool own_cap = (m_options & OPTION_CAP_AT_OWN_SILVER) != 0;
    for (size_t c = 0; c < n; ++c) {
        const int64_t cap = own_cap ? std::max(holdings[c], 0) : smallest_positive;
        if (changes[c] >= 0 || changes[c] + cap >= 0)
            continue;
        const int64_t shortfall = -static_cast<int64_t>(changes[c]) - cap;
        changes[c] = ClampToI32(-cap);
        if (total_gain <= 0)
            continue;
        // The shortfall is taken from the winners in proportion to their
        // initial gains, each share rounded up.
        for (size_t k = 0; k < n; ++k) {
            if (initial[k] <= 0)
                continue;
            const int64_t share = CeilDiv(shortfall * initial[k], total_gain);
            changes[k] = ClampToI32(std::max<int64_t>(static_cast<int64_t>(changes[k]) - share, 0));
        }
    }
}

int32_t CGameTable::SilverBefore(int chair) const
{
    if (AnyChairFlag1000())
        return m_snapshots[chair][6];
    return m_seats[chair] ? m_seats[chair]->silver : 0;
}

int32_t CGameTable::TakeWinFees(std::span<int32_t> changes, std::span<int32_t> fees) const
{
    const size_t n = std::min({ changes.size(), fees.size(), static_cast<size_t>(m_chair_count) });
    int64_t total = 0;
    if (m_round.fee_mode == 6) {
        for (size_t c = 0; c < n; ++c) {
            int32_t fee = 0;
            TakeWinFee(0, changes[c], fee);
            fees[c] = ClampToI32(static_cast<int64_t>(fees[c]) + fee);
            total += fee;
        }
    } else if (m_round.fee_mode == 1) {
        const bool by_snapshot = AnyChairFlag1000();
        const int64_t fixed = std::max(m_round.fixed_fee, 0);
        int64_t shortfall = 0;
        for (size_t c = 0; c < n; ++c) {
            const bool pays = by_snapshot ? m_snapshots[c][0] > 0 : m_seats[c] != nullptr;
            if (!pays)
                continue;
            const int64_t v = static_cast<int64_t>(SilverBefore(static_cast<int>(c))) + changes[c];
            int64_t fee = fixed;
            if (v < fixed) {
                fee = std::max<int64_t>(v, 0);
                shortfall += fixed - fee;
            }
            changes[c] = ClampToI32(changes[c] - fee);
            fees[c] = ClampToI32(fees[c] + fee);
            total += fee;
        }
        // One pass over the winners covers what they can; a shortfall that
        // remains after it is left (another pass would find nothing to take).
        for (size_t c = 0; c < n && shortfall > 0; ++c) {
            if (changes[c] <= 0)
                continue;
            const int64_t more = std::min<int64_t>(changes[c], shortfall);
            changes[c] = ClampToI32(changes[c] - more);
            fees[c] = ClampToI32(fees[c] + more);
            shortfall -= more;
            total += more;
        }
    }
    return ClampToI32(total);
}

void CGameTable::TakeWinFee(int32_t holding, int32_t& change, int32_t& fee) const
{
    if (m_round.fee_mode == 6) {
        const int64_t g = change;
        if (g <= 100)
            return;
        int64_t computed = (g / 100) * std::max(m_round.win_fee_rate, 0);
        if (g > 100000)
            computed *= 5;
        else if (g > 10000)
            computed = static_cast<int64_t>(std::ceil(static_cast<double>(g) / 20000.0) * static_cast<double>(computed));
        computed = std::clamp<int64_t>(computed, 0, (g / 100) * GetMaxFeePercent());
        change = ClampToI32(g - computed);
        fee = ClampToI32(static_cast<int64_t>(fee) + computed);
    } else if (m_round.fee_mode == 1) {
        const int64_t available = std::max<int64_t>(static_cast<int64_t>(holding) + change, 0);
        const int64_t taken = std::min<int64_t>(available, std::max(m_round.fixed_fee, 0));
        change = ClampToI32(change - taken);
        fee = ClampToI32(fee + taken);
    }
}

int32_t CGameTable::TakeTableFees(std::span<const int32_t> holdings, std::span<int32_t> remaining,
                                  std::span<int32_t> fees) const
{
    const size_t n = std::min({ holdings.size(), remaining.size(), fees.size(), static_cast<size_t>(m_chair_count) });
    for (size_t c = 0; c < n; ++c)
        remaining[c] = holdings[c];
    int64_t total = 0;
    int32_t smallest_positive = 0;
    for (size_t c = 0; c < n; ++c) {
        if (holdings[c] > 0 && (smallest_positive == 0 || holdings[c] < smallest_positive))
            smallest_positive = holdings[c];
    }
    for (size_t c = 0; c < n; ++c) {
        const int64_t holding = std::max(holdings[c], 0);
        int64_t paid = 0;
        switch (m_round.fee_mode) {
        case 7:
            paid = std::min<int64_t>(holding, std::max(m_round.fixed_fee, 0));
            break;
        case 8:
            if (m_round.fee_minimum <= smallest_positive) {
                const bool counted = !AnyChairFlag1000() || (m_snapshots[c][0] > 0 && m_snapshots[c][6] > 0);
                if (counted)
                    paid = std::min<int64_t>(holding, std::max<int64_t>(CeilRate(smallest_positive, m_round.fee_rate), 0));
            }
            break;
        case 9:
            if (holdings[c] >= m_round.fee_minimum)
                paid = std::min<int64_t>(holding, std::max<int64_t>(CeilRate(holding, m_round.fee_rate), 0));
            break;
        default:
            break;
        }
        if (paid > 0) {
            remaining[c] = ClampToI32(holdings[c] - paid);
            fees[c] = ClampToI32(paid);
        }
        total += paid;
    }
    return ClampToI32(total);
}

int32_t CGameTable::SmallestPositiveSilverOfSnapshots() const
{
    int32_t smallest = 0;
    for (int c = 0; c < m_chair_count; ++c) {
        const int32_t s = m_snapshots[c][6];
        if (s > 0 && (smallest == 0 || s < smallest))
            smallest = s;
    }
    return smallest;
}

int32_t CGameTable::TakeTableFee(int32_t amount, int32_t& remaining, int32_t& fee) const
{
    const int64_t holding = std::max(amount, 0);
    int64_t paid = 0;
    switch (m_round.fee_mode) {
    case 7:
        paid = std::min<int64_t>(holding, std::max(m_round.fixed_fee, 0));
        break;
    case 8: {
        const int32_t m = SmallestPositiveSilverOfSnapshots();
        if (m_round.fee_minimum <= m)
            paid = std::min<int64_t>(holding, std::max<int64_t>(CeilRate(m, m_round.fee_rate), 0));
        break;
    }
    case 9:
        if (amount >= m_round.fee_minimum)
            paid = std::min<int64_t>(holding, std::max<int64_t>(CeilRate(holding, m_round.fee_rate), 0));
        break;
    default:
        break;
    }
    remaining = ClampToI32(amount - paid);
    fee = ClampToI32(paid);
    return fee;
}

int CGameTable::CheckZeroSum(std::span<int32_t> changes, std::span<int32_t> fees, int32_t total) const
{
    const size_t n = std::min({ changes.size(), fees.size(), static_cast<size_t>(m_chair_count) });
    if (SumInts(changes.first(n)) + total < 1)
        return 1;
    std::fill(changes.begin(), changes.begin() + static_cast<ptrdiff_t>(n), 0);
    std::fill(fees.begin(), fees.begin() + static_cast<ptrdiff_t>(n), 0);
    return 0;
}

int CGameTable::ClampLoss(int32_t holding, int32_t& change)
{
    if (static_cast<int64_t>(holding) + change < 0) {
        change = ClampToI32(-static_cast<int64_t>(holding));
        return 0;
    }
    return 1;
}

int CGameTable::CheckZeroSumOne(int32_t& change, int32_t& fee)
{
    if (static_cast<int64_t>(change) + fee >= 1) {
        change = 0;
        fee = 0;
        return 0;
    }
    return 1;
}

int32_t CGameTable::CalcLoss(int chair, int32_t units, int32_t& compensation_out) const
{
    if (!IsValidChair(chair) || !m_seats[chair])
        return 0;
    int64_t loss = static_cast<int64_t>(units) * m_base_deposit;
    loss = std::max<int64_t>(loss, -static_cast<int64_t>(m_seats[chair]->silver));
    if (m_round.max_leave_loss != 0)
        loss = std::max<int64_t>(loss, -static_cast<int64_t>(m_round.max_leave_loss));
    compensation_out = ClampToI32((-loss * m_round.leave_compensation_percent) / 100);
    return ClampToI32(loss);
}

int32_t CGameTable::DivideAmongTeam(int chair, int other, int32_t amount) const
{
    if (chair == other || !IsValidChair(chair) || !IsValidChair(other))
        return 0;
    const int32_t team = m_teams[other];
    const int n = GetOtherTeamsSize(team);
    if (n == 0)
        return 0;
    if (amount % n == 0)
        return amount / n;
    if (FindOtherTeamChair(other, team) == chair)
        return amount / n + amount % n;
    return amount / n;
}

int32_t CGameTable::GetRelation(int a, int b, int32_t x) const
{
    if (a == b)
        return -x;
    return GetTeam(a) == GetTeam(b) ? 0 : x;
}

} // namespace rules

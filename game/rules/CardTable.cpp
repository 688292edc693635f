#include "game/rules/CardTable.h"

#include <algorithm>
#include <set>

namespace rules {

CardRuleParams CardRuleParams::Generic()
{
    CardRuleParams params;
    params.total_cards = 216;
    params.decks = 4;
    params.hand_size = 64;
    params.kept5 = 0;
    params.kept6 = 0;
    return params;
}

CCardTable::CCardTable(const TableArgs& table_args, const CardRuleParams& rule_params, const CardCallbacks& callbacks)
    : CGameTable(table_args)
    , m_rule(rule_params)
{
    m_rule.decks = std::clamp(m_rule.decks, 1, PLAY_CARDS / 4);
    m_rule.total_cards = std::max(m_rule.total_cards, 0);
    Reset(1);
    SetCardCallbacks(callbacks);
}

CCardTable::~CCardTable() = default;

int CCardTable::Reset(int full)
{
    CGameTable::Reset(full);
    for (Counters& counters : m_value_counters)
        counters.fill(0);
    m_bid_count = 0;
    m_bids.fill(BidEntry {});
    m_best_bid = m_rule.default_bid;
    return 0;
}

// --- Counting

int CCardTable::CountValidCards(std::span<const int32_t> cards) const
{
    return static_cast<int>(std::count_if(cards.begin(), cards.end(), [this](int32_t id) { return IsCard(id); }));
}

int CCardTable::GetHandCount(int chair) const
{
    if (!IsValidChair(chair))
        return 0;
    int total = 0;
    for (int32_t count : m_value_counters[static_cast<size_t>(chair)])
        total += count;
    return total;
}

std::span<const int32_t> CCardTable::GetValueCounters(int chair) const
{
    return m_value_counters[static_cast<size_t>(IsValidChair(chair) ? chair : 0)];
}

int CCardTable::CountValues(std::span<const int32_t> cards, std::span<int32_t> counters, int32_t& wild_out) const
{
    wild_out = 0;
    int valid = 0;
    auto add = [&counters](int32_t card) {
        const int32_t value = GetCardValue(card, 0);
        if (value >= 0 && static_cast<size_t>(value) < counters.size())
            ++counters[static_cast<size_t>(value)];
    };
    for (int32_t card : cards) {
        if (!IsCard(card))
            continue;
        ++valid;
        if (IsWildCard(card) && (m_options & 0x1))
            ++wild_out;
        else
            add(card);
    }
    if (wild_out == valid) {
        // A selection made only of wild cards reads as those cards themselves.
        for (int32_t card : cards) {
            if (IsCard(card))
                add(card);
        }
        wild_out = 0;
    }
    return valid;
}

bool CCardTable::IsWildCard(int32_t) const
{
    return false;
}

bool CCardTable::IsWildValue(int32_t) const
{
    return false;
}

int CCardTable::CountWildValues(std::span<const int32_t> counters, int32_t except_value) const
{
    int total = 0;
    for (size_t v = 0; v < counters.size(); ++v) {
        if (counters[v] != 0 && static_cast<int32_t>(v) != except_value && IsWildValue(static_cast<int32_t>(v)))
            total += counters[v];
    }
    return total;
}

int CCardTable::CardsBelongTo(int, std::span<const int32_t> cards) const
{
    // The general table keeps no card records: no real card belongs to a hand.
    return std::all_of(cards.begin(), cards.end(), [](int32_t id) { return id == NO_CARD; }) ? 1 : 0;
}

// --- Reading a selection

void CCardTable::WritePlay(CardPlay& play, int32_t type, int32_t mask, int32_t strength, int32_t count)
{
    play.type = type;
    play.beat_mask = mask;
    play.strength = strength;
    play.count = count;
    std::fill(std::begin(play.cards), std::end(play.cards), NO_CARD);
}

std::array<int32_t, PLAY_CARDS> CCardTable::CopyHand(std::span<const int32_t> cards)
{
    std::array<int32_t, PLAY_CARDS> hand;
    hand.fill(NO_CARD);
    std::copy_n(cards.begin(), std::min(cards.size(), hand.size()), hand.begin());
    return hand;
}

namespace {

bool CanAppend(std::span<const int32_t> cards, const CardPlayList& list)
{
    return !cards.empty() && list.count >= 0 && list.count < PLAY_LIST_SIZE;
}

} // namespace

int CCardTable::AddSingleCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (!CanAppend(cards, list) || valid != 1 || !IsCard(cards[0]))
        return 0;
    return AddByFinder(cards, list, false, [&](const Counters&, int32_t, CardPlay& p) { return FindSingle(cards, p); });
}

int CCardTable::AddPairCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (!CanAppend(cards, list) || valid != 2)
        return 0;
    return AddByFinder(cards, list, true, [&](const Counters& c, int32_t w, CardPlay& p) { return FindPair(cards, c, w, p); });
}

int CCardTable::AddTripleCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (!CanAppend(cards, list) || valid != 3)
        return 0;
    return AddByFinder(cards, list, false, [&](const Counters& c, int32_t w, CardPlay& p) { return FindTriple(cards, c, w, p); });
}

int CCardTable::AddTriplePairCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (!CanAppend(cards, list) || valid != 5)
        return 0;
    return AddByFinder(cards, list, true, [&](const Counters& c, int32_t w, CardPlay& p) { return FindTriplePair(cards, c, w, p); });
}

int CCardTable::AddStraightCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (!CanAppend(cards, list) || valid != 5)
        return 0;
    return AddByFinder(cards, list, true, [&](const Counters& c, int32_t w, CardPlay& p) { return FindStraight(cards, c, w, p, 5); });
}

int CCardTable::AddPairSeqCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (!CanAppend(cards, list) || valid < 4 || valid % 2 != 0)
        return 0;
    return AddByFinder(cards, list, false, [&](const Counters& c, int32_t w, CardPlay& p) { return FindPairSeq(cards, c, w, p, valid / 2); });
}

int CCardTable::AddTripleSeqCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (!CanAppend(cards, list) || valid < 6 || valid % 3 != 0)
        return 0;
    return AddByFinder(cards, list, false, [&](const Counters& c, int32_t w, CardPlay& p) { return FindTripleSeq(cards, c, w, p, valid / 3); });
}

int CCardTable::AddTripleSeqPairsCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (!CanAppend(cards, list) || valid < 10 || valid % 5 != 0)
        return 0;
    return AddByFinder(cards, list, false, [&](const Counters& c, int32_t w, CardPlay& p) { return FindTripleSeqPairs(cards, c, w, p, valid / 5); });
}

int CCardTable::AddBombCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (!CanAppend(cards, list) || valid < 4)
        return 0;
    return AddByFinder(cards, list, false, [&](const Counters& c, int32_t w, CardPlay& p) { return FindBomb(cards, c, w, p, valid); });
}

int CCardTable::AddStraightFlushCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (!CanAppend(cards, list) || valid != 5)
        return 0;
    return AddByFinder(cards, list, true, [&](const Counters&, int32_t, CardPlay& p) { return FindStraightFlush(cards, p, 5); });
}

int CCardTable::AddBigBombCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (!CanAppend(cards, list) || valid < 6 || valid > 8)
        return 0;
    return AddByFinder(cards, list, false, [&](const Counters& c, int32_t w, CardPlay& p) { return FindBigBomb(cards, c, w, p, valid); });
}

int CCardTable::AddFourJokersCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (!CanAppend(cards, list) || valid != 4)
        return 0;
    return AddByFinder(cards, list, false, [&](const Counters& c, int32_t, CardPlay& p) { return FindFourJokers(cards, c, p); });
}

int CCardTable::AddAnyCandidate(std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    if (!CanAppend(cards, list) || valid > PLAY_CARDS)
        return 0;
    CardPlay& entry = list.plays[static_cast<size_t>(list.count)];
    WritePlay(entry, CARD_TYPE_ANY, BEAT_MASK_WITH_FOUR_JOKERS, 1, valid);
    int next = 0;
    for (int32_t id : cards) {
        if (next >= valid)
            break;
        if (IsCard(id))
            entry.cards[next++] = id;
    }
    ++list.count;
    return 1;
}

std::span<const int32_t> CCardTable::GetAnalysisOrder() const
{
    static constexpr int32_t order[] = { CARD_TYPE_SINGLE, CARD_TYPE_PAIR, CARD_TYPE_TRIPLE, CARD_TYPE_TRIPLE_PAIR,
        CARD_TYPE_STRAIGHT, CARD_TYPE_PAIR_SEQ, CARD_TYPE_TRIPLE_SEQ, CARD_TYPE_TRIPLE_SEQ_PAIRS, CARD_TYPE_BOMB,
        CARD_TYPE_STRAIGHT_FLUSH, CARD_TYPE_BIG_BOMB, CARD_TYPE_FOUR_JOKERS, CARD_TYPE_ANY };
    return order;
}

int CCardTable::AddCandidate(int32_t type, std::span<const int32_t> cards, int valid, CardPlayList& list)
{
    switch (type) {
    case CARD_TYPE_SINGLE: return AddSingleCandidate(cards, valid, list);
    case CARD_TYPE_PAIR: return AddPairCandidate(cards, valid, list);
    case CARD_TYPE_TRIPLE: return AddTripleCandidate(cards, valid, list);
    case CARD_TYPE_TRIPLE_PAIR: return AddTriplePairCandidate(cards, valid, list);
    case CARD_TYPE_STRAIGHT: return AddStraightCandidate(cards, valid, list);
    case CARD_TYPE_PAIR_SEQ: return AddPairSeqCandidate(cards, valid, list);
    case CARD_TYPE_TRIPLE_SEQ: return AddTripleSeqCandidate(cards, valid, list);
    case CARD_TYPE_TRIPLE_SEQ_PAIRS: return AddTripleSeqPairsCandidate(cards, valid, list);
    case CARD_TYPE_BOMB: return AddBombCandidate(cards, valid, list);
    case CARD_TYPE_STRAIGHT_FLUSH: return AddStraightFlushCandidate(cards, valid, list);
    case CARD_TYPE_BIG_BOMB: return AddBigBombCandidate(cards, valid, list);
    case CARD_TYPE_FOUR_JOKERS: return AddFourJokersCandidate(cards, valid, list);
    case CARD_TYPE_ANY: return AddAnyCandidate(cards, valid, list);
    default: return 0;
    }
}

int CCardTable::AnalyseCards(int, std::span<const int32_t> cards, CardPlayList& list, int32_t type_mask)
{
    const int valid = CountValidCards(cards);
    for (int32_t type : GetAnalysisOrder()) {
        if (type_mask & type)
            AddCandidate(type, cards, valid, list);
    }
    return list.count > 0 ? 1 : 0;
}

bool CCardTable::Replaces(const CardPlay& best, int32_t, const CardPlay& entry, bool) const
{
    if ((entry.beat_mask & best.type) == 0)
        return false;
    return entry.type != best.type || StrengthKey(entry.strength) > StrengthKey(best.strength);
}

int CCardTable::CanBeat(const CardPlay& last, const CardPlay& play) const
{
    if ((play.beat_mask & last.type) == 0)
        return 0;
    if (play.type == last.type)
        return StrengthKey(play.strength) > StrengthKey(last.strength) ? 1 : 0;
    return 1;
}

int CCardTable::PickLeadCandidate(CardPlayList& list) const
{
    if (list.count < 2)
        return 1;
    const int count = std::min(list.count, PLAY_LIST_SIZE);
    int best = 0;
    int32_t best_count = list.plays[0].count;
    for (int i = 1; i < count; ++i) {
        if (Replaces(list.plays[static_cast<size_t>(best)], best_count, list.plays[static_cast<size_t>(i)], false)) {
            best = i;
            best_count = list.plays[static_cast<size_t>(i)].count;
        }
    }
    if (best != 0) {
        const int32_t kept_count = list.plays[0].count;
        list.plays[0] = list.plays[static_cast<size_t>(best)];
        list.plays[0].count = kept_count;
        list.count = 1;
    }
    return 1;
}

int CCardTable::PickBeatingCandidate(const CardPlay& last, CardPlayList& list) const
{
    CardPlay best = last;
    int32_t best_count = last.count;
    int chosen = -1;
    const int count = std::clamp(list.count, 0, PLAY_LIST_SIZE);
    for (int i = 0; i < count; ++i) {
        const CardPlay& entry = list.plays[static_cast<size_t>(i)];
        if (Replaces(best, best_count, entry, true)) {
            best = entry;
            best_count = entry.count;
            chosen = i;
        }
    }
    if (chosen < 0)
        return 0;
    list.plays[0] = list.plays[static_cast<size_t>(chosen)];
    list.count = 1;
    return 1;
}

bool CCardTable::IsCleanSelection(const CardPlay& play) const
{
    if (play.count < 1 || play.count > PLAY_CARDS)
        return false;
    std::set<int32_t> seen;
    for (int i = 0; i < PLAY_CARDS; ++i) {
        const int32_t id = play.cards[i];
        if (i < play.count) {
            if (!IsCard(id) || !seen.insert(id).second)
                return false;
        } else if (id != NO_CARD) {
            return false;
        }
    }
    return true;
}

int CCardTable::IsPlayersTurn(std::span<const int32_t> request) const
{
    if (request.size() < 3 || !(m_state & TABLE_STATE_PLAY_PHASE))
        return 0;
    return IsValidChair(request[2]) && request[2] == m_current_chair ? 1 : 0;
}

int CCardTable::ReadThrow(const ThrowRequest& request, CardPlayList& list)
{
    if (!(m_state & TABLE_STATE_PLAY_PHASE) || !IsValidChair(request.chair) || request.chair != m_current_chair)
        return 0;
    if (!IsCleanSelection(request.play) || !CardsBelongTo(request.chair, request.play.Cards()))
        return 0;
    if (CountValidCards(request.play.cards) != request.play.count)
        return 0;
    // A thrown play is a real play type: "any cards" would let a request lay
    // an arbitrary set that nothing can beat.
    list.Clear();
    return AnalyseCards(request.chair, request.play.cards, list, request.play.type & ~CARD_TYPE_ANY);
}

int CCardTable::IsValidThrow(ThrowRequest& request)
{
    CardPlayList list;
    if (!ReadThrow(request, list))
        return 0;
    PickLeadCandidate(list);
    request.play = list.plays[0];
    return 1;
}

// --- Bidding

int CCardTable::OnBid(const BidRequest& request, int& decided)
{
    // A bid beyond the table's entries, or from no chair, is not recorded.
    if (m_bid_count >= MAX_BIDS || !IsValidChair(request.chair))
        return 1;
    BidEntry& entry = m_bids[static_cast<size_t>(m_bid_count++)];
    entry = BidEntry {};
    entry.chair = request.chair;
    entry.pass = request.pass;
    entry.value = request.value;
    const bool lowest = (m_options & OPTION_LOWEST_BID_WINS) != 0;
    const bool real = request.pass == 0;
    if (real && (lowest ? request.value <= m_rule.low_bid : request.value >= m_rule.high_bid)) {
        m_best_bid = request.value;
        m_banker = request.chair;
        decided = 1;
    } else if ((m_options & OPTION_BID_ONE_ROUND) && m_bid_count >= m_chair_count) {
        decided = 1;
        bool any_real = false;
        for (int i = 0; i < m_chair_count && i < m_bid_count; ++i) {
            const BidEntry& bid = m_bids[static_cast<size_t>(i)];
            if (bid.pass != 0)
                continue;
            any_real = true;
            if (lowest ? bid.value <= m_best_bid : bid.value >= m_best_bid) {
                m_best_bid = bid.value;
                m_banker = bid.chair;
            }
        }
        if (!any_real)
            m_best_bid = m_rule.default_bid;
    }
    if (!decided)
        SetCurrentChair(GetPrevChair(m_current_chair));
    return 1;
}

int CCardTable::BeginPlayPhase()
{
    RemoveStatus(TABLE_STATE_BIDDING);
    AddStatus(TABLE_STATE_PLAY_PHASE);
    SetCurrentChair(m_banker);
    OnPlayPhaseStarted();
    return 1;
}

int CCardTable::GetBankerChair()
{
    return m_round_number == 1 ? RandomBelow(m_chair_count) : m_banker;
}

int CCardTable::GetNextBanker(std::span<const int32_t>)
{
    return m_banker;
}

} // namespace rules

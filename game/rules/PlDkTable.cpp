// CPlDkTable: the block, resets, settings, seats and turn order, the deck,
// the deal and the hands.
#include "game/rules/PlDkTable.h"


#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>

namespace rules {
namespace {

TableArgs PlDkTableArgs(int32_t options)
{
    TableArgs args;
    args.options = options;
    return args;
}

bool IsJoker(int32_t card)
{
    return card >= 0 && card % 54 >= 52;
}

} // namespace

CPlDkTable::CPlDkTable(int32_t options)
    : CCardTable(PlDkTableArgs(options), CardRuleParams::PlDk())
{
    Reset(1);
}

CPlDkTable::~CPlDkTable() = default;

TableGameData& CPlDkTable::GetTableGameData()
{
    AllocTableGameData();
    return *m_block;
}

void CPlDkTable::AllocTableGameData()
{
    if (!m_block) {
        m_block = std::make_unique<TableGameData>();
        InitTableGameData(m_block.get());
        // A new block starts as a full reset leaves it.
        for (ChairGroup& group : m_block->chair_groups)
            group.pass_time_limit = 20;
    }
}

ChairGroup& CPlDkTable::GetChairState(int chair)
{
    return GetTableGameData().chair_groups[static_cast<size_t>(std::clamp(chair, 0, PLDK_CHAIRS - 1))];
}

int CPlDkTable::Reset(int full)
{
    CCardTable::Reset(full);
    if (m_block) {
        // The pass time limits outlive a round reset; left at 0 they would
        // give every turn after a pass one second.
        std::array<int32_t, PLDK_CHAIRS> pass_limits {};
        for (int c = 0; c < PLDK_CHAIRS; ++c)
            pass_limits[static_cast<size_t>(c)] = full ? 20 : m_block->chair_groups[c].pass_time_limit;
        InitTableGameData(m_block.get());
        for (int c = 0; c < PLDK_CHAIRS; ++c)
            m_block->chair_groups[c].pass_time_limit = pass_limits[static_cast<size_t>(c)];
    }
    m_throw_wait = 20;
    if (full) {
        for (auto& row : m_history)
            row.fill(0);
        m_history_total.fill(0);
    }
    m_kept_points.fill(0);
    m_settle_mode = SETTLE_NONE;
    m_settled = 0;
    m_turned_position = -1;
    m_turned_card = -1;
    m_partner = -1;
    return 0;
}

void CPlDkTable::ResetRound()
{
    CCardTable::ResetRound();
    for (auto& row : m_history)
        row.fill(0);
    m_history_total.fill(0);
    m_throw_wait = 20;
}

// --- Settings and seats

int32_t CPlDkTable::ReadRoomSetting(const char* section, int32_t default_value) const
{
    const std::string path = GetServerIniPath();
    if (path.empty())
        return default_value;
    char key[16];
    std::snprintf(key, sizeof(key), "%ld", static_cast<long>(m_args.table_tag));
    return m_env.settings->GetProfileInt(section, key, default_value, path);
}

std::string CPlDkTable::GetServerIniPath() const
{
    const std::string module = m_env.settings->GetProgramFilePath();
    const size_t slash = module.find_last_of("\\/");
    if (slash == std::string::npos)
        return {};
    return module.substr(0, slash + 1) + "PlDkSvr" + ".ini";
}

int32_t CPlDkTable::GetKickTime() const
{
    const std::string path = GetServerIniPath();
    return path.empty() ? 90 : m_env.settings->GetProfileInt("KickTime", "time", 90, path);
}

int CPlDkTable::GetNextBanker(std::span<const int32_t>)
{
    return GetChairByPlace(1);
}

int CPlDkTable::IsGameRequest(int32_t id)
{
    return (id >= 19840324 && id <= 19840332) || (id >= 19840335 && id <= 19840337) || (id >= 19840340 && id <= 19840342)
        ? 1 : 0;
}

int CPlDkTable::GetPrevChairAfterSwap(int chair, int partner, int banker, int chairs)
{
    if (chairs < 1)
        return 0;
    auto wrap = [chairs](int c) { return ((c % chairs) + chairs) % chairs; };
    const int b = wrap(banker);
    if (chairs != 4 || partner < 0 || wrap(partner) == wrap(b - 2) || wrap(partner) == b)
        return wrap(chair - 1);
    const int c = wrap(chair);
    if (wrap(partner) == wrap(b - 1)) {
        // B, B-2, B-1, B-3, B.
        if (c == b) return wrap(b - 2);
        if (c == wrap(b - 2)) return wrap(b - 1);
        if (c == wrap(b - 1)) return wrap(b - 3);
        return b;
    }
    // Partner at B+1: B, B-1, B+1, B-2, B.
    if (c == b) return wrap(b - 1);
    if (c == wrap(b - 1)) return wrap(b + 1);
    if (c == wrap(b + 1)) return wrap(b - 2);
    return b;
}

int CPlDkTable::GetPrevChair(int chair) const
{
    return GetPrevChairAfterSwap(chair, m_partner, m_banker, m_chair_count);
}

int CPlDkTable::FindPartnerChair(int32_t card) const
{
    const auto opposite = [this] { return ((m_banker - 2) % m_chair_count + m_chair_count) % m_chair_count; };
    if (!m_block || !IsCard(card))
        return opposite();
    const int32_t suit = GetCardSuit(card, 0);
    const int32_t raw = GetCardRawValue(card, 0);
    for (const DeckCard& record : m_block->deck) {
        if (record.card != card && record.holder != m_banker && record.holder >= 0 && record.suit == suit
            && record.raw_value == raw)
            return record.holder;
    }
    return opposite();
}

int CPlDkTable::GetPartnerChair(int chair) const
{
    const int opposite = ((chair - 2) % m_chair_count + m_chair_count) % m_chair_count;
    if (m_partner < 0 || !IsValidChair(chair))
        return opposite;
    if (chair == m_partner)
        return m_banker;
    if (chair == m_banker)
        return m_partner;
    for (int c = 0; c < m_chair_count; ++c) {
        if (c != m_banker && c != m_partner && c != chair)
            return c;
    }
    return opposite;
}

bool CPlDkTable::IsBidding() const
{
    return (m_state & TABLE_STATE_PLAYING) && (m_state & TABLE_STATE_BIDDING);
}

int CPlDkTable::StartModeThreeRound()
{
    m_settled = 1;
    m_settle_mode = SETTLE_MODE_THREE;
    SetPlayState();
    StartTurn(m_banker, m_throw_wait);
    return 1;
}

// --- Deck and hands

int CPlDkTable::StartDeal()
{
    TableGameData& block = GetTableGameData();
    m_throw_wait = ReadRoomSetting("throwwait", 20);
    for (ChairGroup& group : block.chair_groups)
        group.throw_wait = m_throw_wait;
    block.deal_position = 0;
    for (Counters& counters : m_value_counters)
        counters.fill(0);
    m_banker = GetBankerChair();

    // Shuffle: one random key per position, ids sorted by descending key.
    const TablePlayer* first = m_seats[0];
    const uint32_t seed_a = first ? static_cast<uint32_t>(first->seed_a) : 0u;
    const uint32_t seed_b = first ? static_cast<uint32_t>(first->seed_b) : 0u;
    m_env.random->Seed(Now() + 10u * seed_b + seed_a);
    std::array<int32_t, PLDK_TOTAL_CARDS> keys {};
    for (int32_t& key : keys)
        key = m_env.random->Next() % 108000;
    std::array<int32_t, PLDK_TOTAL_CARDS> order {};
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](int32_t a, int32_t b) { return keys[static_cast<size_t>(a)] > keys[static_cast<size_t>(b)]; });
    for (int p = 0; p < PLDK_TOTAL_CARDS; ++p) {
        const int32_t card = order[static_cast<size_t>(p)];
        block.deck[p] = DeckCard { card, GetCardValue(card, 0), GetCardSuit(card, 0), GetCardRawValue(card, 0),
            CARD_PLACE_DECK, -1, p, 0 };
    }
    for (int round = 0; round < PLDK_HAND_SIZE; ++round) {
        for (int c = 0; c < PLDK_CHAIRS; ++c)
            DealCard(c);
    }

    m_env.random->Seed(Now());
    m_turned_position = 52 + m_env.random->Next() % 4;
    m_turned_card = block.deck[m_turned_position].card;
    m_banker = block.deck[m_turned_position].holder;
    m_partner = FindPartnerChair(m_turned_card);

    m_hands_dealt = true;
    for (int c = 0; c < PLDK_CHAIRS; ++c) {
        m_hands[static_cast<size_t>(c)].fill(NO_CARD);
        GetHandCards(c, m_hands[static_cast<size_t>(c)]);
        block.hand_points[c] = GetHandPoints(c);
    }
    block.first_throw = 1;
    StartTurn(m_banker, block.head[17]);
    return m_banker;
}

int32_t CPlDkTable::DealCard(int chair)
{
    TableGameData& block = GetTableGameData();
    if (!IsValidChair(chair) || chair >= PLDK_CHAIRS || block.deal_position < 0 || block.deal_position >= PLDK_TOTAL_CARDS)
        return NO_CARD;
    DeckCard& record = block.deck[block.deal_position++];
    record.place = CARD_PLACE_HAND;
    record.holder = chair;
    record.order = 0;
    AddToHand(chair, record.card);
    return record.card;
}

void CPlDkTable::AddToHand(int chair, int32_t card)
{
    const int32_t value = GetCardValue(card, 0);
    if (IsValidChair(chair) && value >= 0 && value < VALUE_COUNTERS)
        ++m_value_counters[static_cast<size_t>(chair)][static_cast<size_t>(value)];
}

void CPlDkTable::TakeOutOfHand(int chair, int32_t card)
{
    const int32_t value = GetCardValue(card, 0);
    if (!IsValidChair(chair) || value < 0 || value >= VALUE_COUNTERS)
        return;
    int32_t& count = m_value_counters[static_cast<size_t>(chair)][static_cast<size_t>(value)];
    if (count > 0)
        --count;
}

int CPlDkTable::MoveCard(int new_chair, int old_chair, int32_t card)
{
    DeckCard* record = FindCardRecord(card);
    if (!record || record->holder != old_chair || !IsValidChair(new_chair) || new_chair >= PLDK_CHAIRS)
        return 0;
    TakeOutOfHand(old_chair, card);
    record->holder = new_chair;
    AddToHand(new_chair, card);
    return 1;
}

int CPlDkTable::CheckDeck() const
{
    if (!m_block)
        return 0;
    std::array<int, 54> kinds {};
    for (const DeckCard& record : m_block->deck) {
        if (!IsCard(record.card))
            return 0;
        ++kinds[static_cast<size_t>(record.card % 54)];
    }
    return std::all_of(kinds.begin(), kinds.end(), [this](int n) { return n == m_rule.decks; }) ? 1 : 0;
}

DeckCard* CPlDkTable::FindCardRecord(int32_t card)
{
    return const_cast<DeckCard*>(static_cast<const CPlDkTable*>(this)->FindCardRecord(card));
}

const DeckCard* CPlDkTable::FindCardRecord(int32_t card) const
{
    if (!m_block || !IsCard(card))
        return nullptr;
    for (const DeckCard& record : m_block->deck) {
        if (record.card == card)
            return &record;
    }
    return nullptr;
}

int CPlDkTable::SetCardHolder(int32_t card, int chair, int32_t place)
{
    DeckCard* record = FindCardRecord(card);
    if (!record)
        return 0;
    record->holder = chair;
    record->place = place;
    return 1;
}

int32_t CPlDkTable::GetHighestCard(int chair) const
{
    if (!m_block)
        return NO_CARD;
    int32_t best = NO_CARD;
    for (const DeckCard& record : m_block->deck) {
        if (record.place != CARD_PLACE_HAND || record.holder != chair || IsWildCard(record.card))
            continue;
        if (best == NO_CARD || GetCardOrder(record.card, GetLevelValue()) > GetCardOrder(best, GetLevelValue()))
            best = record.card;
    }
    return best;
}

int CPlDkTable::GetHandCards(int chair, std::span<int32_t> out) const
{
    if (!m_block)
        return 0;
    size_t n = 0;
    for (const DeckCard& record : m_block->deck) {
        if (n >= out.size() || n >= PLDK_HAND_SLOTS)
            break;
        if (record.place == CARD_PLACE_HAND && record.holder == chair)
            out[n++] = record.card;
    }
    return static_cast<int>(n);
}

int32_t CPlDkTable::GetHandPoints(int chair) const
{
    if (!m_block)
        return 0;
    int32_t points = 0;
    for (const DeckCard& record : m_block->deck) {
        if (record.place == CARD_PLACE_HAND && record.holder == chair)
            points += GetCardPoints(record.card);
    }
    return points;
}

int CPlDkTable::GetChairByPlace(int32_t place) const
{
    if (!m_block)
        return -1;
    for (int c = 0; c < PLDK_CHAIRS && c < m_chair_count; ++c) {
        if (m_block->place[c] == place)
            return c;
    }
    return -1;
}

int32_t CPlDkTable::UpdateThinkTime(int chair)
{
    ChairGroup& group = GetChairState(chair);
    group.throw_wait = m_throw_wait;
    group.think_seconds += static_cast<int32_t>((Now() - m_turn_start) / 1000u);
    return group.throw_wait;
}

int CPlDkTable::CardsBelongTo(int chair, std::span<const int32_t> cards) const
{
    for (int32_t id : cards) {
        if (id == NO_CARD)
            continue;
        const DeckCard* record = FindCardRecord(id);
        if (!record || record->place != CARD_PLACE_HAND || record->holder != chair)
            return 0;
    }
    return 1;
}

bool CPlDkTable::IsWildCard(int32_t card) const
{
    return (m_options & OPTION_JOKERS_WILD) && IsJoker(card);
}

bool CPlDkTable::IsWildValue(int32_t value) const
{
    return (m_options & OPTION_JOKERS_WILD) && (value == VALUE_SMALL_JOKER || value == VALUE_BIG_JOKER);
}

int CPlDkTable::IsPlayersTurn(std::span<const int32_t> request) const
{
    if (request.size() < 3 || !(m_state & TABLE_STATE_PLAYING) || !(m_state & TABLE_STATE_PLAY_PHASE))
        return 0;
    return IsValidChair(request[2]) && IsValidChair(m_current_chair) && request[2] == m_current_chair ? 1 : 0;
}


} // namespace rules

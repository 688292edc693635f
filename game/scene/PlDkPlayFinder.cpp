// This game's play finder: hint search, selection check, throw reading, the
// hint cycle and its assists, the automatic pass and the time-out play.
#include "game/scene/PlDkPlayFinder.h"

#include <algorithm>
#include <array>

namespace scene {
namespace {

using namespace rules;

/// A chain of plays, each beating the one before, ends within this many
/// steps (types climb from singles to four jokers, strengths rise); the cap
/// only guards against a rules change that would make it circular.
constexpr int MAX_WALK = 512;

/// The maximum number of raised cards a selection check reads.
constexpr size_t MAX_SELECTION = 32;

int32_t TableOptions(int wild)
{
    return wild != 0 ? OPTION_JOKERS_WILD : 0;
}

int Search(const CPlDkTable& table, std::span<const int32_t> hand, std::span<int32_t> out, const CardPlay& to_beat,
           CardPlay& found, int32_t mask, int32_t suit, LengthOrder order = LengthOrder::ShortestFirst)
{
    return RunPlaySearch(table, &table, PlDkHintSteps(), hand, out, to_beat, found, mask, suit, order);
}

/// A search with its own table for the wild flag.
int SearchWith(int wild, std::span<const int32_t> hand, const CardPlay& to_beat, CardPlay& found)
{
    const CPlDkTable table(TableOptions(wild));
    std::array<int32_t, PLAY_CARDS> out {};
    return Search(table, hand, out, to_beat, found, PLDK_HINT_MASK, -1);
}

bool IsSameValueType(int32_t type)
{
    return type == CARD_TYPE_SINGLE || type == CARD_TYPE_PAIR || type == CARD_TYPE_TRIPLE;
}

} // namespace

int CPlDkPlayFinder::SearchHint(std::span<const int32_t> hand, std::span<int32_t> out, CardPlay to_beat,
                                CardPlay& found, int32_t type_mask, int wild, int32_t suit)
{
    const CPlDkTable table(TableOptions(wild));
    return Search(table, hand, out, to_beat, found, type_mask, suit);
}

int CPlDkPlayFinder::SearchHintLongFirst(std::span<const int32_t> hand, std::span<int32_t> out, CardPlay to_beat,
                                         CardPlay& found, int32_t type_mask, int wild, int32_t suit)
{
    const CPlDkTable table(TableOptions(wild));
    return Search(table, hand, out, to_beat, found, type_mask, suit, LengthOrder::LongestFirst);
}

int CPlDkPlayFinder::ReadHand(std::span<int32_t, PLAY_CARDS> hand) const
{
    return m_hand.GetHandCards(hand);
}

SelectionState CPlDkPlayFinder::CheckSelection(const LastPlay& last) const
{
    SelectionState state;
    std::array<int32_t, PLAY_CARDS> raised {};
    const int n = m_hand.GetRaisedCards(raised);
    const auto cards = std::span(raised).first(std::min(static_cast<size_t>(n), MAX_SELECTION));
    state.selected = static_cast<int>(cards.size());
    if (cards.empty()) {
        state.choice_cleared = true;
        return state;
    }
    CPlDkTable table(OPTION_JOKERS_WILD);
    const SelectionReading reading = ReadSelection(table, OwnChair(), cards, last, PLDK_HINT_MASK);
    state.has_reading = reading.has_reading;
    state.throw_enabled = reading.chosen.has_value();
    return state;
}

std::optional<CardPlay> CPlDkPlayFinder::ReadThrow(std::span<const int32_t> cards, const LastPlay& last) const
{
    CPlDkTable table(OPTION_JOKERS_WILD);
    return ReadSelection(table, OwnChair(), cards, last, PLDK_HINT_MASK).chosen;
}

ThrowRequest CPlDkPlayFinder::MakeThrow(const ThrowIdentity& who, const CardPlay& play) const
{
    return MakeThrowRequest(who, OwnChair(), m_hand.Chairs().PrevChair(OwnChair()), 4, play);
}

void CPlDkPlayFinder::ClearHints()
{
    m_hint.Clear();
    m_second_hint.Clear();
}

TurnStart CPlDkPlayFinder::StartTurn(int current_chair, const LastPlay& last)
{
    if (current_chair != OwnChair() || !m_hand.Chairs().IsValidChair(current_chair))
        return TurnStart::NotOwnTurn;
    if (last.IsLeading())
        return TurnStart::Lead;
    std::array<int32_t, PLAY_CARDS> hand {};
    const int n = ReadHand(hand);
    TurnStart result = TurnStart::Follow;
    if (n > 0 && !SearchWith(WILD_JOKERS, hand, last.play, m_hint)) {
        const bool top_card = IsSameValueType(last.play.type) && GetCardValue(last.play.cards[0]) == 1;
        result = n <= 3 && (n < last.play.count || top_card) ? TurnStart::AutoPass : TurnStart::PassPrompt;
    }
    ClearHints();
    return result;
}

std::optional<CardPlay> CPlDkPlayFinder::WholeHandPlay(std::span<const int32_t> hand, const LastPlay& last) const
{
    CPlDkTable table(OPTION_JOKERS_WILD);
    return ReadSelection(table, OwnChair(), hand, last, PLDK_HINT_MASK).chosen;
}

std::optional<CardPlay> CPlDkPlayFinder::FindNoSplit(std::span<const int32_t> hand, const CardPlay& start) const
{
    std::array<int32_t, VALUE_COUNTERS> have {};
    CountCardsByValue(CardsBeforeEnd(hand), have);
    const CPlDkTable table(OPTION_JOKERS_WILD);
    std::array<int32_t, PLAY_CARDS> out {};
    CardPlay at = start;
    for (int step = 0; step < MAX_WALK; ++step) {
        CardPlay found;
        if (!Search(table, hand, out, at, found, PLDK_HINT_MASK, -1))
            return std::nullopt;
        std::array<int32_t, VALUE_COUNTERS> take {};
        CountCardsByValue(found.Cards(), take);
        bool splits = false;
        for (size_t v = 0; v < take.size(); ++v)
            splits = splits || (take[v] != 0 && take[v] != have[v]);
        if (!splits)
            return found;
        at = found;
    }
    return std::nullopt;
}

bool CPlDkPlayFinder::AssistSelection(const LastPlay& last)
{
    std::array<int32_t, PLAY_CARDS> hand {};
    const int n = ReadHand(hand);
    if (n == 0)
        return false;
    if (WholeHandPlay(std::span(hand).first(static_cast<size_t>(n)), last)) {
        m_hand.RaiseCards(hand);
        return true;
    }
    const CardPlay& start = m_second_hint.type != 0 ? m_second_hint : last.play;
    const std::optional<CardPlay> play = FindNoSplit(hand, start);
    if (!play)
        return false;
    m_second_hint = *play;
    m_hand.RaiseCards(play->Cards());
    return true;
}

void CPlDkPlayFinder::AssistSelectionAlt(const LastPlay& last)
{
    if (last.IsLeading())
        return;
    m_hand.LowerAllCards();
    std::array<int32_t, PLAY_CARDS> hand {};
    if (ReadHand(hand) == 0)
        return;
    if (const std::optional<CardPlay> play = FindNoSplit(hand, last.play)) {
        m_hand.RaiseCards(play->Cards());
        return;
    }
    CardPlay first;
    if (SearchWith(WILD_JOKERS, hand, last.play, first))
        m_hand.RaiseCards(first.Cards());
}

HintPress CPlDkPlayFinder::PressHint(const LastPlay& last)
{
    if (last.IsLeading())
        return HintPress::Nothing;
    m_hand.LowerAllCards();
    if (AssistSelection(last))
        return HintPress::Assisted;
    std::array<int32_t, PLAY_CARDS> hand {};
    ReadHand(hand);
    const CPlDkTable plain(0);
    const CPlDkTable wild(OPTION_JOKERS_WILD);
    std::array<int32_t, PLAY_CARDS> out {};
    auto search = [&](const CPlDkTable& table, const CardPlay& to_beat) {
        return Search(table, hand, out, to_beat, m_hint, PLDK_HINT_MASK, -1) != 0;
    };
    if (m_hint.type == 0) {
        if (!search(plain, last.play) && !search(wild, last.play))
            return HintPress::Pass;
    } else {
        const CardPlay previous = m_hint;
        if (!search(plain, previous) && !search(wild, previous)) {
            // The strongest play was offered: the cycle starts again.
            m_second_hint.Clear();
            if (AssistSelection(last)) {
                m_hint.Clear();
                return HintPress::Assisted;
            }
            if (!search(wild, last.play))
                return HintPress::Pass;
        }
    }
    m_hand.RaiseCards(m_hint.Cards());
    return HintPress::Raised;
}

TimeoutPlay CPlDkPlayFinder::PlayOnTimeout(const LastPlay& last)
{
    m_hand.LowerAllCards();
    std::array<int32_t, PLAY_CARDS> hand {};
    const int n = ReadHand(hand);
    if (last.IsLeading()) {
        CPlDkTable table(OPTION_JOKERS_WILD);
        CardPlayList list;
        list.Clear();
        if (n > 0 && table.AnalyseCards(OwnChair(), hand, list, PLDK_HINT_MASK) && list.count > 0)
            m_hand.RaiseCards(hand);
        else
            m_hand.RaiseLeadCards();
        return TimeoutPlay::Throw;
    }
    ClearHints();
    if (n == 0 || !SearchWith(WILD_JOKERS, hand, last.play, m_hint))
        return TimeoutPlay::Pass;
    m_hand.RaiseCards(m_hint.Cards());
    if (m_hint.count == n || CheckCardGameSelection(m_hand, last).throw_enabled)
        return TimeoutPlay::Throw;
    m_hand.LowerAllCards();
    return TimeoutPlay::Pass;
}

} // namespace scene

// The card-game table's selection rules.
#include "game/scene/CardGameSelection.h"

#include "game/rules/TableMath.h"
#include "game/scene/PlaySearch.h"
#include "platform/RecordFields.h"

#include <algorithm>
#include <array>
#include <vector>

namespace scene {
using namespace rules;

TableArgs CardGameTableArgs()
{
    TableArgs args; // the defaults: no table tag or grade, level unit 1, no options
    args.chair_count = 8;
    return args;
}

SelectionState CheckCardGameSelection(const CHandOperations& hand, const LastPlay& last)
{
    SelectionState state;
    std::array<int32_t, PLAY_CARDS> raised {};
    state.selected = hand.GetRaisedCards(raised);
    if (state.selected == 0) {
        state.choice_cleared = true;
        return state;
    }
    CCardTable table(CardGameTableArgs(), CardRuleParams::Generic());
    const SelectionReading reading = ReadSelection(table, hand.Chairs().GetOwnChair(),
                                                   std::span(raised).first(static_cast<size_t>(state.selected)), last,
                                                   CARD_GAME_RULE_MASK);
    state.has_reading = reading.has_reading;
    state.throw_enabled = reading.chosen.has_value();
    return state;
}

std::optional<CardPlay> ReadCardGameThrow(int own_chair, std::span<const int32_t> cards, const LastPlay& last)
{
    CCardTable table(CardGameTableArgs(), CardRuleParams::Generic());
    return ReadSelection(table, own_chair, cards, last, CARD_GAME_RULE_MASK).chosen;
}

int ClassifyCards(std::span<const int32_t> cards, std::span<int32_t> out, CardPlay to_beat, CardPlay& found,
                  int32_t rule_mask, int rule_flag)
{
    TableArgs args = CardGameTableArgs();
    if (rule_flag == 0)
        args.options &= ~0x1;
    CCardTable table(args, CardRuleParams::Generic());
    return RunPlaySearch(table, nullptr, CardGameClassifySteps(), cards, out, to_beat, found, rule_mask, -1,
                         LengthOrder::ShortestFirst);
}

namespace {

using Counters = std::array<int32_t, VALUE_COUNTERS>;

constexpr int MAX_WALK = 512;

Counters CountByValue(std::span<const int32_t> cards)
{
    Counters counters {};
    CountCardsByValue(CardsBeforeEnd(cards), counters);
    return counters;
}

/// The raised cards of the play, the play's other cards of the same value
/// giving way to them.
CardPlay MergeRaised(CardPlay play, std::span<const int32_t> raised)
{
    const auto in = [](std::span<const int32_t> cards, int32_t card) {
        return std::find(cards.begin(), cards.end(), card) != cards.end();
    };
    for (int32_t card : raised) {
        if (card == NO_CARD || in(play.Cards(), card))
            continue;
        for (int k = 0; k < std::clamp(play.count, 0, PLAY_CARDS); ++k) {
            if (GetCardValue(play.cards[k]) == GetCardValue(card) && !in(raised, play.cards[k])) {
                play.cards[k] = card;
                break;
            }
        }
    }
    return play;
}

} // namespace

int AutoSelectPlay(CHandOperations& hand, const LastPlay& last)
{
    std::array<int32_t, PLAY_CARDS> cards {};
    std::array<int32_t, PLAY_CARDS> raised {};
    hand.GetHandCards(cards);
    const int raised_count = hand.GetRaisedCards(raised);
    if (raised_count == 0)
        return 0;
    const Counters need = CountByValue(raised);
    std::array<int32_t, PLAY_CARDS> out {};
    const int first_a = last.IsLeading() ? 1 : 0;
    const int first_b = last.IsLeading() ? 1 : 0;
    int covering = 0;
    CardPlay kept;
    for (int a = first_a; a <= 3; ++a) {
        for (int b = first_b; b <= 7; ++b) {
            const int32_t type = int32_t { 1 } << (a + 4 * b);
            if (!(type & CARD_GAME_RULE_MASK))
                continue;
            if (last.IsLeading()) {
                CardPlay found;
                if (MatchPlayType(cards, out, CardPlay {}, found, type, 0) && CountsCover(CountByValue(found.Cards()), need)) {
                    hand.RaiseCards(found.Cards());
                    return 1;
                }
                continue;
            }
            // Every play of the type from the last one upward; each is
            // strictly stronger, so the walk ends (the cap only guards it).
            CardPlay at = last.play;
            CardPlay found;
            for (int step = 0; step < MAX_WALK && ClassifyCards(cards, out, at, found, type, 0); ++step) {
                if (CountsCover(CountByValue(found.Cards()), need)) {
                    ++covering;
                    kept = found;
                }
                at = found;
            }
        }
    }
    if (covering != 1)
        return 0;
    const CardPlay merged = MergeRaised(kept, std::span(raised).first(static_cast<size_t>(raised_count)));
    hand.RaiseCards(merged.Cards());
    return 1;
}

DragSelection ApplyDragSelection(CHandOperations& hand, const LastPlay& last, const SweepRules& sweep)
{
    ICardSpriteSet& sprites = hand.Sprites();
    std::vector<int> swept;
    for (int i : hand.HandSprites(hand.Chairs().GetOwnChair())) {
        if (sprites.At(i).drag_mark)
            swept.push_back(i);
    }
    const bool all_raised = !swept.empty()
        && std::all_of(swept.begin(), swept.end(), [&sprites](int i) { return sprites.At(i).raised; });
    if (all_raised) {
        for (int i : swept) {
            sprites.At(i).raised = false;
            sprites.At(i).moving = false;
            sprites.At(i).drag_mark = false;
            sprites.Redraw(i);
        }
        return DragSelection::Lowered;
    }
    for (int i : swept) {
        sprites.At(i).raised = true;
        sprites.At(i).drag_mark = false;
        sprites.Redraw(i);
    }
    if (sweep.complete && sweep.complete() != 0)
        return DragSelection::Raised;
    std::array<int32_t, PLAY_CARDS> raised {};
    const int n = hand.GetRaisedCards(raised);
    if (swept.size() <= 1 || n <= 4 || !sweep.match)
        return DragSelection::Raised;
    std::array<int32_t, PLAY_CARDS> out {};
    std::optional<CardPlay> best;
    if (last.IsLeading()) {
        int best_score = 0;
        for (int32_t type : { CARD_TYPE_TRIPLE_SEQ_PAIRS, CARD_TYPE_TRIPLE_PAIR, CARD_TYPE_TRIPLE_SEQ,
                              CARD_TYPE_PAIR_SEQ, CARD_TYPE_STRAIGHT }) {
            CardPlay found;
            if (!sweep.match(raised, out, CardPlay {}, found, type))
                continue;
            const int score = CHandOperations::CountValues(found.Cards()) * 1000 + found.count;
            if (score > best_score) {
                best_score = score;
                best = found;
            }
        }
    } else if (last.play.count >= 4) {
        CardPlay found;
        if (sweep.match(raised, out, last.play, found, last.play.type))
            best = found;
    }
    if (best) {
        hand.LowerAllCards();
        hand.RaiseCards(best->Cards());
    }
    return DragSelection::Raised;
}

ThrowRequest MakeThrowRequest(const ThrowIdentity& who, int own_chair, int next_chair, int next_chair_word,
                              const CardPlay& play)
{
    ThrowRequest request;
    request.word0 = who.user_id;
    request.word1 = who.room_id;
    request.word2 = who.table_number;
    request.chair = own_chair;
    request.next_chair = 0;
    if (next_chair_word == 4)
        request.word4 = next_chair;
    else
        request.next_chair = next_chair;
    request.play = play;
    return request;
}

std::array<uint8_t, THROW_REQUEST_BYTES> ThrowRequestBytes(const ThrowRequest& request)
{
    std::array<uint8_t, THROW_REQUEST_BYTES> bytes {};
    platform::CByteWriter writer(bytes);
    for (int32_t word : { request.word0, request.word1, request.word2, request.chair, request.word4,
                          request.next_chair, request.place, request.word7, request.points_taken,
                          request.trick_points, request.word10, request.word11 })
        writer.WriteI32(word);
    platform::WriteFields(writer, request.play);
    return bytes;
}

} // namespace scene

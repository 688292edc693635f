// The card-game table's selection rules.
#include "game/scene/CardGameSelection.h"

#include "game/scene/PlaySearch.h"

#include <array>

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

} // namespace scene

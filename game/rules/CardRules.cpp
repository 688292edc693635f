#include "game/rules/CardRules.h"

namespace rules {
namespace {

CardCallbacks s_callbacks = DefaultCardCallbacks();

} // namespace

int32_t DefaultCardValue(int32_t card, int32_t)
{
    if (card < 0)
        return 0;
    const int32_t in_deck = card % 54;
    if (in_deck == 52)
        return VALUE_SMALL_JOKER;
    if (in_deck == 53)
        return VALUE_BIG_JOKER;
    return in_deck % 13 + 1;
}

int32_t DefaultCardSuit(int32_t card, int32_t)
{
    if (card < 0)
        return -1;
    const int32_t in_deck = card % 54;
    return in_deck >= 52 ? SUIT_JOKER : in_deck / 13;
}

int32_t DefaultCardRawValue(int32_t card, int32_t)
{
    return card < 0 ? 0 : card % 54 % 13 + 1;
}

int32_t DefaultCardScore(int32_t card, int32_t context)
{
    const int32_t value = DefaultCardValue(card, context);
    if (value == 4)
        return 5;
    return (value == 9 || value == 12) ? 10 : 0;
}

int32_t DefaultValueOrder(int32_t value, int32_t level, int32_t)
{
    if (value == VALUE_SMALL_JOKER)
        return 21;
    if (value == VALUE_BIG_JOKER)
        return 22;
    if (value == level)
        return 20;
    return value;
}

int32_t DefaultCardOrder(int32_t card, int32_t level, int32_t context)
{
    return DefaultValueOrder(DefaultCardValue(card, context), level, context);
}

CardCallbacks DefaultCardCallbacks()
{
    return { DefaultCardValue, DefaultCardSuit, DefaultCardRawValue, DefaultCardScore, DefaultCardOrder,
        DefaultValueOrder };
}

void SetCardCallbacks(const CardCallbacks& callbacks)
{
    const CardCallbacks defaults = DefaultCardCallbacks();
    s_callbacks.value = callbacks.value ? callbacks.value : defaults.value;
    s_callbacks.suit = callbacks.suit ? callbacks.suit : defaults.suit;
    s_callbacks.raw_value = callbacks.raw_value ? callbacks.raw_value : defaults.raw_value;
    s_callbacks.points = callbacks.points ? callbacks.points : defaults.points;
    s_callbacks.card_order = callbacks.card_order ? callbacks.card_order : defaults.card_order;
    s_callbacks.value_order = callbacks.value_order ? callbacks.value_order : defaults.value_order;
}

int32_t GetCardValue(int32_t card, int32_t context)
{
    return s_callbacks.value(card, context);
}

int32_t GetCardSuit(int32_t card, int32_t context)
{
    return s_callbacks.suit(card, context);
}

int32_t GetCardRawValue(int32_t card, int32_t context)
{
    return s_callbacks.raw_value(card, context);
}

int32_t GetValueOrder(int32_t value, int32_t level, int32_t context)
{
    return s_callbacks.value_order(value, level, context);
}

int32_t GetCardOrder(int32_t card, int32_t level, int32_t context)
{
    return GetValueOrder(GetCardValue(card, context), level, context);
}

int32_t GetCardPoints(int32_t card)
{
    if (card < 0)
        return 0;
    const int32_t raw = GetCardRawValue(card);
    if (raw == VALUE_FIVE)
        return POINTS_FIVE;
    return (raw == VALUE_TEN || raw == VALUE_KING) ? POINTS_TEN_OR_KING : 0;
}

int CountCardsByValue(std::span<const int32_t> cards, std::span<int32_t> counters, int32_t context)
{
    int counted = 0;
    for (int32_t card : cards) {
        if (card < 0)
            break;
        const int32_t value = GetCardValue(card, context);
        if (value >= 0 && static_cast<size_t>(value) < counters.size()) {
            ++counters[static_cast<size_t>(value)];
            ++counted;
        }
    }
    return counted;
}

} // namespace rules

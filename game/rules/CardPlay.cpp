#include "game/rules/CardPlay.h"

#include "platform/RecordFields.h"

#include <algorithm>

namespace rules {

void CardPlay::Clear()
{
    type = 0;
    beat_mask = 0;
    strength = 0;
    count = 0;
    std::fill(std::begin(cards), std::end(cards), NO_CARD);
}

std::span<const int32_t> CardPlay::Cards() const
{
    return { cards, static_cast<size_t>(std::clamp(count, 0, PLAY_CARDS)) };
}

void CardPlayList::Clear()
{
    for (CardPlay& play : plays)
        play.Clear();
    count = 0;
}

void WriteCardPlay(const CardPlay& play, std::span<uint8_t> out)
{
    (void)platform::WriteRecord(play, out);
}

bool ReadCardPlay(std::span<const uint8_t> in, CardPlay& play)
{
    CardPlay read;
    if (!platform::ReadRecord(in, read) || read.count < 0 || read.count > PLAY_CARDS)
        return false;
    if (std::any_of(std::begin(read.cards), std::end(read.cards), [](int32_t id) { return id < NO_CARD; }))
        return false;
    play = read;
    return true;
}

} // namespace rules

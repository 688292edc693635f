#include "game/rules/PlDkRecords.h"

#include "platform/RecordFields.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace rules {

void InitTableGameData(TableGameData* block)
{
    if (!block)
        return;
    *block = TableGameData {};
    block->last_play_chair = -1;
    block->last_play.Clear();
    block->level_value = 1;
    std::fill(std::begin(block->card_slots), std::end(block->card_slots), NO_CARD);
    for (ChairGroup& group : block->chair_groups)
        group.throw_wait = 20;
    std::fill(std::begin(block->trick_score_cards), std::end(block->trick_score_cards), NO_CARD);
    std::fill(std::begin(block->reserved_5368), std::end(block->reserved_5368), -1);
    for (auto& list : block->trick_cards)
        std::fill(std::begin(list), std::end(list), NO_CARD);
    block->new_trick = 1;
}

namespace {

// Card ids and deck positions run alike from 0 to 107, -1 for none.
bool IsCardOrNone(int32_t id) { return id >= NO_CARD && id < PLDK_TOTAL_CARDS; }
bool IsChairOrNone(int32_t chair) { return chair >= -1 && chair < MAX_CHAIRS; }

template<size_t N>
bool AllCardsOrNone(const int32_t (&ids)[N])
{
    return std::all_of(std::begin(ids), std::end(ids), IsCardOrNone);
}

bool IsPlayInRange(const CardPlay& play)
{
    return play.count >= 0 && play.count <= PLAY_CARDS && AllCardsOrNone(play.cards);
}

bool IsBlockInRange(const TableGameData& b)
{
    if (!IsChairOrNone(b.last_play_chair) || !IsPlayInRange(b.last_play) || !AllCardsOrNone(b.card_slots))
        return false;
    if (b.deal_position < 0 || b.deal_position > PLDK_TOTAL_CARDS)
        return false;
    for (const DeckCard& card : b.deck) {
        if (!IsCardOrNone(card.card) || !IsChairOrNone(card.holder) || card.place < CARD_PLACE_DECK
            || card.place > CARD_PLACE_PLAYED)
            return false;
    }
    for (int32_t place : b.place) {
        if (place < 0 || place > PLDK_CHAIRS)
            return false;
    }
    if (b.trick_score_count < 0 || b.trick_score_count > 24 || !AllCardsOrNone(b.trick_score_cards))
        return false;
    for (const auto& list : b.trick_cards) {
        if (!AllCardsOrNone(list))
            return false;
    }
    // Words a reader takes as chairs, cards or deck positions.
    const bool header_in_range = IsChairOrNone(b.head[HDR_BANKER]) && IsChairOrNone(b.head[HDR_CURRENT_CHAIR])
        && IsChairOrNone(b.head_partner) && IsCardOrNone(b.head_turned_card)
        && IsCardOrNone(b.head_turned_position) && IsCardOrNone(b.turned_position);
    return header_in_range && IsChairOrNone(b.partner_chair) && IsCardOrNone(b.turned_card)
        && IsChairOrNone(b.last_trick_winner);
}

} // namespace

void WriteTableGameData(const TableGameData& block, std::span<uint8_t> out)
{
    (void)platform::WriteRecord(block, out);
}

bool ReadTableGameData(std::span<const uint8_t> in, TableGameData& block)
{
    TableGameData read;
    if (!platform::ReadRecord(in, read) || !IsBlockInRange(read))
        return false;
    block = read;
    return true;
}

void WritePlDkGameWinResult(const PlDkGameWinResult& record, std::span<uint8_t> out)
{
    (void)platform::WriteRecord(record, out);
}

bool ReadPlDkGameWinResult(std::span<const uint8_t> in, PlDkGameWinResult& record)
{
    PlDkGameWinResult read;
    if (!platform::ReadRecord(in, read))
        return false;
    for (auto& name : read.base.level_name)
        name[LEVEL_NAME_SIZE - 1] = '\0';
    for (const auto& list : read.cards_left) {
        if (!AllCardsOrNone(list))
            return false;
    }
    for (const auto& list : read.dealt_hands) {
        if (!AllCardsOrNone(list))
            return false;
    }
    record = read;
    return true;
}

void WriteDealInfo(const DealInfo& record, std::span<uint8_t> out)
{
    (void)platform::WriteRecord(record, out);
}

} // namespace rules

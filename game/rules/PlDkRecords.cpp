#include "game/rules/PlDkRecords.h"

#include "game/rules/RecordIo.h"

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

template<typename Io, typename Card>
void VisitDeckCard(Io& io, Card& c)
{
    io.I32(c.card);
    io.I32(c.value);
    io.I32(c.suit);
    io.I32(c.raw_value);
    io.I32(c.place);
    io.I32(c.holder);
    io.I32(c.order);
    io.I32(c.play_count);
}

template<typename Io, typename Group>
void VisitChairGroup(Io& io, Group& g)
{
    io.I32(g.pass_time_limit);
    io.I32(g.throw_wait);
    io.I32(g.think_seconds);
    io.I32(g.card_count);
    io.I32(g.away_throws);
    io.I32(g.bomb_bonus);
    io.I32s(g.unused);
}

template<typename Io, typename Block>
void VisitTableGameData(Io& io, Block& b)
{
    io.I32s(b.head);
    io.I32(b.reserved_80);
    io.I32s(b.card_slots);
    io.I32s(b.reserved_212);
    io.I32(b.head_partner);
    io.I32(b.head_turned_card);
    io.I32(b.head_turned_position);
    io.I32s(b.reserved_372);
    io.I32(b.turn_seconds);
    io.I32s(b.reserved_392);
    io.I32(b.last_play_chair);
    VisitCardPlay(io, b.last_play);
    io.I32(b.deal_position);
    io.I32(b.level_value);
    io.I32s(b.chair_status);
    for (auto& card : b.deck)
        VisitDeckCard(io, card);
    io.I32s(b.finished);
    io.I32s(b.place);
    io.I32s(b.points_won);
    io.I32(b.trick_points);
    io.I32s(b.settle_score);
    io.I32s(b.bomb_result);
    for (auto& row : b.history)
        io.I32s(row);
    io.I32s(b.history_total);
    io.I32(b.partner_chair);
    io.I32(b.turned_card);
    io.I32(b.turned_position);
    io.I32s(b.trick_score_cards);
    io.I32(b.trick_score_count);
    io.I32(b.last_trick_winner);
    io.I32s(b.reserved_5368);
    io.I32s(b.reserved_5752);
    io.I32s(b.hand_points);
    for (auto& list : b.trick_cards)
        io.I32s(list);
    io.I32s(b.pass_count);
    io.I32(b.new_trick);
    io.I32(b.first_throw);
    io.I32s(b.reserved_6320);
    for (auto& group : b.chair_groups)
        VisitChairGroup(io, group);
    io.I32s(b.reserved_6512);
}

template<typename Io, typename Record>
void VisitPlDkWin(Io& io, Record& r)
{
    io.I32s(r.place);
    for (auto& list : r.cards_left)
        io.I32s(list);
    io.I32s(r.cards_left_count);
    io.I32(r.five);
    io.I32(r.unused_980);
    io.I32s(r.bomb_part);
    io.I32s(r.settle_score);
    for (auto& list : r.dealt_hands)
        io.I32s(list);
    io.I32s(r.unused_1528);
}

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
    assert(out.size() >= TABLE_GAME_DATA_BYTES);
    RecordWriteIo io { CRecordWriter(out) };
    VisitTableGameData(io, block);
    assert(io.w.Written() == TABLE_GAME_DATA_BYTES);
}

bool ReadTableGameData(std::span<const uint8_t> in, TableGameData& block)
{
    TableGameData read;
    RecordReadIo io { CRecordReader(in) };
    VisitTableGameData(io, read);
    if (!io.r.Ok() || !IsBlockInRange(read))
        return false;
    block = read;
    return true;
}

void WritePlDkGameWinResult(const PlDkGameWinResult& record, std::span<uint8_t> out)
{
    assert(out.size() >= PLDK_GAME_WIN_BYTES);
    WriteGameWinResult(record.base, out.first(GAME_WIN_RESULT_BYTES));
    RecordWriteIo io { CRecordWriter(out.subspan(GAME_WIN_RESULT_BYTES)) };
    VisitPlDkWin(io, record);
}

bool ReadPlDkGameWinResult(std::span<const uint8_t> in, PlDkGameWinResult& record)
{
    if (in.size() < PLDK_GAME_WIN_BYTES)
        return false;
    PlDkGameWinResult read;
    if (!ReadGameWinResult(in.first(GAME_WIN_RESULT_BYTES), read.base))
        return false;
    RecordReadIo io { CRecordReader(in.subspan(GAME_WIN_RESULT_BYTES)) };
    VisitPlDkWin(io, read);
    if (!io.r.Ok())
        return false;
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

void WriteDealInfo(const DealInfo& r, std::span<uint8_t> out)
{
    assert(out.size() >= DEAL_INFO_BYTES);
    RecordWriteIo io { CRecordWriter(out) };
    io.I32s(r.head);
    io.I32(r.hand_size);
    io.I32s(r.hand);
    io.I32s(r.partner_hand);
    io.I32s(r.unused_85);
    io.I32(r.partner);
    io.I32(r.turned_card);
    io.I32(r.turned_position);
    io.I32s(r.hand_points);
    io.I32s(r.unused_97);
}

} // namespace rules

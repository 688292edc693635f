// CPlDkTable: the records sent to clients and the round result record.
#include "game/rules/PlDkTable.h"

#include "platform/RecordFields.h"

#include <algorithm>
#include <cstring>

namespace rules {

void CPlDkTable::FillRecordHeader(std::span<int32_t, RECORD_HEADER_WORDS> head, int32_t& partner,
                                  int32_t& turned_card, int32_t& turned_position) const
{
    CCardTable::FillRecordHeader(head, partner, turned_card, turned_position);
    head[HDR_THROW_WAIT] = m_throw_wait;
    partner = m_partner;
    turned_card = m_turned_card;
    turned_position = m_turned_position;
}

void CPlDkTable::BuildTableInfo(TableGameData& info, int viewer_chair, int onlooker)
{
    const TableGameData& block = GetTableGameData();
    info = block;
    // Offsets 0 to 403 are the record's own: header, turn time.
    std::fill(std::begin(info.head), std::end(info.head), 0);
    info.reserved_80 = 0;
    std::fill(std::begin(info.card_slots), std::end(info.card_slots), 0);
    std::fill(std::begin(info.reserved_212), std::end(info.reserved_212), 0);
    std::fill(std::begin(info.reserved_372), std::end(info.reserved_372), 0);
    std::fill(std::begin(info.reserved_392), std::end(info.reserved_392), 0);
    FillRecordHeader(std::span<int32_t, 20>(info.head), info.head_partner, info.head_turned_card, info.head_turned_position);
    const int64_t ran = (Now() - m_turn_start) / 1000u;
    info.turn_seconds = static_cast<int32_t>(std::clamp<int64_t>(ran, 0, std::max(m_throw_wait - 5, 0)));
    for (int c = 0; c < MAX_CHAIRS; ++c)
        info.chair_status[c] = c < m_chair_count ? static_cast<int32_t>(m_chair_status[c]) : 0;
    for (int c = 0; c < MAX_CHAIRS; ++c)
        std::copy(m_history[c].begin(), m_history[c].end(), info.history[c]);
    std::copy(m_history_total.begin(), m_history_total.end(), info.history_total);
    info.partner_chair = m_partner;
    info.turned_card = m_turned_card;
    info.turned_position = m_turned_position;

    // Hands are hidden unless the viewer may see them: an onlooker sees none;
    // a player its own, and its partner's once it has no cards left.
    const bool player = !onlooker && IsValidChair(viewer_chair) && viewer_chair < PLDK_CHAIRS;
    const bool sees_partner = player && GetHandCount(viewer_chair) == 0 && block.deal_position > 0;
    const int partner = player ? GetPartnerChair(viewer_chair) : -1;
    for (DeckCard& record : info.deck) {
        if (record.place != CARD_PLACE_HAND)
            continue;
        const bool visible = player && (record.holder == viewer_chair || (sees_partner && record.holder == partner));
        if (!visible)
            record.card = NO_CARD;
        record.play_count = GetHandCount(record.holder);
    }
    for (int c = 0; c < PLDK_CHAIRS; ++c)
        info.chair_groups[c].card_count = GetHandCount(c);
}

size_t CPlDkTable::FillTableInfo(std::span<uint8_t> out, int viewer_chair, int onlooker)
{
    if (out.size() < TABLE_GAME_DATA_BYTES)
        return 0;
    auto info = std::make_unique<TableGameData>();
    BuildTableInfo(*info, viewer_chair, onlooker);
    WriteTableGameData(*info, out);
    return TABLE_GAME_DATA_BYTES;
}

size_t CPlDkTable::FillGameStart(std::span<uint8_t> out)
{
    if (out.size() < sizeof(PlDkGameStartInfo))
        return 0;
    std::fill(out.begin(), out.end(), uint8_t { 0 });
    PlDkGameStartInfo record {};
    BuildGameStart(record.base);
    for (size_t c = 0; c < m_history.size(); ++c)
        std::copy(m_history[c].begin(), m_history[c].end(), record.history[c]);
    std::copy(m_history_total.begin(), m_history_total.end(), record.history_total);
    return platform::WriteRecord(record, out);
}

void CPlDkTable::BuildDealInfo(DealInfo& deal, int viewer_chair, int onlooker)
{
    TableGameData& block = GetTableGameData();
    deal = DealInfo {};
    FillRecordHeader(std::span<int32_t, 20>(deal.head), deal.partner, deal.turned_card, deal.turned_position);
    deal.hand_size = PLDK_HAND_SIZE;
    std::fill(std::begin(deal.hand), std::end(deal.hand), NO_CARD);
    std::fill(std::begin(deal.partner_hand), std::end(deal.partner_hand), NO_CARD);
    for (int c = 0; c < PLDK_CHAIRS; ++c) {
        block.hand_points[c] = GetHandPoints(c);
        deal.hand_points[c] = block.hand_points[c];
    }
    if (onlooker || !IsValidChair(viewer_chair) || viewer_chair >= PLDK_CHAIRS)
        return;
    GetHandCards(viewer_chair, deal.hand);
    bool all_flagged = true;
    for (int c = 0; c < PLDK_CHAIRS; ++c)
        all_flagged = all_flagged && (m_chair_flags[c] & 0x1);
    if (all_flagged)
        GetHandCards(GetPartnerChair(viewer_chair), deal.partner_hand);
}

size_t CPlDkTable::FillDealInfo(std::span<uint8_t> out, int viewer_chair, int onlooker)
{
    if (out.size() < DEAL_INFO_BYTES)
        return 0;
    DealInfo deal;
    BuildDealInfo(deal, viewer_chair, onlooker);
    WriteDealInfo(deal, out);
    return DEAL_INFO_BYTES;
}

void CPlDkTable::FillPlDkWinPart(PlDkGameWinResult& record)
{
    const TableGameData& block = GetTableGameData();
    for (int c = 0; c < PLDK_CHAIRS; ++c) {
        record.place[c] = block.place[c];
        std::fill(std::begin(record.cards_left[c]), std::end(record.cards_left[c]), NO_CARD);
        record.cards_left_count[c] = GetHandCards(c, record.cards_left[c]);
        record.bomb_part[c] = ClampToI32(static_cast<int64_t>(block.bomb_result[c]) * m_base_score);
        record.settle_score[c] = block.settle_score[c];
        std::copy(m_hands[static_cast<size_t>(c)].begin(), m_hands[static_cast<size_t>(c)].end(), record.dealt_hands[c]);
        if (!m_hands_dealt)
            std::fill(std::begin(record.dealt_hands[c]), std::end(record.dealt_hands[c]), NO_CARD);
    }
    record.five = 5;
}

// The base record goes first: its FillWinExtra computes the round results,
// which set the settlement scores and bomb parts this game's part copies.
int CPlDkTable::FillPlDkGameWin(PlDkGameWinResult& record, int winner)
{
    std::memset(static_cast<void*>(&record), 0, sizeof(record));
    const int result = FillGameWin(record.base, winner);
    FillPlDkWinPart(record);
    return result;
}

int CPlDkTable::SettleRound(PlDkGameWinResult& record, int winner, int keep_levels, const LevelNameMap* level_names)
{
    std::memset(static_cast<void*>(&record), 0, sizeof(record));
    const int result = SettleGame(record.base, winner, keep_levels, level_names);
    FillPlDkWinPart(record);
    return result;
}

size_t CPlDkTable::FillGameWinRecord(std::span<uint8_t> out, int winner)
{
    if (out.size() < PLDK_GAME_WIN_BYTES)
        return 0;
    auto record = std::make_unique<PlDkGameWinResult>();
    FillPlDkGameWin(*record, winner);
    WritePlDkGameWinResult(*record, out);
    return PLDK_GAME_WIN_BYTES;
}

} // namespace rules

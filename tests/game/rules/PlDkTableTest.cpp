// This game's table: records, viewer masking, the deal, turn order, throws,
// passes, round results and settings.
#include "game/rules/PlDkTable.h"

#include "CardTestSupport.h"
#include "RulesTestSupport.h"
#include "platform/Ini.h"
#include "platform/Path.h"
#include "platform/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

namespace rules {
namespace {

using test::Card;
using test::Hand;

class PlDkFixture : public ::testing::Test {
protected:
    PlDkFixture()
    {
        table.SetEnvironment(env.Get());
        for (int c = 0; c < 4; ++c) {
            auto p = std::make_unique<TablePlayer>();
            p->user_id = 500 + c;
            p->chair = c;
            p->seed_a = 3 * c + 1;
            p->seed_b = 11 * c;
            table.AddPlayer(std::move(p));
        }
    }
    void StartRound()
    {
        int chair = -1;
        ASSERT_EQ(table.StartGame(chair, test::OpenStartArgs(1)), START_OK);
        table.BeginPlayPhase();
    }
    test::TestEnvironment env;
    CPlDkTable table;
};

TEST(PlDkRecords, InitialBlockAndRoundTrip)
{
    InitTableGameData(nullptr);
    CPlDkTable table;
    EXPECT_EQ(table.PeekTableGameData(), nullptr);
    const TableGameData& block = table.GetTableGameData();
    EXPECT_EQ(block.level_value, 1);
    EXPECT_EQ(block.last_play_chair, -1);
    EXPECT_EQ(block.card_slots[31], -1);
    EXPECT_EQ(block.reserved_5368[95], -1);
    EXPECT_EQ(block.trick_cards[3][31], -1);
    EXPECT_EQ(block.new_trick, 1);
    EXPECT_EQ(block.chair_groups[2].throw_wait, 20);
    EXPECT_EQ(block.chair_groups[2].pass_time_limit, 20);

    std::vector<uint8_t> bytes(TABLE_GAME_DATA_BYTES);
    WriteTableGameData(block, bytes);
    EXPECT_EQ(bytes[684], 1); // the level word, little-endian
    EXPECT_EQ(bytes[404], 0xFF);
    auto read = std::make_unique<TableGameData>();
    ASSERT_TRUE(ReadTableGameData(bytes, *read));
    EXPECT_EQ(read->new_trick, 1);
    EXPECT_FALSE(ReadTableGameData(std::span(bytes).first(TABLE_GAME_DATA_BYTES - 1), *read));
    // Words a reader indexes with: places, the active chair, the partner and
    // the turned card's deck position.
    auto refused_with = [&](size_t offset, uint8_t value) {
        std::vector<uint8_t> bad = bytes;
        bad[offset] = value;
        return !ReadTableGameData(bad, *read);
    };
    EXPECT_TRUE(refused_with(4192, 9));
    EXPECT_TRUE(refused_with(4 * HDR_CURRENT_CHAIR, 8));
    EXPECT_TRUE(refused_with(4 * HDR_PARTNER, 8));
    EXPECT_TRUE(refused_with(5260, 108));
    EXPECT_FALSE(refused_with(4 * HDR_CURRENT_CHAIR, 3));
}

TEST_F(PlDkFixture, FillersRefuseSmallBuffers)
{
    StartRound();
    std::vector<uint8_t> small(100);
    EXPECT_EQ(table.FillTableInfo(small, 0, 0), 0u);
    EXPECT_EQ(table.FillDealInfo(small, 0, 0), 0u);
    EXPECT_EQ(table.FillGameStart(small), 0u);
    EXPECT_EQ(table.FillGameWinRecord(small, 0), 0u);
    std::vector<uint8_t> start(table.GetGameStartSize());
    EXPECT_EQ(table.FillGameStart(start), 1096u);
    std::vector<uint8_t> deal(table.GetDealInfoSize());
    EXPECT_EQ(table.FillDealInfo(deal, 1, 0), 404u);
    std::vector<uint8_t> win(table.GetGameWinSize());
    EXPECT_EQ(table.FillGameWinRecord(win, 0), 1544u);
}

TEST_F(PlDkFixture, TableInfoHidesHandsPerViewer)
{
    StartRound();
    auto info = std::make_unique<TableGameData>();
    auto count_visible = [&](const TableGameData& record, int holder) {
        int visible = 0;
        for (const DeckCard& card : record.deck)
            visible += (card.place == CARD_PLACE_HAND && card.holder == holder && card.card != NO_CARD) ? 1 : 0;
        return visible;
    };
    table.BuildTableInfo(*info, 2, 1);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(count_visible(*info, c), 0);
    table.BuildTableInfo(*info, 2, 0);
    EXPECT_EQ(count_visible(*info, 2), 27);
    EXPECT_EQ(count_visible(*info, 0), 0);
    EXPECT_EQ(info->head[HDR_CONST_25], 25);
    EXPECT_EQ(info->chair_groups[1].card_count, 27);
    EXPECT_EQ(info->deck[0].play_count, 27);

    // A player whose hand is empty sees its partner's cards.
    const int partner = table.GetPartnerChair(2);
    std::array<int32_t, 32> hand {};
    const int n = table.GetHandCards(2, hand);
    for (int i = 0; i < n; ++i)
        table.MoveCard(partner, 2, hand[static_cast<size_t>(i)]);
    table.BuildTableInfo(*info, 2, 0);
    EXPECT_EQ(count_visible(*info, partner), 54);
    EXPECT_EQ(count_visible(*info, (partner + 1) % 4 == 2 ? (partner + 2) % 4 : (partner + 1) % 4), 0);
}

TEST_F(PlDkFixture, DealRecordShowsOwnHandAndPartnerOnlyWhenAllowed)
{
    StartRound();
    DealInfo deal;
    table.BuildDealInfo(deal, 1, 0);
    EXPECT_EQ(deal.hand_size, 27);
    EXPECT_NE(deal.hand[26], NO_CARD);
    EXPECT_EQ(deal.hand[27], NO_CARD);
    EXPECT_EQ(deal.partner_hand[0], NO_CARD);
    EXPECT_EQ(deal.hand_points[0] + deal.hand_points[1] + deal.hand_points[2] + deal.hand_points[3], 200);
    EXPECT_EQ(deal.partner, table.GetPartner());
    for (int c = 0; c < 4; ++c)
        table.SetChairFlags(c, 0x1);
    table.BuildDealInfo(deal, 1, 0);
    EXPECT_NE(deal.partner_hand[26], NO_CARD);
    table.BuildDealInfo(deal, 1, 1);
    EXPECT_EQ(deal.hand[0], NO_CARD);
    EXPECT_EQ(deal.partner_hand[0], NO_CARD);
}

TEST_F(PlDkFixture, DealInvariantsOverManySeeds)
{
    for (int seed = 0; seed < 60; ++seed) {
        env.clock.Set(1000u + 7919u * static_cast<uint32_t>(seed));
        table.Reset(0);
        StartRound();
        const TableGameData& block = table.GetTableGameData();
        ASSERT_EQ(table.CheckDeck(), 1);
        std::set<int32_t> seen;
        int points = 0;
        for (int c = 0; c < 4; ++c) {
            ASSERT_EQ(table.GetHandCount(c), 27);
            std::array<int32_t, 32> hand {};
            ASSERT_EQ(table.GetHandCards(c, hand), 27);
            for (int i = 0; i < 27; ++i)
                seen.insert(hand[static_cast<size_t>(i)]);
            points += table.GetHandPoints(c);
        }
        EXPECT_EQ(seen.size(), 108u);
        EXPECT_EQ(points, 200);
        const int32_t position = table.GetTurnedPosition();
        ASSERT_GE(position, 52);
        ASSERT_LE(position, 55);
        EXPECT_EQ(table.GetBanker(), position % 4);
        EXPECT_EQ(table.GetCurrentChair(), table.GetBanker());
        EXPECT_EQ(table.GetPartner(), table.FindPartnerChair(table.GetTurnedCard()));
        const DeckCard* other = nullptr;
        for (const DeckCard& card : block.deck) {
            if (card.card != table.GetTurnedCard() && card.card % 54 == table.GetTurnedCard() % 54)
                other = &card;
        }
        ASSERT_NE(other, nullptr);
        if (other->holder == table.GetBanker())
            EXPECT_EQ(table.GetPartner(), (table.GetBanker() + 2) % 4);
        else
            EXPECT_EQ(table.GetPartner(), other->holder);
        EXPECT_EQ(block.first_throw, 1);
    }
}

TEST(PlDkTurnOrder, PartnersNeverFollowEachOther)
{
    // Partner opposite, or none: the plain order.
    EXPECT_EQ(CPlDkTable::GetPrevChairAfterSwap(0, 2, 0, 4), 3);
    EXPECT_EQ(CPlDkTable::GetPrevChairAfterSwap(0, -1, 0, 4), 3);
    // Partner at B-1 (banker 0, partner 3): 0, 2, 3, 1, 0.
    EXPECT_EQ(CPlDkTable::GetPrevChairAfterSwap(0, 3, 0, 4), 2);
    EXPECT_EQ(CPlDkTable::GetPrevChairAfterSwap(2, 3, 0, 4), 3);
    EXPECT_EQ(CPlDkTable::GetPrevChairAfterSwap(3, 3, 0, 4), 1);
    EXPECT_EQ(CPlDkTable::GetPrevChairAfterSwap(1, 3, 0, 4), 0);
    // Partner at B+1 (banker 0, partner 1): 0, 3, 1, 2, 0.
    EXPECT_EQ(CPlDkTable::GetPrevChairAfterSwap(0, 1, 0, 4), 3);
    EXPECT_EQ(CPlDkTable::GetPrevChairAfterSwap(3, 1, 0, 4), 1);
    EXPECT_EQ(CPlDkTable::GetPrevChairAfterSwap(1, 1, 0, 4), 2);
    EXPECT_EQ(CPlDkTable::GetPrevChairAfterSwap(2, 1, 0, 4), 0);
}

TEST_F(PlDkFixture, ThrowChecksRefuseBadRequests)
{
    StartRound();
    const int chair = table.GetCurrentChair();
    std::array<int32_t, 32> hand {};
    table.GetHandCards(chair, hand);
    ThrowRequest request;
    request.chair = chair;
    request.play.type = CARD_TYPE_SINGLE;
    request.play.count = 1;
    request.play.cards[0] = hand[0];
    ThrowRequest good = request;
    EXPECT_EQ(table.IsValidThrow(good), 1);
    EXPECT_EQ(good.play.type, CARD_TYPE_SINGLE);

    ThrowRequest repeated = request;
    repeated.play.type = CARD_TYPE_PAIR;
    repeated.play.count = 2;
    repeated.play.cards[1] = hand[0];
    EXPECT_EQ(table.IsValidThrow(repeated), 0);
    ThrowRequest empty = request;
    empty.play.count = 0;
    EXPECT_EQ(table.IsValidThrow(empty), 0);
    ThrowRequest far = request;
    far.chair = 9;
    EXPECT_EQ(table.IsValidThrow(far), 0);
    ThrowRequest not_yours = request;
    not_yours.chair = (chair + 1) % 4;
    EXPECT_EQ(table.IsValidThrow(not_yours), 0);
    ThrowRequest junk = request;
    junk.play.cards[5] = 77; // a card behind the count
    EXPECT_EQ(table.IsValidThrow(junk), 0);
    // "Any cards" is no play: three unrelated cards are refused, and a
    // single card is read as the single it is.
    ThrowRequest any = request;
    any.play.type = CARD_TYPE_ANY;
    any.play.count = 3;
    any.play.cards[1] = hand[9];
    any.play.cards[2] = hand[18];
    EXPECT_EQ(table.IsValidThrow(any), 0);
    ThrowRequest any_single = request;
    any_single.play.type = CARD_TYPE_ANY | CARD_TYPE_SINGLE;
    ASSERT_EQ(table.IsValidThrow(any_single), 1);
    EXPECT_EQ(any_single.play.type, CARD_TYPE_SINGLE);
    // A lead's type and strength come from the analysis, not the request.
    ThrowRequest lying = request;
    lying.play.strength = 99999;
    lying.play.beat_mask = 0x7FFFFFFF;
    ASSERT_EQ(table.IsValidThrow(lying), 1);
    EXPECT_EQ(lying.play.strength, GetCardOrder(hand[0], table.GetLevelValue()));
    EXPECT_EQ(lying.play.beat_mask, CARD_TYPE_SINGLE);
}

// Throws the current chair's weakest single; answers the chair that throws.
int ThrowLowestSingle(CPlDkTable& table)
{
    const int chair = table.GetCurrentChair();
    std::array<int32_t, PLAY_CARDS> hand;
    hand.fill(NO_CARD);
    table.GetHandCards(chair, hand);
    ThrowRequest request;
    request.chair = chair;
    if (!table.FindSingle(hand, request.play) || !table.IsValidThrow(request))
        return -1;
    table.ApplyThrow(request);
    table.AfterThrow(request);
    return chair;
}

TEST_F(PlDkFixture, PassTimeLimitsStartAtTwentyAndSurviveARoundReset)
{
    StartRound();
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(table.GetChairState(c).pass_time_limit, 20);
    for (int c = 0; c < 4; ++c)
        table.GetChairState(c).pass_time_limit = 35;
    table.Reset(0);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(table.GetChairState(c).pass_time_limit, 35);

    // A pass hands the turn on with that limit: 36 s, counted from the pass.
    StartRound();
    ASSERT_GE(ThrowLowestSingle(table), 0);
    PassRequest pass;
    pass.chair = table.GetCurrentChair();
    table.OnPass(pass);
    ASSERT_NE(pass.next_chair, -1);
    EXPECT_EQ(table.GetCurrentChair(), pass.next_chair);
    EXPECT_EQ(table.GetTurnLimit(), 36000u);
    env.clock.Advance(35999);
    EXPECT_FALSE(table.IsTurnTimeout());
    env.clock.Advance(1);
    EXPECT_TRUE(table.IsTurnTimeout());

    table.Reset(1);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(table.GetChairState(c).pass_time_limit, 20);
}

TEST_F(PlDkFixture, HighestCardSkipsWildJokersAndRanksTheLevelCard)
{
    StartRound();
    int holder = -1;
    for (int c = 0; c < 4 && holder < 0; ++c) {
        const int32_t highest = table.GetHighestCard(c);
        if (GetCardValue(highest) == VALUE_BIG_JOKER)
            holder = c;
    }
    ASSERT_GE(holder, 0) << "someone holds a big joker and it ranks highest";
    table.SetOptions(OPTION_JOKERS_WILD);
    const int32_t natural = table.GetHighestCard(holder);
    ASSERT_NE(natural, NO_CARD);
    EXPECT_LT(GetCardValue(natural), VALUE_SMALL_JOKER);
    // The level card (the 2 at level 1) ranks above the ace: hand the
    // holder a 2 it may lack.
    const DeckCard* two = table.FindCardRecord(Card(1, 0));
    ASSERT_NE(two, nullptr);
    if (two->holder != holder) {
        ASSERT_EQ(table.MoveCard(holder, two->holder, two->card), 1);
    }
    EXPECT_EQ(GetCardValue(table.GetHighestCard(holder)), 1);
    EXPECT_EQ(table.GetHighestCard(9), NO_CARD);
}

TEST_F(PlDkFixture, ApplyingAThrowMovesOnlyTheThrowersOwnCards)
{
    StartRound();
    const int thrower = table.GetCurrentChair();
    const int other = (thrower + 1) % 4;
    std::array<int32_t, PLAY_CARDS> theirs;
    theirs.fill(NO_CARD);
    table.GetHandCards(other, theirs);
    ThrowRequest request;
    request.chair = thrower;
    request.play.type = CARD_TYPE_SINGLE;
    request.play.count = 1;
    request.play.cards[0] = theirs[0];
    EXPECT_EQ(table.IsValidThrow(request), 0);
    // Even unchecked, another chair's card stays in its hand.
    table.ApplyThrow(request);
    const DeckCard* record = table.FindCardRecord(theirs[0]);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->holder, other);
    EXPECT_EQ(record->place, CARD_PLACE_HAND);
    EXPECT_EQ(table.GetHandCount(other), 27);
    EXPECT_EQ(table.GetHandCount(thrower), 27);
}

TEST_F(PlDkFixture, BombBonuses)
{
    auto bonus_of = [&](std::initializer_list<int32_t> ids, int32_t type) {
        table.Reset(0);
        ThrowRequest request;
        request.chair = 1;
        request.play.type = type;
        request.play.count = static_cast<int32_t>(ids.size());
        std::copy(ids.begin(), ids.end(), request.play.cards);
        table.AddBombBonus(request);
        return table.GetChairState(1).bomb_bonus;
    };
    EXPECT_EQ(bonus_of({ Card(3, 0), Card(3, 1), Card(3, 2), Card(3, 3) }, CARD_TYPE_BOMB), 0);
    EXPECT_EQ(bonus_of({ Card(3, 0), Card(3, 1), Card(3, 2), Card(3, 3), Card(3, 0, 1), Card(3, 1, 1), Card(3, 2, 1),
                         Card(3, 3, 1) }, CARD_TYPE_BOMB), 8);
    EXPECT_EQ(bonus_of({ Card(3, 0), Card(3, 1), Card(3, 2), Card(3, 3), test::SmallJoker(), test::BigJoker() },
                       CARD_TYPE_BOMB), 0);
    EXPECT_EQ(bonus_of({ Card(3, 0), Card(3, 1), Card(3, 2), Card(3, 3), Card(3, 0, 1) }, CARD_TYPE_BOMB), 1);
    EXPECT_EQ(bonus_of({ test::SmallJoker(), test::SmallJoker(1), test::BigJoker(), test::BigJoker(1) },
                       CARD_TYPE_FOUR_JOKERS), 4);
}

class ResultsFixture : public PlDkFixture {
protected:
    // Places, points won and bomb bonuses set directly, then the results.
    std::array<int32_t, 4> Results(std::array<int32_t, 4> places, std::array<int32_t, 4> points,
                                   std::array<int32_t, 4> bonus = {})
    {
        table.Reset(0);
        TableGameData& block = table.GetTableGameData();
        for (int c = 0; c < 4; ++c) {
            block.place[c] = places[static_cast<size_t>(c)];
            block.points_won[c] = points[static_cast<size_t>(c)];
            block.chair_groups[c].bomb_bonus = bonus[static_cast<size_t>(c)];
        }
        std::array<int32_t, 4> results {};
        EXPECT_EQ(table.CalcRoundResults(results), 1);
        return results;
    }
};

TEST_F(ResultsFixture, PlacesAndPointsGiveTheTeamResult)
{
    // No partner known: the partner is the chair opposite.
    EXPECT_EQ(Results({ 1, 3, 2, 4 }, { 100, 50, 0, 50 }), (std::array<int32_t, 4> { 1, -1, 1, -1 }));
    EXPECT_EQ(Results({ 1, 3, 2, 4 }, { 99, 51, 0, 50 }), (std::array<int32_t, 4> { 1, -1, 1, -1 }));
    EXPECT_EQ(Results({ 1, 3, 2, 4 }, { 100, 0, 0, 100 }), (std::array<int32_t, 4> { 2, -2, 2, -2 }));
    EXPECT_EQ(table.GetTableGameData().settle_score[0], 200);
    EXPECT_EQ(table.GetTableGameData().settle_score[3], 0);
    EXPECT_EQ(Results({ 1, 2, 3, 4 }, { 0, 100, 99, 1 }), (std::array<int32_t, 4> { 1, -1, 1, -1 }));
    EXPECT_EQ(Results({ 1, 2, 3, 4 }, { 0, 101, 98, 1 }), (std::array<int32_t, 4> { -1, 1, -1, 1 }));
    EXPECT_EQ(Results({ 1, 2, 3, 4 }, { 0, 100, 0, 0 }), (std::array<int32_t, 4> { -2, 2, -2, 2 }));
    EXPECT_EQ(Results({ 1, 2, 3, 4 }, { 60, 100, 40, 0 }), (std::array<int32_t, 4> { 1, -1, 1, -1 }));
    auto with_bomb = Results({ 1, 2, 3, 4 }, { 60, 100, 40, 0 }, { 2, 0, 0, 0 });
    EXPECT_EQ(with_bomb, (std::array<int32_t, 4> { 7, -3, -1, -3 }));
    EXPECT_EQ(table.GetTableGameData().bomb_result[0], 6);
    EXPECT_EQ(table.GetTableGameData().bomb_result[3], -2);
    std::array<int32_t, 4> incomplete {};
    table.GetTableGameData().place[3] = 0;
    EXPECT_EQ(table.CalcRoundResults(incomplete), 0);
    table.GetTableGameData().place[0] = 0;
    EXPECT_EQ(table.CalcRoundResults(incomplete), 0);
}

TEST_F(ResultsFixture, WinRecordCarriesTheResultsItComputes)
{
    // Settled without a prior CalcRoundResults: the record still carries
    // this round's settlement scores and bomb parts.
    StartRound();
    table.Reset(0); // no partner known: partners sit opposite
    TableGameData& block = table.GetTableGameData();
    const std::array<int32_t, 4> places { 1, 2, 3, 4 };
    const std::array<int32_t, 4> points { 60, 100, 40, 0 };
    for (int c = 0; c < 4; ++c) {
        block.place[c] = places[static_cast<size_t>(c)];
        block.points_won[c] = points[static_cast<size_t>(c)];
        block.chair_groups[c].bomb_bonus = c == 0 ? 2 : 0;
    }
    auto record = std::make_unique<PlDkGameWinResult>();
    ASSERT_EQ(table.FillPlDkGameWin(*record, 0), 1);
    EXPECT_EQ(record->settle_score[0], 60);
    EXPECT_EQ(record->bomb_part[0], 6 * table.GetBaseScore());
    EXPECT_EQ(record->bomb_part[3], -2 * table.GetBaseScore());
    EXPECT_EQ(record->base.extra[0], 7);
    EXPECT_EQ(record->base.score_change[0], 7 * table.GetBaseScore());
    EXPECT_EQ(record->place[3], 4);
    EXPECT_EQ(record->five, 5);
}

TEST_F(PlDkFixture, SettingsFromTheServerIni)
{
    EXPECT_EQ(table.GetServerIniPath(), "C:\\games\\PlDkSvr.ini");
    EXPECT_EQ(table.GetKickTime(), 90);
    env.settings.values["KickTime/time"] = 33;
    EXPECT_EQ(table.GetKickTime(), 33);
    env.settings.values["throwwait/-1"] = 25;
    StartRound();
    EXPECT_EQ(table.GetThrowWait(), 25);
    EXPECT_EQ(table.GetChairState(3).throw_wait, 25);
    GameWinResult win {};
    table.FillRoomRecord(win);
    EXPECT_EQ(win.base_score, 1);
    env.settings.values["basescore/-1"] = 40;
    table.FillRoomRecord(win);
    EXPECT_EQ(win.base_score, 40);
}

TEST(PlDkSettings, ReadFromTheIniBesideTheProgram)
{
    // The real settings reader over the platform's INI functions, with the
    // program folder moved to a scratch folder.
    const platform::testing::CTempFolder scratch;
    const std::string folder = scratch.Path();
    platform::SetProgramFolder(folder);
    const std::string ini = folder + "PlDkSvr.ini";
    ASSERT_TRUE(platform::WriteProfileString("throwwait", "-1", "25", ini));
    ASSERT_TRUE(platform::WriteProfileString("basescore", "-1", "40", ini));
    ASSERT_TRUE(platform::WriteProfileString("KickTime", "time", "33", ini));
    CPlDkTable table;
    RulesEnvironment environment;
    table.SetEnvironment(environment); // the built-in settings reader
    EXPECT_EQ(table.GetServerIniPath(), ini);
    EXPECT_EQ(table.GetKickTime(), 33);
    table.StartDeal();
    EXPECT_EQ(table.GetThrowWait(), 25);
    GameWinResult win {};
    table.FillRoomRecord(win);
    EXPECT_EQ(win.base_score, 40);
    platform::SetProgramFolder("");
}

} // namespace
} // namespace rules

namespace rules {
namespace {

TEST(PlDkDeal, EmptyFirstSeatAndRequestIds)
{
    test::TestEnvironment env;
    CPlDkTable table;
    table.SetEnvironment(env.Get());
    const int banker = table.StartDeal(); // no player seated: the seed reads no seat
    EXPECT_TRUE(table.IsValidChair(banker));
    EXPECT_EQ(table.CheckDeck(), 1);
    EXPECT_EQ(table.DealCard(0), NO_CARD); // the deck is exhausted
    EXPECT_EQ(table.DealCard(7), NO_CARD);
    EXPECT_EQ(CPlDkTable::IsGameRequest(19840324), 1);
    EXPECT_EQ(CPlDkTable::IsGameRequest(19840333), 0);
    EXPECT_EQ(CPlDkTable::IsGameRequest(19840342), 1);
    EXPECT_EQ(CPlDkTable::IsGameRequest(19840343), 0);

    const int partner = table.GetPartner();
    EXPECT_EQ(table.GetPartnerChair(partner), banker);
    EXPECT_EQ(table.GetPartnerChair(banker), partner);
    for (int c = 0; c < 4; ++c) {
        if (c == banker || c == partner)
            continue;
        const int other = table.GetPartnerChair(c);
        EXPECT_NE(other, banker);
        EXPECT_NE(other, partner);
        EXPECT_NE(other, c);
    }
    EXPECT_EQ(table.MoveCard(1, 1, 999), 0);
    EXPECT_EQ(table.FindCardRecord(108), nullptr);
}

} // namespace
} // namespace rules

// The hint search and the plays built on it: order of the search, the hint
// button's full cycle, the automatic pass at the turn start and the play on
// a time-out, all through the real rules library.
#include "game/scene/PlDkPlayFinder.h"

#include "SceneTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace scene {
namespace {

using namespace rules;
using test::BigJoker;
using test::Card;
using test::DealHand;
using test::Ids;
using test::Play;
using test::SceneTable;
using test::SmallJoker;

class HintSearchTest : public ::testing::Test, protected test::SceneTable { };

/// The card ids of one press, in hand order.
using Cards = std::vector<int32_t>;

struct Press {
    HintPress result;
    Cards raised;
};

/// Deals the hand and presses the hint once per expected press.
void ExpectCycle(const Cards& cards, const LastPlay& last, const std::vector<Press>& presses)
{
    SceneTable table;
    DealHand(table.sprites, 0, cards);
    int n = 0;
    for (const Press& press : presses) {
        EXPECT_EQ(table.finder.PressHint(last), press.result) << "press " << n;
        EXPECT_EQ(table.Raised(), press.raised) << "press " << n;
        ++n;
    }
    EXPECT_EQ(table.finder.PressHint(LastPlay {}), HintPress::Nothing);
}

TEST(HintCycleTest, SinglesThen510KAndBombs)
{
    // Two 4s, an 8, a 5, a 10, a K, four Qs and a small joker against a
    // single 6. The no-split assist comes first (plays that take every copy
    // of their values), then the plain search and, where it ends, the search
    // with the joker wild; after the strongest play the cycle starts again.
    const Cards qs = { Card(11, 3), Card(11, 0), Card(11, 1), Card(11, 2) };
    const Cards qs_joker = { Card(11, 3), Card(11, 0), Card(11, 1), Card(11, 2), SmallJoker() };
    const Cards k510 = { Card(4, 0), Card(9, 1), Card(12, 2) };
    ExpectCycle({ Card(3, 0), Card(3, 1), Card(7, 2), Card(4, 0), Card(9, 1), Card(12, 2), Card(11, 3), Card(11, 0),
                  Card(11, 1), Card(11, 2), SmallJoker() },
                { 1, Play(CARD_TYPE_SINGLE, 5, { Card(5, 0) }) },
                {
                    { HintPress::Assisted, { Card(7, 2) } },
                    { HintPress::Assisted, { Card(9, 1) } },
                    { HintPress::Assisted, { Card(12, 2) } }, // the Q would split the four Qs
                    { HintPress::Assisted, { SmallJoker() } },
                    { HintPress::Assisted, k510 },
                    { HintPress::Assisted, qs },
                    { HintPress::Assisted, qs_joker },
                    { HintPress::Raised, { Card(7, 2) } },
                    { HintPress::Raised, { Card(9, 1) } },
                    { HintPress::Raised, { Card(11, 3) } },
                    { HintPress::Raised, { Card(12, 2) } },
                    { HintPress::Raised, { SmallJoker() } },
                    { HintPress::Raised, k510 },
                    { HintPress::Raised, qs },
                    { HintPress::Raised, qs_joker }, // only with the joker wild
                    { HintPress::Assisted, { Card(7, 2) } },
                    { HintPress::Assisted, { Card(9, 1) } },
                });
}

TEST(HintCycleTest, PairsWithWildJokersThenBombs)
{
    // Against a pair of 6s: the assist offers the pairs that split nothing,
    // wild jokers completing a Q and a K, then bombs filled by jokers; the
    // plain search offers the pair of 10s out of four, the 510K and the
    // bombs; then the cycle starts again.
    const Cards tens = { Card(9, 2), Card(9, 3), Card(9, 0), Card(9, 1, 1) };
    const Cards tens_small = { Card(9, 2), Card(9, 3), Card(9, 0), SmallJoker(), Card(9, 1, 1) };
    const Cards tens_both = { Card(9, 2), Card(9, 3), Card(9, 0), SmallJoker(), BigJoker(), Card(9, 1, 1) };
    const Cards sevens = { Card(6, 0), Card(6, 1) };
    ExpectCycle({ Card(6, 0), Card(6, 1), Card(9, 2), Card(9, 3), Card(9, 0), Card(11, 1), SmallJoker(), BigJoker(),
                  Card(4, 0), Card(9, 1, 1), Card(12, 2) },
                { 1, Play(CARD_TYPE_PAIR, 5, { Card(5, 0), Card(5, 1) }) },
                {
                    { HintPress::Assisted, sevens },
                    { HintPress::Assisted, { Card(11, 1), SmallJoker() } },
                    { HintPress::Assisted, { SmallJoker(), Card(12, 2) } },
                    { HintPress::Assisted, { Card(6, 0), Card(6, 1), SmallJoker(), BigJoker() } },
                    { HintPress::Assisted, tens },
                    { HintPress::Assisted, tens_small },
                    { HintPress::Assisted, tens_both },
                    { HintPress::Raised, sevens },
                    { HintPress::Raised, { Card(9, 2), Card(9, 3) } },
                    { HintPress::Raised, { Card(9, 2), Card(4, 0), Card(12, 2) } },
                    { HintPress::Raised, tens },
                    { HintPress::Raised, tens_small },
                    { HintPress::Raised, tens_both },
                    { HintPress::Assisted, sevens },
                });
}

TEST_F(HintSearchTest, HintPassesWhenNothingBeats)
{
    DealHand(sprites, 0, { Card(3, 0), Card(3, 1), Card(7, 2) });
    const LastPlay last { 1, Play(CARD_TYPE_PAIR, 12, { Card(12, 0), Card(12, 1) }) };
    EXPECT_EQ(finder.PressHint(last), HintPress::Pass);
    EXPECT_TRUE(Raised().empty());
}

TEST(SearchHintTest, OrderOfTypesAndLengths)
{
    const Cards six_qs = { Card(11, 0), Card(11, 1), Card(11, 2), Card(11, 3), Card(11, 0, 1), Card(11, 1, 1) };
    Cards bombs = { Card(6, 0), Card(6, 1), Card(6, 2), Card(6, 3), Card(6, 0, 1), Card(6, 1, 1), Card(6, 2, 1) };
    bombs.insert(bombs.end(), six_qs.begin(), six_qs.end());
    const Cards straight = { Card(2, 0), Card(3, 1), Card(4, 2), Card(5, 3), Card(6, 0), Card(7, 1), Card(9, 0),
                             Card(9, 1), Card(9, 2), Card(9, 3) };
    const CardPlay four_jokers = Play(CARD_TYPE_FOUR_JOKERS, 1, { SmallJoker(), SmallJoker(1), BigJoker(), BigJoker(1) });
    const CardPlay six_straight = Play(CARD_TYPE_STRAIGHT, 101,
                                       { Card(1, 0), Card(2, 0), Card(3, 0), Card(4, 0), Card(5, 0), Card(6, 1) });
    const CardPlay five_straight = Play(CARD_TYPE_STRAIGHT, 101, { Card(1, 0), Card(2, 0), Card(3, 0), Card(4, 0), Card(5, 0) });
    const struct {
        const char* name;
        Cards hand;
        CardPlay to_beat;
        int32_t mask;
        bool long_first;
        int32_t type; // 0: nothing
        int32_t count;
    } cases[] = {
        { "four jokers: only a bomb of seven", bombs, four_jokers, PLDK_HINT_MASK, false, CARD_TYPE_BOMB, 7 },
        { "bombs shortest first", six_qs, CardPlay {}, CARD_TYPE_BOMB, false, CARD_TYPE_BOMB, 4 },
        { "bombs longest first", six_qs, CardPlay {}, CARD_TYPE_BOMB, true, CARD_TYPE_BOMB, 6 },
        { "a six-card straight: no straight beats it", straight, six_straight, PLDK_HINT_MASK, false,
          CARD_TYPE_BOMB, 4 },
        { "a five-card straight: the next straight", straight, five_straight, PLDK_HINT_MASK, false,
          CARD_TYPE_STRAIGHT, 5 },
        { "the mask leaves bombs out", straight, six_straight, PLDK_HINT_MASK & ~CARD_TYPE_BOMB, false, 0, 0 },
    };
    for (const auto& c : cases) {
        std::array<int32_t, 64> out {};
        CardPlay found;
        const int hit = c.long_first
            ? CPlDkPlayFinder::SearchHintLongFirst(c.hand, out, c.to_beat, found, c.mask, WILD_JOKERS, -1)
            : CPlDkPlayFinder::SearchHint(c.hand, out, c.to_beat, found, c.mask, WILD_JOKERS, -1);
        ASSERT_EQ(hit, c.type != 0 ? 1 : 0) << c.name;
        if (!hit)
            continue;
        EXPECT_EQ(found.type, c.type) << c.name;
        EXPECT_EQ(found.count, c.count) << c.name;
        EXPECT_EQ(Cards(out.begin(), out.begin() + c.count), Ids(found)) << c.name;
    }
}

TEST_F(HintSearchTest, TurnStartPassesByItselfOnlyWithAFewHopelessCards)
{
    const LastPlay triple { 1, Play(CARD_TYPE_TRIPLE, 12, { Card(12, 0), Card(12, 1), Card(12, 2) }) };
    const LastPlay single_two { 1, Play(CARD_TYPE_SINGLE, 20, { Card(1, 0) }) };
    const LastPlay single_three { 1, Play(CARD_TYPE_SINGLE, 2, { Card(2, 3) }) };
    const LastPlay straight { 1, Play(CARD_TYPE_STRAIGHT, 109,
                                      { Card(9, 0), Card(10, 0), Card(11, 0), Card(12, 0), Card(13, 1) }) };
    const struct {
        const char* name;
        Cards hand;
        LastPlay last;
        TurnStart result;
    } cases[] = {
        { "two cards under a triple", { Card(3, 0), Card(5, 1) }, triple, TurnStart::AutoPass },
        { "three cards under a single 2", { Card(3, 0), Card(5, 1), Card(13, 2) }, single_two, TurnStart::AutoPass },
        { "three cards under five", { Card(3, 0), Card(5, 1), Card(13, 2) }, straight, TurnStart::AutoPass },
        { "three 3s under a single 3: the prompt", { Card(2, 0), Card(2, 1), Card(2, 2) }, single_three,
          TurnStart::PassPrompt },
        { "four cards never pass by themselves", { Card(3, 0), Card(5, 1), Card(13, 2), Card(6, 2) }, single_two,
          TurnStart::PassPrompt },
        { "a beating card: follow", { Card(3, 0), SmallJoker() }, single_two, TurnStart::Follow },
        { "leading", { Card(3, 0) }, LastPlay {}, TurnStart::Lead },
    };
    for (const auto& c : cases) {
        SceneTable table;
        DealHand(table.sprites, 0, c.hand);
        EXPECT_EQ(table.finder.StartTurn(0, c.last), c.result) << c.name;
        EXPECT_EQ(table.finder.GetHint().type, 0) << c.name;
        EXPECT_EQ(table.finder.StartTurn(1, c.last), TurnStart::NotOwnTurn) << c.name;
    }
}

TEST_F(HintSearchTest, TimeoutThrowsTheHintOnlyWhenTheRulesAgree)
{
    const LastPlay single { 2, Play(CARD_TYPE_SINGLE, 5, { Card(5, 0) }) };
    const LastPlay ace { 2, Play(CARD_TYPE_SINGLE, 13, { Card(13, 0) }) };
    const struct {
        const char* name;
        Cards hand;
        LastPlay last;
        TimeoutPlay result;
        Cards raised;
    } cases[] = {
        { "the hint ends the hand", { Card(7, 2) }, single, TimeoutPlay::Throw, { Card(7, 2) } },
        { "the hint is a single", { Card(7, 2), Card(3, 1) }, single, TimeoutPlay::Throw, { Card(7, 2) } },
        { "nothing beats", { Card(3, 1), Card(2, 2) }, single, TimeoutPlay::Pass, {} },
        // Only a 510K beats: the card-game check knows no 510K, so the turn passes.
        { "a 510K", { Card(4, 0), Card(9, 1), Card(12, 2), Card(3, 1) }, ace, TimeoutPlay::Pass, {} },
        { "leading with one play", { Card(3, 1), Card(3, 2) }, LastPlay {}, TimeoutPlay::Throw,
          { Card(3, 1), Card(3, 2) } },
        { "leading: the lowest value", { Card(3, 1), Card(9, 2), Card(2, 0) }, LastPlay {}, TimeoutPlay::Throw,
          { Card(2, 0) } },
    };
    for (const auto& c : cases) {
        SceneTable table;
        DealHand(table.sprites, 0, c.hand);
        EXPECT_EQ(table.finder.PlayOnTimeout(c.last), c.result) << c.name;
        EXPECT_EQ(table.Raised(), c.raised) << c.name;
    }
}

TEST_F(HintSearchTest, AssistAltPrefersAPlayThatSplitsNothing)
{
    // Against a single 6: the 8 splits the pair of 8s, the 10 splits nothing.
    DealHand(sprites, 0, { Card(7, 0), Card(7, 1), Card(9, 2), Card(3, 3) });
    const LastPlay single { 1, Play(CARD_TYPE_SINGLE, 5, { Card(5, 0) }) };
    hand.RaiseCards(Cards { Card(3, 3) });
    finder.AssistSelectionAlt(single);
    EXPECT_EQ(Raised(), (Cards { Card(9, 2) }));
    // Against a single 10 every beating play splits a group: the first one.
    const LastPlay ten { 1, Play(CARD_TYPE_SINGLE, 10, { Card(10, 0) }) };
    SceneTable other;
    DealHand(other.sprites, 0, { Card(12, 0), Card(12, 1), Card(13, 0), Card(13, 1) });
    other.finder.AssistSelectionAlt(ten);
    EXPECT_EQ(other.Raised(), (Cards { Card(12, 0) }));
}

} // namespace
} // namespace scene

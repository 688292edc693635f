// The stand-in server's computer players play whole rounds on the rules'
// table: every round ends, and its results and score changes sum to zero.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "game/scene/PlDkPlayFinder.h"
#include "game/scene/PlaySearch.h"
#include "peers/server/CComputerRound.h"
#include "platform/ByteReader.h"
#include "platform/Tick.h"

namespace peers {
namespace {

class CQuietServices final : public rules::IRulesServices {
public:
    int lines = 0;
    void LogLine(std::string_view) override { ++lines; }
    [[nodiscard]] uint32_t IntLog2(int32_t n) const override
    {
        uint32_t log = 0;
        while (n > 1) {
            n >>= 1;
            ++log;
        }
        return log;
    }
    [[nodiscard]] uint32_t PowerOfTwo(int32_t n) const override { return n < 1 ? 1u : 1u << n; }
    int FillUniqueIdIfEmpty(char*, size_t) override { return 0; }
};

// A seeded environment for the round's table.
struct SeededTable {
    platform::CManualClock clock { 100000 };
    rules::CCrtRandom random;
    CQuietServices services;
    rules::RulesEnvironment environment = rules::GetDefaultRulesEnvironment();
    SeededTable()
    {
        environment.clock = &clock;
        environment.random = &random;
        environment.services = &services;
    }
};

TEST(ComputerRound, SeededRoundsOfFourComputerPlayersEndSettledAndZeroSum)
{
    SeededTable table;
    platform::CManualClock& clock = table.clock;
    rules::CCrtRandom& random = table.random;
    CComputerRound round(table.environment);
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        random.Seed(seed);
        clock.Set(5000u + 104729u * seed);
        const RoundOutcome outcome = round.Play({ 1001, 9001, 9002, 9003 });
        ASSERT_TRUE(outcome.finished) << "seed " << seed << " after " << outcome.actions << " actions";
        EXPECT_GT(outcome.throws, 0);
        EXPECT_TRUE(outcome.first_chair >= 0 && outcome.first_chair < 4);
        int32_t result_sum = 0;
        int64_t score_sum = 0;
        for (int chair = 0; chair < 4; ++chair) {
            result_sum += outcome.results[static_cast<size_t>(chair)];
            score_sum += outcome.score_change[static_cast<size_t>(chair)];
        }
        EXPECT_EQ(result_sum, 0) << "seed " << seed;
        EXPECT_EQ(score_sum, 0) << "seed " << seed;
    }
}

// The table seeds its generator from the clock just before each draw; the
// stand-in's deals differ even when the clock stands still between them.
TEST(ComputerRound, TheStandInsDealsDifferAtTheSameTick)
{
    SeededTable table;
    rules::RulesEnvironment environment = StandInEnvironment(*table.environment.settings);
    environment.clock = &table.clock;
    environment.services = &table.services;
    CComputerRound round(environment);
    std::vector<std::vector<uint8_t>> deals;
    std::vector<int> leaders;
    for (int deal = 0; deal < 16; ++deal) {
        ASSERT_TRUE(round.Begin({ 1001, 9001, 9002, 9003 }, 0));
        deals.push_back(round.GetOutcome().start_record);
        leaders.push_back(round.GetCurrentChair());
    }
    std::sort(deals.begin(), deals.end());
    EXPECT_EQ(std::unique(deals.begin(), deals.end()), deals.end());
    // The turned card, and with it the lead, goes to any chair.
    std::sort(leaders.begin(), leaders.end());
    EXPECT_GE(std::unique(leaders.begin(), leaders.end()) - leaders.begin(), 3);
}

TEST(ComputerRound, APlayerIsRefusedOutOfTurnOrAgainstTheRulesAndNothingChanges)
{
    SeededTable table;
    table.random.Seed(7);
    CComputerRound round(table.environment);
    ASSERT_TRUE(round.Begin({ 1001, 9001, 9002, 9003 }, 0));
    // The start record opens with the deal as the viewer (chair 0) sees it:
    // 27 cards each, the viewer's 27 distinct cards, then -1.
    platform::CByteReader deal(round.GetOutcome().start_record);
    (void)deal.ReadBytes(20 * 4);
    EXPECT_EQ(deal.ReadI32(), 27);
    std::vector<int32_t> hand;
    for (int i = 0; i < 32; ++i)
        hand.push_back(deal.ReadI32());
    EXPECT_EQ(std::count(hand.begin() + 27, hand.end(), -1), 5);
    hand.resize(27);
    std::sort(hand.begin(), hand.end());
    EXPECT_TRUE(hand.front() >= 0 && hand.back() < 108 && std::adjacent_find(hand.begin(), hand.end()) == hand.end());
    const int leader = round.GetCurrentChair();
    ASSERT_TRUE(leader >= 0 && leader < 4);
    RoundEvent event;
    rules::CardPlay nothing;
    EXPECT_FALSE(round.Pass(leader, event)) << "a leader cannot pass";
    EXPECT_FALSE(round.Pass((leader + 1) % 4, event)) << "not that chair's turn";
    EXPECT_FALSE(round.Throw(leader, nothing, event)) << "no cards";
    EXPECT_EQ(round.GetOutcome().actions, 0);
    EXPECT_EQ(round.GetCurrentChair(), leader);

    // The computer's play is the leader's play event; the next chair follows it.
    ASSERT_TRUE(round.PlayComputer(event));
    EXPECT_EQ(event.id, CComputerRound::GR_CARDS_THROWN);
    ASSERT_EQ(event.body.size(), CComputerRound::PLAY_EVENT_BYTES);
    platform::CByteReader words(event.body);
    EXPECT_EQ(words.ReadI32(), leader == 0 ? 1001 : 9000 + leader);
    (void)words.ReadBytes(8);
    EXPECT_EQ(words.ReadI32(), leader);
    EXPECT_EQ(words.ReadI32(), round.GetCurrentChair());
    rules::CardPlay play;
    ASSERT_TRUE(rules::ReadCardPlay(std::span<const uint8_t>(event.body).subspan(48), play));
    EXPECT_GT(play.count, 0);
    EXPECT_FALSE(round.Throw(leader, play, event)) << "the same cards again, out of turn";
}

// The player's chair plays as this game's client plays on its own: it
// follows with the hint search and leads with its whole hand when that reads
// as one play, jokers wild; the table takes every such play.
TEST(ComputerRound, ThePlaysOfTheClientsOwnSearchWithJokersWildAreTaken)
{
    SeededTable table;
    CComputerRound round(table.environment);
    int wild_plays = 0;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        table.random.Seed(seed);
        table.clock.Set(5000u + 7919u * seed);
        ASSERT_TRUE(round.Begin({ 1001, 9001, 9002, 9003 }, 0));
        platform::CByteReader deal(round.GetOutcome().start_record);
        (void)deal.ReadBytes(21 * 4);
        std::vector<int32_t> hand;
        for (int i = 0; i < 27; ++i)
            hand.push_back(deal.ReadI32());
        scene::LastPlay last;
        for (int step = 0; step < CComputerRound::MAX_ACTIONS && !round.IsOver(); ++step) {
            RoundEvent event;
            if (round.GetCurrentChair() != 0) {
                ASSERT_TRUE(round.PlayComputer(event)) << "seed " << seed;
            } else {
                std::array<int32_t, rules::PLAY_CARDS> out {};
                rules::CardPlay found;
                rules::CPlDkTable reader(rules::OPTION_JOKERS_WILD);
                const std::optional<rules::CardPlay> whole =
                    scene::ReadSelection(reader, 0, hand, last, scene::PLDK_HINT_MASK).chosen;
                const bool play = whole
                    || scene::CPlDkPlayFinder::SearchHint(hand, out, last.play, found, scene::PLDK_HINT_MASK,
                                                          scene::WILD_JOKERS, -1)
                        == 1;
                if (whole)
                    found = *whole;
                if (play) {
                    wild_plays += std::any_of(found.Cards().begin(), found.Cards().end(),
                                              [](int32_t card) { return card % 54 >= 52; });
                    ASSERT_TRUE(round.Throw(0, found, event))
                        << "seed " << seed << ", " << found.count << " cards of type " << found.type;
                    for (const int32_t card : found.Cards())
                        hand.erase(std::find(hand.begin(), hand.end(), card));
                } else {
                    ASSERT_TRUE(round.Pass(0, event)) << "seed " << seed;
                }
            }
            platform::CByteReader words(event.body);
            if (event.id == CComputerRound::GR_CARDS_THROWN) {
                (void)words.ReadBytes(3 * 4);
                last.chair = words.ReadI32();
                ASSERT_TRUE(rules::ReadCardPlay(std::span<const uint8_t>(event.body).subspan(48), last.play));
            } else if ((void)words.ReadBytes(5 * 4), words.ReadI32() != 0) {
                last = {};
            }
        }
        ASSERT_TRUE(round.IsOver()) << "seed " << seed;
    }
    EXPECT_GT(wild_plays, 0) << "no play with a joker: the seeds try nothing";
}

} // namespace
} // namespace peers

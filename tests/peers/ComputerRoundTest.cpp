// The stand-in server's computer players play whole rounds on the rules'
// table: every round ends, and its results and score changes sum to zero.
#include <gtest/gtest.h>

#include "peers/server/CComputerRound.h"
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

TEST(ComputerRound, SeededRoundsOfFourComputerPlayersEndSettledAndZeroSum)
{
    platform::CManualClock clock(100000);
    rules::CCrtRandom random;
    CQuietServices services;
    rules::RulesEnvironment environment = rules::GetDefaultRulesEnvironment();
    environment.clock = &clock;
    environment.random = &random;
    environment.services = &services;
    CComputerRound round(environment);
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

} // namespace
} // namespace peers

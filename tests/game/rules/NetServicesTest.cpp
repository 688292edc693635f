// The rules tables with the network library's utilities behind their
// services interface, as the program installs them at start-up.
#include "game/rules/GameTable.h"

#include "net/NetLog.h"
#include "net/NetUtil.h"
#include "RulesTestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace rules {
namespace {

class CNetRulesServices final : public IRulesServices {
public:
    void LogLine(std::string_view text) override
    {
        net::LogPrintf("%.*s", static_cast<int>(text.size()), text.data());
    }
    [[nodiscard]] uint32_t IntLog2(int32_t n) const override { return net::IntLog2(n); }
    [[nodiscard]] uint32_t PowerOfTwo(int32_t n) const override { return net::PowerOfTwo(n); }
    int FillUniqueIdIfEmpty(char* buffer, size_t size) override { return net::FillUniqueIdIfEmpty(buffer, size); }
};

TEST(NetServices, DepositUnitAndRoundIdThroughTheNetworkUtilities)
{
    CNetRulesServices services;
    const int32_t silvers[] = { 350, 900, 1200, 800 };
    EXPECT_EQ(DepositUnit(silvers, -1, services), 2);
    const int32_t rich[] = { 100000, 900000 };
    EXPECT_EQ(DepositUnit(rich, 9, services), 512);

    test::TestEnvironment env;
    RulesEnvironment environment = env.Get();
    environment.services = &services;
    CGameTable table { TableArgs {} };
    table.SetEnvironment(environment);
    for (int c = 0; c < 4; ++c) {
        auto p = std::make_unique<TablePlayer>();
        p->user_id = c + 1;
        p->chair = c;
        table.AddPlayer(std::move(p));
    }
    StartGameArgs args;
    args.round.min_score = -1;
    args.round.max_score = 1;
    args.max_games = 5;
    args.max_rounds = 5;
    int chair = -1;
    ASSERT_EQ(table.StartGame(chair, args), START_OK);
    const std::string id = table.GetRoundId();
    EXPECT_EQ(id.size(), 30u);
    EXPECT_TRUE(std::all_of(id.begin(), id.end(), [](char ch) { return std::isxdigit(static_cast<unsigned char>(ch)); }));
}

} // namespace
} // namespace rules

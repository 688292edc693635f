// The rules tables with the network library's utilities behind their
// services interface, installed as the program installs them at start-up.
#include "client/RulesServices.h"

#include "game/rules/GameTable.h"
#include "game/rules/TableMath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>

namespace {

TEST(RulesServices, DepositUnitThroughTheNetworkUtilities)
{
    client::CNetRulesServices services;
    const int32_t silvers[] = { 350, 900, 1200, 800 };
    EXPECT_EQ(rules::DepositUnit(silvers, -1, services), 2);
    const int32_t rich[] = { 100000, 900000 };
    EXPECT_EQ(rules::DepositUnit(rich, 9, services), 512);
}

TEST(RulesServices, InstalledServicesGiveEveryNewTableARoundId)
{
    const rules::RulesEnvironment before = rules::GetDefaultRulesEnvironment();
    client::InstallRulesServices();
    EXPECT_NE(rules::GetDefaultRulesEnvironment().services, nullptr);

    rules::CGameTable table { rules::TableArgs {} };
    for (int c = 0; c < 4; ++c) {
        auto player = std::make_unique<rules::TablePlayer>();
        player->user_id = c + 1;
        player->chair = c;
        table.AddPlayer(std::move(player));
    }
    rules::StartGameArgs args;
    args.round.min_score = -1;
    args.round.max_score = 1;
    args.max_games = 5;
    args.max_rounds = 5;
    int chair = -1;
    ASSERT_EQ(table.StartGame(chair, args), rules::START_OK);
    const std::string id = table.GetRoundId();
    EXPECT_EQ(id.size(), 30u);
    EXPECT_TRUE(std::all_of(id.begin(), id.end(), [](char ch) { return std::isxdigit(static_cast<unsigned char>(ch)); }));

    rules::SetDefaultRulesEnvironment(before);
}

} // namespace

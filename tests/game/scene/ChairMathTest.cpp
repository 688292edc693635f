// Chair maths: the plain ring, this game's seat swap, validation and bounded
// walks.
#include "game/scene/ChairMath.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scene {
namespace {

TEST(ChairMathTest, RingViewsCountUpFromTheOwnChair)
{
    for (int count : { 3, 4, 8 }) {
        for (int own = 0; own < count; ++own) {
            const CChairMath ring(count, own);
            EXPECT_EQ(ring.ChairToView(own), 0);
            EXPECT_EQ(ring.ChairToView(ring.PrevChair(own)), count - 1);
            for (int view = 0; view < count; ++view) {
                EXPECT_EQ(ring.ChairToView(ring.ViewToChair(view)), view);
                EXPECT_EQ(ring.NextView(view), (view + 1) % count);
                EXPECT_EQ(ring.PrevView(view), (view + count - 1) % count);
            }
        }
    }
}

TEST(ChairMathTest, BadChairsAndViewsGiveMinusOne)
{
    const CChairMath ring(4, 1);
    for (int bad : { -1, 4, 100, -7 }) {
        EXPECT_EQ(ring.PrevChair(bad), -1) << bad;
        EXPECT_EQ(ring.NextChair(bad), -1) << bad;
        EXPECT_EQ(ring.ChairToView(bad), -1) << bad;
        EXPECT_EQ(ring.ViewToChair(bad), -1) << bad;
        EXPECT_FALSE(ring.IsPartnerChair(bad)) << bad;
    }
    // Before the own chair is known nothing resolves, and nothing loops.
    const CChairMath unseated(4, -1);
    EXPECT_EQ(unseated.ChairToView(2), -1);
    EXPECT_EQ(unseated.ViewToChair(0), -1);
    EXPECT_EQ(unseated.PrevView(1), -1);
    EXPECT_FALSE(unseated.IsPartnerChair(3));
}

TEST(ChairMathTest, ChairsPassedFollowTheTurnOrderAndStayBounded)
{
    const CChairMath ring(4, 0);
    EXPECT_EQ(ring.ChairsPassed(3, 1), (std::vector<int> { 2, 1 }));
    EXPECT_EQ(ring.ChairsPassed(2, 2), (std::vector<int> { 1, 0, 3, 2 }));
    EXPECT_EQ(ring.ChairsPassed(-1, 2), (std::vector<int> { 2 }));
    EXPECT_EQ(ring.ChairsPassed(9, 0), (std::vector<int> { 0 }));
    EXPECT_TRUE(ring.ChairsPassed(1, -1).empty());
}

TEST(ChairMathTest, PlDkOrderWithoutSwapIsThePlainRing)
{
    for (int turned : { -1, 0, 2 }) {
        CPlDkChairMath chairs(1);
        // No turned card, or the other copy with the banker or opposite: no swap.
        chairs.SetSwap(turned, turned < 0 ? -1 : (turned + 2) % 4);
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(chairs.NextChair(c), (c + 1) % 4);
            EXPECT_EQ(chairs.PrevChair(c), (c + 3) % 4);
        }
        EXPECT_TRUE(chairs.IsPartnerChair(3));
        EXPECT_FALSE(chairs.IsPartnerChair(2));
    }
}

TEST(ChairMathTest, PlDkSwapReordersTurnsViewsAndPartner)
{
    // Banker 0 holds the turned card, its other copy is at chair 3 (B-1):
    // the turn runs 0, 2, 3, 1, so chair 3 is the banker's partner.
    CPlDkChairMath chairs(0);
    chairs.SetSwap(0, 3);
    const int turn_order[] = { 0, 2, 3, 1 };
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(chairs.PrevChair(turn_order[k]), turn_order[(k + 1) % 4]);
        EXPECT_EQ(chairs.NextChair(turn_order[(k + 1) % 4]), turn_order[k]);
    }
    EXPECT_TRUE(chairs.IsPartnerChair(3));
    EXPECT_EQ(chairs.ViewToChair(1), 1);
    EXPECT_EQ(chairs.ViewToChair(2), 3);
    EXPECT_EQ(chairs.ViewToChair(3), 2);
    EXPECT_EQ(chairs.ChairToView(2), 3);
    EXPECT_EQ(chairs.PrevView(0), 3);
    EXPECT_EQ(chairs.ChairsPassed(0, 1), (std::vector<int> { 2, 3, 1 }));
}

TEST(ChairMathTest, PlDkBadViewIsTraced)
{
    std::vector<std::string> lines;
    CPlDkChairMath chairs(2, [&lines](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(chairs.ViewToChair(4), -1);
    EXPECT_EQ(chairs.ViewToChair(-1), -1);
    EXPECT_EQ(chairs.ViewToChair(3), 1);
    EXPECT_EQ(lines, (std::vector<std::string> { "5955", "5955" }));
    EXPECT_EQ(chairs.ChairToViewTraced(7, 0), -1);
    EXPECT_EQ(chairs.ChairToViewTraced(7, 1), -1);
    EXPECT_EQ(lines.back(), "7");
}

} // namespace
} // namespace scene

// The scene's text tables: numerals, card names, phrases and the table edges.
#include "game/scene/SceneText.h"

#include "SceneTestSupport.h"

#include <gtest/gtest.h>

namespace scene {
namespace {

using test::BigJoker;
using test::Card;
using test::SmallJoker;

TEST(SceneTextTest, ChineseNumeralsUpToTwentyThenN)
{
    const struct {
        int number;
        const char* text;
    } cases[] = { { 0, "零" }, { 1, "一" }, { 10, "十" }, { 11, "十一" }, { 19, "十九" }, { 20, "二十" },
                  { 21, "N" }, { -1, "N" }, { 1000, "N" } };
    for (const auto& c : cases)
        EXPECT_EQ(ChineseNumeral(c.number), c.text) << c.number;
}

TEST(SceneTextTest, CardNamesPutTheSuitFirstAndJokersAlone)
{
    const struct {
        int32_t card;
        const char* name;
    } cases[] = { { Card(13, 2), "红桃A" }, { Card(1, 0), "方块2" }, { Card(9, 3, 1), "黑桃10" },
                  { Card(12, 1), "梅花K" }, { SmallJoker(), "小王" }, { BigJoker(1), "大王" }, { -1, "" } };
    for (const auto& c : cases)
        EXPECT_EQ(GetCardName(c.card), c.name) << c.card;
}

TEST(SceneTextTest, TablesAreEmptyOutsideTheirEntries)
{
    EXPECT_EQ(GetQuickTalkPhrase(0), "快点吧，我等到花儿都谢了！");
    EXPECT_EQ(GetQuickTalkPhrase(19), "你快走，别管我！");
    EXPECT_TRUE(GetQuickTalkPhrase(20).empty());
    EXPECT_TRUE(GetQuickTalkPhrase(-1).empty());
    EXPECT_TRUE(GetValueName(0).empty());
    EXPECT_TRUE(GetValueName(16).empty());
    EXPECT_TRUE(GetValueName(99).empty());
    EXPECT_EQ(GetSuitName(3), "黑桃");
    EXPECT_TRUE(GetSuitName(5).empty());
    EXPECT_TRUE(GetSuitName(-1).empty());
}

} // namespace
} // namespace scene

// Selection checks and classification: the card-game table's generic rules
// and this game's rules, both through the real rules library.
#include "game/scene/CardGameSelection.h"
#include "game/scene/PlDkPlayFinder.h"

#include "SceneTestSupport.h"
#include "platform/ByteOrder.h"

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
using test::SmallJoker;

class SelectionTest : public ::testing::Test, protected test::SceneTable {
protected:
    void Deal(const std::vector<int32_t>& cards, const std::vector<int32_t>& raised)
    {
        DealHand(sprites, 0, cards);
        hand.RaiseCards(raised);
    }
};

TEST_F(SelectionTest, CardGameCheckJudgesTheRaisedCards)
{
    const LastPlay lead;
    const LastPlay single { 1, Play(CARD_TYPE_SINGLE, 3, { Card(3, 0) }) };
    Deal({ Card(7, 0), Card(7, 1), Card(9, 2) }, {});
    SelectionState state = CheckCardGameSelection(hand, lead);
    EXPECT_EQ(state.selected, 0);
    EXPECT_TRUE(state.choice_cleared);
    EXPECT_FALSE(state.throw_enabled);

    hand.RaiseCards(std::vector<int32_t> { Card(7, 0), Card(7, 1) });
    state = CheckCardGameSelection(hand, lead);
    EXPECT_EQ(state.selected, 2);
    EXPECT_TRUE(state.has_reading);
    EXPECT_TRUE(state.throw_enabled);
    state = CheckCardGameSelection(hand, single);
    EXPECT_TRUE(state.has_reading);
    EXPECT_FALSE(state.throw_enabled);

    hand.RaiseCards(std::vector<int32_t> { Card(9, 2) });
    EXPECT_FALSE(CheckCardGameSelection(hand, lead).has_reading);
    EXPECT_FALSE(ReadCardGameThrow(0, std::vector<int32_t> { Card(7, 0), Card(9, 2) }, lead).has_value());
}

TEST(ClassifyCardsTest, WeakestBeatingPlayInTableOrder)
{
    const CardPlay straight = Play(CARD_TYPE_STRAIGHT, 102, { Card(3, 0), Card(4, 1), Card(5, 2), Card(6, 3), Card(7, 0) });
    const CardPlay flush = Play(CARD_TYPE_STRAIGHT_FLUSH, 102, { Card(3, 0), Card(4, 0), Card(5, 0), Card(6, 0), Card(7, 0) });
    const CardPlay pair = Play(CARD_TYPE_PAIR, 12, { Card(12, 0), Card(12, 1) });
    const CardPlay kings = Play(CARD_TYPE_BOMB, 12, { Card(12, 0), Card(12, 1), Card(12, 2), Card(12, 3) });
    const std::vector<int32_t> quads = { Card(2, 0), Card(2, 1), Card(2, 2), Card(2, 3), Card(9, 0), SmallJoker(),
                                         SmallJoker(1), BigJoker(), BigJoker(1) };
    const std::vector<int32_t> fives = { Card(5, 0), Card(5, 1), Card(5, 2), Card(5, 3), Card(5, 0, 1), Card(11, 0) };
    const struct {
        const char* name;
        std::vector<int32_t> hand;
        CardPlay to_beat;
        int32_t type; // 0: nothing found
        int32_t count;
    } cases[] = {
        { "lead: the weakest single", quads, CardPlay {}, CARD_TYPE_SINGLE, 1 },
        { "straight: a four-card bomb", quads, straight, CARD_TYPE_BOMB, 4 },
        { "straight flush: nothing at all", quads, flush, 0, 0 },
        { "pair: no higher pair, a four-card bomb", fives, pair, CARD_TYPE_BOMB, 4 },
        { "bomb of Ks: the five-card bomb after four failed", fives, kings, CARD_TYPE_BOMB, 5 },
    };
    for (const auto& c : cases) {
        std::array<int32_t, 64> out {};
        CardPlay found;
        const int hit = ClassifyCards(c.hand, out, c.to_beat, found, CARD_GAME_RULE_MASK, 1);
        EXPECT_EQ(hit, c.type != 0 ? 1 : 0) << c.name;
        if (hit) {
            EXPECT_EQ(found.type, c.type) << c.name;
            EXPECT_EQ(found.count, c.count) << c.name;
            EXPECT_EQ(std::vector<int32_t>(out.begin(), out.begin() + c.count), Ids(found)) << c.name;
            EXPECT_EQ(out[static_cast<size_t>(c.count)], -1) << c.name;
        } else {
            EXPECT_EQ(found.type, c.to_beat.type) << c.name;
        }
    }
}

TEST_F(SelectionTest, AutoSelectCompletesAPartialSelection)
{
    // Leading: two cards of a straight raise the weakest straight holding them.
    Deal({ Card(2, 0), Card(3, 1), Card(4, 2), Card(5, 3), Card(6, 0), Card(8, 1), Card(12, 2) },
         { Card(3, 1), Card(5, 3) });
    EXPECT_EQ(AutoSelectPlay(hand, LastPlay {}), 1);
    EXPECT_EQ(Raised(), (std::vector<int32_t> { Card(2, 0), Card(3, 1), Card(4, 2), Card(5, 3), Card(6, 0) }));

    const LastPlay single { 1, Play(CARD_TYPE_SINGLE, 4, { Card(4, 1) }) };
    const struct {
        const char* name;
        std::vector<int32_t> cards;
        std::vector<int32_t> raised;
        int result;
        std::vector<int32_t> after;
    } cases[] = {
        // The one single holding the raised K is the other K: the raised one stays.
        { "one covering play, merged", { Card(6, 0), Card(12, 0), Card(12, 1) }, { Card(12, 1) }, 1, { Card(12, 1) } },
        // A 9 alone and the bomb of 9s both hold the raised 9: no choice is made.
        { "two covering plays", { Card(6, 0), Card(9, 0), Card(9, 1), Card(9, 2), Card(9, 3) }, { Card(9, 2) }, 0,
          { Card(9, 2) } },
        { "nothing raised", { Card(6, 0) }, {}, 0, {} },
    };
    for (const auto& c : cases) {
        test::SceneTable table;
        DealHand(table.sprites, 0, c.cards);
        table.hand.RaiseCards(c.raised);
        EXPECT_EQ(AutoSelectPlay(table.hand, single), c.result) << c.name;
        EXPECT_EQ(table.Raised(), c.after) << c.name;
    }
}

TEST_F(SelectionTest, DragOverTheCardsRaisesTheWidestSequenceThenLowers)
{
    const std::vector<int32_t> cards = { Card(2, 0), Card(3, 1), Card(4, 2), Card(5, 3), Card(6, 0), Card(6, 1),
                                         Card(12, 2) };
    Deal(cards, {});
    // The card-game table's matcher, without the completion.
    const SweepRules generic { {}, [](std::span<const int32_t> c, std::span<int32_t> out, const CardPlay& to_beat,
                                      CardPlay& found, int32_t type) {
        return MatchPlayType(c, out, to_beat, found, type, 0);
    } };
    for (int i = 0; i < 6; ++i)
        sprites.At(i).drag_mark = true;
    EXPECT_EQ(ApplyDragSelection(hand, LastPlay {}, generic), DragSelection::Raised);
    EXPECT_EQ(Raised(), (std::vector<int32_t> { Card(2, 0), Card(3, 1), Card(4, 2), Card(5, 3), Card(6, 0) }));
    EXPECT_FALSE(sprites.At(5).drag_mark);
    for (int i = 0; i < 3; ++i)
        sprites.At(i).drag_mark = true;
    EXPECT_EQ(ApplyDragSelection(hand, LastPlay {}, generic), DragSelection::Lowered);
    EXPECT_EQ(Raised(), (std::vector<int32_t> { Card(5, 3), Card(6, 0) }));
    // One swept card is only raised.
    sprites.At(6).drag_mark = true;
    EXPECT_EQ(ApplyDragSelection(hand, LastPlay {}, generic), DragSelection::Raised);
    EXPECT_EQ(Raised(), (std::vector<int32_t> { Card(5, 3), Card(6, 0), Card(12, 2) }));
}

TEST_F(SelectionTest, PlDkCheckReadsThisGamesPlays)
{
    const LastPlay lead;
    const LastPlay single { 1, Play(CARD_TYPE_SINGLE, 13, { Card(13, 0) }) };
    const LastPlay bomb { 1, Play(CARD_TYPE_BOMB, 3, { Card(3, 0), Card(3, 1), Card(3, 2), Card(3, 3) }) };
    const std::vector<int32_t> k510 = { Card(4, 0), Card(9, 1), Card(12, 2) };
    Deal({ Card(4, 0), Card(9, 1), Card(12, 2), SmallJoker(), BigJoker() }, k510);
    EXPECT_TRUE(finder.CheckSelection(lead).throw_enabled);
    EXPECT_TRUE(finder.CheckSelection(single).throw_enabled);
    EXPECT_FALSE(finder.CheckSelection(bomb).throw_enabled);
    // The generic rules know no 510K.
    EXPECT_FALSE(CheckCardGameSelection(hand, lead).has_reading);

    const std::optional<CardPlay> play = finder.ReadThrow(k510, single);
    ASSERT_TRUE(play.has_value());
    EXPECT_EQ(play->type, CARD_TYPE_510K);
    EXPECT_FALSE(finder.ReadThrow(std::vector<int32_t> { Card(4, 0), Card(9, 1) }, lead).has_value());

    // The next chair of the request honours the seat swap.
    chairs.SetSwap(0, 3);
    const ThrowRequest request = finder.MakeThrow({ 1001, 7, 12 }, *play);
    EXPECT_EQ(request.word0, 1001);
    EXPECT_EQ(request.word1, 7);
    EXPECT_EQ(request.word2, 12);
    EXPECT_EQ(request.chair, 0);
    EXPECT_EQ(request.word4, 2);
    EXPECT_EQ(request.next_chair, 0);
    EXPECT_EQ(request.play.type, CARD_TYPE_510K);
    const auto bytes = ThrowRequestBytes(request);
    const auto word = [&bytes](size_t i) { return static_cast<int32_t>(platform::LoadU32LE(bytes.data() + 4 * i)); };
    EXPECT_EQ(word(0), 1001);
    EXPECT_EQ(word(3), 0);
    EXPECT_EQ(word(4), 2);
    EXPECT_EQ(word(12), CARD_TYPE_510K);
    EXPECT_EQ(word(15), 3);
    EXPECT_EQ(word(16), play->cards[0]);
    EXPECT_EQ(word(19), -1);
}

} // namespace
} // namespace scene

#include <algorithm>

#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiPopupMenu.h"
#include "engine/widgets/GuiTextButton.h"
#include "game/rules/CardTestSupport.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/CardCounter.h"

namespace scene::test {
namespace {

using rules::test::BigJoker;
using rules::test::Card;
using rules::test::SmallJoker;

constexpr int32_t PLACEHOLDER = CCardCounter::PLACEHOLDER_CARD;

class CardCounterTest : public BoardTest {
protected:
    CardCounterTest()
    {
        m_counter_image = AddImage("bit_cardmaster", 250, 120);
        m_rank_image = AddImage("bit_cardrank", 8, 10, 15);
        m_seat_image = AddImage("bit_cardmaster_player", 140, 80);
        m_face_image = AddImage("牌正面50x68", 50, 68, 54);
        m_back_image = AddImage("牌背面50x68", 50, 68);
        AddImage("bit_cardmaster_small", 10, 10, 54);
        AddImage("btn_redcross", 16, 16, 4);
        AddImage("btn_popmenu", 40, 16, 4);
    }
    CCardCounter* MakeCounter(bool active = true)
    {
        auto owned = std::make_unique<CCardCounter>(m_app);
        CCardCounter* counter = owned.get();
        m_engine.m_objects->AddObject(std::move(owned), nullptr);
        counter->MoveTo(400, 300);
        counter->Show(true);
        if (active)
            counter->Activate();
        counter->Invalidate();
        Run();
        return counter;
    }
    [[nodiscard]] static std::vector<int32_t> Remaining(const CCardCounter& counter)
    {
        const auto& list = counter.GetRemaining();
        return { list.begin(), std::find(list.begin(), list.end(), CCardCounter::NO_CARD) };
    }
    [[nodiscard]] static std::vector<int32_t> Seat(const CCardCounter& counter, int view)
    {
        const auto& list = counter.GetSeatCards(view);
        return { list.begin(), std::find(list.begin(), list.end(), CCardCounter::NO_CARD) };
    }

    ImageRecord* m_counter_image {};
    ImageRecord* m_rank_image {};
    ImageRecord* m_seat_image {};
    ImageRecord* m_face_image {};
    ImageRecord* m_back_image {};
};

TEST_F(CardCounterTest, RemovalsKeepTheOtherCardsInOrderAtTheFront)
{
    CCardCounter* counter = MakeCounter(false);
    std::vector<int32_t> expected;
    for (int32_t card = 0; card < CCardCounter::DECK_CARDS; ++card) {
        counter->AddCard((card * 37) % CCardCounter::DECK_CARDS); // A shuffled deck.
        expected.push_back((card * 37) % CCardCounter::DECK_CARDS);
    }
    counter->AddCard(5); // Full: nothing stored.
    EXPECT_EQ(counter->GetRemainingCount(), 108);
    // A scripted round: plays taken out one card at a time, plus cards
    // that are not there (played twice, or no card of the decks at all).
    const int32_t removals[] = { Card(13, 3), BigJoker(1), Card(1, 0), Card(13, 3), -1, 108, 99999999,
                                 expected.front(), expected.back(), Card(7, 2, 1) };
    for (const int32_t card : removals) {
        counter->RemoveCard(card);
        std::erase(expected, card);
        EXPECT_EQ(Remaining(*counter), expected) << card;
        EXPECT_EQ(counter->GetRemainingCount(), static_cast<int32_t>(expected.size()));
    }
    counter->AddCard(-1);
    counter->AddCard(Card(13, 3));
    expected.push_back(Card(13, 3));
    EXPECT_EQ(Remaining(*counter), expected);
    // A card given twice leaves no gap behind when it goes.
    counter->AddCard(expected[3]);
    counter->AddCard(Card(1, 0));
    counter->RemoveCard(expected[3]);
    expected.erase(expected.begin() + 3);
    expected.push_back(Card(1, 0));
    EXPECT_EQ(Remaining(*counter), expected);
    EXPECT_EQ(counter->GetRemainingCount(), static_cast<int32_t>(expected.size()));
    counter->Reset();
    EXPECT_EQ(counter->GetRemainingCount(), 0);
    EXPECT_TRUE(Remaining(*counter).empty());
}

TEST_F(CardCounterTest, ViewOfChairCountsRoundTheTableFromTheOwnChair)
{
    CCardCounter* counter = MakeCounter(false);
    for (int own = 0; own < 4; ++own) {
        SetOwnChair(own);
        for (int chair = 0; chair < 4; ++chair)
            EXPECT_EQ(counter->ViewOfChair(chair), (chair - own + 4) % 4) << own << " " << chair;
        EXPECT_EQ(counter->ViewOfChair(-1), -1);
        EXPECT_EQ(counter->ViewOfChair(4), -1);
    }
    SetOwnChair(-1);
    EXPECT_EQ(counter->ViewOfChair(0), -1);
}

TEST_F(CardCounterTest, SeatListsTakeEachChairsPlaysAndReplacePlaceholders)
{
    SetOwnChair(1);
    CCardCounter* counter = MakeCounter(false);
    const struct {
        int chair;
        int32_t card;
        int answer;
    } plays[] = {
        { 1, Card(3, 0), 0 },          // Own chair: view 0.
        { 3, PLACEHOLDER, 64 },        // Chair 3 is view 2.
        { 3, PLACEHOLDER, 65 },
        { 3, Card(9, 1), 64 },         // Takes the first placeholder.
        { 0, BigJoker(1), 96 },        // Chair 0 is view 3.
        { 2, SmallJoker(), 32 },
        { 3, Card(10, 1), 65 },
        { 3, Card(11, 1), 66 },
        { -1, Card(4, 0), -1 },        // No such chair: nothing written.
        { 4, Card(4, 0), -1 },
        { 2, 108, -1 },                // No card of the two decks.
    };
    for (const auto& play : plays)
        EXPECT_EQ(counter->AddSeatCard(play.chair, play.card), play.answer) << play.chair << " " << play.card;
    EXPECT_EQ(Seat(*counter, 0), (std::vector<int32_t> { Card(3, 0) }));
    EXPECT_EQ(Seat(*counter, 1), (std::vector<int32_t> { SmallJoker() }));
    EXPECT_EQ(Seat(*counter, 2), (std::vector<int32_t> { Card(9, 1), Card(10, 1), Card(11, 1) }));
    EXPECT_EQ(Seat(*counter, 3), (std::vector<int32_t> { BigJoker(1) }));
    for (int slot = 1; slot < CCardCounter::SEAT_SLOTS; ++slot)
        EXPECT_EQ(counter->AddSeatCard(2, Card(2, 0)), 32 + slot);
    EXPECT_EQ(counter->AddSeatCard(2, Card(2, 0)), -1); // Full.
}

TEST_F(CardCounterTest, DrawCounterSortsAndDrawsRankMarksByValue)
{
    CCardCounter* counter = MakeCounter();
    for (const int32_t card : { Card(2, 1), Card(13, 3), SmallJoker(1), Card(1, 0, 1), BigJoker(), Card(1, 2),
                                Card(2, 1, 1), Card(5, 0) })
        counter->AddCard(card);
    m_drawn.clear();
    m_text->drawn.clear();
    counter->RemoveCard(Card(5, 0)); // Active: redraws.
    // Highest order first: jokers, the 2s (the level), the ace, the 3s.
    EXPECT_EQ(Remaining(*counter), (std::vector<int32_t> { BigJoker(), SmallJoker(1), Card(1, 2), Card(1, 0, 1),
                                                           Card(13, 3), Card(2, 1), Card(2, 1, 1) }));
    ASSERT_EQ(DrawnTexts(), (std::vector<std::string> { "剩余7张" }));
    EXPECT_EQ(m_text->drawn[0].x, 50);
    EXPECT_EQ(m_text->drawn[0].y, 16);
    EXPECT_EQ(m_text->drawn[0].font_height, 14);
    EXPECT_EQ(DrawnOf(m_counter_image).size(), 1u);
    ImageRef small;
    counter->GetSmallCardImage(small, BigJoker(1));
    EXPECT_EQ(small.frame, 53u);
    const struct {
        int32_t x, y, frame;
    } marks[] = { { 10, 30, 14 }, { 10, 44, 13 }, { 26, 30, 0 }, { 26, 44, 0 },
                  { 42, 30, 12 }, { 58, 30, 1 },  { 58, 44, 1 } };
    const std::vector<DrawnImage> drawn = DrawnOf(m_rank_image);
    ASSERT_EQ(drawn.size(), std::size(marks));
    for (size_t i = 0; i < drawn.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(drawn[i].x, marks[i].x);
        EXPECT_EQ(drawn[i].y, marks[i].y);
        EXPECT_EQ(drawn[i].source_y, marks[i].frame * 10);
        EXPECT_EQ(drawn[i].width, 16);
        EXPECT_EQ(drawn[i].height, 13);
    }
}

TEST_F(CardCounterTest, SeatBoardShowsTheChairsCardCornersBesideItsNamePlate)
{
    SetOwnChair(1);
    CCardCounter* counter = MakeCounter();
    auto* plate = m_engine.Add<enginetest::CRecordingObject>(790, 100, 10, 10, false);
    plate->SetName("玩家姓名板2");
    (void)counter->AddSeatCard(3, PLACEHOLDER);
    for (int i = 0; i < 11; ++i)
        (void)counter->AddSeatCard(3, Card(1 + i, 2));
    (void)counter->AddSeatCard(3, PLACEHOLDER);
    m_drawn.clear();
    m_text->drawn.clear();
    EXPECT_EQ(counter->ShowSeatBoard(3), 2);
    CCanvasObject* board = counter->GetSeatBoard(2);
    ASSERT_NE(board, nullptr);
    EXPECT_TRUE(board->IsActive());
    // The plate's centre, kept inside the 800 x 600 view.
    EXPECT_EQ(board->GetX(), 800 - 70);
    EXPECT_EQ(board->GetY(), 100);
    EXPECT_EQ(DrawnTexts(), (std::vector<std::string> { "player3" }));
    EXPECT_EQ(DrawnOf(m_seat_image).size(), 1u);
    const std::vector<DrawnImage> faces = DrawnOf(m_face_image);
    ASSERT_EQ(faces.size(), 11u);
    for (size_t i = 0; i < faces.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(faces[i].x, 12 * static_cast<int32_t>(i % 10) + 13);
        EXPECT_EQ(faces[i].y, 28 * static_cast<int32_t>(i / 10) + 20);
        EXPECT_EQ(faces[i].source_y, Card(1 + static_cast<int32_t>(i), 2) * 68);
        EXPECT_EQ(faces[i].source_width, 12);
        EXPECT_EQ(faces[i].source_height, 28);
    }
    const std::vector<DrawnImage> backs = DrawnOf(m_back_image);
    ASSERT_EQ(backs.size(), 1u);
    EXPECT_EQ(backs[0].x, 12 * 1 + 13);
    EXPECT_EQ(backs[0].y, 28 + 20);
    // Inside the main-game area when the scene gives one.
    counter->SetMainGameRect(EngineRect { 0, 150, 600, 400 });
    counter->PlaceSeatBoard(2);
    EXPECT_EQ(board->GetX(), 600 - 70);
    EXPECT_EQ(board->GetY(), 150 + 40);
    // A chair the table does not have shows nothing.
    EXPECT_EQ(counter->ShowSeatBoard(4), -1);
    EXPECT_EQ(counter->ShowSeatBoard(-1), -1);
    EXPECT_EQ(counter->DrawSeatBoard(-1), -1);
    counter->Reset();
    EXPECT_FALSE(board->IsActive());
}

TEST_F(CardCounterTest, MenuListsTheOtherChairsAndOpensOrClosesTheirBoards)
{
    SetOwnChair(1);
    CCardCounter* counter = MakeCounter();
    EXPECT_EQ(counter->GetMenu(), nullptr);
    counter->SendEvent(EngineEvent { counter->GetId(), CARD_COUNTER_MENU_BUTTON, 0, 0 });
    CGuiPopupMenu* menu = counter->GetMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->IsActive());
    const std::vector<std::string> captions { "player0", "player2", "player3", "全部展开", "全部关闭", "取消" };
    ASSERT_EQ(menu->GetItemCount(), captions.size());
    for (size_t i = 0; i < captions.size(); ++i)
        EXPECT_EQ(menu->GetItem(i)->GetCaption(), captions[i]);
    EXPECT_EQ(menu->GetItem(1)->GetClickEvent().id, CARD_COUNTER_SHOW_SEAT);
    EXPECT_EQ(menu->GetItem(1)->GetClickEvent().param1, 2u);
    EXPECT_EQ(menu->GetItem(5)->GetClickEvent().target, menu->GetId());
    counter->SendEvent(EngineEvent { counter->GetId(), CARD_COUNTER_MENU_BUTTON, 0, 0 });
    EXPECT_FALSE(menu->IsActive());

    // Opened at a point near the top-right corner, it stays inside the view.
    counter->ShowPopupMenu(790, 5);
    EXPECT_LE(menu->GetRight(), 800);
    EXPECT_EQ(menu->GetY(), menu->GetHeight());

    counter->SendEvent(menu->GetItem(3)->GetClickEvent()); // Show all.
    for (int view = 1; view < 4; ++view)
        ASSERT_TRUE(counter->GetSeatBoard(view) != nullptr && counter->GetSeatBoard(view)->IsActive()) << view;
    EXPECT_EQ(counter->GetSeatBoard(0), nullptr);
    EXPECT_FALSE(menu->IsActive());
    counter->ShowPopupMenu(100, 300);
    counter->SendEvent(menu->GetItem(4)->GetClickEvent()); // Close all.
    for (int view = 1; view < 4; ++view)
        EXPECT_FALSE(counter->GetSeatBoard(view)->IsActive()) << view;

    // Names change when seats change hands.
    client::CopyTextField(m_app.Records().Seat(2)->name, "newcomer");
    counter->UpdateMenuNames();
    EXPECT_EQ(menu->GetItem(1)->GetCaption(), "newcomer");
}

TEST_F(CardCounterTest, MenuButtonRightPressAndCloseButtonWorkByMouse)
{
    CCardCounter* counter = MakeCounter();
    // The 250 x 120 board around (400, 300): the menu button sits at the top
    // centre, the close button 13 pixels in from the right edge.
    MoveTo(400, 254);
    Press(400, 254); // Fires on the press.
    CGuiPopupMenu* menu = counter->GetMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->IsActive());
    Release(400, 254);

    MoveTo(300, 330);
    m_input->OnRButtonDown(300, 330);
    m_input->OnRButtonUp(300, 330);
    Run();
    EXPECT_TRUE(menu->IsActive());
    EXPECT_EQ(menu->GetLeft(), 300);
    EXPECT_EQ(menu->GetBottom(), 330);

    ClickAt(525 - 8 - 13, 240 + 8 + 6);
    EXPECT_FALSE(counter->IsActive());
    EXPECT_FALSE(menu->IsActive());
}

TEST_F(CardCounterTest, RelayoutPutsTheCounterInTheTablesBottomRightCorner)
{
    CCardCounter* counter = MakeCounter();
    counter->Relayout();
    EXPECT_EQ(counter->GetRight(), 800);
    EXPECT_EQ(counter->GetBottom(), 600 - 30);
    // Beside a side panel: the table's corner, not the window's.
    counter->SetMainGameRect(EngineRect { 0, 0, 700, 500 });
    counter->Relayout();
    EXPECT_EQ(counter->GetRight(), 700);
    EXPECT_EQ(counter->GetBottom(), 500 - 30);
}

} // namespace
} // namespace scene::test

#include "engine/core/ImageObject.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/CardSprite.h"
#include "game/scene/FlippedCardSprite.h"
#include "game/scene/PlDkCardSprite.h"

namespace scene::test {
namespace {

class CardSpriteTest : public BoardTest {
protected:
    CardSpriteTest()
    {
        for (const auto& [name, width, height] : { std::tuple { "50x68", 50, 68 }, { "71x96", 71, 96 },
                                                   { "82x110", 82, 110 }, { "98x132", 98, 132 } }) {
            AddImage(std::string("牌正面") + name, uint16_t(width), uint16_t(height), 54);
            AddImage(std::string("牌背面") + name, uint16_t(width), uint16_t(height));
        }
        AddImage("花_图标", 12, 12);
        m_scene = m_engine.Add<enginetest::CRecordingObject>(-500, -500, 1, 1, false);
        m_scene->SetName(MAIN_GAME_NAME);
    }
    template <typename Sprite = CCardSprite, typename... Args>
    Sprite* MakeSprite(const engine::EngineRect& area = { 0, 0, 800, 600 }, Args... args)
    {
        auto owned = std::make_unique<Sprite>(args...);
        Sprite* sprite = owned.get();
        m_engine.m_objects->AddObject(std::move(owned), nullptr);
        sprite->SetMainGameRect(area);
        sprite->LoadBackImages();
        return sprite;
    }
    static void Deal(CCardSprite& sprite, int view, int index, int count, int state = CARD_STATE_HAND)
    {
        CardSpriteState& record = sprite.Record();
        record.card = 5;
        record.view = view;
        record.row_index = index;
        record.row_count = count;
        record.state = state;
        record.face_up = view == 0;
        sprite.UpdateImage();
    }

    enginetest::CRecordingObject* m_scene {};
};

TEST_F(CardSpriteTest, AreaWidthPicksTheCardSizes)
{
    struct Case {
        int32_t width, size, large_w, large_h, small_w, small_h;
    };
    for (const Case& c : { Case { 800, 1, 71, 96, 50, 68 }, Case { 1000, 1, 71, 96, 50, 68 },
                           Case { 1001, 2, 82, 110, 50, 68 }, Case { 1400, 2, 82, 110, 50, 68 },
                           Case { 1401, 3, 98, 132, 71, 96 } }) {
        CCardSprite* sprite = MakeSprite({ 0, 0, c.width, 700 });
        EXPECT_EQ(sprite->GetSizeIndex(), c.size) << c.width;
        EXPECT_EQ(sprite->GetLargeWidth(), c.large_w) << c.width;
        EXPECT_EQ(sprite->GetLargeHeight(), c.large_h) << c.width;
        EXPECT_EQ(sprite->GetSmallWidth(), c.small_w) << c.width;
        EXPECT_EQ(sprite->GetSmallHeight(), c.small_h) << c.width;
    }
}

TEST_F(CardSpriteTest, HandsOfEachViewAreLaidOutAroundTheArea)
{
    struct Case {
        int view, index, count;
        int32_t x, y;
        double angle, width;
    };
    // 800 x 600 at (10, 20): own cards 71 x 96 with a step of 16, the
    // others' 50 x 68 face down in columns of 8.
    const Case cases[] = {
        { 0, 0, 27, 10 + 400 - 243 + 35, 20 + 504, 0, 71 },
        { 0, 26, 27, 10 + 400 - 243 + 416 + 35, 20 + 504, 0, 71 },
        { 0, 0, 13, 10 + 304, 20 + 504, 0, 71 },
        { 0, 0, 1, 10 + 400, 20 + 504, 0, 71 },
        { 1, 0, 13, 10 + 82, 20 + 352, 270, 50 },
        { 1, 12, 13, 10 + 82, 20 + 352 - 96, 270, 50 },
        { 2, 0, 13, 10 + 452, 20 + 82, 0, 50 },
        { 3, 0, 13, 10 + 718, 20 + 248, 90, 50 },
        { 3, 0, 1, 10 + 718, 20 + 296, 90, 50 },
    };
    for (const Case& c : cases) {
        CCardSprite* sprite = MakeSprite({ 10, 20, 810, 620 });
        Deal(*sprite, c.view, c.index, c.count);
        EXPECT_EQ(sprite->GetX(), c.x) << c.view << "/" << c.index << "/" << c.count;
        EXPECT_EQ(sprite->GetY(), c.y) << c.view << "/" << c.index << "/" << c.count;
        EXPECT_EQ(sprite->GetFace()->GetAngle(), c.angle) << c.view;
        EXPECT_EQ(sprite->GetFace()->GetWidth(), c.width) << c.view;
        EXPECT_TRUE(sprite->IsActive());
    }
}

TEST_F(CardSpriteTest, ThreeChairTableHasNoTopSeat)
{
    CCardSprite* sprite = MakeSprite({ 0, 0, 800, 600 }, 3);
    Deal(*sprite, 2, 0, 13);
    EXPECT_EQ(sprite->GetX(), 800 - 82);
    EXPECT_EQ(sprite->GetFace()->GetAngle(), 90.0);
    Deal(*sprite, 2, 1, 3, CARD_STATE_PLAYED); // The right seat's play.
    EXPECT_EQ(sprite->GetX(), 800 - 96 - 35 - 85 - 48 + 16);
    EXPECT_EQ(sprite->GetY(), 300);
}

TEST_F(CardSpriteTest, StartsLoweredAndRaisingLiftsTheOwnCard)
{
    CCardSprite* sprite = MakeSprite();
    EXPECT_FALSE(sprite->Record().raised);
    Deal(*sprite, 0, 0, 1);
    EXPECT_EQ(sprite->GetY(), 504);
    sprite->Record().drag_mark = true;
    sprite->Raise();
    EXPECT_EQ(sprite->GetY(), 494);
    EXPECT_FALSE(sprite->Record().drag_mark);
    sprite->Lower();
    EXPECT_EQ(sprite->GetY(), 504);
    sprite->Reset();
    EXPECT_FALSE(sprite->Record().raised);
    EXPECT_EQ(sprite->Record().state, CARD_STATE_OLD_PLAY);
    EXPECT_EQ(sprite->Record().row_index, -1);
    sprite->UpdateImage();
    EXPECT_FALSE(sprite->IsActive()); // Any other state hides the card.
}

TEST_F(CardSpriteTest, FaceTintAndBackFollowTheRecord)
{
    CCardSprite* sprite = MakeSprite();
    Deal(*sprite, 0, 0, 1);
    const auto* face = sprite->GetFace();
    EXPECT_EQ(face->GetFrameImage().GetCurrentFrame(), 5u);
    EXPECT_EQ(sprite->GetAlpha(), 1.0);
    sprite->Record().drag_mark = true;
    sprite->UpdateImage();
    EXPECT_EQ(sprite->GetAlpha(), 0.7);
    sprite->Record().drag_mark = false;
    sprite->EnterHover();
    EXPECT_EQ(sprite->GetAlpha(), 0.9);
    sprite->LeaveHover();
    EXPECT_EQ(sprite->GetAlpha(), 1.0);
    sprite->RaiseStamped();
    sprite->EnterHover(); // Just raised: no hover mark.
    EXPECT_FALSE(sprite->IsHovered());
    Run(400);
    sprite->EnterHover();
    EXPECT_TRUE(sprite->IsHovered());
    for (const int32_t card : { -1, 216 }) {
        sprite->Record().card = card;
        sprite->UpdateImage();
        EXPECT_EQ(face->GetFrameImage().GetFrameCount(), 1u) << card; // The back.
    }
}

TEST_F(CardSpriteTest, AFlyingCardKeepsItsPlaceUntilTheFlightEnds)
{
    CCardSprite* sprite = MakeSprite();
    sprite->MoveTo(100, 100);
    sprite->Record().moving = true;
    Deal(*sprite, 0, 1, 3, CARD_STATE_PLAYED);
    EXPECT_EQ(sprite->GetX(), 100);
    EXPECT_EQ(sprite->Record().x, 400);
    EXPECT_EQ(sprite->Record().y, 356);
    sprite->FlyTo(Point { 400, 356 }, 2, 20.0);
    EXPECT_TRUE(sprite->Record().moving);
    Run(3000);
    EXPECT_FALSE(sprite->Record().moving);
    EXPECT_EQ(sprite->GetX(), 400);
    EXPECT_EQ(sprite->GetY(), 356);
}

TEST_F(CardSpriteTest, ShowRowAndPilesStandAroundTheMiddle)
{
    CCardSprite* sprite = MakeSprite();
    sprite->Record().row_count = 1;
    sprite->Record().row_index = 0;
    EXPECT_EQ(sprite->GetShowRowPosition().x, 400);
    EXPECT_EQ(sprite->GetShowRowPosition().y, 150);
    sprite->Record().row_count = 2;
    EXPECT_EQ(sprite->GetShowRowPosition().x, 400 - 91 / 2 - 1); // d = 91, d/2 = 45.
    sprite->Record().row_index = 1;
    EXPECT_EQ(sprite->GetShowRowPosition().x, 400 + 45);
    sprite->Record().row_index = 55;
    EXPECT_EQ(sprite->GetPilePosition().x, 400 - 25 - 2);
    EXPECT_EQ(sprite->GetPilePosition().y, 300 - 216);
}

TEST_F(CardSpriteTest, MouseOnTheFaceGoesToTheScene)
{
    CCardSprite* sprite = MakeSprite();
    Deal(*sprite, 0, 0, 1);
    Run();
    ClickAt(400, 504);
    bool seen = false;
    for (const EngineEvent& event : m_scene->events)
        if (event.id == GAMEMSG_CARD_LBUTTON_DOWN) {
            seen = true;
            EXPECT_EQ(event.param1, sprite->GetId());
        }
    EXPECT_TRUE(seen);
}

TEST_F(CardSpriteTest, TheSetRedrawsThroughTheSprites)
{
    CCardSprite* sprite = MakeSprite();
    CCardSpriteSet set(*sprite);
    set.Add(*sprite);
    set.At(0).card = 7;
    set.At(0).view = 0;
    set.At(0).row_count = 1;
    set.At(0).row_index = 0;
    set.At(0).state = CARD_STATE_HAND;
    set.Redraw(0);
    EXPECT_EQ(sprite->GetX(), 400);
    EXPECT_EQ(set.GetOverlapStepX(0), 16);
    EXPECT_EQ(set.At(5).card, -1); // Outside the set: a spare record.
}

TEST_F(CardSpriteTest, ThisGamesSpriteLaysOutItsOwnTable)
{
    CPlDkCardSprite* sprite = MakeSprite<CPlDkCardSprite>();
    sprite->Record().row_index = 3;
    EXPECT_EQ(sprite->GetPilePosition().x, 400 - 25 - 2);
    EXPECT_EQ(sprite->GetPilePosition().y, 300 + 2 - 48);
    Deal(*sprite, 0, 0, 1);
    EXPECT_EQ(sprite->GetY(), 600 - 48 - 35);
    sprite->m_hand_shift = 3; // A whole step to the left.
    sprite->Raise();
    EXPECT_EQ(sprite->GetX(), 400 - 16);
    EXPECT_EQ(sprite->GetY(), 600 - 48 - 35 - 14);
    Deal(*sprite, 1, 0, 13);
    EXPECT_EQ(sprite->GetX(), 34 + 40);
    // The own play stands clear below the side seats' row across the middle
    // (300 +- 48), above the own hand.
    Deal(*sprite, 0, 1, 3, CARD_STATE_PLAYED);
    EXPECT_EQ(sprite->GetY(), 300 + 96 + 2);
    EXPECT_EQ(sprite->GetOverlapStepY(), 15);

    // An old play stays only as a ghost, raised by 3 * 15 / 2.
    Deal(*sprite, 0, 1, 3, CARD_STATE_OLD_PLAY);
    EXPECT_FALSE(sprite->IsActive());
    sprite->m_ghost_first = sprite->m_ghost_second = true;
    sprite->UpdateImage();
    EXPECT_TRUE(sprite->IsActive());
    EXPECT_EQ(sprite->GetAlpha(), 0.8);
    EXPECT_EQ(sprite->GetY(), 300 + 96 + 2 - 22);
}

TEST_F(CardSpriteTest, ThisGamesSpriteMarksWildDisabledAndSuitIcon)
{
    CPlDkCardSprite* sprite = MakeSprite<CPlDkCardSprite>();
    sprite->SetWildTest([](int32_t card) { return card == 5; });
    Deal(*sprite, 0, 0, 1);
    EXPECT_TRUE(sprite->m_wild);
    sprite->m_disabled = true;
    sprite->m_suit_icon_shown = true;
    sprite->UpdateImage();
    EXPECT_EQ(sprite->GetAlpha(), 0.7);
    EXPECT_TRUE(sprite->GetSuitIcon()->IsActive());
    sprite->Record().card = 108; // Not of the two decks: the back, never wild.
    sprite->UpdateImage();
    EXPECT_FALSE(sprite->m_wild);
    EXPECT_EQ(sprite->GetFace()->GetFrameImage().GetFrameCount(), 1u);

    sprite->Reset();
    EXPECT_EQ(sprite->Record().state, CARD_STATE_NONE);
    EXPECT_FALSE(sprite->m_suit_icon_shown);
    EXPECT_EQ(sprite->GetFace()->FindEventRoute(engine::VELOTRIX_EVENT_LBUTTON_DOWN), nullptr);
    sprite->EnableMouseRoutes(true);
    EXPECT_NE(sprite->GetFace()->FindEventRoute(engine::VELOTRIX_EVENT_LBUTTON_DOWN), nullptr);
}

TEST_F(CardSpriteTest, CornersStandInRowsOfEightFromTheAnchor)
{
    struct Case {
        int view, index;
        Point at;
    };
    // Anchor (300, 500), moved by half a corner and a corner per view.
    const Case cases[] = {
        { 0, 0, { 292, 484 } }, { 0, 3, { 292 - 48, 484 } }, { 0, 8, { 292, 484 } },
        { 1, 2, { 308 + 32, 484 } }, { 2, 1, { 292 - 16, 516 } }, { 3, 7, { 292 - 112, 484 } },
    };
    for (const Case& c : cases) {
        CFlippedCardSprite* corner = MakeSprite<CFlippedCardSprite>();
        corner->Reset();
        corner->Record().view = c.view;
        corner->Record().row_index = c.index;
        corner->Record().card = 40;
        corner->SetAnchor(300, 500);
        corner->UpdateImage();
        EXPECT_TRUE(corner->IsActive());
        EXPECT_EQ(corner->GetX(), c.at.x) << c.view << "/" << c.index;
        EXPECT_EQ(corner->GetY(), c.at.y) << c.view << "/" << c.index;
        corner->Record().card = -1;
        corner->UpdateImage();
        EXPECT_FALSE(corner->IsActive());
    }
}

} // namespace
} // namespace scene::test

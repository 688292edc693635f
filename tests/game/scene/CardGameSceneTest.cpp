#include <algorithm>
#include <sstream>

#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/CardGameScene.h"
#include "game/scene/ReplayPanel.h"
#include "game/scene/SeatBoard.h"

namespace scene::test {
namespace {

using Button = CCardGameScene::Button;

class CThreeChairApp final : public client::CPlDkApp {
public:
    [[nodiscard]] int GetChairCount() const override { return 3; }
};

// A seat board that keeps the last match score it was given.
class CScoreBoard final : public CSeatBoard {
public:
    using CSeatBoard::CSeatBoard;
    void ShowMatchScore(int32_t score, int32_t) override { shown = score; }
    int32_t shown { -1 };
};

class CScoreScene final : public CCardGameScene {
public:
    using CCardGameScene::CCardGameScene;
    [[nodiscard]] int32_t Shown(int view) const { return static_cast<CScoreBoard*>(GetSeatBoard(view))->shown; }
    int resets { 0 };

protected:
    void ResetTable() override { ++resets; }
    [[nodiscard]] std::unique_ptr<CSeatBoard> NewSeatBoard() override { return std::make_unique<CScoreBoard>(GetApp()); }
};

class CardGameSceneTest : public BoardTest {
protected:
    CardGameSceneTest()
    {
        for (const auto& [name, width, height] : { std::tuple { "50x68", 50, 68 }, { "71x96", 71, 96 },
                                                   { "82x110", 82, 110 }, { "98x132", 98, 132 } }) {
            AddImage(std::string("牌正面") + name, uint16_t(width), uint16_t(height), 54);
            AddImage(std::string("牌背面") + name, uint16_t(width), uint16_t(height));
        }
        AddImage("PlayerBoardSmall", 200, 60, 3);
        AddImage("digit_restcard", 8, 12, 10);
        AddImage("animation_Ready", 40, 20);
        for (const char* name : { "btn_StartGame", "btnThrow", "btnPass", "btnRemaind", "btn_Sort1", "btn_Sort2",
                                  "btn_Sort3", "btn_SortBomb", "btn_SortBig", "btn_SortType", "btn_AutoPlay",
                                  "btn_CheckResult", "btn_AskCardView" })
            AddImage(name, 60, 30, 4);
        AddImage("bit_BkgPattern", 64, 64);
        AddImage("digiti_Clock", 10, 16, 10);
        AddImage("digit_Pen", 10, 16, 12);
        AddImage("digit_Pen2", 10, 16, 10);
        m_paint->images["过牌提示"] = picturetest::MakeStrip(80, 20, 4, 1, { 100, 100, 100, 100 });
        AddImage("游戏信息框", 150, 70);
        AddImage("比赛信息框", 180, 110);
        for (int chair = 0; chair < client::PLDK_CHAIRS; ++chair)
            m_app.Records().Seat(chair)->user_id = 100 + chair;
    }
    CCardGameScene* MakeScene(client::CGameApp& app, const engine::EngineRect& area)
    {
        auto owned = std::make_unique<CCardGameScene>(app);
        CCardGameScene* scene = owned.get();
        m_engine.m_objects->AddObject(std::move(owned), nullptr);
        scene->SetArea(area);
        return scene;
    }
    // Gives every chair a hand of count cards (face up for the own chair).
    static void DealAll(CCardGameScene& scene, int count)
    {
        int next = 0;
        for (int chair = 0; chair < scene.GetChairCount(); ++chair) {
            for (int i = 0; i < count; ++i) {
                CardSpriteState& s = scene.Sprites().At(next++);
                s = CardSpriteState {};
                s.card = i;
                s.chair = chair;
                s.view = scene.ChairToView(chair);
                s.state = CARD_STATE_HAND;
                s.row_index = i;
                s.face_up = chair == 0;
            }
        }
    }
    // "view:first centre/last centre size angle" for each chair's hand.
    static std::string DumpHands(CCardGameScene& scene, int count)
    {
        std::ostringstream out;
        for (int chair = 0; chair < scene.GetChairCount(); ++chair) {
            const CCardSprite* first = scene.GetSprite(chair * count);
            const CCardSprite* last = scene.GetSprite(chair * count + count - 1);
            out << first->Record().view << ':' << first->GetX() << ',' << first->GetY() << '/' << last->GetX() << ','
                << last->GetY() << ' ' << first->GetFace()->GetWidth() << 'x' << first->GetFace()->GetHeight() << ' '
                << first->GetAngle() << ';';
        }
        return out.str();
    }

    CCardGameScene* m_scene {};
};

TEST_F(CardGameSceneTest, HandsOfEveryViewAtBothAreaSizes)
{
    struct Case {
        engine::EngineRect area;
        int count;
        const char* dump;
    };
    const Case cases[] = {
        { { 0, 0, 800, 600 }, 27,
          "0:192,504/608,504 71x96 0;1:82,408/82,200 50x68 270;2:508,82/300,82 50x68 0;3:718,192/718,400 50x68 90;" },
        { { 0, 0, 800, 600 }, 13,
          "0:304,504/496,504 71x96 0;1:82,352/82,256 50x68 270;2:452,82/356,82 50x68 0;3:718,248/718,344 50x68 90;" },
        { { 0, 0, 800, 600 }, 1,
          "0:400,504/400,504 71x96 0;1:82,304/82,304 50x68 270;2:404,82/404,82 50x68 0;3:718,296/718,296 50x68 90;" },
        { { 0, 0, 1050, 700 }, 27,
          "0:265,597/785,597 82x110 0;1:82,458/82,250 50x68 270;2:633,82/425,82 50x68 0;3:968,242/968,450 50x68 90;" },
        { { 0, 0, 1050, 700 }, 13,
          "0:405,597/645,597 82x110 0;1:82,402/82,306 50x68 270;2:577,82/481,82 50x68 0;3:968,298/968,394 50x68 90;" },
        { { 0, 0, 1050, 700 }, 1,
          "0:525,597/525,597 82x110 0;1:82,354/82,354 50x68 270;2:529,82/529,82 50x68 0;3:968,346/968,346 50x68 90;" },
    };
    for (const Case& c : cases) {
        CCardGameScene* scene = MakeScene(m_app, c.area);
        DealAll(*scene, c.count);
        scene->SetArea(c.area);
        EXPECT_EQ(DumpHands(*scene, c.count), c.dump) << c.area.right << ' ' << c.count;
    }
}

TEST_F(CardGameSceneTest, ButtonsBoardsAndSettingsAtBothAreaSizes)
{
    struct Case {
        engine::EngineRect area;
        int32_t large_width, large_height;
        const char* dump;
    };
    const Case cases[] = {
        // Start, throw, pass, hint, the six sort buttons, auto-play, check
        // result, ask card view; the seat boards; the pass hint.
        { { 0, 0, 800, 600 }, 71, 96,
          "400,450;400,399;320,399;480,399;693,583;723,583;753,583;783,583;633,583;663,583;37,582;107,582;35,580;"
          "v0:400,570;v1:29,300;v2:400,30;v3:770,300;hint:400,427" },
        // The start button ignores the area's corner.
        { { 10, 20, 1060, 720 }, 71, 110,
          "525,525;535,505;455,505;615,505;953,703;983,703;1013,703;1043,703;893,703;923,703;47,702;117,702;45,700;"
          "v0:535,690;v1:39,370;v2:535,50;v3:1030,370;hint:535,533" },
    };
    for (const Case& c : cases) {
        CCardGameScene* scene = MakeScene(m_app, c.area);
        std::ostringstream out;
        for (int b = 0; b < static_cast<int>(Button::Count); ++b) {
            const engine::CGuiButton* button = scene->GetButton(static_cast<Button>(b));
            out << button->GetX() << ',' << button->GetY() << ';';
        }
        for (int view = 0; view < 4; ++view)
            out << 'v' << view << ':' << scene->GetSeatBoard(view)->GetX() << ','
                << scene->GetSeatBoard(view)->GetY() << ';';
        out << "hint:" << scene->GetPassHint()->GetX() << ',' << scene->GetPassHint()->GetY();
        EXPECT_EQ(out.str(), c.dump) << c.area.right;
        EXPECT_EQ(scene->GetIntSetting(SETTING_LARGE_CARD_WIDTH), c.large_width);
        EXPECT_EQ(scene->GetIntSetting(SETTING_LARGE_CARD_HEIGHT), c.large_height);
        EXPECT_EQ(scene->GetIntSetting(SETTING_SMALL_CARD_WIDTH), 50);
        EXPECT_EQ(scene->GetIntSetting(SETTING_SMALL_CARD_HEIGHT), 68);
        EXPECT_EQ(scene->GetIntSetting(SETTING_BOARD_SMALL_HEIGHT), 60);
        EXPECT_EQ(scene->GetIntSetting(SETTING_COLOUR_A), 0x408000);
        EXPECT_EQ(scene->GetIntSetting(SETTING_COLOUR_B), 0xF67130);
        EXPECT_EQ(scene->GetIntSetting(SETTING_COLOUR_C), 0x404040);
    }
}

TEST_F(CardGameSceneTest, ThreeChairsFillOnlyTheirViews)
{
    CThreeChairApp three;
    CCardGameScene* scene = MakeScene(three, { 0, 0, 800, 600 });
    EXPECT_EQ(scene->GetChairCount(), 3);
    for (int view = 0; view < CCardGameScene::MAX_VIEWS; ++view)
        EXPECT_EQ(scene->GetSeatBoard(view) != nullptr, view < 3) << view;
    EXPECT_EQ(scene->Sprites().Count(), CCardGameScene::SPRITE_POOL);
    EXPECT_EQ(scene->GetSortType(), 1);
    EXPECT_NE(scene->GetHandCursor(), 0u);
    EXPECT_NE(scene->GetArrowCursor(), 0u);
}

TEST_F(CardGameSceneTest, LastPlayOfTheFrameworkSceneIsEmptyNotMissing)
{
    CCardGameScene* scene = MakeScene(m_app, { 0, 0, 800, 600 });
    EXPECT_EQ(scene->GetLastPlay().chair, -1);
    EXPECT_EQ(scene->GetChairTurnRecord(2).chair, -1);
    EXPECT_EQ(scene->GetChairTurnRecord(99).cards[0], -1);
}

TEST_F(CardGameSceneTest, ClearTableHidesEveryCardAndTheSortButtons)
{
    CCardGameScene* scene = MakeScene(m_app, { 0, 0, 800, 600 });
    DealAll(*scene, 13);
    scene->Sprites().At(0).state = CARD_STATE_PLAYED;
    scene->ShowGameInfoBox();
    scene->ClearTable();
    for (int i = 0; i < scene->Sprites().Count(); ++i)
        ASSERT_EQ(scene->Sprites().At(i).state, CARD_STATE_CLEARED) << i;
    for (Button b : { Button::Sort1, Button::SortBomb, Button::AutoPlay, Button::CheckResult, Button::Throw })
        EXPECT_FALSE(scene->GetButton(b)->IsActive()) << static_cast<int>(b);
    EXPECT_FALSE(scene->GetInfoBox()->IsActive());
}

TEST_F(CardGameSceneTest, SortButtonsFollowTheSeatAndTheRoom)
{
    struct Case {
        int own_chair;
        bool random_room;
        bool show;
        bool sort_active, check_active, ask_active;
    };
    const Case cases[] = {
        { 0, false, true, true, true, true },   { 0, false, false, false, false, true },
        { 0, true, false, true, true, true },   { -1, false, false, true, true, false },
        { -1, false, true, true, true, true },
    };
    for (const Case& c : cases) {
        SetOwnChair(c.own_chair);
        m_app.Records().Room().configs = c.random_room ? client::ROOM_CONFIG_RANDOM_SEATS : 0;
        CCardGameScene* scene = MakeScene(m_app, { 0, 0, 800, 600 });
        for (int b = 0; b < static_cast<int>(Button::Count); ++b)
            scene->GetButton(static_cast<Button>(b))->Activate();
        scene->ShowSortButtons(c.show);
        EXPECT_EQ(scene->GetButton(Button::SortBig)->IsActive(), c.sort_active) << c.own_chair << c.show;
        EXPECT_EQ(scene->GetButton(Button::CheckResult)->IsActive(), c.check_active) << c.own_chair << c.show;
        EXPECT_EQ(scene->GetButton(Button::AskCardView)->IsActive(), c.ask_active) << c.own_chair << c.show;
    }
}

TEST_F(CardGameSceneTest, RetiringPlayedCardsTouchesOnlyTheCurrentPlay)
{
    CCardGameScene* scene = MakeScene(m_app, { 0, 0, 800, 600 });
    DealAll(*scene, 2);
    auto& sprites = scene->Sprites();
    scene->RetirePlayedCards(-1);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(sprites.At(i).state, CARD_STATE_HAND) << i;
    sprites.At(0).state = CARD_STATE_PLAYED;   // chair 0
    sprites.At(2).state = CARD_STATE_PLAYED;   // chair 1
    scene->GetSeatBoard(scene->ChairToView(1))->ShowReady();
    scene->RetirePlayedCards(1);
    EXPECT_EQ(sprites.At(0).state, CARD_STATE_PLAYED);
    EXPECT_EQ(sprites.At(2).state, CARD_STATE_OLD_PLAY);
    EXPECT_FALSE(scene->GetSeatBoard(scene->ChairToView(1))->GetMark()->IsVisible());
    scene->RetirePlayedCards(-1);
    EXPECT_EQ(sprites.At(0).state, CARD_STATE_OLD_PLAY);
}

TEST_F(CardGameSceneTest, InfoBoxIsMadeOnceAndFadesInOutsideReplays)
{
    for (const bool replay : { false, true }) {
        m_app.SetReplayMode(replay ? 1 : 0);
        CCardGameScene* scene = MakeScene(m_app, { 30, 40, 830, 640 });
        scene->ShowGameInfoBox();
        engine::CCanvasObject* box = scene->GetInfoBox();
        const engine::CGuiDigitText* digits = scene->GetInfoDigits();
        scene->ShowGameInfoBox();
        EXPECT_EQ(scene->GetInfoBox(), box);
        EXPECT_EQ(scene->GetInfoDigits(), digits);
        EXPECT_EQ(box->GetX(), 30 + 10 + 75);
        EXPECT_EQ(box->GetY(), 40 + 10 + 35);
        EXPECT_TRUE(box->IsActive());
        EXPECT_EQ(box->GetAlpha(), replay ? 1.0 : 0.0) << replay;
    }
    m_app.SetReplayMode(0);
}

TEST_F(CardGameSceneTest, MatchInfoBoxTitleOnlyForFixedRounds)
{
    m_app.Records().Launch().user_id = 555;
    m_app.Records().TablePlayer(0)->user_id = 555;
    for (const char* system : { "定局淘汰", "打立出局" }) {
        client::CopyTextField(m_app.Records().Match().match_name, system);
        CCardGameScene* scene = MakeScene(m_app, { 0, 0, 800, 600 });
        m_text->drawn.clear();
        scene->ShowMatchInfoBox();
        const std::vector<std::string> texts = DrawnTexts();
        const bool titled = std::find(texts.begin(), texts.end(), "本轮第0局") != texts.end();
        EXPECT_EQ(titled, std::string(system) == "定局淘汰") << system;
        EXPECT_NE(std::find(texts.begin(), texts.end(), std::string("赛制    : ") + system), texts.end());
    }
}

TEST_F(CardGameSceneTest, ARunningGameIsNotResetWhenTheSceneIsMade)
{
    for (const int32_t word15 : { 0, 1 }) {
        (void)m_app.GetGameStateHolder()->SetTableWord15(word15);
        auto owned = std::make_unique<CScoreScene>(m_app);
        CScoreScene* scene = owned.get();
        m_engine.m_objects->AddObject(std::move(owned), nullptr);
        EXPECT_EQ(scene->resets, word15 == 0 ? 1 : 0);
    }
}

TEST_F(CardGameSceneTest, SeatScoresFollowTheMatchList)
{
    SetOwnChair(1);
    for (int chair = 0; chair < client::PLDK_CHAIRS; ++chair)
        m_app.Records().Seat(chair)->chair = chair;
    auto owned = std::make_unique<CScoreScene>(m_app);
    CScoreScene* scene = owned.get();
    m_engine.m_objects->AddObject(std::move(owned), nullptr);
    auto& records = m_app.Records();
    records.Ranking().entries[0].score = 70;
    scene->UpdateSeatScores();   // no list: the own board shows the first entry
    EXPECT_EQ(scene->Shown(0), 70);
    EXPECT_EQ(scene->Shown(1), -1);

    records.Table().player_count = 3;
    records.Ranking().entry_count = 3;
    const int32_t users[] = { 102, 101, 999 };   // the third sits nowhere and ends the walk
    for (int i = 0; i < 3; ++i) {
        records.Ranking().entries[i].user_id = users[i];
        records.Ranking().entries[i].score = 10 * (i + 1);
    }
    records.Ranking().entries[3] = { 103, 40 };
    scene->UpdateSeatScores();
    EXPECT_EQ(scene->Shown(scene->ChairToView(2)), 10);
    EXPECT_EQ(scene->Shown(0), 20);
    EXPECT_EQ(scene->Shown(scene->ChairToView(3)), -1);
}

TEST_F(CardGameSceneTest, StartButtonAndPassHintFlashComeBack)
{
    CCardGameScene* scene = MakeScene(m_app, { 0, 0, 800, 600 });
    scene->ShowStartButton();
    EXPECT_TRUE(scene->GetButton(Button::Start)->IsActive());
    scene->PlayStartEffect();
    EXPECT_TRUE(scene->GetPassHint()->IsActive());
    Run(1000);
    EXPECT_FALSE(scene->GetPassHint()->IsActive());
    scene->PlayStartEffect();
    EXPECT_TRUE(scene->GetPassHint()->IsActive());
}

TEST_F(CardGameSceneTest, ReplayBoardOfTheRoomInReplayModeGoesWithTheScene)
{
    AddImage("Rep_bitBoard", 500, 40);
    struct Case {
        bool replay;
        bool match;
        const char* made;
    };
    for (const Case c : { Case { false, false, "none" }, { true, false, "standard" }, { true, true, "upload" } }) {
        m_app.SetReplayMode(c.replay ? 1 : 0);
        m_app.Records().SetMatchRoom(c.match);
        CCardGameScene* scene = MakeScene(m_app, { 0, 0, 800, 600 });
        scene->CreateInfoBoard();
        CEngineObject* board = scene->GetReplayBoard();
        const char* made = dynamic_cast<CReplayUploadBoard*>(board) != nullptr ? "upload"
                           : dynamic_cast<CReplayBoard*>(board) != nullptr  ? "standard"
                                                                            : "none";
        EXPECT_STREQ(made, c.made);
        if (board == nullptr)
            continue;
        EXPECT_TRUE(board->IsActive());
        const uint32_t board_id = board->GetId();
        m_engine.m_objects->DestroyObject(scene->GetId());
        EXPECT_EQ(m_engine.m_objects->FindObject(board_id), nullptr) << "the board holds the scene's host";
    }
}

} // namespace
} // namespace scene::test

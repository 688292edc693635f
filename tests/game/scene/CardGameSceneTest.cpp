#include <algorithm>
#include <sstream>
#include <functional>
#include <tuple>
#include <utility>

#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiDigitText.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/CardGameScene.h"
#include "game/scene/CardGameSelection.h"
#include "game/scene/GameSetBoard.h"
#include "game/scene/ReplayPanel.h"
#include "game/scene/ReplaySceneHost.h"
#include "game/scene/SceneRecorders.h"
#include "game/scene/TableMessages.h"
#include "game/scene/SeatBoard.h"
#include "client/AppFakes.h"
#include "client/CCardGameConnection.h"
#include "client/CRefusalLog.h"
#include "client/panel/CGameFrameUI.h"
#include "client/panel/CLookOnRequestBox.h"
#include "engine/core/InputState.h"
#include "platform/MessageBox.h"
#include "platform/ByteOrder.h"
#include "game/rules/CardPlay.h"
#include "game/rules/CardRules.h"
#include "game/rules/CardTestSupport.h"

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
        // The other seats' cards are hidden, unknown to this client.
        for (int i = c.count; i < scene->Sprites().Count(); ++i)
            scene->Sprites().At(i).card = -1;
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
    m_engine.m_objects->DestroyObject(scene->GetId()); // before its application
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

    // A listed player seated nowhere does not stop the scores after him.
    const int32_t later[] = { 999, 103, 102 };
    for (int i = 0; i < 3; ++i)
        records.Ranking().entries[i] = { later[i], 100 + i };
    scene->UpdateSeatScores();
    EXPECT_EQ(scene->Shown(scene->ChairToView(3)), 101);
    EXPECT_EQ(scene->Shown(scene->ChairToView(2)), 102);
}

TEST_F(CardGameSceneTest, StartButtonAndPassHintFlashComeBack)
{
    CCardGameScene* scene = MakeScene(m_app, { 0, 0, 800, 600 });
    scene->ShowStartButton();
    EXPECT_TRUE(scene->GetButton(Button::Start)->IsActive());
    scene->PlayStartEffect();
    EXPECT_TRUE(scene->GetPassHint()->IsActive());
    Run(1000);
    EXPECT_TRUE(scene->GetPassHint()->IsActive()) << "up long enough to be read";
    Run(CCardGameScene::PASS_HINT_SHOWN_MS);
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

TEST_F(CardGameSceneTest, TheLocalTestSeatsEveryPlaceholderPlayerAtStartAndAHallStartOnlyTheOwnChair)
{
    // Every chair is taken (the fixture's seats); the own chair is 1.
    m_app.Records().Launch().chair_no = 1;
    for (const int run_mode : { client::RUN_MODE_STAND_ALONE, 0 }) {
        m_app.SetRunMode(run_mode);
        CCardGameScene* scene = MakeScene(m_app, { 0, 0, 800, 600 });
        scene->OnStart();
        for (int chair = 0; chair < client::PLDK_CHAIRS; ++chair) {
            const bool seated = run_mode == client::RUN_MODE_STAND_ALONE || chair == 1;
            EXPECT_EQ(scene->GetSeatBoard(scene->ChairToView(chair))->GetChair(), seated ? chair : -1)
                << "run mode " << run_mode << ", chair " << chair;
        }
        m_engine.m_objects->DestroyObject(scene->GetId());
    }
}

TEST_F(CardGameSceneTest, ReplayFromTheCommandLineSeatsItsRecordingPlayerAtTheBottom)
{
    AddImage("Rep_bitBoard", 500, 40);
    client::CClientRecords& records = m_app.Records();
    // A round recorded by the player on chair 2.
    records.Launch().user_id = 102;
    records.Launch().chair_no = 2;
    m_app.SetReplayMode(1);
    CCardGameScene* recorder = MakeScene(m_app, { 0, 0, 800, 600 });
    recorder->CreateInfoBoard();
    auto* board = dynamic_cast<CReplayPanel*>(recorder->GetReplayBoard());
    ASSERT_NE(board, nullptr);
    board->StartRecording();
    board->RecordTableInfo();
    board->RecordEvent(GR_GAME_START, {});
    const ReplaySaveResult saved = board->SaveRecording(true);
    ASSERT_TRUE(saved.written);
    m_engine.m_objects->DestroyObject(recorder->GetId());

    // The client opening it knows no chair of its own before the file is read.
    records.Launch().chair_no = 0;
    m_app.SetCommandLine("\"" + saved.path + "\"");
    m_app.OpenReplayFromCommandLine();
    CCardGameScene* scene = MakeScene(m_app, { 0, 0, 800, 600 });
    scene->CreateInfoBoard();
    scene->OnStart();
    EXPECT_EQ(records.GetChairNO(), 2);
    EXPECT_EQ(scene->ChairToView(2), 0);
    EXPECT_EQ(scene->ChairToView(0), 2);
    EXPECT_EQ(scene->GetSeatBoard(0)->GetChair(), 2);
    m_engine.m_objects->DestroyObject(scene->GetId());

    // The same replay opened from the board during a session turns the table
    // the same way.
    records.Launch().chair_no = 0;
    CCardGameScene* session = MakeScene(m_app, { 0, 0, 800, 600 });
    session->CreateInfoBoard();
    m_app.SetReplayMode(0);
    session->OnStart();
    ASSERT_EQ(session->ChairToView(0), 0);
    auto* session_board = dynamic_cast<CReplayPanel*>(session->GetReplayBoard());
    ASSERT_NE(session_board, nullptr);
    ASSERT_TRUE(session_board->OpenReplayFile(saved.path));
    EXPECT_EQ(session->ChairToView(2), 0);
    EXPECT_EQ(session->ChairToView(0), 2);
    EXPECT_EQ(session->GetSeatBoard(0)->GetChair(), 2);
    m_engine.m_objects->DestroyObject(session->GetId());
    m_app.SetReplayMode(0);
}

TEST_F(CardGameSceneTest, AReplaysClockStandsUnlessTheReplayPlaysAndItsChatStartsAgainWithIt)
{
    AddImage("Rep_bitBoard", 500, 40);
    CChatSink chat;
    client::AppLinks links = m_app.Links();
    links.side_panel = &chat;
    m_app.SetLinks(links);
    // A replay of 20 s: the start, a record (played as play is pressed) and
    // one at its end.
    CFixedReplayEnv env;
    CReplayDispatchHost host(m_app);
    auto owned = std::make_unique<CReplayBoard>(m_app, host, env);
    CReplayBoard* recorder = owned.get();
    m_engine.m_objects->AddObject(std::move(owned), nullptr);
    recorder->StartRecording();
    recorder->RecordTableInfo();
    recorder->RecordEvent(GR_GAME_START, {});
    env.tick += 1000;
    recorder->RecordEvent(221170, {});
    env.tick += 19000;
    recorder->RecordEvent(221170, {});
    const ReplaySaveResult saved = recorder->SaveRecording(true);
    ASSERT_TRUE(saved.written);
    m_engine.m_objects->DestroyObject(recorder->GetId());

    m_app.SetReplayMode(1);
    CCardGameScene* scene = MakeScene(m_app, { 0, 0, 800, 600 });
    scene->CreateInfoBoard();
    auto* board = dynamic_cast<CReplayPanel*>(scene->GetReplayBoard());
    ASSERT_NE(board, nullptr);
    ASSERT_TRUE(board->OpenReplayFile(saved.path));
    scene->StartClock();
    scene->GetClock()->SetValue(25);
    const auto press = [&](uint32_t id) { board->SendEvent({ board->GetId(), id, 0, 0 }); };
    Run(3000);
    EXPECT_EQ(scene->GetClock()->GetValue(), 25) << "before play is pressed";
    press(GAMEMSG_REPLAY_PLAY);
    Run(2500);
    const int32_t played = scene->GetClock()->GetValue();
    EXPECT_TRUE(played == 23 || played == 22) << played;
    press(GAMEMSG_REPLAY_PLAY); // pause
    Run(3000);
    EXPECT_EQ(scene->GetClock()->GetValue(), played) << "paused";
    chat.lines = { "the round's header" };
    press(GAMEMSG_REPLAY_RESTART);
    EXPECT_TRUE(chat.lines.empty()) << "the first record's lines come once more, not twice";
    scene->GetClock()->SetValue(25);
    Run(3000);
    EXPECT_EQ(scene->GetClock()->GetValue(), 25) << "stopped";
    m_engine.m_objects->DestroyObject(scene->GetId());
    m_app.SetReplayMode(0);
    links.side_panel = nullptr;
    m_app.SetLinks(links);
}

// --- Table events -----------------------------------------------------------

// A body of size bytes with words set at byte offsets.
std::vector<uint8_t> Body(size_t size, const std::vector<std::pair<size_t, int32_t>>& words)
{
    std::vector<uint8_t> body(size, 0);
    for (const auto& [offset, value] : words)
        for (size_t b = 0; b < 4 && offset + b < size; ++b)
            body[offset + b] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * b));
    return body;
}

int32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset)
{
    return offset + 4 <= bytes.size() ? static_cast<int32_t>(platform::LoadU32LE(bytes.data() + offset)) : -999;
}

class TableEventTest : public CardGameSceneTest {
protected:
    TableEventTest()
    {
        m_app.Records().Launch().user_id = 100;
        for (int chair = 0; chair < client::PLDK_CHAIRS; ++chair)
            m_app.Records().Seat(chair)->chair = chair;
        client::AppLinks links;
        links.side_panel = &m_chat;
        links.connection = &m_connection;
        m_app.SetLinks(links);
        m_scene = MakeScene(m_app, { 0, 0, 800, 600 });
        DealAll(*m_scene, 13);
    }
    client::ICardGameSceneHooks& Hooks() { return *m_scene->GetTableHooks(); }
    // A play of chair with the cards, the turn going to next.
    void Throw(int32_t chair, int32_t next, int32_t type, std::initializer_list<int32_t> cards)
    {
        // The rules' own reading gives the play's strength, as the server's would.
        const std::vector<int32_t> ids(cards);
        const std::optional<rules::CardPlay> reading = ReadCardGameThrow(chair, ids, LastPlay {});
        std::vector<std::pair<size_t, int32_t>> words { { 12, chair }, { 20, next }, { 28, 20 }, { 48, type },
                                                        { 60, static_cast<int32_t>(cards.size()) } };
        if (reading && reading->type == type) {
            words.emplace_back(52, reading->beat_mask);
            words.emplace_back(56, reading->strength);
        }
        size_t offset = 64;
        for (int32_t card : cards)
            words.emplace_back(std::exchange(offset, offset + 4), card);
        Hooks().OnCardsThrown(Body(offset, words));
    }
    int ActiveChair() { return m_app.GetGameState().GetTableWord14(); }

    CChatSink m_chat;
    CRecordingConnection m_connection { m_app };
};

TEST_F(TableEventTest, PlayThenPassWithNewLeadMovesTheTurnAndRetiresThePlay)
{
    Throw(1, 0, rules::CARD_TYPE_PAIR, { 5, 6 });
    EXPECT_EQ(m_scene->GetLastPlay().chair, 1);
    EXPECT_EQ(m_scene->GetLastCardPlay().play.count, 2);
    EXPECT_EQ(m_scene->GetLastPlay().cards[1], 6);
    EXPECT_EQ(m_scene->GetLastPlay().cards[2], -1);
    int played = 0;
    for (int i = 0; i < m_scene->Sprites().Count(); ++i) {
        const CardSpriteState& s = m_scene->Sprites().At(i);
        if (s.state == CARD_STATE_PLAYED) {
            ++played;
            EXPECT_EQ(s.chair, 1);
            EXPECT_TRUE(s.card == 5 || s.card == 6) << s.card;
        }
    }
    EXPECT_EQ(played, 2);
    EXPECT_EQ(ActiveChair(), 0);
    EXPECT_EQ(m_scene->GetClock()->GetValue(), 20);
    EXPECT_TRUE(m_scene->GetSeatBoard(0)->IsHighlighted());
    EXPECT_FALSE(m_scene->GetSeatBoard(m_scene->ChairToView(1))->IsHighlighted());
    // The own turn follows a play: all three play buttons are up.
    for (Button b : { Button::Throw, Button::Pass, Button::Hint })
        EXPECT_TRUE(m_scene->GetButton(b)->IsActive()) << static_cast<int>(b);

    Hooks().OnPlayerPassed(Body(36, { { 8, 0 }, { 16, 3 }, { 20, 1 }, { 32, 15 } }));
    EXPECT_EQ(m_scene->GetLastPlay().chair, -1);
    EXPECT_EQ(ActiveChair(), 3);
    EXPECT_EQ(m_scene->GetClock()->GetValue(), 15);
    EXPECT_EQ(m_scene->Hand()->CountSprites(1, CARD_STATE_PLAYED), 0);
    EXPECT_EQ(m_scene->Hand()->CountSprites(1, CARD_STATE_OLD_PLAY), 2);
    EXPECT_FALSE(m_scene->GetButton(Button::Throw)->IsActive());
}

TEST_F(TableEventTest, HostileBodiesChangeNothing)
{
    using Hook = std::function<void(client::ICardGameSceneHooks&)>;
    const std::pair<const char*, Hook> cases[] = {
        { "play of chair 7", [](auto& h) { h.OnCardsThrown(Body(72, { { 12, 7 }, { 60, 2 } })); } },
        { "play of chair -1", [](auto& h) { h.OnCardsThrown(Body(72, { { 12, -1 }, { 60, 2 } })); } },
        { "play to chair 9", [](auto& h) { h.OnCardsThrown(Body(72, { { 12, 1 }, { 20, 9 }, { 60, 2 } })); } },
        { "65 cards", [](auto& h) { h.OnCardsThrown(Body(64 + 4 * 65, { { 12, 1 }, { 60, 65 } })); } },
        { "negative count", [](auto& h) { h.OnCardsThrown(Body(72, { { 12, 1 }, { 60, -1 } })); } },
        { "count past the body", [](auto& h) { h.OnCardsThrown(Body(72, { { 12, 1 }, { 60, 5 } })); } },
        { "short play", [](auto& h) { h.OnCardsThrown(Body(40, { { 12, 1 } })); } },
        { "pass of chair 4", [](auto& h) { h.OnPlayerPassed(Body(36, { { 8, 4 }, { 20, 1 } })); } },
        { "pass to chair -2", [](auto& h) { h.OnPlayerPassed(Body(36, { { 16, -2 }, { 20, 1 } })); } },
        { "short pass", [](auto& h) { h.OnPlayerPassed(Body(32, { { 20, 1 } })); } },
        { "hand of chair 4", [](auto& h) { h.OnSetHandCards(Body(24, { { 4, 4 }, { 8, 3 } })); } },
        { "hand of 65", [](auto& h) { h.OnSetHandCards(Body(12 + 4 * 65, { { 4, 1 }, { 8, 65 } })); } },
        { "hand past the body", [](auto& h) { h.OnSetHandCards(Body(20, { { 4, 1 }, { 8, 3 } })); } },
        { "turn of chair 99", [](auto& h) { h.OnTableEvent221165(Body(8, { { 4, 99 } })); } },
        { "short view reply", [](auto& h) { h.OnCardViewReply(Body(20, {})); } },
        { "unknown asker", [](auto& h) { h.OnCardViewRequest(Body(4, { { 0, 999 } })); } },
        { "start of chair 9", [](auto& h) { h.OnPlayerStarted(9); } },
        { "unknown offline", [](auto& h) { h.OnPlayerOffline(999); } },
    };
    m_app.GetGameState().SetTableWord14(2);
    std::vector<CardSpriteState> before;
    for (int i = 0; i < m_scene->Sprites().Count(); ++i)
        before.push_back(m_scene->Sprites().At(i));
    for (const auto& [name, hook] : cases) {
        hook(Hooks());
        EXPECT_EQ(m_scene->GetLastPlay().chair, -1) << name;
        EXPECT_EQ(ActiveChair(), 2) << name;
        EXPECT_TRUE(m_chat.lines.empty()) << name;
        EXPECT_TRUE(m_connection.sent.empty()) << name;
        for (int i = 0; i < m_scene->Sprites().Count(); ++i) {
            const CardSpriteState& s = m_scene->Sprites().At(i);
            ASSERT_TRUE(s.card == before[size_t(i)].card && s.chair == before[size_t(i)].chair
                        && s.state == before[size_t(i)].state)
                << name << " sprite " << i;
        }
    }
}

TEST_F(TableEventTest, CountsAndChairsOutOfRangeAreRefusedWithALine)
{
    using Hook = std::function<bool(client::ICardGameSceneHooks&)>;
    const std::pair<const char*, Hook> cases[] = {
        { "65 cards", [](auto& h) { return h.OnCardsThrown(Body(64 + 4 * 65, { { 12, 1 }, { 60, 65 } })); } },
        { "negative count", [](auto& h) { return h.OnCardsThrown(Body(72, { { 12, 1 }, { 60, -1 } })); } },
        { "hand of chair 4", [](auto& h) { return h.OnSetHandCards(Body(24, { { 4, 4 }, { 8, 3 } })); } },
        { "hand of 65", [](auto& h) { return h.OnSetHandCards(Body(12 + 4 * 65, { { 4, 1 }, { 8, 65 } })); } },
        { "hand of -3", [](auto& h) { return h.OnSetHandCards(Body(12, { { 4, 1 }, { 8, -3 } })); } },
    };
    for (const auto& [name, hook] : cases) {
        const uint64_t refused = client::CRefusalLog::Instance().GetCount();
        EXPECT_FALSE(hook(Hooks())) << name;
        EXPECT_EQ(client::CRefusalLog::Instance().GetCount(), refused + 1) << name;
    }
}

TEST_F(TableEventTest, ChatLinesAndRequestsOfSeatEvents)
{
    Hooks().OnPlayerStarted(0);
    EXPECT_TRUE(m_chat.lines.empty()) << "own start writes nothing";
    Hooks().OnPlayerStarted(2);
    ASSERT_EQ(m_chat.lines.size(), 1u);
    EXPECT_NE(m_chat.lines[0].find("player2"), std::string::npos);
    EXPECT_NE(m_chat.lines[0].find("已经开始"), std::string::npos);

    // The own chair dropping asks to rejoin and writes nothing.
    Hooks().OnPlayerOffline(100);
    ASSERT_EQ(m_connection.sent.size(), 1u);
    EXPECT_EQ(m_connection.sent[0].first, client::GR_SEND_GAME_DATA);
    EXPECT_EQ(WordAt(m_connection.sent[0].second, 8), GAMEDATA_REJOIN);
    EXPECT_EQ(WordAt(m_connection.sent[0].second, 16), 0);
    EXPECT_EQ(m_chat.lines.size(), 1u);
    Hooks().OnPlayerOffline(103);
    ASSERT_EQ(m_chat.lines.size(), 2u);
    EXPECT_NE(m_chat.lines[1].find("player3掉线了!"), std::string::npos);
    EXPECT_TRUE(m_scene->GetSeatBoard(m_scene->ChairToView(3))->IsOffline());

    Hooks().OnCardViewReply(Body(24, { { 0, 101 }, { 12, 1 }, { 16, 102 }, { 20, 1 } }));
    ASSERT_EQ(m_chat.lines.size(), 3u);
    EXPECT_NE(m_chat.lines[2].find("player1允许player2看牌"), std::string::npos);
}

TEST_F(TableEventTest, SequencesAreShownStrongestFirstUnlessSortedByCount)
{
    using rules::test::Card;
    Throw(1, 2, rules::CARD_TYPE_STRAIGHT, { Card(5, 0), Card(6, 1), Card(7, 2), Card(8, 3), Card(9, 0) });
    const TurnRecord last = m_scene->GetLastPlay();
    EXPECT_EQ((std::vector<int32_t> { last.cards[0], last.cards[4] }), (std::vector<int32_t> { Card(9, 0), Card(5, 0) }));
    // A pair keeps the server's order.
    Throw(2, 3, rules::CARD_TYPE_PAIR, { Card(5, 0), Card(5, 1) });
    EXPECT_EQ(m_scene->GetLastPlay().cards[0], Card(5, 0));
}

TEST_F(TableEventTest, ThrowSoundsByTypeAndCount)
{
    const std::tuple<int32_t, int32_t, const char*> cases[] = {
        { rules::CARD_TYPE_BOMB, 3, "" },          { rules::CARD_TYPE_BOMB, 4, "Snd_Bomb4" },
        { rules::CARD_TYPE_BOMB, 6, "Snd_Bomb6" }, { rules::CARD_TYPE_BOMB, 8, "Snd_Bomb78" },
        { rules::CARD_TYPE_FOUR_JOKERS, 4, "Snd_4King" }, { rules::CARD_TYPE_PAIR, 2, "Snd_Throw" },
    };
    for (const auto& [type, count, sound] : cases) {
        m_music->played.clear();
        m_scene->PlayThrowSound(type, count);
        EXPECT_EQ(m_music->played, *sound ? std::vector<std::string> { sound } : std::vector<std::string> {})
            << type << ' ' << count;
    }
}

// --- Turn flow, buttons and game data ----------------------------------------

class TurnFlowTest : public TableEventTest {
protected:
    // The own hand becomes cards (the dealt ones go).
    void GiveOwnHand(std::vector<int32_t> cards)
    {
        size_t next = 0;
        for (int i = 0; i < m_scene->Sprites().Count(); ++i) {
            CardSpriteState& s = m_scene->Sprites().At(i);
            if (s.chair != 0 && s.chair != -1)
                continue;
            s = CardSpriteState {};
            if (next < cards.size()) {
                s.row_index = static_cast<int32_t>(next);
                s.card = cards[next++];
                s.chair = 0;
                s.view = 0;
                s.state = CARD_STATE_HAND;
                s.face_up = true;
            }
        }
        (void)m_scene->Hand()->RenumberHand(0);
    }
    // "id" or "id/sub-id" for each request sent.
    [[nodiscard]] std::vector<std::string> Sent() const
    {
        std::vector<std::string> out;
        for (const auto& [id, bytes] : m_connection.sent)
            out.push_back(id == client::GR_SEND_GAME_DATA ? std::to_string(id) + "/" + std::to_string(WordAt(bytes, 8))
                                                           : std::to_string(id));
        return out;
    }
};

TEST_F(TurnFlowTest, TimeOutPassesAsksForAutoPlayAndReportsEveryTenTicks)
{
    using rules::test::Card;
    GiveOwnHand({ Card(3, 0), Card(4, 1), Card(6, 2), Card(8, 3) });
    Throw(1, 0, rules::CARD_TYPE_SINGLE, { rules::test::BigJoker() });
    ASSERT_TRUE(m_scene->GetButton(Button::Pass)->IsActive());
    m_scene->GetClock()->SetValue(1);
    m_scene->OnClockTick();
    EXPECT_EQ(m_scene->GetClock()->GetValue(), 0);
    EXPECT_TRUE(m_connection.sent.empty());
    for (int tick = 1; tick <= 23; ++tick)
        m_scene->OnClockTick();
    const std::string pass = std::to_string(client::GR_PASS);
    const std::string data = std::to_string(client::GR_SEND_GAME_DATA) + "/";
    EXPECT_EQ(Sent(), (std::vector<std::string> { pass, data + std::to_string(GAMEDATA_AUTOPLAY_ON),
                                                  data + std::to_string(GAMEDATA_TIMEOUT),
                                                  data + std::to_string(GAMEDATA_TIMEOUT),
                                                  data + std::to_string(GAMEDATA_TIMEOUT) }));
    // The pass names the own user, room, chair, table and the last play's chair.
    const std::vector<uint8_t>& record = m_connection.sent[0].second;
    ASSERT_EQ(record.size(), client::PASS_RECORD_BYTES);
    EXPECT_EQ(WordAt(record, 0), 100);
    EXPECT_EQ(WordAt(record, 8), 0);
    EXPECT_EQ(WordAt(record, 16), 1);
    EXPECT_FALSE(m_scene->GetButton(Button::Pass)->IsActive());
}

TEST_F(TurnFlowTest, HopelessShortHandPassesByItselfAfterTheWait)
{
    using rules::test::Card;
    GiveOwnHand({ Card(3, 0), Card(4, 1) });
    Throw(1, 0, rules::CARD_TYPE_TRIPLE, { Card(9, 0), Card(9, 1), Card(9, 2) });
    EXPECT_TRUE(m_connection.sent.empty());
    m_engine.Tick(300, 5);
    EXPECT_EQ(Sent(), std::vector<std::string> { std::to_string(client::GR_PASS) });
}

TEST_F(TurnFlowTest, AutoPlayCoolDownCountsTheSecondsLeft)
{
    m_scene->OnGameData(GameData(GAMEDATA_AUTOPLAY_ON, { 0 }, 4));
    EXPECT_TRUE(m_scene->IsAutoPlay());
    m_scene->OnGameData(GameData(GAMEDATA_AUTOPLAY_OFF, { 0 }, 4));
    EXPECT_FALSE(m_scene->IsAutoPlay());
    ASSERT_EQ(m_chat.lines.size(), 2u);
    EXPECT_NE(m_chat.lines[1].find("游戏托管已解除"), std::string::npos);
    m_engine.m_clock.Advance(2500);
    m_scene->OnBtnAutoPlay();
    ASSERT_EQ(m_chat.lines.size(), 3u);
    EXPECT_NE(m_chat.lines[2].find("您还需要3秒"), std::string::npos);
    m_engine.m_clock.Advance(1700);
    m_scene->OnBtnAutoPlay();
    EXPECT_NE(m_chat.lines.back().find("您还需要1秒"), std::string::npos);
    EXPECT_TRUE(m_connection.sent.empty());
    m_engine.m_clock.Advance(800);
    m_scene->OnBtnAutoPlay();
    ASSERT_EQ(m_connection.sent.size(), 1u);
    EXPECT_EQ(WordAt(m_connection.sent[0].second, 8), GAMEDATA_AUTOPLAY_ON);
    EXPECT_EQ(WordAt(m_connection.sent[0].second, 20), 0) << "the own chair as body";
}

TEST_F(TurnFlowTest, GameDataLengthsAndChairsAreChecked)
{
    // Lengths past the bytes received, negative, or too short for the
    // chair; chairs outside the table.
    m_scene->OnGameData(GameData(GAMEDATA_AUTOPLAY_ON, { 0 }, 8));
    m_scene->OnGameData(GameData(GAMEDATA_AUTOPLAY_ON, { 0 }, -4));
    m_scene->OnGameData(GameData(GAMEDATA_AUTOPLAY_ON, { 0 }, 0));
    m_scene->OnGameData(GameData(GAMEDATA_AUTOPLAY_ON, { 9 }, 4));
    m_scene->OnGameData(Body(16, { { 8, GAMEDATA_AUTOPLAY_ON } }));
    EXPECT_FALSE(m_scene->IsAutoPlay());
    EXPECT_TRUE(m_chat.lines.empty());
    // A player back without an offline mark writes nothing; with one, the line.
    m_scene->OnGameData(GameData(GAMEDATA_PLAYER_BACK, { 2 }, 4));
    EXPECT_TRUE(m_chat.lines.empty());
    Hooks().OnPlayerOffline(102);
    m_scene->OnGameData(GameData(GAMEDATA_PLAYER_BACK, { 2 }, 4));
    ASSERT_EQ(m_chat.lines.size(), 2u);
    EXPECT_NE(m_chat.lines[1].find("player2重新回到了游戏!"), std::string::npos);
    EXPECT_FALSE(m_scene->GetSeatBoard(m_scene->ChairToView(2))->IsOffline());
    // A hand through game data as through its table event.
    std::vector<int32_t> hand { 0, 3, 13 };
    for (int32_t id = 20; id < 33; ++id)
        hand.push_back(id);
    m_scene->OnGameData(GameData(GAMEDATA_HAND, hand, 4 * 16));
    EXPECT_EQ(m_scene->Hand()->FindSpriteByCard(20) >= 0 ? m_scene->Sprites().At(m_scene->Hand()->FindSpriteByCard(20)).chair : -1, 3);
}

TEST_F(TurnFlowTest, ResumingARunningRoundRejoinsAndGivesTheTurnBack)
{
    m_app.GetGameState().SetTableWord14(0);
    m_scene->ResumeGame();
    EXPECT_EQ(Sent(), std::vector<std::string> { std::to_string(client::GR_SEND_GAME_DATA) + "/"
                                                 + std::to_string(GAMEDATA_REJOIN) });
    EXPECT_TRUE(m_scene->GetClock()->IsActive());
    EXPECT_TRUE(m_scene->GetSeatBoard(0)->IsHighlighted());
    EXPECT_TRUE(m_scene->GetButton(Button::Throw)->IsActive());
    EXPECT_FALSE(m_scene->GetButton(Button::Pass)->IsActive()) << "the own chair leads";
}

TEST_F(TurnFlowTest, TimeOutWhileFollowingThrowsOrPassesByThePartnersPlay)
{
    using rules::test::Card;
    struct Case {
        int32_t last_chair;
        std::vector<int32_t> hand;
        uint32_t expected;
    };
    const Case cases[] = {
        { 2, { Card(10, 0) }, client::GR_THROW_CARDS },             // the last card goes even on the partner
        { 2, { Card(10, 0), Card(12, 1) }, client::GR_PASS },       // the partner's play stands
        { 1, { Card(10, 0), Card(12, 1) }, client::GR_THROW_CARDS }, // an opponent's play is beaten
    };
    for (const Case& c : cases) {
        m_connection.sent.clear();
        GiveOwnHand(c.hand);
        Throw(c.last_chair, 0, rules::CARD_TYPE_SINGLE, { Card(5, 2) });
        m_scene->GetClock()->SetValue(0);
        m_scene->OnClockTick();
        ASSERT_FALSE(m_connection.sent.empty()) << c.last_chair << ' ' << c.hand.size();
        EXPECT_EQ(m_connection.sent[0].first, c.expected) << c.last_chair << ' ' << c.hand.size();
        m_scene->OnClockTick(); // a new zero crossing needs a second on the clock first
        m_scene->GetClock()->SetValue(1);
        m_scene->OnClockTick();
    }
}

// --- Recording hooks ----------------------------------------------------------

TEST_F(TableEventTest, RecordingStartsRecordsAndSavesByRoomKind)
{
    AddImage("Rep_bitBoard", 500, 40);
    const std::vector<uint8_t> body = Body(40, { { 0, 7 } });
    struct Case {
        bool match;
        std::vector<uint32_t> events;
        size_t recorded;
        bool saved_line;
    };
    const Case cases[] = {
        // Before a start nothing counts; start, play, pass, game data; 211300 is not recorded.
        { false, { 221170, 211040, 221170, 223100, 229500, 211300 }, 4, false },
        { false, { 211040, 221170, 211080 }, 0, true }, // saved: the board starts empty again
        { true, { 211150, 211040, 221170, 223100, 229500, 211160 }, 3, false },
    };
    for (const Case& c : cases) {
        m_app.SetReplayMode(1); // makes the board
        m_app.Records().SetMatchRoom(c.match);
        CCardGameScene* scene = MakeScene(m_app, { 0, 0, 800, 600 });
        scene->CreateInfoBoard();
        m_app.SetReplayMode(0);
        auto* board = dynamic_cast<CReplayPanel*>(scene->GetReplayBoard());
        ASSERT_NE(board, nullptr);
        m_chat.lines.clear();
        for (uint32_t id : c.events)
            scene->RecordTableEvent(id, body);
        EXPECT_EQ(board->GetReplayImage().GetEventCount(), c.recorded) << c.match << ' ' << c.events.size();
        EXPECT_EQ(!m_chat.lines.empty(), c.saved_line);
        if (c.saved_line) {
            EXPECT_NE(m_chat.lines[0].find("录像目录"), std::string::npos);
            scene->RecordTableEvent(221170, body); // nothing between a save and the next start
            EXPECT_EQ(board->GetReplayImage().GetEventCount(), 0u);
            EXPECT_FALSE(board->IsRecording());
        }
        m_engine.m_objects->DestroyObject(scene->GetId());
    }
    // Without a board nothing is recorded and nothing written.
    m_app.Records().SetMatchRoom(false);
    m_chat.lines.clear();
    for (uint32_t id : { 211040u, 221170u, 211080u })
        m_scene->RecordTableEvent(id, body);
    EXPECT_TRUE(m_chat.lines.empty());
}

// --- Select, sort and option buttons --------------------------------------------

TEST_F(TurnFlowTest, SelectButtonsRaiseTheirGroupAndASecondPressOnlyLowers)
{
    using rules::test::Card;
    GiveOwnHand({ Card(3, 0), Card(5, 0), Card(5, 1), Card(9, 0), Card(9, 1), Card(9, 2) });
    auto press = [this](uint32_t id) {
        (void)m_scene->OnEvent(engine::EngineEvent { m_scene->GetId(), id, 0, 0 });
        return m_scene->Hand()->CountRaisedCards();
    };
    EXPECT_EQ(press(GAMEMSG_BTN_SELECT_PAIRS), 2);
    EXPECT_EQ(press(GAMEMSG_BTN_SELECT_TRIPLES), 3);
    EXPECT_EQ(press(GAMEMSG_BTN_SELECT_TRIPLES), 0);
    EXPECT_EQ(m_scene->GetLastSelectButton(), 0u);
    EXPECT_EQ(press(GAMEMSG_BTN_SELECT_SINGLES), 1);
    EXPECT_EQ(press(GAMEMSG_BTN_SELECT_BOMBS), 0);
}

TEST_F(TurnFlowTest, SortButtonsStepTheSortTypeAndOptionsGoOut)
{
    auto press = [this](uint32_t id) {
        (void)m_scene->OnEvent(engine::EngineEvent { m_scene->GetId(), id, 0, 0 });
        return m_scene->GetSortType();
    };
    ASSERT_EQ(m_scene->GetSortType(), 1);
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_SIZE), 4);
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_SIZE), 1);
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_SUIT), 3);
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_SIZE), 4) << "back to 1 first, then toggled";
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_COUNT), 5);
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_COUNT), 6);
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_SUIT), 3);
    EXPECT_EQ(press(GAMEMSG_BTN_SORT_BY_SUIT), 6);

    for (uint32_t id = GAMEMSG_OPTION_1; id <= GAMEMSG_OPTION_4; ++id)
        (void)press(id);
    ASSERT_EQ(m_connection.sent.size(), 4u);
    const std::pair<int32_t, int32_t> values[] = { { 0, 1 }, { 0, 2 }, { 0, 3 }, { 1, 0 } };
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(m_connection.sent[i].first, client::GR_ID_221070);
        EXPECT_EQ(WordAt(m_connection.sent[i].second, 16), values[i].first) << i;
        EXPECT_EQ(WordAt(m_connection.sent[i].second, 20), values[i].second) << i;
    }
}

TEST_F(TurnFlowTest, HintStepsThroughUnsplitPlaysThenAllAndPassesWhenHopeless)
{
    using rules::test::Card;
    GiveOwnHand({ Card(5, 0), Card(7, 0), Card(7, 1), Card(9, 0) });
    Throw(1, 0, rules::CARD_TYPE_SINGLE, { Card(4, 2) });
    std::vector<int32_t> raised_values;
    for (int press = 0; press < 6; ++press) {
        (void)m_scene->OnEvent(engine::EngineEvent { m_scene->GetId(), GAMEMSG_BTN_HINT, 0, 0 });
        std::array<int32_t, 64> raised {};
        ASSERT_EQ(m_scene->Hand()->GetRaisedCards(raised), 1) << press;
        raised_values.push_back(rules::GetCardValue(raised[0]));
    }
    EXPECT_EQ(raised_values, (std::vector<int32_t> { rules::GetCardValue(Card(5, 0)), rules::GetCardValue(Card(9, 0)),
                                                     rules::GetCardValue(Card(5, 0)), rules::GetCardValue(Card(7, 0)),
                                                     rules::GetCardValue(Card(9, 0)), rules::GetCardValue(Card(5, 0)) }));
    EXPECT_TRUE(m_connection.sent.empty());

    GiveOwnHand({ Card(3, 0), Card(4, 1), Card(6, 2), Card(8, 3) });
    Throw(1, 0, rules::CARD_TYPE_SINGLE, { rules::test::BigJoker() });
    (void)m_scene->OnEvent(engine::EngineEvent { m_scene->GetId(), GAMEMSG_BTN_HINT, 0, 0 });
    EXPECT_EQ(Sent(), std::vector<std::string> { std::to_string(client::GR_PASS) });
}

// --- Seat refreshes ---------------------------------------------------------------

TEST_F(TableEventTest, SeatBoardsFollowTheTableRecordAndThePlayers)
{
    auto chairs = [this] {
        std::string out;
        for (int view = 0; view < 4; ++view)
            out += std::to_string(m_scene->GetSeatBoard(view)->GetChair()) + ' ';
        return out;
    };
    m_app.Records().Table().player_count = 3;
    (void)m_scene->OnEvent(engine::EngineEvent { m_scene->GetId(), 80000002, 0, 0 });
    const std::string three = chairs();
    EXPECT_EQ(m_scene->GetSeatBoard(m_scene->ChairToView(3))->GetChair(), -1) << three;
    EXPECT_EQ(m_scene->GetSeatBoard(m_scene->ChairToView(2))->GetChair(), 2) << three;

    client::GameUserRecord user {};
    client::IMainGame& game = *m_scene;
    user.chair = 3;
    game.OnPlayerEnter(user);
    EXPECT_EQ(m_scene->GetSeatBoard(m_scene->ChairToView(3))->GetChair(), 3);
    user.chair = 9; // not a chair of the table
    game.OnPlayerLeave(user);
    user.chair = 1;
    game.OnPlayerLeave(user);
    EXPECT_EQ(m_scene->GetSeatBoard(m_scene->ChairToView(1))->GetChair(), -1);
    EXPECT_EQ(m_scene->GetSeatBoard(m_scene->ChairToView(3))->GetChair(), 3);
}

// --- Mouse over the cards, the scene's buttons and the look-on requests ------------

class SceneInputTest : public TurnFlowTest {
protected:
    SceneInputTest()
    {
        client::AppLinks links = m_app.Links();
        links.main_game = m_scene;
        m_app.SetLinks(links);
    }
    int Send(uint32_t id, uintptr_t param1 = 0, uintptr_t param2 = 0)
    {
        return m_scene->OnEvent(engine::EngineEvent { m_scene->GetId(), id, param1, param2 });
    }
    // An event about the own card at a row (param1 its sprite's id).
    int CardEvent(uint32_t id, int row, const engine::InputState* input = nullptr)
    {
        const int index = m_scene->Hand()->FindHandSpriteAt(0, row);
        return Send(id, index >= 0 ? m_scene->GetSprite(index)->GetId() : 0, reinterpret_cast<uintptr_t>(input));
    }
    const CardSpriteState& Row(int row) { return m_scene->Sprites().At(m_scene->Hand()->FindHandSpriteAt(0, row)); }
    // The cursor just inside the left edge of a row's card.
    engine::InputState Over(int row)
    {
        engine::InputState input;
        input.state = engine::InputState::LEFT_DOWN;
        input.x = static_cast<int32_t>(m_scene->GetSprite(m_scene->Hand()->FindHandSpriteAt(0, row))->GetFace()->GetLeft()) + 1;
        return input;
    }
    panel::CLookOnRequestBox* LookOnBox() const
    {
        for (uint32_t id = m_scene->GetId(); id < m_scene->GetId() + 20000; ++id)
            if (auto* box = dynamic_cast<panel::CLookOnRequestBox*>(m_engine.m_objects->FindObject(id)))
                return box;
        return nullptr;
    }
    size_t LookOnBoxCount() const
    {
        size_t count = 0;
        for (uint32_t id = m_scene->GetId(); id < m_scene->GetId() + 20000; ++id)
            count += dynamic_cast<panel::CLookOnRequestBox*>(m_engine.m_objects->FindObject(id)) != nullptr;
        return count;
    }
};

TEST_F(SceneInputTest, DragOverTheOwnCardsRaisesTheSweptRangeAndASecondDragLowersIt)
{
    using rules::test::Card;
    GiveOwnHand({ Card(3, 0), Card(5, 1), Card(7, 2), Card(9, 3), Card(11, 0), Card(13, 1) });
    m_scene->LayoutScene();
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_EQ(CardEvent(GAMEMSG_CARD_LBUTTON_DOWN, 1), 1);
        EXPECT_EQ(m_scene->GetDragStart(), 1);
        const engine::InputState over = Over(3);
        EXPECT_EQ(CardEvent(GAMEMSG_CARD_MOUSE_MOVE, 1, &over), 1);
        for (int row = 0; row < 6; ++row)
            EXPECT_EQ(Row(row).drag_mark, row >= 1 && row <= 3) << pass << ' ' << row;
        m_music->played.clear();
        EXPECT_EQ(CardEvent(GAMEMSG_CARD_LBUTTON_UP, 3), 1);
        EXPECT_EQ(m_music->played, std::vector<std::string> { "Snd_HitCard" });
        for (int row = 0; row < 6; ++row) {
            EXPECT_EQ(Row(row).raised, pass == 0 && row >= 1 && row <= 3) << pass << ' ' << row;
            EXPECT_FALSE(Row(row).drag_mark);
        }
    }
    // A card just raised by a drag is not tinted by the pointer at once.
    (void)CardEvent(GAMEMSG_CARD_LBUTTON_DOWN, 2);
    (void)CardEvent(GAMEMSG_CARD_LBUTTON_UP, 2);
    const auto hovered = [this](int row) {
        return m_scene->GetSprite(m_scene->Hand()->FindHandSpriteAt(0, row))->IsHovered();
    };
    EXPECT_EQ(CardEvent(GAMEMSG_CARD_MOUSE_ENTER, 2), 1);
    EXPECT_FALSE(hovered(2));
    m_engine.m_clock.Advance(400);
    (void)CardEvent(GAMEMSG_CARD_MOUSE_LEAVE, 2);
    (void)CardEvent(GAMEMSG_CARD_MOUSE_ENTER, 2);
    EXPECT_TRUE(hovered(2));
    (void)CardEvent(GAMEMSG_CARD_MOUSE_ENTER, 4);
    EXPECT_FALSE(hovered(2)) << "one own card is hovered at a time";
    (void)CardEvent(GAMEMSG_CARD_LBUTTON_DOWN, 2);
    (void)CardEvent(GAMEMSG_CARD_LBUTTON_UP, 2);
    // A right press on the bare table lowers everything; one on an object does not.
    (void)CardEvent(GAMEMSG_CARD_LBUTTON_DOWN, 0);
    (void)CardEvent(GAMEMSG_CARD_LBUTTON_UP, 0);
    ASSERT_TRUE(Row(0).raised);
    engine::InputState on_object;
    on_object.hovered = 7;
    EXPECT_EQ(Send(GAMEMSG_PASS_HINT_AREA, 0, reinterpret_cast<uintptr_t>(&on_object)), 0);
    EXPECT_TRUE(Row(0).raised);
    engine::InputState bare;
    EXPECT_EQ(Send(GAMEMSG_PASS_HINT_AREA, 0, reinterpret_cast<uintptr_t>(&bare)), 1);
    EXPECT_FALSE(Row(0).raised);
}

TEST_F(SceneInputTest, CardPressesOfOthersAndOfOnlookersAreIgnored)
{
    using rules::test::Card;
    GiveOwnHand({ Card(3, 0), Card(5, 1), Card(7, 2) });
    const int other = m_scene->Hand()->FindHandSpriteAt(1, 0);
    ASSERT_GE(other, 0);
    EXPECT_EQ(Send(GAMEMSG_CARD_LBUTTON_DOWN, m_scene->GetSprite(other)->GetId()), 0);
    EXPECT_EQ(Send(GAMEMSG_CARD_LBUTTON_DOWN, 0xFFFFFF), 0) << "a sprite that is gone";
    m_app.Records().Launch().look_on = 1;
    EXPECT_EQ(CardEvent(GAMEMSG_CARD_LBUTTON_DOWN, 0), 0);
    EXPECT_EQ(CardEvent(GAMEMSG_CARD_LBUTTON_UP, 0), 0);
    EXPECT_EQ(m_scene->GetDragStart(), -1);
    EXPECT_EQ(m_scene->Hand()->CountRaisedCards(), 0);
}

TEST_F(SceneInputTest, StartAsksTheServerAndAFailureClosesOrBringsTheButtonBack)
{
    platform::CRecordingMessageBox boxes;
    platform::InstallMessageBox(&boxes);
    client_test::CFakeTableFrame table_frame(77);
    client_test::CFakeFrameUI frame;
    frame.table_frame = &table_frame;
    client::AppLinks links = m_app.Links();
    links.frame_ui = &frame;
    m_app.SetLinks(links);
    struct Case {
        int32_t configs;
        int result;
        uint32_t request;
        bool button_back;
        size_t boxes;
    };
    const Case cases[] = {
        { 0, 1, client::GR_USER_START, false, 0 },
        { client::ROOM_CONFIG_40 | client::ROOM_CONFIG_80, 1, client::GR_ID_201165, false, 0 },
        { client::ROOM_CONFIG_40 | client::ROOM_CONFIG_80, 0, client::GR_ID_201165, true, 0 },
        { 0, 0, client::GR_USER_START, false, 1 },
    };
    for (const Case& c : cases) {
        m_connection.sent.clear();
        m_connection.result = c.result;
        m_app.Records().Room().configs = c.configs;
        m_scene->GetButton(Button::Start)->Activate();
        (void)Send(GAMEMSG_BTN_START);
        ASSERT_EQ(m_connection.sent.size(), 1u) << c.configs << ' ' << c.result;
        EXPECT_EQ(m_connection.sent[0].first, c.request);
        EXPECT_EQ(WordAt(m_connection.sent[0].second, 0), 100) << "the seat block";
        EXPECT_EQ(m_scene->GetButton(Button::Start)->IsActive(), c.button_back);
        EXPECT_EQ(frame.boards.size(), c.boxes);
    }
    // The refusal is the frame's board, whose answer closes the window; no
    // desktop box holds the table meanwhile.
    EXPECT_TRUE(boxes.GetShown().empty());
    ASSERT_EQ(frame.boards.size(), 1u);
    EXPECT_EQ(frame.boards[0].answer_event.target, 77u);
    EXPECT_EQ(frame.boards[0].answer_event.id, panel::FRAME_EVENT_CLOSE_WINDOW);
    // A running game is not started again.
    m_connection.sent.clear();
    m_app.GetGameState().SetTableWord15(1);
    (void)Send(GAMEMSG_BTN_START);
    EXPECT_TRUE(m_connection.sent.empty());
    platform::InstallMessageBox(nullptr);
}

TEST_F(SceneInputTest, LookOnRequestAsksWithABoxAndEchoesOnlyASentAnswer)
{
    Hooks().OnCardViewRequest(Body(4, { { 0, 102 } }));
    panel::CLookOnRequestBox* box = LookOnBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetUserName(), "player2");
    EXPECT_EQ(m_music->played.back(), "SndHi");

    // The box's consent comes back as the answer event: request 229560 and
    // the confirmed line.
    (void)Send(GAMEMSG_CARD_VIEW_ANSWER, 102, 1);
    ASSERT_EQ(m_connection.sent.size(), 1u);
    EXPECT_EQ(m_connection.sent[0].first, client::GR_SET_CARD_VIEW);
    const std::vector<uint8_t>& bytes = m_connection.sent[0].second;
    ASSERT_EQ(bytes.size(), 40u);
    EXPECT_EQ((std::vector<int32_t> { WordAt(bytes, 0), WordAt(bytes, 12), WordAt(bytes, 16), WordAt(bytes, 20) }),
              (std::vector<int32_t> { 100, 0, 102, 1 }));
    ASSERT_EQ(m_chat.lines.size(), 1u);
    EXPECT_NE(m_chat.lines[0].find("player0允许player2看牌"), std::string::npos);
    // A refusal that could not be sent shows nothing.
    m_connection.result = 0;
    (void)Send(GAMEMSG_CARD_VIEW_ANSWER, 102, 0);
    EXPECT_EQ(m_chat.lines.size(), 1u);
}

TEST_F(SceneInputTest, LookOnRequestsStandOncePerAskerAndNeverPastTheCap)
{
    constexpr int REQUESTS = 3000;
    for (int i = 0; i < REQUESTS; ++i)
        Hooks().OnCardViewRequest(Body(4, { { 0, 102 } }));
    EXPECT_EQ(LookOnBoxCount(), 1u);
    // Many askers, the onlookers coming and going.
    for (int i = 0; i < REQUESTS; ++i) {
        m_app.Records().OtherUser(i % client::CClientRecords::OTHER_USER_COUNT)->user_id = 1000 + i;
        Hooks().OnCardViewRequest(Body(4, { { 0, 1000 + i } }));
    }
    EXPECT_EQ(LookOnBoxCount(), CCardGameScene::MAX_LOOK_ON_QUESTIONS);
    // An answered question makes room for one more.
    (void)Send(GAMEMSG_CARD_VIEW_ANSWER, 102, 0);
    EXPECT_EQ(m_scene->GetLookOnQuestionCount(), CCardGameScene::MAX_LOOK_ON_QUESTIONS - 1);
    Hooks().OnCardViewRequest(Body(4, { { 0, 102 } }));
    EXPECT_EQ(m_scene->GetLookOnQuestionCount(), CCardGameScene::MAX_LOOK_ON_QUESTIONS);
}

TEST_F(SceneInputTest, OnlookerAsksForTheCardsOnlyInARunningGameOfAFixedSeatRoom)
{
    struct Case {
        bool look_on;
        bool running;
        int32_t configs;
        bool asks;
    };
    const Case cases[] = {
        { true, true, 0, true },
        { false, true, 0, false },
        { true, false, 0, false },
        { true, true, client::ROOM_CONFIG_RANDOM_SEATS, false },
    };
    for (const Case& c : cases) {
        m_connection.sent.clear();
        m_chat.lines.clear();
        m_app.Records().Launch().look_on = c.look_on ? 1 : 0;
        m_app.GetGameState().SetTableWord15(c.running ? 1 : 0);
        m_app.Records().Room().configs = c.configs;
        (void)Send(GAMEMSG_BTN_ASK_CARD_VIEW);
        EXPECT_EQ(Sent(), c.asks ? std::vector<std::string> { std::to_string(client::GR_ASK_LOOK_CARD) }
                                 : std::vector<std::string> {});
        EXPECT_EQ(!m_chat.lines.empty() && m_chat.lines[0].find("请求player0给我看牌") != std::string::npos, c.asks);
    }
    // The asking button rests 15 seconds, then shows again.
    m_app.Records().Launch().look_on = 1;
    m_app.GetGameState().SetTableWord15(1);
    m_app.Records().Room().configs = 0;
    (void)Send(GAMEMSG_BTN_ASK_CARD_VIEW);
    const engine::CImageObject* image = m_scene->GetButton(Button::AskCardView)->GetImageChild();
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(image->IsVisible());
    m_engine.Tick(3, 4000);
    EXPECT_FALSE(image->IsVisible());
    m_engine.Tick(1, 4000);
    EXPECT_TRUE(image->IsVisible());
}

TEST_F(SceneInputTest, QueriedGameDataRunsTheRelayedRoadAndFailuresSaySo)
{
    // The answer is a relayed message: the own auto-play switched on.
    m_connection.answer_data = GameData(GAMEDATA_AUTOPLAY_ON, { 0 }, 4);
    const std::array<uint8_t, 4> body { 0, 0, 0, 0 };
    EXPECT_EQ(m_scene->SendGameData(GAMEDATA_AUTOPLAY_ON, body, CCardGameScene::GameDataQuery::Yes), client::GR_OK);
    EXPECT_TRUE(m_scene->IsAutoPlay());
    ASSERT_EQ(m_connection.sent.size(), 1u);
    EXPECT_EQ(WordAt(m_connection.sent[0].second, 8), GAMEDATA_AUTOPLAY_ON);
    EXPECT_EQ(WordAt(m_connection.sent[0].second, 16), 4);
    // No data back: 0 and nothing dispatched; not sent: the failure code.
    m_connection.answer_data.clear();
    EXPECT_EQ(m_scene->SendGameData(GAMEDATA_AUTOPLAY_OFF, body, CCardGameScene::GameDataQuery::Yes), 0);
    EXPECT_TRUE(m_scene->IsAutoPlay());
    m_connection.result = 0;
    EXPECT_EQ(m_scene->SendGameData(GAMEDATA_AUTOPLAY_OFF, body, CCardGameScene::GameDataQuery::Yes),
              client::GR_CARD_REQUEST_NOT_SENT);
}

TEST_F(SceneInputTest, ResultBoxButtonsDragAndChangeOfTable)
{
    engine::CEngineObject* box = m_scene->NewObject();
    ASSERT_NE(box, nullptr);
    box->MoveTo(400, 300);
    m_scene->SetResultBox(box);
    (void)Send(GAMEMSG_BTN_CHECK_RESULT);
    EXPECT_TRUE(box->IsActive());
    // Only a drag (left button held) moves it; the event without a record does nothing.
    engine::InputState drag;
    drag.dx = 15;
    drag.dy = -5;
    (void)Send(GAMEMSG_CLOSE_RESULT_BOX, 0, reinterpret_cast<uintptr_t>(&drag));
    (void)Send(GAMEMSG_CLOSE_RESULT_BOX);
    EXPECT_EQ(box->GetX(), 400);
    drag.state = engine::InputState::LEFT_DOWN;
    (void)Send(GAMEMSG_CLOSE_RESULT_BOX, 0, reinterpret_cast<uintptr_t>(&drag));
    EXPECT_EQ(box->GetX(), 415);
    EXPECT_EQ(box->GetY(), 295);
    // The character picture stands left of the box, once made.
    (void)Send(GAMEMSG_SHOW_CHARACTER, 5);
    engine::CCanvasObject* character = m_scene->GetCharacterCanvas();
    ASSERT_NE(character, nullptr);
    EXPECT_TRUE(character->IsActive());
    EXPECT_EQ(character->GetX(), box->GetLeft() - 67);
    (void)Send(GAMEMSG_HIDE_CHARACTER);
    (void)Send(GAMEMSG_SHOW_CHARACTER, 6);
    EXPECT_EQ(m_scene->GetCharacterCanvas(), character);
    (void)Send(GAMEMSG_HIDE_CHARACTER);
    EXPECT_FALSE(character->IsActive());
    (void)Send(GAMEMSG_RESULT_CLOSE);
    EXPECT_FALSE(box->IsActive());
    EXPECT_TRUE(m_scene->GetButton(Button::Start)->IsActive());
    (void)Send(GAMEMSG_BTN_CHECK_RESULT);
    (void)Send(GAMEMSG_RESULT_CONTINUE);
    EXPECT_FALSE(box->IsActive());
    EXPECT_EQ(Sent(), std::vector<std::string> { std::to_string(client::GR_USER_START) });

    // Change of table: only with configs 0x40 and 0x80 and without 0x2.
    for (const auto& [configs, changes] : { std::pair { client::ROOM_CONFIG_40 | client::ROOM_CONFIG_80, true },
                                            std::pair { client::ROOM_CONFIG_40 | client::ROOM_CONFIG_80
                                                            | client::ROOM_CONFIG_02, false },
                                            std::pair { client::ROOM_CONFIG_40, false } }) {
        m_connection.sent.clear();
        m_app.Records().Room().configs = configs;
        (void)Send(GAMEMSG_CHANGE_TABLE);
        EXPECT_EQ(Sent(), changes ? std::vector<std::string> { std::to_string(client::GR_CHANGE_TABLE) }
                                  : std::vector<std::string> {})
            << configs;
    }
}

TEST_F(SceneInputTest, SoundSettingAndEliminationHeader)
{
    for (const auto& [setting, flag] : { std::pair { 1, "flag 0" }, std::pair { 0, "flag 1" } }) {
        m_app.SetSoundEffectSetting(setting);
        (void)Send(GAMEMSG_SETTINGS_CHANGED);
        EXPECT_EQ(m_music->calls.back(), flag);
    }
    m_app.Records().SetMatchRoom(true);
    m_app.Records().Header().words29[0] = 2;
    m_scene->ShowRoundHeader();
    ASSERT_EQ(m_chat.lines.size(), 1u);
    EXPECT_NE(m_chat.lines[0].find("淘汰赛第二轮"), std::string::npos);
    m_app.Records().Header().words29[0] = 0;
    m_scene->ShowRoundHeader();
    ASSERT_EQ(m_chat.lines.size(), 2u);
    EXPECT_NE(m_chat.lines[1].find("基础分"), std::string::npos);
}

TEST_F(SceneInputTest, ResumedRoundMarksTheOtherAbsentSeats)
{
    rules::TableGameData& table = m_app.GetGameState().GetTableData();
    table.chair_status[0] = 0x8; // the own seat is never marked
    table.chair_status[1] = 0x20;
    table.chair_status[2] = 0x8;
    table.chair_status[3] = 0x4;
    m_app.GetGameState().SetTableWord14(1);
    m_scene->ResumeGame();
    std::string marks;
    for (int chair = 0; chair < 4; ++chair)
        marks += m_scene->GetSeatBoard(m_scene->ChairToView(chair))->IsOffline() ? '1' : '0';
    EXPECT_EQ(marks, "0110");
    EXPECT_TRUE(m_scene->GetSeatBoard(m_scene->ChairToView(1))->IsHighlighted());

    // Taken up again after the deal: the clock runs and the own turn begins,
    // without a second rejoin.
    m_connection.sent.clear();
    m_scene->StopClock();
    m_app.GetGameState().SetTableWord14(0);
    m_scene->RestoreRunningGame();
    EXPECT_TRUE(m_scene->GetClock()->IsActive());
    EXPECT_TRUE(m_scene->GetSeatBoard(0)->IsHighlighted());
    EXPECT_TRUE(m_scene->GetButton(Button::Throw)->IsActive());
    EXPECT_TRUE(m_connection.sent.empty());
}

TEST_F(SceneInputTest, RoundOverClearsTheTableAndItsSeatsUnlessAGameRuns)
{
    m_app.Records().Table().player_count = 4;
    for (int chair = 0; chair < 4; ++chair)
        m_scene->GetSeatBoard(m_scene->ChairToView(chair))->SetPlayer(chair);
    m_app.GetGameState().SetTableWord15(1);
    (void)Send(80000101);
    EXPECT_EQ(m_scene->GetSeatBoard(m_scene->ChairToView(2))->GetChair(), 2);
    EXPECT_EQ(m_scene->Hand()->CountSprites(0, CARD_STATE_HAND), 13);
    m_app.GetGameState().SetTableWord15(0);
    (void)Send(80000101);
    EXPECT_EQ(m_scene->GetSeatBoard(m_scene->ChairToView(2))->GetChair(), -1);
    EXPECT_EQ(m_scene->Hand()->CountSprites(0, CARD_STATE_HAND), 0);
}

} // namespace
} // namespace scene::test

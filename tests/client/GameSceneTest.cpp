// The scene base in a running object module: the start countdown, the scene
// notice and the replay board made on demand.
#include <gtest/gtest.h>

#include "BodyBuilder.h"
#include "NotifyFakes.h"
#include "client/CGameScene.h"
#include "engine/core/GuiObject.h"
#include "tests/engine/core/EngineTestSupport.h"

namespace client {
namespace {

using client_test::BodyBuilder;
using client_test::NotifyRig;

class CTestReplayBoard final : public engine::CGuiObject, public IReplayBoard {
public:
    explicit CTestReplayBoard(ReplayBoardKind made_as) : kind(made_as) {}
    void SetMaxGap(uint32_t milliseconds) override { max_gap = milliseconds; }
    ReplayBoardKind kind;
    uint32_t max_gap { 0 };
};

class CTestScene final : public CGameScene {
public:
    using CGameScene::CGameScene;
    std::vector<size_t> notices;
    void OnSceneNotice(std::span<const uint8_t> record) override { notices.push_back(record.size()); }

protected:
    std::unique_ptr<engine::CEngineObject> NewReplayBoard(ReplayBoardKind kind) override
    {
        return std::make_unique<CTestReplayBoard>(kind);
    }
};

class GameSceneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto scene = std::make_unique<CTestScene>(rig.app);
        m_scene = scene.get();
        engine.m_objects->AddObject(std::move(scene), nullptr);
    }
    void SetCountdown(int32_t configs, int32_t seconds)
    {
        rig.app.Records().Room().configs = configs;
        rig.app.GetStateBlock()[CPlDkGameState::COUNTDOWN_WORD] = seconds;
        m_scene->LoadCountdownLength();
    }
    void RunFor(uint32_t milliseconds) { engine.Tick(static_cast<int>(milliseconds / 50), 50); }

    NotifyRig rig;
    enginetest::EngineFixture engine;
    CTestScene* m_scene { nullptr };
};

TEST_F(GameSceneTest, CountdownAsksThePlayerToLeaveOnce)
{
    SetCountdown(ROOM_CONFIG_40 | ROOM_CONFIG_80, 2);
    EXPECT_EQ(m_scene->GetCountdownLength(), 2);
    m_scene->StartCountdown();
    m_scene->StartCountdown(); // the first one is stopped, not doubled
    EXPECT_NE(m_scene->GetCountdownHandle(), 0u);
    RunFor(1500);
    EXPECT_TRUE(rig.frame.exit_boards.empty());
    RunFor(2000);
    ASSERT_EQ(rig.frame.exit_boards.size(), 1u);
    EXPECT_EQ(rig.frame.exit_boards[0].text, "由于您长时间没有开始游戏，系统请您离开游戏");
    EXPECT_EQ(rig.frame.exit_boards[0].picture, "vur抱歉");
    EXPECT_EQ(m_scene->GetCountdownHandle(), 0u);
}

TEST_F(GameSceneTest, NoCountdownWithoutBothConfigsOrALength)
{
    const struct {
        int32_t configs;
        int32_t seconds;
    } cases[] = {
        { ROOM_CONFIG_40, 2 }, { ROOM_CONFIG_80, 2 }, { ROOM_CONFIG_40 | ROOM_CONFIG_80, 0 },
        { ROOM_CONFIG_40 | ROOM_CONFIG_80, -5 },
    };
    for (const auto& c : cases) {
        SetCountdown(c.configs, c.seconds);
        m_scene->StartCountdown();
        EXPECT_EQ(m_scene->GetCountdownHandle(), 0u) << c.configs << " " << c.seconds;
    }
    EXPECT_EQ(m_scene->GetCountdownLength(), -5);
}

TEST_F(GameSceneTest, StoppedAndHugeCountdownsNeverFireEarly)
{
    SetCountdown(ROOM_CONFIG_40 | ROOM_CONFIG_80, 1);
    m_scene->StartCountdown();
    m_scene->StopCountdown();
    EXPECT_EQ(m_scene->GetCountdownHandle(), 0u);
    // 4294968 s would wrap to 704 ms in 32 bits.
    SetCountdown(ROOM_CONFIG_40 | ROOM_CONFIG_80, 4294968);
    m_scene->StartCountdown();
    RunFor(3000);
    EXPECT_TRUE(rig.frame.exit_boards.empty());
}

TEST_F(GameSceneTest, SceneNoticeNeedsItsText)
{
    for (const auto& body : { BodyBuilder(64).Bytes(), BodyBuilder(32).Bytes(), BodyBuilder(40).Text(32, "x").Bytes(),
                              BodyBuilder(33).Text(32, "y").Bytes() }) {
        const std::span<const uint8_t> span(body);
        m_scene->SendGameEvent(GAMEMSG_ID_80000063, reinterpret_cast<uintptr_t>(&span));
    }
    EXPECT_EQ(m_scene->notices, (std::vector<size_t> { 40, 33 }));
}

TEST_F(GameSceneTest, ReplayBoardOnlyInReplayModeForThisGame)
{
    m_scene->CreateInfoBoard();
    EXPECT_EQ(m_scene->GetReplayBoard(), nullptr) << "this game records no games";

    rig.app.SetReplayMode(1);
    m_scene->CreateInfoBoard();
    auto* board = dynamic_cast<CTestReplayBoard*>(m_scene->GetReplayBoard());
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->kind, ReplayBoardKind::Standard);
    EXPECT_EQ(board->max_gap, REPLAY_MAX_GAP_MS);
    EXPECT_EQ(board->GetZ(), REPLAY_BOARD_DEPTH);
    EXPECT_TRUE(board->IsActive());

    rig.app.Records().SetMatchRoom(true);
    m_scene->CreateInfoBoard();
    board = dynamic_cast<CTestReplayBoard*>(m_scene->GetReplayBoard());
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->kind, ReplayBoardKind::Upload);
}

} // namespace
} // namespace client

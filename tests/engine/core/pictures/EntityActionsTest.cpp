// The entity facade's action, group and cancel operations reach the object
// module's runner; the deferred destroy follows the group being built.
#include <gtest/gtest.h>

#include "engine/core/pictures/PictureTestSupport.h"

using namespace engine;
using enginetest::CRecordingObject;
using picturetest::ActionFixture;

namespace {

constexpr uint32_t DONE_EVENT = 80000200;

} // namespace

TEST(EntityActions, FacadeQueuesGroupsAndActionsInOrder)
{
    ActionFixture engine;
    auto* entity = engine.Add<CRecordingObject>(10, 10, 4, 4);
    CEngineObject* mover = engine.Add(0, 0, 4, 4);
    CEngineObject* fader = engine.Add(50, 50, 4, 4);
    fader->SetAlpha(1.0);

    const uint64_t group = entity->BeginGroup();
    EXPECT_NE(group, 0u);
    const uint64_t move = entity->AddMoveToAction(mover, 60, 0, 20, 0, 0);
    EXPECT_GT(move, group);
    EXPECT_NE(entity->NextGroup(), 0u);
    const EngineEvent done { entity->GetId(), DONE_EVENT, 7, 0 };
    EXPECT_NE(entity->AddFadeToAction(fader, -0.5, 0.0, 5, &done), 0u);
    entity->EndGroup();

    engine.Frame(); // queued; the move runs, the fade is held
    EXPECT_DOUBLE_EQ(fader->GetAlpha(), 1.0);
    for (int i = 0; i < 3; ++i)
        engine.Frame();
    EXPECT_DOUBLE_EQ(mover->GetX(), 60.0);
    for (int i = 0; i < 6; ++i)
        engine.Frame();
    EXPECT_DOUBLE_EQ(fader->GetAlpha(), 0.0);
    ASSERT_FALSE(entity->events.empty());
    EXPECT_EQ(entity->events.back().id, DONE_EVENT);
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
    EXPECT_EQ(engine.Runner().GetGroupCount(), 0u);
}

TEST(EntityActions, IntervalsAreRaisedToTheFacadesMinimum)
{
    ActionFixture engine;
    auto* entity = engine.Add<CRecordingObject>(10, 10, 4, 4);
    EXPECT_EQ(entity->GetMinActionInterval(), 30u);
    entity->SetAlpha(0.0);
    ASSERT_NE(entity->AddFadeToAction(entity, 0.1, 1.0, 1), 0u);
    engine.Frame(15); // runs at once
    engine.Frame(15); // 15 ms later: not due
    EXPECT_DOUBLE_EQ(entity->GetAlpha(), 0.1);
    engine.Frame(15); // 30 ms after the first run
    EXPECT_DOUBLE_EQ(entity->GetAlpha(), 0.2);
}

TEST(EntityActions, CancelsByEachRoad)
{
    ActionFixture engine;
    auto* entity = engine.Add<CRecordingObject>(10, 10, 4, 4);
    CEngineObject* a = engine.Add(0, 0, 4, 4);
    CEngineObject* b = engine.Add(0, 0, 4, 4);
    const uint64_t by_serial = entity->AddWaitFramesAction(1000);
    entity->AddRotateToAction(a, 5, 90, 30);
    entity->AddRotateToAction(a, 5, 90, 30);
    const uint64_t group = entity->BeginGroup();
    entity->AddRotateToAction(b, 5, 90, 30);
    entity->EndGroup();
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 4u);

    entity->CancelAction(by_serial);
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 3u);
    entity->CancelObjectActions(a->GetId());
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 1u);
    entity->CancelGroup(group);
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
}

TEST(EntityActions, WithoutACoreEveryOperationRefuses)
{
    ActionFixture engine;
    CEngineObject* target = engine.Add(0, 0, 4, 4);
    CRecordingObject loose; // never registered: no core
    EXPECT_EQ(loose.BeginGroup(), 0u);
    EXPECT_EQ(loose.NextGroup(), 0u);
    loose.EndGroup();
    loose.CancelAction(1);
    EXPECT_EQ(loose.AddBlinkAction(target, 0.1, 1, 30, 1.0, 0.0), 0u);
    EXPECT_EQ(loose.AddWaitTimeAction(10), 0u);
    EXPECT_EQ(loose.AddCallAction([](void*) {}, nullptr, 0), 0u);
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
    EXPECT_TRUE(engine.m_sink->faults.empty());
}

TEST(EntityActions, DeferredDestroyInsideAGroupWaitsForItsStage)
{
    ActionFixture engine;
    auto* entity = engine.Add<CRecordingObject>(10, 10, 4, 4);
    CEngineObject* doomed = engine.Add(100, 100, 4, 4);
    const uint32_t id = doomed->GetId();

    entity->BeginGroup();
    entity->AddWaitFramesAction(200);
    entity->NextGroup();
    entity->DestroyObject(doomed, true);
    entity->EndGroup();
    EXPECT_FALSE(doomed->IsActive()); // no longer painted

    for (int i = 0; i < 4; ++i)
        engine.Frame(); // 120 ms: the wait still runs
    EXPECT_NE(engine.m_objects->FindObject(id), nullptr);
    for (int i = 0; i < 6; ++i)
        engine.Frame();
    EXPECT_EQ(engine.m_objects->FindObject(id), nullptr);
}

TEST(EntityActions, ObjectStatsCountObjectsAndLiveActions)
{
    ActionFixture engine;
    auto* entity = engine.Add<CRecordingObject>(10, 10, 4, 4);
    engine.Add(0, 0, 4, 4, false);
    entity->AddWaitFramesAction(1000);
    const uint64_t doomed = entity->AddWaitFramesAction(1000);
    engine.Frame();
    entity->CancelAction(doomed);
    engine.m_objects->QueueEvent(EngineEvent { entity->GetId(), 5, 0, 0 }); // takes a pooled copy
    engine.Frame();
    ObjectStats stats;
    EXPECT_EQ(&entity->GetObjectStats(stats), &stats);
    EXPECT_EQ(stats.object_count, 2u);
    EXPECT_EQ(stats.action_count, 1u);
    EXPECT_EQ(stats.painted_count, 1u);
    EXPECT_GT(stats.reserved_bytes, 0u);
    EXPECT_LE(stats.used_bytes, stats.reserved_bytes);

    CRecordingObject loose;
    stats.object_count = 99;
    loose.GetObjectStats(stats);
    EXPECT_EQ(stats.object_count, 0u);
}

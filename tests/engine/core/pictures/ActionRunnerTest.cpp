#include <gtest/gtest.h>

#include "engine/core/pictures/PictureTestSupport.h"

using namespace engine;
using enginetest::CRecordingObject;
using picturetest::ActionFixture;

namespace {

constexpr uint32_t DONE_EVENT = 80000100;

EngineEvent DoneFor(const CEngineObject* target, uintptr_t param = 0)
{
    return EngineEvent { target->GetId(), DONE_EVENT, param, 0 };
}

size_t CountDone(const CRecordingObject* object)
{
    size_t count = 0;
    for (const EngineEvent& event : object->events)
        count += event.id == DONE_EVENT ? 1 : 0;
    return count;
}

} // namespace

TEST(ActionRunner, SerialsStartAtOneAndGrowForActionsAndGroups)
{
    ActionFixture engine;
    CEngineObject* object = engine.Add(10, 10, 4, 4);
    EXPECT_EQ(CActionFactory::AddWaitFramesAction(engine.m_objects, 100), 1u);
    EXPECT_EQ(CActionFactory::BeginGroup(engine.m_objects), 2u);
    EXPECT_EQ(CActionFactory::AddActivateAction(engine.m_objects, object, 1), 3u);
    // Refused requests answer 0 and queue nothing.
    EXPECT_EQ(CActionFactory::AddFadeToAction(engine.m_objects, object, 0.0, 0.5, 30), 0u);
    EXPECT_EQ(CActionFactory::AddBlinkAction(engine.m_objects, nullptr, 0.1, 1, 30, 1, 0), 0u);
    EXPECT_EQ(CActionFactory::AddWaitFramesAction(nullptr, 5), 0u);
    CEngineObject unregistered;
    EXPECT_EQ(CActionFactory::AddDestroyAction(engine.m_objects, &unregistered), 0u);
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 1u);
}

TEST(ActionRunner, DoneEventFollowsAFinishNotACancel)
{
    ActionFixture engine;
    auto* object = engine.Add<CRecordingObject>(10, 10, 4, 4);
    const EngineEvent done = DoneFor(object, 42);
    CActionFactory::AddWaitFramesAction(engine.m_objects, 60, &done);
    const uint64_t cancelled = CActionFactory::AddWaitFramesAction(engine.m_objects, 60, &done);
    engine.Frame();
    CActionFactory::CancelAction(engine.m_objects, cancelled);
    engine.Frame();
    EXPECT_EQ(CountDone(object), 0u);
    engine.Frame();
    ASSERT_EQ(CountDone(object), 1u);
    EXPECT_EQ(object->events.back().param1, 42u);
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
}

TEST(ActionRunner, MinimumIntervalIsThirtyMilliseconds)
{
    ActionFixture engine;
    CEngineObject* object = engine.Add(10, 10, 4, 4);
    object->SetAlpha(0.0);
    CActionFactory::AddFadeToAction(engine.m_objects, object, 0.1, 1.0, 5);
    engine.Frame(15); // added and run at once: 0.1
    engine.Frame(15); // 15 ms later: not due
    EXPECT_DOUBLE_EQ(object->GetAlpha(), 0.1);
    engine.Frame(15); // 30 ms after the last run
    EXPECT_DOUBLE_EQ(object->GetAlpha(), 0.2);
}

TEST(ActionGroups, SecondStageStartsInTheUpdateAfterTheFirstFinished)
{
    ActionFixture engine;
    CEngineObject* a = engine.Add(0, 0, 4, 4);
    CEngineObject* b = engine.Add(0, 10, 4, 4);
    CEngineObject* c = engine.Add(0, 20, 4, 4);
    CActionFactory::BeginGroup(engine.m_objects);
    CActionFactory::AddMoveToAction(engine.m_objects, a, 60, 0, 30, 0, 0);
    CActionFactory::AddMoveToAction(engine.m_objects, b, 90, 10, 30, 0, 0);
    CActionFactory::NextGroup(engine.m_objects);
    CActionFactory::AddFadeToAction(engine.m_objects, c, -0.25, 0.0, 30);
    CActionFactory::EndGroup(engine.m_objects);
    engine.Frame();
    EXPECT_EQ(a->GetX(), 30.0);
    EXPECT_EQ(b->GetX(), 30.0);
    EXPECT_EQ(c->GetAlpha(), 1.0);
    engine.Frame(); // a arrives
    engine.Frame(); // b arrives: the stage is done, the fade waits one more update
    EXPECT_EQ(b->GetX(), 90.0);
    EXPECT_EQ(c->GetAlpha(), 1.0);
    engine.Frame();
    EXPECT_EQ(c->GetAlpha(), 0.75);
    EXPECT_EQ(engine.Runner().GetCurrentGroup(), 0u);
}

TEST(ActionGroups, NextGroupOnAnEmptyStageReplacesIt)
{
    ActionFixture engine;
    CEngineObject* object = engine.Add(0, 0, 4, 4);
    const uint64_t first = CActionFactory::BeginGroup(engine.m_objects);
    const uint64_t second = CActionFactory::NextGroup(engine.m_objects);
    CActionFactory::AddFadeToAction(engine.m_objects, object, -0.5, 0.0, 30);
    engine.Frame();
    EXPECT_EQ(engine.Runner().FindGroup(first), nullptr);
    ASSERT_NE(engine.Runner().FindGroup(second), nullptr);
    EXPECT_EQ(engine.Runner().FindGroup(second)->previous, 0u);
    EXPECT_EQ(object->GetAlpha(), 0.5); // not held
    CActionFactory::EndGroup(engine.m_objects);
    engine.Frame();
    engine.Frame();
    EXPECT_EQ(engine.Runner().FindGroup(second), nullptr);
    EXPECT_EQ(engine.Runner().GetGroupCount(), 0u);
}

TEST(ActionGroups, EndOrNextWithoutAGroupReportsAndChangesNothing)
{
    ActionFixture engine;
    CActionFactory::AddWaitFramesAction(engine.m_objects, 1000);
    CActionFactory::EndGroup(engine.m_objects);
    CActionFactory::NextGroup(engine.m_objects);
    engine.Frame();
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 1u);
    EXPECT_EQ(engine.Runner().GetGroupCount(), 0u);
    ASSERT_EQ(engine.m_sink->faults.size(), 2u);
    EXPECT_EQ(engine.m_sink->faults[0], "can't EndGroup without BeginGroup!");
    EXPECT_EQ(engine.m_sink->faults[1], "can't NextGroup without BeginGroup!");
}

TEST(ActionGroups, NestedGroupsHoldTheParentStage)
{
    ActionFixture engine;
    CEngineObject* object = engine.Add(0, 0, 4, 4);
    CActionFactory::BeginGroup(engine.m_objects);
    CActionFactory::AddWaitFramesAction(engine.m_objects, 30);
    CActionFactory::BeginGroup(engine.m_objects); // a child of the first stage
    CActionFactory::AddWaitFramesAction(engine.m_objects, 90);
    CActionFactory::EndGroup(engine.m_objects);
    CActionFactory::NextGroup(engine.m_objects);
    const uint64_t fade = CActionFactory::AddFadeToAction(engine.m_objects, object, -0.5, 0.0, 30);
    CActionFactory::EndGroup(engine.m_objects);
    engine.Frame();
    engine.Frame(); // the first wait is done; the child still waits
    engine.Frame();
    EXPECT_TRUE(engine.Runner().FindAction(fade)->held);
    engine.Frame(); // the child finishes at 90 ms
    engine.Frame();
    EXPECT_EQ(object->GetAlpha(), 0.5);
}

TEST(ActionCancel, CancellingAFirstStageMoveLetsTheSecondStart)
{
    ActionFixture engine;
    CEngineObject* a = engine.Add(0, 0, 4, 4);
    CEngineObject* c = engine.Add(0, 20, 4, 4);
    CActionFactory::BeginGroup(engine.m_objects);
    const uint64_t move = CActionFactory::AddMoveToAction(engine.m_objects, a, 3000, 0, 1, 0, 0);
    CActionFactory::NextGroup(engine.m_objects);
    CActionFactory::AddFadeToAction(engine.m_objects, c, -0.5, 0.0, 30);
    CActionFactory::EndGroup(engine.m_objects);
    engine.Frame();
    CActionFactory::CancelAction(engine.m_objects, move);
    engine.Frame(); // the move is dropped: the stage is done
    engine.Frame();
    EXPECT_EQ(c->GetAlpha(), 0.5);
    EXPECT_EQ(a->GetX(), 1.0);
}

TEST(ActionCancel, CancellingAGroupTakesItsChildrenAndLaterStages)
{
    ActionFixture engine;
    auto* object = engine.Add<CRecordingObject>(0, 0, 4, 4);
    const EngineEvent done = DoneFor(object);
    const uint64_t group = CActionFactory::BeginGroup(engine.m_objects);
    CActionFactory::AddWaitFramesAction(engine.m_objects, 1000, &done);
    CActionFactory::BeginGroup(engine.m_objects);
    CActionFactory::AddWaitFramesAction(engine.m_objects, 1000, &done);
    CActionFactory::EndGroup(engine.m_objects);
    CActionFactory::NextGroup(engine.m_objects);
    CActionFactory::AddWaitFramesAction(engine.m_objects, 1000, &done);
    CActionFactory::EndGroup(engine.m_objects);
    const uint64_t other = CActionFactory::AddWaitFramesAction(engine.m_objects, 1000);
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 4u);
    CActionFactory::CancelGroup(engine.m_objects, group);
    engine.Frame();
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 1u);
    EXPECT_NE(engine.Runner().FindAction(other), nullptr);
    EXPECT_EQ(engine.Runner().GetGroupCount(), 0u);
    EXPECT_EQ(CountDone(object), 0u);
}

TEST(ActionCancel, AFinishedGroupsHandleNeverReachesAnotherGroup)
{
    ActionFixture engine;
    const uint64_t old_group = CActionFactory::BeginGroup(engine.m_objects);
    CActionFactory::AddWaitFramesAction(engine.m_objects, 30);
    CActionFactory::EndGroup(engine.m_objects);
    engine.Frame();
    engine.Frame();
    EXPECT_EQ(engine.Runner().FindGroup(old_group), nullptr);
    CActionFactory::BeginGroup(engine.m_objects);
    const uint64_t wait = CActionFactory::AddWaitFramesAction(engine.m_objects, 1000);
    CActionFactory::EndGroup(engine.m_objects);
    CActionFactory::CancelGroup(engine.m_objects, old_group);
    engine.Frame();
    engine.Frame();
    ASSERT_NE(engine.Runner().FindAction(wait), nullptr);
    EXPECT_FALSE(engine.Runner().FindAction(wait)->cancelled);
}

TEST(ActionCancel, DestroyingAnObjectDropsItsActions)
{
    ActionFixture engine;
    auto* object = engine.Add<CRecordingObject>(0, 0, 4, 4);
    CEngineObject* other = engine.Add(0, 0, 4, 4);
    const EngineEvent done = DoneFor(other);
    CActionFactory::AddMoveToAction(engine.m_objects, object, 5000, 0, 1, 0, 0, &done);
    CActionFactory::AddBlinkAction(engine.m_objects, object, 0.1, -1, 30, 1.0, 0.0);
    CActionFactory::AddBlinkAction(engine.m_objects, other, 0.1, -1, 30, 1.0, 0.0);
    engine.Frame();
    engine.m_objects->DestroyObject(object->GetId());
    EXPECT_EQ(engine.m_objects->GetActionCount(), 1u);
    engine.Frame();
    CActionFactory::CancelObjectActions(engine.m_objects, other->GetId());
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
}

TEST(ActionCancel, SerialsAreCancelledByAllSixtyFourBits)
{
    ActionFixture engine;
    ActionItem* item = engine.Runner().NewActionItem();
    item->serial = 0x100000007ull;
    item->interval = 1000;
    item->kind = MakeWaitFramesKind(1000);
    engine.m_objects->PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_ADD_ACTION, reinterpret_cast<uintptr_t>(item), 0);
    engine.Frame();
    CActionFactory::CancelAction(engine.m_objects, 7); // the lower half names another action
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 1u);
    CActionFactory::CancelAction(engine.m_objects, 0x100000007ull);
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
}

TEST(ActionCancel, ForeignOrRepeatedRecordsAreIgnored)
{
    ActionFixture engine;
    ActionItem outsider;
    outsider.kind = MakeWaitFramesKind(10);
    engine.m_objects->PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_ADD_ACTION,
                                  reinterpret_cast<uintptr_t>(&outsider), 0);
    const uint64_t serial = CActionFactory::AddWaitFramesAction(engine.m_objects, 1000);
    const ActionItem* queued = nullptr;
    engine.Frame();
    queued = engine.Runner().FindAction(serial);
    ASSERT_NE(queued, nullptr);
    // The same record posted again is not queued twice.
    engine.m_objects->PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_ADD_ACTION, reinterpret_cast<uintptr_t>(queued), 0);
    engine.m_objects->PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_BEGIN_GROUP, 999999, 0);
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 1u);
    EXPECT_EQ(engine.Runner().GetCurrentGroup(), 0u);
}

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>

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

namespace {

// Builds random nested groups of waits and remembers, for every stage, the
// stages of its subtree and which stages of one chain follow which.
class CGroupPlan {
public:
    CGroupPlan(ActionFixture& engine, const CRecordingObject& recorder, uint32_t seed)
        : m_engine(engine), m_recorder(recorder), m_random(seed)
    {
    }

    std::vector<int> BuildGroup(int depth)
    {
        m_handles.push_back(CActionFactory::BeginGroup(m_engine.m_objects));
        std::vector<int> chain;
        std::vector<int> all;
        const int stages = 1 + int(m_random() % 3);
        for (int stage = 0; stage < stages; ++stage) {
            if (stage > 0)
                m_handles.push_back(CActionFactory::NextGroup(m_engine.m_objects));
            const int id = m_next_id++;
            std::vector<int> subtree { id };
            AddWaits(id);
            if (depth > 0 && m_random() % 2 == 0) {
                const std::vector<int> nested = BuildGroup(depth - 1);
                subtree.insert(subtree.end(), nested.begin(), nested.end());
                AddWaits(id);
            }
            for (const int earlier : chain)
                m_follows.emplace_back(earlier, id);
            chain.push_back(id);
            m_subtree[id] = subtree;
            all.insert(all.end(), subtree.begin(), subtree.end());
        }
        CActionFactory::EndGroup(m_engine.m_objects);
        return all;
    }

    [[nodiscard]] uint64_t AnyHandle() { return m_handles[m_random() % m_handles.size()]; }
    [[nodiscard]] size_t QueuedWaits() const { return m_waits; }

    // Every stage's subtree finished in an update before any of a later
    // stage of its chain did.
    void ExpectOrder(const std::vector<int>& frame_of_event) const
    {
        std::map<int, std::pair<int, int>> span; // stage -> first and last finishing frame
        for (size_t i = 0; i < m_recorder.events.size(); ++i) {
            const int stage = int(m_recorder.events[i].param1);
            auto [it, fresh] = span.try_emplace(stage, frame_of_event[i], frame_of_event[i]);
            if (!fresh) {
                it->second.first = std::min(it->second.first, frame_of_event[i]);
                it->second.second = std::max(it->second.second, frame_of_event[i]);
            }
        }
        const auto subtree_span = [&](int stage) {
            std::pair<int, int> result { INT32_MAX, INT32_MIN };
            for (const int member : m_subtree.at(stage)) {
                if (const auto found = span.find(member); found != span.end()) {
                    result.first = std::min(result.first, found->second.first);
                    result.second = std::max(result.second, found->second.second);
                }
            }
            return result;
        };
        for (const auto& [earlier, later] : m_follows) {
            const auto before = subtree_span(earlier);
            const auto after = subtree_span(later);
            if (before.second != INT32_MIN && after.first != INT32_MAX) {
                EXPECT_LT(before.second, after.first)
                    << "stage " << later << " ran before stage " << earlier << " ended";
            }
        }
    }

private:
    void AddWaits(int stage)
    {
        for (int count = int(m_random() % 3); count > 0; --count) {
            const EngineEvent done { m_recorder.GetId(), DONE_EVENT, uintptr_t(stage), 0 };
            CActionFactory::AddWaitFramesAction(m_engine.m_objects, m_random() % 100, &done);
            ++m_waits;
        }
    }

    ActionFixture& m_engine;
    const CRecordingObject& m_recorder;
    std::mt19937 m_random;
    int m_next_id { 1 };
    size_t m_waits { 0 };
    std::vector<uint64_t> m_handles;
    std::map<int, std::vector<int>> m_subtree;
    std::vector<std::pair<int, int>> m_follows;
};

// Runs frames until no action and no group record is left (cancelled
// actions of a held stage are still queued), at most a deadline of frames;
// answers the frame each recorded event came in.
std::vector<int> RunUntilQuiet(ActionFixture& engine, const CRecordingObject& recorder,
                               const std::function<void(int)>& at_frame = {})
{
    std::vector<int> frame_of_event;
    for (int frame = 0; frame < 400; ++frame) {
        if (at_frame)
            at_frame(frame);
        engine.Frame();
        frame_of_event.resize(recorder.events.size(), frame);
        if (engine.m_objects->GetActionCount() == 0 && engine.Runner().GetGroupCount() == 0)
            break;
    }
    return frame_of_event;
}

} // namespace

TEST(ActionGroups, RandomNestedStagesRunInOrderAndReleaseEveryRecord)
{
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE(seed);
        ActionFixture engine;
        auto* recorder = engine.Add<CRecordingObject>(0, 0, 4, 4);
        CGroupPlan plan(engine, *recorder, seed);
        for (int group = 0; group < 3; ++group)
            plan.BuildGroup(3);
        const std::vector<int> frames = RunUntilQuiet(engine, *recorder);
        EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
        EXPECT_EQ(engine.Runner().GetGroupCount(), 0u);
        EXPECT_EQ(engine.Runner().GetCurrentGroup(), 0u);
        EXPECT_EQ(recorder->events.size(), plan.QueuedWaits());
        plan.ExpectOrder(frames);
    }
}

TEST(ActionCancel, CancellingAnyStageOfRandomGroupsStillReleasesEveryRecord)
{
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE(seed);
        ActionFixture engine;
        auto* recorder = engine.Add<CRecordingObject>(0, 0, 4, 4);
        CGroupPlan plan(engine, *recorder, seed);
        for (int group = 0; group < 3; ++group)
            plan.BuildGroup(3);
        const int cancel_at = int(seed % 5);
        const std::vector<int> frames = RunUntilQuiet(engine, *recorder, [&](int frame) {
            if (frame == cancel_at)
                CActionFactory::CancelGroup(engine.m_objects, plan.AnyHandle());
        });
        EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
        EXPECT_EQ(engine.Runner().GetGroupCount(), 0u);
        EXPECT_LE(recorder->events.size(), plan.QueuedWaits());
        plan.ExpectOrder(frames);
    }
}

TEST(ActionRunner, RecordsComeFromThePoolsAndGoBack)
{
    ActionFixture engine;
    CEngineObject* object = engine.Add(10, 10, 4, 4);
    const CBlockPool& items = engine.Runner().GetItemPool();
    const CBlockPool& groups = engine.Runner().GetGroupPool();
    EXPECT_EQ(items.GetFreeBytes(), items.GetTotalBytes());
    // More than one block of each: the pools grow and the records still work.
    for (int i = 0; i < 100; ++i) {
        ASSERT_NE(CActionFactory::BeginGroup(engine.m_objects), 0u);
        ASSERT_NE(CActionFactory::AddActivateAction(engine.m_objects, object, uint8_t(i & 1)), 0u);
        CActionFactory::EndGroup(engine.m_objects);
    }
    EXPECT_GT(items.GetBlockCount(), 1u);
    EXPECT_GT(groups.GetBlockCount(), 1u);
    EXPECT_LT(items.GetFreeBytes(), items.GetTotalBytes());
    engine.Frame();
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
    EXPECT_EQ(engine.Runner().GetGroupCount(), 0u);
    EXPECT_EQ(items.GetFreeBytes(), items.GetTotalBytes());
    EXPECT_EQ(groups.GetFreeBytes(), groups.GetTotalBytes());
}

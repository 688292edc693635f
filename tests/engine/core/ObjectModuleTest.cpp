#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/core/ActionFactory.h"
#include "engine/core/ActionRunner.h"

using namespace enginetest;

TEST(ObjectModule, RegistersWithIdsFromOneAndZFromTheId)
{
    EngineFixture engine;
    CEngineObject* first = engine.m_objects->NewObject(nullptr);
    CEngineObject* second = engine.m_objects->NewObject(nullptr);
    EXPECT_EQ(first->GetId(), 1u);
    EXPECT_EQ(first->GetZ(), -9999.0);
    EXPECT_EQ(second->GetId(), 2u);
    EXPECT_EQ(second->GetZ(), -9998.0);
    EXPECT_EQ(engine.m_objects->FindObject(2), second);
    EXPECT_EQ(engine.m_objects->FindObject(3), nullptr);
    first->SetName("object_cursor");
    EXPECT_EQ(engine.m_objects->FindObjectByName("object_cursor"), first);
    EXPECT_EQ(engine.m_objects->GetTopZ(0), 0.0);
    EXPECT_EQ(engine.m_objects->GetTopZ(5), 0.0);
}

TEST(ObjectModule, CreatorsOwnerIsTakenOver)
{
    EngineFixture engine;
    CEngineObject* owner = engine.m_objects->NewObject(nullptr);
    CEngineObject* creator = engine.m_objects->NewObject(nullptr);
    creator->SetOwner(owner);
    CEngineObject* child = engine.m_objects->NewObject(creator);
    EXPECT_EQ(child->GetOwner(), owner);
}

TEST(ObjectModule, PaintsInLayerZIdOrderOncePerUpdate)
{
    EngineFixture engine;
    auto* back = engine.Add(100, 100, 20, 20);
    auto* front = engine.Add(100, 100, 20, 20);
    auto* top = engine.Add(100, 100, 20, 20);
    top->SetLayer(3);
    top->Invalidate();
    back->SetZ(5.0);
    back->Invalidate();
    engine.Tick(3);
    ASSERT_EQ(engine.m_paint->requests.size(), 1u);
    const RenderRequest& request = *engine.m_paint->requests[0];
    ASSERT_EQ(request.records.size(), 3u);
    EXPECT_EQ(request.records[0].picture, &front->picture);
    EXPECT_EQ(request.records[1].picture, &back->picture);
    EXPECT_EQ(request.records[2].picture, &top->picture);
    EXPECT_EQ(request.view_centre_x, 400);
    EXPECT_EQ(request.rects.size(), 1u);
    // Positions relative to the view (here the view starts at 0, 0).
    EXPECT_EQ(request.records[0].state.x, 100.0);
    EXPECT_TRUE(engine.m_objects->IsPaintOrderSorted());
    EXPECT_EQ(engine.m_objects->GetPaintIndex(front->GetId()), -1);
    EXPECT_EQ(engine.m_objects->GetPaintIndex(top->GetId()), 1);
    EXPECT_EQ(engine.m_objects->GetPaintIndex(999), 2);

    // Nothing changed: no request.
    engine.Tick(3);
    EXPECT_EQ(engine.m_paint->requests.size(), 1u);
    // One change repaints only what meets its area.
    auto* far_away = engine.Add(700, 500, 10, 10);
    engine.Tick(3);
    ASSERT_EQ(engine.m_paint->requests.size(), 2u);
    ASSERT_EQ(engine.m_paint->requests[1]->records.size(), 1u);
    EXPECT_EQ(engine.m_paint->requests[1]->records[0].picture, &far_away->picture);
}

// A fixed run of z, layer and switch changes, each object updated only now and
// then: the paint order must always be the order of the layer and z each
// listed object had at its last update (ties by id, a z that is not a number
// on top of its layer), whatever the others changed meanwhile.
TEST(ObjectModule, PaintOrderKeepsEachObjectsPlaceFromItsLastUpdate)
{
    EngineFixture engine;
    struct Placed {
        CPictureObject* object;
        bool listed;
        uint32_t layer;
        double z;
    };
    std::vector<Placed> placed;
    for (int i = 0; i < 10; ++i) {
        CPictureObject* object = engine.Add(100 + i, 100, 20, 20);
        placed.push_back({ object, true, 0, object->GetZ() });
    }
    std::minstd_rand random(48);
    for (int step = 0; step < 600; ++step) {
        Placed& p = placed[random() % placed.size()];
        const uint32_t pick = random() % 7;
        if (pick == 0)
            p.object->SetZ(static_cast<double>(random() % 5) - 2.0);
        else if (pick == 1)
            p.object->SetZ(std::numeric_limits<double>::quiet_NaN());
        else if (pick == 2)
            p.object->SetLayer(random() % 3);
        else if (pick == 3)
            p.object->IsActive() ? p.object->Deactivate() : p.object->Activate();
        if (pick < 4 && random() % 2 == 0)
            continue; // Changed, not yet updated.
        p.object->Invalidate();
        p.listed = p.object->IsActive();
        p.layer = p.object->GetLayer();
        p.z = std::isnan(p.object->GetZ()) ? HUGE_VAL : p.object->GetZ();

        std::vector<const Placed*> expected;
        for (const Placed& q : placed) {
            if (q.listed)
                expected.push_back(&q);
        }
        std::sort(expected.begin(), expected.end(), [](const Placed* a, const Placed* b) {
            return std::tuple(a->layer, a->z, a->object->GetId()) < std::tuple(b->layer, b->z, b->object->GetId());
        });
        ASSERT_EQ(engine.m_objects->GetPaintOrderCount(), expected.size()) << "step " << step;
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(engine.m_objects->GetPaintIndex(expected[i]->object->GetId()), int32_t(i) - 1) << "step " << step;
    }
}

TEST(ObjectModule, FullRedrawSendsEveryListedObjectWithTheWholeView)
{
    EngineFixture engine;
    engine.Add(100, 100, 20, 20);
    engine.Add(700, 500, 20, 20);
    engine.Tick(3);
    engine.m_objects->SetFullRedraw(true);
    engine.m_objects->AddDirtyRect(EngineRect { 0, 0, 1, 1 });
    engine.Tick(3);
    ASSERT_EQ(engine.m_paint->requests.size(), 2u);
    const RenderRequest& request = *engine.m_paint->requests[1];
    EXPECT_EQ(request.records.size(), 2u);
    ASSERT_EQ(request.rects.size(), 1u);
    EXPECT_EQ(request.rects[0], (EngineRect { 0, 0, 800, 600 }));
}

TEST(ObjectModule, ObjectsLeavingTheViewOrSwitchedOffAreUnlistedAndRepainted)
{
    EngineFixture engine;
    auto* object = engine.Add(100, 100, 20, 20);
    engine.Tick(3);
    EXPECT_EQ(engine.m_objects->GetPaintOrderCount(), 1u);
    object->Deactivate();
    object->Invalidate();
    EXPECT_EQ(engine.m_objects->GetPaintOrderCount(), 0u);
    EXPECT_EQ(engine.m_objects->GetDirtyRects().size(), 1u);
    object->Activate();
    object->Invalidate();
    object->Enable(false);
    EXPECT_EQ(engine.m_objects->GetPaintOrderCount(), 0u);
    object->Enable(true);
    EXPECT_EQ(engine.m_objects->GetPaintOrderCount(), 1u);
    object->MoveTo(5000, 5000);
    object->Invalidate();
    EXPECT_EQ(engine.m_objects->GetPaintOrderCount(), 0u);
    // The old area is dirty: it must be repainted without the object.
    bool old_area_dirty = false;
    for (const auto& rect : engine.m_objects->GetDirtyRects())
        old_area_dirty |= rect.left <= 90 && rect.right >= 110;
    EXPECT_TRUE(old_area_dirty);
}

TEST(ObjectModule, DirtyRectangleMergeRules)
{
    EngineFixture engine;
    engine.Tick(3);
    ObjectModule& objects = *engine.m_objects;
    objects.AddDirtyRect(EngineRect { 10, 10, 50, 50 });
    objects.AddDirtyRect(EngineRect { 20, 20, 30, 30 }); // Inside: nothing changes.
    ASSERT_EQ(objects.GetDirtyRects().size(), 1u);
    EXPECT_EQ(objects.GetDirtyRects()[0], (EngineRect { 10, 10, 50, 50 }));
    objects.AddDirtyRect(EngineRect { 0, 0, 60, 60 }); // Covers it: replaces it.
    ASSERT_EQ(objects.GetDirtyRects().size(), 1u);
    EXPECT_EQ(objects.GetDirtyRects()[0], (EngineRect { 0, 0, 60, 60 }));
    objects.AddDirtyRect(EngineRect { 0, 100, 60, 120 }); // Same left and right, with a gap.
    ASSERT_EQ(objects.GetDirtyRects().size(), 1u);
    EXPECT_EQ(objects.GetDirtyRects()[0], (EngineRect { 0, 0, 60, 120 }));
    objects.AddDirtyRect(EngineRect { 300, 300, 310, 310 }); // Unrelated: appended.
    EXPECT_EQ(objects.GetDirtyRects().size(), 2u);
    objects.AddDirtyRect(EngineRect { 400, 300, 420, 310 }); // Same top and bottom, with a gap.
    ASSERT_EQ(objects.GetDirtyRects().size(), 2u);
    EXPECT_EQ(objects.GetDirtyRects()[1], (EngineRect { 300, 300, 420, 310 }));
    objects.AddDirtyRect(EngineRect { 900, 900, 1000, 1000 }); // Outside the view.
    EXPECT_EQ(objects.GetDirtyRects().size(), 2u);
    // Partly outside: always stored clipped to the view, first or not.
    objects.AddDirtyRect(EngineRect { 700, 500, 900, 700 });
    ASSERT_EQ(objects.GetDirtyRects().size(), 3u);
    EXPECT_EQ(objects.GetDirtyRects()[2], (EngineRect { 700, 500, 800, 600 }));
}

TEST(ObjectModule, HitTestTakesTheTopmostAndTiesGoToTheLowerId)
{
    EngineFixture engine;
    auto* lower = engine.Add(100, 100, 20, 20);
    auto* higher = engine.Add(100, 100, 20, 20);
    higher->SetZ(lower->GetZ());
    higher->Invalidate();
    EXPECT_EQ(engine.m_objects->HitTest(100, 100), lower);
    higher->SetZ(lower->GetZ() + 1);
    higher->Invalidate();
    EXPECT_EQ(engine.m_objects->HitTest(100, 100), higher);
    higher->Show(false);
    EXPECT_EQ(engine.m_objects->HitTest(100, 100), lower);
    EXPECT_EQ(engine.m_objects->HitTest(300, 300), nullptr);
    // A GUI object with a visual is found through its visual only.
    auto* gui = engine.Add<CRecordingObject>(500, 100, 20, 20);
    auto* visual = engine.Add(500, 100, 20, 20);
    gui->SetVisual(visual, VELOTRIX_LINK_POSITION);
    gui->RaiseToTopLayer();
    EXPECT_EQ(engine.m_objects->HitTest(500, 100), visual);
}

TEST(ObjectModule, NoPaintModuleMeansNoLeakedRequest)
{
    EngineFixture engine(false);
    engine.Add(100, 100, 20, 20);
    engine.Tick(3); // ASan reports the request if it were leaked.
    EXPECT_TRUE(engine.m_objects->GetDirtyRects().empty());
}

TEST(ObjectModule, MinimisedWindowKeepsTheDirtyAreasForLater)
{
    EngineFixture engine;
    engine.m_objects->SetMinimised(true);
    engine.Add(100, 100, 20, 20);
    engine.Tick(3);
    engine.Add(200, 200, 20, 20);
    engine.Tick(3);
    EXPECT_TRUE(engine.m_paint->requests.empty());
    EXPECT_FALSE(engine.m_objects->GetDirtyRects().empty());
    engine.m_objects->SetMinimised(false);
    engine.Tick(3);
    ASSERT_EQ(engine.m_paint->requests.size(), 1u);
    EXPECT_EQ(engine.m_paint->requests[0]->records.size(), 2u);
}

TEST(ObjectModule, EventsAreSentPostedAndRouted)
{
    EngineFixture engine;
    auto* sender = engine.Add<CRecordingObject>(100, 100, 10, 10);
    auto* receiver = engine.Add<CRecordingObject>(200, 100, 10, 10);
    EngineEvent event { receiver->GetId(), 80000001, 7, 0 };
    EXPECT_EQ(sender->SendEvent(event), 1);
    EXPECT_EQ(receiver->events.size(), 1u);
    sender->PostEvent(event);
    EXPECT_EQ(receiver->events.size(), 1u);
    engine.Tick(3);
    ASSERT_EQ(receiver->events.size(), 2u);
    EXPECT_EQ(receiver->events[1].param1, 7u);
    EXPECT_EQ(sender->SendEvent(EngineEvent { 999, 80000001, 0, 0 }), 0);
    EXPECT_EQ(sender->SendEvent(EngineEvent { receiver->GetId(), 0, 0, 0 }), 0);
    CRecordingObject unregistered;
    EXPECT_EQ(unregistered.SendEvent(event), 0);
}

TEST(ObjectModule, ObjectDestroyedDuringItsOwnEventGoesAfterTheDelivery)
{
    EngineFixture engine;
    bool alive = true;
    bool alive_after_request = false;
    auto* object = engine.Add<CRecordingObject>(100, 100, 10, 10);
    object->alive = &alive;
    object->alive_after_destroy_request = &alive_after_request;
    object->destroy_on = 80000005;
    const uint32_t id = object->GetId();
    EngineEvent event { id, 80000005, 0, 0 };
    EXPECT_EQ(engine.m_objects->DeliverEvent(event), 1);
    EXPECT_TRUE(alive_after_request); // Still there for the rest of its handler.
    EXPECT_FALSE(alive);
    EXPECT_EQ(engine.m_objects->FindObject(id), nullptr);
}

TEST(ObjectModule, ThrowingHandlerLeavesNoObjectMarkedAsBeingDelivered)
{
    struct CThrowingObject : CGuiObject {
        int OnEvent(const EngineEvent& event) override
        {
            if (event.id == 80000006)
                throw std::runtime_error("handler fault");
            return CGuiObject::OnEvent(event);
        }
    };
    EngineFixture engine;
    auto* object = engine.Add<CThrowingObject>(100, 100, 10, 10);
    const uint32_t id = object->GetId();
    EXPECT_THROW(engine.m_objects->DeliverEvent(EngineEvent { id, 80000006, 0, 0 }), std::runtime_error);
    engine.m_objects->DestroyObject(id);
    EXPECT_EQ(engine.m_objects->FindObject(id), nullptr);
}

TEST(ObjectModule, DestroyingALeaderTakesOnlyItsOwnedFollowers)
{
    EngineFixture engine;
    CEngineObject* leader = engine.m_objects->NewObject(nullptr);
    CEngineObject* owned = engine.m_objects->NewObject(nullptr);
    CEngineObject* free_follower = engine.m_objects->NewObject(nullptr);
    leader->AddFollower(owned, VELOTRIX_LINK_OWNED);
    leader->AddFollower(free_follower, VELOTRIX_LINK_POSITION);
    const uint32_t owned_id = owned->GetId();
    engine.m_objects->DestroyObject(leader->GetId());
    EXPECT_EQ(engine.m_objects->FindObject(owned_id), nullptr);
    EXPECT_EQ(free_follower->GetLeader(), nullptr);
    EXPECT_EQ(engine.m_objects->GetObjectCount(), 1u);
}

TEST(ObjectModule, DeferredDestroyStopsPaintingAtOnceAndRemovesLater)
{
    EngineFixture engine;
    auto* entity = engine.Add<CRecordingObject>(100, 100, 10, 10);
    auto* doomed = engine.Add(200, 100, 10, 10);
    const uint32_t id = doomed->GetId();
    entity->DestroyObject(doomed, true);
    entity->DestroyObject(doomed, true); // Twice is harmless.
    EXPECT_EQ(engine.m_objects->GetPaintOrderCount(), 1u);
    EXPECT_NE(engine.m_objects->FindObject(id), nullptr);
    engine.Tick(3); // the destroy action runs
    EXPECT_NE(engine.m_objects->FindObject(id), nullptr);
    engine.Tick(3); // and takes the object in the update after
    EXPECT_EQ(engine.m_objects->FindObject(id), nullptr);
}

TEST(ObjectModule, UnloadDestroysEverythingAndLoadsCleanly)
{
    auto engine = std::make_unique<EngineFixture>();
    CEngineObject* a = engine->m_objects->NewObject(nullptr);
    CEngineObject* b = engine->m_objects->NewObject(nullptr);
    a->AddFollower(b, VELOTRIX_LINK_OWNED);
    engine->m_core.UnloadAll();
    EXPECT_EQ(engine->m_core.GetModuleCount(), 0u);
}

namespace {

// A quit button: its event takes the whole engine down, then the handler
// goes on touching its own object (ASan checks it is still there).
class CQuitButton : public CGuiObject {
public:
    static constexpr uint32_t QUIT = 80000007;
    int OnEvent(const EngineEvent& event) override
    {
        if (event.id == QUIT) {
            GetCore()->UnloadAll();
            handled_after_unload = true;
        }
        return CGuiObject::OnEvent(event);
    }
    ~CQuitButton() override { *gone = true; }
    bool handled_after_unload { false };
    bool* gone { nullptr };
};

} // namespace

TEST(ObjectModule, EngineUnloadedFromAnObjectsOwnHandlerWaitsForTheHandlerToEnd)
{
    EngineFixture engine;
    bool gone = false;
    auto* button = engine.Add<CQuitButton>(100, 100, 10, 10);
    button->gone = &gone;
    button->PostEvent(EngineEvent { button->GetId(), CQuitButton::QUIT, 0, 0 });
    engine.Tick(3);
    EXPECT_TRUE(gone);
    EXPECT_EQ(engine.m_core.GetModuleCount(), 0u);
}

TEST(ObjectModule, EngineUnloadedFromAnActionsDoneEvent)
{
    // The done event arrives from inside the action runner's pass; the
    // runner must outlive the unload it causes (ASan checks). The loaded
    // module has its runner without being given one.
    EngineFixture engine;
    bool gone = false;
    auto* button = engine.Add<CQuitButton>(100, 100, 10, 10);
    button->gone = &gone;
    const EngineEvent done { button->GetId(), CQuitButton::QUIT, 0, 0 };
    ASSERT_NE(CActionFactory::AddWaitTimeAction(engine.m_objects, 30, &done), 0u);
    engine.Tick(30);
    EXPECT_TRUE(gone);
    EXPECT_EQ(engine.m_core.GetModuleCount(), 0u);
}

TEST(ObjectModule, WorkIsDueForDirtyAreasAndTheSoonestAction)
{
    EngineFixture engine(false);
    constexpr uint32_t NONE = EngineModule::NO_WORK_DUE;
    auto* picture = engine.Add(100, 100, 10, 10);
    EXPECT_EQ(engine.m_core.GetWorkDueIn(), 11u); // to be painted, once the interval has passed
    engine.Tick(4);                              // painted at 15 ms
    EXPECT_EQ(engine.m_core.GetWorkDueIn(), NONE);
    ASSERT_NE(CActionFactory::AddWaitTimeAction(engine.m_objects, 1000), 0u); // from 20 ms to past 1020
    EXPECT_EQ(engine.m_core.GetWorkDueIn(), 0u);
    engine.Tick(3); // started at 30 ms
    EXPECT_EQ(engine.m_core.GetWorkDueIn(), 1021u - 35u);
    engine.m_clock.Advance(500); // asleep
    EXPECT_EQ(engine.m_core.GetWorkDueIn(), 1021u - 535u);
    picture->Invalidate();
    EXPECT_EQ(engine.m_core.GetWorkDueIn(), 0u);
    engine.m_objects->SetMinimised(true); // the areas wait for the restore
    EXPECT_EQ(engine.m_core.GetWorkDueIn(), 1021u - 535u);
    engine.m_objects->SetMinimised(false);
    engine.Tick();
    EXPECT_EQ(engine.m_core.GetWorkDueIn(), 1021u - 540u);
    // An event every 200 ms is due sooner.
    const EngineEvent event { picture->GetId(), 9, 0, 0 };
    ASSERT_NE(CActionFactory::AddRepeatEventAction(engine.m_objects, 200, 2, &event), 0u);
    engine.Tick(3); // started at 555 ms
    EXPECT_EQ(engine.m_core.GetWorkDueIn(), 200u);
    engine.m_clock.Set(1021);
    EXPECT_EQ(engine.m_core.GetWorkDueIn(), 0u);
    engine.Tick(2);
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
    EXPECT_EQ(engine.m_core.GetWorkDueIn(), NONE);
}

TEST(ObjectModule, StateMeetsRectForRotatedObjects)
{
    ObjectState state;
    state.x = 100;
    state.y = 100;
    state.width = 40;
    state.height = 10;
    state.angle = 45;
    EXPECT_TRUE(ObjectModule::StateMeetsRect(state, EngineRect { 90, 90, 110, 110 }));   // Centre inside.
    EXPECT_TRUE(ObjectModule::StateMeetsRect(state, EngineRect { 0, 0, 300, 300 }));     // Rect holds it.
    EXPECT_TRUE(ObjectModule::StateMeetsRect(state, EngineRect { 115, 80, 140, 140 }));  // Edges cross.
    EXPECT_FALSE(ObjectModule::StateMeetsRect(state, EngineRect { 200, 200, 300, 300 }));
    state.angle = 0;
    EXPECT_EQ(ObjectModule::GetScreenRect(state), (EngineRect { 80, 95, 120, 105 }));
    state.flags = VELOTRIX_OBJ_HIT_RECT;
    state.hit_rect = EngineRect { 90, 0, 100, 200 };
    EXPECT_EQ(ObjectModule::GetScreenRect(state), (EngineRect { 90, 95, 100, 105 }));
}

namespace {

class CRecordingResourceModule : public EngineModule {
public:
    int Load() override { return 1; }
    void Unload() override {}
    void Update() override {}
    int32_t GetId() const override { return VELOTRIX_MODULE_RESOURCE; }
    const char* GetName() const override { return "ResourceModule"; }
    int32_t OnMessage(int32_t id, uintptr_t param1, uintptr_t) override
    {
        if (id == VELOTRIX_MSG_LOAD_PACKAGE_MEMORY)
            texts.push_back(std::to_string(reinterpret_cast<const std::span<const uint8_t>*>(param1)->size()));
        else
            texts.emplace_back(reinterpret_cast<const char*>(param1));
        ids.push_back(id);
        return VELOTRIX_RETURN_OK;
    }
    std::vector<int32_t> ids;
    std::vector<std::string> texts;
};

} // namespace

TEST(EngineEntity, SettingsWithAndWithoutACoreAndResourceMessages)
{
    CGuiObject loose;
    EXPECT_EQ(loose.GetIntSetting(5), -2);
    EXPECT_EQ(loose.GetStringSetting(22), "");
    EXPECT_EQ(loose.AddResourceDirectory("skin"), 0);

    EngineFixture engine;
    auto* entity = engine.Add<CRecordingObject>(10, 10, 2, 2);
    EXPECT_EQ(entity->GetIntSetting(5), -1);
    entity->SetIntSetting(5, 14);
    EXPECT_EQ(entity->GetIntSetting(5), 14);
    EXPECT_EQ(entity->GetViewWidth(), 800);
    EXPECT_EQ(entity->LoadResourcePackage("skin\\table.kor"), 0); // No resource module yet.
    auto resources = std::make_unique<CRecordingResourceModule>();
    CRecordingResourceModule* recorder = resources.get();
    ASSERT_EQ(engine.m_core.LoadModule(std::move(resources), true, true), VELOTRIX_RETURN_OK);
    EXPECT_EQ(entity->AddResourceDirectory("skin"), 1);
    EXPECT_EQ(entity->LoadResourcePackage("skin\\table.kor"), 1);
    const std::vector<uint8_t> image(12, 0);
    EXPECT_EQ(entity->LoadResourcePackageFromMemory(image), 1);
    EXPECT_EQ(recorder->ids, (std::vector<int32_t> { VELOTRIX_MSG_ADD_DIRECTORY, VELOTRIX_MSG_LOAD_PACKAGE,
                                                      VELOTRIX_MSG_LOAD_PACKAGE_MEMORY }));
    EXPECT_EQ(recorder->texts, (std::vector<std::string> { "skin", "skin\\table.kor", "12" }));
}

namespace {

int g_released = 0;
void ReleaseSoundEvent(uintptr_t, EngineEvent* event, uintptr_t)
{
    ++g_released;
    delete event;
}

} // namespace

TEST(ObjectModule, ModuleMessagesSoundEndsRefreshAndIgnoredIds)
{
    EngineFixture engine;
    auto* object = engine.Add<CRecordingObject>(100, 100, 10, 10);
    engine.Tick(4);
    const size_t painted = engine.m_paint->requests.size();

    // A sound's end event is delivered, then released by its function or
    // left to the message that owns it.
    EngineEvent plain { object->GetId(), 80000300, 1, 0 };
    EXPECT_EQ(engine.m_objects->OnMessage(VELOTRIX_MSG_SOUND_FINISHED, reinterpret_cast<uintptr_t>(&plain), 0), 0);
    auto* released = new EngineEvent { object->GetId(), 80000300, 2, 0 };
    g_released = 0;
    engine.m_objects->OnMessage(VELOTRIX_MSG_SOUND_FINISHED, reinterpret_cast<uintptr_t>(released),
                                reinterpret_cast<uintptr_t>(&ReleaseSoundEvent));
    EXPECT_EQ(g_released, 1);
    ASSERT_EQ(object->events.size(), 2u);
    EXPECT_EQ(object->events[1].param1, 2u);

    // 1022 and ids outside 1015..1030 are ignored with 0.
    EXPECT_EQ(engine.m_objects->OnMessage(1022, 1, 2), 0);
    EXPECT_EQ(engine.m_objects->OnMessage(1014, 1, 2), 0);
    EXPECT_EQ(engine.m_objects->OnMessage(1031, 1, 2), 0);
    EXPECT_EQ(engine.m_paint->requests.size(), painted);

    // A view refresh paints the whole view at once.
    engine.m_objects->OnMessage(VELOTRIX_MSG_REFRESH_VIEW, 0, 0);
    ASSERT_EQ(engine.m_paint->requests.size(), painted + 1);
    ASSERT_EQ(engine.m_paint->requests.back()->rects.size(), 1u);
    EXPECT_EQ(engine.m_paint->requests.back()->rects[0], (EngineRect { 0, 0, 800, 600 }));
}

TEST(ObjectModule, InputOwnerIsFoundUpTheLeaderChain)
{
    EngineFixture engine;
    CEngineObject* top = engine.Add(100, 100, 10, 10);
    CEngineObject* middle = engine.Add(100, 100, 10, 10);
    CEngineObject* leaf = engine.Add(100, 100, 10, 10);
    top->AddFollower(middle, VELOTRIX_LINK_POSITION);
    middle->AddFollower(leaf, VELOTRIX_LINK_POSITION);
    EXPECT_EQ(engine.m_objects->FindInputOwner(leaf->GetId()), 0u);
    top->SetCatchInput(true);
    EXPECT_EQ(engine.m_objects->FindInputOwner(leaf->GetId()), top->GetId());
    middle->SetCatchInput(true);
    EXPECT_EQ(engine.m_objects->FindInputOwner(leaf->GetId()), middle->GetId());
    EXPECT_EQ(engine.m_objects->FindInputOwner(9999), 0u);
}

TEST(ObjectModule, HitTestFloorHidesObjectsBelowIt)
{
    EngineFixture engine;
    CEngineObject* object = engine.Add(100, 100, 10, 10); // z -9999
    engine.Tick(3);
    EXPECT_EQ(engine.m_objects->HitTest(100, 100), object);
    engine.m_objects->SetHitTestFloor(-9000.0);
    EXPECT_EQ(engine.m_objects->HitTest(100, 100), nullptr);
}

TEST(ObjectModule, DestroyRequestForAnObjectAlreadyGoneDoesNothing)
{
    EngineFixture engine;
    CEngineObject* gone = engine.Add(100, 100, 10, 10);
    CEngineObject* kept = engine.Add(120, 100, 10, 10);
    engine.m_core.PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_OBJECT_DESTROYED, reinterpret_cast<uintptr_t>(gone),
                              0);
    engine.m_objects->DestroyObject(gone->GetId());
    engine.Tick(3); // the stale request is not read through (ASan checks)
    EXPECT_EQ(engine.m_objects->GetObjectCount(), 1u);
    engine.m_core.PostMessage(VELOTRIX_MODULE_OBJECT, VELOTRIX_MSG_OBJECT_DESTROYED, reinterpret_cast<uintptr_t>(kept),
                              0);
    engine.Tick(3);
    EXPECT_EQ(engine.m_objects->GetObjectCount(), 0u);
}

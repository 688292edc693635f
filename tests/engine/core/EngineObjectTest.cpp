#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>

#include "EngineTestSupport.h"
#include "tests/platform/ThreadProbe.h"
#include "engine/core/GuiContainer.h"
#include "engine/core/InputState.h"

using namespace enginetest;

TEST(EngineObject, StartsFarAwayAndClampsLayersAndZ)
{
    CEngineObject object;
    EXPECT_EQ(object.GetX(), -100000.0);
    EXPECT_EQ(object.GetY(), -100000.0);
    EXPECT_EQ(object.GetAlpha(), 1.0);
    EXPECT_EQ(object.GetWidth(), 0.0);
    EXPECT_EQ(object.GetType(), 1);
    object.SetLayer(2000000);
    EXPECT_EQ(object.GetLayer(), VELOTRIX_LAYER_MAX);

    object.SetZ(999985.0);
    CEngineObject follower;
    object.AddFollower(&follower, VELOTRIX_LINK_Z);
    object.MoveZBy(10.0);
    EXPECT_EQ(object.GetZ(), VELOTRIX_Z_MAX);
    EXPECT_EQ(follower.GetZ(), 10.0); // The follower still gets the full delta.
}

TEST(EngineObject, FollowersRepeatOnlyTheirLinkedChanges)
{
    CEngineObject leader;
    CEngineObject moves;
    CEngineObject fades;
    CEngineObject sized;
    leader.MoveTo(0, 0);
    moves.MoveTo(10, 10);
    EXPECT_EQ(leader.AddFollower(&moves, VELOTRIX_LINK_POSITION), 1);
    EXPECT_EQ(leader.AddFollower(&fades, VELOTRIX_LINK_ALPHA | VELOTRIX_LINK_SHOW), 2);
    EXPECT_EQ(leader.AddFollower(&sized, VELOTRIX_LINK_SIZE), 3);
    EXPECT_EQ(leader.AddFollower(&moves, VELOTRIX_LINK_POSITION | VELOTRIX_LINK_ALPHA), 0);
    EXPECT_EQ(leader.GetFollowerFlags(0), VELOTRIX_LINK_POSITION | VELOTRIX_LINK_ALPHA);

    leader.MoveBy(5, -5);
    EXPECT_EQ(moves.GetX(), 15.0);
    EXPECT_EQ(moves.GetY(), 5.0);
    EXPECT_EQ(fades.GetX(), -100000.0);
    leader.SetAlpha(0.5);
    EXPECT_EQ(fades.GetAlpha(), 0.5);
    EXPECT_EQ(moves.GetAlpha(), 0.5);
    EXPECT_EQ(sized.GetAlpha(), 1.0);
    leader.Show(true);
    EXPECT_TRUE(fades.IsVisible());
    EXPECT_FALSE(moves.IsVisible());

    // From size 0 the follower gets the absolute size, then ratios.
    leader.SetSize(-5, 10);
    EXPECT_EQ(leader.GetWidth(), 0.0);
    EXPECT_EQ(sized.GetHeight(), 10.0);
    leader.SetSize(40, 20);
    EXPECT_EQ(sized.GetWidth(), 40.0);
    leader.SetSize(80, 10);
    EXPECT_EQ(sized.GetWidth(), 80.0);
    EXPECT_EQ(sized.GetHeight(), 10.0);
    sized.SetSize(10, 10);
    leader.SetSize(160, 20);
    EXPECT_EQ(sized.GetWidth(), 20.0);
    EXPECT_EQ(sized.GetHeight(), 20.0);
}

TEST(EngineObject, EachRemainingLinkFlagCarriesItsOwnChange)
{
    struct CEventCounter : CEngineObject {
        int OnEvent(const EngineEvent& event) override
        {
            ++events;
            return CEngineObject::OnEvent(event);
        }
        int events { 0 };
    };
    CEngineObject leader;
    CEventCounter raw_size;
    CEventCounter hit_rect;
    CEventCounter events;
    CEventCounter activate;
    CEventCounter deactivate;
    leader.AddFollower(&raw_size, VELOTRIX_LINK_RAW_SIZE);
    leader.AddFollower(&hit_rect, VELOTRIX_LINK_HIT_RECT);
    leader.AddFollower(&events, VELOTRIX_LINK_EVENTS);
    leader.AddFollower(&activate, VELOTRIX_LINK_ACTIVATE);
    leader.AddFollower(&deactivate, VELOTRIX_LINK_DEACTIVATE);
    const std::vector<CEventCounter*> all { &raw_size, &hit_rect, &events, &activate, &deactivate };

    leader.SetSizeRaw(30, 40);
    leader.SetHitRect(1, 2, 3, 4);
    leader.ForwardEvent(EngineEvent { 0, 80000001, 0, 0 });
    leader.Activate();
    for (CEventCounter* follower : all) {
        EXPECT_EQ(follower->GetWidth(), follower == &raw_size ? 30.0 : 0.0);
        EXPECT_EQ((follower->GetFlags() & VELOTRIX_OBJ_HIT_RECT) != 0, follower == &hit_rect);
        EXPECT_EQ(follower->events, follower == &events ? 1 : 0);
        EXPECT_EQ(follower->IsActive(), follower == &activate);
    }
    EXPECT_EQ(hit_rect.GetHitRect(), (EngineRect { 1, 2, 3, 4 }));
    for (CEventCounter* follower : all)
        follower->Activate();
    leader.Deactivate();
    for (CEventCounter* follower : all)
        EXPECT_EQ(follower->IsActive(), follower != &deactivate);
}

TEST(EngineObject, RotationCarriesFollowersAboutTheLeader)
{
    CEngineObject leader;
    CEngineObject satellite;
    leader.MoveTo(100, 100);
    satellite.MoveTo(110, 100);
    leader.AddFollower(&satellite, VELOTRIX_LINK_ROTATE);
    leader.RotateBy(90);
    EXPECT_EQ(leader.GetAngle(), 90.0);
    EXPECT_EQ(satellite.GetAngle(), 90.0);
    // 90 degrees counter-clockwise on screen (y down): right of the centre goes above it.
    EXPECT_NEAR(satellite.GetX(), 100.0, 1e-3);
    EXPECT_NEAR(satellite.GetY(), 90.0, 1e-3);
    CEngineObject still;
    still.MoveTo(3, 4);
    still.RotateAbout(0, 0, 0);
    EXPECT_EQ(still.GetX(), 3.0);
}

TEST(EngineObject, ActivationKeepsFollowersThatWereAlreadyInactive)
{
    CEngineObject leader;
    CEngineObject was_active;
    CEngineObject was_inactive;
    leader.AddFollower(&was_active, VELOTRIX_LINK_KEEP_ACTIVE);
    leader.AddFollower(&was_inactive, VELOTRIX_LINK_KEEP_ACTIVE);
    leader.Activate();
    was_active.Activate();
    leader.Deactivate();
    EXPECT_FALSE(was_active.IsActive());
    leader.Activate();
    EXPECT_TRUE(was_active.IsActive());
    EXPECT_FALSE(was_inactive.IsActive());
}

TEST(EngineObject, FollowerCyclesAreRefused)
{
    CEngineObject a;
    CEngineObject b;
    CEngineObject c;
    EXPECT_EQ(a.AddFollower(&b, VELOTRIX_LINK_POSITION), 1);
    EXPECT_EQ(b.AddFollower(&c, VELOTRIX_LINK_POSITION), 1);
    EXPECT_EQ(c.AddFollower(&a, VELOTRIX_LINK_POSITION), 0);
    EXPECT_EQ(b.AddFollower(&a, VELOTRIX_LINK_POSITION), 0);
    EXPECT_EQ(a.AddFollower(&a, VELOTRIX_LINK_POSITION), 0);
    EXPECT_EQ(a.AddFollower(nullptr, 0), 0);
    EXPECT_EQ(a.GetLeader(), nullptr);
    a.MoveBy(1, 1); // Would never end with a cycle.
    EXPECT_EQ(c.GetX(), -99999.0);
    // ClearLeader forgets the leader but leaves the leader's list as it is;
    // the list still carries changes down, so the cycle is still refused.
    c.ClearLeader();
    EXPECT_EQ(c.AddFollower(&a, VELOTRIX_LINK_POSITION), 0);
    a.MoveBy(1, 1);
    EXPECT_EQ(c.GetX(), -99998.0);
    c.SetLeader(&b); // Consistent again: b still lists c.
    // Re-leading moves the follower from one list to the other.
    EXPECT_EQ(a.AddFollower(&c, 0), 2);
    EXPECT_EQ(b.GetFollowerCount(), 0u);
    EXPECT_EQ(c.GetLeader(), &a);
}

TEST(EngineObject, TopLayerSpreadsToFollowers)
{
    CEngineObject leader;
    CEngineObject early;
    CEngineObject late;
    leader.AddFollower(&early, 0);
    leader.RaiseToTopLayer();
    EXPECT_EQ(leader.GetLayer(), VELOTRIX_LAYER_TOP);
    EXPECT_EQ(early.GetLayer(), VELOTRIX_LAYER_TOP);
    leader.AddFollower(&late, 0);
    EXPECT_EQ(late.GetLayer(), VELOTRIX_LAYER_TOP);
    EXPECT_NE(late.GetFlags() & VELOTRIX_OBJ_TOP_LAYER, 0u);
}

TEST(EngineObject, RoutesAreUniqueAndInputRoutesShowTheObject)
{
    CEngineObject object;
    CEngineObject follower;
    object.AddFollower(&follower, VELOTRIX_LINK_ROUTES);
    object.AddEventRoute(VELOTRIX_EVENT_SYSTEM_MESSAGE, 7, 8, 0, 0);
    EXPECT_FALSE(object.IsVisible());
    object.AddEventRoute(VELOTRIX_EVENT_MOUSE_MOVE, 7, 9, 1, 2);
    EXPECT_TRUE(object.IsVisible());
    object.AddEventRoute(VELOTRIX_EVENT_MOUSE_MOVE, 7, 9, 3, 4); // Differs only in params.
    EXPECT_EQ(object.GetRoutes().size(), 2u);
    EXPECT_EQ(follower.GetRoutes().size(), 2u);
    const RouteRecord* found = object.FindEventRoute(VELOTRIX_EVENT_MOUSE_MOVE);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->param1, 1u);
    size_t index = 0;
    EXPECT_NE(object.FindEventRouteFrom(VELOTRIX_EVENT_MOUSE_MOVE, index), nullptr);
    EXPECT_EQ(index, 2u);
    EXPECT_EQ(object.FindEventRouteFrom(VELOTRIX_EVENT_MOUSE_MOVE, index), nullptr);

    object.SetDraggable(true);
    object.SetDraggable(false);
    EXPECT_NE(object.FindEventRoute(VELOTRIX_EVENT_LBUTTON_DOWN), nullptr);
    EXPECT_NE(object.FindEventRoute(VELOTRIX_EVENT_LBUTTON_UP), nullptr);
    EXPECT_EQ(object.FindEventRoute(VELOTRIX_EVENT_MOUSE_MOVE), nullptr);
}

TEST(EngineObject, HitTestEdgesEvenOddAndRotated)
{
    CEngineObject even;
    even.MoveTo(10, 10);
    even.SetSize(4, 4);
    // W = 4: left = 10 - 2 = 8, right = 12 (exclusive).
    EXPECT_TRUE(even.HitTest(8, 8));
    EXPECT_TRUE(even.HitTest(11, 11));
    EXPECT_FALSE(even.HitTest(12, 10));
    EXPECT_FALSE(even.HitTest(7, 10));

    CEngineObject odd;
    odd.MoveTo(10, 10);
    odd.SetSize(5, 5);
    // W = 5: left = 10 - 3 = 7, right = 12.
    EXPECT_TRUE(odd.HitTest(7, 7));
    EXPECT_FALSE(odd.HitTest(12, 10));
    EXPECT_FALSE(odd.HitTest(6, 10));

    CEngineObject rotated;
    rotated.MoveTo(50.5, 49.5);
    rotated.SetSize(10, 10);
    rotated.SetAngle(360);
    // Turned back by a full turn the point stays; lx = px - 45, ly = py - 44.
    EXPECT_TRUE(rotated.HitTest(45, 45));
    EXPECT_FALSE(rotated.HitTest(44, 50));
    // ly = height counts as inside, lx = width does not.
    EXPECT_TRUE(rotated.HitTest(50, 54));
    EXPECT_FALSE(rotated.HitTest(55, 50));

    // A 20 x 10 object turned by 90 degrees stands upright.
    CEngineObject upright;
    upright.MoveTo(100, 100);
    upright.SetSize(20, 10);
    upright.SetAngle(90);
    EXPECT_TRUE(upright.HitTest(100, 108));
    EXPECT_TRUE(upright.HitTest(100, 91));
    EXPECT_FALSE(upright.HitTest(108, 100));
    EXPECT_FALSE(upright.HitTest(92, 100));

    // Far-away or huge geometry answers plainly (UBSan checks the arithmetic).
    CEngineObject huge;
    huge.MoveTo(1e300, -1e300);
    huge.SetSize(1e300, 1e300);
    EXPECT_EQ(huge.HitTest(0, 0), 0);
    huge.SetAngle(30);
    EXPECT_EQ(huge.HitTest(INT32_MAX, INT32_MIN), 0);

    CEngineObject clipped;
    clipped.MoveTo(10, 10);
    clipped.SetSize(20, 20);
    clipped.SetHitRect(10, 10, 12, 12);
    EXPECT_FALSE(clipped.HitTest(5, 5));
    EXPECT_TRUE(clipped.HitTest(11, 11));
    EXPECT_FALSE(clipped.HitTest(12, 11));

    CPictureObject pictured;
    pictured.MoveTo(10, 10);
    pictured.SetSize(4, 4);
    pictured.AddFlags(VELOTRIX_OBJ_HIT_PICTURE);
    pictured.picture.hit_column = 1;
    EXPECT_TRUE(pictured.HitTest(9, 9)); // lx = 9 - 10 + 2.5 = 1.5 -> 1.
    EXPECT_EQ(pictured.picture.last_x, 1);
    EXPECT_FALSE(pictured.HitTest(10, 9));
    EXPECT_FALSE(pictured.HitTest(30, 9)); // Outside the bounds: no pixel asked.
}

TEST(EngineObject, DefaultHandlerDragsAndFreesPayloads)
{
    CEngineObject object;
    object.MoveTo(10, 10);
    InputState input;
    input.dx = 3;
    input.dy = -2;
    object.OnEvent(EngineEvent { 0, VELOTRIX_EVENT_DRAG_MOVE, 0, reinterpret_cast<uintptr_t>(&input) });
    EXPECT_EQ(object.GetX(), 13.0);
    EXPECT_EQ(object.GetY(), 8.0);
    // ASan reports a leak if the payload is not freed.
    object.OnEvent(EngineEvent { 0, VELOTRIX_EVENT_SYSTEM_MESSAGE, MakeSystemPayload({ 1, 2, 3 }), 0 });
    EXPECT_EQ(object.OnEvent(EngineEvent { 0, 12345, 0, 0 }), 1);
}

TEST(GuiObject, VisualAnswersOnlyForItsLinkedProperties)
{
    CGuiObject gui;
    CEngineObject visual;
    gui.MoveTo(1, 1);
    gui.SetSizeRaw(10, 10);
    visual.SetSizeRaw(30, 30);
    EXPECT_EQ(gui.GetType(), 4);
    gui.SetVisual(&visual, VELOTRIX_LINK_POSITION);
    EXPECT_TRUE(gui.HasVisual());
    EXPECT_EQ(gui.GetVisual(), &visual);
    visual.MoveTo(50, 60);
    EXPECT_EQ(gui.GetX(), 50.0);
    EXPECT_EQ(gui.GetWidth(), 10.0);
    EXPECT_EQ(gui.GetLeft(), 1.0 - 5.0); // Needs SIZE and POSITION for the visual's.
    gui.SetVisual(&visual, VELOTRIX_LINK_POSITION | VELOTRIX_LINK_SIZE | VELOTRIX_LINK_RAW_SIZE);
    EXPECT_EQ(gui.GetLeft(), 50.0 - 15.0);
    EXPECT_EQ(gui.GetRight(), 50.0 + 15.0);

    // Show acts on the visual; the object's own flag stays.
    gui.Show(false);
    visual.Show(true);
    EXPECT_TRUE(gui.IsVisible());
    gui.Show(false);
    EXPECT_FALSE(visual.IsVisible());

    // Routes added afterwards reach the visual too.
    gui.AddEventRoute(VELOTRIX_EVENT_LBUTTON_CLICK, 5, 6, 0, 0);
    EXPECT_NE(visual.FindEventRoute(VELOTRIX_EVENT_LBUTTON_CLICK), nullptr);

    // A replaced visual stays where it is but follows no more.
    CEngineObject second;
    gui.SetVisual(&second, VELOTRIX_LINK_POSITION);
    EXPECT_EQ(visual.GetLeader(), nullptr);
    gui.MoveBy(1, 0);
    EXPECT_EQ(visual.GetX(), 50.0);
}

TEST(GuiObject, DroppingTheVisualMakesTheObjectHittableAgain)
{
    EngineFixture engine;
    auto* gui = engine.Add<CRecordingObject>(100, 100, 20, 20);
    auto* visual = engine.Add(100, 100, 20, 20);
    gui->SetVisual(visual, VELOTRIX_LINK_POSITION);
    visual->Show(false);
    EXPECT_EQ(engine.m_objects->HitTest(100, 100), nullptr);
    gui->SetVisual(nullptr, 0);
    EXPECT_FALSE(gui->HasVisual());
    EXPECT_EQ(visual->GetLeader(), nullptr);
    gui->Show(true);
    EXPECT_EQ(engine.m_objects->HitTest(100, 100), gui);
}

TEST(GuiObject, ReplacedUnregisteredVisualIsTheOneUnlinked)
{
    // Unregistered objects all have id 0: the old visual is found by itself,
    // not by id, so another follower keeps its link.
    CGuiObject gui;
    CEngineObject other;
    CEngineObject visual;
    gui.CEngineObject::AddFollower(&other, VELOTRIX_LINK_POSITION);
    gui.SetVisual(&visual, VELOTRIX_LINK_POSITION);
    gui.SetVisual(nullptr, 0);
    EXPECT_EQ(visual.GetLeader(), nullptr);
    EXPECT_EQ(other.GetLeader(), &gui);
    gui.MoveBy(1, 0);
    EXPECT_EQ(other.GetX(), -99999.0);
}

TEST(GuiObject, VisualDestroyedFirstIsForgotten)
{
    CGuiObject gui;
    {
        CEngineObject visual;
        gui.SetVisual(&visual, VELOTRIX_LINK_POSITION);
    }
    EXPECT_EQ(gui.GetVisual(), &gui);
    EXPECT_FALSE(gui.HasVisual());
    gui.Show(true);
    EXPECT_TRUE(gui.IsVisible());
}

TEST(GuiObject, ShowNotifyDeliversAtOnce)
{
    CRecordingObject object;
    object.ShowNotify(true);
    ASSERT_EQ(object.events.size(), 1u);
    EXPECT_EQ(object.events[0].id, VELOTRIX_EVENT_SHOWN);
    object.ShowNotify(false);
    EXPECT_EQ(object.events[1].id, VELOTRIX_EVENT_HIDDEN);
}

TEST(GuiContainer, SetAreaAlwaysCallsTheHook)
{
    struct CCountingContainer : CGuiContainer {
        void OnAreaChanged() override { ++calls; }
        int calls { 0 };
    } container;
    container.SetArea(EngineRect { 0, 0, 10, 10 });
    container.SetArea(EngineRect { 0, 0, 10, 10 });
    EXPECT_EQ(container.calls, 2);
    EXPECT_EQ(container.GetArea(), (EngineRect { 0, 0, 10, 10 }));
}

TEST(GuiObject, LockCoreHoldsOffATickOnAnotherThreadAndNests)
{
    EngineFixture engine;
    auto* object = engine.Add<CRecordingObject>(10, 10, 4, 4);
    object->LockCore();
    object->LockCore(); // the holder may enter again
    EXPECT_TRUE(engine.m_core.IsLockedByCurrentThread());
    std::atomic<bool> ticked { false };
    std::atomic<pid_t> ticker { 0 };
    std::thread other([&] {
        engine.m_clock.Advance(20);
        ticker = platform::testing::CurrentThreadTid();
        engine.m_core.Tick();
        ticked = true;
    });
    // Checked once the other thread is asleep, blocked in the tick.
    EXPECT_TRUE(platform::testing::WaitUntilThreadSleeps(ticker));
    EXPECT_FALSE(ticked.load()); // the tick waits for the lock
    object->UnlockCore();
    EXPECT_TRUE(platform::testing::WaitUntilThreadSleeps(ticker));
    EXPECT_FALSE(ticked.load());
    object->UnlockCore();
    other.join();
    EXPECT_TRUE(ticked.load());
    EXPECT_FALSE(engine.m_core.IsLockedByCurrentThread());

    CRecordingObject loose; // no core: nothing to take
    loose.LockCore();
    loose.UnlockCore();
}

TEST(EngineObject, LinksSurviveTheirTargetsInEveryDestroyOrder)
{
    // An owner, a leader with a plain and an owned follower, and a child made
    // by the plain follower (it takes over the follower's owner). Every order
    // of destroying the first four must leave no link to a dead object; the
    // sanitizer build reports any use of one.
    std::array<int, 4> order { 0, 1, 2, 3 };
    do {
        EngineFixture engine;
        CEngineObject* owner = engine.Add(10, 10, 4, 4);
        CEngineObject* leader = engine.Add(20, 20, 4, 4);
        CEngineObject* follower = engine.Add(30, 30, 4, 4);
        CEngineObject* owned = engine.Add(40, 40, 4, 4);
        follower->SetOwner(owner);
        leader->AddFollower(follower, VELOTRIX_LINK_POSITION);
        leader->AddFollower(owned, VELOTRIX_LINK_POSITION | VELOTRIX_LINK_OWNED);
        CEngineObject* child = follower->RegisterObject(std::make_unique<CEngineObject>());
        ASSERT_NE(child, nullptr);
        ASSERT_EQ(child->GetOwner(), owner);
        // A leader forgotten with ClearLeader still lists its follower.
        follower->ClearLeader();

        const std::array<uint32_t, 5> ids { owner->GetId(), leader->GetId(), follower->GetId(), owned->GetId(),
                                            child->GetId() };
        auto alive = [&](const CEngineObject* object) {
            return object == nullptr || engine.m_objects->FindObject(object->GetId()) == object;
        };
        for (const int doomed : order) {
            engine.m_objects->DestroyObject(ids[static_cast<size_t>(doomed)]);
            for (const uint32_t id : ids) {
                CEngineObject* object = engine.m_objects->FindObject(id);
                if (object == nullptr)
                    continue;
                EXPECT_TRUE(alive(object->GetOwner())) << id;
                EXPECT_TRUE(alive(object->GetLeader())) << id;
                for (size_t i = 0; i < object->GetFollowerCount(); ++i)
                    EXPECT_TRUE(alive(object->GetFollowerAt(i))) << id;
                object->MoveBy(1, 1); // carried down the follower lists
                // A new object made now takes over only a living owner.
                CEngineObject* made = object->RegisterObject(std::make_unique<CEngineObject>());
                ASSERT_NE(made, nullptr);
                EXPECT_TRUE(alive(made->GetOwner()));
                engine.m_objects->DestroyObject(made->GetId());
            }
        }
        EXPECT_EQ(child->GetOwner(), nullptr);
        engine.Tick(2);
    } while (std::next_permutation(order.begin(), order.end()));
}

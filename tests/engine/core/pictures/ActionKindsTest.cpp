#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/pictures/PictureTestSupport.h"

using namespace engine;
using enginetest::CRecordingObject;
using picturetest::ActionFixture;
using picturetest::MakeStrip;
using picturetest::RefTo;

namespace {

// An image object of the record's size showing it.
CImageObject* AddImage(ActionFixture& engine, ImageRecord& record)
{
    auto* image = engine.Add<CImageObject>(0, 0, record.width, record.height);
    image->SetImage(RefTo(record), CImageObject::FitSize::Yes);
    return image;
}

} // namespace

TEST(BlinkAction, AlphaSwingsBetweenItsBoundsAndCountsAtTheTop)
{
    ActionFixture engine;
    CEngineObject* object = engine.Add(0, 0, 4, 4);
    object->SetAlpha(1.0);
    ASSERT_NE(CActionFactory::AddBlinkAction(engine.m_objects, object, 0.25, 2, 30, 1.0, 0.25), 0u);
    std::vector<double> seen;
    for (int i = 0; i < 8; ++i) {
        engine.Frame();
        seen.push_back(object->GetAlpha());
    }
    EXPECT_EQ(seen, (std::vector<double> { 1.0, 0.75, 0.5, 0.25, 0.5, 0.75, 1.0, 1.0 }));
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u); // the eighth run counted again
}

TEST(RotateAction, SnapsToTheTargetAndSubDegreeStepsNeverEnd)
{
    ActionFixture engine;
    CEngineObject* object = engine.Add(0, 0, 4, 4);
    CActionFactory::AddRotateToAction(engine.m_objects, object, 20.0, 50.0, 30);
    engine.Frame(); // 20
    engine.Frame(); // 40: 10 < 20, set to 50
    EXPECT_EQ(object->GetAngle(), 50.0);
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);

    CEngineObject* slow = engine.Add(0, 0, 4, 4);
    CActionFactory::AddRotateToAction(engine.m_objects, slow, 0.5, 1.0, 30);
    for (int i = 0; i < 10; ++i)
        engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 1u);
}

TEST(FadeAction, RefusesAStepAwayFromTheTargetAndStopsOnIt)
{
    ActionFixture engine;
    CEngineObject* object = engine.Add(0, 0, 4, 4);
    object->SetAlpha(0.5);
    EXPECT_EQ(CActionFactory::AddFadeToAction(engine.m_objects, object, 0.1, 0.2, 30), 0u);
    EXPECT_EQ(CActionFactory::AddFadeToAction(engine.m_objects, object, -0.1, 0.9, 30), 0u);
    EXPECT_EQ(CActionFactory::AddFadeToAction(engine.m_objects, object, 0.0, 0.9, 30), 0u);
    // A target above 1 is taken as 1, which the alpha can reach.
    ASSERT_NE(CActionFactory::AddFadeToAction(engine.m_objects, object, 0.3, 1.5, 30), 0u);
    for (int i = 0; i < 4; ++i)
        engine.Frame();
    EXPECT_EQ(object->GetAlpha(), 1.0);
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
}

TEST(MoveAction, AcceleratesUpToItsMaximumAndArrives)
{
    ActionFixture engine;
    CEngineObject* object = engine.Add(0, 0, 4, 4);
    CActionFactory::AddMoveToAction(engine.m_objects, object, 100, 0, 10, 10, 25);
    engine.Frame();
    EXPECT_EQ(object->GetX(), 20.0);
    engine.Frame();
    EXPECT_EQ(object->GetX(), 45.0);
    engine.Frame();
    EXPECT_EQ(object->GetX(), 70.0);
    engine.Frame();
    engine.Frame();
    EXPECT_EQ(object->GetX(), 100.0);
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);

    // Diagonal: along the line, then onto the target.
    CActionFactory::AddMoveToAction(engine.m_objects, object, 130, 40, 25, 0, 0);
    engine.Frame();
    EXPECT_DOUBLE_EQ(object->GetX(), 115.0);
    EXPECT_DOUBLE_EQ(object->GetY(), 20.0);
    engine.Frame();
    EXPECT_EQ(object->GetX(), 130.0);
    EXPECT_EQ(object->GetY(), 40.0);
    // A move that could never start is refused.
    EXPECT_EQ(CActionFactory::AddMoveToAction(engine.m_objects, object, 0, 0, 0.5, 0, 0), 0u);
}

TEST(ResizeAction, StepsTowardTheTargetAndPutsBackOutsideChanges)
{
    ActionFixture engine;
    CEngineObject* object = engine.Add(0, 0, 10, 10);
    CActionFactory::AddResizeToAction(engine.m_objects, object, 10, 10, 30, 4, 8, -4);
    engine.Frame();
    EXPECT_EQ(object->GetWidth(), 18.0);
    EXPECT_EQ(object->GetHeight(), 6.0);
    object->SetSize(50, 50);
    engine.Frame();
    EXPECT_EQ(object->GetWidth(), 18.0);
    engine.Frame();
    engine.Frame();
    EXPECT_EQ(object->GetWidth(), 30.0);
    EXPECT_EQ(object->GetHeight(), 4.0);
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
    EXPECT_EQ(CActionFactory::AddResizeToAction(engine.m_objects, object, 30, 4, 40, 4, 0, 0), 0u);
}

TEST(WaitActions, FramesByTheModuleClockAndTimeByTheCoreClock)
{
    ActionFixture engine;
    auto* object = engine.Add<CRecordingObject>(0, 0, 4, 4);
    const EngineEvent frames_done { object->GetId(), 80000101, 0, 0 };
    const EngineEvent time_done { object->GetId(), 80000102, 0, 0 };
    CActionFactory::AddWaitFramesAction(engine.m_objects, 100, &frames_done);
    CActionFactory::AddWaitTimeAction(engine.m_objects, 70, &time_done);
    engine.Frame(40); // both start
    engine.Frame(40); // 40 ms: core time not yet past 70
    engine.Frame(40); // 80 ms: the timed wait ends; the frame wait is not due yet
    ASSERT_EQ(object->events.size(), 1u);
    EXPECT_EQ(object->events[0].id, 80000102u);
    engine.Frame(40); // 120 ms >= 100, at the first run 100 ms after the start
    ASSERT_EQ(object->events.size(), 2u);
    EXPECT_EQ(object->events[1].id, 80000101u);
}

TEST(RepeatEventAction, SendsCountEventsByPeriodAndRefusesNoTarget)
{
    ActionFixture engine;
    auto* object = engine.Add<CRecordingObject>(0, 0, 4, 4);
    const EngineEvent tick { object->GetId(), 80000103, 0, 0 };
    EXPECT_EQ(CActionFactory::AddRepeatEventAction(engine.m_objects, 0, 3, &tick), 0u);
    EXPECT_EQ(CActionFactory::AddRepeatEventAction(engine.m_objects, 40, 3, nullptr), 0u);
    const EngineEvent nowhere { 9999, 80000103, 0, 0 };
    EXPECT_EQ(CActionFactory::AddRepeatEventAction(engine.m_objects, 40, 3, &nowhere), 0u);
    ASSERT_NE(CActionFactory::AddRepeatEventAction(engine.m_objects, 40, 3, &tick), 0u);
    engine.Frame(40);
    EXPECT_TRUE(object->events.empty());
    engine.Frame(100); // 100 ms: two periods
    EXPECT_EQ(object->events.size(), 2u);
    engine.Frame(100);
    EXPECT_EQ(object->events.size(), 3u);
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
}

TEST(PlayFramesAction, LoopsByTimeAndEndsOnTheFrameBeforeTheStart)
{
    ActionFixture engine;
    auto record = MakeStrip(2, 2, 4, 1, { 100, 100, 100, 100 });
    CImageObject* image = AddImage(engine, *record);
    ASSERT_NE(CActionFactory::AddPlayFramesAction(engine.m_objects, image, FrameMode::Loop, 1, 1, 0), 0u);
    engine.Frame(100);
    EXPECT_EQ(image->GetCurrentFrame(), 1u);
    engine.Frame(150);
    EXPECT_EQ(image->GetCurrentFrame(), 2u);
    engine.Frame(200);
    EXPECT_EQ(image->GetCurrentFrame(), 0u); // 350 ms from frame 1
    engine.Frame(50); // 400 ms: one round
    EXPECT_EQ(image->GetCurrentFrame(), 0u);
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
}

TEST(PlayFramesAction, ANumberOfFramesEndsOnTheFrameTheTimeReached)
{
    ActionFixture engine;
    auto record = MakeStrip(2, 2, 4, 1, { 50, 60, 70, 80 });
    CImageObject* image = AddImage(engine, *record);
    auto* listener = engine.Add<CRecordingObject>(0, 0, 4, 4);
    const EngineEvent done { listener->GetId(), 80000105, 0, 0 };
    // Two frames from frame 0: 50 + 60 ms.
    ASSERT_NE(CActionFactory::AddPlayFramesAction(engine.m_objects, image, FrameMode::Frames, 2, 0, 0, &done), 0u);
    engine.Frame(30);
    EXPECT_EQ(image->GetCurrentFrame(), 0u);
    engine.Frame(60);
    EXPECT_EQ(image->GetCurrentFrame(), 1u);
    EXPECT_TRUE(listener->events.empty());
    engine.Frame(60); // 120 ms: past the 110, on frame 2, and no last frame set
    EXPECT_EQ(image->GetCurrentFrame(), 2u);
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
    ASSERT_EQ(listener->events.size(), 1u);
    EXPECT_EQ(listener->events[0].id, 80000105u);
}

TEST(PlayFramesAction, ShowStepDurationAndAStalePicture)
{
    ActionFixture engine;
    auto record = MakeStrip(2, 2, 4, 1, { 50, 50, 50, 50 });
    CImageObject* image = AddImage(engine, *record);
    CActionFactory::AddPlayFramesAction(engine.m_objects, image, FrameMode::Show, 6, 0, 0);
    engine.Frame();
    EXPECT_EQ(image->GetCurrentFrame(), 2u);
    CActionFactory::AddPlayFramesAction(engine.m_objects, image, FrameMode::Step, 3, 0, 30);
    engine.Frame();
    engine.Frame();
    engine.Frame();
    EXPECT_EQ(image->GetCurrentFrame(), 1u);
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
    // A step count of 0 still ends.
    CActionFactory::AddPlayFramesAction(engine.m_objects, image, FrameMode::Step, 0, 0, 30);
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);

    CActionFactory::AddPlayFramesAction(engine.m_objects, image, FrameMode::Duration, 3, 0, 0);
    engine.Frame(30);
    engine.Frame(30);
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
    EXPECT_EQ(image->GetCurrentFrame(), 3u);

    CActionFactory::AddPlayFramesAction(engine.m_objects, image, FrameMode::Loop, -1, 0, 0);
    engine.Frame();
    record->id = 12345; // the cached image was replaced
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
}

TEST(CanvasSizeAction, TurnsThePictureOverPastNinetyDegrees)
{
    ActionFixture engine;
    auto front = MakeStrip(2, 2, 1);
    auto back = MakeStrip(2, 2, 1);
    back->id = 88;
    auto* card = engine.Add<CImageObject>(0, 0, 40, 60);
    card->SetImage(RefTo(*front), CImageObject::FitSize::No);
    ASSERT_NE(CActionFactory::AddCanvasSizeAction(engine.m_objects, card, 60, 180, RefTo(*back), 30), 0u);
    EXPECT_EQ(CActionFactory::AddCanvasSizeAction(engine.m_objects, card, 0, 180, RefTo(*back), 30), 0u);
    engine.Frame(); // angle 0
    EXPECT_EQ(card->GetWidth(), 40.0);
    engine.Frame(); // 60
    EXPECT_NEAR(card->GetWidth(), 20.0, 1e-3);
    EXPECT_EQ(card->GetFrameImage().GetImageId(), 77u);
    engine.Frame(); // 120: the back shows
    EXPECT_EQ(card->GetFrameImage().GetImageId(), 88u);
    engine.Frame(); // 180: full width, finished
    EXPECT_NEAR(card->GetWidth(), 40.0, 1e-3);
    EXPECT_EQ(card->GetHeight(), 60.0);
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
}

TEST(SoundAction, AsksTheMusicModuleWhichAnswersForTheEvent)
{
    ActionFixture engine;
    auto music = std::make_unique<picturetest::CRecordingMusic>();
    auto* player = music.get();
    (void)engine.m_core.LoadModule(std::move(music), true, false);
    auto* object = engine.Add<CRecordingObject>(0, 0, 4, 4);
    const EngineEvent done { object->GetId(), 80000104, 0, 0 };
    EXPECT_EQ(CActionFactory::AddPlaySoundAction(engine.m_objects, std::string(32, 'x'), 1, &done), 0u);
    ASSERT_NE(CActionFactory::AddPlaySoundAction(engine.m_objects, std::string(31, 's'), 3, &done), 0u);
    engine.Frame();
    ASSERT_EQ(player->played.size(), 1u);
    EXPECT_EQ(player->played[0], std::string(31, 's'));
    EXPECT_EQ(player->values[0], 3);
    EXPECT_EQ(player->events[0].id, 80000104u);
    EXPECT_TRUE(object->events.empty()); // not the action's to deliver
}

TEST(DestroyAction, TheObjectGoesInTheNextUpdate)
{
    ActionFixture engine;
    bool alive = true;
    auto* object = engine.Add<CRecordingObject>(0, 0, 4, 4);
    object->alive = &alive;
    const uint32_t id = object->GetId();
    CActionFactory::AddDestroyAction(engine.m_objects, object);
    engine.Frame();
    EXPECT_TRUE(alive);
    engine.Frame();
    EXPECT_FALSE(alive);
    EXPECT_EQ(engine.m_objects->FindObject(id), nullptr);
}

namespace {
std::vector<std::vector<uint8_t>> g_called;
void RecordCall(void* data)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    g_called.emplace_back(bytes, bytes + ACTION_CALL_DATA_BYTES);
}
} // namespace

TEST(CallAction, CallsWithItsOwnCopyAndRefusesDataThatDoesNotFit)
{
    ActionFixture engine;
    g_called.clear();
    std::vector<uint8_t> data(60);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i + 1);
    std::vector<uint8_t> too_long(61, 7);
    EXPECT_EQ(CActionFactory::AddCallAction(engine.m_objects, RecordCall, too_long.data(), too_long.size()), 0u);
    EXPECT_EQ(CActionFactory::AddCallAction(engine.m_objects, nullptr, data.data(), 4), 0u);
    EXPECT_EQ(CActionFactory::AddCallAction(engine.m_objects, RecordCall, nullptr, 4), 0u);
    ASSERT_NE(CActionFactory::AddCallAction(engine.m_objects, RecordCall, data.data(), data.size()), 0u);
    std::fill(data.begin(), data.end(), 0); // the action keeps its own copy
    engine.Frame();
    ASSERT_EQ(g_called.size(), 1u);
    EXPECT_EQ(g_called[0].front(), 1);
    EXPECT_EQ(g_called[0].back(), 60);
}

TEST(ActivateAction, ActivatesOrDeactivatesOnce)
{
    ActionFixture engine;
    CEngineObject* object = engine.Add(0, 0, 4, 4, false);
    CActionFactory::AddActivateAction(engine.m_objects, object, 1);
    engine.Frame();
    EXPECT_TRUE(object->IsActive());
    CActionFactory::AddActivateAction(engine.m_objects, object, 0);
    engine.Frame();
    EXPECT_FALSE(object->IsActive());
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);
}

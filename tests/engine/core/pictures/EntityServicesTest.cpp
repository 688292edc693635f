// The entity facade's shadow, its sounds and cursor, the second names under
// which the client and scene call some operations, and forwards that find
// their module gone.
#include <gtest/gtest.h>

#include "engine/core/CanvasObject.h"
#include "engine/core/GrowBuffer.h"
#include "engine/core/InputModule.h"
#include "engine/core/pictures/PictureTestSupport.h"
#include "platform/Cursor.h"
#include "tests/platform/TempFolder.h"

using namespace engine;
using enginetest::CRecordingObject;
using picturetest::ActionFixture;

namespace {

class CRecordingInputHost : public IInputHost {
public:
    bool IsPointerInWindow() const override { return true; }
    void SetCursor(uintptr_t cursor) override { cursors.push_back(cursor); }
    void ShowCursor(bool show) override { shown.push_back(show); }
    std::vector<uintptr_t> cursors;
    std::vector<bool> shown;
};

// An image object showing a w x h picture of alpha 255.
CImageObject* AddOpaqueImage(ActionFixture& engine, ImageRecord& record, double x, double y)
{
    auto object = std::make_unique<CImageObject>();
    CImageObject* image = object.get();
    engine.m_objects->AddObject(std::move(object), nullptr);
    image->SetImage(picturetest::RefTo(record), CImageObject::FitSize::Yes);
    image->MoveTo(x, y);
    image->SetZ(5.0);
    image->Show(true);
    image->Activate();
    return image;
}

} // namespace

TEST(EntityServices, ShadowCarriesTheBlurredAlphaAndFollowsButNotShow)
{
    ActionFixture engine;
    auto* entity = engine.Add<CRecordingObject>(10, 10, 4, 4);
    auto record = picturetest::MakeStrip(4, 3, 1);
    CImageObject* image = AddOpaqueImage(engine, *record, 100, 50);

    CCanvasObject* shadow = entity->CreateShadow(image);
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->GetCanvasWidth(), 6);
    EXPECT_EQ(shadow->GetCanvasHeight(), 5);
    // Left 98 + 4 / 2 + 2 and top 48.5 + 3 / 2 + 2: two pixels right and below.
    EXPECT_DOUBLE_EQ(shadow->GetX(), 102.0);
    EXPECT_DOUBLE_EQ(shadow->GetY(), 51.5);
    EXPECT_NEAR(shadow->GetZ(), 5.0 - 0.0000001, 1e-12);
    EXPECT_TRUE(shadow->IsActive());
    EXPECT_EQ(image->GetFollowerFlags(shadow->GetId()), 0x1BC0EBu);

    struct Sample {
        int32_t x, y;
        uint32_t alpha;
    };
    // The picture sits at (1..4, 1..3); each value is the mean of its 3 x 3
    // window cut at the edges, truncated.
    for (const Sample& s : { Sample { 0, 0, 255 / 4 }, Sample { 1, 1, 4 * 255 / 9 }, Sample { 2, 2, 255 },
                             Sample { 5, 4, 255 / 4 }, Sample { 5, 2, 3 * 255 / 6 }, Sample { 3, 0, 3 * 255 / 6 } }) {
        EXPECT_EQ(shadow->GetAlphaAt(s.x, s.y), s.alpha) << s.x << "," << s.y;
        EXPECT_EQ(shadow->GetColourAt(s.x, s.y), 0u) << s.x << "," << s.y;
    }

    image->MoveBy(10, 0);
    EXPECT_DOUBLE_EQ(shadow->GetX(), 112.0);
    const bool shown = shadow->IsVisible();
    image->Show(false);
    EXPECT_EQ(shadow->IsVisible(), shown);
    image->Show(true);
    EXPECT_EQ(shadow->IsVisible(), shown);
    image->Deactivate();
    EXPECT_FALSE(shadow->IsActive());

    const uint32_t shadow_id = shadow->GetId();
    entity->DestroyObject(image, false);
    EXPECT_EQ(engine.m_objects->FindObject(shadow_id), nullptr);

    CEngineObject* plain = engine.Add(0, 0, 4, 4);
    EXPECT_EQ(entity->CreateShadow(plain), nullptr); // no picture
    EXPECT_EQ(entity->CreateShadow(nullptr), nullptr);
}

TEST(EntityServices, SecondNamesReachTheSameCode)
{
    ActionFixture engine;
    auto music = std::make_unique<picturetest::CRecordingMusic>();
    picturetest::CRecordingMusic* recorder = music.get();
    ASSERT_EQ(engine.m_core.LoadModule(std::move(music), true, false), VELOTRIX_RETURN_OK);
    auto input = std::make_unique<InputModule>();
    CRecordingInputHost host;
    input->SetHost(&host);
    InputModule* input_module = input.get();
    ASSERT_EQ(engine.m_core.LoadModule(std::move(input), true, false), VELOTRIX_RETURN_OK);
    auto* entity = engine.Add<CRecordingObject>(10, 10, 4, 4);
    CEngineObject* a = engine.Add(0, 0, 4, 4);
    CEngineObject* b = engine.Add(0, 0, 4, 4);

    // Sounds: the facade, the module's second name and its own name.
    const EngineEvent done { entity->GetId(), 42, 0, 0 };
    EXPECT_EQ(entity->LoadSound("snd_sort", 1, &done), 7u);
    EXPECT_EQ(entity->GetMusicModule()->LoadSound("default", 10000, {}), 7u);
    entity->SetSoundFlag(1);
    entity->PauseSound(3);
    entity->ResumeSound(3, true);
    entity->StopSound(3);
    entity->FreeSound("default");
    entity->StopAllSounds();
    EXPECT_EQ(recorder->calls, (std::vector<std::string> { "play snd_sort 1 42", "play default 10000 0", "flag 1",
                                                            "pause 3", "resume 3 restart", "stop 3",
                                                            "free default", "stop all" }));

    // Cancels: MarkGroupEntries is CancelAction, RemoveGroupMember is
    // CancelObjectActions; a wait given an object goes with that object's actions.
    const uint64_t wait = entity->AddWaitFramesAction(1000);
    entity->AddWaitFramesAction(a, 1000, nullptr);
    entity->AddRotateToAction(a, 5, 90, 30);
    entity->AddRepeatEventAction(entity, 1000, -1, &done); // on the event's target
    entity->AddMoveToAction(b, 500, 0, 1, nullptr);
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 5u);
    entity->MarkGroupEntries(wait);
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 4u);
    entity->RemoveGroupMember(a->GetId());
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 2u);
    EXPECT_GT(b->GetX(), 0.0); // the short move form runs
    entity->RemoveGroupMember(entity->GetId());
    entity->RemoveGroupMember(b->GetId());
    engine.Frame();
    EXPECT_EQ(engine.m_objects->GetActionCount(), 0u);

    // Input and cursor.
    EXPECT_EQ(entity->SetInputTargetEx(a->GetId()), 0u);
    EXPECT_EQ(entity->SetInputTarget(b->GetId()), a->GetId());
    EXPECT_EQ(input_module->GetInputTarget(), b->GetId());
    entity->SetCursorObject(platform::IDC_HAND);
    entity->SetCursorHandle(platform::IDC_ARROW);
    ASSERT_GE(host.cursors.size(), 2u);
    EXPECT_EQ(host.cursors[host.cursors.size() - 2], platform::IDC_HAND);
    EXPECT_EQ(host.cursors.back(), platform::IDC_ARROW);

    // Pictures and buffers.
    CImageObject* image = entity->GetObjectModule()->NewImageObject(entity);
    image->SetColorValue(0x50FF0000);
    EXPECT_EQ(image->GetFrameImage().GetTint(), 0x50FF0000u);
    CCanvasObject* canvas = entity->NewCanvasObject(8, 8, COLOUR_NONE);
    canvas->SetTextColor(0x123456, 0, 1.0);
    EXPECT_EQ(canvas->GetTextStyle().color, 0xFF123456u);
    canvas->SetTextColor(0x123456, 0, 0.5);
    EXPECT_EQ(canvas->GetTextStyle().alpha, 128);
    CGrowBuffer buffer;
    const char bytes[] = "abc";
    EXPECT_EQ(buffer.Append(bytes, 3), 3u);
    EXPECT_EQ(buffer.Append(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes), 2)), 5u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.GetData()), 5), "abcab");
}

TEST(EntityServices, ForwardsFindTheirModuleGone)
{
    platform::testing::CTempLogFolder logs; // the missing image's run-log line
    ActionFixture engine;
    auto music = std::make_unique<picturetest::CRecordingMusic>();
    ASSERT_EQ(engine.m_core.LoadModule(std::move(music), true, false), VELOTRIX_RETURN_OK);
    auto* entity = engine.Add<CRecordingObject>(10, 10, 4, 4);
    ASSERT_NE(entity->GetMusicModule(), nullptr);
    EXPECT_EQ(engine.m_core.UnloadModule(VELOTRIX_MODULE_MUSIC), VELOTRIX_RETURN_OK);

    // No music, resource, paint or input module: nothing happens, nothing breaks.
    EXPECT_EQ(entity->GetMusicModule(), nullptr);
    EXPECT_EQ(entity->LoadSound("snd", 1), 0u);
    entity->StopAllSounds();
    entity->SetSoundFlag(1);
    entity->FreeSound("snd");
    EXPECT_EQ(entity->AddResourceFile("/nonexistent/file.png"), 0u);
    EXPECT_TRUE(entity->FindResource("file.imge").empty());
    EXPECT_EQ(entity->ReleaseImage("card", true), 0);
    EXPECT_EQ(entity->SaveImageAsPps("card", "/nonexistent/card.pps"), 0);
    entity->SetCursorHandle(platform::IDC_HAND);
    entity->ShowSystemCursor(false);
    EXPECT_EQ(entity->SetInputTargetEx(5), 0u);
}

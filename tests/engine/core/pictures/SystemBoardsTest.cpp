// The system information boards: the note's size and buttons, the details
// board, the live counter display, the self-closing system board and the
// system event with its owned payload.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/core/CanvasObject.h"
#include "engine/core/GameCore.h"
#include "engine/core/SystemBoxes.h"
#include "engine/core/pictures/PictureTestSupport.h"

using namespace engine;
using enginetest::CRecordingObject;
using picturetest::ActionFixture;

namespace {

// Draws nothing; records the texts and measures one line of half-size
// characters per `width` pixels.
class CRecordingTextDrawer : public ICanvasTextDrawer {
public:
    void DrawText(const CanvasTextStyle&, std::span<uint8_t>, int32_t, int32_t, int32_t x, int32_t y,
                  std::string_view text) override
    {
        drawn.push_back(std::to_string(x) + "," + std::to_string(y) + " " + std::string(text));
    }
    int32_t MeasureText(const CanvasTextStyle& style, int32_t width, std::string_view text) override
    {
        const int64_t per_line = std::max<int64_t>(1, width / std::max(1, style.font_height / 2));
        return int32_t(std::max<int64_t>(1, (int64_t(text.size()) + per_line - 1) / per_line) * style.font_height);
    }
    std::pair<int32_t, int32_t> FitText(const CanvasTextStyle&, int32_t, int32_t, std::string&) override
    {
        return { 0, 0 };
    }
    bool IsKnownTag(std::string_view) const override { return false; }
    std::string PlainText(std::string_view text) const override { return std::string(text); }
    [[nodiscard]] bool Drew(const std::string& text) const
    {
        return std::find(drawn.begin(), drawn.end(), text) != drawn.end();
    }
    std::vector<std::string> drawn;
};

class SystemBoardsTest : public ::testing::Test {
protected:
    SystemBoardsTest()
    {
        auto drawer = std::make_unique<CRecordingTextDrawer>();
        m_text = drawer.get();
        CCanvasServices::InstallTextDrawer(std::move(drawer));
        m_entity = m_engine.Add<CRecordingObject>(10, 10, 4, 4);
    }
    ~SystemBoardsTest() override
    {
        CSystemBoxes::InstallMaker(nullptr);
        CCanvasServices::Reset();
    }
    void Run(int frames)
    {
        for (int i = 0; i < frames; ++i)
            m_engine.Frame(30);
    }

    ActionFixture m_engine;
    CRecordingTextDrawer* m_text { nullptr };
    CRecordingObject* m_entity { nullptr };
};

std::string Lines(int count)
{
    std::string text = "x";
    for (int i = 1; i < count; ++i)
        text += "\nx";
    return text;
}

// A box with two 80-pixel buttons that follow it.
SystemBoxParts MakeBoxWithButtons(CEngineEntity& owner, int32_t width, int32_t height, const EngineEvent*,
                                  const EngineEvent*, int32_t)
{
    CCanvasObject* canvas = owner.NewCanvasObject(width, height, COLOUR_NONE);
    CEngineObject* ok = owner.NewObject();
    CEngineObject* cancel = owner.NewObject();
    for (CEngineObject* button : { ok, cancel }) {
        button->SetSize(80, 30);
        canvas->AddFollower(button, VELOTRIX_LINK_POSITION);
    }
    return SystemBoxParts { canvas, canvas, ok, cancel };
}

} // namespace

TEST_F(SystemBoardsTest, NoteWidensInStepsWhileNarrowUpTo500)
{
    struct Case {
        int lines;
        int32_t width;
    };
    // 15-pixel lines plus 70: one line stays 200 wide; 20 lines (370 high)
    // widen to 300, the first width of at least 0.8 of the height; 40 lines
    // (670 high) stop at 500.
    for (const Case& c : { Case { 1, 200 }, Case { 20, 300 }, Case { 40, 500 } }) {
        CEngineObject* box = m_entity->ShowSystemNote(Lines(c.lines).c_str(), nullptr, nullptr, 0);
        ASSERT_NE(box, nullptr);
        auto* canvas = dynamic_cast<CCanvasObject*>(box);
        ASSERT_NE(canvas, nullptr);
        EXPECT_EQ(canvas->GetCanvasWidth(), c.width) << c.lines;
        EXPECT_EQ(canvas->GetCanvasHeight(), 70 + 15 * c.lines) << c.lines;
        EXPECT_DOUBLE_EQ(box->GetZ(), 100000.0);
        EXPECT_DOUBLE_EQ(box->GetX(), 400.0); // the view's centre
        EXPECT_DOUBLE_EQ(box->GetAlpha(), 0.0);
        EXPECT_TRUE(box->IsActive());
    }
    Run(12);
    ObjectStats stats;
    EXPECT_EQ(m_entity->GetObjectStats(stats).action_count, 0u); // the fades are done
}

TEST_F(SystemBoardsTest, NoteButtonsStandOnARowAboveTheBottom)
{
    CSystemBoxes::InstallMaker(&MakeBoxWithButtons);
    const EngineEvent ok { m_entity->GetId(), 1, 0, 0 };
    CEngineObject* box = m_entity->ShowSystemNote("hello", &ok, &ok, 5);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->GetFollowerCount(), 2u);
    CEngineObject* first = box->GetFollowerAt(0);
    CEngineObject* second = box->GetFollowerAt(1);
    EXPECT_DOUBLE_EQ(first->GetX(), box->GetX() - 40 - 10);
    EXPECT_DOUBLE_EQ(second->GetX(), box->GetX() + 40 + 10);
    EXPECT_DOUBLE_EQ(first->GetY(), box->GetBottom() - 20);
    EXPECT_DOUBLE_EQ(second->GetY(), box->GetBottom() - 20);
}

TEST_F(SystemBoardsTest, PlainNoteCountdownRaisesCancelAndGoes)
{
    const EngineEvent cancel { m_entity->GetId(), 80000300, 0, 0 };
    CEngineObject* box = m_entity->ShowSystemNote("bye", nullptr, &cancel, 1);
    ASSERT_NE(box, nullptr);
    const uint32_t id = box->GetId();
    Run(30); // 900 ms
    EXPECT_NE(m_engine.m_objects->FindObject(id), nullptr);
    Run(10);
    EXPECT_EQ(m_engine.m_objects->FindObject(id), nullptr);
    ASSERT_FALSE(m_entity->events.empty());
    EXPECT_EQ(m_entity->events.back().id, 80000300u);
}

TEST_F(SystemBoardsTest, DetailsBoardShowsTheCounters)
{
    CEngineObject* board = m_entity->ShowSystemDetails();
    ASSERT_NE(board, nullptr);
    auto* canvas = dynamic_cast<CCanvasObject*>(board);
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->GetCanvasWidth(), 300);
    EXPECT_EQ(canvas->GetCanvasHeight(), 200);
    EXPECT_EQ(canvas->GetColourAt(0, 0), 0u);         // the frame
    EXPECT_EQ(canvas->GetColourAt(5, 5), 0x8000u);    // the fill
    EXPECT_TRUE(m_text->Drew("100,0 <size=20>系统详情"));
    EXPECT_TRUE(m_text->Drew("10,20 实体:2"));         // the entity and the board
    EXPECT_TRUE(m_text->Drew("10,40 事件:0"));
    EXPECT_TRUE(m_text->Drew("10,100 FPS:0.0 帧"));
}

TEST_F(SystemBoardsTest, CounterDisplayRefreshesEverySecondWithOneAction)
{
    m_entity->UpdateSystemNote(true);
    m_entity->UpdateSystemNote(true);
    auto* note = dynamic_cast<CCanvasObject*>(m_entity->FindObjectByName("object_systemnote"));
    ASSERT_NE(note, nullptr);
    EXPECT_DOUBLE_EQ(note->GetX(), 50.0);
    EXPECT_TRUE(note->IsActive());
    Run(1);
    EXPECT_EQ(m_engine.m_objects->GetActionCount(), 1u); // the first was cancelled
    EXPECT_TRUE(m_text->Drew("0,0 实体:2"));
    EXPECT_TRUE(m_text->Drew("0,40 FPS :0.0"));
    const size_t after_first = m_text->drawn.size();
    Run(20); // 600 ms: not due
    EXPECT_EQ(m_text->drawn.size(), after_first);
    Run(15);
    EXPECT_EQ(m_text->drawn.size(), after_first + 3);

    m_entity->UpdateSystemNote(false);
    Run(1);
    EXPECT_FALSE(note->IsActive());
    EXPECT_EQ(m_engine.m_objects->GetActionCount(), 0u);
    EXPECT_EQ(m_entity->FindObjectByName("object_systemnote"), note); // made once
}

TEST_F(SystemBoardsTest, SystemBoardHidesItselfUnlessClosedOrShownAgain)
{
    m_entity->ShowSystemBoard("hello", 3);
    CCanvasObject* board = m_entity->FindSystemBoard();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(m_entity->FindObjectByName("object-systemboard"), board);
    EXPECT_TRUE(board->IsActive());
    EXPECT_TRUE(m_text->Drew("0,10 hello"));
    Run(95); // 2850 ms
    EXPECT_TRUE(board->IsActive());
    Run(10);
    EXPECT_FALSE(board->IsActive());

    // Shown again with its last text and no time: the pending hide is gone.
    m_entity->ShowSystemBoard("again", 3);
    Run(10);
    m_entity->ShowSystemBoard(nullptr, 0);
    Run(120);
    EXPECT_TRUE(board->IsActive());
    EXPECT_EQ(m_entity->FindSystemBoard(), board);

    m_entity->ShowSystemBoard(nullptr, 3);
    Run(10);
    m_entity->CloseSystemBoard();
    EXPECT_FALSE(board->IsActive());
    Run(120);
    EXPECT_EQ(m_engine.m_objects->GetActionCount(), 0u);
}

TEST_F(SystemBoardsTest, LongBoardTextWrapsAtHalfTheViewAndIsCutAtHalfItsHeight)
{
    m_entity->ShowSystemBoard(std::string(30, 'a').c_str(), 0);
    CCanvasObject* board = m_entity->FindSystemBoard();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->GetCanvasWidth(), 15 * 30 / 2 + 20);
    EXPECT_DOUBLE_EQ(board->GetWidth(), 15 * 30 / 2 + 20);
    m_entity->ShowSystemBoard(std::string(200, 'a').c_str(), 0);
    EXPECT_EQ(board->GetCanvasWidth(), 400 + 20);
    // 200 half-size characters of 7 pixels in 400: 4 lines of 15.
    EXPECT_EQ(board->GetCanvasHeight(), 4 * 15 + 20);
    // A server's text of any length stays within half the view's height.
    ASSERT_GT(m_entity->GetViewHeight(), 100);
    m_entity->ShowSystemBoard(std::string(20000, 'a').c_str(), 0);
    EXPECT_EQ(board->GetCanvasHeight(), m_entity->GetViewHeight() / 2);
}

TEST_F(SystemBoardsTest, SystemEventGoesToItsObjectOrItsPayloadIsFreed)
{
    // No receiver named, or one that is gone: nothing is sent, the payload
    // is freed (the leak checker would see it otherwise).
    m_engine.m_core.SetIntSetting(GameCore::SETTING_SYSTEM_EVENT_OBJECT, 0);
    EXPECT_EQ(m_entity->SendSystemEvent(MakeSystemPayload({ 1, 2, 3 }), 0), 0);
    m_engine.m_core.SetIntSetting(GameCore::SETTING_SYSTEM_EVENT_OBJECT, 9999);
    EXPECT_EQ(m_entity->SendSystemEvent(MakeSystemPayload({ 1 }), 0), 0);
    m_engine.m_core.SetIntSetting(GameCore::SETTING_SYSTEM_EVENT_OBJECT, int32_t(m_entity->GetId()));
    m_engine.m_core.SetIntSetting(GameCore::SETTING_SYSTEM_EVENT_ID, 0);
    EXPECT_EQ(m_entity->SendSystemEvent(MakeSystemPayload({ 1 }), 0), 0);
    EXPECT_TRUE(m_entity->events.empty());

    // Delivered at once; the default handler frees the payload.
    m_engine.m_core.SetIntSetting(GameCore::SETTING_SYSTEM_EVENT_ID, int32_t(VELOTRIX_EVENT_SYSTEM_MESSAGE));
    EXPECT_EQ(m_entity->SendSystemEvent(MakeSystemPayload({ 4, 5 }), 77), 1);
    ASSERT_EQ(m_entity->events.size(), 1u);
    EXPECT_EQ(m_entity->events[0].id, VELOTRIX_EVENT_SYSTEM_MESSAGE);
    EXPECT_EQ(m_entity->events[0].param2, 77u);
}

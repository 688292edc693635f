#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "client/CGameConnection.h"
#include "client/CPlDkGameState.h"
#include "client/CRefusalLog.h"
#include "client/RecordCodec.h"
#include "client/panel/CInputBar.h"
#include "client/panel/CLookOnRequestBox.h"
#include "engine/core/CanvasObject.h"
#include "engine/media/CCanvasTextDrawer.h"
#include "engine/media/StartScreen.h"
#include "engine/media/TextTag.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiMessageBox.h"
#include "engine/widgets/GuiTextButton.h"
#include "engine/widgets/RichEditBox.h"
#include "platform/MessageIds.h"
#include "panel/PanelTestSupport.h"

using namespace paneltest;
using panel::CGameFrameUI;

namespace {

std::vector<uint8_t> Words(std::initializer_list<int32_t> words, size_t size = 0)
{
    std::vector<uint8_t> body(std::max(size, words.size() * 4));
    size_t at = 0;
    for (const int32_t word : words) {
        platform::StoreU32LE(body.data() + at, static_cast<uint32_t>(word));
        at += 4;
    }
    return body;
}

engine::CGuiMessageBox* LastBox(const CGameFrameUI& frame)
{
    return dynamic_cast<engine::CGuiMessageBox*>(frame.GetLastBox());
}

} // namespace

TEST_F(PanelTest, StartGoesToTheSceneThenThePanelThenConnects)
{
    // Both installed themselves in the application.
    EXPECT_EQ(m_app->Links().frame_ui, m_frame);
    EXPECT_EQ(m_app->Links().side_panel, m_panel);
    EXPECT_EQ(m_frame->FindObjectByName("MainGame"), m_scene);
    // The engine's start screen goes when the game starts.
    m_engine.Add<enginetest::CRecordingObject>(400, 300, 800, 600, false)->SetName(engine::START_SCREEN_OBJECT);
    m_frame->OnStart();
    Run();
    EXPECT_EQ(m_frame->FindObjectByName(engine::START_SCREEN_OBJECT), nullptr);
    EXPECT_EQ(m_log, (Log { "scene", "panel", "connect" }));
    // The scene holds the table area left of the side panel.
    const engine::EngineRect game = m_frame->GetMainGameRect();
    EXPECT_EQ(game.right, 800 - CGameFrameUI::SIDE_PANEL_WIDTH);
    EXPECT_EQ(m_scene->GetArea().right, game.right);
    EXPECT_EQ(m_panel->GetArea().left, game.right);
}

TEST_F(PanelTest, DefaultSizeFollowsTheWorkArea)
{
    const struct {
        int32_t work_width;
        int32_t width;
    } cases[] = { { 1024, 970 }, { 1279, 970 }, { 1280, 1050 }, { 1920, 1050 } }; // never below the smallest
    for (const auto& c : cases) {
        m_frame->SetWorkAreaWidth(c.work_width);
        EXPECT_EQ(m_frame->GetDefaultWidth(), c.width) << c.work_width;
        EXPECT_EQ(m_frame->GetDefaultHeight(), 600);
    }
}

TEST_F(PanelTest, EachPopupBoxGoesAboveTheLast)
{
    for (int i = 1; i <= 3; ++i) {
        client::MessageBoardRequest request;
        request.text = "第" + std::to_string(i) + "个";
        m_frame->ShowMessageBoard(request);
        engine::CGuiMessageBox* box = LastBox(*m_frame);
        ASSERT_NE(box, nullptr);
        EXPECT_DOUBLE_EQ(box->GetZ(), 90000.0 + 10.0 * i);
        EXPECT_TRUE(box->IsActive());
    }
    EXPECT_EQ(m_frame->GetBoxCounter(), 3);
    auto* look_on = dynamic_cast<panel::CLookOnRequestBox*>(
        m_frame->RegisterObject(std::make_unique<panel::CLookOnRequestBox>()));
    ASSERT_NE(look_on, nullptr);
    look_on->Setup("看客", "", OwnerEvent(widgettest::EVENT_CLICKED, 42, 1),
                   OwnerEvent(widgettest::EVENT_OTHER, 42, 0));
    m_frame->PopupBox(look_on);
    EXPECT_DOUBLE_EQ(look_on->GetZ(), 90040.0);
}

TEST_F(PanelTest, LookOnRequestBoxAsksAndAnswersOnce)
{
    auto* box = dynamic_cast<panel::CLookOnRequestBox*>(
        m_frame->RegisterObject(std::make_unique<panel::CLookOnRequestBox>()));
    ASSERT_NE(box, nullptr);
    box->Setup("看客", "", OwnerEvent(widgettest::EVENT_CLICKED, 42, 1), OwnerEvent(widgettest::EVENT_OTHER, 42, 0));
    m_frame->PopupBox(box);
    Run();
    EXPECT_EQ(box->GetOkButton()->GetCaption(), "同意");
    EXPECT_EQ(box->GetCancelButton()->GetCaption(), "拒绝");
    const auto drawn = [this](const std::string& text) {
        return std::any_of(m_text->drawn.begin(), m_text->drawn.end(),
                           [&](const auto& d) { return d.text == text; });
    };
    EXPECT_TRUE(drawn("请求看牌"));
    EXPECT_TRUE(drawn("看客"));
    const engine::CGuiTextButton* refuse = box->GetCancelButton();
    ClickAt(static_cast<int32_t>(refuse->GetX()), static_cast<int32_t>(refuse->GetY()));
    Run(1000);
    EXPECT_EQ(OwnerCount(widgettest::EVENT_OTHER), 1);
    EXPECT_EQ(OwnerCount(widgettest::EVENT_CLICKED), 0);
}

TEST_F(PanelTest, NotificationsReachTheScene)
{
    // The scene is the application's main game, the handlers' way to the table.
    EXPECT_EQ(m_app->Links().main_game, m_scene);
    Seat(1, 501, "张三");
    const client::GameUserRecord& seat = *m_app->Records().Seat(1);
    const std::vector<uint8_t> silver = Words({ 0, 1, 1, 0, 900 });
    const struct {
        std::function<void()> call;
        std::vector<std::string> events;
    } cases[] = {
        { [&] { m_frame->NotifyPlayerEnter(seat); }, { "enter 501" } },
        { [&] { m_frame->NotifyPlayerLeave(seat); }, { "leave 501" } },
        { [&] { m_frame->NotifyRandomTable(); }, { "80000018" } },
        { [&] { m_frame->NotifyTableChanged(); }, { "80000020" } },
        { [&] { m_frame->NotifySilverChange(silver); }, { "80000030" } },
        { [&] { m_frame->OnSeatRecords(); }, { "80000011" } },
        { [&] { m_frame->RefreshMainGame(); }, { "80000003" } },
        // Logged on with no round running: the seats and the start button.
        { [&] { m_frame->OnLogonReply(1); }, { "80000002", "80000011" } },
        { [&] { m_frame->OnLogonReply(2); }, { "80000002", "80000011" } },
        { [&] { m_frame->OnLogonReply(3); }, { "80000002" } },
    };
    for (const auto& c : cases) {
        m_scene->events.clear();
        c.call();
        EXPECT_EQ(m_scene->events, c.events);
    }
}

// The frame, its scene and its side panel go in any order: each link of the
// application leads to its part exactly while the part lives, and whatever is
// left keeps working (the sanitizer build watches every call).
TEST_F(PanelTest, FrameSceneAndPanelGoInAnyOrder)
{
    Seat(1, 501, "张三");
    const client::GameUserRecord& seat = *m_app->Records().Seat(1);
    std::array<int, 3> order { 0, 1, 2 };
    do {
        auto frame = std::make_unique<CTestFrameUI>(*m_app, m_log);
        auto* frame_ptr = frame.get();
        m_engine.m_objects->AddObject(std::move(frame), nullptr);
        frame_ptr->SetMainGame(std::make_unique<CRecordingScene>(*m_app, m_log));
        frame_ptr->SetSubSystem(std::make_unique<CRecordingPanel>(*m_app, m_log));
        Run();
        const std::array<uint32_t, 3> parts { frame_ptr->GetId(), frame_ptr->GetMainGame()->GetId(),
                                               frame_ptr->GetSubSystem()->GetId() };
        for (const int doomed : order) {
            m_engine.m_objects->DestroyObject(parts[static_cast<size_t>(doomed)]);
            Run();
            const client::AppLinks& links = m_app->Links();
            const auto alive = [&](size_t part) { return m_engine.m_objects->FindObject(parts[part]) != nullptr; };
            EXPECT_EQ(links.frame_ui != nullptr, alive(0)) << doomed;
            EXPECT_EQ(links.TableFrame() != nullptr, alive(0)) << doomed;
            EXPECT_EQ(links.main_game != nullptr, alive(1)) << doomed;
            EXPECT_EQ(links.side_panel != nullptr, alive(2)) << doomed;
            m_app->ShowSystemMessage("x");
            if (links.main_game != nullptr)
                links.main_game->SendGameEvent(panel::GAMEMSG_REFRESH_MAIN_GAME, 0);
            if (links.frame_ui != nullptr) {
                links.frame_ui->NotifyPlayerEnter(seat);
                links.frame_ui->OnSeatRecords();
                links.TableFrame()->HideMatchWaitAnimations();
                frame_ptr->SetArea(engine::EngineRect { 0, 0, 640, 480 });
            }
        }
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(PanelTest, BoardsShowTheirTexts)
{
    Seat(2, 777, "李四");
    m_app->Records().Header().words29[0] = 3;
    const std::vector<uint8_t> ask = Words({ 777 }, 64);
    const std::vector<uint8_t> tables = Words({ 0, 0, 5, 16 });
    const struct {
        std::function<void()> call;
        std::string text;
    } cases[] = {
        { [&] { m_frame->ShowExitRequest(ask); }, "李四请求退出游戏，您是否同意？" },
        { [&] { m_frame->ShowEliminationRound(); }, "定局淘汰第3轮" },
        { [&] { m_frame->ShowRemainingTables(tables); }, "还有5桌游戏中，前16名晋级" },
        { [&] { m_frame->ShowMatchOutNotice(Words({ 0, 0, 12 })); }, "很遗憾，您已被淘汰出局，名次：第12名。" },
        { [&] { m_frame->ShowNoSignUpBanner({}); }, "您没有报名参加本场比赛。" },
        { [&] { m_frame->ShowSystemBoard("服务器通知", 0xFFFFFF, 16); }, "服务器通知" },
        { [&] { m_frame->ShowPlayerBoardSmall(777, 100, 100); }, "李四\n\n积分：0\n银子：0" },
    };
    for (const auto& c : cases) {
        c.call();
        EXPECT_EQ(m_frame->GetLastBoardText(), c.text);
    }
    EXPECT_EQ(m_frame->GetPlayerBoardSmallUser(), 777);
    // The system board is the engine's, shown with the text.
    ASSERT_NE(m_frame->FindSystemBoard(), nullptr);
    EXPECT_TRUE(m_frame->FindSystemBoard()->IsActive());

    // Short or empty bodies show nothing.
    const std::string before = m_frame->GetLastBoardText();
    const uint8_t short_body[6] {};
    m_frame->ShowExitRequest(short_body);
    m_frame->ShowRemainingTables(short_body);
    m_frame->ShowMatchOutNotice(short_body);
    m_frame->ShowPlayerDetailFull(short_body);
    EXPECT_EQ(m_frame->GetLastBoardText(), before);
    EXPECT_EQ(m_frame->GetBoxCounter(), 3);
}

TEST_F(PanelTest, HostileNamesOnTheFrameBoardsShowAsWritten)
{
    const std::vector<uint8_t> ask = Words({ 777 }, 64);
    for (const std::string name : { "<color=255><size=40>x", "<SIZE=200>", "<script:go>", "a<\x01" "bold>" }) {
        Seat(2, 777, name.c_str());
        std::vector<uint8_t> record(client::GameUserRecord::BYTES);
        (void)client::WriteRecord(*m_app->Records().Seat(2), record);
        const std::string board = name + "的银子不够了，这一桌游戏结束。"; // as the notify handler words it
        const struct {
            const char* what;
            std::function<void()> show;
        } sinks[] = {
            { "exit request", [&] { m_frame->ShowExitRequest(ask); } },
            { "player board", [&] { m_frame->ShowPlayerBoardSmall(777, 100, 100); } },
            { "detail box", [&] { m_frame->ShowPlayerDetailFull(record); } },
            { "end board", [&] { m_frame->ShowExitMessageBoard({ board, 5, 1, "" }); } },
            { "look-on box",
              [&] {
                  auto* box = dynamic_cast<panel::CLookOnRequestBox*>(
                      m_frame->RegisterObject(std::make_unique<panel::CLookOnRequestBox>()));
                  box->Setup(name, "", OwnerEvent(widgettest::EVENT_CLICKED), OwnerEvent(widgettest::EVENT_OTHER));
              } },
        };
        for (const auto& sink : sinks) {
            m_text->drawn.clear();
            sink.show();
            widgettest::ExpectDrawnAsWritten(*m_text, name, sink.what);
            // Put away: the next name's box is no repeat of this one.
            if (engine::CGuiMessageBox* box = LastBox(*m_frame))
                box->Close();
        }
    }
}

TEST_F(PanelTest, AServerTextStaysAboveTheBoxsButtons)
{
    engine::CCanvasServices::InstallTextDrawer(engine::CCanvasTextDrawer::Create());
    std::string text = "<size=40><c=255>";
    for (int i = 0; i < 40; ++i)
        text += "服务器的很长的通知";
    const engine::EngineEvent done = OwnerEvent(widgettest::EVENT_CLICKED);
    for (const engine::TextKind kind : { engine::TextKind::Markup, engine::TextKind::Plain }) {
        auto* box = dynamic_cast<engine::CGuiMessageBox*>(m_frame->ShowTextBox(text, kind, &done, &done, 0));
        ASSERT_NE(box, nullptr);
        Run();
        const engine::CCanvasObject& canvas = *box->GetCanvas();
        const engine::CGuiTextButton& ok = *box->GetOkButton();
        // The buttons' row in the canvas's rows, and the box's background.
        const auto top = static_cast<int32_t>(ok.GetY() - ok.GetHeight() / 2.0 - canvas.GetY()
                                              + canvas.GetHeight() / 2.0);
        ASSERT_GT(top, 4);
        const uint32_t background = canvas.GetColourAt(2, canvas.GetCanvasHeight() - 3);
        const auto text_pixels = [&](int32_t from, int32_t to) {
            int count = 0;
            for (int32_t y = from; y < to; ++y)
                for (int32_t x = 2; x < canvas.GetCanvasWidth() - 2; ++x)
                    count += canvas.GetColourAt(x, y) != background ? 1 : 0;
            return count;
        };
        const char* what = kind == engine::TextKind::Plain ? "plain" : "markup";
        EXPECT_EQ(text_pixels(top, canvas.GetCanvasHeight() - 2), 0) << what << ": nothing from the buttons down";
        EXPECT_GT(text_pixels(2, top), 0) << what << ": the text is drawn above them";
    }
}

TEST_F(PanelTest, ExitBoardsCloseOrQuitAndTheUrlBoardOpensItsAddress)
{
    client::ExitBoardRequest exit;
    exit.text = "其他玩家同意您退出游戏！";
    exit.seconds = 10;
    m_frame->ShowExitMessageBoard(exit);
    engine::CGuiMessageBox* box = LastBox(*m_frame);
    ASSERT_NE(box, nullptr);
    // The countdown reads on the light box and stands clear of 取消.
    const engine::CCanvasObject* countdown = box->GetCountdownCanvas();
    ASSERT_NE(countdown, nullptr);
    const auto luminance = [](uint32_t colour) { // weighted, tenfold
        return static_cast<int>((colour & 0xFF) * 3 + (colour >> 8 & 0xFF) * 6 + (colour >> 16 & 0xFF));
    };
    EXPECT_GT(std::abs(luminance(countdown->GetTextStyle().color & 0xFFFFFF) -
                       luminance(box->GetCanvas()->GetBackgroundColour())),
              128 * 10);
    EXPECT_LE(countdown->GetX() + countdown->GetWidth() / 2,
              box->GetCancelButton()->GetX() - box->GetCancelButton()->GetWidth() / 2);
    ClickAt(static_cast<int32_t>(box->GetOkButton()->GetX()), static_cast<int32_t>(box->GetOkButton()->GetY()));
    Run(100);
    EXPECT_EQ(m_log, (Log { "close-window" }));
    // 取消 quits, at its left edge too (where the countdown used to lie).
    m_frame->ShowExitMessageBoard(exit);
    box = LastBox(*m_frame);
    ASSERT_NE(box, nullptr);
    const engine::CGuiTextButton* cancel = box->GetCancelButton();
    ClickAt(static_cast<int32_t>(cancel->GetX() - cancel->GetWidth() / 2 + 2), static_cast<int32_t>(cancel->GetY()));
    Run(400);
    EXPECT_EQ(m_log, (Log { "close-window", "quit" }));
    m_log.pop_back();

    client::ExitUrlBoardRequest url;
    url.text = "比赛结束";
    url.url = "http://example.com/score";
    url.seconds = 60;
    url.first_button = "查看成绩";
    url.second_button = "退出";
    m_frame->ShowExitUrlMessageBoard(url);
    box = LastBox(*m_frame);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetOkButton()->GetCaption(), "查看成绩");
    EXPECT_EQ(box->GetCancelButton()->GetCaption(), "退出");
    ClickAt(static_cast<int32_t>(box->GetOkButton()->GetX()), static_cast<int32_t>(box->GetOkButton()->GetY()));
    Run(100);
    EXPECT_EQ(m_opener.opened, (std::vector<std::string> { "http://example.com/score" }));
    EXPECT_EQ(m_log, (Log { "close-window", "close-window" }));

    // A countdown that runs out answers with the second button: quit.
    exit.seconds = 1;
    m_frame->ShowExitMessageBoard(exit);
    Run(2500);
    EXPECT_EQ(m_log.back(), "quit");

    // Confirming the quit board of a running match leaves and ends the program.
    m_log.clear();
    m_frame->ShowQuitBoard();
    box = LastBox(*m_frame);
    ASSERT_NE(box, nullptr);
    ClickAt(static_cast<int32_t>(box->GetOkButton()->GetX()), static_cast<int32_t>(box->GetOkButton()->GetY()));
    Run(100);
    EXPECT_EQ(m_log, (Log { "quit" }));
}

TEST_F(PanelTest, TitleButtonsSitTopRightAndAnswerTheirClicks)
{
    for (const char* name : CGameFrameUI::FRAME_BUTTON_IMAGES)
        m_paint->images[name] = picturetest::MakeStrip(20, 18, 4);
    m_frame->CreateFrameButtons();
    m_frame->CreateFrameButtons(); // once only
    Run();
    // Right to left from the top right corner, 2 pixels apart.
    const struct {
        CGameFrameUI::FrameButton button;
        double x;
        const char* answer;
    } cases[] = {
        { CGameFrameUI::FrameButton::Close, 788, "close-window" },
        { CGameFrameUI::FrameButton::Maximize, 766, "maximize" },
        { CGameFrameUI::FrameButton::Minimize, 744, "minimize" },
        { CGameFrameUI::FrameButton::Help, 722, "help" },
        { CGameFrameUI::FrameButton::Settings, 700, "" }, // the scene's settings board
    };
    for (const auto& c : cases) {
        engine::CGuiButton* button = m_frame->GetFrameButton(c.button);
        ASSERT_NE(button, nullptr);
        EXPECT_DOUBLE_EQ(button->GetX(), c.x) << c.answer;
        EXPECT_DOUBLE_EQ(button->GetY(), 2 + 9) << c.answer;
        m_log.clear();
        m_scene->events.clear();
        ClickAt(static_cast<int32_t>(button->GetX()), static_cast<int32_t>(button->GetY()));
        Run(100);
        EXPECT_EQ(m_log, *c.answer != 0 ? Log { c.answer } : Log {});
        EXPECT_EQ(m_scene->events, *c.answer != 0 ? std::vector<std::string> {}
                                                  : std::vector<std::string> { "80000076" });
    }
    // They follow the frame's right edge.
    m_frame->SetArea(engine::EngineRect { 0, 0, 640, 480 });
    EXPECT_DOUBLE_EQ(m_frame->GetFrameButton(CGameFrameUI::FrameButton::Close)->GetX(), 628);
}

TEST_F(PanelTest, BackdropTilesTheFeltOverTheWholeFrameBelowEverything)
{
    // A pattern of a size that does not divide the frame's: the last tiles
    // are cut. Every pixel repeats the pixel of the first tile.
    constexpr int32_t TILE_WIDTH = 24;
    constexpr int32_t TILE_HEIGHT = 7;
    m_paint->images[CGameFrameUI::BACKDROP_PATTERN] = picturetest::MakeStrip(TILE_WIDTH, TILE_HEIGHT, 1);
    m_frame->DrawTableBackdrop();
    engine::CCanvasObject* backdrop = m_frame->GetBackdrop();
    ASSERT_NE(backdrop, nullptr);
    EXPECT_LT(backdrop->GetZ(), m_scene->GetZ());
    EXPECT_EQ(backdrop->GetCanvasWidth(), 800);
    EXPECT_EQ(backdrop->GetCanvasHeight(), 600);
    EXPECT_DOUBLE_EQ(backdrop->GetX(), 400);
    EXPECT_DOUBLE_EQ(backdrop->GetY(), 300);
    EXPECT_EQ(backdrop->GetAlphaAt(0, 0), 255u);
    for (const auto& [x, y] : { std::pair { 23, 6 }, { 24, 7 }, { 799, 599 }, { 413, 298 }, { 47, 13 } })
        EXPECT_EQ(backdrop->GetColourAt(x, y), backdrop->GetColourAt(x % TILE_WIDTH, y % TILE_HEIGHT)) << x << "," << y;
    // A new frame size makes it anew.
    m_frame->SetArea(engine::EngineRect { 0, 0, 640, 480 });
    EXPECT_EQ(backdrop->GetCanvasWidth(), 640);
    EXPECT_EQ(backdrop->GetCanvasHeight(), 480);
}

TEST_F(PanelTest, TheHostsFrameCoversTheWholeViewUntilGivenAnArea)
{
    // The host window tells its root of a new view size without an area.
    Log log;
    auto root = std::make_unique<CTestFrameUI>(*m_app, log);
    CTestFrameUI* frame = root.get();
    m_engine.m_objects->AddObject(std::move(root), nullptr);
    m_engine.m_objects->SetViewSize(1024, 700);
    frame->OnAreaChanged();
    EXPECT_EQ(frame->GetArea(), (engine::EngineRect { 0, 0, 1024, 700 }));
    m_engine.m_objects->SetViewSize(1000, 600);
    frame->OnAreaChanged();
    EXPECT_EQ(frame->GetArea(), (engine::EngineRect { 0, 0, 1000, 600 }));
    // An area set by its owner stays.
    frame->SetArea(engine::EngineRect { 0, 0, 640, 480 });
    frame->OnAreaChanged();
    EXPECT_EQ(frame->GetArea(), (engine::EngineRect { 0, 0, 640, 480 }));
    m_engine.m_objects->DestroyObject(frame->GetId());
}

namespace {

// A connection that records the forced-exit request instead of sending it.
class CForcedExitConnection final : public client::CGameConnection {
public:
    using CGameConnection::CGameConnection;
    int AskForcedExit(std::span<const uint8_t, 64>) override
    {
        ++asked;
        return sent;
    }
    int asked = 0;
    int sent = 1;
};

} // namespace

TEST_F(PanelTest, AForcedExitRequestKeepsItsTimeOnlyWhenSent)
{
    client::CPlDkGameState state;
    m_app->SetGameStateHolder(&state);
    CForcedExitConnection connection(*m_app);
    client::AppLinks links = m_app->Links();
    links.connection = &connection;
    m_app->SetLinks(links);
    for (const int sent : { 0, 1 }) {
        connection.sent = sent;
        m_frame->ShowForceQuitBox();
        engine::CGuiMessageBox* box = LastBox(*m_frame);
        ASSERT_NE(box, nullptr);
        ClickAt(static_cast<int32_t>(box->GetOkButton()->GetX()), static_cast<int32_t>(box->GetOkButton()->GetY()));
        Run(100);
        EXPECT_EQ(state.GetExitRequestTick() != 0, sent != 0);
    }
    EXPECT_EQ(connection.asked, 2);
    links.connection = nullptr;
    m_app->SetLinks(links);
    m_app->SetGameStateHolder(nullptr);
}

TEST_F(PanelTest, ServerBoxesComeOneAtATimeAboveEveryBoxAndTakeTheInput)
{
    m_paint->images[CGameFrameUI::FRAME_BUTTON_IMAGES[0]] = picturetest::MakeStrip(20, 18, 4);
    m_frame->CreateFrameButtons();
    m_text->drawn.clear();
    EXPECT_TRUE(m_frame->ShowServerMessageBox("<c=255>停服"));
    EXPECT_TRUE(m_frame->ShowServerMessageBox("二"));
    auto* first = dynamic_cast<engine::CGuiMessageBox*>(m_frame->GetServerBox());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(m_frame->GetLastBoardText(), "<c=255>停服");
    widgettest::ExpectDrawnAsWritten(*m_text, "<c=255>停服", "server box"); // shown as it is
    // A board shown later stays below it, and input reaches only the box.
    m_frame->ShowQuitBoard();
    EXPECT_GT(first->GetZ(), LastBox(*m_frame)->GetZ());
    // Painted above it too, its OK button with it.
    const auto painted = [&](engine::CGuiObject* object) {
        return m_engine.m_objects->GetPaintIndex(object->GetVisual()->GetId());
    };
    EXPECT_GT(std::min(painted(first), painted(first->GetOkButton())), painted(LastBox(*m_frame)));
    EXPECT_EQ(m_input->GetModalObject(), first->GetId());
    const engine::CGuiButton* close = m_frame->GetFrameButton(CGameFrameUI::FrameButton::Close);
    ClickAt(static_cast<int32_t>(close->GetX()), static_cast<int32_t>(close->GetY()));
    Run(100);
    EXPECT_EQ(m_log, Log {});

    // Its OK brings the next one; the last OK gives the input back.
    for (const char* next : { "二", "" }) {
        auto* box = dynamic_cast<engine::CGuiMessageBox*>(m_frame->GetServerBox());
        ASSERT_NE(box, nullptr);
        ClickAt(static_cast<int32_t>(box->GetOkButton()->GetX()), static_cast<int32_t>(box->GetOkButton()->GetY()));
        Run(100);
        if (*next != 0) {
            EXPECT_EQ(m_frame->GetLastBoardText(), next);
        }
    }
    EXPECT_EQ(m_frame->GetServerBox(), nullptr);
    EXPECT_EQ(m_input->GetModalObject(), 0u);

    // A flood keeps a bounded number; the rest are refused.
    const uint64_t refused = client::CRefusalLog::Instance().GetCount();
    for (size_t i = 0; i < CGameFrameUI::MAX_SERVER_BOXES + 4; ++i)
        (void)m_frame->ShowServerMessageBox("满");
    EXPECT_EQ(client::CRefusalLog::Instance().GetCount() - refused, 4u);
}

// A server's text of megabytes is kept and drawn as far as a box can show
// it: a flood of such boxes keeps kilobytes, not the texts whole.
TEST_F(PanelTest, AServersLongTextIsCutToWhatABoxShows)
{
    std::string text;
    for (size_t i = 0; text.size() < (1u << 20); ++i)
        text += i % 64 == 63 ? "\r\n" : "停";
    const std::pair<const char*, std::function<void()>> roads[] = {
        { "server box", [&] { EXPECT_TRUE(m_frame->ShowServerMessageBox(text)); } },
        { "exit board", [&] { m_frame->ShowExitMessageBoard({ text, 10, 48, "" }); } },
    };
    for (const auto& [road, show] : roads) {
        SCOPED_TRACE(road);
        show();
        const std::string& shown = m_frame->GetLastBoardText();
        EXPECT_LE(shown.size(), CGameFrameUI::MAX_BOX_TEXT);
        EXPECT_GE(shown.size(), CGameFrameUI::MAX_BOX_TEXT - 1);
        EXPECT_EQ(text.compare(0, shown.size(), shown), 0) << "the text's beginning, whole characters";
    }
}

// The boxes a server opens once per notification are bounded by kind, and
// an answered box leaves nothing behind: its kind takes a new one at once.
TEST_F(PanelTest, BoxesOfAKindAreBoundedAndLeaveNothingOnceAnswered)
{
    constexpr uint32_t SERVER_MESSAGE = 211241; // the boxes come as a server's message asks
    using Kind = CGameFrameUI::BoxKind;
    const struct {
        Kind kind;
        size_t kept;
        void (*show)(CGameFrameUI& frame, int i);
    } kinds[] = {
        { Kind::PlayerDetail, CGameFrameUI::MAX_BOXES_PER_KIND,
          [](CGameFrameUI& frame, int i) {
              client::GameUserRecord user;
              user.user_id = 100 + i;
              frame.ShowPlayerDetailData(client::RecordBytes(user));
          } },
        // One question per asker: the same two askers ask again and again.
        { Kind::ExitRequest, 2, [](CGameFrameUI& frame, int i) { frame.ShowExitRequest(Words({ 1 + i % 2 })); } },
        { Kind::MatchOut, CGameFrameUI::MAX_BOXES_PER_KIND,
          [](CGameFrameUI& frame, int i) { frame.ShowMatchOutNotice(Words({ 0, 0, i })); } },
        { Kind::Banner, 1, [](CGameFrameUI& frame, int) { frame.ShowSystemCancelBanner({}); } },
        { Kind::ExitBoard, CGameFrameUI::MAX_BOXES_PER_KIND,
          [](CGameFrameUI& frame, int i) {
              frame.ShowExitMessageBoard({ "第" + std::to_string(i) + "桌结束", 5, 1, "" });
          } },
    };
    const size_t objects = m_engine.m_objects->GetObjectCount();
    for (const auto& kind : kinds) {
        std::vector<engine::CGuiMessageBox*> shown;
        for (int i = 0; i < 20; ++i) {
            {
                client::CRefusalVerdict verdict(SERVER_MESSAGE);
                kind.show(*m_frame, i);
            }
            if (shown.empty() || LastBox(*m_frame) != shown.back())
                shown.push_back(LastBox(*m_frame));
        }
        EXPECT_EQ(shown.size(), kind.kept) << static_cast<int>(kind.kind);
        EXPECT_EQ(m_frame->GetOpenBoxCount(kind.kind), kind.kept);
        for (engine::CGuiMessageBox* box : shown)
            box->SendEvent(engine::EngineEvent { box->GetId(), engine::VELOTRIX_EVENT_BOX_OK, 0, 0 });
        EXPECT_EQ(m_frame->GetOpenBoxCount(kind.kind), 0u);
        kind.show(*m_frame, 0);
        EXPECT_EQ(m_frame->GetOpenBoxCount(kind.kind), 1u) << static_cast<int>(kind.kind);
        LastBox(*m_frame)->SendEvent(engine::EngineEvent { LastBox(*m_frame)->GetId(),
                                                           engine::VELOTRIX_EVENT_BOX_OK, 0, 0 });
    }
    Run(1000); // the answered boxes fade out and go
    EXPECT_EQ(m_engine.m_objects->GetObjectCount(), objects);

    // Boxes a server asked for never crowd out one the client asks for
    // itself (the lost connection's board).
    for (int i = 0; i < 5; ++i) {
        client::CRefusalVerdict verdict(SERVER_MESSAGE);
        m_frame->ShowExitMessageBoard({ "第" + std::to_string(i) + "桌结束", 5, 1, "" });
    }
    m_frame->ShowExitMessageBoard({ "与服务器的连接已断开", 5, 1, "" });
    EXPECT_EQ(m_frame->GetOpenBoxCount(Kind::ExitBoard), CGameFrameUI::MAX_BOXES_PER_KIND + 1);
    EXPECT_EQ(m_frame->GetLastBoardText(), "与服务器的连接已断开");
}

// While a server box is up, typed keys reach it alone: the focused chat line
// neither takes them nor sends on Return, which answers the box instead.
TEST_F(PanelTest, AServerBoxTakesTheKeysFromTheChatLineAndReturnIsItsOk)
{
    engine::CRichEditBox* line = m_panel->GetInputBar()->GetEditBox();
    ASSERT_NE(line, nullptr);
    line->TakeFocus();
    const auto type = [&](std::string_view text) {
        for (const char c : text)
            m_input->OnChar(static_cast<uint8_t>(c));
        Run();
    };
    const auto press_return = [&] {
        m_input->OnKeyDown(platform::VK_RETURN, 1, 0);
        m_input->OnKeyUp(platform::VK_RETURN, 1, 0);
        Run(100);
    };
    type("hi");
    ASSERT_EQ(m_panel->GetInputBar()->GetInputText(), "hi");
    EXPECT_TRUE(m_frame->ShowServerMessageBox("停服"));
    EXPECT_TRUE(m_frame->ShowServerMessageBox("二"));
    type("xy");
    press_return();
    EXPECT_EQ(m_panel->GetInputBar()->GetInputText(), "hi");
    EXPECT_EQ(ChatText(), "");
    ASSERT_NE(m_frame->GetServerBox(), nullptr);
    EXPECT_EQ(m_frame->GetLastBoardText(), "二"); // Return answered the first box
    // Clicked on, any part of the box has the focus: Return still answers it.
    const engine::CEngineObject* second = m_frame->GetServerBox();
    ClickAt(static_cast<int32_t>(second->GetX()), static_cast<int32_t>(second->GetY()));
    press_return();
    EXPECT_EQ(m_frame->GetServerBox(), nullptr);
    EXPECT_EQ(ChatText(), "");
    // The box gone, the chat line (focused again) has the keys again.
    line->TakeFocus();
    type("!");
    press_return();
    EXPECT_EQ(ChatText(), " 说：hi!\n");
}

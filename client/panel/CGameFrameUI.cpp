#include "client/panel/CGameFrameUI.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "client/CGameApp.h"
#include "client/CGameConnection.h"
#include "client/CGameFrameWnd.h"
#include "client/CGameStateHolder.h"
#include "client/panel/CSubSystemPanel.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/core/InputState.h"
#include "engine/media/StartScreen.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiImageText.h"
#include "engine/widgets/UrlOpener.h"
#include "engine/widgets/WidgetSupport.h"
#include "platform/Message.h"
#include "platform/MessageIds.h"
#include "platform/Tick.h"
#include "platform/Window.h"

namespace panel {

namespace {

constexpr int32_t FALLBACK_WORK_AREA_WIDTH = 1024;
constexpr const char* AUTO_PLAY_IMAGE = "animation_AutoPlay";
constexpr double AUTO_PLAY_DEPTH = 60000.0;
constexpr uint32_t AUTO_PLAY_FRAME_MS = 100;
/// The auto-play animation stands above the table's centre, where the
/// points lying on the table show: its lower edge this far above the centre.
constexpr double AUTO_PLAY_ABOVE_CENTRE = 20.0;

// The frame's metrics: the heights of the side panel's bars.
constexpr int32_t TAB_HEIGHT = 24;
constexpr int32_t HEADER_HEIGHT = 22;
constexpr int32_t ROW_HEIGHT = 20;
constexpr int32_t PAGE_EXTRA = 40;

} // namespace

CGameFrameUI::CGameFrameUI(client::CGameApp& app)
    : m_app(app)
{
}

CGameFrameUI::~CGameFrameUI()
{
    // The main game, a part of its own, takes its link out as it goes.
    m_app.DropLink(&client::AppLinks::frame_ui, this);
    if (client::CGameFrameWnd* window = m_app.GetMainWindow())
        window->SetFrameUI(nullptr);
}

void CGameFrameUI::OnCreate()
{
    m_app.SetLink(&client::AppLinks::frame_ui, this);
    if (client::CGameFrameWnd* window = m_app.GetMainWindow())
        window->SetFrameUI(this);
    SetFrameMetrics();
}

void CGameFrameUI::SetFrameMetrics()
{
    SetIntSetting(SETTING_TAB_HEIGHT, TAB_HEIGHT);
    SetIntSetting(SETTING_HEADER_HEIGHT, HEADER_HEIGHT);
    SetIntSetting(SETTING_ROW_HEIGHT, ROW_HEIGHT);
    SetIntSetting(SETTING_PAGE_EXTRA, PAGE_EXTRA);
}

void CGameFrameUI::SetMainGame(std::unique_ptr<engine::CGuiContainer> scene)
{
    if (scene == nullptr)
        return;
    scene->SetName("MainGame");
    m_main_game = dynamic_cast<engine::CGuiContainer*>(RegisterObject(std::move(scene)));
    // The application's main game: the table events reach the scene by it.
    m_main_game_link = dynamic_cast<client::IMainGame*>(m_main_game.get());
    if (m_main_game_link != nullptr)
        m_app.SetLink(&client::AppLinks::main_game, m_main_game_link);
    LayoutChildren();
}

void CGameFrameUI::SetSubSystem(std::unique_ptr<CSubSystemPanel> panel)
{
    if (panel == nullptr)
        return;
    m_sub_system = dynamic_cast<CSubSystemPanel*>(RegisterObject(std::move(panel)));
    LayoutChildren();
}

void CGameFrameUI::SetSidePanelWidth(int32_t width)
{
    m_side_width = std::max(0, width);
    LayoutChildren();
}

void CGameFrameUI::SetSidePanelVisibleWidth(int32_t width)
{
    m_side_visible_width = std::clamp(width, 0, m_side_width);
    LayoutChildren();
}

void CGameFrameUI::OnStart()
{
    // The engine's start screen stays up until the game starts.
    if (engine::CEngineObject* start_screen = FindObjectByName(engine::START_SCREEN_OBJECT))
        DestroyObject(start_screen, true);
    if (m_main_game != nullptr)
        m_main_game->OnStart();
    if (m_sub_system != nullptr)
        m_sub_system->OnStart();
    (void)m_app.ConnectByMode();
}

void CGameFrameUI::SetArea(const engine::EngineRect& area)
{
    m_area_follows_view = false;
    CGuiContainer::SetArea(area);
}

void CGameFrameUI::OnAreaChanged()
{
    // The host window tells its root of a new view size this way, without
    // an area of its own: the frame then covers the whole view, and never
    // less than its smallest size (a view forced smaller shows its top left).
    engine::EngineRect view { 0, 0, GetViewWidth(), GetViewHeight() };
    if (!view.IsEmpty())
        view = { 0, 0, std::max(view.right, MIN_WIDTH), std::max(view.bottom, MIN_HEIGHT) };
    if (m_area_follows_view && !view.IsEmpty() && view != GetArea()) {
        CGuiContainer::SetArea(view); // comes back here with the view's area
        return;
    }
    // A window maximised or restored by the window system shows it here.
    UpdateMaximizeButton();
    LayoutChildren();
}

void CGameFrameUI::CreateFrameButtons()
{
    for (size_t i = 0; i < m_frame_buttons.size(); ++i) {
        if (m_frame_buttons[i] != nullptr)
            continue;
        auto* button = dynamic_cast<engine::CGuiButton*>(RegisterObject(std::make_unique<engine::CGuiButton>()));
        if (button == nullptr)
            continue;
        static constexpr std::array<uint32_t, static_cast<size_t>(FrameButton::Count)> EVENTS {
            FRAME_EVENT_CLOSE_WINDOW, FRAME_EVENT_MAXIMIZE, FRAME_EVENT_MINIMIZE, client::GAMEMSG_FRAME_HELP,
            GAMEMSG_TOGGLE_GAMESET_BOARD
        };
        engine::ImageRef image;
        GetImage(image, FRAME_BUTTON_IMAGES[i], 0);
        const engine::EngineEvent click = SelfEvent(EVENTS[i]);
        button->Create(image, &click, 0, 0);
        engine::PlaceAtDepth(*button, FRAME_BUTTON_DEPTH);
        button->Show(true);
        button->Activate();
        m_frame_buttons[i] = button;
    }
    UpdateMaximizeButton();
    PlaceFrameButtons();
}

engine::CGuiButton* CGameFrameUI::GetFrameButton(FrameButton which) const
{
    const auto index = static_cast<size_t>(which);
    return index < m_frame_buttons.size() ? m_frame_buttons[index] : nullptr;
}

void CGameFrameUI::PlaceFrameButtons()
{
    const engine::EngineRect area = GetArea();
    double right = area.right - FRAME_BUTTON_MARGIN;
    for (engine::CGuiButton* button : m_frame_buttons) {
        if (button == nullptr)
            continue;
        const double width = button->GetWidth();
        button->MoveTo(right - width / 2.0, area.top + FRAME_BUTTON_MARGIN + button->GetHeight() / 2.0);
        button->Invalidate();
        right -= width + FRAME_BUTTON_MARGIN;
    }
}

void CGameFrameUI::UpdateMaximizeButton()
{
    engine::CGuiButton* button = GetFrameButton(FrameButton::Maximize);
    if (button == nullptr)
        return;
    const size_t index = static_cast<size_t>(FrameButton::Maximize);
    engine::ImageRef image;
    GetImage(image, UpdateMaximizedFlag() != 0 ? RESTORE_BUTTON_IMAGE : FRAME_BUTTON_IMAGES[index], 0);
    button->SetImage(image);
    button->Invalidate();
}

void CGameFrameUI::MinimizeMainWindow()
{
    client::CGameFrameWnd* window = m_app.GetMainWindow();
    if (platform::CNativeWindow* native = window != nullptr ? window->GetNativeWindow() : nullptr)
        native->Minimize();
}

void CGameFrameUI::ToggleMaximized()
{
    client::CGameFrameWnd* window = m_app.GetMainWindow();
    platform::CNativeWindow* native = window != nullptr ? window->GetNativeWindow() : nullptr;
    if (native == nullptr)
        return;
    if (native->IsMaximized())
        native->Restore();
    else
        native->Maximize();
    UpdateMaximizeButton();
}

void CGameFrameUI::DrawTableBackdrop()
{
    if (m_backdrop == nullptr) {
        m_backdrop = NewCanvasObject(1, 1, engine::WIDGET_COLOUR_KEY);
        if (m_backdrop == nullptr)
            return;
        m_backdrop->SetName(BACKDROP_NAME);
        engine::PlaceAtDepth(*m_backdrop, BACKDROP_DEPTH);
    }
    PlaceBackdrop();
}

void CGameFrameUI::PlaceBackdrop()
{
    const engine::EngineRect area = GetArea();
    if (m_backdrop == nullptr || area.IsEmpty())
        return;
    if (m_backdrop->GetCanvasWidth() != area.Width() || m_backdrop->GetCanvasHeight() != area.Height())
        TileBackdrop(*m_backdrop, area.Width(), area.Height());
    m_backdrop->MoveTo((area.left + area.right) / 2.0, (area.top + area.bottom) / 2.0);
    m_backdrop->Show(true);
    m_backdrop->Activate();
    m_backdrop->Invalidate();
}

void CGameFrameUI::TileBackdrop(engine::CCanvasObject& canvas, int32_t width, int32_t height)
{
    canvas.Resize(width, height);
    canvas.SetSize(canvas.GetCanvasWidth(), canvas.GetCanvasHeight());
    canvas.SetBackgroundColour(BACKDROP_COLOUR);
    canvas.Clear();
    engine::ImageRef pattern;
    GetImage(pattern, BACKDROP_PATTERN, 0);
    const int32_t tile_width = std::min(pattern.width, canvas.GetCanvasWidth());
    const int32_t tile_height = std::min(pattern.height, canvas.GetCanvasHeight());
    if (pattern.record == nullptr || tile_width <= 0 || tile_height <= 0)
        return;
    // The pattern is drawn once in the corner, then its pixels are repeated
    // row by row: one blit however large the frame.
    canvas.DrawImage(pattern, 0, 0, tile_width, tile_height, 0, 0, 1.0);
    const std::span<uint8_t> pixels = canvas.GetPixels();
    const size_t pitch = size_t(canvas.GetCanvasWidth()) * 4;
    const size_t tile_bytes = size_t(tile_width) * 4;
    for (int32_t y = 0; y < canvas.GetCanvasHeight(); ++y) {
        uint8_t* row = pixels.data() + size_t(y) * pitch;
        if (y >= tile_height)
            std::memcpy(row, pixels.data() + size_t(y % tile_height) * pitch, tile_bytes);
        for (size_t x = tile_bytes; x < pitch; x += tile_bytes)
            std::memcpy(row + x, row, std::min(tile_bytes, pitch - x));
    }
    canvas.GetFrameImage().MarkChanged();
}

engine::EngineRect CGameFrameUI::GetMainGameRect() const
{
    const engine::EngineRect area = GetArea();
    engine::EngineRect rect = area;
    rect.right = std::max(area.left, area.right - m_side_visible_width);
    return rect;
}

void CGameFrameUI::LayoutChildren()
{
    const engine::EngineRect area = GetArea();
    PlaceBackdrop();
    PlaceFrameButtons();
    if (m_main_game != nullptr)
        m_main_game->SetArea(GetMainGameRect());
    if (m_sub_system != nullptr) {
        engine::EngineRect side = area;
        side.left = std::max(area.left, area.right - m_side_visible_width);
        m_sub_system->SetArea(side);
    }
    if (m_auto_play != nullptr) {
        const engine::EngineRect game = GetMainGameRect();
        m_auto_play->MoveTo((game.left + game.right) / 2.0,
                            (game.top + game.bottom) / 2.0 - AUTO_PLAY_ABOVE_CENTRE - m_auto_play->GetHeight() / 2);
        m_auto_play->Invalidate();
    }
}

int32_t CGameFrameUI::GetDefaultWidth() const
{
    int32_t work_width = m_work_area_width;
    if (work_width <= 0) {
        const auto desktop = platform::CNativeWindow::GetDesktopSize();
        work_width = desktop ? desktop->first : FALLBACK_WORK_AREA_WIDTH;
    }
    // The small width is below the frame's smallest: the smallest serves.
    return work_width < WIDE_WORK_AREA ? std::max(DEFAULT_WIDTH_SMALL, MIN_WIDTH) : DEFAULT_WIDTH_LARGE;
}

int CGameFrameUI::UpdateMaximizedFlag()
{
    client::CGameFrameWnd* window = m_app.GetMainWindow();
    platform::CNativeWindow* native = window != nullptr ? window->GetNativeWindow() : nullptr;
    m_maximized = native != nullptr && native->IsMaximized() ? 1 : 0;
    return m_maximized;
}

engine::EngineEvent CGameFrameUI::SelfEvent(uint32_t id, uintptr_t param1, uintptr_t param2) const
{
    return engine::EngineEvent { GetId(), id, param1, param2 };
}

int CGameFrameUI::SendToMainGame(uint32_t id, uintptr_t param1, uintptr_t param2)
{
    if (m_main_game == nullptr)
        return 0;
    return m_main_game->SendEvent(engine::EngineEvent { m_main_game->GetId(), id, param1, param2 });
}

client::CGameConnection* CGameFrameUI::GetConnection() const
{
    return dynamic_cast<client::CGameConnection*>(m_app.Links().connection);
}

void CGameFrameUI::PopupBox(engine::CEngineObject* box)
{
    if (box == nullptr)
        return;
    ++m_box_counter;
    m_last_box_id = box->GetId();
    engine::PlaceAtDepth(*box, POPUP_BASE_DEPTH + POPUP_DEPTH_STEP * m_box_counter);
    const engine::EngineRect game = GetMainGameRect();
    const bool has_area = game.right > game.left && game.bottom > game.top;
    const double x = has_area ? (game.left + game.right) / 2.0 : GetViewWidth() / 2.0;
    const double y = has_area ? (game.top + game.bottom) / 2.0 : GetViewHeight() / 2.0;
    box->MoveTo(x, y);
    box->Show(true);
    box->Activate();
    box->Invalidate();
}

void CGameFrameUI::RefreshMainGame()
{
    (void)SendToMainGame(GAMEMSG_REFRESH_MAIN_GAME);
}

void CGameFrameUI::ShowAutoPlay(bool on)
{
    m_auto_play_shown = on;
    if (m_auto_play == nullptr && on) {
        engine::ImageRef image;
        GetImage(image, AUTO_PLAY_IMAGE, 0);
        m_auto_play = NewImageObject(image);
        if (m_auto_play != nullptr) {
            engine::PlaceAtDepth(*m_auto_play, AUTO_PLAY_DEPTH);
            (void)AddPlayFramesAction(m_auto_play, engine::FrameMode::Loop, -1, 0, AUTO_PLAY_FRAME_MS);
            LayoutChildren();
        }
    }
    if (m_auto_play == nullptr)
        return;
    if (on)
        m_auto_play->Activate();
    else
        m_auto_play->Deactivate();
    m_auto_play->Invalidate();
}

void CGameFrameUI::HideMatchWaitAnimations()
{
    for (engine::CEngineObject* object : std::initializer_list<engine::CEngineObject*> {
             m_wait_arrange, m_start_countdown, m_signup_countdown, m_tables_text }) {
        if (object == nullptr)
            continue;
        CancelObjectActions(object->GetId());
        object->Deactivate();
        object->Invalidate();
    }
}

void CGameFrameUI::ShowRoundText(engine::CGuiImageText* text, const std::string& value)
{
    if (text == nullptr) {
        ShowSystemBoard(value, 0xFFFFFF, 16);
        return;
    }
    m_last_board_text = value;
    text->SetText(value);
    text->Activate();
    text->Invalidate();
}

void CGameFrameUI::ShowSystemBoard(const std::string& text, uint32_t colour, int32_t size)
{
    m_last_board_text = text;
    CEngineEntity::ShowSystemBoard(nullptr, 0);
    if (engine::CCanvasObject* board = FindSystemBoard()) {
        board->SetTextColour(colour, 255);
        board->SetFont(std::clamp(size, 8, 72), 400, engine::WIDGET_FACE);
    }
    CEngineEntity::ShowSystemBoard(text.c_str(), SYSTEM_BOARD_SECONDS);
}

void CGameFrameUI::PlayFrameSound(const char* name)
{
    if (name != nullptr)
        (void)LoadSound(name, 1);
}

void CGameFrameUI::CloseMainWindow()
{
    if (client::CGameFrameWnd* window = m_app.GetMainWindow())
        (void)platform::PostMessage(window->GetHandle(), platform::WM_CLOSE);
    else
        QuitProgram();
}

void CGameFrameUI::QuitProgram()
{
    platform::PostQuitMessage(0);
}

void CGameFrameUI::LeaveAndQuit()
{
    // The main window's close road ends the same way (posted: closing the
    // window takes this object with it).
    if (client::CGameFrameWnd* window = m_app.GetMainWindow()) {
        (void)platform::PostMessage(window->GetHandle(), client::UM_LEAVE_AND_CLOSE);
        return;
    }
    if (client::CGameConnection* connection = GetConnection()) {
        std::string error;
        const client::CClientRecords& records = m_app.Records();
        (void)connection->LeaveGame(error, records.GetUserID(), records.GetChairNO());
    }
    QuitProgram();
}

int CGameFrameUI::OnEvent(const engine::EngineEvent& event)
{
    switch (event.id) {
    case FRAME_EVENT_CLOSE_WINDOW:
        CloseMainWindow();
        return 1;
    case FRAME_EVENT_QUIT:
        QuitProgram();
        return 1;
    case FRAME_EVENT_OPEN_EXIT_URL:
        if (!m_exit_url.empty())
            (void)engine::GetUrlOpener().OpenUrl(m_exit_url);
        CloseMainWindow();
        return 1;
    case FRAME_EVENT_EXIT_ANSWER:
        AnswerExitRequest(static_cast<int32_t>(event.param1), event.param2 != 0);
        return 1;
    case FRAME_EVENT_FORCE_QUIT:
        if (client::CGameConnection* connection = GetConnection()) {
            std::array<uint8_t, 64> record {};
            // The time of the request: closing again while the others
            // answer shows how long they still have.
            client::CGameStateHolder* state = m_app.GetGameStateHolder();
            if (connection->AskForcedExit(record) != 0 && state != nullptr)
                state->SetExitRequestTick(platform::GetTickCount());
        }
        return 1;
    case FRAME_EVENT_BOARD_CLOSED:
        return 1;
    case FRAME_EVENT_SERVER_BOX_OK:
        if (!m_server_box_texts.empty())
            m_server_box_texts.pop_front();
        ShowFirstServerBox();
        return 1;
    case FRAME_EVENT_MINIMIZE:
        MinimizeMainWindow();
        return 1;
    case FRAME_EVENT_MAXIMIZE:
        ToggleMaximized();
        return 1;
    case GAMEMSG_TOGGLE_GAMESET_BOARD:
        (void)SendToMainGame(GAMEMSG_TOGGLE_GAMESET_BOARD);
        return 1;
    case client::GAMEMSG_QUIT_CONFIRMED:
        LeaveAndQuit();
        return 1;
    case client::GAMEMSG_MATCH_SIGNUP:
        if (client::CGameConnection* connection = GetConnection())
            (void)connection->MatchSignup();
        return 1;
    case client::GAMEMSG_MATCH_GIVEUP:
        if (client::CGameConnection* connection = GetConnection())
            (void)connection->MatchWithdraw();
        return 1;
    case GAMEMSG_SEAT_LEFT_CLICK:
    case GAMEMSG_SEAT_RIGHT_CLICK: {
        engine::InputState input {};
        const bool known = GetInputState(input);
        const auto user = static_cast<int32_t>(event.param1);
        if (user > 0 && user != GetPlayerBoardSmallUser())
            ShowPlayerBoardSmall(user, known ? input.x : 0, known ? input.y : 0);
        return 1;
    }
    default:
        return CGuiContainer::OnEvent(event);
    }
}

} // namespace panel

// The frame UI's boards, banners and notifications.
#include "client/panel/CGameFrameUI.h"

#include <algorithm>
#include <string>
#include <utility>

#include "client/CGameApp.h"
#include "client/CGameConnection.h"
#include "client/CGameFrameWnd.h"
#include "client/CGameNotifyHandler.h"
#include "client/CGameStateHolder.h"
#include "client/CRefusalLog.h"
#include "client/ClientText.h"
#include "client/RecordCodec.h"
#include "client/panel/CSubSystemPanel.h"
#include "client/panel/NoticeBoxLook.h"
#include "client/panel/PanelText.h"
#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiMessageBox.h"
#include "engine/widgets/GuiTextButton.h"
#include "engine/widgets/WidgetSupport.h"
#include "platform/ByteReader.h"
#include "platform/Text.h"

namespace panel {

namespace {

constexpr int32_t BOX_WIDTH = 320;
constexpr int32_t BOX_HEIGHT = 160;
constexpr int32_t BOX_FONT_SIZE = 14;
constexpr int32_t PICTURE_SIZE = 48;
constexpr int32_t PLAYER_BOARD_WIDTH = 180;
constexpr int32_t PLAYER_BOARD_HEIGHT = 96;
constexpr double PLAYER_BOARD_DEPTH = 70000.0;
constexpr uint32_t NOTICE_COLOUR = 0x808080;
constexpr uint32_t PLAYER_BOARD_BACKGROUND = 0xF0F0F0;
constexpr uint32_t STYLE_OK_CANCEL = 1;

// The message board's style: the low four bits name its buttons.
bool HasCancel(int32_t style)
{
    return (static_cast<uint32_t>(style) & 0xF) == STYLE_OK_CANCEL;
}

} // namespace

engine::CEngineObject* CGameFrameUI::ShowTextBox(const std::string& text, engine::TextKind kind,
                                                 const engine::EngineEvent* ok_event,
                                                 const engine::EngineEvent* cancel_event, int32_t seconds,
                                                 const std::string& picture)
{
    m_last_board_text = text;
    auto* box = dynamic_cast<engine::CGuiMessageBox*>(RegisterObject(std::make_unique<engine::CGuiMessageBox>()));
    if (box == nullptr)
        return nullptr;
    engine::CCanvasObject* canvas = box->Create(BOX_WIDTH, BOX_HEIGHT, ok_event, cancel_event, seconds);
    if (canvas != nullptr) {
        const int32_t text_left = DrawNoticeBoxBack(*this, *canvas, picture, PICTURE_SIZE);
        canvas->SetFont(BOX_FONT_SIZE, 400, engine::WIDGET_FACE);
        canvas->SetTextColour(NOTICE_BOX_TEXT_COLOUR, 255);
        canvas->SetMargins(text_left, NOTICE_BOX_MARGIN);
        canvas->SetTextFlags(1, 0);
        canvas->DrawTextAbove(NoticeBoxTextBottom(*canvas), 0, NOTICE_BOX_MARGIN, text, kind);
        canvas->Invalidate();
    }
    PlaceNoticeBoxButtons(*box);
    PopupBox(box);
    return box;
}

engine::CGuiMessageBox* CGameFrameUI::ShowBoundedBox(BoxKind kind, std::string key, const std::string& whole_text,
                                                     engine::TextKind text_kind, const engine::EngineEvent* ok_event,
                                                     const engine::EngineEvent* cancel_event, int32_t seconds,
                                                     const std::string& picture)
{
    const std::string text = platform::CutGbkText(whole_text, MAX_BOX_TEXT);
    if (key.empty())
        key = text;
    const size_t open = GetOpenBoxCount(kind);
    if (std::any_of(m_open_boxes.begin(), m_open_boxes.end(),
                    [&](const OpenBox& box) { return box.kind == kind && box.key == key; })) {
        RefuseBox(kind, "the same box is up already");
        return nullptr;
    }
    // The bound holds what servers ask for: a box the client asks for itself
    // (the lost connection's, a quit question) is never crowded out by them.
    if (open >= MAX_BOXES_PER_KIND && client::CRefusalVerdict::GetInnermostId() != 0) {
        RefuseBox(kind, "boxes of its kind are up already");
        return nullptr;
    }
    auto* box = dynamic_cast<engine::CGuiMessageBox*>(
        ShowTextBox(text, text_kind, ok_event, cancel_event, seconds, picture));
    if (box == nullptr)
        return nullptr;
    m_open_boxes.push_back({ kind, std::move(key), box });
    return box;
}

void CGameFrameUI::ForgetClosedBoxes()
{
    std::erase_if(m_open_boxes, [this](const OpenBox& open) {
        if (open.box != nullptr && !open.box->IsClosing())
            return false;
        // An answer to a box of the kind: a later refusal is told again.
        m_refusal_told[static_cast<size_t>(open.kind)] = false;
        return true;
    });
}

size_t CGameFrameUI::GetOpenBoxCount(BoxKind kind)
{
    ForgetClosedBoxes();
    return static_cast<size_t>(
        std::count_if(m_open_boxes.begin(), m_open_boxes.end(), [&](const OpenBox& open) { return open.kind == kind; }));
}

void CGameFrameUI::RefuseBox(BoxKind kind, const char* reason)
{
    // Only a server's message is refused; a box the client asked for itself
    // (a click, a lost connection) is simply not shown twice.
    const uint32_t id = client::CRefusalVerdict::GetInnermostId();
    if (id == 0)
        return;
    if (std::exchange(m_refusal_told[static_cast<size_t>(kind)], true)) {
        client::CRefusalVerdict::Mark(id);
        return;
    }
    client::CRefusalLog::Instance().Refuse(id, "%s (at most %zu, none twice); more are refused silently until one "
                                               "is answered",
                                           reason, MAX_BOXES_PER_KIND);
}

void CGameFrameUI::ShowMessageBoard(const client::MessageBoardRequest& request)
{
    const engine::EngineEvent* second = nullptr;
    const engine::EngineEvent cancel = request.second_event.id != 0 ? request.second_event
                                                                   : SelfEvent(FRAME_EVENT_BOARD_CLOSED);
    if (request.second_event.id != 0 || HasCancel(request.style))
        second = &cancel;
    const engine::EngineEvent ok = request.answer_event.id != 0 ? request.answer_event
                                                               : SelfEvent(FRAME_EVENT_BOARD_CLOSED);
    (void)ShowBoundedBox(BoxKind::MessageBoard, {}, request.text, request.kind, &ok, second, request.seconds,
                         request.picture);
}

void CGameFrameUI::ShowExitMessageBoard(const client::ExitBoardRequest& request)
{
    const engine::EngineEvent close = SelfEvent(FRAME_EVENT_CLOSE_WINDOW);
    const engine::EngineEvent quit = SelfEvent(FRAME_EVENT_QUIT);
    (void)ShowBoundedBox(BoxKind::ExitBoard, {}, request.text, request.kind, &close, &quit, request.seconds,
                         request.picture);
}

void CGameFrameUI::ShowExitUrlMessageBoard(const client::ExitUrlBoardRequest& request)
{
    const engine::EngineEvent open = SelfEvent(FRAME_EVENT_OPEN_EXIT_URL);
    const engine::EngineEvent quit = SelfEvent(FRAME_EVENT_QUIT);
    // One address at a time: the box shown opens the address it was shown with.
    if (GetOpenBoxCount(BoxKind::ExitUrlBoard) != 0) {
        RefuseBox(BoxKind::ExitUrlBoard, "an address board is up already");
        return;
    }
    engine::CGuiMessageBox* box
        = ShowBoundedBox(BoxKind::ExitUrlBoard, {}, request.text, request.kind, &open, &quit, request.seconds);
    if (box == nullptr)
        return;
    m_exit_url = request.url;
    if (!request.first_button.empty() && box->GetOkButton() != nullptr)
        box->GetOkButton()->SetCaption(request.first_button);
    if (!request.second_button.empty() && box->GetCancelButton() != nullptr)
        box->GetCancelButton()->SetCaption(request.second_button);
}

void CGameFrameUI::ShowQuitBoard()
{
    const engine::EngineEvent quit = SelfEvent(client::GAMEMSG_QUIT_CONFIRMED);
    const engine::EngineEvent stay = SelfEvent(FRAME_EVENT_BOARD_CLOSED);
    (void)ShowBoundedBox(BoxKind::MessageBoard, {}, "比赛正在进行中，现在退出将按放弃比赛处理。确定要退出吗？",
                         engine::TextKind::Plain, &quit, &stay, 0);
}

void CGameFrameUI::ShowForceQuitBox()
{
    const engine::EngineEvent ask = SelfEvent(FRAME_EVENT_FORCE_QUIT);
    const engine::EngineEvent stay = SelfEvent(FRAME_EVENT_BOARD_CLOSED);
    (void)ShowBoundedBox(BoxKind::MessageBoard, {}, "游戏正在进行中，强行退出需要其他玩家同意。是否请求退出？",
                         engine::TextKind::Plain, &ask, &stay, 0);
}

bool CGameFrameUI::ShowServerMessageBox(const std::string& text)
{
    if (m_server_box_texts.size() >= MAX_SERVER_BOXES) {
        client::CRefusalLog::Instance().Refuse(client::GR_SERVER_MESSAGE_BOX, "%zu server message boxes wait already",
                                               m_server_box_texts.size());
        return true;
    }
    m_server_box_texts.push_back(platform::CutGbkText(text, MAX_BOX_TEXT));
    if (m_server_box_texts.size() == 1)
        ShowFirstServerBox();
    return true;
}

void CGameFrameUI::ShowFirstServerBox()
{
    m_server_box_id = 0;
    if (m_server_box_texts.empty()) {
        // The answered box fades out; the frame takes input again at once
        // (no other object of the window is made modal).
        SetModalObject(0);
        return;
    }
    // The server's text is shown as it is, as a desktop box would.
    const engine::EngineEvent ok = SelfEvent(FRAME_EVENT_SERVER_BOX_OK);
    auto* box = dynamic_cast<engine::CGuiMessageBox*>(
        ShowTextBox(m_server_box_texts.front(), engine::TextKind::Plain, &ok, nullptr, 0));
    if (box == nullptr) {
        m_server_box_texts.clear();
        return;
    }
    // The keys are the box's alone while it is up (the engine's modal object
    // hears them): Return is its OK.
    box->TakeKeys();
    engine::PlaceAtDepth(*box, SERVER_BOX_DEPTH + box->GetZ());
    // A change of depth reaches the paint order only with the parts redrawn.
    box->Invalidate();
    m_server_box_id = box->GetId();
    SetModalObject(m_server_box_id);
}

void CGameFrameUI::ShowExitRequest(std::span<const uint8_t> body)
{
    const auto words = client::LeadingWords<1>(client::GR_ASK_FORCED_EXIT, body);
    const int32_t asker = words ? (*words)[0] : 0;
    if (asker <= 0)
        return;
    const client::CClientRecords& records = m_app.Records();
    const std::string name = records.GetName(records.FindUser(asker), client::NameKind::Display);
    const engine::EngineEvent agree = SelfEvent(FRAME_EVENT_EXIT_ANSWER, static_cast<uint32_t>(asker), 1);
    const engine::EngineEvent refuse = SelfEvent(FRAME_EVENT_EXIT_ANSWER, static_cast<uint32_t>(asker), 0);
    // One question per asker until it is answered.
    engine::CGuiMessageBox* box
        = ShowBoundedBox(BoxKind::ExitRequest, std::to_string(asker), FormatText("%s请求退出游戏，您是否同意？", name.c_str()),
                         engine::TextKind::Plain, &agree, &refuse, 30);
    if (box == nullptr)
        return;
    if (box->GetOkButton() != nullptr)
        box->GetOkButton()->SetCaption("同意");
    if (box->GetCancelButton() != nullptr)
        box->GetCancelButton()->SetCaption("拒绝");
}

void CGameFrameUI::AnswerExitRequest(int32_t asker, bool agree)
{
    if (client::CGameConnection* connection = GetConnection())
        (void)connection->AnswerExit(asker, agree ? 1 : 0);
}

void CGameFrameUI::OnLogonReply(int hook)
{
    (void)SendToMainGame(GAMEMSG_RESET_SEAT_BOARDS);
    // Seated at a table where no round runs yet: the seats' ready marks and
    // the start button (or the waiting animation where the room starts rounds).
    const client::CGameStateHolder* state = m_app.GetGameStateHolder();
    if (hook != 3 && (state == nullptr || !state->IsTableWord15Set()))
        (void)SendToMainGame(GAMEMSG_REFRESH_SEAT_BOARDS);
}

void CGameFrameUI::OnEnterReply()
{
    (void)SendToMainGame(GAMEMSG_RESET_SEAT_BOARDS);
}

// --- Match banners

void CGameFrameUI::ShowBanner(const char* text)
{
    const engine::EngineEvent done = SelfEvent(FRAME_EVENT_BOARD_CLOSED);
    (void)ShowBoundedBox(BoxKind::Banner, {}, text, engine::TextKind::Plain, &done, nullptr, 0);
}

void CGameFrameUI::ShowNoSignUpBanner(std::span<const uint8_t>)
{
    ShowBanner("您没有报名参加本场比赛。");
}

void CGameFrameUI::ShowWashoutBanner(std::span<const uint8_t>)
{
    ShowBanner("您已被淘汰，不能继续参加本场比赛。");
}

void CGameFrameUI::ShowMatchEndBanner(std::span<const uint8_t>)
{
    ShowBanner("本场比赛已经结束。");
}

void CGameFrameUI::ShowMatchLateBanner(std::span<const uint8_t>)
{
    ShowBanner("比赛已经开始，您来晚了。");
}

void CGameFrameUI::ShowMatchStartedBanner(std::span<const uint8_t>)
{
    ShowBanner("比赛已经开始，请等待下一场比赛。");
}

void CGameFrameUI::ShowSystemCancelBanner(std::span<const uint8_t>)
{
    ShowBanner("本场比赛已被系统取消。");
}

void CGameFrameUI::ShowSelfCancelBanner(std::span<const uint8_t>)
{
    ShowBanner("您已经退出本场比赛。");
}

void CGameFrameUI::ShowWaitSignUpCheckBanner(std::span<const uint8_t>)
{
    ShowBanner("您的报名正在审核中，请稍候。");
}

void CGameFrameUI::ShowSystemRejectedBanner(std::span<const uint8_t>)
{
    ShowBanner("您的报名未通过审核。");
}

// --- Table notifications

namespace {

std::string MarkupName(const client::GameUserRecord& user)
{
    return client::CClientRecords::GetMarkupName(&user, client::NameKind::User);
}

} // namespace

void CGameFrameUI::NotifyLookerEnter(const client::GameUserRecord& user)
{
    if (m_sub_system != nullptr)
        m_sub_system->AddSystemText(FormatText("<c=%u> %s 进来旁观\r\n", NOTICE_COLOUR, MarkupName(user).c_str()));
    if (client::IMainGame* game = MainGameLink())
        game->OnLookerEnter(user);
}

void CGameFrameUI::NotifyLookerLeave(const client::GameUserRecord& user)
{
    if (m_sub_system != nullptr)
        m_sub_system->AddSystemText(FormatText("<c=%u> %s 离开了\r\n", NOTICE_COLOUR, MarkupName(user).c_str()));
    if (client::IMainGame* game = MainGameLink())
        game->OnLookerLeave(user);
}

void CGameFrameUI::NotifyPlayerEnter(const client::GameUserRecord& seat)
{
    if (client::IMainGame* game = MainGameLink())
        game->OnPlayerEnter(seat);
}

void CGameFrameUI::NotifyPlayerLeave(const client::GameUserRecord& seat)
{
    if (seat.user_id == m_player_board_user && m_player_board_small != nullptr) {
        m_player_board_small->Deactivate();
        m_player_board_small->Invalidate();
        m_player_board_user = 0;
    }
    if (client::IMainGame* game = MainGameLink())
        game->OnPlayerLeave(seat);
}

void CGameFrameUI::NotifyRandomTable()
{
    (void)SendToMainGame(GAMEMSG_RANDOM_TABLE);
}

void CGameFrameUI::NotifyTableChanged()
{
    (void)SendToMainGame(GAMEMSG_TABLE_CHANGED);
}

void CGameFrameUI::NotifySilverChange(std::span<const uint8_t>)
{
    (void)SendToMainGame(GAMEMSG_REFRESH_OWN_SEAT);
}

void CGameFrameUI::OnSeatRecords()
{
    (void)SendToMainGame(GAMEMSG_REFRESH_SEAT_BOARDS);
}

// --- Match notices

void CGameFrameUI::ShowEliminationRound()
{
    // The round of the elimination stage is the table header's word 29.
    const int32_t round = std::max(1, m_app.Records().Header().words29[0]);
    ShowRoundText(m_round_text, FormatText("定局淘汰第%d轮", round));
}

void CGameFrameUI::OnMatchBegin(std::span<const uint8_t>)
{
    HideMatchWaitAnimations();
    if (m_signup_button != nullptr)
        m_signup_button->Deactivate();
    if (m_giveup_button != nullptr)
        m_giveup_button->Deactivate();
    ShowSystemBoard("比赛开始了！", 0xFFFFFF, 16);
}

void CGameFrameUI::ShowRemainingTables(std::span<const uint8_t> body)
{
    if (const auto words = client::LeadingWords<4>(client::GR_MATCH_TABLES_LEFT, body))
        ShowRoundText(m_tables_text, FormatText("还有%d桌游戏中，前%d名晋级", (*words)[2], (*words)[3]));
}

void CGameFrameUI::ShowPlayerDetailData(std::span<const uint8_t> body)
{
    ShowPlayerDetailFull(body);
}

void CGameFrameUI::ShowMatchOutNotice(std::span<const uint8_t> body)
{
    const auto words = client::LeadingWords<3>(client::GR_ID_211190, body);
    if (!words)
        return;
    const engine::EngineEvent done = SelfEvent(FRAME_EVENT_BOARD_CLOSED);
    (void)ShowBoundedBox(BoxKind::MatchOut, {}, FormatText("很遗憾，您已被淘汰出局，名次：第%d名。", (*words)[2]),
                         engine::TextKind::Plain, &done, nullptr, 0);
}

void CGameFrameUI::ShowMatchOutInfo(std::span<const uint8_t> body)
{
    const auto text = client::TextAt(client::GR_ID_211191, body, 8, MAX_BODY_TEXT);
    if (text && !text->empty() && m_sub_system != nullptr)
        m_sub_system->AddSystemText(FormatText(" <c=255>%s\r\n", EscapeMarkup(*text).c_str()));
}

void CGameFrameUI::OnSignUpSucceeded()
{
    if (m_signup_button != nullptr)
        m_signup_button->Deactivate();
    if (m_giveup_button != nullptr)
        m_giveup_button->Activate();
    ShowSystemBoard("报名成功！", 0xFFFFFF, 16);
}

void CGameFrameUI::OnWithdrawn()
{
    if (m_giveup_button != nullptr)
        m_giveup_button->Deactivate();
    if (m_signup_button != nullptr)
        m_signup_button->Activate();
    ShowSystemBoard("您已退出比赛。", 0xFFFFFF, 16);
}

// --- Player boards

int32_t CGameFrameUI::GetPlayerBoardSmallUser() const
{
    return m_player_board_small != nullptr && m_player_board_small->IsActive() ? m_player_board_user : 0;
}

void CGameFrameUI::ShowPlayerBoardSmall(int32_t user_id, int32_t x, int32_t y)
{
    const client::GameUserRecord* user = m_app.Records().FindUser(user_id);
    if (user == nullptr)
        return;
    if (m_player_board_small == nullptr) {
        m_player_board_small = NewCanvasObject(PLAYER_BOARD_WIDTH, PLAYER_BOARD_HEIGHT, engine::WIDGET_COLOUR_KEY);
        if (m_player_board_small == nullptr)
            return;
        m_player_board_small->RaiseToTopLayer();
        m_player_board_small->SetDraggable(true);
        m_player_board_small->AddEventRoute(engine::VELOTRIX_EVENT_RBUTTON_DOWN, m_player_board_small->GetId(),
                                            engine::VELOTRIX_EVENT_DEACTIVATE, 0, 0);
    }
    engine::CCanvasObject& board = *m_player_board_small;
    board.SetZ(PLAYER_BOARD_DEPTH);
    board.SetBackgroundColour(PLAYER_BOARD_BACKGROUND);
    board.Clear();
    board.DrawBorder(0x404040, 1);
    board.SetFont(12, 400, engine::WIDGET_FACE);
    board.SetTextColour(0x000000, 255);
    board.SetMargins(8, 8);
    const std::string text = FormatText("%s\n%s\n积分：%d\n银子：%d",
                                        client::CClientRecords::GetName(user, client::NameKind::User).c_str(),
                                        client::FieldText(user->level_title).c_str(), user->score, user->silver);
    board.DrawPlainText(0, 8, text);
    board.MoveTo(x + PLAYER_BOARD_WIDTH / 2, y + PLAYER_BOARD_HEIGHT / 2);
    board.Activate();
    board.Invalidate();
    m_player_board_user = user_id;
    m_last_board_text = text;
}

void CGameFrameUI::ShowPlayerDetailFull(std::span<const uint8_t> user_record)
{
    client::GameUserRecord user;
    if (!client::ReadRecord(user_record, user) || user.user_id <= 0)
        return;
    const std::string text = FormatText(
        "%s (%s)\n等级：%s\n积分：%d  银子：%d\n胜：%d  负：%d  和：%d  总局数：%d",
        client::CClientRecords::GetName(&user, client::NameKind::User).c_str(),
        client::FieldText(user.second_name).c_str(),
        client::FieldText(user.level_title).c_str(), user.score, user.silver, user.wins, user.losses, user.draws,
        user.games);
    const engine::EngineEvent done = SelfEvent(FRAME_EVENT_BOARD_CLOSED);
    (void)ShowBoundedBox(BoxKind::PlayerDetail, std::to_string(user.user_id), text, engine::TextKind::Plain, &done,
                         nullptr, 0);
}

} // namespace panel

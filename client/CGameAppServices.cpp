// The application's services for the connection's reply handlers, the
// notification handlers and the scene: message boards and texts, the log-on
// and enter forwarders, silver texts, side-panel events, addresses, and the
// round history and result updates of the seat records.
#include <algorithm>
#include <cstdio>

#include "client/CGameApp.h"
#include "client/CGameNotifyHandler.h"
#include "client/CRefusalLog.h"
#include "client/ClientText.h"
#include "engine/widgets/RichTextView.h"
#include "platform/Ini.h"

namespace client {

namespace {

constexpr size_t ROUND_RESULT_WORDS = 108;
constexpr size_t ROUND_RESULT_TITLES_AT = 288;
constexpr size_t LEVEL_TITLE_BYTES = 16;
constexpr size_t SEAT_NAME_BYTES = 52;
constexpr uint32_t SHOW_TEXT_PAUSE_MS = 5000;
constexpr const char* SYSTEM_NOTICE_LINE = " <z=qv系统通知> <c=255>%s\r\n";

/// The 32-bit sum of two words, wrapping as the server's own arithmetic
/// does (values from the server may be anything).
int32_t Sum(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

/// One more in a counter, wrapping like Sum.
void Count(int32_t& counter)
{
    counter = Sum(counter, 1);
}

/// A chair count from a record, kept inside the table.
int ClampChairs(int32_t count, int chairs)
{
    return std::clamp<int32_t>(count, 0, std::min(chairs, MAX_CHAIRS));
}

} // namespace

// --- Message boards and texts

void CGameApp::ShowSystemMessage(const std::string& text)
{
    if (m_links.side_panel)
        m_links.side_panel->AddSystemText(text);
}

void CGameApp::ShowMessageBoard(const MessageBoardRequest& request)
{
    if (m_links.frame_ui)
        m_links.frame_ui->ShowMessageBoard(request);
}

void CGameApp::ShowExitMessageBoard(const ExitBoardRequest& request)
{
    if (m_links.frame_ui)
        m_links.frame_ui->ShowExitMessageBoard(request);
}

void CGameApp::ShowExitUrlMessageBoard(const ExitUrlBoardRequest& request)
{
    if (m_links.frame_ui)
        m_links.frame_ui->ShowExitUrlMessageBoard(request);
}

// --- Log-on and enter replies

void CGameApp::OnLogonReply210200()
{
    FixOwnChair();
    if (m_links.frame_ui)
        m_links.frame_ui->OnLogonReply(1);
}

void CGameApp::OnLogonReply210210()
{
    FixOwnChair();
    SetPlaying();
    if (m_links.frame_ui)
        m_links.frame_ui->OnLogonReply(2);
}

void CGameApp::OnLogonReply210220()
{
    FixOwnChair();
    SetPlaying();
    if (m_links.frame_ui)
        m_links.frame_ui->OnLogonReply(3);
}

bool CGameApp::ApplyMatchPlayerInfo(std::span<const uint8_t> reply)
{
    constexpr size_t PLAYER_WORDS = 65;
    constexpr size_t STATE_AT = PLAYER_WORDS * 4;
    constexpr size_t WORD66_SOURCE = 74;
    platform::CByteReader in(reply);
    in.Skip(WORD66_SOURCE * 4);
    const int32_t word66 = in.ReadI32();
    if (reply.size() < STATE_AT + MatchStateBlock::BYTES || !in.Ok())
        return false;
    FixOwnChair();
    TablePlayerRecord& player = *m_records.TablePlayer(0);
    std::array<uint8_t, TablePlayerRecord::BYTES> bytes = RecordBytes(player);
    std::copy_n(reply.begin(), STATE_AT, bytes.begin());
    (void)ReadRecord(std::span<const uint8_t>(bytes), player);
    (void)ReadRecord(reply.subspan(STATE_AT), m_records.MatchState());
    player.word66 = word66;
    m_records.MakeSeatRecord(*m_records.Seat(0), player, 0, m_records.Launch().table_no);
    if (m_links.frame_ui)
        m_links.frame_ui->OnEnterReply();
    return true;
}

#define CLIENT_BANNER_FORWARDER(Method, Banner)                 \
    void CGameApp::Method(std::span<const uint8_t> reply)        \
    {                                                            \
        if (m_links.frame_ui)                                    \
            m_links.frame_ui->Banner(reply);                     \
    }
CLIENT_BANNER_FORWARDER(OnEnterNotSignedUp, ShowNoSignUpBanner)
CLIENT_BANNER_FORWARDER(OnEnterWashedOut, ShowWashoutBanner)
CLIENT_BANNER_FORWARDER(OnEnterMatchEnded, ShowMatchEndBanner)
CLIENT_BANNER_FORWARDER(OnEnterMatchLate, ShowMatchLateBanner)
CLIENT_BANNER_FORWARDER(OnEnterMatchStarted, ShowMatchStartedBanner)
CLIENT_BANNER_FORWARDER(OnEnterSystemCancel, ShowSystemCancelBanner)
CLIENT_BANNER_FORWARDER(OnEnterSelfCancel, ShowSelfCancelBanner)
CLIENT_BANNER_FORWARDER(OnEnterSignUpChecking, ShowWaitSignUpCheckBanner)
CLIENT_BANNER_FORWARDER(OnEnterSignUpRejected, ShowSystemRejectedBanner)
#undef CLIENT_BANNER_FORWARDER

void CGameApp::ShowTextAndQuit(const std::string& text)
{
    if (m_links.wait_dialog)
        m_links.wait_dialog->ShowText(text);
    Sleep(SHOW_TEXT_PAUSE_MS);
    if (m_links.wait_dialog)
        m_links.wait_dialog->Hide();
    PostToMainWindow(platform::WM_CLOSE);
}

// --- Silver and gifts

void CGameApp::CheckSilverTooLittle(std::span<const uint8_t>)
{
    ShowExitMessageBoard({ "对不起，您的银子不够啦！", 10, 48, "vur没钱" });
}

void CGameApp::CheckSilverTooMuch(std::span<const uint8_t>)
{
    ShowExitMessageBoard({ "客官，您的银子也太多了，快去存起来吧！", 10, 48, "vur财神" });
}

void CGameApp::ShowLowIncomeFailure(int32_t result, const std::string& text)
{
    if (result != 0)
        return;
    char line[512];
    std::snprintf(line, sizeof(line), SYSTEM_NOTICE_LINE,
                  text.empty() ? "获取低保活动配置失败!" : engine::EscapeMarkup(text).c_str());
    ShowSystemMessage(line);
}

void CGameApp::ShowSilverGift(int32_t result, const std::string& text, int32_t place, int32_t amount)
{
    char line[512];
    if (result != 0) {
        std::snprintf(line, sizeof(line), "已赠送银子%d两到%s中!", amount, place == 1 ? "后备箱" : "游戏");
        MessageBoardRequest board;
        board.text = line;
        board.seconds = 10;
        board.style = 52;
        board.picture = "vur财神";
        ShowMessageBoard(board);
        return;
    }
    std::snprintf(line, sizeof(line), SYSTEM_NOTICE_LINE,
                  text.empty() ? "领取银子失败!" : engine::EscapeMarkup(text).c_str());
    ShowSystemMessage(line);
}

// --- Side-panel events and addresses

void CGameApp::ShowAdvertBar()
{
    if (m_links.side_panel)
        m_links.side_panel->SendChildEvent("AdvertBar", GAMEMSG_ADVERT_BAR);
}

void CGameApp::RefreshUserList()
{
    if (m_links.side_panel)
        m_links.side_panel->SendChildEvent("UserListBar", GAMEMSG_USER_LIST_REFRESH);
}

void CGameApp::UpdateUserList()
{
    if (m_links.side_panel)
        m_links.side_panel->SendChildEvent("UserListBar", GAMEMSG_USER_LIST_UPDATE);
}

std::string CGameApp::GetAdvertURL() const
{
    std::string url = platform::GetProfileString("ADVERT", "WWW3", "", GetGameIniPath());
    TrimSpaces(url);
    if (!url.empty())
        return url;
    char path[64];
    std::snprintf(path, sizeof(path), "/advert/window/%d/ko.htm", m_records.GetGameID());
    return WebAddress(FieldText(m_records.Room().advert_host), path);
}

std::string CGameApp::GetPayURL() const
{
    std::string url = platform::GetProfileString("ADVERT", "Pay", "", GetGameIniPath());
    TrimSpaces(url);
    return url;
}

// --- Round history and results

void CGameApp::ResetRoundHistory()
{
    m_records.History() = RoundHistory {};
}

void CGameApp::AddRoundResult(std::span<const int32_t> values)
{
    RoundHistory& history = m_records.History();
    const uint32_t slot = static_cast<uint32_t>(history.round_count) % RoundHistory::ROUNDS;
    const size_t chairs = std::min<size_t>(values.size(), static_cast<size_t>(ClampChairs(GetChairCount(), MAX_CHAIRS)));
    for (size_t chair = 0; chair < chairs; ++chair) {
        history.values[chair][slot] = values[chair];
        history.totals[chair] = Sum(history.totals[chair], values[chair]);
    }
    Count(history.round_count);
}

bool CGameApp::ApplyRoundResult(std::span<const uint8_t> record)
{
    platform::CByteReader in(record);
    const auto words = in.ReadWords<ROUND_RESULT_WORDS>();
    if (!in.Ok())
        return false;
    const auto word = [&](size_t index) { return words[index]; };
    m_last_round_result.assign(record.begin(), record.begin() + ROUND_RESULT_WORDS * 4);
    const int chairs = ClampChairs(word(2), GetChairCount());
    const bool silver_room = m_records.IsSilverRoom();
    const int32_t kept_bits = word(105);
    for (int i = 0; i < chairs; ++i) {
        const size_t c = static_cast<size_t>(i);
        if (IsMatch()) {
            TablePlayerRecord& player = *m_records.TablePlayer(i);
            player.score = Sum(word(24 + c), word(40 + c));
            player.silver = Sum(word(24 + c), word(48 + c));
            continue;
        }
        if (!m_records.IsChairOccupied(i) || (kept_bits & (1 << i)) != 0)
            continue;
        GameUserRecord& seat = *m_records.Seat(i);
        seat.level = word(64 + c);
        // Inside the words read above.
        CopyTextField(seat.level_title,
                      FieldText(record.subspan(ROUND_RESULT_TITLES_AT + LEVEL_TITLE_BYTES * c, LEVEL_TITLE_BYTES)));
        seat.score = Sum(word(24 + c), word(40 + c));
        seat.silver = Sum(word(32 + c), word(48 + c));
        Count(seat.games);
        const int32_t result = silver_room ? word(48 + c) : word(40 + c);
        if (result >= 1)
            Count(seat.wins);
        else if (result == 0)
            Count(seat.draws);
        else
            Count(seat.losses);
    }
    int32_t deltas[MAX_CHAIRS] {};
    for (int i = 0; i < chairs; ++i)
        deltas[i] = word((silver_room ? 48 : 40) + static_cast<size_t>(i));
    AddRoundResult(std::span<const int32_t>(deltas, static_cast<size_t>(chairs)));
    ShowAdvertBar();
    RefreshUserList();
    UpdateUserList();
    if (m_links.frame_ui)
        m_links.frame_ui->OnSeatRecords();
    return true;
}

bool CGameApp::ApplySingleResult(std::span<const uint8_t> record)
{
    platform::CByteReader in(record);
    const auto [word0, chair, word2, word3, word4, word5, score, silver, score_change, silver_change, word10, level]
        = in.ReadWords<12>();
    const std::span<const uint8_t> title = in.ReadBytes(LEVEL_TITLE_BYTES);
    if (RefuseIfShort(GR_ID_211510, in))
        return false;
    if (IsValidChair(chair) && chair < GetChairCount() && m_records.IsChairOccupied(chair)) {
        GameUserRecord& seat = *m_records.Seat(chair);
        seat.level = level;
        CopyTextField(seat.level_title, FieldText(title));
        seat.score = Sum(score, score_change);
        seat.silver = Sum(silver, silver_change);
        Count(seat.games);
        Count(seat.losses);
    }
    RefreshUserList();
    if (m_links.frame_ui)
        m_links.frame_ui->OnSeatRecords();
    return true;
}

bool CGameApp::ApplySilverChange(std::span<const uint8_t> record)
{
    const auto words = LeadingWords<5>(GR_ID_211600, record);
    if (!words)
        return false;
    const auto [word0, chair, changed, word3, silver] = *words;
    if (changed != 0 && IsValidChair(chair) && chair < GetChairCount() && m_records.IsChairOccupied(chair)) {
        if (IsMatch())
            m_records.TablePlayer(chair)->silver = silver;
        else
            m_records.Seat(chair)->silver = silver;
    }
    RefreshUserList();
    if (m_links.frame_ui) {
        m_links.frame_ui->OnSeatRecords();
        m_links.frame_ui->NotifySilverChange(record);
    }
    return true;
}

bool CGameApp::ApplySeatNames(std::span<const uint8_t> record)
{
    const int chairs = ClampChairs(GetChairCount(), MAX_CHAIRS);
    platform::CByteReader in(record);
    std::array<std::span<const uint8_t>, MAX_CHAIRS> names {};
    for (int i = 0; i < chairs; ++i)
        names[static_cast<size_t>(i)] = in.ReadBytes(SEAT_NAME_BYTES);
    if (RefuseIfShort(GR_ID_211910, in))
        return false;
    for (int i = 0; i < chairs; ++i) {
        if (m_records.IsChairOccupied(i))
            CopyTextField(m_records.Seat(i)->name, FieldText(names[static_cast<size_t>(i)]));
    }
    if (m_links.frame_ui)
        m_links.frame_ui->OnSeatRecords();
    return true;
}

// --- Notification services

void CGameApp::SetAdvertAddress(std::string_view address)
{
    CopyTextField(m_advert_address, address);
}

std::string CGameApp::GetAdvertAddress() const
{
    return FieldText(m_advert_address);
}

void CGameApp::SortMatchRanking()
{
    m_records.SortMatchRanking();
    if (m_links.side_panel)
        m_links.side_panel->SendPanelEvent(GAMEMSG_RANKING_SORTED, 0);
    if (m_links.main_game)
        m_links.main_game->SendGameEvent(GAMEMSG_RANKING_SORTED, 0);
}

} // namespace client

#include "client/panel/CSubSystemPanel.h"

#include <algorithm>
#include <ctime>

#include "client/CGameApp.h"
#include "client/CGameConnection.h"
#include "client/CGameNotifyHandler.h"
#include "client/CRefusalLog.h"
#include "client/ClientText.h"
#include "platform/ByteReader.h"
#include "client/panel/CAdvertBar.h"
#include "client/panel/CGameFrameUI.h"
#include "client/panel/CInputBar.h"
#include "client/panel/PanelText.h"
#include "client/panel/ScreenshotJpeg.h"
#include "engine/widgets/RichTextView.h"
#include "platform/Path.h"
#include "platform/Text.h"

namespace panel {

namespace {

constexpr const char* DEFAULT_PHRASES[] = {
    "大家好，很高兴见到各位！",   "快点吧，我等到花儿也谢了！", "不要走，决战到天亮！",
    "你的牌打得也太好了！",       "和你合作真是太愉快了！",     "不要吵了，专心玩游戏吧！",
    "又断线了，网络怎么这么差！", "各位，真不好意思，我要离开一会。", "下次再玩吧，我要走了。",
    "再见了，我会想念大家的！",
};

} // namespace

CSubSystemPanel::CSubSystemPanel(client::CGameApp& app)
    : m_app(app)
{
}

CSubSystemPanel::~CSubSystemPanel()
{
    m_app.DropLink(&client::AppLinks::side_panel, this);
}

void CSubSystemPanel::OnCreate()
{
    m_app.SetLink(&client::AppLinks::side_panel, this);
    SetName("SubSystem");
    auto chat = std::make_unique<engine::CRichTextView>();
    m_chat_box = dynamic_cast<engine::CRichTextView*>(RegisterObject(std::move(chat)));
    if (m_chat_box != nullptr) {
        m_chat_box->SetName("ChatBox");
        m_chat_box->SetFontSize(CHAT_FONT_SIZE);
        (void)m_chat_box->Create(1, 1,
                                 engine::CRichTextView::FLAG_SCROLL_BAR | engine::CRichTextView::FLAG_FOLLOW
                                     | engine::CRichTextView::FLAG_SELECTABLE | engine::CRichTextView::FLAG_LINKS,
                                 0);
        m_chat_box->SetMaxLines(CHAT_MAX_LINES);
        // The box stands over the table's picture: its own ground keeps the lines readable.
        m_chat_box->SetBackColor(CHAT_BACK_COLOUR);
        m_chat_box->Show(true);
        m_chat_box->Activate();
    }
    m_input_bar = dynamic_cast<CInputBar*>(RegisterObject(std::make_unique<CInputBar>(*this)));
    SetQuickChatPhrases();
    CreateAdvertBar();
}

void CSubSystemPanel::CreateAdvertBar()
{
    SetAdvertBar(std::make_unique<CAdvertBar>(m_app));
}

void CSubSystemPanel::SetAdvertBar(std::unique_ptr<CAdvertBar> bar)
{
    if (bar == nullptr)
        return;
    m_advert_bar = dynamic_cast<CAdvertBar*>(RegisterObject(std::move(bar)));
    OnAreaChanged();
}

void CSubSystemPanel::SetQuickChatPhrases()
{
    auto* bar = dynamic_cast<CInputBar*>(FindObjectByName("InputBar"));
    if (bar == nullptr)
        return;
    bar->ClearQuickChatPhrases();
    for (const char* phrase : DEFAULT_PHRASES)
        bar->AddQuickChatPhrase(phrase);
}

int32_t CSubSystemPanel::GetAdvertBarHeight() const
{
    const auto metric = [this](int32_t key, int32_t fallback) {
        const int32_t value = GetIntSetting(key);
        return value > 0 ? value : fallback;
    };
    const int32_t rows = std::max(4, m_app.GetChairCount());
    return metric(CGameFrameUI::SETTING_TAB_HEIGHT, 24) + rows * metric(CGameFrameUI::SETTING_ROW_HEIGHT, 20)
        + metric(CGameFrameUI::SETTING_PAGE_EXTRA, 40) + metric(CGameFrameUI::SETTING_HEADER_HEIGHT, 22);
}

void CSubSystemPanel::OnAreaChanged()
{
    const engine::EngineRect area = GetArea();
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    int32_t top = area.top;
    if (m_advert_bar != nullptr) {
        const int32_t bottom = std::min(area.bottom, top + GetAdvertBarHeight() + CAdvertBar::SCROLL_BAR_HEIGHT);
        m_advert_bar->SetArea(engine::EngineRect { area.left, top, area.right, bottom });
        top = bottom;
    }
    const int32_t input_top = std::max(top, area.bottom - CInputBar::HEIGHT);
    if (m_chat_box != nullptr && input_top > top)
        PlaceTextView(*m_chat_box, engine::EngineRect { area.left, top, area.right, input_top });
    if (m_input_bar != nullptr)
        m_input_bar->SetArea(engine::EngineRect { area.left, input_top, area.right, area.bottom });
}

void CSubSystemPanel::ClearChat()
{
    if (m_chat_box != nullptr)
        m_chat_box->Clear();
}

void CSubSystemPanel::AddSystemText(std::string_view markup)
{
    if (m_chat_box != nullptr)
        m_chat_box->AppendMarkup(markup);
}

void CSubSystemPanel::AddForeignLine(uint32_t id, std::span<const uint8_t> body, const char* prefix)
{
    platform::CByteReader in(body);
    const int32_t user = in.ReadI32();
    in.Skip(CHAT_TEXT_OFFSET - 4);
    const std::string text = client::ReadRestText(in, CHAT_TEXT_BYTES - 1);
    // The table hears every line, the sender too: the own line was shown
    // when it was sent (SendChatLine) and is not shown twice.
    if (client::RefuseIfShort(id, in) || text.empty()
        || (id == client::GR_ID_201210 && user == m_app.Records().GetUserID()))
        return;
    const client::CClientRecords& records = m_app.Records();
    const std::string name = records.GetMarkupName(records.FindUser(user), client::NameKind::Display);
    AddSystemText(FormatText("%s<c=%u>%s<c=0>说：%s\r\n", prefix, NAME_COLOUR, name.c_str(),
                             EscapeMarkup(text).c_str()));
}

void CSubSystemPanel::AddPlayerChatLine(std::span<const uint8_t> body)
{
    AddForeignLine(client::GR_ID_201210, body, " ");
}

void CSubSystemPanel::AddChatRecord(std::span<const uint8_t> body)
{
    AddForeignLine(client::GR_ID_211200, body, " <c=8421504>[记录]");
}

void CSubSystemPanel::ShowAmuletNotice(std::span<const uint8_t> body)
{
    const auto text = client::TextAt(client::GR_ID_211900, body, NOTICE_TEXT_OFFSET, MAX_BODY_TEXT);
    if (text && !text->empty())
        AddSystemText(FormatText(" <z=qv系统通知><c=255>%s\r\n", EscapeMarkup(*text).c_str()));
}

void CSubSystemPanel::SendChatLine(std::string_view line)
{
    const std::string text = platform::CutGbkText(line, CHAT_TEXT_BYTES - 1);
    if (text.empty())
        return;
    if (auto* connection = dynamic_cast<client::CGameConnection*>(m_app.Links().connection))
        (void)connection->SendChat(text);
    const client::CClientRecords& records = m_app.Records();
    const std::string name = records.GetMarkupName(records.FindUser(records.GetUserID()), client::NameKind::Display);
    AddSystemText(FormatText(" <c=%u>%s说：%s\r\n", OWN_LINE_COLOUR, name.c_str(), EscapeMarkup(text).c_str()));
}

std::string CSubSystemPanel::SaveScreenshot()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    (void)localtime_r(&now, &local);
    const std::string path = FormatText("%sScreenshot_%04d%02d%02d_%02d%02d%02d.jpg", platform::GetTempFolder().c_str(),
                                        local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                        local.tm_min, local.tm_sec);
    SaveScreenshotJpeg(*this, path, SCREENSHOT_QUALITY);
    if (!platform::PathExists(path))
        return {};
    AddSystemText(FormatText(" <z=qv系统通知><c=255>截图已保存到%s\r\n", EscapeMarkup(path).c_str()));
    return path;
}

void CSubSystemPanel::SendPanelEvent(uint32_t event_id, uintptr_t param1)
{
    (void)SendEvent(engine::EngineEvent { GetId(), event_id, param1, 0 });
}

void CSubSystemPanel::SendChildEvent(const char* child_name, uint32_t event_id)
{
    if (child_name == nullptr)
        return;
    if (engine::CEngineObject* child = FindObjectByName(child_name))
        (void)child->SendEvent(engine::EngineEvent { child->GetId(), event_id, 0, 0 });
}

void CSubSystemPanel::ShowMatchListBar()
{
    SendChildEvent("MatchListBar", client::GAMEMSG_ID_80000026);
}

int CSubSystemPanel::OnEvent(const engine::EngineEvent& event)
{
    const auto* body = reinterpret_cast<const std::span<const uint8_t>*>(event.param1);
    switch (event.id) {
    case client::GAMEMSG_PLAYER_CHAT:
        if (body != nullptr)
            AddPlayerChatLine(*body);
        return 1;
    case client::GAMEMSG_CHAT_RECORD:
        if (body != nullptr)
            AddChatRecord(*body);
        return 1;
    case client::GAMEMSG_AMULET_NOTICE:
        if (body != nullptr)
            ShowAmuletNotice(*body);
        return 1;
    case client::GAMEMSG_ADVERT_URL:
        if (const auto* address = reinterpret_cast<const std::string*>(event.param1);
            address != nullptr && m_advert_bar != nullptr)
            m_advert_bar->Navigate(*address);
        return 1;
    case client::GAMEMSG_NOTICE_TEXT:
        // A downloaded notice is the server's markup ("<notify>" first),
        // shown in the chat box like the other system texts.
        if (const char* notice = reinterpret_cast<const char*>(event.param1); notice != nullptr)
            AddSystemText(notice);
        return 1;
    case client::GAMEMSG_ID_80000026:
    case client::GAMEMSG_ID_80000028:
        if (engine::CEngineObject* bar = FindObjectByName("MatchListBar"))
            (void)bar->SendEvent(engine::EngineEvent { bar->GetId(), event.id, event.param1, event.param2 });
        return 1;
    default:
        return CGuiContainer::OnEvent(event);
    }
}

} // namespace panel

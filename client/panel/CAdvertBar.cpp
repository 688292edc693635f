#include "client/panel/CAdvertBar.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <utility>

#include "client/CGameApp.h"
#include "client/panel/CGameFrameUI.h"
#include "client/panel/CWebPane.h"
#include "client/panel/PanelText.h"
#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiScrollBar.h"
#include "engine/widgets/WidgetSupport.h"
#include "platform/Ini.h"
#include "platform/Text.h"

namespace panel {

namespace {

constexpr const char* GAMESET = "GAMESET";
constexpr uint32_t TABLE_BACKGROUND = 0xFFFFFF;
constexpr uint32_t GRID_COLOUR = 0xC0C0C0;
constexpr int32_t TABLE_FONT_SIZE = 12;
constexpr int32_t MIN_ROWS = 4;
constexpr int32_t MAX_CYCLE_SECONDS = 24 * 3600;
/// Room left between a name and the total column.
constexpr int32_t NAME_PADDING = 2;

// The name as the table draws it (the canvas's plain text), cut to end in
// ".." when it is wider than `width` as the canvas lays text out.
std::string FitName(const engine::CCanvasObject& table, std::string_view name, int32_t width)
{
    using TagWidth = engine::CCanvasObject::TagWidth;
    std::string shown = engine::CCanvasObject::PlainText(name);
    if (table.TextWidth(shown, TagWidth::Count) <= width)
        return shown;
    const int32_t room = width - table.TextWidth("..", TagWidth::Count);
    while (!shown.empty() && table.TextWidth(shown, TagWidth::Count) > room)
        shown = platform::CutGbkText(shown, shown.size() - 1);
    return shown + "..";
}

} // namespace

CAdvertBar::CAdvertBar(client::CGameApp& app)
    : m_app(app)
{
}

engine::CGuiButton* CAdvertBar::MakeTab(const char* image_name, const char* caption, uint32_t click_id)
{
    auto* tab = dynamic_cast<engine::CGuiButton*>(RegisterObject(std::make_unique<engine::CGuiButton>()));
    if (tab == nullptr)
        return nullptr;
    engine::ImageRef image;
    GetImage(image, image_name, 0);
    const engine::EngineEvent click { GetId(), click_id, 0, 0 };
    tab->Create(image, &click, 0, 0);
    tab->SetCaption(caption, 0x000000, TABLE_FONT_SIZE);
    tab->Show(true);
    tab->Activate();
    return tab;
}

void CAdvertBar::Create()
{
    const std::string ini = m_app.GetGameIniPath();
    m_cycle_seconds = std::clamp(platform::GetProfileInt(GAMESET, "AdvertACSencond", DEFAULT_CYCLE_SECONDS, ini), 1,
                                 MAX_CYCLE_SECONDS);
    m_cycle_count = std::max(0, platform::GetProfileInt(GAMESET, "AdvertACMaxCount", DEFAULT_CYCLE_COUNT, ini));
    SetName("AdvertBar");

    m_advert_tab = MakeTab("btn_AdvertTab", "广告", EVENT_ADVERT_TAB);
    m_score_tab = MakeTab("btn_ScoreTab", "成绩", EVENT_SCORE_TAB);
    m_web_page = dynamic_cast<CWebPane*>(RegisterObject(std::make_unique<CWebPane>()));
    if (m_web_page != nullptr) {
        m_web_page->Create(1, 1);
        m_web_page->Activate();
    }
    m_score_table = NewCanvasObject(1, 1, engine::WIDGET_COLOUR_KEY);
    m_score_bar = dynamic_cast<engine::CGuiScrollBar*>(RegisterObject(std::make_unique<engine::CGuiScrollBar>()));
    if (m_score_bar != nullptr) {
        m_score_bar->Create(GetId(), 1, SCROLL_BAR_HEIGHT, engine::CGuiScrollBar::Orientation::Horizontal, 0);
        // The skin's bar, as the chat box has it, with its arrows.
        m_score_bar->UseSkinParts();
    }
    SetTableVisible(false);
    Layout();
    ShowAdvertTab();
}

int32_t CAdvertBar::GetMetric(int32_t key, int32_t fallback) const
{
    const int32_t value = GetIntSetting(key);
    return value > 0 ? value : fallback;
}

int32_t CAdvertBar::GetRowCount() const
{
    return std::max(MIN_ROWS, m_app.GetChairCount());
}

int32_t CAdvertBar::GetScoreContentWidth() const
{
    const int32_t rounds = std::clamp(m_app.Records().History().round_count, 0, client::RoundHistory::ROUNDS);
    return NAME_COLUMN_WIDTH + TOTAL_COLUMN_WIDTH + ROUND_COLUMN_WIDTH * rounds;
}

int32_t CAdvertBar::GetWholeRoundColumns() const
{
    const int32_t width = m_score_table != nullptr ? static_cast<int32_t>(m_score_table->GetWidth()) : 0;
    return std::max(1, (width - NAME_COLUMN_WIDTH - TOTAL_COLUMN_WIDTH) / ROUND_COLUMN_WIDTH);
}

void CAdvertBar::ScrollScoreTo(double position)
{
    const int32_t rounds = std::clamp(m_app.Records().History().round_count, 0, client::RoundHistory::ROUNDS);
    const int32_t whole = GetWholeRoundColumns();
    const double last = std::max(0, rounds - whole) * double(ROUND_COLUMN_WIDTH);
    m_scroll_x = std::clamp(std::round(position / ROUND_COLUMN_WIDTH) * ROUND_COLUMN_WIDTH, 0.0, last);
    if (m_score_bar != nullptr) {
        // The page is what shows whole, so the bar's end is the last round's.
        const double page = NAME_COLUMN_WIDTH + TOTAL_COLUMN_WIDTH + whole * ROUND_COLUMN_WIDTH;
        m_score_bar->SetPosition(m_scroll_x, page, std::max<double>(page, GetScoreContentWidth()), ROUND_COLUMN_WIDTH);
        m_score_bar->Redraw();
    }
    DrawScoreHistory();
}

void CAdvertBar::Layout()
{
    const engine::EngineRect area = GetArea();
    const int32_t left = area.left;
    const int32_t top = area.top;
    const int32_t width = std::max(1, area.right - area.left);
    const int32_t tab_height = GetMetric(CGameFrameUI::SETTING_TAB_HEIGHT, 24);
    const int32_t row_height = GetMetric(CGameFrameUI::SETTING_ROW_HEIGHT, 20);
    const int32_t header_height = GetMetric(CGameFrameUI::SETTING_HEADER_HEIGHT, 22);
    const int32_t page_extra = GetMetric(CGameFrameUI::SETTING_PAGE_EXTRA, 40);
    const int32_t rows = GetRowCount();
    const int32_t page_height = rows * row_height + page_extra + header_height;
    const int32_t table_height = rows * row_height + header_height;

    double tab_right = left;
    for (engine::CGuiButton* tab : { m_advert_tab, m_score_tab }) {
        if (tab == nullptr)
            continue;
        tab->MoveTo(tab_right + tab->GetWidth() * 0.5, top + tab_height - tab->GetHeight() * 0.5);
        tab->Invalidate();
        tab_right += tab->GetWidth() + 1;
    }
    if (m_web_page != nullptr) {
        m_web_page->Resize(width, page_height);
        m_web_page->MoveTo(left + width * 0.5, top + tab_height + page_height * 0.5);
        m_web_page->Invalidate();
    }
    if (m_score_table != nullptr) {
        m_score_table->Resize(width, table_height);
        m_score_table->SetSize(width, table_height);
        m_score_table->SetHitRect(left, top + tab_height, area.right, area.bottom);
        m_score_table->MoveTo(left + width * 0.5, top + tab_height + table_height * 0.5);
    }
    if (m_score_bar != nullptr) {
        // The bar's arrows stand at its ends, inside the panel's width.
        m_score_bar->SetSize(width, SCROLL_BAR_HEIGHT);
        m_score_bar->MoveTo(left + width * 0.5, top + tab_height + table_height + SCROLL_BAR_HEIGHT * 0.5);
    }
    ScrollScoreTo(m_scroll_x);
}

void CAdvertBar::DrawScoreHistory()
{
    if (m_score_table == nullptr)
        return;
    engine::CCanvasObject& table = *m_score_table;
    const auto width = static_cast<int32_t>(table.GetWidth());
    const int32_t row_height = GetMetric(CGameFrameUI::SETTING_ROW_HEIGHT, 20);
    const int32_t header_height = GetMetric(CGameFrameUI::SETTING_HEADER_HEIGHT, 22);
    const client::RoundHistory& history = m_app.Records().History();
    const int32_t rounds = std::clamp(history.round_count, 0, client::RoundHistory::ROUNDS);
    const int32_t chairs = std::clamp(m_app.GetChairCount(), 0, client::RoundHistory::CHAIRS);

    table.SetBackgroundColour(TABLE_BACKGROUND);
    table.Clear();
    table.SetFont(TABLE_FONT_SIZE, 400, engine::WIDGET_FACE);
    table.SetTextColour(0x000000, 255);
    table.SetMargins(0, 0);
    table.SetTextFlags(0, 0);
    const auto scroll = static_cast<int32_t>(std::lround(m_scroll_x));
    // Column x (in table pixels) of round r; the name and total stay put.
    const auto round_x = [&](int32_t round) {
        return NAME_COLUMN_WIDTH + TOTAL_COLUMN_WIDTH + ROUND_COLUMN_WIDTH * round - scroll;
    };
    const int32_t fixed = NAME_COLUMN_WIDTH + TOTAL_COLUMN_WIDTH;
    for (int32_t round = 0; round < rounds; ++round) {
        const int32_t x = round_x(round);
        if (x < fixed || x + ROUND_COLUMN_WIDTH > width)
            continue; // only whole columns: no fragment beside the total or at the edge
        table.DrawCentredText(x + ROUND_COLUMN_WIDTH / 2, header_height / 2, FormatText("第%d局", round + 1));
        for (int32_t chair = 0; chair < chairs; ++chair)
            table.DrawCentredText(x + ROUND_COLUMN_WIDTH / 2, header_height + row_height * chair + row_height / 2,
                                  FormatText("%d", history.values[chair][round]));
    }
    table.SetBackgroundColour(TABLE_BACKGROUND);
    table.FillRect(0, 0, fixed, header_height + row_height * GetRowCount());
    table.DrawCentredText(NAME_COLUMN_WIDTH / 2, header_height / 2, "玩家");
    table.DrawCentredText(NAME_COLUMN_WIDTH + TOTAL_COLUMN_WIDTH / 2, header_height / 2, "总分");
    const client::CClientRecords& records = m_app.Records();
    for (int32_t chair = 0; chair < chairs; ++chair) {
        const int32_t y = header_height + row_height * chair + row_height / 2;
        const std::string name = records.GetName(records.Seat(chair), client::NameKind::Display);
        table.DrawCentredText(NAME_COLUMN_WIDTH / 2, y, FitName(table, name, NAME_COLUMN_WIDTH - 2 * NAME_PADDING));
        table.DrawCentredText(NAME_COLUMN_WIDTH + TOTAL_COLUMN_WIDTH / 2, y,
                              FormatText("%d", history.totals[chair]));
    }
    table.SetBackgroundColour(GRID_COLOUR);
    for (int32_t row = 0; row <= GetRowCount(); ++row) {
        const int32_t y = header_height + row_height * row - 1;
        table.FillRect(0, y, width, y + 1);
    }
    table.Invalidate();
}

void CAdvertBar::SetTableVisible(bool visible)
{
    for (engine::CEngineObject* part : { static_cast<engine::CEngineObject*>(m_score_table),
                                         static_cast<engine::CEngineObject*>(m_score_bar) }) {
        if (part == nullptr)
            continue;
        if (visible)
            part->Activate();
        else
            part->Deactivate();
        part->Invalidate();
    }
}

void CAdvertBar::OnInitData()
{
    if (m_app.IsStandAlone())
        return;
    Navigate(m_app.GetAdvertURL());
}

void CAdvertBar::Navigate(std::string_view address)
{
    if (m_web_page == nullptr)
        return;
    m_web_page->Navigate(address);
    OnPageLoaded();
}

void CAdvertBar::CheckTab(int32_t tab)
{
    const std::pair<engine::CGuiButton*, int32_t> tabs[] = { { m_advert_tab, TAB_ADVERT }, { m_score_tab, TAB_SCORE } };
    for (const auto& [button, index] : tabs) {
        if (button == nullptr)
            continue;
        button->Activate();
        button->SetChecked(index == tab);
        button->Invalidate();
    }
}

void CAdvertBar::ShowAdvertTab()
{
    CheckTab(TAB_ADVERT);
    m_current_tab = TAB_ADVERT;
    SetTableVisible(false);
    OnPageLoaded();
}

void CAdvertBar::ShowScoreTab()
{
    CheckTab(TAB_SCORE);
    OnPageHidden();
    m_current_tab = TAB_SCORE;
    Layout();
    SetTableVisible(true);
    if (m_cycle_count > 0) {
        --m_cycle_count;
        const engine::EngineEvent cycle { GetId(), client::GAMEMSG_ADVERT_CYCLE, 0, 0 };
        (void)AddWaitFramesAction(this, static_cast<uint32_t>(m_cycle_seconds) * 1000U, &cycle);
    }
}

void CAdvertBar::OnPageHidden()
{
    if (m_web_page != nullptr) {
        m_web_page->Deactivate();
        m_web_page->Invalidate();
    }
}

void CAdvertBar::OnPageLoaded()
{
    if (m_web_page == nullptr || m_current_tab != TAB_ADVERT)
        return;
    m_web_page->Activate();
    m_web_page->Invalidate();
}

int CAdvertBar::OnEvent(const engine::EngineEvent& event)
{
    switch (event.id) {
    case EVENT_ADVERT_TAB:
        ShowAdvertTab();
        return 1;
    case EVENT_SCORE_TAB:
        ShowScoreTab();
        return 1;
    case client::GAMEMSG_ADVERT_CYCLE:
        if (m_current_tab == TAB_SCORE)
            ShowAdvertTab();
        return 1;
    case client::GAMEMSG_ADVERT_BAR:
        // The first one starts the bar (the main window, once the game is
        // set up); later ones come after a round's results.
        if (!m_started) {
            m_started = true;
            OnInitData();
        } else {
            ShowScoreTab();
        }
        return 1;
    case engine::VELOTRIX_EVENT_SCROLL_CHANGED:
        if (event.param1 != 0)
            ScrollScoreTo(reinterpret_cast<const double*>(event.param1)[0]);
        return 1;
    case engine::VELOTRIX_EVENT_SCROLL_LEFT:
    case engine::VELOTRIX_EVENT_SCROLL_RIGHT:
        ScrollScoreTo(m_scroll_x + (event.id == engine::VELOTRIX_EVENT_SCROLL_RIGHT ? 1 : -1) * ROUND_COLUMN_WIDTH);
        return 1;
    default:
        return CGuiContainer::OnEvent(event);
    }
}

} // namespace panel

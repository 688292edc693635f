#pragma once
// CAdvertBar: the top of the side panel: two tabs, the advert page (a web
// pane showing its address) and the score history of this table's rounds (a
// table of one row per chair and one column per round, scrolled sideways).
// The application's first advert-bar event (GAMEMSG_ADVERT_BAR) starts the
// bar; each later one, sent after a round's results, shows the score tab;
// while auto-cycles remain, the bar goes back to the advert tab by itself
// after the auto-cycle interval. A game
// derives from it to lay out its own picture behind the page.
//
// Owner: the object module (registered by the side panel as child
// "AdvertBar"); the tabs, pane, table and scroll bar are registered objects
// it creates. Thread: UI thread.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/GuiContainer.h"

namespace client {
class CGameApp;
}

namespace engine {
class CCanvasObject;
class CGuiButton;
class CGuiScrollBar;
}

namespace panel {

class CWebPane;

class CAdvertBar : public engine::CGuiContainer {
public:
    static constexpr int32_t TAB_ADVERT = 0;
    static constexpr int32_t TAB_SCORE = 1;
    static constexpr int32_t DEFAULT_CYCLE_SECONDS = 15;
    static constexpr int32_t DEFAULT_CYCLE_COUNT = 5;
    static constexpr int32_t NAME_COLUMN_WIDTH = 72;
    static constexpr int32_t TOTAL_COLUMN_WIDTH = 56;
    static constexpr int32_t ROUND_COLUMN_WIDTH = 48;
    static constexpr int32_t SCROLL_BAR_HEIGHT = 14;
    // The tabs' clicks (to the bar itself).
    static constexpr uint32_t EVENT_ADVERT_TAB = 80000075;
    static constexpr uint32_t EVENT_SCORE_TAB = 80000076;

    explicit CAdvertBar(client::CGameApp& app);

    void OnCreate() override { Create(); }
    int OnEvent(const engine::EngineEvent& event) override;
    void OnAreaChanged() override { Layout(); }

    /// Reads the auto-cycle interval and count (the game INI's GAMESET keys
    /// "AdvertACSencond" and "AdvertACMaxCount") and makes the tabs, the page,
    /// the score table and its scroll bar.
    virtual void Create();
    /// Starts the bar: navigates the page to the application's advert address.
    virtual void OnInitData();
    virtual void Navigate(std::string_view address);
    virtual void Layout();
    virtual void ShowAdvertTab();
    virtual void ShowScoreTab();
    virtual void OnPageHidden();
    virtual void OnPageLoaded();
    /// Draws the round history into the score table from its scroll position.
    virtual void DrawScoreHistory();

    [[nodiscard]] int32_t GetCurrentTab() const { return m_current_tab; }
    [[nodiscard]] int32_t GetCycleSeconds() const { return m_cycle_seconds; }
    [[nodiscard]] int32_t GetCycleCount() const { return m_cycle_count; }
    [[nodiscard]] CWebPane* GetWebPage() const { return m_web_page; }
    [[nodiscard]] engine::CCanvasObject* GetScoreTable() const { return m_score_table; }
    [[nodiscard]] engine::CGuiScrollBar* GetScoreBar() const { return m_score_bar; }
    [[nodiscard]] engine::CGuiButton* GetAdvertTabButton() const { return m_advert_tab; }
    [[nodiscard]] engine::CGuiButton* GetScoreTabButton() const { return m_score_tab; }
    /// The history table's full width (name, total and one column per round).
    [[nodiscard]] int32_t GetScoreContentWidth() const;
    /// How many round columns the table shows whole beside the name and total
    /// (at least 1); it scrolls by whole columns and draws no part of one.
    [[nodiscard]] int32_t GetWholeRoundColumns() const;

protected:
    [[nodiscard]] client::CGameApp& GetApp() const { return m_app; }
    /// The chair count the page and table heights follow (at least 4).
    [[nodiscard]] int32_t GetRowCount() const;
    [[nodiscard]] int32_t GetMetric(int32_t key, int32_t fallback) const;

    engine::CGuiButton* m_advert_tab { nullptr };
    engine::CGuiButton* m_score_tab { nullptr };
    CWebPane* m_web_page { nullptr };
    engine::CCanvasObject* m_score_table { nullptr };
    engine::CGuiScrollBar* m_score_bar { nullptr };
    int32_t m_current_tab { TAB_ADVERT };
    int32_t m_cycle_seconds { DEFAULT_CYCLE_SECONDS };
    int32_t m_cycle_count { DEFAULT_CYCLE_COUNT };

private:
    engine::CGuiButton* MakeTab(const char* image, const char* caption, uint32_t click_id);
    /// Activates both tabs with only `tab` checked.
    void CheckTab(int32_t tab);
    void SetTableVisible(bool visible);
    /// Scrolls the history to `position` (pixels), taken to the nearest whole
    /// column within the rounds, and tells the bar.
    void ScrollScoreTo(double position);

    client::CGameApp& m_app;
    double m_scroll_x { 0.0 };
    bool m_started { false };
};

} // namespace panel

#pragma once
// CCardCounter: the movable board that shows which cards of the two decks
// have not been played yet, as small rank marks grouped by value under the
// count "剩余%d张". Its menu (the menu button, or a right press on the board)
// opens one small seat board per other chair that lists the cards that chair
// has played; a card not yet known is kept as a placeholder and drawn as a
// card back. The scene creates the counter once, shows or hides it and
// feeds it the cards; the chair numbers, user names and the program folder
// come from the application.
//
// Views: view 0 is the own chair, then the chairs that follow it round the
// table ((chair + 1) % chairs); ViewOfChair answers -1 for a chair the
// table does not have, and every operation given such a chair does nothing.
//
// Owner: the object module. The visual canvas with its two buttons, the
// popup menu and the seat boards are owned followers: they live from first
// use until the counter goes. The counter reaches the menu and the seat
// boards by id. The application outlives the counter. Thread: UI thread.
// Hazards: card ids come from the server; ids outside the two decks are
// refused by AddCard and AddSeatCard.

#include <array>
#include <cstdint>

#include "engine/core/EngineRect.h"
#include "engine/core/GuiObject.h"

namespace client {
class CGameApp;
}

namespace engine {
class CCanvasObject;
class CGuiPopupMenu;
} // namespace engine

namespace scene {

/// Events of the counter (the same numbers mean other things elsewhere).
inline constexpr uint32_t CARD_COUNTER_SHOW_SEAT = 80000001;   ///< param1: the chair.
inline constexpr uint32_t CARD_COUNTER_MENU_BUTTON = 80000002;
inline constexpr uint32_t CARD_COUNTER_SHOW_ALL = 80000003;
inline constexpr uint32_t CARD_COUNTER_CLOSE_ALL = 80000004;

class CCardCounter : public engine::CGuiObject {
public:
    static constexpr int32_t DECK_CARDS = 108;
    static constexpr int VIEWS = 4;
    static constexpr int SEAT_SLOTS = 32;
    static constexpr int32_t NO_CARD = -1;
    /// A card of a seat that is not known yet, drawn as a card back.
    static constexpr int32_t PLACEHOLDER_CARD = 99999999;
    static constexpr int32_t DISPLAY_MODE = 2;
    static constexpr double COUNTER_DEPTH = 11000.0;

    using SeatList = std::array<int32_t, SEAT_SLOTS>;

    explicit CCardCounter(const client::CGameApp& app);

    /// Builds the board when it is registered.
    void OnCreate() override { Create(); }
    virtual void Create();
    int OnEvent(const engine::EngineEvent& event) override;

    // The cards.
    /// Empties every list and hides the seat boards; the count becomes 0.
    virtual void Reset();
    /// Into the first empty slot of the remaining list; nothing when it is
    /// full or the card is not one of the two decks.
    virtual void AddCard(int32_t card);
    /// Takes the card out of the remaining list, closing the gap so the
    /// other cards keep their order at the front; redraws when active.
    virtual void RemoveCard(int32_t card);
    /// Into the chair's view's list: the first empty slot, or the first
    /// placeholder when the card is real. Answers view * 32 + slot, or -1
    /// (no such chair, a full list, or a card outside the decks).
    virtual int AddSeatCard(int chair, int32_t card);
    /// The steps from the own chair to the chair round the table; -1 for a
    /// chair outside it.
    [[nodiscard]] int ViewOfChair(int chair) const;

    // Drawing and boards.
    /// Sorts the remaining list (highest order first) and draws the count
    /// and the rank marks.
    virtual void DrawCounter();
    /// Answers the chair's view, or -1 (nothing done) for no such chair.
    virtual int DrawSeatBoard(int chair);
    /// Creates the view's seat board on first use, draws and places it.
    /// Answers the view, or -1 (nothing done) for no such chair.
    virtual int ShowSeatBoard(int chair);
    virtual void PlaceSeatBoard(int view);
    virtual void ShowPopupMenu(int32_t x, int32_t y);
    virtual void UpdateMenuNames();
    /// Places the active seat boards again and puts the counter in the
    /// main-game area's bottom-right corner, just above the button row.
    virtual void Relayout();
    virtual void GetSmallCardImage(engine::ImageRef& out, int32_t card);

    /// The area the seat boards stay inside: the one set here, else the
    /// frame UI's main-game area, else the whole view.
    void SetMainGameRect(const engine::EngineRect& rect) { m_main_game_rect = rect; }
    [[nodiscard]] engine::EngineRect GetMainGameRect() const;

    [[nodiscard]] int32_t GetRemainingCount() const { return m_remaining_count; }
    [[nodiscard]] const std::array<int32_t, DECK_CARDS>& GetRemaining() const { return m_remaining; }
    /// The list of a view (0..3); view 0's for any other.
    [[nodiscard]] const SeatList& GetSeatCards(int view) const;
    [[nodiscard]] engine::CCanvasObject* GetCanvas() const;
    [[nodiscard]] engine::CGuiPopupMenu* GetMenu() const;
    [[nodiscard]] engine::CCanvasObject* GetSeatBoard(int view) const;

private:
    void ClearLists();
    void CreateMenu();
    [[nodiscard]] engine::CCanvasObject* MakeSeatBoard(int view, int chair);
    [[nodiscard]] static bool IsDeckCard(int32_t card) { return card >= 0 && card < DECK_CARDS; }

    const client::CGameApp& m_app;
    std::array<int32_t, DECK_CARDS> m_remaining {};
    std::array<SeatList, VIEWS> m_seat_cards {};
    int32_t m_remaining_count { 0 };
    uint32_t m_canvas_id { 0 };
    uint32_t m_menu_id { 0 };
    std::array<uint32_t, VIEWS> m_seat_board_ids {};
    engine::EngineRect m_main_game_rect {};
};

} // namespace scene

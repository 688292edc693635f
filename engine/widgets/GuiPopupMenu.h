#pragma once
// CGuiPopupMenu: a vertical list of CGuiPopupMenuItem rows inside a
// bordered canvas. A choice is reported by the chosen row itself (its click
// record); the menu hides itself when it loses the input focus, not on a
// choice.
//
// Owner: the object module; the canvas and the rows are owned followers.
// The menu keeps its rows by id in the order they were added (a row another
// owner destroys drops out of the list). Thread: UI thread.

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/core/GuiObject.h"

namespace engine {

class CCanvasObject;
class CGuiPopupMenuItem;

class CGuiPopupMenu : public CGuiObject {
public:
    static constexpr int32_t DEFAULT_FONT_SIZE = 12;
    static constexpr int32_t DEFAULT_BORDER = 2;
    static constexpr uint32_t ROW_KEY_COLOUR = 0xFFFFFF;
    static constexpr uint32_t ROW_BORDER_COLOUR = 0x000000;
    /// How the rows follow the menu: activation, position, depth and redraws; owned.
    static constexpr uint32_t ROW_LINK_FLAGS = 0x198020 | VELOTRIX_LINK_OWNED;

    virtual void Create(int32_t item_width, int32_t item_height, int32_t font_size, uint32_t key_colour);
    /// Appends a row that raises click_event (when not null) when chosen; lays the menu out.
    virtual CGuiPopupMenuItem* AddItem(std::string_view text, const EngineEvent* click_event, uint32_t text_colour);
    /// Shows or hides (ShowNotify) every row that has a left-click route to
    /// target_id forwarded as event_id.
    virtual void EnableItem(uint32_t target_id, uint32_t event_id, bool show);
    /// Sizes the menu to its rows and places them inside the border; a menu
    /// without rows deactivates itself.
    virtual void Layout();
    /// Zero-based; null past the end.
    [[nodiscard]] virtual CGuiPopupMenuItem* GetItem(size_t index) const;
    /// The first row whose caption equals text byte for byte, or null.
    [[nodiscard]] virtual CGuiPopupMenuItem* FindItem(std::string_view text) const;

    [[nodiscard]] size_t GetItemCount() const { return Rows().size(); }
    [[nodiscard]] CCanvasObject* GetCanvas() const { return m_canvas; }

private:
    /// The rows still alive, in order.
    [[nodiscard]] std::vector<CGuiPopupMenuItem*> Rows() const;

    int32_t m_item_width { 0 };
    int32_t m_item_height { 0 };
    int32_t m_font_size { DEFAULT_FONT_SIZE };
    int32_t m_border { DEFAULT_BORDER };
    std::vector<uint32_t> m_rows;
    ObjectLink<CCanvasObject> m_canvas;
};

} // namespace engine

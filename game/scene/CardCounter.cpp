// The card counter's lists, its own board and its events; the seat boards
// and the menu are in CardCounterBoards.cpp.
#include "game/scene/CardCounter.h"

#include <algorithm>
#include <cstdio>

#include "client/CGameApp.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/InputState.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiPopupMenu.h"
#include "engine/widgets/WidgetSupport.h"
#include "game/rules/CardRules.h"
#include "game/scene/ChairMath.h"
#include "game/scene/SceneWidgets.h"

namespace scene {

namespace {

constexpr const char* PACKAGE = "skins\\replay.kor";
constexpr const char* COUNTER_IMAGE = "bit_cardmaster";
constexpr const char* RANK_IMAGE = "bit_cardrank";
constexpr const char* CLOSE_BUTTON = "btn_redcross";
constexpr const char* MENU_BUTTON = "btn_popmenu";
constexpr double BUTTON_DEPTH_STEP = 0.1;
constexpr int32_t CLOSE_RIGHT_GAP = 13;
constexpr int32_t BUTTON_TOP_GAP = 6;

constexpr int32_t COUNT_X = 50;
constexpr int32_t COUNT_Y = 16;
constexpr int32_t COUNT_FONT_SIZE = 14;
constexpr uint32_t COUNT_COLOUR = 0xFFFFFF;
constexpr int RANK_COLUMNS = 15;
constexpr int32_t RANK_WIDTH = 16;
constexpr int32_t RANK_HEIGHT = 13;
constexpr int32_t RANK_LEFT = 10;
constexpr int32_t RANK_TOP = 30;
constexpr int32_t RANK_ROW_STEP = 14;
constexpr int32_t SORT_ORDER_LEVEL = 1;
constexpr int32_t RELAYOUT_BOTTOM_GAP = 30;

// Highest order first, then highest suit.
int32_t SortKey(int32_t card)
{
    return rules::GetCardOrder(card, SORT_ORDER_LEVEL, 0) * 1000 + rules::GetCardSuit(card, 0);
}

} // namespace

CCardCounter::CCardCounter(const client::CGameApp& app) : m_app(app)
{
    ClearLists();
}

void CCardCounter::ClearLists()
{
    m_remaining.fill(NO_CARD);
    for (SeatList& list : m_seat_cards)
        list.fill(NO_CARD);
    m_remaining_count = 0;
}

void CCardCounter::Create()
{
    (void)LoadResourcePackage(m_app.GetModuleDir() + PACKAGE);
    engine::ImageRef image;
    GetImage(image, COUNTER_IMAGE, 0);
    engine::CCanvasObject* canvas = NewCanvasObject(image.width, image.height, engine::WIDGET_COLOUR_KEY);
    if (canvas == nullptr)
        return;
    m_canvas_id = canvas->GetId();
    canvas->DrawImage(image, 0, 0, 0, 0, 0.0, 1.0);
    canvas->RaiseToTopLayer();
    canvas->SetZ(COUNTER_DEPTH);
    canvas->SetDraggable(true);
    SetVisual(canvas, BOARD_PART_LINK_FLAGS);

    engine::EngineEvent close;
    engine::MakeEngineEvent(&close, GetId(), engine::VELOTRIX_EVENT_DEACTIVATE, 0, 0);
    if (engine::CGuiButton* button = MakeSkinButton(*this, CLOSE_BUTTON, close, 0)) {
        const auto half_width = static_cast<int32_t>(button->GetWidth()) / 2;
        const auto half_height = static_cast<int32_t>(button->GetHeight()) / 2;
        AttachPart(*canvas, *button, static_cast<int32_t>(canvas->GetRight()) - half_width - CLOSE_RIGHT_GAP,
                   static_cast<int32_t>(canvas->GetTop()) + half_height + BUTTON_TOP_GAP, BUTTON_DEPTH_STEP);
    }
    engine::EngineEvent menu;
    engine::MakeEngineEvent(&menu, GetId(), CARD_COUNTER_MENU_BUTTON, 0, 0);
    if (engine::CGuiButton* button = MakeSkinButton(*this, MENU_BUTTON, menu, engine::CGuiButton::FLAG_FIRE_ON_PRESS)) {
        const auto half_height = static_cast<int32_t>(button->GetHeight()) / 2;
        AttachPart(*canvas, *button, canvas->GetX(), static_cast<int32_t>(canvas->GetTop()) + half_height + BUTTON_TOP_GAP,
                   BUTTON_DEPTH_STEP);
    }
    AddSelfEventRoute(engine::VELOTRIX_EVENT_RBUTTON_DOWN);
}

engine::CCanvasObject* CCardCounter::GetCanvas() const
{
    return dynamic_cast<engine::CCanvasObject*>(FindObject(m_canvas_id));
}

const CCardCounter::SeatList& CCardCounter::GetSeatCards(int view) const
{
    return m_seat_cards[view >= 0 && view < VIEWS ? static_cast<size_t>(view) : 0];
}

void CCardCounter::Reset()
{
    ClearLists();
    for (int view = 0; view < VIEWS; ++view) {
        if (engine::CCanvasObject* board = GetSeatBoard(view)) {
            board->Deactivate();
            board->Invalidate();
        }
    }
}

void CCardCounter::AddCard(int32_t card)
{
    if (!IsDeckCard(card))
        return;
    const auto slot = std::find(m_remaining.begin(), m_remaining.end(), NO_CARD);
    if (slot == m_remaining.end())
        return;
    *slot = card;
    ++m_remaining_count;
}

void CCardCounter::RemoveCard(int32_t card)
{
    if (!IsDeckCard(card))
        return;
    for (int32_t& slot : m_remaining) {
        if (slot == card) {
            slot = NO_CARD;
            --m_remaining_count;
        }
    }
    // The cards behind each gap move up in order. Every gap closes, also
    // when a card was given twice: a gap left inside the list would hide
    // the cards behind it from the count and the drawing.
    std::fill(std::remove(m_remaining.begin(), m_remaining.end(), NO_CARD), m_remaining.end(), NO_CARD);
    if (IsActive())
        DrawCounter();
}

int CCardCounter::AddSeatCard(int chair, int32_t card)
{
    const int view = ViewOfChair(chair);
    if (view < 0 || view >= VIEWS || (!IsDeckCard(card) && card != PLACEHOLDER_CARD))
        return -1;
    SeatList& list = m_seat_cards[static_cast<size_t>(view)];
    for (size_t slot = 0; slot < list.size(); ++slot) {
        if (list[slot] == NO_CARD || (list[slot] == PLACEHOLDER_CARD && card != PLACEHOLDER_CARD)) {
            list[slot] = card;
            return view * SEAT_SLOTS + static_cast<int>(slot);
        }
    }
    return -1;
}

int CCardCounter::ViewOfChair(int chair) const
{
    const int chairs = m_app.GetChairCount();
    if (chairs < 1)
        return -1;
    return CChairMath(chairs, m_app.Records().GetChairNO()).ChairToView(chair);
}

void CCardCounter::DrawCounter()
{
    const auto count = static_cast<size_t>(std::clamp(m_remaining_count, 0, DECK_CARDS));
    // An exchange sort: a later card with a larger key swaps forward.
    for (size_t i = 0; i < count; ++i) {
        for (size_t j = i + 1; j < count; ++j) {
            if (SortKey(m_remaining[j]) > SortKey(m_remaining[i]))
                std::swap(m_remaining[i], m_remaining[j]);
        }
    }
    engine::CCanvasObject* canvas = GetCanvas();
    if (canvas == nullptr)
        return;
    canvas->Clear();
    engine::ImageRef image;
    GetImage(image, COUNTER_IMAGE, 0);
    canvas->DrawImage(image, 0, 0, 0, 0, 0.0, 1.0);
    char text[32];
    std::snprintf(text, sizeof text, "剩余%d张", m_remaining_count);
    canvas->SetFont(COUNT_FONT_SIZE, 400, engine::WIDGET_FACE);
    canvas->SetTextColour(COUNT_COLOUR, 255);
    canvas->DrawText(COUNT_X, COUNT_Y, text);

    std::array<int32_t, RANK_COLUMNS> rows {};
    int column = 0;
    int32_t previous = rules::VALUE_BIG_JOKER;
    for (size_t i = 0; i < count; ++i) {
        const int32_t value = rules::GetCardValue(m_remaining[i], 0);
        if (value == rules::VALUE_SMALL_JOKER || value == rules::VALUE_BIG_JOKER) {
            column = 0;
        } else if (value != previous) {
            previous = value;
            ++column;
        }
        if (value < 1 || column >= RANK_COLUMNS)
            continue;
        engine::ImageRef rank;
        GetImage(rank, RANK_IMAGE, static_cast<uint32_t>(value - 1));
        int32_t& row = rows[static_cast<size_t>(column)];
        canvas->DrawImage(rank, RANK_WIDTH * column + RANK_LEFT, RANK_ROW_STEP * row + RANK_TOP, RANK_WIDTH,
                          RANK_HEIGHT, 0.0, 1.0);
        ++row;
    }
    canvas->Invalidate();
}

void CCardCounter::Relayout()
{
    for (int view = 0; view < VIEWS; ++view) {
        const engine::CCanvasObject* board = GetSeatBoard(view);
        if (board != nullptr && board->IsActive())
            PlaceSeatBoard(view);
    }
    // The table's corner, where the counter's button opens it: never over
    // the side panel beside the table.
    const engine::EngineRect area = GetMainGameRect();
    const double width = GetWidth();
    const double height = GetHeight();
    MoveTo(area.right - width / 2, area.bottom - RELAYOUT_BOTTOM_GAP - height / 2);
    Invalidate();
}

int CCardCounter::OnEvent(const engine::EngineEvent& event)
{
    switch (event.id) {
    case CARD_COUNTER_MENU_BUTTON: {
        engine::CGuiPopupMenu* menu = GetMenu();
        if (menu != nullptr && menu->IsActive()) {
            menu->Deactivate();
            menu->Invalidate();
        } else {
            ShowPopupMenu(static_cast<int32_t>(GetX()), static_cast<int32_t>(GetTop()));
        }
        return 1;
    }
    case engine::VELOTRIX_EVENT_RBUTTON_DOWN:
        if (event.param2 != 0) {
            const auto* input = reinterpret_cast<const engine::InputState*>(event.param2);
            ShowPopupMenu(input->x, input->y);
        }
        return 1;
    case CARD_COUNTER_SHOW_SEAT:
        (void)ShowSeatBoard(static_cast<int>(event.param1));
        break;
    case CARD_COUNTER_SHOW_ALL:
        for (int chair = 0; chair < m_app.GetChairCount(); ++chair) {
            if (chair != m_app.Records().GetChairNO())
                (void)ShowSeatBoard(chair);
        }
        break;
    case CARD_COUNTER_CLOSE_ALL:
        for (int view = 1; view < VIEWS; ++view) {
            engine::CCanvasObject* board = GetSeatBoard(view);
            if (board != nullptr && board->IsActive()) {
                board->Deactivate();
                board->Invalidate();
            }
        }
        break;
    default:
        return CGuiObject::OnEvent(event);
    }
    if (engine::CGuiPopupMenu* menu = GetMenu()) {
        menu->Deactivate();
        menu->Invalidate();
    }
    return 1;
}

} // namespace scene

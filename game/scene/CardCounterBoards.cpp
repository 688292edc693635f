// The card counter's seat boards (the cards each other chair has played)
// and its popup menu.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "client/CGameApp.h"
#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiPopupMenu.h"
#include "engine/widgets/GuiTextButton.h"
#include "engine/widgets/WidgetSupport.h"
#include "game/scene/CardCounter.h"
#include "game/scene/SceneWidgets.h"

namespace scene {

namespace {

constexpr const char* SEAT_BOARD_IMAGE = "bit_cardmaster_player";
constexpr const char* SMALL_CARD_IMAGE = "bit_cardmaster_small";
constexpr const char* CARD_FACE_IMAGE = "牌正面50x68";
constexpr const char* CARD_BACK_IMAGE = "牌背面50x68";
constexpr const char* SEAT_NAME_BOARD = "玩家姓名板%d";
constexpr const char* CLOSE_BUTTON = "btn_redcross";
constexpr int32_t CARDS_PER_DECK = 54;
constexpr double SEAT_BOARD_DEPTH = 11000.0;
constexpr double BUTTON_DEPTH_STEP = 0.1;
constexpr int32_t CLOSE_RIGHT_GAP = 7;
constexpr int32_t CLOSE_TOP_GAP = 3;
constexpr int32_t NAME_Y = 10;
constexpr int32_t NAME_FONT_SIZE = 12;
constexpr uint32_t NAME_COLOUR = 0xFFFFFF;
constexpr int32_t CARDS_PER_ROW = 10;
constexpr int32_t CARD_STEP_X = 12;
constexpr int32_t CARD_STEP_Y = 28;
constexpr int32_t CARDS_LEFT = 13;
constexpr int32_t CARDS_TOP = 20;
constexpr int32_t CORNER_WIDTH = 12;
constexpr int32_t CORNER_HEIGHT = 28;

std::string SeatName(const client::CGameApp& app, int chair)
{
    return app.Records().GetName(app.Records().Seat(chair), client::NameKind::User);
}

constexpr int32_t MENU_ITEM_WIDTH = 80;
constexpr int32_t MENU_ITEM_HEIGHT = 20;
constexpr uint32_t MENU_COLOUR = 0xFFFFFF;
constexpr uint32_t MENU_TEXT_COLOUR = 0x000000;
constexpr double MENU_DEPTH_STEP = 100.0;
/// The menu follows the counter's position, depth, hiding and redraws, and goes with it.
constexpr uint32_t MENU_LINK_FLAGS = 0x118020 | engine::VELOTRIX_LINK_OWNED;
/// A seat board only goes with the counter; it moves on its own.
constexpr uint32_t SEAT_BOARD_LINK_FLAGS = engine::VELOTRIX_LINK_OWNED;

} // namespace

engine::CGuiPopupMenu* CCardCounter::GetMenu() const
{
    return dynamic_cast<engine::CGuiPopupMenu*>(FindObject(m_menu_id));
}

engine::CCanvasObject* CCardCounter::GetSeatBoard(int view) const
{
    if (view < 0 || view >= VIEWS)
        return nullptr;
    return dynamic_cast<engine::CCanvasObject*>(FindObject(m_seat_board_ids[static_cast<size_t>(view)]));
}

engine::EngineRect CCardCounter::GetMainGameRect() const
{
    if (!m_main_game_rect.IsEmpty())
        return m_main_game_rect;
    if (const auto* frame = m_app.Links().TableFrame())
        return frame->GetMainGameRect();
    return engine::EngineRect { 0, 0, GetViewWidth(), GetViewHeight() };
}

void CCardCounter::GetSmallCardImage(engine::ImageRef& out, int32_t card)
{
    GetImage(out, SMALL_CARD_IMAGE, static_cast<uint32_t>(std::max(card, 0) % CARDS_PER_DECK));
}

int CCardCounter::DrawSeatBoard(int chair)
{
    const int view = ViewOfChair(chair);
    engine::CCanvasObject* board = GetSeatBoard(view);
    if (board == nullptr)
        return view < 0 ? -1 : view;
    board->Clear();
    engine::ImageRef image;
    GetImage(image, SEAT_BOARD_IMAGE, 0);
    board->DrawImage(image, 0, 0, 0, 0, 0.0, 1.0);
    board->SetFont(NAME_FONT_SIZE, 400, engine::WIDGET_FACE);
    board->SetTextColour(NAME_COLOUR, 255);
    board->DrawCentredPlainText(board->GetCanvasWidth() / 2, NAME_Y, SeatName(m_app, chair));

    const SeatList& cards = m_seat_cards[static_cast<size_t>(view)];
    for (int32_t i = 0; i < SEAT_SLOTS && cards[static_cast<size_t>(i)] != NO_CARD; ++i) {
        const int32_t card = cards[static_cast<size_t>(i)];
        engine::ImageRef face;
        if (card == PLACEHOLDER_CARD)
            GetImage(face, CARD_BACK_IMAGE, 0);
        else
            GetImage(face, CARD_FACE_IMAGE, static_cast<uint32_t>(card % CARDS_PER_DECK));
        board->DrawImage(face, CARD_STEP_X * (i % CARDS_PER_ROW) + CARDS_LEFT,
                         CARD_STEP_Y * (i / CARDS_PER_ROW) + CARDS_TOP, CORNER_WIDTH, CORNER_HEIGHT, 0, 0, 1.0);
    }
    board->Invalidate();
    return view;
}

engine::CCanvasObject* CCardCounter::MakeSeatBoard(int view, int chair)
{
    engine::ImageRef image;
    GetImage(image, SEAT_BOARD_IMAGE, 0);
    engine::CCanvasObject* board = NewCanvasObject(image.width, image.height, engine::WIDGET_COLOUR_KEY);
    if (board == nullptr)
        return nullptr;
    m_seat_board_ids[static_cast<size_t>(view)] = board->GetId();
    board->RaiseToTopLayer();
    board->SetZ(SEAT_BOARD_DEPTH + chair);
    board->SetDraggable(true);
    if (engine::CEngineObject* visual = GetVisual(); visual != this)
        visual->AddFollower(board, SEAT_BOARD_LINK_FLAGS);

    engine::EngineEvent close;
    engine::MakeEngineEvent(&close, board->GetId(), engine::VELOTRIX_EVENT_DEACTIVATE, 0, 0);
    if (engine::CGuiButton* button = MakeSkinButton(*this, CLOSE_BUTTON, close, 0)) {
        const auto half_width = static_cast<int32_t>(button->GetWidth()) / 2;
        const auto half_height = static_cast<int32_t>(button->GetHeight()) / 2;
        AttachPart(*board, *button, static_cast<int32_t>(board->GetRight()) - half_width - CLOSE_RIGHT_GAP,
                   static_cast<int32_t>(board->GetTop()) + half_height + CLOSE_TOP_GAP, BUTTON_DEPTH_STEP);
    }
    return board;
}

int CCardCounter::ShowSeatBoard(int chair)
{
    const int view = ViewOfChair(chair);
    if (view < 0 || view >= VIEWS)
        return -1;
    if (GetSeatBoard(view) == nullptr && MakeSeatBoard(view, chair) == nullptr)
        return -1;
    (void)DrawSeatBoard(chair);
    PlaceSeatBoard(view);
    return view;
}

void CCardCounter::PlaceSeatBoard(int view)
{
    engine::CCanvasObject* board = GetSeatBoard(view);
    if (board == nullptr)
        return;
    char name[32];
    std::snprintf(name, sizeof name, SEAT_NAME_BOARD, view);
    if (const engine::CEngineObject* plate = FindObjectByName(name)) {
        // The plate's centre, moved as little as needed to keep the whole
        // board inside the main-game area (its top-left corner wins when
        // the board is larger than the area).
        const engine::EngineRect area = GetMainGameRect();
        const double half_width = board->GetWidth() / 2;
        const double half_height = board->GetHeight() / 2;
        const double x = std::max(std::min(plate->GetX(), area.right - half_width), area.left + half_width);
        const double y = std::max(std::min(plate->GetY(), area.bottom - half_height), area.top + half_height);
        board->MoveTo(x, y);
    }
    board->Activate();
    board->Invalidate();
}

void CCardCounter::CreateMenu()
{
    auto* menu = dynamic_cast<engine::CGuiPopupMenu*>(RegisterObject(std::make_unique<engine::CGuiPopupMenu>()));
    if (menu == nullptr)
        return;
    m_menu_id = menu->GetId();
    menu->Create(MENU_ITEM_WIDTH, MENU_ITEM_HEIGHT, engine::CGuiPopupMenu::DEFAULT_FONT_SIZE, MENU_COLOUR);
    const int own = m_app.Records().GetChairNO();
    engine::EngineEvent event;
    for (int chair = 0; chair < m_app.GetChairCount(); ++chair) {
        if (chair == own)
            continue;
        engine::MakeEngineEvent(&event, GetId(), CARD_COUNTER_SHOW_SEAT, static_cast<uintptr_t>(chair), 0);
        (void)menu->AddItem(SeatName(m_app, chair), &event, MENU_TEXT_COLOUR);
    }
    engine::MakeEngineEvent(&event, GetId(), CARD_COUNTER_SHOW_ALL, 0, 0);
    (void)menu->AddItem("全部展开", &event, MENU_TEXT_COLOUR);
    engine::MakeEngineEvent(&event, GetId(), CARD_COUNTER_CLOSE_ALL, 0, 0);
    (void)menu->AddItem("全部关闭", &event, MENU_TEXT_COLOUR);
    engine::MakeEngineEvent(&event, menu->GetId(), engine::VELOTRIX_EVENT_DEACTIVATE, 0, 0);
    (void)menu->AddItem("取消", &event, MENU_TEXT_COLOUR);
    engine::PlaceAtDepth(*menu, GetZ() + MENU_DEPTH_STEP);
    AddFollower(menu, MENU_LINK_FLAGS);
}

void CCardCounter::ShowPopupMenu(int32_t x, int32_t y)
{
    if (GetMenu() == nullptr)
        CreateMenu();
    engine::CGuiPopupMenu* menu = GetMenu();
    if (menu == nullptr)
        return;
    (void)SetFocusObject(menu->GetId());
    const auto width = static_cast<int32_t>(menu->GetWidth());
    const auto height = static_cast<int32_t>(menu->GetHeight());
    // Up and to the right of the point, kept inside the view.
    int32_t centre_x = x + width / 2;
    int32_t centre_y = y - height / 2;
    if (centre_x + width / 2 > GetViewWidth())
        centre_x = GetViewWidth() - width / 2;
    if (centre_y - height / 2 < 0)
        centre_y = height;
    menu->MoveTo(centre_x, centre_y);
    menu->Activate();
    menu->Invalidate();
}

void CCardCounter::UpdateMenuNames()
{
    engine::CGuiPopupMenu* menu = GetMenu();
    if (menu == nullptr)
        return;
    const int own = m_app.Records().GetChairNO();
    size_t index = 0;
    for (int chair = 0; chair < m_app.GetChairCount(); ++chair) {
        if (chair == own)
            continue;
        if (engine::CGuiPopupMenuItem* item = menu->GetItem(index++))
            item->SetCaption(SeatName(m_app, chair));
    }
}

} // namespace scene

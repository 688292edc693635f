#include "game/scene/SeatBoard.h"

#include <cstdio>

#include "client/CGameApp.h"
#include "client/panel/CGameFrameUI.h"
#include "client/panel/CharacterImage.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/core/ObjectDefs.h"
#include "engine/widgets/GuiDigitText.h"
#include "engine/widgets/WidgetSupport.h"
#include "game/scene/SceneWidgets.h"
#include "game/scene/TableLayout.h"
#include "platform/Text.h"

namespace scene {

namespace {

constexpr const char* PLATE_IMAGE = "PlayerBoardSmall";
constexpr const char* AUTO_PLAY_IMAGE = "animation_AutoPlay";
constexpr const char* OFFLINE_IMAGE = "animation_Offline";
constexpr const char* READY_IMAGE = "animation_Ready";
constexpr const char* RANK_IMAGE = "bit_Duan";
constexpr const char* MATCH_SCORE_IMAGE = "Player_MatchScore";
constexpr uint32_t NAME_COLOUR = 0x00FAE5;
constexpr uint32_t MATCH_TEXT_COLOUR = 0xC7E0D0;
constexpr int32_t NAME_FONT_SIZE = 14;
constexpr int32_t MATCH_FONT_SIZE = 12;
constexpr int32_t FONT_WEIGHT = 400;
constexpr int32_t STATUS_X = 40;
constexpr int32_t STATUS_Y = 3;
constexpr int32_t PICTURE_X = 80;
constexpr int32_t PICTURE_BOTTOM_GAP = 33;
constexpr int32_t TEXT_X_STEP = 56;
constexpr int32_t MARK_INSET = 200;
constexpr double PART_DEPTH_STEP = 0.1;

} // namespace

CSeatBoard::CSeatBoard(client::CGameApp& app) : m_app(app) {}

engine::CCanvasObject* CSeatBoard::GetCanvas() const
{
    return FindObjectAs<engine::CCanvasObject>(m_canvas_id);
}
engine::CImageObject* CSeatBoard::GetStatusImage() const
{
    return FindObjectAs<engine::CImageObject>(m_status_id);
}
engine::CImageObject* CSeatBoard::GetMark() const
{
    return FindObjectAs<engine::CImageObject>(m_mark_id);
}
engine::CGuiDigitText* CSeatBoard::GetCardCount() const
{
    return FindObjectAs<engine::CGuiDigitText>(m_count_id);
}

int32_t CSeatBoard::GetCardCountWidth() const
{
    const engine::CGuiDigitText* count = GetCardCount();
    return count != nullptr ? static_cast<int32_t>(count->GetWidth()) : 0;
}

int32_t CSeatBoard::GetCardCountHeight() const
{
    const engine::CGuiDigitText* count = GetCardCount();
    return count != nullptr ? static_cast<int32_t>(count->GetHeight()) : 0;
}

engine::EngineRect CSeatBoard::GetMainGameRect() const
{
    if (!m_area.IsEmpty())
        return m_area;
    if (const auto* frame = m_app.Links().TableFrame())
        return frame->GetMainGameRect();
    return engine::EngineRect { 0, 0, GetViewWidth(), GetViewHeight() };
}

int CSeatBoard::ChairCount() const
{
    return m_app.GetChairCount();
}

uint32_t CSeatBoard::FrameUiId() const
{
    const client::ITableFrame* frame = m_app.Links().TableFrame();
    return frame != nullptr ? frame->GetFrameObjectId() : 0;
}

int32_t CSeatBoard::PlateHeight() const
{
    engine::ImageRef plate;
    const_cast<CSeatBoard*>(this)->GetImage(plate, PLATE_IMAGE, 0);
    return plate.height;
}

int32_t CSeatBoard::GetCharacter() const
{
    const client::GameUserRecord* seat = m_app.Records().Seat(m_chair);
    return seat != nullptr ? seat->statistics[2] : 0;
}

engine::CCanvasObject* CSeatBoard::MakeCanvas()
{
    engine::ImageRef plate;
    GetImage(plate, PLATE_IMAGE, 0);
    engine::CCanvasObject* canvas = NewCanvasObject(plate.width, plate.height, engine::WIDGET_COLOUR_KEY);
    if (canvas != nullptr)
        m_canvas_id = canvas->GetId();
    return canvas;
}

void CSeatBoard::MakeStatusImage(const engine::CCanvasObject& canvas)
{
    engine::ImageRef image;
    GetImage(image, AUTO_PLAY_IMAGE, 0);
    engine::CImageObject* status = NewImageObject(image);
    if (status == nullptr)
        return;
    m_status_id = status->GetId();
    status->MoveTo(canvas.GetLeft() + STATUS_X, canvas.GetY() + STATUS_Y);
    status->SetZ(canvas.GetZ() + PART_DEPTH_STEP);
    // Owned as well, so the part goes with the board.
    const_cast<engine::CCanvasObject&>(canvas).AddFollower(status, SEAT_PART_LINK_FLAGS | engine::VELOTRIX_LINK_OWNED);
}

engine::CGuiDigitText* CSeatBoard::MakeDigits(std::string_view digits, uint32_t flags, std::string_view unit_image,
                                              std::string_view unit, const engine::CCanvasObject& canvas,
                                              engine::CEngineObject& leader, uint32_t link_flags)
{
    auto owned = std::make_unique<engine::CGuiDigitText>();
    engine::CGuiDigitText* display = owned.get();
    if (RegisterObject(std::move(owned)) == nullptr)
        return nullptr;
    display->Create(digits, flags);
    engine::ImageRef unit_glyph;
    GetImage(unit_glyph, unit_image, 0);
    display->AddGlyph(unit, unit_glyph);
    display->SetSuffix(unit);
    display->SetZ(canvas.GetZ() + PART_DEPTH_STEP);
    leader.AddFollower(display, link_flags | engine::VELOTRIX_LINK_OWNED);
    display->Deactivate();
    return display;
}

void CSeatBoard::FinishCanvas(engine::CCanvasObject& canvas)
{
    canvas.RaiseToTopLayer();
    canvas.SetZ(BOARD_DEPTH);
    canvas.SetTextColour(0xFFFFFF, 255);
    SetVisual(&canvas, BOARD_PART_LINK_FLAGS);
    char name[32];
    std::snprintf(name, sizeof name, "玩家姓名板%d", m_view);
    SetName(name);
}

void CSeatBoard::CreateChildren(int view)
{
    m_view = view;
    engine::CCanvasObject* canvas = MakeCanvas();
    if (canvas == nullptr)
        return;
    MakeStatusImage(*canvas);
    if (engine::CGuiDigitText* count = MakeDigits("digit_restcard", 2, "word_zhang", "张", *canvas, *this, 0))
        m_count_id = count->GetId();
    FinishCanvas(*canvas);
}

void CSeatBoard::RemoveSeatRoutes()
{
    for (const uint32_t input : { engine::VELOTRIX_EVENT_MOUSE_ENTER, engine::VELOTRIX_EVENT_MOUSE_LEAVE,
                                  engine::VELOTRIX_EVENT_LBUTTON_DOWN, engine::VELOTRIX_EVENT_RBUTTON_DOWN }) {
        RemoveEventRoutes(input);
        if (engine::CCanvasObject* canvas = GetCanvas())
            canvas->RemoveEventRoutes(input);
    }
}

void CSeatBoard::SetSeatRoutes()
{
    RemoveSeatRoutes();
    AddEventRoute(engine::VELOTRIX_EVENT_MOUSE_ENTER, GetId(), SEAT_BOARD_HOVER_ON, 0, 0);
    AddEventRoute(engine::VELOTRIX_EVENT_MOUSE_LEAVE, GetId(), SEAT_BOARD_HOVER_OFF, 0, 0);
    const uint32_t frame = FrameUiId();
    if (frame == 0)
        return;
    const auto user = static_cast<uintptr_t>(m_app.Records().GetSeatUserID(m_chair));
    AddEventRoute(engine::VELOTRIX_EVENT_LBUTTON_DOWN, frame, panel::GAMEMSG_SEAT_LEFT_CLICK, user, 0);
    AddEventRoute(engine::VELOTRIX_EVENT_RBUTTON_DOWN, frame, panel::GAMEMSG_SEAT_RIGHT_CLICK, user, 0);
}

void CSeatBoard::SetPlayer(int chair)
{
    if (chair == -1)
        return;
    m_chair = chair;
    Draw();
    const int32_t rank = m_app.Records().GetSeatDuan(chair);
    if (engine::CImageObject* status = GetStatusImage()) {
        if (rank < 0) {
            status->Deactivate();
        } else {
            engine::ImageRef badge;
            GetImage(badge, RANK_IMAGE, static_cast<uint32_t>(rank));
            status->SetImage(badge, engine::CImageObject::FitSize::Yes);
            status->Activate();
        }
    }
    if (m_app.IsMatch()) {
        const client::TablePlayerRecord* player = m_app.Records().FindTablePlayer(m_app.Records().GetSeatUserID(chair));
        ShowMatchScore(player != nullptr ? player->score : 0, m_app.Records().Header().words29[4]);
    }
    SetSeatRoutes();
    Activate();
    Invalidate();
}

void CSeatBoard::ClearPlayer()
{
    RemoveSeatRoutes();
    HideReady();
    HideMark();
    if (engine::CGuiDigitText* count = GetCardCount())
        count->Deactivate();
    m_chair = -1;
    m_highlight = false;
    ShowAutoPlay(false);
    Deactivate();
    Invalidate();
}

void CSeatBoard::ResetRound()
{
    m_highlight = false;
    if (engine::CGuiDigitText* count = GetCardCount())
        count->Deactivate();
    Draw();
}

void CSeatBoard::DrawPlate(int32_t frame)
{
    engine::CCanvasObject* canvas = GetCanvas();
    if (canvas == nullptr)
        return;
    canvas->Clear();
    engine::ImageRef plate;
    GetImage(plate, PLATE_IMAGE, static_cast<uint32_t>(frame));
    canvas->DrawImage(plate, 0, 0, 0, 0, 0.0, 1.0);
    const auto height = static_cast<int32_t>(canvas->GetHeight());
    std::string picture;
    panel::GetCharacterImagePath(m_app, picture, GetCharacter(), panel::CHARACTER_IMAGE_SMALL);
    if (!picture.empty()) {
        engine::ImageRef image;
        GetImage(image, picture, 0);
        canvas->DrawImage(image, PICTURE_X, height - PICTURE_BOTTOM_GAP, 0, 0, 0.0, 1.0);
    }
    canvas->SetTextColour(NAME_COLOUR, 255);
    canvas->SetFont(NAME_FONT_SIZE, FONT_WEIGHT, engine::WIDGET_FACE);
}

void CSeatBoard::Draw()
{
    engine::CCanvasObject* canvas = GetCanvas();
    if (m_chair < 0 || canvas == nullptr)
        return;
    DrawPlate(m_highlight ? 1 : m_hover ? 2 : 0);
    const auto width = static_cast<int32_t>(canvas->GetWidth());
    const auto height = static_cast<int32_t>(canvas->GetHeight());
    const client::CClientRecords& records = m_app.Records();
    const std::string name = records.GetName(records.Seat(m_chair), client::NameKind::User);
    if (!m_app.IsMatch()) {
        m_text_x = width / 2 + TEXT_X_STEP;
        canvas->DrawPlainText(width / 2, height / 2, name);
    } else {
        canvas->DrawPlainText(width / 2, 11, name);
        engine::ImageRef score_image;
        GetImage(score_image, MATCH_SCORE_IMAGE, m_highlight ? 1 : 0);
        canvas->DrawImage(score_image, width / 2 - score_image.width / 2, height - score_image.height / 2 - 3, 0, 0,
                          0.0, 1.0);
        const client::TablePlayerRecord* player = m_app.Records().FindTablePlayer(m_app.Records().GetSeatUserID(m_chair));
        char text[48];
        std::snprintf(text, sizeof text, "积分:%d", player != nullptr ? player->score : 0);
        canvas->SetTextColour(MATCH_TEXT_COLOUR, 255);
        canvas->SetFont(MATCH_FONT_SIZE, FONT_WEIGHT, engine::WIDGET_FACE);
        canvas->DrawText(width / 2, height / 2, text);
    }
    canvas->Invalidate();
}

void CSeatBoard::SetPlace(Point centre, double angle)
{
    const engine::EngineRect area = GetMainGameRect();
    SetAngle(angle);
    MoveTo(area.left + centre.x, area.top + centre.y);
    Invalidate();
}

void CSeatBoard::PlaceBoard()
{
    const engine::EngineRect area = GetMainGameRect();
    const int32_t width = area.Width();
    const int32_t height = area.Height();
    const int32_t plate = PlateHeight();
    const bool three = ChairCount() == 3;
    switch (m_view) {
    case 0:
        SetPlace({ width / 2, height - plate / 2 }, 0.0);
        break;
    case 1:
        SetPlace({ plate / 2 - 1, height / 2 }, 270.0);
        break;
    case 2:
        if (three)
            SetPlace({ width - plate / 2, height / 2 }, 90.0);
        else
            SetPlace({ width / 2, plate / 2 }, 0.0);
        break;
    case 3:
        SetPlace({ width - plate / 2, height / 2 }, 90.0);
        break;
    default:
        break;
    }
    PlaceMark();
}

void CSeatBoard::PlaceMark()
{
    engine::CImageObject* mark = GetMark();
    if (mark == nullptr)
        return;
    const engine::EngineRect area = GetMainGameRect();
    const int32_t width = area.Width();
    const int32_t height = area.Height();
    const int right_seat = ChairCount() == 3 ? 2 : 3;
    Point point { width / 2, height - MARK_INSET };
    if (m_view == 1)
        point = { MARK_INSET, height / 2 };
    else if (m_view == right_seat)
        point = { width - MARK_INSET, height / 2 };
    else if (m_view == 2)
        point = { width / 2, MARK_INSET };
    mark->MoveTo(area.left + point.x, area.top + point.y);
}

Point CSeatBoard::GetAnchorPoint(int mode) const
{
    const engine::EngineRect area = GetMainGameRect();
    const int32_t width = area.Width();
    const int32_t height = area.Height();
    const int right_seat = ChairCount() == 3 ? 2 : 3;
    Point point;
    if (m_view == 1) {
        point = { ANCHOR_INSET, height / 2 };
    } else if (m_view == right_seat) {
        point = { width - ANCHOR_INSET, height / 2 };
    } else if (m_view == 2) {
        point = { width / 2, ANCHOR_INSET };
    } else {
        const int32_t shift = m_app.Records().IsLookOn() ? 0 : mode == 0 ? 160 : mode == 1 ? 80 : 200;
        point = { width / 2 - shift, height - 48 - GetIntSetting(SETTING_LARGE_CARD_HEIGHT)
                                         - GetIntSetting(SETTING_BOARD_SMALL_HEIGHT) };
    }
    return Point { area.left + point.x, area.top + point.y };
}

void CSeatBoard::SetHighlight(bool on)
{
    m_highlight = on;
    Draw();
}

void CSeatBoard::ShowReady()
{
    ShowPassMark(READY_IMAGE);
}

void CSeatBoard::ShowPassMark(std::string_view image_name)
{
    engine::ImageRef image;
    GetImage(image, image_name, 0);
    engine::CImageObject* mark = GetMark();
    if (mark == nullptr) {
        mark = NewImageObject(image);
        if (mark == nullptr)
            return;
        m_mark_id = mark->GetId();
        mark->RaiseToTopLayer();
        mark->SetZ(MARK_DEPTH);
        AddFollower(mark, engine::VELOTRIX_LINK_OWNED);
    } else {
        mark->SetImage(image, engine::CImageObject::FitSize::Yes);
    }
    PlaceMark();
    mark->Activate();
    mark->Invalidate();
}

void CSeatBoard::HideMark()
{
    if (engine::CImageObject* mark = GetMark()) {
        mark->Deactivate();
        mark->Invalidate();
    }
}

std::string CSeatBoard::CutName(std::string_view name)
{
    const size_t length = name.find('\0') == std::string_view::npos ? name.size() : name.find('\0');
    name = name.substr(0, length);
    if (name.size() < NAME_LIMIT)
        return std::string(name);
    return platform::CutGbkText(name, NAME_KEPT) + "..";
}

void CSeatBoard::ShowMatchScore(int32_t, int32_t)
{
    Draw();
}

void CSeatBoard::SetStatusAnimation(const char* image_name, bool on)
{
    engine::CImageObject* status = GetStatusImage();
    if (status == nullptr)
        return;
    if (m_blink != 0) {
        CancelAction(m_blink);
        m_blink = 0;
    }
    if (on) {
        engine::ImageRef image;
        GetImage(image, image_name, 0);
        status->SetImage(image, engine::CImageObject::FitSize::Yes);
        status->Activate();
        m_blink = AddBlinkAction(status, 0.1, -1, 200, 0, 1.0, 0.3, nullptr);
        return;
    }
    const int32_t rank = m_app.Records().GetSeatDuan(m_chair);
    status->SetAlpha(1.0);
    if (rank >= 0) {
        engine::ImageRef badge;
        GetImage(badge, RANK_IMAGE, static_cast<uint32_t>(rank));
        status->SetImage(badge, engine::CImageObject::FitSize::Yes);
    } else {
        status->Deactivate();
    }
    status->Invalidate();
}

void CSeatBoard::ShowAutoPlay(bool on)
{
    SetStatusAnimation(AUTO_PLAY_IMAGE, on);
}

void CSeatBoard::ShowOffline(bool on)
{
    m_offline = on;
    SetStatusAnimation(OFFLINE_IMAGE, on);
}

void CSeatBoard::HideStatusImage()
{
    if (engine::CImageObject* status = GetStatusImage()) {
        status->Deactivate();
        status->Invalidate();
    }
}

void CSeatBoard::SetCardCount(int32_t count)
{
    engine::CGuiDigitText* display = GetCardCount();
    if (display == nullptr)
        return;
    if (count < 1) {
        display->Deactivate();
    } else {
        display->SetValue(count);
    }
    display->Invalidate();
}

void CSeatBoard::MoveCardCount(int32_t x, int32_t y)
{
    if (engine::CGuiDigitText* display = GetCardCount()) {
        display->MoveTo(x, y);
        display->Activate();
        display->Invalidate();
    }
}

int CSeatBoard::OnEvent(const engine::EngineEvent& event)
{
    if (event.id == SEAT_BOARD_HOVER_ON || event.id == SEAT_BOARD_HOVER_OFF) {
        m_hover = event.id == SEAT_BOARD_HOVER_ON;
        Draw();
    }
    return CGuiObject::OnEvent(event);
}

} // namespace scene

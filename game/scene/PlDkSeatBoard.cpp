#include "game/scene/PlDkSeatBoard.h"

#include <algorithm>
#include <cstdio>

#include "client/CPlDkApp.h"
#include "client/panel/CharacterImage.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/ImageObject.h"
#include "engine/core/ObjectDefs.h"
#include "engine/widgets/GuiDigitText.h"
#include "engine/widgets/WidgetSupport.h"
#include "game/scene/TableLayout.h"

namespace scene {

namespace {

constexpr const char* PLACING_IMAGE = "名次";
constexpr const char* BOMB_IMAGE = "炸弹图标";
constexpr const char* DIGIT_PEN = "DigitPen";
constexpr int32_t BOMB_NUMBER_X = 45;
constexpr int32_t BOMB_NUMBER_Y = 7;
constexpr int32_t MARK_INSET = 200;
constexpr int32_t MARK_INSET_LARGE = 222;
constexpr int32_t LARGE_CARD_HEIGHT = 132;
constexpr int32_t MARK_PORTRAIT_X = 127;
constexpr int32_t MARK_PORTRAIT_Y = 135;
constexpr int32_t PLACING_BOTTOM = 100;
constexpr int32_t PLACING_SIDE = 95;
constexpr double PART_DEPTH_STEP = 0.1;
constexpr uint32_t DIGITS_CENTRED = 2;
constexpr uint32_t DIGITS_RIGHT = 4;

} // namespace

CPlDkSeatBoard::CPlDkSeatBoard(client::CPlDkApp& app) : CSeatBoard(app), m_pldk_app(app) {}

engine::CGuiDigitText* CPlDkSeatBoard::GetScore() const
{
    return FindObjectAs<engine::CGuiDigitText>(m_score_id);
}
engine::CGuiDigitText* CPlDkSeatBoard::GetPoints() const
{
    return FindObjectAs<engine::CGuiDigitText>(m_points_id);
}
engine::CCanvasObject* CPlDkSeatBoard::GetBombCanvas() const
{
    return FindObjectAs<engine::CCanvasObject>(m_bomb_id);
}
engine::CCanvasObject* CPlDkSeatBoard::GetPortrait() const
{
    return FindObjectAs<engine::CCanvasObject>(m_portrait_id);
}
engine::CImageObject* CPlDkSeatBoard::GetPlacing() const
{
    return FindObjectAs<engine::CImageObject>(m_placing_id);
}

void CPlDkSeatBoard::CreateChildren(int view)
{
    m_view = view;
    engine::CCanvasObject* canvas = MakeCanvas();
    if (canvas == nullptr)
        return;
    const double part_depth = canvas->GetZ() + PART_DEPTH_STEP;
    if (engine::CCanvasObject* bomb = NewCanvasObject(BOMB_WIDTH, BOMB_HEIGHT, engine::WIDGET_COLOUR_KEY)) {
        m_bomb_id = bomb->GetId();
        bomb->SetZ(part_depth);
        canvas->AddFollower(bomb, SEAT_PART_LINK_FLAGS | engine::VELOTRIX_LINK_OWNED);
        bomb->Deactivate();
    }
    if (engine::CCanvasObject* portrait = NewCanvasObject(PORTRAIT_WIDTH, PORTRAIT_HEIGHT, engine::WIDGET_COLOUR_KEY)) {
        m_portrait_id = portrait->GetId();
        portrait->SetZ(part_depth);
        portrait->SetAngle(0.0);
        AddFollower(portrait, engine::VELOTRIX_LINK_OWNED); // Placed by the board, not following it.
        portrait->Deactivate();
    }
    if (engine::CGuiDigitText* score = MakeDigits("ScoreDigit", DIGITS_CENTRED, "ScoreUnite", "分", *canvas, *canvas,
                                                  SEAT_PART_LINK_FLAGS))
        m_score_id = score->GetId();
    if (engine::CGuiDigitText* count = MakeDigits("digit_restcard", DIGITS_RIGHT, "word_zhang", "张", *canvas, *this, 0))
        m_count_id = count->GetId();
    if (engine::CGuiDigitText* points = MakeDigits("digit_restcard", DIGITS_RIGHT, "word_fen", "分", *canvas, *this, 0))
        m_points_id = points->GetId();
    MakeStatusImage(*canvas);
    FinishCanvas(*canvas);
}

void CPlDkSeatBoard::Hide(engine::CEngineObject* part)
{
    if (part != nullptr) {
        part->Deactivate();
        part->Invalidate();
    }
}

void CPlDkSeatBoard::SetPlayer(int chair)
{
    if (chair == -1)
        return;
    CSeatBoard::SetPlayer(chair);
    m_turned_mark = false;
    if (engine::CGuiDigitText* score = GetScore()) {
        score->StopCounting();
        score->SetValue(0);
        Hide(score);
    }
    Hide(GetBombCanvas());
    DrawPortrait();
}

void CPlDkSeatBoard::ClearPlayer()
{
    CSeatBoard::ClearPlayer();
    if (engine::CGuiDigitText* score = GetScore())
        score->StopCounting();
    Hide(GetScore());
    Hide(GetBombCanvas());
    Hide(GetCardCount());
    Hide(GetPoints());
    Hide(GetPlacing());
    HidePortrait();
    m_turned_mark = false;
}

void CPlDkSeatBoard::ResetRound()
{
    m_highlight = false;
    if (engine::CGuiDigitText* score = GetScore()) {
        score->StopCounting();
        score->SetValue(0);
        Hide(score);
    }
    Hide(GetCardCount());
    Draw();
    HideReady();
    HidePlacing();
    ShowBombCount(0);
}

void CPlDkSeatBoard::Draw()
{
    engine::CCanvasObject* canvas = GetCanvas();
    if (m_chair < 0 || canvas == nullptr)
        return;
    DrawPlate(static_cast<int32_t>(PlateFrame(m_turned_mark, m_hover)));
    const auto width = static_cast<int32_t>(canvas->GetWidth());
    const auto height = static_cast<int32_t>(canvas->GetHeight());
    m_text_x = width / 2 + 56;
    // From the plate's middle a long name is cut, so that it ends on the plate.
    const client::CClientRecords& records = m_app.Records();
    const std::string name = records.GetName(records.Seat(m_chair), client::NameKind::User);
    canvas->DrawPlainText(width / 2, height / 2, CutName(name));
    canvas->Invalidate();
}

void CPlDkSeatBoard::SetTurnedCardMark(bool on)
{
    m_turned_mark = on;
    Draw();
}

void CPlDkSeatBoard::PlaceBoard()
{
    const engine::EngineRect area = GetMainGameRect();
    const int32_t width = area.Width();
    const int32_t height = area.Height();
    const int32_t plate = PlateHeight();
    engine::CCanvasObject* portrait = GetPortrait();
    const double portrait_width = portrait != nullptr ? portrait->GetWidth() : 0.0;
    const double portrait_height = portrait != nullptr ? portrait->GetHeight() : 0.0;
    Point board;
    double angle = 0.0;
    double portrait_x = 0.0;
    double portrait_y = 0.0;
    switch (m_view) {
    case 0:
        board = { width / 2, height - plate / 2 };
        portrait_x = board.x;
        portrait_y = board.y - plate / 2 - portrait_height * 0.5;
        break;
    case 1:
        board = { plate / 2 - 1, height / 2 };
        angle = 270.0;
        portrait_x = board.x + plate / 2 + portrait_width * 0.5;
        portrait_y = board.y;
        break;
    case 2:
        board = { width / 2, plate / 2 + 1 };
        portrait_x = board.x;
        portrait_y = board.y + plate / 2 + portrait_height * 0.5;
        break;
    case 3:
        board = { width - plate / 2, height / 2 };
        angle = 90.0;
        portrait_x = board.x - plate / 2 - portrait_width * 0.5;
        portrait_y = board.y;
        break;
    default:
        return;
    }
    if (portrait != nullptr)
        portrait->MoveTo(area.left + portrait_x, area.top + portrait_y);
    SetPlace(board, angle);
    PlaceMark();
    Draw();
    PlacePlacing();
    if (m_chair >= 0)
        LayoutScore();
}

int32_t CPlDkSeatBoard::MarkInset() const
{
    return GetIntSetting(SETTING_LARGE_CARD_HEIGHT) >= LARGE_CARD_HEIGHT ? MARK_INSET_LARGE : MARK_INSET;
}

void CPlDkSeatBoard::PlaceMark()
{
    engine::CImageObject* mark = GetMark();
    if (mark == nullptr)
        return;
    const engine::EngineRect area = GetMainGameRect();
    const int32_t width = area.Width();
    const int32_t height = area.Height();
    const int32_t inset = MarkInset();
    Point point;
    switch (m_view) {
    case 0:
        point = IsPortraitShown() ? Point { width / 2 + MARK_PORTRAIT_X, height - PlateHeight() - MARK_PORTRAIT_Y }
                                  : Point { width / 2, height - inset };
        break;
    case 1:
        point = { inset, height / 2 };
        break;
    case 2:
        point = { width / 2, inset };
        break;
    case 3:
        point = { width - inset, height / 2 };
        break;
    default:
        return;
    }
    mark->MoveTo(area.left + point.x, area.top + point.y);
}

Point CPlDkSeatBoard::GetAnchorPoint(int mode) const
{
    const engine::EngineRect area = GetMainGameRect();
    const int32_t width = area.Width();
    const int32_t height = area.Height();
    Point point;
    switch (m_view) {
    case 1:
        point = { ANCHOR_INSET, height / 2 };
        break;
    case 2:
        point = { width / 2, ANCHOR_INSET };
        break;
    case 3:
        point = { width - ANCHOR_INSET, height / 2 };
        break;
    default: {
        const int32_t shift = m_app.Records().IsLookOn() ? 0 : mode == 1 ? 80 : 160;
        point = { width / 2 - shift, height - 48 - GetIntSetting(SETTING_LARGE_CARD_HEIGHT)
                                         - GetIntSetting(SETTING_BOARD_SMALL_HEIGHT) };
        break;
    }
    }
    return Point { area.left + point.x, area.top + point.y };
}

void CPlDkSeatBoard::PlacePlacing()
{
    engine::CImageObject* placing = GetPlacing();
    if (placing == nullptr)
        return;
    const engine::EngineRect area = GetMainGameRect();
    const int32_t width = area.Width();
    const int32_t height = area.Height();
    Point point { width / 2, height - PLACING_BOTTOM };
    if (m_view == 1)
        point = { PLACING_SIDE, height / 2 };
    else if (m_view == 2)
        point = { width / 2, PLACING_BOTTOM };
    else if (m_view == 3)
        point = { width - PLACING_SIDE, height / 2 };
    placing->MoveTo(area.left + point.x, area.top + point.y);
}

void CPlDkSeatBoard::ShowPlacing(int32_t place)
{
    engine::ImageRef image;
    GetImage(image, PLACING_IMAGE, static_cast<uint32_t>(std::max(place, 0)));
    engine::CImageObject* placing = GetPlacing();
    if (placing == nullptr) {
        placing = NewImageObject(image);
        if (placing == nullptr)
            return;
        m_placing_id = placing->GetId();
        placing->RaiseToTopLayer();
        placing->SetZ(MARK_DEPTH);
        AddFollower(placing, engine::VELOTRIX_LINK_OWNED);
    } else {
        placing->SetImage(image, engine::CImageObject::FitSize::Yes);
    }
    PlacePlacing();
    placing->Activate();
    placing->Invalidate();
}

void CPlDkSeatBoard::HidePlacing()
{
    Hide(GetPlacing());
}

void CPlDkSeatBoard::DrawPortrait()
{
    const int32_t character = GetCharacter();
    engine::CCanvasObject* portrait = GetPortrait();
    if (character == 0 || character == 1 || m_app.Links().frame_ui == nullptr || portrait == nullptr)
        return;
    portrait->Clear();
    std::string name;
    panel::GetCharacterImagePath(m_app, name, character, panel::CHARACTER_IMAGE_LARGE);
    if (!name.empty()) {
        engine::ImageRef image;
        GetImage(image, name, 0);
        portrait->DrawImage(image, 0, 0, PORTRAIT_WIDTH, PORTRAIT_HEIGHT, 0.0, 1.0);
    }
    portrait->SetTextColour(0xFF, 255);
    portrait->Activate();
    portrait->Invalidate();
}

void CPlDkSeatBoard::HidePortrait()
{
    Hide(GetPortrait());
}

bool CPlDkSeatBoard::IsPortraitShown() const
{
    const engine::CCanvasObject* portrait = GetPortrait();
    return portrait != nullptr && portrait->IsActive();
}

int32_t CPlDkSeatBoard::GetCountWidth() const
{
    const engine::CGuiDigitText* count = GetCardCount();
    if (count == nullptr)
        return 0;
    const engine::CGuiDigitText* points = GetPoints();
    return std::max(static_cast<int32_t>(count->GetWidth()),
                    points != nullptr ? static_cast<int32_t>(points->GetWidth()) : 0);
}

void CPlDkSeatBoard::SetPoints(int32_t points)
{
    engine::CGuiDigitText* display = GetPoints();
    if (display == nullptr)
        return;
    if (points < 1)
        display->Deactivate();
    else
        display->SetValue(points);
    display->Invalidate();
}

void CPlDkSeatBoard::MovePoints(int32_t x, int32_t y)
{
    if (engine::CGuiDigitText* display = GetPoints()) {
        display->MoveTo(x, y);
        display->Activate();
        display->Invalidate();
    }
}

void CPlDkSeatBoard::HidePoints()
{
    Hide(GetPoints());
}

void CPlDkSeatBoard::AddScore(int32_t delta)
{
    engine::CGuiDigitText* score = GetScore();
    if (delta == 0 || score == nullptr)
        return;
    score->Activate();
    score->StopCounting();
    const int32_t current = score->GetValue();
    // The target as the 32-bit sum wraps; the count lands on it exactly.
    const auto target = static_cast<int32_t>(static_cast<uint32_t>(current) + static_cast<uint32_t>(delta));
    if (m_app.IsReplayMode()) {
        score->SetValue(target);
    } else {
        engine::EngineEvent done;
        engine::MakeEngineEvent(&done, GetId(), SEAT_BOARD_SCORE_DONE, 0, 0);
        (void)score->CountTo(target, delta / 10 + 1, SCORE_STEP_MS, &done);
    }
    LayoutScore();
}

void CPlDkSeatBoard::LayoutScore()
{
    engine::CGuiDigitText* score = GetScore();
    if (score == nullptr)
        return;
    if (m_chair >= 0 && m_pldk_app.GetGameState().IsSeatFlagged(m_chair))
        score->Activate();
    const double angle = GetAngle();
    SetAngle(0.0);
    // The score ends at the plate's left end (above the left seat's plate
    // and below the right one's once turned with them), off the plate.
    const engine::CEngineObject* drawn = score->GetVisual();
    score->MoveTo(GetLeft() - (drawn != nullptr ? drawn->GetWidth() : score->GetWidth()) / 2, GetY());
    if (engine::CCanvasObject* bomb = GetBombCanvas()) {
        const double x = score->IsActive() ? score->GetX() + score->GetWidth() + BOMB_WIDTH / 2 : score->GetX();
        bomb->MoveTo(x, GetY());
    }
    SetAngle(angle);
    Invalidate();
}

void CPlDkSeatBoard::ShowBombCount(int32_t count)
{
    engine::CCanvasObject* bomb = GetBombCanvas();
    if (bomb == nullptr)
        return;
    if (count == 0) {
        Hide(bomb);
        return;
    }
    bomb->Clear();
    engine::ImageRef icon;
    GetImage(icon, BOMB_IMAGE, 0);
    bomb->DrawImage(icon, 0, 0, 0, 0, 0.0, 1.0);
    if (auto* pen = dynamic_cast<engine::CGuiImageText*>(FindObjectByName(DIGIT_PEN))) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", count);
        pen->DrawGlyphs(*bomb, BOMB_NUMBER_X, BOMB_NUMBER_Y, number, engine::CGuiImageText::ALIGN_LEFT);
    }
    bomb->Activate();
    bomb->Invalidate();
    LayoutScore();
}

int CPlDkSeatBoard::OnEvent(const engine::EngineEvent& event)
{
    if (event.id == SEAT_BOARD_SCORE_DONE) {
        LayoutScore();
        return 1;
    }
    return CSeatBoard::OnEvent(event);
}

} // namespace scene

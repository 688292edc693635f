// The round's result box: its objects, its events and its repainting, and
// the table's showing of it at a round's end.
#include "game/scene/PlDkResultBox.h"

#include <string>

#include "client/CGameApp.h"
#include "client/panel/CharacterImage.h"
#include "engine/core/CanvasObject.h"
#include "engine/core/EngineEntity.h"
#include "engine/core/ObjectDefs.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiImageText.h"
#include "engine/widgets/WidgetSupport.h"
#include "client/CGameStateHolder.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/ResultBoxPaint.h"
#include "game/scene/SceneWidgets.h"

namespace scene {
namespace {

constexpr uint32_t BOX_COLOUR_KEY = 0xFF00FF;
/// The buttons' places: the close button from the box's right and top, the
/// OK and continue buttons from its centre and top.
constexpr double CLOSE_FROM_RIGHT = 30;
constexpr double CLOSE_BELOW_TOP = 21;
constexpr double BUTTON_ROW_BELOW_TOP = 282;
constexpr double BUTTON_FROM_CENTRE = 65;
/// The pictures and buttons stand this far above the box: at the box's own
/// depth the hit test finds the box (the older object wins a tie), so they
/// would never be hovered or pressed.
constexpr double PART_ABOVE_BOX = 0.01;

} // namespace

engine::CCanvasObject* CPlDkResultBox::GetBox() const
{
    return m_box_id != 0 ? m_creator.FindObjectAs<engine::CCanvasObject>(m_box_id) : nullptr;
}

engine::CCanvasObject* CPlDkResultBox::GetPicture(int row) const
{
    if (row < 0 || row >= RESULT_BOX_ROWS || m_picture_ids[size_t(row)] == 0)
        return nullptr;
    return m_creator.FindObjectAs<engine::CCanvasObject>(m_picture_ids[size_t(row)]);
}

engine::CGuiButton* CPlDkResultBox::GetButton(Part part) const
{
    const auto index = size_t(part);
    if (index >= m_button_ids.size() || m_button_ids[index] == 0)
        return nullptr;
    return m_creator.FindObjectAs<engine::CGuiButton>(m_button_ids[index]);
}

engine::CCanvasObject* CPlDkResultBox::Build()
{
    engine::ImageRef image;
    m_creator.GetImage(image, RESULT_BOX_IMAGE, 0);
    engine::CCanvasObject* box = m_creator.NewCanvasObject(image.width, image.height, BOX_COLOUR_KEY);
    if (box == nullptr)
        return nullptr;
    m_box_id = box->GetId();
    box->RaiseToTopLayer();
    engine::PlaceAtDepth(*box, BOX_DEPTH);
    box->Invalidate();
    // The box drags itself (the engine's drag moves it and its followers).
    box->SetDraggable(true);
    box->AddEventRoute(engine::VELOTRIX_EVENT_RBUTTON_DOWN, m_target, GAMEMSG_RESULT_CLOSE, 0, 0);

    for (int row = 0; row < RESULT_BOX_ROWS; ++row) {
        engine::CCanvasObject* picture = m_creator.NewCanvasObject(PICTURE_SIZE, PICTURE_SIZE, BOX_COLOUR_KEY);
        if (picture == nullptr)
            continue;
        m_picture_ids[size_t(row)] = picture->GetId();
        picture->RaiseToTopLayer();
        picture->AddEventRoute(engine::VELOTRIX_EVENT_MOUSE_ENTER, m_target, GAMEMSG_SHOW_CHARACTER, 0, 0);
        picture->AddEventRoute(engine::VELOTRIX_EVENT_MOUSE_LEAVE, m_target, GAMEMSG_HIDE_CHARACTER, 0, 0);
        AttachPart(*box, *picture, box->GetX(), box->GetY(), PART_ABOVE_BOX);
    }

    const struct {
        Part part;
        const char* image;
        double x;
        double y;
    } buttons[] = {
        { Part::Close, RESULT_CLOSE_IMAGE, box->GetRight() - CLOSE_FROM_RIGHT, box->GetTop() + CLOSE_BELOW_TOP },
        { Part::Ok, RESULT_OK_IMAGE, box->GetX() - BUTTON_FROM_CENTRE, box->GetTop() + BUTTON_ROW_BELOW_TOP },
        { Part::Continue, RESULT_CONTINUE_IMAGE, box->GetX() + BUTTON_FROM_CENTRE,
          box->GetTop() + BUTTON_ROW_BELOW_TOP },
    };
    for (const auto& info : buttons) {
        engine::EngineEvent click;
        engine::MakeEngineEvent(&click, m_target, GAMEMSG_RESULT_CLOSE, 0, 0);
        engine::CGuiButton* button = MakeSkinButton(m_creator, info.image, click, 0);
        if (button == nullptr)
            continue;
        m_button_ids[size_t(info.part)] = button->GetId();
        button->SetSound(engine::CGuiButton::SOUND_ENTER, BUTTON_HOVER_SOUND);
        button->SetSound(engine::CGuiButton::SOUND_PRESS, BUTTON_CLICK_SOUND);
        button->RaiseToTopLayer();
        AttachPart(*box, *button, info.x, info.y, PART_ABOVE_BOX);
    }
    return box;
}

void CPlDkResultBox::DrawPicture(engine::CCanvasObject& box, int row, const ResultRowPlan& plan)
{
    engine::CCanvasObject* picture = GetPicture(row);
    if (picture == nullptr)
        return;
    picture->Clear();
    if (plan.present) {
        std::string name;
        panel::GetCharacterImagePath(m_app, name, plan.character, panel::CHARACTER_IMAGE_SMALL);
        if (!name.empty()) {
            engine::ImageRef image;
            m_creator.GetImage(image, name, 0);
            picture->DrawImage(image, 0, 0, 0, 0, 0.0, 1.0);
        }
        picture->MoveTo(box.GetLeft() + plan.picture_x, box.GetTop() + plan.picture_y);
    }
    picture->RemoveEventRoutes(engine::VELOTRIX_EVENT_MOUSE_ENTER);
    picture->AddEventRoute(engine::VELOTRIX_EVENT_MOUSE_ENTER, m_target, GAMEMSG_SHOW_CHARACTER,
                           static_cast<uintptr_t>(static_cast<uint32_t>(plan.character)), 0);
    picture->Invalidate();
}

engine::CCanvasObject* CPlDkResultBox::Show(const ResultBoxPlan& plan, engine::CGuiImageText* digit_pen)
{
    engine::CCanvasObject* box = GetBox();
    if (box == nullptr)
        box = Build();
    if (box == nullptr)
        return nullptr;

    engine::ImageRef image;
    m_creator.GetImage(image, RESULT_BOX_IMAGE, 0);
    PaintResultBox(*box, image, plan, digit_pen);
    for (int row = 0; row < RESULT_BOX_ROWS; ++row)
        DrawPicture(*box, row, plan.rows[size_t(row)]);
    box->Activate();
    box->Invalidate();
    // After the box: activating it activates its followers.
    if (engine::CGuiButton* button = GetButton(Part::Continue)) {
        engine::EngineEvent click;
        engine::MakeEngineEvent(&click, m_target, plan.continue_event, 0, 0);
        button->SetClickEvent(click);
        if (plan.continue_shown)
            button->Activate();
        else
            button->Deactivate();
        button->Invalidate();
    }
    return box;
}

void CPlDkGameScene::ShowResultBox()
{
    if (m_result_parts == nullptr)
        m_result_parts = std::make_unique<CPlDkResultBox>(*this, GetId(), App());
    const bool first = m_result_parts->GetBox() == nullptr;

    const client::CClientRecords& records = App().Records();
    ResultBoxInput input;
    const int own = OwnChair();
    input.row_chairs = { own, PrevChair(PrevChair(own)), NextChair(own), PrevChair(own) };
    for (int chair = 0; chair < RESULT_BOX_ROWS; ++chair) {
        input.names[size_t(chair)] = records.GetName(records.Seat(chair), client::NameKind::User);
        const client::GameUserRecord* seat = records.Seat(chair);
        input.characters[size_t(chair)] = seat != nullptr ? seat->statistics[2] : 0;
    }
    if (const client::CGameStateHolder* state = GetGameState())
        input.result = state->GetResultBlock();
    input.silver_room = records.IsSilverRoom();
    input.look_on = records.IsLookOn();
    input.match_room = App().IsMatch();

    auto* pen = dynamic_cast<engine::CGuiImageText*>(FindObjectByName("DigitPen"));
    engine::CCanvasObject* box = m_result_parts->Show(MakeResultBoxPlan(input), pen);
    if (box != nullptr && first) {
        // The table lays it out from now on (centred on its area).
        SetResultBox(box);
        const engine::EngineRect area = GetArea();
        Place(box, area.left + area.Width() / 2, area.top + area.Height() / 2);
    }
    StartCountdown();
}

} // namespace scene

#include "client/panel/NoticeBoxLook.h"

#include "engine/core/CanvasObject.h"
#include "engine/core/EngineEntity.h"
#include "engine/widgets/GuiMessageBox.h"
#include "engine/widgets/GuiTextButton.h"

namespace panel {

namespace {

constexpr uint32_t BOX_BACKGROUND = 0xF0F0F0;
constexpr uint32_t BOX_BORDER = 0x404040;
// Half the gap between the two buttons' centres: room for the countdown
// (beside OK) between them.
constexpr int32_t BUTTON_OFFSET_X = 70;
constexpr int32_t BUTTON_OFFSET_BOTTOM = 25;

} // namespace

int32_t DrawNoticeBoxBack(engine::CEngineEntity& owner, engine::CCanvasObject& canvas, const std::string& picture,
                          int32_t size)
{
    canvas.SetBackgroundColour(BOX_BACKGROUND);
    canvas.Clear();
    canvas.DrawBorder(BOX_BORDER, 1);
    if (picture.empty())
        return NOTICE_BOX_MARGIN;
    engine::ImageRef image;
    owner.GetImage(image, picture, 0);
    if (image.record == nullptr)
        return NOTICE_BOX_MARGIN;
    canvas.DrawImage(image, NOTICE_BOX_MARGIN, NOTICE_BOX_MARGIN, size, size, 0.0, 1.0);
    return NOTICE_BOX_MARGIN * 2 + size;
}

int32_t NoticeBoxTextBottom(const engine::CCanvasObject& canvas)
{
    // The buttons are centred BUTTON_OFFSET_BOTTOM above the box's bottom.
    return canvas.GetCanvasHeight() - BUTTON_OFFSET_BOTTOM - engine::CGuiMessageBox::BUTTON_HEIGHT / 2;
}

void PlaceNoticeBoxButtons(engine::CGuiMessageBox& box)
{
    const double bottom = box.GetBottom() - BUTTON_OFFSET_BOTTOM;
    engine::CGuiTextButton* ok = box.GetOkButton();
    engine::CGuiTextButton* cancel = box.GetCancelButton();
    if (ok != nullptr)
        ok->MoveTo(cancel != nullptr ? box.GetX() - BUTTON_OFFSET_X : box.GetX(), bottom);
    if (cancel != nullptr)
        cancel->MoveTo(ok != nullptr ? box.GetX() + BUTTON_OFFSET_X : box.GetX(), bottom);
    box.SetCountdownColour(NOTICE_BOX_TEXT_COLOUR);
}

} // namespace panel

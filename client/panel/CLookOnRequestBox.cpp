#include "client/panel/CLookOnRequestBox.h"

#include "client/panel/NoticeBoxLook.h"
#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiTextButton.h"
#include "engine/widgets/WidgetSupport.h"
#include "platform/Text.h"

namespace panel {

namespace {

constexpr int32_t TITLE_SIZE = 16;
constexpr int32_t TEXT_SIZE = 12;
constexpr size_t MAX_NAME_BYTES = 32;

} // namespace

void CLookOnRequestBox::Setup(const std::string& user_name, const std::string& picture,
                              const engine::EngineEvent& consent, const engine::EngineEvent& refusal)
{
    m_user_name = platform::CutGbkText(user_name, MAX_NAME_BYTES);
    engine::CCanvasObject* canvas = Create(WIDTH, HEIGHT, &consent, &refusal, 0);
    if (canvas != nullptr) {
        const int32_t text_left = DrawNoticeBoxBack(*this, *canvas, picture, PICTURE_SIZE);
        canvas->SetMargins(text_left, NOTICE_BOX_MARGIN);
        canvas->SetTextColour(NOTICE_BOX_TEXT_COLOUR, 255);
        canvas->SetFont(TITLE_SIZE, 700, engine::WIDGET_FACE);
        canvas->DrawText(0, NOTICE_BOX_MARGIN, "请求看牌");
        canvas->SetFont(TEXT_SIZE, 400, engine::WIDGET_FACE);
        canvas->DrawPlainText(0, NOTICE_BOX_MARGIN + TITLE_SIZE + 8, m_user_name);
        canvas->Invalidate();
    }
    if (engine::CGuiTextButton* agree = GetOkButton())
        agree->SetCaption("同意");
    if (engine::CGuiTextButton* refuse = GetCancelButton())
        refuse->SetCaption("拒绝");
    PlaceNoticeBoxButtons(*this);
}

} // namespace panel

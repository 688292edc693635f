#include "client/panel/CLookOnRequestBox.h"

#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiTextButton.h"
#include "engine/widgets/WidgetSupport.h"
#include "platform/Text.h"

namespace panel {

namespace {

constexpr int32_t MARGIN = 12;
constexpr int32_t TITLE_SIZE = 16;
constexpr int32_t TEXT_SIZE = 12;
constexpr size_t MAX_NAME_BYTES = 32;
constexpr int32_t BUTTON_OFFSET_X = 60;
constexpr int32_t BUTTON_OFFSET_BOTTOM = 25;

} // namespace

void CLookOnRequestBox::Setup(const std::string& user_name, const std::string& picture,
                              const engine::EngineEvent& consent, const engine::EngineEvent& refusal)
{
    m_user_name = platform::CutGbkText(user_name, MAX_NAME_BYTES);
    engine::CCanvasObject* canvas = Create(WIDTH, HEIGHT, &consent, &refusal, 0);
    if (canvas != nullptr) {
        canvas->SetBackgroundColour(0xF0F0F0);
        canvas->Clear();
        canvas->DrawBorder(0x404040, 1);
        int32_t text_left = MARGIN;
        if (!picture.empty()) {
            engine::ImageRef image;
            GetImage(image, picture, 0);
            if (image.record != nullptr) {
                canvas->DrawImage(image, MARGIN, MARGIN, PICTURE_SIZE, PICTURE_SIZE, 0.0, 1.0);
                text_left += PICTURE_SIZE + MARGIN;
            }
        }
        canvas->SetMargins(text_left, MARGIN);
        canvas->SetTextColour(0x000000, 255);
        canvas->SetFont(TITLE_SIZE, 700, engine::WIDGET_FACE);
        canvas->DrawText(0, MARGIN, "请求看牌");
        canvas->SetFont(TEXT_SIZE, 400, engine::WIDGET_FACE);
        canvas->DrawText(0, MARGIN + TITLE_SIZE + 8, m_user_name);
        canvas->Invalidate();
    }
    const double bottom = GetBottom() - BUTTON_OFFSET_BOTTOM;
    if (engine::CGuiTextButton* agree = GetOkButton()) {
        agree->SetCaption("同意");
        agree->MoveTo(GetX() - BUTTON_OFFSET_X, bottom);
    }
    if (engine::CGuiTextButton* refuse = GetCancelButton()) {
        refuse->SetCaption("拒绝");
        refuse->MoveTo(GetX() + BUTTON_OFFSET_X, bottom);
    }
}

} // namespace panel

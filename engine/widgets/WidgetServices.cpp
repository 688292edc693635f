#include "engine/widgets/WidgetServices.h"

#include <memory>

#include "engine/core/EngineEntity.h"
#include "engine/widgets/GuiMessageBox.h"
#include "engine/widgets/GuiTextButton.h"

namespace engine {

SystemBoxParts MakeSystemMessageBox(CEngineEntity& owner, int32_t width, int32_t height, const EngineEvent* ok_event,
                                    const EngineEvent* cancel_event, int32_t seconds)
{
    auto* box = dynamic_cast<CGuiMessageBox*>(owner.RegisterObject(std::make_unique<CGuiMessageBox>()));
    if (box == nullptr)
        return {};
    CCanvasObject* canvas = box->Create(width, height, ok_event, cancel_event, seconds);
    return SystemBoxParts { box, canvas, box->GetOkButton(), box->GetCancelButton() };
}

void InstallWidgetServices()
{
    CSystemBoxes::InstallMaker(&MakeSystemMessageBox);
}

} // namespace engine

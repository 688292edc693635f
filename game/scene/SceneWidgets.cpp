#include "game/scene/SceneWidgets.h"

#include <memory>

#include "engine/core/EngineEntity.h"
#include "engine/widgets/GuiButton.h"
#include "engine/widgets/WidgetSupport.h"

namespace scene {

engine::CGuiButton* MakeSkinButton(engine::CEngineEntity& creator, std::string_view image_name,
                                   const engine::EngineEvent& click, uint32_t button_flags)
{
    auto* button = dynamic_cast<engine::CGuiButton*>(creator.RegisterObject(std::make_unique<engine::CGuiButton>()));
    if (button == nullptr)
        return nullptr;
    engine::ImageRef image;
    creator.GetImage(image, image_name, 0);
    button->Create(image, &click, button_flags, SKIN_BUTTON_IMAGE_FLAGS);
    return button;
}

void AttachPart(engine::CEngineObject& leader, engine::CEngineObject& part, double x, double y, double dz)
{
    part.MoveTo(x, y);
    engine::PlaceAtDepth(part, leader.GetZ() + dz);
    leader.AddFollower(&part, BOARD_PART_LINK_FLAGS);
}

} // namespace scene

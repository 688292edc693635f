#include "engine/core/GuiContainer.h"

namespace engine {

void CGuiContainer::SetArea(const EngineRect& area)
{
    m_area = area;
    OnAreaChanged();
}

} // namespace engine

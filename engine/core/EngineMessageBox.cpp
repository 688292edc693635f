#include "engine/core/EngineLog.h"
#include "platform/MessageBox.h"

namespace engine {

void ShowEngineMessageBox(std::string_view text, std::string_view caption, platform::WindowHandle owner,
                          uint32_t type)
{
    platform::ShowMessageBox(owner, text, caption, type);
}

} // namespace engine

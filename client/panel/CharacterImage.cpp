#include "client/panel/CharacterImage.h"

#include "client/CGameApp.h"
#include "platform/Path.h"

namespace panel {

void GetCharacterImagePath(const client::CGameApp& app, std::string& name, int32_t character, int32_t image_type)
{
    name.clear();
    if (character <= 1)
        return;
    const char* file = nullptr;
    switch (image_type) {
    case CHARACTER_IMAGE_SMALL:
        file = "small.png";
        break;
    case CHARACTER_IMAGE_LARGE:
        file = "large.png";
        break;
    default:
        return;
    }
    std::string path = app.GetCharacterDir(character) + file;
    if (platform::PathExists(path))
        name = std::move(path);
}

} // namespace panel

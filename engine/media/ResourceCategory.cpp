#include "engine/media/ResourceCategory.h"

#include "engine/core/EnginePath.h"
#include "engine/core/NameKey.h"

#include <array>
#include <utility>

namespace engine {

namespace {

using Pair = std::pair<std::string_view, std::string_view>;

// The 32 pairs, in the order LookupCategory walks them.
constexpr std::array<Pair, 32> CATEGORY_TABLE { {
    { ".pps", CATEGORY_IMAGE }, { ".png", CATEGORY_IMAGE }, { ".jpg", CATEGORY_IMAGE },
    { ".jpeg", CATEGORY_IMAGE }, { ".gif", CATEGORY_IMAGE }, { ".bmp", CATEGORY_IMAGE },
    { ".mng", CATEGORY_IMAGE }, { ".ico", CATEGORY_IMAGE }, { ".tga", CATEGORY_IMAGE },
    { ".tif", CATEGORY_IMAGE }, { ".pcx", CATEGORY_IMAGE }, { ".wbmp", CATEGORY_IMAGE },
    { ".wmf", CATEGORY_IMAGE },
    { ".mp3", CATEGORY_SOUND }, { ".wav", CATEGORY_SOUND }, { ".ogg", CATEGORY_SOUND }, { ".mid", CATEGORY_SOUND },
    { ".lua", CATEGORY_SCRIPT }, { ".kos", CATEGORY_SCRIPT },
    { ".swf", CATEGORY_FLASH }, { ".flv", CATEGORY_FLASH },
    { ".avi", CATEGORY_VIDEO }, { ".rm", CATEGORY_VIDEO }, { ".rmvb", CATEGORY_VIDEO }, { ".mpeg", CATEGORY_VIDEO },
    { ".htm", CATEGORY_WEB }, { ".asp", CATEGORY_WEB }, { ".html", CATEGORY_WEB }, { ".aspx", CATEGORY_WEB },
    { ".jsp", CATEGORY_WEB }, { ".php", CATEGORY_WEB }, { ".cgi", CATEGORY_WEB },
} };

constexpr std::array<Pair, 4> EXTRA_CATEGORIES { {
    { ".txt", CATEGORY_TEXT }, { ".doc", CATEGORY_TEXT }, { ".ini", CATEGORY_INI }, { ".koi", CATEGORY_INI },
} };

} // namespace

uint32_t LookupCategory(uint32_t extension_hash)
{
    for (const auto& [extension, category] : CATEGORY_TABLE) {
        if (StringHash(extension) == extension_hash)
            return StringHash(category);
    }
    return extension_hash;
}

int CategoryOf(std::string& name, std::string_view extension)
{
    for (const auto& [known, category] : CATEGORY_TABLE) {
        if (known == extension) {
            name += category;
            return 1;
        }
    }
    for (const auto& [known, category] : EXTRA_CATEGORIES) {
        if (known == extension) {
            name += category;
            return 1;
        }
    }
    return 0;
}

std::string ResourceNameOf(std::string_view path, std::string_view name)
{
    std::string result = name.empty() ? GetFileTitleOf(path) : std::string(name);
    CategoryOf(result, GetFileExtLower(path));
    return result;
}

} // namespace engine

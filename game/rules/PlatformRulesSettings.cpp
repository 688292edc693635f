#include "game/rules/PlatformRulesSettings.h"

#include "platform/Ini.h"
#include "platform/Path.h"

#include <climits>
#include <unistd.h>

namespace rules {

std::string CPlatformRulesSettings::GetProgramFilePath() const
{
    char buffer[PATH_MAX] {};
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return {};
    auto path = platform::FromOsPath(std::string_view(buffer, static_cast<size_t>(length)));
    return path ? *path : std::string {};
}

int CPlatformRulesSettings::GetProfileInt(std::string_view section, std::string_view key, int default_value,
                                          std::string_view path) const
{
    return platform::GetProfileInt(section, key, default_value, path);
}

CPlatformRulesSettings& CPlatformRulesSettings::Instance()
{
    static CPlatformRulesSettings s_instance;
    return s_instance;
}

} // namespace rules

#include "game/rules/PlatformRulesSettings.h"

#include "platform/Ini.h"
#include "platform/Path.h"

#include <climits>
#include <unistd.h>

namespace rules {

std::string CPlatformRulesSettings::GetProgramFilePath() const
{
    // The platform's program folder (which an installer or a test may set)
    // followed by the running executable's own file name.
    char buffer[PATH_MAX] {};
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return {};
    const auto path = platform::FromOsPath(std::string_view(buffer, static_cast<size_t>(length)));
    if (!path)
        return {};
    const size_t slash = path->find_last_of('/');
    return platform::GetProgramFolder() + path->substr(slash == std::string::npos ? 0 : slash + 1);
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

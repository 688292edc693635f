#include "client/HallPaths.h"

#include "net/NetUtil.h"
#include "platform/Ini.h"
#include "platform/Path.h"

namespace client {

std::string GetHallSystemIniPath() { return platform::JoinPath(platform::GetUserConfigFolder(), HALL_INI_NAME); }

std::string GetHallExePath()
{
    return platform::GetProfileString(HALL_INI_SECTION, HALL_INI_EXE_PATH_KEY, "", GetHallSystemIniPath());
}

std::string GetExeDirPath()
{
    std::string folder;
    net::GetPathParts(GetHallExePath(), net::PATH_PART_DRIVE | net::PATH_PART_DIRECTORY, folder);
    return folder;
}

std::string GetAdvertDomainFile() { return GetExeDirPath() + "Share\\advert\\domain.dat"; }

} // namespace client

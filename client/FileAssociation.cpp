#include "client/FileAssociation.h"

#include "client/HallPaths.h"
#include "platform/UserStore.h"

namespace client {

void WriteFileAssociation(const std::string& extension, const std::string& type_name,
                          const std::string& description, const std::string& icon_path)
{
    platform::CUserStore store;
    const std::string command = GetExeDirPath() + REPLAY_PLAYER_PROGRAM + " %1";
    (void)store.SetValue(extension, {}, type_name);
    (void)store.SetValue(type_name, {}, description);
    (void)store.SetValue(type_name + "\\DefaultIcon", {}, icon_path);
    (void)store.SetValue(type_name + "\\Shell\\Open\\Command", {}, command);
}

} // namespace client

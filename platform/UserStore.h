#pragma once
// A small per-user store of named values under key paths, standing in for the
// user's part of the system registry (the client records its replay file type
// there: "<type>\DefaultIcon", "<type>\Shell\Open\Command"). It is an INI file
// in the user's config folder: one section per key path, one INI key per value
// name, "@" for a key's default value.
//
// Owner: whoever needs it; instances on the same file see each other's writes.
// Threads: any (the INI functions serialise access).
// Hazards: key paths and names are GBK, compared case-insensitively;
// '\' and '/' both separate. Names that cannot be stored safely are refused.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

class CUserStore {
public:
    // `gbk_file` empty = "registry.ini" in the user config folder.
    explicit CUserStore(std::string gbk_file = {});

    // An empty name is the key's default value.
    [[nodiscard]] bool SetValue(std::string_view key_path, std::string_view name, std::string_view value);
    [[nodiscard]] std::optional<std::string> GetValue(std::string_view key_path, std::string_view name = {}) const;
    // Deletes one key (not its sub-keys). True also when it did not exist.
    [[nodiscard]] bool DeleteKey(std::string_view key_path);
    [[nodiscard]] const std::string& GetFile() const { return m_file; }

private:
    std::string m_file;
};

} // namespace platform

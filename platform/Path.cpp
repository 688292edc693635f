#include "platform/Path.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/Text.h"

namespace platform {

namespace {

constexpr const char* APP_FOLDER_NAME = "pldk";

std::mutex s_folder_mutex;
std::string s_program_folder_override;
std::string s_user_data_override;
std::string s_user_config_override;

bool IsOsPathPresent(const std::string& os_path)
{
    struct stat info {};
    return ::lstat(os_path.c_str(), &info) == 0;
}

bool IsOsDirectory(const std::string& os_path)
{
    struct stat info {};
    return ::stat(os_path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}


// UTF-8 names compared with ASCII letters folded; bytes >= 0x80 only ever
// belong to multibyte characters in UTF-8, so folding never touches them.
bool EqualsNoCaseUtf8(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiToLower(a[i]) != AsciiToLower(b[i]))
            return false;
    }
    return true;
}

std::vector<std::string> SplitComponents(std::string_view os_path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= os_path.size()) {
        size_t end = os_path.find('/', start);
        if (end == std::string_view::npos)
            end = os_path.size();
        if (end > start)
            parts.emplace_back(os_path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string JoinOs(const std::string& base, const std::string& name)
{
    if (base.empty())
        return name;
    if (base.back() == '/')
        return base + name;
    return base + "/" + name;
}

// Finds `name` in `folder` ignoring ASCII case. Exact matches are preferred.
std::optional<std::string> FindInFolder(const std::string& folder, const std::string& name)
{
    const std::string exact = JoinOs(folder, name);
    if (IsOsPathPresent(exact))
        return name;
    if (name == "." || name == "..")
        return std::nullopt;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return std::nullopt;
    std::optional<std::string> found;
    while (dirent* entry = ::readdir(dir)) {
        if (EqualsNoCaseUtf8(entry->d_name, name)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// Walks the components of an OS path, matching each case-insensitively. With
// `allow_missing_tail`, the first component that does not exist and all that
// follow are kept as given.
std::optional<std::string> ResolveComponents(const std::string& os_path, bool allow_missing_tail)
{
    if (IsOsPathPresent(os_path))
        return os_path;
    const bool absolute = !os_path.empty() && os_path.front() == '/';
    std::string current = absolute ? "/" : "";
    bool missing = false;
    for (const std::string& part : SplitComponents(os_path)) {
        if (!missing) {
            std::optional<std::string> match = FindInFolder(current, part);
            if (match) {
                current = JoinOs(current, *match);
                continue;
            }
            if (!allow_missing_tail)
                return std::nullopt;
            missing = true;
        }
        current = JoinOs(current, part);
    }
    if (os_path.size() > 1 && os_path.back() == '/' && (current.empty() || current.back() != '/'))
        current += '/';
    return current;
}

std::string WithTrailingSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}


// A per-user XDG folder (OS path), created on first use.
std::string XdgFolder(const char* variable, const char* home_relative)
{
    std::string base;
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        base = value;
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        base = std::string(home) + "/" + home_relative;
    else
        base = "/tmp";
    return WithTrailingSlash(base) + APP_FOLDER_NAME + "/";
}

std::string UserFolder(const std::string& overridden, const char* variable, const char* home_relative)
{
    std::string folder = overridden;
    if (folder.empty()) {
        const std::string os = XdgFolder(variable, home_relative);
        folder = FromOsPath(os).value_or("/tmp/pldk/");
    }
    folder = WithTrailingSlash(folder);
    (void)MakeDirectoryTree(folder);
    return folder;
}

} // namespace

std::string NormalizeSeparators(std::string_view path)
{
    std::string out;
    out.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (IsGbkLeadByte(c) && i + 1 < path.size()) {
            // The trail byte of a GBK character may be 0x5C; it is not a separator.
            out += c;
            out += path[++i];
            continue;
        }
        const char sep = (c == '\\') ? '/' : c;
        if (sep == '/' && !out.empty() && out.back() == '/')
            continue;
        out += sep;
    }
    return out;
}

std::optional<std::string> ToOsPath(std::string_view gbk_path)
{
    return GbkToUtf8(NormalizeSeparators(gbk_path));
}

std::optional<std::string> FromOsPath(std::string_view os_path)
{
    return Utf8ToGbk(os_path);
}

std::optional<std::string> FindExistingPath(std::string_view gbk_path)
{
    std::optional<std::string> os = ToOsPath(gbk_path);
    std::optional<std::string> found = os && !os->empty() ? ResolveComponents(*os, false) : std::nullopt;
    if (!found && !gbk_path.empty() && IsOsPathPresent(std::string(gbk_path)))
        return std::string(gbk_path);
    return found;
}

std::optional<std::string> ResolveOsPath(std::string_view gbk_path)
{
    std::optional<std::string> os = ToOsPath(gbk_path);
    std::optional<std::string> resolved = os && !os->empty() ? ResolveComponents(*os, true) : std::nullopt;
    if ((!resolved || !IsOsPathPresent(*resolved)) && !gbk_path.empty() && IsOsPathPresent(std::string(gbk_path)))
        return std::string(gbk_path);
    return resolved;
}

bool PathExists(std::string_view gbk_path)
{
    return FindExistingPath(gbk_path).has_value();
}

bool IsPlainFile(std::string_view gbk_path)
{
    const std::optional<std::string> os_path = FindExistingPath(gbk_path);
    struct stat status {};
    return os_path && ::stat(os_path->c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool MakeDirectoryTree(std::string_view gbk_path)
{
    std::optional<std::string> os = ResolveOsPath(gbk_path);
    if (!os)
        return false;
    if (IsOsDirectory(*os))
        return true;
    const bool absolute = os->front() == '/';
    std::string current = absolute ? "/" : "";
    for (const std::string& part : SplitComponents(*os)) {
        current = JoinOs(current, part);
        if (IsOsDirectory(current))
            continue;
        if (::mkdir(current.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return IsOsDirectory(*os);
}

std::string GetProgramFolder()
{
    {
        std::lock_guard lock(s_folder_mutex);
        if (!s_program_folder_override.empty())
            return s_program_folder_override;
    }
    static const std::string s_folder = [] {
        char buffer[PATH_MAX + 1] = {};
        const ssize_t length = ::readlink("/proc/self/exe", buffer, PATH_MAX);
        if (length <= 0)
            return std::string("./");
        std::string exe(buffer, static_cast<size_t>(length));
        const size_t slash = exe.rfind('/');
        exe = (slash == std::string::npos) ? std::string(".") : exe.substr(0, slash + 1);
        // A folder name that is not GBK-compatible cannot be named by the
        // program; fall back to the working folder rather than mangle it.
        return WithTrailingSlash(FromOsPath(exe).value_or("./"));
    }();
    return s_folder;
}

std::string GetUserDataFolder()
{
    std::string overridden;
    {
        std::lock_guard lock(s_folder_mutex);
        overridden = s_user_data_override;
    }
    return UserFolder(overridden, "XDG_DATA_HOME", ".local/share");
}

std::string GetUserConfigFolder()
{
    std::string overridden;
    {
        std::lock_guard lock(s_folder_mutex);
        overridden = s_user_config_override;
    }
    return UserFolder(overridden, "XDG_CONFIG_HOME", ".config");
}

std::string GetTempFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string os = (tmp && tmp[0] == '/') ? tmp : "/tmp";
    return WithTrailingSlash(FromOsPath(os).value_or("/tmp/"));
}

void SetProgramFolder(std::string_view gbk_folder)
{
    std::lock_guard lock(s_folder_mutex);
    s_program_folder_override = gbk_folder.empty() ? std::string() : WithTrailingSlash(NormalizeSeparators(gbk_folder));
}

void SetUserDataFolder(std::string_view gbk_folder)
{
    std::lock_guard lock(s_folder_mutex);
    s_user_data_override = gbk_folder.empty() ? std::string() : WithTrailingSlash(NormalizeSeparators(gbk_folder));
}

void SetUserConfigFolder(std::string_view gbk_folder)
{
    std::lock_guard lock(s_folder_mutex);
    s_user_config_override = gbk_folder.empty() ? std::string() : WithTrailingSlash(NormalizeSeparators(gbk_folder));
}

bool CloseFile(FileHandle file)
{
    if (!file)
        return false;
    return std::fclose(file.release()) == 0;
}

FileHandle OpenOsFile(const std::string& os_path, const char* mode)
{
    return FileHandle(std::fopen(os_path.c_str(), mode));
}

FileHandle OpenFile(std::string_view gbk_path, const char* mode)
{
    if (!mode || mode[0] == '\0')
        return nullptr;
    const std::optional<std::string> os = mode[0] == 'r' ? FindExistingPath(gbk_path) : ResolveOsPath(gbk_path);
    if (!os)
        return nullptr;
    return OpenOsFile(*os, mode);
}

std::optional<std::vector<uint8_t>> ReadFileBytes(std::string_view gbk_path, size_t max_bytes)
{
    FileHandle file = OpenFile(gbk_path, "rb");
    if (!file)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    uint8_t buffer[16384];
    while (true) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        if (got > max_bytes - bytes.size())
            return std::nullopt;
        bytes.insert(bytes.end(), buffer, buffer + got);
        if (got < sizeof buffer)
            break;
    }
    if (std::ferror(file.get()))
        return std::nullopt;
    return bytes;
}

std::string JoinPath(std::string_view folder, std::string_view name)
{
    std::string out = NormalizeSeparators(folder);
    std::string_view rest = name;
    while (!rest.empty() && (rest.front() == '/' || rest.front() == '\\'))
        rest.remove_prefix(1);
    if (!out.empty() && out.back() != '/')
        out += '/';
    out += rest;
    return out;
}

} // namespace platform

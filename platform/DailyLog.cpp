#include "platform/DailyLog.h"

#include "platform/Path.h"

namespace platform {

CDailyLog& CDailyLog::Instance()
{
    static CDailyLog s_log;
    return s_log;
}

CDailyLog::~CDailyLog()
{
    Close();
}

bool CDailyLog::Write(std::string_view file_name, std::string_view line)
{
    std::lock_guard lock(m_mutex);
    return WriteLocked(file_name, line, LogOpen::Append);
}

bool CDailyLog::Start(std::string_view file_name, std::string_view line)
{
    std::lock_guard lock(m_mutex);
    return WriteLocked(file_name, line, LogOpen::Truncate);
}

void CDailyLog::SetFolder(std::string_view gbk_folder)
{
    std::lock_guard lock(m_mutex);
    m_folder = gbk_folder;
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
        m_open_name.clear();
    }
}

std::string CDailyLog::GetFolder() const
{
    std::lock_guard lock(m_mutex);
    return m_folder.empty() ? GetUserDataFolder() : m_folder;
}

void CDailyLog::Close()
{
    std::lock_guard lock(m_mutex);
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
        m_open_name.clear();
    }
}

bool CDailyLog::WriteLocked(std::string_view file_name, std::string_view line, LogOpen mode)
{
    if (file_name.empty())
        return false;
    const std::string normalized = NormalizeSeparators(file_name);
    const std::string folder = m_folder.empty() ? GetUserDataFolder() : m_folder;
    const std::string gbk_path = normalized.front() == '/' ? normalized : JoinPath(folder, normalized);
    const std::optional<std::string> os_path = ResolveOsPath(gbk_path);
    if (!os_path)
        return false;

    // The last file stays open while writers keep using it; a new day (a new
    // name) or a restart of the file closes it.
    if (m_file && (mode == LogOpen::Truncate || m_open_name != *os_path)) {
        std::fclose(m_file);
        m_file = nullptr;
        m_open_name.clear();
    }
    if (!m_file) {
        const size_t slash = gbk_path.rfind('/');
        if (slash != std::string::npos && slash > 0)
            (void)MakeDirectoryTree(gbk_path.substr(0, slash));
        m_file = std::fopen(os_path->c_str(), mode == LogOpen::Truncate ? "wb" : "ab");
        if (!m_file)
            return false;
        m_open_name = *os_path;
    }
    bool ok = line.empty() || std::fwrite(line.data(), 1, line.size(), m_file) == line.size();
    ok = std::fflush(m_file) == 0 && ok;
    return ok;
}

} // namespace platform

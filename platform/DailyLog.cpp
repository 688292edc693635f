#include "platform/DailyLog.h"

#include <cstdio>

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
    CloseLocked();
}

std::string CDailyLog::GetFolder() const
{
    std::lock_guard lock(m_mutex);
    return m_folder.empty() ? GetUserDataFolder() : m_folder;
}

void CDailyLog::Close()
{
    std::lock_guard lock(m_mutex);
    CloseLocked();
}

void CDailyLog::SetSizeLimit(uint64_t bytes)
{
    std::lock_guard lock(m_mutex);
    m_size_limit = bytes;
}

void CDailyLog::CloseLocked()
{
    m_file.reset();
    m_open_name.clear();
    m_open_size = 0;
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
    if (m_file && (mode == LogOpen::Truncate || m_open_name != *os_path))
        CloseLocked();
    if (!m_file) {
        const size_t slash = gbk_path.rfind('/');
        if (slash != std::string::npos && slash > 0)
            (void)MakeDirectoryTree(gbk_path.substr(0, slash));
        m_file = OpenOsFile(*os_path, mode == LogOpen::Truncate ? "wb" : "ab");
        if (!m_file)
            return false;
        m_open_name = *os_path;
        // What earlier runs of the day wrote counts against the limit.
        const off_t size = std::fseek(m_file.get(), 0, SEEK_END) == 0 ? ftello(m_file.get()) : 0;
        m_open_size = size > 0 ? static_cast<uint64_t>(size) : 0;
    }
    if (line.empty())
        return std::fflush(m_file.get()) == 0;
    // A file past its limit already ends with the limit line.
    if (m_open_size > m_size_limit)
        return false;
    const bool fits = line.size() <= m_size_limit - m_open_size;
    const std::string_view text = fits ? line : LIMIT_LINE;
    bool ok = std::fwrite(text.data(), 1, text.size(), m_file.get()) == text.size();
    ok = std::fflush(m_file.get()) == 0 && ok;
    // After the limit line the size is past the limit, even when the line
    // itself is short: nothing more is written to this file.
    m_open_size = fits ? m_open_size + text.size() : m_size_limit + 1 + m_open_size;
    return ok && fits;
}

} // namespace platform

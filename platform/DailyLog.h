#pragma once
// The one log sink of the client. Every writer (the engine, the network
// library, the run log) formats its own whole lines and hands them here; the
// sink writes each under one lock, so lines of different writers never mix.
//
// Files are named by the writer ("Game20261207.log", "GameRun.log"): the writer
// picks the day's name, the sink keeps the last file open until the name
// changes. A relative name lives in the log folder (by default the per-user data
// folder; "logs\\Game.log" makes the sub-folder), an absolute name is used as
// it is. Names are GBK program paths.
//
// Owner: a process-wide instance (CDailyLog::Instance()).
// Threads: any. Hazards: lines are written as given; include "\r\n" in the
// line when the file's format wants it.

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace platform {

enum class LogOpen { Append, Truncate };

class CDailyLog {
public:
    [[nodiscard]] static CDailyLog& Instance();

    CDailyLog() = default;
    ~CDailyLog();
    CDailyLog(const CDailyLog&) = delete;
    CDailyLog& operator=(const CDailyLog&) = delete;

    // Appends `line` (as given) to the file. False when the file cannot be opened or written.
    bool Write(std::string_view file_name, std::string_view line);
    // Empties the file (creating it) and writes `line` when not empty.
    bool Start(std::string_view file_name, std::string_view line = {});

    // The folder for relative names (GBK); empty = the per-user data folder.
    void SetFolder(std::string_view gbk_folder);
    [[nodiscard]] std::string GetFolder() const;
    // Closes the file kept open (tests; also done on a change of file name).
    void Close();

private:
    bool WriteLocked(std::string_view file_name, std::string_view line, LogOpen mode);

    mutable std::mutex m_mutex;
    std::string m_folder;
    std::string m_open_name; // the OS path of m_file
    std::FILE* m_file { nullptr };
};

} // namespace platform

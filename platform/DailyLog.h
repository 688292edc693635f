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
// Each file takes at most DEFAULT_SIZE_LIMIT bytes of lines (a day's file
// fills at most that a day): the first line that would pass the limit is
// dropped and one line saying the limit was reached is written instead, and
// later lines are dropped, so a peer that provokes a logged failure in a loop
// cannot fill the disk.
//
// Owner: a process-wide instance (CDailyLog::Instance()).
// Threads: any. Hazards: lines are written as given; include "\r\n" in the
// line when the file's format wants it.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/Path.h"

namespace platform {

enum class LogOpen { Append, Truncate };

class CDailyLog {
public:
    [[nodiscard]] static CDailyLog& Instance();

    CDailyLog() = default;
    ~CDailyLog();
    CDailyLog(const CDailyLog&) = delete;
    CDailyLog& operator=(const CDailyLog&) = delete;

    static constexpr uint64_t DEFAULT_SIZE_LIMIT = uint64_t { 16 } << 20;
    /// The line written once when a file reaches its limit.
    static constexpr std::string_view LIMIT_LINE = "-- log size limit reached: later lines of this file are dropped\r\n";

    // Appends `line` (as given) to the file. False when the file cannot be
    // opened or written, or is full.
    bool Write(std::string_view file_name, std::string_view line);
    // Empties the file (creating it) and writes `line` when not empty.
    bool Start(std::string_view file_name, std::string_view line = {});

    // The folder for relative names (GBK); empty = the per-user data folder.
    void SetFolder(std::string_view gbk_folder);
    [[nodiscard]] std::string GetFolder() const;
    // Closes the file kept open (tests; also done on a change of file name).
    void Close();
    // The most bytes of lines one file takes (tests use a small one).
    void SetSizeLimit(uint64_t bytes);

private:
    bool WriteLocked(std::string_view file_name, std::string_view line, LogOpen mode);
    void CloseLocked();

    mutable std::mutex m_mutex;
    std::string m_folder;
    std::string m_open_name; // the OS path of m_file
    FileHandle m_file;
    uint64_t m_open_size { 0 }; // bytes in m_file
    uint64_t m_size_limit { DEFAULT_SIZE_LIMIT };
};

} // namespace platform

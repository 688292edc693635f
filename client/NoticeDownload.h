// Notice downloads: a notice text is fetched over HTTP ("http://" host path)
// into a local file on a thread of its own, and the main window is told by
// UM_NOTICE_DOWNLOADED (wparam the job id) when the thread is through. A
// notice must begin with "<notify>" (any case): a body that does not, a
// failed transfer or a server error leaves no file and no done flag.
//
// Owner: the main window's CNoticeDownloads owns every job it started; each
// job is shared with its thread, and the list joins a job's thread before it
// lets the job go (when the window handles the job's message, or when the
// list is destroyed, which first asks the running transfers to stop).
// Threads: CNoticeDownloads on the UI thread; RunNoticeDownload on the job's
// thread, touching only its job and its file.
// Hazards: the body comes from a web server: it is written as it is, never
// parsed here; transfers are bounded by connect and low-speed time-outs, and
// by NOTICE_MAX_BYTES.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Message.h"

namespace client {

inline constexpr uint32_t UM_NOTICE_DOWNLOADED = 0x8617;
inline constexpr char NOTICE_PREFIX[] = "<notify>";
inline constexpr size_t NOTICE_PREFIX_LENGTH = sizeof(NOTICE_PREFIX) - 1;
inline constexpr size_t NOTICE_MAX_BYTES = 1u << 20;
inline constexpr long NOTICE_CONNECT_TIMEOUT_S = 10;
inline constexpr long NOTICE_LOW_SPEED_TIME_S = 20;

struct NoticeDownloadJob {
    uint32_t id = 0;
    platform::WindowHandle window = platform::WindowHandle::None;
    std::string host;       ///< GBK, as the room record gives it
    std::string path;       ///< "/notify/game/%d.txt"
    std::string local_file; ///< GBK program path
    std::atomic<int32_t> error { 0 };
    std::atomic<bool> done { false };
    std::atomic<bool> cancel { false };
    std::thread thread;
};

/// A notice body as it arrives in pieces: the first bytes are held until the
/// prefix can be checked, then everything goes to the file, at most
/// NOTICE_MAX_BYTES in all.
struct NoticeBody {
    std::FILE* file = nullptr; ///< not owned
    std::string head;          ///< the first bytes until the prefix is checked
    bool prefix_checked = false;
    bool refused = false;      ///< the body does not begin with the prefix
    size_t written = 0;

    /// Takes the next piece; false when the transfer must stop (refused, too
    /// long, or the file could not be written).
    bool Take(std::string_view bytes);

private:
    bool WriteOut(std::string_view bytes);
};

/// The transfer of one job; sets its done flag only for a complete notice.
/// False, with no file left, otherwise.
bool RunNoticeDownload(NoticeDownloadJob& job);

class CNoticeDownloads {
public:
    CNoticeDownloads() = default;
    ~CNoticeDownloads();
    CNoticeDownloads(const CNoticeDownloads&) = delete;
    CNoticeDownloads& operator=(const CNoticeDownloads&) = delete;

    /// Starts a job's thread; answers its id (0 when the thread could not start).
    uint32_t Start(platform::WindowHandle window, std::string host, std::string path, std::string local_file);
    /// The job with that id, its thread joined and the job out of the list;
    /// null for an unknown id.
    [[nodiscard]] std::shared_ptr<NoticeDownloadJob> Take(uint32_t id);
    /// Asks every transfer to stop and joins every thread.
    void StopAll();
    [[nodiscard]] size_t GetCount() const { return m_jobs.size(); }

private:
    std::vector<std::shared_ptr<NoticeDownloadJob>> m_jobs;
    uint32_t m_next_id { 1 };
};

} // namespace client

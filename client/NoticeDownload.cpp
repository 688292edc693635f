#include "client/NoticeDownload.h"

#include <cstdio>
#include <mutex>

#include <curl/curl.h>
#include <unistd.h>

#include "net/NetLog.h"
#include "platform/Path.h"
#include "platform/Text.h"

namespace client {

namespace {

// What the write callback works with.
struct Transfer {
    NoticeDownloadJob* job = nullptr;
    platform::FileHandle file;
    NoticeBody body;
};

size_t OnBody(char* bytes, size_t size, size_t count, void* user)
{
    auto& transfer = *static_cast<Transfer*>(user);
    const size_t length = size * count;
    return transfer.body.Take(std::string_view(bytes, length)) ? length : 0;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Transfer*>(user)->job->cancel.load() ? 1 : 0;
}

void RemoveFile(const std::string& gbk_path)
{
    if (const auto os_path = platform::ToOsPath(gbk_path))
        (void)::unlink(os_path->c_str());
}

} // namespace

bool NoticeBody::WriteOut(std::string_view bytes)
{
    if (written + bytes.size() > NOTICE_MAX_BYTES)
        return false;
    if (!bytes.empty() && (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()))
        return false;
    written += bytes.size();
    return true;
}

bool NoticeBody::Take(std::string_view bytes)
{
    if (prefix_checked)
        return !refused && WriteOut(bytes);
    // The prefix is checked once its eight bytes are in, however the body
    // arrives in pieces.
    head.append(bytes);
    if (head.size() < NOTICE_PREFIX_LENGTH)
        return true;
    prefix_checked = true;
    if (!platform::GbkEqualsNoCase(std::string_view(head).substr(0, NOTICE_PREFIX_LENGTH), NOTICE_PREFIX)) {
        refused = true;
        return false;
    }
    const bool ok = WriteOut(head);
    head.clear();
    return ok;
}

bool RunNoticeDownload(NoticeDownloadJob& job)
{
    static std::once_flag s_curl_ready;
    std::call_once(s_curl_ready, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    Transfer transfer;
    transfer.job = &job;
    transfer.file = platform::OpenFile(job.local_file, "wb");
    transfer.body.file = transfer.file.get();
    if (!transfer.file) {
        net::LogPrintf("notice file %s could not be created", job.local_file.c_str());
        return false;
    }
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        transfer.file.reset();
        RemoveFile(job.local_file);
        return false;
    }
    const std::string url = "http://" + job.host + job.path;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, NOTICE_CONNECT_TIMEOUT_S);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, NOTICE_LOW_SPEED_TIME_S);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);

    // A body shorter than the prefix cannot be a notice.
    const bool complete = result == CURLE_OK && transfer.body.prefix_checked && !transfer.body.refused;
    const bool closed = std::fclose(transfer.file.release()) == 0;
    if (!complete || !closed) {
        if (transfer.body.refused)
            net::LogPrintf("notice %s refused: it does not begin with %s", url.c_str(), NOTICE_PREFIX);
        else
            net::LogPrintf("notice %s not downloaded: %s", url.c_str(), curl_easy_strerror(result));
        RemoveFile(job.local_file);
        return false;
    }
    job.done.store(true);
    return true;
}

CNoticeDownloads::~CNoticeDownloads()
{
    StopAll();
}

uint32_t CNoticeDownloads::Start(platform::WindowHandle window, std::string host, std::string path,
                                 std::string local_file)
{
    auto job = std::make_shared<NoticeDownloadJob>();
    job->id = m_next_id++;
    job->window = window;
    job->host = std::move(host);
    job->path = std::move(path);
    job->local_file = std::move(local_file);
    try {
        job->thread = std::thread([job] {
            (void)RunNoticeDownload(*job);
            // The window learns of failures too, so that it lets the job go.
            (void)platform::PostMessage(job->window, UM_NOTICE_DOWNLOADED, job->id);
        });
    } catch (const std::system_error&) {
        return 0;
    }
    m_jobs.push_back(std::move(job));
    return m_jobs.back()->id;
}

std::shared_ptr<NoticeDownloadJob> CNoticeDownloads::Take(uint32_t id)
{
    for (auto it = m_jobs.begin(); it != m_jobs.end(); ++it) {
        if ((*it)->id != id)
            continue;
        std::shared_ptr<NoticeDownloadJob> job = std::move(*it);
        m_jobs.erase(it);
        if (job->thread.joinable())
            job->thread.join();
        return job;
    }
    return nullptr;
}

void CNoticeDownloads::StopAll()
{
    for (const auto& job : m_jobs)
        job->cancel.store(true);
    for (const auto& job : m_jobs) {
        if (job->thread.joinable())
            job->thread.join();
    }
    m_jobs.clear();
}

} // namespace client

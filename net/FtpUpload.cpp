#include "net/FtpUpload.h"

#include "net/NetLog.h"

#include "platform/Path.h"

#include <curl/curl.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace net {

namespace {

constexpr long FTP_CONNECT_TIMEOUT_S = 30;
constexpr long FTP_LOW_SPEED_TIME_S = 60;

std::atomic<uint32_t> s_next_upload_id { 1 };

bool CopyField(char* field, size_t size, const char* text)
{
    const char* value = text ? text : "";
    const size_t length = std::strlen(value);
    if (length >= size)
        return false;
    std::memcpy(field, value, length + 1);
    return true;
}

// Percent-encodes a remote path for the URL; '/' separates directories.
std::string EncodePath(const std::string& path)
{
    static constexpr char HEX[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : path) {
        const auto byte = uint8_t(c);
        if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += HEX[byte >> 4];
            encoded += HEX[byte & 0xF];
        }
    }
    return encoded;
}

std::string BuildUrl(const FtpUploadJob& job)
{
    // Either separator; a byte 0x5C inside a two-byte character is none.
    const std::string path = platform::NormalizeSeparators(std::string(job.remote_directory) + job.remote_file);
    std::string url = std::string("ftp://") + job.server + "/";
    if (!path.empty() && path[0] == '/')
        return url + "%2F" + EncodePath(path.substr(1)); // an absolute path on the server
    return url + EncodePath(path);
}

uint32_t Upload(const FtpUploadJob& job)
{
    const platform::FileHandle file = platform::OpenFile(job.local_path, "rb");
    if (!file)
        return 0;
    struct stat info {};
    fstat(fileno(file.get()), &info);
    CURL* curl = curl_easy_init();
    if (!curl)
        return 0;
    const std::string url = BuildUrl(job);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_DEFAULT_PROTOCOL, "ftp");
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READDATA, file.get());
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(info.st_size));
    // No user name: the anonymous log-on (an empty USER is a syntax error).
    if (job.user[0] != '\0') {
        curl_easy_setopt(curl, CURLOPT_USERNAME, job.user);
        curl_easy_setopt(curl, CURLOPT_PASSWORD, job.password);
    }
    curl_easy_setopt(curl, CURLOPT_FTPPORT, "-"); // active mode, on the control connection's address
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, FTP_CONNECT_TIMEOUT_S);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, FTP_LOW_SPEED_TIME_S);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    const CURLcode code = curl_easy_perform(curl);
    if (code != CURLE_OK)
        LogPrintf("ftp upload of %s to %s failed: %s", job.remote_file, job.server, curl_easy_strerror(code));
    curl_easy_cleanup(curl);
    return code == CURLE_OK ? 1 : 0;
}

} // namespace

uint32_t StartFtpUpload(const char* local_path, const char* server, const char* remote_directory,
                        const char* remote_file, const char* user, const char* password,
                        platform::WindowHandle reply_window, uint32_t reply_message)
{
    auto job = std::make_unique<FtpUploadJob>();
    job->reply_window = reply_window;
    job->reply_message = reply_message;
    if (!CopyField(job->server, sizeof job->server, server)
        || !CopyField(job->remote_directory, sizeof job->remote_directory, remote_directory)
        || !CopyField(job->remote_file, sizeof job->remote_file, remote_file)
        || !CopyField(job->local_path, sizeof job->local_path, local_path)
        || !CopyField(job->user, sizeof job->user, user) || !CopyField(job->password, sizeof job->password, password)
        || std::strlen(job->remote_directory) + std::strlen(job->remote_file) >= FtpUploadJob::PATH_SIZE)
        return 0;
    static std::once_flag s_curl_ready;
    std::call_once(s_curl_ready, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    uint32_t id = s_next_upload_id.fetch_add(1);
    if (id == 0)
        id = s_next_upload_id.fetch_add(1);
    try {
        std::thread([job = std::move(job)]() mutable {
            job->result = Upload(*job);
            job->done.store(1);
            if (job->reply_window == platform::WindowHandle::None)
                return; // nobody to tell: the job ends here
            const platform::WindowHandle window = job->reply_window;
            const uint32_t message = job->reply_message;
            const auto address = reinterpret_cast<uintptr_t>(job.get());
            const auto result = intptr_t(job->result);
            platform::PostMessage(window, message, address, result, std::move(job));
        }).detach();
    } catch (...) {
        return 0;
    }
    return id;
}

} // namespace net

// The FTP upload job: one local file stored on an FTP server by a worker
// thread of its own (port 21 unless the server text names a port as
// "host:port", active mode, binary transfer, an anonymous log-on when the
// user name is empty), reported to a window.
//
// FtpUploadJob is the job record; its text fields keep the sizes callers
// rely on: server 64, remote directory 260, remote file name 260, local path
// 260, user name 32, password 32 (each zero-terminated). The remote path is
// the directory followed directly by the file name.
//
// Owner: the worker owns the job while it runs. With a reply window it posts
// the reply message (wparam the job's address, lparam the result: non-zero
// when the file was stored) with the job as the message's payload, so the
// receiver owns it and frees it with the message; without a window the worker
// frees the job itself.
// Threads: StartFtpUpload from any thread; the worker touches nothing shared.
// Hazards: texts that do not fit their fields are refused, never cut.
#pragma once

#include "platform/Message.h"

#include <atomic>
#include <cstdint>

namespace net {

struct FtpUploadJob final : platform::MessagePayload {
    static constexpr size_t SERVER_SIZE = 64;
    static constexpr size_t PATH_SIZE = 260;
    static constexpr size_t ACCOUNT_SIZE = 32;

    platform::WindowHandle reply_window { platform::WindowHandle::None };
    uint32_t reply_message { 0 };
    std::atomic<uint32_t> done { 0 }; ///< 1 once the transfer has ended
    uint32_t result { 0 };            ///< 1 when the file was stored
    char server[SERVER_SIZE] {};
    char remote_directory[PATH_SIZE] {};
    char remote_file[PATH_SIZE] {};
    char local_path[PATH_SIZE] {};
    char user[ACCOUNT_SIZE] {};
    char password[ACCOUNT_SIZE] {};
};

/// Makes the job and starts its worker. Gives the job's id (non-zero), or 0
/// when a text does not fit its field (or the remote directory and file name
/// together exceed 259 bytes) or the worker could not start.
[[nodiscard]] uint32_t StartFtpUpload(const char* local_path, const char* server, const char* remote_directory,
                                      const char* remote_file, const char* user, const char* password,
                                      platform::WindowHandle reply_window, uint32_t reply_message);

} // namespace net

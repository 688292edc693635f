#include "net/NetLog.h"

#include "platform/DailyLog.h"
#include "platform/Text.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

namespace net {

namespace {

constexpr size_t LOG_BUFFER_SIZE = 4096;

struct LogState {
    std::mutex lock;
    std::string name { LOG_DEFAULT_NAME };
    uint32_t flags { LOG_DEFAULT_FLAGS };
    char format_buffer[LOG_BUFFER_SIZE] {};
    char line_buffer[LOG_BUFFER_SIZE] {};
};

LogState& State()
{
    static LogState s_state;
    return s_state;
}

// The daily file "<name>yyyymmdd.log" in the log folder of the shared sink.
void WriteToDailyFile(const std::string& log_name, const std::tm& local, const char* line, size_t length)
{
    char date[48];
    std::snprintf(date, sizeof date, "%04d%02d%02d.log", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    (void)platform::CDailyLog::Instance().Write(log_name + date, std::string_view(line, length));
}

// Called with the lock held.
void WriteLineLocked(LogState& state, const char* text)
{
    if (!(state.flags & LOG_FLAG_FILE))
        return;
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    int length = std::snprintf(state.line_buffer, LOG_BUFFER_SIZE, "%04d/%02d/%02d  %02d:%02d:%02d  %s%s",
                               local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                               local.tm_sec, text, (state.flags & LOG_FLAG_CRLF) ? "\r\n" : "");
    if (length < 0)
        return;
    if (size_t(length) >= LOG_BUFFER_SIZE) {
        // A cut line still ends its line, and keeps whole characters only
        // (the stamp before the text is plain ASCII, so the walk from the
        // line's start stays in step with the text's characters).
        const bool crlf = (state.flags & LOG_FLAG_CRLF) != 0;
        const size_t room = LOG_BUFFER_SIZE - 1 - (crlf ? 2 : 0);
        length = int(platform::GbkCutLength(std::string_view(state.line_buffer, room), room));
        if (crlf) {
            state.line_buffer[length++] = '\r';
            state.line_buffer[length++] = '\n';
        }
    }
    WriteToDailyFile(state.name, local, state.line_buffer, size_t(length));
}

} // namespace

void LogInit(const char* name, uint32_t flags)
{
    LogState& state = State();
    std::lock_guard guard(state.lock);
    if (name)
        state.name = name;
    if (flags)
        state.flags = flags;
}

void LogFree() {}

void LogPrintf(const char* format, ...)
{
    LogState& state = State();
    std::lock_guard guard(state.lock);
    va_list arguments;
    va_start(arguments, format);
    const int formatted = std::vsnprintf(state.format_buffer, LOG_BUFFER_SIZE, format, arguments);
    va_end(arguments);
    if (formatted < 0)
        return;
    if (size_t(formatted) >= LOG_BUFFER_SIZE) {
        // Cut where a whole character ends, not where the buffer does.
        const std::string_view text(state.format_buffer, LOG_BUFFER_SIZE - 1);
        state.format_buffer[platform::GbkCutLength(text, text.size())] = '\0';
    }
    WriteLineLocked(state, state.format_buffer);
}

void LogWriteStamped(const char* text)
{
    LogState& state = State();
    std::lock_guard guard(state.lock);
    WriteLineLocked(state, text ? text : "");
}

} // namespace net

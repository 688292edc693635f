#include "engine/core/EngineLog.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/DailyLog.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

namespace engine {

namespace {

constexpr const char* RUN_LOG_NAME = "GameRun.log";

struct LocalTime {
    int year, month, day, hour, minute, second;
};

LocalTime Now()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts {};
    localtime_r(&now, &parts);
    return LocalTime { parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min,
                       parts.tm_sec };
}

__attribute__((format(printf, 1, 0))) std::string FormatText(const char* format, va_list args)
{
    char buffer[ENGINE_LOG_TEXT_MAX + 1];
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (length < 0)
        return {};
    std::string_view text(buffer, std::min<size_t>(static_cast<size_t>(length), ENGINE_LOG_TEXT_MAX));
    return platform::CutGbkText(text, ENGINE_LOG_TEXT_MAX);
}

std::string GameLogName(const LocalTime& t)
{
    char name[64];
    std::snprintf(name, sizeof name, "Game%d%02d%02d.log", t.year, t.month, t.day);
    return name;
}

// The two logs differ only in their file and the blanks before the text.
enum class LogKind { Game, Run };
constexpr int GAME_LOG_GAP = 6;
constexpr int RUN_LOG_GAP = 5;

std::string FormatLine(std::string_view text, int gap, const LocalTime& t)
{
    char head[64];
    std::snprintf(head, sizeof head, "%02d/%02d/%02d     %02d:%02d:%02d%*s", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, gap, "");
    return std::string(head) + std::string(text) + "\r\n";
}

__attribute__((format(printf, 2, 0))) void WriteLine(LogKind kind, const char* format, va_list args)
{
    const std::string text = FormatText(format, args);
    const LocalTime t = Now();
    if (kind == LogKind::Run)
        platform::CDailyLog::Instance().Write(RUN_LOG_NAME, FormatLine(text, RUN_LOG_GAP, t));
    else
        platform::CDailyLog::Instance().Write(GameLogName(t), FormatLine(text, GAME_LOG_GAP, t));
}

} // namespace

std::string FormatGameLogLine(std::string_view text, int year, int month, int day, int hour, int minute, int second)
{
    return FormatLine(text, GAME_LOG_GAP, LocalTime { year, month, day, hour, minute, second });
}

std::string FormatRunLogLine(std::string_view text, int year, int month, int day, int hour, int minute, int second)
{
    return FormatLine(text, RUN_LOG_GAP, LocalTime { year, month, day, hour, minute, second });
}

void WriteGameLog(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WriteLine(LogKind::Game, format, args);
    va_end(args);
}

void StartRunLog()
{
    platform::CDailyLog::Instance().Start(RUN_LOG_NAME, FormatLine("GameCore Start", RUN_LOG_GAP, Now()));
}

void WriteRunLog(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WriteLine(LogKind::Run, format, args);
    va_end(args);
}

void ShowLastErrorBox(std::string_view what)
{
    const int error = errno;
    char reason[256] = {};
    const char* message = strerror_r(error, reason, sizeof reason);
    // The system's text is UTF-8 (or ASCII); the box takes GBK.
    const std::string gbk_reason = platform::Utf8ToGbk(message).value_or(std::to_string(error));
    std::string text(what);
    text += " 由于以下错误而失败: ";
    text += gbk_reason;
    ShowEngineMessageBox(text, "错误", platform::WindowHandle::None, platform::MB_ICONERROR);
}

} // namespace engine

#include "client/CRefusalLog.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

#include "client/ClientText.h"
#include "net/NetLog.h"
#include "platform/ByteReader.h"
#include "platform/Tick.h"

namespace client {

CRefusalLog& CRefusalLog::Instance()
{
    static CRefusalLog log;
    return log;
}

void CRefusalLog::Refuse(uint32_t id, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    RefuseV(id, format, args);
    va_end(args);
}

void CRefusalLog::RefuseChair(uint32_t id, int32_t chair)
{
    Refuse(id, "chair %d is not at the table", chair);
}

namespace {

thread_local CRefusalVerdict* t_innermost_verdict = nullptr;

} // namespace

CRefusalVerdict::CRefusalVerdict(uint32_t id) : m_id(id), m_outer(std::exchange(t_innermost_verdict, this)) {}

CRefusalVerdict::~CRefusalVerdict() { t_innermost_verdict = m_outer; }

void CRefusalVerdict::MarkInnermost()
{
    if (t_innermost_verdict != nullptr)
        t_innermost_verdict->m_refused = true;
}

uint32_t CRefusalVerdict::GetInnermostId() { return t_innermost_verdict != nullptr ? t_innermost_verdict->m_id : 0; }

void CRefusalVerdict::Mark(uint32_t id)
{
    for (CRefusalVerdict* verdict = t_innermost_verdict; verdict != nullptr; verdict = verdict->m_outer)
        if (verdict->m_id == id) {
            verdict->m_refused = true;
            return;
        }
}

void CRefusalLog::RefuseV(uint32_t id, const char* format, va_list args)
{
    char reason[256];
    std::vsnprintf(reason, sizeof reason, format, args);
    CRefusalVerdict::Mark(id);
    Log("message " + std::to_string(id) + " refused: " + reason);
}

void CRefusalLog::RefuseUnread(const std::string& reason)
{
    Log("server message refused: " + reason);
}

void CRefusalLog::Log(const std::string& line)
{
    std::lock_guard lock(m_mutex);
    ++m_count;
    const uint32_t now = Now();
    if (!m_window_open || platform::HasElapsed(m_window_start, now, WINDOW_MS)) {
        WriteLeftOut();
        m_window_open = true;
        m_window_start = now;
        m_lines = 0;
    }
    if (m_lines >= LINES_PER_WINDOW) {
        ++m_unwritten;
        return;
    }
    ++m_lines;
    Write(line);
}

void CRefusalLog::FlushIfDue()
{
    std::lock_guard lock(m_mutex);
    if (m_unwritten == 0 || (m_window_open && !platform::HasElapsed(m_window_start, Now(), WINDOW_MS)))
        return;
    WriteLeftOut();
    m_window_open = false;
}

void CRefusalLog::Flush()
{
    std::lock_guard lock(m_mutex);
    WriteLeftOut();
}

void CRefusalLog::WriteLeftOut()
{
    if (m_unwritten == 0)
        return;
    Write("refused messages not logged: " + std::to_string(m_unwritten));
    m_unwritten = 0;
}

uint64_t CRefusalLog::GetCount() const
{
    std::lock_guard lock(m_mutex);
    return m_count;
}

void CRefusalLog::SetSink(Sink sink)
{
    std::lock_guard lock(m_mutex);
    m_sink = std::move(sink);
    m_window_open = false;
    m_unwritten = 0;
}

void CRefusalLog::SetTickFunction(Tick tick)
{
    std::lock_guard lock(m_mutex);
    m_tick = std::move(tick);
    m_window_open = false;
    m_unwritten = 0;
}

void CRefusalLog::Write(const std::string& line)
{
    if (m_sink)
        m_sink(line);
    else
        net::LogPrintf("%s", line.c_str());
}

bool RefuseIfShort(uint32_t id, const platform::CByteReader& in)
{
    if (in.Ok())
        return false;
    CRefusalLog::Instance().Refuse(id, "%zu bytes, at least %zu expected", in.Size(), in.Wanted());
    return true;
}

std::optional<std::string> TextAt(uint32_t id, std::span<const uint8_t> body, size_t offset, size_t max_bytes)
{
    platform::CByteReader in(body);
    in.Skip(offset);
    std::string text = ReadRestText(in, max_bytes);
    if (RefuseIfShort(id, in))
        return std::nullopt;
    return text;
}

} // namespace client

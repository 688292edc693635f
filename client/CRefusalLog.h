#pragma once
// The log of refused server contents. A notification or answer whose values
// make no sense (a chair outside the table, a count past its limit, a length
// past the bytes received, a body shorter than its record) changes nothing;
// it is refused with one log line naming the message and the reason. A
// server that sends such contents without end still gets a bounded log: at
// most LINES_PER_WINDOW lines in each WINDOW_MS; the refusals past that are
// counted and told in one line once the window has closed: by the first
// refusal of a later window, or by FlushIfDue (the main window calls it every
// second), or at shut-down (Flush), so a flood followed by silence is told too.
// Messages the socket client refuses before their id is read (a frame that
// fails its checks, one joined past the assembly cap, one the codec refuses)
// are told here as well, without an id (RefuseUnread).
//
// Owner: one per process (Instance), like the log it writes to.
// Threads: any; a mutex guards the window and the counts, and lines are
// written under it, so they keep their order.
#include <array>
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "platform/ByteReader.h"
#include "platform/Tick.h"

namespace client {

class CRefusalLog {
public:
    static constexpr uint32_t WINDOW_MS = 10000;
    static constexpr uint32_t LINES_PER_WINDOW = 20;

    using Sink = std::function<void(const std::string& line)>;
    using Tick = std::function<uint32_t()>;

    static CRefusalLog& Instance();

    /// Refuses message `id` for the printf-style reason: "message ID refused: REASON".
    void Refuse(uint32_t id, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void RefuseV(uint32_t id, const char* format, va_list args) __attribute__((format(printf, 3, 0)));
    /// Refuses a server message whose id was never read (refused by the
    /// socket client before it was decoded): "server message refused: REASON".
    void RefuseUnread(const std::string& reason);
    /// Refuses message `id` for naming a chair outside the table.
    void RefuseChair(uint32_t id, int32_t chair);
    /// Tells how many refusals were left out of a window that has closed
    /// (nothing while it is open or when none were).
    void FlushIfDue();
    /// Tells how many refusals were left out so far, the window open or not.
    void Flush();
    /// Refusals since the process started, written or not.
    [[nodiscard]] uint64_t GetCount() const;
    /// Where the lines go and the clock of the windows (tests); empty gives
    /// back the library log and the platform tick. A new sink or clock opens
    /// a fresh window.
    void SetSink(Sink sink);
    void SetTickFunction(Tick tick);

private:
    CRefusalLog() = default;
    void Write(const std::string& line);
    /// Counts a refusal and writes its line when the window allows.
    void Log(const std::string& line);
    /// The line of the refusals left out, when there are any (under the lock).
    void WriteLeftOut();
    [[nodiscard]] uint32_t Now() const { return m_tick ? m_tick() : platform::GetTickCount(); }

    mutable std::mutex m_mutex;
    Sink m_sink;
    Tick m_tick;
    uint64_t m_count { 0 };
    bool m_window_open { false };
    uint32_t m_window_start { 0 };
    uint32_t m_lines { 0 };
    uint64_t m_unwritten { 0 };
};

/// The verdict on one message dispatched on this thread: a refusal of the
/// message's id logged on the thread while the verdict is open marks it, in
/// whichever part (a handler, the frame UI, the side panel, the scene) it was
/// decided. Verdicts nest (a game-data answer dispatched inside a handler):
/// a refusal marks the innermost open verdict of its id.
/// Owner: a stack object of the dispatch. Thread: the one that made it.
class CRefusalVerdict {
public:
    explicit CRefusalVerdict(uint32_t id);
    ~CRefusalVerdict();
    CRefusalVerdict(const CRefusalVerdict&) = delete;
    CRefusalVerdict& operator=(const CRefusalVerdict&) = delete;

    [[nodiscard]] bool IsRefused() const { return m_refused; }
    /// Marks the thread's innermost open verdict refused (any id; nothing
    /// when none is open): for a refusal logged under another id.
    static void MarkInnermost();
    /// Marks the innermost open verdict of `id` (CRefusalLog's refusals).
    static void Mark(uint32_t id);
    /// The id of the thread's innermost open verdict: the server message
    /// being dispatched; 0 when none is (the client's own doing).
    [[nodiscard]] static uint32_t GetInnermostId();

private:
    uint32_t m_id;
    bool m_refused { false };
    CRefusalVerdict* m_outer;
};

/// The one check after a handler has read a body's fields: when the reads ran
/// past the body, refuses message `id` ("N bytes, at least M expected") and
/// answers true; the values read must then not be used.
[[nodiscard]] bool RefuseIfShort(uint32_t id, const platform::CByteReader& in);

/// A body's first N words, read and checked once: nullopt, the message
/// refused as RefuseIfShort refuses it, when the body holds fewer.
template <size_t N>
[[nodiscard]] std::optional<std::array<int32_t, N>> LeadingWords(uint32_t id, std::span<const uint8_t> body)
{
    platform::CByteReader in(body);
    const auto words = in.ReadWords<N>();
    if (RefuseIfShort(id, in))
        return std::nullopt;
    return words;
}

/// The zero-terminated text from byte `offset` to the body's end, at most
/// max_bytes (ReadRestText): nullopt, the message refused as RefuseIfShort
/// refuses it, when the body ends before the offset.
[[nodiscard]] std::optional<std::string> TextAt(uint32_t id, std::span<const uint8_t> body, size_t offset,
                                                size_t max_bytes = SIZE_MAX);

} // namespace client

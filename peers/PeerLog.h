// The log of a stand-in program: one formatted line per call, flushed at
// once so that a test reading the file sees every line written so far.
// Owner: the program; the file belongs to its entry. Threads: any (a lock
// keeps lines whole).
#pragma once

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace peers {

class CPeerLog {
public:
    explicit CPeerLog(std::FILE* file) : m_file(file) {}

    void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        std::lock_guard lock(m_mutex);
        va_list arguments;
        va_start(arguments, format);
        std::vfprintf(m_file, format, arguments);
        va_end(arguments);
        std::fputc('\n', m_file);
        std::fflush(m_file);
    }

private:
    std::FILE* m_file;
    std::mutex m_mutex;
};

} // namespace peers

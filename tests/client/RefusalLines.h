// The refusal log's lines, caught for a test: the object is the log's sink
// while it lives and gives the library log back when it ends, however the
// test ends (an assertion that returns early too), so no later test writes
// through a sink whose test is gone.
// Threads: lines may come from any thread (the socket worker's refusals).
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "client/CRefusalLog.h"

namespace client_test {

class CRefusalLines {
public:
    CRefusalLines()
    {
        client::CRefusalLog::Instance().SetSink([this](const std::string& line) {
            std::lock_guard lock(m_mutex);
            m_lines.push_back(line);
        });
    }
    ~CRefusalLines() { client::CRefusalLog::Instance().SetSink({}); }
    CRefusalLines(const CRefusalLines&) = delete;
    CRefusalLines& operator=(const CRefusalLines&) = delete;

    [[nodiscard]] std::vector<std::string> Get() const
    {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

} // namespace client_test

// A scripted proxy on a loopback port: it takes one connection, reads each
// expected request byte for byte, answers with the scripted reply, and keeps
// the connection open afterwards. What it read is kept for the test.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace net::testing {

class CFakeProxy {
public:
    struct Step {
        std::vector<uint8_t> expect;
        std::vector<uint8_t> reply;
    };

    explicit CFakeProxy(std::vector<Step> script);
    ~CFakeProxy();
    CFakeProxy(const CFakeProxy&) = delete;
    CFakeProxy& operator=(const CFakeProxy&) = delete;

    [[nodiscard]] uint16_t GetPort() const { return m_port; }
    /// Everything read, in order, once the script has run (or given up).
    [[nodiscard]] std::vector<uint8_t> Received();
    /// True when every expected request came exactly as scripted.
    [[nodiscard]] bool Matched() const { return m_matched.load(); }

private:
    void Run();
    bool ReadExactly(int client, size_t count, std::vector<uint8_t>& out);

    std::vector<Step> m_script;
    int m_listen { -1 };
    int m_stop_fd { -1 };
    uint16_t m_port { 0 };
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<uint8_t> m_received;
    std::atomic<bool> m_matched { false };
};

std::vector<uint8_t> ToBytes(const std::string& text);

} // namespace net::testing

#include "FakeProxy.h"

#include "support/Loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace net::testing {

std::vector<uint8_t> ToBytes(const std::string& text) { return { text.begin(), text.end() }; }

CFakeProxy::CFakeProxy(std::vector<Step> script) : m_script(std::move(script))
{
    m_listen = ListenOnLoopback(m_port, 2);
    m_stop_fd = eventfd(0, EFD_CLOEXEC);
    m_thread = std::thread([this] { Run(); });
}

CFakeProxy::~CFakeProxy()
{
    const uint64_t one = 1;
    (void)!write(m_stop_fd, &one, sizeof one);
    m_thread.join();
    close(m_listen);
    close(m_stop_fd);
}

std::vector<uint8_t> CFakeProxy::Received()
{
    std::lock_guard guard(m_mutex);
    return m_received;
}

bool CFakeProxy::ReadExactly(int client, size_t count, std::vector<uint8_t>& out)
{
    while (count > 0) {
        pollfd fds[2] = { { client, POLLIN, 0 }, { m_stop_fd, POLLIN, 0 } };
        if (poll(fds, 2, 5000) <= 0 || fds[1].revents)
            return false;
        uint8_t byte;
        if (recv(client, &byte, 1, 0) != 1)
            return false;
        {
            std::lock_guard guard(m_mutex);
            m_received.push_back(byte);
        }
        out.push_back(byte);
        --count;
    }
    return true;
}

void CFakeProxy::Run()
{
    pollfd fds[2] = { { m_listen, POLLIN, 0 }, { m_stop_fd, POLLIN, 0 } };
    if (poll(fds, 2, 10000) <= 0 || fds[1].revents)
        return;
    const int client = accept(m_listen, nullptr, nullptr);
    if (client < 0)
        return;
    for (size_t i = 0; i < m_script.size(); ++i) {
        const Step& step = m_script[i];
        std::vector<uint8_t> got;
        if (!ReadExactly(client, step.expect.size(), got) || got != step.expect)
            break;
        // Known before the last reply leaves, so the test may look at once.
        if (i + 1 == m_script.size())
            m_matched.store(true);
        if (!step.reply.empty())
            send(client, step.reply.data(), step.reply.size(), MSG_NOSIGNAL);
    }
    // Hold the connection until the test ends.
    pollfd stop { m_stop_fd, POLLIN, 0 };
    poll(&stop, 1, 10000);
    close(client);
}

} // namespace net::testing

// Test helper: an owner window on the test thread that keeps every
// UM_COMM_MESSAGE payload (or, with m_keep off, counts them and lets them
// go, as a real owner does), and a pump with a deadline.
#pragma once

#include "net/CommRecords.h"
#include "net/NetMessages.h"

#include "platform/Message.h"
#include "platform/Tick.h"

#include <functional>
#include <memory>
#include <vector>

namespace net::testing {

class CCommCollector {
public:
    CCommCollector()
    {
        m_window = platform::CreateMessageWindow([this](platform::Message& msg) -> intptr_t {
            if (msg.id == UM_COMM_MESSAGE) {
                auto* payload = msg.PayloadAs<CommMessage>();
                if (payload && !m_keep) {
                    ++m_handled;
                    m_last_id = payload->request.id;
                } else if (payload && reinterpret_cast<uintptr_t>(&payload->conn) == msg.wparam) {
                    std::unique_ptr<platform::MessagePayload> owned = std::move(msg.payload);
                    m_messages.emplace_back(static_cast<CommMessage*>(owned.release()));
                }
            }
            return 0;
        });
    }
    ~CCommCollector() { platform::DestroyWindow(m_window); }

    [[nodiscard]] platform::WindowHandle GetWindow() const { return m_window; }

    /// Pumps the test thread's messages until the predicate holds or the deadline passes.
    bool PumpUntil(const std::function<bool()>& done, uint32_t timeout_ms = 10000)
    {
        const uint32_t start = platform::GetTickCount();
        while (!done()) {
            if (platform::HasElapsed(start, platform::GetTickCount(), timeout_ms))
                return false;
            platform::Message msg;
            if (platform::PeekMessage(msg))
                platform::DispatchMessage(msg);
            else
                platform::WaitMessage(20);
        }
        return true;
    }

    bool WaitForCount(size_t count, uint32_t timeout_ms = 10000)
    {
        return PumpUntil([this, count] { return m_messages.size() >= count; }, timeout_ms);
    }

    std::vector<std::unique_ptr<CommMessage>> m_messages;
    bool m_keep { true };
    size_t m_handled { 0 };  ///< messages let go (m_keep off)
    uint32_t m_last_id { 0 }; ///< id of the last one let go

private:
    platform::WindowHandle m_window { platform::WindowHandle::None };
};

} // namespace net::testing

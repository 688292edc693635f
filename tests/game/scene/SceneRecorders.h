#pragma once
// What a headless table scene writes outside itself, kept for the tests: the
// chat lines it shows through the side panel and the requests it sends
// through the connection (id and bytes, never sent).

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "client/AppLinks.h"
#include "client/CCardGameConnection.h"
#include "client/CGameApp.h"

namespace scene::test {

// Keeps every chat line the scene writes.
class CChatSink final : public client::ISidePanel {
public:
    void SendPanelEvent(uint32_t event_id, uintptr_t param1) override
    {
        if (event_id == client::GAMEMSG_SYSTEM_TEXT)
            lines.emplace_back(reinterpret_cast<const char*>(param1));
    }
    void SendChildEvent(const char*, uint32_t) override {}
    std::vector<std::string> lines;
};

// Keeps every request (id and bytes) instead of sending it.
class CRecordingConnection final : public client::CCardGameConnection {
public:
    using CCardGameConnection::CCardGameConnection;
    ~CRecordingConnection() override { Close(); }
    [[nodiscard]] int SendRequest(std::string&, uint32_t request_id, std::span<const uint8_t> data,
                                  client::RequestAnswer& answer, client::RequestWait) override
    {
        sent.emplace_back(request_id, std::vector<uint8_t>(data.begin(), data.end()));
        answer.code = 0;
        answer.data = answer_data;
        return result;
    }
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> sent;
    int result { 1 };                  ///< 0: every request fails
    std::vector<uint8_t> answer_data;  ///< the body of each answer
};

} // namespace scene::test

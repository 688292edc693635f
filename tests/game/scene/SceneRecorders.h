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
#include "client/CClientRecords.h"
#include "client/CCardGameConnection.h"
#include "client/CGameApp.h"
#include "game/rules/PlDkRecords.h"
#include "game/scene/ReplayRecorder.h"

namespace scene::test {

// Keeps every chat line the scene writes.
class CChatSink final : public client::ISidePanel {
public:
    void SendPanelEvent(uint32_t, uintptr_t) override {}
    void AddSystemText(std::string_view markup) override { lines.emplace_back(markup); }
    void ClearChat() override { lines.clear(); }
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
        answer.code = code;
        answer.data = answer_data;
        return result;
    }
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> sent;
    int result { 1 };                  ///< 0: every request fails
    int32_t code { client::GR_OK };    ///< the answer's code, as the server's to a request it took
    std::vector<uint8_t> answer_data;  ///< the body of each answer
};

// A replay recorder's clock the test sets; no icon, no upload.
class CFixedReplayEnv final : public IReplayRecorderEnv {
public:
    [[nodiscard]] uint32_t GetTickCount() const override { return tick; }
    [[nodiscard]] ReplayLocalTime GetLocalTime() const override { return { 2026, 12, 7, 10, 0, 0 }; }
    bool SaveGameIcon(const std::string&) override { return false; }
    bool StartUpload(const std::string&, const std::string&) override { return false; }
    uint32_t tick { 1000 };
};

/// Seats user first_user + c at every chair c and links the chat sink and
/// the connection (and the main game, when given) to the application.
inline void LinkTable(client::CGameApp& app, CChatSink& chat, CRecordingConnection& connection,
                      int32_t first_user = 100, client::IMainGame* main_game = nullptr)
{
    for (int chair = 0; chair < client::PLDK_CHAIRS; ++chair) {
        app.Records().Seat(chair)->user_id = first_user + chair;
        app.Records().Seat(chair)->chair = chair;
    }
    client::AppLinks links;
    links.side_panel = &chat;
    links.connection = &connection;
    links.main_game = main_game;
    app.SetLinks(links);
}

/// A running round as a late entrant gets it: the playing chair 0, card i
/// with chair i % 4 (face up only for the own chair 0); the first `in_hand`
/// cards in hand, four to a row, the rest played at `played_order`.
inline void SpreadRunningRound(rules::TableGameData& data, int in_hand, int32_t played_order)
{
    data.head[14] = 0;
    data.head[15] = 0x101;
    for (int i = 0; i < rules::PLDK_TOTAL_CARDS; ++i) {
        rules::DeckCard& deck = data.deck[i];
        deck.holder = i % 4;
        deck.card = deck.holder == 0 ? i : -1;
        deck.place = i < in_hand ? rules::CARD_PLACE_HAND : rules::CARD_PLACE_PLAYED;
        deck.order = i < in_hand ? i / 4 : played_order;
    }
}

} // namespace scene::test

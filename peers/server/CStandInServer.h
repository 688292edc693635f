// CStandInServer: a small stand-in for the game server, for tests and for
// running the client on one machine. It speaks the client's protocol through
// the network library's server channel (frames, CRC, AES) on a loopback port
// and answers what a client needs to get to its table: the version check,
// the log-on with the table's seats (the other chairs taken by computer
// players), the exit and leave requests; every message is logged as one line
// ("listening <port>", "message <id> ...", "logon ...", "round ...").
// A start request tells the table that every chair started (user-start
// events), deals a round and sends the game start event; computer
// players act on the other chairs, and the client's throws and passes for
// its own chair are checked by the rules. Every play and pass goes to the
// client as its table event; the ended round is settled, logged and sent as
// the round result event. Game data is relayed back as the game data event.
// Owner: the program's entry. Threads: the channel's thread calls the
// handlers; the log is written under a lock.
// Hazards: requests come from the client; each is read with its length
// checked. Loopback only.
#pragma once

#include <cstdint>
#include <cstdio>

#include "net/ServerChannel.h"
#include "peers/PeerLog.h"
#include "peers/server/CComputerRound.h"

namespace peers {

class CStandInServer {
public:
    static constexpr int32_t MAJOR_VERSION = 5;
    static constexpr int32_t MINOR_VERSION = 0;
    static constexpr int32_t COMPUTER_USER_BASE = 9001;
    static constexpr uint32_t GR_GAME_START = 211040;
    static constexpr uint32_t GR_ROUND_RESULT = 211080;

    CStandInServer(uint16_t port, std::FILE* log);

    /// Listens and serves; false when the port cannot be had.
    [[nodiscard]] bool Start();
    void Stop() { m_channel.Stop(); }
    [[nodiscard]] uint16_t GetPort() const { return m_channel.GetPort(); }

private:
    void OnMessage(net::CServerChannel& channel, const net::ServerMessage& message);
    void OnLogon(net::CServerChannel& channel, const net::ServerMessage& message);
    void StartRound(net::CServerChannel& channel);
    /// Computer players act until the client's chair is to play or the
    /// round ends (then settled and sent).
    void PlayComputers(net::CServerChannel& channel);
    void SendEvent(net::CServerChannel& channel, const RoundEvent& event);
    void EndRound(net::CServerChannel& channel);
    /// Answers the client's throw or pass (refused without an event); a
    /// taken one goes to the table and the computer players act.
    void AfterTurn(net::CServerChannel& channel, const net::ServerMessage& message, const RoundEvent* event);
    void OnThrow(net::CServerChannel& channel, const net::ServerMessage& message);
    void OnPass(net::CServerChannel& channel, const net::ServerMessage& message);
    void OnGameData(net::CServerChannel& channel, const net::ServerMessage& message);

    CPeerLog m_log; // before the channel, whose thread writes to it
    // Touched on the channel's thread only.
    CComputerRound m_round { rules::GetDefaultRulesEnvironment() };
    int32_t m_user_id { 0 };
    int32_t m_room_id { 0 };
    int32_t m_table_no { 0 };
    int32_t m_chair { 0 };
    net::CServerChannel m_channel;
};

} // namespace peers

// CStandInServer: a small stand-in for the game server, for tests and for
// running the client on one machine. It speaks the client's protocol through
// the network library's server channel (frames, CRC, AES) on a loopback port
// and answers what a client needs to get to its table: the version check,
// the log-on with the table's seats (the other chairs taken by computer
// players), the exit and leave requests; every message is logged as one line
// ("listening <port>", "message <id> ...", "logon ...", "round ...").
// A start request plays a round at once with computer players at every
// chair (the client's chair too, as on automatic play), logs its results and
// sends the client the game start and round result events.
// FIXME: the turn, play and pass events of the round are not sent yet.
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
    void PlayRound(net::CServerChannel& channel);

    CPeerLog m_log; // before the channel, whose thread writes to it
    // Touched on the channel's thread only.
    CComputerRound m_round { rules::GetDefaultRulesEnvironment() };
    int32_t m_user_id { 0 };
    int32_t m_chair { 0 };
    net::CServerChannel m_channel;
};

} // namespace peers

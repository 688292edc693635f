// CStandInServer: a small stand-in for the game server, for tests and for
// running the client on one machine. It speaks the client's protocol through
// the network library's server channel (frames, CRC, AES) on a loopback port
// and answers what a client needs to get to its table: the version check,
// the log-on (with the table's seats, the other chairs taken by computer
// players, while a round runs; else the answer of a table where no round
// runs, the seats being the hall's; then the scene notice with the text of
// the QR-code panel), the exit and leave requests, and a
// forced exit during a round, which the computer players agree to at once:
// the round ends unsettled and the client hears its own chair left the
// table; every message is logged as one line
// ("listening <port>", "message <id> ...", "logon ...", "round ...").
// A start request tells the table that every chair started (user-start
// events), deals a round and sends the game start event; once the clients
// have had the time to deal the cards out, computer players act on the
// other chairs, and the client's throws and passes for
// its own chair are checked by the rules; a player who has not acted ten
// seconds after the turn's time ran out is played for, as a computer player
// would play ("chair N timed out"). Every play and pass goes to the
// client as its table event; the ended round is settled, logged and sent as
// the round result event. Game data is relayed back as the game data event,
// a chat line to everyone at the table as the player chat event (so the
// client hears its own line back). A next round deals when the client
// starts it (its start button or the result box's continue), as a table
// deals once every chair has started; a start while a round runs is
// ignored. As people at a table take a moment, each computer play (and the
// result after the round's last play) goes out a pause after the play
// before it, so that a player sees one play after another; a pending play
// is dropped when the round ends meanwhile (a forced exit) or the client is
// gone. Each play is logged with its time since the round's deal.
// Options: the seconds each chair has for a turn (the table's throw wait);
// a first round that starts by itself some time after the log-on, as though
// the player had pressed start, and, for tests and soak runs, each next
// round some time after the last result unless the player starts it first;
// and a
// recording of each round as the client's chair received it, saved as the
// client's recorder saves a replay (in the user data folder), logged as
// "replay saved <path>". For measurements, a flood: a server message box,
// look-on requests and notices that open boxes at each round's start, and
// notices before each answer to a turn.
// Owner: the program's entry. Threads: the channel's thread calls the
// handlers, the entry's thread calls Tick; both under one lock. The log is
// written under a lock of its own.
// Hazards: requests come from the client; each is read with its length
// checked. Loopback only.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "net/ServerChannel.h"
#include "peers/PeerLog.h"
#include "peers/server/CComputerRound.h"

namespace peers {

struct ServerOptions {
    uint16_t port = 21473;     ///< 0: a free port the system chooses
    int32_t turn_seconds = 0;  ///< the seconds of a turn; 0: the table's own
    int32_t start_after_ms = -1; ///< the first round starts by itself this long after the log-on; -1: never
    int32_t next_round_after_ms = -1; ///< each next round starts by itself this long after a result; -1: never
    bool record = false;       ///< save each round as a replay of the client's chair
    int32_t computer_pause_ms = 1000; ///< before each computer play and the result; 0: at once
    // A flooding server, for measuring the client under it:
    int32_t look_on_requests = 0;       ///< look-on requests from the other chairs at each round's start
    int32_t notices_before_answer = 0;  ///< empty player-info notices before each answer to a throw or pass
    std::string message_box;            ///< GBK text of a server message box at each round's start; empty: none
    /// At each round's start, this many each of the notices that open a box
    /// (player details, forced-exit questions, match out, system cancel) and
    /// twice as many end-of-table notices.
    int32_t box_notices = 0;
};

class CRoundRecording;

class CStandInServer {
public:
    static constexpr int32_t MAJOR_VERSION = 5;
    static constexpr int32_t MINOR_VERSION = 0;
    static constexpr uint32_t GR_GAME_START = 211040;
    static constexpr uint32_t GR_ROUND_RESULT = 211080;

    CStandInServer(const ServerOptions& options, std::FILE* log);
    ~CStandInServer();

    /// Listens and serves; false when the port cannot be had.
    [[nodiscard]] bool Start();
    void Stop() { m_channel.Stop(); }
    /// Starts the first round when its time has come (called every few
    /// milliseconds by the entry's loop).
    void Tick();
    [[nodiscard]] uint16_t GetPort() const { return m_channel.GetPort(); }

private:
    void OnMessage(net::CServerChannel& channel, const net::ServerMessage& message);
    void OnLogon(net::CServerChannel& channel, const net::ServerMessage& message);
    /// The other chairs agree to the client's forced exit; a running round
    /// ends unsettled and the client is told its chair left.
    void OnForcedExit(net::CServerChannel& channel);
    void StartRound(net::CServerChannel& channel);
    /// Computer players act, each when its pause has passed, until the
    /// client's chair is to play; the ended round is settled and sent when
    /// the pause after its last play has passed. Called again by Tick while
    /// a step waits.
    void PlayComputers(net::CServerChannel& channel);
    /// The play-start game data from a computer player's chair that leads.
    void SendPlayStart(net::CServerChannel& channel, int32_t chair);
    void SendBoxNotices(net::CServerChannel& channel, const std::array<int32_t, CComputerRound::CHAIRS>& users);
    /// Sends a play or pass of the round; the next step waits a pause.
    void SendEvent(net::CServerChannel& channel, const RoundEvent& event);
    void EndRound(net::CServerChannel& channel);
    /// Answers the client's throw or pass (refused without an event); a
    /// taken one goes to the table and the computer players act.
    void AfterTurn(net::CServerChannel& channel, const net::ServerMessage& message, const RoundEvent* event);
    void OnThrow(net::CServerChannel& channel, const net::ServerMessage& message);
    void OnPass(net::CServerChannel& channel, const net::ServerMessage& message);
    void OnGameData(net::CServerChannel& channel, const net::ServerMessage& message);
    void OnChat(net::CServerChannel& channel, const net::ServerMessage& message);
    void Record(uint32_t id, std::span<const uint8_t> body);

    /// The table's settings: the turn's seconds from the options.
    class CSettings final : public rules::IRulesSettings {
    public:
        explicit CSettings(int32_t turn_seconds) : m_turn_seconds(turn_seconds) {}
        /// A path the tables can name their settings file by; never read.
        [[nodiscard]] std::string GetProgramFilePath() const override { return "/stand-in/pldk_server"; }
        [[nodiscard]] int GetProfileInt(std::string_view section, std::string_view, int default_value,
                                        std::string_view) const override;

    private:
        int32_t m_turn_seconds;
    };

    ServerOptions m_options;
    CPeerLog m_log; // before the channel, whose thread writes to it
    CSettings m_settings { m_options.turn_seconds };
    std::mutex m_mutex; // the round and the seats below
    CComputerRound m_round;
    std::unique_ptr<CRoundRecording> m_recording;
    bool m_logged_on { false };
    uint32_t m_logon_tick { 0 };
    bool m_first_round_started { false };
    uint32_t m_turn_tick { 0 }; ///< when the player's turn began
    uint32_t m_step_tick { 0 }; ///< when the round's next step (a computer play, the result) is due
    bool m_dealing { false };   ///< a round started, its play not yet begun
    bool m_play_started { false }; ///< the lead's play-start word went out
    uint32_t m_deal_tick { 0 };
    uint32_t m_result_tick { 0 }; ///< when the last round ended; 0 while one runs or none has
    int32_t m_user_id { 0 };
    int32_t m_room_id { 0 };
    int32_t m_table_no { 0 };
    int32_t m_chair { 0 };
    net::CServerChannel m_channel;
};

} // namespace peers

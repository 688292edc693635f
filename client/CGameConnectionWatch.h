// CServerWatch: whether a game server that stopped answering is to be given
// up. It is told each waiting request's outcome and looks at the count of
// bytes received from the server now and then; during a round, several
// requests timed out in a row or a long silence mean the server is gone.
//
// The limits are set so that a slow but live server never trips them:
//  - TIMEOUTS_IN_A_ROW (3): a request times out after 5 s (card-game
//    requests) to 30 s, so the server has answered none of three requests in
//    at least 15 s. Any answer, however late, starts the count again.
//  - SILENCE_LIMIT_MS (90 s): during a round a live server sends a table
//    event at every play and plays for a player whose turn clock ran out;
//    the client's own clock at zero sends game data that comes back. Outside
//    a round the server may rightly say nothing, and silence is not counted.
//  - While a turn's clock runs the server rightly waits for that player (the
//    own player too, who may think the whole turn): a silence is no sign
//    until the clock, as the first look of the silence saw it, has run out
//    and TURN_GRACE_MS more have passed (the server plays for a player idle
//    past the turn only after a grace of its own). A turn longer than the
//    silence limit so keeps the table, and a server that stops during a turn
//    is still noticed once the turn and the grace are over: later looks at
//    the same silence do not move that end.
//
// Owner: the game connection (one per connection). Threads: the UI thread.
// Hazards: ticks are 32-bit and wrap; spans are taken as differences. The
// clock's seconds come from the server: a turn counts at most
// MAX_TURN_SECONDS.
#pragma once

#include <cstdint>
#include <optional>

namespace client {

class CServerWatch {
public:
    static constexpr int TIMEOUTS_IN_A_ROW = 3;
    static constexpr uint32_t SILENCE_LIMIT_MS = 90000;
    static constexpr uint32_t TURN_GRACE_MS = 30000;
    static constexpr int32_t MAX_TURN_SECONDS = 3600;
    /// How often the connection looks at the received bytes.
    static constexpr uint32_t LOOK_PERIOD_MS = 5000;

    enum class Verdict { Alive, Gone };

    /// A new connection: nothing timed out, the server heard from at `now`.
    void Reset(uint32_t now, uint64_t bytes_received);
    /// A waiting request got its answer.
    void OnAnswer();
    /// A waiting request timed out; Gone once TIMEOUTS_IN_A_ROW did during a round.
    [[nodiscard]] Verdict OnTimedOut(bool in_round);
    /// A look at the bytes received so far: Gone when none came for
    /// SILENCE_LIMIT_MS of a round, and no turn's clock excuses the silence.
    /// `turn_seconds_left`: what the running turn's clock shows, nullopt when
    /// no turn's clock runs.
    [[nodiscard]] Verdict OnLook(uint32_t now, uint64_t bytes_received, bool in_round,
                                 std::optional<int32_t> turn_seconds_left = std::nullopt);

    [[nodiscard]] int GetTimeoutsInARow() const { return m_timeouts_in_a_row; }

private:
    int m_timeouts_in_a_row { 0 };
    uint64_t m_bytes_received { 0 };
    uint32_t m_heard_tick { 0 };
    /// The current silence's excuse by a turn's clock: from the look that
    /// first saw the clock, for what it had left and the grace.
    bool m_excused { false };
    uint32_t m_excuse_tick { 0 };
    uint32_t m_excuse_ms { 0 };
};

} // namespace client

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
//    the client's own clock at zero sends game data that comes back. A whole
//    turn's clock plus the server's grace stays well below 90 s. Outside a
//    round the server may rightly say nothing, and silence is not counted.
//
// Owner: the game connection (one per connection). Threads: the UI thread.
// Hazards: ticks are 32-bit and wrap; spans are taken as differences.
#pragma once

#include <cstdint>

namespace client {

class CServerWatch {
public:
    static constexpr int TIMEOUTS_IN_A_ROW = 3;
    static constexpr uint32_t SILENCE_LIMIT_MS = 90000;
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
    /// SILENCE_LIMIT_MS of a round.
    [[nodiscard]] Verdict OnLook(uint32_t now, uint64_t bytes_received, bool in_round);

    [[nodiscard]] int GetTimeoutsInARow() const { return m_timeouts_in_a_row; }

private:
    int m_timeouts_in_a_row { 0 };
    uint64_t m_bytes_received { 0 };
    uint32_t m_heard_tick { 0 };
};

} // namespace client

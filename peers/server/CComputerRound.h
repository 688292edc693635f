// CComputerRound: one round of this game on the rules' table, played step by
// step. Computer players follow with the first play the hint search finds
// that beats the last play (or pass), and lead with the hint search's first
// play (the weakest single when the table will not take it). A player's own
// throws and passes are checked by the table's rules with jokers wild, as
// this game's client reads and searches its plays (a table that did not take
// jokers as wild refused the client's own automatic plays). Every step gives the
// table event the clients receive for it (a play or a pass), and the ended
// round is settled.
// Owner: the stand-in server. Thread: the caller's (the rules' card
// callbacks are program-wide, so one round at a time in a process).
// Hazards: a round that does not end within MAX_ACTIONS is reported as not
// finished rather than looping on; a refused throw or pass changes nothing.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "game/rules/PlDkTable.h"
#include "game/rules/RulesEnvironment.h"

namespace peers {

struct RoundOutcome {
    bool finished = false;
    int actions = 0;
    int throws = 0;
    int passes = 0;
    int first_chair = -1;                ///< the chair that finished first
    std::array<int32_t, 4> results {};   ///< the rules' round results per chair
    std::array<int64_t, 4> score_change {}; ///< the settlement's score changes
    std::vector<uint8_t> start_record;   ///< the deal as the viewer receives it (game start event)
    std::vector<uint8_t> result_record;  ///< the settled result, as the round result event carries it
};

/// One table event of the round, as the clients receive it.
struct RoundEvent {
    uint32_t id = 0;
    std::vector<uint8_t> body;
};

/// The stand-in tables' random numbers: one generator for the process,
/// seeded once from the system's random bytes. The table seeds its
/// generator from the clock just before each shuffle and each turned card,
/// so rounds dealt at a steady pace would draw alike (the turned card at the
/// same chair); those seedings are ignored here.
class CProcessRandom final : public rules::IRandomSource {
public:
    [[nodiscard]] static CProcessRandom& Instance();
    void Seed(uint32_t) override {}
    [[nodiscard]] int32_t Next() override;

private:
    CProcessRandom();
    rules::CCrtRandom m_generator;
};

/// The environment of the stand-in's tables: the program's default one with
/// the process's generator and the given settings (which must outlive it).
[[nodiscard]] rules::RulesEnvironment StandInEnvironment(const rules::IRulesSettings& settings);

/// Reads a client's throw request: the record's head of 16 words (the chair
/// in word 3, the play from word 12, its card count in word 15) and as many
/// card ids as the count names; the card words left out hold no card. False
/// for a body shorter than the head or a play the rules' reader refuses.
[[nodiscard]] bool ReadThrowRecord(std::span<const uint8_t> body, int32_t& chair, rules::CardPlay& play);

class CComputerRound {
public:
    static constexpr int CHAIRS = 4;
    static constexpr int MAX_ACTIONS = 2000;
    static constexpr uint32_t GR_CARDS_THROWN = 221170;
    static constexpr uint32_t GR_PLAYER_PASSED = 223100;
    /// A play: word 0 the user, 3 the chair, 4 the next chair, 6 the
    /// finishing place, 7 the next chair's seconds, 8 the points the chair
    /// took, 9 the points on the table, from word 12 the play.
    static constexpr size_t PLAY_EVENT_BYTES = 320;
    /// A pass: word 0 the user, 2 the chair, 4 the next chair, 5 the trick
    /// over, 6 its winner, 7 the points won, 8 the next chair's seconds.
    static constexpr size_t PASS_EVENT_BYTES = 36;

    /// The table takes the environment (clock, random numbers, services).
    explicit CComputerRound(const rules::RulesEnvironment& environment);

    /// Seats the four users and plays one round to its end with computer
    /// players at every chair; the start record shows the table as
    /// `viewer_chair` sees it.
    [[nodiscard]] RoundOutcome Play(const std::array<int32_t, CHAIRS>& user_ids, int viewer_chair = 0);

    /// Seats the users and deals; false when the round cannot start.
    [[nodiscard]] bool Begin(const std::array<int32_t, CHAIRS>& user_ids, int viewer_chair);
    [[nodiscard]] bool IsRunning() const { return m_running; }
    [[nodiscard]] bool IsOver() const { return m_over; }
    [[nodiscard]] int GetCurrentChair() const { return m_table.GetCurrentChair(); }
    /// The seconds each chair has for a turn in this round.
    [[nodiscard]] int32_t GetTurnSeconds() const { return m_turn_seconds; }
    /// The computer player's action at the current chair; false when the
    /// round cannot go on (over, stuck, or too long).
    bool PlayComputer(RoundEvent& event);
    /// A player's throw or pass at `chair`; false, with nothing changed, when
    /// it is not that chair's turn or the rules refuse it.
    bool Throw(int chair, const rules::CardPlay& play, RoundEvent& event);
    bool Pass(int chair, RoundEvent& event);
    /// Settles the ended round (finished, results, result record).
    void Settle();
    /// Ends a running round unplayed and unsettled (a player left it).
    void Abandon() { m_running = false; }
    [[nodiscard]] const RoundOutcome& GetOutcome() const { return m_outcome; }

private:
    /// The play of `chair` now; false to pass.
    bool ChoosePlay(int chair, rules::CardPlay& play);
    bool WeakestSingle(int chair, rules::CardPlay& play);
    void ApplyThrow(rules::ThrowRequest& request, RoundEvent& event);
    bool ApplyPass(int chair, RoundEvent& event);

    rules::CPlDkTable m_table { rules::OPTION_JOKERS_WILD }; ///< jokers wild, as the client plays them
    std::array<int32_t, CHAIRS> m_users {};
    RoundOutcome m_outcome;
    int32_t m_turn_seconds { 0 };
    bool m_running { false };
    bool m_over { false };
};

} // namespace peers

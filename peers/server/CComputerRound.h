// CComputerRound: one round of this game played to its end on the rules'
// table by simple computer players at every chair: each follows with the
// first play the hint search finds that beats the last play (or passes),
// and leads with the hint search's first play (the weakest single when the
// table will not take it). The round is then settled.
// Owner: the stand-in server. Thread: the caller's (the rules' card
// callbacks are program-wide, so one round at a time in a process).
// Hazards: a round that does not end within MAX_ACTIONS is reported as not
// finished rather than looping on.
#pragma once

#include <array>
#include <cstdint>
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
    std::vector<uint8_t> start_record;   ///< the table as the viewer sees it at the start (game start event)
    std::vector<uint8_t> result_record;  ///< the settled result, as the round result event carries it
};

class CComputerRound {
public:
    static constexpr int CHAIRS = 4;
    static constexpr int MAX_ACTIONS = 2000;

    /// The table takes the environment (clock, random numbers, services).
    explicit CComputerRound(const rules::RulesEnvironment& environment);

    /// Seats the four users and plays one round to its end; the start record
    /// shows the table as `viewer_chair` sees it.
    [[nodiscard]] RoundOutcome Play(const std::array<int32_t, CHAIRS>& user_ids, int viewer_chair = 0);

private:
    /// The play of `chair` now; false to pass.
    bool ChoosePlay(int chair, rules::CardPlay& play);
    bool WeakestSingle(int chair, rules::CardPlay& play);

    rules::CPlDkTable m_table { 0 };
};

} // namespace peers

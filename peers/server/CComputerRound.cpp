#include "peers/server/CComputerRound.h"

#include <memory>

#include "game/scene/PlDkPlayFinder.h"

namespace peers {

namespace {

rules::StartGameArgs OpenStartArgs()
{
    rules::StartGameArgs args;
    args.round.min_score = -1000000;
    args.round.max_score = 1000000;
    args.max_games = 1000000;
    args.max_rounds = 1000000;
    args.base_score_arg = 1;
    return args;
}

} // namespace

CComputerRound::CComputerRound(const rules::RulesEnvironment& environment)
{
    m_table.SetEnvironment(environment);
}

bool CComputerRound::ChoosePlay(int chair, rules::CardPlay& play)
{
    std::array<int32_t, rules::PLAY_CARDS> hand;
    hand.fill(rules::NO_CARD);
    const int count = m_table.GetHandCards(chair, hand);
    const auto cards = std::span<const int32_t>(hand).first(static_cast<size_t>(std::max(count, 0)));
    const rules::TableGameData& block = m_table.GetTableGameData();
    const bool leading = block.last_play_chair == -1;
    rules::CardPlay to_beat;
    if (!leading)
        to_beat = block.last_play;
    std::array<int32_t, rules::PLAY_CARDS> chosen {};
    rules::CardPlay found;
    if (scene::CPlDkPlayFinder::SearchHint(cards, chosen, to_beat, found, scene::PLDK_HINT_MASK, scene::NO_WILD, -1)
        == 0)
        return false;
    play = found;
    return true;
}

bool CComputerRound::WeakestSingle(int chair, rules::CardPlay& play)
{
    std::array<int32_t, rules::PLAY_CARDS> hand;
    hand.fill(rules::NO_CARD);
    m_table.GetHandCards(chair, hand);
    play.Clear();
    return m_table.FindSingle(hand, play) != 0;
}

RoundOutcome CComputerRound::Play(const std::array<int32_t, CHAIRS>& user_ids, int viewer_chair)
{
    RoundOutcome outcome;
    if (m_table.GetPlayerCount() == 0) {
        for (int chair = 0; chair < CHAIRS; ++chair) {
            auto player = std::make_unique<rules::TablePlayer>();
            player->user_id = user_ids[static_cast<size_t>(chair)];
            player->chair = chair;
            m_table.AddPlayer(std::move(player));
        }
    }
    m_table.Reset(0);
    int first = -1;
    if (m_table.StartGame(first, OpenStartArgs()) != rules::START_OK)
        return outcome;
    m_table.BeginPlayPhase();
    outcome.start_record.resize(rules::TABLE_GAME_DATA_BYTES);
    outcome.start_record.resize(m_table.FillTableInfo(outcome.start_record, viewer_chair, 0));
    bool over = false;
    while (!over && outcome.actions < MAX_ACTIONS) {
        ++outcome.actions;
        const int current = m_table.GetCurrentChair();
        if (!m_table.IsValidChair(current))
            break;
        rules::ThrowRequest request;
        request.chair = current;
        bool throwing = ChoosePlay(current, request.play) && m_table.IsValidThrow(request);
        if (!throwing) {
            rules::PassRequest pass;
            pass.chair = current;
            if (m_table.IsValidPass(pass) == 1) {
                m_table.OnPass(pass);
                ++outcome.passes;
                continue;
            }
            // A leader whose hint the table refused plays its weakest single.
            throwing = WeakestSingle(current, request.play) && m_table.IsValidThrow(request);
            if (!throwing)
                break;
        }
        m_table.ApplyThrow(request);
        ++outcome.throws;
        over = m_table.AfterThrow(request) == 1;
    }
    if (!over)
        return outcome;
    outcome.finished = true;
    outcome.first_chair = m_table.GetChairByPlace(1);
    (void)m_table.CalcRoundResults(outcome.results);
    auto win = std::make_unique<rules::PlDkGameWinResult>();
    if (m_table.SettleRound(*win, outcome.first_chair, 0, nullptr) == 1) {
        for (int chair = 0; chair < CHAIRS; ++chair)
            outcome.score_change[static_cast<size_t>(chair)] = win->base.score_change[chair];
        outcome.result_record.resize(rules::PLDK_GAME_WIN_BYTES);
        rules::WritePlDkGameWinResult(*win, outcome.result_record);
    }
    m_table.EndPlaying();
    return outcome;
}

} // namespace peers

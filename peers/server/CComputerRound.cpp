#include "peers/server/CComputerRound.h"

#include <unistd.h>

#include <algorithm>
#include <memory>

#include "game/scene/PlDkPlayFinder.h"
#include "platform/ByteOrder.h"
#include "platform/ByteReader.h"
#include "platform/ByteWriter.h"
#include "platform/Random.h"
#include "platform/Tick.h"

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

constexpr size_t THROW_HEAD_BYTES = 64;
constexpr size_t THROW_PLAY_OFFSET = 48;

} // namespace

CProcessRandom::CProcessRandom()
{
    std::array<uint8_t, 4> bytes {};
    const uint32_t seed = platform::GetRandomBytes(bytes) ? platform::LoadU32LE(bytes.data())
                                                          : platform::GetTickCount() ^ static_cast<uint32_t>(::getpid());
    m_generator.Seed(seed);
}

CProcessRandom& CProcessRandom::Instance()
{
    static CProcessRandom random;
    return random;
}

int32_t CProcessRandom::Next()
{
    return m_generator.Next();
}

rules::RulesEnvironment StandInEnvironment(const rules::IRulesSettings& settings)
{
    rules::RulesEnvironment environment = rules::GetDefaultRulesEnvironment();
    environment.random = &CProcessRandom::Instance();
    environment.settings = &settings;
    return environment;
}

bool ReadThrowRecord(std::span<const uint8_t> body, int32_t& chair, rules::CardPlay& play)
{
    if (body.size() < THROW_HEAD_BYTES)
        return false;
    std::array<uint8_t, CComputerRound::PLAY_EVENT_BYTES> record;
    std::fill_n(record.begin(), THROW_HEAD_BYTES, uint8_t { 0 });
    std::fill(record.begin() + THROW_HEAD_BYTES, record.end(), uint8_t { 0xFF });
    std::copy_n(body.begin(), std::min(body.size(), record.size()), record.begin());
    platform::CByteReader head(record);
    (void)head.ReadBytes(3 * 4);
    chair = head.ReadI32();
    return rules::ReadCardPlay(std::span<const uint8_t>(record).subspan(THROW_PLAY_OFFSET), play);
}

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

bool CComputerRound::Begin(const std::array<int32_t, CHAIRS>& user_ids, int viewer_chair)
{
    m_outcome = RoundOutcome {};
    m_running = false;
    m_over = false;
    m_users = user_ids;
    if (m_table.GetPlayerCount() == 0) {
        for (int chair = 0; chair < CHAIRS; ++chair) {
            auto player = std::make_unique<rules::TablePlayer>();
            player->user_id = user_ids[static_cast<size_t>(chair)];
            player->chair = chair;
            m_table.AddPlayer(std::move(player));
        }
    }
    for (int chair = 0; chair < CHAIRS; ++chair) {
        if (rules::TablePlayer* player = m_table.GetSeat(chair))
            player->user_id = user_ids[static_cast<size_t>(chair)];
    }
    m_table.Reset(0);
    int first = -1;
    if (m_table.StartGame(first, OpenStartArgs()) != rules::START_OK)
        return false;
    m_table.BeginPlayPhase();
    // The round start is the deal as the viewer receives it, the 101 words
    // the client takes: the common header, the cards per player, the
    // viewer's hand (and its partner's under the open-hand option), the
    // turned-up card and the points in each hand.
    m_outcome.start_record.resize(rules::DEAL_INFO_BYTES);
    m_outcome.start_record.resize(m_table.FillDealInfo(m_outcome.start_record, viewer_chair, 0));
    if (m_outcome.start_record.size() != rules::DEAL_INFO_BYTES)
        return false;
    platform::CByteReader head(m_outcome.start_record);
    (void)head.ReadBytes(rules::HDR_THROW_WAIT * 4);
    m_turn_seconds = head.ReadI32();
    m_running = true;
    return true;
}

void CComputerRound::ApplyThrow(rules::ThrowRequest& request, RoundEvent& event)
{
    (void)m_table.ApplyThrow(request); // the request was checked by IsValidThrow
    ++m_outcome.actions;
    ++m_outcome.throws;
    m_over = m_table.AfterThrow(request) == 1;
    event.id = GR_CARDS_THROWN;
    event.body.assign(PLAY_EVENT_BYTES, 0);
    platform::CByteWriter out(event.body);
    out.WriteI32(m_users[static_cast<size_t>(request.chair)]);
    out.WriteI32(0);
    out.WriteI32(0);
    out.WriteI32(request.chair);
    out.WriteI32(request.next_chair);
    out.WriteI32(0);
    out.WriteI32(request.place);
    out.WriteI32(m_turn_seconds);
    out.WriteI32(request.points_taken);
    out.WriteI32(request.trick_points);
    out.WriteI32(0);
    out.WriteI32(0);
    rules::WriteCardPlay(request.play, std::span(event.body).subspan(out.Written()));
}

bool CComputerRound::ApplyPass(int chair, RoundEvent& event)
{
    rules::PassRequest pass;
    pass.chair = chair;
    if (m_table.IsValidPass(pass) != 1)
        return false;
    (void)m_table.OnPass(pass); // the pass was checked; the table answers into the request
    ++m_outcome.actions;
    ++m_outcome.passes;
    event.id = GR_PLAYER_PASSED;
    event.body.assign(PASS_EVENT_BYTES, 0);
    platform::CByteWriter out(event.body);
    out.WriteI32(m_users[static_cast<size_t>(chair)]);
    out.WriteI32(0);
    out.WriteI32(chair);
    out.WriteI32(0);
    out.WriteI32(pass.next_chair);
    out.WriteI32(pass.trick_won);
    out.WriteI32(pass.last_play_chair);
    out.WriteI32(pass.points_taken);
    out.WriteI32(m_turn_seconds);
    return true;
}

bool CComputerRound::PlayComputer(RoundEvent& event)
{
    const int current = m_table.GetCurrentChair();
    if (!m_running || m_over || m_outcome.actions >= MAX_ACTIONS || !m_table.IsValidChair(current))
        return false;
    rules::ThrowRequest request;
    request.chair = current;
    if (!(ChoosePlay(current, request.play) && m_table.IsValidThrow(request))) {
        if (ApplyPass(current, event))
            return true;
        // A leader whose hint the table refused plays its weakest single.
        request.play.Clear();
        if (!WeakestSingle(current, request.play) || !m_table.IsValidThrow(request))
            return false;
    }
    ApplyThrow(request, event);
    return true;
}

bool CComputerRound::Throw(int chair, const rules::CardPlay& play, RoundEvent& event)
{
    if (!m_running || m_over || chair != m_table.GetCurrentChair())
        return false;
    rules::ThrowRequest request;
    request.chair = chair;
    request.play = play;
    if (!m_table.IsValidThrow(request))
        return false;
    ApplyThrow(request, event);
    return true;
}

bool CComputerRound::Pass(int chair, RoundEvent& event)
{
    return m_running && !m_over && ApplyPass(chair, event);
}

void CComputerRound::Settle()
{
    if (!m_running || !m_over)
        return;
    m_running = false;
    m_outcome.finished = true;
    m_outcome.first_chair = m_table.GetChairByPlace(1);
    (void)m_table.CalcRoundResults(m_outcome.results);
    auto win = std::make_unique<rules::PlDkGameWinResult>();
    if (m_table.SettleRound(*win, m_outcome.first_chair, 0, nullptr) == 1) {
        for (int chair = 0; chair < CHAIRS; ++chair)
            m_outcome.score_change[static_cast<size_t>(chair)] = win->base.score_change[chair];
        m_outcome.result_record.resize(rules::PLDK_GAME_WIN_BYTES);
        rules::WritePlDkGameWinResult(*win, m_outcome.result_record);
    }
    m_table.EndPlaying();
}

RoundOutcome CComputerRound::Play(const std::array<int32_t, CHAIRS>& user_ids, int viewer_chair)
{
    if (!Begin(user_ids, viewer_chair))
        return m_outcome;
    RoundEvent event;
    while (!m_over && PlayComputer(event)) { }
    if (!m_over) {
        m_outcome.actions = std::max(m_outcome.actions, 1);
        return m_outcome;
    }
    Settle();
    return m_outcome;
}

} // namespace peers

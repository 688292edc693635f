#include "client/CGameScene.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>

#include "client/CGameApp.h"
#include "client/CGameConnection.h"
#include "client/CGameNotifyHandler.h"
#include "client/CPlDkGameState.h"
#include "platform/ByteOrder.h"

namespace client {

namespace {

constexpr size_t SCENE_NOTICE_TEXT_AT = 32;
constexpr size_t REQUEST_214010_BYTES = 320;
constexpr size_t ANSWER_214010_BYTES = 124;
constexpr size_t SEAT_WORDS = 4;

/// The request record the scene sends: the seat block (own user id, room id,
/// table number, own chair), then its values.
template <size_t N>
std::array<uint8_t, N> SceneRequest(const CClientRecords& records, std::initializer_list<int32_t> values)
{
    std::array<uint8_t, N> record {};
    size_t word = 0;
    for (const int32_t value : { records.GetUserID(), records.GetRoomID(), records.GetTableNO(), records.GetChairNO() })
        platform::StoreU32LE(record.data() + 4 * word++, static_cast<uint32_t>(value));
    for (const int32_t value : values)
        platform::StoreU32LE(record.data() + 4 * word++, static_cast<uint32_t>(value));
    return record;
}

} // namespace

CGameScene::~CGameScene()
{
    m_app.DropLink(&AppLinks::main_game, this);
}

int CGameScene::OnEvent(const engine::EngineEvent& event)
{
    switch (event.id) {
    case GAMEMSG_ID_80000063:
        if (const auto* record = reinterpret_cast<const std::span<const uint8_t>*>(event.param1);
            record != nullptr && record->size() > SCENE_NOTICE_TEXT_AT && (*record)[SCENE_NOTICE_TEXT_AT] != 0)
            OnSceneNotice(*record);
        break;
    case GAMEMSG_COUNTDOWN:
        m_countdown_handle = 0; // the action has run out
        m_app.ShowExitMessageBoard({ "由于您长时间没有开始游戏，系统请您离开游戏", 10, 48, "vur抱歉" });
        break;
    default:
        break;
    }
    return 1;
}

void CGameScene::SendGameEvent(uint32_t event_id, uintptr_t param1)
{
    (void)SendEvent(engine::EngineEvent { GetId(), event_id, param1, 0 });
}

void CGameScene::CreateInfoBoard()
{
    if (!m_app.HasRoomConfigsEx20000() && !m_app.IsReplayMode())
        return;
    std::unique_ptr<engine::CEngineObject> made =
        NewReplayBoard(m_app.IsMatch() ? ReplayBoardKind::Upload : ReplayBoardKind::Standard);
    if (!made)
        return;
    m_replay_board = RegisterObject(std::move(made));
    if (m_replay_board == nullptr)
        return;
    m_replay_board->RaiseToTopLayer();
    m_replay_board->SetZ(REPLAY_BOARD_DEPTH);
    if (auto* board = dynamic_cast<IReplayBoard*>(m_replay_board))
        board->SetMaxGap(REPLAY_MAX_GAP_MS);
    if (m_app.IsReplayMode())
        m_replay_board->Activate();
    m_replay_board->Invalidate();
}

bool CGameScene::HasCountdownConfigs() const
{
    const CClientRecords& records = m_app.Records();
    return records.HasRoomConfig40() && records.HasRoomConfig80();
}

void CGameScene::LoadCountdownLength()
{
    const std::span<int32_t> block = m_app.GetStateBlock();
    if (HasCountdownConfigs() && block.size() > CPlDkGameState::COUNTDOWN_WORD)
        m_countdown_length = block[CPlDkGameState::COUNTDOWN_WORD];
}

void CGameScene::StartCountdown()
{
    StopCountdown();
    if (!HasCountdownConfigs() || m_countdown_handle != 0 || m_countdown_length < 1)
        return;
    // A length from the server times 1000 must not wrap into a short wait.
    const auto span = static_cast<uint32_t>(std::min<int64_t>(int64_t { m_countdown_length } * 1000, UINT32_MAX));
    const engine::EngineEvent event { GetId(), GAMEMSG_COUNTDOWN, 0, 0 };
    m_countdown_handle = AddWaitFramesAction(this, span, &event);
}

void CGameScene::StopCountdown()
{
    if (m_countdown_handle == 0)
        return;
    MarkGroupEntries(m_countdown_handle);
    m_countdown_handle = 0;
}

void CGameScene::OnRoomConfig02()
{
    if (!m_app.Records().HasRoomConfig02())
        return;
    if (auto* connection = m_app.Links().SceneRequests()) {
        std::string text;
        (void)connection->Request201302(text);
    }
}

void CGameScene::SendRequest214010(int32_t value)
{
    auto* connection = m_app.Links().SceneRequests();
    if (connection == nullptr)
        return;
    std::string text;
    std::array<uint8_t, ANSWER_214010_BYTES> block {};
    const auto record = SceneRequest<REQUEST_214010_BYTES>(m_app.Records(), { value });
    const int result = connection->Request214010(text, record, block);
    m_app.OnReply214010(result, text, value, block);
}

void CGameScene::SendRequest214000(int32_t first, int32_t second)
{
    auto* connection = m_app.Links().SceneRequests();
    if (connection == nullptr)
        return;
    std::string text;
    const auto record = SceneRequest<(SEAT_WORDS + 2) * 4>(m_app.Records(), { first, second });
    const int result = connection->Request214000(text, record);
    m_app.OnReply214000(result, text, first, second, 0);
}

CGameStateHolder* CGameScene::GetGameState() const { return m_app.GetGameStateHolder(); }

} // namespace client

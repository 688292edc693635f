#include "game/scene/ReplaySceneHost.h"

#include "client/CGameApp.h"
#include "client/CGameFrameWnd.h"
#include "client/CRefusalLog.h"
#include "client/GameNotifyHandler.h"

namespace scene {

client::IGameNotifyHandler* CReplayDispatchHost::GetHandler() const
{
    if (m_handler != nullptr || m_app == nullptr)
        return m_handler;
    const client::CGameFrameWnd* window = m_app->GetMainWindow();
    return window != nullptr ? window->GetNotifyHandler() : nullptr;
}

bool CReplayDispatchHost::DispatchRecord(uint32_t event_id, std::span<const uint8_t> data)
{
    client::IGameNotifyHandler* handler = GetHandler();
    if (handler == nullptr)
        return true;
    // A record the table refuses logs its refusal (wherever it was decided)
    // or throws; either way it changed nothing.
    const client::CRefusalLog& refusals = client::CRefusalLog::Instance();
    const uint64_t refused = refusals.GetCount();
    bool taken = true;
    try {
        handler->Dispatch(event_id, data);
    } catch (...) {
        // Skipped, as the main window drops such a message from the server.
        taken = false;
    }
    handler->OnAfterDispatch(event_id, data);
    return taken && refusals.GetCount() == refused;
}

void CReplayDispatchHost::RefreshMainGame()
{
    if (m_refresh)
        m_refresh();
}

void CReplayDispatchHost::SeatRecordingPlayer()
{
    if (m_seat)
        m_seat();
}

void CReplayDispatchHost::ClearChat()
{
    if (m_app != nullptr)
        if (client::ISidePanel* panel = m_app->Links().side_panel)
            panel->ClearChat();
}

std::unique_ptr<IReplayFileChoice> CReplayDispatchHost::ChooseReplayFile(const std::string& initial_folder)
{
    return StartReplayChooserProgram(initial_folder);
}

std::unique_ptr<engine::CEngineObject> MakeReplayBoard(client::ReplayBoardKind kind, client::CGameApp& app,
                                                       IReplaySceneHost& host, IReplayRecorderEnv& env,
                                                       const client::CGameStateHolder* state)
{
    if (kind == client::ReplayBoardKind::Upload)
        return std::make_unique<CReplayUploadBoard>(app, host, env, state);
    return std::make_unique<CReplayBoard>(app, host, env, state);
}

} // namespace scene

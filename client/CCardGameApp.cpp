#include "client/CCardGameApp.h"

#include <algorithm>

#include "client/FileAssociation.h"
#include "client/HallPaths.h"
#include "platform/Path.h"
#include "platform/Process.h"

namespace client {

bool CCardGameApp::InitInstance()
{
    RegisterReplayFileType();
    return CGameApp::InitInstance();
}

void CCardGameApp::RegisterReplayFileType()
{
    WriteFileAssociation(REPLAY_EXTENSION, REPLAY_TYPE_NAME, "Quenvik存盘文件",
                         GetExeDirPath() + "share\\Image\\common\\replayico.ico");
}

void CCardGameApp::OpenReplayFromCommandLine()
{
    std::string text = GetCommandLine();
    std::replace(text.begin(), text.end(), '"', ' ');
    TrimSpaces(text);
    std::string path = text;
    const std::string program = platform::GetProgramPath();
    if (const size_t at = program.empty() ? std::string::npos : path.find(program); at != std::string::npos) {
        path = path.substr(at + program.size());
        TrimSpaces(path);
    }
    // A replay's name that is no plain file (a folder, a pipe, a device)
    // still opens the replay board, which tells the player it cannot be read.
    const bool replay = text.size() >= 5 && text.compare(text.size() - 5, 5, "qvrep") == 0;
    if (path.empty() || !(replay ? platform::PathExists(path) : platform::IsPlainFile(path)))
        return;
    if (replay)
        SetReplayMode(1);
    m_replay_path = path;
}

void CCardGameApp::OnNetworkFailure()
{
    if (IsStandAlone())
        return;
    if (IMainGame* game = Links().main_game) {
        game->ClearTable();
        game->ResumeGame();
    }
    SetRelaunchOnExit(true);
    ShowExitMessageBoard({ "您的网络出现了异常，请重新登录大厅。", 10, 0, "" });
}

} // namespace client

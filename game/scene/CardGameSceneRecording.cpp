// Which table events start, fill and save a game recording on the replay
// board: a normal room records from each round start, a match room from
// each match stage; both save at the round's result.
#include "client/CCardGameConnection.h"
#include "client/CCardGameNotifyHandler.h"
#include "client/CGameApp.h"
#include "client/CPlDkNotifyHandler.h"
#include "client/panel/PanelText.h"
#include "engine/widgets/RichTextView.h"
#include "game/scene/CardGameScene.h"
#include "game/scene/ReplayPanel.h"

namespace scene {
namespace {

using client::GR_CARDS_THROWN;
using client::GR_GAME_DATA;
using client::GR_GAME_RESULT;
using client::GR_MATCH_STAGE;
using client::GR_PLAYER_PASSED;
using client::GR_RANDOM_TABLE;
using client::GR_TABLE_STATE;
/// The application's replay switch: this game saves recordings unwritten.
constexpr bool SAVE_WRITES_FILE = false;

} // namespace

void CCardGameScene::RecordTableEvent(uint32_t id, std::span<const uint8_t> body)
{
    if (dynamic_cast<CReplayPanel*>(GetReplayBoard()) == nullptr)
        return;
    if (App().IsMatch())
        RecordEventMatch(id, body);
    else
        RecordEventNormal(id, body);
}

void CCardGameScene::RecordEventNormal(uint32_t id, std::span<const uint8_t> body)
{
    auto* board = dynamic_cast<CReplayPanel*>(GetReplayBoard());
    if (board == nullptr)
        return;
    if (id == GR_GAME_START || id == GR_RANDOM_TABLE) {
        (void)board->StartRecording();
        board->RecordTableInfo();
        (void)board->RecordEvent(id, body);
        return;
    }
    if (!board->IsRecording())
        return;
    switch (id) {
    case GR_GAME_RESULT: {
        (void)board->RecordEvent(id, body);
        OnBeforeSaveRecording();
        AnnounceReplaySaved(board->SaveRecording(SAVE_WRITES_FILE).path, "录像目录");
        break;
    }
    case GR_GAME_DATA:
    case GR_PLAYER_PASSED:
    case GR_CARDS_THROWN:
        (void)board->RecordEvent(id, body);
        break;
    default:
        break;
    }
}

void CCardGameScene::AnnounceReplaySaved(const std::string& path, std::string_view link_text) const
{
    // The path holds the game's name, which is not ours: the link is made
    // only when it can carry it.
    const size_t cut = path.find_last_of("/\\");
    const std::string folder = cut == std::string::npos ? path : path.substr(0, cut);
    App().ShowSystemMessage(panel::FormatText(" <z=qv系统通知><c=255> 游戏录像已保存到%s<c=255>\r\n",
                                              engine::MarkupLink(folder, link_text).c_str()));
}

void CCardGameScene::RecordEventMatch(uint32_t id, std::span<const uint8_t> body)
{
    auto* board = dynamic_cast<CReplayPanel*>(GetReplayBoard());
    if (board == nullptr)
        return;
    switch (id) {
    case GR_MATCH_STAGE:
        (void)board->StartRecording();
        board->RecordTableInfo();
        break;
    case GR_GAME_START:
    case GR_TABLE_STATE:
    case GR_GAME_DATA:
        (void)board->RecordEvent(id, body);
        break;
    case GR_GAME_RESULT:
        (void)board->RecordEvent(id, body);
        OnBeforeSaveRecording();
        (void)board->SaveRecording(SAVE_WRITES_FILE);
        break;
    default:
        break;
    }
}

} // namespace scene

// Players' names are the server's bytes: every chat line that names a player
// shows the name as it is, whatever markup, control bytes or cut character
// it holds. Each line is parsed by a real chat view and must show the name
// followed by the line's own text, with no link and no style taken from it.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "client/CPlDkNotifyHandler.h"
#include "engine/media/TextTag.h"
#include "engine/widgets/RichTextView.h"
#include "game/rules/PlDkRecords.h"
#include "game/scene/BoardTestSupport.h"
#include "game/scene/PlDkGameScene.h"
#include "game/scene/PlDkResultBox.h"
#include "game/scene/PlDkSeatBoard.h"
#include "game/scene/ReplayPanel.h"
#include "game/scene/SceneRecorders.h"
#include "game/scene/TableMessages.h"
#include "platform/ByteOrder.h"

namespace scene::test {
namespace {

constexpr uint32_t LINKS_ENABLED = 0x400;

class HostileNamesTest : public BoardTest {
protected:
    HostileNamesTest()
    {
        AddCardImages(50, 68);
        AddImage("PlayerBoardSmall", 200, 60, 3);
        AddImage("chat", 120, 80, 5);
        LinkTable(m_app, m_chat, m_connection);
        m_scene = AddScene<CPlDkGameScene>({ 0, 0, 1000, 700 });
        for (int view = 0; view < CPlDkGameScene::SEATS; ++view)
            m_scene->GetSeatBoard(view)->SetPlayer(view);
        m_view = Make<engine::CRichTextView>();
        m_view->Create(4000, 400, LINKS_ENABLED, 0);
    }
    ~HostileNamesTest() override { m_engine.m_objects->DestroyObject(m_scene->GetId()); }

    client::ICardGameSceneHooks& Hooks() { return *m_scene->GetTableHooks(); }
    // Every seat's name field holds exactly these bytes (cut at 32, not
    // necessarily terminated).
    void NameEverySeat(const std::string& bytes)
    {
        for (int chair = 0; chair < client::PLDK_CHAIRS; ++chair) {
            char(&field)[32] = m_app.Records().Seat(chair)->name;
            std::memset(field, 0, sizeof field);
            std::memcpy(field, bytes.data(), std::min(bytes.size(), sizeof field));
        }
    }
    // The round ends with every hand empty.
    void EndRound()
    {
        rules::PlDkGameWinResult result {};
        for (auto& left : result.cards_left)
            std::fill(std::begin(left), std::end(left), -1);
        std::vector<uint8_t> bytes(rules::PLDK_GAME_WIN_BYTES);
        rules::WritePlDkGameWinResult(result, bytes);
        ASSERT_TRUE(m_app.GetGameState().EndRound(bytes));
    }
    void DealRound(int holder, int other, int ticks)
    {
        rules::TableGameData& data = m_app.GetGameState().GetTableData();
        data.reserved_80 = 27;
        for (int i = 0; i < 27; ++i)
            data.card_slots[i] = 4 * i;
        data.head[13] = holder;
        data.head_partner = other;
        data.head_turned_card = 7;
        data.head_turned_position = CPlDkGameScene::TURNED_DEAL_INDEX;
        m_scene->ResetTable();
        m_scene->StartDeal();
        for (int tick = 0; tick < ticks; ++tick)
            m_scene->OnDealTick();
    }
    // The text the chat view shows for the lines, and whether it made a link.
    std::string Shown(bool& linked)
    {
        m_view->Clear();
        for (const std::string& line : m_chat.lines)
            m_view->AppendMarkup(line);
        linked = !m_view->GetLinkMap().empty();
        std::string out;
        for (const engine::RichTextRun* run = m_view->FirstRun(); run != nullptr; run = run->next) {
            char bytes[2];
            out.append(bytes, run->CopyBytes(bytes));
        }
        return out;
    }

    CChatSink m_chat;
    CRecordingConnection m_connection { m_app };
    CPlDkGameScene* m_scene {};
    engine::CRichTextView* m_view {};
};

TEST_F(HostileNamesTest, EveryLineThatNamesAPlayerShowsTheNameAsItIs)
{
    // 32 bytes, the last the first half of a character: the field cut it.
    std::string cut_shown = "#b<x>";
    for (int i = 0; i < 13; ++i)
        cut_shown += "中";
    const std::string cut_bytes = cut_shown + "\xD6";
    ASSERT_EQ(cut_bytes.size(), 32u);
    // Name bytes, and what a chat line must show of them.
    const struct {
        const char* what;
        std::string bytes;
        std::string shown;
    } names[] = {
        { "link", "<url=http://evil.example/>", "<url=http://evil.example/>" },
        { "tags", "<c=255><size=40>x<>", "<c=255><size=40>x<>" },
        { "colour codes", "#r#b##y#/z", "#r#b##y#/z" },
        { "picture", "<z=qv系统通知>", "<z=qv系统通知>" },
        { "control bytes", "a\r\nb\x01\x7F", "ab" },
        { "cut character", cut_bytes, cut_shown },
    };

    client::CPlDkNotifyHandler handler(m_app);
    // Each road to a line that names a player, and the text that follows the
    // name on that line.
    using Road = std::function<void()>;
    const struct {
        const char* what;
        Road run;
        std::string after;
    } roads[] = {
        { "started", [&] { Hooks().OnPlayerStarted(2); }, " 已经开始" },
        { "offline", [&] { Hooks().OnPlayerOffline(102); }, "掉线了!" },
        { "card view",
          [&] {
              Hooks().OnCardViewReply(Words({ 101, 0, 0, 1, 102, 1 }));
          },
          "允许" },
        { "back",
          [&] {
              Hooks().OnPlayerOffline(103);
              m_chat.lines.clear();
              m_scene->OnGameData(GameData(GAMEDATA_PLAYER_BACK, { 3 }));
          },
          "重新回到了游戏!" },
        { "quick talk", [&] { m_scene->OnGameData(GameData(GAMEDATA_JUDGE_PLAY_SND, { 2, 1 })); }, "说：" },
        { "turned card", [&] { DealRound(1, 3, CPlDkGameScene::TURNED_DEAL_INDEX + 1); }, "抓到翻牌" },
        { "partner step",
          [&] {
              DealRound(0, 1, 8);
              m_chat.lines.clear();
              m_scene->RestoreRunningGame();
          },
          "与" },
        { "round end",
          [&] {
              EndRound();
              Hooks().OnRoundEnd();
          },
          "]" },
        { "player call", [&] { handler.Dispatch(201200, Words({ 101, 0, 0, 0, 102 })); }, "呼叫 " },
        { "exit answer", [&] { handler.Dispatch(201213, Words({ 101, 0, 0, 0, 102, 1 })); }, "答应" },
    };

    for (const auto& name : names) {
        NameEverySeat(name.bytes);
        for (const auto& road : roads) {
            m_chat.lines.clear();
            m_scene->ResetTable();
            road.run();
            ASSERT_FALSE(m_chat.lines.empty()) << road.what;
            bool linked = true;
            const std::string shown = Shown(linked);
            EXPECT_NE(shown.find(name.shown + road.after), std::string::npos)
                << name.what << " on " << road.what << ": " << shown;
            EXPECT_FALSE(linked) << name.what << " on " << road.what;
        }
    }
}

TEST_F(HostileNamesTest, EveryCanvasThatNamesAPlayerDrawsTheNameAsWritten)
{
    const struct {
        const char* what;
        std::function<void()> show;
    } sinks[] = {
        { "seat plate", [&] { m_scene->GetSeatBoard(1)->Draw(); } },
        { "result box",
          [&] {
              EndRound();
              m_scene->ShowResultBox();
          } },
    };
    AddImage(RESULT_BOX_IMAGE, 500, 320);
    for (const char* button : { RESULT_CLOSE_IMAGE, RESULT_OK_IMAGE, RESULT_CONTINUE_IMAGE })
        AddImage(button, 40, 20, 4);
    // Names short enough for the plate to show whole.
    for (const std::string name : { "<bold>x", "<c=255>y", "<SIZE=9>", "<script:>", "<c><//x>", "a<\x01" "bold>" }) {
        NameEverySeat(name);
        for (const auto& sink : sinks) {
            m_text->drawn.clear();
            sink.show();
            widgettest::ExpectDrawnAsWritten(*m_text, name, sink.what);
        }
    }
}

TEST_F(HostileNamesTest, TheReplaySavedLineShowsTheGameNameAsItIsAndLinksOnlyWhenItCan)
{
    AddImage("Rep_bitBoard", 500, 40);
    m_app.SetReplayMode(1); // makes the board
    m_scene->CreateInfoBoard();
    m_app.SetReplayMode(0);
    auto* board = dynamic_cast<CReplayPanel*>(m_scene->GetReplayBoard());
    ASSERT_NE(board, nullptr);
    // The game's name, what the line shows of it (in the folder and the file
    // title; a separator or control byte is '_' there), and whether the line
    // may link to the folder.
    const struct {
        const char* what;
        std::string game;
        std::string shown;
        bool linked;
    } games[] = {
        { "plain", "拖拉机", "拖拉机", true },
        { "link", "<url=http://evil.example/>", "<url=http:__evil.example_>", false },
        { "tags", "<c=255><size=40>x<>", "<c=255><size=40>x<>", false },
        { "colour codes", "#r#b##y", "#r#b##y", false },
        { "list and key", "a,b;c=1", "a,b;c=1", false },
        { "key word", "notify", "notify", false },
        { "control bytes", "a\r\nb", "a__b", true },
    };
    for (const auto& game : games) {
        m_app.Records().Launch().game_name = game.game;
        (void)board->StartRecording();
        board->RecordTableInfo();
        (void)board->RecordEvent(client::GR_GAME_START, {});
        m_chat.lines.clear();
        m_scene->ShowReplaySavedNotice();
        ASSERT_EQ(m_chat.lines.size(), 1u) << game.what;
        bool linked = false;
        const std::string shown = Shown(linked);
        EXPECT_NE(shown.find("游戏录像已保存到"), std::string::npos) << game.what;
        EXPECT_NE(shown.find(game.shown + "\\" + game.shown + "_"), std::string::npos) << game.what << ": " << shown;
        EXPECT_EQ(linked, game.linked) << game.what;
    }
}

} // namespace
} // namespace scene::test

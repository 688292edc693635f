// The card-game table-event layer and this game's round notifications: the
// hooks each event reaches, with what, and the game-state holder's part.
#include <gtest/gtest.h>

#include "BodyBuilder.h"
#include "NotifyFakes.h"
#include "RoundRecordBytes.h"
#include "client/CPlDkGameState.h"
#include "platform/ByteOrder.h"

namespace client {
namespace {

using client_test::BodyBuilder;
using client_test::NotifyRig;
using Strings = std::vector<std::string>;

std::vector<uint8_t> TableBlock(int32_t round_number, size_t size = rules::TABLE_GAME_DATA_BYTES)
{
    return client_test::TableBlockBytes(round_number, 0, size);
}

using client_test::ResultBytes;

TEST(CardNotify, TableEventsReachTheirHooks)
{
    NotifyRig rig;
    const struct {
        uint32_t id;
        std::vector<uint8_t> body;
        Strings calls;
    } cases[] = {
        { 201160, BodyBuilder(16).Word(3, 2).Bytes(), { "started 2" } },
        { 201160, BodyBuilder(16).Word(3, 4).Bytes(), {} }, // past this table's chairs
        { 229500, BodyBuilder(20).Bytes(), { "game-data 20B" } },
        { 211240, BodyBuilder(4).Word(0, 77).Bytes(), { "offline 77" } },
        { 229570, BodyBuilder(24).Bytes(), { "view-reply 24B" } },
        { 229580, BodyBuilder(12).Bytes(), { "hand 12B" } },
        { 229580, BodyBuilder(11).Bytes(), { "hand 11B" } }, // the scene reads and refuses it
        { 223100, BodyBuilder(36).Bytes(), { "passed 36B" } },
        { 223100, BodyBuilder(35).Bytes(), { "passed 35B" } },
        { 221165, BodyBuilder(8).Bytes(), { "221165 8B" } },
        { 221168, {}, { "turn 0B" } },
        { 211300, {}, { "211300" } },
        { 221170, BodyBuilder(600).Bytes(), { "thrown 320B" } },
        { 211090, BodyBuilder(12).Bytes(), { "score 12B" } },
    };
    for (const auto& c : cases) {
        rig.scene.calls.clear();
        rig.Send(c.id, c.body);
        EXPECT_EQ(rig.scene.calls, c.calls) << c.id;
    }
    EXPECT_TRUE(rig.app.GetGameState().IsSeatFlagged(2));
    EXPECT_EQ(rig.app.GetGameState().GetTableWord15(), 257);
}

TEST(CardNotify, ShortPlayMakesAWholeRecord)
{
    NotifyRig rig;
    rig.Send(221170, BodyBuilder(8).Word(0, 11).Word(1, 22).Span());
    const std::vector<uint8_t>& record = rig.scene.last_body;
    ASSERT_EQ(record.size(), PLAY_RECORD_BYTES);
    for (size_t word = 0; word < PLAY_RECORD_BYTES / 4; ++word) {
        const auto value = static_cast<int32_t>(platform::LoadU32LE(record.data() + 4 * word));
        const int32_t expected = word == 0 ? 11 : word == 1 ? 22 : word < PLAY_RECORD_HEAD_WORDS ? 0 : -1;
        EXPECT_EQ(value, expected) << word;
    }
}

TEST(CardNotify, LookRequestsAreFilteredAndBusyTablesSkip211300)
{
    NotifyRig rig;
    rig.app.Records().Seat(1)->user_id = 55;
    rig.app.Records().Seat(1)->value41 = 1;
    rig.Send(229550, BodyBuilder(4).Word(0, 55).Span());
    rig.Send(229550, BodyBuilder(4).Word(0, 56).Span());
    rig.app.SetRejectKanPaiAsk(1);
    rig.Send(229550, BodyBuilder(4).Word(0, 56).Span());
    rig.app.SetPlaying();
    rig.Send(211300, {});
    EXPECT_EQ(rig.scene.calls, Strings { "view-request 4B" });
}

TEST(CardNotify, RoundStartResultAndSnapshot)
{
    NotifyRig rig;
    auto start = TableBlock(9, CPlDkGameState::ROUND_START_BYTES);
    rig.Send(211040, start);
    EXPECT_TRUE(rig.app.IsPlaying());
    EXPECT_EQ(rig.app.GetGameState().GetTableWord8(), 9);

    rig.Send(211080, ResultBytes(9));
    EXPECT_FALSE(rig.app.IsPlaying());
    EXPECT_EQ(rig.app.GetGameState().GetResultBlock().base.round_number, 9);

    rig.app.Records().SetMatchRoom(true);
    rig.Send(211160, TableBlock(12));
    EXPECT_EQ(rig.app.GetGameState().GetTableWord8(), 12);
    EXPECT_EQ(rig.scene.calls, (Strings { "round-header", "round-end", "reset", "snapshot" }));
    EXPECT_EQ(rig.panel.events,
              (Strings { "AdvertBar 80000054", "UserListBar 80000055", "UserListBar 80000056", "match-list" }));
    EXPECT_EQ(rig.frame.calls, Strings { "result" });

    // Short or unreadable round records change nothing and reach no hook.
    rig.scene.calls.clear();
    rig.app.ClearPlaying();
    rig.Send(211040, TableBlock(10, CPlDkGameState::ROUND_START_BYTES - 1));
    rig.Send(211080, std::vector<uint8_t>(100));
    rig.Send(211160, TableBlock(13, rules::TABLE_GAME_DATA_BYTES - 4));
    EXPECT_FALSE(rig.app.IsPlaying());
    EXPECT_EQ(rig.app.GetGameState().GetTableWord8(), 12);
    EXPECT_TRUE(rig.scene.calls.empty());
}

TEST(CardNotify, RandomTableStartsTheRoundFromTheRecordAfterTheEntries)
{
    NotifyRig rig;
    const std::vector<uint8_t> round = TableBlock(5, CPlDkGameState::ROUND_START_BYTES);
    BodyBuilder body(64 + 136 * 2 + round.size());
    body.Word(1, 3).Word(2, 2).WordAtByte(64, 1000).WordAtByte(64 + 16, 0).WordAtByte(64 + 136, 1001);
    body.WordAtByte(64 + 136 + 16, 1);
    std::copy(round.begin(), round.end(), body.Bytes().begin() + 64 + 136 * 2);
    rig.Send(211028, body.Span());
    EXPECT_EQ(rig.app.Records().GetSeatUserID(1), 1001);
    EXPECT_EQ(rig.frame.calls, Strings { "random-table" });
    EXPECT_EQ(rig.app.GetGameState().GetTableWord8(), 5);
    EXPECT_EQ(rig.scene.calls, Strings { "round-header" });
}

TEST(CardNotify, NothingIsRecordedWhileThisGameRecordsNoGames)
{
    NotifyRig rig;
    rig.app.Records().Room().configs_ex = ROOM_CONFIG_EX_20000;
    rig.Send(221168, {});
    rig.Send(211230, {});
    EXPECT_EQ(rig.scene.calls, Strings { "turn 0B" });
}

/// This game's application as if its rooms recorded games.
class CRecordingApp final : public CPlDkApp {
public:
    [[nodiscard]] bool HasRoomConfigsEx20000() const override { return true; }
};

TEST(CardNotify, TheHandlersVerdictDecidesWhatIsRecorded)
{
    // Only what the handlers took reaches the recording, whatever else is
    // refused meanwhile.
    client_test::CRecordingScene scene;
    CRecordingApp app;
    AppLinks links;
    links.main_game = &scene;
    app.SetLinks(links);
    app.SetRunMode(RUN_MODE_STAND_ALONE);
    app.Records().Table().player_count = 4;
    CPlDkNotifyHandler handler { app };
    const std::vector<uint8_t> play = BodyBuilder(64).Bytes();
    const struct {
        const char* what;
        uint32_t id;
        std::vector<uint8_t> body;
        bool hook_refuses;
        uint32_t refusal_logged; ///< 1: of another message
        bool recorded;
    } cases[] = {
        { "taken play", GR_CARDS_THROWN, play, false, 0, true },
        { "taken play, another refused meanwhile", GR_CARDS_THROWN, play, false, 1, true },
        { "play the scene refused", GR_CARDS_THROWN, play, true, 0, false },
        { "game data the scene refused", GR_GAME_DATA, BodyBuilder(20).Bytes(), true, 0, false },
        { "pass the scene refused", GR_PLAYER_PASSED, BodyBuilder(36).Bytes(), true, 0, false },
        { "taken score notice", GR_SCORE_NOTIFY, BodyBuilder(72).Bytes(), false, 0, true },
        { "score notice the scene refused", GR_SCORE_NOTIFY, BodyBuilder(72).Bytes(), true, 0, false },
        { "view reply the scene refused", GR_CARD_VIEW_CHANGED, BodyBuilder(24).Bytes(), true, 0, false },
        { "start at chair 4", GR_USER_START, BodyBuilder(16).Word(3, 4).Bytes(), false, 0, false },
        { "short offline notice", GR_PLAYER_OFFLINE, BodyBuilder(3).Bytes(), false, 0, false },
        { "short round start", GR_GAME_START, BodyBuilder(8).Bytes(), false, 0, false },
        { "taken turn, another refused meanwhile", GR_TURN_BEGIN, {}, false, 1, true },
        // A part that only logs the refusal (the frame UI, the side panel) decides it too.
        { "play whose refusal was only logged", GR_CARDS_THROWN, play, false, GR_CARDS_THROWN, false },
        { "turn whose refusal was only logged", GR_TURN_BEGIN, {}, false, GR_TURN_BEGIN, false },
    };
    for (const auto& c : cases) {
        scene.calls.clear();
        scene.refuses = c.hook_refuses;
        scene.logs_refusal_of = c.refusal_logged;
        handler.Dispatch(c.id, c.body);
        const std::string record = "record " + std::to_string(c.id);
        const bool recorded = !scene.calls.empty() && scene.calls.back().starts_with(record);
        EXPECT_EQ(recorded, c.recorded) << c.what;
    }
}

TEST(CardNotify, MissingSceneIsSkipped)
{
    NotifyRig rig;
    AppLinks links = rig.app.Links();
    links.main_game = nullptr;
    rig.app.SetLinks(links);
    rig.Send(201160, BodyBuilder(16).Word(3, 1).Span());
    EXPECT_TRUE(rig.app.GetGameState().IsSeatFlagged(1));
    rig.Send(211040, TableBlock(3, CPlDkGameState::ROUND_START_BYTES));
    rig.Send(211920, BodyBuilder(40).Span());
    rig.Send(221170, {});
    EXPECT_TRUE(rig.app.IsPlaying());
}

} // namespace
} // namespace client

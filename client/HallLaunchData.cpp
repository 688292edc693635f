#include "client/HallLaunchData.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "client/TextFunctions.h"

namespace client {

namespace {

constexpr size_t USER_BYTES = GameUserRecord::BYTES;

struct GameLaunch {
    GameRoomRecord room;
    GameTableRecord table;
    std::vector<GameUserRecord> players;
    std::vector<GameUserRecord> others;
    std::vector<std::string> texts;
};

std::optional<GameLaunch> ReadGameLaunch(std::span<const uint8_t> payload)
{
    GameLaunch launch;
    constexpr size_t HEAD = GameRoomRecord::NORMAL_ROOM_BYTES + GameTableRecord::BYTES;
    if (payload.size() < HEAD)
        return std::nullopt;
    std::array<uint8_t, GameRoomRecord::BYTES> room_bytes {};
    std::copy_n(payload.begin(), GameRoomRecord::NORMAL_ROOM_BYTES, room_bytes.begin());
    if (!ReadRecord(std::span<const uint8_t>(room_bytes), launch.room)
        || !ReadRecord(payload.subspan(GameRoomRecord::NORMAL_ROOM_BYTES), launch.table))
        return std::nullopt;
    const int32_t players = launch.table.player_count;
    const int32_t others = launch.table.other_count;
    if (players < 0 || players > CClientRecords::SEAT_COUNT || others < 0
        || others > CClientRecords::OTHER_USER_COUNT)
        return std::nullopt;
    const size_t users_end = HEAD + static_cast<size_t>(players + others) * USER_BYTES;
    const bool has_texts = launch.room.has_text_table != 0;
    if (payload.size() < users_end + (has_texts ? LAUNCH_TEXT_BLOCK_BYTES : 0))
        return std::nullopt;

    for (int32_t i = 0; i < players + others; ++i) {
        GameUserRecord user;
        (void)ReadRecord(payload.subspan(HEAD + static_cast<size_t>(i) * USER_BYTES), user);
        if (i < players) {
            if (!IsValidChair(user.chair))
                return std::nullopt;
            launch.players.push_back(user);
        } else {
            launch.others.push_back(user);
        }
    }
    if (has_texts) {
        const auto block = payload.subspan(users_end, LAUNCH_TEXT_BLOCK_BYTES);
        std::string text(block.begin(), block.end());
        text.resize(std::min(text.find('\0'), text.size()));
        std::array<char*, LAUNCH_TEXT_FIELDS> fields {};
        const int count = SplitBar(text.data(), fields.data(), LAUNCH_TEXT_FIELDS, nullptr);
        for (int i = 0; i < count && fields[static_cast<size_t>(i)][0] != '\0'; ++i)
            launch.texts.emplace_back(fields[static_cast<size_t>(i)]);
    }
    return launch;
}

} // namespace

bool ApplyGameLaunchData(CClientRecords& records, std::span<const uint8_t> payload)
{
    std::optional<GameLaunch> launch = ReadGameLaunch(payload);
    if (!launch)
        return false;
    records.Room() = launch->room;
    records.Table() = launch->table;

    const bool leave_out = (launch->room.configs & ROOM_CONFIG_40) != 0 && (launch->room.configs & ROOM_CONFIG_02) == 0;
    int32_t copied = 0;
    for (const GameUserRecord& player : launch->players) {
        if (leave_out && player.chair != records.GetChairNO() && player.status == USER_STATUS_LEFT_OUT)
            continue;
        *records.Seat(player.chair) = player;
        ++copied;
    }
    for (size_t i = 0; i < launch->others.size(); ++i)
        *records.OtherUser(static_cast<int>(i)) = launch->others[i];
    for (size_t i = 0; i < launch->texts.size(); ++i)
        records.SetRoomText(static_cast<int>(i), launch->texts[i]);
    records.Table().player_count = copied;

    const GameUserRecord* own = records.FindUser(records.GetUserID());
    return own != nullptr && own->look_on == records.Launch().look_on && own->chair == records.GetChairNO();
}

bool ApplyMatchLaunchData(CClientRecords& records, std::span<const uint8_t> payload)
{
    constexpr size_t TABLE_AT = GameRoomRecord::BYTES;
    constexpr size_t USER_AT = TABLE_AT + GameTableRecord::BYTES;
    constexpr size_t MATCH_AT = USER_AT + GameUserRecord::BYTES;
    if (payload.size() < MATCH_AT + MatchRecord::BYTES)
        return false;
    (void)ReadRecord(payload, records.Room());
    (void)ReadRecord(payload.subspan(TABLE_AT), records.Table());
    (void)ReadRecord(payload.subspan(USER_AT), *records.Seat(0));
    (void)ReadRecord(payload.subspan(MATCH_AT), records.Match());
    // The own record sits in chair 0 whatever its chair word said, and the
    // table's counts stay inside the records that exist.
    records.Seat(0)->chair = 0;
    GameTableRecord& table = records.Table();
    table.player_count = std::clamp(table.player_count, 0, CClientRecords::SEAT_COUNT);
    table.other_count = std::clamp(table.other_count, 0, CClientRecords::OTHER_USER_COUNT);
    records.Launch().chair_no = 0;
    return true;
}

const GameUserRecord* AddLookerFromHall(CClientRecords& records, std::span<const uint8_t> payload)
{
    GameUserRecord looker;
    if (!ReadRecord(payload, looker) || looker.user_id == 0)
        return nullptr;
    for (int i = 0; i < CClientRecords::OTHER_USER_COUNT; ++i) {
        GameUserRecord* slot = records.OtherUser(i);
        if (slot->user_id != 0)
            continue;
        *slot = looker;
        int32_t& count = records.Table().other_count;
        count = std::clamp(count + 1, 1, CClientRecords::OTHER_USER_COUNT);
        return slot;
    }
    return nullptr;
}

} // namespace client

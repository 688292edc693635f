#include "client/CClientRecords.h"

#include "client/ClientText.h"
#include "engine/widgets/RichTextView.h"
#include "platform/Text.h"

namespace client {

namespace {

/// The record of `user_id` among `records`; user id 0 marks an empty record,
/// never a user, so a lookup of 0 finds nothing.
template <class Record, size_t N>
const Record* FindByUserId(const Record (&records)[N], int32_t user_id)
{
    if (user_id == 0)
        return nullptr;
    for (const Record& record : records)
        if (record.user_id == user_id)
            return &record;
    return nullptr;
}

/// Record `index` of a table of records, or null outside it.
template <class Record, size_t N>
Record* RecordAt(Record (&records)[N], int index)
{
    return index >= 0 && static_cast<size_t>(index) < N ? &records[index] : nullptr;
}

// A name field's text on one line: control bytes and a character cut by
// the field's end are dropped; a two-byte character stays whole.
template <size_t N>
std::string NameField(const char (&field)[N])
{
    const std::string text = FieldText(field);
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (platform::IsGbkLeadByte(text[at])) {
            if (at + 1 < text.size())
                out.append(text, at, 2);
            ++at;
        } else if (byte >= 0x20 && byte != 0x7F) {
            out.push_back(text[at]);
        }
    }
    return out;
}

} // namespace

GameUserRecord* CClientRecords::Seat(int chair) { return RecordAt(m_seats, chair); }
const GameUserRecord* CClientRecords::Seat(int chair) const { return RecordAt(m_seats, chair); }
GameUserRecord* CClientRecords::OtherUser(int index) { return RecordAt(m_others, index); }
const GameUserRecord* CClientRecords::OtherUser(int index) const { return RecordAt(m_others, index); }
TablePlayerRecord* CClientRecords::TablePlayer(int slot) { return RecordAt(m_players, slot); }
const TablePlayerRecord* CClientRecords::TablePlayer(int slot) const { return RecordAt(m_players, slot); }

void CClientRecords::SetRoomText(int index, std::string text) { m_room_texts[index] = std::move(text); }

std::string CClientRecords::GetRoomText(int index) const
{
    const auto found = m_room_texts.find(index);
    return found == m_room_texts.end() ? std::string() : found->second;
}

std::string CClientRecords::GetAreaName() const { return FieldText(m_room.area_name); }
std::string CClientRecords::GetRoomName() const { return FieldText(m_room.room_name); }
std::string CClientRecords::GetWebHost() const { return FieldText(m_room.notice_host); }
std::string CClientRecords::GetMatchName() const { return FieldText(m_match.match_name); }
std::string CClientRecords::GetMatchAwardURL() const { return FieldText(m_match.award_url); }

bool CClientRecords::IsGameNotStarted(int32_t game_phase) const
{
    if (HasRoomConfig02())
        return false;
    return game_phase < 2;
}

const GameUserRecord* CClientRecords::FindSeatedUser(int32_t user_id) const
{
    return FindByUserId(m_seats, user_id);
}

const GameUserRecord* CClientRecords::FindOtherUser(int32_t user_id) const
{
    return FindByUserId(m_others, user_id);
}

const GameUserRecord* CClientRecords::FindUser(int32_t user_id) const
{
    if (const GameUserRecord* seat = FindSeatedUser(user_id))
        return seat;
    return FindOtherUser(user_id);
}

GameUserRecord* CClientRecords::FindUser(int32_t user_id)
{
    return const_cast<GameUserRecord*>(static_cast<const CClientRecords*>(this)->FindUser(user_id));
}

int32_t CClientRecords::GetUserChairNO(int32_t user_id) const
{
    const GameUserRecord* user = FindUser(user_id);
    return user ? user->chair : -1;
}

std::string CClientRecords::GetName(const GameUserRecord* user, NameKind kind)
{
    if (user == nullptr)
        return {};
    std::string name = NameField(user->name);
    const std::string second = NameField(user->second_name);
    if (kind == NameKind::Display && !second.empty())
        name += "[" + second + "]";
    return name;
}

std::string CClientRecords::GetMarkupName(const GameUserRecord* user, NameKind kind)
{
    return engine::EscapeMarkup(GetName(user, kind));
}

bool CClientRecords::IsSeatedUser(int32_t user_id) const { return FindSeatedUser(user_id) != nullptr; }

bool CClientRecords::IsLookOnUser(int32_t user_id) const
{
    return FindSeatedUser(user_id) == nullptr && FindOtherUser(user_id) != nullptr;
}

bool CClientRecords::HasUserFlag1000(int32_t user_id) const
{
    // The other-user record is the hall's newer copy, so it is asked first.
    const GameUserRecord* user = FindOtherUser(user_id);
    if (!user)
        user = FindSeatedUser(user_id);
    return user && (user->flags & USER_FLAG_HIGHLIGHT_NAME) != 0;
}

bool CClientRecords::IsBlueDiamond(int32_t user_id) const
{
    const GameUserRecord* user = FindUser(user_id);
    return user && (user->flags & USER_FLAG_MEMBER_BADGE) != 0;
}

const TablePlayerRecord* CClientRecords::FindTablePlayer(int32_t user_id) const
{
    return FindByUserId(m_players, user_id);
}

int32_t CClientRecords::GetUserValue41(int32_t user_id) const
{
    const GameUserRecord* user = FindUser(user_id);
    return user ? user->value41 : 0;
}

int32_t CClientRecords::GetSeatUserID(int chair) const
{
    const GameUserRecord* seat = Seat(chair);
    return seat ? seat->user_id : 0;
}

int32_t CClientRecords::GetSeatDuan(int chair) const
{
    const TablePlayerRecord* player = TablePlayer(chair);
    if (!m_match_room || !player || player->rank_badge_present == 0)
        return -1;
    return player->rank_badge_value;
}

void CClientRecords::ClearSeats()
{
    for (GameUserRecord& seat : m_seats)
        seat = GameUserRecord {};
}

void CClientRecords::SetOwnSeat(int32_t chair, int32_t table_no)
{
    m_launch.chair_no = chair;
    m_launch.table_no = table_no;
}

} // namespace client

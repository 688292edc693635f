#include "client/HallCommandLine.h"

#include <cstdlib>
#include <vector>

#include "client/TextFunctions.h"
#include "platform/Text.h"

namespace client {

namespace {

int64_t FieldNumber(const char* field)
{
    return std::strtoll(field, nullptr, 10);
}

int32_t FieldInt(const char* field)
{
    return static_cast<int32_t>(FieldNumber(field));
}

} // namespace

std::optional<HallLaunchFields> ParseHallCommandLine(std::string_view command_line)
{
    std::string text(command_line);
    if (!text.empty() && text.front() == '"') {
        // The first and the last character go, as the hall quotes the whole.
        text = text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string();
    }
    std::vector<char*> fields(HALL_MAX_FIELDS, nullptr);
    const int count = SplitBar(text.data(), fields.data(), HALL_MAX_FIELDS, nullptr);
    if (count < HALL_MIN_FIELDS)
        return std::nullopt;

    HallLaunchFields launch;
    launch.game_id = FieldInt(fields[0]);
    launch.server_ip = platform::CutGbkText(fields[1], HALL_SERVER_IP_MAX);
    launch.hall_value3 = FieldInt(fields[2]);
    launch.hall_window = FieldNumber(fields[3]);
    launch.hall_value5 = FieldInt(fields[4]);
    launch.user_id = FieldInt(fields[5]);
    launch.table_no = FieldInt(fields[6]);
    launch.chair_no = FieldInt(fields[7]);
    launch.look_on = FieldInt(fields[8]);
    if (count > 9)
        launch.restart_marker = FieldInt(fields[9]);
    if (count > 10)
        launch.game_name = platform::CutGbkText(fields[10], HALL_GAME_NAME_MAX);
    if (count > 11)
        launch.server_port = FieldInt(fields[11]);
    if (launch.server_port == 0)
        launch.server_port = DEFAULT_SERVER_PORT;
    if (count > 12)
        launch.room_options = FieldInt(fields[12]);
    if (count > 13)
        launch.room_configs = FieldInt(fields[13]);
    if (count > 14)
        launch.room_configs_ex = FieldInt(fields[14]);
    return launch;
}

std::string FormatHallCommandLine(const HallLaunchFields& fields)
{
    const auto number = [](int64_t value) { return std::to_string(value) + "|"; };
    std::string text = "\"";
    text += number(fields.game_id);
    text += fields.server_ip + "|";
    text += number(fields.hall_value3);
    text += number(fields.hall_window);
    text += number(fields.hall_value5);
    text += number(fields.user_id);
    text += number(fields.table_no);
    text += number(fields.chair_no);
    text += number(fields.look_on);
    text += number(fields.restart_marker);
    text += fields.game_name + "|";
    text += number(fields.server_port);
    text += number(fields.room_options);
    text += number(fields.room_configs);
    text += std::to_string(fields.room_configs_ex);
    text += "\"";
    return text;
}

} // namespace client

#include "client/AnswerCodes.h"

#include <span>

namespace client {

const char* const TEXT_REQUEST_TIMEOUT = "请求处理超时。";
const char* const TEXT_NOT_CONNECTED = "与服务器连接断开。";
const char* const TEXT_SEND_FAILED = "请求发送失败。";
const char* const TEXT_SAFE_BOX_FAILED = "操作失败！";

namespace {

struct CodeText {
    int32_t code;
    const char* text;
};

constexpr CodeText ERROR_TEXTS[] = {
    { GR_ERR_OBJECT_NOT_EXIST, "对象不存在。" },
    { GR_ERR_OBJECT_EXISTS, "对象已存在。" },
    { GR_ERR_REQUEST_FAILED, "请求处理失败。" },
    { GR_ERR_UNSUPPORTED, "不支持的请求。" },
    { GR_ERR_AUTH_FAILED, "用户认证失败。" },
    { GR_ERR_GAME_NOT_READY, "游戏还没有准备好,请稍候再旁观。" },
    { GR_ERR_NO_LOOKON_SEAT, "没有空余的旁观位置。" },
    { GR_ERR_ENTER_FAILED_1, "进入游戏失败，请重新开始。" },
    { GR_ERR_ENTER_FAILED_2, "进入游戏失败，请重新开始。" },
    { GR_ERR_ENTER_FAILED_3, "进入游戏失败，请重新开始。" },
    { GR_ERR_ENTER_FAILED_4, "进入游戏失败，请重新开始。" },
};

constexpr CodeText SAFE_BOX_TEXTS[] = {
    { GR_ERR_NOT_AVAILABLE, "该功能暂不支持。" },
    { GR_ERR_MAINTENANCE, "非常抱歉，系统正在维护中，请稍候再操作。" },
    { GR_ERR_CONNECTION_LOST, "请求失败，请您重新登录大厅进行身份验证。" },
    { GR_ERR_RELOGIN, "请求失败，请您重新登录大厅进行身份验证。" },
    { GR_ERR_PASSWORD_LENGTH, "密码位数不正确。" },
    { GR_ERR_NOT_LOGGED_IN, "请先登录游戏大厅。" },
    { GR_ERR_ROOM_CLOSED, "对不起，此房间已关闭，请到别的房间。" },
    { GR_ERR_ROOM_TEMP_CLOSED, "该房间暂时关闭，请换一个房间。" },
    { GR_ERR_ROOM_NOT_OPEN, "房间未开放。" },
    { GR_ERR_SERVER_BUSY, "服务器繁忙！" },
    { GR_ERR_ACCOUNT_DISABLED, "帐户已被禁用，请与管理员联系。" },
};

constexpr CodeText ACCOUNT_TEXTS[] = {
    { GR_ERR_OBJECT_NOT_EXIST, "对象不存在。" },
    { GR_ERR_OBJECT_EXISTS, "对象已存在。" },
    { GR_ERR_REQUEST_FAILED, "请求处理失败。" },
    { GR_ERR_INVALID_PARAM, "无效的参数。" },
    { GR_ERR_BAD_PASSWORD, "密码错误。" },
    { GR_ERR_UNSUPPORTED, "不支持的请求。" },
    { GR_ERR_NOT_AVAILABLE, "该功能暂不支持。" },
    { GR_ERR_MAINTENANCE, "非常抱歉，系统正在维护中，请稍候再操作。" },
    { GR_ERR_WEAK_PASSWORD, "密码太简单，容易被盗号，请换一个密码。" },
    { GR_ERR_CONNECTION_LOST, "与服务器连接已经断开。" },
    { GR_ERR_RELOGIN, "请求失败，请您重新登录大厅进行身份验证。" },
    { GR_ERR_NO_PERMISSION, "没有许可！" },
    { GR_ERR_PASSWORD_LENGTH, "密码位数不正确。" },
    { GR_ERR_NOT_LOGGED_IN, "请先登录游戏大厅。" },
    { GR_ERR_ROOM_CLOSED, "对不起，此房间已关闭，请到别的房间。" },
    { GR_ERR_USERNAME_LENGTH, "用户名位数不正确。" },
    { GR_ERR_ROOM_TEMP_CLOSED, "该房间暂时关闭，请换一个房间。" },
    { GR_ERR_BAD_ID_CARD, "身份证号码无效，请准确输入您本人的身份证号码。" },
    { GR_ERR_BAD_REAL_NAME, "真实姓名无效，请准确输入您本人的真实姓名。" },
    { GR_ERR_ROOM_NOT_OPEN, "房间未开放。" },
    { GR_ERR_SERVER_BUSY, "服务器繁忙！" },
    { GR_ERR_ACCOUNT_DISABLED, "帐户已被禁用，请与管理员联系。" },
};

const char* FindText(std::span<const CodeText> table, int32_t code)
{
    for (const CodeText& entry : table)
        if (entry.code == code)
            return entry.text;
    return nullptr;
}

} // namespace

void GetErrorText(std::string& text, int32_t code)
{
    if (const char* found = FindText(ERROR_TEXTS, code))
        text = found;
}

void GetSafeBoxErrorText(std::string& text, int32_t code)
{
    const char* found = FindText(SAFE_BOX_TEXTS, code);
    text = found ? found : TEXT_SAFE_BOX_FAILED;
}

void GetAccountErrorText(std::string& text, int32_t code)
{
    if (const char* found = FindText(ACCOUNT_TEXTS, code))
        text = found;
}

} // namespace client

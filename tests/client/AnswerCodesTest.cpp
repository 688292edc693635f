// The answer-code tables: exact texts in GBK and the handling of unknown codes.
#include <gtest/gtest.h>

#include "GbkTestText.h"
#include "client/AnswerCodes.h"

using namespace client;

using client_test::U8;
using client_test::Utf8;

TEST(AnswerCodes, GeneralTableGivesItsTexts)
{
    std::string text;
    GetErrorText(text, GR_ERR_AUTH_FAILED);
    EXPECT_EQ(Utf8(text), U8(u8"用户认证失败。"));
    GetErrorText(text, GR_ERR_NO_LOOKON_SEAT);
    EXPECT_EQ(Utf8(text), U8(u8"没有空余的旁观位置。"));
    GetErrorText(text, GR_ERR_GAME_NOT_READY);
    EXPECT_EQ(Utf8(text), U8(u8"游戏还没有准备好,请稍候再旁观。"));
    GetErrorText(text, GR_ERR_ENTER_FAILED_4);
    EXPECT_EQ(Utf8(text), U8(u8"进入游戏失败，请重新开始。"));
}

TEST(AnswerCodes, UnknownCodesLeaveTheTextExceptInTheSafeBoxTable)
{
    std::string text;
    GetErrorText(text, 60101);
    EXPECT_EQ(text, "");
    text = "kept";
    GetAccountErrorText(text, 123);
    EXPECT_EQ(text, "kept");
    GetSafeBoxErrorText(text, 123);
    EXPECT_EQ(Utf8(text), U8(u8"操作失败！"));
    GetSafeBoxErrorText(text, GR_ERR_OBJECT_NOT_EXIST);
    EXPECT_EQ(Utf8(text), U8(u8"操作失败！")) << "1000 is not in the safe-box table";
}

TEST(AnswerCodes, EachTableKeepsItsOwnTextFor60023)
{
    std::string safe_box;
    std::string account;
    GetSafeBoxErrorText(safe_box, GR_ERR_CONNECTION_LOST);
    GetAccountErrorText(account, GR_ERR_CONNECTION_LOST);
    EXPECT_EQ(Utf8(safe_box), U8(u8"请求失败，请您重新登录大厅进行身份验证。"));
    EXPECT_EQ(Utf8(account), U8(u8"与服务器连接已经断开。"));
    GetAccountErrorText(account, GR_ERR_BAD_ID_CARD);
    EXPECT_EQ(Utf8(account), U8(u8"身份证号码无效，请准确输入您本人的身份证号码。"));
    GetAccountErrorText(account, GR_ERR_WEAK_PASSWORD);
    EXPECT_EQ(Utf8(account), U8(u8"密码太简单，容易被盗号，请换一个密码。"));
}

TEST(AnswerCodes, ClientMadeTexts)
{
    EXPECT_EQ(Utf8(TEXT_REQUEST_TIMEOUT), U8(u8"请求处理超时。"));
    EXPECT_EQ(Utf8(TEXT_NOT_CONNECTED), U8(u8"与服务器连接断开。"));
    EXPECT_EQ(Utf8(TEXT_SEND_FAILED), U8(u8"请求发送失败。"));
}

// The game server's answer codes (GR_ERR_*) and the three tables that turn a
// code into the text shown to the user: the general one used for every
// request, the safe-box one and the account one. The connection's virtual
// text operations call these.
// Owner: none (constant tables, free functions). Any thread.
// Hazards: texts are GBK (compiled from UTF-8 literals); the same code may
// have different texts in different tables (60023).
#pragma once

#include <cstdint>
#include <string>

namespace client {

inline constexpr int32_t GR_ERR_OBJECT_NOT_EXIST = 1000;
inline constexpr int32_t GR_ERR_OBJECT_EXISTS = 1001;
inline constexpr int32_t GR_ERR_REQUEST_FAILED = 1010;
inline constexpr int32_t GR_ERR_INVALID_PARAM = 1011;
inline constexpr int32_t GR_ERR_BAD_PASSWORD = 1020;
inline constexpr int32_t GR_ERR_TIMEOUT = 1030;       ///< made by the client: no answer in time
inline constexpr int32_t GR_ERR_NOT_CONNECTED = 1031; ///< made by the client: no connection
inline constexpr int32_t GR_ERR_UNSUPPORTED = 10000;
inline constexpr int32_t GR_ERR_NOT_AVAILABLE = 60017;
inline constexpr int32_t GR_ERR_MAINTENANCE = 60019;
inline constexpr int32_t GR_ERR_WEAK_PASSWORD = 60021;
inline constexpr int32_t GR_ERR_CONNECTION_LOST = 60023;
inline constexpr int32_t GR_ERR_RELOGIN = 60027;
inline constexpr int32_t GR_ERR_SERVER_TEXT = 60031; ///< the answer body is the text to show
inline constexpr int32_t GR_ERR_NO_PERMISSION = 60035;
inline constexpr int32_t GR_ERR_PASSWORD_LENGTH = 60038;
inline constexpr int32_t GR_ERR_NOT_LOGGED_IN = 60039;
inline constexpr int32_t GR_ERR_ROOM_CLOSED = 60040;
inline constexpr int32_t GR_ERR_USERNAME_LENGTH = 60043;
inline constexpr int32_t GR_ERR_ROOM_TEMP_CLOSED = 60050;
inline constexpr int32_t GR_ERR_BAD_ID_CARD = 60060;
inline constexpr int32_t GR_ERR_BAD_REAL_NAME = 60061;
inline constexpr int32_t GR_ERR_ROOM_NOT_OPEN = 60078;
inline constexpr int32_t GR_ERR_SERVER_BUSY = 60087;
inline constexpr int32_t GR_ERR_ACCOUNT_DISABLED = 60101;
inline constexpr int32_t GR_ERR_AUTH_FAILED = 210008;
inline constexpr int32_t GR_ERR_GAME_NOT_READY = 210010;
inline constexpr int32_t GR_ERR_NO_LOOKON_SEAT = 210020;
inline constexpr int32_t GR_ERR_ENTER_FAILED_1 = 210060;
inline constexpr int32_t GR_ERR_ENTER_FAILED_2 = 210070;
inline constexpr int32_t GR_ERR_ENTER_FAILED_3 = 210078;
inline constexpr int32_t GR_ERR_ENTER_FAILED_4 = 210535;

/// Texts of the codes the client makes itself, and of a failed send.
extern const char* const TEXT_REQUEST_TIMEOUT;      ///< with GR_ERR_TIMEOUT
extern const char* const TEXT_NOT_CONNECTED;        ///< with GR_ERR_NOT_CONNECTED
extern const char* const TEXT_SEND_FAILED;          ///< a send that failed without a time-out
extern const char* const TEXT_SAFE_BOX_FAILED;      ///< the safe-box table's text for unknown codes

/// The general table: writes the text of a known code, leaves `text` as it
/// is for an unknown one.
void GetErrorText(std::string& text, int32_t code);
/// The safe-box table: an unknown code gives TEXT_SAFE_BOX_FAILED.
void GetSafeBoxErrorText(std::string& text, int32_t code);
/// The account table, the widest: leaves `text` as it is for an unknown code.
void GetAccountErrorText(std::string& text, int32_t code);

} // namespace client

// CGameConnection: the client's connection to the game server, on the
// network library's socket client: connecting (directly or through the
// hall's proxy settings) with the greeting "Hello! Game Channel.", the
// synchronous request call with a time-out per request id and its result
// codes, latency statistics for the pulse, and one operation per request.
// CCardGameConnection and CPlDkConnection derive from it; the application
// owns one and drives it as its IGameServerLink.
//
// Owner: the application. Threads: requests are sent from the UI thread; a
// waiting request keeps handling the thread's messages until its answer or
// time-out (windows stay painted, timers run, handlers may send further
// requests); received messages go from the socket worker to the notify
// thread (the communication thread). Server messages that reach the main
// window while a request waits are held by the connection and handed back,
// in order, once no request waits (HoldNotification), so no handler sees the
// table change under it; the socket goes on reading meanwhile, and a server
// that floods a wait past CHeldNotifications' bounds is given up there and
// then (the wait ends at once). A quit during a wait closes the connection
// and ends the wait at once.
// A request that times out is told to the player as a system line in the
// chat; during a round, a server that stops answering is given up through
// the lost-connection road (CServerWatch gives the limits; a turn's clock,
// as the main game shows it, excuses the server's silence while it runs).
// A given-up server's connection ends as if the server had closed it: reading
// stops, every wait ends, and one closed event tells the loss.
// What the socket client refuses (a frame that fails its checks, a message
// joined past the assembly cap, one the codec refuses) is logged through the
// refusal log (CRefusalLog).
// Hazards: answers come from the server. Every word read from an answer is
// bounded by its length; a short answer reads as missing words (0 or no
// answer, as each request says). Connect creates the look timer's window on
// the calling thread, which must be the UI thread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "client/AppLinks.h"
#include "client/CGameConnectionWatch.h"
#include "client/CHeldNotifications.h"
#include "platform/Message.h"
#include "platform/MessageWindow.h"
#include "net/ProxySocket.h"
#include "net/SocketClient.h"

namespace client {

class CGameApp;

// Request ids of the framework.
inline constexpr uint32_t GR_LOGON = 200110;
inline constexpr uint32_t GR_SAFEBOX_OPEN = 200040;
inline constexpr uint32_t GR_SAFEBOX_TO_GAME = 200041;
inline constexpr uint32_t GR_GAME_TO_SAFEBOX = 200042;
inline constexpr uint32_t GR_SAFEBOX_QUERY_KEY = 200043;
inline constexpr uint32_t GR_CHECK_VERSION = 201001;
inline constexpr uint32_t GR_PULSE = 201020;
inline constexpr uint32_t GR_LEAVE_TABLE = 201120;
inline constexpr uint32_t GR_LEAVE_GAME = 201125;
inline constexpr uint32_t GR_ASK_EXIT = 201130;
inline constexpr uint32_t GR_ID_201140 = 201140;
inline constexpr uint32_t GR_USER_START = 201160;
inline constexpr uint32_t GR_ID_201161 = 201161;
inline constexpr uint32_t GR_REPORT_BAD_MESSAGE = 201162;
inline constexpr uint32_t GR_ID_201165 = 201165;
inline constexpr uint32_t GR_ID_201180 = 201180;
inline constexpr uint32_t GR_CALL_PLAYER = 201200;
inline constexpr uint32_t GR_ID_201210 = 201210;
inline constexpr uint32_t GR_CHAT = 201211;
inline constexpr uint32_t GR_ASK_FORCED_EXIT = 201212;
inline constexpr uint32_t GR_ANSWER_EXIT = 201213;
inline constexpr uint32_t GR_ENTER_GAME = 201220;
inline constexpr uint32_t GR_ID_201221 = 201221;
inline constexpr uint32_t GR_ID_201230 = 201230;
inline constexpr uint32_t GR_MATCH_SIGNUP = 201231;
inline constexpr uint32_t GR_MATCH_WITHDRAW = 201232;
inline constexpr uint32_t GR_CHANGE_TABLE = 201300;
inline constexpr uint32_t GR_ID_201302 = 201302;
inline constexpr uint32_t GR_ID_214000 = 214000;
inline constexpr uint32_t GR_ID_214010 = 214010;
inline constexpr uint32_t GR_SET_CARD_VIEW = 229560;
// Answer codes the requests act on.
inline constexpr int32_t GR_OK = 10;
inline constexpr int32_t GR_EXIT_ALLOWED = 210030;
inline constexpr int32_t GR_ID_210200 = 210200;
inline constexpr int32_t GR_ID_210210 = 210210;
inline constexpr int32_t GR_ID_210220 = 210220;
inline constexpr int32_t GR_LEAVE_KEEP_PLAYING = 210086;
inline constexpr int32_t GR_LEAVE_RANDOM_WAIT = 210085;
inline constexpr int32_t GR_ENTER_OK = 210500;
inline constexpr int32_t GR_ENTER_NOT_SIGNED_UP = 210521;
inline constexpr int32_t GR_SERVER_MESSAGE_BOX = 210530;
inline constexpr int32_t GR_ENTER_WASHED_OUT = 210531;
inline constexpr int32_t GR_ENTER_MATCH_STARTED = 210533;
inline constexpr int32_t GR_ENTER_MATCH_ENDED = 210534;
inline constexpr int32_t GR_ENTER_SYSTEM_CANCEL = 210536;
inline constexpr int32_t GR_ENTER_SELF_CANCEL = 210537;
inline constexpr int32_t GR_ENTER_SIGNUP_CHECKING = 210538;
inline constexpr int32_t GR_ENTER_SIGNUP_REJECTED = 210539;
inline constexpr int32_t GR_ENTER_MATCH_LATE = 210540;
inline constexpr int32_t GR_SILVER_TOO_LITTLE = 210541;
inline constexpr int32_t GR_SILVER_TOO_MUCH = 210542;
inline constexpr int32_t GR_CHANGE_TABLE_TOO_OFTEN = 210550;

/// Posted to the window whose server messages were held while a request
/// waited: it hands them to ReleaseNotifications.
inline constexpr uint32_t UM_RELEASE_NOTIFICATIONS = 0x861A;
/// The chat's system line for a request that got no answer in time.
inline constexpr char TEXT_TIMEOUT_LINE[] = " <z=qv系统通知> <c=255>服务器没有回应，请求处理超时。\r\n";

/// The greeting the client sends first, with its terminating zero.
inline constexpr char GAME_GREETING[] = "Hello! Game Channel.";
static_assert(sizeof(GAME_GREETING) == 21);

/// An answer as the request operations see it: the server's code and body.
struct RequestAnswer {
    int32_t code = 0;
    std::vector<uint8_t> data;

    /// Word `index` of the body, or std::nullopt when the body is too short.
    [[nodiscard]] std::optional<int32_t> Word(size_t index) const;
};

enum class RequestWait { No, Yes };

/// A request body: zeroed, filled word by word and text by text.
class CRequestBody {
public:
    explicit CRequestBody(size_t bytes) : m_bytes(bytes, 0) {}
    CRequestBody& Word(size_t index, int32_t value);
    /// Copies a text at a byte offset, cut on a character boundary to at most
    /// limit - 1 bytes and terminated.
    CRequestBody& Text(size_t offset, const std::string& text, size_t limit);
    CRequestBody& Bytes(size_t offset, std::span<const uint8_t> bytes);
    [[nodiscard]] std::span<const uint8_t> Span() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

/// The framework's requests the table scene sends (CGameConnection's). Each
/// answers as the operation of the same name.
class ISceneRequests {
public:
    virtual ~ISceneRequests() = default;
    [[nodiscard]] virtual int UserStart(std::string& error) = 0;
    [[nodiscard]] virtual int Request201165(std::string& error) = 0;
    [[nodiscard]] virtual int SetCardView(int32_t first, int32_t second) = 0;
    [[nodiscard]] virtual int ChangeTable(std::string& error) = 0;
    [[nodiscard]] virtual int Request201302(std::string& error) = 0;
    /// The 124-byte answer block (zero-filled past a short answer).
    [[nodiscard]] virtual int Request214010(std::string& error, std::span<const uint8_t, 320> record,
                                           std::span<uint8_t, 124> answer_block) = 0;
    /// The answer's text in `error`.
    [[nodiscard]] virtual int Request214000(std::string& error, std::span<const uint8_t> record) = 0;
};

class CGameConnection : public net::CSocketClient, public IGameServerLink, public ISceneRequests {
public:
    static constexpr uint32_t CRC_SETTING = 1;
    static constexpr uint32_t PART_LIMIT = 4000;
    static constexpr uint32_t CONNECT_TIMEOUT_S = 10;
    static constexpr uint32_t GREETING_WAIT_MS = 10000;
    static constexpr uint32_t CIPHER_AES = 0x100;
    static constexpr int32_t LATENCY_CAP_MS = 60000;

    explicit CGameConnection(CGameApp& app);
    ~CGameConnection() override;

    // IGameServerLink
    void SetCipherKey(std::span<const uint8_t> key_block) override;
    void LoadProxySettings(const std::string& ini_path) override;
    [[nodiscard]] std::string GetProxyHost() const override { return m_proxy_host; }
    void SetNotifyThread(platform::ThreadId thread) override { m_notify_thread = thread; }
    [[nodiscard]] bool Connect(const std::string& name, const std::string& host, int32_t port,
                               bool& proxy_failed) override;
    void Close() override;
    [[nodiscard]] bool CheckVersion(std::string& error, int32_t& major, int32_t& minor) override;
    [[nodiscard]] bool Logon(std::string& error) override;
    [[nodiscard]] bool EnterGame(std::string& error) override;
    bool LeaveTable(int32_t user_id, int32_t chair) override;
    [[nodiscard]] ISceneRequests* GetSceneRequests() override { return this; }

    /// Sends a request; with RequestWait::Yes waits for its answer up to
    /// GetRequestTimeout(id) seconds. 1 or 0, and the error text, as the
    /// request call of the framework gives them.
    [[nodiscard]] virtual int SendRequest(std::string& error, uint32_t request_id, std::span<const uint8_t> data,
                                          RequestAnswer& answer, RequestWait wait);
    [[nodiscard]] virtual uint32_t GetRequestTimeout(uint32_t request_id) const;
    virtual void GetErrorText(std::string& text, int32_t code) const;
    [[nodiscard]] CGameApp& GetApp() const { return m_app; }

    // The requests (CGameConnectionRequests.cpp).
    [[nodiscard]] virtual int AskExit();
    [[nodiscard]] virtual int Request201140(std::string& error);
    [[nodiscard]] int Request201165(std::string& error) override;
    [[nodiscard]] int UserStart(std::string& error) override;
    [[nodiscard]] virtual int Request201161(std::string& error);
    [[nodiscard]] virtual int LeaveGame(std::string& error, int32_t user_id, int32_t chair);
    [[nodiscard]] virtual int Request201210(const std::string& text);
    [[nodiscard]] virtual int SendChat(const std::string& line);
    [[nodiscard]] virtual int CallPlayer(int32_t user_id);
    [[nodiscard]] virtual int Request201180(int32_t value);
    [[nodiscard]] virtual int SendPulse();
    [[nodiscard]] virtual int Request201221();
    /// The previous message's record of the notification dispatcher (its
    /// words 1 to 4) goes into words 9-12.
    virtual void ReportBadMessage(uint32_t message_id, std::span<const uint8_t> data,
                                  std::span<const int32_t, 4> previous);
    [[nodiscard]] virtual int Request201230(int32_t value);
    [[nodiscard]] virtual int MatchSignup();
    [[nodiscard]] virtual int MatchWithdraw();
    [[nodiscard]] virtual int AskForcedExit(std::span<const uint8_t, 64> record);
    [[nodiscard]] virtual int AnswerExit(int32_t first, int32_t second);
    [[nodiscard]] int SetCardView(int32_t first, int32_t second) override;
    [[nodiscard]] int ChangeTable(std::string& error) override;
    [[nodiscard]] int Request201302(std::string& error) override;

    // The safe box and the scene's two records (CGameConnectionSafeBox.cpp).
    // Transfers run only while the game has not started.
    [[nodiscard]] virtual int OpenSafeBox(std::string& error, std::span<int32_t, 8> record);
    [[nodiscard]] virtual int SafeBoxToGame(std::string& error, int32_t first, int32_t second);
    [[nodiscard]] virtual int GameToSafeBox(std::string& error, int32_t value, int32_t& code);
    [[nodiscard]] virtual int QuerySafeBoxKey(std::string& error, std::span<int32_t, 6> record, int32_t& value);
    [[nodiscard]] int Request214010(std::string& error, std::span<const uint8_t, 320> record,
                                   std::span<uint8_t, 124> answer_block) override;
    [[nodiscard]] int Request214000(std::string& error, std::span<const uint8_t> record) override;

    // Server messages and waits.
    /// Takes a server message that reaches the main window while a request
    /// waits for its answer, or while messages taken before are not yet
    /// handed back. The held ones are handed back in order once no request
    /// waits: UM_RELEASE_NOTIFICATIONS goes to the message's window. False
    /// when the message is to be handled now. More than the held queue's
    /// bounds give the server up (the lost-connection road).
    [[nodiscard]] bool HoldNotification(platform::Message& msg);
    /// Hands the held messages, oldest first, to `deliver` for as long as no
    /// request waits.
    void ReleaseNotifications(const std::function<void(platform::Message&)>& deliver);
    [[nodiscard]] bool IsWaiting() const { return m_wait_depth > 0; }
    [[nodiscard]] size_t GetHeldCount() const { return m_held.GetCount(); }
    /// A look at the server's silence at `now` (the look timer calls it every
    /// CServerWatch::LOOK_PERIOD_MS); a server silent too long during a round
    /// is given up, the main game's running turn clock counted.
    void LookAtServer(uint32_t now);
    [[nodiscard]] const CServerWatch& GetServerWatch() const { return m_watch; }

    // Latency of the waiting requests since the last pulse.
    [[nodiscard]] int64_t GetLatencyTotal() const { return m_latency_total; }
    [[nodiscard]] int32_t GetLatencyCount() const { return m_latency_count; }
    [[nodiscard]] int32_t GetLatencyMax() const { return m_latency_max; }

protected:
    /// The seat block: own user id, room id, table number, own chair.
    [[nodiscard]] CRequestBody SeatBlock(size_t bytes) const;
    /// Sends a request that does not wait; the send result.
    int SendWithoutWaiting(uint32_t request_id, std::span<const uint8_t> data);
    /// Word 6 of the bad-message report: 0 here.
    [[nodiscard]] virtual int32_t BadMessageSubId(uint32_t, std::span<const uint8_t>) const { return 0; }
    virtual void OnLogonReply210200(const RequestAnswer& answer);
    virtual void OnLogonReply210210(const RequestAnswer& answer);
    virtual void OnLogonReply210220(const RequestAnswer& answer);
    /// The socket worker's refusals go to the refusal log.
    void OnRefused(const std::string& reason) override;

private:
    [[nodiscard]] std::string MachineId() const;
    /// The socket client's request; a waiting one waits without freezing
    /// this thread's windows. A quit during the wait closes the connection.
    int SendAndWait(const net::ConnRecord& conn, const net::RequestRecord& request, net::RequestRecord& reply,
                    int& timed_out, uint32_t timeout_ms, bool& quit);
    /// The player is told; the server may be given up.
    void OnRequestTimedOut(uint32_t request_id);
    [[nodiscard]] bool IsInRound() const;
    /// The lost-connection road, as for a socket the server closed: reading
    /// stops, waiting requests end at once and a closed event with the
    /// current cookie goes to the notify thread (once per connection).
    void GiveUpOnServer(const char* reason);
    [[nodiscard]] CRequestBody SafeBoxQueryBody() const;
    [[nodiscard]] CRequestBody SafeBoxMoveBody(int32_t first, int32_t second, int32_t direction) const;
    [[nodiscard]] int Request201165Kind(std::string& error, uint32_t request_id);
    [[nodiscard]] int LeaveRecord(uint32_t request_id, int32_t user_id, int32_t chair, std::string& error,
                                  RequestAnswer& answer, RequestWait wait);

    CGameApp& m_app;
    int32_t m_server_port { 0 };
    std::string m_server_name;
    std::string m_server_host;
    int32_t m_need_proxy { 0 };
    int32_t m_proxy_port { 0 };
    int32_t m_proxy_type { 0 };
    std::string m_proxy_host;
    std::string m_proxy_user;
    std::string m_proxy_password;
    platform::ThreadId m_notify_thread { 0 };
    net::CProxySocket m_proxy;
    int64_t m_latency_total { 0 };
    int32_t m_latency_count { 0 };
    int32_t m_latency_max { 0 };
    int m_wait_depth { 0 };
    CHeldNotifications m_held;
    CServerWatch m_watch;
    bool m_given_up { false };
    std::unique_ptr<platform::CMessageWindow> m_look_window;
};

} // namespace client

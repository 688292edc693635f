// CSocketClient: the TCP client of the network library. It opens one
// connection (connecting itself, or on a socket a proxy handshake already
// connected), runs one worker thread that reads the socket, joins frames into
// messages and posts each to its owner as UM_COMM_MESSAGE (a CommMessage
// payload), and lets another thread send requests and wait for their answers.
// The game-server connection derives from it.
//
// Owner: the client framework (the game-server connection).
// Threads: Open/Create/Attach/Close from the owning thread; SendRequest from
// any thread (sends are serialised by a lock); the worker thread reads,
// assembles and posts, and never touches UI objects. The peer map is guarded
// by the client lock; codec values by the same lock; the socket handle,
// cookie and counters are atomic.
// Hazards: Close joins the worker and wakes every waiting request; records
// posted before a Close still arrive, with a cookie that is no longer current,
// so receivers must compare cookies. The worker's socket service is poll():
// readiness is turned into the read and close handlers directly on the
// worker thread, which needs no window or queue of its own.
// A hostile or broken server: the worker stops reading while the owner has
// more than CPendingTraffic's limits of this connection's messages not yet
// handled (TCP then holds the server back); after a frame fails its checks,
// a read error or the server's close, it posts exactly one event, stops
// reading for good and ends every waiting request at once (timed out). The
// owner closes the client as on any lost connection. What was refused is told
// to OnRefused first, with the reason.
// A derived class that overrides the hooks (called on the worker thread) must
// call Close() in its own destructor, before its part of the object is gone.
#pragma once

#include "net/CommRecords.h"
#include "net/PacketFrame.h"
#include "net/PeerRecord.h"
#include "net/PendingTraffic.h"

#include "platform/Event.h"
#include "platform/Message.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace net {

/// Takes the next connection cookie of the program (never 0).
[[nodiscard]] uint32_t NextConnectionCookie();

class CSocketClient {
public:
    static constexpr int RESULT_OK = 1;
    static constexpr int RESULT_FAILED = 0;

    static constexpr uint32_t MODE_SEND_GREETING = 0;    ///< send the greeting block after connecting
    static constexpr uint32_t MODE_WAIT_FIRST_BYTES = 1; ///< wait for the server's first bytes (discarded)

    static constexpr uint32_t SEND_RETRY_WAIT_MS = 1000;
    static constexpr uint32_t DEFAULT_RECV_CHUNK = 4096;
    static constexpr uint32_t CLOSE_WAIT_MS = 3000;

    /// part_limit is at most MAX_PART_LIMIT (larger values are cut to it).
    CSocketClient(const uint8_t* key, uint32_t key_bits, uint32_t cipher_flags, uint32_t compression_flags,
                  uint32_t crc_setting, uint32_t part_limit);
    virtual ~CSocketClient();
    CSocketClient(const CSocketClient&) = delete;
    CSocketClient& operator=(const CSocketClient&) = delete;

    /// Makes a TCP socket and opens it (connecting to host:port within
    /// connect_timeout_s seconds). Result RESULT_OK or RESULT_FAILED.
    [[nodiscard]] int Create(const char* host, uint16_t port, uint32_t connect_timeout_s,
                             platform::WindowHandle owner_window, platform::ThreadId owner_thread, uint32_t mode,
                             const uint8_t* greeting, uint32_t greeting_length, uint32_t wait_timeout_ms);
    /// Opens an already connected socket; the client owns it from now on,
    /// also when opening fails.
    [[nodiscard]] int Attach(int socket, platform::WindowHandle owner_window, platform::ThreadId owner_thread,
                             uint32_t mode, const uint8_t* greeting, uint32_t greeting_length,
                             uint32_t wait_timeout_ms, const char* host, uint16_t port);
    /// Stops the worker, closes the socket, wakes waiting requests (waits up
    /// to CLOSE_WAIT_MS for them to leave) and removes the peers. Safe at any
    /// time, also twice.
    int Close();

    /// Sends one request; with conn.answer_wanted waits up to wait_timeout_ms
    /// for its answer, which the caller then owns. cipher_flags and
    /// compression_flags 0 mean the client's own; crc_flag 1 forces a CRC.
    /// On RESULT_FAILED, timed_out is 1 when the wait ended without an answer.
    [[nodiscard]] int SendRequest(const ConnRecord& conn, const RequestRecord& request, RequestRecord& answer,
                                  int& timed_out, uint32_t wait_timeout_ms, uint32_t cipher_flags = 0,
                                  uint32_t compression_flags = 0, uint32_t crc_flag = 0, const char* host = nullptr,
                                  uint16_t port = 0);

    [[nodiscard]] int GetSocket() const { return m_socket.load(); }
    [[nodiscard]] uint32_t GetCookie() const { return m_cookie.load(); }
    uint32_t SetCookie(uint32_t cookie) { return m_cookie.exchange(cookie); }
    /// 1 while the socket is open and the TCP connection established.
    [[nodiscard]] int IsConnected() const;
    int SetTransform(const uint8_t* key, uint32_t key_bits, uint32_t cipher_flags, uint32_t compression_flags);

    [[nodiscard]] uint64_t GetBytesReceived() const { return m_bytes_received.load(); }
    /// Messages and bytes of the current connection posted and not yet let
    /// go by the owner.
    [[nodiscard]] uint32_t GetPendingMessages() const { return m_pending->GetMessages(); }
    [[nodiscard]] uint64_t GetPendingBytes() const { return m_pending->GetBytes(); }

protected:
    /// Bytes asked of each recv.
    [[nodiscard]] virtual size_t GetRecvChunkSize() const { return DEFAULT_RECV_CHUNK; }
    /// Non-zero when the hook consumed the bytes (they are then not buffered).
    virtual int OnUnhandled(CPeerRecord& peer, const uint8_t* bytes, size_t count);
    /// In MODE_WAIT_FIRST_BYTES sets the peer's answer event and gives 1; else 0.
    virtual int SignalPeerEvent(CPeerRecord& peer);
    /// A frame, message or answer refused while reading (the reason in one
    /// line, CFrameAssembler's); here it goes to the library's log.
    virtual void OnRefused(const std::string& reason);
    /// Posts a connection event (socket and cookie of now) to the owner,
    /// counted with the rest of the incoming traffic.
    void PostSocketEvent(uint32_t id);
    /// Ends the connection as the server's close does, from the owning
    /// thread: one closed event with the current cookie, no more reading,
    /// and every waiting request ended at once (timed out). The socket and
    /// the cookie stay until Close, so the owner takes the event as the
    /// current connection's. When the worker has already posted its own
    /// event for this connection, the owner sees two; the one handled second
    /// comes after the owner's Close and so carries a stale cookie.
    void GiveUp();

private:
    using PeerPointer = std::shared_ptr<CPeerRecord>;

    /// How a read pass ended.
    enum class ReadOutcome { Drained, Paused, Stopped, EndOfStream, SocketError, BadFrame };
    /// Where a waiting request stands.
    enum class AnswerState { Waiting, Answered, Ended };

    /// Counts a request in flight for as long as it lives; Close waits for none.
    class CInFlight {
    public:
        explicit CInFlight(CSocketClient& client);
        ~CInFlight();
        CInFlight(const CInFlight&) = delete;
        CInFlight& operator=(const CInFlight&) = delete;

    private:
        CSocketClient& m_client;
    };

    int Open(int socket, platform::WindowHandle owner_window, platform::ThreadId owner_thread, uint32_t mode,
             const uint8_t* greeting, uint32_t greeting_length, uint32_t wait_timeout_ms, const char* host,
             uint16_t port, uint32_t connect_timeout_s, bool already_connected);
    bool Connect(const char* host, uint16_t port, uint32_t timeout_s);
    bool WaitWorkerReady();

    /// Makes a fresh peer for host and port (replacing one of the same key).
    PeerPointer AddPeer(const char* host, uint16_t port);
    void SetPeer(const char* host, uint16_t port, PeerPointer peer);
    /// The peer of host and port; without host, or when none is found, the first.
    PeerPointer FindPeer(const char* host, uint16_t port);
    PeerPointer GetFirstPeer();
    void MarkPeersClosed();
    void RemoveAllPeers();

    void WorkerLoop(std::stop_token stop);
    /// One read pass; false when reading has ended for good.
    bool OnRead();
    /// Reads and assembles until the socket has nothing more, the owner is
    /// too far behind, the client stops, or the stream ends or fails.
    ReadOutcome ReadAvailable(int& socket_error);
    /// recv without waiting; retried on EINTR.
    ssize_t Recv(int socket, std::span<uint8_t> block);
    /// The server closed: one closed event; waiting requests end.
    void OnClose();
    /// The stream failed (read error or bad frame): one socket-error event;
    /// waiting requests end.
    void OnSocketError();
    void PostIncoming(std::unique_ptr<CommMessage> message);

    /// Encodes a request and cuts it into its part list.
    bool WriteRequest(const RequestRecord& request, const CodecSettings& codec, CByteBuffer& parts);
    /// Sends the frames of one message; gives its serial, 0 when refused.
    uint32_t SendMessage(CPeerRecord& peer, CByteBuffer& parts, bool answer_wanted, bool with_crc);
    /// One frame, whole: false unless every byte went out.
    bool SendFrame(std::span<const uint8_t> frame);
    bool SendRawBlock(const uint8_t* bytes, uint32_t length);
    size_t SendAll(std::span<const uint8_t> bytes);
    /// Waits for the peer's answer event; when it came, resets it and gives true.
    bool WaitPeerEvent(CPeerRecord& peer, uint32_t timeout_ms);
    /// Takes the answer to `serial` when it came; Ended once the peer is
    /// closed or the client stops.
    AnswerState GetAnswerState(CPeerRecord& peer, uint32_t serial, RequestRecord& answer);

    CodecSettings GetCodec() const;

    std::atomic<int> m_socket { -1 };
    std::atomic<uint32_t> m_cookie { 0 };

    mutable std::mutex m_lock; ///< peer map and codec values
    const uint8_t* m_key { nullptr };
    uint32_t m_key_bits { 0 };
    uint32_t m_cipher_flags { 0 };
    uint32_t m_compression_flags { 0 };
    std::map<std::string, PeerPointer> m_peers;

    const uint32_t m_crc_setting;
    const size_t m_part_limit;
    uint32_t m_mode { MODE_SEND_GREETING };
    platform::WindowHandle m_owner_window { platform::WindowHandle::None };
    platform::ThreadId m_owner_thread { 0 };

    std::mutex m_send_lock; ///< one message's frames at a time
    int m_stop_fd { -1 };   ///< eventfd, signalled for good by Close
    std::atomic<bool> m_stopping { false };
    platform::CEvent m_ready_event { platform::EventReset::Manual };
    std::jthread m_worker;

    std::atomic<uint64_t> m_bytes_received { 0 };
    std::atomic<uint32_t> m_read_passes { 0 };
    /// The current connection's messages not yet let go by the owner; a new
    /// one per open, so an older connection's messages count apart.
    std::shared_ptr<CPendingTraffic> m_pending { std::make_shared<CPendingTraffic>() };

    std::mutex m_in_flight_lock;
    std::condition_variable m_in_flight_done; ///< signalled when the count drops to 0
    int m_requests_in_flight { 0 };
};

} // namespace net

// Drives the socket client's own read path with arbitrary bytes through a
// socket pair: the worker thread, the first-bytes mode, frame assembly and
// posting to an owner thread, up to the closed or socket-error event that
// ends every stream.
#include "net/NetMessages.h"
#include "net/SocketClient.h"

#include "platform/Message.h"
#include "platform/Tick.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

namespace {

constexpr uint32_t EVENT_WAIT_MS = 5000;

// Writes the bytes and ends the stream (the client reads them, then the close).
bool Feed(int socket, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const ssize_t sent = send(socket, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= size_t(sent);
    }
    return shutdown(socket, SHUT_WR) == 0;
}

// Handles the owner thread's messages until the stream's last event arrives.
void PumpUntilEvent()
{
    const uint32_t start = platform::GetTickCount();
    while (!platform::HasElapsed(start, platform::GetTickCount(), EVENT_WAIT_MS)) {
        platform::Message msg;
        if (!platform::PeekMessage(msg)) {
            platform::WaitMessage(10);
            continue;
        }
        const auto* message = msg.PayloadAs<net::CommMessage>();
        if (msg.id == net::UM_COMM_MESSAGE && message
            && (message->request.id == net::COMM_EVENT_CLOSED || message->request.id == net::COMM_EVENT_SOCKET_ERROR)
            && message->conn.message_serial == 0)
            return;
    }
    __builtin_trap(); // a stream that ended must always end with an event
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const uint8_t key[16] = { 7 };
    if (size < 1)
        return 0;
    const uint32_t mode = data[0] & 1 ? net::CSocketClient::MODE_WAIT_FIRST_BYTES : net::CSocketClient::MODE_SEND_GREETING;
    const uint32_t part_limit = data[0] & 2 ? 200 : 4000;
    const uint32_t compression = data[0] & 4 ? 0x400 : 0;
    ++data;
    --size;
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return 0;
    if (!Feed(pair[1], data, size)) {
        close(pair[0]);
        close(pair[1]);
        return 0;
    }
    const platform::ThreadId owner = platform::GetCurrentThreadId();
    {
        net::CSocketClient client(key, 128, 0x100, compression, 0, part_limit);
        if (client.Attach(pair[0], platform::WindowHandle::None, owner, mode, nullptr, 0, EVENT_WAIT_MS, nullptr, 0)
            == net::CSocketClient::RESULT_OK)
            PumpUntilEvent();
        client.Close();
    }
    close(pair[1]);
    // Whatever is left in the queue is dropped with its payload (leak check).
    platform::Message msg;
    while (platform::PeekMessage(msg)) {
    }
    return 0;
}

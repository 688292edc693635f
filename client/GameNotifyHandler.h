// IGameNotifyHandler: where the main window hands every server notification
// of the current connection (the notification dispatcher implements it).
// Dispatch runs under the engine's tick lock; it may throw for a message it
// cannot take, which the main window reports to the server. OnAfterDispatch
// follows every Dispatch, thrown or not.
// Owner: the installer; it must outlive its installation in the main window.
// Threads: UI thread.
// Hazards: `data` is the server's body, valid only during the call.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <span>

namespace client {

class IGameNotifyHandler {
public:
    virtual ~IGameNotifyHandler() = default;
    virtual void Dispatch(uint32_t id, std::span<const uint8_t> data) = 0;
    virtual void OnAfterDispatch(uint32_t id, std::span<const uint8_t> data) = 0;
    /// The record of the message dispatched before (its words 1 to 4), sent
    /// along with a report of a message that failed.
    [[nodiscard]] virtual std::array<int32_t, 4> GetPreviousRecord() const { return {}; }
};

/// What the main window asks of the frame UI beyond the application's reach.
class IFrameWindowUI {
public:
    virtual ~IFrameWindowUI() = default;
    virtual void ShowQuitBoard() = 0;
    virtual void ShowForceQuitBox() = 0;
    /// The frame's own size, used as the largest window size while its size
    /// flag is 0.
    [[nodiscard]] virtual int32_t GetDefaultWidth() const = 0;
    [[nodiscard]] virtual int32_t GetDefaultHeight() const = 0;
    [[nodiscard]] virtual int32_t GetSizeFlag() const = 0;
    /// The smallest size at which the frame lays out without overlaps: the
    /// window is never made smaller (0 x 0: no limit).
    [[nodiscard]] virtual std::pair<int32_t, int32_t> GetMinimumSize() const { return { 0, 0 }; }
};

} // namespace client

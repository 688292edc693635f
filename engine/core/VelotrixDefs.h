#pragma once
// Shared vocabulary of the engine kernel: module ids, kernel return codes,
// module message ids and the module message record.
//
// Owner: engine/core. Used by every module (core and media) and by the host
// window. Plain constants; no threading concerns.
//
// Parameters of module messages carry either a value or a pointer, so they
// are pointer-sized in memory; nothing here is ever written to disk or wire.

#include <cstdint>
#include <memory>
#include <utility>

#include "platform/Message.h"

namespace engine {

// Module ids.
inline constexpr int32_t VELOTRIX_MODULE_SYSTEM = 0;        ///< Target of system messages (the manager).
inline constexpr int32_t VELOTRIX_MODULE_RESOURCE = 1001;   ///< "ResourceModule".
inline constexpr int32_t VELOTRIX_MODULE_OBJECT = 1002;     ///< "ObjectModule".
inline constexpr int32_t VELOTRIX_MODULE_PAINT = 1003;      ///< "PaintModule".
inline constexpr int32_t VELOTRIX_MODULE_MUSIC = 1004;      ///< "MusicModule".
inline constexpr int32_t VELOTRIX_MODULE_INPUT = 1005;      ///< "InputModule".
inline constexpr int32_t VELOTRIX_MODULE_ERROR_SINK = 1010; ///< Receiver of the kernel's fault reports.

// Kernel return codes.
inline constexpr int32_t VELOTRIX_RETURN_OK = 10000;                    ///< Loaded, unloaded or handled.
inline constexpr int32_t VELOTRIX_RETURN_MODULE_INITIAL_FAILD = -99997; ///< The module's Load returned 0.
inline constexpr int32_t VELOTRIX_RETURN_MODULE_NOT_FOUND = -99998;     ///< No loaded module has that id.
inline constexpr int32_t VELOTRIX_RETURN_MODULE_CRASH = -99999;         ///< A module with that id is already loaded.

// Fault reports sent to VELOTRIX_MODULE_ERROR_SINK.
inline constexpr int32_t VELOTRIX_MSG_MODULE_FAULT = 1002;       ///< param1 -> int32_t id of the module that threw.
inline constexpr int32_t VELOTRIX_MSG_MODULE_DUPLICATE = 1003;   ///< param1 -> int32_t id already loaded.
inline constexpr int32_t VELOTRIX_MSG_MODULE_INIT_FAILED = 1004; ///< param1 -> int32_t id whose Load failed.
inline constexpr int32_t VELOTRIX_MSG_QUEUE_OVERFLOW = 1005;     ///< param1 = id whose queue was dropped.

// System messages (target 0).
inline constexpr int32_t VELOTRIX_MSG_ENABLE_MODULE = 1008;  ///< param1 -> int32_t module id.
inline constexpr int32_t VELOTRIX_MSG_DISABLE_MODULE = 1009; ///< param1 -> int32_t module id.
inline constexpr int32_t VELOTRIX_MSG_LOAD_MODULE = 1010;    ///< param1 = EngineModule* (the manager takes it).
inline constexpr int32_t VELOTRIX_MSG_UNLOAD_MODULE = 1011;  ///< param1 -> int32_t module id.

// Object module messages.
inline constexpr int32_t VELOTRIX_MSG_OBJECT_DESTROYED = 1015;
inline constexpr int32_t VELOTRIX_MSG_DELIVER_QUEUED_EVENT = 1016;
inline constexpr int32_t VELOTRIX_MSG_SEND_EVENT = 1017;
inline constexpr int32_t VELOTRIX_MSG_POST_EVENT = 1018;
inline constexpr int32_t VELOTRIX_MSG_SOUND_FINISHED = 1019;
inline constexpr int32_t VELOTRIX_MSG_OBJECT_EVENT = 1020;
inline constexpr int32_t VELOTRIX_MSG_OBJECT_CHANGED = 1021;
inline constexpr int32_t VELOTRIX_MSG_ADD_ACTION = 1023;
inline constexpr int32_t VELOTRIX_MSG_BEGIN_GROUP = 1024;
inline constexpr int32_t VELOTRIX_MSG_NEXT_GROUP = 1025;
inline constexpr int32_t VELOTRIX_MSG_END_GROUP = 1026;
inline constexpr int32_t VELOTRIX_MSG_CANCEL_ACTION = 1027;
inline constexpr int32_t VELOTRIX_MSG_CANCEL_GROUP = 1028;
inline constexpr int32_t VELOTRIX_MSG_CANCEL_OBJECT_ACTIONS = 1029;
inline constexpr int32_t VELOTRIX_MSG_REFRESH_VIEW = 1030;

// Paint module messages.
inline constexpr int32_t VELOTRIX_MSG_RENDER = 1033;     ///< param1 = RenderRequest* (owned by the message).
inline constexpr int32_t VELOTRIX_MSG_PAINT = 1034;      ///< WM_PAINT passed on by the host window.
inline constexpr int32_t VELOTRIX_MSG_FREE_IMAGE = 1035; ///< param1 = ImageRecord* to free.

// Resource module messages.
inline constexpr int32_t VELOTRIX_MSG_ADD_DIRECTORY = 1039;
inline constexpr int32_t VELOTRIX_MSG_LOAD_PACKAGE = 1040;
inline constexpr int32_t VELOTRIX_MSG_LOAD_PACKAGE_MEMORY = 1041;

// Input module messages.
inline constexpr int32_t VELOTRIX_MSG_FREE_INPUT_EVENT = 1044;
inline constexpr int32_t VELOTRIX_MSG_ENABLE_INPUT = 1045;
inline constexpr int32_t VELOTRIX_MSG_DISABLE_INPUT = 1046;

/// One module message: target module (0 = the manager), message id and two
/// pointer-sized parameters.
///
/// A message that carries something owned (a record, an event, a text) holds
/// it in `payload`, and param1 points at it. The message owns the payload the
/// way platform::Message does: the handler borrows it for the length of
/// OnMessage (a handler that keeps something moves it out of *param1), and it
/// is freed with the message on every path: handled, dropped with a full
/// queue, sent to a module that is not loaded, or still waiting when the
/// manager is destroyed. Move-only.
struct ModuleMessage {
    int32_t target { 0 };
    int32_t id { 0 };
    uintptr_t param1 { 0 };
    uintptr_t param2 { 0 };
    std::unique_ptr<platform::MessagePayload> payload {};

    /// A message owning `value`; param1 points at the owned copy.
    template <typename T>
    [[nodiscard]] static ModuleMessage Owning(int32_t target, int32_t id, T value, uintptr_t param2 = 0)
    {
        auto owned = std::make_unique<platform::ValuePayload<T>>(std::move(value));
        const auto param1 = reinterpret_cast<uintptr_t>(&owned->value);
        return ModuleMessage { target, id, param1, param2, std::move(owned) };
    }
    /// A message owning `*value`; param1 points at it (0 for none).
    template <typename T>
    [[nodiscard]] static ModuleMessage Owning(int32_t target, int32_t id, std::unique_ptr<T> value,
                                              uintptr_t param2 = 0)
    {
        const auto param1 = reinterpret_cast<uintptr_t>(value.get());
        auto owned = std::make_unique<platform::ValuePayload<std::unique_ptr<T>>>(std::move(value));
        return ModuleMessage { target, id, param1, param2, std::move(owned) };
    }
};

/// Engine version written to the run log by GameCore::Init.
inline constexpr double VELOTRIX_VERSION = 1.0;

} // namespace engine

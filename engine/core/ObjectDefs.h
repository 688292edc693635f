#pragma once
// The object model's vocabulary: object flags, follower link flags, the
// object state block that the object module snapshots, and event routes.
//
// Owner: engine/core. Plain values; UI thread.

#include <cstdint>

#include "engine/core/EngineRect.h"

namespace engine {

// Object flags.
inline constexpr uint32_t VELOTRIX_OBJ_VISIBLE = 0x0001;         ///< Found by hit tests.
inline constexpr uint32_t VELOTRIX_OBJ_HIT_RECT = 0x0002;        ///< The hit rectangle is set.
inline constexpr uint32_t VELOTRIX_OBJ_HIT_PICTURE = 0x0004;     ///< Hit test by the picture's pixels.
inline constexpr uint32_t VELOTRIX_OBJ_TOP_LAYER = 0x0040;       ///< Raised to the top layer.
inline constexpr uint32_t VELOTRIX_OBJ_HAS_VISUAL = 0x0080;      ///< A visual child carries its looks.
inline constexpr uint32_t VELOTRIX_OBJ_CATCH_INPUT = 0x0100;     ///< Catches input for its followers.
inline constexpr uint32_t VELOTRIX_OBJ_FOCUSED = 0x0200;         ///< Has the input focus.
inline constexpr uint32_t VELOTRIX_OBJ_HIT_RECT_MOVES = 0x0400;  ///< MoveBy moves the hit rectangle.
inline constexpr uint32_t VELOTRIX_OBJ_DISABLED = 0x1000;        ///< Disabled: not painted.
inline constexpr uint32_t VELOTRIX_OBJ_CONFINE_CURSOR = 0x8000;  ///< Cursor kept in the hit rectangle while pressed.

// Follower link flags: which changes of the leader the follower repeats.
inline constexpr uint32_t VELOTRIX_LINK_OWNED = 0x000001;
inline constexpr uint32_t VELOTRIX_LINK_ROTATE = 0x000002;
inline constexpr uint32_t VELOTRIX_LINK_ALPHA = 0x000008;
inline constexpr uint32_t VELOTRIX_LINK_SHOW = 0x000010;
inline constexpr uint32_t VELOTRIX_LINK_INVALIDATE = 0x000020;
inline constexpr uint32_t VELOTRIX_LINK_SIZE = 0x000040;
inline constexpr uint32_t VELOTRIX_LINK_RAW_SIZE = 0x000080;
inline constexpr uint32_t VELOTRIX_LINK_KEEP_ACTIVE = 0x001000;
inline constexpr uint32_t VELOTRIX_LINK_DEACTIVATED = 0x002000;
inline constexpr uint32_t VELOTRIX_LINK_HIT_RECT = 0x004000;
inline constexpr uint32_t VELOTRIX_LINK_Z = 0x008000;
inline constexpr uint32_t VELOTRIX_LINK_POSITION = 0x010000;
inline constexpr uint32_t VELOTRIX_LINK_EVENTS = 0x020000;
inline constexpr uint32_t VELOTRIX_LINK_ROUTES = 0x040000;
inline constexpr uint32_t VELOTRIX_LINK_ACTIVATE = 0x080000;
inline constexpr uint32_t VELOTRIX_LINK_DEACTIVATE = 0x100000;

// Layers and depth.
inline constexpr uint32_t VELOTRIX_LAYER_MAX = 1000000;
inline constexpr uint32_t VELOTRIX_LAYER_TOP = 1000100;
inline constexpr double VELOTRIX_Z_MAX = 999989.0;

/// The state block of an object, as GetState copies it out.
struct ObjectState {
    double x { -100000.0 };
    double y { -100000.0 };
    double z { 0.0 };
    double angle { 0.0 };
    double alpha { 1.0 };
    double width { 0.0 };
    double height { 0.0 };
    uint32_t flags { 0 };
    uint32_t layer { 0 };
    int32_t active { 0 };
    EngineRect hit_rect {};
};

/// What a route look-up answers: where an event is sent and with which id
/// and parameters.
struct RouteRecord {
    uint32_t target { 0 };
    uint32_t forwarded_id { 0 };
    uintptr_t param1 { 0 };
    uintptr_t param2 { 0 };
};

/// One event route of an object.
struct EventRoute {
    uint32_t event_id { 0 };
    RouteRecord record {};
};

} // namespace engine

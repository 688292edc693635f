#pragma once
// The message box behind the entity facade's system note and details board.
// The engine's message box is a widget (engine/widgets), a layer above the
// core; that layer installs a maker here which creates one and hands back its
// parts. Until a maker is installed the boards use a plain box: a canvas
// with no buttons that, given a countdown, raises the cancel event and goes
// when it runs out.
//
// Owner: the boxes are registered objects (the object module owns them).
// The installed maker is a plain function and lives for the process.
// Thread: UI thread; install before the engine runs.

#include <cstdint>

#include "engine/core/EngineEvent.h"

namespace engine {

class CCanvasObject;
class CEngineEntity;
class CEngineObject;

/// What the boards need of a message box.
struct SystemBoxParts {
    CEngineObject* box { nullptr };          ///< placed, raised and faded in; null when none was made
    CCanvasObject* canvas { nullptr };       ///< the surface the text is drawn on
    CEngineObject* ok_button { nullptr };    ///< null without an OK event
    CEngineObject* cancel_button { nullptr }; ///< null without a cancel event
};

/// Makes a box registered through owner: width x height, its OK and cancel
/// events (null: no such button) and a countdown of seconds (below 1: none).
using SystemBoxMaker = SystemBoxParts (*)(CEngineEntity& owner, int32_t width, int32_t height,
                                          const EngineEvent* ok_event, const EngineEvent* cancel_event,
                                          int32_t seconds);

class CSystemBoxes {
public:
    /// Null goes back to the plain box.
    static void InstallMaker(SystemBoxMaker maker);
    [[nodiscard]] static SystemBoxParts Make(CEngineEntity& owner, int32_t width, int32_t height,
                                             const EngineEvent* ok_event, const EngineEvent* cancel_event,
                                             int32_t seconds);
    /// The plain box (also what Make gives without a maker).
    [[nodiscard]] static SystemBoxParts MakePlain(CEngineEntity& owner, int32_t width, int32_t height,
                                                  const EngineEvent* ok_event, const EngineEvent* cancel_event,
                                                  int32_t seconds);

    /// The longest countdown a box shows.
    static constexpr int32_t MAX_SECONDS = 99;
};

} // namespace engine

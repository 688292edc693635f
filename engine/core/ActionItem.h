#pragma once
// The records of timed actions: ActionItem (one queued action), ActionGroup
// (one stage of an action group) and CActionKind, the run function of one
// kind of action with its parameters. IActionSoundPlayer is what the music
// module offers the play-sound action.
//
// Owner: CActionRunner owns every item and group record (see
// ActionRunner.h); the factory (ActionFactory.h) fills fresh items. Thread:
// UI thread, inside the object module's update.
// Hazards: items name their object and group by id / serial, never by
// pointer, because either may be gone before the item runs again; the runner
// looks them up at each use. Serials are 64-bit and start at 1; 0 is "none"
// (and the answer of a refused request).

#include <array>
#include <cstdint>
#include <memory>

#include "engine/core/EngineEvent.h"

namespace engine {

class CEngineObject;
class ObjectModule;

/// What one run of an action sees.
struct ActionRunContext {
    CEngineObject* object { nullptr }; ///< the action's object (null when it has none)
    ObjectModule& module;
    uint32_t elapsed { 0 };            ///< ms from the action's start to this run
};

/// One kind of action: its parameters and its run function.
class CActionKind {
public:
    virtual ~CActionKind() = default;
    /// One run; true when the action has finished.
    virtual bool Run(ActionRunContext& context) = 0;
    /// Milliseconds from `now` (the module clock) until a run could next
    /// change anything, for an action that started at `start_time`; 0 (the
    /// default): any run may.
    [[nodiscard]] virtual uint32_t GetChangeDueIn(uint32_t /*now*/, uint32_t /*start_time*/) const { return 0; }
};

struct ActionItem {
    uint64_t serial { 0 };
    uint64_t group { 0 };          ///< serial of the stage current at queueing; 0 none
    uint32_t object_id { 0 };      ///< 0: the action works on no object
    bool held { false };           ///< its stage is not active yet
    bool cancelled { false };      ///< dropped at its next turn, without the done event
    bool started { false };
    uint64_t ready_walk { 0 };     ///< not run before this walk of the list (a stage released mid-walk)
    uint32_t start_time { 0 };     ///< ms of the module clock
    uint32_t last_run { 0 };
    uint32_t interval { 0 };       ///< least ms between two runs
    std::unique_ptr<CActionKind> kind;
    EngineEvent done_event {};     ///< id 0: none
};

/// One stage of an action group. Links are serials of other stages; a link
/// to a released stage finds nothing.
struct ActionGroup {
    uint64_t serial { 0 };
    uint64_t parent { 0 };         ///< the stage current when this group began
    uint64_t previous { 0 };       ///< the stage this one follows; cleared when it finishes
    uint64_t next { 0 };
    uint64_t first_child { 0 };    ///< first group begun inside this stage
    uint64_t next_sibling { 0 };
    int32_t pending { 0 };         ///< unfinished actions plus unfinished child groups
    bool begun { false };          ///< false while the record is only handed out
};

/// The music module's side of the play-sound action: plays the sound named
/// name and, when it ends, answers for done (VELOTRIX_MSG_SOUND_FINISHED).
class IActionSoundPlayer {
public:
    virtual ~IActionSoundPlayer() = default;
    /// value is the repeat count, as MusicModule::PlayByName takes it.
    virtual void PlayActionSound(const char* name, int32_t value, const EngineEvent& done) = 0;
};

} // namespace engine

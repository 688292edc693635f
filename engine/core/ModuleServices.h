#pragma once
// The resource and music modules as the objects reach them. Both modules live
// in engine/media; these interfaces let the entity facade (and everything
// above it) call them without engine/core knowing that layer:
//  - IResourceModule: loose files and memory blocks registered under a name,
//    and look-ups by NameKey.
//  - IMusicModule: sounds played by name, their channels, and the mute flag.
// The entity facade answers them from GetResourceModule / GetMusicModule, so
// callers write GetMusicModule()->LoadSound("default", 10000, {}).
//
// Owner: GameCore owns the modules that implement them. Thread: UI thread,
// inside the engine tick or under the tick lock.
// Hazards: a module may be unloaded before the objects that use it (at shut
// down); look it up through the facade each time, never keep the pointer.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "engine/core/EngineEvent.h"
#include "engine/core/NameKey.h"

namespace engine {

class IResourceModule {
public:
    virtual ~IResourceModule() = default;
    /// Registers a loose file under name (or its file title) plus its
    /// category text; an all-zero key when the file cannot be opened.
    [[nodiscard]] virtual NameKey AddFile(std::string_view path, std::string_view name = {}) = 0;
    /// Registers bytes held in memory under the name path gives.
    [[nodiscard]] virtual NameKey AddResource(std::string_view path, std::vector<uint8_t> data) = 0;
    /// The same with the key passed out; 1 when registered, 0 when refused
    /// (too large). The bytes are copied.
    int AddResource(NameKey& key, std::string_view path, const void* data, size_t size)
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        key = AddResource(path, std::vector<uint8_t>(bytes, bytes + (bytes != nullptr ? size : 0)));
        return key == NameKey {} ? 0 : 1;
    }
    [[nodiscard]] virtual bool Exists(const NameKey& key) const = 0;
    /// The resource's bytes (read on first use); empty when missing.
    [[nodiscard]] virtual std::span<const uint8_t> Find(const NameKey& key) = 0;
    /// Forgets the resource (and what was decoded from it).
    virtual void Release(const NameKey& key) = 0;
};

class IMusicModule {
public:
    virtual ~IMusicModule() = default;
    /// Plays the sound resource of name's file title; the channel, 0 when
    /// nothing was played (always 0 while muted, and for a MIDI sound).
    /// event goes to its target when the sound has played repeats times.
    virtual uint32_t PlayByName(std::string_view name, uint32_t repeats, const EngineEvent& event) = 0;
    /// PlayByName under the name the client and scene use for it.
    uint32_t LoadSound(std::string_view name, uint32_t repeats, const EngineEvent& event)
    {
        return PlayByName(name, repeats, event);
    }
    virtual void Stop(uint32_t channel) = 0;
    virtual void Resume(uint32_t channel, bool restart) = 0;
    virtual void Pause(uint32_t channel) = 0;
    /// Frees the sound's stream (nothing while muted).
    virtual void FreeSound(std::string_view name) = 0;
    virtual void StopAll() = 0;
    /// While muted is not 0, sounds can no longer be played or freed by name.
    virtual void SetFlag(int32_t muted) = 0;
    /// Channel 0 asks about the MIDI player.
    [[nodiscard]] virtual bool IsPlaying(uint32_t channel) = 0;
};

} // namespace engine

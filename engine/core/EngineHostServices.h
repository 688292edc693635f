#pragma once
// What the engine host window needs of modules that live in engine/media,
// declared here so that engine/core does not depend on them:
//  - IEngineModuleFactory: makes the resource, paint and music modules; the
//    application registers one (CVelotrixWnd::SetModuleFactory) before the
//    engine starts.
//  - IPaintSurface: the paint module's back buffer, sized by the host window
//    and shown through the host's IPresentTarget.
//  - IPresentTarget: the host window's screen (a BGRA bitmap is presented).
//
// Owner: the factory is owned by the application and must outlive every
// StartEngine; surfaces are the paint module's. Thread: UI thread.

#include <cstdint>
#include <memory>
#include <span>

#include "engine/core/EngineRect.h"

namespace engine {

class EngineModule;

class IEngineModuleFactory {
public:
    virtual ~IEngineModuleFactory() = default;
    [[nodiscard]] virtual std::unique_ptr<EngineModule> CreateResourceModule() = 0;
    [[nodiscard]] virtual std::unique_ptr<EngineModule> CreatePaintModule() = 0;
    [[nodiscard]] virtual std::unique_ptr<EngineModule> CreateMusicModule() = 0;
};

class IPresentTarget {
public:
    virtual ~IPresentTarget() = default;
    /// Shows a 32-bit bitmap (bytes blue, green, red, alpha per pixel). With
    /// `changed` rectangles only those parts changed since the last present
    /// (a target may show more); with none, all of it.
    virtual bool Present(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch,
                         std::span<const EngineRect> changed) = 0;
};

/// Implemented by the paint module beside EngineModule.
class IPaintSurface {
public:
    virtual ~IPaintSurface() = default;
    virtual void SetSize(int32_t width, int32_t height) = 0;
    /// Where presented frames go; null while there is no window.
    virtual void SetPresentTarget(IPresentTarget* target) = 0;
};

} // namespace engine

#pragma once
// CEngineEntity: an engine object that reaches the engine's services: the
// modules, the core's settings and clock, object creation and look-up, the
// view, and input. Widgets, scenes, the frame UI and the side panel call
// these on themselves.
//
// Owner: as CEngineObject (the object module). Thread: UI thread, inside the
// engine tick or under the tick lock.
// Hazards: the forwarding operations expect a registered object of a running
// engine; on an object without a core they do nothing and answer 0/null
// (settings answer -2 or an empty text).

#include <cstdint>
#include <span>
#include <string>

#include "engine/core/EngineObject.h"

namespace engine {

class EngineModule;
class InputModule;
struct InputState;

class CEngineEntity : public CEngineObject {
public:
    static constexpr uint32_t MIN_ACTION_INTERVAL = 30;

    // Modules.
    [[nodiscard]] virtual ObjectModule* GetObjectModule() const;
    [[nodiscard]] virtual EngineModule* GetPaintModule() const;
    [[nodiscard]] virtual EngineModule* GetResourceModule() const;
    [[nodiscard]] virtual EngineModule* GetMusicModule() const;
    [[nodiscard]] virtual InputModule* GetInputModule() const;

    // Core services.
    /// The view size (the paint module's back buffer has the same size).
    [[nodiscard]] virtual int32_t GetViewWidth() const;
    [[nodiscard]] virtual int32_t GetViewHeight() const;
    [[nodiscard]] virtual uint32_t GetTime() const;
    virtual void SetIntSetting(int32_t key, int32_t value);
    /// -1 when the key is absent, -2 without a core.
    [[nodiscard]] virtual int32_t GetIntSetting(int32_t key) const;
    virtual void SetStringSetting(int32_t key, std::string text);
    [[nodiscard]] virtual std::string GetStringSetting(int32_t key) const;
    virtual void RefreshView();

    // Resources (module messages to the resource module; 1 when delivered).
    virtual int AddResourceDirectory(const std::string& path);
    virtual int LoadResourcePackage(const std::string& path);
    virtual int LoadResourcePackageFromMemory(std::span<const uint8_t> image);

    // Objects.
    virtual CEngineObject* NewObject();
    [[nodiscard]] virtual CEngineObject* FindObjectByName(const char* name) const;
    [[nodiscard]] virtual CEngineObject* FindObject(uint32_t id) const;
    /// Deferred: the object stops being painted at once and goes in the
    /// object module's next update. Otherwise it goes at once.
    virtual void DestroyObject(CEngineObject* object, bool deferred);

    // Input (forwarded to the input module).
    virtual void AddInputTargetRoute(uint32_t event_id, const RouteRecord& record);
    virtual void RemoveInputTargetRoutes(uint32_t event_id);
    virtual uint32_t SetInputTarget(uint32_t id);
    virtual void SetModalObject(uint32_t id);
    virtual uint32_t SetFocusObject(uint32_t id);
    virtual void RefreshMouse();
    [[nodiscard]] virtual bool GetInputState(InputState& out) const;

    [[nodiscard]] virtual uint32_t GetMinActionInterval() const { return MIN_ACTION_INTERVAL; }

private:
    /// Sends a message to the resource module; 1 when it handled it.
    int SendToResourceModule(int32_t message_id, uintptr_t param1) const;
};

} // namespace engine

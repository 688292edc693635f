#pragma once
// CEngineEntity: an engine object that reaches the engine's services: the
// modules, the core's settings and clock, resources, images, sounds, object
// creation and look-up, the view, input and cursors, action groups, timed
// actions and the system information boards. Widgets, scenes, the frame UI
// and the side panel call these on themselves.
//
// Owner: as CEngineObject (the object module). Thread: UI thread, inside the
// engine tick or under the tick lock.
// Hazards: every forwarding operation looks its module up each time and does
// nothing (answering 0/null) when that module is not loaded: objects that
// outlive the resource or music module at shut-down stay safe. Settings
// answer -2 or an empty text on an object without a core.
// Some operations carry a second name under which the client and the game
// scene know them (MarkGroupEntries, RemoveGroupMember, SetCursorObject, and
// the short argument forms of a few actions); each is the same code.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/core/ActionFactory.h"
#include "engine/core/EngineObject.h"

namespace engine {

class CCanvasObject;
class CImageObject;
class EngineModule;
class IMusicModule;
class IResourceModule;
class InputModule;
struct InputState;
struct ObjectStats;

class CEngineEntity : public CEngineObject {
public:
    // Modules.
    [[nodiscard]] virtual ObjectModule* GetObjectModule() const;
    [[nodiscard]] virtual EngineModule* GetPaintModule() const;
    [[nodiscard]] virtual IResourceModule* GetResourceModule() const;
    [[nodiscard]] virtual IMusicModule* GetMusicModule() const;
    [[nodiscard]] virtual InputModule* GetInputModule() const;

    // System information boards (EngineEntityBoards.cpp).
    /// A message box with the text, its OK and cancel events (null: no such
    /// button) and a countdown of seconds; answers the box object.
    virtual CEngineObject* ShowSystemNote(const char* text, const EngineEvent* ok_event,
                                          const EngineEvent* cancel_event, int32_t seconds);
    /// The details board with the engine's counters; answers it.
    virtual CEngineObject* ShowSystemDetails();
    /// Shows and refreshes every second ("object_systemnote"), or hides.
    virtual void UpdateSystemNote(bool on);
    /// Shows "object-systemboard", with a new text when text is not null;
    /// with seconds >= 1 it hides itself that much later.
    virtual void ShowSystemBoard(const char* text, int32_t seconds);
    /// Sends (setting 16, setting 17, param1, param2) at once; its answer, or
    /// 0 when either setting is 0. The receiver owns param1 (the default
    /// handler of the system event frees it; so is an undelivered one).
    virtual int SendSystemEvent(uintptr_t param1, uintptr_t param2);
    virtual void CloseSystemBoard();
    [[nodiscard]] virtual CCanvasObject* FindSystemBoard() const;

    // Core services.
    /// The view size (the paint module's back buffer has the same size).
    [[nodiscard]] virtual int32_t GetViewWidth() const;
    [[nodiscard]] virtual int32_t GetViewHeight() const;
    /// The object module's counters (all 0 without a core); answers out.
    virtual ObjectStats& GetObjectStats(ObjectStats& out) const;
    [[nodiscard]] virtual uint32_t GetTime() const;
    virtual void SetIntSetting(int32_t key, int32_t value);
    /// -1 when the key is absent, -2 without a core.
    [[nodiscard]] virtual int32_t GetIntSetting(int32_t key) const;
    virtual void SetStringSetting(int32_t key, std::string text);
    [[nodiscard]] virtual std::string GetStringSetting(int32_t key) const;
    virtual void RefreshView();

    // Resources (module messages to the resource module; 1 when delivered).
    /// The loose file under name (null: its file title); the first word of
    /// its key, 0 when it could not be opened.
    virtual uint32_t AddResourceFile(const std::string& path, const char* name = nullptr);
    virtual int AddResourceDirectory(const std::string& path);
    virtual int LoadResourcePackage(const std::string& path);
    virtual int LoadResourcePackageFromMemory(std::span<const uint8_t> image);
    /// The resource's bytes when the resource module knows the name, else empty.
    [[nodiscard]] virtual std::span<const uint8_t> FindResource(std::string_view name) const;

    // Images (through the paint module's image services).
    /// Fills out with the image of name at frame (modulo its frame count),
    /// loading it on demand; a name that gives no image is written to the
    /// run log and out is left empty. Answers out.
    virtual ImageRef& GetImage(ImageRef& out, std::string_view name, uint32_t frame);
    /// Frees the cached image of name; with also_resource set, first the
    /// resource behind it. 1 when a paint module took it.
    virtual int ReleaseImage(std::string_view name, bool also_resource);
    /// Writes the image of name (frame 0) as a ".pps" file; 1 when written,
    /// 0 when there is no such image or the file cannot be written.
    virtual int SaveImageAsPps(std::string_view name, const std::string& path);
    /// Draws straight into the paint module's background; a width or height
    /// below 1 becomes the view's. 1 when a paint module took it.
    virtual int DrawImageDirect(const ImageRef& image, int32_t x, int32_t y, int32_t width, int32_t height,
                                double angle);
    /// Fills the background with colour (0x00BBGGRR).
    virtual void ClearScreen(uint32_t colour);

    // Objects.
    virtual CEngineObject* NewObject();
    /// An image object showing image, at the image's size.
    virtual CImageObject* NewImageObject(const ImageRef& image);
    /// A width x height canvas with that colour key (the boards use 0xFF00FF).
    virtual CCanvasObject* NewCanvasObject(int32_t width, int32_t height, uint32_t colour_key);
    /// A soft black shadow canvas two pixels right of and below object,
    /// just behind it, following it (not its Show); null when the object
    /// has no picture.
    virtual CCanvasObject* CreateShadow(CEngineObject* object);
    [[nodiscard]] virtual CEngineObject* FindObjectByName(const char* name) const;
    [[nodiscard]] virtual CEngineObject* FindObject(uint32_t id) const;
    /// The object of that id as a T; null when there is none or it is no T.
    template <class T> [[nodiscard]] T* FindObjectAs(uint32_t id) const { return dynamic_cast<T*>(FindObject(id)); }
    /// Deferred: the object stops being painted at once and a destroy action
    /// is queued (it goes in the object module's next update, or, while an
    /// action group is being built, when that stage is reached). Otherwise
    /// it goes at once.
    virtual void DestroyObject(CEngineObject* object, bool deferred);

    // Sounds (forwarded to the music module; nothing and 0 without it).
    /// Plays the named sound repeats times; done goes to its target at the end.
    virtual uint32_t LoadSound(std::string_view name, uint32_t repeats, const EngineEvent* done = nullptr);
    virtual void StopSound(uint32_t channel);
    virtual void ResumeSound(uint32_t channel, bool restart);
    virtual void PauseSound(uint32_t channel);
    virtual void FreeSound(std::string_view name);
    virtual void StopAllSounds();
    /// While muted is not 0, sounds can no longer be played or freed by name.
    virtual void SetSoundFlag(int32_t muted);

    // Input (forwarded to the input module).
    virtual void AddInputTargetRoute(uint32_t event_id, const RouteRecord& record);
    virtual void RemoveInputTargetRoutes(uint32_t event_id);
    virtual uint32_t SetInputTarget(uint32_t id);
    virtual uint32_t SetInputTargetEx(uint32_t id) { return SetInputTarget(id); }
    virtual void SetModalObject(uint32_t id);
    virtual uint32_t SetFocusObject(uint32_t id);
    virtual void RefreshMouse();
    [[nodiscard]] virtual bool GetInputState(InputState& out) const;

    // Cursor (a platform cursor handle: a system cursor id or a loaded one).
    virtual void SetCursorHandle(uintptr_t cursor);
    void SetCursorObject(uintptr_t cursor) { SetCursorHandle(cursor); }
    /// Loads a cursor file (".cur", or an ".ico" with its centre as the hot
    /// spot) and makes it the cursor; false when the file gives none. The
    /// cursor loaded before by this road is freed.
    virtual bool SetCursorFromFile(const std::string& path);
    virtual void ShowSystemCursor(bool show);

    // Action groups (posted to the object module; they take effect in its
    // next update). BeginGroup and NextGroup answer the new stage's handle
    // (0 when the object module runs no actions); CancelGroup takes it.
    virtual uint64_t BeginGroup();
    virtual uint64_t NextGroup();
    virtual void EndGroup();
    virtual void CancelGroup(uint64_t group);
    virtual void CancelObjectActions(uint32_t object_id);
    /// The whole 64-bit serial travels, so every action can be cancelled.
    virtual void CancelAction(uint64_t serial);
    void MarkGroupEntries(uint64_t serial) { CancelAction(serial); }
    void RemoveGroupMember(uint32_t object_id) { CancelObjectActions(object_id); }

    /// The shortest interval an action may have; smaller ones are raised.
    [[nodiscard]] virtual uint32_t GetMinActionInterval() const { return CActionFactory::MIN_ACTION_INTERVAL; }

    // Timed actions (see ActionFactory.h for each kind's refusals). Each
    // answers the action's serial, or 0 when refused. done: the event
    // delivered when the action finishes by itself (null: none).
    virtual uint64_t AddBlinkAction(CEngineObject* object, double step, int32_t count, uint32_t interval,
                                    double maximum, double minimum, const EngineEvent* done = nullptr);
    /// The eight-argument form; unused is ignored.
    uint64_t AddBlinkAction(CEngineObject* object, double step, int32_t count, uint32_t interval, int32_t unused,
                            double maximum, double minimum, const EngineEvent* done)
    {
        (void)unused;
        return AddBlinkAction(object, step, count, interval, maximum, minimum, done);
    }
    virtual uint64_t AddRotateToAction(CEngineObject* object, double step, double target_angle, uint32_t interval,
                                       const EngineEvent* done = nullptr);
    /// interval 0: the shortest one.
    virtual uint64_t AddFadeToAction(CEngineObject* object, double step, double target_alpha, uint32_t interval = 0,
                                     const EngineEvent* done = nullptr);
    virtual uint64_t AddActivateAction(CEngineObject* object, uint8_t flag, const EngineEvent* done = nullptr);
    virtual uint64_t AddMoveToAction(CEngineObject* object, double x, double y, double speed, double acceleration,
                                     double maximum_speed, const EngineEvent* done = nullptr);
    /// At a constant speed (no acceleration, no maximum).
    uint64_t AddMoveToAction(CEngineObject* object, double x, double y, double speed, const EngineEvent* done)
    {
        return AddMoveToAction(object, x, y, speed, 0.0, 0.0, done);
    }
    virtual uint64_t AddWaitFramesAction(uint32_t n, const EngineEvent* done = nullptr);
    /// The wait belongs to object (null: to none), so cancelling the
    /// object's actions cancels it too.
    virtual uint64_t AddWaitFramesAction(CEngineObject* object, uint32_t n, const EngineEvent* done);
    virtual uint64_t AddWaitTimeAction(uint32_t milliseconds, const EngineEvent* done = nullptr);
    virtual uint64_t AddRepeatEventAction(uint32_t period, int32_t count, const EngineEvent* event,
                                          const EngineEvent* done = nullptr);
    /// The form that names the caller first; the action works on the
    /// event's target as above.
    uint64_t AddRepeatEventAction(CEngineObject* caller, uint32_t period, int32_t count, const EngineEvent* event)
    {
        (void)caller;
        return AddRepeatEventAction(period, count, event);
    }
    virtual uint64_t AddPlayFramesAction(CImageObject* image, FrameMode mode, int32_t value, int32_t start_frame,
                                         uint32_t interval, const EngineEvent* done = nullptr);
    /// The music module answers for done when the sound ends.
    virtual uint64_t AddPlaySoundAction(std::string_view name, int32_t value, const EngineEvent* done = nullptr);
    virtual uint64_t AddDestroyAction(CEngineObject* object, const EngineEvent* done = nullptr);
    virtual uint64_t AddResizeToAction(CEngineObject* object, int32_t width, int32_t height, int32_t target_width,
                                       int32_t target_height, int32_t width_step, int32_t height_step,
                                       const EngineEvent* done = nullptr);
    virtual uint64_t AddCanvasSizeAction(CImageObject* image, int32_t angle_step, int32_t end_angle,
                                         const ImageRef& other, uint32_t interval, const EngineEvent* done = nullptr);
    virtual uint64_t AddCallAction(ActionCallFunction function, const void* data, size_t length);

private:
    /// Centres a board in the view and fades it in from alpha 0.
    void FadeInBoard(CEngineObject& board);
    /// The paint module's image services, or null.
    [[nodiscard]] IPaintImages* GetPaintImages() const;
    /// Sends a message to the resource module; 1 when it handled it.
    int SendToResourceModule(int32_t message_id, uintptr_t param1) const;
};

} // namespace engine

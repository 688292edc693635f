#pragma once
// Forward declarations of the engine core's classes and records.

namespace platform {
struct CopyDataRecord;
}

namespace engine {

class CBlockPool;
class CEngineEntity;
class CEngineObject;
class CFrameClock;
class CFrameImageBase;
class CGrowBuffer;
class CGuiContainer;
class CGuiObject;
class CLockHolder;
class CTagValue;
class CVelotrixWnd;
class EngineModule;
class GameCore;
class IActionRunner;
class IEngineModuleFactory;
class IInputHost;
class IPaintSurface;
class IPresentTarget;
class ITextRenderer;
class InputModule;
class ModuleMsgQueue;
class ObjectModule;
using CopyDataRecord = platform::CopyDataRecord;
struct EngineEvent;
struct EngineRect;
struct EventRoute;
struct InputState;
struct ModuleMessage;
struct NameKey;
struct ObjectState;
struct RenderRecord;
struct RenderRequest;
struct RouteRecord;

} // namespace engine

#include "engine/core/VelotrixWnd.h"

#include <algorithm>
#include <atomic>
#include <exception>

#include "engine/core/EngineLog.h"
#include "engine/core/GuiContainer.h"
#include "engine/core/ObjectModule.h"
#include "platform/Cursor.h"

namespace engine {

namespace {

std::atomic<IEngineModuleFactory*> s_factory { nullptr };
std::atomic<uintptr_t> s_next_timer_id { CVelotrixWnd::FIRST_TIMER_ID };

IPaintSurface* PaintSurfaceOf(EngineModule* module)
{
    return dynamic_cast<IPaintSurface*>(module);
}

} // namespace

CVelotrixWnd::CVelotrixWnd(const platform::IClock& clock) : m_core(clock) {}

CVelotrixWnd::~CVelotrixWnd()
{
    // The screen window goes before its handle; WM_DESTROY must then reach
    // this class, not the base being torn down.
    m_native.reset();
    Destroy();
    m_core.UnloadAll();
}

void CVelotrixWnd::SetModuleFactory(IEngineModuleFactory* factory)
{
    s_factory.store(factory);
}

int CVelotrixWnd::Create(const platform::NativeWindowOptions& options)
{
    if (!platform::CMessageWindow::Create())
        return 0;
    m_native = platform::CNativeWindow::Create(GetHandle(), options);
    return m_native ? 1 : 0;
}

uintptr_t CVelotrixWnd::StartEngine(std::unique_ptr<CGuiContainer> root, std::unique_ptr<EngineModule> resource_module)
{
    IEngineModuleFactory* factory = s_factory.load();
    if (!resource_module && factory != nullptr)
        resource_module = factory->CreateResourceModule();
    auto object_module = std::make_unique<ObjectModule>();
    std::unique_ptr<EngineModule> paint_module = factory != nullptr ? factory->CreatePaintModule() : nullptr;
    std::unique_ptr<EngineModule> music_module = factory != nullptr ? factory->CreateMusicModule() : nullptr;
    auto input_module = std::make_unique<InputModule>();
    input_module->SetHost(this);

    m_core.Init(GetHandle());
    auto load = [this](std::unique_ptr<EngineModule> module, bool protect) {
        if (module)
            (void)m_core.LoadModule(std::move(module), true, protect);
    };
    load(std::move(resource_module), true);
    load(std::move(object_module), false);
    load(std::move(paint_module), true);
    load(std::move(music_module), false);
    load(std::move(input_module), true);

    auto* objects = dynamic_cast<ObjectModule*>(m_core.GetModule(VELOTRIX_MODULE_OBJECT));
    EngineModule* paint = m_core.GetModule(VELOTRIX_MODULE_PAINT);
    if (IPaintSurface* surface = PaintSurfaceOf(paint))
        surface->SetPresentTarget(this);
    if (objects != nullptr) {
        if (IPaintSurface* surface = PaintSurfaceOf(paint))
            surface->SetSize(m_client_width, m_client_height);
        objects->SetViewCentre(m_client_width / 2, m_client_height / 2);
        objects->SetViewSize(m_client_width, m_client_height);
        if (root) {
            m_root = root.get();
            objects->AddObject(std::move(root), nullptr);
            m_root->OnAreaChanged();
        }
        objects->RefreshView();
    }
    m_timer_id = s_next_timer_id.fetch_add(1);
    return platform::SetTimer(GetHandle(), m_timer_id, FRAME_INTERVAL_MS);
}

void CVelotrixWnd::OnSizeChanged()
{
    if (IPaintSurface* surface = PaintSurfaceOf(m_core.GetModule(VELOTRIX_MODULE_PAINT)))
        surface->SetSize(m_client_width, m_client_height);
    auto* objects = dynamic_cast<ObjectModule*>(m_core.GetModule(VELOTRIX_MODULE_OBJECT));
    if (objects == nullptr)
        return;
    objects->SetViewCentre(m_client_width / 2, m_client_height / 2);
    objects->SetViewSize(m_client_width, m_client_height);
    if (m_root != nullptr)
        m_root->OnAreaChanged();
    objects->RefreshView();
}

void CVelotrixWnd::OnFrameTick()
{
    m_core.Tick();
}

uint32_t CVelotrixWnd::GetWorkDueIn()
{
    return m_core.GetWorkDueIn();
}

void CVelotrixWnd::SleepUntilWorkIsDue()
{
    const uint32_t due = GetWorkDueIn();
    // Work due within a frame keeps the timer ticking; the timer itself
    // skips no tick for a span shorter than the way to its next one.
    m_sleeping = due > FRAME_INTERVAL_MS && m_timer_id != 0
        && platform::DeferTimer(GetHandle(), m_timer_id, std::min(due, m_longest_sleep));
}

void CVelotrixWnd::ReportFault(uint32_t message_id, const std::string& what)
{
    // A fault that repeats (every frame, say) is logged once.
    std::string fault = std::to_string(message_id) + ": " + what;
    if (fault == m_last_fault)
        return;
    m_last_fault = std::move(fault);
    WriteGameLog("CVelotrixWnd::WindowProc---->0x%04X %s", message_id, what.c_str());
}

bool CVelotrixWnd::Present(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch,
                           std::span<const EngineRect> changed)
{
    if (!m_native)
        return false;
    m_changed.clear();
    for (const EngineRect& rect : changed)
        m_changed.push_back(platform::PixelRect { rect.left, rect.top, rect.right, rect.bottom });
    return m_native->Present(pixels, width, height, pitch, m_changed);
}

void CVelotrixWnd::SetCursor(uintptr_t cursor)
{
    platform::SetCursor(cursor);
}

void CVelotrixWnd::ShowCursor(bool show)
{
    // The display count: shown from 0 up, hidden below 0.
    if (show) {
        while (platform::ShowCursor(true) < 0) {
        }
    } else {
        while (platform::ShowCursor(false) >= 0) {
        }
    }
}

InputModule* CVelotrixWnd::Input() const
{
    return dynamic_cast<InputModule*>(m_core.GetModule(VELOTRIX_MODULE_INPUT));
}

bool CVelotrixWnd::ForwardMouse(platform::Message& msg)
{
    InputModule* input = Input();
    const int32_t x = platform::LowSigned(static_cast<uintptr_t>(msg.lparam));
    const int32_t y = platform::HighSigned(static_cast<uintptr_t>(msg.lparam));
    if (msg.id == platform::WM_MOUSEMOVE)
        m_pointer_inside = true;
    if (input == nullptr)
        return false;
    switch (msg.id) {
    case platform::WM_MOUSEMOVE:
        input->OnMouseMove(x, y, static_cast<uint32_t>(msg.wparam));
        break;
    // The engine window asks for no double-click messages: the input module
    // tells double clicks itself (same point, its own clock). The platform
    // window sends them anyway, in place of the second press, so they are
    // taken as the presses they are. Left and right presses take the pointer
    // capture, releases give it back (the window manager focuses the clicked
    // window).
    case platform::WM_LBUTTONDOWN:
    case platform::WM_LBUTTONDBLCLK:
        platform::SetCapture(GetHandle());
        input->OnLButtonDown(x, y);
        break;
    case platform::WM_LBUTTONUP:
        platform::ReleaseCapture();
        input->OnLButtonUp(x, y);
        break;
    case platform::WM_RBUTTONDOWN:
    case platform::WM_RBUTTONDBLCLK:
        platform::SetCapture(GetHandle());
        input->OnRButtonDown(x, y);
        break;
    case platform::WM_RBUTTONUP:
        platform::ReleaseCapture();
        input->OnRButtonUp(x, y);
        break;
    case platform::WM_MBUTTONDOWN:
    case platform::WM_MBUTTONDBLCLK:
        input->OnMButtonDown(x, y);
        break;
    case platform::WM_MBUTTONUP:
        input->OnMButtonUp(x, y);
        break;
    case platform::WM_MOUSEWHEEL:
        input->OnMouseWheel(x, y, static_cast<int16_t>(platform::HighWord(msg.wparam)));
        break;
    default:
        return false;
    }
    return true;
}

void CVelotrixWnd::OnSize(uint32_t type, int32_t width, int32_t height)
{
    if (auto* objects = dynamic_cast<ObjectModule*>(m_core.GetModule(VELOTRIX_MODULE_OBJECT)))
        objects->SetMinimised(type == platform::SIZE_MINIMIZED);
    if (width != 0 && height != 0 && (width != m_client_width || height != m_client_height)) {
        m_client_width = width;
        m_client_height = height;
        OnSizeChanged();
    }
}

void CVelotrixWnd::OnCopyData(const CopyDataRecord* record)
{
    if (m_root != nullptr && record != nullptr)
        m_root->OnCopyData(*record);
}

void CVelotrixWnd::OnDestroy()
{
    m_core.UnloadAll();
    m_root = nullptr;
    if (m_timer_id != 0)
        platform::KillTimer(GetHandle(), m_timer_id);
    m_native.reset();
}

intptr_t CVelotrixWnd::WindowProc(platform::Message& msg)
{
    // The tick lets an exception of an unprotected module pass (with the
    // tick lock released), and the root's hooks are game code: what escapes
    // a handler stops here, at the edge of the engine, instead of ending the
    // program from inside the message loop.
    try {
        return HandleMessage(msg);
    } catch (const std::exception& error) {
        ReportFault(msg.id, error.what());
    } catch (...) {
        ReportFault(msg.id, "unknown exception");
    }
    return 0;
}

intptr_t CVelotrixWnd::HandleMessage(platform::Message& msg)
{
    switch (msg.id) {
    case platform::WM_TIMER:
        if (msg.wparam == m_timer_id && m_timer_id != 0) {
            m_sleeping = false;
            OnFrameTick();
            SleepUntilWorkIsDue();
        }
        return 0;
    case platform::WM_PAINT:
        m_core.SendMessage(VELOTRIX_MODULE_PAINT, VELOTRIX_MSG_PAINT, 0, 0);
        return 0;
    case platform::WM_SIZE:
        OnSize(static_cast<uint32_t>(msg.wparam), platform::LowWord(static_cast<uintptr_t>(msg.lparam)),
               platform::HighWord(static_cast<uintptr_t>(msg.lparam)));
        return 0;
    case platform::WM_DESTROY:
        OnDestroy();
        return 0;
    case platform::WM_ERASEBKGND:
        return 1;
    case platform::WM_SETCURSOR:
        if (InputModule* input = Input())
            input->OnSetCursor();
        return 0;
    case platform::WM_MOUSELEAVE:
        m_pointer_inside = false;
        return 0;
    case platform::WM_KEYDOWN:
    case platform::WM_KEYUP: {
        InputModule* input = Input();
        if (input == nullptr)
            return 0;
        const auto repeat = static_cast<uint32_t>(platform::LowWord(static_cast<uintptr_t>(msg.lparam)));
        const auto flags = static_cast<uint32_t>(platform::HighWord(static_cast<uintptr_t>(msg.lparam)));
        const auto key = static_cast<uint32_t>(msg.wparam);
        if (msg.id == platform::WM_KEYDOWN)
            input->OnKeyDown(key, repeat, flags);
        else
            input->OnKeyUp(key, repeat, flags);
        return 0;
    }
    case platform::WM_CHAR:
        if (InputModule* input = Input())
            input->OnChar(static_cast<uint32_t>(msg.wparam & 0xFFFF));
        return 0;
    case platform::WM_KILLFOCUS:
        if (InputModule* input = Input())
            input->OnKillFocus();
        return 0;
    case platform::WM_COPYDATA:
        OnCopyData(reinterpret_cast<const CopyDataRecord*>(msg.lparam));
        return 0;
    default:
        if (ForwardMouse(msg))
            return 0;
        return 0;
    }
}

} // namespace engine

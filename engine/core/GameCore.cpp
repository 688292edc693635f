#include "engine/core/GameCore.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/EngineLog.h"

namespace engine {

GameCore::GameCore(const platform::IClock& clock) : m_clock(std::make_unique<CFrameClock>(clock))
{
    m_clock->Start(0);
}

GameCore::~GameCore()
{
    UnloadAll();
    m_unloaded_in_frame.clear();
    // Messages still waiting free their payloads as the list goes.
    for (const auto& message : m_posted)
        FreeSystemMessage(message);
    m_posted.clear();
}

void GameCore::FreeSystemMessage(const ModuleMessage& message)
{
    // A module handed over by a load request that never ran is still ours.
    if (message.target == VELOTRIX_MODULE_SYSTEM && message.id == VELOTRIX_MSG_LOAD_MODULE && message.param1 != 0)
        std::unique_ptr<EngineModule>(reinterpret_cast<EngineModule*>(message.param1));
}

void GameCore::Init(WindowHandle window)
{
    LoadDefaultSettings();
    m_window = window;
    StartRunLog();
    WriteRunLog("VelotrixVesion:%f", VELOTRIX_VERSION);
    WriteRunLog("VelotrixLastBulid:<%s>,<%s>", __DATE__, __TIME__);
}

int32_t GameCore::LoadModule(std::unique_ptr<EngineModule> module, bool enable, bool protect)
{
    if (!module)
        return VELOTRIX_RETURN_MODULE_INITIAL_FAILD;
    int32_t id = module->GetId();
    if (GetModule(id) != nullptr) {
        if (SendMessage(VELOTRIX_MODULE_ERROR_SINK, VELOTRIX_MSG_MODULE_DUPLICATE, reinterpret_cast<uintptr_t>(&id),
                        0) == 0)
            WriteGameLog("GameCore::LoadModule---->VELOTRIX_RETURN_MODULE_CRASH");
        return VELOTRIX_RETURN_MODULE_CRASH;
    }
    module->Attach(this);
    if ((module->GetFlags() & EngineModule::FLAG_INITIALISED) == 0 && module->Load() == 0) {
        if (SendMessage(VELOTRIX_MODULE_ERROR_SINK, VELOTRIX_MSG_MODULE_INIT_FAILED,
                        reinterpret_cast<uintptr_t>(&id), 0) == 0) {
            WriteGameLog("GameCore::LoadModule---->VELOTRIX_RETURN_MODULE_INITIAL_FAILD");
            WriteGameLog("ErrorModule%s", module->GetName());
        }
        return VELOTRIX_RETURN_MODULE_INITIAL_FAILD;
    }
    if (enable)
        module->Enable();
    module->SetProtected(protect);
    m_modules.push_back(std::move(module));
    return VELOTRIX_RETURN_OK;
}

int32_t GameCore::UnloadModule(int32_t id)
{
    for (auto it = m_modules.begin(); it != m_modules.end(); ++it) {
        if ((*it)->GetId() != id)
            continue;
        std::unique_ptr<EngineModule> module = std::move(*it);
        m_modules.erase(it);
        module->Release();
        module->Unload();
        // Inside a frame the module may be the one running; it goes at the
        // end of the frame instead of under its own feet.
        if (m_frame_depth > 0)
            m_unloaded_in_frame.push_back(std::move(module));
        return VELOTRIX_RETURN_OK;
    }
    return VELOTRIX_RETURN_MODULE_NOT_FOUND;
}

void GameCore::UnloadAll()
{
    while (!m_modules.empty())
        UnloadModule(m_modules.front()->GetId());
}

EngineModule* GameCore::GetModule(int32_t id) const
{
    for (const auto& module : m_modules) {
        if (module->GetId() == id)
            return module.get();
    }
    return nullptr;
}

int GameCore::GetModuleIndex(const EngineModule* module) const
{
    for (size_t i = 0; i < m_modules.size(); ++i) {
        if (m_modules[i].get() == module)
            return static_cast<int>(i);
    }
    return -1;
}

uint32_t GameCore::GetTime() const
{
    return m_clock ? m_clock->Now() : 0;
}

void GameCore::Tick()
{
    CLockScope tick_lock(m_tick_lock);
    ++m_frame_depth;
    struct FrameEnd {
        GameCore& core;
        ~FrameEnd()
        {
            if (--core.m_frame_depth == 0)
                core.m_unloaded_in_frame.clear();
        }
    } frame_end { *this };

    const uint32_t now = GetTime();
    // A module may load or unload modules during its tick: walk a snapshot
    // and skip those that are gone (they stay alive until the frame ends).
    std::vector<EngineModule*> order;
    order.reserve(m_modules.size());
    for (const auto& module : m_modules)
        order.push_back(module.get());
    for (EngineModule* module : order) {
        if (GetModuleIndex(module) < 0)
            continue;
        if (!module->IsProtected()) {
            TickModule(*module, now);
            continue;
        }
        try {
            TickModule(*module, now);
        } catch (...) {
            ReportCrash(*module);
        }
    }
    HandlePostedSystemMessages();
}

uint32_t GameCore::GetWorkDueIn() const
{
    if (!m_posted.empty())
        return 0;
    const uint32_t now = GetTime();
    uint32_t soonest = EngineModule::NO_WORK_DUE;
    for (const auto& module : m_modules) {
        if (module->IsEnabled())
            soonest = std::min(soonest, module->GetUpdateDueIn(now));
    }
    return soonest;
}

void GameCore::TickModule(EngineModule& module, uint32_t now)
{
    module.PumpMessages(m_posted);
    module.Tick(now);
}

void GameCore::ReportCrash(EngineModule& module)
{
    module.Disable();
    int32_t id = module.GetId();
    if (SendMessage(VELOTRIX_MODULE_ERROR_SINK, VELOTRIX_MSG_MODULE_FAULT, reinterpret_cast<uintptr_t>(&id), 0) != 0)
        return;
    char text[256];
    std::snprintf(text, sizeof text, "模块:<%s>因故障关闭!", module.GetName());
    ShowEngineMessageBox(text, "", m_window);
    WriteGameLog("%s", text);
}

void GameCore::HandlePostedSystemMessages()
{
    const bool has_fault_sink = GetModule(VELOTRIX_MODULE_ERROR_SINK) != nullptr;
    for (auto it = m_posted.begin(); it != m_posted.end();) {
        if (it->target == VELOTRIX_MODULE_SYSTEM) {
            const ModuleMessage message = std::move(*it);
            it = m_posted.erase(it);
            HandleSystemMessage(message.id, message.param1, message.param2);
        } else if (it->target == VELOTRIX_MODULE_ERROR_SINK && !has_fault_sink) {
            // Fault reports with no sink to read them would wait forever.
            WriteGameLog("GameCore: fault report %d dropped (no module %d)", it->id, VELOTRIX_MODULE_ERROR_SINK);
            it = m_posted.erase(it);
        } else {
            ++it;
        }
    }
}

int32_t GameCore::SendMessage(int32_t target, int32_t message_id, uintptr_t param1, uintptr_t param2)
{
    if (target == VELOTRIX_MODULE_SYSTEM) {
        HandleSystemMessage(message_id, param1, param2);
        return 1;
    }
    EngineModule* module = GetModule(target);
    if (module == nullptr)
        return 0;
    return module->OnMessage(message_id, param1, param2) == VELOTRIX_RETURN_OK ? 1 : 0;
}

int32_t GameCore::SendMessage(ModuleMessage message)
{
    // The payload lives in `message` until this returns.
    return SendMessage(message.target, message.id, message.param1, message.param2);
}

int32_t GameCore::PostMessage(int32_t target, int32_t message_id, uintptr_t param1, uintptr_t param2)
{
    return PostMessage(ModuleMessage { target, message_id, param1, param2 });
}

int32_t GameCore::PostMessage(ModuleMessage message)
{
    m_posted.push_back(std::move(message));
    return static_cast<int32_t>(m_posted.size());
}

void GameCore::HandleSystemMessage(int32_t message_id, uintptr_t param1, uintptr_t /*param2*/)
{
    auto id_at = [](uintptr_t pointer) { return *reinterpret_cast<const int32_t*>(pointer); };
    switch (message_id) {
    case VELOTRIX_MSG_ENABLE_MODULE:
        if (param1 != 0) {
            if (EngineModule* module = GetModule(id_at(param1)))
                module->Enable();
        }
        break;
    case VELOTRIX_MSG_DISABLE_MODULE:
        if (param1 != 0) {
            if (EngineModule* module = GetModule(id_at(param1)))
                module->Disable();
        }
        break;
    case VELOTRIX_MSG_LOAD_MODULE:
        if (param1 != 0)
            (void)LoadModule(std::unique_ptr<EngineModule>(reinterpret_cast<EngineModule*>(param1)), false, true);
        break;
    case VELOTRIX_MSG_UNLOAD_MODULE:
        if (param1 != 0)
            UnloadModule(id_at(param1));
        break;
    default:
        break;
    }
}

int32_t GameCore::GetIntSetting(int32_t key) const
{
    const auto it = m_int_settings.find(key);
    return it == m_int_settings.end() ? -1 : it->second;
}

std::string GameCore::GetStringSetting(int32_t key) const
{
    const auto it = m_text_settings.find(key);
    return it == m_text_settings.end() ? std::string() : it->second;
}

void GameCore::LoadDefaultSettings()
{
    SetIntSetting(3, 22);
    SetIntSetting(4, 16);
    SetIntSetting(5, 14);
    SetIntSetting(6, 12);
    SetIntSetting(7, 40);
    SetIntSetting(8, 0xFFFFFF);
    SetIntSetting(9, 0x008000);
    SetIntSetting(10, 0);
    SetIntSetting(11, 0xFF0080);
    SetIntSetting(SETTING_SYSTEM_EVENT_OBJECT, 0);
    SetIntSetting(SETTING_SYSTEM_EVENT_ID, 19840388);
    static const char* const s_scroll_bar_images[] = {
        "ScrollBar_VertBack", "ScrollBar_VertBtn", "ScrollBar_VertPattern", "ScrollBar_VertUpBtn",
        "ScrollBar_VertDownBtn", "ScrollBar_HorzBack", "ScrollBar_HorzBtn", "ScrollBar_HorzPattern",
        "ScrollBar_HorzLeftBtn", "ScrollBar_HorzRightBtn",
    };
    int32_t key = 22;
    for (const char* name : s_scroll_bar_images)
        SetStringSetting(key++, name);
}

} // namespace engine

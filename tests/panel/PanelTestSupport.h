// The frame UI and side panel in an engine on a manual clock (the widget
// tests' fixture), with a recording application, scene and side panel.
#pragma once

#include <string>
#include <vector>

#include "client/CGameApp.h"
#include "client/CGameScene.h"
#include "client/ClientText.h"
#include "client/HallPaths.h"
#include "platform/Ini.h"
#include "client/panel/CGameFrameUI.h"
#include "client/panel/CSubSystemPanel.h"
#include "engine/widgets/RichTextView.h"
#include "engine/widgets/UrlOpener.h"
#include "engine/widgets/WidgetTestSupport.h"
#include "platform/MessageBox.h"
#include "platform/Path.h"
#include "tests/platform/TempFolder.h"

namespace paneltest {

using Log = std::vector<std::string>;

class CRecordingApp final : public client::CGameApp {
public:
    explicit CRecordingApp(Log& log)
        : CGameApp("PLDK", 7000, 5, 0)
        , m_log(log)
    {
    }
    [[nodiscard]] int GetChairCount() const override { return 4; }
    bool ConnectByMode() override
    {
        m_log.push_back("connect");
        return true;
    }
    [[nodiscard]] client::CGameStateHolder* GetGameStateHolder() override { return m_state; }
    void SetGameStateHolder(client::CGameStateHolder* state) { m_state = state; }

private:
    Log& m_log;
    client::CGameStateHolder* m_state { nullptr };
};

// The framework's scene, recording what reaches it.
class CRecordingScene final : public client::CGameScene {
public:
    void ClearTable() override { m_log.push_back("clear-table"); }
    void OnPlayerEnter(const client::GameUserRecord& seat) override { Seat("enter", seat); }
    void OnPlayerLeave(const client::GameUserRecord& seat) override { Seat("leave", seat); }
    CRecordingScene(client::CGameApp& app, Log& log)
        : CGameScene(app)
        , m_log(log)
    {
    }
    void OnStart() override { m_log.push_back("scene"); }
    int OnEvent(const engine::EngineEvent& event) override
    {
        if (event.id >= engine::VELOTRIX_EVENT_APPLICATION_FIRST) {
            events.push_back(std::to_string(event.id));
            return 1;
        }
        return CGuiContainer::OnEvent(event);
    }
    std::vector<std::string> events;

private:
    void Seat(const char* change, const client::GameUserRecord& seat)
    {
        events.push_back(change + (" " + std::to_string(seat.user_id)));
    }
    Log& m_log;
};

class CRecordingPanel final : public panel::CSubSystemPanel {
public:
    CRecordingPanel(client::CGameApp& app, Log& log)
        : CSubSystemPanel(app)
        , m_log(log)
    {
    }
    void OnStart() override { m_log.push_back("panel"); }

private:
    Log& m_log;
};

// A frame whose window and program endings are recorded instead.
class CTestFrameUI final : public panel::CGameFrameUI {
public:
    CTestFrameUI(client::CGameApp& app, Log& log)
        : CGameFrameUI(app)
        , m_log(log)
    {
    }
    using CGameFrameUI::ShowTextBox;

    int OnEvent(const engine::EngineEvent& event) override
    {
        if (event.id == client::GAMEMSG_FRAME_HELP) {
            m_log.push_back("help");
            return 1;
        }
        return CGameFrameUI::OnEvent(event);
    }

protected:
    void CloseMainWindow() override { m_log.push_back("close-window"); }
    void QuitProgram() override { m_log.push_back("quit"); }
    void MinimizeMainWindow() override { m_log.push_back("minimize"); }
    void ToggleMaximized() override { m_log.push_back("maximize"); }

private:
    Log& m_log;
};

class CRecordingOpener final : public engine::IUrlOpener {
public:
    bool OpenUrl(std::string_view url) override
    {
        opened.emplace_back(url);
        return true;
    }
    std::vector<std::string> opened;
};

class PanelTest : public widgettest::WidgetTest {
protected:
    PanelTest()
    {
        platform::SetProgramFolder(m_folder.Path());
        platform::SetUserDataFolder(m_folder / "data/");
        platform::SetUserConfigFolder(m_folder / "config/");
        // The hall's folder, where the shared pictures live, is the temporary one.
        (void)platform::WriteProfileString(client::HALL_INI_SECTION, client::HALL_INI_EXE_PATH_KEY,
                                           m_folder / "hall.exe", client::GetHallSystemIniPath());
        platform::InstallMessageBox(&m_boxes);
        m_previous_opener = engine::SetUrlOpener(&m_opener);
        m_app = std::make_unique<CRecordingApp>(m_log);
        auto frame = std::make_unique<CTestFrameUI>(*m_app, m_log);
        m_frame = frame.get();
        m_engine.m_objects->AddObject(std::move(frame), nullptr);
        m_frame->SetArea(engine::EngineRect { 0, 0, 800, 600 });
        auto scene = std::make_unique<CRecordingScene>(*m_app, m_log);
        m_scene = scene.get();
        m_frame->SetMainGame(std::move(scene));
        auto side = std::make_unique<CRecordingPanel>(*m_app, m_log);
        m_panel = side.get();
        m_frame->SetSubSystem(std::move(side));
        Run();
    }
    ~PanelTest() override
    {
        // The frame and the panel reach the application until they go.
        for (engine::CEngineObject* object : { static_cast<engine::CEngineObject*>(m_panel),
                                               static_cast<engine::CEngineObject*>(m_scene),
                                               static_cast<engine::CEngineObject*>(m_frame) })
            m_engine.m_objects->DestroyObject(object->GetId());
        engine::SetUrlOpener(m_previous_opener);
        platform::InstallMessageBox(nullptr);
        platform::SetUserConfigFolder("");
        platform::SetUserDataFolder("");
        platform::SetProgramFolder("");
    }

    /// Puts a user into seat `chair`.
    void Seat(int chair, int32_t user_id, const char* name)
    {
        client::GameUserRecord& seat = *m_app->Records().Seat(chair);
        seat.user_id = user_id;
        seat.chair = chair;
        client::CopyTextField(seat.name, name);
    }
    /// The chat box's text as copied text.
    [[nodiscard]] std::string ChatText() const
    {
        std::string text;
        const engine::CRichTextView* view = m_panel->GetChatBox();
        for (const engine::RichTextRun* run = view->FirstRun(); run != nullptr; run = run->next)
            text += view->CopyTextOf(*run);
        return text;
    }

    platform::testing::CTempFolder m_folder;
    platform::CRecordingMessageBox m_boxes;
    CRecordingOpener m_opener;
    engine::IUrlOpener* m_previous_opener { nullptr };
    Log m_log;
    std::unique_ptr<CRecordingApp> m_app;
    CTestFrameUI* m_frame { nullptr };
    CRecordingScene* m_scene { nullptr };
    CRecordingPanel* m_panel { nullptr };
};

} // namespace paneltest

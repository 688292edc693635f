#include "game/scene/ReplayChooser.h"

#include "engine/core/CanvasObject.h"
#include "engine/core/InputState.h"
#include "engine/widgets/GuiTextButton.h"
#include "engine/widgets/WidgetSupport.h"
#include "game/scene/SceneWidgets.h"
#include "platform/Path.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace scene {

namespace {

constexpr const char* TITLE = "选择录像";
constexpr const char* EMPTY_TEXT = "录像目录中没有录像";
constexpr uint32_t GROUND_COLOUR = 0xF4F0E6;
constexpr uint32_t TITLE_COLOUR = 0x7A4A1E;
constexpr uint32_t SELECTED_COLOUR = 0xDC7832;
constexpr uint32_t BORDER_COLOUR = 0x7A4A1E;
constexpr int32_t MARGIN = 8;
constexpr int32_t BUTTON_WIDTH = 64;
constexpr int32_t BUTTON_HEIGHT = 22;
constexpr int32_t WHEEL_ROWS = 3;
constexpr double PART_DEPTH_STEP = 0.01;

// The list's own events.
constexpr uint32_t EVENT_OPEN = 80000001;
constexpr uint32_t EVENT_CANCEL = 80000002;
constexpr uint32_t EVENT_PRESS = 80000003;
constexpr uint32_t EVENT_DOUBLE_CLICK = 80000004;
constexpr uint32_t EVENT_WHEEL_UP = 80000005;
constexpr uint32_t EVENT_WHEEL_DOWN = 80000006;

struct ChooserCommand {
    const char* program;
    std::vector<std::string> arguments;
};

} // namespace

// --- The desktop's chooser program

std::optional<ReplayChoice> CProgramReplayChoice::Poll()
{
    if (m_program == nullptr)
        return ReplayChoice {};
    const std::optional<int> code = m_program->Poll();
    if (!code)
        return std::nullopt;
    std::string_view answer = m_program->GetOutput();
    if (answer.ends_with('\n'))
        answer.remove_suffix(1);
    if (*code != 0 || answer.empty())
        return ReplayChoice {};
    const std::optional<std::string> path = platform::FromOsPath(answer);
    if (!path)
        return ReplayChoice { {}, true };
    return ReplayChoice { *path, false };
}

std::unique_ptr<IReplayFileChoice> StartReplayChooserProgram(const std::string& folder)
{
    const std::string os_folder = platform::ToOsPath(folder).value_or(std::string());
    const std::string gbk_folder = platform::FromOsPath(os_folder).value_or(std::string());
    const std::string start = gbk_folder.empty() || gbk_folder.back() == '/' ? gbk_folder : gbk_folder + "/";
    const std::string title = TITLE;
    ChooserCommand commands[] = {
        { "zenity",
          { "--file-selection", "--title=" + title, "--filename=" + start, "--file-filter=Rep file(*.qvrep) | *.qvrep" } },
        { "kdialog", { "--title", title, "--getopenfilename", start, "*.qvrep|Rep file(*.qvrep)" } },
    };
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    if (desktop != nullptr && std::string_view(desktop).find("KDE") != std::string_view::npos)
        std::swap(commands[0], commands[1]);
    for (const ChooserCommand& command : commands)
        if (std::unique_ptr<platform::CProcessOutput> program =
                platform::CProcessOutput::Start(command.program, command.arguments))
            return std::make_unique<CProgramReplayChoice>(std::move(program));
    return nullptr;
}

// --- The folder's files

std::vector<ReplayFileEntry> ListReplayFiles(const std::string& folder, size_t limit)
{
    namespace fs = std::filesystem;
    const std::optional<std::string> os_folder = platform::ToOsPath(folder);
    if (!os_folder || limit == 0)
        return {};
    const fs::path root(*os_folder);
    struct Found {
        fs::file_time_type time;
        ReplayFileEntry entry;
    };
    // The newest `limit` found so far, the oldest of them on the heap's top:
    // a folder of thousands is walked whole in bounded memory.
    const auto newer = [](const Found& a, const Found& b) { return a.time > b.time; };
    std::vector<Found> newest;
    std::error_code error;
    fs::recursive_directory_iterator walk(root, fs::directory_options::skip_permission_denied, error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        if (walk.depth() >= 2)
            walk.disable_recursion_pending();
        std::error_code file_error;
        if (!walk->is_regular_file(file_error) || walk->path().extension() != ".qvrep")
            continue;
        const fs::file_time_type time = walk->last_write_time(file_error);
        if (newest.size() == limit && !(time > newest.front().time))
            continue;
        const std::optional<std::string> path = platform::FromOsPath(walk->path().native());
        const std::optional<std::string> name =
            platform::FromOsPath(walk->path().lexically_relative(root).native());
        if (!path || !name)
            continue;
        if (newest.size() == limit) {
            std::pop_heap(newest.begin(), newest.end(), newer);
            newest.pop_back();
        }
        newest.push_back({ time, { *path, *name } });
        std::push_heap(newest.begin(), newest.end(), newer);
    }
    std::sort(newest.begin(), newest.end(), newer);
    std::vector<ReplayFileEntry> files;
    files.reserve(newest.size());
    for (Found& found : newest)
        files.push_back(std::move(found.entry));
    return files;
}

// --- The engine's own list

void CReplayFileList::OnCreate()
{
    const int32_t height = TITLE_HEIGHT + ROWS * ROW_HEIGHT + BUTTON_ROW_HEIGHT;
    engine::CCanvasObject* canvas = NewCanvasObject(WIDTH, height, engine::WIDGET_COLOUR_KEY);
    if (canvas == nullptr)
        return;
    canvas->SetFont(FONT_SIZE, 400, engine::WIDGET_FACE);
    SetVisual(canvas, BOARD_PART_LINK_FLAGS);
    const uint32_t id = GetId();
    canvas->AddEventRoute(engine::VELOTRIX_EVENT_LBUTTON_DOWN, id, EVENT_PRESS, 0, 0);
    canvas->AddEventRoute(engine::VELOTRIX_EVENT_LBUTTON_DBLCLK, id, EVENT_DOUBLE_CLICK, 0, 0);
    canvas->AddEventRoute(engine::VELOTRIX_EVENT_WHEEL_UP, id, EVENT_WHEEL_UP, 0, 0);
    canvas->AddEventRoute(engine::VELOTRIX_EVENT_WHEEL_DOWN, id, EVENT_WHEEL_DOWN, 0, 0);
    const auto make_button = [&](const char* caption, uint32_t event_id, double x) {
        auto* button =
            dynamic_cast<engine::CGuiTextButton*>(RegisterObject(std::make_unique<engine::CGuiTextButton>()));
        if (button == nullptr)
            return button;
        const engine::EngineEvent click { id, event_id, 0, 0 };
        button->Create(caption, BUTTON_WIDTH, BUTTON_HEIGHT, FONT_SIZE, GROUND_COLOUR, 0x000000, &click);
        AttachPart(*canvas, *button, x, canvas->GetBottom() - BUTTON_ROW_HEIGHT / 2.0, PART_DEPTH_STEP);
        return button;
    };
    const double right = canvas->GetRight() - MARGIN - BUTTON_WIDTH / 2.0;
    m_open = make_button("打开", EVENT_OPEN, right - BUTTON_WIDTH - MARGIN);
    m_cancel = make_button("取消", EVENT_CANCEL, right);
    Select(m_files.empty() ? -1 : 0);
}

int CReplayFileList::OnEvent(const engine::EngineEvent& event)
{
    const auto* input = reinterpret_cast<const engine::InputState*>(event.param2);
    switch (event.id) {
    case EVENT_OPEN:
        Open();
        return 1;
    case EVENT_CANCEL:
        Cancel();
        return 1;
    case EVENT_PRESS:
    case EVENT_DOUBLE_CLICK:
        if (input != nullptr) {
            const int index = FileAt(input->x, input->y);
            if (index >= 0)
                Select(index);
            if (index >= 0 && event.id == EVENT_DOUBLE_CLICK)
                Open();
        }
        return 1;
    case EVENT_WHEEL_UP:
    case EVENT_WHEEL_DOWN:
        Scroll(event.id == EVENT_WHEEL_UP ? -WHEEL_ROWS : WHEEL_ROWS);
        return 1;
    default:
        return CGuiObject::OnEvent(event);
    }
}

int CReplayFileList::FileAt(int32_t x, int32_t y)
{
    const engine::CEngineObject* canvas = GetVisual();
    if (canvas == nullptr || x < canvas->GetLeft() || x >= canvas->GetRight())
        return -1;
    const double row_y = y - canvas->GetTop() - TITLE_HEIGHT;
    if (row_y < 0 || row_y >= ROWS * ROW_HEIGHT)
        return -1;
    const int index = m_first_row + static_cast<int>(row_y) / ROW_HEIGHT;
    return index < static_cast<int>(m_files.size()) ? index : -1;
}

void CReplayFileList::Scroll(int rows)
{
    const int last_first = std::max(0, static_cast<int>(m_files.size()) - ROWS);
    m_first_row = std::clamp(m_first_row + rows, 0, last_first);
    Draw();
}

void CReplayFileList::Select(int index)
{
    m_selected = index >= 0 && index < static_cast<int>(m_files.size()) ? index : -1;
    if (m_selected >= 0 && m_selected < m_first_row)
        m_first_row = m_selected;
    else if (m_selected >= m_first_row + ROWS)
        m_first_row = m_selected - ROWS + 1;
    Draw();
}

void CReplayFileList::Open()
{
    if (m_selected >= 0)
        End(m_files[static_cast<size_t>(m_selected)].path);
}

void CReplayFileList::Cancel() { End(std::string()); }

void CReplayFileList::End(std::string answer)
{
    if (m_answer)
        return;
    m_answer = std::move(answer);
    Deactivate();
    Invalidate();
}

void CReplayFileList::Draw()
{
    auto* canvas = dynamic_cast<engine::CCanvasObject*>(GetVisual());
    if (canvas == nullptr)
        return;
    const auto width = static_cast<int32_t>(canvas->GetWidth());
    canvas->SetBackgroundColour(GROUND_COLOUR);
    canvas->Clear();
    canvas->DrawBorder(BORDER_COLOUR, 1);
    canvas->SetTextColour(TITLE_COLOUR, 255);
    canvas->DrawText(MARGIN, (TITLE_HEIGHT - FONT_SIZE) / 2, TITLE);
    // A file may be called anything: its name is drawn as it is, no part of
    // it read as the renderer's tags.
    if (m_files.empty()) {
        canvas->SetTextColour(0x000000, 255);
        canvas->DrawText(MARGIN, TITLE_HEIGHT + (ROW_HEIGHT - FONT_SIZE) / 2, EMPTY_TEXT);
    }
    for (int row = 0; row < ROWS; ++row) {
        const int index = m_first_row + row;
        if (index >= static_cast<int>(m_files.size()))
            break;
        const int32_t top = TITLE_HEIGHT + row * ROW_HEIGHT;
        const bool selected = index == m_selected;
        if (selected) {
            canvas->SetBackgroundColour(SELECTED_COLOUR);
            canvas->FillRect(2, top, width - 2, top + ROW_HEIGHT);
            canvas->SetBackgroundColour(GROUND_COLOUR);
        }
        canvas->SetTextColour(selected ? 0xFFFFFF : 0x000000, 255);
        canvas->DrawPlainText(MARGIN, top + (ROW_HEIGHT - FONT_SIZE) / 2, m_files[static_cast<size_t>(index)].name);
    }
    canvas->Invalidate();
}

// --- The choice made in the list

std::optional<ReplayChoice> CEngineReplayChoice::Poll()
{
    const CReplayFileList* list = m_list;
    if (list == nullptr)
        return ReplayChoice {};
    if (!list->GetAnswer())
        return std::nullopt;
    return ReplayChoice { *list->GetAnswer(), false };
}

} // namespace scene

#pragma once
// Choosing a replay file to open. The desktop's chooser program (zenity, or
// kdialog, whichever is installed; kdialog first on KDE) runs beside the
// engine and is polled, so the window never waits for it; where none can
// start, CReplayFileList, a box of the engine's own, lists the replays
// folder's files with 打开 and 取消. Either answers through
// IReplayFileChoice::Poll.
//
// Owner: the replay board owns its pending choice. CReplayFileList is an
// engine object (the object module owns it); the choice made from it holds
// it by weak link and destroys it when the choice goes. Thread: UI thread.
// Hazards: file names are shown as plain text, never as markup; a chosen
// path is untrusted like any other (the board's loader checks the file).

#include "engine/core/GuiObject.h"
#include "engine/core/ObjectLink.h"
#include "platform/Process.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace scene {

/// The message of a file chosen whose name has no GBK form.
inline constexpr char REPLAY_UNNAMED_TEXT[] = "所选录像的文件名含有无法识别的文字，请改名后再打开";

/// What an open dialog answered.
struct ReplayChoice {
    /// The chosen file's path (GBK); empty when nothing can be opened.
    std::string path;
    /// A file was chosen whose name has no GBK form: it cannot be opened
    /// (the player is told; `path` is empty).
    bool unnamed { false };
};

/// One open dialog for a replay, running while the engine goes on.
class IReplayFileChoice {
public:
    virtual ~IReplayFileChoice() = default;
    /// std::nullopt while the player still chooses; then the answer, an
    /// empty path when the choice was cancelled.
    [[nodiscard]] virtual std::optional<ReplayChoice> Poll() = 0;
};

/// A chooser program's answer: its output is the path (UTF-8), ended by one
/// line break, exit code 0; anything else is a cancelled choice. The path is
/// taken whole, a line break inside it too (a file may be named so).
/// Letting the choice go while the program runs ends the program.
class CProgramReplayChoice final : public IReplayFileChoice {
public:
    explicit CProgramReplayChoice(std::unique_ptr<platform::CProcessOutput> program) : m_program(std::move(program))
    {
    }
    [[nodiscard]] std::optional<ReplayChoice> Poll() override;

private:
    std::unique_ptr<platform::CProcessOutput> m_program;
};

/// The desktop's chooser program for "*.qvrep" files, opened in `folder`
/// (GBK); null when no chooser program could start.
[[nodiscard]] std::unique_ptr<IReplayFileChoice> StartReplayChooserProgram(const std::string& folder);

/// A replay file found under a folder: its path and its name below it (GBK).
struct ReplayFileEntry {
    std::string path;
    std::string name;
};

/// The newest `limit` ".qvrep" files in `folder` and two levels below it
/// (the recorder's "<user id>\<game>\" folders), newest first; names that
/// are no text are left out. Every file is looked at; only `limit` are kept.
[[nodiscard]] std::vector<ReplayFileEntry> ListReplayFiles(const std::string& folder, size_t limit);

/// The engine's own chooser: a box listing replay files by name, one
/// selected (a click; a double click opens it), with 打开 and 取消.
class CReplayFileList final : public engine::CGuiObject {
public:
    static constexpr int32_t WIDTH = 440;
    static constexpr int32_t ROWS = 12;
    static constexpr int32_t ROW_HEIGHT = 18;
    static constexpr int32_t TITLE_HEIGHT = 26;
    static constexpr int32_t BUTTON_ROW_HEIGHT = 34;
    static constexpr int32_t FONT_SIZE = 12;
    static constexpr size_t MAX_FILES = 500;

    explicit CReplayFileList(std::vector<ReplayFileEntry> files) : m_files(std::move(files)) { }

    void OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;

    /// Selects the row of file index (scrolled into view); -1 selects none.
    void Select(int index);
    /// Ends the choice with the selected file (nothing when none is).
    void Open();
    /// Ends the choice with nothing chosen.
    void Cancel();

    [[nodiscard]] const std::optional<std::string>& GetAnswer() const { return m_answer; }
    [[nodiscard]] int GetSelected() const { return m_selected; }
    [[nodiscard]] int GetFirstRow() const { return m_first_row; }
    [[nodiscard]] const std::vector<ReplayFileEntry>& GetFiles() const { return m_files; }
    [[nodiscard]] engine::CEngineObject* GetOpenButton() const { return m_open; }
    [[nodiscard]] engine::CEngineObject* GetCancelButton() const { return m_cancel; }

private:
    void Draw();
    void Scroll(int rows);
    /// The file index under a view point; -1 when none.
    [[nodiscard]] int FileAt(int32_t x, int32_t y);
    void End(std::string answer);

    std::vector<ReplayFileEntry> m_files;
    int m_selected { -1 };
    int m_first_row { 0 };
    std::optional<std::string> m_answer;
    engine::ObjectLink<engine::CEngineObject> m_open;
    engine::ObjectLink<engine::CEngineObject> m_cancel;
};

/// The choice made in a CReplayFileList (which its maker destroys):
/// cancelled when the list is gone.
class CEngineReplayChoice final : public IReplayFileChoice {
public:
    explicit CEngineReplayChoice(CReplayFileList& list) : m_list(&list) { }
    [[nodiscard]] std::optional<ReplayChoice> Poll() override;

private:
    engine::ObjectLink<CReplayFileList> m_list;
};

} // namespace scene

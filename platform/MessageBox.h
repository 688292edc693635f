#pragma once
// Message boxes: a text, a caption and a set of buttons; the answer is the
// button pressed. ShowMessageBox goes through the installed IMessageBox: by
// default a real SDL message box (on a desktop), in tests a CRecordingMessageBox.
//
// Owner: the installed box is owned by whoever installs it and must outlive
// its installation; InstallMessageBox(nullptr) returns to the SDL box.
// Threads: call ShowMessageBox on the UI thread (the SDL box must run on the
// main/video thread); it blocks until answered (modal, no message pumping).
// The recorder may be called from any thread.
// Hazards: without a display the SDL box cannot be shown; it then writes the
// text to standard error and answers with the default button. While the
// desktop box is up the calling thread handles none of its messages: its
// windows are not drawn, no timer, socket message or close request is taken
// and a signal to end the program waits until the box is answered. Use it
// where no window is up yet (start-up questions) or for the program's own
// faults, never for what a peer sends: the game window shows those on boxes
// of its own that block nothing.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Message.h"

namespace platform {

// Buttons (low nibble) and icons of the box type.
inline constexpr uint32_t MB_OK = 0x00;
inline constexpr uint32_t MB_OKCANCEL = 0x01;
inline constexpr uint32_t MB_ABORTRETRYIGNORE = 0x02;
inline constexpr uint32_t MB_YESNOCANCEL = 0x03;
inline constexpr uint32_t MB_YESNO = 0x04;
inline constexpr uint32_t MB_RETRYCANCEL = 0x05;
inline constexpr uint32_t MB_ICONERROR = 0x10;
inline constexpr uint32_t MB_ICONQUESTION = 0x20;
inline constexpr uint32_t MB_ICONWARNING = 0x30;
inline constexpr uint32_t MB_ICONINFORMATION = 0x40;

// Answers.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Texts are GBK. Returns one of the ID* answers of the buttons of `type`.
    virtual int Show(WindowHandle owner, std::string_view text, std::string_view caption, uint32_t type) = 0;
};

// The answers a box type offers, in button order (the first is the default).
[[nodiscard]] std::vector<int> MessageBoxAnswers(uint32_t type);

// Shows a box through the installed IMessageBox.
int ShowMessageBox(WindowHandle owner, std::string_view text, std::string_view caption, uint32_t type = MB_OK);
void InstallMessageBox(IMessageBox* box);

// The desktop box (SDL_ShowMessageBox).
class CSdlMessageBox final : public IMessageBox {
public:
    int Show(WindowHandle owner, std::string_view text, std::string_view caption, uint32_t type) override;
};

// Records every box and answers with a preset answer (or the default button).
class CRecordingMessageBox final : public IMessageBox {
public:
    struct Shown {
        WindowHandle owner;
        std::string text;
        std::string caption;
        uint32_t type;
    };

    int Show(WindowHandle owner, std::string_view text, std::string_view caption, uint32_t type) override;
    // 0 = answer with the default button of each box.
    void SetAnswer(int answer);
    [[nodiscard]] std::vector<Shown> GetShown() const;

private:
    mutable std::mutex m_mutex;
    std::vector<Shown> m_shown;
    int m_answer { 0 };
};

} // namespace platform

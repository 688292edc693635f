#include "platform/MessageBox.h"

#include <SDL2/SDL.h>
#include <atomic>
#include <cstdio>

#include "platform/Text.h"

namespace platform {

namespace {

std::atomic<IMessageBox*> s_installed { nullptr };

const char* ButtonLabel(int answer)
{
    switch (answer) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "?";
    }
}

} // namespace

std::vector<int> MessageBoxAnswers(uint32_t type)
{
    switch (type & 0x0F) {
    case MB_OKCANCEL: return { IDOK, IDCANCEL };
    case MB_ABORTRETRYIGNORE: return { IDABORT, IDRETRY, IDIGNORE };
    case MB_YESNOCANCEL: return { IDYES, IDNO, IDCANCEL };
    case MB_YESNO: return { IDYES, IDNO };
    case MB_RETRYCANCEL: return { IDRETRY, IDCANCEL };
    default: return { IDOK };
    }
}

int ShowMessageBox(WindowHandle owner, std::string_view text, std::string_view caption, uint32_t type)
{
    if (IMessageBox* box = s_installed.load())
        return box->Show(owner, text, caption, type);
    CSdlMessageBox desktop;
    return desktop.Show(owner, text, caption, type);
}

void InstallMessageBox(IMessageBox* box)
{
    s_installed.store(box);
}

int CSdlMessageBox::Show(WindowHandle, std::string_view text, std::string_view caption, uint32_t type)
{
    const std::vector<int> answers = MessageBoxAnswers(type);
    // Texts that are not GBK are shown as far as they convert rather than not at all.
    const std::string utf8_text = GbkToUtf8(text).value_or(std::string(text.begin(), text.end()));
    const std::string utf8_caption = GbkToUtf8(caption).value_or(std::string(caption.begin(), caption.end()));

    std::vector<SDL_MessageBoxButtonData> buttons;
    for (size_t i = 0; i < answers.size(); ++i) {
        uint32_t flags = 0;
        if (i == 0)
            flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (answers[i] == IDCANCEL || (answers.size() == 2 && answers[i] == IDNO) || answers.size() == 1)
            flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        buttons.push_back({ flags, answers[i], ButtonLabel(answers[i]) });
    }
    uint32_t flags = SDL_MESSAGEBOX_INFORMATION;
    if ((type & 0xF0) == MB_ICONERROR)
        flags = SDL_MESSAGEBOX_ERROR;
    else if ((type & 0xF0) == MB_ICONWARNING)
        flags = SDL_MESSAGEBOX_WARNING;
    SDL_MessageBoxData data {};
    data.flags = flags;
    data.title = utf8_caption.c_str();
    data.message = utf8_text.c_str();
    data.numbuttons = static_cast<int>(buttons.size());
    data.buttons = buttons.data();
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0) {
        std::fprintf(stderr, "[%s] %s\n", utf8_caption.c_str(), utf8_text.c_str());
        return answers.front();
    }
    return pressed;
}

int CRecordingMessageBox::Show(WindowHandle owner, std::string_view text, std::string_view caption, uint32_t type)
{
    std::lock_guard lock(m_mutex);
    m_shown.push_back({ owner, std::string(text), std::string(caption), type });
    const std::vector<int> answers = MessageBoxAnswers(type);
    for (int answer : answers) {
        if (answer == m_answer)
            return answer;
    }
    return answers.front();
}

void CRecordingMessageBox::SetAnswer(int answer)
{
    std::lock_guard lock(m_mutex);
    m_answer = answer;
}

std::vector<CRecordingMessageBox::Shown> CRecordingMessageBox::GetShown() const
{
    std::lock_guard lock(m_mutex);
    return m_shown;
}

} // namespace platform

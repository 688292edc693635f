#include "platform/SdlEventPump.h"

#include <SDL2/SDL.h>

#include "platform/Event.h"
#include "platform/Window.h"

namespace platform {

bool CSdlEventPump::Initialise()
{
    const uint32_t type = SDL_RegisterEvents(1);
    if (type == static_cast<uint32_t>(-1))
        return false;
    m_wake_type = type;
    return true;
}

void CSdlEventPump::Pump()
{
    SDL_Event event;
    while (SDL_PollEvent(&event) == 1) {
        if (event.type == m_wake_type) {
            m_wake_pending.store(false);
            continue;
        }
        CNativeWindow::DispatchSdlEvent(event);
    }
}

void CSdlEventPump::WaitForEvents(uint32_t timeout_ms)
{
    // Waiting with no event argument leaves the event queued for Pump.
    if (timeout_ms == WAIT_FOREVER)
        (void)SDL_WaitEvent(nullptr);
    else
        (void)SDL_WaitEventTimeout(nullptr, static_cast<int>(timeout_ms > 0x7FFFFFFF ? 0x7FFFFFFF : timeout_ms));
}

void CSdlEventPump::Wake()
{
    if (m_wake_type == 0 || m_wake_pending.exchange(true))
        return;
    SDL_Event event {};
    event.type = m_wake_type;
    if (SDL_PushEvent(&event) != 1)
        m_wake_pending.store(false);
}

} // namespace platform

#pragma once
// A message window bound to a headless native window (SDL offscreen driver
// unless another is chosen) that records every message it gets.

#include <gtest/gtest.h>

#include <SDL2/SDL.h>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/Message.h"
#include "platform/Tick.h"
#include "platform/Window.h"

namespace platform::testing {

struct Seen {
    uint32_t id;
    uintptr_t wparam;
    intptr_t lparam;
};

class NativeWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        m_handle = CreateMessageWindow([this](Message& msg) -> intptr_t {
            m_seen.push_back({ msg.id, msg.wparam, msg.lparam });
            return 0;
        });
        NativeWindowOptions options;
        options.title = "\xB2\xE2\xCA\xD4"; // GBK text
        options.width = 320;
        options.height = 200;
        m_window = CNativeWindow::Create(m_handle, options);
        ASSERT_NE(m_window, nullptr) << CNativeWindow::LastError();
    }
    void TearDown() override
    {
        m_window.reset();
        (void)DestroyWindow(m_handle);
    }

    // Pumps the loop for a while (SDL events included) and keeps what arrived.
    void Pump(uint32_t ms = 50)
    {
        const uint32_t start = GetTickCount();
        while (!HasElapsed(start, GetTickCount(), ms)) {
            (void)WaitMessage(5);
            Message msg;
            while (PeekMessage(msg))
                DispatchMessage(msg);
        }
    }
    std::vector<Seen> Take(uint32_t id) const
    {
        std::vector<Seen> out;
        for (const Seen& seen : m_seen) {
            if (seen.id == id)
                out.push_back(seen);
        }
        return out;
    }
    void PushEvent(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }
    void PushWindowEvent(uint8_t kind, int data1 = 0, int data2 = 0)
    {
        SDL_Event event {};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = SdlId();
        event.window.event = kind;
        event.window.data1 = data1;
        event.window.data2 = data2;
        PushEvent(event);
    }
    uint32_t SdlId() const
    {
        // The only SDL window of the test is ours.
        for (uint32_t id = 1; id < 64; ++id) {
            if (SDL_GetWindowFromID(id))
                return id;
        }
        return 0;
    }

    WindowHandle m_handle { WindowHandle::None };
    std::unique_ptr<CNativeWindow> m_window;
    std::vector<Seen> m_seen;
};

} // namespace platform::testing

#pragma once
// Shared pieces of the widget tests: an engine on a manual clock with the
// object and input modules and a recording music module, an owner object that
// records the events it gets, image strips made in memory, and a text drawer
// that records what it is asked to draw.
//
// Input is driven through the input module as the host window would; each
// step runs the engine long enough for the object module to deliver.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/CanvasServices.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/InputModule.h"
#include "engine/core/pictures/PictureTestSupport.h"
#include "engine/media/MediaServices.h"
#include "engine/media/TextTag.h"

namespace widgettest {

using namespace engine;

// Remembers every DrawText and answers a fixed fit offset.
class CRecordingTextDrawer : public ICanvasTextDrawer {
public:
    struct Drawn {
        int32_t x, y;
        std::string text;
        int32_t font_height;
        int32_t weight;
        int32_t rows; ///< the rows the text was given to draw in
    };
    void DrawText(const CanvasTextStyle& style, std::span<uint8_t>, int32_t, int32_t height, int32_t x, int32_t y,
                  std::string_view text) override
    {
        drawn.push_back(Drawn { x, y, std::string(text), style.font_height, style.weight, height });
    }
    int32_t MeasureText(const CanvasTextStyle& style, int32_t width, std::string_view text) override
    {
        // One line per `width` pixels of half-size characters.
        const int64_t chars_per_line = std::max<int64_t>(1, width / std::max(1, style.font_height / 2));
        const int64_t lines = (int64_t(text.size()) + chars_per_line - 1) / chars_per_line;
        return int32_t(std::max<int64_t>(1, lines) * style.font_height);
    }
    std::pair<int32_t, int32_t> FitText(const CanvasTextStyle&, int32_t, int32_t, std::string&) override
    {
        return { 2, 3 };
    }
    bool IsKnownTag(std::string_view) const override { return false; }
    std::string PlainText(std::string_view text) const override { return EscapeCanvasText(text); }
    std::vector<Drawn> drawn;
};

// A paint module that keeps render requests and serves named images made in memory.
class CWidgetPaintModule : public enginetest::CRecordingPaintModule, public picturetest::CNamedImages {};

class WidgetTest : public ::testing::Test {
protected:
    WidgetTest()
    {
        auto paint = std::make_unique<CWidgetPaintModule>();
        m_paint = paint.get();
        (void)m_engine.m_core.LoadModule(std::move(paint), true, true);
        CCanvasServices::InstallBlitter(std::make_unique<CCanvasBlitter>());
        auto input = std::make_unique<InputModule>();
        m_input = input.get();
        (void)m_engine.m_core.LoadModule(std::move(input), true, true);
        auto music = std::make_unique<picturetest::CRecordingMusic>();
        m_music = music.get();
        (void)m_engine.m_core.LoadModule(std::move(music), true, false);
        auto drawer = std::make_unique<CRecordingTextDrawer>();
        m_text = drawer.get();
        CCanvasServices::InstallTextDrawer(std::move(drawer));
        m_owner = m_engine.Add<enginetest::CRecordingObject>(-500, -500, 1, 1, false);
        Run(20);
    }
    ~WidgetTest() override { CCanvasServices::Reset(); }

    // A registered, shown and active widget of type T.
    template <typename T>
    T* Make()
    {
        auto widget = std::make_unique<T>();
        T* raw = widget.get();
        m_engine.m_objects->AddObject(std::move(widget), nullptr);
        return raw;
    }
    // Runs the engine for ms milliseconds in 5 ms ticks.
    void Run(uint32_t ms = 20) { m_engine.Tick(static_cast<int>(ms / 5)); }
    void MoveTo(int32_t x, int32_t y)
    {
        m_input->OnMouseMove(x, y, 0);
        Run();
    }
    void Press(int32_t x, int32_t y)
    {
        m_input->OnLButtonDown(x, y);
        Run();
    }
    void Release(int32_t x, int32_t y)
    {
        m_input->OnLButtonUp(x, y);
        Run();
    }
    void ClickAt(int32_t x, int32_t y)
    {
        MoveTo(x, y);
        Press(x, y);
        Release(x, y);
    }
    EngineEvent OwnerEvent(uint32_t id, uintptr_t param1 = 0, uintptr_t param2 = 0) const
    {
        return EngineEvent { m_owner->GetId(), id, param1, param2 };
    }
    [[nodiscard]] int OwnerCount(uint32_t id) const
    {
        int count = 0;
        for (const EngineEvent& event : m_owner->events)
            count += event.id == id ? 1 : 0;
        return count;
    }

    enginetest::EngineFixture m_engine { false };
    CWidgetPaintModule* m_paint { nullptr };
    InputModule* m_input { nullptr };
    picturetest::CRecordingMusic* m_music { nullptr };
    CRecordingTextDrawer* m_text { nullptr };
    enginetest::CRecordingObject* m_owner { nullptr };
};

inline constexpr uint32_t EVENT_CLICKED = 80000001;
inline constexpr uint32_t EVENT_OTHER = 80000002;

// Whether a text handed to the renderer opens a tag it takes.
inline bool OpensCanvasTag(std::string_view text)
{
    for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
        const size_t close = FindTextTagEnd(text, at);
        if (close != std::string_view::npos && close > at + 1 && IsKnownTextTag(text.substr(at + 1, close - at - 1)))
            return true;
    }
    return false;
}

// A text that is no markup (a player's name) reached the renderer as
// written (as the canvas's plain text shows it), and nothing drawn opened a tag.
inline void ExpectDrawnAsWritten(const CRecordingTextDrawer& text, const std::string& name, const char* sink)
{
    const std::string shown = EscapeCanvasText(name);
    EXPECT_TRUE(std::any_of(text.drawn.begin(), text.drawn.end(),
                            [&](const auto& d) { return d.text.find(shown) != std::string::npos; }))
        << sink << ": " << name;
    for (const auto& drawn : text.drawn)
        EXPECT_FALSE(OpensCanvasTag(drawn.text)) << sink << " drew " << drawn.text;
}

} // namespace widgettest

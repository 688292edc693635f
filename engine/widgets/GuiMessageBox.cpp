#include "engine/widgets/GuiMessageBox.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/CanvasObject.h"
#include "engine/core/InputState.h"
#include "engine/widgets/GuiTextButton.h"
#include "engine/widgets/WidgetSupport.h"
#include "platform/MessageIds.h"

namespace engine {

namespace {

constexpr double BUTTON_Z_STEP = 0.001;
constexpr double COUNTDOWN_Z_STEP = 0.002;
constexpr int32_t COUNTDOWN_GAP = 5;

} // namespace

CGuiTextButton* CGuiMessageBox::MakeButton(const char* caption, uint32_t click_id, uint32_t key_colour)
{
    auto* button = dynamic_cast<CGuiTextButton*>(RegisterObject(std::make_unique<CGuiTextButton>()));
    if (button == nullptr)
        return nullptr;
    EngineEvent click;
    MakeEngineEvent(&click, GetId(), click_id, 0, 0);
    // The box's buttons are drawn on its message canvas: the key colour
    // their canvas is cleared to must not reach the screen.
    if (CCanvasObject* canvas
        = button->Create(caption, BUTTON_WIDTH, BUTTON_HEIGHT, BUTTON_FONT_SIZE, key_colour, 0x000000, &click)) {
        canvas->SetColourKey(key_colour);
        button->DrawState(CGuiTextButton::STATE_NORMAL);
    }
    PlaceAtDepth(*button, GetZ() + BUTTON_Z_STEP);
    AddFollower(button, WIDGET_PART_LINK_FLAGS);
    return button;
}

CCanvasObject* CGuiMessageBox::Create(int32_t width, int32_t height, const EngineEvent* ok_event,
                                      const EngineEvent* cancel_event, int32_t seconds)
{
    const int32_t setting = GetIntSetting(BUTTON_KEY_SETTING);
    const uint32_t key_colour = setting >= 0 ? static_cast<uint32_t>(setting) : DEFAULT_BUTTON_KEY;
    m_canvas = NewCanvasObject(width, height, WIDGET_COLOUR_KEY);
    if (m_canvas != nullptr)
        SetVisual(m_canvas, WIDGET_LINK_FLAGS);
    if (ok_event != nullptr) {
        m_ok = MakeButton("确定", VELOTRIX_EVENT_BOX_OK, key_colour);
        m_ok_event = *ok_event;
    }
    if (cancel_event != nullptr) {
        m_cancel = MakeButton("取消", VELOTRIX_EVENT_BOX_CANCEL, key_colour);
        m_cancel_event = *cancel_event;
    }
    AddEventRoute(VELOTRIX_EVENT_MOUSE_MOVE, GetId(), VELOTRIX_EVENT_DRAG_MOVE, 0, 0);
    if (m_canvas != nullptr)
        m_canvas->Show(true);

    if (seconds > 0) {
        m_seconds = std::min(seconds, MAX_SECONDS);
        m_countdown = NewCanvasObject(COUNTDOWN_WIDTH, COUNTDOWN_HEIGHT, WIDGET_COLOUR_KEY);
        if (m_countdown != nullptr) {
            m_countdown->SetZ(GetZ() + COUNTDOWN_Z_STEP);
            m_countdown->Activate();
            m_countdown->Invalidate();
            // Beside the OK button, and following it wherever the creator
            // places it; without one it stays where it was made, on the box.
            if (m_ok != nullptr) {
                m_countdown->MoveTo(m_ok->GetX() + static_cast<int32_t>(m_ok->GetWidth() / 2) + COUNTDOWN_GAP
                                        + COUNTDOWN_WIDTH / 2,
                                    m_ok->GetY());
                m_ok->AddFollower(m_countdown, WIDGET_PART_LINK_FLAGS);
            } else {
                AddFollower(m_countdown, WIDGET_PART_LINK_FLAGS);
            }
            DrawCountdown();
        }
        QueueTick();
    }
    RaiseToTopLayer();
    GetVisual()->BringToFront();
    Invalidate();
    return m_canvas;
}

void CGuiMessageBox::QueueTick()
{
    EngineEvent tick;
    MakeEngineEvent(&tick, GetId(), VELOTRIX_EVENT_BOX_TICK, 0, 0);
    m_tick = AddWaitFramesAction(TICK_MILLISECONDS, &tick);
}

void CGuiMessageBox::DrawCountdown()
{
    if (m_countdown == nullptr)
        return;
    m_countdown->SetFont(COUNTDOWN_FONT_SIZE, 400, WIDGET_FACE);
    m_countdown->SetTextColour(m_countdown_colour, 255);
    m_countdown->Clear();
    char text[16];
    std::snprintf(text, sizeof text, "%d", m_seconds);
    m_countdown->DrawText(0, 0, text);
    m_countdown->Invalidate();
}

void CGuiMessageBox::SetCountdownColour(uint32_t colour)
{
    m_countdown_colour = colour;
    DrawCountdown();
}

void CGuiMessageBox::Close()
{
    if (m_closing)
        return;
    m_closing = true;
    if (m_countdown != nullptr)
        CancelObjectActions(m_countdown->GetId());
    if (m_tick != 0) {
        CancelAction(m_tick);
        m_tick = 0;
    }
    (void)BeginGroup();
    (void)AddFadeToAction(this, FADE_STEP, 0.0, 0);
    (void)NextGroup();
    (void)AddDestroyAction(this);
    EndGroup();
}

void CGuiMessageBox::TakeKeys()
{
    RemoveEventRoutes(VELOTRIX_EVENT_KEY_DOWN);
    AddEventRoute(VELOTRIX_EVENT_KEY_DOWN, GetId(), VELOTRIX_EVENT_BOX_KEY, 0, 0);
}

void CGuiMessageBox::Answer(const EngineEvent& record)
{
    if (m_closing)
        return;
    PostEvent(record);
    Close();
}

int CGuiMessageBox::OnEvent(const EngineEvent& event)
{
    switch (event.id) {
    case VELOTRIX_EVENT_BOX_OK:
        Answer(m_ok_event);
        return 0;
    case VELOTRIX_EVENT_BOX_CANCEL:
        Answer(m_cancel_event);
        return 0;
    case VELOTRIX_EVENT_MOUSE_MOVE:
    case VELOTRIX_EVENT_DRAG_MOVE:
        if (event.param2 != 0) {
            const auto* input = reinterpret_cast<const InputState*>(event.param2);
            MoveBy(input->dx, input->dy);
            Invalidate();
        }
        return 0;
    case VELOTRIX_EVENT_BOX_KEY:
        if (event.param2 != 0 && m_ok != nullptr) {
            // A press, not a held key's repeats: those go on after this box
            // answered (the next box would answer unread) or began before
            // it came up.
            const auto* input = reinterpret_cast<const InputState*>(event.param2);
            if (input->last_key_down == platform::VK_RETURN && (input->key_flags & InputState::KEY_REPEAT) == 0)
                Answer(m_ok_event);
        }
        return 0;
    case VELOTRIX_EVENT_BOX_TICK:
        m_tick = 0;
        if (m_closing)
            return 0;
        if (m_seconds == 0) {
            Answer(m_cancel_event);
            return 1;
        }
        --m_seconds;
        DrawCountdown();
        QueueTick();
        return 0;
    default:
        return CGuiObject::OnEvent(event);
    }
}

} // namespace engine

// The entity facade's system information boards: the note in a message box,
// the details board, the live counter display "object_systemnote", the
// self-closing system board "object-systemboard", and the system event.
#include "engine/core/EngineEntity.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/core/CanvasObject.h"
#include "engine/core/GameCore.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/SystemBoxes.h"

namespace engine {

namespace {

constexpr const char* SYSTEM_BOARD_NAME = "object-systemboard";
constexpr const char* SYSTEM_NOTE_NAME = "object_systemnote";

// Settings the note reads for its colours.
constexpr int32_t SETTING_NOTE_TEXT_COLOUR = 8;
constexpr int32_t SETTING_NOTE_FILL_COLOUR = 9;
constexpr int32_t SETTING_NOTE_FRAME_COLOUR = 10;

// The looks every board shares.
constexpr const char* BOARD_FONT_FACE = "宋体";
constexpr int32_t BOARD_FONT_SIZE = 15;
constexpr int32_t BOARD_FONT_WEIGHT = 400;
constexpr uint32_t BOARD_FILL_COLOUR = 0x8000; // dark green
constexpr double FADE_STEP = 0.1;

constexpr int32_t NOTE_MIN_WIDTH = 200;
constexpr int32_t NOTE_MAX_WIDTH = 500;
constexpr int32_t NOTE_WIDTH_STEP = 50;
constexpr int32_t NOTE_EXTRA_HEIGHT = 70;
constexpr double NOTE_Z = 100000.0;
constexpr uint32_t NOTE_REFRESH_MS = 1000;

void SetBoardFont(CCanvasObject& canvas)
{
    canvas.SetFont(BOARD_FONT_SIZE, BOARD_FONT_WEIGHT, BOARD_FONT_FACE);
}

/// The pieces of text between "\n" characters.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', start)) {
        lines.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

int32_t MeasureLines(CCanvasObject& canvas, int32_t width, const std::vector<std::string_view>& lines)
{
    int32_t height = NOTE_EXTRA_HEIGHT;
    for (std::string_view line : lines)
        height += canvas.MeasureText(width, line);
    return height;
}

template <typename... Args>
void DrawFormatted(CCanvasObject& canvas, int32_t x, int32_t y, const char* format, Args... args)
{
    char text[128];
    std::snprintf(text, sizeof text, format, args...);
    canvas.DrawText(x, y, text);
}

double FpsOf(const ObjectModule& module)
{
    const GameCore* core = module.GetManager();
    const auto* images = core != nullptr ? dynamic_cast<IPaintImages*>(core->GetModule(VELOTRIX_MODULE_PAINT))
                                         : nullptr;
    return images != nullptr ? images->GetFps() : 0.0;
}

/// The counter display's refresh: every run redraws the counters; it never
/// ends by itself.
class CSystemNoteRefreshKind final : public CObjectKind {
protected:
    bool RunOn(CEngineObject& object, ActionRunContext& context) override
    {
        auto* canvas = dynamic_cast<CCanvasObject*>(&object);
        if (canvas == nullptr)
            return true;
        ObjectStats stats;
        context.module.GetObjectStats(stats);
        canvas->Clear();
        canvas->BringToFront();
        DrawFormatted(*canvas, 0, 0, "实体:%ld", long(stats.object_count));
        DrawFormatted(*canvas, 0, 20, "事件:%ld", long(stats.action_count));
        DrawFormatted(*canvas, 0, 40, "FPS :%0.1f", FpsOf(context.module));
        canvas->Invalidate();
        return false;
    }
};

} // namespace

void CEngineEntity::FadeInBoard(CEngineObject& board)
{
    board.MoveTo(GetViewWidth() / 2, GetViewHeight() / 2);
    board.SetAlpha(0.0);
    board.Activate();
    board.Invalidate();
    AddFadeToAction(&board, FADE_STEP, 1.0, GetMinActionInterval());
}

CEngineObject* CEngineEntity::ShowSystemNote(const char* text, const EngineEvent* ok_event,
                                             const EngineEvent* cancel_event, int32_t seconds)
{
    const SystemBoxParts parts = CSystemBoxes::Make(*this, 10, 10, ok_event, cancel_event, seconds);
    if (parts.box == nullptr || parts.canvas == nullptr)
        return nullptr;
    CCanvasObject& canvas = *parts.canvas;
    canvas.SetTextColor(uint32_t(GetIntSetting(SETTING_NOTE_TEXT_COLOUR)), 0, 1.0);
    SetBoardFont(canvas);
    canvas.SetMargins(10, 10);

    // Wider, in steps, while the note is narrower than 0.8 of its height.
    const std::vector<std::string_view> lines = SplitLines(text != nullptr ? text : "");
    int32_t width = NOTE_MIN_WIDTH;
    int32_t height = MeasureLines(canvas, width, lines);
    while (double(width) / height < 0.8 && width < NOTE_MAX_WIDTH) {
        width += NOTE_WIDTH_STEP;
        height = MeasureLines(canvas, width, lines);
    }
    canvas.Resize(width, height);
    canvas.SetSize(width, height);
    canvas.SetBackgroundColour(uint32_t(GetIntSetting(SETTING_NOTE_FILL_COLOUR)));
    canvas.Clear();
    canvas.DrawBorder(0, 2);
    canvas.DrawBorder(uint32_t(GetIntSetting(SETTING_NOTE_FRAME_COLOUR)), 1);
    int32_t y = 10;
    for (std::string_view line : lines) {
        canvas.DrawMarkup(line, y);
        y += canvas.MeasureText(width, line);
    }

    // The buttons on a row 20 pixels above the bottom edge.
    const double row_y = canvas.GetBottom() - 20;
    CEngineObject* first = parts.ok_button != nullptr ? parts.ok_button : parts.cancel_button;
    CEngineObject* second = parts.ok_button != nullptr ? parts.cancel_button : nullptr;
    if (first != nullptr && second == nullptr) {
        first->MoveTo(canvas.GetX(), row_y);
    } else if (first != nullptr) {
        first->MoveTo(canvas.GetX() - int32_t(first->GetWidth()) / 2 - 10, row_y);
        second->MoveTo(canvas.GetX() + int32_t(second->GetWidth()) / 2 + 10, row_y);
    }
    parts.box->SetZ(NOTE_Z);
    FadeInBoard(*parts.box);
    return parts.box;
}

CEngineObject* CEngineEntity::ShowSystemDetails()
{
    const SystemBoxParts parts = CSystemBoxes::Make(*this, 300, 200, nullptr, nullptr, -1);
    if (parts.box == nullptr || parts.canvas == nullptr)
        return nullptr;
    CCanvasObject& canvas = *parts.canvas;
    canvas.SetBackgroundColour(BOARD_FILL_COLOUR);
    canvas.Clear();
    canvas.DrawBorder(0, 1);
    canvas.SetTextColor(0xFFFFFF, 0, 1.0);
    SetBoardFont(canvas);

    ObjectStats stats;
    GetObjectStats(stats);
    const IPaintImages* images = GetPaintImages();
    canvas.DrawText(100, 0, "<size=20>系统详情");
    DrawFormatted(canvas, 10, 20, "实体:%d", int(stats.object_count));
    DrawFormatted(canvas, 10, 40, "事件:%d", int(stats.action_count));
    DrawFormatted(canvas, 10, 60, "内存申请:%ld Byte", long(stats.reserved_bytes));
    DrawFormatted(canvas, 10, 80, "内存使用:%ld Byte", long(stats.used_bytes));
    DrawFormatted(canvas, 10, 100, "FPS:%.1f 帧", images != nullptr ? images->GetFps() : 0.0);
    FadeInBoard(*parts.box);
    return parts.box;
}

void CEngineEntity::UpdateSystemNote(bool on)
{
    auto* note = dynamic_cast<CCanvasObject*>(FindObjectByName(SYSTEM_NOTE_NAME));
    if (note == nullptr) {
        note = NewCanvasObject(100, 100, COLOUR_NONE);
        if (note == nullptr)
            return;
        note->RaiseToTopLayer();
        note->MoveTo(50.0, 50.0);
        note->SetName(SYSTEM_NOTE_NAME);
        note->SetTextColor(0xFF, 0, 1.0);
        SetBoardFont(*note);
        note->Invalidate();
    }
    CancelObjectActions(note->GetId());
    if (!on) {
        note->Deactivate();
        note->Invalidate();
        return;
    }
    note->BringToFront();
    note->Activate();
    note->Invalidate();
    CActionFactory::AddObjectAction(GetObjectModule(), note, NOTE_REFRESH_MS,
                                    std::make_unique<CSystemNoteRefreshKind>());
}

void CEngineEntity::ShowSystemBoard(const char* text, int32_t seconds)
{
    CCanvasObject* board = FindSystemBoard();
    if (board == nullptr) {
        board = NewCanvasObject(10, 10, COLOUR_NONE);
        if (board == nullptr)
            return;
        board->RaiseToTopLayer();
        board->SetName(SYSTEM_BOARD_NAME);
        board->SetTextColor(0, 0, 1.0);
        SetBoardFont(*board);
        board->SetDraggable(true);
    }
    if (text != nullptr) {
        // Half a character per byte, at most half the view wide; at most half
        // the view high too, the text cut at the board's edge (a server's
        // text may set any size).
        const int32_t half_view = GetViewWidth() / 2;
        const int64_t wanted = int64_t(board->GetTextStyle().font_height) * int64_t(std::strlen(text)) / 2;
        int32_t width = wanted >= half_view ? half_view : int32_t(wanted);
        int32_t height = std::min(board->MeasureText(std::max(width, 1), text), std::max(GetViewHeight() / 2 - 20, 1));
        const int32_t text_bottom = height + 10;
        width += 20;
        height += 20;
        board->Resize(width, height);
        board->SetSize(width, height);
        board->SetBackgroundColour(BOARD_FILL_COLOUR);
        board->SetMargins(10, 10);
        board->Clear();
        board->DrawTextAbove(text_bottom, 0, 10, text, TextKind::Markup);
        board->DrawBorder(0, 2);
        board->DrawBorder(0xFFFFFF, 1);
    }
    // A hide still pending from an earlier showing must not cut this one short.
    CancelObjectActions(board->GetId());
    board->BringToFront();
    board->Activate();
    FadeInBoard(*board);
    if (seconds >= 1) {
        const EngineEvent hide { board->GetId(), VELOTRIX_EVENT_DEACTIVATE, 0, 0 };
        const auto milliseconds = uint32_t(std::min<int64_t>(int64_t(seconds) * 1000, UINT32_MAX));
        AddWaitFramesAction(board, milliseconds, &hide);
    }
}

void CEngineEntity::CloseSystemBoard()
{
    if (CCanvasObject* board = FindSystemBoard()) {
        CancelObjectActions(board->GetId());
        board->Deactivate();
        board->Invalidate();
    }
}

CCanvasObject* CEngineEntity::FindSystemBoard() const
{
    return dynamic_cast<CCanvasObject*>(FindObjectByName(SYSTEM_BOARD_NAME));
}

int CEngineEntity::SendSystemEvent(uintptr_t param1, uintptr_t param2)
{
    const int32_t target = GetIntSetting(GameCore::SETTING_SYSTEM_EVENT_OBJECT);
    const int32_t id = GetIntSetting(GameCore::SETTING_SYSTEM_EVENT_ID);
    // The payload is the receiver's; with no receiver it is freed here.
    if (target <= 0 || id <= 0 || FindObject(uint32_t(target)) == nullptr) {
        FreeSystemPayload(param1);
        return 0;
    }
    return SendEvent(EngineEvent { uint32_t(target), uint32_t(id), param1, param2 });
}

} // namespace engine

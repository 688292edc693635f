#include "game/scene/ResultBoxPaint.h"

#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiImageText.h"

namespace scene {

void PaintResultBox(engine::CCanvasObject& canvas, const engine::ImageRef& box_image, const ResultBoxPlan& plan,
                    engine::CGuiImageText* digit_pen)
{
    canvas.Clear();
    canvas.DrawImage(box_image, 0, 0, 0, 0, 0.0, 1.0);
    const auto figure = [&](const ResultText& text) {
        if (digit_pen != nullptr)
            digit_pen->DrawOnCanvas(canvas, text.x, text.y, text.text, engine::CGuiImageText::ALIGN_LEFT);
    };
    for (const ResultRowPlan& row : plan.rows) {
        if (!row.present)
            continue;
        canvas.SetTextColor(row.text_colour, 0, 1.0);
        canvas.SetFont(RESULT_BOX_FONT_SIZE, row.font_weight, RESULT_BOX_FONT);
        canvas.DrawPlainText(row.name.x, row.name.y, row.name.text);
        if (row.has_team_points)
            figure(row.team_points);
        figure(row.bonus);
        figure(row.round_result);
    }
    canvas.Invalidate();
}

} // namespace scene

// Painting a result box plan: the box image, the names in their weights and
// every figure's glyphs from the digit pen at the plan's places.
#include "game/scene/ResultBoxPaint.h"

#include <algorithm>

#include "engine/core/CanvasObject.h"
#include "engine/widgets/GuiImageText.h"
#include "game/scene/BoardTestSupport.h"

namespace scene {
namespace {

class ResultBoxPaintTest : public test::BoardTest {};

TEST_F(ResultBoxPaintTest, NamesAndFiguresGoWhereThePlanSays)
{
    ResultBoxInput input;
    input.row_chairs = { 0, 2, 1, 3 };
    input.names = { "a", "b", "c", "d" };
    input.result.bomb_part[0] = 30;        // "+30" ends at 360
    input.result.base.score_change[0] = -1200;
    input.row_chairs[3] = 7;               // a row left out
    const ResultBoxPlan plan = MakeResultBoxPlan(input);

    const engine::ImageRecord* box = AddImage(RESULT_BOX_IMAGE, 500, 300);
    const engine::ImageRecord* digits = AddImage("digits", 5, 10, 12);
    auto* canvas = Make<engine::CCanvasObject>();
    canvas->Create(500, 300, 0xFF00FF, 0);
    auto* pen = Make<engine::CGuiImageText>();
    pen->Create(10, 10, engine::CGuiImageText::FLAG_LEFT);
    pen->AddGlyphs("0123456789+-", "digits");
    engine::ImageRef image;
    m_paint->LoadImageByName(image, RESULT_BOX_IMAGE, 0);
    m_drawn.clear();
    m_text->drawn.clear();

    PaintResultBox(*canvas, image, plan, pen);
    ASSERT_EQ(DrawnOf(box).size(), 1u);
    ASSERT_EQ(m_text->drawn.size(), 3u);
    const int32_t weights[] = { 700, 400, 400 };
    const char* names[] = { "a", "c", "b" };
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(m_text->drawn[i].text, names[i]);
        EXPECT_EQ(m_text->drawn[i].weight, weights[i]);
        EXPECT_EQ(m_text->drawn[i].x, 89);
        EXPECT_EQ(m_text->drawn[i].y, 87 + 40 * int32_t(i));
    }
    // Row 0: team "0", "+30", "-1200"; rows 1 and 2: "0", "0" (row 2 also
    // its team "0"): 1 + 3 + 5 + 2 + 3 glyphs.
    const auto glyphs = DrawnOf(digits);
    EXPECT_EQ(glyphs.size(), 14u);
    std::vector<int32_t> on_first_line;
    for (const auto& g : glyphs)
        if (g.y == 87)
            on_first_line.push_back(g.x);
    std::sort(on_first_line.begin(), on_first_line.end());
    const std::vector<int32_t> expected { 345, 350, 355, 440, 445, 450, 455, 460 };
    EXPECT_EQ(on_first_line, expected);
}

} // namespace
} // namespace scene

#pragma once
// Paints a result box plan on the box canvas: the box image, then each
// present row's name in the row's colour and weight, and its figures with
// the scene's digit pen.
//
// Owner: nothing kept; the canvas and the pen are the caller's (the scene's).
// Thread: UI thread, inside the engine tick or under the tick lock.

#include "game/scene/ResultBoxPlan.h"

namespace engine {
class CCanvasObject;
class CGuiImageText;
struct ImageRef;
} // namespace engine

namespace scene {

/// Clears canvas and repaints it from plan; without a pen the figures are
/// left out (the names still show).
void PaintResultBox(engine::CCanvasObject& canvas, const engine::ImageRef& box_image, const ResultBoxPlan& plan,
                    engine::CGuiImageText* digit_pen);

} // namespace scene

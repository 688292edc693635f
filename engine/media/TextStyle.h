#pragma once
// TextStyle: the 20-word style of the markup text renderer (face, colour,
// font height, weight, spacing, margins, wrap and the font flags).
//
// It is the very record canvases keep (CanvasTextStyle, declared in
// engine/core so that canvases need not include the media layer): one layout,
// one face-name rule, and no copying between two look-alike records.
//
// Owner: whoever draws text (canvas objects keep one each; the renderer keeps
// its current one). Plain record, no threading concerns.
// Hazard: the face name is 32 bytes of GBK text and need not be terminated;
// use GetFaceName/SetFaceName rather than reading the array as a C string.

#include "engine/core/CanvasServices.h"

namespace engine {

using TextStyle = CanvasTextStyle;

} // namespace engine

#pragma once
// Forward declarations of the engine widgets.

namespace engine {

class CGuiButton;
class CGuiCheckBox;
class CGuiPopupMenu;
class CGuiPopupMenuItem;
class CGuiScrollBar;
class CGuiTextButton;
class CGuiToolTip;

} // namespace engine

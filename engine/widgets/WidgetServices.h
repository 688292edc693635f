#pragma once
// What the widgets plug into the engine core at start-up: the message box
// (CGuiMessageBox) behind the entity facade's system note and details board.
//
// Owner: process-wide (a plain function is installed). Thread: UI thread,
// before the engine starts.

#include <cstdint>

#include "engine/core/SystemBoxes.h"

namespace engine {

/// A CGuiMessageBox registered through owner and created with the arguments;
/// empty parts when it could not be registered.
[[nodiscard]] SystemBoxParts MakeSystemMessageBox(CEngineEntity& owner, int32_t width, int32_t height,
                                                  const EngineEvent* ok_event, const EngineEvent* cancel_event,
                                                  int32_t seconds);

/// Installs MakeSystemMessageBox as the system boards' message box.
void InstallWidgetServices();

} // namespace engine

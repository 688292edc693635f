#pragma once
// This game's notification handler with recording windows, side panel and
// scene (tests/client/NotifyFakes.h), and message boxes that answer at once:
// one rig serves a whole fuzzing run.

#include "platform/MessageBox.h"
#include "tests/client/NotifyFakes.h"

namespace notifyfuzz {

class CSilentBox final : public platform::IMessageBox {
public:
    int Show(platform::WindowHandle, std::string_view, std::string_view, uint32_t) override { return platform::IDOK; }
};

inline client_test::NotifyRig& Rig()
{
    static CSilentBox box;
    static client_test::NotifyRig rig;
    static const bool installed = (platform::InstallMessageBox(&box), true);
    (void)installed;
    return rig;
}

/// Drops what the recording windows, panel and scene kept, so a long run
/// does not grow.
inline void Forget(client_test::NotifyRig& rig)
{
    rig.frame.calls.clear();
    rig.frame.exit_boards.clear();
    rig.frame.url_boards.clear();
    rig.frame.system_boards.clear();
    rig.panel.events.clear();
    rig.panel.texts.clear();
    rig.scene.calls.clear();
}

} // namespace notifyfuzz

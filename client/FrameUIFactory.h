#pragma once
// IFrameUIFactory: how the application gets its frame UI, the root engine
// object of the main window. The frame UI and the game's scene live in
// higher layers than the application, so the program's entry installs a
// factory here before the main window is made; without one the application
// makes a bare root that only starts the connection.
//
// Owner: the installer keeps the factory alive while it is installed (the
// program's entry: for the process). Thread: UI thread, before the main
// window is made.
#include <memory>

namespace engine {
class CGuiContainer;
}

namespace client {

class CGameApp;

class IFrameUIFactory {
public:
    virtual ~IFrameUIFactory() = default;
    /// The frame UI for app (added to the engine as the root object; it
    /// reaches app, which outlives it).
    [[nodiscard]] virtual std::unique_ptr<engine::CGuiContainer> CreateFrameUI(CGameApp& app) = 0;
};

/// Installs factory (null: none); answers the one installed before.
IFrameUIFactory* SetFrameUIFactory(IFrameUIFactory* factory);
/// The installed factory, or null.
[[nodiscard]] IFrameUIFactory* GetFrameUIFactory();

} // namespace client

#include "client/FrameUIFactory.h"

namespace client {

namespace {
IFrameUIFactory* g_frame_ui_factory = nullptr;
}

IFrameUIFactory* SetFrameUIFactory(IFrameUIFactory* factory)
{
    IFrameUIFactory* previous = g_frame_ui_factory;
    g_frame_ui_factory = factory;
    return previous;
}

IFrameUIFactory* GetFrameUIFactory() { return g_frame_ui_factory; }

} // namespace client

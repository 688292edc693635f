#include <mutex>

#include "engine/core/EngineLog.h"

namespace engine {

namespace {

std::mutex s_sink_mutex;
MessageBoxSink s_sink;

} // namespace

void SetEngineMessageBoxSink(MessageBoxSink sink)
{
    std::lock_guard lock(s_sink_mutex);
    s_sink = std::move(sink);
}

void ShowEngineMessageBox(std::string_view text, std::string_view caption)
{
    MessageBoxSink sink;
    {
        std::lock_guard lock(s_sink_mutex);
        sink = s_sink;
    }
    if (sink)
        sink(text, caption);
    else
        WriteGameLog("%.*s: %.*s", static_cast<int>(caption.size()), caption.data(), static_cast<int>(text.size()),
                     text.data());
}

} // namespace engine

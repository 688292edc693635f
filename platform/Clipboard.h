#pragma once
// The clipboard, in GBK text. Backed by SDL's clipboard while SDL video is
// running (a window exists), and by a clipboard inside the process otherwise,
// so copy and paste within the program work headless too.
//
// Owner: none (free functions).
// Threads: UI thread only (SDL's clipboard belongs to the video thread).
// Hazards: text from other programs that GBK cannot hold is refused (nullopt).

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// False when the text is not GBK or the clipboard refuses it.
bool SetClipboardText(std::string_view gbk_text);
// The clipboard text in GBK; std::nullopt when empty or not convertible.
[[nodiscard]] std::optional<std::string> GetClipboardText();

} // namespace platform

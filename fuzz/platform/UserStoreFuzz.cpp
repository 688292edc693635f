// The user store's key layer: a key path, a value name and a value from the
// input (separated by zero bytes) are stored, read back under the same path
// spelt with other separators and letter case, and deleted. What the store
// accepts must read back whole and be gone after its key is deleted; what it
// refuses must leave nothing behind.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unistd.h>

#include "fuzz/platform/FuzzFields.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "platform/UserStore.h"

namespace {

// The same key path as the store should see it: '/' for '\' and the other
// way round, ASCII letters in the other case (GBK characters left whole).
std::string Respelt(std::string_view path)
{
    std::string out;
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (platform::IsGbkLeadByte(c) && i + 1 < path.size()) {
            out += c;
            out += path[++i];
        } else if (c == '\\' || c == '/') {
            out += c == '\\' ? '/' : '\\';
        } else if (c >= 'a' && c <= 'z') {
            out += static_cast<char>(c - 'a' + 'A');
        } else if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
        } else {
            out += c;
        }
    }
    return out;
}

const std::string& StoreFile()
{
    static const std::string file = platform::GetTempFolder() + "fuzz-user-store-" + std::to_string(::getpid()) + ".ini";
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view key = fuzzfields::TakeField(rest, '\0');
    const std::string_view name = fuzzfields::TakeField(rest, '\0');
    const std::string_view value = rest;

    platform::CUserStore store(StoreFile());
    const bool stored = store.SetValue(key, name, value);
    const std::optional<std::string> read = store.GetValue(Respelt(key), name);
    if (stored && read != std::string(value))
        __builtin_trap(); // what was accepted reads back whole, however the path is spelt
    if (!stored && read.has_value())
        __builtin_trap(); // a refused value leaves nothing behind
    if (store.DeleteKey(key) && store.GetValue(key, name).has_value())
        __builtin_trap();
    if (const auto os_path = platform::ToOsPath(StoreFile()))
        (void)std::remove(os_path->c_str());
    return 0;
}

// Untrusted bytes the engine core reads: zlib streams with a size taken from
// a file, comma lists and quoted texts from settings, typed characters, the
// cursor moves a replay reader makes over a grow buffer with offsets taken
// from the file, and cursor files.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/core/CursorFile.h"
#include "engine/core/EngineText.h"
#include "engine/core/GameCore.h"
#include "engine/core/GrowBuffer.h"
#include "engine/core/InputModule.h"
#include "engine/core/NameKey.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/TagValue.h"
#include "engine/core/ZlibBuffer.h"

namespace {

using namespace engine;

// A small engine with one focused object that takes characters.
struct TypingEngine {
    TypingEngine()
    {
        auto objects = std::make_unique<ObjectModule>();
        object_module = objects.get();
        (void)core.LoadModule(std::move(objects), true, false);
        auto in = std::make_unique<InputModule>();
        input = in.get();
        (void)core.LoadModule(std::move(in), true, true);
        object_module->SetViewSize(100, 100);
        CEngineObject* box = object_module->NewObject(nullptr);
        box->SetCatchInput(true);
        box->AddSelfEventRoute(VELOTRIX_EVENT_CHAR);
        input->SetFocusObject(box->GetId());
    }
    platform::CManualClock clock { 0 };
    GameCore core { clock };
    ObjectModule* object_module { nullptr };
    InputModule* input { nullptr };
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t mode = data[0];
    std::span<const uint8_t> rest(data + 1, size - 1);
    switch (mode % 5) {
    case 0: {
        if (rest.size() < 4)
            return 0;
        const size_t expected = rest[0] | (rest[1] << 8) | (size_t { rest[2] } << 16) | (size_t { rest[3] } << 24);
        const auto out = ZlibUncompressBuffer(rest.subspan(4), expected, size_t { 1 } << 20);
        if (out && out->size() != expected)
            __builtin_trap();
        break;
    }
    case 1: {
        const std::string text(reinterpret_cast<const char*>(rest.data()), rest.size());
        std::vector<std::string> pieces;
        SplitString(text, pieces);
        std::vector<CTagValue> values;
        ParseValueList(text, values);
        for (const auto& value : values)
            (void)value.ToBool();
        (void)StripQuotes(text);
        (void)ParseInt(text);
        std::string lowered = text;
        LowerAsciiGbkSafe(lowered);
        if (lowered.size() != text.size())
            __builtin_trap();
        (void)MakeNameKey(text);
        break;
    }
    case 2: {
        // Each step: an op byte and a 16-bit value; reads through the cursor
        // must stay inside what was appended.
        CGrowBuffer buffer;
        for (size_t i = 0; i + 3 <= rest.size(); i += 3) {
            const size_t value = rest[i + 1] | (rest[i + 2] << 8);
            switch (rest[i] % 4) {
            case 0:
                buffer.Append(rest.subspan(i, std::min<size_t>(value % 64, rest.size() - i)));
                break;
            case 1:
                buffer.Seek(value);
                break;
            case 2:
                buffer.Skip(value);
                break;
            default:
                if (const uint8_t* at = buffer.GetAt(value); at != nullptr && value < buffer.GetLength())
                    (void)*at;
                break;
            }
            if (buffer.GetCursorOffset() > buffer.GetLength() || buffer.GetLength() >= buffer.GetCapacity())
                __builtin_trap();
        }
        break;
    }
    case 3: {
        // The chosen entry, rewritten as an icon file, lies whole in it and
        // keeps its hot spot inside the entry.
        if (const auto entry = ReadCursorFile(rest)) {
            if (entry->icon_file.size() < 22 || entry->icon_file.size() - 22 > rest.size() || entry->hot_x < 0
                || entry->hot_y < 0 || entry->hot_x > 255 || entry->hot_y > 255)
                __builtin_trap();
        }
        break;
    }
    default: {
        static TypingEngine engine;
        for (uint8_t byte : rest)
            engine.input->OnChar(byte);
        engine.clock.Advance(20);
        engine.core.Tick();
        break;
    }
    }
    return 0;
}

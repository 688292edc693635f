// Markup from other players: the rich-text parser and layout over hostile
// bytes, in views of every mode, with pictures, links, trimming, relayout at
// another size and deletions in between.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/core/ActionFactory.h"
#include "engine/core/GameCore.h"
#include "engine/core/ObjectModule.h"
#include "engine/widgets/RichEditBox.h"
#include "engine/widgets/RichTextView.h"
#include "engine/widgets/richtext/RichTextTestSupport.h"

namespace {

using namespace engine;

struct Engine {
    Engine()
    {
        auto objects = std::make_unique<ObjectModule>();
        object_module = objects.get();
        (void)core.LoadModule(std::move(objects), true, false);
        (void)core.LoadModule(std::make_unique<richtest::CFakePaint>(), true, true);
        core.LoadDefaultSettings();
        object_module->SetViewSize(640, 480);
        (void)CActionFactory::GetRunner(object_module);
    }
    platform::CManualClock clock { 0 };
    GameCore core { clock };
    ObjectModule* object_module { nullptr };
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    static Engine engine;
    const uint8_t mode = data[0];
    const int32_t width = 8 + data[1];
    const int32_t height = 8 + data[2] / 2;
    uint32_t flags = 0x202 | CRichTextView::FLAG_REDRAW_NOW;
    if (mode & 0x1)
        flags |= CRichTextView::FLAG_LINKS;
    if (mode & 0x2)
        flags |= CRichTextView::FLAG_HORIZONTAL;
    if (mode & 0x8)
        flags |= CRichTextView::FLAG_URL_LOAD;
    // Edit boxes take the same markup through their length limit.
    CRichTextView* view = nullptr;
    CRichEditBox* box = nullptr;
    if (mode & 0x4) {
        box = static_cast<CRichEditBox*>(engine.object_module->AddObject(std::make_unique<CRichEditBox>(), nullptr));
        box->MoveTo(320, 240);
        box->CreateEdit(width, height, flags | CRichEditBox::FLAG_HISTORY);
        box->SetMaxLength(1 + data[2] % 64);
        box->TakeFocus();
        view = box;
    } else {
        view = static_cast<CRichTextView*>(engine.object_module->AddObject(std::make_unique<CRichTextView>(), nullptr));
        view->MoveTo(320, 240);
        view->Create(width, height, flags, 0);
    }
    if (mode & 0x10)
        view->SetMaxLines(3);
    // The rest is cut at 0x01 bytes into separate appends (the last of at
    // most MAX_APPENDS takes what is left: each append in the middle of an
    // editable text lays out all that follows, which is fine for a typed
    // line and only slows the fuzzer down).
    constexpr int MAX_APPENDS = 200;
    std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);
    for (int appends = 1; !text.empty(); ++appends) {
        const size_t cut = appends < MAX_APPENDS ? text.find('\x01') : std::string_view::npos;
        view->AppendMarkup(text.substr(0, cut));
        if (cut == std::string_view::npos)
            break;
        text.remove_prefix(cut + 1);
        if (mode & 0x20)
            view->DeleteRunAt(view->GetRunCount() / 2);
        if (box != nullptr) {
            // The byte after the cut picks a key.
            static constexpr uint32_t keys[] = { 0x08, 0x0D, 0x25, 0x26, 0x27, 0x28, 0x2E, 0x41 };
            (void)box->OnKey(keys[text.empty() ? 0 : static_cast<uint8_t>(text[0]) % 8]);
        }
    }
    if (mode & 0x40)
        view->Layout(width / 2 + 1, height);
    if (mode & 0x80)
        view->SelectAll();
    (void)view->SelectedText();
    engine.object_module->DestroyObject(view->GetId());
    engine.clock.Advance(30);
    engine.core.Tick();
    return 0;
}

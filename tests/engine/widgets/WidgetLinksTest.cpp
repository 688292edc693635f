// Widgets hold their parts through ObjectLinks: whichever part the object
// module destroys first, the widget goes on working with what is left and
// never reaches freed memory (the sanitizer build watches every step).
#include <functional>

#include "engine/widgets/GuiButton.h"
#include "engine/widgets/GuiCheckBox.h"
#include "engine/widgets/GuiImageText.h"
#include "engine/widgets/GuiMessageBox.h"
#include "engine/widgets/GuiPopupMenu.h"
#include "engine/widgets/GuiProgressBar.h"
#include "engine/widgets/GuiScrollBar.h"
#include "engine/widgets/GuiSkinDialog.h"
#include "engine/widgets/GuiTextButton.h"
#include "engine/widgets/GuiToolTip.h"
#include "engine/widgets/WidgetTestSupport.h"

using namespace widgettest;

namespace {

TEST(ObjectLink, ReadsNullOnceItsObjectIsGoneWhateverTheOrder)
{
    auto first = std::make_unique<CEngineObject>();
    auto second = std::make_unique<CEngineObject>();
    ObjectLink<CEngineObject> a = first.get();
    ObjectLink<CEngineObject> b = a;
    auto held = std::make_unique<ObjectLink<CEngineObject>>(second.get());
    b = second.get();
    EXPECT_EQ(a.get(), first.get());
    held.reset(); // a link that goes first leaves its object's list
    first.reset();
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(b.get(), second.get());
    b = a;
    EXPECT_EQ(b.get(), nullptr);
    ObjectLink<CEngineObject> c = second.get();
    second.reset();
    EXPECT_EQ(c.get(), nullptr);
}

class WidgetLinksTest : public WidgetTest {
protected:
    // Every object that follows the widget, down all follower lists.
    static std::vector<uint32_t> Parts(const CEngineObject& object)
    {
        std::vector<uint32_t> ids;
        for (size_t i = 0; i < object.GetFollowerCount(); ++i) {
            const CEngineObject* part = object.GetFollowerAt(i);
            ids.push_back(part->GetId());
            for (const uint32_t id : Parts(*part))
                ids.push_back(id);
        }
        return ids;
    }
    std::unique_ptr<ImageRecord> m_strip = picturetest::MakeStrip(16, 16, 4);
};

} // namespace

TEST_F(WidgetLinksTest, AnyPartDestroyedFirstLeavesTheWidgetWorking)
{
    const ImageRef strip = picturetest::RefTo(*m_strip);
    const EngineEvent clicked = OwnerEvent(EVENT_CLICKED);
    struct Widget {
        const char* name;
        std::function<CGuiObject*()> make;
        std::function<void(CGuiObject&)> use;
    };
    const Widget widgets[] = {
        { "button", [&] { auto* w = Make<CGuiButton>(); w->Create(strip, &clicked, 0, 0); w->SetCaption("OK", 0, 12); return w; },
          [](CGuiObject& w) { static_cast<CGuiButton&>(w).SetCaption("确定", 0, 14); } },
        { "check box", [&] { auto* w = Make<CGuiCheckBox>(); (void)w->Create(strip, 1); return w; },
          [](CGuiObject& w) { w.Show(true); } },
        { "image text", [&] { auto* w = Make<CGuiImageText>(); w->Create(20, 12, 0); w->SetText("12"); return w; },
          [](CGuiObject& w) { static_cast<CGuiImageText&>(w).SetText("345"); } },
        { "message box", [&] { auto* w = Make<CGuiMessageBox>(); w->Create(200, 100, &clicked, &clicked, 3); return w; },
          [](CGuiObject& w) { static_cast<CGuiMessageBox&>(w).DrawCountdown(); } },
        { "popup menu", [&] { auto* w = Make<CGuiPopupMenu>(); w->Create(100, 20, 12, 0xFF00FF); return w; },
          [](CGuiObject& w) { w.Show(true); } },
        { "progress bar", [&] { auto* w = Make<CGuiProgressBar>(); w->Create(strip, strip, 0.5); w->SetThumb(strip, 0); w->SetCaption("1", 0, 12); return w; },
          [](CGuiObject& w) { static_cast<CGuiProgressBar&>(w).SetPositionNow(0.7); static_cast<CGuiProgressBar&>(w).SetCaption("2", 0, 12); } },
        { "scroll bar", [&] { auto* w = Make<CGuiScrollBar>(); w->Create(m_owner->GetId(), 10, 200, CGuiScrollBar::Orientation::Vertical, 7); w->CreateUpButton(strip); return w; },
          [](CGuiObject& w) { static_cast<CGuiScrollBar&>(w).SetPosition(10, 20, 100, 1.0); } },
        { "skin dialog", [&] { auto* w = Make<CGuiSkinDialog>(); w->Create(strip, 0x123456, 120, 80); return w; },
          [](CGuiObject& w) { w.MoveTo(50, 50); } },
        { "text button", [&] { auto* w = Make<CGuiTextButton>(); w->Create("确定", 60, 20, 12, 0x808080, 0x0000FF, &clicked); return w; },
          [](CGuiObject& w) { static_cast<CGuiTextButton&>(w).SetTextColour(0xFF); } },
        { "tooltip", [&] { auto* w = Make<CGuiToolTip>(); w->Attach(m_owner, "0123456789", 120); return w; },
          [](CGuiObject& w) { static_cast<CGuiToolTip&>(w).SetText("abc", 100); } },
    };
    for (const Widget& widget : widgets) {
        const size_t parts = Parts(*widget.make()).size();
        ASSERT_GT(parts, 0u) << widget.name;
        for (size_t doomed = 0; doomed < parts; ++doomed) {
            SCOPED_TRACE(std::string(widget.name) + " part " + std::to_string(doomed));
            CGuiObject* made = widget.make();
            m_engine.m_objects->DestroyObject(Parts(*made)[doomed]);
            Run();
            made->MoveBy(3, 4);
            made->Show(false);
            made->Show(true);
            widget.use(*made);
            Run(60);
            m_engine.m_objects->DestroyObject(made->GetId());
            Run();
        }
    }
}

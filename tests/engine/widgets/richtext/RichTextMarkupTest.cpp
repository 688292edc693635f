// The markup language: escapes, tags, keys and their order, style restoring,
// hostile bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/widgets/RichTextLink.h"
#include "engine/widgets/richtext/RichTextTestSupport.h"

using namespace engine;
using richtest::RunText;
using richtest::ViewFixture;

namespace {

using namespace std::literals;

struct Shown {
    std::string_view markup;
    const char* text; // the characters of the runs ("[obj]" for an object)
};

std::vector<uint32_t> Colours(const CRichTextView& view)
{
    std::vector<uint32_t> out;
    for (const RichTextRun* run = view.FirstRun(); run != nullptr; run = run->next)
        out.push_back(run->colour);
    return out;
}

} // namespace

TEST(RichTextMarkup, ShowsTheTextOfEachMarkup)
{
    const Shown cases[] = {
        { "<s=240>", "<s=240>" },          // known to no hook: literal
        { "#12", "#12" },
        { "##", "#" },
        { "#<#>#/", "<>/" },
        { "#q", "#q" },
        { "#rx", "x" },
        { "<z=>", "<z=>" },                // no items
        { "<z=nosuch>ab", "ab" },          // no such image: consumed, nothing shown
        { "<z=face>", "[obj]" },
        { "<m=face,x,5,6>", "[obj]" },
        { "<url_btn=x,y>", "<url_btn=x,y>" }, // links disabled
        { "a<b", "a<b" },
        { "a\r\nb", "a\nb" },
        { "<notify>hi", "hi" },
        { "<>", "" },
        { "a<c=255,e=b>b<>c", "abc" },
        { "\xD6", "" },                    // a lead byte at the end is dropped
        { "x\xD6\0y"sv, "x" },               // the text ends at its zero byte
        { "<url_load=a,b>", "<url_load=a,b>" }, // the hook is off: literal
        { "<url=>x", "x" },                // an empty link shows nothing
        { "<url_text=a,,img>x", "x" },
        { "<url_text=a>x", "<url_text=a>x" }, // fewer than two items: not recognised
    };
    for (const Shown& c : cases) {
        ViewFixture engine;
        engine.view->AppendMarkup(c.markup);
        EXPECT_EQ(RunText(*engine.view), c.text) << c.markup;
    }
}

TEST(RichTextMarkup, StyleTagsChangeColourSizeFaceAndFlags)
{
    ViewFixture engine;
    engine.view->AppendMarkup("a<c=255>b<>c");
    EXPECT_EQ(Colours(*engine.view), (std::vector<uint32_t> { 0x010101, 255, 0x010101 }));

    struct Case {
        const char* markup;
        uint32_t colour;
        uint32_t style;
        uint16_t height;
    };
    const Case cases[] = {
        { "<c=255,e=b,s=240>x", 255, RUN_BOLD, 14 },
        { "<e=u,e=i>x", 0x010101, RUN_UNDERLINE | RUN_ITALIC, 14 },
        { "<color=102030>x", 0x302010, 0, 14 },
        { "<color=1A2B>x", 0x002B1A, 0, 14 },   // stops at the tag's end
        { "<color=zz2030>x", 0x302000, 0, 14 },
        { "<#g>x", 0x00FF00, 0, 14 },
        { "<#Y>x", 0x00FFFF, 0, 14 },
        { "#bx", 0xFF0000, 0, 14 },
        { "<size=5000>x", 0x010101, 0, 1000 },
        { "<size=0>x", 0x010101, 0, 14 },     // ignored
        { "<size=-3>x", 0x010101, 0, 14 },
        { "<c=99999999999999>x", 0xFFFFFFFF, 0, 14 },
        { "<face=黑体;size=20>x", 0x010101, 0, 20 },
        { "<face=;size=20>x", 0x010101, 0, 20 },   // an empty face is the default face
    };
    for (const Case& c : cases) {
        ViewFixture view;
        view.view->AppendMarkup(c.markup);
        const RichTextRun* run = view.view->LastRun();
        ASSERT_NE(run, nullptr) << c.markup;
        EXPECT_EQ(run->colour, c.colour) << c.markup;
        EXPECT_EQ(run->flags & RUN_STYLE_MASK, c.style) << c.markup;
        EXPECT_EQ(run->height, c.height) << c.markup;
    }
}

TEST(RichTextMarkup, EachTextStartsInTheBaseStyle)
{
    ViewFixture engine;
    engine.view->AppendMarkup("<c=255,e=b>a");
    engine.view->AppendMarkup("b");
    EXPECT_EQ(engine.view->LastRun()->colour, 0x010101u);
    EXPECT_EQ(engine.view->LastRun()->flags & RUN_BOLD, 0u);
}

TEST(RichTextMarkup, FacesGoToTheFontTable)
{
    ViewFixture engine;
    engine.view->AppendMarkup("<face=黑体>a");
    EXPECT_STREQ(engine.view->FirstRun()->face, "黑体");
    // A long face is cut between characters to 31 bytes.
    std::string face = "x";
    for (int i = 0; i < 20; ++i)
        face += "体";
    engine.view->AppendMarkup("<face=" + face + ">b");
    EXPECT_EQ(std::strlen(engine.view->LastRun()->face), 31u);
    EXPECT_EQ(std::string(engine.view->LastRun()->face), face.substr(0, 31));
    // A full table leaves further faces to the default.
    for (int i = 0; i < 30; ++i)
        engine.view->AppendMarkup("<face=f" + std::to_string(i) + ">c");
    EXPECT_EQ(engine.view->GetFontCount(), CRichTextView::FONT_TABLE_SIZE);
    EXPECT_EQ(engine.view->LastRun()->face, nullptr);
}

TEST(RichTextMarkup, LinksBecomeBlueUnderlinedRunsWithALinkObject)
{
    ViewFixture engine;
    engine.view->EnableLinks(true);
    engine.view->AppendMarkup("<url_text=page1,看这里>!");
    EXPECT_EQ(RunText(*engine.view), "看这里!");
    const RichTextRun* first = engine.view->FirstRun();
    EXPECT_EQ(first->colour, 0xFF0000u);
    EXPECT_EQ(first->flags, RUN_DOUBLE_BYTE | RUN_UNDERLINE | RUN_LINK_TEXT | RUN_LINK_FIRST);
    EXPECT_EQ(first->next->next->flags & RUN_LINK_LAST, RUN_LINK_LAST);
    EXPECT_EQ(engine.view->LastRun()->colour, 0x010101u);
    ASSERT_EQ(engine.view->GetLinkMap().size(), 1u);
    const auto* link = dynamic_cast<CRichTextLink*>(engine.m_objects->FindObject(engine.view->GetLinkMap().at(first)));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->GetTarget(), "page1");
    EXPECT_EQ(engine.view->LinkOfRun(first->next->next), link);

    ViewFixture plain;
    plain.view->AppendMarkup("<url_text=page1,看这里>");
    EXPECT_EQ(plain.view->FirstRun()->colour, 0x010101u);
    EXPECT_TRUE(plain.view->GetLinkMap().empty());
}

TEST(RichTextMarkup, UrlLoadAsksTheHookOnlyWhenEnabled)
{
    struct CHookView : CRichTextView {
        int OnUrlLoad(std::string_view a, std::string_view b, int32_t flag, const std::string* d) override
        {
            seen = std::string(a) + "|" + std::string(b) + "|" + std::to_string(flag) + "|" + (d ? *d : "-");
            return 1;
        }
        std::string seen;
    };
    ViewFixture engine;
    auto* view = engine.Add<CHookView>(100, 100, 100, 50);
    view->Create(100, 50, 0x202 | CRichTextView::FLAG_URL_LOAD, 0);
    view->AppendMarkup("<url_load=one,two,TRUE>x");
    EXPECT_EQ(view->seen, "two|one|1|-");
    EXPECT_EQ(RunText(*view), "x");
}

TEST(RichTextMarkup, HostileBytesNeverStopTheParser)
{
    ViewFixture engine(40, 40);
    std::string text(5000, '<');
    text += ">";
    text += std::string(3000, '#');
    text += "<size=65535>";
    text += std::string(100, '\xFE');
    engine.view->AppendMarkup(text);
    EXPECT_GT(engine.view->GetRunCount(), 0);
    EXPECT_LE(engine.view->GetLineCount(), 1000);
}

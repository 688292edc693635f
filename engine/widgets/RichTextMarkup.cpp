// CRichTextView: the markup scanner, its style and object tags, and
// character runs.
//
// The language has no closing tags: a tag changes the current style until
// another changes it; "<>" and the end of every appended text return to the
// style current when the text was appended. Every byte may come from another
// player: reads stay inside the text, numbers saturate, sizes are capped.
#include <algorithm>
#include <cstring>

#include "engine/core/TagValue.h"
#include "engine/widgets/RichTextLink.h"
#include "engine/widgets/RichTextView.h"
#include "platform/Text.h"

namespace engine {

namespace {

constexpr uint32_t LINK_COLOUR = 0xFF0000;
/// Longer tags are shown as text: no markup the program writes comes near
/// it, and it bounds the key search over hostile text.
constexpr size_t MAX_TAG_BYTES = 1024;
constexpr const char* COPY_TEXT_PICTURE = "[图片]";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

/// The decimal number at the start of text (0 without digits), saturated.
uint32_t ReadDecimal(std::string_view text)
{
    uint64_t value = 0;
    for (const char c : text) {
        if (!IsDigit(c))
            break;
        value = std::min<uint64_t>(value * 10 + uint64_t(c - '0'), UINT32_MAX);
    }
    return static_cast<uint32_t>(value);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

/// RRGGBB from the six bytes at the start of text (missing ones count 0) as 0x00BBGGRR.
uint32_t ReadHexColour(std::string_view text)
{
    uint32_t channels[3] = {};
    for (size_t i = 0; i < 6; ++i) {
        const int digit = i < text.size() ? HexDigit(text[i]) : 0;
        channels[i / 2] = channels[i / 2] * 16 + uint32_t(digit);
    }
    return channels[0] | channels[1] << 8 | channels[2] << 16;
}

/// The value of a key: from after the key to the first ';' at or after the
/// key's position, or to the end of the tag.
std::string_view KeyValue(std::string_view tag, size_t key_at, size_t key_length)
{
    const size_t start = key_at + key_length;
    const size_t end = tag.find(';', key_at);
    if (end == std::string_view::npos)
        return tag.substr(start);
    return end <= start ? std::string_view() : tag.substr(start, end - start);
}

/// The colour a "#letter" names, or none.
bool LetterColour(char letter, uint32_t& colour)
{
    switch (platform::AsciiToLower(letter)) {
    case 'w': colour = 0xFFFFFF; return true;
    case 'b': colour = 0xFF0000; return true;
    case 'k': colour = 0x000000; return true;
    case 'r': colour = 0x0000FF; return true;
    case 'g': colour = 0x00FF00; return true;
    case 'y': colour = 0x00FFFF; return true;
    default: return false;
    }
}

/// A face name cut to the font record's room without splitting a character.
std::array<char, CRichTextView::FACE_NAME_BYTES> CutFaceName(std::string_view name)
{
    std::array<char, CRichTextView::FACE_NAME_BYTES> face {};
    const size_t length = platform::GbkCutLength(name, face.size() - 1);
    if (length > 0)
        std::memcpy(face.data(), name.data(), length);
    return face;
}

} // namespace

std::string EscapeMarkup(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (platform::IsGbkLeadByte(c)) {
            // A two-byte character: its second byte may look like ASCII.
            if (at + 1 < text.size())
                out.append(text.substr(at, 2));
            ++at;
            continue;
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            continue;
        if (c == '<' || c == '>' || c == '#' || c == '/')
            out.push_back('#');
        out.push_back(c);
    }
    return out;
}

namespace {

/// Whether the bytes can stand as one value of a tag's list as they are.
bool IsPlainTagValue(std::string_view value)
{
    if (value.empty() || value.find("notify") != std::string_view::npos)
        return false;
    return std::none_of(value.begin(), value.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || std::strchr("<>,;=#", c) != nullptr;
    });
}

} // namespace

std::string MarkupLink(std::string_view url, std::string_view text)
{
    constexpr std::string_view KEY = "url_text=";
    if (!IsPlainTagValue(url) || !IsPlainTagValue(text) || KEY.size() + url.size() + 1 + text.size() > MAX_TAG_BYTES)
        return EscapeMarkup(text);
    std::string tag = "<";
    tag.append(KEY).append(url).append(",").append(text).append(">");
    return tag;
}

// Appending -------------------------------------------------------------------

void CRichTextView::AppendMarkup(std::string_view text)
{
    if (text.empty() || text.front() == '\0')
        return;
    if ((m_flags & FLAG_EDITABLE) != 0)
        (void)DeleteSelection();
    else
        m_insert = nullptr;
    ParseMarkup(text);
    AutoScroll();
    NotifyScrollChanged();
}

void CRichTextView::ParseMarkup(std::string_view text)
{
    // The text ends at its first zero byte, as the C string it stands for.
    text = text.substr(0, std::min(text.size(), strnlen(text.data(), text.size())));
    ResetBatch();
    m_style = m_base;
    m_saved = m_style;
    size_t close = 0; // the '>' found for the last '<' (npos: there is none further on)
    size_t at = 0;
    while (at < text.size()) {
        const char b = text[at];
        const char n = at + 1 < text.size() ? text[at + 1] : '\0';
        if (b == '#') {
            if (n == '#' || n == '<' || n == '>' || n == '/') {
                (void)AddCharRun(text.substr(at + 1, 1));
                at += 2;
            } else if (IsDigit(n) && at + 2 < text.size() && IsDigit(text[at + 2])) {
                at += AddCharRun("#");
            } else if (IsAsciiLetter(n)) {
                if (ApplyStyleTag(text.substr(at, 2)) != 0)
                    at += 2;
                else
                    at += AddCharRun("#");
            } else if (text.size() - at >= 5 && ApplyObjectTag(text.substr(at, 5)) != 0) {
                at += 5;
            } else {
                at += AddCharRun("#");
            }
            continue;
        }
        if (b == '<') {
            if (close != std::string_view::npos && close <= at)
                close = text.find('>', at + 1);
            if (close == std::string_view::npos) {
                at += AddCharRun("<");
            } else if (close == at + 1) {
                m_style = m_saved;
                at = close + 1;
            } else {
                const std::string_view tag = text.substr(at + 1, close - at - 1);
                if (tag.size() <= MAX_TAG_BYTES && (ApplyStyleTag(tag) != 0 || ApplyObjectTag(tag) != 0))
                    at = close + 1;
                else
                    at += AddCharRun("<");
            }
            continue;
        }
        if (b == '\r') {
            ++at;
            continue;
        }
        at += AddCharRun(text.substr(at));
    }
    EndLine();
    m_style = m_saved;
}

int CRichTextView::AddCharRun(std::string_view text)
{
    if (text.empty())
        return 1;
    const auto first = static_cast<uint8_t>(text[0]);
    const bool two_bytes = first >= 0x81;
    if (two_bytes && (text.size() < 2 || text[1] == '\0'))
        return 1; // A lead byte with nothing after it is dropped.
    RichTextRun* run = NewRun();
    if (run == nullptr)
        return two_bytes ? 2 : 1;
    const auto size = static_cast<uint16_t>(ClampSize(m_style.size));
    run->SetBytes(first, two_bytes ? static_cast<uint8_t>(text[1]) : 0);
    run->width = two_bytes ? size : size / 2;
    run->height = size;
    run->flags = (two_bytes ? RUN_DOUBLE_BYTE : RUN_SINGLE_BYTE) | (m_style.flags & ~RUN_LINE_BREAK)
                 | (first == '\n' ? RUN_LINE_BREAK : 0);
    run->colour = m_style.colour;
    run->extra = m_char_spacing * (two_bytes ? 2 : 1);
    run->face = FaceEntryFor(m_style.face);
    AppendRun(run);
    return two_bytes ? 2 : 1;
}

int32_t CRichTextView::ClampSize(int64_t size) const
{
    const int64_t limit = std::min<int64_t>(std::max(m_max_font_size, 1), 0xFFFF);
    return static_cast<int32_t>(std::clamp<int64_t>(size, 0, limit));
}

const char* CRichTextView::FaceEntryFor(const std::array<char, FACE_NAME_BYTES>& face)
{
    if (face[0] == '\0')
        return nullptr;
    for (size_t i = 0; i < m_font_count; ++i) {
        if (std::memcmp(m_fonts[i].data(), face.data(), FACE_NAME_BYTES) == 0)
            return m_fonts[i].data();
    }
    if (m_font_count >= FONT_TABLE_SIZE)
        return nullptr;
    m_fonts[m_font_count] = face;
    return m_fonts[m_font_count++].data();
}

int CRichTextView::RegisterFont(std::string_view face)
{
    if (m_font_count < FONT_TABLE_SIZE)
        m_fonts[m_font_count++] = CutFaceName(face);
    return static_cast<int>(m_font_count);
}

// Style tags ------------------------------------------------------------------

int CRichTextView::ApplyStyleTag(std::string_view tag)
{
    const auto find = [&tag](std::string_view key) { return tag.find(key); };
    constexpr auto none = std::string_view::npos;
    if (find("notify") != none)
        return 1;
    int recognised = 0;
    for (const auto& [key, flag] : { std::pair { "e=b", RUN_BOLD }, std::pair { "e=u", RUN_UNDERLINE },
                                     std::pair { "e=i", RUN_ITALIC } }) {
        if (find(key) != none) {
            m_style.flags |= flag;
            recognised = 1;
        }
    }
    if (const size_t at = find("c="); at != none) {
        m_style.colour = ReadDecimal(tag.substr(at + 2));
        recognised = 1;
    }
    if (const size_t at = find("color="); at != none) {
        m_style.colour = ReadHexColour(tag.substr(at + 6));
        recognised = 1;
    }
    if (const size_t at = find("#"); at != none && at + 1 < tag.size()) {
        if (LetterColour(tag[at + 1], m_style.colour))
            recognised = 1;
    }
    if (const size_t at = find("size="); at != none) {
        // A size of 0 is no size: it is ignored rather than making empty runs.
        if (const uint32_t size = ReadDecimal(tag.substr(at + 5)); size > 0)
            m_style.size = ClampSize(size);
        recognised = 1;
    }
    if (const size_t at = find("face="); at != none) {
        m_style.face = CutFaceName(KeyValue(tag, at, 5));
        recognised = 1;
    }
    if (const size_t at = find("url="); at != none) {
        const std::string_view url = KeyValue(tag, at, 4);
        AddLink(url, url, {});
        recognised = 1;
    }
    if (const size_t at = find("url_text="); at != none) {
        std::vector<CTagValue> items;
        if (ParseValueList(KeyValue(tag, at, 9), items) >= 2) {
            AddLink(items[0].ToString(), items[1].ToString(), items.size() >= 3 ? items[2].ToString() : "");
            recognised = 1;
        }
    }
    if (const size_t at = find("url_load="); at != none && (m_flags & FLAG_URL_LOAD) != 0) {
        std::vector<CTagValue> items;
        if (ParseValueList(KeyValue(tag, at, 9), items) >= 2) {
            const int32_t flag = items.size() >= 3 ? items[2].ToBool() : 0;
            recognised = OnUrlLoad(items[1].ToString(), items[0].ToString(), flag,
                                   items.size() >= 4 ? &items[3].ToString() : nullptr);
        }
    }
    return recognised;
}

void CRichTextView::AddLink(std::string_view url, std::string_view text, std::string_view hover)
{
    // An empty shown text gives nothing to click: no link is made.
    if (text.empty())
        return;
    const auto add_text = [this, text] {
        for (size_t at = 0; at < text.size();)
            at += AddCharRun(text.substr(at));
    };
    if ((m_flags & FLAG_LINKS) == 0) {
        add_text();
        return;
    }
    const uint32_t colour = m_style.colour;
    const uint32_t flags = m_style.flags;
    m_style.colour = LINK_COLOUR;
    m_style.flags |= RUN_UNDERLINE | RUN_LINK_TEXT;
    CEngineObject* link = RegisterObject(std::make_unique<CRichTextLink>());
    if (auto* rich_link = dynamic_cast<CRichTextLink*>(link); rich_link != nullptr)
        rich_link->SetLink(url, hover, GetId());
    RichTextRun* before = m_batch_last;
    add_text();
    RichTextRun* first = m_batch_last != before ? (before != nullptr ? before->next : m_batch_first) : nullptr;
    if (first != nullptr) {
        first->flags |= RUN_LINK_FIRST;
        m_batch_last->flags |= RUN_LINK_LAST;
        if (link != nullptr)
            RegisterLinkRun(first, link->GetId());
    } else if (link != nullptr) {
        DestroyObject(link, false);
    }
    m_style.colour = colour;
    m_style.flags = flags;
}

// Object tags -----------------------------------------------------------------

int CRichTextView::ApplyObjectTag(std::string_view tag)
{
    size_t at = std::string_view::npos;
    size_t key_length = 0;
    int kind = 0;
    for (const auto& [key, which] : { std::pair { std::string_view("z="), 1 }, std::pair { std::string_view("m="), 2 },
                                      std::pair { std::string_view("url_btn="), 3 } }) {
        if ((at = tag.find(key)) != std::string_view::npos) {
            key_length = key.size();
            kind = which;
            break;
        }
    }
    if (kind == 0 || (kind == 3 && (m_flags & FLAG_LINKS) == 0))
        return 0;
    std::vector<CTagValue> items;
    const size_t count = ParseValueList(KeyValue(tag, at, key_length), items);
    if (count == 0 || (kind == 3 && count < 2))
        return 0;
    const bool sized = kind == 3 ? count >= 4 : count == 4;
    // A given side is capped at what a run can hold, so the object and its
    // run agree on their size.
    const int32_t width = sized ? std::clamp<int32_t>(items[2].ToInt(), 0, 0xFFFF) : 0;
    const int32_t height = sized ? std::clamp<int32_t>(items[3].ToInt(), 0, 0xFFFF) : 0;
    const std::string& name = items[kind == 3 ? 1 : 0].ToString();
    ImageRef image;
    GetImage(image, name, kind == 1 && count >= 2 ? static_cast<uint32_t>(items[1].ToInt()) : 0);
    if (!image.IsValid())
        return 1; // Recognised; a missing picture shows nothing.
    auto* element = dynamic_cast<CRichTextElement*>(RegisterObject(std::make_unique<CRichTextElement>()));
    if (element == nullptr)
        return 1;
    RichTextRun* run = nullptr;
    if (kind == 1) {
        element->SetPicture(image, width, height);
        element->SetCopyText(COPY_TEXT_PICTURE);
        run = MakeObjectRun(element);
    } else if (kind == 2) {
        element->SetAnimation(name, width, height);
        element->SetCopyText(COPY_TEXT_PICTURE);
        run = MakeObjectRun(element);
    } else {
        element->SetButton(name, GetId(), width, height);
        element->SetCommand(items[0].ToString());
        element->SetCopyText(items[0].ToString());
        element->SetClipRect(GetTextArea());
        SetDepth(*element, GetTextDepth());
        if ((run = NewRun()) != nullptr) {
            run->flags = RUN_OBJECT | RUN_BUTTON;
            run->width = ClampSide(element->GetIntWidth());
            run->height = ClampSide(element->GetIntHeight());
            run->content = element->GetId();
        }
    }
    if (run == nullptr) {
        DestroyObject(element, false);
        return 1;
    }
    AppendRun(run);
    return 1;
}

} // namespace engine

#include "engine/media/TextFit.h"

#include <algorithm>

#include "platform/Text.h"

namespace engine {

namespace {

// Box sizes beyond any screen are clamped so that products stay small.
constexpr int64_t MAX_BOX = 1 << 20;
constexpr int64_t MAX_FIXED_SIZE = 300;

int32_t Narrow(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int64_t Even(int64_t value)
{
    return value & ~int64_t { 1 };
}

size_t FirstCharacterLength(const std::string& text)
{
    if (text.size() >= 2 && platform::IsGbkLeadByte(text[0]))
        return 2;
    return text.empty() ? 0 : 1;
}

// Cuts a text of five bytes or more to end in "..": of its last four bytes,
// those of 0x80 or above decide whether three or four bytes go.
void ShortenWithDots(std::string& text)
{
    const size_t n = text.size();
    int high = 0;
    for (size_t i = n - 4; i < n; ++i)
        high += static_cast<uint8_t>(text[i]) >= 0x80 ? 1 : 0;
    size_t cut = ((5 - high) % 2 != 0) ? n - 4 : n - 3;
    cut = platform::GbkCutLength(text, cut);
    text.resize(cut);
    text += "..";
}

struct CharacterCounts {
    int64_t single { 0 };
    int64_t pairs { 0 };
};

// Characters after the first one.
CharacterCounts CountCharacters(const std::string& text)
{
    CharacterCounts counts;
    size_t i = FirstCharacterLength(text);
    while (i < text.size()) {
        if (platform::IsGbkLeadByte(text[i]) && i + 1 < text.size()) {
            ++counts.pairs;
            i += 2;
        } else {
            ++counts.single;
            ++i;
        }
    }
    return counts;
}

bool IsOnlyPairs(const std::string& text)
{
    if (text.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        if (!platform::IsGbkLeadByte(text[i]))
            return false;
    }
    return true;
}

} // namespace

std::pair<int32_t, int32_t> FitTextInBox(int32_t box_width, int32_t box_height, std::string& text,
                                         TextFitResult& out, int32_t padding_x, int32_t padding_y,
                                         int32_t fixed_size)
{
    const int64_t w = std::clamp<int64_t>(box_width, -MAX_BOX, MAX_BOX);
    const int64_t h = std::clamp<int64_t>(box_height, -MAX_BOX, MAX_BOX);
    const int64_t given_px = std::clamp<int64_t>(padding_x, -MAX_BOX, MAX_BOX);
    const int64_t given_py = std::clamp<int64_t>(padding_y, -MAX_BOX, MAX_BOX);
    const int64_t fixed = std::clamp<int64_t>(fixed_size, -MAX_FIXED_SIZE, MAX_FIXED_SIZE);
    const int64_t minimum = std::max<int64_t>(12, std::min(w, h) / 5);
    bool shortened = false;

    for (;;) {
        int64_t n = static_cast<int64_t>(text.size());
        if (n == 0)
            return { 0, 0 };

        int64_t s = given_px != 0 ? (w - 2 * given_px) * 2 / n : w * 2 / (n + 2);
        const int64_t t = given_py != 0 ? h - 2 * given_py : static_cast<int64_t>(static_cast<double>(h) / 1.5);
        s = std::min(s, t);
        int64_t px = given_px != 0 ? given_px : s / 2;
        int64_t size = Even(fixed != 0 ? fixed : s);

        if (fixed != 0) {
            while (w - 2 * px - size * n / 2 < 0) {
                if (n < 3) {
                    text.clear();
                    return { 0, 0 };
                }
                if (n <= 4)
                    text.resize(FirstCharacterLength(text));
                else
                    ShortenWithDots(text);
                shortened = true;
                n = static_cast<int64_t>(text.size());
            }
        }

        const CharacterCounts counts = CountCharacters(text);
        const int64_t units = counts.single + 2 * counts.pairs;
        const bool one_character = n == 1 || (n == 2 && platform::IsGbkLeadByte(text[0]));
        int64_t margin = std::max(px, (w - size * n / 2) / (units + 2));
        int64_t y = (h - size) / 2;
        int64_t spacing = (one_character || units == 0) ? 0 : (w - 2 * margin - size * n / 2) / units;
        int64_t second_line = 0;
        int64_t x = (w - spacing * units - size * n / 2) / 2;

        if (IsOnlyPairs(text) && n % 4 == 0 && !shortened && fixed == 0) {
            int64_t s2 = given_px != 0 ? (w - 2 * given_px) * 4 / n : w * 2 / (n / 2 + 2);
            const int64_t t2 = given_py != 0 ? (h - 2 * given_py) / 2 : h / 3;
            s2 = std::min(s2, t2);
            if (given_px == 0)
                px = s2 / 2;
            if (s2 >= size) {
                size = Even(s2);
                const int64_t k = 2 * counts.pairs - 2;
                margin = std::max(px, (w - size * n / 4) / (k / 2 + 2));
                y = std::max(given_py, (h - 2 * size) / 3);
                spacing = (n > 4 && k / 2 != 0) ? (w - 2 * margin - size * n / 4) / (k / 2) : 0;
                second_line = h - 2 * y - 2 * size;
                x = (w - spacing * k / 2 - size * n / 4) / 2;
            }
        }

        if (size < minimum && n >= 5 && fixed == 0) {
            ShortenWithDots(text);
            shortened = true;
            continue;
        }
        out.size = Narrow(size);
        out.spacing = Narrow(spacing);
        out.second_line_offset = Narrow(second_line);
        out.x_offset = Narrow(x);
        return { Narrow(x), Narrow(y) };
    }
}

} // namespace engine

#include "engine/media/TextTag.h"

namespace engine {

size_t FindTextTagEnd(std::string_view text, size_t open)
{
    const size_t last = open + TEXT_TAG_MAX_LENGTH + 1;
    for (size_t i = open + 1; i < text.size() && i <= last; ++i) {
        if (text[i] == '\0')
            return std::string_view::npos;
        if (text[i] == '>')
            return i;
    }
    return std::string_view::npos;
}

std::vector<TextTagPair> SplitTextTag(std::string_view tag)
{
    std::vector<TextTagPair> pairs;
    size_t i = 0;
    while (i < tag.size()) {
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == ';'))
            ++i;
        if (i >= tag.size())
            break;
        const size_t name_start = i;
        while (i < tag.size() && tag[i] != ' ' && tag[i] != '=' && tag[i] != ';')
            ++i;
        TextTagPair pair;
        pair.name = tag.substr(name_start, i - name_start);
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '='))
            ++i;
        const size_t value_start = i;
        while (i < tag.size() && tag[i] != ';')
            ++i;
        pair.value = tag.substr(value_start, i - value_start);
        pairs.push_back(pair);
    }
    return pairs;
}

std::string_view TextTagScriptName(std::string_view tag)
{
    return tag.substr(0, tag.find(':'));
}

} // namespace engine

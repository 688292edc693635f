#include "engine/core/TagValue.h"

#include "engine/core/EngineText.h"

namespace engine {

int32_t CTagValue::ToInt() const
{
    return ParseInt(m_text);
}

int32_t CTagValue::ToBool() const
{
    if (m_text == "TRUE")
        return 1;
    if (m_text == "FALSE")
        return 0;
    return ToInt();
}

size_t ParseValueList(std::string_view text, std::vector<CTagValue>& list)
{
    if (text.empty())
        return 0;
    std::vector<std::string> pieces;
    SplitString(text, pieces);
    for (auto& piece : pieces)
        list.emplace_back(std::move(piece), CTagValue::TYPE_TEXT, 0);
    return list.size();
}

} // namespace engine

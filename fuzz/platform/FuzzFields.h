#pragma once
// Splitting a fuzz input into fields: the text up to the next separator is
// taken and the rest stays (empty once no separator is left).

#include <string_view>

namespace fuzzfields {

inline std::string_view TakeField(std::string_view& rest, char separator)
{
    const size_t end = rest.find(separator);
    const std::string_view field = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return field;
}

} // namespace fuzzfields

#pragma once
// CTagValue: a text value with a type byte and a second byte, as the skin and
// settings lists carry them; ParseValueList cuts a comma list into values.
//
// Owner: whoever holds it (value type). Any thread.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class CTagValue {
public:
    static constexpr uint8_t TYPE_TEXT = 5; ///< A plain text value.

    CTagValue() = default;
    explicit CTagValue(std::string text, uint8_t type = TYPE_TEXT, uint8_t extra = 0)
        : m_text(std::move(text)), m_type(type), m_extra(extra) {}

    void SetType(uint8_t type, uint8_t extra) { m_type = type; m_extra = extra; }
    [[nodiscard]] uint8_t GetType() const { return m_type; }
    [[nodiscard]] uint8_t GetExtra() const { return m_extra; }
    [[nodiscard]] const std::string& ToString() const { return m_text; }
    /// atoi of the text.
    [[nodiscard]] int32_t ToInt() const;
    /// "TRUE" gives 1, "FALSE" gives 0 (exact, case-sensitive), else ToInt.
    [[nodiscard]] int32_t ToBool() const;

private:
    std::string m_text;
    uint8_t m_type { 0 };
    uint8_t m_extra { 0 };
};

/// Cuts text at ',' as SplitString does and appends each piece as a text
/// value. Returns the number of values in the list (0 for an empty text).
size_t ParseValueList(std::string_view text, std::vector<CTagValue>& list);

} // namespace engine

// Compares the client's GBK texts with the UTF-8 texts written in the tests.
#pragma once

#include <string>

#include "platform/Text.h"

namespace client_test {

/// A GBK text of the program as UTF-8.
inline std::string Utf8(const std::string& gbk)
{
    return platform::GbkToUtf8(gbk).value_or("<not GBK>");
}

/// A u8 literal of a test as a narrow string.
inline std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

} // namespace client_test

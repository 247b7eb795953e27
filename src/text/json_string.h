#pragma once

#include <string>
#include <string_view>

namespace mivex::text {

// A JSON string literal, quotes included, holding the text unit for unit:
// characters as UTF-8, quote and backslash escaped, control characters and
// unpaired surrogates as \uXXXX so nothing is lost or replaced.
[[nodiscard]] std::string JsonString(std::u16string_view utf16);

}  // namespace mivex::text

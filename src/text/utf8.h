#pragma once

// The program keeps text as UTF-16; files, command lines and JSON are UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace mivex::text {

// The UTF-16 of UTF-8 bytes, or nothing when they are not valid UTF-8
// (overlong forms, encoded surrogates and truncated sequences included).
[[nodiscard]] std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);

// The UTF-8 of UTF-16 text. An unpaired surrogate cannot be written in UTF-8 and
// becomes U+FFFD; callers that must keep every unit use JsonString instead.
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace mivex::text

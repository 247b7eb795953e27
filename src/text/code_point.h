#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace mivex::text {

// One step through UTF-16: the character at an index and how many units it
// takes. An unpaired surrogate has no character; each writer decides what to
// put in its place.
struct CodePointAt {
    std::optional<char32_t> codePoint;
    std::size_t units = 1;
};

[[nodiscard]] constexpr bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

[[nodiscard]] constexpr bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

[[nodiscard]] constexpr CodePointAt ReadCodePoint(std::u16string_view utf16, std::size_t index) {
    const char16_t unit = utf16[index];
    if (IsHighSurrogate(unit) && index + 1 < utf16.size() && IsLowSurrogate(utf16[index + 1])) {
        return {0x10000 + ((unit - 0xD800u) << 10) + (utf16[index + 1] - 0xDC00u), 2};
    }
    if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
        return {std::nullopt, 1};
    }
    return {unit, 1};
}

}  // namespace mivex::text

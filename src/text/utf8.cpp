#include "text/utf8.h"

#include <utf8.h>

#include <cstdint>
#include <iterator>

namespace mivex::text {

namespace {

constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

[[nodiscard]] bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
[[nodiscard]] bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8) {
    // is_valid refuses overlong forms, encoded surrogates, truncated sequences
    // and code points above U+10FFFF, so the conversion below cannot throw.
    if (!utf8::is_valid(utf8.begin(), utf8.end())) {
        return std::nullopt;
    }
    std::u16string utf16;
    utf16.reserve(utf8.size());
    utf8::unchecked::utf8to16(utf8.begin(), utf8.end(), std::back_inserter(utf16));
    return utf16;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    // utf8::utf16to8 throws on an unpaired surrogate; walking the units here
    // lets each one become U+FFFD instead while valid pairs stay one character.
    std::string utf8;
    utf8.reserve(utf16.size());
    auto output = std::back_inserter(utf8);
    for (std::size_t index = 0; index < utf16.size(); ++index) {
        const char16_t unit = utf16[index];
        std::uint32_t codePoint = unit;
        if (IsHighSurrogate(unit) && index + 1 < utf16.size() && IsLowSurrogate(utf16[index + 1])) {
            codePoint = 0x10000 + ((unit - 0xD800u) << 10) + (utf16[index + 1] - 0xDC00u);
            ++index;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            codePoint = kReplacementCharacter;
        }
        output = utf8::unchecked::append(codePoint, output);
    }
    return utf8;
}

}  // namespace mivex::text

#include "text/utf8.h"

#include <utf8.h>

#include <cstdint>
#include <iterator>

#include "text/code_point.h"

namespace mivex::text {

namespace {

constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

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
    for (std::size_t index = 0; index < utf16.size();) {
        const CodePointAt next = ReadCodePoint(utf16, index);
        output = utf8::unchecked::append(next.codePoint.value_or(kReplacementCharacter), output);
        index += next.units;
    }
    return utf8;
}

}  // namespace mivex::text

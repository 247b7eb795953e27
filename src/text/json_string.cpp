#include "text/json_string.h"

#include <utf8.h>

#include <cstdint>
#include <iterator>

namespace mivex::text {

namespace {

[[nodiscard]] bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
[[nodiscard]] bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// C0 controls must be escaped in JSON; DEL is escaped too so a terminal never
// sees it raw.
[[nodiscard]] bool IsControl(char16_t unit) {
    return unit <= 0x1F || unit == 0x7F;
}

void AppendUnitEscape(std::string& json, char16_t unit) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    json += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        json += kHexDigits[(unit >> shift) & 0xF];
    }
}

}  // namespace

std::string JsonString(std::u16string_view utf16) {
    std::string json;
    json.reserve(utf16.size() + 2);
    json += '"';
    for (std::size_t index = 0; index < utf16.size(); ++index) {
        const char16_t unit = utf16[index];
        if (unit == u'"' || unit == u'\\') {
            json += '\\';
            json += static_cast<char>(unit);
        } else if (IsControl(unit)) {
            AppendUnitEscape(json, unit);
        } else if (IsHighSurrogate(unit) && index + 1 < utf16.size() &&
                   IsLowSurrogate(utf16[index + 1])) {
            const std::uint32_t codePoint =
                0x10000 + ((unit - 0xD800u) << 10) + (utf16[index + 1] - 0xDC00u);
            utf8::unchecked::append(codePoint, std::back_inserter(json));
            ++index;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            // A lone surrogate has no UTF-8 form; the escape keeps the unit as it was.
            AppendUnitEscape(json, unit);
        } else {
            utf8::unchecked::append(unit, std::back_inserter(json));
        }
    }
    json += '"';
    return json;
}

}  // namespace mivex::text

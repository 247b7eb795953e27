#include "text/json_string.h"

#include <utf8.h>

#include <cstdint>
#include <iterator>

#include "text/code_point.h"

namespace mivex::text {

namespace {

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
    for (std::size_t index = 0; index < utf16.size();) {
        const char16_t unit = utf16[index];
        const CodePointAt next = ReadCodePoint(utf16, index);
        index += next.units;
        if (unit == u'"' || unit == u'\\') {
            json += '\\';
            json += static_cast<char>(unit);
        } else if (IsControl(unit) || !next.codePoint) {
            // A lone surrogate has no UTF-8 form; the escape keeps the unit as it was.
            AppendUnitEscape(json, unit);
        } else {
            utf8::unchecked::append(*next.codePoint, std::back_inserter(json));
        }
    }
    json += '"';
    return json;
}

}  // namespace mivex::text

#pragma once

// Status texts with a decimal count inside, as printf's "%d" would write it.

#include <string>
#include <string_view>

namespace mivex::transfer {

[[nodiscard]] inline std::u16string WithNumber(std::u16string_view before, int number,
                                               std::u16string_view after = {}) {
    std::u16string text(before);
    for (const char digit : std::to_string(number)) {
        text.push_back(static_cast<char16_t>(digit));
    }
    text.append(after);
    return text;
}

}  // namespace mivex::transfer

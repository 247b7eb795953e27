#pragma once

// The UTF-8 texts of the encode command turned into the UTF-16 the codec takes,
// with the filter and limits the program applies before it sends.

#include <string>
#include <string_view>

namespace mivex::tools {

struct CheckedArgument {
    std::u16string value;  // filtered for numbers; meaningful only when ok()
    std::string problem;   // one line naming what was wrong

    [[nodiscard]] bool ok() const { return problem.empty(); }
};

// The recipient after FilterDialChars, at most 99 characters; refused when
// the number as given holds a letter or other character the filter would
// drop, or no digit.
[[nodiscard]] CheckedArgument CheckRecipient(std::string_view utf8);

// The service centre after FilterDialChars: "+" and at least one more
// character, at most 99 characters in all.
[[nodiscard]] CheckedArgument CheckServiceCentre(std::string_view utf8);

// Any valid UTF-8 of at most 9999 UTF-16 units; empty is allowed.
[[nodiscard]] CheckedArgument CheckMessageText(std::string_view utf8);

}  // namespace mivex::tools

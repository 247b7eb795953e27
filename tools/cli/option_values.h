#pragma once

// A setting's value as typed on the command line, checked against what the
// option dialogs could have stored, so that the phone link and the sending
// run only ever meet values they know.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "options/option_ids.h"

namespace mivex::tools {

struct CheckedOptionValue {
    std::variant<std::int32_t, std::u16string> value;  // meaningful only when ok()
    std::string problem;                               // one line naming what was wrong

    [[nodiscard]] bool ok() const { return problem.empty(); }
};

// Numeric settings take a decimal integer in their range: the on/off settings
// (GsmAlphabetOnly among them) and NameOrder 0-1, ValidityPeriod 0-3, StopBits and FlowControl 0-2,
// DataBits 5-8, BaudRate from 1 (a line speed the port cannot take leaves the
// port's own speed). Text settings take valid UTF-8 of at most 99 UTF-16 units,
// the longest the store reads back.
[[nodiscard]] CheckedOptionValue CheckOptionValue(options::Option option, std::string_view text);

}  // namespace mivex::tools

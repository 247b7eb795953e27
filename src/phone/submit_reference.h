#pragma once

// The message reference a phone gives a message it sent: "+CMGS: <mr>" in
// its answer to AT+CMGS. A delivery report names the message by it.

#include <cstdint>
#include <optional>
#include <string_view>

namespace mivex::phone {

struct SubmitAnswer {
    bool accepted = false;  // the phone answered OK after its "+CMGS:" line
    // TP-MR, when the result line held one. A phone that gives none still
    // sent the message; only its report cannot be matched.
    std::optional<std::uint8_t> messageReference;
};

// "+CMGS: <mr>": the decimal number after the colon and any spaces, 0 to
// 255, ended by the line's end or a comma (some phones add the service
// centre's time stamp). Nothing for a missing line, no digits, more than
// three digits or a value above 255.
[[nodiscard]] std::optional<std::uint8_t> ParseSubmitReference(std::string_view answer);

}  // namespace mivex::phone

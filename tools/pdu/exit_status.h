#pragma once

// What mivex-pdu tells the script that called it.

#include <string_view>

namespace mivex::tools {

enum class ExitStatus : int {
    Success = 0,
    NotStored = 1,   // a well-formed hex PDU that the decoder would not store
    UsageError = 2,  // bad arguments, hex text or numbers: nothing was decoded or encoded
};

// Every line on stderr starts with this, so a script's log shows who wrote it.
inline constexpr std::string_view kMessagePrefix = "mivex-pdu: ";

}  // namespace mivex::tools

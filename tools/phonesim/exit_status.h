#pragma once

// What mivex-phonesim tells the script that started it.

#include <string_view>

namespace mivex::tools {

enum class PhonesimExit : int {
    Success = 0,     // stopped by a signal, or the line was cut as asked
    NoTerminal = 1,  // no pseudo-terminal, or it failed while running
    UsageError = 2,  // bad arguments, store files, sent log, dump or link
};

// Every line on stderr starts with this.
inline constexpr std::string_view kMessagePrefix = "mivex-phonesim: ";

}  // namespace mivex::tools

#pragma once

// What mivex-cli tells the script that called it.

#include <ostream>
#include <string_view>

namespace mivex::tools {

enum class ExitStatus : int {
    Success = 0,     // the run completed, whatever it found
    Failed = 1,      // no connection, nothing sent, a refusal, a store that cannot be opened
    UsageError = 2,  // bad arguments: nothing was done
};

// Every line on stderr starts with this, so a script's log shows who wrote it.
inline constexpr std::string_view kMessagePrefix = "mivex-cli: ";

// Shown on stderr after a usage error.
inline constexpr std::string_view kShortUsage =
    "Usage: mivex-cli [--data-dir DIR] [--port PORT] [--trace] COMMAND ...\n"
    "Commands: receive | send | queue --to ENTRY [--to ENTRY ...] TEXT |\n"
    "          list inbox|outbox|sent | export FILE | options get NAME |\n"
    "          options set NAME VALUE | clear-database --yes\n"
    "Run 'mivex-cli COMMAND --help' for a command's usage.\n";

// Tells what was wrong with the arguments, then the short usage.
inline ExitStatus UsageError(std::ostream& err, std::string_view problem) {
    err << kMessagePrefix << problem << '\n' << kShortUsage;
    return ExitStatus::UsageError;
}

}  // namespace mivex::tools

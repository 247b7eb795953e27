#pragma once

// Splitting of an AT command line (V.250) into its commands: "ATE0V1" is two
// basic commands, "AT+CMGF=0;+CSCS?" two extended ones.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mivex::phonesim {

enum class CommandForm {
    Action,  // "+CGMI", "Z"
    Read,    // "+CPMS?"
    Test,    // "+CPMS=?"
    Set,     // "+CMGR=3", "E0"
};

struct AtCommand {
    std::string name;  // "+CMGR", "E", "&F", "S0"
    CommandForm form = CommandForm::Action;
    std::string arguments;  // after "=", or the digits of a basic command

    friend bool operator==(const AtCommand&, const AtCommand&) = default;
};

struct Argument {
    std::string text;  // without its quotes
    bool quoted = false;
};

// The line as commands compare it: letters outside double quotes in upper
// case and blanks outside quotes dropped, quoted text kept as sent.
[[nodiscard]] std::string NormaliseCommandLine(std::string_view line);

// The commands of a normalised line after its "AT"; nothing for a syntax error.
[[nodiscard]] std::optional<std::vector<AtCommand>> SplitCommands(std::string_view body);

// The comma-separated arguments of a set command; nothing when a quote is not closed.
[[nodiscard]] std::optional<std::vector<Argument>> SplitArguments(std::string_view arguments);

// A decimal argument in [low, high], unquoted.
[[nodiscard]] std::optional<int> NumberArgument(const Argument& argument, int low, int high);

}  // namespace mivex::phonesim

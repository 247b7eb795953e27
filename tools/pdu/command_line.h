#pragma once

// The arguments of mivex-pdu and their declaration to CLI11.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

namespace mivex::tools {

enum class Command { None, Decode, Encode };

struct DecodeArguments {
    std::string hex;
};

// Texts as given on the command line: UTF-8, not yet checked.
struct EncodeArguments {
    std::string recipient;
    std::optional<std::string> serviceCentre;  // none: the phone's own centre
    int validityChoice = 0;                    // 0 1 hour, 1 12 hours, 2 1 day, 3 1 week
    bool statusReport = false;
    bool replyPath = false;
    int concatRef = 0;
    bool gsmOnly = false;  // every character in the GSM alphabet, "?" for the rest
    std::string text;
};

struct ToolArguments {
    Command command = Command::None;
    DecodeArguments decode;
    EncodeArguments encode;
};

// Declares both commands on `app`; a successful parse fills `arguments`, which
// must outlive `app`.
void DefineCommandLine(CLI::App& app, ToolArguments& arguments);

}  // namespace mivex::tools

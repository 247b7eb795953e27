// mivex-pdu: the PDU codec of Mivex on the command line.
//
//   mivex-pdu decode HEX
//   mivex-pdu encode --to NUMBER [--sc NUMBER] [--validity 0-3] [--status-report]
//                    [--reply-path] [--gsm-only] [--concat-ref N] [--] TEXT

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <string>

#include "command_line.h"
#include "decode_command.h"
#include "encode_command.h"
#include "exit_status.h"

namespace {

using mivex::tools::Command;
using mivex::tools::ExitStatus;

// Scripts read stderr line by line, so a parse error never spans two lines.
[[nodiscard]] std::string OneLine(std::string message) {
    std::replace(message.begin(), message.end(), '\n', ' ');
    return message;
}

[[nodiscard]] ExitStatus RunCommand(const mivex::tools::ToolArguments& arguments) {
    switch (arguments.command) {
        case Command::Decode:
            return mivex::tools::RunDecode(arguments.decode.hex, std::cout, std::cerr);
        case Command::Encode:
            return mivex::tools::RunEncode(arguments.encode, std::cout, std::cerr);
        case Command::None:
            break;
    }
    std::cerr << mivex::tools::kMessagePrefix << "no command given\n";
    return ExitStatus::UsageError;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app;
    mivex::tools::ToolArguments arguments;
    mivex::tools::DefineCommandLine(app, arguments);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        // help() shows the chosen command's help when one was named.
        std::cout << app.help();
        return static_cast<int>(ExitStatus::Success);
    } catch (const CLI::CallForAllHelp&) {
        std::cout << app.help("", CLI::AppFormatMode::All);
        return static_cast<int>(ExitStatus::Success);
    } catch (const CLI::ParseError& error) {
        std::cerr << mivex::tools::kMessagePrefix << OneLine(error.what()) << '\n';
        return static_cast<int>(ExitStatus::UsageError);
    }
    return static_cast<int>(RunCommand(arguments));
}

// mivex-cli: Mivex from the command line, for scripts and for machines without
// a desktop.
//
//   mivex-cli [--data-dir DIR] [--port PORT] [--trace] COMMAND ...
//
//   receive | send | queue --to ENTRY [--to ENTRY ...] TEXT | list inbox|outbox|sent |
//   export FILE | options get NAME | options set NAME VALUE | clear-database --yes | ports

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <string>

#include "command_line.h"
#include "exit_status.h"
#include "message_commands.h"
#include "modem/mm_modem_directory.h"
#include "modem/modem_port.h"
#include "option_commands.h"
#include "options/port_list.h"
#include "platform/paths.h"
#include "text/utf8.h"
#include "transfer_commands.h"

namespace {

using mivex::tools::Command;
using mivex::tools::ExitStatus;

// Scripts read stderr line by line, so a parse error never spans two lines.
[[nodiscard]] std::string OneLine(std::string message) {
    std::replace(message.begin(), message.end(), '\n', ' ');
    return message;
}

[[nodiscard]] ExitStatus RunCommand(const mivex::tools::CliArguments& arguments) {
    namespace tools = mivex::tools;
    const tools::SessionArguments& session = arguments.session;
    switch (arguments.command) {
        case Command::Receive:
            return tools::RunReceive(session, std::cout, std::cerr);
        case Command::Send:
            return tools::RunSend(session, std::cout, std::cerr);
        case Command::Watch:
            return tools::RunWatch(session, arguments.onReceive, std::cout, std::cerr);
        case Command::Queue:
            return tools::RunQueue(session, arguments.recipients, arguments.text, std::cout,
                                   std::cerr);
        case Command::List:
            return tools::RunList(session, arguments.folder, std::cout, std::cerr);
        case Command::Export:
            return tools::RunExport(session, arguments.exportFile, std::cout, std::cerr);
        case Command::OptionsGet:
            return tools::RunOptionsGet(session, arguments.optionName, std::cout, std::cerr);
        case Command::OptionsSet:
            return tools::RunOptionsSet(session, arguments.optionName, arguments.optionValue,
                                        std::cerr);
        case Command::ClearDatabase:
            return tools::RunClearDatabase(session, std::cout, std::cerr);
        case Command::Ports: {
            // What the General options list: the modems ModemManager has
            // offered, and the serial ports they hold marked.
            const std::vector<mivex::platform::ManagedModem> modems =
                mivex::modem::MmModemDirectory().ListModems();
            std::vector<std::u16string> entries =
                mivex::modem::MergeModemPorts(mivex::options::ListPorts(), modems);
            mivex::options::MarkHeldPorts(entries, modems);
            for (const std::u16string& entry : entries)
                std::cout << mivex::text::Utf16ToUtf8(entry) << '\n';
            return ExitStatus::Success;
        }
        case Command::None:
            break;
    }
    return tools::UsageError(std::cerr, "no command given");
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app;
    mivex::tools::CliArguments arguments;
    arguments.session.dataDirectory = mivex::platform::DefaultDataDirectory();
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
        return static_cast<int>(mivex::tools::UsageError(std::cerr, OneLine(error.what())));
    }
    return static_cast<int>(RunCommand(arguments));
}

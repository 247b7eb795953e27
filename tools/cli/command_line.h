#pragma once

// The arguments of mivex-cli and their declaration to CLI11.

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mivex::tools {

enum class Command {
    None,
    Receive,
    Send,
    Queue,
    List,
    Export,
    OptionsGet,
    OptionsSet,
    ClearDatabase,
    Ports,
    Watch,
};

// What every command may need: where the store is and how to reach the phone.
struct SessionArguments {
    std::filesystem::path dataDirectory;
    std::optional<std::string> port;               // replaces the Port option for this run
    bool trace = false;                            // trace mode for this run
    std::optional<std::filesystem::path> pinFile;  // the SIM PIN, when no terminal is there
};

// Texts as given on the command line: UTF-8, not yet checked.
struct CliArguments {
    SessionArguments session;
    Command command = Command::None;
    std::vector<std::string> recipients;  // queue: one recipient entry each
    std::string text;                     // queue
    std::string folder;                   // list: inbox, outbox or sent
    std::filesystem::path exportFile;
    std::string optionName;
    std::string optionValue;
    bool confirmed = false;  // clear-database --yes
    std::string onReceive;   // watch: a program run for each new message
};

// Declares every command on `app`; a successful parse fills `arguments`, which
// must outlive `app`. `arguments.session.dataDirectory` is the default shown.
void DefineCommandLine(CLI::App& app, CliArguments& arguments);

}  // namespace mivex::tools

#include "command_line.h"

namespace mivex::tools {

namespace {

// Marks the command chosen; the callback of a subcommand runs only when it was named.
void Choose(CLI::App* subcommand, CliArguments& arguments, Command command) {
    subcommand->callback([&arguments, command] { arguments.command = command; });
}

void DefineTransfers(CLI::App& app, CliArguments& arguments) {
    CLI::App* receive = app.add_subcommand(
        "receive",
        "Read every message on the phone and its SIM into the Inbox, join long messages, "
        "drop repeated copies and name the senders from the contacts.");
    receive->footer("Exit status: 0 done, 1 no connection or no store.");
    Choose(receive, arguments, Command::Receive);

    CLI::App* send = app.add_subcommand(
        "send", "Send every message in the Outbox through the phone and file each one sent.");
    send->footer(
        "Exit status: 0 all or some sent, or the Outbox is empty; 1 nothing sent, no connection "
        "or no store.");
    Choose(send, arguments, Command::Send);

    CLI::App* watch = app.add_subcommand(
        "watch",
        "Keep the phone's port open: receive everything, then store each new message as the "
        "phone announces it, with a full receive every 10 minutes, and send what is queued in "
        "the Outbox as it is queued. A phone that goes away is tried again after a pause "
        "growing to a minute. Runs until SIGTERM or Ctrl-C, which end it after the step under "
        "way.");
    watch
        ->add_option("--on-receive", arguments.onReceive,
                     "Run PROGRAM (no shell) for each new message, with MIVEX_SENDER, MIVEX_NAME, "
                     "MIVEX_TIME and MIVEX_TEXT in its environment.")
        ->type_name("PROGRAM");
    watch->footer("Exit status: 0 stopped when asked; 1 no store.");
    Choose(watch, arguments, Command::Watch);
}

void DefineMessages(CLI::App& app, CliArguments& arguments) {
    CLI::App* queue = app.add_subcommand(
        "queue", "Put a message into the Outbox, one message per recipient, to send later.");
    queue
        ->add_option("--to", arguments.recipients,
                     "A recipient: a number, or \"name,number\". Repeat for more recipients.")
        ->required()
        ->type_name("ENTRY");
    queue
        ->add_option("TEXT", arguments.text,
                     "Message text in UTF-8, at most 9999 characters; put \"--\" before a text "
                     "that begins with \"-\".")
        ->required()
        ->type_name("");
    queue->footer("Exit status: 0 queued, 1 refused (the reason on stderr) or no store.");
    Choose(queue, arguments, Command::Queue);

    CLI::App* list = app.add_subcommand(
        "list",
        "Print the messages of a folder, newest first: time, number, name and text, "
        "tab-separated, one line each; for sent, a last column says where the delivery "
        "report stands (\"delivered 2026-12-06 14:03\", \"waiting\", \"failed: reason\", or "
        "empty when no report was asked for).");
    list->add_option("FOLDER", arguments.folder, "inbox, outbox or sent.")
        ->required()
        ->check(CLI::IsMember({"inbox", "outbox", "sent"}))
        ->type_name("");
    list->footer("Exit status: 0 listed, 1 no store.");
    Choose(list, arguments, Command::List);

    CLI::App* exportCommand = app.add_subcommand(
        "export", "Write the Inbox and Sent messages to FILE as tab-separated UTF-16 text.");
    exportCommand->add_option("FILE", arguments.exportFile, "The file to write or replace.")
        ->required()
        ->type_name("");
    exportCommand->footer("Exit status: 0 written, 1 the file or the store failed.");
    Choose(exportCommand, arguments, Command::Export);

    CLI::App* clear = app.add_subcommand(
        "clear-database", "Delete every message and every setting: the whole store file.");
    clear->add_flag("--yes", arguments.confirmed, "Really delete them; required.")->required();
    clear->footer("Exit status: 0 cleared, 1 the file could not be deleted.");
    Choose(clear, arguments, Command::ClearDatabase);

    CLI::App* ports = app.add_subcommand(
        "ports", "List the ports and ModemManager modems --port and the Port setting take.");
    ports->footer(
        "One entry a line, as General options lists them; the part up to the first "
        "colon is what is opened. Exit status: 0.");
    Choose(ports, arguments, Command::Ports);
}

void DefineOptions(CLI::App& app, CliArguments& arguments) {
    CLI::App* options = app.add_subcommand("options", "Read or change one setting by its name.");
    options->require_subcommand(1);
    options->footer(
        "Settings: UsePhoneServiceCentre DeleteAfterReceive ShowAllContactNumbers SoundsOff "
        "ValidityPeriod StatusReport ReplyPath ServiceCentre NameOrder RemoveNumberTag Port "
        "BaudRate DataBits StopBits FlowControl Category GsmAlphabetOnly.");

    CLI::App* get = options->add_subcommand(
        "get", "Print a setting's stored value (0 or an empty line when it was never set).");
    get->add_option("NAME", arguments.optionName, "The setting, e.g. BaudRate.")
        ->required()
        ->type_name("");
    get->footer("Exit status: 0 printed, 1 no store, 2 no such setting.");
    Choose(get, arguments, Command::OptionsGet);

    CLI::App* set = options->add_subcommand("set", "Store a setting.");
    set->add_option("NAME", arguments.optionName, "The setting, e.g. Port.")
        ->required()
        ->type_name("");
    set->add_option("VALUE", arguments.optionValue,
                    "A number for a numeric setting, else a text of at most 99 characters.")
        ->required()
        ->type_name("");
    set->footer(
        "Numbers are checked as the option dialogs would allow them: the on/off settings and "
        "NameOrder 0-1, ValidityPeriod 0-3, StopBits 0-2, FlowControl 0-2, DataBits 5-8, "
        "BaudRate above 0.\nExit status: 0 stored, 1 no store, 2 bad name or value.");
    Choose(set, arguments, Command::OptionsSet);
}

}  // namespace

void DefineCommandLine(CLI::App& app, CliArguments& arguments) {
    app.name("mivex-cli");
    app.description(
        "Mivex from the command line: receive and send text messages through a GSM phone on a "
        "serial line, and work with the message store.");
    app.require_subcommand(1);
    SessionArguments& session = arguments.session;
    app.add_option("--data-dir", session.dataDirectory, "Where the store and contacts are.")
        ->type_name("DIR")
        ->capture_default_str();
    app.add_option("--port", session.port,
                   "The phone's port for this run instead of the Port setting, e.g. /dev/ttyUSB0.")
        ->type_name("PORT");
    app.add_flag("--trace", session.trace,
                 "Trace mode for this run: every byte to and from the phone in MXdebug.txt in "
                 "the data directory.");
    app.add_option("--pin-file", session.pinFile,
                   "Where to read the SIM card's PIN, when it asks for one and no terminal is "
                   "there to type it: a file of your own that only you can read (chmod 600).")
        ->type_name("FILE");
    app.footer(
        "Progress texts go to stdout, one line each; refusals and failures to stderr.\n"
        "Exit status: 0 done, 1 failed, 2 usage error.");
    DefineTransfers(app, arguments);
    DefineMessages(app, arguments);
    DefineOptions(app, arguments);
}

}  // namespace mivex::tools

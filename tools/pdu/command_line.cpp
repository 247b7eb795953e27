#include "command_line.h"

namespace mivex::tools {

namespace {

void DefineDecode(CLI::App& app, ToolArguments& arguments) {
    CLI::App* decode =
        app.add_subcommand("decode",
                           "Decode an SMS-DELIVER or SMS-STATUS-REPORT PDU and print it as "
                           "one line of JSON; its \"type\" says which it is.");
    decode
        ->add_option("HEX", arguments.decode.hex,
                     "The PDU as AT+CMGR prints it: service-centre field first, "
                     "hex digits in either case.")
        ->required()
        ->type_name("");
    decode->footer(
        "Exit status: 0 decoded, 1 not a PDU the receive run would store or record, 2 not "
        "hex text.");
    decode->callback([&arguments] { arguments.command = Command::Decode; });
}

void DefineEncode(CLI::App& app, ToolArguments& arguments) {
    EncodeArguments& encode = arguments.encode;
    CLI::App* command = app.add_subcommand(
        "encode", "Encode a text as the SMS-SUBMIT PDUs AT+CMGS is given, one line each.");
    command->add_option("--to", encode.recipient, "Recipient number.")
        ->required()
        ->type_name("NUMBER");
    command
        ->add_option("--sc", encode.serviceCentre,
                     "Service-centre number, international (\"+\" first). "
                     "Without it the phone uses its own centre.")
        ->type_name("NUMBER");
    command
        ->add_option("--validity", encode.validityChoice,
                     "Validity period: 0 1 hour (default), 1 12 hours, 2 1 day, 3 1 week.")
        ->check(CLI::Range(0, 3).description(""))
        ->type_name("0-3");
    command->add_flag("--status-report", encode.statusReport, "Ask for a status report.");
    command->add_flag("--reply-path", encode.replyPath, "Set the reply path.");
    command->add_flag("--gsm-only", encode.gsmOnly,
                      "Send in the GSM alphabet alone, 160 characters a message, any other "
                      "character as \"?\" (the GsmAlphabetOnly setting). Without it a text the "
                      "GSM alphabet cannot carry goes in UCS2.");
    command
        ->add_option("--concat-ref", encode.concatRef,
                     "Reference carried by the segments of a text too long for one message; "
                     "default 0.")
        ->check(CLI::Range(0, 255).description(""))
        ->type_name("0-255");
    command
        ->add_option("TEXT", encode.text,
                     "Message text in UTF-8, at most 9999 characters; put \"--\" "
                     "before a text that begins with \"-\".")
        ->required()
        ->type_name("");
    command->footer(
        "Output: LENGTH HEX per PDU, LENGTH being the octets after the service-centre "
        "field.\nExit status: 0 encoded, 2 bad arguments.");
    command->callback([&arguments] { arguments.command = Command::Encode; });
}

}  // namespace

void DefineCommandLine(CLI::App& app, ToolArguments& arguments) {
    app.name("mivex-pdu");
    app.description(
        "Decode SMS-DELIVER and SMS-STATUS-REPORT PDUs and encode SMS-SUBMIT PDUs as the "
        "Mivex SMS client does.");
    app.require_subcommand(1);
    DefineDecode(app, arguments);
    DefineEncode(app, arguments);
}

}  // namespace mivex::tools

#include "command_line.h"

#include <utility>

#include "phonesim/store_file.h"

namespace mivex::tools {
namespace {

using phonesim::FaultKind;

// A phone number as a phone stores it: digits, "*" and "#", an optional "+"
// first, at most 20 digits (the longest address field).
bool IsPhoneNumber(std::string_view number) {
    const std::string_view digits = number.starts_with('+') ? number.substr(1) : number;
    return !digits.empty() && digits.size() <= 20 &&
           digits.find_first_not_of("0123456789*#") == std::string_view::npos;
}

struct FaultOption {
    FaultKind kind;
    const std::vector<std::string>* requests;
};

// The SIM card: locked with a PIN, or missing.
void DefineSimOptions(CLI::App& app, PhonesimArguments& arguments) {
    const std::string sim = "SIM card";
    app.add_option("--pin", arguments.pin,
                   "Lock the SIM with this PIN (4 to 8 digits): message commands fail until "
                   "AT+CPIN=\"CODE\"; three wrong PINs block it (SIM PUK).")
        ->group(sim)
        ->check([](const std::string& pin) {
            const bool digits = pin.size() >= 4 && pin.size() <= 8 &&
                                pin.find_first_not_of("0123456789") == std::string::npos;
            return digits ? std::string() : std::string("a PIN is 4 to 8 digits");
        })
        ->type_name("CODE");
    app.add_flag("--no-sim", arguments.noSim,
                 "No SIM card: AT+CPIN? and message commands fail with \"SIM not inserted\".")
        ->group(sim)
        ->excludes("--pin");
}

void DefineReportOptions(CLI::App& app, PhonesimArguments& arguments) {
    const std::string reports = "Delivery reports (for messages sent with a report requested)";
    app.add_option("--report", arguments.report,
                   "What the network reports: delivered, failed (validity period expired) or "
                   "waiting-then-delivered (recipient busy, then delivered as long again "
                   "later). Each report is stored as an SMS-STATUS-REPORT in \"ME\", else "
                   "\"SM\".")
        ->check(CLI::IsMember({"delivered", "failed", "waiting-then-delivered"}))
        ->group(reports)
        ->type_name("WHAT");
    app.add_option("--report-delay", arguments.reportDelayMs,
                   "Milliseconds from the send to the report; default 0.")
        ->check(CLI::Range(0, 86400000).description(""))
        ->group(reports)
        ->type_name("MS");
}

}  // namespace

void DefineCommandLine(CLI::App& app, PhonesimArguments& arguments) {
    app.name("mivex-phonesim");
    app.description(
        "A GSM phone on a pseudo-terminal, answering AT commands in PDU mode. Prints the "
        "device path on one line and runs until SIGTERM or SIGINT. SIGUSR1 unplugs it (the "
        "device vanishes, messages from the network are still taken in), SIGUSR2 plugs it "
        "back on a new device, printed on a line of its own; --link follows it.");
    app.add_option("--link", arguments.link,
                   "Symbolic link to point at the device (removed on exit).")
        ->type_name("PATH");
    app.add_option("--me", arguments.meFile,
                   "Messages of the phone store \"ME\": one \"HEX\" or \"SLOT HEX\" a line.")
        ->type_name("FILE");
    app.add_option("--sm", arguments.smFile, "Messages of the SIM store \"SM\", in the same form.")
        ->type_name("FILE");
    app.add_option("--capacity", arguments.capacity, "Slots of each store; default 30.")
        ->check(CLI::Range(1, phonesim::kMaxCapacity).description(""))
        ->type_name("N");
    app.add_option("--baud", arguments.baudRate,
                   "Send answers no faster than this line speed, 10 bits a byte; default 0, as "
                   "fast as possible.")
        ->check(CLI::Range(0, 4000000).description(""))
        ->type_name("N");
    app.add_option(
           "--own-number", arguments.ownNumber,
           "The phone's own number: a message sent to it comes back into \"ME\", else \"SM\".")
        ->type_name("NUMBER");
    app.add_option("--service-centre", arguments.serviceCentre,
                   "What AT+CSCA? answers; default " + arguments.serviceCentre + ".")
        ->type_name("NUMBER");
    app.add_option("--sent-log", arguments.sentLog,
                   "Append \"LENGTH HEX\" for every PDU accepted with AT+CMGS.")
        ->type_name("FILE");
    app.add_option("--dump", arguments.dump,
                   "Rewrite FILE with \"STORE SLOT HEX\" lines after every change of the stores.")
        ->type_name("FILE");

    DefineReportOptions(app, arguments);
    app.add_option("--incoming", arguments.incoming,
                   "A FIFO (mkfifo) whose lines arrive as messages from the network: each line "
                   "one PDU in hex as AT+CMGR prints it, stored and announced with +CMTI when "
                   "AT+CNMI asks for that.")
        ->type_name("FIFO");

    const std::string faults =
        "Faults (COMMAND: as sent, \"AT\" optional, \"*\" any, \"PDU\" the PDU after \"> \")";
    app.add_option("--unsolicited", arguments.unsolicited,
                   "Send LINE (e.g. RING) before the answer to COMMAND.")
        ->group(faults)
        ->type_name("'COMMAND LINE'");
    app.add_option("--garbage", arguments.garbage,
                   "Send N noise bytes before the answer to COMMAND.")
        ->group(faults)
        ->type_name("'COMMAND N'");
    app.add_option("--silent", arguments.silent,
                   "Never answer COMMAND (\"*\": never answer anything).")
        ->group(faults)
        ->type_name("COMMAND");
    app.add_option("--error", arguments.error, "Answer COMMAND with ERROR.")
        ->group(faults)
        ->type_name("COMMAND");
    app.add_option("--cms-error", arguments.cmsError, "Answer COMMAND with +CMS ERROR: N.")
        ->group(faults)
        ->type_name("'COMMAND N'");
    app.add_option("--cut", arguments.cut, "Close the line after N bytes of the answer to COMMAND.")
        ->group(faults)
        ->type_name("'COMMAND N'");
    app.add_option("--late", arguments.late,
                   "Answer COMMAND N milliseconds late (a slow SIM); later answers wait behind it.")
        ->group(faults)
        ->type_name("'COMMAND N'");
    app.add_option("--refuse-cmgs", arguments.refusedSubmissions,
                   "Refuse the Nth AT+CMGS (from 1) after its PDU, as a network would.")
        ->group(faults)
        ->check(CLI::Range(1, 1000000).description(""))
        ->type_name("N");
    app.add_flag("--empty-slot-error", arguments.emptySlotError,
                 "Answer AT+CMGR of an empty slot with +CMS ERROR: 321 instead of OK.")
        ->group(faults);
    DefineSimOptions(app, arguments);
    app.footer(
        "Exit status: 0 stopped or line cut as asked, 1 no pseudo-terminal, 2 bad arguments or "
        "files.");
}

std::optional<phonesim::PhoneSetup> BuildSetup(const PhonesimArguments& arguments,
                                               std::string& error) {
    phonesim::PhoneSetup setup;
    setup.baudRate = arguments.baudRate;
    if (!arguments.ownNumber.empty() && !IsPhoneNumber(arguments.ownNumber)) {
        error = "--own-number: \"" + arguments.ownNumber + "\" is not a phone number";
        return std::nullopt;
    }
    if (!IsPhoneNumber(arguments.serviceCentre)) {
        error = "--service-centre: \"" + arguments.serviceCentre + "\" is not a phone number";
        return std::nullopt;
    }
    setup.settings.ownNumber = arguments.ownNumber;
    setup.settings.serviceCentre = arguments.serviceCentre;
    setup.settings.sim.pin = arguments.pin;
    setup.settings.sim.present = !arguments.noSim;
    if (!arguments.report.empty()) {
        const std::optional<phonesim::ReportScenario> scenario =
            phonesim::ParseReportScenario(arguments.report);
        if (!scenario) {
            error = "--report: \"" + arguments.report + "\" is not a report this phone sends";
            return std::nullopt;
        }
        setup.settings.report = {*scenario, arguments.reportDelayMs};
    }

    setup.stores.phone = phonesim::MessageStore(arguments.capacity);
    setup.stores.sim = phonesim::MessageStore(arguments.capacity);
    const std::pair<const std::string*, phonesim::MessageStore*> files[] = {
        {&arguments.meFile, &setup.stores.phone},
        {&arguments.smFile, &setup.stores.sim},
    };
    for (const auto& [path, store] : files) {
        if (path->empty()) {
            continue;
        }
        if (const phonesim::LoadResult loaded = phonesim::LoadStoreFile(*path, *store);
            !loaded.ok) {
            error = loaded.error;
            return std::nullopt;
        }
    }

    const FaultOption options[] = {
        {FaultKind::Unsolicited, &arguments.unsolicited},
        {FaultKind::Garbage, &arguments.garbage},
        {FaultKind::Silent, &arguments.silent},
        {FaultKind::Error, &arguments.error},
        {FaultKind::CmsError, &arguments.cmsError},
        {FaultKind::Cut, &arguments.cut},
        {FaultKind::Late, &arguments.late},
    };
    for (const FaultOption& option : options) {
        for (const std::string& request : *option.requests) {
            std::optional<phonesim::CommandFault> fault =
                phonesim::ParseCommandFault(option.kind, request, error);
            if (!fault) {
                return std::nullopt;
            }
            setup.faults.commandFaults.push_back(std::move(*fault));
        }
    }
    setup.faults.refusedSubmissions = arguments.refusedSubmissions;
    setup.faults.emptySlotError = arguments.emptySlotError;
    return setup;
}

}  // namespace mivex::tools

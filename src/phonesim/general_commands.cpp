// The interpreter's general commands: V.250 basics, identification, and the
// 27.007 settings an AT client sets up before it talks about messages.

#include <cstdio>

#include "phonesim/at_interpreter.h"

namespace mivex::phonesim {
namespace {

constexpr std::string_view kCharsetGsm = "GSM";
constexpr std::string_view kCharsetUcs2 = "UCS2";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
        if (upper(a[i]) != upper(b[i])) {
            return false;
        }
    }
    return true;
}

// The value of a basic command such as E0 or V1: no digits count as 0.
std::optional<int> BasicValue(const AtCommand& command, int high) {
    if (command.form == CommandForm::Action) {
        return 0;
    }
    return NumberArgument({command.arguments, false}, 0, high);
}

// One numeric argument of a set command, in [low, high].
std::optional<int> SingleNumber(const AtCommand& command, int low, int high) {
    const auto arguments = SplitArguments(command.arguments);
    if (!arguments || arguments->size() != 1) {
        return std::nullopt;
    }
    return NumberArgument(arguments->front(), low, high);
}

}  // namespace

const std::map<std::string, Interpreter::Handler, std::less<>>& Interpreter::GeneralHandlers() {
    static const std::map<std::string, Handler, std::less<>> handlers = {
        {"E", &Interpreter::Echo},
        {"V", &Interpreter::Verbose},
        {"Q", &Interpreter::Quiet},
        {"Z", &Interpreter::Reset},
        {"&F", &Interpreter::Reset},
        {"I", &Interpreter::Information},
        // Settings of a modem's serial side and speaker that a phone accepts and ignores.
        {"&C", &Interpreter::Accept},
        {"&D", &Interpreter::Accept},
        {"&K", &Interpreter::Accept},
        {"&W", &Interpreter::Accept},
        {"L", &Interpreter::Accept},
        {"M", &Interpreter::Accept},
        {"X", &Interpreter::Accept},
        {"+CGMI", &Interpreter::Manufacturer},
        {"+GMI", &Interpreter::Manufacturer},
        {"+CGMM", &Interpreter::Model},
        {"+GMM", &Interpreter::Model},
        {"+CGMR", &Interpreter::Revision},
        {"+GMR", &Interpreter::Revision},
        {"+CGSN", &Interpreter::SerialNumber},
        {"+GSN", &Interpreter::SerialNumber},
        {"+CIMI", &Interpreter::SubscriberId},
        {"+CPIN", &Interpreter::PinState},
        {"+CPINR", &Interpreter::PinRetries},
        {"+CSQ", &Interpreter::SignalQuality},
        {"+CFUN", &Interpreter::Functionality},
        {"+CMEE", &Interpreter::ErrorMode},
        {"+CSCS", &Interpreter::CharacterSet},
        {"+CNUM", &Interpreter::SubscriberNumber},
        {"+CREG", &Interpreter::Registration},
    };
    return handlers;
}

Interpreter::Reply Interpreter::Echo(const AtCommand& command) {
    const std::optional<int> value = BasicValue(command, 1);
    if (!value) {
        return {{}, Result::Error()};
    }
    modes_.echo = *value == 1;
    return {};
}

Interpreter::Reply Interpreter::Verbose(const AtCommand& command) {
    const std::optional<int> value = BasicValue(command, 1);
    if (!value) {
        return {{}, Result::Error()};
    }
    modes_.style.verbose = *value == 1;
    return {};
}

Interpreter::Reply Interpreter::Quiet(const AtCommand& command) {
    // Result codes are always sent; a quiet phone would leave every client waiting.
    const std::optional<int> value = BasicValue(command, 0);
    return {{}, value ? Result::Ok() : Result::Error()};
}

Interpreter::Reply Interpreter::Reset(const AtCommand& command) {
    if (!BasicValue(command, 0)) {
        return {{}, Result::Error()};
    }
    modes_ = Modes{};
    return {};
}

void Interpreter::Unplug() {
    modes_ = Modes{};
    line_.clear();
    lineOverflowed_ = false;
    pduRequest_.reset();
    pduHex_.clear();
    pduOverflowed_ = false;
    pendingRequest_.reset();
    afterAnswer_.clear();
}

Interpreter::Reply Interpreter::Information(const AtCommand& command) {
    if (!BasicValue(command, 9)) {
        return {{}, Result::Error()};
    }
    const PhoneIdentity& identity = settings_.identity;
    return {{identity.manufacturer, identity.model, "Revision: " + identity.revision},
            Result::Ok()};
}

Interpreter::Reply Interpreter::Accept(const AtCommand& command) {
    return {{}, BasicValue(command, 9) ? Result::Ok() : Result::Error()};
}

Interpreter::Reply Interpreter::SRegister(const AtCommand& command) {
    const std::optional<int> number = NumberArgument({command.name.substr(1), false}, 0, 255);
    if (!number) {
        return {{}, Result::Error()};
    }
    if (command.form == CommandForm::Read) {
        const auto found = sRegisters_.find(*number);
        const int value = found != sRegisters_.end() ? found->second : 0;
        char text[4];
        std::snprintf(text, sizeof text, "%03d", value);
        return {{text}, Result::Ok()};
    }
    const std::optional<int> value = NumberArgument({command.arguments, false}, 0, 255);
    if (command.form != CommandForm::Set || !value) {
        return {{}, Result::Error()};
    }
    sRegisters_[*number] = *value;
    return {};
}

Interpreter::Reply Interpreter::IdentityText(const AtCommand& command,
                                             const std::string& text) const {
    switch (command.form) {
        case CommandForm::Action:
            return {{text}, Result::Ok()};
        case CommandForm::Test:
            return {};
        default:
            return {{}, Result::Error()};
    }
}

Interpreter::Reply Interpreter::Manufacturer(const AtCommand& command) {
    return IdentityText(command, settings_.identity.manufacturer);
}

Interpreter::Reply Interpreter::Model(const AtCommand& command) {
    return IdentityText(command, settings_.identity.model);
}

Interpreter::Reply Interpreter::Revision(const AtCommand& command) {
    return IdentityText(command, settings_.identity.revision);
}

Interpreter::Reply Interpreter::SerialNumber(const AtCommand& command) {
    return IdentityText(command, settings_.identity.serialNumber);
}

Interpreter::Reply Interpreter::SubscriberId(const AtCommand& command) {
    return IdentityText(command, settings_.identity.subscriberId);
}

Interpreter::Reply Interpreter::PinState(const AtCommand& command) {
    if (!sim_.Present() && command.form != CommandForm::Test) {
        return {{}, Result::Cme(kCmeSimNotInserted)};
    }
    switch (command.form) {
        case CommandForm::Read:
            return {{"+CPIN: " + std::string(sim_.Code())}, Result::Ok()};
        case CommandForm::Test:
            return {};
        case CommandForm::Set: {
            // Only the PIN is taken; unblocking with the PUK is left to a real phone.
            const auto arguments = SplitArguments(command.arguments);
            if (sim_.Code() != "SIM PIN" || !arguments || arguments->size() != 1) {
                return {{}, Result::Cme(kCmeOperationNotAllowed)};
            }
            return {{},
                    sim_.EnterPin(arguments->front().text) ? Result::Ok()
                                                           : Result::Cme(kCmeIncorrectPassword)};
        }
        default:
            return {{}, Result::Error()};
    }
}

Interpreter::Reply Interpreter::PinRetries(const AtCommand& command) {
    if (!sim_.Present()) {
        return {{}, Result::Cme(kCmeSimNotInserted)};
    }
    const std::string pin =
        "+CPINR: SIM PIN," + std::to_string(sim_.PinTriesLeft()) + "," + std::to_string(kPinTries);
    const std::string puk =
        "+CPINR: SIM PUK," + std::to_string(kPukTries) + "," + std::to_string(kPukTries);
    if (command.form == CommandForm::Action) {
        return {{pin, puk}, Result::Ok()};
    }
    const auto arguments = SplitArguments(command.arguments);
    if (command.form != CommandForm::Set || !arguments || arguments->size() != 1) {
        return {{}, Result::Error()};
    }
    const std::string& code = arguments->front().text;
    if (code == "SIM PIN") {
        return {{pin}, Result::Ok()};
    }
    return {code == "SIM PUK" ? std::vector<std::string>{puk} : std::vector<std::string>{},
            Result::Ok()};
}

Interpreter::Reply Interpreter::SignalQuality(const AtCommand& command) {
    switch (command.form) {
        case CommandForm::Action:
            return {{"+CSQ: 20,99"}, Result::Ok()};
        case CommandForm::Test:
            return {{"+CSQ: (0-31,99),(0-7,99)"}, Result::Ok()};
        default:
            return {{}, Result::Error()};
    }
}

Interpreter::Reply Interpreter::Functionality(const AtCommand& command) {
    switch (command.form) {
        case CommandForm::Read:
            return {{"+CFUN: " + std::to_string(modes_.functionality)}, Result::Ok()};
        case CommandForm::Test:
            return {{"+CFUN: (0,1,4),(0-1)"}, Result::Ok()};
        case CommandForm::Set: {
            const auto arguments = SplitArguments(command.arguments);
            if (!arguments || arguments->size() > 2) {
                return {{}, Result::Error()};
            }
            const std::optional<int> level = NumberArgument(arguments->front(), 0, 4);
            const bool resetValid =
                arguments->size() < 2 || NumberArgument((*arguments)[1], 0, 1).has_value();
            if (!level || *level == 2 || *level == 3 || !resetValid) {
                return {{}, Result::Cme(kCmeOperationNotSupported)};
            }
            modes_.functionality = *level;
            return {};
        }
        default:
            return {{}, Result::Error()};
    }
}

Interpreter::Reply Interpreter::ErrorMode(const AtCommand& command) {
    switch (command.form) {
        case CommandForm::Read:
            return {{"+CMEE: " + std::to_string(modes_.style.errorMode)}, Result::Ok()};
        case CommandForm::Test:
            return {{"+CMEE: (0-2)"}, Result::Ok()};
        case CommandForm::Set: {
            const std::optional<int> mode = SingleNumber(command, 0, 2);
            if (!mode) {
                return {{}, Result::Error()};
            }
            modes_.style.errorMode = *mode;
            return {};
        }
        default:
            return {{}, Result::Error()};
    }
}

Interpreter::Reply Interpreter::CharacterSet(const AtCommand& command) {
    switch (command.form) {
        case CommandForm::Read:
            return {{"+CSCS: \"" + std::string(modes_.ucs2 ? kCharsetUcs2 : kCharsetGsm) + "\""},
                    Result::Ok()};
        case CommandForm::Test:
            return {{"+CSCS: (\"GSM\",\"UCS2\")"}, Result::Ok()};
        case CommandForm::Set: {
            const auto arguments = SplitArguments(command.arguments);
            if (!arguments || arguments->size() != 1) {
                return {{}, Result::Error()};
            }
            const std::string& name = arguments->front().text;
            if (EqualsIgnoringCase(name, kCharsetGsm)) {
                modes_.ucs2 = false;
            } else if (EqualsIgnoringCase(name, kCharsetUcs2)) {
                modes_.ucs2 = true;
            } else {
                return {{}, Result::Cme(kCmeOperationNotSupported)};
            }
            return {};
        }
        default:
            return {{}, Result::Error()};
    }
}

Interpreter::Reply Interpreter::SubscriberNumber(const AtCommand& command) {
    if (command.form == CommandForm::Test) {
        return {};
    }
    if (command.form != CommandForm::Action) {
        return {{}, Result::Error()};
    }
    if (settings_.ownNumber.empty()) {
        return {};
    }
    const int type = settings_.ownNumber.starts_with('+') ? 145 : 129;
    return {{"+CNUM: ," + QuotedText(settings_.ownNumber) + "," + std::to_string(type)},
            Result::Ok()};
}

Interpreter::Reply Interpreter::Registration(const AtCommand& command) {
    // Registered on the home network, unsolicited registration reports off.
    switch (command.form) {
        case CommandForm::Read:
            return {{"+CREG: 0,1"}, Result::Ok()};
        case CommandForm::Test:
            return {{"+CREG: (0-2)"}, Result::Ok()};
        case CommandForm::Set:
            return {{},
                    SingleNumber(command, 0, 0) ? Result::Ok()
                                                : Result::Cme(kCmeOperationNotSupported)};
        default:
            return {{}, Result::Error()};
    }
}

}  // namespace mivex::phonesim

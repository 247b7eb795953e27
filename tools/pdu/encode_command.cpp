#include "encode_command.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "checked_arguments.h"
#include "sms/hex_text.h"
#include "sms/submit_encoder.h"

namespace mivex::tools {

namespace {

// The service-centre field: octet 00 (the phone's own centre) without --sc.
[[nodiscard]] std::vector<std::uint8_t> ServiceCentreField(const CheckedArgument* serviceCentre) {
    if (serviceCentre == nullptr) {
        return sms::BuildServiceCentreField(true, u"");
    }
    return sms::BuildServiceCentreField(false, serviceCentre->value);
}

[[nodiscard]] ExitStatus Refuse(std::ostream& err, const CheckedArgument& argument) {
    err << kMessagePrefix << argument.problem << '\n';
    return ExitStatus::UsageError;
}

}  // namespace

ExitStatus RunEncode(const EncodeArguments& arguments, std::ostream& out, std::ostream& err) {
    const CheckedArgument recipient = CheckRecipient(arguments.recipient);
    if (!recipient.ok()) {
        return Refuse(err, recipient);
    }
    std::optional<CheckedArgument> serviceCentre;
    if (arguments.serviceCentre) {
        serviceCentre = CheckServiceCentre(*arguments.serviceCentre);
        if (!serviceCentre->ok()) {
            return Refuse(err, *serviceCentre);
        }
    }
    const CheckedArgument text = CheckMessageText(arguments.text);
    if (!text.ok()) {
        return Refuse(err, text);
    }
    const std::optional<std::uint8_t> validityPeriod =
        sms::ValidityPeriodOctet(arguments.validityChoice);
    if (!validityPeriod || arguments.concatRef < 0 || arguments.concatRef > 255) {
        // The parser's range checks keep these out; a caller that skips it is told.
        err << kMessagePrefix << "--validity or --concat-ref out of range\n";
        return ExitStatus::UsageError;
    }

    const std::vector<std::uint8_t> serviceCentreField =
        ServiceCentreField(serviceCentre ? &*serviceCentre : nullptr);
    sms::SubmitOptions options =
        sms::MakeSubmitOptions(arguments.statusReport, arguments.replyPath, *validityPeriod);
    if (arguments.gsmOnly) {
        options.alphabet = sms::AlphabetChoice::GsmOnly;
    }
    const sms::SubmitCounters counters{.MessageRef = 0,
                                       .ConcatRef = static_cast<std::uint8_t>(arguments.concatRef)};
    for (const sms::EncodedPdu& pdu : sms::BuildMessagePdus(serviceCentreField, recipient.value,
                                                            text.value, options, counters)) {
        out << pdu.cmgsLength << ' ' << sms::BytesToHex(pdu.octets) << '\n';
    }
    return ExitStatus::Success;
}

}  // namespace mivex::tools

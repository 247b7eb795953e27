// Any bytes as the PDU a client gives AT+CMGS: the parser gives a result or a
// reason, never reads past the end, and what it accepts makes an SMS-DELIVER
// whose fixed fields the program's decoder finds whole.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "deliver_invariants.h"
#include "fuzz_check.h"
#include "phonesim/deliver_builder.h"
#include "phonesim/submit_parser.h"
#include "sms/deliver_decoder.h"
#include "sms/septets.h"

namespace {

using mivex::fuzz::Require;
using namespace mivex::phonesim;

void CheckParsed(const SubmitParseResult& result, std::size_t size) {
    const SubmitTpdu& submit = result.submit;
    const bool septets = AlphabetOf(submit.dataCoding) == Alphabet::Default;
    const std::size_t userOctets =
        septets ? static_cast<std::size_t>(mivex::sms::SeptetOctets(0, submit.userDataLength))
                : submit.userDataLength;
    Require(submit.userData.size() == userOctets, "the user data is exactly what TP-UDL covers");
    Require(submit.userDataLength <= (septets ? 160 : 140), "TP-UDL within its limit");
    Require(submit.destination.size() <= 21, "TP-DA of at most 20 digits and a plus");
    Require(submit.validityPeriod.size() == 0 || submit.validityPeriod.size() == 1 ||
                submit.validityPeriod.size() == 7,
            "TP-VP of 0, 1 or 7 octets");
    Require(
        result.serviceCentreOctets + 7 + submit.validityPeriod.size() + submit.userData.size() <=
            size,
        "every field came from the PDU");

    const LocalTime time{{2024, 2, 29, 23, 59, 59, 0}, -90};
    const std::vector<std::uint8_t> deliver =
        BuildLoopbackDeliver(submit, "+447700900123", "+447700900000", time);
    const mivex::sms::DeliverDecodeResult decoded = mivex::sms::DecodeDeliver(deliver);
    Require(decoded.decoded() || decoded.status == mivex::sms::DecodeStatus::HeaderTruncated,
            "the DELIVER made from an accepted SUBMIT has all its fixed fields");
    if (decoded.decoded()) {
        mivex::fuzz::CheckDeliverInvariants(decoded);
        Require(decoded.message.SenderNumber == u"+447700900123", "the sender is the own number");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SubmitParseResult result = ParseSubmitPdu(std::span<const std::uint8_t>(data, size));
    if (result.parsed()) {
        CheckParsed(result, size);
    } else {
        Require(!DescribeSubmitStatus(result.status).empty(), "a refusal names its reason");
    }
    return 0;
}

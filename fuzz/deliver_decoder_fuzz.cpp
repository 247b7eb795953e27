// The octets of one PDU as a phone's message store could hold them, straight
// into the SMS-DELIVER decoder.

#include <cstddef>
#include <cstdint>
#include <span>

#include "deliver_invariants.h"
#include "fuzz_check.h"
#include "sms/deliver_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> pdu(data, size);
    const mivex::sms::DeliverDecodeResult result = mivex::sms::DecodeDeliver(pdu);
    // The smallest SMS-DELIVER is 10 octets; anything shorter is never a record.
    mivex::fuzz::Require(size >= 10 || !result.decoded(), "a PDU under 10 octets is refused");
    mivex::fuzz::CheckDeliverInvariants(result);
    return 0;
}

// Any bytes as an AT+CMGR answer: never more octets than two hex digits each
// of the answer allow, and none at all without a header line.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "phone/answer_parsers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using mivex::fuzz::Require;
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    const std::vector<std::uint8_t> pdu = mivex::phone::ParseStoredMessagePdu(answer);
    Require(pdu.size() <= size / 2, "at most one octet per two answer bytes");
    if (!pdu.empty()) {
        Require(answer.find(':') != std::string_view::npos, "a PDU needs a header before it");
    }
    return 0;
}

// The bytes as the hex line of an AT+CMGR answer: turned into octets the way
// the message reader does it, then decoded as an SMS-DELIVER.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "deliver_invariants.h"
#include "fuzz_check.h"
#include "sms/deliver_decoder.h"
#include "sms/hex_text.h"

namespace {

using mivex::fuzz::Require;

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return upper;
}

// Hex text read in either case and written in upper case round-trips; the
// trailing odd character, having no partner, is not part of any octet.
void CheckHexText(std::string_view hex, const std::vector<std::uint8_t>& octets) {
    Require(octets.size() == hex.size() / 2, "HexToBytes makes one octet of every two characters");
    const std::string_view pairs = hex.substr(0, octets.size() * 2);
    const bool allDigits = std::all_of(pairs.begin(), pairs.end(), IsHexDigit);
    if (!hex.empty()) {
        Require(mivex::sms::IsHexText(hex) == (allDigits && pairs.size() == hex.size()),
                "IsHexText means an even number of hex digits and nothing else");
    }
    if (allDigits) {
        Require(mivex::sms::BytesToHex(octets) == UpperCase(pairs),
                "BytesToHex(HexToBytes(x)) is x in upper case");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view hex(reinterpret_cast<const char*>(data), size);
    const std::vector<std::uint8_t> octets = mivex::sms::HexToBytes(hex);
    CheckHexText(hex, octets);
    mivex::fuzz::CheckDeliverInvariants(mivex::sms::DecodeDeliver(octets));
    return 0;
}

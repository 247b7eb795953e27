#pragma once

// Readers of the phone's answers. The answers come from outside the program,
// so each reader takes whatever bytes arrived and returns a checked value or
// nothing; none reads past the answer's end. Each reader starts at the
// answer's own information line ("+CPMS:", "+CSCA:", "+CMGR:") when there is
// one, so unsolicited lines the phone sent before it (+CMTI, RING) are passed
// over; an answer without that line is read from its start.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mivex::phone {

// The largest used or total count a message store may report.
inline constexpr int kMaxStoreCount = 1000;

struct StorageCounts {
    int used = 0;
    int total = 0;
};

// "+CPMS: used,total,...": the first number is the one starting at the
// answer's first decimal digit and must be followed by a comma; the second is
// read after that comma as C's atoi would (leading white space and a sign
// allowed, no digits reads 0). Both must lie in 0..kMaxStoreCount. A total
// below the used count reads as kMaxStoreCount. Only the first pair counts.
[[nodiscard]] std::optional<StorageCounts> ParseStorageCounts(std::string_view answer);

// "+CSCA: "number",type": the bytes between the first two double quotes, which
// must be followed by a comma and must not be empty; with type 145
// (international) a "+" is put in front unless the number has one. Empty on
// any failure. The bytes are the phone's and are not filtered here.
[[nodiscard]] std::string ParseServiceCentre(std::string_view answer);

// "+CMGR: stat,[alpha],length\r\n<hex PDU>\r\n": the octets of the hex text
// that starts after the first line feed following the first colon and ends at
// the next carriage return (a trailing odd digit is ignored, a non-hex
// character reads as 0). Empty when one of the three marks is missing, as in
// the bare OK a phone gives for an empty slot.
[[nodiscard]] std::vector<std::uint8_t> ParseStoredMessagePdu(std::string_view answer);

}  // namespace mivex::phone

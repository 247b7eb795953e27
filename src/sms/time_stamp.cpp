#include "sms/time_stamp.h"

namespace mivex::sms {
namespace {

// Two decimal semi-octets, tens in the low nibble. Nibbles above 9 are taken at
// face value; the calendar check then refuses the field if it is out of range.
constexpr int SwappedDecimal(std::uint8_t octet) {
    return (octet & 0x0F) * 10 + (octet >> 4);
}

constexpr CalendarTime kFallback{2000, 1, 1, 1, 1, 1, 0};

}  // namespace

FileTime FallbackTimeStamp() {
    return *CalendarToFileTime(kFallback);
}

FileTime DecodeTimeStamp(std::span<const std::uint8_t, kTimeStampOctets> octets) {
    const CalendarTime time{2000 + SwappedDecimal(octets[0]),
                            SwappedDecimal(octets[1]),
                            SwappedDecimal(octets[2]),
                            SwappedDecimal(octets[3]),
                            SwappedDecimal(octets[4]),
                            SwappedDecimal(octets[5]),
                            0};
    return CalendarToFileTime(time).value_or(FallbackTimeStamp());
}

}  // namespace mivex::sms

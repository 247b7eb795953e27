#pragma once

#include <cstdint>
#include <span>

#include "sms/file_time.h"

namespace mivex::sms {

// TP-SCTS is seven octets: year, month, day, hour, minute, second, time zone.
inline constexpr std::size_t kTimeStampOctets = 7;

// The time a service centre stamped on a message, as its local wall-clock time:
// the zone octet is ignored. Each field is two decimal semi-octets, tens in the
// low nibble, years counted from 2000. A stamp that names no real time (month 13,
// 31 April, a nibble above 9 that makes a field too big) becomes
// 2000-01-01 01:01:01 so the message is still stored and sorts early.
[[nodiscard]] FileTime DecodeTimeStamp(std::span<const std::uint8_t, kTimeStampOctets> octets);

// The time used for a stamp that names no real time.
[[nodiscard]] FileTime FallbackTimeStamp();

}  // namespace mivex::sms

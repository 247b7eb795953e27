#pragma once

// The SMS-DELIVER a phone receives when it sends a message to its own number.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "phonesim/submit_parser.h"
#include "sms/file_time.h"
#include "sms/time_stamp.h"

namespace mivex::phonesim {

// A wall-clock time and the zone it was read in, as a service centre stamps it.
struct LocalTime {
    sms::CalendarTime calendar;
    int utcOffsetMinutes = 0;
};

using LocalClock = std::function<LocalTime()>;

// The system's local time.
[[nodiscard]] LocalTime SystemLocalTime();

// TP-SCTS of a local time: seven octets of two swapped decimal digits each,
// the zone in quarter hours with its sign in bit 3.
[[nodiscard]] std::array<std::uint8_t, sms::kTimeStampOctets> EncodeTimeStamp(
    const LocalTime& time);

// The whole PDU as the phone stores it: the service-centre field of
// `serviceCentre` (00 when that is not an international number), then an
// SMS-DELIVER from `originator` with the SUBMIT's TP-PID, TP-DCS, header
// indicator, reply path and user data, stamped with `now`.
[[nodiscard]] std::vector<std::uint8_t> BuildLoopbackDeliver(const SubmitTpdu& submit,
                                                             std::string_view originator,
                                                             std::string_view serviceCentre,
                                                             const LocalTime& now);

// The SMS-DELIVER PDUs a phone holds once `originator` has sent `text` from
// a phone like ours: one for a text that fits one SMS, else one per segment
// under `concatRef`, in GSM 7-bit or UCS2 as the text needs, each as
// BuildLoopbackDeliver stores it. For filling a simulated phone with
// realistic messages.
[[nodiscard]] std::vector<std::vector<std::uint8_t>> BuildDeliverPdus(
    std::u16string_view text, std::string_view originator, std::string_view serviceCentre,
    const LocalTime& now, std::uint8_t concatRef = 0);

// Whether a SUBMIT's destination is `ownNumber`: the same digits, with or
// without the "+" of an international number.
[[nodiscard]] bool IsAddressedTo(const SubmitTpdu& submit, std::string_view ownNumber);

}  // namespace mivex::phonesim

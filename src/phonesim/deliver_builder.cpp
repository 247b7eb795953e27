#include "phonesim/deliver_builder.h"

#include <ctime>
#include <string>

#include "sms/address_field.h"
#include "sms/dial_number.h"
#include "sms/semi_octets.h"
#include "sms/submit_encoder.h"

namespace mivex::phonesim {
namespace {

// TP-MTI 00 (SMS-DELIVER) with TP-MMS set: no more messages are waiting.
constexpr std::uint8_t kDeliverFirstOctet = 0x04;
constexpr std::uint8_t kCopiedFlags = 0x40 | 0x80;  // TP-UDHI and TP-RP
constexpr std::uint8_t kZoneNegative = 0x08;

std::uint8_t SwappedDecimal(int value) {
    const int clamped = value < 0 ? 0 : value % 100;
    return static_cast<std::uint8_t>(((clamped % 10) << 4) | (clamped / 10));
}

std::u16string Widen(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

std::string Digits(std::string_view number) {
    std::string digits;
    for (const char c : number) {
        if (c != '+') {
            digits += c;
        }
    }
    return digits;
}

}  // namespace

LocalTime SystemLocalTime() {
    // To the millisecond, so that a report delay of less than a second holds.
    timespec clock{};
    (void)clock_gettime(CLOCK_REALTIME, &clock);
    const std::time_t now = clock.tv_sec;
    std::tm fields{};
    localtime_r(&now, &fields);
    LocalTime time;
    time.calendar = {fields.tm_year + 1900,
                     fields.tm_mon + 1,
                     fields.tm_mday,
                     fields.tm_hour,
                     fields.tm_min,
                     fields.tm_sec < 60 ? fields.tm_sec : 59,
                     static_cast<int>(clock.tv_nsec / 1'000'000)};
    time.utcOffsetMinutes = static_cast<int>(fields.tm_gmtoff / 60);
    return time;
}

std::array<std::uint8_t, sms::kTimeStampOctets> EncodeTimeStamp(const LocalTime& time) {
    const sms::CalendarTime& c = time.calendar;
    const int quarters =
        (time.utcOffsetMinutes < 0 ? -time.utcOffsetMinutes : time.utcOffsetMinutes) / 15;
    std::uint8_t zone = SwappedDecimal(quarters > 79 ? 79 : quarters);
    if (time.utcOffsetMinutes < 0) {
        zone |= kZoneNegative;
    }
    return {SwappedDecimal(c.year - 2000),
            SwappedDecimal(c.month),
            SwappedDecimal(c.day),
            SwappedDecimal(c.hour),
            SwappedDecimal(c.minute),
            SwappedDecimal(c.second),
            zone};
}

std::vector<std::uint8_t> BuildLoopbackDeliver(const SubmitTpdu& submit,
                                               std::string_view originator,
                                               std::string_view serviceCentre,
                                               const LocalTime& now) {
    const std::u16string centre = Widen(serviceCentre);
    std::vector<std::uint8_t> pdu = sms::IsUsableServiceCentre(centre)
                                        ? sms::BuildServiceCentreField(false, centre)
                                        : std::vector<std::uint8_t>{0x00};
    pdu.push_back(
        static_cast<std::uint8_t>(kDeliverFirstOctet | (submit.firstOctet & kCopiedFlags)));

    // TP-OA: length in digits, type, semi-octets.
    const std::u16string number = Widen(originator);
    pdu.push_back(static_cast<std::uint8_t>(sms::TextToSemiOctets(number)));
    pdu.push_back(!number.empty() && number.front() == u'+' ? sms::kAddressInternational
                                                            : sms::kAddressUnknown);
    (void)sms::TextToSemiOctets(number, &pdu);

    pdu.push_back(submit.protocolIdentifier);
    pdu.push_back(submit.dataCoding);
    const auto stamp = EncodeTimeStamp(now);
    pdu.insert(pdu.end(), stamp.begin(), stamp.end());
    pdu.push_back(submit.userDataLength);
    pdu.insert(pdu.end(), submit.userData.begin(), submit.userData.end());
    return pdu;
}

std::vector<std::vector<std::uint8_t>> BuildDeliverPdus(std::u16string_view text,
                                                        std::string_view originator,
                                                        std::string_view serviceCentre,
                                                        const LocalTime& now,
                                                        std::uint8_t concatRef) {
    const std::vector<std::uint8_t> noServiceCentre = sms::BuildServiceCentreField(true, u"");
    sms::SubmitCounters counters;
    counters.ConcatRef = concatRef;
    std::vector<std::vector<std::uint8_t>> delivers;
    for (const sms::EncodedPdu& encoded :
         sms::BuildMessagePdus(noServiceCentre, Widen(originator), text,
                               sms::MakeSubmitOptions(false, false, 0), counters)) {
        const SubmitParseResult parsed = ParseSubmitPdu(encoded.octets);
        if (parsed.parsed())
            delivers.push_back(BuildLoopbackDeliver(parsed.submit, originator, serviceCentre, now));
    }
    return delivers;
}

bool IsAddressedTo(const SubmitTpdu& submit, std::string_view ownNumber) {
    const std::string own = Digits(ownNumber);
    return !own.empty() && Digits(submit.destination) == own;
}

}  // namespace mivex::phonesim

#include "phonesim/network_reports.h"

#include <algorithm>

#include "sms/address_field.h"
#include "sms/dial_number.h"
#include "sms/semi_octets.h"
#include "sms/submit_encoder.h"

namespace mivex::phonesim {
namespace {

// TP-MTI 10 (SMS-STATUS-REPORT) with TP-MMS set: no more messages are waiting.
constexpr std::uint8_t kReportFirstOctet = 0x06;
constexpr std::uint8_t kStatusReportRequest = 0x20;  // TP-SRR of the SUBMIT
constexpr sms::FileTime kFileTimeMs = 10'000;
// A second attempt is never stamped the same second as the first.
constexpr int kMinRetryMs = 1000;

std::u16string Widen(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

sms::FileTime ToFileTime(const LocalTime& time) {
    return sms::CalendarToFileTime(time.calendar).value_or(0);
}

LocalTime Later(const LocalTime& time, int ms) {
    LocalTime later = time;
    later.calendar =
        sms::FileTimeToCalendar(ToFileTime(time) + static_cast<sms::FileTime>(ms) * kFileTimeMs);
    return later;
}

}  // namespace

std::optional<ReportScenario> ParseReportScenario(std::string_view name) {
    if (name == "delivered")
        return ReportScenario::Delivered;
    if (name == "failed")
        return ReportScenario::Failed;
    if (name == "waiting-then-delivered")
        return ReportScenario::WaitingThenDelivered;
    return std::nullopt;
}

std::vector<std::uint8_t> BuildStatusReport(std::uint8_t reference, std::string_view recipient,
                                            std::string_view serviceCentre,
                                            const LocalTime& submitted, const LocalTime& discharged,
                                            std::uint8_t status) {
    const std::u16string centre = Widen(serviceCentre);
    std::vector<std::uint8_t> pdu = sms::IsUsableServiceCentre(centre)
                                        ? sms::BuildServiceCentreField(false, centre)
                                        : std::vector<std::uint8_t>{0x00};
    pdu.push_back(kReportFirstOctet);
    pdu.push_back(reference);
    // TP-RA: length in digits, type, semi-octets, as the SUBMIT's TP-DA.
    const std::u16string number = Widen(recipient);
    pdu.push_back(static_cast<std::uint8_t>(sms::TextToSemiOctets(number)));
    pdu.push_back(!number.empty() && number.front() == u'+' ? sms::kAddressInternational
                                                            : sms::kAddressUnknown);
    (void)sms::TextToSemiOctets(number, &pdu);
    for (const LocalTime* time : {&submitted, &discharged}) {
        const auto stamp = EncodeTimeStamp(*time);
        pdu.insert(pdu.end(), stamp.begin(), stamp.end());
    }
    pdu.push_back(status);
    return pdu;
}

void NetworkReports::Schedule(const SubmitTpdu& submit, std::uint8_t reference,
                              std::string_view serviceCentre, const LocalTime& now, int afterMs,
                              std::uint8_t status) {
    const LocalTime discharged = Later(now, afterMs);
    pending_.push_back(
        {ToFileTime(discharged),
         BuildStatusReport(reference, submit.destination, serviceCentre, now, discharged, status)});
}

void NetworkReports::Submitted(const SubmitTpdu& submit, std::uint8_t reference,
                               std::string_view serviceCentre, const LocalTime& now) {
    if ((submit.firstOctet & kStatusReportRequest) == 0)
        return;
    const int delay = std::max(plan_.delayMs, 0);
    switch (plan_.scenario) {
        case ReportScenario::None:
            return;
        case ReportScenario::Delivered:
            Schedule(submit, reference, serviceCentre, now, delay, kReportDelivered);
            return;
        case ReportScenario::Failed:
            Schedule(submit, reference, serviceCentre, now, delay, kReportValidityExpired);
            return;
        case ReportScenario::WaitingThenDelivered:
            Schedule(submit, reference, serviceCentre, now, delay, kReportRecipientBusy);
            Schedule(submit, reference, serviceCentre, now, delay + std::max(delay, kMinRetryMs),
                     kReportDelivered);
            return;
    }
}

std::vector<std::vector<std::uint8_t>> NetworkReports::TakeDue(const LocalTime& now) {
    const sms::FileTime at = ToFileTime(now);
    std::stable_sort(pending_.begin(), pending_.end(),
                     [](const Scheduled& a, const Scheduled& b) { return a.due < b.due; });
    std::vector<std::vector<std::uint8_t>> due;
    auto first = pending_.begin();
    while (first != pending_.end() && first->due <= at)
        due.push_back(std::move((first++)->pdu));
    pending_.erase(pending_.begin(), first);
    return due;
}

}  // namespace mivex::phonesim

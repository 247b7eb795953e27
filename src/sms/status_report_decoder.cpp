#include "sms/status_report_decoder.h"

#include <optional>

#include "sms/address_field.h"
#include "sms/deliver_decoder.h"
#include "sms/pdu_reader.h"
#include "sms/time_stamp.h"

namespace mivex::sms {
namespace {

constexpr std::uint8_t kMessageTypeMask = 0x03;  // TP-MTI
constexpr std::uint8_t kStatusReportType = 0x02;
constexpr std::size_t kMaxRecipientUnits = kSenderTextCapacity - 1;

ReportDecodeResult Fail(ReportDecodeStatus status) {
    return {status, {}};
}

// The first octet of the TPDU, past the service-centre field whose length
// octet counts the octets after it.
std::optional<std::uint8_t> FirstOctet(PduReader& reader) {
    const std::optional<std::uint8_t> serviceCentreLength = reader.ReadOctet();
    if (!serviceCentreLength || !reader.Read(*serviceCentreLength)) {
        return std::nullopt;
    }
    return reader.ReadOctet();
}

}  // namespace

bool IsStatusReportPdu(std::span<const std::uint8_t> pdu) {
    PduReader reader(pdu);
    const std::optional<std::uint8_t> firstOctet = FirstOctet(reader);
    return firstOctet && (*firstOctet & kMessageTypeMask) == kStatusReportType;
}

ReportDecodeResult DecodeStatusReport(std::span<const std::uint8_t> pdu) {
    if (pdu.empty()) {
        return Fail(ReportDecodeStatus::Empty);
    }
    PduReader reader(pdu);
    const std::optional<std::uint8_t> firstOctet = FirstOctet(reader);
    if (!firstOctet) {
        return Fail(ReportDecodeStatus::ServiceCentreTooLong);
    }
    if ((*firstOctet & kMessageTypeMask) != kStatusReportType) {
        return Fail(ReportDecodeStatus::NotStatusReport);
    }
    ReportDecodeResult result{ReportDecodeStatus::Decoded, {}};
    StatusReport& report = result.report;

    const std::optional<std::uint8_t> reference = reader.ReadOctet();
    if (!reference) {
        return Fail(ReportDecodeStatus::NoReference);
    }
    report.messageReference = *reference;

    // TP-RA is laid out as TP-OA: its length octet counts semi-octets.
    const std::optional<std::u16string> recipient = DecodeAddressField(reader.Rest());
    if (!recipient) {
        return Fail(ReportDecodeStatus::AddressTruncated);
    }
    (void)reader.Read(AddressFieldOctets(reader.Rest()[0]));
    report.recipientNumber = recipient->substr(0, kMaxRecipientUnits);

    const auto times = reader.Read(2 * kTimeStampOctets);
    if (!times) {
        return Fail(ReportDecodeStatus::TimesTruncated);
    }
    report.serviceCentreTime = DecodeTimeStamp(times->subspan<0, kTimeStampOctets>());
    report.dischargeTime = DecodeTimeStamp(times->subspan<kTimeStampOctets, kTimeStampOctets>());

    const std::optional<std::uint8_t> status = reader.ReadOctet();
    if (!status) {
        return Fail(ReportDecodeStatus::NoStatus);
    }
    report.status = *status;
    return result;
}

std::string_view DescribeReportDecodeStatus(ReportDecodeStatus status) {
    switch (status) {
        case ReportDecodeStatus::Decoded:
            return "decoded";
        case ReportDecodeStatus::Empty:
            return "PDU is empty";
        case ReportDecodeStatus::ServiceCentreTooLong:
            return "service-centre field runs past the end of the PDU";
        case ReportDecodeStatus::NotStatusReport:
            return "not an SMS-STATUS-REPORT (message type indicator is not 10)";
        case ReportDecodeStatus::NoReference:
            return "PDU ends before the message reference";
        case ReportDecodeStatus::AddressTruncated:
            return "recipient address runs past the end of the PDU";
        case ReportDecodeStatus::TimesTruncated:
            return "PDU ends inside the service-centre time stamp or the discharge time";
        case ReportDecodeStatus::NoStatus:
            return "PDU ends before the status";
    }
    return "unknown decode status";
}

}  // namespace mivex::sms

#pragma once

// Decoding of an SMS-STATUS-REPORT PDU as read from a phone in PDU mode: the
// service-centre field, then the TPDU of GSM 03.40 with message type
// indicator 10. The network stores one in the phone for every message sent
// with a report requested, to say whether it reached its recipient.
//
// The octets come from outside and are trusted for nothing: every field is
// checked against the end of the PDU before it is read.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "sms/file_time.h"

namespace mivex::sms {

// What a report says, field by field; the rest of the TPDU (the optional
// parameter indicator and whatever follows it) carries nothing the program uses.
struct StatusReport {
    int messageReference = 0;        // TP-MR of the SMS-SUBMIT it reports on, 0 to 255
    std::u16string recipientNumber;  // TP-RA, "+" first when international
    FileTime serviceCentreTime = 0;  // TP-SCTS: when the service centre took the message
    FileTime dischargeTime = 0;      // TP-DT: when it was delivered, or the status last changed
    int status = 0;                  // TP-ST, 0 to 255

    friend bool operator==(const StatusReport&, const StatusReport&) = default;
};

enum class ReportDecodeStatus {
    Decoded,
    Empty,                 // no octets at all
    ServiceCentreTooLong,  // the service-centre field runs past the end
    NotStatusReport,       // message type indicator other than 10
    NoReference,           // the PDU ends before TP-MR
    AddressTruncated,      // the recipient address runs past the end
    TimesTruncated,        // TP-SCTS or TP-DT run past the end
    NoStatus,              // the PDU ends before TP-ST
};

struct ReportDecodeResult {
    ReportDecodeStatus status = ReportDecodeStatus::Empty;
    StatusReport report;  // meaningful only when decoded

    [[nodiscard]] bool decoded() const { return status == ReportDecodeStatus::Decoded; }
};

// Whether the PDU's TPDU says it is an SMS-STATUS-REPORT, however broken the
// rest: such a PDU is a report to the receive run, never a message.
[[nodiscard]] bool IsStatusReportPdu(std::span<const std::uint8_t> pdu);

// Decodes the PDU; `pdu` starts with the service-centre length octet.
[[nodiscard]] ReportDecodeResult DecodeStatusReport(std::span<const std::uint8_t> pdu);

// One line saying why a PDU was not decoded, for logs and tools.
[[nodiscard]] std::string_view DescribeReportDecodeStatus(ReportDecodeStatus status);

}  // namespace mivex::sms

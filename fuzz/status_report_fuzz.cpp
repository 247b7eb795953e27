// The octets of one PDU as a phone's message store could hold them, straight
// into the SMS-STATUS-REPORT decoder and what the program makes of its status.

#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_check.h"
#include "sms/delivery_status.h"
#include "sms/status_report_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace mivex::sms;
    const std::span<const std::uint8_t> pdu(data, size);
    const ReportDecodeResult result = DecodeStatusReport(pdu);
    if (!result.decoded())
        return 0;
    const StatusReport& report = result.report;
    // Length octet, first octet, TP-MR, an empty TP-RA, two time stamps, TP-ST.
    mivex::fuzz::Require(size >= 1 + 1 + 1 + 2 + 14 + 1, "a report has at least 20 octets");
    mivex::fuzz::Require(IsStatusReportPdu(pdu), "a decoded report is told apart as one");
    mivex::fuzz::Require(report.messageReference >= 0 && report.messageReference <= 255,
                         "the reference is one octet");
    mivex::fuzz::Require(report.status >= 0 && report.status <= 255, "the status is one octet");
    mivex::fuzz::Require(report.recipientNumber.size() < 200, "the recipient fits its buffer");
    mivex::fuzz::Require(report.serviceCentreTime != 0 && report.dischargeTime != 0,
                         "every time stamp reads as some time");
    mivex::fuzz::Require(!DeliveryReason(report.status).empty(), "every status has words");
    return 0;
}

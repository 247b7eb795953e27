#include "decode_command.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "json_line.h"
#include "sms/deliver_decoder.h"
#include "sms/delivery_status.h"
#include "sms/file_time.h"
#include "sms/hex_text.h"
#include "sms/status_report_decoder.h"

namespace mivex::tools {

namespace {

// Why `hex` is not hex text, or nothing when it is.
[[nodiscard]] std::string_view HexProblem(std::string_view hex) {
    if (hex.empty()) {
        return "HEX is empty";
    }
    if (hex.size() % 2 != 0) {
        return "HEX has an odd number of characters; every octet takes two hex digits";
    }
    if (!sms::IsHexText(hex)) {
        return "HEX holds a character that is not a hex digit";
    }
    return {};
}

// The time is plain ASCII digits and punctuation, so widening each byte is exact.
[[nodiscard]] std::u16string TimeText(sms::FileTime time) {
    const std::string text = sms::FormatFileTime(time);
    return {text.begin(), text.end()};
}

[[nodiscard]] std::u16string_view DeliveryWord(int status) {
    switch (sms::ClassifyReportStatus(status)) {
        case sms::DeliveryState::Delivered:
            return u"delivered";
        case sms::DeliveryState::Trying:
            return u"trying";
        case sms::DeliveryState::Failed:
            break;
    }
    return u"failed";
}

[[nodiscard]] std::string DeliverJson(const sms::DeliverDecodeResult& result) {
    const sms::DeliverMessage& message = result.message;
    JsonLine line;
    line.AddString("type", u"deliver");
    line.AddBool("whole", result.whole());
    line.AddString("sender", message.SenderNumber);
    line.AddString("timestamp", TimeText(message.TimeStamp));
    line.AddString("text", message.Text);
    line.AddInteger("is_part", message.IsPart);
    line.AddInteger("part_ref", message.PartRef);
    line.AddInteger("part_count", message.PartCount);
    line.AddInteger("part_seq", message.PartSeq);
    return line.Text();
}

[[nodiscard]] std::string StatusReportJson(const sms::StatusReport& report) {
    JsonLine line;
    line.AddString("type", u"status-report");
    line.AddInteger("reference", report.messageReference);
    line.AddString("recipient", report.recipientNumber);
    line.AddString("service_centre_time", TimeText(report.serviceCentreTime));
    line.AddString("discharge_time", TimeText(report.dischargeTime));
    line.AddInteger("status", report.status);
    line.AddString("delivery", DeliveryWord(report.status));
    line.AddString("reason", sms::DeliveryReason(report.status));
    return line.Text();
}

// A status report is decoded as one, and refused with its own reason.
ExitStatus DecodeReport(std::span<const std::uint8_t> pdu, std::ostream& out, std::ostream& err) {
    const sms::ReportDecodeResult result = sms::DecodeStatusReport(pdu);
    if (!result.decoded()) {
        err << kMessagePrefix << sms::DescribeReportDecodeStatus(result.status) << '\n';
        return ExitStatus::NotStored;
    }
    out << StatusReportJson(result.report) << '\n';
    return ExitStatus::Success;
}

}  // namespace

ExitStatus RunDecode(std::string_view hex, std::ostream& out, std::ostream& err) {
    if (const std::string_view problem = HexProblem(hex); !problem.empty()) {
        err << kMessagePrefix << problem << '\n';
        return ExitStatus::UsageError;
    }
    const std::vector<std::uint8_t> pdu = sms::HexToBytes(hex);
    if (sms::IsStatusReportPdu(pdu)) {
        return DecodeReport(pdu, out, err);
    }
    const sms::DeliverDecodeResult result = sms::DecodeDeliver(pdu);
    if (!result.decoded()) {
        err << kMessagePrefix << sms::DescribeDecodeStatus(result.status) << '\n';
        return ExitStatus::NotStored;
    }
    out << DeliverJson(result) << '\n';
    return ExitStatus::Success;
}

}  // namespace mivex::tools

#include "decode_command.h"

#include <string>

#include "json_line.h"
#include "sms/deliver_decoder.h"
#include "sms/file_time.h"
#include "sms/hex_text.h"

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

[[nodiscard]] std::string DeliverJson(const sms::DeliverDecodeResult& result) {
    const sms::DeliverMessage& message = result.message;
    // The time is plain ASCII digits and punctuation, so widening each byte is exact.
    const std::string timeStamp = sms::FormatFileTime(message.TimeStamp);
    JsonLine line;
    line.AddBool("whole", result.whole());
    line.AddString("sender", message.SenderNumber);
    line.AddString("timestamp", std::u16string(timeStamp.begin(), timeStamp.end()));
    line.AddString("text", message.Text);
    line.AddInteger("is_part", message.IsPart);
    line.AddInteger("part_ref", message.PartRef);
    line.AddInteger("part_count", message.PartCount);
    line.AddInteger("part_seq", message.PartSeq);
    return line.Text();
}

}  // namespace

ExitStatus RunDecode(std::string_view hex, std::ostream& out, std::ostream& err) {
    if (const std::string_view problem = HexProblem(hex); !problem.empty()) {
        err << kMessagePrefix << problem << '\n';
        return ExitStatus::UsageError;
    }
    const sms::DeliverDecodeResult result = sms::DecodeDeliver(sms::HexToBytes(hex));
    if (!result.decoded()) {
        err << kMessagePrefix << sms::DescribeDecodeStatus(result.status) << '\n';
        return ExitStatus::NotStored;
    }
    out << DeliverJson(result) << '\n';
    return ExitStatus::Success;
}

}  // namespace mivex::tools

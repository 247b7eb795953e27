// Any bytes as the fields of a message ModemManager received: the first byte
// picks the PDU type, then number, text and time stamp, one a line. A result
// always comes, within what an Inbox record keeps.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "modem/modem_message.h"
#include "sms/deliver_decoder.h"
#include "sms/text_measure.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using mivex::fuzz::Require;
    if (size == 0)
        return 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto line = [&rest] {
        const std::size_t end = rest.find('\n');
        const std::string_view taken = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        return std::string(taken);
    };
    mivex::modem::ModemSms sms;
    sms.pduType = data[0] % 4;
    sms.state = 3;
    sms.number = line();
    sms.text = line();
    sms.timeStamp = line();
    sms.hasData = (data[0] & 0x80) != 0;
    if (!mivex::modem::IsReceivable(sms))
        return 0;
    const mivex::phone::ReceivedMessage received = mivex::modem::ReceivedFromModem(sms);
    Require(received.deliver.has_value() != received.report.has_value(),
            "a message or a report, never both");
    if (received.deliver) {
        Require(received.deliver->SenderNumber.size() < mivex::sms::kSenderTextCapacity,
                "the sender fits the record");
        Require(!received.deliver->Text.empty(), "a text is never empty");
        Require(received.deliver->Text.size() <= mivex::sms::kMaxMessageChars,
                "the text fits a message");
    }
    return 0;
}

#include "phone/at_message_link.h"

#include "phone/at_exchanges.h"
#include "sms/dial_number.h"
#include "sms/gsm_alphabet.h"
#include "sms/hex_text.h"

namespace mivex::phone {

std::optional<StorageCounts> AtMessageLink::SelectStore(std::string_view name) {
    return SelectStorage(port_, name);
}

bool AtMessageLink::StoreRefused() const {
    return port_.LastEnding() == ReadEnding::ErrorWord;
}

ReceivedMessage AtMessageLink::ReadMessage(int index) {
    ReceivedMessage message;
    message.pdu = ReadStoredMessage(port_, index);
    return message;
}

bool AtMessageLink::DeleteMessage(int index) {
    return DeleteStoredMessage(port_, index);
}

// The phone answers in its GSM character set ("+CSCA" after AT+CSCS="GSM").
std::optional<std::u16string> AtMessageLink::PhoneServiceCentre() {
    const std::string raw = GetServiceCentre(port_);
    std::vector<std::uint8_t> codes(raw.begin(), raw.end());
    std::u16string number = sms::GsmCodesToText(codes);
    (void)sms::FilterDialChars(number);
    return number;
}

std::vector<OutgoingPart> AtMessageLink::PrepareMessage(const OutgoingSetup& setup,
                                                        std::u16string_view number,
                                                        std::u16string_view text,
                                                        sms::SubmitCounters& counters) {
    const std::vector<std::uint8_t> serviceCentreField =
        sms::BuildServiceCentreField(setup.usePhoneServiceCentre, setup.serviceCentre);
    std::vector<OutgoingPart> parts;
    for (sms::EncodedPdu& pdu :
         sms::BuildMessagePdus(serviceCentreField, number, text, setup.submitOptions, counters)) {
        OutgoingPart& part = parts.emplace_back();
        part.pdu = std::move(pdu);
    }
    return parts;
}

SubmitResult AtMessageLink::Submit(const OutgoingPart& part) {
    const SubmitAnswer answer =
        SubmitPduForReference(port_, sms::BytesToHex(part.pdu.octets), part.pdu.cmgsLength);
    SubmitResult result;
    result.sent = answer.accepted;
    result.messageReference = answer.messageReference;
    return result;
}

}  // namespace mivex::phone

// Builds the SMS-SUBMIT PDUs of a message derived from the bytes, checks their
// layout, then hands each PDU's user data to the SMS-DELIVER decoder as a
// phone would deliver it and expects the text that was sent, as far as the GSM
// alphabet can carry it.
//
// Input layout: options octet, concatenation reference, recipient length and
// digits, service-centre length and digits, two octets of text length, then
// the text units, repeated to fill the length.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "sms/address_field.h"
#include "sms/deliver_decoder.h"
#include "sms/dial_number.h"
#include "sms/gsm_alphabet.h"
#include "sms/line_ends.h"
#include "sms/septets.h"
#include "sms/submit_encoder.h"

namespace {

namespace sms = mivex::sms;
using mivex::fuzz::Require;

// Long enough for four segments, short enough to keep every run quick.
constexpr std::size_t kMaxTextUnits = 600;

// The characters a filtered number may hold.
constexpr std::u16string_view kDialChars = u"0123456789*#+pw";

// Any valid time will do: the stamp is not what this target checks.
constexpr std::array<std::uint8_t, 7> kStamp = {0x40, 0x21, 0x51, 0x31, 0x50, 0x80, 0x00};

// Reads the input front to back; past its end every octet reads as 0, so any
// input, however short, makes a message.
class InputReader {
public:
    explicit InputReader(std::span<const std::uint8_t> input) : rest_(input) {}

    std::uint8_t Octet() {
        if (rest_.empty()) {
            return 0;
        }
        const std::uint8_t octet = rest_.front();
        rest_ = rest_.subspan(1);
        return octet;
    }

    [[nodiscard]] bool AtEnd() const { return rest_.empty(); }

private:
    std::span<const std::uint8_t> rest_;
};

struct SubmitCase {
    bool statusReport = false;
    bool replyPath = false;
    int validityChoice = 0;
    bool usePhoneServiceCentre = false;
    sms::SubmitCounters counters;
    std::u16string recipient;
    std::u16string serviceCentre;
    std::u16string text;
};

std::u16string DialNumber(InputReader& input, std::size_t length) {
    std::u16string number;
    for (std::size_t i = 0; i < length; ++i) {
        number.push_back(kDialChars[input.Octet() % kDialChars.size()]);
    }
    return number;
}

// In narrow mode an octet below 0x80 is that ASCII unit (brackets, CR and LF
// among them, which the GSM alphabet lacks or treats specially) and an octet
// from 0x80 is the GSM character of its low seven bits, Greek capitals
// included. In wide mode two octets make any UTF-16 unit, the euro sign and
// lone surrogates included.
std::u16string MessageText(InputReader& input, bool wideUnits) {
    const std::size_t high = input.Octet();
    const std::size_t length = (high << 8 | input.Octet()) % (kMaxTextUnits + 1);
    std::u16string pattern;
    while (!input.AtEnd() && pattern.size() < length) {
        const std::uint8_t octet = input.Octet();
        if (wideUnits) {
            pattern.push_back(static_cast<char16_t>(octet << 8 | input.Octet()));
        } else if (octet < 0x80) {
            pattern.push_back(static_cast<char16_t>(octet));
        } else {
            pattern.push_back(sms::GsmAlphabet[octet & 0x7F]);
        }
    }
    if (pattern.empty()) {
        pattern = u"@";
    }
    std::u16string text;
    for (std::size_t i = 0; i < length; ++i) {
        text.push_back(pattern[i % pattern.size()]);
    }
    return text;
}

SubmitCase DeriveCase(InputReader& input) {
    SubmitCase submit;
    const std::uint8_t options = input.Octet();
    submit.statusReport = (options & 0x01) != 0;
    submit.replyPath = (options & 0x02) != 0;
    submit.validityChoice = (options >> 2) & 0x03;
    submit.usePhoneServiceCentre = (options & 0x10) != 0;
    const bool wideUnits = (options & 0x20) != 0;
    submit.counters.ConcatRef = input.Octet();
    submit.recipient = DialNumber(input, input.Octet() % (sms::kMaxNumberLength + 1));
    // A usable service centre is "+" and at least one more character.
    submit.serviceCentre =
        u"+" + DialNumber(input, 1 + input.Octet() % (sms::kMaxNumberLength - 1));
    submit.text = MessageText(input, wideUnits);
    return submit;
}

// Of the dial characters only these travel as semi-octets; "+" becomes the
// type of address and "p" and "w" are dropped.
bool IsSemiOctetDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || c == u'*' || c == u'#';
}

std::size_t EncodableDigits(std::u16string_view number) {
    return static_cast<std::size_t>(std::count_if(number.begin(), number.end(), IsSemiOctetDigit));
}

// What the receiver reads as sender: the digits, "*" and "#" of the number,
// behind a "+" when the number was international.
std::u16string ExpectedSender(std::u16string_view recipient) {
    std::u16string sender = !recipient.empty() && recipient.front() == u'+' ? u"+" : u"";
    for (const char16_t c : recipient) {
        if (IsSemiOctetDigit(c)) {
            sender.push_back(c);
        }
    }
    return sender;
}

// What the receiver reads as text: every character that went through the GSM
// alphabet, with its line breaks made CR LF pairs.
std::u16string ExpectedText(std::u16string_view sent) {
    if (sent.empty()) {
        return sms::kNoMessageText;
    }
    std::u16string text = sms::GsmCodesToText(sms::TextToGsmCodes(sent));
    (void)sms::NormaliseLineEnds(text, sms::kMessageTextCapacity);
    return text;
}

void CheckServiceCentreField(const SubmitCase& submit, std::span<const std::uint8_t> field) {
    if (submit.usePhoneServiceCentre) {
        Require(field.size() == 1 && field[0] == 0x00, "the phone's own centre is the octet 00");
        return;
    }
    const std::size_t digits = EncodableDigits(submit.serviceCentre);
    // Here the length octet counts the octets after it, not digits.
    Require(field.size() == 2 + (digits + 1) / 2, "service-centre field size");
    Require(field[0] == field.size() - 1 && field[1] == sms::kAddressInternational,
            "service-centre length octet and international type");
}

std::uint8_t OctetAt(std::span<const std::uint8_t> octets, std::size_t index) {
    Require(index < octets.size(), "every SUBMIT field lies inside the PDU");
    return octets[index];
}

// Checks the SMS-SUBMIT layout of one PDU, field by field, and returns the
// SMS-DELIVER that would carry the same address, TP-UDL and user data to the
// recipient.
std::vector<std::uint8_t> CheckSubmitLayout(const SubmitCase& submit,
                                            std::span<const std::uint8_t> serviceCentreField,
                                            const sms::EncodedPdu& pdu, bool segmented) {
    const std::span<const std::uint8_t> octets = pdu.octets;
    Require(octets.size() > serviceCentreField.size() &&
                std::equal(serviceCentreField.begin(), serviceCentreField.end(), octets.begin()),
            "the PDU opens with the service-centre field");
    Require(pdu.cmgsLength == static_cast<int>(octets.size() - serviceCentreField.size()),
            "the AT+CMGS length counts the octets after the service-centre field");

    const std::size_t first = serviceCentreField.size();
    const std::uint8_t expectedFirst =
        static_cast<std::uint8_t>((segmented ? 0x51 : 0x11) | (submit.statusReport ? 0x20 : 0) |
                                  (submit.replyPath ? 0x80 : 0));
    Require(OctetAt(octets, first) == expectedFirst, "first octet: SUBMIT, TP-VPF, UDHI, SRR, RP");
    Require(OctetAt(octets, first + 1) == submit.counters.MessageRef, "TP-MR is MessageRef");

    // TP-DA: length in digits, type of address, semi-octets.
    const std::size_t address = first + 2;
    const std::uint8_t digits = OctetAt(octets, address);
    Require(digits == EncodableDigits(submit.recipient), "TP-DA length counts the digits");
    const bool international = !submit.recipient.empty() && submit.recipient.front() == u'+';
    Require(OctetAt(octets, address + 1) ==
                (international ? sms::kAddressInternational : sms::kAddressUnknown),
            "TP-DA type follows the leading +");
    const std::size_t afterAddress = address + sms::AddressFieldOctets(digits);

    Require(OctetAt(octets, afterAddress) == 0x00, "TP-PID is 00");
    Require(OctetAt(octets, afterAddress + 1) == 0x00, "TP-DCS is the default alphabet");
    Require(OctetAt(octets, afterAddress + 2) ==
                sms::ValidityPeriodOctet(submit.validityChoice).value(),
            "TP-VP follows the validity choice");
    const std::uint8_t userDataLength = OctetAt(octets, afterAddress + 3);
    Require(userDataLength <= sms::kSingleMessageChars, "TP-UDL is at most 160 septets");
    const std::size_t userDataAt = afterAddress + 4;
    Require(octets.size() - userDataAt ==
                static_cast<std::size_t>(sms::SeptetOctets(0, userDataLength)),
            "the user data holds exactly TP-UDL septets");

    std::vector<std::uint8_t> deliver = {0x00, static_cast<std::uint8_t>(segmented ? 0x44 : 0x04)};
    deliver.insert(deliver.end(), octets.begin() + static_cast<std::ptrdiff_t>(address),
                   octets.begin() + static_cast<std::ptrdiff_t>(afterAddress));
    deliver.push_back(0x00);  // TP-PID
    deliver.push_back(0x00);  // TP-DCS
    deliver.insert(deliver.end(), kStamp.begin(), kStamp.end());
    // TP-UDL and the user data as they are.
    deliver.insert(deliver.end(), octets.begin() + static_cast<std::ptrdiff_t>(afterAddress + 3),
                   octets.end());
    return deliver;
}

void CheckDelivered(const SubmitCase& submit, std::span<const std::uint8_t> deliver, int sequence,
                    int count) {
    const sms::DeliverDecodeResult result = sms::DecodeDeliver(deliver);
    Require(result.decoded(), "the DELIVER made of a SUBMIT decodes");
    const sms::DeliverMessage& message = result.message;
    Require(message.SenderNumber == ExpectedSender(submit.recipient),
            "the recipient comes back as the sender");

    const bool segmented = count > 1;
    const std::size_t firstChar =
        segmented ? sms::kSegmentChars * static_cast<std::size_t>(sequence - 1) : 0;
    const std::size_t charCount = segmented ? sms::kSegmentChars : sms::kSingleMessageChars;
    const std::u16string_view sent = std::u16string_view(submit.text).substr(firstChar, charCount);
    Require(message.Text == ExpectedText(sent),
            "the text comes back as the GSM alphabet carries it");

    if (segmented) {
        Require(message.IsPart == 1 && message.PartRef == submit.counters.ConcatRef &&
                    message.PartCount == count && message.PartSeq == sequence,
                "a segment comes back as its part of the message");
    } else {
        Require(message.IsPart == 0, "a single message comes back whole");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader input(std::span<const std::uint8_t>(data, size));
    const SubmitCase submit = DeriveCase(input);

    const sms::SubmitOptions options =
        sms::MakeSubmitOptions(submit.statusReport, submit.replyPath,
                               sms::ValidityPeriodOctet(submit.validityChoice).value());
    const std::vector<std::uint8_t> serviceCentreField =
        sms::BuildServiceCentreField(submit.usePhoneServiceCentre, submit.serviceCentre);
    CheckServiceCentreField(submit, serviceCentreField);

    const std::vector<sms::EncodedPdu> pdus = sms::BuildMessagePdus(
        serviceCentreField, submit.recipient, submit.text, options, submit.counters);
    const std::size_t length = submit.text.size();
    const std::size_t expectedCount = length <= sms::kSingleMessageChars
                                          ? 1
                                          : (length + sms::kSegmentChars - 1) / sms::kSegmentChars;
    Require(pdus.size() == expectedCount, "one PDU, or one per 153-character segment");

    const int count = static_cast<int>(pdus.size());
    for (int sequence = 1; sequence <= count; ++sequence) {
        const std::vector<std::uint8_t> deliver = CheckSubmitLayout(
            submit, serviceCentreField, pdus[static_cast<std::size_t>(sequence - 1)], count > 1);
        CheckDelivered(submit, deliver, sequence, count);
    }
    return 0;
}

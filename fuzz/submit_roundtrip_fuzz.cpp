// Builds the SMS-SUBMIT PDUs of a message derived from the bytes, checks their
// layout, then hands each PDU's user data to the SMS-DELIVER decoder as a
// phone would deliver it and expects the text that was sent: exactly, or with
// "?" for what the GSM alphabet lacks when the GSM alphabet alone is chosen.
// The units each PDU carries are worked out from its TP-UDL, so the target
// also checks the choice of encoding and that segments are as full as they can
// be without splitting an escape pair or a surrogate pair.
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
    sms::AlphabetChoice alphabet = sms::AlphabetChoice::Automatic;
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

// The extension table's characters as the GSM alphabet defines them, written
// out apart from the codec's own table.
constexpr std::u16string_view kExtensionChars = u"\f^{}\\[~]|\u20AC";

// Narrow-mode octets E0 to EF: characters that decide the encoding or need an
// escape, so that they meet the segment boundaries of otherwise GSM texts.
constexpr std::u16string_view kNarrowSpecials[] = {u"\u20AC",
                                                   u"[",
                                                   u"]",
                                                   u"{",
                                                   u"}",
                                                   u"~",
                                                   u"^",
                                                   u"|",
                                                   u"\\",
                                                   u"\f",
                                                   u"\u041F",
                                                   u"\u4F60",
                                                   u"\xD83D\xDE00",
                                                   u"\xD83D",
                                                   u"\xDE00",
                                                   u"\u00BF"};

// In narrow mode an octet below 0x80 is that ASCII unit (brackets, CR and LF
// among them, which the GSM alphabet lacks or treats specially), an octet
// from E0 to EF one of kNarrowSpecials, and any other from 0x80 the GSM
// character of its low seven bits, Greek capitals included. In wide mode two
// octets make any UTF-16 unit, the euro sign and lone surrogates included.
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
        } else if (octet >= 0xE0 && octet < 0xF0) {
            pattern += kNarrowSpecials[octet - 0xE0];
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
    if ((options & 0x40) != 0) {
        submit.alphabet = sms::AlphabetChoice::GsmOnly;
    }
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

bool InDefaultAlphabet(char16_t unit) {
    return unit == u'?' || sms::TextToGsmCode(unit) != sms::kGsmQuestionMark;
}

bool InExtensionTable(char16_t unit) {
    return kExtensionChars.find(unit) != std::u16string_view::npos;
}

bool IsPairAt(std::u16string_view text, std::size_t at) {
    return at + 1 < text.size() && text[at] >= 0xD800 && text[at] <= 0xDBFF &&
           text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF;
}

// How the text is expected to travel: the encoding, and what each character
// (a unit, or a surrogate pair in UCS2) costs of a segment.
struct Coding {
    bool ucs2 = false;
    bool gsmOnly = false;

    [[nodiscard]] std::size_t UnitsAt(std::u16string_view text, std::size_t at) const {
        return ucs2 && IsPairAt(text, at) ? 2 : 1;
    }
    [[nodiscard]] std::size_t CostAt(std::u16string_view text, std::size_t at) const {
        if (ucs2) {
            return UnitsAt(text, at);
        }
        return !gsmOnly && InExtensionTable(text[at]) ? 2 : 1;
    }
    [[nodiscard]] std::size_t SingleCapacity() const {
        return ucs2 ? sms::kSingleMessageUcs2Units : sms::kSingleMessageSeptets;
    }
    [[nodiscard]] std::size_t SegmentCapacity() const {
        return ucs2 ? sms::kSegmentUcs2Units : sms::kSegmentSeptets;
    }
};

Coding ExpectedCoding(const SubmitCase& submit) {
    Coding coding;
    coding.gsmOnly = submit.alphabet == sms::AlphabetChoice::GsmOnly;
    coding.ucs2 =
        !coding.gsmOnly && std::any_of(submit.text.begin(), submit.text.end(), [](char16_t unit) {
            return !InDefaultAlphabet(unit) && !InExtensionTable(unit);
        });
    return coding;
}

std::size_t CostOf(const Coding& coding, std::u16string_view text) {
    std::size_t cost = 0;
    for (std::size_t at = 0; at < text.size(); at += coding.UnitsAt(text, at)) {
        cost += coding.CostAt(text, at);
    }
    return cost;
}

// What the receiver reads as text: the units sent, or with the GSM alphabet
// alone every character it carries, with line breaks made CR LF pairs.
std::u16string ExpectedText(const Coding& coding, std::u16string_view sent) {
    if (sent.empty()) {
        return sms::kNoMessageText;
    }
    std::u16string text =
        coding.gsmOnly ? sms::GsmCodesToText(sms::TextToGsmCodes(sent)) : std::u16string(sent);
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
// SMS-DELIVER that would carry the same address, TP-DCS, TP-UDL and user data
// to the recipient.
std::vector<std::uint8_t> CheckSubmitLayout(const SubmitCase& submit, const Coding& coding,
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
    const std::uint8_t dataCoding = coding.ucs2 ? 0x08 : 0x00;
    Require(OctetAt(octets, afterAddress + 1) == dataCoding,
            "TP-DCS is UCS2 exactly when a character is in neither GSM table");
    Require(OctetAt(octets, afterAddress + 2) ==
                sms::ValidityPeriodOctet(submit.validityChoice).value(),
            "TP-VP follows the validity choice");
    const std::uint8_t userDataLength = OctetAt(octets, afterAddress + 3);
    const std::size_t userDataAt = afterAddress + 4;
    if (coding.ucs2) {
        Require(userDataLength <= 140 && userDataLength % 2 == 0,
                "TP-UDL is an even count of at most 140 octets");
        Require(octets.size() - userDataAt == userDataLength,
                "the user data holds exactly TP-UDL octets");
    } else {
        Require(userDataLength <= sms::kSingleMessageSeptets, "TP-UDL is at most 160 septets");
        Require(octets.size() - userDataAt ==
                    static_cast<std::size_t>(sms::SeptetOctets(0, userDataLength)),
                "the user data holds exactly TP-UDL septets");
    }

    std::vector<std::uint8_t> deliver = {0x00, static_cast<std::uint8_t>(segmented ? 0x44 : 0x04)};
    deliver.insert(deliver.end(), octets.begin() + static_cast<std::ptrdiff_t>(address),
                   octets.begin() + static_cast<std::ptrdiff_t>(afterAddress));
    deliver.push_back(0x00);  // TP-PID
    deliver.push_back(dataCoding);
    deliver.insert(deliver.end(), kStamp.begin(), kStamp.end());
    // TP-UDL and the user data as they are.
    deliver.insert(deliver.end(), octets.begin() + static_cast<std::ptrdiff_t>(afterAddress + 3),
                   octets.end());
    return deliver;
}

// The units of the text that a PDU of `payload` septets or UCS2 units carries
// from `first` on.
std::size_t CarriedUnits(const Coding& coding, std::u16string_view text, std::size_t first,
                         std::size_t payload) {
    std::size_t at = first;
    std::size_t used = 0;
    while (used < payload) {
        Require(at < text.size(), "a PDU carries no more than the text");
        used += coding.CostAt(text, at);
        at += coding.UnitsAt(text, at);
    }
    Require(used == payload, "a PDU never carries half an escape pair or surrogate pair");
    return at - first;
}

// Checks one PDU's decoded text against the units it carries from `first`,
// and returns the units it carried.
std::size_t CheckDelivered(const SubmitCase& submit, const Coding& coding,
                           std::span<const std::uint8_t> deliver, std::size_t first, int sequence,
                           int count) {
    const sms::DeliverDecodeResult result = sms::DecodeDeliver(deliver);
    Require(result.decoded(), "the DELIVER made of a SUBMIT decodes");
    const sms::DeliverMessage& message = result.message;
    Require(message.SenderNumber == ExpectedSender(submit.recipient),
            "the recipient comes back as the sender");

    const bool segmented = count > 1;
    // TP-UDL is the octet after the time stamp: past 00, the first octet, the
    // address, TP-PID and TP-DCS.
    const std::size_t userDataLength = deliver[2 + sms::AddressFieldOctets(deliver[2]) + 2 + 7];
    const std::size_t header = segmented ? (coding.ucs2 ? 6 : 7) : 0;
    const std::size_t payload = (userDataLength - header) / (coding.ucs2 ? 2 : 1);
    const std::u16string_view text = submit.text;
    const std::size_t units = CarriedUnits(coding, text, first, payload);
    Require(message.Text == ExpectedText(coding, text.substr(first, units)),
            "the text comes back as it was sent");

    const std::size_t next = first + units;
    if (segmented) {
        Require(message.IsPart == 1 && message.PartRef == submit.counters.ConcatRef &&
                    message.PartCount == count && message.PartSeq == sequence,
                "a segment comes back as its part of the message");
        Require(sequence == count || (next < text.size() && payload + coding.CostAt(text, next) >
                                                                coding.SegmentCapacity()),
                "a segment takes every character that fits");
    } else {
        Require(message.IsPart == 0, "a single message comes back whole");
    }
    return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputReader input(std::span<const std::uint8_t>(data, size));
    const SubmitCase submit = DeriveCase(input);

    sms::SubmitOptions options =
        sms::MakeSubmitOptions(submit.statusReport, submit.replyPath,
                               sms::ValidityPeriodOctet(submit.validityChoice).value());
    options.alphabet = submit.alphabet;
    const std::vector<std::uint8_t> serviceCentreField =
        sms::BuildServiceCentreField(submit.usePhoneServiceCentre, submit.serviceCentre);
    CheckServiceCentreField(submit, serviceCentreField);

    const std::vector<sms::EncodedPdu> pdus = sms::BuildMessagePdus(
        serviceCentreField, submit.recipient, submit.text, options, submit.counters);
    const Coding coding = ExpectedCoding(submit);
    const bool fitsOne = CostOf(coding, submit.text) <= coding.SingleCapacity();
    Require(fitsOne == (pdus.size() == 1), "one PDU exactly when the text fits one SMS");

    const int count = static_cast<int>(pdus.size());
    std::size_t first = 0;
    for (int sequence = 1; sequence <= count; ++sequence) {
        const std::vector<std::uint8_t> deliver =
            CheckSubmitLayout(submit, coding, serviceCentreField,
                              pdus[static_cast<std::size_t>(sequence - 1)], count > 1);
        first += CheckDelivered(submit, coding, deliver, first, sequence, count);
    }
    Require(first == submit.text.size(), "the PDUs carry the whole text");

    const sms::TextMeasure measure = sms::MeasureText(submit.text, submit.alphabet);
    Require(measure.segments == pdus.size() &&
                measure.encoding ==
                    (coding.ucs2 ? sms::TextEncoding::Ucs2 : sms::TextEncoding::Gsm7Bit),
            "the counter's measure is what is sent");
    return 0;
}

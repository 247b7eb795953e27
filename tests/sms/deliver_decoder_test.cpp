#include "sms/deliver_decoder.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "test_octets.h"

namespace mivex::sms {
namespace {

using test::DeliverPdu;
using test::Octets;
using test::Repeat;

struct Vector {
    std::string_view name;
    std::string pdu;  // first octet, TP-DCS, TP-UDL and user data
    std::u16string text;
    std::int32_t partRef = 0, partCount = 0, partSeq = 0;  // partSeq 0: a whole message
};

void ExpectDecoded(const Vector& vector) {
    SCOPED_TRACE(vector.name);
    const DeliverMessage m = DecodeDeliver(DeliverPdu(vector.pdu)).message;
    const std::int32_t isPart = vector.partSeq != 0 ? 1 : 0;
    EXPECT_EQ(std::tuple(m.SenderNumber, m.TimeStamp, m.Text, m.IsPart, m.PartRef, m.PartCount,
                         m.PartSeq, m.Unread),
              std::tuple(u"+44770090012", 127475895080000000U, vector.text, isPart, vector.partRef,
                         vector.partCount, vector.partSeq, 1));
}

TEST(DeliverDecoder, DecodesTextAndConcatenation) {
    const Vector vectors[] = {
        // A header of h octets and its fill bits take (8h + 14) / 7 septets.
        {"8-bit reference", "44 00 09 05 00 03 2A 02 01 90 69", u"Hi", 42, 2, 1},
        {"16-bit reference", "44 00 0A 06 08 04 12 34 02 01 C8 34", u"Hi", 0x3412, 2, 1},
        {"0A stepped over", "44 00 0E 09 0A 02 00 00 00 03 2A 02 02 80 4C 03", u"Hi", 42, 2, 2},
        {"UCS2 odd last octet", "04 08 05 00 48 00 69 00 21", u"Hi"},
        {"UCS2 after a header", "44 08 0A 05 00 03 2A 02 01 00 48 00 69", u"Hi", 42, 2, 1},
        {"element of another length ignored", "44 08 0B 06 00 04 2A 02 01 01 00 48 00 69", u"Hi"},
        {"first element taken ends the search",
         "44 08 10 0B 00 03 2A 02 01 08 04 12 34 03 02 00 48 00 69", u"Hi", 42, 2, 1},
        {"ignored element, then one taken",
         "44 08 10 0B 00 03 2A 02 00 08 04 12 34 03 02 00 48 00 69", u"Hi", 0x3412, 3, 2},
        {"CR LF, lone surrogates", "04 08 06 D8 00 00 0A DC 00", u"\xD800\r\n\xDC00"},
        // 1B 3C 78 1B 3E: escape pairs decode by the extension table.
        {"escape pairs", "04 00 05 1B 1E 7E E3 03", u"[x]"},
        {"part without text", "44 08 06 05 00 03 2A 02 01", kNoMessageText, 42, 2, 1},
        // Fewer octets than TP-UDL claims: the whole characters present.
        {"3 of 10 septets", "04 00 0A E8 32 9B", u"hel"},
        {"UCS2 2.5 of 3 characters", "04 08 06 00 48 00 69 00", u"Hi"},
    };
    for (const Vector& vector : vectors)
        ExpectDecoded(vector);
}

TEST(DeliverDecoder, CodingSchemeChoosesTheAlphabet) {
    // The edges of each TP-DCS range: general coding, automatic deletion (40 to
    // 7F read as 00 to 3F), message waiting with text (D0 to EF) and the class
    // group. After its header the user data reads "@H@" as septets and "Hi" as
    // UCS2; the header of a coding not understood is never read. Compressed
    // text and 8-bit data stay unknown, and so do the reserved groups.
    const std::pair<std::u16string, std::string_view> alphabets[] = {
        {u"@H@", "03 10 13 40 43 50 53 D0 DF F0 F3"},
        {u"Hi", "08 0B 18 1B 48 4B 58 5B E0 EF"},
        {kUnknownFormatText, "04 07 0C 0F 14 17 1C 20 3F 44 4C 60 7F 80 BF C0 CF F4 F8 FF"},
    };
    for (const auto& [text, codings] : alphabets) {
        for (const std::uint8_t coding : Octets(codings)) {
            const std::string hex = test::SpacedHex({&coding, 1});
            const int part = text == kUnknownFormatText ? 0 : 1;
            ExpectDecoded({hex, "44 " + hex + " 0A 05 00 03 2A 02 01 00 48 00 69", text, 42 * part,
                           2 * part, part});
        }
    }
}

TEST(DeliverDecoder, RefusesPdusThatEndBeforeTheirFields) {
    using enum DecodeStatus;
    const std::string sender = "00 04 0B 91 44 77 00 09 10 F2";  // SMS-DELIVER up to TP-OA
    const std::tuple<const char*, std::vector<std::uint8_t>, DecodeStatus> refusals[] = {
        {"9 octets", Octets("00 04 0B 91 44 77 00 09 10"), TooShort},
        {"SMS-SUBMIT", DeliverPdu("01 00 02 C8 34"), NotDeliver},
        {"SMS-STATUS-REPORT", DeliverPdu("02 00 02 C8 34"), NotDeliver},
        {"centre past the end", Octets("0B 91 44 77 00 09 00 50 04 0B 91"), ServiceCentreTooLong},
        {"centre to the end", Octets("09 91 44 77 00 09 00 50 04 0B"), ServiceCentreTooLong},
        {"address past the end", Octets("00 04 14 91 44 77 00 09 10 F2 00 00"), AddressTruncated},
        {"address to the end", Octets(sender), TimeStampTruncated},
        {"stamp without zone", Octets(sender + " 00 00 40 21 51 31 50 80"), TimeStampTruncated},
        {"no TP-UDL", Octets(sender + " 00 00 40 21 51 31 50 80 00"), NoUserDataLength},
        {"no header length", DeliverPdu("44 00 09"), HeaderTruncated},
        {"header 1 octet too long", DeliverPdu("44 00 09 06 00 03 2A 02 01"), HeaderTruncated},
        {"element past the end", DeliverPdu("44 00 09 03 00 03 2A"), HeaderTruncated},
        {"element length missing", DeliverPdu("44 00 09 01 00"), HeaderTruncated},
    };
    for (const auto& [name, pdu, status] : refusals) {
        // Compared by description, so a failure names both statuses.
        EXPECT_EQ(DescribeDecodeStatus(DecodeDeliver(pdu).status), DescribeDecodeStatus(status))
            << name;
    }
}

TEST(DeliverDecoder, KeepsAtMost199UnitsOfSenderAndText) {
    // 255 digits behind a service centre, then TP-UDL 255 over 256 septets of "a".
    const DeliverMessage longFields =
        DecodeDeliver(Octets("07 91 44 77 00 09 00 50 04 FF 91 " + Repeat("11 ", 128) +
                             "00 00 40 21 51 31 50 80 00 FF " +
                             Repeat("E1 70 38 1C 0E 87 C3 ", 32)))
            .message;
    EXPECT_EQ(longFields.SenderNumber, u"+" + std::u16string(198, u'1'));
    EXPECT_EQ(longFields.Text, std::u16string(199, u'a'));
    // 160 line feeds: pairing them stops once the text reaches 198 units.
    const auto lineFeeds =
        DecodeDeliver(DeliverPdu("04 00 A0 " + Repeat("0A 85 42 A1 50 28 14 ", 20)));
    EXPECT_EQ(lineFeeds.message.Text.size(), 198U);
}

}  // namespace
}  // namespace mivex::sms

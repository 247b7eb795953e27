#include "sms/submit_encoder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "test_octets.h"

namespace mivex::sms {
namespace {

using test::SpacedHex;

constexpr std::u16string_view kRecipient = u"+44770090012";
const std::vector<std::uint8_t> kPhoneCentre = {0x00};
const SubmitOptions kPlain = MakeSubmitOptions(false, false, 0x0B);

TEST(SubmitEncoder, BuildsTheHandCheckedPdus) {
    // Service centre (empty: the phone's own), recipient, text, options, PDU and
    // the AT+CMGS length, which leaves out the service-centre field.
    const std::tuple<std::u16string_view, std::u16string_view, std::u16string_view, SubmitOptions,
                     std::string_view, int>
        vectors[] = {
            {u"", kRecipient, u"Hi", kPlain, "00 11 00 0B 91 44 77 00 09 10 F2 00 00 0B 02 C8 34",
             16},
            // The service centre's length octet counts the octets after it.
            {u"+12345", kRecipient, u"Hi", MakeSubmitOptions(true, false, 0x0B),
             "04 91 21 43 F5 31 00 0B 91 44 77 00 09 10 F2 00 00 0B 02 C8 34", 16},
            {u"", u"0123", u"\u20AC", MakeSubmitOptions(false, true, 0xAD),
             "00 91 00 04 81 10 32 00 00 AD 01 3F", 11},
        };
    for (const auto& [centre, recipient, text, options, pdu, cmgsLength] : vectors) {
        SCOPED_TRACE(pdu);
        const auto centreField = BuildServiceCentreField(centre.empty(), centre);
        const EncodedPdu encoded =
            BuildSubmitPdu(centreField, recipient, text, std::nullopt, options, 0);
        EXPECT_EQ(SpacedHex(encoded.octets), pdu);
        EXPECT_EQ(encoded.cmgsLength, cmgsLength);
    }
    const std::optional<std::uint8_t> validity[] = {{}, 0x0B, 0x8F, 0xA7, 0xAD, {}};  // -1 to 4
    for (int choice = -1; choice <= 4; ++choice) {
        EXPECT_EQ(ValidityPeriodOctet(choice), validity[choice + 1]) << choice;
    }
}

TEST(SubmitEncoder, LongTextsGoIn153CharacterSegmentsBehindAHeader) {
    EXPECT_EQ(
        std::vector({SegmentCount(160), SegmentCount(161), SegmentCount(306), SegmentCount(307)}),
        std::vector({1, 2, 2, 3}));
    // A single message sends at most 160 characters: TP-UDL A0 and 140 octets,
    // the same PDU as a text of exactly 160.
    const std::vector<std::uint8_t> cut =
        BuildSubmitPdu(kPhoneCentre, kRecipient, std::u16string(170, u'A'), std::nullopt, kPlain, 0)
            .octets;
    EXPECT_EQ(SpacedHex(cut).substr(0, 44), "00 11 00 0B 91 44 77 00 09 10 F2 00 00 0B A0");
    EXPECT_EQ(cut.size(), 15U + 140U);
    const auto single =
        BuildMessagePdus(kPhoneCentre, kRecipient, std::u16string(160, u'A'), kPlain, {});
    ASSERT_EQ(single.size(), 1U);
    EXPECT_EQ(single[0].octets, cut);
    // The header 05 00 03 ref count sequence, a zero fill bit, then "A" from bit 49.
    const auto pdus = BuildMessagePdus(kPhoneCentre, kRecipient, std::u16string(161, u'A'),
                                       MakeSubmitOptions(true, true, 0x0B), {0, 0xFE});
    ASSERT_EQ(pdus.size(), 2U);
    EXPECT_EQ(SpacedHex(std::span(pdus[0].octets).first(22)),
              "00 F1 00 0B 91 44 77 00 09 10 F2 00 00 0B A0 05 00 03 FE 02 01 82");
    EXPECT_EQ(SpacedHex(pdus[1].octets),
              "00 F1 00 0B 91 44 77 00 09 10 F2 00 00 0B 0F 05 00 03 FE 02 02 82 C1 60 30 18 0C "
              "06 01");
}

TEST(SubmitEncoder, SpaceLeftCountsDownEachSmsOfTheText) {
    struct Row {
        std::size_t lengthChars;
        MessageSpace expected;
    };
    const Row rows[] = {
        {.lengthChars = 0, .expected = {160, 1}},    {.lengthChars = 160, .expected = {0, 1}},
        {.lengthChars = 161, .expected = {145, 2}},  {.lengthChars = 306, .expected = {0, 2}},
        {.lengthChars = 307, .expected = {152, 3}},  {.lengthChars = 459, .expected = {0, 3}},
        {.lengthChars = 9999, .expected = {99, 66}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.lengthChars);
        EXPECT_EQ(SpaceLeft(row.lengthChars), row.expected);
    }
}

}  // namespace
}  // namespace mivex::sms

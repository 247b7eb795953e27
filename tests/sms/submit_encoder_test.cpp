#include "sms/submit_encoder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "test_octets.h"

namespace mivex::sms {
namespace {

using test::SpacedHex;

constexpr std::u16string_view kRecipient = u"+44770090012";
const std::vector<std::uint8_t> kPhoneCentre = {0x00};
const SubmitOptions kPlain = MakeSubmitOptions(false, false, 0x0B);

TEST(SubmitEncoder, BuildsTheHandCheckedPdus) {
    // Service centre (empty: the phone's own), text, options, PDU and the
    // AT+CMGS length, which leaves out the service-centre field.
    const std::tuple<std::u16string_view, std::u16string_view, SubmitOptions, std::string_view, int>
        vectors[] = {
            // The service centre's length octet counts the octets after it.
            {u"+12345", u"Hi", MakeSubmitOptions(true, false, 0x0B),
             "04 91 21 43 F5 31 00 0B 91 44 77 00 09 10 F2 00 00 0B 02 C8 34", 16},
            // Cyrillic "Pe" and an emoji's surrogate pair: UCS2, TP-UDL in octets.
            {u"", u"\u041F\xD83D\xDE00", kPlain,
             "00 11 00 0B 91 44 77 00 09 10 F2 00 08 0B 06 04 1F D8 3D DE 00", 20},
        };
    for (const auto& [centre, text, options, pdu, cmgsLength] : vectors) {
        SCOPED_TRACE(pdu);
        const auto centreField = BuildServiceCentreField(centre.empty(), centre);
        const EncodedPdu encoded =
            BuildSubmitPdu(centreField, kRecipient, text, std::nullopt, options, 0);
        EXPECT_EQ(SpacedHex(encoded.octets), pdu);
        EXPECT_EQ(encoded.cmgsLength, cmgsLength);
    }
    const std::optional<std::uint8_t> validity[] = {{}, 0x0B, 0x8F, 0xA7, 0xAD, {}};  // -1 to 4
    for (int choice = -1; choice <= 4; ++choice)
        EXPECT_EQ(ValidityPeriodOctet(choice), validity[choice + 1]) << choice;
}

TEST(SubmitEncoder, ASingleMessageCarriesWhatOneSmsHolds) {
    // 160 septets, TP-UDL A0 and 140 octets: a longer text loses the rest, so
    // the PDU is the one of a text of exactly 160.
    const auto cut = BuildSubmitPdu(kPhoneCentre, kRecipient, std::u16string(170, u'A'),
                                    std::nullopt, kPlain, 0);
    EXPECT_EQ(SpacedHex(cut.octets).substr(0, 44), "00 11 00 0B 91 44 77 00 09 10 F2 00 00 0B A0");
    const auto single =
        BuildMessagePdus(kPhoneCentre, kRecipient, std::u16string(160, u'A'), kPlain, {});
    ASSERT_EQ(single.size(), 1U);
    EXPECT_EQ(single[0].octets, cut.octets);
    EXPECT_EQ(cut.octets.size(), 15U + 140U);
}

TEST(TextMeasure, ChoosesTheEncodingAndSplitsWithoutBreakingPairs) {
    const auto n = [](int times, const char16_t* text) { return test::Repeat(text, times); };
    const char16_t *a = u"a", *euro = u"\u20AC", *pe = u"\u041F", *smile = u"\xD83D\xDE00";
    constexpr auto kGsm = TextEncoding::Gsm7Bit, kUcs2 = TextEncoding::Ucs2;
    constexpr auto kGsmOnly = AlphabetChoice::GsmOnly;
    struct Row {
        const char* name;
        std::u16string text;
        TextEncoding encoding;
        std::size_t unitsLeft;
        std::vector<TextRange> ranges;
        AlphabetChoice choice = AlphabetChoice::Automatic;
    };
    // Name, text, encoding, units left in the last SMS, the units of each SMS. A
    // pair is an escape pair in GSM 7-bit and a surrogate pair in UCS2.
    const Row rows[] = {
        {"empty", u"", kGsm, 160, {{0, 0}}},
        {"160 septets", n(160, a), kGsm, 0, {{0, 160}}},
        {"161 septets", n(161, a), kGsm, 145, {{0, 153}, {153, 8}}},
        {"158 and a pair are 160", n(158, a) + euro, kGsm, 0, {{0, 159}}},
        {"159 and a pair are 161", n(159, a) + euro, kGsm, 145, {{0, 153}, {153, 7}}},
        {"pair at 152-153 stays", n(151, a) + euro + n(10, a), kGsm, 143, {{0, 152}, {152, 10}}},
        {"pair at 153-154 moves on", n(152, a) + euro + n(10, a), kGsm, 141, {{0, 152}, {152, 11}}},
        {"70 units", n(70, pe), kUcs2, 0, {{0, 70}}},
        {"135 units", n(135, pe), kUcs2, 66, {{0, 67}, {67, 67}, {134, 1}}},
        {"pair at 66-67 moves on", n(66, pe) + smile + n(5, pe), kUcs2, 60, {{0, 66}, {66, 7}}},
        {"pair at 65-66 stays", n(65, pe) + smile + n(5, pe), kUcs2, 62, {{0, 67}, {67, 5}}},
        {"a lone surrogate needs UCS2", u"a\xD83D", kUcs2, 68, {{0, 2}}},
        {"GSM only: a unit a septet", n(161, euro), kGsm, 145, {{0, 153}, {153, 8}}, kGsmOnly},
        {"GSM only: never UCS2", n(70, pe) + smile, kGsm, 88, {{0, 72}}, kGsmOnly},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TextMeasure measure = MeasureText(row.text, row.choice);
        EXPECT_EQ(measure.encoding, row.encoding);
        EXPECT_EQ(measure.unitsLeft, row.unitsLeft);
        EXPECT_EQ(measure.ranges, row.ranges);
        EXPECT_EQ(measure.segments, row.ranges.size());
        EXPECT_TRUE(measure.withinLimits);
    }
    // Queueing's limits: 9999 units of Cyrillic are 150 segments; 10000 units are too many.
    EXPECT_EQ(MeasureText(n(9999, pe), AlphabetChoice::Automatic).segments, 150U);
    EXPECT_FALSE(MeasureText(n(10000, a), AlphabetChoice::Automatic).withinLimits);
}

}  // namespace
}  // namespace mivex::sms

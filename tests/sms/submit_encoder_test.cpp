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

SubmitOptions GsmOnly(SubmitOptions options) {
    options.alphabet = AlphabetChoice::GsmOnly;
    return options;
}

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
            // The euro sign is the escape pair 1B 65, two septets.
            {u"", u"0123", u"\u20AC", MakeSubmitOptions(false, true, 0xAD),
             "00 91 00 04 81 10 32 00 00 AD 02 9B 32", 12},
            {u"", u"0123", u"\u20AC", GsmOnly(MakeSubmitOptions(false, true, 0xAD)),
             "00 91 00 04 81 10 32 00 00 AD 01 3F", 11},
            // Cyrillic "Pe" and an emoji's surrogate pair: UCS2, TP-UDL in octets.
            {u"", kRecipient, u"\u041F\xD83D\xDE00", kPlain,
             "00 11 00 0B 91 44 77 00 09 10 F2 00 08 0B 06 04 1F D8 3D DE 00", 20},
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

TEST(SubmitEncoder, LongTextsGoInSegmentsBehindAHeader) {
    // A single message sends at most what one SMS holds: 160 septets, TP-UDL A0
    // and 140 octets, the same PDU as a text of exactly 160.
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
    // In UCS2 the same header is followed directly by the units: TP-UDL 6 + 2 x 67.
    const auto ucs2 =
        BuildMessagePdus(kPhoneCentre, kRecipient, std::u16string(71, u'\u041F'), kPlain, {0, 9});
    ASSERT_EQ(ucs2.size(), 2U);
    EXPECT_EQ(SpacedHex(std::span(ucs2[0].octets).first(23)),
              "00 51 00 0B 91 44 77 00 09 10 F2 00 08 0B 8C 05 00 03 09 02 01 04 1F");
    EXPECT_EQ(ucs2[0].octets.size(), 15U + 140U);
    EXPECT_EQ(SpacedHex(ucs2[1].octets),
              "00 51 00 0B 91 44 77 00 09 10 F2 00 08 0B 0E 05 00 03 09 02 02 04 1F 04 1F 04 1F 04 "
              "1F");
}

TEST(TextMeasure, ChoosesTheEncodingAndSplitsWithoutBreakingPairs) {
    const std::u16string a = u"a", euro = u"\u20AC", pe = u"\u041F", smile = u"\xD83D\xDE00";
    const auto n = [](int times, const std::u16string& text) {
        std::u16string repeated;
        for (int i = 0; i < times; ++i) {
            repeated += text;
        }
        return repeated;
    };
    constexpr auto kGsm = TextEncoding::Gsm7Bit;
    constexpr auto kUcs2 = TextEncoding::Ucs2;
    struct Row {
        const char* name;
        std::u16string text;
        AlphabetChoice choice = AlphabetChoice::Automatic;
        TextEncoding encoding;
        std::size_t unitsLeft;
        std::vector<TextRange> ranges;
    };
    const Row rows[] = {
        {.name = "empty", .text = u"", .encoding = kGsm, .unitsLeft = 160, .ranges = {{0, 0}}},
        {.name = "160 septets",
         .text = n(160, a),
         .encoding = kGsm,
         .unitsLeft = 0,
         .ranges = {{0, 160}}},
        {.name = "161 septets",
         .text = n(161, a),
         .encoding = kGsm,
         .unitsLeft = 145,
         .ranges = {{0, 153}, {153, 8}}},
        {.name = "80 escape pairs are 160 septets",
         .text = n(80, u"["),
         .encoding = kGsm,
         .unitsLeft = 0,
         .ranges = {{0, 80}}},
        {.name = "158 and a pair are 160",
         .text = n(158, a) + euro,
         .encoding = kGsm,
         .unitsLeft = 0,
         .ranges = {{0, 159}}},
        {.name = "159 and a pair are 161",
         .text = n(159, a) + euro,
         .encoding = kGsm,
         .unitsLeft = 145,
         .ranges = {{0, 153}, {153, 7}}},
        {.name = "pair at septets 152-153 stays",
         .text = n(151, a) + euro + n(10, a),
         .encoding = kGsm,
         .unitsLeft = 143,
         .ranges = {{0, 152}, {152, 10}}},
        {.name = "pair at septets 153-154 moves on",
         .text = n(152, a) + euro + n(10, a),
         .encoding = kGsm,
         .unitsLeft = 141,
         .ranges = {{0, 152}, {152, 11}}},
        {.name = "70 units",
         .text = n(70, pe),
         .encoding = kUcs2,
         .unitsLeft = 0,
         .ranges = {{0, 70}}},
        {.name = "71 units",
         .text = n(71, pe),
         .encoding = kUcs2,
         .unitsLeft = 63,
         .ranges = {{0, 67}, {67, 4}}},
        {.name = "134 units",
         .text = n(134, pe),
         .encoding = kUcs2,
         .unitsLeft = 0,
         .ranges = {{0, 67}, {67, 67}}},
        {.name = "135 units",
         .text = n(135, pe),
         .encoding = kUcs2,
         .unitsLeft = 66,
         .ranges = {{0, 67}, {67, 67}, {134, 1}}},
        {.name = "surrogate pair at units 66-67 moves on",
         .text = n(66, pe) + smile + n(5, pe),
         .encoding = kUcs2,
         .unitsLeft = 60,
         .ranges = {{0, 66}, {66, 7}}},
        {.name = "surrogate pair at units 65-66 stays",
         .text = n(65, pe) + smile + n(5, pe),
         .encoding = kUcs2,
         .unitsLeft = 62,
         .ranges = {{0, 67}, {67, 5}}},
        {.name = "a lone surrogate needs UCS2",
         .text = u"a\xD83D",
         .encoding = kUcs2,
         .unitsLeft = 68,
         .ranges = {{0, 2}}},
        {.name = "mixed",
         .text = u"\u041F\u0440\u0438\u0432\u0435\u0442 \u4F60\u597D \xD83D\xDE00 "
                 u"\u20AC [x] {y}",
         .encoding = kUcs2,
         .unitsLeft = 48,
         .ranges = {{0, 22}}},
        {.name = "GSM only: a unit a septet",
         .text = n(161, euro),
         .choice = AlphabetChoice::GsmOnly,
         .encoding = kGsm,
         .unitsLeft = 145,
         .ranges = {{0, 153}, {153, 8}}},
        {.name = "GSM only: never UCS2",
         .text = n(70, pe) + smile,
         .choice = AlphabetChoice::GsmOnly,
         .encoding = kGsm,
         .unitsLeft = 88,
         .ranges = {{0, 72}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TextMeasure measure = MeasureText(row.text, row.choice);
        EXPECT_EQ(measure.encoding, row.encoding);
        EXPECT_EQ(measure.unitsLeft, row.unitsLeft);
        EXPECT_EQ(measure.segments, row.ranges.size());
        EXPECT_EQ(measure.ranges, row.ranges);
        EXPECT_TRUE(measure.withinLimits);
    }
    // Queueing's limits: 9999 units of Cyrillic are 150 segments; 10000 units are too many.
    EXPECT_EQ(MeasureText(n(9999, pe), AlphabetChoice::Automatic).segments, 150U);
    EXPECT_FALSE(MeasureText(n(10000, a), AlphabetChoice::Automatic).withinLimits);
}

}  // namespace
}  // namespace mivex::sms

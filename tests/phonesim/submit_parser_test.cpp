#include "phonesim/submit_parser.h"

#include <gtest/gtest.h>

#include "phone_fixtures.h"
#include "phonesim/deliver_builder.h"
#include "sms/deliver_decoder.h"

namespace mivex::phonesim {
namespace {

std::vector<std::uint8_t> Octets(std::string hex) {
    std::erase(hex, ' ');
    return sms::HexToBytes(hex);
}

TEST(SubmitParser, ValidityFormatDecidesHowManyOctetsFollowTheCoding) {
    // First octet, TP-MR, TP-DA "0123" (national), PID, DCS, TP-VP, UDL 2 "Hi".
    const std::pair<std::string, std::size_t> cases[] = {
        {"00 01 05 04 81 10 32 00 00 02 C8 34", 0},
        {"00 11 05 04 81 10 32 00 00 AD 02 C8 34", 1},
        {"00 09 05 04 81 10 32 00 00 01 02 03 04 05 06 07 02 C8 34", 7},
        {"00 19 05 04 81 10 32 00 00 42 10 11 32 54 76 00 02 C8 34", 7},
    };
    for (const auto& [spaced, validityOctets] : cases) {
        SCOPED_TRACE(spaced);
        const SubmitParseResult result = ParseSubmitPdu(Octets(spaced));
        ASSERT_TRUE(result.parsed()) << DescribeSubmitStatus(result.status);
        EXPECT_EQ(result.submit.validityPeriod.size(), validityOctets);
        EXPECT_EQ(result.submit.destination, "0123");
        EXPECT_EQ(result.submit.messageReference, 5);
    }
}

TEST(SubmitParser, RefusesBrokenPdusWithTheirReason) {
    const std::pair<std::string_view, SubmitStatus> cases[] = {
        {"", SubmitStatus::Empty},
        {"05 91 44", SubmitStatus::ServiceCentreTooLong},
        {"00", SubmitStatus::TooShort},
        {"00 04 00", SubmitStatus::NotSubmit},
        {"00 11", SubmitStatus::TooShort},
        {"00 11 00 0B 91 44 77", SubmitStatus::TooShort},
        {"00 11 00 15 91 44 77 00 09 10 F2 00 00 0B 00", SubmitStatus::AddressTooLong},
        {"00 11 00 04 81 10 32 00 00", SubmitStatus::TooShort},
        {"00 11 00 04 81 10 32 00 00 0B", SubmitStatus::TooShort},
        {"00 11 00 04 81 10 32 00 00 0B A1", SubmitStatus::UserDataTooLong},
        {"00 11 00 04 81 10 32 00 08 0B 8D", SubmitStatus::UserDataTooLong},
        {"00 11 00 04 81 10 32 00 00 0B 03 C8 34", SubmitStatus::UserDataTruncated},
        {"00 11 00 04 81 10 32 00 00 0B 02 C8 34 00", SubmitStatus::TrailingOctets},
        {"00 51 00 04 81 10 32 00 08 0B 02 05 00", SubmitStatus::HeaderTruncated},
        {"00 51 00 04 81 10 32 00 08 0B 00", SubmitStatus::HeaderTruncated},
    };
    for (const auto& [spaced, status] : cases) {
        SCOPED_TRACE(spaced);
        EXPECT_EQ(ParseSubmitPdu(Octets(std::string(spaced))).status, status);
    }
}

TEST(SubmitParser, CodingGroupsGiveTheAlphabet) {
    const std::pair<std::uint8_t, Alphabet> cases[] = {
        {0x00, Alphabet::Default},  {0x04, Alphabet::EightBit}, {0x08, Alphabet::Ucs2},
        {0x0C, Alphabet::EightBit}, {0x11, Alphabet::Default},  {0x18, Alphabet::Ucs2},
        {0xC0, Alphabet::Default},  {0xD8, Alphabet::Default},  {0xE0, Alphabet::Ucs2},
        {0xF1, Alphabet::Default},  {0xF4, Alphabet::EightBit}, {0x80, Alphabet::EightBit},
        {0x20, Alphabet::EightBit}, {0x40, Alphabet::Default},  {0x5B, Alphabet::Ucs2},
        {0x64, Alphabet::EightBit},
    };
    for (const auto& [coding, alphabet] : cases) {
        SCOPED_TRACE(static_cast<int>(coding));
        EXPECT_EQ(AlphabetOf(coding), alphabet);
    }
}

TEST(LoopbackDeliver, UcsTwoUserDataIsCopiedAsIs) {
    // A UCS2 "Hi" with a concatenation header, as another client might send it.
    const std::vector<std::uint8_t> submit =
        sms::HexToBytes("0051000C9144770009103200080B0A0500032A020100480069");
    const SubmitParseResult parsed = ParseSubmitPdu(submit);
    ASSERT_TRUE(parsed.parsed()) << DescribeSubmitStatus(parsed.status);
    const auto decoded = sms::DecodeDeliver(
        BuildLoopbackDeliver(parsed.submit, "447700900123", "", test::FixedTime()));
    ASSERT_TRUE(decoded.decoded());
    EXPECT_EQ(std::tuple(decoded.message.SenderNumber, decoded.message.Text,
                         decoded.message.PartRef, decoded.message.PartSeq),
              std::tuple(std::u16string(u"447700900123"), std::u16string(u"Hi"), 42, 1));
}

TEST(LoopbackDeliver, TimeStampCarriesTheZoneInQuarterHours) {
    const std::pair<int, std::uint8_t> zones[] = {{60, 0x40}, {-300, 0x0A}, {330, 0x22}, {0, 0x00}};
    for (const auto& [minutes, octet] : zones) {
        SCOPED_TRACE(minutes);
        LocalTime time = test::FixedTime();
        time.utcOffsetMinutes = minutes;
        const auto stamp = EncodeTimeStamp(time);
        EXPECT_EQ(stamp[6], octet);
        EXPECT_EQ(std::vector<std::uint8_t>(stamp.begin(), stamp.begin() + 6),
                  (std::vector<std::uint8_t>{0x42, 0x30, 0x90, 0x41, 0x50, 0x95}));
    }
}

TEST(LoopbackDeliver, NoOwnNumberMatchesNoDestination) {
    SubmitTpdu submit;
    EXPECT_FALSE(IsAddressedTo(submit, ""));
    EXPECT_FALSE(IsAddressedTo(submit, "+"));
}

}  // namespace
}  // namespace mivex::phonesim

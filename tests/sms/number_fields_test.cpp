// The number fields of a PDU: hex text, semi-octets, dial numbers, address
// fields, the service-centre time stamp and the file time it becomes.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <tuple>
#include <utility>

#include "sms/address_field.h"
#include "sms/dial_number.h"
#include "sms/file_time.h"
#include "sms/hex_text.h"
#include "sms/semi_octets.h"
#include "sms/time_stamp.h"
#include "test_octets.h"

namespace mivex::sms {

void PrintTo(const CalendarTime& t, std::ostream* os) {
    *os << t.year << '-' << t.month << '-' << t.day << ' ' << t.hour << ':' << t.minute << ':'
        << t.second << '.' << t.millisecond;
}

namespace {

using test::Octets;
using test::SpacedHex;

TEST(HexText, ReadsEitherCaseAndKnowsItsDigits) {
    // A character that is not a hex digit reads as 0 but keeps its place.
    EXPECT_EQ(HexDigitsToInt("aF1g"), 0xAF10U);
    EXPECT_TRUE(IsHexText("09AFaf"));
    for (const std::string_view hex : {"079", "0/", "0:", "0@", "0G", "0`", "0g"})
        EXPECT_FALSE(IsHexText(hex)) << hex;  // odd, or just outside a range of digits
}

TEST(SemiOctets, DigitsGoLowNibbleFirstWithAnFFiller) {
    // Octets, digits to read, text: F gives no character, digits past the octets none.
    const std::tuple<std::string_view, int, std::u16string> read[] = {
        {"21 43 F5", 6, u"12345"}, {"BA DC FE", 6, u"*#abc"}, {"90 21", 3, u"091"},
        {"21 43", 6, u"1234"},     {"21 43", -1, u""},
    };
    for (const auto& [octets, digits, text] : read)
        EXPECT_EQ(SemiOctetsToText(Octets(octets), digits), text) << octets << " / " << digits;
    // Number, digits counted, field afterwards: "+", "p", "w", spaces and upper case
    // never reach the digits, which go behind what the field holds.
    const std::tuple<std::u16string, int, std::string_view> written[] = {
        {u"+447700900005", 12, "04 81 44 77 00 09 00 50"},
        {u"p1w2 A+B*#abc", 7, "04 81 21 BA DC FE"},
    };
    for (const auto& [number, count, octets] : written) {
        std::vector<std::uint8_t> field = {0x04, 0x81};
        EXPECT_EQ(TextToSemiOctets(number), count);
        EXPECT_EQ(TextToSemiOctets(number, &field), count);
        EXPECT_EQ(SpacedHex(field), octets);
    }
}

TEST(DialNumber, FilterKeepsDialCharactersAndServiceCentresNeedAPlus) {
    std::u16string number = u"(+09) 1-2 #*pwPW/:\uFF15";  // U+FF15 is a full-width 5
    EXPECT_EQ(FilterDialChars(number), 9);
    EXPECT_EQ(number, u"+0912#*pw");
    EXPECT_TRUE(IsUsableServiceCentre(u"+4"));
    EXPECT_FALSE(IsUsableServiceCentre(u"+"));
    EXPECT_FALSE(IsUsableServiceCentre(u"4+"));
}

TEST(DialNumber, RecipientNumbersHoldADigitAndNoLetters) {
    for (const std::u16string_view typed : {u"+44 (0)7700-900.123/4", u"*#06#", u"0123p45w6"})
        EXPECT_TRUE(IsUsableRecipientNumber(typed)) << testing::PrintToString(typed);
    for (const std::u16string_view typed :
         {u"+44 77OO 900123", u"+", u"", u"0123P45", u"12\t3", u"\uFF15"})
        EXPECT_FALSE(IsUsableRecipientNumber(typed)) << testing::PrintToString(typed);
}

TEST(AddressField, DecodesEveryTypeOfNumber) {
    // Only the type of number counts: bits 6-4 of the type-of-address octet.
    const std::pair<std::string_view, std::optional<std::u16string>> vectors[] = {
        {"0B 99 44 77 00 09 10 F2", u"+44770090012"},
        {"04 E1 10 32 77", u"0123"},     // octets after the field are not read
        {"07 D0 53 F4 1B 0E", u"Shop"},  // 7 digits hold 4 septets
        {"01 D0 53", u""},               // 4 bits: not one septet
        {"00 F1", u"Reserved Address"},
        {"0B 91 44 77 00 09 10", std::nullopt},
    };
    for (const auto& [field, text] : vectors)
        EXPECT_EQ(DecodeAddressField(Octets(field)), text) << field;
}

TEST(TimeStamp, DecodesSwappedDecimalFieldsOrFallsBack) {
    constexpr FileTime kFallback = 125911620610000000;  // 2000-01-01 01:01:01
    EXPECT_EQ(FallbackTimeStamp(), kFallback);
    // Tens in the low nibble; the zone octet is ignored; a nibble above 9 is taken
    // at face value and refused only when the field is then out of range.
    const std::pair<std::string_view, FileTime> vectors[] = {
        {"40 21 51 31 50 80 8A", 127475895080000000},  // 2004-12-15 13:05:08
        {"99 21 13 32 95 A1 00", 157469183600000000},  // 2099-12-31 23:59:20
        {"40 31 51 31 50 80 00", kFallback},           // month 13
        {"32 20 92 00 00 00 00", kFallback},           // 29 February 2023
    };
    for (const auto& [octets, time] : vectors) {
        const std::vector<std::uint8_t> stamp = Octets(octets);
        EXPECT_EQ(DecodeTimeStamp(std::span<const std::uint8_t, kTimeStampOctets>(stamp)), time)
            << octets;
    }
}

TEST(FileTime, CountsHundredNanosecondsSince1601AndRefusesFieldsOutOfRange) {
    const std::pair<CalendarTime, FileTime> vectors[] = {
        {{1601, 1, 1, 0, 0, 0, 0}, 0},
        {{1601, 3, 1, 0, 0, 0, 1}, 50'976'000'010'000},
        {{1970, 1, 1, 0, 0, 0, 0}, 116'444'736'000'000'000},
        {{2000, 2, 29, 12, 0, 0, 0}, 125'962'992'000'000'000},
        {{2004, 12, 15, 13, 5, 8, 0}, 127'475'895'080'000'000},
        {{2100, 3, 1, 23, 59, 59, 999}, 157'521'023'999'990'000},
        {{30827, 12, 31, 23, 59, 59, 999}, 9'223'149'887'999'990'000},
    };
    for (const auto& [calendar, time] : vectors) {
        SCOPED_TRACE(testing::PrintToString(calendar));
        EXPECT_EQ(CalendarToFileTime(calendar), time);
        EXPECT_EQ(FileTimeToCalendar(time), calendar);
    }
    const CalendarTime refused[] = {
        {1600, 12, 31, 23, 59, 59, 999}, {30828, 1, 1, 0, 0, 0, 0},   {2004, 13, 1, 0, 0, 0, 0},
        {2004, 4, 31, 0, 0, 0, 0},       {2100, 2, 29, 0, 0, 0, 0},   {2023, 2, 29, 0, 0, 0, 0},
        {2004, 6, 1, 24, 0, 0, 0},       {2004, 6, 1, -1, 0, 0, 0},   {2004, 6, 1, 0, 60, 0, 0},
        {2004, 6, 1, 0, 0, 60, 0},       {2004, 6, 1, 0, 0, 0, 1000}, {2004, 6, 1, 0, 0, 0, -1},
    };
    for (const CalendarTime& calendar : refused)
        EXPECT_EQ(CalendarToFileTime(calendar), std::nullopt) << testing::PrintToString(calendar);
}

}  // namespace
}  // namespace mivex::sms

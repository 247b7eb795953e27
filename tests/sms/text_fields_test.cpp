// The text of a PDU and of a phone's answers: GSM codes, their packing into
// septets, the first word of a response and line breaks.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "sms/gsm_alphabet.h"
#include "sms/line_ends.h"
#include "sms/response_word.h"
#include "sms/septets.h"
#include "test_octets.h"

namespace mivex::sms {
namespace {

using test::Octets;
using test::SpacedHex;

// Lower-case letters have the same codes in ASCII and in the GSM alphabet.
std::vector<std::uint8_t> Codes(std::string_view letters) {
    return {letters.begin(), letters.end()};
}

TEST(Septets, PacksLeastSignificantBitFirst) {
    // Letters, start bit, destination before and after, result in hex digits.
    const std::tuple<std::string_view, int, std::string_view, std::string_view, int> vectors[] = {
        {"hellohello", 0, "FF FF FF FF FF FF FF FF FF", "E8 32 9B FD 46 97 D9 EC 37", 18},
        // Behind a six-octet header and its fill bit, which are kept.
        {"he", 49, "FF FF FF FF FF FF FF FF", "FF FF FF FF FF FF D1 65", 16},
        {"", 49, "FF", "FF", 13},
        // A destination too small is refused untouched.
        {"he", 49, "55 55 55 55 55 55 55", "55 55 55 55 55 55 55", -1},
    };
    for (const auto& [letters, startBit, before, after, result] : vectors) {
        SCOPED_TRACE(testing::Message() << letters << " from bit " << startBit);
        std::vector<std::uint8_t> packed = Octets(before);
        EXPECT_EQ(PackSeptets(Codes(letters), startBit, packed), result);
        EXPECT_EQ(SpacedHex(packed), after);
    }
}

TEST(Septets, UnpacksTheSeptetsAfterASkip) {
    // Source, total, skip, room for codes, letters expected.
    const std::tuple<std::string_view, int, int, std::size_t, std::string_view> vectors[] = {
        {"E8 32 9B FD 46 97 D9 EC 37", 10, 3, 7, "lohello"},
        {"E8 32 9B FD 46 97 D9", 5, 7, 8, ""},  // skip beyond the total
        {"E8 32 9B FD 46 97", 8, 3, 8, ""},     // source short of the total
        {"E8 32 9B FD 46 97 D9", 8, 0, 7, ""},  // codes too small
    };
    for (const auto& [source, total, skip, room, letters] : vectors) {
        SCOPED_TRACE(testing::Message() << source << ", " << total << " skip " << skip);
        std::vector<std::uint8_t> codes(room, 0xAA);
        EXPECT_EQ(UnpackSeptets(Octets(source), total, skip, codes),
                  static_cast<int>(letters.size()));
        std::vector<std::uint8_t> expected = Codes(letters);
        expected.resize(room, 0xAA);  // nothing written past the codes
        EXPECT_EQ(codes, expected);
    }
}

TEST(GsmAlphabet, CodesAndTextUnitsMapBothWays) {
    // Code by code the escape reads as a space, which is 0x20.
    for (int code = 0; code < 128; ++code) {
        const char16_t unit = GsmCodeToText(static_cast<std::uint8_t>(code));
        EXPECT_EQ(TextToGsmCode(unit), code == 0x1B ? 0x20 : code) << code;
        EXPECT_EQ(GsmSeptetsOf(unit), 1) << code;
    }
    EXPECT_EQ(GsmCodeToText(0x80), u'?');
    // Code by code, characters of the extension table and of neither table
    // are "?"; in message text the first are escape pairs, the others need UCS2.
    for (const char16_t unit : std::u16string(u"[]{}\\^~|\u20AC\f`\xD83D\u041F")) {
        SCOPED_TRACE(static_cast<int>(unit));
        EXPECT_EQ(TextToGsmCode(unit), kGsmQuestionMark);
        EXPECT_EQ(GsmSeptetsOf(unit), TextToGsmExtension(unit) ? 2 : 0);
    }
    EXPECT_EQ(EncodeGsmText(u"`?\u041F"), std::vector<std::uint8_t>(3, kGsmQuestionMark));
}

TEST(GsmAlphabet, EscapeSequencesDecodeByTheExtensionTable) {
    // Codes, text. A code the extension table lacks shows its base character;
    // a final escape, or a second one (reserved for a further table), a space.
    const std::pair<std::vector<std::uint8_t>, std::u16string> vectors[] = {
        {{0x1B, 0x3C, 0x1B, 0x28, 0x78, 0x1B, 0x29, 0x1B, 0x3E, 0x20, 0x1B, 0x3D, 0x20, 0x1B, 0x65},
         u"[{x}] ~ \u20AC"},
        {{0x1B, 0x0A, 0x1B, 0x14, 0x1B, 0x2F, 0x1B, 0x40}, u"\f^\\|"},
        {{0x1B, 0x41, 0x1B, 0x00}, u"A@"},
        {{0x1B, 0x1B, 0x41, 0x1B}, u" A "},
    };
    for (const auto& [codes, text] : vectors) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(DecodeGsmText(codes), text);
    }
    EXPECT_EQ(EncodeGsmText(u"[{x}] ~ \u20AC"), vectors[0].first);
}

TEST(ResponseWord, TakesTheFirstWordOfTheFirstCompleteLine) {
    // Response, result, text afterwards ("keep" when it must be left alone).
    const std::tuple<std::string_view, int, std::u16string> vectors[] = {
        {"\r\nMaker Model Two\r\n\r\nOK\r\n", 5, u"Maker"},
        {"\n\r\n\rX1\r", 2, u"X1"},
        // Bytes are GSM codes: "$" is the currency sign, a byte above 127 a question mark.
        {"\r\nA$b\x80 z\r\n", 4, u"A\u00A4b?"},
        {"\r\n\r\n", 0, u"keep"},
        {"\r\nMaker Model\n", 0, u"keep"},  // the line's CR has not arrived
        {"\r\n Maker\r\n", 0, u"keep"},     // the first word is empty
    };
    for (const auto& [response, length, expected] : vectors) {
        SCOPED_TRACE(testing::PrintToString(std::string(response)));
        std::u16string text = u"keep";
        EXPECT_EQ(ResponseWordToText(response, text), length);
        EXPECT_EQ(text, expected);
    }
}

TEST(LineEnds, EveryBreakBecomesCarriageReturnLineFeed) {
    // Text, capacity, text afterwards, result.
    const std::tuple<std::u16string, std::size_t, std::u16string, std::size_t> vectors[] = {
        {u"a\nb\rc", 200, u"a\r\nb\r\nc", 7},
        {u"\n\r\r\n\r", 200, u"\r\n\r\n\r\n", 6},
        // An insertion must leave the text below capacity units.
        {u"a\nb", 6, u"a\r\nb", 4},
        {u"\n\n", 5, u"\r\n\n", 0},
        {u"\n\r", 3, u"\r\n", 2},  // swapping a pair inserts nothing
    };
    for (auto [text, capacity, after, result] : vectors) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(text) << " in " << capacity);
        EXPECT_EQ(NormaliseLineEnds(text, capacity), result);
        EXPECT_EQ(text, after);
    }
}

}  // namespace
}  // namespace mivex::sms

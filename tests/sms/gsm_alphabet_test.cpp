#include "sms/gsm_alphabet.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace mivex::sms {
namespace {

TEST(GsmAlphabet, CodesAndTextUnitsMapBothWays) {
    // The escape has no extension table behind it: it reads as a space, which is 0x20.
    for (int code = 0; code < 128; ++code) {
        const char16_t unit = GsmCodeToText(static_cast<std::uint8_t>(code));
        EXPECT_EQ(TextToGsmCode(unit), code == 0x1B ? 0x20 : code) << code;
    }
    EXPECT_EQ(GsmCodeToText(0x24), u'\u00A4');
    EXPECT_EQ(GsmCodeToText(0x80), u'?');
    // Characters that would need the escape, and others outside the alphabet.
    for (const char16_t unit : std::u16string(u"[]{}\\^~|\u20AC`\xD83D")) {
        EXPECT_EQ(TextToGsmCode(unit), kGsmQuestionMark) << static_cast<int>(unit);
    }
}

TEST(GsmTranslate, TranslatesBothWaysAndRefusesBadCalls) {
    std::array<std::uint8_t, 4> gsm = {0x1B, 0x3C, 0x00, 0x80};
    std::array<char16_t, 6> text = {u'#', u'#', u'#', u'#', u'#', u'#'};
    EXPECT_EQ(GsmTranslate(gsm, text, 4, TranslateDirection::GsmToText), 4);
    EXPECT_EQ(std::u16string(text.data(), text.size()), std::u16string(u" <@?\0#", 6));
    // Text gets no terminator code.
    EXPECT_EQ(GsmTranslate(gsm, text, 3, TranslateDirection::TextToGsm), 3);
    EXPECT_EQ(gsm, (std::array<std::uint8_t, 4>{0x20, 0x3C, 0x00, 0x80}));
    // Sizes of the two buffers, count, direction, result.
    const std::tuple<const char*, std::size_t, std::size_t, int, int, int> calls[] = {
        {"too few codes to read", 3, 5, 4, 1, -1},
        {"no place for the terminator", 4, 4, 4, 1, -1},
        {"too few codes to write", 3, 5, 4, 2, -1},
        {"too little text to read", 4, 3, 4, 2, -1},
        {"zero count", 4, 5, 0, 1, -1},
        {"direction 3", 4, 5, 4, 3, -1},
        {"negative count", 4, 5, -1, 2, 0},
        {"negative count writes a terminator", 4, 5, -2, 1, 0},
    };
    for (const auto& [name, gsmSize, textSize, count, direction, result] : calls) {
        EXPECT_EQ(GsmTranslate(std::span(gsm).first(gsmSize), std::span(text).first(textSize),
                               count, static_cast<TranslateDirection>(direction)),
                  result)
            << name;
    }
    EXPECT_EQ(text[0], u'\0');  // written by GsmToText with a negative count
}

}  // namespace
}  // namespace mivex::sms

#include "text/utf8.h"

#include <gtest/gtest.h>

#include <optional>

namespace mivex::text {
namespace {

using namespace std::string_view_literals;

// Every valid row is checked both ways; each length of sequence appears at
// its smallest and largest code point, so an edge that moves breaks a row.
TEST(Utf8, ConvertsValidAndRefusesInvalidSequences) {
    const struct {
        const char* name;
        std::string_view utf8;
        std::optional<std::u16string> utf16;  // nothing: must be refused
    } vectors[] = {
        {"empty", ""sv, u""},
        {"ascii with nul", "a\0b\x7F"sv, std::u16string(u"a\0b\x7F", 4)},
        {"two octets", "\xC2\x80\xDF\xBF"sv, u"\u0080\u07FF"},
        {"three octets", "\xE0\xA0\x80\xEF\xBF\xBF"sv, u"\u0800\uFFFF"},
        {"around the surrogates", "\xED\x9F\xBF\xEE\x80\x80"sv, u"\uD7FF\uE000"},
        {"four-octet limits", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"sv, u"\U00010000\U0010FFFF"},
        {"overlong slash", "\xC0\xAF"sv, std::nullopt},
        {"overlong four-octet", "\xF0\x8F\xBF\xBF"sv, std::nullopt},
        {"high surrogate", "\xED\xA0\x80"sv, std::nullopt},
        {"above U+10FFFF", "\xF4\x90\x80\x80"sv, std::nullopt},
        {"lead F5", "\xF5\x80\x80\x80"sv, std::nullopt},
        {"lone continuation", "a\x80"sv, std::nullopt},
        {"truncated four-octet", "\xF0\x9F\x98"sv, std::nullopt},
    };
    for (const auto& vector : vectors) {
        SCOPED_TRACE(vector.name);
        EXPECT_EQ(Utf8ToUtf16(vector.utf8), vector.utf16);
        if (vector.utf16) {
            EXPECT_EQ(Utf16ToUtf8(*vector.utf16), vector.utf8);
        }
    }
}

TEST(Utf8, WritesUnpairedSurrogatesAsReplacementCharacter) {
    const struct {
        std::u16string utf16;
        std::string utf8;
    } vectors[] = {
        {std::u16string{u'a', char16_t{0xD800}}, "a\xEF\xBF\xBD"},
        {std::u16string{char16_t{0xDC00}, u'b'}, "\xEF\xBF\xBD\x62"},  // \x62 is "b"
        {std::u16string{char16_t{0xDBFF}, char16_t{0xDBFF}, char16_t{0xDFFF}},
         "\xEF\xBF\xBD\xF4\x8F\xBF\xBF"},
        {std::u16string{char16_t{0xDFFF}, char16_t{0xD800}}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& vector : vectors) {
        SCOPED_TRACE(vector.utf8);
        EXPECT_EQ(Utf16ToUtf8(vector.utf16), vector.utf8);
    }
}

}  // namespace
}  // namespace mivex::text

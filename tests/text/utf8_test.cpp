#include "text/utf8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>

namespace mivex::text {
namespace {

struct Utf8Vector {
    const char* name;
    std::string_view utf8;
    std::optional<std::u16string> utf16;  // nothing: must be refused
};

TEST(Utf8, ConvertsValidAndRefusesInvalidSequences) {
    using namespace std::string_view_literals;
    const Utf8Vector vectors[] = {
        {"empty", ""sv, u""},
        {"ascii with nul", "a\0b"sv, std::u16string(u"a\0b", 3)},
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
    for (const Utf8Vector& vector : vectors) {
        SCOPED_TRACE(vector.name);
        EXPECT_EQ(Utf8ToUtf16(vector.utf8), vector.utf16);
    }
}

TEST(Utf8, WritesUnpairedSurrogatesAsReplacementCharacter) {
    const struct {
        std::u16string utf16;
        std::string utf8;
    } vectors[] = {
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string{u'a', char16_t{0xD800}}, "a\xEF\xBF\xBD"},
        {std::u16string{char16_t{0xDC00}, u'b'},
         "\xEF\xBF\xBD"
         "b"},
        {std::u16string{char16_t{0xDBFF}, char16_t{0xDBFF}, char16_t{0xDFFF}},
         "\xEF\xBF\xBD\xF4\x8F\xBF\xBF"},
        {std::u16string{char16_t{0xDFFF}, char16_t{0xD800}}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& vector : vectors) {
        SCOPED_TRACE(vector.utf8);
        EXPECT_EQ(Utf16ToUtf8(vector.utf16), vector.utf8);
    }
}

TEST(Utf8, RoundTripsRandomValidUtf16) {
    std::mt19937 generator(20041215);
    std::uniform_int_distribution<std::uint32_t> codePoints(0, 0x10FFFF - 0x800);
    std::uniform_int_distribution<std::size_t> lengths(0, 40);
    for (int round = 0; round < 500; ++round) {
        std::u16string utf16;
        for (std::size_t count = lengths(generator); count > 0; --count) {
            std::uint32_t codePoint = codePoints(generator);
            // Skip the surrogate block so every drawn value is a character.
            if (codePoint >= 0xD800) {
                codePoint += 0x800;
            }
            if (codePoint >= 0x10000) {
                codePoint -= 0x10000;
                utf16 += static_cast<char16_t>(0xD800 + (codePoint >> 10));
                utf16 += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
            } else {
                utf16 += static_cast<char16_t>(codePoint);
            }
        }
        ASSERT_EQ(Utf8ToUtf16(Utf16ToUtf8(utf16)), utf16) << "round " << round;
    }
}

}  // namespace
}  // namespace mivex::text

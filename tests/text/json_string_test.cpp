#include "text/json_string.h"

#include <gtest/gtest.h>

namespace mivex::text {
namespace {

TEST(JsonString, EscapesWhatJsonNeedsAndKeepsEveryUnit) {
    const struct {
        std::u16string utf16;
        std::string json;
    } vectors[] = {
        {u"", R"("")"},
        {u"Hi", R"("Hi")"},
        {u"say \"hi\" \\o/", R"("say \"hi\" \\o/")"},
        {std::u16string(u"\0\x1F\x20", 3), R"("\u0000\u001F ")"},
        {u"a\r\nb\tc", R"("a\u000D\u000Ab\u0009c")"},
        {u"\x7E\x7F\x80", "\"~\\u007F\xC2\x80\""},
        {u"\u00A3\u20AC", "\"\xC2\xA3\xE2\x82\xAC\""},
        {u"\U0001F600", "\"\xF0\x9F\x98\x80\""},
        {std::u16string{char16_t{0xD800}}, R"("\uD800")"},
        {std::u16string{char16_t{0xDFFF}, u'x'}, R"("\uDFFFx")"},
        {std::u16string{char16_t{0xDBFF}, u'"'}, R"("\uDBFF\"")"},
        {std::u16string{char16_t{0xD83D}, char16_t{0xD83D}, char16_t{0xDE00}},
         "\"\\uD83D\xF0\x9F\x98\x80\""},
        {std::u16string{char16_t{0xDE00}, char16_t{0xD83D}}, R"("\uDE00\uD83D")"},
    };
    for (const auto& vector : vectors) {
        SCOPED_TRACE(vector.json);
        EXPECT_EQ(JsonString(vector.utf16), vector.json);
    }
}

}  // namespace
}  // namespace mivex::text

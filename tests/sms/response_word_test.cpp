#include "sms/response_word.h"

#include <gtest/gtest.h>

#include <tuple>

namespace mivex::sms {
namespace {

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

}  // namespace
}  // namespace mivex::sms

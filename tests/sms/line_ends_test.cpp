#include "sms/line_ends.h"

#include <gtest/gtest.h>

#include <tuple>

namespace mivex::sms {
namespace {

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

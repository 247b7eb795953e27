// The property lookups every reader of records uses.

#include "store/property.h"

#include <gtest/gtest.h>

#include "store/message_records.h"

namespace mivex::store::tests {
namespace {

TEST(FindProp, MatchesTheNumberOnlyAndGivesTheAbsentResultOtherwise) {
    InboxRecord record;
    record.PartRef = 42;
    record.TimeStamp = 0x0123456789ABCDEFULL;
    record.Text = u"Hi";
    const PropArray props = ToProps(record);

    EXPECT_EQ(FindPropI4(props, inbox::kPartRef), 42);
    EXPECT_EQ(FindPropI4(props, 0xABCD0000u | inbox::kPartRef), 42);  // high bits ignored
    EXPECT_EQ(FindPropI4(props, 10), 0);
    EXPECT_EQ(FindPropI4({}, inbox::kPartRef), 0);
    EXPECT_EQ(FindPropFileTime(props, inbox::kTimeStamp), 0x0123456789ABCDEFULL);
    EXPECT_EQ(FindPropFileTime(props, 11), 0u);
    ASSERT_NE(FindPropString(props, inbox::kText), nullptr);
    EXPECT_EQ(*FindPropString(props, inbox::kText), u"Hi");
    EXPECT_EQ(FindPropString(props, 12), nullptr);
    EXPECT_EQ(FindPropString({}, 0), nullptr);
    EXPECT_TRUE(FindPropBlob(props, 13).empty());
    // The entry's type is not looked at: a string entry has no integer value.
    EXPECT_EQ(FindPropI4(props, inbox::kText), 0);
}

TEST(FindProp, NarrowsI2AndTakesTheFirstOfEqualNumbers) {
    const std::uint8_t bytes[] = {0, 1, 2};
    const PropArray props = {PropVal::I2(1, -3), PropVal::I4(2, 0x12348765), PropVal::I4(2, 99),
                             PropVal::Blob(3, bytes)};
    EXPECT_EQ(FindPropI2(props, 1), -3);
    EXPECT_EQ(FindPropI2(props, 2), static_cast<std::int16_t>(0x8765));
    EXPECT_EQ(FindPropI4(props, 2), 0x12348765);
    const auto blob = FindPropBlob(props, 3);
    EXPECT_EQ(std::vector<std::uint8_t>(blob.begin(), blob.end()),
              std::vector<std::uint8_t>(std::begin(bytes), std::end(bytes)));
}

}  // namespace
}  // namespace mivex::store::tests

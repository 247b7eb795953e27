// The shape rule, sort keys and local file times.

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

// Readers take a record as one of a folder's by its number of properties
// only; the Inbox maintenance shares this rule with its oracle, so it is
// checked here.
TEST(MessageRecords, ShapeRuleCountsProperties) {
    const InboxRecord in{u"+44", 5, u"text", 1, 42, 3, 2, 0, u"Ann", u"key"};
    const OutboxRecord out{u"123", u"Bob", 6, u"hello", 1};
    EXPECT_EQ(AsInboxRecord(ToProps(in)), in);
    EXPECT_EQ(AsOutboxRecord(ToProps(out)), out);
    PropArray nine = ToProps(in);
    nine.pop_back();
    PropArray eleven = ToProps(in);
    eleven.push_back(PropVal::I4(10, 0));
    EXPECT_FALSE(AsInboxRecord(nine));
    EXPECT_FALSE(AsInboxRecord(eleven));
    EXPECT_FALSE(AsOutboxRecord(ToProps(in)));
    // Five properties of any kind pass; absent values read empty.
    EXPECT_EQ(AsSentRecord(ToProps(out))->SortKey, u"");
    // A sixth passes only as a Sent record's report; one that does not decode
    // leaves the message without a report rather than hiding it.
    const SentRecord reported{u"+1", u"Bo", 7, u"t", u"k", SentReport{{{42, 0, 9}}}};
    EXPECT_EQ(AsSentRecord(ToProps(reported)), reported);
    PropArray garbled = ToProps(reported);
    garbled.back().blob.pop_back();
    EXPECT_EQ(AsSentRecord(garbled)->ReportSegments, std::nullopt);
    PropArray sixth = ToProps(out);
    sixth.push_back(PropVal::String(sent::kReportSegments, u"x"));
    EXPECT_FALSE(AsSentRecord(sixth));
}

TEST(SortKey, IsNameCutOrPaddedToFiftyThenComplementedTimeHalves) {
    const struct {
        std::u16string name;
        sms::FileTime time;
        std::u16string expected;
    } cases[] = {
        {u"Ann", 0, u"Ann" + std::u16string(47, u' ') + u"42949672954294967295"},
        {std::u16string(60, u'n'), 0x0000000100000002ULL,
         std::u16string(50, u'n') + u"42949672944294967293"},
        {u"", 0xFFFFFFFFFFFFFFFFULL, std::u16string(50, u' ') + u"00000000000000000000"},
        {std::u16string(50, u'x'), 0x00000000FFFFFFFEULL,
         std::u16string(50, u'x') + u"42949672950000000001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        EXPECT_EQ(MakeSortKey(c.name, c.time), c.expected);
    }
}

TEST(LocalFileTime, ComesFromTheClockAndFallsBackToTheNearestValidTime) {
    FakeClock clock;
    const struct {
        platform::LocalTime local;
        sms::CalendarTime expected;
    } cases[] = {
        {{2026, 3, 5, 9, 7, 30, 250}, {2026, 3, 5, 9, 7, 30, 250}},
        {{2016, 12, 31, 23, 59, 60, 0}, {2016, 12, 31, 23, 59, 59, 0}},  // leap second
        {{2023, 2, 31, 24, -1, 0, 1000}, {2023, 2, 28, 23, 0, 0, 999}},
        {{1500, 0, 0, 0, 0, 0, 0}, {1601, 1, 1, 0, 0, 0, 0}},
        {{40000, 13, 40, 0, 0, 0, 0}, {30827, 12, 31, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.local.year);
        clock.local = c.local;
        EXPECT_EQ(LocalFileTime(clock), sms::CalendarToFileTime(c.expected).value());
    }
}

}  // namespace
}  // namespace mivex::store::tests

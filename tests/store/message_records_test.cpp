// Record layouts, the shape rule, sort keys, local file times and the
// writer of Sent records.

#include "fake_clock.h"
#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

std::vector<PropId> Ids(const PropArray& props) {
    std::vector<PropId> ids;
    for (const PropVal& prop : props)
        ids.push_back(prop.id);
    return ids;
}

TEST(MessageRecords, LayoutsUseTheFixedIdsInNumberOrder) {
    EXPECT_EQ(Ids(ToProps(InboxRecord{})),
              (std::vector<PropId>{0x0000001F, 0x00010040, 0x0002001F, 0x00030003, 0x00040003,
                                   0x00050003, 0x00060003, 0x00070003, 0x0008001F, 0x0009001F}));
    EXPECT_EQ(Ids(ToProps(OutboxRecord{})),
              (std::vector<PropId>{0x0000001F, 0x0001001F, 0x00020040, 0x0003001F, 0x00040003}));
    EXPECT_EQ(Ids(ToProps(SentRecord{})),
              (std::vector<PropId>{0x0000001F, 0x0001001F, 0x00020040, 0x0003001F, 0x0004001F}));
}

TEST(MessageRecords, RoundTripAndShapeRule) {
    const InboxRecord in{u"+44", 5, u"text", 1, 42, 3, 2, 0, u"Ann", u"key"};
    const OutboxRecord out{u"123", u"Bob", 6, u"hello", 1};
    const SentRecord sent{u"456", u"Cy", 7, u"bye", u"k"};
    EXPECT_EQ(AsInboxRecord(ToProps(in)), in);
    EXPECT_EQ(AsOutboxRecord(ToProps(out)), out);
    EXPECT_EQ(AsSentRecord(ToProps(sent)), sent);

    PropArray nine = ToProps(in);
    nine.pop_back();
    PropArray eleven = ToProps(in);
    eleven.push_back(PropVal::I4(10, 0));
    EXPECT_FALSE(AsInboxRecord(nine));
    EXPECT_FALSE(AsInboxRecord(eleven));
    EXPECT_FALSE(AsInboxRecord(ToProps(out)));
    EXPECT_FALSE(AsOutboxRecord(ToProps(in)));
    EXPECT_FALSE(AsSentRecord({}));
    // Five properties of any kind pass the shape rule; absent values read empty.
    EXPECT_EQ(AsSentRecord(ToProps(out))->SortKey, u"");
}

TEST(SortKey, IsNameCutOrPaddedToFiftyThenComplementedTimeHalves) {
    const std::u16string sixty(60, u'n');
    const struct {
        std::u16string name;
        sms::FileTime time;
        std::u16string expected;
    } cases[] = {
        {u"Ann", 0, u"Ann" + std::u16string(47, u' ') + u"42949672954294967295"},
        {sixty, 0x0000000100000002ULL, std::u16string(50, u'n') + u"42949672944294967293"},
        {u"", 0xFFFFFFFFFFFFFFFFULL, std::u16string(50, u' ') + u"00000000000000000000"},
        {std::u16string(50, u'x'), 0x00000000FFFFFFFEULL,
         std::u16string(50, u'x') + u"42949672950000000001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        const std::u16string key = MakeSortKey(c.name, c.time);
        EXPECT_EQ(key.size(), 70u);
        EXPECT_EQ(key, c.expected);
    }
    // Within one name the later time has the smaller key, so it sorts first.
    EXPECT_LT(MakeSortKey(u"Ann", 200), MakeSortKey(u"Ann", 100));
    EXPECT_LT(MakeSortKey(u"Ann", 1ULL << 32), MakeSortKey(u"Ann", 0xFFFFFFFF));
}

TEST(LocalFileTime, ComesFromTheClockAndFallsBackToTheNearestValidTime) {
    mivex::testing::FakeClock clock;
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

TEST_F(StoreTest, WriteSentRecordStampsTheLocalTimeAndKeysTheName) {
    mivex::testing::FakeClock clock;
    FolderHandle sent = Open(kSentName);
    const ObjectId id = WriteSentRecord(u"message", u"+447700900123", u"Dee", *sent, clock);
    ASSERT_NE(id, 0u);
    PropArray props;
    sent->SeekBeginning(0);
    ASSERT_EQ(sent->ReadRecord(props), id);
    const std::optional<SentRecord> record = AsSentRecord(props);
    ASSERT_TRUE(record);
    const sms::FileTime time = sms::CalendarToFileTime({2026, 3, 5, 9, 7, 30, 0}).value();
    EXPECT_EQ(*record,
              (SentRecord{u"+447700900123", u"Dee", time, u"message", MakeSortKey(u"Dee", time)}));
}

}  // namespace
}  // namespace mivex::store::tests

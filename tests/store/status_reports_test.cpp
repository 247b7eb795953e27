// Delivery reports matched to Sent messages, and how their state reads.

#include "store/status_reports.h"

#include "store/delivery_text.h"
#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

const sms::FileTime kBase = At(2026, 12, 6, 14, 0);
constexpr int kDay = 24 * 60;

sms::FileTime Minutes(int minutes) {
    return kBase + static_cast<sms::FileTime>(static_cast<std::int64_t>(minutes) *
                                              static_cast<std::int64_t>(kFileTimeMinute));
}

struct Sent {
    std::u16string number;
    int minutes;                           // sent this long after kBase
    std::vector<std::uint8_t> references;  // none: sent without a report requested
};

struct Report {
    int reference;
    std::u16string number;
    int taken, discharged;  // minutes after kBase
    int status;
    ReportOutcome outcome;
};

struct Case {
    const char* name;
    std::vector<Sent> sent;
    std::vector<Report> reports;
    std::vector<DeliveryKind> kinds;  // of each Sent message afterwards
};

class StatusReports : public StoreTest {
protected:
    std::vector<ObjectId> WriteSent(Folder& folder, const std::vector<Sent>& messages) {
        std::vector<ObjectId> ids;
        for (const Sent& message : messages) {
            SentRecord record{message.number, u"Ann", Minutes(message.minutes), u"text", u""};
            if (!message.references.empty())
                record.ReportSegments =
                    ReportToAwait(true, std::vector<std::optional<std::uint8_t>>(
                                            message.references.begin(), message.references.end()));
            ids.push_back(Write(folder, ToProps(record)));
        }
        return ids;
    }
    DeliverySummary SummaryOf(Folder& folder, ObjectId id) {
        PropArray props;
        EXPECT_EQ(folder.SeekToId(id), id);
        EXPECT_TRUE(folder.ReadRecord(props).Read(id));
        return Summarise(AsSentRecord(props)->ReportSegments);
    }
};

TEST_F(StatusReports, MatchByReferenceRecipientAndTime) {
    using enum DeliveryKind;
    using enum ReportOutcome;
    const std::u16string ann = u"+447700900123";
    // clang-format off
    const Case cases[] = {
        {"national form of the number", {{ann, 0, {7}}}, {{7, u"07700 900123", 0, 1, 0x00, Recorded}}, {Delivered}},
        {"another reference", {{ann, 0, {7}}}, {{8, ann, 0, 1, 0x00, Unmatched}}, {Waiting}},
        {"another recipient", {{ann, 0, {7}}}, {{7, u"+447700900124", 0, 1, 0x00, Unmatched}}, {Waiting}},
        {"older than the send", {{ann, 60, {7}}}, {{7, ann, 0, 61, 0x00, Unmatched}}, {Waiting}},
        {"clocks a little apart", {{ann, 10, {7}}}, {{7, ann, 0, 11, 0x46, Recorded}}, {Failed}},
        {"more than 7 days on", {{ann, 0, {7}}}, {{7, ann, 7 * kDay + 1, 7 * kDay + 2, 0x00, Unmatched}}, {Waiting}},
        {"no report asked for", {{ann, 0, {}}}, {{0, ann, 0, 1, 0x00, Unmatched}}, {None}},
        // 256 messages later the reference comes round again: the newest message has it.
        {"wrapped reference", {{ann, 0, {7}}, {ann, kDay, {7}}}, {{7, ann, kDay, kDay + 1, 0x00, Recorded}}, {Waiting, Delivered}},
        {"later discharge wins, read first",
         {{ann, 0, {7}}}, {{7, ann, 0, 5, 0x00, Recorded}, {7, ann, 0, 2, 0x21, Recorded}}, {Delivered}},
        {"still trying, then delivered",
         {{ann, 0, {7}}}, {{7, ann, 0, 2, 0x21, Recorded}, {7, ann, 0, 5, 0x00, Recorded}}, {Delivered}},
        {"two of three segments", {{ann, 0, {1, 2, 3}}},
         {{1, ann, 0, 1, 0x00, Recorded}, {3, ann, 0, 1, 0x00, Recorded}}, {Waiting}},
        {"one segment failed", {{ann, 0, {1, 2, 3}}},
         {{1, ann, 0, 1, 0x00, Recorded}, {2, ann, 0, 1, 0x46, Recorded}, {3, ann, 0, 1, 0x00, Recorded}}, {Failed}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FolderHandle sent = Open(kSentName, kSentByDate);
        const std::vector<ObjectId> ids = WriteSent(*sent, c.sent);
        StatusReportBook book(*sent);
        for (const Report& r : c.reports)
            EXPECT_EQ(book.Record({r.reference, r.number, Minutes(r.taken), Minutes(r.discharged),
                                   r.status}),
                      r.outcome);
        ASSERT_TRUE(book.Commit());
        for (std::size_t i = 0; i < ids.size(); ++i)
            EXPECT_EQ(SummaryOf(*sent, ids[i]).kind, c.kinds[i]) << "message " << i;
        for (const ObjectId id : ids)
            ASSERT_TRUE(sent->DeleteRecord(id));
    }
}

TEST_F(StatusReports, ALongMessageIsDeliveredWithItsLastSegment) {
    FolderHandle sent = Open(kSentName, kSentByDate);
    const ObjectId id = WriteSent(*sent, {{u"+447700900123", 0, {1, 2}}}).front();
    StatusReportBook book(*sent);
    for (const int reference : {2, 1})
        ASSERT_EQ(
            book.Record({reference, u"+447700900123", 0 + Minutes(0), Minutes(3 - reference), 0}),
            ReportOutcome::Recorded);
    ASSERT_TRUE(book.Commit());
    const DeliverySummary summary = SummaryOf(*sent, id);
    EXPECT_EQ(DeliveryLine(summary), u"Delivered 2026-12-06 14:02");
    EXPECT_EQ(DeliveryColumn(summary), u"delivered 2026-12-06 14:02");
}

TEST_F(StatusReports, AReportTheStoreRefusesStaysUnrecorded) {
    ObjectId id = 0;
    {
        FolderHandle sent = Open(kSentName, kSentByDate);
        id = WriteSent(*sent, {{u"+447700900123", 0, {7}}}).front();
    }
    store.SetReadOnly(true);
    FolderHandle sent = Open(kSentName, kSentByDate);
    StatusReportBook book(*sent);
    EXPECT_EQ(book.Record({7, u"+447700900123", Minutes(0), Minutes(1), 0}),
              ReportOutcome::Recorded);
    EXPECT_FALSE(book.Commit());
    EXPECT_EQ(SummaryOf(*sent, id).kind, DeliveryKind::Waiting);
    // What was held is let go: the next report is matched against the disk.
    EXPECT_EQ(book.Record({7, u"+447700900123", Minutes(0), Minutes(2), 0}),
              ReportOutcome::Recorded);
}

TEST(SentReport, AwaitedOnlyWhenAskedForWithEveryReference) {
    using References = std::vector<std::optional<std::uint8_t>>;
    EXPECT_EQ(ReportToAwait(true, References{1, 2}), (SentReport{{{1, 0, 0}, {2, 0, 0}}}));
    EXPECT_EQ(ReportToAwait(false, References{1}), std::nullopt);
    // A phone that gave one segment no reference: its report could never be matched.
    EXPECT_EQ(ReportToAwait(true, References{1, std::nullopt}), std::nullopt);
}

TEST(DeliveryText, EachStateReadsAsTheUserSeesIt) {
    const sms::FileTime time = At(2026, 3, 4, 5, 6);
    const std::tuple<DeliverySummary, std::u16string, std::u16string, std::u16string> rows[] = {
        {{DeliveryKind::None, 0, 0}, u"", u"", u"0304  05:06  Ann"},
        {{DeliveryKind::Waiting, 0, 0},
         u"Waiting for the delivery report",
         u"waiting",
         u"0304  05:06  \u2026 Ann"},
        {{DeliveryKind::Trying, 0, 0x21},
         u"Not delivered yet, the network keeps trying: recipient busy",
         u"waiting",
         u"0304  05:06  \u2026 Ann"},
        {{DeliveryKind::Failed, time, 0x46},
         u"Not delivered: validity period expired",
         u"failed: validity period expired",
         u"0304  05:06  \u2717 Ann"},
        {{DeliveryKind::Delivered, time, 0},
         u"Delivered 2026-03-04 05:06",
         u"delivered 2026-03-04 05:06",
         u"0304  05:06  \u2713 Ann"},
    };
    for (const auto& [summary, line, column, row] : rows) {
        SCOPED_TRACE(::testing::PrintToString(column));
        EXPECT_EQ(DeliveryLine(summary), line);
        EXPECT_EQ(DeliveryColumn(summary), column);
        EXPECT_EQ(SentRowText(time, u"Ann", summary.kind), row);
    }
}

}  // namespace
}  // namespace mivex::store::tests

// Delivery reports end to end: messages sent through the simulated phone with
// reports asked for, then a receive that finds the network's reports.

#include <gtest/gtest.h>

#include "sms/hex_text.h"
#include "store/delivery_text.h"
#include "store/discarding_compose_target.h"
#include "store/folder_listing.h"
#include "transfer/receive_run.h"
#include "transfer_fixture.h"

namespace mivex::transfer::test {
namespace {

using phonesim::ReportScenario;
using store::DeliveryKind;

const std::u16string kAnn = u"+447700900123";
const auto kNoNames = [](std::u16string_view) { return std::optional<std::u16string>(); };

class DeliveryReports : public TransferOnPty {
protected:
    void SetUp() override {
        options.integers[options::Option::StatusReport] = 1;
        options.integers[options::Option::UsePhoneServiceCentre] = 1;
    }
    // Receives with reports recorded in Sent; the run's tally.
    ReportTally Receive(ReceiveResult expected = ReceiveResult::Complete) {
        store::FolderHandle sent = Open(store::kSentName);
        ReportIntake intake(*sent);
        EXPECT_EQ(ReceiveMessages(context, *Open(store::kInboxName), kNoNames, &intake), expected);
        return intake.Tally();
    }
    std::vector<std::u16string> SentColumns() {
        std::vector<std::u16string> columns;
        for (const store::PropArray& props : ReadAll(*Open(store::kSentName)))
            columns.push_back(store::DeliveryColumn(
                store::Summarise(store::AsSentRecord(props)->ReportSegments)));
        return columns;
    }
};

TEST_F(DeliveryReports, SentMessagesLearnWhetherTheyArrived) {
    const struct {
        ReportScenario scenario;
        std::u16string column;  // of both messages
    } rows[] = {
        {ReportScenario::Delivered, u"delivered 2024-03-09 14:05"},
        {ReportScenario::Failed, u"failed: validity period expired"},
        // The phone's clock stands still: the second report never comes.
        {ReportScenario::WaitingThenDelivered, u"waiting"},
        {ReportScenario::None, u"waiting"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.column));
        // A short message and one of three segments.
        Queue({{kAnn, u"short"}, {kAnn, std::u16string(400, u'x')}});
        reportPlan = {row.scenario, 0};
        ASSERT_NO_FATAL_FAILURE(StartPhone(Stores(30, {})));
        ASSERT_EQ(Send(), 2);
        const ReportTally tally = Receive();

        const int reports = row.scenario == ReportScenario::None ? 0 : 4;
        EXPECT_EQ(tally.recorded, reports);
        EXPECT_EQ(RunEvents().back(), NewMessagesText(0));
        EXPECT_TRUE(ReadAll(*Open(store::kInboxName)).empty());
        EXPECT_EQ(SentColumns(), std::vector<std::u16string>(2, row.column));
        phone->Stop();
        EXPECT_TRUE(phone->Stores().phone.Messages().empty()) << "recorded reports leave the phone";
    }
}

TEST_F(DeliveryReports, ReportsThatCannotBeRecordedStayOnThePhone) {
    // A report on a message nobody sent, and one cut short after its reference.
    const Octets unmatched =
        sms::HexToBytes("0006070C914477000910320000000000000000000000000000000000");
    const Octets garbled = sms::HexToBytes("000607");
    for (const bool deleteAfter : {false, true}) {
        SCOPED_TRACE(deleteAfter);
        FreshStore();
        options.integers[options::Option::DeleteAfterReceive] = deleteAfter ? 1 : 0;
        ASSERT_NO_FATAL_FAILURE(StartPhone(Stores(30, {{1, unmatched}, {2, garbled}})));
        const ReportTally tally = Receive();
        EXPECT_EQ(std::tuple(tally.unmatched, tally.unreadable), std::tuple(1, 1));
        phone->Stop();
        EXPECT_EQ(phone->Stores().phone.Used(), deleteAfter ? 1 : 2);
        EXPECT_NE(phone->Stores().phone.Find(2), nullptr) << "the garbled report stays";
    }
}

TEST_F(DeliveryReports, TheSentViewShowsWhyAMessageFailed) {
    Queue({{kAnn, u"short"}});
    reportPlan = {ReportScenario::Failed, 0};
    ASSERT_NO_FATAL_FAILURE(StartPhone(Stores(30, {})));
    ASSERT_EQ(Send(), 1);
    (void)Receive();

    platform::MemoryList rows;
    platform::MemoryText message, counter;
    mivex::testing::ScriptedPrompter prompter;
    const store::FolderViewControls view{rows, message, counter, log, prompter};
    store::DiscardingComposeTarget compose;
    store::FolderHandle sent = Open(store::kSentName);
    ASSERT_EQ(store::SentListOp(view, compose, store::ListOperation::Fill, *sent), 1);
    rows.SetSelected(0, true);
    (void)store::SentListOp(view, compose, store::ListOperation::ShowSelected, *sent);
    EXPECT_EQ(rows.RowText(0), u"0309  14:06  \u2717 Ann");
    EXPECT_EQ(message.Text(), u"short\r\n\r\nNot delivered: validity period expired");
}

}  // namespace
}  // namespace mivex::transfer::test

// The receive and sending runs through the real ModemManager link
// (libmm-glib, a real D-Bus connection) against the ModemManager mock on a
// private system bus.

#include <gtest/gtest.h>

#include "modem/modem_link.h"
#include "modem/modem_lock.h"
#include "modem_run_fixture.h"
#include "store/inbox_maintenance.h"
#include "transfer/receive_run.h"

namespace mivex::modem::test {
namespace {

const std::u16string kLongUnicode = [] {
    std::u16string text;
    for (int i = 0; i < 40; ++i)
        text += u"Привет, мир! 😀 ";
    return text;
}();

// Received and joined by ModemManager: a GSM text, a UCS2 one, an
// alphanumeric sender, a long message already whole, 8-bit data. Left alone:
// one still being received, one the user sent, a delivery report.
const std::string kMixedMessages =
    Message(1, 3, "+447700900123", "See you at eight") + "," +
    Message(1, 3, "+447700900124", Utf8(u"Привет 😀")) + "," + Message(1, 3, "Bank", "Code 1234") +
    "," + Message(1, 3, "+447700900125", Utf8(kLongUnicode)) + "," +
    Message(1, 3, "+447700900126", "", ", \"Data\": [1, 2, 3]") + "," +
    Message(1, 2, "+447700900127", "half") + "," + Message(2, 1, "+447700900128", "draft") + "," +
    Message(3, 3, "+447700900129", "", ", \"MessageReference\": 7, \"DeliveryState\": 0");

TEST_F(ModemRun, ReceivesWhatModemManagerReceivedAndDeletesOnlyThat) {
    const std::vector<std::pair<std::u16string, std::u16string>> expected = {
        {u"+447700900123", u"See you at eight"},
        {u"+447700900124", u"Привет 😀"},
        {u"Bank", u"Code 1234"},
        {u"+447700900125", kLongUnicode},
        {u"+447700900126", u"Unknown Message Format"}};
    for (const int deleteAfterReceive : {0, 1}) {
        SCOPED_TRACE(deleteAfterReceive);
        Start(Modem(kMixedMessages));
        FreshStore();
        log.events.clear();
        options.integers[options::Option::DeleteAfterReceive] = deleteAfterReceive;
        store::FolderHandle inbox = Open(store::kInboxName);
        EXPECT_EQ(transfer::ReceiveMessages(context, *inbox, nullptr),
                  transfer::ReceiveResult::Complete);
        std::vector<std::pair<std::u16string, std::u16string>> stored;
        for (const store::PropArray& props : ReadAll(*inbox)) {
            const auto record = store::AsInboxRecord(props);
            ASSERT_TRUE(record);
            EXPECT_EQ(sms::FormatFileTime(record->TimeStamp), "2024-03-05 14:22:01");
            stored.emplace_back(record->SenderNumber, record->Text);
        }
        std::sort(stored.begin(), stored.end());
        std::vector<std::pair<std::u16string, std::u16string>> sorted = expected;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(stored, sorted);
        EXPECT_TRUE(Showed(u"ModemManager Quectel EC25 OK"));
        EXPECT_TRUE(Showed(u"You have 5 new messages.."));
        EXPECT_EQ(CallsOf("Delete").size(), deleteAfterReceive ? 5u : 0u);
    }
}

TEST_F(ModemRun, SendsALongUnicodeMessageWholeAndFilesItInSent) {
    Start(Modem(""));
    options.integers[options::Option::ValidityPeriod] = 2;
    options.integers[options::Option::StatusReport] = 1;
    options.strings[options::Option::ServiceCentre] = u"+447700900000";
    Queue({{u"+447700900555", kLongUnicode}});
    EXPECT_EQ(Send(), 1);
    const std::vector<std::string> creates = CallsOf("Create");
    ASSERT_EQ(creates.size(), 1u);
    for (const std::string& part :
         {std::string("\"number\": \"+447700900555\""), std::string("\"smsc\": \"+447700900000\""),
          std::string("\"validity\": [1, 1440]"), std::string("\"delivery-report-request\": true")})
        EXPECT_NE(creates[0].find(part), std::string::npos) << part << " in " << creates[0];
    EXPECT_NE(creates[0].find("\\ud83d\\ude00"), std::string::npos);  // the text, emoji and all
    EXPECT_EQ(CallsOf("Send").size(), 1u);
    EXPECT_EQ(CallsOf("Delete").size(), 1u);
    EXPECT_EQ(ReadAll(*Open(store::kSentName)).size(), 1u);
    EXPECT_TRUE(ReadAll(*Open(store::kOutboxName)).empty());
}

TEST_F(ModemRun, GsmOnlyReducesTheTextBeforeModemManagerGetsIt) {
    Start(Modem(""));
    options.integers[options::Option::UsePhoneServiceCentre] = 1;
    options.integers[options::Option::GsmAlphabetOnly] = 1;
    Queue({{u"+447700900555", u"Grüße €5 Привет"}});
    EXPECT_EQ(Send(), 1);
    const std::vector<std::string> creates = CallsOf("Create");
    ASSERT_EQ(creates.size(), 1u);
    EXPECT_NE(creates[0].find("\"text\": \"Gr\\u00fc\\u00dfe ?5 ??????\""), std::string::npos)
        << creates[0];
    EXPECT_EQ(creates[0].find("smsc"), std::string::npos);
}

// Whatever goes wrong, the message stays in the Outbox, the red text says
// why, and nothing is sent twice.
TEST_F(ModemRun, AFailedSendLeavesTheMessageInTheOutbox) {
    struct Row {
        std::string faults;
        std::u16string shown;
        std::size_t sends;
    };
    const std::vector<Row> rows = {
        {", \"fail_send\": \"Network timeout\"", u"Network timeout", 2},
        {", \"refuse\": {\"Create\": \"Not authorized to send messages\"}",
         u"Not authorized to send messages", 0},
        {", \"quit_on\": \"Send\"", std::u16string(kModemGoneText), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.faults);
        Start(Modem("", "", row.faults));
        options.integers[options::Option::UsePhoneServiceCentre] = 1;
        Queue({{u"+447700900555", u"one"}, {u"+447700900556", u"two"}});
        EXPECT_EQ(Send(), -1);
        EXPECT_TRUE(Showed(std::u16string(transfer::kSendFailedText) + row.shown));
        EXPECT_EQ(CallsOf("Send").size(), row.sends);
        EXPECT_EQ(ReadAll(*Open(store::kOutboxName)).size(), 2u);
        EXPECT_TRUE(ReadAll(*Open(store::kSentName)).empty());
    }
}

TEST_F(ModemRun, AReceiveThatLosesModemManagerKeepsWhatItStored) {
    Start(Modem(kMixedMessages, "", ", \"quit_on\": \"Delete\""));
    options.integers[options::Option::DeleteAfterReceive] = 1;
    store::FolderHandle inbox = Open(store::kInboxName);
    EXPECT_EQ(transfer::ReceiveMessages(context, *inbox, nullptr),
              transfer::ReceiveResult::Incomplete);
    EXPECT_EQ(ReadAll(*inbox).size(), 1u);  // on disk before the deletion was asked for
    EXPECT_TRUE(Showed(transfer::IncompleteText(1))) << ::testing::PrintToString(log.events);
}

TEST_F(ModemRun, AStartUpThatCannotGoOnSaysWhy) {
    struct Row {
        std::string parameters;  // empty: no ModemManager at all
        std::u16string shown;
    };
    const std::vector<Row> rows = {
        {"", std::u16string(kNotRunningText)},
        {"{\"modems\": [{\"imei\": \"1\"}]}", std::u16string(kModemNotFoundText)},
        {Modem("", ", \"lock\": 2"), std::u16string(SimLockText(phone::SimState::SimPin))},
        {Modem("", ", \"lock\": 4"), std::u16string(SimLockText(phone::SimState::SimPuk))},
        {Modem("", ", \"state\": -1, \"failed_reason\": 2"),
         std::u16string(SimLockText(phone::SimState::NoSim))},
        {Modem("", ", \"messaging\": false"), std::u16string(kNoMessagingText)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.parameters);
        if (row.parameters.empty())
            bus.StopMock();
        else
            Start(row.parameters);
        options.strings[options::Option::Port] = std::u16string(kPort);
        log.events.clear();
        store::FolderHandle inbox = Open(store::kInboxName);
        EXPECT_EQ(transfer::ReceiveMessages(context, *inbox, nullptr),
                  transfer::ReceiveResult::NoConnection);
        EXPECT_TRUE(Showed(row.shown));
    }
}

// A call that never answers, or one polkit refuses, ends the receive with
// the reason shown; the link is given up only when ModemManager is gone.
TEST_F(ModemRun, AListThatNeverAnswersOrIsRefusedEndsInTime) {
    struct Row {
        std::string faults;
        std::u16string shown;
        bool lost;
    };
    const std::vector<Row> rows = {
        {", \"hang\": \"List\"", u"ModemManager did not answer", true},
        {", \"refuse\": {\"List\": \"Not authorized\"}", u"Not authorized", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.faults);
        Start(Modem(kMixedMessages, "", row.faults));
        log.events.clear();
        std::unique_ptr<phone::MessageLink> modem = OpenModemLink(
            link, options, log, std::string(kImei), {.connectMs = 5000, .callMs = 300});
        ASSERT_TRUE(modem);
        EXPECT_FALSE(modem->SelectStore(kModemStore));
        EXPECT_EQ(modem->Lost(), row.lost);
        EXPECT_TRUE(Showed(row.shown));
    }
}

}  // namespace
}  // namespace mivex::modem::test

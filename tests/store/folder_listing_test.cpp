#include "store/folder_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_clock.h"
#include "operations_support.h"
#include "store/queueing.h"

namespace mivex::testing {
namespace {

using store::InboxRecord;
using store::ListOperation;

TEST(RowTexts, FollowTheColumnHeadings) {
    const sms::FileTime march5 = At(2026, 3, 5, 9, 7);
    EXPECT_EQ(store::InboxRowText(march5, true, u"Ann Lee"), u"0305  09:07 * Ann Lee");
    EXPECT_EQ(store::InboxRowText(march5, false, u"Ann Lee"), u"0305  09:07    Ann Lee");
    EXPECT_EQ(store::RecipientRowText(At(2004, 12, 31, 23, 59), u"+44"), u"1231  23:59  +44");
    EXPECT_EQ(store::ReplyEntry(u"Ann Lee", u"+447700"), u"Ann Lee,+447700");
    EXPECT_EQ(store::ReplyEntry(u"+447700", u"+447700"), u"+447700");
    EXPECT_EQ(store::ReplyEntry(u"", u"+447700"), u"+447700");
    EXPECT_EQ(store::CounterText(0), u"0");
    EXPECT_EQ(store::CounterText(12345), u"12345");
    const std::u16string refusal(store::kEditGroupRefusal);
    EXPECT_EQ(refusal.find(u"at" + std::u16string(39, u' ') + u"the same"), 22u);
}

class Listing : public ::testing::Test {
protected:
    store::FolderViewControls View() { return {list, messageText, counter, status, prompter}; }
    int Inbox(ListOperation operation) {
        return store::InboxListOp(View(), compose, operation, *inbox);
    }
    int Outbox(ListOperation operation) {
        return store::OutboxListOp(View(), compose, operation, *outbox);
    }
    int Sent(ListOperation operation) {
        return store::SentListOp(View(), compose, operation, *sent);
    }
    store::ObjectId AddInbox(std::u16string number, std::u16string name, std::u16string text,
                             sms::FileTime time, int unread = 1) {
        return Write(*inbox, store::ToProps(InboxRecord{std::move(number), time, std::move(text), 0,
                                                        0, 0, 0, unread, std::move(name), u""}));
    }
    store::ObjectId AddSent(std::u16string number, std::u16string name, std::u16string text,
                            sms::FileTime time) {
        return Write(*sent, store::ToProps(store::SentRecord{number, name, time, text, u""}));
    }
    void Select(std::initializer_list<std::size_t> rows) {
        for (const std::size_t row : rows)
            list.SetSelected(row, true);
    }

    TempVolume volume;
    store::FolderHandle inbox = volume.Open(store::kInboxName, store::kInboxByDate);
    store::FolderHandle outbox = volume.Open(store::kOutboxName, store::kOutboxByDate);
    store::FolderHandle sent = volume.Open(store::kSentName, store::kSentByDate);
    FakeListControl list;
    FakeTextControl messageText;
    FakeTextControl counter;
    RecordingStatusSink status;
    ScriptedPrompter prompter;
    RecordingCompose compose;
    FakeClock clock;
};

TEST_F(Listing, InboxFillSkipsWrongShapesAndShowingMarksRead) {
    const sms::FileTime march5 = At(2026, 3, 5, 9, 7);
    const store::ObjectId newer = AddInbox(u"+4477", u"Ann Lee", u"Hello", march5);
    store::PropArray nine = store::ToProps(InboxRecord{});
    nine.pop_back();
    Write(*inbox, nine);
    const store::ObjectId older = AddInbox(u"+1", u"+1", u"Old", At(2026, 1, 2, 3, 4), 0);

    EXPECT_EQ(Inbox(ListOperation::Fill), 2);
    EXPECT_EQ(list.Texts(),
              (std::vector<std::u16string>{u"0305  09:07 * Ann Lee", u"0102  03:04    +1"}));
    EXPECT_EQ(list.rows[0].data, newer);
    EXPECT_EQ(list.rows[1].data, older);
    EXPECT_EQ(counter.text, u"2");

    Select({0});
    EXPECT_EQ(Inbox(ListOperation::ShowSelected), 1);
    EXPECT_EQ(messageText.text, u"Hello");
    ASSERT_EQ(status.lines.size(), 1u);
    EXPECT_EQ(status.lines[0].text, u"+4477");
    EXPECT_EQ(status.lines[0].beep, platform::StatusBeep::None);
    EXPECT_EQ(status.lines[0].colour, platform::StatusColour::Blue);
    EXPECT_EQ(list.rows[0].text, u"0305  09:07    Ann Lee");
    EXPECT_EQ(list.rows[0].data, newer);
    EXPECT_TRUE(list.rows[0].selected);
    EXPECT_EQ(ReadInbox(*inbox).at(0).Unread, 0);

    // A refill shows what was stored, not what the row said.
    EXPECT_EQ(Inbox(ListOperation::Fill), 2);
    EXPECT_EQ(list.rows[0].text, u"0305  09:07    Ann Lee");
}

TEST_F(Listing, OutboxFillSelectsTheMarkedRowsOnce) {
    FakeTextControl composeText;
    composeText.SetText(u"Meet at six");
    FakeListControl recipients;
    recipients.AddRow(u"Ann,+441");
    recipients.AddRow(u"+442");
    ASSERT_EQ(
        store::QueueMessage(composeText, recipients, *outbox, store::SendNow::Yes, prompter, clock),
        2);
    clock.local.minute = 8;
    ASSERT_EQ(
        store::QueueMessage(composeText, recipients, *outbox, store::SendNow::No, prompter, clock),
        2);

    EXPECT_EQ(Outbox(ListOperation::Fill), 4);
    EXPECT_EQ(list.Texts(),
              (std::vector<std::u16string>{u"0305  09:08  Ann", u"0305  09:08  +442",
                                           u"0305  09:07  Ann", u"0305  09:07  +442"}));
    EXPECT_EQ(list.SelectedCount(), 2u);
    EXPECT_TRUE(list.rows[2].selected && list.rows[3].selected);
    for (const store::OutboxRecord& record : ReadOutbox(*outbox))
        EXPECT_EQ(record.SendNow, 0);

    EXPECT_EQ(Outbox(ListOperation::Fill), 4);
    EXPECT_EQ(list.SelectedCount(), 0u);
}

TEST_F(Listing, DeleteRemovesTheSelectedRowsAfterYes) {
    for (int minute = 0; minute < 5; ++minute)
        AddSent(u"+1", u"Ann", u"text", At(2026, 3, 5, 9, minute));
    ASSERT_EQ(Sent(ListOperation::Fill), 5);
    messageText.SetText(u"shown");

    Select({0, 2, 4});
    prompter.answers = {platform::PromptAnswer::No};
    EXPECT_EQ(Sent(ListOperation::DeleteSelected), 0);
    EXPECT_EQ(ReadAll(*sent).size(), 5u);
    EXPECT_EQ(prompter.seen.at(0).text, u"Delete selected messages?");
    EXPECT_EQ(prompter.seen.at(0).icon, platform::PromptIcon::Exclamation);

    EXPECT_EQ(Sent(ListOperation::DeleteSelected), 1);
    EXPECT_EQ(list.Texts(),
              (std::vector<std::u16string>{u"0305  09:03  Ann", u"0305  09:01  Ann"}));
    EXPECT_EQ(counter.text, u"2");
    EXPECT_EQ(messageText.text, u"");
    EXPECT_EQ(list.repaints, 1);
    EXPECT_EQ(status.Texts(), std::vector<std::u16string>{u""});
    EXPECT_EQ(ReadAll(*sent).size(), 2u);
}

TEST_F(Listing, InboxDeleteClearsTheStatusForEveryRowAndKeepsRowsNotDeleted) {
    AddInbox(u"+1", u"A", u"a", At(2026, 3, 5, 9, 2));
    AddInbox(u"+2", u"B", u"b", At(2026, 3, 5, 9, 1));
    ASSERT_EQ(Inbox(ListOperation::Fill), 2);
    // A row whose record has gone already cannot be deleted, so it stays.
    list.AddRow(u"stale");
    list.SetItemData(2, 424242);
    Select({0, 1, 2});

    EXPECT_EQ(Inbox(ListOperation::DeleteSelected), 1);
    EXPECT_EQ(list.Texts(), std::vector<std::u16string>{u"stale"});
    EXPECT_EQ(status.Texts(), (std::vector<std::u16string>{u"", u""}));
    EXPECT_EQ(counter.text, u"1");
}

TEST_F(Listing, ReplyAndForwardHandTheFirstSelectedMessageOver) {
    AddInbox(u"+4477", u"+4477", u"line one\r\nline two", At(2026, 3, 5, 9, 2));
    AddInbox(u"+55", u"Bob", u"second", At(2026, 3, 5, 9, 1));
    ASSERT_EQ(Inbox(ListOperation::Fill), 2);
    Select({0, 1});

    EXPECT_EQ(Inbox(ListOperation::Reply), 1);
    EXPECT_EQ(compose.entries, std::vector<std::u16string>{u"+4477"});
    EXPECT_EQ(compose.text.text, u"Re message:-\r\nline one\r\nline two");
    EXPECT_EQ(compose.changes, 1);

    list.SetSelected(0, false);
    EXPECT_EQ(Inbox(ListOperation::Forward), 1);
    EXPECT_EQ(compose.text.text, u"second");
    EXPECT_EQ(compose.entries.size(), 1u);
    EXPECT_EQ(compose.changes, 2);
}

TEST_F(Listing, CopyToNewSelectsAllOfTheText) {
    AddSent(u"+441", u"Ann", u"copy me", At(2026, 3, 5, 9, 1));
    ASSERT_EQ(Sent(ListOperation::Fill), 1);
    Select({0});
    EXPECT_EQ(Sent(ListOperation::CopyToNew), 1);
    EXPECT_EQ(compose.entries, std::vector<std::u16string>{u"Ann,+441"});
    EXPECT_EQ(compose.text.text, u"copy me");
    EXPECT_EQ(compose.text.selectionStart, 0u);
    EXPECT_EQ(compose.text.selectionEnd, 7u);
    EXPECT_EQ(compose.changes, 1);
}

TEST_F(Listing, EditGroupTakesBackOneQueueingOnly) {
    FakeTextControl composeText;
    composeText.SetText(u"group text");
    FakeListControl recipients;
    recipients.AddRow(u"Ann,+441");
    recipients.AddRow(u"+442");
    ASSERT_EQ(
        store::QueueMessage(composeText, recipients, *outbox, store::SendNow::No, prompter, clock),
        2);
    clock.local.second = 31;
    recipients.Reset();
    recipients.AddRow(u"+449");
    ASSERT_EQ(
        store::QueueMessage(composeText, recipients, *outbox, store::SendNow::No, prompter, clock),
        1);
    ASSERT_EQ(Outbox(ListOperation::Fill), 3);

    Select({0, 1});
    EXPECT_EQ(Outbox(ListOperation::EditGroup), 0);
    ASSERT_EQ(prompter.seen.size(), 1u);
    EXPECT_EQ(prompter.seen[0].text, store::kEditGroupRefusal);
    EXPECT_EQ(prompter.seen[0].icon, platform::PromptIcon::Stop);
    EXPECT_EQ(ReadAll(*outbox).size(), 3u);
    EXPECT_TRUE(compose.entries.empty());

    list.SetSelected(0, false);
    list.SetSelected(2, true);
    EXPECT_EQ(Outbox(ListOperation::EditGroup), 1);
    EXPECT_EQ(compose.entries, (std::vector<std::u16string>{u"Ann,+441", u"+442"}));
    EXPECT_EQ(compose.text.text, u"group text");
    EXPECT_EQ(compose.changes, 2);
    const std::vector<store::OutboxRecord> left = ReadOutbox(*outbox);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].RecipientNumber, u"+449");
}

TEST_F(Listing, WithNothingSelectedOnlyDeleteAndEditGroupSayNo) {
    AddInbox(u"+1", u"A", u"a", At(2026, 3, 5, 9, 2));
    AddSent(u"+1", u"A", u"a", At(2026, 3, 5, 9, 2));
    Write(*outbox, store::ToProps(store::OutboxRecord{u"+1", u"A", 1, u"a", 0}));
    compose.text.SetText(u"untouched");
    messageText.SetText(u"old");

    ASSERT_EQ(Inbox(ListOperation::Fill), 1);
    EXPECT_EQ(Inbox(ListOperation::ShowSelected), 1);
    EXPECT_EQ(messageText.text, u"");
    EXPECT_EQ(Inbox(ListOperation::Reply), 1);
    EXPECT_EQ(Inbox(ListOperation::Forward), 1);
    EXPECT_EQ(Inbox(ListOperation::DeleteSelected), 0);
    ASSERT_EQ(Sent(ListOperation::Fill), 1);
    EXPECT_EQ(Sent(ListOperation::CopyToNew), 1);
    ASSERT_EQ(Outbox(ListOperation::Fill), 1);
    EXPECT_EQ(Outbox(ListOperation::EditGroup), 0);
    // Operations a folder does not have.
    EXPECT_EQ(Sent(ListOperation::Forward), 0);
    EXPECT_EQ(Outbox(ListOperation::Forward), 0);
    EXPECT_EQ(Inbox(static_cast<ListOperation>(6)), 0);
    EXPECT_EQ(list.Count(), 1u);

    EXPECT_EQ(compose.text.text, u"untouched");
    EXPECT_TRUE(compose.entries.empty());
    EXPECT_EQ(compose.changes, 0);
    EXPECT_TRUE(prompter.seen.empty());
    EXPECT_TRUE(status.lines.empty());
    EXPECT_EQ(ReadAll(*outbox).size(), 1u);
    EXPECT_EQ(ReadAll(*inbox).size(), 1u);
}

}  // namespace
}  // namespace mivex::testing

// The data side of the folder views: rows, showing, deleting and the
// hand-overs to the compose view.

#include "store/folder_listing.h"

#include "store/queueing.h"
#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

// The views' own tests show the usual rows; these are the edges.
TEST(RowTexts, FollowTheColumnHeadings) {
    EXPECT_EQ(RecipientRowText(At(2004, 12, 31, 23, 59), u"+44"), u"1231  23:59  +44");
    EXPECT_EQ(ReplyEntry(u"", u"+447700"), u"+447700");
}

// The compose view as the hand-overs see it, recording what reaches it.
struct RecordingCompose final : ComposeTarget {
    void AddRecipientEntry(std::u16string_view entry) override { entries.emplace_back(entry); }
    platform::TextControl& MessageText() override { return text; }
    void MessageTextChanged() override { ++changes; }
    std::vector<std::u16string> entries;
    FakeTextControl text;
    int changes = 0;
};

// MemoryList is final, so this forwards to one to count the repaints.
struct CountingList final : platform::ListControl {
    std::size_t Count() const override { return rows.Count(); }
    void Reset() override { rows.Reset(); }
    std::size_t AddRow(std::u16string_view t) override { return rows.AddRow(t); }
    void InsertRow(std::size_t i, std::u16string_view t) override { rows.InsertRow(i, t); }
    void DeleteRow(std::size_t i) override { rows.DeleteRow(i); }
    std::u16string RowText(std::size_t i) const override { return rows.RowText(i); }
    std::uint32_t ItemData(std::size_t i) const override { return rows.ItemData(i); }
    void SetItemData(std::size_t i, std::uint32_t d) override { rows.SetItemData(i, d); }
    bool IsSelected(std::size_t i) const override { return rows.IsSelected(i); }
    void SetSelected(std::size_t i, bool on) override { rows.SetSelected(i, on); }
    std::size_t SelectedCount() const override { return rows.SelectedCount(); }
    void RepaintOwner() override { ++repaints; }
    MemoryList rows;
    int repaints = 0;
};

class Listing : public StoreTest {
public:
    FolderViewControls View() { return {list, messageText, counter, status, prompter}; }
    int Inbox(ListOperation op) { return InboxListOp(View(), compose, op, *inbox); }
    int Outbox(ListOperation op) { return OutboxListOp(View(), compose, op, *outbox); }
    int Sent(ListOperation op) { return SentListOp(View(), compose, op, *sent); }
    ObjectId AddInbox(std::u16string number, std::u16string name, std::u16string text,
                      sms::FileTime time, int unread = 1) {
        return Write(*inbox,
                     ToProps(InboxRecord{number, time, text, 0, 0, 0, 0, unread, name, u""}));
    }
    ObjectId AddSent(std::u16string number, std::u16string name, std::u16string text,
                     sms::FileTime time) {
        return Write(*sent, ToProps(SentRecord{number, name, time, text, u""}));
    }
    // Queues `text` for the recipients at the clock's time.
    void Queue(std::u16string_view text, std::initializer_list<const char16_t*> entries,
               SendNow sendNow) {
        FakeTextControl composeText;
        composeText.SetText(text);
        MemoryList recipients;
        for (const char16_t* entry : entries)
            recipients.AddRow(entry);
        ASSERT_EQ(QueueMessage(composeText, recipients, *outbox, sendNow, prompter, clock),
                  static_cast<int>(entries.size()));
    }
    void Select(std::initializer_list<std::size_t> rows) {
        for (const std::size_t row : rows)
            list.SetSelected(row, true);
    }

    FolderHandle inbox = Open(kInboxName, kInboxByDate);
    FolderHandle outbox = Open(kOutboxName, kOutboxByDate);
    FolderHandle sent = Open(kSentName, kSentByDate);
    CountingList list;
    FakeTextControl messageText;
    FakeTextControl counter;
    RecordingStatusSink status;
    ScriptedPrompter prompter;
    RecordingCompose compose;
    FakeClock clock;
};

TEST_F(Listing, InboxFillSkipsWrongShapesAndShowingMarksRead) {
    const ObjectId newer = AddInbox(u"+4477", u"Ann Lee", u"Hello", At(2026, 3, 5, 9, 7));
    PropArray nine = ToProps(InboxRecord{});
    nine.pop_back();
    Write(*inbox, nine);
    const ObjectId older = AddInbox(u"+1", u"+1", u"Old", At(2026, 1, 2, 3, 4), 0);

    EXPECT_EQ(Inbox(ListOperation::Fill), 2);
    EXPECT_EQ(RowTexts(list), (Texts{u"0305  09:07 * Ann Lee", u"0102  03:04    +1"}));
    EXPECT_EQ(list.ItemData(1), older);
    EXPECT_EQ(counter.text, u"2");

    Select({0});
    EXPECT_EQ(Inbox(ListOperation::ShowSelected), 1);
    EXPECT_EQ(messageText.text, u"Hello");
    EXPECT_EQ(status.Texts(), Texts{u"+4477"});
    EXPECT_EQ(status.lines.at(0).colour, platform::StatusColour::Blue);
    EXPECT_EQ(list.RowText(0), u"0305  09:07    Ann Lee");
    EXPECT_EQ(list.ItemData(0), newer);
    EXPECT_EQ(ReadInbox(*inbox).at(0).Unread, 0);
}

TEST_F(Listing, OutboxFillSelectsTheMarkedRowsOnce) {
    Queue(u"Meet at six", {u"Ann,+441", u"+442"}, SendNow::Yes);
    clock.local.minute = 8;
    Queue(u"Meet at six", {u"Ann,+441", u"+442"}, SendNow::No);

    EXPECT_EQ(Outbox(ListOperation::Fill), 4);
    EXPECT_EQ(RowTexts(list), (Texts{u"0305  09:08  Ann", u"0305  09:08  +442", u"0305  09:07  Ann",
                                     u"0305  09:07  +442"}));
    EXPECT_TRUE(list.SelectedCount() == 2 && list.IsSelected(2) && list.IsSelected(3));
    EXPECT_EQ(Outbox(ListOperation::Fill), 4);
    EXPECT_EQ(list.SelectedCount(), 0u);
}

TEST_F(Listing, DeleteRemovesTheSelectedRowsAfterYes) {
    for (int minute = 0; minute < 5; ++minute)
        AddSent(u"+1", u"Ann", u"text", At(2026, 3, 5, 9, minute));
    ASSERT_EQ(Sent(ListOperation::Fill), 5);
    messageText.SetText(u"shown");
    // A row whose record has gone already cannot be deleted, so it stays.
    list.SetItemData(list.AddRow(u"stale"), 424242);
    Select({0, 2, 4, 5});
    prompter.answers = {platform::PromptAnswer::No};
    EXPECT_EQ(Sent(ListOperation::DeleteSelected), 0);
    EXPECT_EQ(ReadAll(*sent).size(), 5u);
    EXPECT_EQ(prompter.seen.at(0).text, u"Delete selected messages?");
    EXPECT_EQ(prompter.seen.at(0).icon, platform::PromptIcon::Exclamation);

    EXPECT_EQ(Sent(ListOperation::DeleteSelected), 1);
    EXPECT_EQ(RowTexts(list), (Texts{u"0305  09:03  Ann", u"0305  09:01  Ann", u"stale"}));
    EXPECT_EQ(counter.text, u"3");
    EXPECT_EQ(messageText.text, u"");
    EXPECT_EQ(list.repaints, 1);
    EXPECT_EQ(status.Texts(), Texts{u""});  // once for the Sent view
    EXPECT_EQ(ReadAll(*sent).size(), 2u);

    // The Inbox view clears the status for every row it deletes.
    AddInbox(u"+1", u"A", u"a", At(2026, 3, 5, 9, 2));
    AddInbox(u"+2", u"B", u"b", At(2026, 3, 5, 9, 1));
    ASSERT_EQ(Inbox(ListOperation::Fill), 2);
    Select({0, 1});
    EXPECT_EQ(Inbox(ListOperation::DeleteSelected), 1);
    EXPECT_EQ(status.Texts(), (Texts{u"", u"", u""}));
}

TEST_F(Listing, HandOversTakeTheFirstSelectedMessage) {
    AddInbox(u"+4477", u"+4477", u"line one\r\nline two", At(2026, 3, 5, 9, 2));
    AddInbox(u"+55", u"Bob", u"second", At(2026, 3, 5, 9, 1));
    ASSERT_EQ(Inbox(ListOperation::Fill), 2);
    Select({0, 1});
    EXPECT_EQ(Inbox(ListOperation::Reply), 1);
    EXPECT_EQ(compose.entries, Texts{u"+4477"});
    EXPECT_EQ(compose.text.text, u"Re message:-\r\nline one\r\nline two");
    EXPECT_EQ(compose.changes, 1);

    list.SetSelected(0, false);
    EXPECT_EQ(Inbox(ListOperation::Forward), 1);
    EXPECT_EQ(compose.text.text, u"second");
    EXPECT_EQ(compose.entries.size(), 1u);

    AddSent(u"+441", u"Ann", u"copy me", At(2026, 3, 5, 9, 1));
    ASSERT_EQ(Sent(ListOperation::Fill), 1);
    Select({0});
    EXPECT_EQ(Sent(ListOperation::CopyToNew), 1);
    EXPECT_EQ(compose.entries.back(), u"Ann,+441");
    EXPECT_EQ(compose.text.text, u"copy me");
    EXPECT_EQ(compose.text.selectionEnd, 7u);
}

TEST_F(Listing, EditGroupTakesBackOneQueueingOnly) {
    Queue(u"group text", {u"Ann,+441", u"+442", u"+443"}, SendNow::No);
    clock.local.second = 31;
    Queue(u"group text", {u"+449"}, SendNow::No);
    ASSERT_EQ(Outbox(ListOperation::Fill), 4);

    Select({0, 1});
    EXPECT_EQ(Outbox(ListOperation::EditGroup), 0);
    ASSERT_EQ(prompter.seen.size(), 1u);
    EXPECT_EQ(prompter.seen[0].text, kEditGroupRefusal);
    EXPECT_EQ(prompter.seen[0].icon, platform::PromptIcon::Stop);
    EXPECT_TRUE(compose.entries.empty());

    // A record of the group that cannot be read is not handed over, so it
    // must not go either.
    std::size_t damagedRow = 0;
    while (!list.RowText(damagedRow).ends_with(u"+443"))
        ++damagedRow;
    store.CloseFolder(outbox);  // its reading holds the file
    RunSql(store.VolumePath(), "UPDATE records SET props = substr(props, 1, 40) WHERE id = " +
                                   std::to_string(list.ItemData(damagedRow)));
    outbox = Open(kOutboxName, kOutboxByDate);
    list.SetSelected(0, false);
    Select({1, 2, 3});
    EXPECT_EQ(Outbox(ListOperation::EditGroup), 1);
    EXPECT_EQ(compose.entries, (Texts{u"Ann,+441", u"+442"}));
    EXPECT_EQ(compose.text.text, u"group text");
    const std::vector<OutboxRecord> left = ReadOutbox(*outbox);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].RecipientNumber, u"+449");
    PropArray props;
    EXPECT_EQ(ScanRecords(*outbox, props, [](ObjectId, const PropArray&) {}), 1u);
}

TEST_F(Listing, WithNothingSelectedOnlyDeleteAndEditGroupSayNo) {
    AddInbox(u"+1", u"A", u"a", At(2026, 3, 5, 9, 2));
    AddSent(u"+1", u"A", u"a", At(2026, 3, 5, 9, 2));
    Write(*outbox, ToProps(OutboxRecord{u"+1", u"A", 1, u"a", 0}));
    compose.text.SetText(u"untouched");
    messageText.SetText(u"old");
    using Op = ListOperation;
    const struct {
        int (Listing::*view)(ListOperation);
        ListOperation operation;
        int result;
    } cases[] = {
        {&Listing::Inbox, Op::Fill, 1},           {&Listing::Inbox, Op::ShowSelected, 1},
        {&Listing::Inbox, Op::Reply, 1},          {&Listing::Inbox, Op::Forward, 1},
        {&Listing::Inbox, Op::DeleteSelected, 0}, {&Listing::Sent, Op::Fill, 1},
        {&Listing::Sent, Op::CopyToNew, 1},       {&Listing::Outbox, Op::Fill, 1},
        {&Listing::Outbox, Op::EditGroup, 0},     {&Listing::Sent, Op::Forward, 0},
        {&Listing::Outbox, Op::Forward, 0},       {&Listing::Inbox, static_cast<Op>(6), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ((this->*c.view)(c.operation), c.result) << &c - cases;
    EXPECT_EQ(messageText.text, u"");
    EXPECT_EQ(compose.text.text, u"untouched");
    EXPECT_TRUE(compose.entries.empty() && compose.changes == 0);
    EXPECT_TRUE(prompter.seen.empty() && status.lines.empty());
    EXPECT_EQ(ReadAll(*outbox).size() + ReadAll(*inbox).size(), 2u);
}

}  // namespace
}  // namespace mivex::store::tests

// Queueing the compose view's message into the Outbox, and copying sent
// messages back into it.

#include "store/queueing.h"

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

TEST(RecipientEntry, SplitsIntoNumberAndName) {
    struct Case {
        std::u16string entry;
        std::u16string number;
        std::u16string name;
    };
    const std::vector<Case> cases = {
        {u"Ann Lee,+44 (0)7700-900 123", u"+4407700900123", u"Ann Lee"},
        {u"07700 900123", u"07700900123", u"07700900123"},
        {u"Bob,", u"", u"Bob"},
        {u"Switchboard,0123p45w6*7#", u"0123p45w6*7#", u"Switchboard"},
        {u"Ann,123,456", u"123", u"Ann"},
        {u" Ann (work) ,12", u"12", u" Ann (work) "},
        {u"no digits", u"", u""},
        {u"", u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.entry.begin(), c.entry.end()));
        EXPECT_EQ(RecipientNumberOf(c.entry), c.number);
        EXPECT_EQ(RecipientNameOf(c.entry), c.name);
    }
}

class Queueing : public StoreTest {
protected:
    int Queue(SendNow sendNow = SendNow::No) {
        return QueueMessage(text, recipients, *outbox, sendNow, prompter, clock);
    }

    FolderHandle outbox = Open(kOutboxName, kOutboxByDate);
    FakeTextControl text;
    MemoryList recipients;
    ScriptedPrompter prompter;
    FakeClock clock;
};

TEST_F(Queueing, RefusesInTheOrderOfItsChecksAndWritesNothing) {
    struct Case {
        const char* what;
        std::u16string text;
        std::vector<std::u16string> entries;
        std::u16string_view refusal;
    };
    const std::u16string longest(9999, u'x');
    const std::vector<Case> cases = {
        {"nothing at all", u"", {}, kNoRecipientText},
        {"no text", u"", {u"123"}, kNoMessageText},
        {"10000 units", longest + u"x", {u"123"}, kMessageTooBigText},
        {"name without number", u"hi", {u"123", u"Bob,"}, kInvalidRecipientText},
        {"a letter O for a zero", u"hi", {u"+44 77OO 900123"}, kInvalidRecipientText},
        {"a contact's number with a letter",
         u"hi",
         {u"Ann,+44 7700 90012x"},
         kInvalidRecipientText},
        {"a plus and no digit", u"hi", {u"Ann,+"}, kInvalidRecipientText},
        {"200-unit entry", u"hi", {u"1" + std::u16string(199, u'2')}, kInvalidRecipientText},
        {"too big before invalid", longest + u"x", {u"Bob,"}, kMessageTooBigText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        text.SetText(c.text);
        recipients.Reset();
        for (const std::u16string& entry : c.entries)
            recipients.AddRow(entry);
        prompter.seen.clear();

        EXPECT_EQ(Queue(), 0);
        ASSERT_EQ(prompter.seen.size(), 1u);
        EXPECT_EQ(prompter.seen[0].text, c.refusal);
        EXPECT_EQ(prompter.seen[0].caption, u"Mivex");
        EXPECT_EQ(prompter.seen[0].buttons, platform::PromptButtons::Ok);
        EXPECT_EQ(prompter.seen[0].icon, platform::PromptIcon::None);
        EXPECT_TRUE(ReadAll(*outbox).empty());
    }
}

// The largest message and entry that pass, to each recipient at one time.
TEST_F(Queueing, WritesOneRecordPerRecipientWithOneCreatedTime) {
    const std::u16string body(9999, u'x');
    const std::u16string longest = u"1" + std::u16string(198, u'2');
    text.SetText(body);
    recipients.AddRow(u"Ann Lee,+44 (0)7700-900.12/3");
    recipients.AddRow(longest);

    EXPECT_EQ(Queue(SendNow::Yes), 2);
    EXPECT_TRUE(prompter.seen.empty());
    const sms::FileTime created = At(2026, 3, 5, 9, 7, 30);
    EXPECT_EQ(ReadOutbox(*outbox),
              (std::vector<OutboxRecord>{{u"+4407700900123", u"Ann Lee", created, body, 1},
                                         {longest, longest, created, body, 1}}));
}

// A store that fails part way through keeps none of the recipients' records.
TEST_F(Queueing, WritesAllRecipientsOrNone) {
    FailInsertsAfter(store.VolumePath(), 2);
    text.SetText(u"hello");
    for (const char16_t* entry : {u"+1", u"+2", u"+3"})
        recipients.AddRow(entry);
    EXPECT_EQ(Queue(SendNow::Yes), 0);
    EXPECT_TRUE(ReadAll(*outbox).empty());
    EXPECT_EQ(prompter.seen.at(0).text, kOutboxWriteFailedText);
    EXPECT_EQ(prompter.seen[0].icon, platform::PromptIcon::Stop);
}

TEST_F(Queueing, CopyToOutboxCopiesTheSelectedSentRecords) {
    FolderHandle sent = Open(kSentName, kSentByDate);
    MemoryList rows;
    const auto addSent = [&](const PropArray& props, bool selected) {
        const std::size_t row = rows.AddRow(u"row");
        rows.SetItemData(row, Write(*sent, props));
        rows.SetSelected(row, selected);
    };
    const sms::FileTime earlier = At(2025, 1, 2, 3, 4);
    addSent(ToProps(SentRecord{u"+1", u"Ann", earlier, u"first", u"k"}), true);
    addSent(ToProps(SentRecord{u"+2", u"Bob", earlier, u"second", u"k"}), false);
    PropArray four = ToProps(SentRecord{u"+3", u"Cy", earlier, u"x", u"k"});
    four.pop_back();
    addSent(four, true);
    addSent(ToProps(SentRecord{u"+4", u"Di", earlier, u"fourth", u"k"}), true);
    const std::size_t gone = rows.AddRow(u"deleted meanwhile");
    rows.SetItemData(gone, 9999);
    rows.SetSelected(gone, true);

    EXPECT_EQ(CopyToOutbox(rows, *sent, *outbox, SendNow::Yes, clock), 2);
    const sms::FileTime created = At(2026, 3, 5, 9, 7, 30);
    EXPECT_EQ(ReadOutbox(*outbox),
              (std::vector<OutboxRecord>{{u"+1", u"Ann", created, u"first", 1},
                                         {u"+4", u"Di", created, u"fourth", 1}}));
    EXPECT_EQ(ReadAll(*sent).size(), 4u);
}

}  // namespace
}  // namespace mivex::store::tests

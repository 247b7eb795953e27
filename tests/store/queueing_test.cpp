// Queueing the compose view's message into the Outbox, and copying sent
// messages back into it.

#include "store/queueing.h"

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

using mivex::testing::PromptSeen;

TEST(RecipientEntry, SplitsIntoNumberAndName) {
    // entry, number, name
    const std::u16string cases[][3] = {
        {u"Ann Lee,+44 (0)7700-900 123", u"+4407700900123", u"Ann Lee"},
        {u"07700 900123", u"07700900123", u"07700900123"},
        {u"Bob,", u"", u"Bob"},
        {u"Switchboard,0123p45w6*7#", u"0123p45w6*7#", u"Switchboard"},
        {u"Ann,123,456", u"123", u"Ann"},
        {u" Ann (work) ,12", u"12", u" Ann (work) "},
        {u"no digits", u"", u""},
        {u"", u"", u""},
    };
    for (const auto& [entry, number, name] : cases) {
        SCOPED_TRACE(std::string(entry.begin(), entry.end()));
        EXPECT_EQ(RecipientNumberOf(entry), number);
        EXPECT_EQ(RecipientNameOf(entry), name);
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
    const std::u16string tooLong(10000, u'x');
    const std::u16string_view invalid = kInvalidRecipientText;
    // what, text, recipient entries, refusal
    const std::tuple<const char*, std::u16string, std::vector<std::u16string>, std::u16string_view>
        cases[] = {
            {"nothing at all", u"", {}, kNoRecipientText},
            {"no text", u"", {u"123"}, kNoMessageText},
            {"10000 units", tooLong, {u"123"}, kMessageTooBigText},
            {"name without number", u"hi", {u"123", u"Bob,"}, invalid},
            {"a letter O for a zero", u"hi", {u"+44 77OO 900123"}, invalid},
            {"a contact's number with a letter", u"hi", {u"Ann,+44 7700 90012x"}, invalid},
            {"a plus and no digit", u"hi", {u"Ann,+"}, invalid},
            {"200-unit entry", u"hi", {u"1" + std::u16string(199, u'2')}, invalid},
            {"too big before invalid", tooLong, {u"Bob,"}, kMessageTooBigText},
        };
    for (const auto& [what, message, entries, refusal] : cases) {
        SCOPED_TRACE(what);
        text.SetText(message);
        recipients.Reset();
        for (const std::u16string& entry : entries)
            recipients.AddRow(entry);
        prompter.seen.clear();
        EXPECT_EQ(Queue(), 0);
        ASSERT_EQ(prompter.seen.size(), 1u);
        const PromptSeen& box = prompter.seen[0];
        EXPECT_EQ(box.text, refusal);
        EXPECT_TRUE(box.caption == u"Mivex" && box.buttons == platform::PromptButtons::Ok &&
                    box.icon == platform::PromptIcon::None);
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
    const auto addRow = [&](ObjectId id, bool selected) {
        rows.SetItemData(rows.AddRow(u"row"), id);
        rows.SetSelected(rows.Count() - 1, selected);
    };
    const auto addSent = [&](const char16_t* number, const char16_t* name, const char16_t* body,
                             bool selected, std::size_t propCount = 5) {
        PropArray props = ToProps(SentRecord{number, name, At(2025, 1, 2, 3, 4), body, u"k"});
        props.resize(propCount);
        addRow(Write(*sent, props), selected);
    };
    addSent(u"+1", u"Ann", u"first", true);
    addSent(u"+2", u"Bob", u"second", false);
    addSent(u"+3", u"Cy", u"x", true, 4);
    addSent(u"+4", u"Di", u"fourth", true);
    addRow(9999, true);  // deleted meanwhile

    EXPECT_EQ(CopyToOutbox(rows, *sent, *outbox, SendNow::Yes, clock), 2);
    const sms::FileTime created = At(2026, 3, 5, 9, 7, 30);
    EXPECT_EQ(ReadOutbox(*outbox),
              (std::vector<OutboxRecord>{{u"+1", u"Ann", created, u"first", 1},
                                         {u"+4", u"Di", created, u"fourth", 1}}));
    EXPECT_EQ(ReadAll(*sent).size(), 4u);
}

}  // namespace
}  // namespace mivex::store::tests

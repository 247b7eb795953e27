// The fixed sort orders of the folders: dates newest first, names in the
// order people expect, ties in the order written, missing values last.

#include <cstdlib>
#include <optional>

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

using SortOrderTest = StoreTest;

std::vector<std::u16string> Names(Folder& inbox) {
    return ReadAllTexts(inbox, inbox::kSenderName);
}

TEST_F(SortOrderTest, InboxByDateIsNewestFirstWithTiesInWriteOrder) {
    FolderHandle inbox = Open(kInboxName, kInboxByDate);
    ASSERT_TRUE(inbox);
    std::vector<ObjectId> ids;
    for (sms::FileTime time : {5, 9, 5, 1, 9})
        ids.push_back(WriteInbox(*inbox, u"x", time));
    EXPECT_EQ(ReadAllIds(*inbox), (std::vector<ObjectId>{ids[1], ids[4], ids[0], ids[2], ids[3]}));

    // The whole unsigned range of file times keeps its order.
    const ObjectId high = WriteInbox(*inbox, u"x", 0x8000000000000001ULL);
    const ObjectId below = WriteInbox(*inbox, u"x", 0x7FFFFFFFFFFFFFFFULL);
    EXPECT_EQ(inbox->SeekBeginning(0), high);
    EXPECT_EQ(inbox->SeekForward(1), below);
}

TEST_F(SortOrderTest, InboxBySenderReadsAlphabeticallyThenNewestFirst) {
    FolderHandle inbox = Open(kInboxName, kInboxBySender);
    ASSERT_TRUE(inbox);
    EXPECT_EQ(inbox->SortProperty(), kInboxBySender);
    for (const char16_t* name :
         {u"Zed", u"anna", u"Bob", u"Anna", u"\u00e9mile", u"ann", u"emily"}) {
        WriteInbox(*inbox, name, 100);
    }
    WriteInbox(*inbox, u"Bob", 300, u"newer");
    WriteInbox(*inbox, u"Bob", 200, u"middle");
    EXPECT_EQ(Names(*inbox),
              (std::vector<std::u16string>{u"ann", u"anna", u"Anna", u"Bob", u"Bob", u"Bob",
                                           u"\u00e9mile", u"emily", u"Zed"}));
    const std::vector<std::u16string> texts = ReadAllTexts(*inbox, inbox::kText);
    EXPECT_EQ(texts[3], u"newer");
    EXPECT_EQ(texts[4], u"middle");
}

TEST_F(SortOrderTest, RecordsLackingTheSortPropertyComeLast) {
    for (PropId order : {kInboxByDate, kInboxBySender}) {
        SCOPED_TRACE(order);
        FolderHandle inbox = Open(kInboxName, order);
        PropArray shortRecord = ToProps(InboxRecord{});
        shortRecord.erase(shortRecord.begin() +
                          (order == kInboxByDate ? inbox::kTimeStamp : inbox::kSortKey));
        const ObjectId lacking = inbox->WriteRecord(0, shortRecord);
        ASSERT_NE(lacking, 0u);
        const ObjectId a = WriteInbox(*inbox, u"a", 1);
        const ObjectId z = WriteInbox(*inbox, u"z", 0);
        const std::vector<ObjectId> ids = ReadAllIds(*inbox);
        ASSERT_EQ(ids.size(), 3u);
        EXPECT_EQ(ids.back(), lacking);
        EXPECT_EQ(ids[0], a);
        EXPECT_EQ(ids[1], z);
        for (ObjectId id : ids)
            inbox->DeleteRecord(id);
    }
}

TEST_F(SortOrderTest, WritingTheSortPropertyMovesTheRecord) {
    FolderHandle inbox = Open(kInboxName, kInboxBySender);
    const ObjectId unnamed = WriteInbox(*inbox, u"", 10);  // as received: empty key
    const ObjectId bob = WriteInbox(*inbox, u"Bob", 10);
    EXPECT_EQ(ReadAllIds(*inbox), (std::vector<ObjectId>{unnamed, bob}));
    const PropVal names[] = {PropVal::String(inbox::kSenderName, u"Carl"),
                             PropVal::String(inbox::kSortKey, MakeSortKey(u"Carl", 10))};
    ASSERT_EQ(inbox->WriteRecord(unnamed, names), unnamed);
    EXPECT_EQ(ReadAllIds(*inbox), (std::vector<ObjectId>{bob, unnamed}));
}

TEST_F(SortOrderTest, SentReadsByDateOrByRecipient) {
    FakeClock clock;
    std::vector<ObjectId> ids;
    {
        FolderHandle sent = Open(kSentName, kSentByDate);
        ASSERT_TRUE(sent);
        for (int minute : {1, 3, 2}) {
            clock.local.minute = minute;
            ids.push_back(WriteSentRecord(u"t", u"1", minute == 2 ? u"Al" : u"Bo", *sent, clock));
        }
        EXPECT_EQ(ReadAllIds(*sent), (std::vector<ObjectId>{ids[1], ids[2], ids[0]}));
    }
    FolderHandle byRecipient = Open(kSentName, kSentByRecipient);
    ASSERT_TRUE(byRecipient);
    // Al, then Bo's two messages with the later one first.
    EXPECT_EQ(ReadAllIds(*byRecipient), (std::vector<ObjectId>{ids[2], ids[1], ids[0]}));
}

TEST_F(SortOrderTest, StringsRoundTripUnitForUnit) {
    const std::u16string odd = {u'a', 0xD800, u'b',   0xDC00, 0,
                                u'c', 0xDBFF, 0xDFFF, 0xDFFF, 0xD800};
    FolderHandle inbox = Open(kInboxName, kInboxBySender);
    InboxRecord record;
    record.SenderNumber = odd;
    record.Text = odd + odd;
    record.SenderName = odd;
    record.SortKey = MakeSortKey(odd, 7);
    const ObjectId id = inbox->WriteRecord(0, ToProps(record));
    ASSERT_NE(id, 0u);
    WriteInbox(*inbox, u"b", 7);
    store.CloseFolder(inbox);

    inbox = Open(kInboxName, kInboxBySender);
    PropArray props;
    ASSERT_EQ(inbox->SeekToId(id), id);
    ASSERT_EQ(inbox->ReadRecord(props), id);
    EXPECT_EQ(AsInboxRecord(props), record);
    EXPECT_EQ(ReadAllIds(*inbox).size(), 2u);
}

// Keys made under one collation are rebuilt when the volume is next mounted
// under another, so the stored order always follows the rules in force.
TEST_F(SortOrderTest, NameOrderFollowsTheCollationInForce) {
    const char* saved = std::getenv("LC_ALL");
    const std::optional<std::string> savedValue =
        saved != nullptr ? std::optional<std::string>(saved) : std::nullopt;
    ::setenv("LC_ALL", "sv_SE.UTF-8", 1);
    {
        FolderHandle inbox = Open(kInboxName, kInboxBySender);
        for (const char16_t* name : {u"z", u"\u00e5", u"a"})
            WriteInbox(*inbox, name, 1);
        EXPECT_EQ(Names(*inbox), (std::vector<std::u16string>{u"a", u"z", u"\u00e5"}));
    }
    ::setenv("LC_ALL", "C", 1);
    FolderHandle inbox = Open(kInboxName, kInboxBySender);
    savedValue ? ::setenv("LC_ALL", savedValue->c_str(), 1) : ::unsetenv("LC_ALL");
    EXPECT_EQ(Names(*inbox), (std::vector<std::u16string>{u"a", u"\u00e5", u"z"}));
}

}  // namespace
}  // namespace mivex::store::tests

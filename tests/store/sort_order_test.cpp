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

// Ties in write order are the cursor model's; here the whole unsigned range.
TEST_F(SortOrderTest, InboxByDateIsNewestFirstOverTheWholeRange) {
    FolderHandle inbox = Open(kInboxName, kInboxByDate);
    const ObjectId low = WriteInbox(*inbox, u"x", 5);
    const ObjectId below = WriteInbox(*inbox, u"x", 0x7FFFFFFFFFFFFFFFULL);
    const ObjectId high = WriteInbox(*inbox, u"x", 0x8000000000000001ULL);
    EXPECT_EQ(ReadAllIds(*inbox), (Ids{high, below, low}));
}

TEST_F(SortOrderTest, InboxBySenderReadsAlphabeticallyThenNewestFirst) {
    FolderHandle inbox = Open(kInboxName, kInboxBySender);
    const ObjectId unnamed = WriteInbox(*inbox, u"", 10);  // as received: empty key, first
    for (const char16_t* name : {u"Zed", u"anna", u"Bob", u"Anna", u"\u00e9mile", u"ann", u"emily"})
        WriteInbox(*inbox, name, 100);
    WriteInbox(*inbox, u"Bob", 300, u"newer");
    WriteInbox(*inbox, u"Bob", 200, u"middle");
    EXPECT_EQ(ReadAllIds(*inbox).front(), unnamed);
    // Naming it moves it.
    const PropVal names[] = {PropVal::String(inbox::kSenderName, u"Carl"),
                             PropVal::String(inbox::kSortKey, MakeSortKey(u"Carl", 10))};
    ASSERT_EQ(inbox->WriteRecord(unnamed, names), unnamed);
    EXPECT_EQ(Names(*inbox), (Texts{u"ann", u"anna", u"Anna", u"Bob", u"Bob", u"Bob", u"Carl",
                                    u"\u00e9mile", u"emily", u"Zed"}));
    const Texts texts = ReadAllTexts(*inbox, inbox::kText);
    EXPECT_TRUE(texts[3] == u"newer" && texts[4] == u"middle");
}

TEST_F(SortOrderTest, RecordsLackingTheSortPropertyComeLast) {
    for (PropId order : {kInboxByDate, kInboxBySender}) {
        SCOPED_TRACE(order);
        FolderHandle inbox = Open(kInboxName, order);
        PropArray shortRecord = ToProps(InboxRecord{});
        shortRecord.erase(shortRecord.begin() +
                          (order == kInboxByDate ? inbox::kTimeStamp : inbox::kSortKey));
        const ObjectId lacking = Write(*inbox, shortRecord);
        const ObjectId a = WriteInbox(*inbox, u"a", 1);
        const ObjectId z = WriteInbox(*inbox, u"z", 0);
        EXPECT_EQ(ReadAllIds(*inbox), (Ids{a, z, lacking}));
        for (ObjectId id : {a, z, lacking})
            ASSERT_TRUE(inbox->DeleteRecord(id));
    }
}

TEST_F(SortOrderTest, SentRecordsAreStampedAndReadByDateOrByRecipient) {
    FakeClock clock;
    std::vector<ObjectId> ids;
    {
        FolderHandle sent = Open(kSentName, kSentByDate);
        for (int minute : {1, 3, 2}) {
            clock.local.minute = minute;
            ids.push_back(WriteSentRecord(u"t", u"+1", minute == 2 ? u"Al" : u"Bo", *sent, clock));
        }
        EXPECT_EQ(ReadAllIds(*sent), (Ids{ids[1], ids[2], ids[0]}));
        const sms::FileTime time = At(2026, 3, 5, 9, 3, 30);
        EXPECT_EQ(ReadAll(*sent).front(),
                  ToProps(SentRecord{u"+1", u"Bo", time, u"t", MakeSortKey(u"Bo", time)}));
    }
    FolderHandle byRecipient = Open(kSentName, kSentByRecipient);
    // Al, then Bo's two messages with the later one first.
    EXPECT_EQ(ReadAllIds(*byRecipient), (Ids{ids[2], ids[1], ids[0]}));
}

// Keys made under one collation are rebuilt when the volume is next mounted
// under another, so the stored order always follows the rules in force.
TEST_F(SortOrderTest, NameOrderFollowsTheCollationInForce) {
    const char* saved = std::getenv("LC_ALL");
    const std::optional<std::string> savedValue = saved ? std::optional(saved) : std::nullopt;
    ::setenv("LC_ALL", "sv_SE.UTF-8", 1);
    {
        FolderHandle inbox = Open(kInboxName, kInboxBySender);
        for (const char16_t* name : {u"z", u"\u00e5", u"a"})
            WriteInbox(*inbox, name, 1);
        EXPECT_EQ(Names(*inbox), (Texts{u"a", u"z", u"\u00e5"}));
    }
    ::setenv("LC_ALL", "C", 1);
    const Texts rootOrder{u"a", u"\u00e5", u"z"};
    EXPECT_EQ(Names(*Open(kInboxName, kInboxBySender)), rootOrder);
    // Keys rewritten by a program that notes no request are not trusted,
    // though the request in force is the one last noted.
    RunSql(store.VolumePath(),
           "UPDATE records SET name_key = x'00'; "
           "UPDATE meta SET value = 'elsewhere' WHERE name = 'collation'");
    FolderHandle inbox = Open(kInboxName, kInboxBySender);
    savedValue ? ::setenv("LC_ALL", savedValue->c_str(), 1) : ::unsetenv("LC_ALL");
    EXPECT_EQ(Names(*inbox), rootOrder);
}

}  // namespace
}  // namespace mivex::store::tests

// A damaged record (a bad sector, a restored backup) in each folder: every
// scan passes over it and goes on (they all share store::ScanRecords), none
// deletes or rewrites it, and the sending run skips it when it is selected.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>

#include "store/text_export.h"
#include "transfer_fixture.h"

namespace mivex::transfer::test {
namespace {

using store::ObjectId;

// Cuts the stored bytes of the record short, as a damaged sector would.
void Damage(const std::filesystem::path& volume, ObjectId id) {
    sqlite3* db = nullptr;
    const std::string sql =
        "UPDATE records SET props = substr(props, 1, 40) WHERE id = " + std::to_string(id);
    ASSERT_EQ(sqlite3_open(volume.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

class DamagedRecord : public TransferOnPty {};

TEST_F(DamagedRecord, EveryOtherRecordIsExportedAndSent) {
    // Three messages in each folder, the queued ones selected for sending.
    ASSERT_NO_FATAL_FAILURE(Queue({{u"+441", u"q"}, {u"+442", u"q"}, {u"+443", u"q"}}));
    for (const sms::FileTime time : {1ULL, 2ULL, 3ULL}) {
        store::InboxRecord received;
        received.SenderNumber = u"+441";
        received.TimeStamp = time;
        received.Text = u"r";
        ASSERT_NE(Open(store::kInboxName)->WriteRecord(0, store::ToProps(received)), 0u);
        const store::SentRecord sent{u"+441", u"S", time, u"s", store::MakeSortKey(u"S", time)};
        ASSERT_NE(Open(store::kSentName)->WriteRecord(0, store::ToProps(sent)), 0u);
    }
    // The first record of each folder, so that a scan stopping there misses the rest.
    std::map<std::u16string_view, ObjectId> damaged;
    for (const std::u16string_view name :
         {store::kInboxName, store::kOutboxName, store::kSentName}) {
        store::FolderHandle folder = Open(name);
        store::PropArray props;
        (void)folder->SeekBeginning();
        damaged[name] = folder->ReadRecord(props).id;
        ASSERT_NO_FATAL_FAILURE(Damage(store->VolumePath(), damaged[name]));
    }

    // The export writes every readable message and counts the others.
    const auto exported = store::ExportMessagesOrFail(*store, directory.path() / "export.txt");
    ASSERT_TRUE(exported.has_value());
    EXPECT_EQ(exported->written, 2 + 2);
    EXPECT_EQ(exported->unreadable, 2);

    options.integers[options::Option::UsePhoneServiceCentre] = 1;
    ASSERT_NO_FATAL_FAILURE(StartPhone(Stores(5, {})));
    EXPECT_EQ(Send(), 2);
    phone->Stop();
    EXPECT_EQ(phone->Submitted().size(), 2u);
    EXPECT_EQ(list.Count(), 1u);

    // The damaged records are still there, as damaged as before.
    for (const auto& [name, id] : damaged) {
        store::FolderHandle folder = Open(name);
        store::PropArray props;
        ASSERT_EQ(folder->SeekToId(id), id);
        EXPECT_TRUE(folder->ReadRecord(props).Damaged());
    }
}

}  // namespace
}  // namespace mivex::transfer::test

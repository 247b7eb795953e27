// A damaged record (a bad sector, a restored backup) in each folder: every
// scan passes over it and goes on (they all share store::ScanRecords), none
// deletes or rewrites it, and the sending run skips it when it is selected.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>

#include "platform/memory_controls.h"
#include "store/message_records.h"
#include "store/store.h"
#include "store/text_export.h"
#include "temp_dir.h"
#include "transfer/send_run.h"
#include "virtual_phone.h"

namespace mivex::transfer::test {
namespace {

using store::FolderHandle;
using store::ObjectId;
using store::PropArray;

struct FolderKind {
    std::u16string_view name;
    store::PropId byDate;
};
const FolderKind kInbox{store::kInboxName, store::kInboxByDate};
const FolderKind kOutbox{store::kOutboxName, store::kOutboxByDate};
const FolderKind kSent{store::kSentName, store::kSentByDate};

// Cuts the stored bytes of the record short, as a damaged sector would.
void Damage(const std::filesystem::path& volume, ObjectId id) {
    sqlite3* db = nullptr;
    const std::string sql =
        "UPDATE records SET props = substr(props, 1, 40) WHERE id = " + std::to_string(id);
    ASSERT_EQ(sqlite3_open(volume.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

ObjectId FirstId(store::Store& store, const FolderKind& kind) {
    FolderHandle folder = store.OpenFolder(kind.name, kind.byDate);
    PropArray props;
    (void)folder->SeekBeginning();
    return folder->ReadRecord(props).id;
}

// Three messages in each folder, the queued ones selected for sending. Time
// stamps differ within a folder, so each has one order.
void Fill(store::Store& store, platform::MemoryList& list) {
    FolderHandle inbox = store.OpenFolder(kInbox.name, kInbox.byDate);
    FolderHandle outbox = store.OpenFolder(kOutbox.name, kOutbox.byDate);
    FolderHandle sent = store.OpenFolder(kSent.name, kSent.byDate);
    for (int index = 1; index <= 3; ++index) {
        const sms::FileTime time = 133'000'000'000'000'000ULL + 36'000'000'000ULL * index;
        const std::u16string number = u"+44770090012" + std::u16string(1, u'0' + index);
        store::InboxRecord received;
        received.SenderNumber = number;
        received.TimeStamp = time;
        received.Text = u"received";
        ASSERT_NE(inbox->WriteRecord(0, store::ToProps(received)), 0u);
        const ObjectId queued = outbox->WriteRecord(
            0, store::ToProps(store::OutboxRecord{number, u"R", time, u"queued", 1}));
        ASSERT_NE(queued, 0u);
        list.SetItemData(list.AddRow(u"row"), queued);
        ASSERT_NE(
            sent->WriteRecord(0, store::ToProps(store::SentRecord{number, u"S", time, u"sent",
                                                                  store::MakeSortKey(u"S", time)})),
            0u);
    }
    list.SelectAll();
}

TEST(DamagedRecord, EveryOtherRecordIsExportedAndSent) {
    testing::TempDir directory;
    VirtualRunSeams seams;
    store::Store store(directory.path(), seams.sounds);
    platform::MemoryList list;
    ASSERT_NO_FATAL_FAILURE(Fill(store, list));
    // The first record of each folder, so that a scan stopping there misses the rest.
    std::map<const FolderKind*, ObjectId> damaged;
    for (const FolderKind* kind : {&kInbox, &kOutbox, &kSent}) {
        damaged[kind] = FirstId(store, *kind);
        ASSERT_NO_FATAL_FAILURE(Damage(store.VolumePath(), damaged[kind]));
    }

    // The export writes every readable message and counts the others.
    const std::optional<store::ExportCounts> exported =
        store::ExportMessagesOrFail(store, directory.path() / "export.txt");
    ASSERT_TRUE(exported.has_value());
    EXPECT_EQ(exported->written, 2 + 2);
    EXPECT_EQ(exported->unreadable, 2);

    // The sending run sends every readable Outbox message and passes over the
    // damaged one, selected too.
    seams.options.integers[options::Option::UsePhoneServiceCentre] = 1;
    PhoneInVirtualTime phone(seams.line, {phonesim::MessageStore(30), phonesim::MessageStore(30)});
    FolderHandle outbox = store.OpenFolder(kOutbox.name, kOutbox.byDate);
    FolderHandle sent = store.OpenFolder(kSent.name, kSent.byDate);
    sms::SubmitCounters counters;
    EXPECT_EQ(SendOutbox(list, seams.context, *outbox, *sent, counters), 2);
    EXPECT_EQ(phone.Submitted().size(), 2u);
    EXPECT_EQ(list.Count(), 1u);

    // The damaged records are still there, as damaged as before.
    for (const auto& [kind, id] : damaged) {
        FolderHandle folder = store.OpenFolder(kind->name, kind->byDate);
        PropArray props;
        ASSERT_EQ(folder->SeekToId(id), id);
        EXPECT_TRUE(folder->ReadRecord(props).Damaged());
    }
}

}  // namespace
}  // namespace mivex::transfer::test

// One damaged record (a bad sector, a restored backup) in a store: every scan
// passes over it and goes on, none deletes or rewrites it. The export,
// joining, duplicate removal, naming and the sending run are each checked
// against the records that are still readable.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>
#include <stdexcept>

#include "platform/memory_controls.h"
#include "store/inbox_maintenance.h"
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

constexpr sms::FileTime kHour = 36'000'000'000ULL;
constexpr sms::FileTime kBase = 133'000'000'000'000'000ULL;

// Cuts the stored bytes of the record short, as a damaged sector would.
void Damage(const std::filesystem::path& volume, ObjectId id) {
    sqlite3* db = nullptr;
    const std::string sql =
        "UPDATE records SET props = substr(props, 1, 40) WHERE id = " + std::to_string(id);
    const bool done =
        sqlite3_open_v2(volume.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    if (!done)
        throw std::runtime_error("not damaged: " + sql);
}

// Readable records in folder order, and how many could not be read.
struct Scan {
    std::vector<ObjectId> ids;
    std::vector<PropArray> records;
    std::size_t unreadable = 0;
};

Scan ScanFolder(store::Store& store, const FolderKind& kind) {
    FolderHandle folder = store.OpenFolder(kind.name, kind.byDate);
    Scan scan;
    PropArray props;
    scan.unreadable = store::ScanRecords(*folder, props, [&](ObjectId id, const PropArray& read) {
        scan.ids.push_back(id);
        scan.records.push_back(read);
    });
    return scan;
}

// Four whole messages and an unread repeat of one, a long message in three
// parts, four queued and four sent messages. Time stamps differ within a
// folder, so each has one order.
void Fill(store::Store& store) {
    FolderHandle inbox = store.OpenFolder(kInbox.name, kInbox.byDate);
    FolderHandle outbox = store.OpenFolder(kOutbox.name, kOutbox.byDate);
    FolderHandle sent = store.OpenFolder(kSent.name, kSent.byDate);
    for (int index = 1; index <= 4; ++index) {
        const sms::FileTime time = kBase + kHour * static_cast<sms::FileTime>(index);
        const std::u16string number = u"+44770090012" + std::u16string(1, u'0' + index);
        const std::u16string digit(1, u'0' + index);
        store::InboxRecord record;
        record.SenderNumber = number;
        record.TimeStamp = time;
        record.Text = u"m" + digit;
        for (int copy = index == 2 ? 2 : 1; copy > 0; --copy)
            ASSERT_NE(inbox->WriteRecord(0, store::ToProps(record)), 0u);
        if (index <= 3) {
            record.SenderNumber = u"+447700900999";
            record.TimeStamp = time + kHour / 2;
            record.Text = u"part " + digit;
            record.IsPart = 1;
            record.PartRef = 7;
            record.PartCount = 3;
            record.PartSeq = index;
            ASSERT_NE(inbox->WriteRecord(0, store::ToProps(record)), 0u);
        }
        ASSERT_NE(outbox->WriteRecord(
                      0, store::ToProps(store::OutboxRecord{number, u"R", time, u"q" + digit, 1})),
                  0u);
        ASSERT_NE(
            sent->WriteRecord(0, store::ToProps(store::SentRecord{number, u"S", time, u"s" + digit,
                                                                  store::MakeSortKey(u"S", time)})),
            0u);
    }
}

TEST(DamagedRecord, EveryOtherRecordIsExportedJoinedNamedAndSent) {
    for (const FolderKind* damagedFolder : {&kInbox, &kOutbox, &kSent}) {
        for (const char* position : {"first", "middle", "last"}) {
            SCOPED_TRACE(::testing::Message()
                         << std::string(damagedFolder->name.begin(), damagedFolder->name.end())
                         << ", " << position);
            testing::TempDir directory;
            VirtualRunSeams seams;
            store::Store store(directory.path(), seams.sounds);
            ASSERT_NO_FATAL_FAILURE(Fill(store));
            const std::vector<ObjectId> ids = ScanFolder(store, *damagedFolder).ids;
            const ObjectId damaged = position[0] == 'f'   ? ids.front()
                                     : position[0] == 'm' ? ids[ids.size() / 2]
                                                          : ids.back();
            Damage(store.VolumePath(), damaged);
            const auto isDamaged = [&](const FolderKind& kind) {
                return &kind == damagedFolder ? 1u : 0u;
            };
            const Scan inboxBefore = ScanFolder(store, kInbox);
            const Scan outboxBefore = ScanFolder(store, kOutbox);
            const Scan sentBefore = ScanFolder(store, kSent);
            EXPECT_EQ(inboxBefore.unreadable + outboxBefore.unreadable + sentBefore.unreadable, 1u);

            // The export writes every readable message and counts the other.
            const std::optional<store::ExportCounts> exported =
                store::ExportMessagesOrFail(store, directory.path() / "export.txt");
            ASSERT_TRUE(exported.has_value());
            EXPECT_EQ(exported->written,
                      static_cast<int>(inboxBefore.ids.size() + sentBefore.ids.size()));
            EXPECT_EQ(exported->unreadable, static_cast<int>(isDamaged(kInbox) + isDamaged(kSent)));

            // Joining, duplicate removal and naming reach every readable record.
            {
                FolderHandle inbox = store.OpenFolder(kInbox.name, kInbox.byDate);
                EXPECT_EQ(store::JoinParts(*inbox), 1);
                // One repeat, unless the damage fell on one of its two copies.
                EXPECT_LE(store::RemoveDuplicates(*inbox), 1);
                store::FillSenderNames(*inbox, [](std::u16string_view) {
                    return std::optional<std::u16string>(u"Ann");
                });
            }
            const Scan after = ScanFolder(store, kInbox);
            EXPECT_EQ(after.unreadable, isDamaged(kInbox));
            std::set<std::u16string> texts;
            for (const PropArray& props : after.records) {
                const std::optional<store::InboxRecord> record = store::AsInboxRecord(props);
                ASSERT_TRUE(record.has_value());
                EXPECT_EQ(record->IsPart, 0);
                EXPECT_EQ(record->SenderName, u"Ann");
                EXPECT_TRUE(texts.insert(record->Text).second) << "a repeat is left";
            }

            // The sending run sends every readable Outbox message.
            seams.options.integers[options::Option::UsePhoneServiceCentre] = 1;
            PhoneInVirtualTime phone(seams.line,
                                     {phonesim::MessageStore(30), phonesim::MessageStore(30)});
            FolderHandle outbox = store.OpenFolder(kOutbox.name, kOutbox.byDate);
            FolderHandle sent = store.OpenFolder(kSent.name, kSent.byDate);
            platform::MemoryList list;
            for (const ObjectId id : outboxBefore.ids)
                list.SetItemData(list.AddRow(u"row"), id);
            list.SelectAll();
            sms::SubmitCounters counters;
            EXPECT_EQ(SendOutbox(list, seams.context, *outbox, *sent, counters),
                      static_cast<int>(outboxBefore.ids.size()));
            EXPECT_EQ(phone.Submitted().size(), outboxBefore.ids.size());
            const Scan left = ScanFolder(store, kOutbox);
            EXPECT_TRUE(left.ids.empty());
            EXPECT_EQ(left.unreadable, isDamaged(kOutbox));

            // The damaged record is still there, as damaged as before.
            FolderHandle folder = store.OpenFolder(damagedFolder->name, damagedFolder->byDate);
            PropArray props;
            ASSERT_EQ(folder->SeekToId(damaged), damaged);
            EXPECT_TRUE(folder->ReadRecord(props).Damaged());
        }
    }
}

}  // namespace
}  // namespace mivex::transfer::test

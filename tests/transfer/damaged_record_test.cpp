// A damaged record (a bad sector, a restored backup) in each folder: every
// scan passes over it and goes on, none deletes or rewrites it. The export,
// joining, duplicate removal, naming and the sending run are each checked
// against the records that are still readable.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <set>

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
    ASSERT_EQ(sqlite3_open(volume.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// The readable records of a folder in its order, and how many could not be read.
std::pair<std::vector<PropArray>, std::size_t> ReadAll(store::Store& store, const FolderKind& kind,
                                                       std::vector<ObjectId>* ids = nullptr) {
    FolderHandle folder = store.OpenFolder(kind.name, kind.byDate);
    std::vector<PropArray> records;
    PropArray props;
    const std::size_t unreadable =
        store::ScanRecords(*folder, props, [&](ObjectId id, const PropArray& read) {
            records.push_back(read);
            if (ids != nullptr)
                ids->push_back(id);
        });
    return {records, unreadable};
}

// Four whole messages and a repeat of one, a long message in three parts,
// four queued and four sent messages. Time stamps differ within a folder, so
// each has one order.
void Fill(store::Store& store) {
    FolderHandle inbox = store.OpenFolder(kInbox.name, kInbox.byDate);
    FolderHandle outbox = store.OpenFolder(kOutbox.name, kOutbox.byDate);
    FolderHandle sent = store.OpenFolder(kSent.name, kSent.byDate);
    for (int index = 1; index <= 4; ++index) {
        const sms::FileTime time = kBase + kHour * static_cast<sms::FileTime>(index);
        const std::u16string digit(1, static_cast<char16_t>(u'0' + index));
        const std::u16string number = u"+44770090012" + digit;
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
    testing::TempDir directory;
    VirtualRunSeams seams;
    store::Store store(directory.path(), seams.sounds);
    ASSERT_NO_FATAL_FAILURE(Fill(store));
    // The first record of each folder, so that a scan stopping there misses the rest.
    std::map<const FolderKind*, ObjectId> damaged;
    for (const FolderKind* kind : {&kInbox, &kOutbox, &kSent}) {
        std::vector<ObjectId> ids;
        (void)ReadAll(store, *kind, &ids);
        damaged[kind] = ids.front();
        ASSERT_NO_FATAL_FAILURE(Damage(store.VolumePath(), ids.front()));
    }

    // The export writes every readable message and counts the others.
    const std::optional<store::ExportCounts> exported =
        store::ExportMessagesOrFail(store, directory.path() / "export.txt");
    ASSERT_TRUE(exported.has_value());
    EXPECT_EQ(exported->written, 7 + 3);
    EXPECT_EQ(exported->unreadable, 2);

    // Joining, duplicate removal and naming reach every readable record.
    {
        FolderHandle inbox = store.OpenFolder(kInbox.name, kInbox.byDate);
        EXPECT_EQ(store::JoinParts(*inbox), 1);
        EXPECT_EQ(store::RemoveDuplicates(*inbox), 1);
        store::FillSenderNames(
            *inbox, [](std::u16string_view) { return std::optional<std::u16string>(u"Ann"); });
    }
    const auto [inboxAfter, unreadable] = ReadAll(store, kInbox);
    EXPECT_EQ(unreadable, 1u);
    std::set<std::u16string> texts;
    for (const PropArray& props : inboxAfter) {
        const std::optional<store::InboxRecord> record = store::AsInboxRecord(props);
        ASSERT_TRUE(record.has_value());
        EXPECT_EQ(record->IsPart, 0);
        EXPECT_EQ(record->SenderName, u"Ann");
        texts.insert(record->Text);
    }
    EXPECT_EQ(texts.size(), inboxAfter.size()) << "a repeat is left";
    EXPECT_EQ(texts.size(), 3u + 1u);  // three whole messages and the joined one

    // The sending run sends every readable Outbox message and passes over the
    // damaged one, selected too.
    seams.options.integers[options::Option::UsePhoneServiceCentre] = 1;
    PhoneInVirtualTime phone(seams.line, {phonesim::MessageStore(30), phonesim::MessageStore(30)});
    FolderHandle outbox = store.OpenFolder(kOutbox.name, kOutbox.byDate);
    FolderHandle sent = store.OpenFolder(kSent.name, kSent.byDate);
    platform::MemoryList list;
    std::vector<ObjectId> queued;
    (void)ReadAll(store, kOutbox, &queued);
    queued.insert(queued.begin() + 1, damaged[&kOutbox]);
    for (const ObjectId id : queued)
        list.SetItemData(list.AddRow(u"row"), id);
    list.SelectAll();
    sms::SubmitCounters counters;
    EXPECT_EQ(SendOutbox(list, seams.context, *outbox, *sent, counters), 3);
    EXPECT_EQ(phone.Submitted().size(), 3u);
    EXPECT_EQ(ReadAll(store, kOutbox).first.size(), 0u);
    EXPECT_EQ(ReadAll(store, kSent).first.size(), 3u + 3u);

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

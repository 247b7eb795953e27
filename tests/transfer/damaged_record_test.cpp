// One damaged record (a bad sector, a restored backup) in a store of random
// messages: every scan passes over it and goes on, none deletes or rewrites
// it. The listings, the export, joining, duplicate removal, naming and the
// sending run are each checked against the records that are still readable.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <stdexcept>

#include "platform/memory_controls.h"
#include "store/folder_listing.h"
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

Scan ScanFolder(store::Folder& folder) {
    Scan scan;
    PropArray props;
    scan.unreadable = store::ScanRecords(folder, props, [&](ObjectId id, const PropArray& read) {
        scan.ids.push_back(id);
        scan.records.push_back(read);
    });
    return scan;
}

// A store of random size: whole messages with one unread repeat among them,
// a long message in three parts, queued and sent messages. Every time stamp
// differs, so every folder has one order.
class RandomStore {
public:
    RandomStore(store::Store& store, unsigned seed) : random_(seed) {
        FolderHandle inbox = store.OpenFolder(kInbox.name, kInbox.byDate);
        const int whole = Pick(2, 6);
        store::InboxRecord record;
        for (int index = 0; index < whole; ++index) {
            record.SenderNumber = Number();
            record.TimeStamp = Time();
            record.Text = u"whole " + Digits(index);
            Write(*inbox, store::ToProps(record));
        }
        Write(*inbox, store::ToProps(record));  // a repeat of the last one
        for (int part = 1; part <= 3; ++part) {
            store::InboxRecord piece;
            piece.SenderNumber = u"+447700900999";
            piece.TimeStamp = Time();
            piece.Text = u"part " + Digits(part);
            piece.IsPart = 1;
            piece.PartRef = 7;
            piece.PartCount = 3;
            piece.PartSeq = part;
            Write(*inbox, store::ToProps(piece));
        }
        FolderHandle outbox = store.OpenFolder(kOutbox.name, kOutbox.byDate);
        for (int index = Pick(2, 5); index > 0; --index)
            Write(*outbox, store::ToProps(store::OutboxRecord{Number(), u"R", Time(),
                                                              u"queued " + Digits(index), 1}));
        FolderHandle sent = store.OpenFolder(kSent.name, kSent.byDate);
        for (int index = Pick(2, 5); index > 0; --index) {
            const sms::FileTime time = Time();
            Write(*sent,
                  store::ToProps(store::SentRecord{Number(), u"S", time, u"sent " + Digits(index),
                                                   store::MakeSortKey(u"S", time)}));
        }
    }

    int Pick(int low, int high) { return std::uniform_int_distribution(low, high)(random_); }

private:
    std::u16string Number() { return u"+44770090012" + Digits(Pick(0, 2)); }
    sms::FileTime Time() { return kBase + kHour * static_cast<sms::FileTime>(++stamps_); }
    static std::u16string Digits(int number) {
        const std::string digits = std::to_string(number);
        return {digits.begin(), digits.end()};
    }
    static void Write(store::Folder& folder, const PropArray& props) {
        ASSERT_NE(folder.WriteRecord(0, props), 0u);
    }

    std::mt19937 random_;
    int stamps_ = 0;
};

TEST(DamagedRecord, EveryOtherRecordIsListedExportedJoinedNamedAndSent) {
    // First, middle and last of each folder, then anywhere.
    enum Position { First, Middle, Last, Anywhere };
    for (const FolderKind* damagedFolder : {&kInbox, &kOutbox, &kSent}) {
        for (unsigned seed = 1; seed <= 5; ++seed) {
            const Position position = seed <= 3 ? static_cast<Position>(seed - 1) : Anywhere;
            SCOPED_TRACE(::testing::Message()
                         << std::string(damagedFolder->name.begin(), damagedFolder->name.end())
                         << " position " << position << " seed " << seed);
            testing::TempDir directory;
            VirtualRunSeams seams;
            store::Store store(directory.path(), seams.sounds);
            RandomStore random(store, seed);
            ObjectId damaged = 0;
            {
                FolderHandle folder = store.OpenFolder(damagedFolder->name, damagedFolder->byDate);
                const std::vector<ObjectId> ids = ScanFolder(*folder).ids;
                const std::size_t last = ids.size() - 1;
                damaged =
                    ids[position == First    ? 0
                        : position == Middle ? last / 2
                        : position == Last
                            ? last
                            : static_cast<std::size_t>(random.Pick(0, static_cast<int>(last)))];
            }
            Damage(store.VolumePath(), damaged);
            const auto isDamaged = [&](const FolderKind& kind) {
                return &kind == damagedFolder ? 1u : 0u;
            };

            // The three listings show every readable record.
            std::map<const FolderKind*, Scan> before;
            for (const FolderKind* kind : {&kInbox, &kOutbox, &kSent}) {
                FolderHandle folder = store.OpenFolder(kind->name, kind->byDate);
                before[kind] = ScanFolder(*folder);
                EXPECT_EQ(before[kind].unreadable, isDamaged(*kind));
                platform::MemoryList list;
                platform::MemoryText text;
                platform::MemoryText counter;
                testing::ScriptedPrompter prompter;
                testing::RecordingStatusSink status;
                const store::FolderViewControls view{list, text, counter, status, prompter};
                platform::MemoryText composeText;
                struct : store::ComposeTarget {
                    void AddRecipientEntry(std::u16string_view) override {}
                    platform::TextControl& MessageText() override { return *text; }
                    void MessageTextChanged() override {}
                    platform::TextControl* text = nullptr;
                } compose;
                compose.text = &composeText;
                const auto fill = kind == &kInbox    ? store::InboxListOp
                                  : kind == &kOutbox ? store::OutboxListOp
                                                     : store::SentListOp;
                EXPECT_EQ(fill(view, compose, store::ListOperation::Fill, *folder),
                          static_cast<int>(before[kind].ids.size()));
                for (std::size_t row = 0; row < list.Count(); ++row)
                    EXPECT_EQ(list.ItemData(row), before[kind].ids[row]);
            }

            // The export writes every readable message and counts the other.
            const std::optional<store::ExportCounts> exported =
                store::ExportMessagesOrFail(store, directory.path() / "export.txt");
            ASSERT_TRUE(exported.has_value());
            EXPECT_EQ(exported->written,
                      static_cast<int>(before[&kInbox].ids.size() + before[&kSent].ids.size()));
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
                const Scan after = ScanFolder(*inbox);
                EXPECT_EQ(after.unreadable, isDamaged(kInbox));
                std::set<std::u16string> texts;
                for (const PropArray& props : after.records) {
                    const std::optional<store::InboxRecord> record = store::AsInboxRecord(props);
                    ASSERT_TRUE(record.has_value());
                    EXPECT_EQ(record->IsPart, 0);
                    EXPECT_EQ(record->SenderName, u"Ann");
                    EXPECT_TRUE(texts.insert(record->Text).second) << "a repeat is left";
                }
            }

            // The sending run sends every readable Outbox message.
            seams.options.integers[options::Option::UsePhoneServiceCentre] = 1;
            PhoneInVirtualTime phone(seams.line,
                                     {phonesim::MessageStore(30), phonesim::MessageStore(30)});
            FolderHandle outbox = store.OpenFolder(kOutbox.name, kOutbox.byDate);
            FolderHandle sent = store.OpenFolder(kSent.name, kSent.byDate);
            platform::MemoryList list;
            for (const ObjectId id : before[&kOutbox].ids)
                list.SetItemData(list.AddRow(u"row"), id);
            list.SelectAll();
            sms::SubmitCounters counters;
            const int sentCount = SendOutbox(list, seams.context, *outbox, *sent, counters);
            EXPECT_EQ(sentCount, static_cast<int>(before[&kOutbox].ids.size()));
            EXPECT_EQ(phone.Submitted().size(), before[&kOutbox].ids.size());
            const Scan left = ScanFolder(*outbox);
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

// Writes that cannot be done: a full disk, a read-only volume, a store that
// refuses records part way through an operation. They fail with 0 or false
// and what was stored before is untouched.

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "options/options_record.h"
#include "store/inbox_maintenance.h"
#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

// The default VFS, with its files' xWrite and xRead swapped for ones that
// fail on demand: writes needing new space in the journal or the database
// file fail with SQLITE_FULL, as on a full disk; the next journal write or
// database read fails as a disk error, which SQLite answers by rolling back
// the whole transaction.
class FullDiskVfs {
public:
    enum class Full { No, Journal, Database };

    FullDiskVfs() {
        real_ = sqlite3_vfs_find(nullptr);
        vfs_ = *real_;
        vfs_.zName = "mivex-full-disk";
        vfs_.pNext = nullptr;
        vfs_.xOpen = &Open;
        sqlite3_vfs_register(&vfs_, 1);
    }
    ~FullDiskVfs() {
        sqlite3_vfs_unregister(&vfs_);
        sqlite3_vfs_register(real_, 1);
        full = Full::No;
        failNextJournalWrite = failNextDatabaseRead = false;
    }
    FullDiskVfs(const FullDiskVfs&) = delete;
    FullDiskVfs& operator=(const FullDiskVfs&) = delete;

    static inline Full full = Full::No;
    static inline bool failNextJournalWrite = false;
    static inline bool failNextDatabaseRead = false;
    static inline int failedWrites = 0;

private:
    static int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out) {
        const int rc = real_->xOpen(real_, name, file, flags, out);
        if (file->pMethods != nullptr) {
            realMethods_ = file->pMethods;
            const bool journal = (flags & SQLITE_OPEN_MAIN_DB) == 0;
            sqlite3_io_methods& methods = journal ? journalMethods_ : databaseMethods_;
            methods = *file->pMethods;
            methods.xWrite = journal ? &Write<Full::Journal> : &Write<Full::Database>;
            if (!journal)
                methods.xRead = &ReadDatabase;
            file->pMethods = &methods;
        }
        return rc;
    }

    template <Full kind>
    static int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
        sqlite3_int64 size = 0;
        realMethods_->xFileSize(file, &size);
        if (kind == Full::Journal && std::exchange(failNextJournalWrite, false))
            return SQLITE_IOERR_WRITE;
        if (full == kind && offset + amount > size) {  // rewriting what is there works
            ++failedWrites;
            return SQLITE_FULL;
        }
        return realMethods_->xWrite(file, data, amount, offset);
    }

    static int ReadDatabase(sqlite3_file* file, void* data, int amount, sqlite3_int64 offset) {
        if (std::exchange(failNextDatabaseRead, false))
            return SQLITE_IOERR_READ;
        return realMethods_->xRead(file, data, amount, offset);
    }

    static inline sqlite3_vfs* real_ = nullptr;
    static inline const sqlite3_io_methods* realMethods_ = nullptr;
    static inline sqlite3_io_methods journalMethods_{};
    static inline sqlite3_io_methods databaseMethods_{};
    sqlite3_vfs vfs_{};
};

class WriteFailureTest : public StoreTest {
protected:
    void SetUp() override {
        FolderHandle inbox = Open(kInboxName, kInboxByDate);
        for (int i = 1; i <= 3; ++i)
            ids.push_back(WriteInbox(*inbox, u"kept", 10 - i));
    }

    void ExpectTheThreeIntact() {
        FolderHandle inbox = Open(kInboxName, kInboxByDate);
        EXPECT_EQ(ReadAllIds(*inbox), ids);
        EXPECT_EQ(ReadAllTexts(*inbox, inbox::kSenderName),
                  (std::vector<std::u16string>(3, u"kept")));
    }

    std::vector<ObjectId> ids;
};

TEST_F(WriteFailureTest, FullDiskFailsEveryKindOfWriteAndKeepsWhatWasStored) {
    FullDiskVfs vfs;
    // Big enough to need new pages in the database file itself.
    const std::u16string big(20000, u'b');
    // A commit goes to the write-ahead log (the "journal" here); the file
    // itself is only written when the log is folded back into it.
    {
        SCOPED_TRACE(static_cast<int>(FullDiskVfs::Full::Journal));
        const FullDiskVfs::Full full = FullDiskVfs::Full::Journal;
        FolderHandle inbox = Open(kInboxName, kInboxByDate);
        FullDiskVfs::full = full;
        PropArray props;
        inbox->SeekBeginning(0);
        ASSERT_TRUE(inbox->ReadRecord(props).Read(ids[0]));
        EXPECT_EQ(WriteInbox(*inbox, u"lost", 1, big), 0u);
        const PropVal longer = PropVal::String(inbox::kText, big);
        EXPECT_EQ(inbox->WriteRecord(ids[1], {&longer, 1}), 0u);
        EXPECT_FALSE(inbox->Atomically([&] {
            (void)inbox->DeleteRecord(ids[0]);  // rolled back with the step either way
            return WriteInbox(*inbox, u"lost", 2, big) != 0;
        }));
        // Even a delete needs the log.
        const PropVal unread = PropVal::I4(inbox::kUnread, 0);
        EXPECT_EQ(inbox->WriteRecord(ids[1], {&unread, 1}), 0u);
        EXPECT_FALSE(inbox->DeleteRecord(ids[2]));
        // Reading goes on where it was.
        EXPECT_TRUE(inbox->ReadRecord(props).Read(ids[1]));
        EXPECT_EQ(FindPropI4(props, inbox::kUnread), 1);
        FullDiskVfs::full = FullDiskVfs::Full::No;
        store.CloseFolder(inbox);
        ExpectTheThreeIntact();
    }
    EXPECT_GT(FullDiskVfs::failedWrites, 0);
    // Once there is room again, writing works.
    FolderHandle inbox = Open(kInboxName, kInboxByDate);
    const ObjectId later = WriteInbox(*inbox, u"later", 1, big);
    EXPECT_NE(later, 0u);
    store.CloseFolder(inbox);

    // With the file full but the log not, a commit still lands; the log that
    // cannot be folded back is kept, and read, until it can.
    FullDiskVfs::full = FullDiskVfs::Full::Database;
    inbox = Open(kInboxName, kInboxByDate);
    const ObjectId kept = WriteInbox(*inbox, u"kept too", 1, big);
    EXPECT_NE(kept, 0u);
    store.CloseFolder(inbox);
    inbox = Open(kInboxName, kInboxByDate);
    std::vector<ObjectId> expected = ids;
    expected.insert(expected.begin(), {kept, later});
    std::sort(expected.begin(), expected.end());
    std::vector<ObjectId> read = ReadAllIds(*inbox);
    std::sort(read.begin(), read.end());
    EXPECT_EQ(read, expected);
    FullDiskVfs::full = FullDiskVfs::Full::No;
}

TEST_F(WriteFailureTest, StepWhoseTransactionSqliteRolledBackStoresNothing) {
    FullDiskVfs vfs;
    std::vector<ObjectId> before;
    {
        // Several table pages, so that the oldest record's page is one the
        // step's first insert does not touch.
        FolderHandle inbox = Open(kInboxName, kInboxByDate);
        for (int i = 0; i < 20; ++i)
            Write(*inbox, ToProps(Whole(u"pad", std::u16string(600, u'p'), 20 + i)));
        before = ReadAllIds(*inbox);
    }
    // A disk error in a read outside any nested write, which SQLite answers by
    // rolling back the whole transaction; true when the error came. (Writes
    // reach the disk only when the outermost step commits, into the log.)
    const std::function<bool(Folder&)> strikes[] = {
        [&](Folder& inbox) {
            FullDiskVfs::failNextDatabaseRead = true;
            return inbox.SeekToId(ids[0]) == 0 && !FullDiskVfs::failNextDatabaseRead;
        },
    };
    const PropVal unread = PropVal::I4(inbox::kUnread, 0);
    for (const auto& strike : strikes) {
        SCOPED_TRACE(&strike - strikes);
        FolderHandle inbox = Open(kInboxName, kInboxByDate);  // nothing cached yet
        ObjectId first = 0;
        bool struck = false;
        ObjectId firstAfterLoss = 1;
        std::vector<ObjectId> later;
        bool laterDeleted = true;
        // The body ignores the failures: the step itself must notice them.
        EXPECT_FALSE(inbox->Atomically([&] {
            first = WriteInbox(*inbox, u"step", 1);
            struck = strike(*inbox);
            firstAfterLoss = inbox->SeekToId(first);
            // The disk works again; a write now must not start a transaction
            // of its own that keeps part of the step.
            later = {WriteInbox(*inbox, u"step", 2), inbox->WriteRecord(ids[1], {&unread, 1})};
            laterDeleted = inbox->DeleteRecord(ids[2]);
            return true;
        }));
        EXPECT_NE(first, 0u);
        ASSERT_TRUE(struck);
        EXPECT_EQ(firstAfterLoss, 0u) << "only the statement was rolled back";
        EXPECT_EQ(later, (std::vector<ObjectId>{0, 0}));
        EXPECT_FALSE(laterDeleted);

        store.CloseFolder(inbox);
        ASSERT_EQ(store.MountCount(), 0u);
        inbox = Open(kInboxName, kInboxByDate);
        EXPECT_EQ(ReadAllIds(*inbox), before);
        PropArray props;
        ASSERT_EQ(inbox->SeekToId(ids[1]), ids[1]);
        ASSERT_TRUE(inbox->ReadRecord(props).Read(ids[1]));
        EXPECT_EQ(FindPropI4(props, inbox::kUnread), 1);
    }
}

TEST_F(WriteFailureTest, ReadOnlyVolumeReadsButNeverWrites) {
    options::StoreOptions settings(store);
    ASSERT_TRUE(settings.WriteOption(options::Option::BaudRate, 9600));
    const std::string before = ReadFileBytes(store.VolumePath());

    store.SetReadOnly(true);
    ExpectTheThreeIntact();
    FolderHandle inbox = Open(kInboxName, kInboxByDate);
    EXPECT_EQ(WriteInbox(*inbox, u"lost", 1), 0u);
    EXPECT_FALSE(inbox->DeleteRecord(ids[0]));
    std::int32_t rate = 0;
    EXPECT_TRUE(settings.ReadOption(options::Option::BaudRate, rate) && rate == 9600);
    EXPECT_FALSE(settings.WriteOption(options::Option::BaudRate, 4800));
    // A folder never opened before cannot be created in a read-only volume.
    EXPECT_FALSE(Open(kSentName));
    store.CloseFolder(inbox);
    EXPECT_EQ(ReadFileBytes(store.VolumePath()), before);

    Store fresh(dir.path() / "none", sounds);
    fresh.SetReadOnly(true);
    EXPECT_FALSE(fresh.OpenFolder(kInboxName, 0));
    EXPECT_FALSE(std::filesystem::exists(fresh.VolumePath()));
}

TEST_F(StoreTest, JoinKeepsThePartsOfAMessageItCannotStore) {
    FolderHandle inbox = Open(kInboxName, kInboxByDate);
    for (const char16_t* text : {u"a1", u"a2", u"b1", u"b2"})
        Write(*inbox, ToProps(Part({text[0]}, 4, 2, text[1] - u'0', text, 1)));
    FailInsertsAfter(store.VolumePath(), 1);

    EXPECT_EQ(JoinParts(*inbox), 1);
    std::vector<std::u16string> texts = ReadAllTexts(*inbox, inbox::kText);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"a1a2", u"b1", u"b2"}));
}

}  // namespace
}  // namespace mivex::store::tests

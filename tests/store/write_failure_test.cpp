// Writes that cannot be done: a full disk, a read-only volume, a store that
// refuses records part way through an operation. They fail with 0 or false
// and what was stored before is untouched.

#include <sqlite3.h>

#include <algorithm>
#include <utility>

#include "options/options_record.h"
#include "store/inbox_maintenance.h"
#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

// The default VFS with two faults to order: writes needing new space in the
// write-ahead log fail with SQLITE_FULL, as on a full disk, and the next read
// of the database file fails as a disk error, which SQLite answers by rolling
// back the whole transaction.
struct FaultyDiskVfs {
    FaultyDiskVfs() {
        vfs.zName = "mivex-faulty-disk";
        vfs.pNext = nullptr;
        vfs.xOpen = &Open;
        sqlite3_vfs_register(&vfs, 1);
    }
    ~FaultyDiskVfs() {
        sqlite3_vfs_unregister(&vfs);
        sqlite3_vfs_register(real, 1);
        logFull = failNextRead = false;
    }

    static int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out) {
        const int rc = real->xOpen(real, name, file, flags, out);
        if (file->pMethods == nullptr)
            return rc;
        realMethods = file->pMethods;
        const bool log = (flags & SQLITE_OPEN_MAIN_DB) == 0;
        sqlite3_io_methods& methods = log ? logMethods : databaseMethods;
        methods = *file->pMethods;
        if (log)
            methods.xWrite = &WriteLog;
        else
            methods.xRead = &ReadDatabase;
        file->pMethods = &methods;
        return rc;
    }
    static int WriteLog(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
        sqlite3_int64 size = 0;
        realMethods->xFileSize(file, &size);
        // Rewriting what is there works.
        return logFull && offset + amount > size ? SQLITE_FULL
                                                 : realMethods->xWrite(file, data, amount, offset);
    }
    static int ReadDatabase(sqlite3_file* file, void* data, int amount, sqlite3_int64 offset) {
        return std::exchange(failNextRead, false) ? SQLITE_IOERR_READ
                                                  : realMethods->xRead(file, data, amount, offset);
    }

    static inline bool logFull = false, failNextRead = false;
    static inline sqlite3_vfs* real = sqlite3_vfs_find(nullptr);
    static inline const sqlite3_io_methods* realMethods = nullptr;
    static inline sqlite3_io_methods logMethods{}, databaseMethods{};
    sqlite3_vfs vfs = *real;
};

struct WriteFailureTest : StoreTest {
    void SetUp() override {
        FolderHandle inbox = Open(kInboxName, kInboxByDate);
        for (int i = 1; i <= 3; ++i)
            ids.push_back(WriteInbox(*inbox, u"kept", 10 - i));
        before = ReadAll(*inbox);
    }

    void ExpectUntouched() { EXPECT_EQ(ReadAll(*Open(kInboxName, kInboxByDate)), before); }

    std::vector<ObjectId> ids;
    std::vector<PropArray> before;
    const PropVal unread = PropVal::I4(inbox::kUnread, 0);
};

TEST_F(WriteFailureTest, FullDiskFailsEveryKindOfWriteAndKeepsWhatWasStored) {
    FaultyDiskVfs vfs;
    const std::u16string big(20000, u'b');  // needs new pages
    FolderHandle inbox = Open(kInboxName, kInboxByDate);
    FaultyDiskVfs::logFull = true;
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
    // Even a small change or a delete needs the log.
    EXPECT_EQ(inbox->WriteRecord(ids[1], {&unread, 1}), 0u);
    EXPECT_FALSE(inbox->DeleteRecord(ids[2]));
    // Reading goes on where it was.
    EXPECT_TRUE(inbox->ReadRecord(props).Read(ids[1]));
    EXPECT_EQ(FindPropI4(props, inbox::kUnread), 1);
    FaultyDiskVfs::logFull = false;
    store.CloseFolder(inbox);
    ExpectUntouched();

    // Once there is room again, writing works.
    inbox = Open(kInboxName, kInboxByDate);
    EXPECT_NE(WriteInbox(*inbox, u"later", 1, big), 0u);
}

TEST_F(WriteFailureTest, StepWhoseTransactionSqliteRolledBackStoresNothing) {
    FaultyDiskVfs vfs;
    {
        // Several table pages, so that the oldest record's page is one the
        // step's first insert does not touch.
        FolderHandle inbox = Open(kInboxName, kInboxByDate);
        for (int i = 0; i < 20; ++i)
            Write(*inbox, ToProps(Whole(u"pad", std::u16string(600, u'p'), 20 + i)));
        before = ReadAll(*inbox);
    }
    FolderHandle inbox = Open(kInboxName, kInboxByDate);  // nothing cached yet
    ObjectId first = 0;
    ObjectId firstAfterLoss = 1;
    std::vector<ObjectId> later;
    bool laterDeleted = true;
    // The body ignores the failures: the step itself must notice them.
    EXPECT_FALSE(inbox->Atomically([&] {
        first = WriteInbox(*inbox, u"step", 1);
        // A failed read outside any nested write (writes reach the disk only
        // when the outermost step commits).
        FaultyDiskVfs::failNextRead = true;
        EXPECT_EQ(inbox->SeekToId(ids[0]), 0u);
        EXPECT_FALSE(FaultyDiskVfs::failNextRead);
        firstAfterLoss = inbox->SeekToId(first);
        // The disk works again; a write now must not start a transaction of
        // its own that keeps part of the step.
        later = {WriteInbox(*inbox, u"step", 2), inbox->WriteRecord(ids[1], {&unread, 1})};
        laterDeleted = inbox->DeleteRecord(ids[2]);
        return true;
    }));
    EXPECT_NE(first, 0u);
    EXPECT_EQ(firstAfterLoss, 0u) << "only the statement was rolled back";
    EXPECT_EQ(later, (Ids{0, 0}));
    EXPECT_FALSE(laterDeleted);
    store.CloseFolder(inbox);
    ASSERT_EQ(store.MountCount(), 0u);
    ExpectUntouched();
}

TEST_F(WriteFailureTest, ReadOnlyVolumeReadsButNeverWrites) {
    options::StoreOptions settings(store);
    ASSERT_TRUE(settings.WriteOption(options::Option::BaudRate, 9600));
    const std::string bytes = ReadFileBytes(store.VolumePath());

    store.SetReadOnly(true);
    ExpectUntouched();
    FolderHandle inbox = Open(kInboxName, kInboxByDate);
    EXPECT_EQ(WriteInbox(*inbox, u"lost", 1), 0u);
    EXPECT_FALSE(inbox->DeleteRecord(ids[0]));
    std::int32_t rate = 0;
    EXPECT_TRUE(settings.ReadOption(options::Option::BaudRate, rate) && rate == 9600);
    EXPECT_FALSE(settings.WriteOption(options::Option::BaudRate, 4800));
    // A folder never opened before cannot be created in a read-only volume.
    EXPECT_FALSE(Open(kSentName));
    store.CloseFolder(inbox);
    EXPECT_EQ(ReadFileBytes(store.VolumePath()), bytes);

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
    EXPECT_EQ(texts, (Texts{u"a1a2", u"b1", u"b2"}));
}

}  // namespace
}  // namespace mivex::store::tests

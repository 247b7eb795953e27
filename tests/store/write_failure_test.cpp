// Writes that cannot be done: a full disk and a read-only volume. They fail
// with 0 or false and what was stored before is untouched.

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "options/options_record.h"
#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

// A VFS over the default one whose writes that need new space fail with
// SQLITE_FULL on demand, in the journal or in the database file, as on a
// disk that has filled up.
class FullDiskVfs {
public:
    enum class Full { No, Journal, Database };

    FullDiskVfs() : real_(sqlite3_vfs_find(nullptr)) {
        vfs_ = *real_;
        vfs_.iVersion = 2;
        vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
        vfs_.zName = "mivex-full-disk";
        vfs_.pNext = nullptr;
        vfs_.pAppData = this;
        vfs_.xOpen = &Open;
        vfs_.xDelete = [](sqlite3_vfs* v, const char* name, int sync) {
            return Real(v)->xDelete(Real(v), name, sync);
        };
        vfs_.xAccess = [](sqlite3_vfs* v, const char* name, int flags, int* out) {
            return Real(v)->xAccess(Real(v), name, flags, out);
        };
        vfs_.xFullPathname = [](sqlite3_vfs* v, const char* name, int size, char* out) {
            return Real(v)->xFullPathname(Real(v), name, size, out);
        };
        vfs_.xRandomness = [](sqlite3_vfs* v, int size, char* out) {
            return Real(v)->xRandomness(Real(v), size, out);
        };
        vfs_.xSleep = [](sqlite3_vfs* v, int us) { return Real(v)->xSleep(Real(v), us); };
        vfs_.xCurrentTime = [](sqlite3_vfs* v, double* out) {
            return Real(v)->xCurrentTime(Real(v), out);
        };
        vfs_.xCurrentTimeInt64 = [](sqlite3_vfs* v, sqlite3_int64* out) {
            return Real(v)->xCurrentTimeInt64(Real(v), out);
        };
        vfs_.xGetLastError = [](sqlite3_vfs* v, int size, char* out) {
            return Real(v)->xGetLastError(Real(v), size, out);
        };
        vfs_.xDlOpen = nullptr;
        vfs_.xDlError = nullptr;
        vfs_.xDlSym = nullptr;
        vfs_.xDlClose = nullptr;
        sqlite3_vfs_register(&vfs_, 1);
    }
    ~FullDiskVfs() {
        sqlite3_vfs_unregister(&vfs_);
        sqlite3_vfs_register(real_, 1);
    }
    FullDiskVfs(const FullDiskVfs&) = delete;
    FullDiskVfs& operator=(const FullDiskVfs&) = delete;

    Full full = Full::No;
    int failedWrites = 0;

private:
    struct File {
        sqlite3_file base;
        FullDiskVfs* owner;
        bool journal;
        sqlite3_file* Inner() { return reinterpret_cast<sqlite3_file*>(this + 1); }
    };

    static sqlite3_vfs* Real(sqlite3_vfs* v) {
        return static_cast<FullDiskVfs*>(v->pAppData)->real_;
    }
    static File* Of(sqlite3_file* file) { return reinterpret_cast<File*>(file); }

    static int Open(sqlite3_vfs* v, const char* name, sqlite3_file* file, int flags, int* out) {
        File* shim = Of(file);
        shim->owner = static_cast<FullDiskVfs*>(v->pAppData);
        shim->journal = (flags & SQLITE_OPEN_MAIN_DB) == 0;
        const int rc = Real(v)->xOpen(Real(v), name, shim->Inner(), flags, out);
        shim->base.pMethods = shim->Inner()->pMethods != nullptr ? &kMethods : nullptr;
        return rc;
    }

    static int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
        File* shim = Of(file);
        const Full full = shim->owner->full;
        // A full disk refuses new space; rewriting pages already there works.
        sqlite3_int64 size = 0;
        shim->Inner()->pMethods->xFileSize(shim->Inner(), &size);
        const bool grows = offset + amount > size;
        if (grows && ((full == Full::Journal && shim->journal) ||
                      (full == Full::Database && !shim->journal))) {
            ++shim->owner->failedWrites;
            return SQLITE_FULL;
        }
        return shim->Inner()->pMethods->xWrite(shim->Inner(), data, amount, offset);
    }

    static constexpr sqlite3_io_methods kMethods = {
        1,
        [](sqlite3_file* f) { return Of(f)->Inner()->pMethods->xClose(Of(f)->Inner()); },
        [](sqlite3_file* f, void* d, int n, sqlite3_int64 o) {
            return Of(f)->Inner()->pMethods->xRead(Of(f)->Inner(), d, n, o);
        },
        &Write,
        [](sqlite3_file* f, sqlite3_int64 size) {
            return Of(f)->Inner()->pMethods->xTruncate(Of(f)->Inner(), size);
        },
        [](sqlite3_file* f, int flags) {
            return Of(f)->Inner()->pMethods->xSync(Of(f)->Inner(), flags);
        },
        [](sqlite3_file* f, sqlite3_int64* size) {
            return Of(f)->Inner()->pMethods->xFileSize(Of(f)->Inner(), size);
        },
        [](sqlite3_file* f, int lock) {
            return Of(f)->Inner()->pMethods->xLock(Of(f)->Inner(), lock);
        },
        [](sqlite3_file* f, int lock) {
            return Of(f)->Inner()->pMethods->xUnlock(Of(f)->Inner(), lock);
        },
        [](sqlite3_file* f, int* out) {
            return Of(f)->Inner()->pMethods->xCheckReservedLock(Of(f)->Inner(), out);
        },
        [](sqlite3_file* f, int op, void* arg) {
            return Of(f)->Inner()->pMethods->xFileControl(Of(f)->Inner(), op, arg);
        },
        [](sqlite3_file* f) { return Of(f)->Inner()->pMethods->xSectorSize(Of(f)->Inner()); },
        [](sqlite3_file* f) {
            return Of(f)->Inner()->pMethods->xDeviceCharacteristics(Of(f)->Inner());
        },
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
    };

    sqlite3_vfs* real_;
    sqlite3_vfs vfs_{};
};

class WriteFailureTest : public StoreTest {
protected:
    void WriteThree() {
        FolderHandle inbox = Open(kInboxName, kInboxByDate);
        ASSERT_TRUE(inbox);
        for (int i = 1; i <= 3; ++i)
            ids.push_back(WriteInbox(*inbox, u"kept", 10 - i));
    }

    void ExpectTheThreeIntact() {
        FolderHandle inbox = Open(kInboxName, kInboxByDate);
        ASSERT_TRUE(inbox);
        EXPECT_EQ(ReadAllIds(*inbox), ids);
        EXPECT_EQ(ReadAllTexts(*inbox, inbox::kSenderName),
                  (std::vector<std::u16string>(3, u"kept")));
    }

    std::vector<ObjectId> ids;
};

TEST_F(WriteFailureTest, FullDiskFailsEveryKindOfWriteAndKeepsWhatWasStored) {
    FullDiskVfs vfs;
    WriteThree();
    // Big enough to need new pages in the database file itself.
    const std::u16string big(20000, u'b');
    for (FullDiskVfs::Full full : {FullDiskVfs::Full::Journal, FullDiskVfs::Full::Database}) {
        SCOPED_TRACE(static_cast<int>(full));
        FolderHandle inbox = Open(kInboxName, kInboxByDate);
        ASSERT_TRUE(inbox);
        vfs.full = full;
        PropArray props;
        inbox->SeekBeginning(0);
        ASSERT_EQ(inbox->ReadRecord(props), ids[0]);
        EXPECT_EQ(WriteInbox(*inbox, u"lost", 1, big), 0u);
        const PropVal longer = PropVal::String(inbox::kText, big);
        EXPECT_EQ(inbox->WriteRecord(ids[1], {&longer, 1}), 0u);
        EXPECT_FALSE(inbox->Atomically([&] {
            inbox->DeleteRecord(ids[0]);
            return WriteInbox(*inbox, u"lost", 2, big) != 0;
        }));
        if (full == FullDiskVfs::Full::Journal) {  // even a delete needs the journal
            const PropVal unread = PropVal::I4(inbox::kUnread, 0);
            EXPECT_EQ(inbox->WriteRecord(ids[1], {&unread, 1}), 0u);
            EXPECT_FALSE(inbox->DeleteRecord(ids[2]));
        }
        // Reading goes on where it was.
        EXPECT_EQ(inbox->ReadRecord(props), ids[1]);
        EXPECT_EQ(FindPropI4(props, inbox::kUnread), 1);
        EXPECT_EQ(*FindPropString(props, inbox::kText), u"text");
        vfs.full = FullDiskVfs::Full::No;
        store.CloseFolder(inbox);
        ExpectTheThreeIntact();
    }
    EXPECT_GT(vfs.failedWrites, 0);
    // Once there is room again, writing works.
    FolderHandle inbox = Open(kInboxName, kInboxByDate);
    EXPECT_NE(WriteInbox(*inbox, u"later", 1, big), 0u);
}

TEST_F(WriteFailureTest, ReadOnlyVolumeReadsButNeverWrites) {
    WriteThree();
    options::StoreOptions settings(store);
    ASSERT_TRUE(settings.WriteOption(options::Option::BaudRate, 9600));
    const std::string before = ReadFileBytes(store.VolumePath());

    store.SetReadOnly(true);
    ExpectTheThreeIntact();
    FolderHandle inbox = Open(kInboxName, kInboxByDate);
    EXPECT_EQ(WriteInbox(*inbox, u"lost", 1), 0u);
    EXPECT_FALSE(inbox->DeleteRecord(ids[0]));
    EXPECT_FALSE(inbox->Atomically([&] { return WriteInbox(*inbox, u"lost", 2) != 0; }));
    std::int32_t rate = 0;
    EXPECT_TRUE(settings.ReadOption(options::Option::BaudRate, rate));
    EXPECT_EQ(rate, 9600);
    EXPECT_FALSE(settings.WriteOption(options::Option::BaudRate, 4800));
    // A folder never opened before cannot be created in a read-only volume.
    EXPECT_FALSE(Open(kSentName));
    store.CloseFolder(inbox);
    EXPECT_EQ(store.MountCount(), 0u);
    EXPECT_EQ(ReadFileBytes(store.VolumePath()), before);

    Store fresh(dir.path() / "none", sounds);
    fresh.SetReadOnly(true);
    EXPECT_FALSE(fresh.OpenFolder(kInboxName, 0));
    EXPECT_FALSE(std::filesystem::exists(fresh.VolumePath()));
}

// The data folder and the volume without write permission, for a user who
// may not write them (as root, the check runs as "nobody" in a child).
TEST_F(WriteFailureTest, VolumeWithoutWritePermissionReadsButNeverWrites) {
    WriteThree();
    const std::filesystem::path database = dir.path() / "Database";
    const std::string before = ReadFileBytes(store.VolumePath());
    const bool root = ::geteuid() == 0;
    ASSERT_EQ(::chmod(dir.path().c_str(), root ? 0755 : 0500), 0);
    ASSERT_EQ(::chmod(database.c_str(), root ? 0755 : 0500), 0);
    ASSERT_EQ(::chmod(store.VolumePath().c_str(), root ? 0644 : 0400), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(10);
        mivex::testing::CountingSounds quiet;
        Store reader(dir.path(), quiet);
        FolderHandle inbox = reader.OpenFolder(kInboxName, kInboxByDate);
        if (!inbox)
            ::_exit(11);
        if (ReadAllIds(*inbox) != ids)
            ::_exit(12);
        if (WriteInbox(*inbox, u"lost", 1) != 0)
            ::_exit(13);
        if (inbox->DeleteRecord(ids[0]))
            ::_exit(14);
        if (reader.OpenFolder(kSentName, 0))
            ::_exit(15);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFileBytes(store.VolumePath()), before);
}

}  // namespace
}  // namespace mivex::store::tests

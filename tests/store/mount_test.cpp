// Mounting and unmounting the volume, opening and closing folders, and the
// files and permissions they leave on disk.

#include <sqlite3.h>
#include <sys/stat.h>

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

using MountTest = StoreTest;

mode_t ModeOf(const std::filesystem::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

void RunSql(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

TEST_F(MountTest, FirstOpenCreatesOwnerOnlyFoldersAndFileWhateverTheUmask) {
    const mode_t saved = ::umask(0);
    Store nested(dir.path() / "new" / "data", sounds);
    FolderHandle inbox = nested.OpenFolder(kInboxName, kInboxBySender);
    ::umask(saved);
    ASSERT_TRUE(inbox);
    EXPECT_EQ(ModeOf(dir.path() / "new"), 0700u);
    EXPECT_EQ(ModeOf(dir.path() / "new" / "data" / "Database"), 0700u);
    EXPECT_EQ(ModeOf(nested.VolumePath()), 0600u);
    EXPECT_EQ(nested.VolumePath(), dir.path() / "new" / "data" / "Database" / "smsdata.cdb");

    // Writing makes the journal, which must not be readable by others either.
    ASSERT_NE(WriteInbox(*inbox, u"a", 1), 0u);
    const auto journal = nested.VolumePath().string() + "-journal";
    EXPECT_EQ(ModeOf(journal), 0600u);
}

TEST_F(MountTest, EveryMountIsMatchedByOneUnmount) {
    EXPECT_FALSE(store.UnmountStore());
    EXPECT_EQ(sounds.beeps, 1);
    EXPECT_EQ(store.MountCount(), 0u);

    ASSERT_TRUE(store.MountStore());
    FolderHandle outbox = Open(kOutboxName);
    FolderHandle sent = Open(kSentName);
    EXPECT_EQ(store.MountCount(), 3u);
    EXPECT_TRUE(store.CloseFolder(outbox));
    EXPECT_FALSE(outbox.valid());
    EXPECT_FALSE(store.CloseFolder(outbox));
    {
        FolderHandle moved = std::move(sent);
        EXPECT_EQ(store.MountCount(), 2u);
    }  // a handle going out of scope closes its folder
    EXPECT_EQ(store.MountCount(), 1u);
    EXPECT_TRUE(store.UnmountStore());
    EXPECT_EQ(store.MountCount(), 0u);
    EXPECT_EQ(sounds.beeps, 1);
}

TEST_F(MountTest, UnknownFolderOrSortOrderFailsWithNothingLeftMounted) {
    const struct {
        std::u16string_view name;
        PropId sort;
    } cases[] = {
        {u"inbox", kInboxByDate},
        {u"Drafts", 0},
        {u"", 0},
        {u"Inbox ", kInboxByDate},
        {kOutboxName, kInboxBySender},
        {kInboxName, kSentByRecipient},
        {kSentName, 0x00090040},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()) + " " + std::to_string(c.sort));
        EXPECT_FALSE(store.OpenFolder(c.name, c.sort));
        EXPECT_EQ(store.MountCount(), 0u);
    }
    EXPECT_EQ(sounds.beeps, 0);
    // Sort property 0 reads a folder in its first order.
    FolderHandle sent = Open(kSentName, 0);
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->SortProperty(), kSentByDate);
    EXPECT_EQ(sent->Name(), kSentName);
}

TEST_F(MountTest, FoldersAreCreatedOnceInOneVolume) {
    {
        FolderHandle inbox = Open(kInboxName, kInboxByDate);
        ASSERT_NE(WriteInbox(*inbox, u"a", 1), 0u);
    }
    FolderHandle outbox = Open(kOutboxName);
    ASSERT_TRUE(outbox);
    EXPECT_EQ(outbox->SeekBeginning(0), 0u);
    FolderHandle inbox = Open(kInboxName, kInboxBySender);
    EXPECT_EQ(ReadAllIds(*inbox).size(), 1u);
}

TEST_F(MountTest, FilesThatAreNotOurVolumeAreLeftExactlyAsTheyWere) {
    ASSERT_TRUE(store.GetDatabaseFolder());
    const std::filesystem::path file = store.VolumePath();
    std::string garbage(3000, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>(i * 7 + 3);
    const std::string foreignSql = "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine');";

    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kind);
        std::filesystem::remove(file);
        if (kind == 0)
            WriteFileBytes(file, garbage);
        if (kind == 1)
            RunSql(file, foreignSql.c_str());
        if (kind == 2) {  // ours, but from a newer program
            FolderHandle inbox = Open(kInboxName);
            ASSERT_TRUE(inbox);
            store.CloseFolder(inbox);
            RunSql(file, "PRAGMA user_version = 2");
        }
        const std::string before = ReadFileBytes(file);
        EXPECT_FALSE(Open(kInboxName));
        EXPECT_FALSE(Open(kOptionsName));
        EXPECT_EQ(store.MountCount(), 0u);
        EXPECT_EQ(ReadFileBytes(file), before);
        EXPECT_FALSE(std::filesystem::exists(file.string() + "-journal"));
    }
}

TEST_F(MountTest, DataDirectoryThatIsAFileGivesNoFolder) {
    WriteFileBytes(dir.path() / "plain", "x");
    Store blocked(dir.path() / "plain", sounds);
    EXPECT_FALSE(blocked.GetDatabaseFolder());
    EXPECT_FALSE(blocked.OpenFolder(kInboxName, 0));
    EXPECT_EQ(blocked.MountCount(), 0u);

    WriteFileBytes(dir.path() / "Database", "x");  // "Database" itself a file
    Store alsoBlocked(dir.path(), sounds);
    EXPECT_FALSE(alsoBlocked.OpenFolder(kInboxName, 0));
}

TEST_F(MountTest, EmptyDataDirectoryMeansTheDefaultOne) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved != nullptr ? saved : "";
    ::setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    Store defaulted({}, sounds);
    if (saved != nullptr) {
        ::setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
    } else {
        ::unsetenv("XDG_DATA_HOME");
    }
    EXPECT_EQ(defaulted.DataDirectory(), dir.path() / "mivex");
    EXPECT_TRUE(defaulted.OpenFolder(kOptionsName, 0));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "mivex" / "Database" / "smsdata.cdb"));
}

}  // namespace
}  // namespace mivex::store::tests

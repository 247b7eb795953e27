// Mounting the volume, opening and closing folders, the files and
// permissions they leave on disk, and "Clear Database".

#include <sqlite3.h>
#include <sys/stat.h>

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

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
    EXPECT_EQ(ModeOf(nested.VolumePath().string() + "-journal"), 0600u);
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
        {u"inbox", kInboxByDate},       {u"Inbox ", kInboxByDate}, {u"", 0},
        {kInboxName, kSentByRecipient}, {kSentName, 0x00090040},
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

TEST_F(MountTest, FilesThatAreNotOurVolumeAreLeftExactlyAsTheyWere) {
    ASSERT_TRUE(store.GetDatabaseFolder());
    const std::filesystem::path file = store.VolumePath();
    std::string garbage(3000, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>(i * 7 + 3);

    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kind);
        std::filesystem::remove(file);
        if (kind == 0)
            WriteFileBytes(file, garbage);
        if (kind == 1)
            RunSql(file, "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine');");
        if (kind == 2) {  // ours, but from a newer program
            ASSERT_TRUE(Open(kInboxName));
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

class ClearDatabaseTest : public StoreTest {
protected:
    void SetUp() override {
        FolderHandle inbox = Open(kInboxName);
        ASSERT_TRUE(inbox);
        ASSERT_NE(WriteInbox(*inbox, u"kept", 1), 0u);
    }

    std::size_t InboxCount() {
        FolderHandle inbox = Open(kInboxName);
        return inbox ? ReadAllIds(*inbox).size() : 0;
    }

    // The question, then the outcome, each in a box of its own.
    void ExpectQuestionThen(std::u16string_view text, PromptIcon icon) {
        ASSERT_EQ(prompter.seen.size(), 2u);
        EXPECT_EQ(prompter.seen[0].text, u"Clear all messages and Option settings?");
        EXPECT_EQ(prompter.seen[0].buttons, PromptButtons::YesNo);
        EXPECT_EQ(prompter.seen[0].icon, PromptIcon::Exclamation);
        EXPECT_EQ(prompter.seen[1].text, text);
        EXPECT_EQ(prompter.seen[1].buttons, PromptButtons::Ok);
        EXPECT_EQ(prompter.seen[1].icon, icon);
        for (const mivex::testing::PromptSeen& seen : prompter.seen)
            EXPECT_EQ(seen.caption, u"Mivex");
        prompter.seen.clear();
    }

    ScriptedPrompter prompter;
};

TEST_F(ClearDatabaseTest, NoLeavesEverythingAsItWas) {
    prompter.answers = {PromptAnswer::No};
    EXPECT_TRUE(store.ClearDatabase(prompter));
    EXPECT_EQ(prompter.seen.size(), 1u);
    EXPECT_EQ(InboxCount(), 1u);
}

TEST_F(ClearDatabaseTest, YesDeletesTheVolumeWithItsSideFiles) {
    const std::string file = store.VolumePath().string();
    WriteFileBytes(file + "-wal", "stale");
    WriteFileBytes(file + "-shm", "stale");
    EXPECT_TRUE(store.ClearDatabase(prompter));
    ExpectQuestionThen(u"Database cleared, please check Option settings", PromptIcon::Information);
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        EXPECT_FALSE(std::filesystem::exists(file + suffix)) << suffix;
    // With nothing left to delete, clearing succeeds all the same.
    EXPECT_TRUE(store.ClearDatabase(prompter));
    ExpectQuestionThen(u"Database cleared, please check Option settings", PromptIcon::Information);
    // The next open starts a new, empty volume.
    EXPECT_EQ(InboxCount(), 0u);
    FolderHandle inbox = Open(kInboxName);
    EXPECT_EQ(WriteInbox(*inbox, u"new", 1), 1u);
}

TEST_F(ClearDatabaseTest, AVolumeInUseOrOutOfReachIsNotDeleted) {
    FolderHandle open = Open(kOutboxName);
    ASSERT_TRUE(open);
    const std::string before = ReadFileBytes(store.VolumePath());
    EXPECT_FALSE(store.ClearDatabase(prompter));
    ExpectQuestionThen(u"Error - Failed to clear the database!", PromptIcon::Stop);
    EXPECT_EQ(ReadFileBytes(store.VolumePath()), before);
    EXPECT_EQ(open->SeekBeginning(0), 0u);  // still usable
    store.CloseFolder(open);
    EXPECT_EQ(InboxCount(), 1u);

    // A data directory that is a file gives no "Database" folder.
    WriteFileBytes(dir.path() / "file", "x");
    Store blocked(dir.path() / "file", sounds);
    EXPECT_FALSE(blocked.GetDatabaseFolder());
    EXPECT_FALSE(blocked.OpenFolder(kInboxName, 0));
    EXPECT_EQ(blocked.MountCount(), 0u);
    EXPECT_FALSE(blocked.ClearDatabase(prompter));
    ExpectQuestionThen(u"Error - Failed to clear the database!", PromptIcon::Stop);
}

}  // namespace
}  // namespace mivex::store::tests
